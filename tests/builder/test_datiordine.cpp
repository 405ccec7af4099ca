// The order script's price list: the bytes written for rows of articles and
// variants, and the article's name as the cart ends up holding it after the
// purchase call's escapes. The script reading such a file is tested under
// prove (tests/site/perl), with files from the same generator.
#include "datiordine.h"
#include "frammenti.h"

#include <QtTest>

Q_DECLARE_METATYPE(QList<RigaDatiOrdine>)

namespace {

Currency soldi(const char *testo) { return *Currency::parse(QString::fromLatin1(testo)); }

RigaDatiOrdine riga(const QString &articolo, const char *prezzo, const char *aliquota, float peso,
                    qint64 chiave = 7, const QString &codice = {})
{
    RigaDatiOrdine r;
    r.chiave = chiave;
    r.codice = codice;
    r.articolo = articolo;
    r.prezzo = soldi(prezzo);
    r.aliquota = soldi(aliquota);
    r.peso = peso;
    return r;
}

} // namespace

class TestDatiOrdine : public QObject {
    Q_OBJECT
private slots:
    void file_data();
    void file();
    void nomeInCarrello_data();
    void nomeInCarrello();
};

void TestDatiOrdine::file_data()
{
    QTest::addColumn<QString>("decimali");
    QTest::addColumn<QList<RigaDatiOrdine>>("righe");
    QTest::addColumn<QByteArray>("atteso");

    const QByteArray testa = "vetrasto-prezzi\t3\n";
    QTest::newRow("nessun articolo") << "0.00" << QList<RigaDatiOrdine>{} << testa;

    QTest::newRow("prezzo, aliquota e peso come li riceve il carrello")
        << "0.00" << QList<RigaDatiOrdine>{riga("CAF-001 Miscela", "9.5", "22", 0.25f, 12, "CAF-001")}
        << testa + "A\t12\tCAF-001\tCAF-001 Miscela\t9.50\t0.22\t.25\n";
    // The cart receives the price with the shop's decimals: the list holds
    // the same rounded amount.
    QTest::newRow("prezzo a quattro decimali, due decimali")
        << "0.00" << QList<RigaDatiOrdine>{riga("A", "81.0049", "4", 0.1f), riga("B", "12.3450", "10.5", 0)}
        << testa + "A\t7\t\tA\t81.00\t0.04\t.1\nA\t7\t\tB\t12.35\t0.105\t0\n";
    QTest::newRow("prezzo a quattro decimali, senza decimali")
        << "0" << QList<RigaDatiOrdine>{riga("A", "12.5", "0", 1234.5678f, 0)} << testa + "A\t\t\tA\t13\t0\t1234.568\n";

    RigaDatiOrdine varianti = riga("Moka", "20", "22", 1.5f);
    varianti.varianti[0] = {{QStringLiteral("In grani"), soldi("1.2"), 0.05f}, {QStringLiteral("Macinato"), soldi("0"), 0}};
    varianti.varianti[2] = {{QStringLiteral("Sconto"), soldi("-1.5"), -0.5f}};
    QTest::newRow("varianti nei loro menu, in ordine")
        << "0.00" << QList<RigaDatiOrdine>{varianti, riga("Tazza", "5", "22", 0)}
        << testa + "A\t7\t\tMoka\t20.00\t0.22\t1.5\nV\t1\tIn grani\t1.20\t.05\nV\t1\tMacinato\t0.00\t0\n"
                   "V\t3\tSconto\t-1.50\t-.5\nA\t7\t\tTazza\t5.00\t0.22\t0\n";

    // Two articles of one name at two prices: their numbers tell them apart.
    QTest::newRow("due articoli con lo stesso nome")
        << "0.00" << QList<RigaDatiOrdine>{riga("Tazza", "5", "22", 0.3f, 41, "T-1"), riga("Tazza", "7", "22", 0.3f, 42, "T\t2")}
        << testa + "A\t41\tT-1\tTazza\t5.00\t0.22\t.3\nA\t42\tT\\t2\tTazza\t7.00\t0.22\t.3\n";

    // Separators and line breaks inside a text never split a record.
    RigaDatiOrdine testi = riga(CartArticolo({}, QStringLiteral("Tab\there\\x")), "1", "0", 0);
    testi.varianti[1] = {{QStringLiteral("due\r\nrighe \u00e8"), soldi("0"), 0}, {QStringLiteral("\nA\tB"), soldi("0"), 0}};
    QTest::newRow("testi con tabulazioni, a capo e barre")
        << "0.00" << QList<RigaDatiOrdine>{testi}
        << testa + "A\t7\t\tTab\\there\\\\x\t1.00\t0\t0\nV\t2\tdue\\r\\nrighe \xc3\xa8\t0.00\t0\n"
                   "V\t2\t\\nA\\tB\t0.00\t0\n";
}

void TestDatiOrdine::file()
{
    QFETCH(QString, decimali);
    QFETCH(QList<RigaDatiOrdine>, righe);
    QFETCH(QByteArray, atteso);
    ShopState stato;
    stato.FormatoDecimali1 = decimali;
    QByteArray lista = IntestazioneDatiOrdine();
    for (const RigaDatiOrdine &r : righe)
        AggiungiDatiOrdine(lista, r, stato);
    QCOMPARE(lista, atteso);
    // The closing line counts the articles, not the variants nor a text
    // that holds "A" and a tab.
    QCOMPARE(ChiusuraDatiOrdine(lista), "fine\t" + QByteArray::number(righe.size()) + '\n');
}

// The purchase call carries CartArticolo's text inside a "javascript:"
// address: the browser percent-decodes it, reads it as a script string, and
// the cart turns "%22" and "%25" back into characters. The list must hold
// the name the cart then sends.
void TestDatiOrdine::nomeInCarrello_data()
{
    QTest::addColumn<QString>("codice");
    QTest::addColumn<QString>("titolo");
    QTest::addColumn<QString>("atteso");

    QTest::newRow("codice e titolo") << "CAF-001" << "Miscela <b>Bar</b>" << "CAF-001 Miscela Bar";
    QTest::newRow("virgolette e apostrofi") << "" << "Caff\u00e8 \"speciale\" l'ora" << "Caff\u00e8 \"speciale\" l'ora";
    QTest::newRow("percento e punto e virgola") << "" << "Sconto 50%; subito" << "Sconto 50%, subito";
    QTest::newRow("percento che sembra un codice") << "" << "Prova %22 e %25" << "Prova \" e %";
    QTest::newRow("barre rovesciate") << "A\\1" << "C:\\new \\\\ fine" << "A\\1 C:\\new \\\\ fine";
    QTest::newRow("a capo e separatori di riga") << "" << "uno\r\ndue\u2028tre" << "uno\r\ndue\u2028tre";
    QTest::newRow("caratteri tolti dal carrello") << "" << "[Tazza] | \u00a3 5" << " Tazza      5";
    QTest::newRow("tabulazione") << "T\t1" << "Miscela\tBar" << "T\t1 Miscela\tBar";
    QTest::newRow("NUL e controlli") << "" << QStringLiteral("Miscela") + QChar(0) + QChar(0x1b) + QStringLiteral("Bar")
                                     << "MiscelaBar";
    QTest::newRow("riferimenti per nome") << "" << "Caff&egrave; &ndash; d&rsquo;oro" << "Caff\u00e8 \u2013 d\u2019oro";
    QTest::newRow("minore che non apre un tag") << "A<1" << "Tazze 1 < 2 > 0" << "A<1 Tazze 1 < 2 > 0";
}

void TestDatiOrdine::nomeInCarrello()
{
    QFETCH(QString, codice);
    QFETCH(QString, titolo);
    QFETCH(QString, atteso);
    const QString chiamata = CartArticolo(codice, titolo);
    QCOMPARE(NomeInCarrello(chiamata), atteso);
    // An address loses every TAB and line break before its script runs, a
    // page every NUL: none may stand in the call as it is.
    for (QChar c : chiamata)
        QVERIFY2(c != u'\t' && c != u'\r' && c != u'\n' && c != QChar(0), qPrintable(chiamata));
}

QTEST_GUILESS_MAIN(TestDatiOrdine)
#include "test_datiordine.moc"
