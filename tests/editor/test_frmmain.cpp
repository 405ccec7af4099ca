// The main window's start-up on real shops: which shop it opens, the
// question for a folder without a catalogue, and the restart on another shop.
#include "testshop.h"

#include "avvio.h"
#include "programfolder.h"
#include "settings.h"
#include "shell.h"

#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void apreIlNegozioDiServerPath();
    void cartellaSenzaCatalogo_data();
    void cartellaSenzaCatalogo();
    void riavvioSuUnAltroNegozio();
};

static void scriviServerPath(const QString &line)
{
    scrivi(ProgramFolder::serverPathFile(), (line + QStringLiteral("\r\n")).toUtf8());
}

void TestFrmMain::apreIlNegozioDiServerPath()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    scriviServerPath(shop);
    ScriptedMessages messages;
    Avvio avvio(messages);
    avvio.mostraMain();
    frmMain *w = avvio.finestra();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("Vetrasto - ") + shop);
    QCOMPARE(w->tvwCategorie()->topLevelItemCount(), 1);
    QTreeWidgetItem *root = w->tvwCategorie()->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Negozio"));
    QVERIFY(root->isExpanded());
    QCOMPARE(root->child(0)->text(0), QStringLiteral("Nuovo Reparto"));
    QCOMPARE(w->tvwCategorie()->currentItem(), root->child(0));
    QCOMPARE(w->lblTotaleArticoli()->text(), QStringLiteral(" Articoli:  0 / 0"));
    QCOMPARE(SettingsStore::get("Vetrasto", "AppIni", "Path"), program.path());
    QVERIFY(messages.shown().empty());
    // A click on the root leaves the department: the root is current.
    w->tvwCategorie()->itemClicked(root, 0);
    QCOMPARE(w->dati().repartoCorrente(), AlberoReparti::Radice);
    QCOMPARE(w->lblTotaleArticoli()->text(), QStringLiteral(" Articoli:  0"));
    delete w;
}

void TestFrmMain::cartellaSenzaCatalogo_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("finished");
    QTest::newRow("No ends the program") << int(Messages::Answer::No) << true;
    QTest::newRow("Yes, then the picker cancelled") << int(Messages::Answer::Yes) << false;
}

void TestFrmMain::cartellaSenzaCatalogo()
{
    QFETCH(int, answer);
    QFETCH(bool, finished);
    TestProgramFolder program;
    QStringList asked;
    Shell::setPicker([&](const QString &titolo, const QString &) {
        asked << titolo;
        return QString();
    });
    QTemporaryDir empty;
    scriviServerPath(empty.path());
    ScriptedMessages messages;
    messages.answer(Messages::Answer(answer));
    Avvio avvio(messages);
    avvio.mostraMain();
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("La cartella '%1' non contiene un negozio valido.\r\n"
                                                          "Si desidera aprire un altro negozio?")
                                               .arg(empty.path())});
    QCOMPARE(messages.shown()[0].icon, Messages::Icon::Critical);
    QCOMPARE(avvio.finito(), finished);
    QVERIFY(avvio.negozio().state.PercorsoNegozio.isEmpty());
    QCOMPARE(asked.size(), finished ? 0 : 1);
    Shell::setPicker({});
    delete avvio.finestra();
}

void TestFrmMain::riavvioSuUnAltroNegozio()
{
    TestProgramFolder program;
    const QString first = program.newShop(QStringLiteral("primo"));
    const QString second = program.newShop(QStringLiteral("secondo"));
    scriviServerPath(first);
    ScriptedMessages messages;
    Avvio avvio(messages);
    avvio.mostraMain();
    QPointer<frmMain> old = avvio.finestra();
    QVERIFY(avvio.negozio().ApriNegozio(second));
    // The old window is still there while its code runs; the new one comes next.
    QVERIFY(old);
    QVERIFY(avvio.negozio().state.PercorsoNegozio.isEmpty());
    QTRY_VERIFY(avvio.finestra() && avvio.finestra() != old.data());
    QTRY_VERIFY(!old);
    QCOMPARE(avvio.finestra()->windowTitle(), QStringLiteral("Vetrasto - ") + second);
    QVERIFY(avvio.negozio().state.dbCatalogo->exclusive());
    delete avvio.finestra();
}

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
