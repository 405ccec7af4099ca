// The main window on real shops, driven with real mouse and key events: the
// start-up (which shop it opens, the question for a folder without a
// catalogue, the restart on another shop, a program folder left untouched),
// the commands the selection allows, the departments view, and what the
// window shows for the store's facts.
#include "finestraprova.h"

#include "alberocategorie.h"
#include "avvio.h"
#include "boxmessages.h"
#include "cartelle.h"
#include "programfolder.h"
#include "regole.h"
#include "pulsanteimmagine.h"
#include "settings.h"
#include "shell.h"
#include "vistaarticoli.h"
#include "vistanegozio.h"
#include "vistareparti.h"
#include "vistasito.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
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
    void avvioSuCartelleVere_data();
    void avvioSuCartelleVere();
    void laCartellaDelProgrammaNonCambia();
    void postoDellaFinestraConUnAltroNegozio_data();
    void postoDellaFinestraConUnAltroNegozio();
    void comandiDopoOgniSelezione_data();
    void comandiDopoOgniSelezione();
    void pannelliDeiReparti();
    void fattiDelNegozio();
    void titoloDelRepartoAllUscita();
    void pulsantiImmagine();
    void modifichePendentiScritte_data();
    void modifichePendentiScritte();
    void nuovoNegozio_data();
    void nuovoNegozio();
    void regoleDeiCampi_data();
    void regoleDeiCampi();
    void tastiDiAccesso_data();
    void tastiDiAccesso();
    void pulsantePredefinito_data();
    void pulsantePredefinito();
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
    Shell::impostaSceltaCartella([&](const QString &titolo, const QString &) {
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
    Shell::impostaSceltaCartella({});
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

// Holds a catalogue as another copy of the program does: a connection of its
// own with the exclusive lock.
class CatalogoTrattenuto {
public:
    explicit CatalogoTrattenuto(const QString &file)
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
        c.setDatabaseName(file);
        QVERIFY(c.open());
        QSqlQuery q(c);
        for (const char *sql : {"PRAGMA locking_mode=EXCLUSIVE", "BEGIN EXCLUSIVE", "COMMIT"})
            QVERIFY2(q.exec(QString::fromLatin1(sql)), sql);
    }
    ~CatalogoTrattenuto()
    {
        QSqlDatabase::database(nome).close();
        QSqlDatabase::removeDatabase(nome);
    }

private:
    const QString nome = QStringLiteral("trattenuto");
};

// The window with no shop: only New, Open, Exit and the help can act, one
// "&Modifica" shows and it is off like every menu with nothing to offer,
// the picture buttons are greyed.
bool controllaSenzaNegozio(frmMain *w)
{
    const QSet<int> offerti = {Cmd::NuovoNegozio, Cmd::ApriNegozio, Cmd::Esci,
                               Cmd::Sommario, Cmd::DomandeFrequenti, Cmd::Informazioni};
    for (const DefinizioneComando &d : RegistroComandi::definizioni())
        VERIFICA2(w->comandi().voce(d)->isEnabled() == offerti.contains(d.numero), d.nome);
    QStringList titoli, attivi;
    for (QAction *a : w->menuBar()->actions()) {
        titoli << a->text();
        if (a->isEnabled())
            attivi << a->text();
    }
    CONFRONTA(titoli, QStringList({"&File", "&Modifica", "&Visualizza", "&?"}));
    CONFRONTA(attivi, QStringList({"&File", "&?"}));
    for (const char *nome : {"mnuSpostaRep", "mnuAggiungiCat", "mnuImpostaLogoR", "mnuEliminaLogoR", "mnuSpostaArt",
                             "mnuAggiungiArt", "mnuOpzioni", "mnuImpostaImmagine", "mnuEliminaImmagine",
                             "mnuImpostaLogoA", "mnuEliminaLogoA"})
        VERIFICA2(!w->findChild<QMenu *>(QString::fromLatin1(nome))->menuAction()->isEnabled(), nome);
    for (int i = 0; i < 3; ++i) {
        auto *b = w->findChild<PulsanteImmagine *>(QStringLiteral("imgButton%1").arg(i));
        VERIFICA(b && !b->isEnabled());
    }
    VERIFICA(!w->tabGestione()->isEnabled());
    CONFRONTA(w->windowTitle(), QStringLiteral("Vetrasto"));
    return true;
}

} // namespace

void TestFrmMain::avvioSuCartelleVere_data()
{
    // What serverpath.net names, the answer to the question, the folder the
    // picker then gives, and how the start ends: "fine" (the program ends),
    // "vuota" (the window with no shop), "altro" (the window on the shop
    // chosen). A folder without a catalogue is asked about by the window's
    // load, which stays up with no shop when none is chosen; a catalogue
    // that cannot be opened is asked about by the opening, and with no
    // shop chosen nothing is open and the window goes.
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<int>("risposta");
    QTest::addColumn<QString>("scelta");
    QTest::addColumn<QString>("esito");
    const int si = int(Messages::Answer::Yes), no = int(Messages::Answer::No);
    for (const char *caso : {"no catalogue", "blank first line", "in use", "damaged"}) {
        const char *senzaScelta = QByteArray(caso) == "in use" || QByteArray(caso) == "damaged" ? "fine" : "vuota";
        QTest::addRow("%s, No", caso) << caso << no << "" << "fine";
        QTest::addRow("%s, Yes, picker cancelled", caso) << caso << si << "" << senzaScelta;
        QTest::addRow("%s, Yes, not a shop", caso) << caso << si << "not a shop" << senzaScelta;
        QTest::addRow("%s, Yes, another shop", caso) << caso << si << "shop" << "altro";
    }
}

void TestFrmMain::avvioSuCartelleVere()
{
    QFETCH(QString, cartella);
    QFETCH(int, risposta);
    QFETCH(QString, scelta);
    QFETCH(QString, esito);
    TestProgramFolder program;
    const QString negozio = program.newShop(QStringLiteral("negozio"));
    const QString altro = program.newShop(QStringLiteral("altro"));
    QTemporaryDir vuota;
    std::unique_ptr<CatalogoTrattenuto> trattenuto;
    QString domanda;
    const QString altroNegozio = QStringLiteral("\r\nSi desidera aprire un altro negozio?");
    if (cartella == QLatin1String("no catalogue")) {
        scriviServerPath(vuota.path());
        domanda = QStringLiteral("La cartella '%1' non contiene un negozio valido.").arg(vuota.path()) + altroNegozio;
    } else if (cartella == QLatin1String("blank first line")) {
        scrivi(ProgramFolder::serverPathFile(), "  \r\n" + negozio.toUtf8() + "\r\n");
        domanda = QStringLiteral("La cartella '' non contiene un negozio valido.") + altroNegozio;
    } else if (cartella == QLatin1String("in use")) {
        scriviServerPath(negozio);
        trattenuto = std::make_unique<CatalogoTrattenuto>(negozio + QStringLiteral("/catalog.mdb"));
        domanda = QStringLiteral("Il database è utilizzato da un altro utente.") + altroNegozio;
    } else {
        scriviServerPath(negozio);
        scrivi(negozio + QStringLiteral("/catalog.mdb"), QByteArray(8192, '\x5a'));
        domanda = QStringLiteral("Il database è corrotto, oppure sono stati cancellati alcuni file del programma.")
                  + altroNegozio;
    }
    QStringList titoliScelta;
    Shell::impostaSceltaCartella([&](const QString &titolo, const QString &) {
        titoliScelta << titolo;
        return scelta == QLatin1String("shop") ? altro : scelta == QLatin1String("not a shop") ? vuota.path() : QString();
    });
    ScriptedMessages messages;
    messages.answer(Messages::Answer(risposta));
    Avvio avvio(messages);
    avvio.mostraMain();
    QVERIFY(!messages.shown().empty());
    QCOMPARE(messages.texts().first(), domanda);
    QCOMPARE(titoliScelta.size(), risposta == int(Messages::Answer::Yes) ? 1 : 0);
    if (scelta == QLatin1String("not a shop"))
        QCOMPARE(messages.texts().last(), QStringLiteral("La cartella selezionata non contiene un negozio\r\n"
                                                         "(oppure il negozio contenuto è corrotto)"));
    else
        QCOMPARE(messages.shown().size(), size_t(1));
    Shell::impostaSceltaCartella({});
    if (esito == QLatin1String("fine")) {
        // The window is never shown, and goes; the program ends.
        QVERIFY(avvio.finito());
        QVERIFY(!avvio.finestra() || !avvio.finestra()->isVisible());
        QVERIFY(!avvio.negozio().state.dbCatalogo);
        QVERIFY(avvio.negozio().state.PercorsoNegozio.isEmpty());
        QTRY_VERIFY(!avvio.finestra());
    } else if (esito == QLatin1String("vuota")) {
        QVERIFY(!avvio.finito());
        QVERIFY(avvio.finestra() && avvio.finestra()->isVisible());
        QVERIFY(!avvio.negozio().state.dbCatalogo);
        QVERIFY(controllaSenzaNegozio(avvio.finestra()));
        QVERIFY(salvaSchermata(avvio.finestra(), QStringLiteral("senza-negozio")));
    } else {
        // The window restarts on the shop chosen.
        QTRY_VERIFY(avvio.finestra() && avvio.finestra()->isVisible()
                    && avvio.finestra()->windowTitle() == QStringLiteral("Vetrasto - ") + altro);
        QVERIFY(!avvio.finito());
        QVERIFY(avvio.negozio().state.dbCatalogo);
    }
    delete avvio.finestra();
}

void TestFrmMain::laCartellaDelProgrammaNonCambia()
{
    // A fresh program folder: a copy of the built one, with its template
    // sets, scripts, payment systems, help, and the empty and demo shops.
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    QVERIFY2(QFile::exists(bin + QStringLiteral("/demo/catalog.mdb")), "the demo shop is built");
    QTemporaryDir programma, utente;
    for (const char *d : {"template", "code", "help", "new", "demo"})
        QVERIFY(CopiaCartella(bin + u'/' + QLatin1String(d), programma.path() + u'/' + QLatin1String(d)));
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

void TestFrmMain::postoDellaFinestraConUnAltroNegozio_data()
{
    // The shop chosen after the question, or none (the window with no shop).
    QTest::addColumn<bool>("scelto");
    QTest::newRow("another shop") << true;
    QTest::newRow("picker cancelled") << false;
}

void TestFrmMain::postoDellaFinestraConUnAltroNegozio()
{
    // The merchant left the window at 720x540 in (30, 40), then starts the
    // program on a folder without a catalogue and answers the question:
    // the window comes up where it was left, and that place stays stored.
    QFETCH(bool, scelto);
    TestProgramFolder program;
    const QString altro = program.newShop(QStringLiteral("altro"));
    QRect posto(30, 40, 720, 540);
    {
        ScriptedMessages messages;
        scriviServerPath(altro);
        Avvio avvio(messages);
        avvio.mostraMain();
        QVERIFY(avvio.finestra() && avvio.finestra()->isVisible());
        avvio.finestra()->setGeometry(posto);
        QTest::qWait(50);
        posto = avvio.finestra()->geometry();
        QVERIFY(posto.width() > 640 && posto.height() > 480);
        avvio.finestra()->close();
    }
    const QString salvato = SettingsStore::get(QStringLiteral("Vetrasto"), QStringLiteral("frmMain"),
                                               QStringLiteral("Geometria"));
    QVERIFY(!salvato.isEmpty());
    QTemporaryDir vuota;
    scriviServerPath(vuota.path());
    Shell::impostaSceltaCartella([&](const QString &, const QString &) { return scelto ? altro : QString(); });
    ScriptedMessages messages;
    messages.answer(Messages::Answer::Yes);
    Avvio avvio(messages);
    avvio.mostraMain();
    Shell::impostaSceltaCartella({});
    QTRY_VERIFY(avvio.finestra() && avvio.finestra()->isVisible());
    if (scelto)
        QTRY_COMPARE(avvio.finestra()->windowTitle(), QStringLiteral("Vetrasto - ") + altro);
    QCOMPARE(avvio.finestra()->geometry(), posto);
    QCOMPARE(SettingsStore::get(QStringLiteral("Vetrasto"), QStringLiteral("frmMain"), QStringLiteral("Geometria")),
             salvato);
    avvio.finestra()->close();
    QCoreApplication::processEvents();
    QVERIFY(!avvio.finestra() || !avvio.finestra()->isVisible());
    QCOMPARE(SettingsStore::get(QStringLiteral("Vetrasto"), QStringLiteral("frmMain"), QStringLiteral("Geometria")),
             salvato);
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
    for (const QString n : {"articolo su", "articolo giu", "- articolo", "copia articolo", "+ immagine0",
                           "+ immagine1", "+ immagine2", "maschera articoli"})
        QVERIFY2(c.abilitato(n) == articolo, qPrintable(n));
    // Nothing copied yet, no picture shown; the tree holds departments.
    for (const QString n : {"incolla articolo", "incolla categoria", "- immagine0", "- immagine cat0",
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
        auto *griglia = figlio<QTableView>(f->w->vistaReparti(), QStringLiteral("gridCategorie"));
        QVERIFY(griglia);
        QTest::mouseClick(griglia->viewport(), Qt::LeftButton);  // the focus stays put
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
    FIGLIO(QLineEdit, txtCategorie14, v);
    FIGLIO(QTableView, gridCategorie, v);
    QCOMPARE(f->w->schedaCorrente(), QStringLiteral("kReparti"));
    QVERIFY(v->picCategorie1()->isVisible() && v->picCategorie2()->isVisible());
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Reparto 1"));
    QCOMPARE(gridCategorie->model()->rowCount(), 2);
    QVERIFY(salvaSchermata(f->w, QStringLiteral("reparti")));
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    QVERIFY(!v->picCategorie1()->isVisible() && !v->picCategorie2()->isVisible());
    QVERIFY(f->w->findChild<QWidget *>(QStringLiteral("picCategorie0"))->isVisible());
    QVERIFY(f->w->findChild<QMenu *>(QStringLiteral("mnuImpostaLogoR"))->menuAction()->isEnabled());
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    QVERIFY(v->picCategorie1()->isVisible());
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Reparto 2"));
    QVERIFY(!f->w->findChild<QMenu *>(QStringLiteral("mnuImpostaLogoR"))->menuAction()->isEnabled());
    // The site and Internet views hide the tree and the department panels.
    f->w->selezionaScheda(QStringLiteral("kSito"));
    QVERIFY(!f->w->findChild<QWidget *>(QStringLiteral("picCategorie0"))->isVisible());
    QVERIFY(!v->picCategorie1()->isVisible());
    QVERIFY(!f->w->comandi().azione(Cmd::Espandi)->isEnabled());
    QVERIFY(f->w->comandi().azione(Cmd::VisualizzaSito)->isChecked());
}

void TestFrmMain::fattiDelNegozio()
{
    // The store says which article it brought into view and that it chose
    // the shop's root; the window shows the articles view, and the shop's
    // panels.
    auto f = apriFinestra();
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    QCOMPARE(f->w->schedaCorrente(), QStringLiteral("kReparti"));
    const qint64 id = f->db().scalar(QStringLiteral("SELECT ID FROM articoli WHERE codice='A1-2'")).toLongLong();
    f->negozio().VaiArticolo(id);
    QCOMPARE(f->w->schedaCorrente(), QStringLiteral("kArticoli"));
    QVERIFY(f->w->vistaArticoli()->picArticoli1()->isVisible());
    FIGLIO(QLineEdit, txtArticoli0, f->w->vistaArticoli());
    QCOMPARE(txtArticoli0->text(), QStringLiteral("A1-2"));

    f->w->selezionaScheda(QStringLiteral("kReparti"));
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));  // top-level, without articles
    QVERIFY(f->w->vistaReparti()->picCategorie1()->isVisible());
    f->w->EseguiComando(Cmd::EliminaReparto);
    QVERIFY(f->messages.shown().empty());
    QCOMPARE(AlberoCategorie::chiave(f->w->tvwCategorie()->currentItem()), AlberoReparti::Radice);
    QVERIFY(!f->w->vistaReparti()->picCategorie1()->isVisible());
    QVERIFY(f->w->vistaNegozio()->isVisible());
    QVERIFY(f->w->findChild<QMenu *>(QStringLiteral("mnuImpostaLogoR"))->menuAction()->isEnabled());
}

void TestFrmMain::titoloDelRepartoAllUscita()
{
    auto f = apriFinestra();
    QVERIFY(f->w);
    FIGLIO(QLineEdit, txtCategorie14, f->w->vistaReparti());
    FIGLIO(QTableView, gridCategorie, f->w->vistaReparti());
    const auto titolo = [&] {
        return f->avvio->negozio().state.dbCatalogo->scalar(QStringLiteral("SELECT titolo FROM categorie WHERE ID='cat001'"))
            .toString();
    };
    txtCategorie14->setFocus();
    txtCategorie14->selectAll();
    QTest::keyClicks(txtCategorie14, QStringLiteral("Te [verde] | neri\\"));
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Te verde  neri"));
    QCOMPARE(titolo(), QStringLiteral("Reparto 1"));  // not written while typing
    QTest::keyClick(txtCategorie14, Qt::Key_Tab);  // leaving the field
    QCOMPARE(titolo(), QStringLiteral("Te verde  neri"));
    QVERIFY(!f->w->tvwCategorie()->findItems(QStringLiteral("Te verde  neri"), Qt::MatchRecursive).isEmpty());
    QCOMPARE(gridCategorie->model()->index(0, 0).data().toString(), QStringLiteral("Te verde  neri"));
    QStringList intestazioni;
    for (const QLabel *l : f->w->vistaReparti()->findChildren<QLabel *>())
        if (l->text().contains(QStringLiteral("Te verde")))
            intestazioni << l->text();
    intestazioni.sort();
    QCOMPARE(intestazioni, QStringList({"Dettagli reparto: Te verde  neri", "Reparto: Te verde  neri"}));
    QVERIFY(f->messages.shown().empty());
}

void TestFrmMain::pulsantiImmagine()
{
    auto f = apriFinestra();
    QVERIFY(f->w);
    const QStringList didascalie = {"Scegli il template", "Costruisci il negozio", "Aggiorna il sito"};
    const Cmd::Numero comandi[] = {Cmd::ScegliTemplate, Cmd::Costruisci, Cmd::AggiornaSito};
    for (int i = 0; i < 3; ++i) {
        auto *b = f->w->findChild<PulsanteImmagine *>(QStringLiteral("imgButton%1").arg(i));
        QVERIFY(b && b->isVisible());
        QCOMPARE(b->toolTip(), didascalie[i]);
        // The whole caption fits, measured in the bold font it is drawn in.
        QVERIFY2(QFontMetrics(b->fontDidascalia()).horizontalAdvance(didascalie[i]) < b->rettangoloDidascalia().width(),
                 qPrintable(didascalie[i]));
        QVERIFY(b->geometry().right() < b->parentWidget()->width());
        QSignalSpy clic(b, &PulsanteImmagine::clicked);
        const QPoint riposo = b->pos(), centro = b->rect().center();
        // Only the left button pushes it.
        for (Qt::MouseButton altro : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(b, altro, {}, centro);
            QCOMPARE(b->pos(), riposo);
            QTest::mouseRelease(b, altro, {}, centro);
        }
        // Pushed one pixel right and down while pressed; dragged off and
        // released elsewhere it comes back and nothing runs.
        QTest::mousePress(b, Qt::LeftButton, {}, centro);
        QCOMPARE(b->pos(), riposo + QPoint(1, 1));
        QCOMPARE(b->spinta(), 1);
        QTest::mouseMove(b, QPoint(-40, -40));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-40, -40));
        QCOMPARE(b->pos(), riposo);
        QCOMPARE(b->spinta(), 0);
        QCOMPARE(clic.count(), 0);
        // A release without its press moves nothing.
        QTest::mouseRelease(b, Qt::LeftButton, {}, centro);
        QCOMPARE(b->pos(), riposo);
        QCOMPARE(clic.count(), 0);
        // Greyed and deaf while its command is off, back with it.
        QAction *azione = f->w->comandi().azione(comandi[i]);
        azione->setEnabled(false);
        QVERIFY(!b->isEnabled());
        const QImage spento = b->grab().toImage();
        QTest::mouseClick(b, Qt::LeftButton, {}, centro);
        QCOMPARE(b->pos(), riposo);
        QCOMPARE(clic.count(), 0);
        azione->setEnabled(true);
        QVERIFY(b->isEnabled());
        QVERIFY(b->grab().toImage() != spento);
        // A press and a release over it: one click.
        disconnect(b, &PulsanteImmagine::clicked, azione, &QAction::trigger);
        QTest::mouseClick(b, Qt::LeftButton, {}, centro);
        QCOMPARE(clic.count(), 1);
        QCOMPARE(b->pos(), riposo);
    }
    QVERIFY(salvaSchermata(f->w->findChild<QWidget *>(QStringLiteral("picSfondo1")), QStringLiteral("pulsanti-immagine")));
}

void TestFrmMain::modifichePendentiScritte_data()
{
    // How the window goes (closed, or replaced by another shop) and whether
    // the catalogue takes the writes.
    QTest::addColumn<bool>("cambioNegozio");
    QTest::addColumn<bool>("rifiutate");
    QTest::newRow("closed") << false << false;
    QTest::newRow("another shop opened") << true << false;
    QTest::newRow("closed, writes refused") << false << true;
    QTest::newRow("another shop opened, writes refused") << true << true;
}

void TestFrmMain::modifichePendentiScritte()
{
    QFETCH(bool, cambioNegozio);
    QFETCH(bool, rifiutate);
    auto f = apriFinestra();
    QVERIFY(f->w);
    const QString secondo = f->program.newShop(QStringLiteral("secondo"));
    if (rifiutate)  // a full disk, as the engine reports it
        for (const char *tabella : {"categorie", "articoli", "generale"})
            f->db().execute(QStringLiteral("CREATE TRIGGER pieno_%1 BEFORE UPDATE ON %1 BEGIN "
                                           "SELECT RAISE(ABORT, 'disco pieno'); END")
                                .arg(QLatin1String(tabella)));
    // One field of each data source typed into, none with a write of its
    // own, each in its view; the tabs are clicked.
    const auto scheda = [&](int i) {
        QTabBar *t = f->w->tabGestione();
        QTest::mouseClick(t, Qt::LeftButton, {}, t->tabRect(i).center());
    };
    const auto scrivi = [](QWidget *campo, const QString &testo) {
        campo->setFocus();
        QTest::keyClick(campo, Qt::Key_End);
        QTest::keyClicks(campo, testo);
    };
    FIGLIO(QLineEdit, txtCategorie10, f->w->vistaReparti());
    FIGLIO(QLineEdit, txtArticoli5, f->w->vistaArticoli());
    FIGLIO(QLineEdit, txtEmailOrdini, f->w->vistaSito());
    scrivi(txtCategorie10, QStringLiteral("Nota reparto"));
    scheda(1);
    QCOMPARE(f->w->schedaCorrente(), QStringLiteral("kArticoli"));
    scrivi(txtArticoli5, QStringLiteral("Nota articolo"));
    scheda(2);
    QCOMPARE(f->w->schedaCorrente(), QStringLiteral("kSito"));
    scrivi(txtEmailOrdini, QStringLiteral("ordini@esempio.it"));
    QVERIFY(f->messages.shown().empty());
    // Nothing written yet.
    auto db = f->negozio().state.dbCatalogo;
    const auto valori = [](Database &d) {
        return QStringList{d.scalar(QStringLiteral("SELECT note FROM categorie WHERE ID='cat001'")).toString(),
                           d.scalar(QStringLiteral("SELECT note FROM articoli WHERE codice='A1-1'")).toString(),
                           d.scalar(QStringLiteral("SELECT email_ordini FROM generale")).toString()};
    };
    const QStringList prima = valori(*db);
    QVERIFY(!prima.contains(QStringLiteral("Nota reparto")));
    db.reset();

    QPointer<frmMain> w = f->w;
    if (cambioNegozio) {
        Shell::impostaSceltaCartella([&](const QString &, const QString &) { return secondo; });
        f->w->comandi().azione(Cmd::ApriNegozio)->trigger();
        Shell::impostaSceltaCartella({});
        QTRY_VERIFY(!w);
        f->w = f->avvio->finestra();
        QTRY_VERIFY(f->w && f->w->windowTitle() == QStringLiteral("Vetrasto - ") + secondo);
    } else {
        f->w->close();
        QVERIFY(!f->negozio().state.dbCatalogo);
    }
    // The first shop's catalogue is closed: read it as it is on disk.
    auto catalogo = Database::open(f->shop + QStringLiteral("/catalog.mdb"));
    if (rifiutate) {
        // Each refused write is told, one message per data source, and the
        // catalogue keeps its values.
        QCOMPARE(valori(*catalogo), prima);
        QCOMPARE(f->messages.shown().size(), size_t(3));
    } else {
        QCOMPARE(valori(*catalogo),
                 QStringList({prima[0] + QStringLiteral("Nota reparto"), prima[1] + QStringLiteral("Nota articolo"),
                              prima[2] + QStringLiteral("ordini@esempio.it")}));
        QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
    }
    catalogo->close();
}

void TestFrmMain::nuovoNegozio_data()
{
    // The folder the picker gives, the message, and whether the window
    // restarts on a new shop there.
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<QString>("messaggio");
    QTest::addColumn<bool>("creato");
    QTest::newRow("picker cancelled") << "" << "" << false;
    QTest::newRow("empty folder") << "vuota" << "" << true;
    QTest::newRow("folder not there yet") << "nuova" << "" << true;
    QTest::newRow("a shop already there") << "negozio" << "Nel percorso specificato è già presente un negozio" << false;
    QTest::newRow("the copy fails") << "bloccata" << "Impossibile creare un negozio nel percorso specificato" << false;
}

void TestFrmMain::nuovoNegozio()
{
    QFETCH(QString, cartella);
    QFETCH(QString, messaggio);
    QFETCH(bool, creato);
    auto f = apriFinestra();
    QVERIFY(f->w);
    QString scelta;
    if (cartella == QLatin1String("negozio")) {
        scelta = f->program.newShop(QStringLiteral("esistente"));
    } else if (!cartella.isEmpty()) {
        scelta = f->program.path() + u'/' + cartella;
        if (cartella != QLatin1String("nuova"))
            QVERIFY(QDir().mkpath(scelta));
        if (cartella == QLatin1String("bloccata"))  // a folder where the empty shop's vtftp.mdb must go
            QVERIFY(QDir().mkpath(scelta + QStringLiteral("/vtftp.mdb")));
    }
    QStringList titoli;
    Shell::impostaSceltaCartella([&](const QString &titolo, const QString &) {
        titoli << titolo;
        return scelta;
    });
    QPointer<frmMain> w = f->w;
    // File > Nuovo negozio, by its access keys.
    f->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->w));
    QTest::keyClick(f->w, Qt::Key_F, Qt::AltModifier);
    QVERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_N);
    Shell::impostaSceltaCartella({});
    QCOMPARE(titoli, QStringList(QStringLiteral("Selezionare la cartella del nuovo negozio (la cartella deve essere "
                                                "preferibilmente vuota):")));
    QCOMPARE(f->messages.texts(), messaggio.isEmpty() ? QStringList() : QStringList(messaggio));
    if (!messaggio.isEmpty())
        QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::Warning);
    if (creato) {
        QTRY_VERIFY(!w);
        f->w = f->avvio->finestra();
        QTRY_VERIFY(f->w && f->w->windowTitle() == QStringLiteral("Vetrasto - ") + scelta);
        QVERIFY(Negozio::eNegozio(scelta));
    } else {
        // The window stays on its shop.
        QTest::qWait(20);
        QVERIFY(w && f->avvio->finestra() == w.data());
        QCOMPARE(f->w->windowTitle(), QStringLiteral("Vetrasto - ") + f->shop);
        QVERIFY(f->negozio().state.dbCatalogo);
    }
}

void TestFrmMain::regoleDeiCampi_data()
{
    // A field of the department or article details, the steps ("x" emptied,
    // "t:" typed, "p:" pasted, "tab" left), the text it then shows, and the
    // stored value ("-": not written yet).
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QStringList>("passi");
    QTest::addColumn<QString>("atteso");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("salvato");
    const QString sep = Regole::separatoreDecimale();
    const auto riga = [](const char *nome, const char *campo, QStringList passi, const QString &atteso,
                         const char *colonna = "", const QString &salvato = QStringLiteral("-")) {
        QTest::newRow(nome) << campo << passi << atteso << colonna << salvato;
    };
    riga("articles per page: no fraction typed", "txtCategorie11", {"x", "t:3.7"}, "37");
    riga("articles per page: fraction pasted", "txtCategorie11", {"x", "p:3.7"}, "3");
    riga("articles per page: fraction pasted and left", "txtCategorie11", {"x", "p:3,7", "tab"}, "3");
    riga("articles per page: leading zero", "txtCategorie11", {"x", "t:05"}, "5");
    riga("articles per page: emptied", "txtCategorie11", {"x"}, "0");
    riga("articles per page: letters", "txtCategorie11", {"x", "t:1a2-"}, "12");
    riga("discount above 100", "txtCategorie0", {"x", "t:150"}, "100");
    riga("discount 100", "txtCategorie0", {"x", "t:100"}, "100");
    riga("discount negative pasted", "txtCategorie0", {"x", "p:-150"}, "100");
    riga("discount point", "txtCategorie0", {"x", "t:12.5.3"}, "12" + sep + "53");
    riga("VAT typed", "cboIva", {"x", "t:7a%"}, "7");
    riga("VAT negative pasted", "cboIva", {"x", "p:-4"}, "4");
    riga("description without pound and bars", "txtCategorie12", {"x", "t:a£b|[c]"}, "abc");
    riga("notes without pound and bars", "txtCategorie10", {"x", "t:a£b|[c]"}, "abc");
    riga("notes pasted as they are", "txtCategorie10", {"x", "p:a£b|c"}, "a£b|c");
    riga("code pasted as it is", "txtArticoli0", {"x", "p:a|[b]c", "tab"}, "a|[b]c", "codice", "a|[b]c");
    riga("code filtered", "txtArticoli0", {"x", "t:a|[b]c", "tab"}, "abc", "codice", "abc");
    riga("code cut to 50 and written", "txtArticoli0", {"x", "p:" + QString(60, u'c'), "tab"}, QString(50, u'c'),
         "codice", QString(50, u'c'));
    riga("title cut to 200 and written", "txtArticoli1", {"x", "p:" + QString(210, u't'), "tab"}, QString(200, u't'),
         "titolo", QString(200, u't'));
    riga("subtitle cut to 200 and written", "txtArticoli2", {"x", "p:" + QString(210, u's'), "tab"},
         QString(200, u's'), "sottotitolo", QString(200, u's'));
    riga("link cut to 50, not written", "txtArticoli7", {"x", "p:" + QString(60, u'l'), "tab"}, QString(50, u'l'), "link",
         QString());
    // Prices are stored in ten-thousandths.
    riga("price asterisk", "txtArticoli4", {"x", "t:12*", "tab"}, "12000" + sep + "00", "prezzo", "120000000");
    riga("price filtered", "txtArticoli4", {"x", "t:1a|2.5", "tab"}, "12" + sep + "50", "prezzo", "125000");
    riga("offer price negative pasted", "txtArticoli6", {"x", "p:-5"}, "5");
    riga("price negative pasted, exact", "txtArticoli4", {"x", "p:-1234567" + sep + "8901", "tab"},
         "1234567" + sep + "8901", "prezzo", "12345678901");
    riga("weight negative pasted", "txtArticoli9", {"x", "p:-2" + sep + "5"}, "2" + sep + "5");
}

void TestFrmMain::regoleDeiCampi()
{
    QFETCH(QString, campo);
    QFETCH(QStringList, passi);
    QFETCH(QString, atteso);
    QFETCH(QString, colonna);
    QFETCH(QString, salvato);
    auto f = apriFinestra();
    QVERIFY(f->w);
    const bool articolo = campo.startsWith(QLatin1String("txtArticoli"));
    f->w->selezionaScheda(articolo ? QStringLiteral("kArticoli") : QStringLiteral("kReparti"));
    const QVariant id = f->negozio().dati().dataArticoli.recordset().value(QStringLiteral("ID"));
    QWidget *w = f->w->findChild<QWidget *>(campo);
    QVERIFY(w && w->isVisible());
    // Keys go to the line inside an editable list.
    auto *lista = qobject_cast<QComboBox *>(w);
    QWidget *d = lista ? lista->lineEdit() : w;
    const auto testo = [&] {
        if (auto *r = qobject_cast<QPlainTextEdit *>(w))
            return r->toPlainText();
        return lista ? lista->currentText() : static_cast<QLineEdit *>(w)->text();
    };
    for (const QString &passo : passi) {
        if (passo == QLatin1String("x")) {
            // A click gives the focus (a number field then selects its text),
            // Ctrl+A selects the others, Backspace empties.
            QTest::mouseClick(qobject_cast<QPlainTextEdit *>(w) ? static_cast<QPlainTextEdit *>(w)->viewport() : d,
                              Qt::LeftButton);
            QTest::qWait(1);
            auto *linea = qobject_cast<QLineEdit *>(d);
            if (!(linea && linea->hasSelectedText()))
                QTest::keyClick(d, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(d, Qt::Key_Backspace);
        } else if (passo.startsWith(QLatin1String("t:"))) {
            QTest::keyClicks(d, passo.mid(2));
        } else if (passo.startsWith(QLatin1String("p:"))) {
            // Shift+Insert: the text goes in as it is.
            QApplication::clipboard()->setText(passo.mid(2));
            QTest::keyClick(d, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (passo == QLatin1String("tab")) {
            QTest::keyClick(d, Qt::Key_Tab);
        }
    }
    QCOMPARE(testo(), atteso);
    if (salvato != QLatin1String("-")) {
        QCOMPARE(f->db().scalar(QStringLiteral("SELECT %1 FROM articoli WHERE ID=?").arg(colonna), {id}).toString(),
                 salvato);
    }
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
}

void TestFrmMain::pulsantePredefinito_data()
{
    // The buttons, the default asked for (-1: none), and what Enter answers.
    QTest::addColumn<int>("pulsanti");
    QTest::addColumn<int>("predefinito");
    QTest::addColumn<int>("risposta");
    using M = Messages;
    QTest::newRow("Yes/No: No") << int(M::Buttons::YesNo) << -1 << int(M::Answer::No);
    QTest::newRow("Yes/No, Yes asked for") << int(M::Buttons::YesNo) << int(M::Answer::Yes) << int(M::Answer::Yes);
    QTest::newRow("OK/Cancel: OK") << int(M::Buttons::OkCancel) << -1 << int(M::Answer::Ok);
    QTest::newRow("OK/Cancel, Cancel asked for") << int(M::Buttons::OkCancel) << int(M::Answer::Cancel)
                                                 << int(M::Answer::Cancel);
}

void TestFrmMain::pulsantePredefinito()
{
    // The real message box: Enter presses its default button.
    QFETCH(int, pulsanti);
    QFETCH(int, predefinito);
    QFETCH(int, risposta);
    BoxMessages box;
    bool premuto = false;
    QObject guardia;
    alProssimoModale(guardia, [&premuto](QWidget *m) {
        auto *box = qobject_cast<QMessageBox *>(m);
        VERIFICA(box);
        // Yes and Cancel in Italian whatever translations are installed.
        if (QAbstractButton *b = box->button(QMessageBox::Yes))
            VERIFICA(b->text() == QStringLiteral("&Sì"));
        if (QAbstractButton *b = box->button(QMessageBox::Cancel))
            VERIFICA(b->text() == QStringLiteral("&Annulla"));
        QTest::keyClick(m, Qt::Key_Return);
        return premuto = true;
    });
    const Messages::Answer a =
        box.show(QStringLiteral("Domanda"), Messages::Icon::Information, Messages::Buttons(pulsanti), {},
                 predefinito < 0 ? std::nullopt : std::optional(Messages::Answer(predefinito)));
    QVERIFY(premuto);
    QCOMPARE(int(a), risposta);
}

void TestFrmMain::tastiDiAccesso_data()
{
    // The buttons, the access key pressed with Alt, and the answer.
    QTest::addColumn<int>("pulsanti");
    QTest::addColumn<char>("tasto");
    QTest::addColumn<int>("risposta");
    using M = Messages;
    QTest::newRow("Yes/No: Alt+S") << int(M::Buttons::YesNo) << 'S' << int(M::Answer::Yes);
    QTest::newRow("Yes/No: Alt+N") << int(M::Buttons::YesNo) << 'N' << int(M::Answer::No);
    QTest::newRow("Yes/No/Cancel: Alt+S") << int(M::Buttons::YesNoCancel) << 'S' << int(M::Answer::Yes);
    QTest::newRow("Yes/No/Cancel: Alt+N") << int(M::Buttons::YesNoCancel) << 'N' << int(M::Answer::No);
    QTest::newRow("Yes/No/Cancel: Alt+A") << int(M::Buttons::YesNoCancel) << 'A' << int(M::Answer::Cancel);
}

void TestFrmMain::tastiDiAccesso()
{
    // Each button of a question box has its own access key, and Alt with it
    // answers.
    QFETCH(int, pulsanti);
    QFETCH(char, tasto);
    QFETCH(int, risposta);
    BoxMessages box;
    bool premuto = false;
    QObject guardia;
    alProssimoModale(guardia, [&](QWidget *m) {
        QList<QChar> chiavi;
        for (QAbstractButton *b : m->findChildren<QAbstractButton *>()) {
            const qsizetype e = b->text().indexOf(u'&');
            VERIFICA2(e >= 0 && e + 1 < b->text().size(), qPrintable(b->text()));
            const QChar c = b->text().at(e + 1).toUpper();
            VERIFICA2(!chiavi.contains(c), qPrintable(b->text()));
            chiavi << c;
        }
        QTest::keyClick(m, Qt::Key(tasto), Qt::AltModifier);
        VERIFICA2(QTest::qWaitFor([m] { return !m->isVisible(); }, 2000), "Alt with the key left the box open");
        return premuto = true;
    });
    const Messages::Answer a =
        box.show(QStringLiteral("Procedere?"), Messages::Icon::Question, Messages::Buttons(pulsanti));
    QVERIFY(premuto);
    QCOMPARE(int(a), risposta);
}

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
