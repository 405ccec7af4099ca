// The number rules of the settings fields, as plain text functions, in the
// Italian notation the program uses: a text that is not a number becoming
// "0", a number written again in its shortest form, and a field's text as
// the settings snapshot holds it.
#include "regole.h"

#include <QLocale>
#include <QtTest>

using namespace Regole;

class TestRegole : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void zeroSeNonNumero_data();
    void zeroSeNonNumero();
    void riscriviNumero_data();
    void riscriviNumero();
    void testoInvariante_data();
    void testoInvariante();
};

void TestRegole::zeroSeNonNumero_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<bool>("vuoto");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("numero") << "12,5" << false << "12,5";
    QTest::newRow("separatore finale") << "12," << false << "12,";
    QTest::newRow("solo separatore") << "," << false << "0";
    QTest::newRow("lettere") << "abc" << false << "0";
    QTest::newRow("punto decimale inglese") << "12.5.1" << false << "0";
    QTest::newRow("vuoto resta") << "" << false << "";
    QTest::newRow("spazi restano") << "  " << false << "  ";
    QTest::newRow("vuoto diventa zero") << "" << true << "0";
    QTest::newRow("spazi diventano zero") << "  " << true << "0";
}

void TestRegole::zeroSeNonNumero()
{
    QFETCH(QString, testo);
    QFETCH(bool, vuoto);
    QTEST(Regole::zeroSeNonNumero(testo, vuoto), "atteso");
}

void TestRegole::riscriviNumero_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("zeri iniziali") << "007" << "7";
    QTest::newRow("zeri decimali") << "10,50" << "10,5";
    QTest::newRow("separatore finale") << "3," << "3";
    QTest::newRow("migliaia") << "1.000,25" << "1000,25";
    QTest::newRow("vuoto") << "" << "";
    QTest::newRow("lettere") << "abc" << "abc";
    QTest::newRow("quindici cifre") << "123456789012345" << "123456789012345";
}

void TestRegole::riscriviNumero()
{
    QFETCH(QString, testo);
    QTEST(Regole::riscriviNumero(testo), "atteso");
}

void TestRegole::testoInvariante_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<int>("precisione");
    QTest::addColumn<QString>("atteso");
    const int s = int(Precisione::Singola), d = int(Precisione::Doppia), v = int(Precisione::Valuta);
    QTest::newRow("singola") << "12,5" << s << "12.5";
    QTest::newRow("singola a sette cifre") << "1234,56789" << s << "1234.568";
    QTest::newRow("doppia") << "1936,27" << d << "1936.27";
    QTest::newRow("doppia minore di uno") << "0,5" << d << "0.5";
    QTest::newRow("valuta") << "10,50" << v << "10.5";
    QTest::newRow("valuta a quattro decimali") << "0,12345" << v << "0.1234";
    QTest::newRow("vuoto") << "" << d << "";
    QTest::newRow("non numero") << "," << s << ",";
}

void TestRegole::testoInvariante()
{
    QFETCH(QString, testo);
    QFETCH(int, precisione);
    QTEST(Regole::testoInvariante(testo, Precisione(precisione)), "atteso");
}

QTEST_GUILESS_MAIN(TestRegole)
#include "test_regole.moc"
