// The number module: every price and number the site shows goes through it,
// so each conversion is checked against a table of cases.
#include "numeri.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<double>)

static Currency cur(const char *t) { return *Currency::parse(QString::fromLatin1(t)); }

class TestNumeri : public QObject {
    Q_OBJECT
private slots:
    void strDouble_data();
    void strDouble();
    void strSingle_data();
    void strSingle();
    void strCurrency_data();
    void strCurrency();
    void val_data();
    void val();
    void numeroDaTesto_data();
    void numeroDaTesto();
    void cint_data();
    void cint();
    void formatDouble_data();
    void formatDouble();
    void formatCurrency_data();
    void formatCurrency();
    void formatVariant_data();
    void formatVariant();
    void conversioneCurrency_data();
    void conversioneCurrency();
    void aritmetica_data();
    void aritmetica();
    void scontiInCascata();
    void testoValore_data();
    void testoValore();
};

void TestNumeri::strDouble_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("intero") << 50.0 << " 50";
    QTest::newRow("decimale") << 12.5 << " 12.5";
    QTest::newRow("sotto uno") << 0.2 << " .2";
    QTest::newRow("negativo sotto uno") << -0.25 << "-.25";
    QTest::newRow("negativo") << -1234.5 << "-1234.5";
    QTest::newRow("15 cifre") << 0.1 + 0.2 << " .3";
    QTest::newRow("grande") << 123456789012345.0 << " 123456789012345";
    QTest::newRow("esponente") << 1e15 << " 1E+15";
    QTest::newRow("intero con zeri") << 22000.0 << " 22000";
    QTest::newRow("intero negativo") << -22.0 << "-22";
    QTest::newRow("intero oltre 15 cifre") << 1234567890123456.0 << " 1.23456789012346E+15";
    QTest::newRow("piccolo") << 0.0001 << " .0001";
    QTest::newRow("piccolissimo") << 0.00001 << " 1E-05";
    QTest::newRow("mantissa") << 1.5e-7 << " 1.5E-07";
}

void TestNumeri::strDouble()
{
    QFETCH(double, v);
    QFETCH(QString, atteso);
    QCOMPARE(Str(v), atteso);
}

void TestNumeri::strSingle_data()
{
    QTest::addColumn<float>("v");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("aliquota 20%") << 0.2f << " .2";
    QTest::newRow("aliquota x 100") << 0.2f * 100.0f << " 20";
    QTest::newRow("aliquota 4%") << 0.04f << " .04";
    QTest::newRow("prezzo") << 19.99f << " 19.99";
    QTest::newRow("sette cifre") << 1234.567f << " 1234.567";
    QTest::newRow("artefatto singola") << 100.0f - 0.9f * 0.9f * 100.0f << " 19.00001";
    QTest::newRow("sconto 12.5") << float(CInt((1.0 - 87.5 / 100.0) * 1000) / 10.0) << " 12.5";
    QTest::newRow("esponente") << 12345678.0f << " 1.234568E+07";
    QTest::newRow("sette cifre intere") << 1234567.0f << " 1234567";
    QTest::newRow("dieci milioni") << 10000000.0f << " 1E+07";
    QTest::newRow("negativo") << -3.5f << "-3.5";
}

void TestNumeri::strSingle()
{
    QFETCH(float, v);
    QFETCH(QString, atteso);
    QCOMPARE(Str(v), atteso);
}

void TestNumeri::strCurrency_data()
{
    QTest::addColumn<Currency>("v");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("minimo 50") << cur("50") << " 50";
    QTest::newRow("12.5") << cur("12.5") << " 12.5";
    QTest::newRow("quattro decimali") << cur("0.0001") << " .0001";
    QTest::newRow("negativo") << cur("-7.25") << "-7.25";
    QTest::newRow("grande, mai esponente") << Currency::fromUnits(123456789012345) << " 123456789012345";
    QTest::newRow("zero") << Currency{} << " 0";
}

void TestNumeri::strCurrency()
{
    QFETCH(Currency, v);
    QFETCH(QString, atteso);
    QCOMPARE(Str(v), atteso);
}

void TestNumeri::val_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<double>("atteso");
    QTest::newRow("vuoto") << "" << 0.0;
    QTest::newRow("intero") << "3" << 3.0;
    QTest::newRow("spazi ovunque") << " 1 2 3" << 123.0;
    QTest::newRow("decimale") << "12.5" << 12.5;
    QTest::newRow("punto iniziale") << ".5" << 0.5;
    QTest::newRow("negativo") << "-2.25" << -2.25;
    QTest::newRow("virgola ferma") << "1,5" << 1.0;
    QTest::newRow("lettere dopo") << "12abc" << 12.0;
    QTest::newRow("lettere prima") << "abc12" << 0.0;
    QTest::newRow("due punti") << "1.2.3" << 1.2;
    QTest::newRow("esponente") << "1e3" << 1000.0;
    QTest::newRow("esponente D") << "2D2" << 200.0;
    QTest::newRow("esponente monco") << "5e" << 5.0;
    QTest::newRow("esadecimale") << "&HFF" << 255.0;
    QTest::newRow("esadecimale a 16 bit") << "&HFFFF" << -1.0;
    QTest::newRow("ottale") << "&O17" << 15.0;
    QTest::newRow("mezzo") << "2.5" << 2.5;
}

void TestNumeri::val()
{
    QFETCH(QString, testo);
    QFETCH(double, atteso);
    QCOMPARE(Val(testo), atteso);
}

void TestNumeri::numeroDaTesto_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<std::optional<double>>("atteso");
    QTest::newRow("vuoto") << "" << std::optional<double>();
    QTest::newRow("spazi") << "   " << std::optional<double>();
    QTest::newRow("intero") << " 10 " << std::optional<double>(10);
    QTest::newRow("punto") << "1936.27" << std::optional<double>(1936.27);
    QTest::newRow("virgola") << "1936,27" << std::optional<double>(1936.27);
    QTest::newRow("negativo") << "-5" << std::optional<double>(-5);
    QTest::newRow("solo separatore") << "," << std::optional<double>();
    QTest::newRow("migliaia") << "1.000,50" << std::optional<double>();
    QTest::newRow("lettere") << "10%" << std::optional<double>();
}

void TestNumeri::numeroDaTesto()
{
    QFETCH(QString, testo);
    QFETCH(std::optional<double>, atteso);
    QCOMPARE(NumeroDaTesto(testo), atteso);
    QCOMPARE(IsNumeric(testo), atteso.has_value());
}

void TestNumeri::cint_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<int>("atteso");
    QTest::newRow("mezzo va al pari (giu)") << 2.5 << 2;
    QTest::newRow("mezzo va al pari (su)") << 3.5 << 4;
    QTest::newRow("mezzo zero") << 0.5 << 0;
    QTest::newRow("negativo mezzo") << -2.5 << -2;
    QTest::newRow("sotto mezzo") << 2.49 << 2;
    QTest::newRow("sopra mezzo") << 2.51 << 3;
    QTest::newRow("livelli 1+1") << Val("1") + 1 << 2;
    QTest::newRow("traboccamento") << 1e9 << 32767;
    QTest::newRow("traboccamento negativo") << -1e9 << -32768;
}

void TestNumeri::cint()
{
    QFETCH(double, v);
    QFETCH(int, atteso);
    QCOMPARE(CInt(v), atteso);
    QCOMPARE(CLng(v), qBound(-2147483647 - 1, int(ArrotondaPari(v) > 2e9 ? 2147483647 : ArrotondaPari(v) < -2e9 ? -2147483647 - 1 : ArrotondaPari(v)), 2147483647));
}

void TestNumeri::formatDouble_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<QString>("modello");
    QTest::addColumn<QString>("atteso");
    const QString prezzo2 = QStringLiteral("###,###,###,##0.00");
    const QString prezzo0 = QStringLiteral("###,###,###,##0");
    QTest::newRow("prezzo raggruppato") << 1234.5 << prezzo2 << "1,234.50";
    QTest::newRow("milioni") << 1234567.891 << prezzo2 << "1,234,567.89";
    QTest::newRow("sotto mille") << 999.999 << prezzo2 << "1,000.00";
    QTest::newRow("zero") << 0.0 << prezzo2 << "0.00";
    QTest::newRow("senza decimali") << 1234.5 << prezzo0 << "1,235";
    QTest::newRow("mezzo lontano da zero") << 2.5 << "0" << "3";
    QTest::newRow("mezzo negativo") << -2.5 << "0" << "-3";
    QTest::newRow("mezzo ai centesimi") << 1.005 << "0.00" << "1.01";
    QTest::newRow("2.675") << 2.675 << "0.00" << "2.68";
    QTest::newRow("negativo") << -1234.5 << prezzo2 << "-1,234.50";
    QTest::newRow("zero negativo senza segno") << -0.001 << "0.00" << "0.00";
    QTest::newRow("cancelletti: zero vuoto") << 0.0 << "#####" << "";
    QTest::newRow("cancelletti") << 120.0 << "#####" << "120";
    QTest::newRow("cancelletti oltre") << 1234567.0 << "#####" << "1234567";
    QTest::newRow("#0 arrotonda") << 7.6 << "#0" << "8";
    QTest::newRow("#0 zero") << 0.0 << "#0" << "0";
    QTest::newRow("###000") << 5.0 << "###000" << "005";
    QTest::newRow("###000 lungo") << 12345.0 << "###000" << "12345";
    QTest::newRow("###0") << 40.0 << "###0" << "40";
    QTest::newRow("importo script") << 1234.5 << "##################0.00" << "1234.50";
    QTest::newRow("importo script intero") << 1234.6 << "##################0" << "1235";
    QTest::newRow("zero-virgola-zero") << 1.5 << "0.0" << "1.5";
    QTest::newRow("testo attorno") << 3.0 << "(0)x" << "(3)x";
}

void TestNumeri::formatDouble()
{
    QFETCH(double, v);
    QFETCH(QString, modello);
    QFETCH(QString, atteso);
    QCOMPARE(Format(v, modello), atteso);
}

void TestNumeri::formatCurrency_data()
{
    QTest::addColumn<Currency>("v");
    QTest::addColumn<QString>("modello");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("due decimali") << cur("1234.5") << "###,###,###,##0.00" << "1,234.50";
    QTest::newRow("mezzo centesimo su") << cur("0.005") << "0.00" << "0.01";
    QTest::newRow("mezzo centesimo negativo") << cur("-0.005") << "0.00" << "-0.01";
    QTest::newRow("sotto mezzo") << cur("0.0049") << "0.00" << "0.00";
    QTest::newRow("mezzo euro") << cur("2.5") << "###,###,###,##0" << "3";
    QTest::newRow("grandi importi esatti") << Currency::fromRaw(INT64_MAX) << "###,###,###,##0.00"
                                           << "922,337,203,685,477.58";
    QTest::newRow("81000") << cur("81000") << "###,###,###,##0.00" << "81,000.00";
}

void TestNumeri::formatCurrency()
{
    QFETCH(Currency, v);
    QFETCH(QString, modello);
    QFETCH(QString, atteso);
    QCOMPARE(Format(v, modello), atteso);
}

void TestNumeri::formatVariant_data()
{
    QTest::addColumn<QVariant>("v");
    QTest::addColumn<QString>("modello");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("null") << QVariant() << "#####" << "";
    QTest::newRow("currency") << QVariant::fromValue(cur("19.99")) << "0.00" << "19.99";
    QTest::newRow("singola") << QVariant(19.99f) << "0.00" << "19.99";
    QTest::newRow("doppia") << QVariant(0.125) << "0.00" << "0.13";
    QTest::newRow("intero") << QVariant(qint64(40)) << "#####" << "40";
    QTest::newRow("booleano vero") << QVariant(true) << "0" << "-1";
    QTest::newRow("testo numero") << QVariant(QStringLiteral("12.5")) << "0.00" << "12.50";
    QTest::newRow("testo non numero") << QVariant(QStringLiteral("abc")) << "0.00" << "abc";
}

void TestNumeri::formatVariant()
{
    QFETCH(QVariant, v);
    QFETCH(QString, modello);
    QFETCH(QString, atteso);
    QCOMPARE(Format(v, modello), atteso);
}

void TestNumeri::conversioneCurrency_data()
{
    QTest::addColumn<QVariant>("v");
    QTest::addColumn<Currency>("atteso");
    QTest::newRow("singola 0.9 esatta") << QVariant(0.9f) << cur("0.9");
    QTest::newRow("singola 19.99") << QVariant(19.99f) << cur("19.99");
    QTest::newRow("singola mezzo pari giu") << QVariant(0.00005f) << cur("0");
    QTest::newRow("singola mezzo pari su") << QVariant(0.00015f) << cur("0.0002");
    QTest::newRow("doppia mezzo pari giu") << QVariant(2.00025) << cur("2.0002");
    QTest::newRow("doppia mezzo pari su") << QVariant(2.00035) << cur("2.0004");
    QTest::newRow("doppia negativa") << QVariant(-1.23456) << cur("-1.2346");
    QTest::newRow("testo") << QVariant(QStringLiteral("1936,27")) << cur("1936.27");
    QTest::newRow("null") << QVariant() << cur("0");
    QTest::newRow("intero") << QVariant(7) << cur("7");
}

void TestNumeri::conversioneCurrency()
{
    QFETCH(QVariant, v);
    QFETCH(Currency, atteso);
    QCOMPARE(CCur(v), atteso);
}

void TestNumeri::aritmetica_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<Currency>("a");
    QTest::addColumn<Currency>("b");
    QTest::addColumn<Currency>("atteso");
    QTest::newRow("prodotto") << "x" << cur("19.99") << cur("0.2") << cur("3.998");
    QTest::newRow("prodotto mezzo pari giu") << "x" << cur("0.0001") << cur("0.5") << cur("0");
    QTest::newRow("prodotto mezzo pari su") << "x" << cur("0.0003") << cur("0.5") << cur("0.0002");
    QTest::newRow("prodotto negativo") << "x" << cur("-0.0003") << cur("0.5") << cur("-0.0002");
    QTest::newRow("quoziente") << "/" << cur("100") << cur("3") << cur("33.3333");
    QTest::newRow("quoziente pari") << "/" << cur("0.0001") << cur("2") << cur("0");
    QTest::newRow("quoziente per zero") << "/" << cur("5") << cur("0") << cur("0");
    QTest::newRow("sconto 10%") << "-%" << cur("100000") << cur("10") << cur("90000");
    QTest::newRow("sconto 33.33%") << "-%" << cur("10") << cur("33.33") << cur("6.667");
    QTest::newRow("sconto 0") << "-%" << cur("12.34") << cur("0") << cur("12.34");
    QTest::newRow("sconto 100") << "-%" << cur("12.34") << cur("100") << cur("0");
    QTest::newRow("cambio lire") << "cambio" << cur("100") << cur("1936.27") << cur("0.0516");
    QTest::newRow("cambio dollaro") << "cambio" << cur("81000") << cur("0.9") << cur("90000");
}

void TestNumeri::aritmetica()
{
    QFETCH(QString, op);
    QFETCH(Currency, a);
    QFETCH(Currency, b);
    QFETCH(Currency, atteso);
    Currency r;
    if (op == u"x")
        r = Moltiplica(a, b);
    else if (op == u"/")
        r = Dividi(a, b);
    else if (op == u"-%")
        r = TogliSconto(a, b);
    else
        r = DividiPerCambio(a, b.toDouble());
    QCOMPARE(r, atteso);
}

void TestNumeri::scontiInCascata()
{
    // Department discount 10% and shop discount 10% on 100,000.00: the page
    // shows 81.000,00, never a single-precision approximation.
    const Currency prezzo = TogliSconto(TogliSconto(cur("100000"), CurrencyDaSingle(10.0f)), CurrencyDaSingle(10.0f));
    QCOMPARE(prezzo, cur("81000"));
    const Currency fattore = Moltiplica(CurrencyDaSingle(0.9f), CurrencyDaSingle(0.9f));
    QCOMPARE(fattore, cur("0.81"));
    QCOMPARE(Moltiplica(cur("100000"), fattore), cur("81000"));
    QCOMPARE(Format(prezzo, QStringLiteral("###,###,###,##0.00")), QStringLiteral("81,000.00"));
}

void TestNumeri::testoValore_data()
{
    QTest::addColumn<QVariant>("v");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("testo") << QVariant(QStringLiteral(" a ")) << " a ";
    QTest::newRow("currency") << QVariant::fromValue(cur("12.5")) << "12.5";
    QTest::newRow("singola") << QVariant(0.2f) << "0.2";
    QTest::newRow("negativa") << QVariant(-0.5) << "-0.5";
    QTest::newRow("intero") << QVariant(42) << "42";
    QTest::newRow("booleano") << QVariant(true) << "True";
}

void TestNumeri::testoValore()
{
    QFETCH(QVariant, v);
    QFETCH(QString, atteso);
    QCOMPARE(TestoValore(v), atteso);
}

QTEST_GUILESS_MAIN(TestNumeri)
#include "test_numeri.moc"
