#include "numeri.h"

QString Str(double) { return {}; }
QString Str(float) { return {}; }
QString Str(Currency) { return {}; }
QString Str(qint64) { return {}; }
QString Str(int) { return {}; }
QString TestoValore(const QVariant &) { return {}; }
double Val(const QString &) { return 0; }
std::optional<double> NumeroDaTesto(const QString &) { return std::nullopt; }
bool IsNumeric(const QString &) { return false; }
double ArrotondaPari(double v) { return v; }
double ArrotondaLontano(double v) { return v; }
int CInt(double) { return 0; }
qint32 CLng(double) { return 0; }
QString Format(double, const QString &) { return {}; }
QString Format(float, const QString &) { return {}; }
QString Format(Currency, const QString &) { return {}; }
QString Format(qint64, const QString &) { return {}; }
QString Format(int, const QString &) { return {}; }
QString Format(const QVariant &, const QString &) { return {}; }
Currency CurrencyDaSingle(float) { return {}; }
Currency CCur(double) { return {}; }
Currency CCur(const QVariant &) { return {}; }
Currency Moltiplica(Currency, Currency) { return {}; }
Currency Dividi(Currency, Currency) { return {}; }
Currency MoltiplicaFrazione(Currency, qint64, qint64) { return {}; }
Currency TogliSconto(Currency, Currency) { return {}; }
Currency DividiPerCambio(Currency, double) { return {}; }
