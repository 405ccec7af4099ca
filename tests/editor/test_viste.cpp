// The main window's views as the merchant meets them: each view shows
// exactly its panels and its menu, with the shop's root selected or a
// department, chosen by its tab or by the "Visualizza" menu; every bound
// field is named by its label when a value is refused; Qt's own texts are
// Italian; each view of the demo shop stays readable at 1280×800 and at
// 1024×680 (screenshots under the test output); the "before" and "after"
// insert commands have icons told apart.
#include "alberocategorie.h"
#include "comandi.h"
#include "finestraprova.h"
#include "traduzioni.h"
#include "vistaarticoli.h"
#include "vistainternet.h"
#include "vistanegozio.h"
#include "vistareparti.h"
#include "vistasito.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTableView>
#include <QHeaderView>
#include <QtTest>

namespace {

const char *const pannelli[] = {"picCategorie0", "picCategorie1", "picCategorie2", "picArticoli0",
                                "picArticoli1",  "picNegozio",    "picSito",       "picGenerale"};
const char *const menuViste[] = {"mnuReparti", "mnuArticoli", "mnuSito", "mnuInternet"};
const char *const chiavi[] = {"kReparti", "kArticoli", "kSito", "kInternet"};
const Cmd::Numero visualizza[] = {Cmd::VisualizzaReparti, Cmd::VisualizzaArticoli, Cmd::VisualizzaSito,
                          Cmd::VisualizzaInternet};

QString demo() { return qEnvironmentVariable("VETRASTO_BIN") + QStringLiteral("/demo"); }

QList<Vista *> viste(frmMain *w)
{
    return {w->vistaReparti(), w->vistaArticoli(), w->vistaNegozio(), w->vistaSito(), w->vistaInternet()};
}

// The menus the menu bar offers now.
QStringList menuOfferti(frmMain *w)
{
    QStringList r;
    for (QAction *a : w->menuBar()->actions())
        if (a->isVisible() && a->menu())
            r << a->menu()->objectName();
    return r;
}

} // namespace

class TestViste : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { m_f.reset(); }
    void pannelliDiOgniVista_data();
    void pannelliDiOgniVista();
    void etichetteDeiCampi_data();
    void etichetteDeiCampi();
    void testiDiQtInItaliano();
    void schermate_data();
    void schermate();
    void iconePrimaEDopo();

private:
    std::unique_ptr<FinestraDiProva> m_f;  // shared by the label rows
};

void TestViste::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    m_f = apriFinestra(2, 2);
    QVERIFY(m_f->w);
}

void TestViste::pannelliDiOgniVista_data()
{
    QTest::addColumn<int>("vista");
    QTest::addColumn<bool>("radice");
    QTest::addColumn<bool>("dalMenu");
    for (int v = 0; v < 4; ++v)
        for (bool radice : {false, true})
            for (bool dalMenu : {false, true})
                QTest::addRow("%s, %s, %s", chiavi[v], radice ? "root" : "department", dalMenu ? "menu" : "tab")
                    << v << radice << dalMenu;
}

void TestViste::pannelliDiOgniVista()
{
    QFETCH(int, vista);
    QFETCH(bool, radice);
    QFETCH(bool, dalMenu);
    auto f = apriFinestra(2, 2);
    QVERIFY(f->w);
    frmMain *w = f->w;
    QVERIFY(clicNodo(w, radice ? QStringLiteral("Negozio") : QStringLiteral("Reparto 2")));
    // From another view, so that the choice is a change.
    w->selezionaScheda(QString::fromLatin1(chiavi[vista == 2 ? 3 : 2]));
    QMenu *logo = w->findChild<QMenu *>(QStringLiteral("mnuImpostaLogoR"));
    const bool logoPrima = logo->menuAction()->isEnabled();
    if (dalMenu) {
        w->comandi().azione(visualizza[vista])->trigger();
    } else {
        QTabBar *t = w->tabGestione();
        QTest::mouseClick(t, Qt::LeftButton, {}, t->tabRect(vista).center());
    }
    QCOMPARE(w->schedaCorrente(), QString::fromLatin1(chiavi[vista]));

    const bool reparti = vista == 0, articoli = vista == 1, sito = vista == 2, internet = vista == 3;
    const bool atteso[] = {reparti || articoli,     reparti && !radice, reparti && !radice,
                           articoli && !radice,     articoli && !radice, (reparti || articoli) && radice,
                           sito,                    internet};
    QStringList mostrati, visti;
    for (size_t i = 0; i < std::size(pannelli); ++i) {
        QWidget *p = w->findChild<QWidget *>(QString::fromLatin1(pannelli[i]));
        QVERIFY2(p, pannelli[i]);
        if (p->isVisible())
            mostrati << p->objectName();
        if (atteso[i])
            visti << p->objectName();
        // Shown means enabled too; hidden disabled, but the shop panel
        // keeps its state in the settings views.
        if (atteso[i] || !(sito || internet) || i != 5)
            QVERIFY2(p->isEnabled() == atteso[i], pannelli[i]);
    }
    QCOMPARE(mostrati, visti);
    // The view's own "Modifica" menu, and only that.
    const QStringList offerti = menuOfferti(w);
    for (int v = 0; v < 4; ++v)
        QVERIFY2(offerti.contains(QLatin1String(menuViste[v])) == (v == vista), menuViste[v]);
    QCOMPARE(w->comandi().azione(Cmd::Espandi)->isEnabled(), reparti || articoli);
    QCOMPARE(w->comandi().azione(Cmd::Comprimi)->isEnabled(), reparti || articoli);
    for (int v = 0; v < 4; ++v)
        QCOMPARE(w->comandi().azione(visualizza[v])->isChecked(), v == vista);
    // The shop's logo entries while the shop panel is on screen; left as
    // they were in the settings views.
    for (const char *nome : {"mnuImpostaLogoR", "mnuEliminaLogoR", "mnuImpostaLogoA", "mnuEliminaLogoA"})
        QVERIFY2(w->findChild<QMenu *>(QString::fromLatin1(nome))->menuAction()->isEnabled()
                     == (reparti || articoli ? radice : logoPrima),
                 nome);
    QVERIFY(f->messages.shown().empty());
}

void TestViste::etichetteDeiCampi_data()
{
    QTest::addColumn<int>("vista");
    QTest::addColumn<QString>("campo");
    const QList<Vista *> v = viste(m_f->w);
    for (int i = 0; i < v.size(); ++i)
        for (const Binder::Voce &voce : v[i]->binder().voci())
            QTest::addRow("%s", qPrintable(voce.widget->objectName())) << i << voce.widget->objectName();
}

void TestViste::etichetteDeiCampi()
{
    // A value of the field refused: the view's handler names the field as
    // its label reads, never by the column.
    QFETCH(int, vista);
    QFETCH(QString, campo);
    Vista *v = viste(m_f->w)[vista];
    const QList<Binder::Voce> voci = v->binder().voci();
    const auto voce = std::find_if(voci.begin(), voci.end(), [&](const Binder::Voce &x) {
        return x.widget->objectName() == campo;
    });
    QVERIFY(voce != voci.end());
    const QString etichetta = v->didascalia(*voce->sorgente, voce->colonna);
    QVERIFY2(!etichetta.isEmpty(), "no label");
    m_f->messages.clear();
    emit voce->sorgente->error(3000, QStringLiteral("disco pieno"), voce->colonna);
    QCOMPARE(m_f->messages.texts().size(), 1);
    const QString m = m_f->messages.texts()[0];
    QVERIFY2(m.startsWith(QStringLiteral("Impossibile salvare \"%1\":").arg(etichetta)), qPrintable(m));
    QVERIFY2(!m.contains(u'"' + voce->colonna + u'"') || etichetta == voce->colonna, qPrintable(m));
}

void TestViste::testiDiQtInItaliano()
{
    QVERIFY(installaTraduzioni());
    // The right-click menu of a text field, opened with the mouse.
    auto f = apriFinestra(1, 1);
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    auto *e = figlio<QLineEdit>(f->w->vistaNegozio(), QStringLiteral("txtTitolo"));
    QVERIFY(e && e->isVisible());
    QTest::mouseClick(f->w->windowHandle(), Qt::RightButton, {}, e->mapTo(f->w, e->rect().center()));
    QTRY_VERIFY(QApplication::activePopupWidget());
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList voci;
    for (const QAction *a : menu->actions())
        if (!a->isSeparator())
            voci << a->text().section(u'\t', 0, 0).remove(u'&');
    QVERIFY(salvaSchermata(menu, QStringLiteral("menu-testo")));
    menu->close();
    for (const char *inglese : {"Undo", "Cut", "Copy", "Paste", "Select All"})
        QVERIFY2(!voci.contains(QLatin1String(inglese)), qPrintable(voci.join(u',')));
    QVERIFY2(voci.contains(QStringLiteral("Incolla")) && voci.contains(QStringLiteral("Taglia")), qPrintable(voci.join(u',')));
}

void TestViste::schermate_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QStringList>("controllati");
    QTest::addColumn<QSize>("misura");
    const struct {
        const char *nome, *scheda;
        QStringList pannelli;
    } righe[] = {{"reparti", "kReparti", {"picCategorie1", "picCategorie2"}},
                 {"articoli", "kArticoli", {"picArticoli0", "picArticoli1"}},
                 {"negozio", "kReparti", {"picNegozio"}},
                 {"sito", "kSito", {"picSito"}},
                 {"internet", "kInternet", {"picGenerale"}}};
    for (const auto &r : righe) {
        QTest::addRow("demo-%s", r.nome) << r.scheda << r.pannelli << QSize(1280, 800);
        QTest::addRow("demo-%s-1024", r.nome) << r.scheda << r.pannelli << QSize(1024, 680);
    }
}

void TestViste::schermate()
{
    QFETCH(QString, scheda);
    QFETCH(QStringList, controllati);
    QFETCH(QSize, misura);
    if (!QFile::exists(demo() + QStringLiteral("/catalog.mdb")))
        QFAIL("the demo shop of the build (VETRASTO_BIN/demo) could not be opened");
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    f->w->resize(misura);
    QTRY_COMPARE(f->w->size(), misura);
    const bool negozio = controllati.contains(QStringLiteral("picNegozio"));
    QVERIFY(clicNodo(f->w, negozio ? QStringLiteral("Negozio") : QStringLiteral("Caffè")));
    f->w->selezionaScheda(scheda);
    for (const QString &p : controllati)
        QVERIFY2(f->w->findChild<QWidget *>(p)->isVisible(), qPrintable(p));
    QVERIFY(salvaSchermata(f->w, QString::fromLatin1(QTest::currentDataTag())));
    for (const QString &p : controllati)
        QVERIFY2(verificaImpaginazione(f->w->findChild<QWidget *>(p)), qPrintable(p));
    // The article list keeps a few rows in sight.
    if (scheda == QLatin1String("kArticoli")) {
        auto *g = figlio<QTableView>(f->w->vistaArticoli(), QStringLiteral("gridArticoli"));
        QVERIFY(g);
        QVERIFY(g->viewport()->height() >= 5 * g->verticalHeader()->defaultSectionSize());
    }
    QVERIFY(f->messages.shown().empty());
}

void TestViste::iconePrimaEDopo()
{
    const auto immagine = [this](Cmd::Numero n) { return m_f->w->comandi().azione(n)->icon().pixmap(22).toImage(); };
    for (const auto &[prima, dopo] : {std::pair{Cmd::AggiungiArticoloPrima, Cmd::AggiungiArticoloDopo},
                                      std::pair{Cmd::AggiungiRepartoPrima, Cmd::AggiungiRepartoDopo}}) {
        QVERIFY(!immagine(prima).isNull() && !immagine(dopo).isNull());
        QVERIFY(immagine(prima) != immagine(dopo));
        // Neither is the icon of another command of its list.
        for (Cmd::Numero altro : {Cmd::ArticoloSu, Cmd::ArticoloGiu, Cmd::RepartoSu, Cmd::RepartoGiu, Cmd::AggiungiSottoreparto})
            QVERIFY(immagine(prima) != immagine(altro) && immagine(dopo) != immagine(altro));
    }
}

QTEST_MAIN(TestViste)
#include "test_viste.moc"
