#include "zendarojet.h"

#include "currency.h"
#include "scrittorejet.h"

#include <stdexcept>

namespace ZendaroJet {

namespace {

QVariant euro(const char *importo)
{
    return QVariant::fromValue(*Currency::parse(QString::fromLatin1(importo)));
}

} // namespace

QString testoLungo(int caratteri)
{
    const QString frase = QStringLiteral("Caffè tostato a legna, €12 al chilo; ");
    QString t;
    while (t.size() < caratteri)
        t += frase;
    return t.left(caratteri);
}

QString nomeLungo()
{
    return QStringLiteral("Reparto ") + QString(112, u'à');
}

void scrivi(const QString &file, int altri)
{
    using T = ScrittoreJet4::Tipo;
    const QVariant Null;
    ScrittoreJet4 w;
    w.tabella(QStringLiteral("Categoria"), {{QStringLiteral("Id"), T::Lungo}, {QStringLiteral("Nome"), T::Testo}},
              {{12, QStringLiteral("Caffè")},
               {13, QStringLiteral("Tè \"verde\" | 'nero'")},
               {14, Null},
               {15, nomeLungo()},
               {Null, QStringLiteral("Senza Id")}});
    std::vector<QVariantList> articoli{
        {1, 12, QStringLiteral("C1"), QStringLiteral("Moka"), 22.0, euro("10"), euro("9.5"), euro("1.2345"), Null, true, 6, -3, 0.25f},
        {2, 12, Null, Null, Null, Null, Null, Null, Null, false, Null, Null, Null},
        {3, 13, QStringLiteral("c1"), QStringLiteral("Stesso codice"), 22.0, euro("1"), euro("1"), euro("1"), euro("1"), false, 1, 1, 1.0f},
        {4, 13, QStringLiteral("T'1|\""), testoLungo(1500), 4.0, euro("0.0001"), euro("123456789.1234"), euro("-7.5"), euro("0"), true,
         255, 32767, -1.5f},
        {5, 99, QStringLiteral("X"), QStringLiteral("Categoria mancante"), 22.0, euro("1"), euro("1"), euro("1"), euro("1"), false, 0, 0, 0.0f},
        {6, 15, QStringLiteral("L1"), testoLungo(30000), 10.0, euro("1"), euro("1"), euro("1"), euro("1"), false, 0, 0, 0.0f},
    };
    for (int i = 1; i <= altri; ++i)
        articoli.push_back({100 + i, 12, QStringLiteral("Z%1").arg(i), QStringLiteral("Articolo %1").arg(i), 22.0, euro("1"), euro("2"),
                            euro("3"), euro("4"), false, 1, i % 30000, 1.0f});
    w.tabella(QStringLiteral("Articoli"),
              {{QStringLiteral("Id"), T::Lungo},
               {QStringLiteral("IdCategoria"), T::Lungo},
               {QStringLiteral("Codice"), T::Testo, 50},
               {QStringLiteral("Descrizione"), T::Memo},
               {QStringLiteral("iva"), T::Doppio},
               {QStringLiteral("Vendita1"), T::Valuta},
               {QStringLiteral("Vendita2"), T::Valuta},
               {QStringLiteral("Vendita3"), T::Valuta},
               {QStringLiteral("Vendita4"), T::Valuta},
               {QStringLiteral("Offerta"), T::Booleano},
               {QStringLiteral("Confezione"), T::Byte},
               {QStringLiteral("Scorta"), T::Intero},
               {QStringLiteral("Peso"), T::Singolo}},
              articoli);
    if (!w.salva(file))
        throw std::runtime_error("cannot write the test file " + file.toStdString());
}

} // namespace ZendaroJet
