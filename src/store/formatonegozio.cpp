#include "formatonegozio.h"

#include "numeri.h"

namespace {

QString sostituisciSeparatori(const QString &numero, const QString &decimali, const QString &migliaia)
{
    QString r;
    r.reserve(numero.size());
    for (QChar c : numero) {
        if (c == u'.')
            r += decimali;
        else if (c == u',')
            r += migliaia;
        else
            r += c;
    }
    return r;
}

} // namespace

QString ConvertiSeparatori(const QString &numero, const ShopState &stato)
{
    // Format writes "." and ","; the exchange is done in one pass, so crossed
    // separators ("1,000.00" into "1.000,00") cannot be confused.
    return sostituisciSeparatori(numero, stato.SeparatoreDecimali, stato.SeparatoreMigliaia);
}

QString DecimaleNegozio(const QString &numero, const ShopState &stato)
{
    QString r = numero;
    return r.replace(u'.', stato.SeparatoreDecimali);
}

QString FormatoImporto(const QVariant &importo, const ShopState &stato)
{
    const QString decimali = stato.FormatoDecimali1.isEmpty() ? QStringLiteral("0") : stato.FormatoDecimali1;
    QString r = Format(importo, QStringLiteral("##################") + decimali);
    const int virgola = r.indexOf(u',');
    if (virgola >= 0)
        r[virgola] = u'.';
    return r;
}

QString FormatoImporto(Currency importo, const ShopState &stato)
{
    return FormatoImporto(QVariant::fromValue(importo), stato);
}

QString ImportoPrezzo(Currency importo, const ShopState &stato)
{
    const QString decimali = stato.FormatoDecimali1.isEmpty() ? QStringLiteral("0") : stato.FormatoDecimali1;
    return ConvertiSeparatori(Format(importo, QStringLiteral("###,###,###,##") + decimali), stato);
}

QString TestoPrezzo(Currency importo, const ShopState &stato)
{
    return stato.PrefissoValuta1 + ImportoPrezzo(importo, stato);
}
