#include "testshop.h"

#include "catalogschema.h"

#include <QtTest>

class TestNegozio : public QObject {
    Q_OBJECT
private slots:
    void apreUnNegozioValido();
};

void TestNegozio::apreUnNegozioValido()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    QCOMPARE(t.finestra->caption, QStringLiteral("Vetrasto - ") + shop);
    QVERIFY2(t.messages.shown().empty(), qPrintable(t.messages.texts().join(u'|')));
    const ShopState &s = t.negozio.state;
    QCOMPARE(s.CartellaPagine, shop + QStringLiteral("/online"));
    QCOMPARE(s.CartellaTemplate, QStringLiteral("template/classico"));
    QCOMPARE(t.finestra->dati().cboTemplate, QStringList({QStringLiteral("modello1"), QStringLiteral("modello2")}));
    QCOMPARE(t.finestra->dati().tvwCategorie.count(), 2);
    QCOMPARE(t.finestra->dati().repartoCorrente(), QStringLiteral("cat001"));
    QCOMPARE(t.finestra->totale, QStringLiteral(" Articoli:  0 / 0"));
}

QTEST_MAIN(TestNegozio)
#include "test_negozio.moc"
