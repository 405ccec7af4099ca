#include "prezzi.h"

#include "formato.h"
#include "numeri.h"

#include <algorithm>

namespace {

// A Single percent field as the exact decimal it shows; Null is 0.
Currency percentuale(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    return v.userType() == QMetaType::Float ? CurrencyDaSingle(v.toFloat()) : CCur(v);
}

// The discount percent of an offer to one decimal: the whole number of
// tenths nearest to (1 - offer / list) x 1000, a half going to the even
// neighbour, computed on the exact amounts.
Currency percentualeOfferta(Currency listino, Currency offerta)
{
    const __int128 n = (__int128(listino.raw) - offerta.raw) * 1000;
    const __int128 d = listino.raw;
    __int128 q = n / d, r = n % d;
    if (r < 0) {
        r += d;
        --q;
    }
    if (2 * r > d || (2 * r == d && (q % 2) != 0))
        ++q;
    // Amounts that are not prices (a negative list price) may give any
    // number of tenths: the note stays within the range of an amount.
    constexpr qint64 limite = INT64_MAX / (Currency::Scale / 10);
    return Currency::fromRaw(qint64(std::clamp<__int128>(q, -limite, limite)) * (Currency::Scale / 10));
}

} // namespace

Prezzo CalcolaPrezzo(const DatiPrezzo &d, const ShopState &stato)
{
    Prezzo p;
    p.offerta = d.badge;
    p.aliquota = percentuale(d.iva);
    const FattoreSconto fattore = FattoreSconto::daPercentuale(percentuale(d.sconto))
                                      .per(FattoreSconto::daPercentuale(d.scontoNegozio));

    const Currency listino = CCur(d.prezzo);
    Currency prezzo = listino;
    if (d.ivaCompresa)
        prezzo = prezzo + ImportoIva(prezzo, p.aliquota);

    if (!d.ivaCompresa && p.aliquota.raw > 0)
        p.iva = QStringLiteral("+ IVA") + Str(p.aliquota) + u'%';

    QString testo = TestoPrezzo(prezzo, stato);
    if (d.offerta && d.offertaprezzo.isValid() && !d.offertaprezzo.isNull()) {
        p.listino = QStringLiteral("<strike>") + testo + QStringLiteral("</strike>");
        const Currency intero = prezzo;
        prezzo = CCur(d.offertaprezzo);
        if (d.ivaCompresa)
            prezzo = prezzo + ImportoIva(prezzo, p.aliquota);
        if (intero > prezzo && intero.raw != 0 && d.visSconto)
            p.offerta += QStringLiteral(" -") +
                         DecimaleNegozio(Str(percentualeOfferta(intero, prezzo)), stato) + QStringLiteral("% ");
        testo = TestoPrezzo(prezzo, stato);
    } else if (!fattore.unitario()) {
        p.fattoreVarianti = fattore;
        p.listino = QStringLiteral("<strike>") + testo + QStringLiteral("</strike>");
        prezzo = fattore.applica(listino);
        if (d.ivaCompresa)
            prezzo = prezzo + ImportoIva(prezzo, p.aliquota);
        if (d.visSconto) {
            // 100 - factor x 100, exact: 10 % and 10 % off make 19 %.
            const Currency cento = Currency::fromUnits(100);
            p.offerta = QStringLiteral(" -") + DecimaleNegozio(Str(cento - fattore.applica(cento)), stato) +
                        QStringLiteral("% ");
        }
        testo = TestoPrezzo(prezzo, stato);
    }

    p.importo = prezzo;
    p.prezzo = testo;
    p.cart_prezzo = FormatoImporto(prezzo, stato);
    p.cart_iva = d.ivaCompresa ? QStringLiteral("0")
                               : Str(double(p.aliquota.raw) / (100.0 * Currency::Scale)).trimmed();

    if (stato.TassoCambio > 0 && d.cambio) {
        const Currency secondo = DividiPerCambio(prezzo, stato.TassoCambio);
        const QString decimali = stato.FormatoDecimali2.isEmpty() ? QStringLiteral("0") : stato.FormatoDecimali2;
        p.cambio = stato.PrefissoValuta2 +
                   ConvertiSeparatori(Format(secondo, QStringLiteral("###,###,###,##") + decimali), stato);
    }
    return p;
}
