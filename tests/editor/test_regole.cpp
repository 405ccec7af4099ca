// The number rules of the settings fields, as plain text functions, in the
// Italian notation the program uses: a text that is not a number becoming
// "0", a number written again in its shortest form, and a field's text as
// the settings snapshot holds it; an amount as a field shows it; what the
// change rules make of a pasted text.
#include "regole.h"

#include "numeri.h"

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
    void testoImporto_data();
    void testoImporto();
    void regoleDelCambio_data();
    void regoleDelCambio();
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

void TestRegole::testoImporto_data()
{
    QTest::addColumn<double>("importo");
    QTest::addColumn<int>("decimali");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("un decimale") << 2.4 << 2 << "2,40";
    QTest::newRow("intero") << 10.0 << 2 << "10,00";
    QTest::newRow("quattro decimali") << 0.1234 << 2 << "0,1234";
    QTest::newRow("tre decimali") << 1.125 << 2 << "1,125";
    QTest::newRow("senza decimali, intero") << 1234.0 << 0 << "1234";
    QTest::newRow("senza decimali, non intero") << 2.4 << 0 << "2,4";
    QTest::newRow("zero") << 0.0 << 2 << "0,00";
}

void TestRegole::testoImporto()
{
    QFETCH(double, importo);
    QFETCH(int, decimali);
    QTEST(Regole::testoImporto(CCur(importo), decimali), "atteso");
}

void TestRegole::regoleDelCambio_data()
{
    // What a field's change rules make of a text pasted as it is (the key
    // filters see typed characters only): the rule (p made positive in
    // single precision, i amount made positive exactly, n whole number then
    // made positive, s discount, made positive then at most 100), the text,
    // and what the field then holds after the change the rule's own
    // replacement raises.
    QTest::addColumn<char>("regola");
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("negativo") << 'p' << "-5" << "5";
    QTest::newRow("negativo a sette cifre") << 'p' << "-1234,56789" << "1234,568";
    QTest::newRow("lettere restano") << 'p' << "-2.5kg" << "-2.5kg";
    QTest::newRow("importo negativo esatto") << 'i' << "-1234567,89" << "1234567,89";
    QTest::newRow("importo con migliaia") << 'i' << " -1.234,5 " << "1.234,5";
    QTest::newRow("importo positivo resta") << 'i' << "0012,50" << "0012,50";
    QTest::newRow("importo di lettere resta") << 'i' << "-abc" << "-abc";
    QTest::newRow("intero: frazione col punto") << 'n' << "3.7" << "3";
    QTest::newRow("intero: frazione con la virgola") << 'n' << "3,7" << "3";
    QTest::newRow("intero: zero iniziale") << 'n' << "05" << "5";
    QTest::newRow("intero: vuoto") << 'n' << "" << "0";
    QTest::newRow("intero: lettere") << 'n' << "abc" << "0";
    QTest::newRow("intero: negativo") << 'n' << "-3.7" << "4";
    QTest::newRow("sconto negativo oltre 100") << 's' << "-150" << "100";
    QTest::newRow("sconto 100") << 's' << "100" << "100";
    QTest::newRow("sconto di lettere") << 's' << "abc" << "abc";
}

void TestRegole::regoleDelCambio()
{
    QFETCH(char, regola);
    QFETCH(QString, testo);
    const std::function<QString(const QString &)> cambio =
        regola == 'p'   ? std::function<QString(const QString &)>(positivo)
        : regola == 'i' ? std::function<QString(const QString &)>(positivoImporto)
        : regola == 'n' ? std::function<QString(const QString &)>([](const QString &t) { return positivo(intero(t)); })
                        : std::function<QString(const QString &)>([](const QString &t) { return alPiu(positivo(t), 100); });
    // A replaced text changes the field again, until a rule leaves it be.
    QString t = testo;
    for (int giro = 0; giro < 4; ++giro) {
        const QString nuovo = cambio(t);
        if (nuovo == t)
            break;
        t = nuovo;
    }
    QTEST(t, "atteso");
}

QTEST_GUILESS_MAIN(TestRegole)
#include "test_regole.moc"
