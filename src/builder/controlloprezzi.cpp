#include "controlloprezzi.h"

#include "formatonegozio.h"
#include "frammenti.h"
#include "numeri.h"
#include "testoletto.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {

// The highest amount the order script reads in a cart line: nine digits
// and two decimals.
constexpr Currency prezzoMassimo = Currency::fromRaw(99999999999LL * (Currency::Scale / 100));

// The weight of a cart line the order script takes: seven integer digits,
// in millionths; what is not below it in absolute value is refused.
constexpr qint64 pesoOrdine = 10'000'000'000'000LL;

QString testo(const QString &html)
{
    return TestoLetto(html).simplified();
}

// A field the catalogue reader flagged, "campo" and why, as the warning
// names it: `nome` for a value that is no number, with "mancante" or
// "fuori misura" after it for the other cases.
QString motivo(const QString &voce, const QString &nome)
{
    const QString perche = voce.section(u' ', 1);
    return perche == QLatin1String("non numerico") || perche.isEmpty() ? nome : nome + u' ' + perche;
}

QStringList variantiIlleggibili(const Varianti &varianti, const Articolo &a)
{
    QStringList motivi;
    for (const QVariant &opzione : a.opzione) {
        const SetVarianti *set = varianti.set(NumeroSetVarianti(opzione));
        for (size_t i = 0; set && i < set->opzione.size(); ++i) {
            const QString &voce = set->opzione[i];
            if (voce.isEmpty())
                continue;  // an empty slot makes no option
            for (const QString &campo : set->illeggibili[i])
                motivi << motivo(campo, campo.section(u' ', 0, 0)) + QStringLiteral(" della variante '") +
                              testo(voce) + QStringLiteral("' di '") + testo(set->nome.section(u'|', 0, 0)) + u'\'';
        }
    }
    return motivi;
}

} // namespace

QString NomeArticolo(const Articolo &a, const Reparto &reparto)
{
    const QString codice = testo(a.codice);
    return u'\'' + testo(a.titolo) + QStringLiteral("' (") +
           (codice.isEmpty() ? QString() : QStringLiteral("codice ") + codice + QStringLiteral(", ")) +
           QStringLiteral("reparto '") + testo(reparto.titolo) + QStringLiteral("')");
}

QStringList MotiviIlleggibili(const Articolo &a, const Reparto &reparto, const Varianti &varianti)
{
    QStringList motivi;
    for (const QString &campo : reparto.illeggibili)
        motivi << motivo(campo, campo.startsWith(QLatin1String("iva")) ? QStringLiteral("IVA del reparto")
                                                                       : QStringLiteral("sconto del reparto"));
    for (const QString &campo : a.illeggibili) {
        const QString nome = campo.section(u' ', 0, 0);
        if (nome == QLatin1String("prezzo") || nome == QLatin1String("peso"))
            motivi << motivo(campo, nome);
        else if (a.offerta)  // the offer price counts only under an offer
            motivi << motivo(campo, QStringLiteral("prezzo d'offerta"));
    }
    motivi << variantiIlleggibili(varianti, a);
    // A weight is weighed only when every number it rests on is one.
    if (motivi.isEmpty())
        if (const QString peso = PesoFuoriOrdine(a, varianti); !peso.isEmpty())
            motivi << peso;
    return motivi;
}

qint64 MicroPeso(const QVariant &peso)
{
    // Held well inside 64 bits: a weight of single precision may reach 3.4e38.
    return std::llround(std::clamp(PesoInvariante(peso).toDouble() * 1e6, -1e15, 1e15));
}

QString PesoFuoriOrdine(const Articolo &a, const Varianti &varianti)
{
    // The lightest and the heaviest choice of the variant menus, as
    // CreaOpzione offers them.
    const qint64 peso = MicroPeso(a.peso);
    qint64 minimo = peso, massimo = peso;
    for (const QVariant &opzione : a.opzione) {
        const SetVarianti *set = varianti.set(NumeroSetVarianti(opzione));
        std::optional<std::pair<qint64, qint64>> estremi;
        for (size_t i = 0; set && i < set->opzione.size(); ++i) {
            if (set->opzione[i].isEmpty())
                continue;
            const qint64 p = MicroPeso(set->peso[i]);
            estremi = estremi ? std::pair{std::min(estremi->first, p), std::max(estremi->second, p)} : std::pair{p, p};
        }
        if (estremi) {
            minimo += estremi->first;
            massimo += estremi->second;
        }
    }
    if (minimo > -pesoOrdine && massimo < pesoOrdine)
        return {};
    const bool conVarianti = minimo != peso || massimo != peso;
    return QStringLiteral("peso") + (conVarianti ? QStringLiteral(" con le varianti") : QString()) +
           (massimo >= pesoOrdine ? QStringLiteral(" di 10.000.000 o più") : QStringLiteral(" di -10.000.000 o meno")) +
           QStringLiteral(", che un ordine non può contenere");
}

QString PrezzoFuoriMisura(const Prezzo &prezzo, const std::array<QList<VarianteOrdine>, 3> &varianti,
                          const ShopState &stato)
{
    QStringList motivi;
    if (prezzo.aliquota.raw < 0 || prezzo.aliquota >= Currency::fromUnits(100))
        motivi << QStringLiteral("IVA del ") + Str(prezzo.aliquota).trimmed() + u'%';
    // The cheapest and the dearest choice of the variant menus.
    Currency minimo = prezzo.importo, massimo = prezzo.importo;
    for (const QList<VarianteOrdine> &menu : varianti) {
        if (menu.isEmpty())
            continue;
        const auto [basso, alto] = std::minmax_element(menu.begin(), menu.end(), [](const auto &x, const auto &y) {
            return x.prezzo < y.prezzo;
        });
        minimo = minimo + basso->prezzo;
        massimo = massimo + alto->prezzo;
    }
    const QString con = minimo == prezzo.importo && massimo == prezzo.importo ? QString()
                                                                               : QStringLiteral(" con le varianti");
    if (prezzo.importo.raw < 0)
        motivi << QStringLiteral("prezzo negativo (") + TestoPrezzo(prezzo.importo, stato) + u')';
    else if (minimo.raw < 0)
        motivi << QStringLiteral("prezzo negativo") + con + QStringLiteral(" (") + TestoPrezzo(minimo, stato) + u')';
    if (prezzo.importo > prezzoMassimo)
        motivi << QStringLiteral("prezzo troppo alto (") + TestoPrezzo(prezzo.importo, stato) + u')';
    else if (massimo > prezzoMassimo)
        motivi << QStringLiteral("prezzo troppo alto") + con + QStringLiteral(" (") + TestoPrezzo(massimo, stato) +
                      u')';
    return motivi.join(QStringLiteral(", "));
}

QString AvvisoConElenco(const QString &apertura, const QStringList &righe)
{
    constexpr qsizetype mostrate = 20;
    QString t = apertura;
    for (qsizetype i = 0; i < std::min(mostrate, righe.size()); ++i)
        t += QStringLiteral("\r\n- ") + righe[i];
    if (righe.size() > mostrate)
        t += QStringLiteral("\r\n- e altri ") + QString::number(righe.size() - mostrate) + QStringLiteral(" articoli.");
    return t;
}
