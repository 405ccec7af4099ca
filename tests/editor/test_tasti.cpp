// The main window's own keys, wherever the focus is: F1 opens the help page
// of the current view, Ctrl+Up/Down move the current view's grid by one row
// (only with a department selected); the help menu's pages, a missing page
// opening nothing; the splash and the about box. The editing shortcuts in the
// fields whose keys are filtered; pasted text put in as it is and corrected
// by the rules on change; the right-click menu of a field not yet focused.
#include "alberocategorie.h"
#include "finestraprova.h"
#include "frmabout.h"
#include "traduzioni.h"
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
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        // The fields' menus in Italian, as the program shows them.
        QVERIFY(installaTraduzioni());
    }
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
    void incollatoComeSta_data();
    void incollatoComeSta();
    void menuAlPrimoClicDestro_data();
    void menuAlPrimoClicDestro();
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
    QTest::addColumn<QString>("digitato");  // "-7" typed over the whole text
    QTest::addColumn<QString>("tagliato");  // left by Ctrl+X
    QTest::newRow("price") << "kArticoli" << "Reparto 1" << "txtArticoli4" << "7" << "";
    QTest::newRow("offer") << "kArticoli" << "Reparto 1" << "txtArticoli6" << "7" << "";
    QTest::newRow("weight") << "kArticoli" << "Reparto 1" << "txtArticoli9" << "7" << "";
    QTest::newRow("code") << "kArticoli" << "Reparto 1" << "txtArticoli0" << "-7" << "";
    QTest::newRow("discount") << "kReparti" << "Reparto 1" << "txtCategorie0" << "7" << "";
    QTest::newRow("VAT") << "kReparti" << "Reparto 1" << "cboIva" << "7" << "";
    QTest::newRow("articles per page") << "kReparti" << "Reparto 1" << "txtCategorie11" << "7" << "0";
    QTest::newRow("department title") << "kReparti" << "Reparto 1" << "txtCategorie14" << "-7" << "";
    QTest::newRow("shop discount") << "kReparti" << "Negozio" << "txtScontoNegozio" << "7" << "";
    QTest::newRow("minimum order") << "kSito" << "" << "txtMinimo" << "7" << "";
}

void TestTasti::scorciatoieNeiCampiFiltrati()
{
    // Ctrl+A, C, X, Z and V edit every field whose typed keys are filtered.
    QFETCH(QString, scheda);
    QFETCH(QString, nodo);
    QFETCH(QString, campo);
    QFETCH(QString, digitato);
    QFETCH(QString, tagliato);
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
    tutto(Qt::Key_V);
    QCOMPARE(linea->text(), digitato);
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
}

void TestTasti::incollatoComeSta_data()
{
    // A paste goes into the field as it is; the rules that run on its
    // change correct it. Each example pasted over the field's text (`prima`)
    // in each way the platform pastes.
    QTest::addColumn<QString>("modo");
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("nodo");
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("prima");
    QTest::addColumn<QString>("incolla");
    QTest::addColumn<QString>("atteso");
    struct Esempio {
        const char *nome, *scheda, *nodo, *campo, *prima;
        QString incolla, atteso;
    };
    const QString titolo = QStringLiteral("Tè [bio] | £ 5 \\ nero");
    const Esempio esempi[] = {
        {"articles per page, 3.7", "kReparti", "Reparto 1", "txtCategorie11", "", "3.7", "3"},
        {"offer, minus 5", "kArticoli", "Reparto 1", "txtArticoli6", "", "-5", "5"},
        {"price, negative, exact", "kArticoli", "Reparto 1", "txtArticoli4", "", "-1234567,89", "1234567,89"},
        {"price, letters", "kArticoli", "Reparto 1", "txtArticoli4", "", "dieci", "dieci"},
        {"minimum order, letters over 20", "kSito", "", "txtMinimo", "20", "abc", "20"},
        {"department title", "kReparti", "Reparto 1", "txtCategorie14", "", titolo, titolo},
        {"VAT, minus 4", "kReparti", "Reparto 1", "cboIva", "", "-4", "4"},
    };
    for (const char *modo : {"Ctrl+V", "Shift+Ins", "Incolla", "middle button"})
        for (const Esempio &e : esempi)
            QTest::addRow("%s: %s", modo, e.nome) << modo << e.scheda << e.nodo << e.campo << e.prima << e.incolla
                                                  << e.atteso;
}

void TestTasti::incollatoComeSta()
{
    QFETCH(QString, modo);
    QFETCH(QString, scheda);
    QFETCH(QString, nodo);
    QFETCH(QString, campo);
    QFETCH(QString, prima);
    QFETCH(QString, incolla);
    QFETCH(QString, atteso);
    const bool mezzo = modo == QLatin1String("middle button");
    if (mezzo && !QApplication::clipboard()->supportsSelection())
        QSKIP("this platform keeps no selection for the middle button to paste");
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
    QVERIFY(riscrivi(w, prima));
    // Over the whole text; the middle button pastes where it clicks, after it.
    QTest::keyClick(linea, mezzo ? Qt::Key_End : Qt::Key_A, mezzo ? Qt::NoModifier : Qt::ControlModifier);
    QApplication::clipboard()->setText(incolla, mezzo ? QClipboard::Selection : QClipboard::Clipboard);
    if (modo == QLatin1String("Ctrl+V")) {
        QTest::keyClick(linea, Qt::Key_V, Qt::ControlModifier);
    } else if (modo == QLatin1String("Shift+Ins")) {
        QTest::keyClick(linea, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (mezzo) {
        QTest::mouseClick(linea, Qt::MiddleButton, {}, linea->rect().center());
    } else {
        QTest::mouseClick(f->w->windowHandle(), Qt::RightButton, {}, linea->mapTo(f->w, linea->rect().center()));
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *voce = nullptr;
        for (QAction *a : menu->actions())
            if (a->text().section(u'\t', 0, 0).remove(u'&') == u"Incolla")
                voce = a;
        QVERIFY(voce && voce->isEnabled());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(voce).center());
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
    QCOMPARE(linea->text(), atteso);
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
}

void TestTasti::menuAlPrimoClicDestro_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("nodo");
    QTest::addColumn<QString>("campo");
    QTest::newRow("price") << "kArticoli" << "Reparto 1" << "txtArticoli4";
    QTest::newRow("offer") << "kArticoli" << "Reparto 1" << "txtArticoli6";
    QTest::newRow("articles per page") << "kReparti" << "Reparto 1" << "txtCategorie11";
    QTest::newRow("shop discount") << "kReparti" << "Negozio" << "txtScontoNegozio";
    QTest::newRow("minimum order") << "kSito" << "" << "txtMinimo";
}

void TestTasti::menuAlPrimoClicDestro()
{
    // A field that selects its text as it gets the focus, right-clicked
    // while another control has it: the menu that opens has its cut and
    // copy entries on for the text it shows selected.
    QFETCH(QString, scheda);
    QFETCH(QString, nodo);
    QFETCH(QString, campo);
    auto f = apriFinestra();
    QVERIFY(f->w);
    f->w->selezionaScheda(scheda);
    if (!nodo.isEmpty())
        QVERIFY(clicNodo(f->w, nodo));
    auto *e = figlio<QLineEdit>(f->w, campo);
    QVERIFY(e);
    QVERIFY(riscrivi(e, QStringLiteral("12")));
    QTest::keyClick(e, Qt::Key_Tab);
    QTRY_VERIFY(!e->hasFocus());
    QVERIFY(!e->hasSelectedText());
    QTest::mouseClick(f->w->windowHandle(), Qt::RightButton, {}, e->mapTo(f->w, e->rect().center()));
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(e->hasFocus());
    QVERIFY(!e->text().isEmpty());
    QCOMPARE(e->selectedText(), e->text());
    QStringList accese;
    for (QAction *a : menu->actions())
        if (a->isEnabled() && !a->isSeparator())
            accese << a->text().section(u'\t', 0, 0).remove(u'&');
    QVERIFY2(accese.contains(QStringLiteral("Taglia")) && accese.contains(QStringLiteral("Copia")),
             qPrintable(accese.join(u',')));
    QVERIFY(salvaSchermata(menu, QStringLiteral("menu-") + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-')));
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

QTEST_MAIN(TestTasti)
#include "test_tasti.moc"
