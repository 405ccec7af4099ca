#include "formato.h"

QString ConvertiSeparatori(const QString &n, const ShopState &) { return n; }
QString DecimaleNegozio(const QString &n, const ShopState &) { return n; }
QString FormatoImporto(const QVariant &, const ShopState &) { return {}; }
QString FormatoImporto(Currency, const ShopState &) { return {}; }
QString URLNegozio(const Impostazioni &) { return {}; }
QString URLCGI(const Impostazioni &) { return {}; }
QString CodiceSito(const Impostazioni &) { return {}; }
QString CampoHTML(const QVariant &) { return {}; }
QString TestoHTML(const QString &t) { return t; }
bool ContieneTag(const QString &) { return false; }
QString TogliTag(const QString &t) { return t; }
QString CodificaCaratteri(const QString &t) { return t; }
QString MettiVirgolette(const QString &t) { return t; }
QString MakePerl(const QString &t) { return t; }
QString HTMLColor(qint32) { return {}; }
void MakeAbsolute(const QString &, const QString &, const Impostazioni &) {}
QByteArray RendiAssoluto(const QByteArray &p, const QString &) { return p; }
void AbsoluteOutput(const QString &, const QByteArray &) {}
QString NoASPQuery(const QString &s) { return s; }
QString MakeRelative(const QString &, const QString &) { return {}; }
