// The main window on real shops, driven with real mouse and key events: the
// start-up (which shop it opens, the question for a folder without a
// catalogue, the restart on another shop, a program folder left untouched),
// the commands the selection allows, and the departments view.
#include "finestraprova.h"

#include "alberocategorie.h"
#include "avvio.h"
#include "programfolder.h"
#include "settings.h"
#include "shell.h"
#include "vistareparti.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void apreIlNegozioDiServerPath();
    void cartellaSenzaCatalogo_data();
    void cartellaSenzaCatalogo();
    void riavvioSuUnAltroNegozio();
    void laCartellaDelProgrammaNonCambia();
    void comandiDopoOgniSelezione_data();
    void comandiDopoOgniSelezione();
    void pannelliDeiReparti();
    void titoloDelRepartoAllUscita();
};

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
    QTest::mouseClick(w->tvwCategorie()->viewport(), Qt::LeftButton, {}, w->tvwCategorie()->visualItemRect(root).center());
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

namespace {

// Every file under a folder with its checksum.
QMap<QString, QByteArray> impronte(const QString &cartella)
{
    QMap<QString, QByteArray> m;
    QDirIterator it(cartella, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        m.insert(QDir(cartella).relativeFilePath(f), QCryptographicHash::hash(leggi(f), QCryptographicHash::Sha1));
    }
    return m;
}

// A copy of a folder tree, links followed.
void copiaAlbero(const QString &da, const QString &a)
{
    QDirIterator it(da, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
    while (it.hasNext()) {
        const QString f = it.next();
        scrivi(a + u'/' + QDir(da).relativeFilePath(f), leggi(f));
    }
}

} // namespace

void TestFrmMain::laCartellaDelProgrammaNonCambia()
{
    // A fresh program folder: a copy of the built one, with its template
    // sets, scripts, payment systems, help, and the empty and demo shops.
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    QVERIFY2(QFile::exists(bin + QStringLiteral("/demo/catalog.mdb")), "the demo shop is built");
    QTemporaryDir programma, utente;
    for (const char *d : {"template", "code", "help", "new", "demo"})
        copiaAlbero(bin + u'/' + QLatin1String(d), programma.path() + u'/' + QLatin1String(d));
    ProgramFolder::setPath(programma.path());
    ProgramFolder::setUserFolder(utente.path());
    SettingsStore::setLocation(utente.path() + QStringLiteral("/settings"));
    const auto prima = impronte(programma.path());
    QVERIFY(prima.size() > 50);
    {
        ScriptedMessages messages;
        Avvio avvio(messages);
        avvio.mostraMain();
        QVERIFY(avvio.finestra() && avvio.finestra()->isVisible());
        QCOMPARE(avvio.negozio().state.PercorsoNegozio, ProgramFolder::defaultShopFolder());
        QVERIFY(messages.shown().empty());
        avvio.finestra()->close();
        delete avvio.finestra();
    }
    QCOMPARE(impronte(programma.path()), prima);
    // The demo's payment settings went to the default shop's own code folder.
    QVERIFY(QFile::exists(ProgramFolder::defaultShopFolder() + QStringLiteral("/code/Contrassegno/conf.ini")));
    ProgramFolder::setUserFolder({});
}

void TestFrmMain::comandiDopoOgniSelezione_data()
{
    QTest::addColumn<QString>("nodo");
    QTest::addColumn<bool>("reparto");
    QTest::addColumn<bool>("articolo");
    QTest::newRow("the shop") << "Negozio" << false << false;
    QTest::newRow("department with articles") << "Reparto 1" << true << true;
    QTest::newRow("empty department") << "Reparto 2" << true << false;
}

void TestFrmMain::comandiDopoOgniSelezione()
{
    QFETCH(QString, nodo);
    QFETCH(bool, reparto);
    QFETCH(bool, articolo);
    auto f = apriFinestra();
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, nodo));
    const RegistroComandi &c = f->w->comandi();
    const QStringList nomiReparto = {"+ categoria prima", "+ categoria dopo", "categoria su", "categoria giu",
                                     "- categoria", "copia categoria", "+ articolo prima", "+ articolo dopo",
                                     "+ immagine cat0", "+ immagine cat1", "maschera categorie"};
    for (const QString &n : nomiReparto)
        QVERIFY2(c.abilitato(n) == reparto, qPrintable(n));
    for (const QString &n : {"articolo su", "articolo giu", "- articolo", "copia articolo", "+ immagine0",
                             "+ immagine1", "+ immagine2", "maschera articoli"})
        QVERIFY2(c.abilitato(n) == articolo, qPrintable(n));
    // Nothing copied yet, no picture shown; the tree holds departments.
    for (const QString &n : {"incolla articolo", "incolla categoria", "- immagine0", "- immagine cat0",
                             "- immagine neg0"})
        QVERIFY2(!c.abilitato(n), qPrintable(n));
    QVERIFY(c.abilitato(QStringLiteral("espansione")));
    // Each action follows its name, menu entry and button alike.
    QCOMPARE(c.azione(Cmd::EliminaReparto)->isEnabled(), reparto);
    QCOMPARE(c.azione(Cmd::EliminaArticolo)->isEnabled(), articolo);
    QVERIFY(c.azione(Cmd::AggiungiSottoreparto)->isEnabled());
    QCOMPARE(f->w->findChild<QMenu *>(QStringLiteral("mnuSpostaArt"))->menuAction()->isEnabled(), articolo);
    // Copying an article offers its paste, and only its paste.
    if (articolo) {
        QTest::mouseClick(f->w->vistaReparti()->gridCategorie->viewport(), Qt::LeftButton);  // the focus stays put
        f->w->comandi().azione(Cmd::CopiaArticolo)->trigger();
        QVERIFY(c.abilitato(QStringLiteral("incolla articolo")));
        QVERIFY(!c.abilitato(QStringLiteral("incolla categoria")));
    }
    QCOMPARE(f->w->lblTotaleArticoli()->text(),
             reparto ? QStringLiteral(" Articoli:  %1 / 3").arg(articolo ? 3 : 0) : QStringLiteral(" Articoli:  3"));
}

void TestFrmMain::pannelliDeiReparti()
{
    auto f = apriFinestra();
    QVERIFY(f->w);
    VistaReparti *v = f->w->vistaReparti();
    QCOMPARE(f->w->schedaCorrente(), QStringLiteral("kReparti"));
    QVERIFY(v->picCategorie1()->isVisible() && v->picCategorie2()->isVisible());
    QCOMPARE(v->txtCategorie14->text(), QStringLiteral("Reparto 1"));
    QCOMPARE(v->gridCategorie->model()->rowCount(), 2);
    salvaSchermata(f->w, QStringLiteral("reparti"));
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    QVERIFY(!v->picCategorie1()->isVisible() && !v->picCategorie2()->isVisible());
    QVERIFY(f->w->findChild<QWidget *>(QStringLiteral("picCategorie0"))->isVisible());
    QVERIFY(f->w->findChild<QMenu *>(QStringLiteral("mnuImpostaLogoR"))->menuAction()->isEnabled());
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    QVERIFY(v->picCategorie1()->isVisible());
    QCOMPARE(v->txtCategorie14->text(), QStringLiteral("Reparto 2"));
    QVERIFY(!f->w->findChild<QMenu *>(QStringLiteral("mnuImpostaLogoR"))->menuAction()->isEnabled());
    // The site and Internet views hide the tree and the department panels.
    f->w->selezionaScheda(QStringLiteral("kSito"));
    QVERIFY(!f->w->findChild<QWidget *>(QStringLiteral("picCategorie0"))->isVisible());
    QVERIFY(!v->picCategorie1()->isVisible());
    QVERIFY(!f->w->comandi().azione(Cmd::Espandi)->isEnabled());
    QVERIFY(f->w->comandi().azione(Cmd::VisualizzaSito)->isChecked());
}

void TestFrmMain::titoloDelRepartoAllUscita()
{
    auto f = apriFinestra();
    QVERIFY(f->w);
    VistaReparti *v = f->w->vistaReparti();
    const auto titolo = [&] {
        return f->avvio->negozio().state.dbCatalogo->scalar(QStringLiteral("SELECT titolo FROM categorie WHERE ID='cat001'"))
            .toString();
    };
    v->txtCategorie14->setFocus();
    v->txtCategorie14->selectAll();
    QTest::keyClicks(v->txtCategorie14, QStringLiteral("Te [verde] | neri\\"));
    QCOMPARE(v->txtCategorie14->text(), QStringLiteral("Te verde  neri"));
    QCOMPARE(titolo(), QStringLiteral("Reparto 1"));  // not written while typing
    QTest::keyClick(v->txtCategorie14, Qt::Key_Tab);  // leaving the field
    QCOMPARE(titolo(), QStringLiteral("Te verde  neri"));
    QVERIFY(!f->w->tvwCategorie()->findItems(QStringLiteral("Te verde  neri"), Qt::MatchRecursive).isEmpty());
    QCOMPARE(v->gridCategorie->model()->index(0, 0).data().toString(), QStringLiteral("Te verde  neri"));
    QVERIFY(f->messages.shown().empty());
}

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
