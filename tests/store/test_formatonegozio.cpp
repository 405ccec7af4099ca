// The shop's number notation: its separators and decimals applied to the
// number module's forms, as the pages, the scripts and the window show them.
#include "formatonegozio.h"
#include "numeri.h"

#include <QTest>

static ShopState negozio(const QString &decimali, const QString &migliaia, const QString &formato = QStringLiteral("0.00"))
{
    ShopState s;
    s.SeparatoreDecimali = decimali;
    s.SeparatoreMigliaia = migliaia;
    s.FormatoDecimali1 = formato;
    return s;
}

class TestFormatoNegozio : public QObject {
    Q_OBJECT
private slots:
    void separatori_data();
    void separatori();
    void formatoImporto_data();
    void formatoImporto();
    void testoPrezzo_data();
    void testoPrezzo();
};

void TestFormatoNegozio::separatori_data()
{
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("decimali");
    QTest::addColumn<QString>("migliaia");
    QTest::addColumn<QString>("convertito");
    QTest::addColumn<QString>("decimale");
    QTest::newRow("italiana") << "1,234,567.89" << "," << "." << "1.234.567,89" << "1,234,567,89";
    QTest::newRow("inglese") << "1,234,567.89" << "." << "," << "1,234,567.89" << "1,234,567.89";
    QTest::newRow("senza migliaia") << "12.5" << "," << "." << "12,5" << "12,5";
    QTest::newRow("negativo") << "-1,000.00" << "," << "." << "-1.000,00" << "-1,000,00";
    QTest::newRow("separatori vuoti") << "1,000.50" << "" << "" << "100050" << "1,00050";
    QTest::newRow("Str con spazio") << " 12.5" << "," << "." << " 12,5" << " 12,5";
}

void TestFormatoNegozio::separatori()
{
    QFETCH(QString, numero);
    QFETCH(QString, decimali);
    QFETCH(QString, migliaia);
    QFETCH(QString, convertito);
    QFETCH(QString, decimale);
    const ShopState s = negozio(decimali, migliaia);
    QCOMPARE(ConvertiSeparatori(numero, s), convertito);
    QCOMPARE(DecimaleNegozio(numero, s), decimale);
}

void TestFormatoNegozio::formatoImporto_data()
{
    QTest::addColumn<QVariant>("importo");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("due decimali") << QVariant(1234.5) << "0.00" << "1234.50";
    QTest::newRow("senza decimali") << QVariant(1234.6) << "0" << "1235";
    QTest::newRow("currency") << QVariant::fromValue(Currency::fromRaw(12345678)) << "0.00" << "1234.57";
    QTest::newRow("singola") << QVariant(19.99f) << "0.00" << "19.99";
    QTest::newRow("zero") << QVariant::fromValue(Currency{}) << "0.00" << "0.00";
    QTest::newRow("grande, mai raggruppato") << QVariant::fromValue(Currency::fromUnits(1234567)) << "0.00"
                                             << "1234567.00";
    QTest::newRow("formato non ancora impostato") << QVariant(7.5) << "" << "8";
}

void TestFormatoNegozio::formatoImporto()
{
    QFETCH(QVariant, importo);
    QFETCH(QString, formato);
    QFETCH(QString, atteso);
    // The shop's separators do not matter: a script reads the number.
    QCOMPARE(FormatoImporto(importo, negozio(",", ".", formato)), atteso);
    QCOMPARE(FormatoImporto(importo, negozio(".", ",", formato)), atteso);
}

void TestFormatoNegozio::testoPrezzo_data()
{
    QTest::addColumn<Currency>("importo");
    QTest::addColumn<QString>("decimali");
    QTest::addColumn<QString>("migliaia");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QString>("atteso");
    const Currency grande = Currency::fromRaw(12345678900);  // 1,234,567.89
    QTest::newRow("italiana") << grande << "," << "." << "0.00" << "EUR 1.234.567,89";
    QTest::newRow("inglese") << grande << "." << "," << "0.00" << "EUR 1,234,567.89";
    QTest::newRow("senza decimali") << grande << "," << "." << "0" << "EUR 1.234.568";
    QTest::newRow("formato non ancora impostato") << grande << "," << "." << "" << "EUR 1.234.568";
    QTest::newRow("meno di mille") << Currency::fromRaw(99900) << "," << "." << "0.00" << "EUR 9,99";
    QTest::newRow("zero") << Currency{} << "," << "." << "0.00" << "EUR 0,00";
}

void TestFormatoNegozio::testoPrezzo()
{
    QFETCH(Currency, importo);
    QFETCH(QString, decimali);
    QFETCH(QString, migliaia);
    QFETCH(QString, formato);
    ShopState s = negozio(decimali, migliaia, formato);
    s.PrefissoValuta1 = QStringLiteral("EUR ");
    QFETCH(QString, atteso);
    QCOMPARE(TestoPrezzo(importo, s), atteso);
    // Without the currency, as the window's lists show it.
    QCOMPARE(QStringLiteral("EUR ") + ImportoPrezzo(importo, s), atteso);
}

QTEST_GUILESS_MAIN(TestFormatoNegozio)
#include "test_formatonegozio.moc"
