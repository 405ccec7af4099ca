// vetrasto-datiordine: writes the order script's price list for the rows
// given as JSON on standard input, so that the script's tests read a file
// made by the generator the build uses.
//   {"decimali": "0.00", "righe": [{"articolo": "...", "prezzo": "9.5",
//    "aliquota": "22", "peso": 0.25, "varianti": [[{"testo": "...",
//    "prezzo": "1", "peso": 0.1}], [], []]}]}
// A row may give "codice" and "titolo" in place of "articolo": the cart
// text is then made from them as the article rows make it. "chiave" is the
// article's number, "codice" its code for the list.
#include "datiordine.h"
#include "frammenti.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

static Currency importo(const QJsonValue &v)
{
    return Currency::parse(v.isString() ? v.toString() : QString::number(v.toDouble(), 'f', 4)).value_or(Currency{});
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 2;
    QJsonParseError errore;
    const QJsonObject dati = QJsonDocument::fromJson(in.readAll(), &errore).object();
    if (errore.error != QJsonParseError::NoError) {
        std::fprintf(stderr, "vetrasto-datiordine: %s\n", qPrintable(errore.errorString()));
        return 2;
    }
    ShopState stato;
    stato.FormatoDecimali1 = dati.value(QStringLiteral("decimali")).toString(QStringLiteral("0.00"));
    QByteArray lista = IntestazioneDatiOrdine();
    for (const QJsonValue &v : dati.value(QStringLiteral("righe")).toArray()) {
        const QJsonObject o = v.toObject();
        RigaDatiOrdine r;
        r.chiave = o.value(QStringLiteral("chiave")).toVariant().toLongLong();
        r.codice = o.value(QStringLiteral("codice")).toString();
        r.articolo = o.contains(QStringLiteral("articolo"))
                         ? o.value(QStringLiteral("articolo")).toString()
                         : CartArticolo(o.value(QStringLiteral("codice")).toString(), o.value(QStringLiteral("titolo")).toString());
        r.prezzo = importo(o.value(QStringLiteral("prezzo")));
        r.aliquota = importo(o.value(QStringLiteral("aliquota")));
        r.peso = float(o.value(QStringLiteral("peso")).toDouble());
        const QJsonArray menu = o.value(QStringLiteral("varianti")).toArray();
        for (int n = 0; n < 3 && n < menu.size(); ++n) {
            for (const QJsonValue &w : menu[n].toArray()) {
                const QJsonObject x = w.toObject();
                r.varianti[n].append({x.value(QStringLiteral("testo")).toString(), importo(x.value(QStringLiteral("prezzo"))),
                                      float(x.value(QStringLiteral("peso")).toDouble())});
            }
        }
        AggiungiDatiOrdine(lista, r, stato);
    }
    lista += ChiusuraDatiOrdine(lista);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 2;
    out.write(lista);
    return 0;
}
