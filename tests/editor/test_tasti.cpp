// The main window's own keys, wherever the focus is: F1 opens the help page
// of the current view, Ctrl+Up/Down move the current view's grid by one row
// (only with a department selected); the help menu's pages, a missing page
// opening nothing; the splash and the about box. The editing shortcuts in the
// fields whose keys are filtered, and pasted text taken through the filter.
#include "alberocategorie.h"
#include "finestraprova.h"
#include "frmabout.h"
#include "vistaarticoli.h"
#include "vistareparti.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QTabBar>
#include <QTableView>
#include <QtTest>

namespace {

// The help pages the window opens, in the test's program folder; `senza`
// is left out.
void pagineAiuto(const FinestraDiProva &f, const QString &senza = {})
{
    for (const char *pagina : {"index.htm", "pagine/faq.htm", "pagine/reparti.htm", "pagine/articoli.htm",
                               "pagine/sito.htm", "pagine/internet.htm"})
        if (QLatin1String(pagina) != senza)
            scrivi(f.program.path() + QStringLiteral("/help/") + QLatin1String(pagina), "<html></html>");
}

} // namespace

class TestTasti : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void f1ApreLaPaginaDellaVista_data();
    void f1ApreLaPaginaDellaVista();
    void ctrlSuGiuMuovonoLaGriglia_data();
    void ctrlSuGiuMuovonoLaGriglia();
    void ctrlSuGiuConLaRadice();
    void menuDellAiuto_data();
    void menuDellAiuto();
    void splashEInformazioni();
    void scorciatoieNeiCampiFiltrati_data();
    void scorciatoieNeiCampiFiltrati();
};

void TestTasti::f1ApreLaPaginaDellaVista_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("pagina");
    QTest::newRow("departments") << "kReparti" << "help/pagine/reparti.htm";
    QTest::newRow("articles") << "kArticoli" << "help/pagine/articoli.htm";
    QTest::newRow("site") << "kSito" << "help/pagine/sito.htm";
    QTest::newRow("internet") << "kInternet" << "help/pagine/internet.htm";
}

void TestTasti::f1ApreLaPaginaDellaVista()
{
    QFETCH(QString, scheda);
    QFETCH(QString, pagina);
    auto f = apriFinestra();
    QVERIFY(f->w);
    pagineAiuto(*f);
    f->w->selezionaScheda(scheda);
    // From the tree, from a field and from the tab strip: the same page.
    QList<QWidget *> fuochi = {f->w->tvwCategorie(), f->w->tabGestione()};
    if (scheda == QLatin1String("kReparti")) {
        fuochi << figlio(f->w->vistaReparti(), QStringLiteral("txtCategorie14"));
        QVERIFY(fuochi.back());
    }
    for (QWidget *w : fuochi) {
        f->aperti.clear();
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(f->aperti, QStringList(f->program.path() + u'/' + pagina));
    }
    // Without its page F1 opens nothing.
    QFile::remove(f->program.path() + u'/' + pagina);
    f->aperti.clear();
    QTest::keyClick(f->w->tvwCategorie(), Qt::Key_F1);
    QVERIFY(f->aperti.isEmpty());
    QVERIFY(f->messages.shown().empty());
}

void TestTasti::menuDellAiuto_data()
{
    QTest::addColumn<char>("tasto");
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<bool>("presente");
    QTest::newRow("contents") << 'S' << "index.htm" << true;
    QTest::newRow("questions") << 'D' << "pagine/faq.htm" << true;
    QTest::newRow("contents missing") << 'S' << "index.htm" << false;
    QTest::newRow("questions missing") << 'D' << "pagine/faq.htm" << false;
}

void TestTasti::menuDellAiuto()
{
    QFETCH(char, tasto);
    QFETCH(QString, pagina);
    QFETCH(bool, presente);
    auto f = apriFinestra();
    QVERIFY(f->w);
    pagineAiuto(*f, presente ? QString() : pagina);
    // "&?", then the entry's access key.
    f->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->w));
    QTest::keyClick(f->w, '?', Qt::AltModifier);
    QWidget *menu = QApplication::activePopupWidget();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("mnuHelp"));
    QTest::keyClick(menu, tasto);
    // A missing page goes nowhere and nothing is said.
    QCOMPARE(f->aperti, presente ? QStringList(f->program.path() + QStringLiteral("/help/") + pagina) : QStringList());
    QVERIFY(f->messages.shown().empty());
}

void TestTasti::ctrlSuGiuMuovonoLaGriglia_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::newRow("departments") << "kReparti";
    QTest::newRow("articles") << "kArticoli";
}

void TestTasti::ctrlSuGiuMuovonoLaGriglia()
{
    QFETCH(QString, scheda);
    auto f = apriFinestra(3, 4, 3);
    QVERIFY(f->w);
    f->w->selezionaScheda(scheda);
    const bool reparti = scheda == QLatin1String("kReparti");
    auto *griglia = reparti ? figlio<QTableView>(f->w->vistaReparti(), QStringLiteral("gridCategorie"))
                            : figlio<QTableView>(f->w->vistaArticoli(), QStringLiteral("gridArticoli"));
    QVERIFY(griglia);
    DataSource &sorgente = reparti ? f->negozio().dati().dataCategorie : f->negozio().dati().dataArticoli;
    const auto titolo = [&] { return sorgente.recordset().text(QStringLiteral("titolo")); };
    const QString primo = reparti ? QStringLiteral("Reparto 1") : QStringLiteral("Articolo 1");
    const auto ordine = [&] {
        return f->db().scalar(QStringLiteral("SELECT group_concat(ID || ':' || ordinamento) FROM categorie")).toString()
               + f->db().scalar(QStringLiteral("SELECT group_concat(ID || ':' || ordinamento) FROM articoli")).toString();
    };
    const QString ordinePrima = ordine();
    QCOMPARE(titolo(), primo);
    // Ctrl+Up on the first row changes nothing, and no message.
    QTest::keyClick(f->w->tvwCategorie(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(titolo(), primo);
    QTest::keyClick(f->w->tvwCategorie(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(griglia->currentIndex().row(), 1);
    QCOMPARE(titolo(), reparti ? QStringLiteral("Reparto 2") : QStringLiteral("Articolo 2"));
    if (reparti)  // the tree follows the department
        QCOMPARE(AlberoCategorie::chiave(f->w->tvwCategorie()->currentItem()), QStringLiteral("cat002"));
    QTest::keyClick(griglia, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(titolo(), primo);
    // The stored order does not change.
    QCOMPARE(ordine(), ordinePrima);
    QVERIFY(f->messages.shown().empty());
}

void TestTasti::ctrlSuGiuConLaRadice()
{
    auto f = apriFinestra(3, 2, 3);
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    QCOMPARE(f->negozio().dati().repartoCorrente(), AlberoReparti::Radice);
    // Left to the tree itself: Ctrl+Down moves its current node, no grid moves.
    QTest::keyClick(f->w->tvwCategorie(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(f->negozio().dati().repartoCorrente(), AlberoReparti::Radice);
    QVERIFY(f->messages.shown().empty());
}

void TestTasti::splashEInformazioni()
{
    bool completato = false;
    int avvii = 0;
    {
        frmAbout splash(completato);
        splash.avvia = [&] { ++avvii; };
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        FIGLIO(QLabel, lblVersione, &splash);
        QCOMPARE(lblVersione->text(), frmAbout::testoVersione());
        QVERIFY(frmAbout::testoVersione().startsWith(QStringLiteral("Versione ")));
        QVERIFY(frmAbout::testoVersione().endsWith(QStringLiteral(" rc3")));
        // During start-up a click or a key does not close it, and the
        // start-up timer fires once only.
        QTest::mouseClick(&splash, Qt::LeftButton);
        QTest::keyClick(&splash, Qt::Key_Escape);
        QVERIFY(splash.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(avvii, 1, 3000);
        QTest::qWait(1200);
        QCOMPARE(avvii, 1);
    }
    completato = true;
    const std::pair<const char *, std::function<bool(frmAbout &)>> modi[] = {
        {"click", [](frmAbout &a) { return clic(figlio(&a, QStringLiteral("Picture1"))); }},
        {"key", [](frmAbout &a) {
             QTest::keyClick(&a, Qt::Key_A);
             return true;
         }},
        {"its timer", [](frmAbout &a) {
             CONFRONTA(a.Timer1.interval(), 10000);
             a.Timer1.start(10);
             return QTest::qWaitFor([&] { return !a.isVisible(); });
         }},
    };
    for (const auto &[nome, chiudi] : modi) {
        frmAbout about(completato);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY2(chiudi(about), nome);
        QVERIFY2(!about.isVisible(), nome);
    }
    frmAbout about(completato);
    about.show();
    QVERIFY(salvaSchermata(&about, QStringLiteral("informazioni")));
}

void TestTasti::scorciatoieNeiCampiFiltrati_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("nodo");
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("digitato");   // "-7" typed over the whole text
    QTest::addColumn<QString>("tagliato");   // left by Ctrl+X
    QTest::addColumn<QString>("incollato");  // "-2.5kg|[x]" pasted over it
    QTest::addColumn<QString>("dalMenu");    // "7.5" pasted from the right-click menu
    QTest::newRow("price") << "kArticoli" << "Reparto 1" << "txtArticoli4" << "7" << "" << "2,5" << "7,5";
    QTest::newRow("offer") << "kArticoli" << "Reparto 1" << "txtArticoli6" << "7" << "" << "2,5" << "7,5";
    QTest::newRow("weight") << "kArticoli" << "Reparto 1" << "txtArticoli9" << "7" << "" << "2,5" << "7,5";
    QTest::newRow("code") << "kArticoli" << "Reparto 1" << "txtArticoli0" << "-7" << "" << "-2.5kgx" << "7.5";
    QTest::newRow("discount") << "kReparti" << "Reparto 1" << "txtCategorie0" << "7" << "" << "2,5" << "7,5";
    QTest::newRow("VAT") << "kReparti" << "Reparto 1" << "cboIva" << "7" << "" << "2,5" << "7,5";
    QTest::newRow("articles per page") << "kReparti" << "Reparto 1" << "txtCategorie11" << "7" << "0" << "25" << "75";
    QTest::newRow("department title") << "kReparti" << "Reparto 1" << "txtCategorie14" << "-7" << "" << "-2.5kgx" << "7.5";
    QTest::newRow("shop discount") << "kReparti" << "Negozio" << "txtScontoNegozio" << "7" << "" << "2,5" << "7,5";
    QTest::newRow("minimum order") << "kSito" << "" << "txtMinimo" << "7" << "" << "2,5" << "7,5";
}

void TestTasti::scorciatoieNeiCampiFiltrati()
{
    QFETCH(QString, scheda);
    QFETCH(QString, nodo);
    QFETCH(QString, campo);
    QFETCH(QString, digitato);
    QFETCH(QString, tagliato);
    QFETCH(QString, incollato);
    QFETCH(QString, dalMenu);
    auto f = apriFinestra();
    QVERIFY(f->w);
    f->w->selezionaScheda(scheda);
    if (!nodo.isEmpty())
        QVERIFY(clicNodo(f->w, nodo));
    auto *w = f->w->findChild<QWidget *>(campo);
    QVERIFY(w);
    auto *lista = qobject_cast<QComboBox *>(w);
    auto *linea = lista ? lista->lineEdit() : qobject_cast<QLineEdit *>(w);
    QVERIFY(linea);
    QVERIFY(riscrivi(w, QStringLiteral("5")));
    QWidget *tasti = QApplication::focusWidget();
    QVERIFY(tasti == w || tasti == linea);
    const auto tutto = [&](Qt::Key k) {
        QTest::keyClick(tasti, Qt::Key_A, Qt::ControlModifier);
        if (k != Qt::Key_A)
            QTest::keyClick(tasti, k, Qt::ControlModifier);
    };
    tutto(Qt::Key_A);
    QTest::keyClicks(tasti, QStringLiteral("-7"));
    QCOMPARE(linea->text(), digitato);
    tutto(Qt::Key_C);
    QCOMPARE(QApplication::clipboard()->text(), digitato);
    tutto(Qt::Key_X);
    QCOMPARE(QApplication::clipboard()->text(), digitato);
    QCOMPARE(linea->text(), tagliato);
    if (tagliato.isEmpty()) {
        QTest::keyClick(tasti, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(linea->text(), digitato);
    }
    // Pasted with the keys: what the filter lets pass when typed; text it
    // keeps nothing of leaves the field as it is.
    QApplication::clipboard()->setText(QStringLiteral("-2.5kg|[x]"));
    tutto(Qt::Key_V);
    QCOMPARE(linea->text(), incollato);
    QApplication::clipboard()->setText(QStringLiteral("|[]"));
    QTest::keyClick(tasti, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(linea->text(), incollato);
    // Pasted from the right-click menu, over the whole text.
    QApplication::clipboard()->setText(QStringLiteral("7.5"));
    tutto(Qt::Key_A);
    QTest::mouseClick(f->w->windowHandle(), Qt::RightButton, {}, linea->mapTo(f->w, linea->rect().center()));
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QAction *incolla = nullptr;
    for (QAction *a : menu->actions())
        if (const QString t = a->text().section(u'\t', 0, 0).remove(u'&'); t == u"Paste" || t == u"Incolla")
            incolla = a;
    QVERIFY(incolla && incolla->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(incolla).center());
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(linea->text(), dalMenu);
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
}

QTEST_MAIN(TestTasti)
#include "test_tasti.moc"
