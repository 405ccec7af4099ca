#include "regole.h"

#include "numeri.h"

#include <QLocale>
#include <cmath>

namespace Regole {

QChar separatoreDecimale()
{
    return QLocale().decimalPoint().at(0);
}

namespace {
bool cifra(QChar c)
{
    return c >= u'0' && c <= u'9';
}
constexpr char16_t backspace = 8;
}

Tasto filtroNumerico(const QString &testo, QChar c, bool asterisco)
{
    const QChar sep = separatoreDecimale();
    if (asterisco && c == u'*')
        return {Tasto::Accoda, QStringLiteral("000")};
    if (c == u'.')
        c = sep;
    if (c == sep)
        return testo.contains(sep) ? Tasto{Tasto::Scarta, {}} : Tasto{Tasto::Inserisci, QString(sep)};
    if (cifra(c) || c == QChar(backspace))
        return {};
    return {Tasto::Scarta, {}};
}

Tasto filtroBarraParentesi(const QString &, QChar c)
{
    return QStringLiteral("|[]").contains(c) ? Tasto{Tasto::Scarta, {}} : Tasto{};
}

Tasto filtroReparto(const QString &, QChar c)
{
    return QStringLiteral("|[]£").contains(c) ? Tasto{Tasto::Scarta, {}} : Tasto{};
}

Tasto filtroCifre(const QString &, QChar c)
{
    return cifra(c) || c == QChar(backspace) ? Tasto{} : Tasto{Tasto::Scarta, {}};
}

Tasto filtroSenzaACapo(const QString &, QChar c)
{
    return c == u'\r' || c == u'\n' ? Tasto{Tasto::Scarta, {}} : Tasto{};
}

QString senzaCaratteriDiControllo(const QString &testo)
{
    QString r = testo;
    r.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return r;
}

std::optional<double> numero(const QString &testo)
{
    const QString t = testo.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    // Thousands separators are accepted as the notation writes them.
    const double v = QLocale().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString testoNumero(double valore)
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(valore, 'g', 15);
}

QString testoSingolo(float valore)
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(double(valore), 'g', 7);
}

QString testoImporto(Currency importo, int decimali)
{
    // The stored amount has four decimals at most: the pattern shows the
    // main currency's always ("0") and the further ones it holds ("#").
    QString t = Format(importo, QStringLiteral("0.") + QString(decimali, u'0') + QString(4 - decimali, u'#'));
    if (t.endsWith(u'.'))
        t.chop(1);  // a whole amount, with no decimals to show
    return t.replace(u'.', separatoreDecimale());
}

QString positivo(const QString &testo)
{
    const auto v = numero(testo);
    if (!v || *v >= 0)
        return testo;
    return testoSingolo(std::fabs(float(*v)));
}

QString positivoImporto(const QString &testo)
{
    const auto v = numero(testo);
    if (!v || *v >= 0)
        return testo;
    QString t = testo.trimmed();
    const QString meno = QLocale().negativeSign();
    if (t.startsWith(meno))
        t.remove(0, meno.size());
    else if (t.startsWith(u'-'))
        t.remove(0, 1);
    return t;
}

QString alPiu(const QString &testo, int massimo)
{
    const auto v = numero(testo);
    if (!v || *v <= massimo)
        return testo;
    return QString::number(massimo);
}

QString zeroSeNonNumero(const QString &testo, bool vuoto)
{
    if (testo.trimmed().isEmpty())
        return vuoto ? QStringLiteral("0") : testo;
    return numero(testo) ? testo : QStringLiteral("0");
}

QString riscriviNumero(const QString &testo)
{
    const auto v = numero(testo);
    return v ? testoNumero(*v) : testo;
}

Filtro entrambi(Filtro primo, Filtro secondo)
{
    return [primo = std::move(primo), secondo = std::move(secondo)](const QString &testo, QChar c) {
        const Tasto t = primo(testo, c);
        if (t.azione == Tasto::Scarta || t.azione == Tasto::Accoda)
            return t;
        if (t.azione == Tasto::Inserisci && t.testo.size() == 1) {
            const Tasto u = secondo(testo, t.testo.at(0));
            return u.azione == Tasto::Passa ? t : u;
        }
        return t.azione == Tasto::Passa ? secondo(testo, c) : t;
    };
}

QString intero(const QString &testo)
{
    return QString::number(qint64(std::floor(Val(testo))));
}

QString testoInvariante(const QString &testo, Precisione precisione)
{
    const auto v = numero(testo);
    if (!v)
        return testo;
    switch (precisione) {
    case Precisione::Singola: return TestoValore(QVariant(float(*v)));
    case Precisione::Doppia: return TestoValore(QVariant(*v));
    case Precisione::Valuta: return TestoValore(QVariant::fromValue(CCur(*v)));
    }
    return testo;
}

} // namespace Regole
