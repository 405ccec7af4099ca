// The number rules of the settings fields, as plain text functions, in the
// Italian notation the program uses: a text that is not a number becoming
// "0", a number written again in its shortest form, and a field's text as
// the settings snapshot holds it; an amount as a field shows it; pasted text
// as the key filters take it.
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
    void incollato_data();
    void incollato();
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

void TestRegole::incollato_data()
{
    // The field's text less the selection, where the paste lands, the
    // filter (n numeric, p numeric with "*", c digits only, r department),
    // the text pasted and what is inserted.
    QTest::addColumn<QString>("testo");
    QTest::addColumn<int>("posizione");
    QTest::addColumn<char>("filtro");
    QTest::addColumn<QString>("incolla");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("segno e lettere") << "" << 0 << 'n' << "-2.5kg" << "2,5";
    QTest::newRow("un separatore solo") << "" << 0 << 'n' << "1,2,3" << "1,23";
    QTest::newRow("separatore già nel campo") << "3,1" << 1 << 'n' << ",5" << "5";
    QTest::newRow("asterisco dove cade") << "" << 0 << 'p' << "12*" << "12000";
    QTest::newRow("niente che passi") << "5" << 1 << 'n' << "abc" << "";
    QTest::newRow("a capo e tabulazione") << "" << 0 << 'n' << "1\t2\r\n" << "12";
    QTest::newRow("solo cifre") << "" << 0 << 'c' << "3.7" << "37";
    QTest::newRow("reparto") << "" << 0 << 'r' << "Tè [bio] | £ 5" << "Tè bio   5";
}

void TestRegole::incollato()
{
    QFETCH(QString, testo);
    QFETCH(int, posizione);
    QFETCH(char, filtro);
    QFETCH(QString, incolla);
    const Filtro f = filtro == 'n'   ? Filtro([](const QString &t, QChar c) { return filtroNumerico(t, c); })
                     : filtro == 'p' ? Filtro([](const QString &t, QChar c) { return filtroNumerico(t, c, true); })
                     : filtro == 'c' ? Filtro(filtroCifre)
                                     : Filtro(filtroReparto);
    QTEST(Regole::incollato(f, testo, posizione, incolla), "atteso");
}

QTEST_GUILESS_MAIN(TestRegole)
#include "test_regole.moc"
