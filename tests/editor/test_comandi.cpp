// The numbered commands from the window: each from its menu entry and from
// its panel or picture button does what it should on the demo shop, with its
// questions and dialogs answered, leaves the busy flag clear and the row the
// merchant expects current; a command run without a current row changes
// nothing and shows nothing; the menu bar and the panels' buttons built from
// the registry, and the menu bar's access keys in each view; a build
// from the window writes the same site as the headless build, and asks for a
// template set until one is chosen or the merchant gives up; emptying the
// working folders.
#include "aggiornasito.h"
#include "alberocategorie.h"
#include "cartelle.h"
#include "fileprova.h"
#include "finestraprova.h"
#include "frmavviso.h"
#include "frmimmagine.h"
#include "frmopzioni.h"
#include "frmsearch.h"
#include "frmtemplate.h"
#include "programfolder.h"
#include "pulsanteimmagine.h"
#include "settings.h"
#include "shell.h"
#include "vistaarticoli.h"
#include "vistareparti.h"

#include <QAction>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <deque>

namespace {

// The menu entry of an action, found by walking the menu bar.
QAction *voceDiMenu(QMenuBar *barra, QAction *azione)
{
    std::function<QAction *(QMenu *)> cerca = [&](QMenu *m) -> QAction * {
        for (QAction *a : m->actions()) {
            if (a == azione)
                return a;
            if (a->menu())
                if (QAction *t = cerca(a->menu()))
                    return t;
        }
        return nullptr;
    };
    for (QAction *a : barra->actions())
        if (a->menu())
            if (QAction *t = cerca(a->menu()))
                return t;
    return nullptr;
}

// What is wrong with the access keys of these entries and of their
// submenus' entries: every entry has one, and no two entries of one menu (or
// of the bar) share theirs. Empty when nothing is.
QString tastiDoppi(const QList<QAction *> &voci, const QString &dove)
{
    QSet<QChar> tasti;
    for (QAction *a : voci) {
        if (a->isSeparator())
            continue;
        const QString t = a->text();
        const qsizetype i = t.indexOf(u'&');
        if (i < 0 || i + 1 >= t.size())
            return dove + u'/' + t + QStringLiteral(": no access key");
        const QChar tasto = t.at(i + 1).toLower();
        if (tasti.contains(tasto))
            return dove + u'/' + t + QStringLiteral(": its access key is taken");
        tasti.insert(tasto);
        if (a->menu())
            if (const QString e = tastiDoppi(a->menu()->actions(), dove + u'/' + a->text()); !e.isEmpty())
                return e;
    }
    return {};
}

// The command entries of the menu bar as it is now, each with the menus that
// hold it.
QHash<QAction *, QStringList> vociDellaBarra(QMenuBar *barra)
{
    QHash<QAction *, QStringList> voci;
    std::function<void(QMenu *)> raccogli = [&](QMenu *m) {
        for (QAction *a : m->actions()) {
            if (a->menu())
                raccogli(a->menu());
            else if (!a->isSeparator())
                voci[a] << m->objectName();
        }
    };
    for (QAction *a : barra->actions())
        raccogli(a->menu());
    return voci;
}

// The buttons of a command anywhere in the window: a tool button named
// cmdButton<n> or standing for its action, or the picture button of its
// place in the strip.
QList<QWidget *> pulsantiDi(frmMain *w, const DefinizioneComando &d)
{
    QList<QWidget *> l;
    const QAction *azione = w->comandi().azione(d.numero);
    for (QToolButton *b : w->findChildren<QToolButton *>())
        if (b->objectName() == QStringLiteral("cmdButton%1").arg(d.numero) || b->defaultAction() == azione)
            l << b;
    const qsizetype striscia = RegistroComandi::pannello(QStringLiteral("picSfondo1")).indexOf(d.numero);
    for (PulsanteImmagine *b : w->findChildren<PulsanteImmagine *>())
        if (b->objectName() == QStringLiteral("imgButton%1").arg(striscia) && b->toolTip() == azione->toolTip())
            l << b;
    return l;
}

// Closes the next modal dialog with Escape (a cancelled chooser or editor).
void annullaProssimoDialogo()
{
    QTimer::singleShot(0, [] {
        if (QWidget *d = QApplication::activeModalWidget())
            QTest::keyClick(d, Qt::Key_Escape);
    });
}

// Answers the modal dialogs a command opens, in order: each answer is given
// the dialog once it is the active modal window. A dialog its answer fails
// on (false) is closed, so that the command ends and the test stops.
class Dialoghi : public QObject {
public:
    using Risposta = std::function<bool(QWidget *)>;
    Dialoghi()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *d = QApplication::activeModalWidget();
            if (!d || d == m_ultimo || m_coda.empty())
                return;
            m_ultimo = d;
            const Risposta r = m_coda.front();
            m_coda.pop_front();
            if (!r(d) && m_ultimo)
                m_ultimo->close();
        });
        m_timer.start(5);
    }
    Dialoghi &poi(Risposta r)
    {
        m_coda.push_back(std::move(r));
        return *this;
    }
    size_t inAttesa() const { return m_coda.size(); }

private:
    std::deque<Risposta> m_coda;
    QPointer<QWidget> m_ultimo;
    QTimer m_timer;
};

// Answers of the dialogs the commands open.
bool annulla(QWidget *d)
{
    QTest::keyClick(d, Qt::Key_Escape);
    return true;
}
// The picture chooser: the first file of its folder, then OK.
bool primaFoto(QWidget *d)
{
    VERIFICA(qobject_cast<frmImmagine *>(d));
    auto *file = figlio<QListWidget>(d, QStringLiteral("File"));
    VERIFICA(file);
    file->setCurrentRow(0);
    VERIFICA(clic(figlio<QPushButton>(d, QStringLiteral("cmdOK"))));
    return true;
}
// The variant-set editor: the set "Colore", then OK.
bool setColore(QWidget *d)
{
    VERIFICA(qobject_cast<frmOpzioni *>(d));
    auto *elenco = figlio<QListWidget>(d, QStringLiteral("DBGrid1"));
    VERIFICA(elenco);
    const QList<QListWidgetItem *> voci = elenco->findItems(QStringLiteral("Colore"), Qt::MatchExactly);
    CONFRONTA(voci.size(), 1);
    elenco->setCurrentItem(voci[0]);
    VERIFICA(clic(figlio<QPushButton>(d, QStringLiteral("cmdOK"))));
    return true;
}
// The template chooser: that set, then OK.
Dialoghi::Risposta scegliSet(const QString &set)
{
    return [set](QWidget *d) {
        VERIFICA(qobject_cast<frmTemplate *>(d));
        auto *lista = figlio<QListWidget>(d, QStringLiteral("lstTemplate"));
        VERIFICA(lista);
        const QList<QListWidgetItem *> voci = lista->findItems(set, Qt::MatchExactly);
        CONFRONTA(voci.size(), 1);
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(voci[0]).center());
        VERIFICA(clic(figlio<QPushButton>(d, QStringLiteral("cmdOK"))));
        return true;
    };
}

// The main window on a copy of the demo shop, with the real program folder
// (its template sets, scripts and payment systems); a folder of pictures for
// the picture chooser. Null when the build made no demo shop.
std::unique_ptr<FinestraDiProva> apriDemo()
{
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    if (!QFile::exists(bin + QStringLiteral("/demo/catalog.mdb")))
        return nullptr;
    auto f = apriImpostazioni({}, bin + QStringLiteral("/demo"));
    // The commands read the real program folder (the fixture's own has the
    // same template set's page models, which the window reads on opening).
    ProgramFolder::setPath(bin);
    const QString foto = f->program.path() + QStringLiteral("/foto");
    FileProva::scrivi(foto + QStringLiteral("/Foto.bmp"), FileProva::quarti(120, 90), "bmp");
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("LoadImage"), QStringLiteral("Path"), foto);
    return f;
}

// What a command case checks against: the window, the dialogs' answers and
// the catalogue before the command.
struct Prova {
    FinestraDiProva &f;
    Dialoghi &dialoghi;
    int articoli = 0, reparti = 0;  // rows before the command

    Database &db() { return f.db(); }
    QVariant sql(const QString &q, const QVariantList &p = {}) { return db().scalar(q, p); }
    DatiPrincipali &dati() { return f.negozio().dati(); }
    Recordset &articolo() { return dati().dataArticoli.recordset(); }
    QString codice() { return articolo().text(QStringLiteral("codice")); }
    QWidget *widget(const QString &nome) { return f.w->findChild<QWidget *>(nome); }
    bool abilitato(const char *nome) { return f.w->comandi().abilitato(QString::fromUtf8(nome)); }
    // The department's ID by its title, the order of a department's articles.
    QString reparto(const QString &titolo)
    {
        return sql(QStringLiteral("SELECT ID FROM categorie WHERE titolo=?"), {titolo}).toString();
    }
    QString ordineArticoli(const QString &catID)
    {
        return sql(QStringLiteral("SELECT group_concat(codice, ' ') FROM (SELECT codice FROM articoli WHERE catID=? "
                                  "ORDER BY ordinamento)"),
                   {catID})
            .toString();
    }
    // The sibling departments' titles in their order.
    QStringList fratelli()
    {
        QStringList l;
        const auto *griglia = figlio<QTableView>(f.w->vistaReparti(), QStringLiteral("gridCategorie"));
        if (!griglia)
            return {QStringLiteral("<no gridCategorie>")};
        const QAbstractItemModel *m = griglia->model();
        for (int r = 0; r < m->rowCount(); ++r)
            l << m->index(r, 0).data().toString();
        return l;
    }
    // A picture field of the current row of a data source, and the frame that shows it.
    [[nodiscard]] bool controllaImmagine(const char *tabella, const QString &dove, int n, bool impostata,
                                         const char *cornice)
    {
        const QString nome = sql(QStringLiteral("SELECT immagine%1 FROM %2 WHERE %3")
                                     .arg(n)
                                     .arg(QLatin1String(tabella), dove))
                                 .toString();
        CONFRONTA(nome.isEmpty(), !impostata);
        if (impostata) {
            VERIFICA2(QFile::exists(f.shop + QStringLiteral("/work/") + nome), qPrintable(nome));
            VERIFICA(sql(QStringLiteral("SELECT imgX%1 FROM %2 WHERE %3").arg(n).arg(QLatin1String(tabella), dove)).toInt()
                     > 0);
        }
        VERIFICA2(widget(QString::fromLatin1(cornice)), cornice);
        CONFRONTA(widget(QString::fromLatin1(cornice))->isHidden(), !impostata);
        return true;
    }
};

// One case of the command table: the command, where it runs (view, tree
// node, grid row), what is done first, and what it must have done.
struct CasoComando {
    const char *nome;
    Cmd::Numero numero;
    const char *scheda;
    const char *nodo;
    int riga;                              // -1: the grid is not clicked
    std::function<bool(Prova &)> prepara;  // before the node and row are clicked
    std::function<bool(Prova &)> poi;      // after: the answers to its questions and dialogs
    QStringList messaggi;                  // the messages it shows
    std::function<void(Prova &)> verifica;
};

// The command table on the demo shop: departments "Caffè" (caffe, six
// articles), "Tè e tisane" (te, five), "Tazze e accessori" (tazze, four, with
// the sub-department "Moka e macinacaffè"); 20 articles.
const std::vector<CasoComando> &casiComando()
{
    const auto siSceglie = [](Dialoghi::Risposta r) {
        return [r](Prova &p) {
            p.dialoghi.poi(r);
            return true;
        };
    };
    const auto rispondeSi = [](Prova &p) {
        p.f.messages.answer(Messages::Answer::Yes);
        return true;
    };
    const auto immagineReparto = [](int n) {
        return [n](Prova &p) {
            p.db().execute(QStringLiteral("UPDATE categorie SET immagine%1='logo.jpg', imgX%1=120, imgY%1=60 WHERE ID='te'")
                               .arg(n));
            p.dati().dataCategorie.refresh();
            return true;
        };
    };
    const auto articoloSpostato = [](int posizione, const char *ordine) {
        return [=](Prova &p) {
            QCOMPARE(p.codice(), QStringLiteral("TE-002"));  // the moved article stays current
            QCOMPARE(p.articolo().absolutePosition(), posizione);
            QCOMPARE(p.ordineArticoli(QStringLiteral("te")), QString::fromLatin1(ordine));
        };
    };
    const auto articoloAggiunto = [](int posizione) {
        return [=](Prova &p) {
            QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID='te'")).toInt(), 6);
            QCOMPARE(p.articolo().absolutePosition(), posizione);
            QVERIFY(p.codice().isEmpty());
            QCOMPARE(p.f.negozio().state.TotaleArticoli, qint64(21));
            QCOMPARE(p.f.w->lblTotaleArticoli()->text(), QStringLiteral(" Articoli:  6 / 21"));
        };
    };
    const auto repartoAggiunto = [](QStringList fratelli) {
        return [=](Prova &p) {
            QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM categorie")).toInt(), p.reparti + 1);
            QCOMPARE(p.dati().dataCategorie.recordset().text(QStringLiteral("titolo")), QStringLiteral("Nuovo Reparto"));
            QCOMPARE(AlberoCategorie::chiave(p.f.w->tvwCategorie()->currentItem()), p.dati().repartoCorrente());
            QCOMPARE(p.fratelli(), fratelli);
        };
    };
    const auto repartoSpostato = [](int riga, QStringList fratelli) {
        return [=](Prova &p) {
            QCOMPARE(p.dati().repartoCorrente(), QStringLiteral("te"));
            const auto *griglia = figlio<QTableView>(p.f.w->vistaReparti(), QStringLiteral("gridCategorie"));
            QVERIFY(griglia);
            QCOMPARE(griglia->currentIndex().row(), riga);
            QCOMPARE(AlberoCategorie::chiave(p.f.w->tvwCategorie()->currentItem()), QStringLiteral("te"));
            QCOMPARE(p.fratelli(), fratelli);
        };
    };
    const auto immagine = [](const char *tabella, const char *dove, int n, bool impostata, const char *cornice,
                             const char *elimina) {
        return [=](Prova &p) {
            QVERIFY(p.controllaImmagine(tabella, QString::fromLatin1(dove), n, impostata, cornice));
            QCOMPARE(p.abilitato(elimina), impostata);
        };
    };
    const auto variante = [](int n) {
        return [n](Prova &p) {
            QCOMPARE(p.sql(QStringLiteral("SELECT opzione%1 FROM articoli WHERE codice='TE-002'").arg(n)),
                     p.sql(QStringLiteral("SELECT ID FROM opzioni WHERE nome='Colore'")));
            const auto *nome = figlio<QLineEdit>(p.f.w->vistaArticoli(), QStringLiteral("txtVariante%1").arg(n - 1));
            QVERIFY(nome);
            QCOMPARE(nome->text(), QStringLiteral("Colore"));
            QCOMPARE(p.codice(), QStringLiteral("TE-002"));
        };
    };
    const auto albero = [](bool aperto) {
        return [aperto](Prova &p) {
            for (QTreeWidgetItemIterator it(p.f.w->tvwCategorie()); *it; ++it)
                (*it)->setExpanded(aperto);
            return true;
        };
    };
    static const std::vector<CasoComando> casi = {
        {"article up", Cmd::ArticoloSu, "kArticoli", "Tè e tisane", 1, {}, {}, {},
         articoloSpostato(0, "TE-002 TE-001 TE-003 TE-004 TE-005")},
        {"article down", Cmd::ArticoloGiu, "kArticoli", "Tè e tisane", 1, {}, {}, {},
         articoloSpostato(2, "TE-001 TE-003 TE-002 TE-004 TE-005")},
        {"article before", Cmd::AggiungiArticoloPrima, "kArticoli", "Tè e tisane", 1, {}, {}, {}, articoloAggiunto(1)},
        {"article after", Cmd::AggiungiArticoloDopo, "kArticoli", "Tè e tisane", 1, {}, {}, {}, articoloAggiunto(2)},
        {"article delete", Cmd::EliminaArticolo, "kArticoli", "Tè e tisane", 1, {}, rispondeSi,
         {QStringLiteral("Eliminare l'articolo selezionato?")},
         [](Prova &p) {
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli")).toInt(), p.articoli - 1);
             QCOMPARE(p.codice(), QStringLiteral("TE-001"));  // the row before
             QCOMPARE(p.f.w->lblTotaleArticoli()->text(), QStringLiteral(" Articoli:  4 / 19"));
         }},
        {"article delete, an edit pending", Cmd::EliminaArticolo, "kArticoli", "Tè e tisane", 1, {},
         [](Prova &p) {
             // Typed into the description, written with no field's event:
             // the edit goes with the article.
             auto *descrizione = figlio<QPlainTextEdit>(p.f.w->vistaArticoli(), QStringLiteral("txtArticoli3"));
             VERIFICA(clic(descrizione));
             QTest::keyClicks(descrizione, QStringLiteral("da buttare"));
             p.f.messages.answer(Messages::Answer::Yes);
             return true;
         },
         {QStringLiteral("Eliminare l'articolo selezionato?")},
         [](Prova &p) {
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli")).toInt(), p.articoli - 1);
             QCOMPARE(p.codice(), QStringLiteral("TE-001"));
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE descrizione LIKE '%da buttare%'")).toInt(),
                      0);
             QVERIFY(!p.dati().dataArticoli.modifichePendenti());
         }},
        {"the only article delete", Cmd::EliminaArticolo, "kArticoli", "Tè e tisane", 0,
         [](Prova &p) {
             // "Tè e tisane" keeps TE-001 only; the shop keeps its 20.
             p.db().execute(QStringLiteral("UPDATE articoli SET catID='caffe' WHERE catID='te' AND codice<>'TE-001'"));
             return true;
         },
         rispondeSi, {QStringLiteral("Eliminare l'articolo selezionato?")},
         [](Prova &p) {
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli")).toInt(), p.articoli - 1);
             // No current article: the counter, the list and the fields say so.
             QVERIFY(!p.articolo().hasCurrent());
             QCOMPARE(p.f.negozio().state.TotaleArticoli, qint64(19));
             QCOMPARE(p.f.w->lblTotaleArticoli()->text(), QStringLiteral(" Articoli:  0 / 19"));
             const auto *griglia = figlio<QTableView>(p.f.w->vistaArticoli(), QStringLiteral("gridArticoli"));
             QVERIFY(griglia);
             QCOMPARE(griglia->model()->rowCount(), 0);
             const auto *titolo = figlio<QLineEdit>(p.f.w->vistaArticoli(), QStringLiteral("txtArticoli1"));
             QVERIFY(titolo);
             QCOMPARE(titolo->text(), QString());
             QVERIFY(!titolo->isEnabled());
             QVERIFY(!p.abilitato("- articolo"));
             QVERIFY(p.abilitato("+ articolo dopo"));
         }},
        {"article copy", Cmd::CopiaArticolo, "kArticoli", "Tè e tisane", 1, {}, {}, {},
         [](Prova &p) {
             QCOMPARE(p.sql(QStringLiteral("SELECT group_concat(codice) FROM cliparticoli")).toString(),
                      QStringLiteral("TE-002"));
             QVERIFY(p.abilitato("incolla articolo"));
             QVERIFY(!p.abilitato("incolla categoria"));
         }},
        {"article paste", Cmd::IncollaArticolo, "kArticoli", "Caffè", 0,
         [](Prova &p) {
             // The articles of "Tè e tisane" copied with their department.
             VERIFICA(clicNodo(p.f.w, QStringLiteral("Tè e tisane")));
             p.f.messages.answer(Messages::Answer::Yes);
             p.f.w->EseguiComando(Cmd::CopiaReparto);
             return true;
         },
         rispondeSi, {QStringLiteral("Saranno incollati 5 articoli. Procedere?")},
         [](Prova &p) {
             QCOMPARE(p.dati().repartoCorrente(), QStringLiteral("caffe"));
             // The five, in their order, among the department's six.
             const QString caffe = p.ordineArticoli(QStringLiteral("caffe"));
             QCOMPARE(caffe.split(u' ').size(), 11);
             QVERIFY2(caffe.contains(p.ordineArticoli(QStringLiteral("te"))), qPrintable(caffe));
             QVERIFY(p.codice().startsWith(QLatin1String("TE-")));  // a pasted row
             QCOMPARE(p.f.negozio().state.TotaleArticoli, qint64(25));
         }},
        {"expand all", Cmd::Espandi, "kReparti", "Tè e tisane", -1, {}, albero(false), {},
         [](Prova &p) {
             // From the root down, even with "Negozio" collapsed.
             for (QTreeWidgetItemIterator it(p.f.w->tvwCategorie()); *it; ++it)
                 QVERIFY2((*it)->childCount() == 0 || (*it)->isExpanded(), qPrintable((*it)->text(0)));
             QVERIFY(p.f.w->tvwCategorie()->topLevelItem(0)->isExpanded());
         }},
        {"collapse all", Cmd::Comprimi, "kReparti", "Tè e tisane", -1, {}, albero(true), {},
         [](Prova &p) {
             // The root stays open: the top-level departments stay in view.
             QTreeWidgetItem *radice = p.f.w->tvwCategorie()->topLevelItem(0);
             QVERIFY(radice->isExpanded());
             for (int i = 0; i < radice->childCount(); ++i)
                 QVERIFY(!radice->child(i)->isExpanded());
         }},
        {"article picture 1 set", Cmd::ImpostaImmagine1, "kArticoli", "Tè e tisane", 1, {}, siSceglie(primaFoto), {},
         immagine("articoli", "codice='TE-002'", 0, true, "imgArticolo0", "- immagine0")},
        {"article picture 1 cleared", Cmd::EliminaImmagine1, "kArticoli", "Tè e tisane", 1, {}, {}, {},
         [](Prova &p) {
             QVERIFY(p.controllaImmagine("articoli", QStringLiteral("codice='TE-002'"), 0, false, "imgArticolo0"));
             QVERIFY(!p.abilitato("- immagine0"));
             // The size fields stay; the other articles keep their pictures.
             QVERIFY(p.sql(QStringLiteral("SELECT imgX0 FROM articoli WHERE codice='TE-002'")).toInt() > 0);
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE immagine0<>''")).toInt(), p.articoli - 1);
         }},
        {"department paste", Cmd::IncollaReparto, "kReparti", "Caffè", -1,
         [](Prova &p) {
             VERIFICA(clicNodo(p.f.w, QStringLiteral("Tè e tisane")));
             p.f.messages.answer(Messages::Answer::Yes);  // its articles too
             p.f.w->EseguiComando(Cmd::CopiaReparto);
             return true;
         },
         rispondeSi, {QStringLiteral("Saranno incollati 5 articoli. Procedere?")},
         [](Prova &p) {
             // A new department before the selected one, filled from the copy.
             const QString nuovo = p.dati().repartoCorrente();
             QVERIFY(nuovo != QLatin1String("te") && nuovo != QLatin1String("caffe"));
             QCOMPARE(p.sql(QStringLiteral("SELECT titolo FROM categorie WHERE ID=?"), {nuovo}).toString(),
                      QStringLiteral("Tè e tisane"));
             QCOMPARE(p.ordineArticoli(nuovo), p.ordineArticoli(QStringLiteral("te")));
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM categorie")).toInt(), p.reparti + 1);
             QCOMPARE(p.fratelli(), QStringList({"Tè e tisane", "Caffè", "Tè e tisane", "Tazze e accessori"}));
         }},
        {"department copy", Cmd::CopiaReparto, "kReparti", "Tè e tisane", -1, {}, rispondeSi,
         {QStringLiteral("Copiare anche tutti gli articoli del reparto?")},
         [](Prova &p) {
             QCOMPARE(p.sql(QStringLiteral("SELECT titolo FROM clipcategorie")).toString(), QStringLiteral("Tè e tisane"));
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM cliparticoli")).toInt(), 5);
             QVERIFY(p.abilitato("incolla categoria"));
             QVERIFY(p.abilitato("incolla articolo"));
         }},
        {"department delete", Cmd::EliminaReparto, "kReparti", "Tè e tisane", -1, {}, rispondeSi,
         {QStringLiteral("Il reparto contiene articoli che saranno cancellati. Eliminarlo comunque?")},
         [](Prova &p) {
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM categorie")).toInt(), p.reparti - 1);
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli")).toInt(), p.articoli - 5);
             QVERIFY(p.f.w->tvwCategorie()->findItems(QStringLiteral("Tè e tisane"), Qt::MatchRecursive).isEmpty());
             QCOMPARE(p.f.negozio().state.TotaleArticoli, qint64(p.articoli - 5));
         }},
        {"department with sub-departments kept", Cmd::EliminaReparto, "kReparti", "Tazze e accessori", -1, {}, {},
         {QStringLiteral("Non è consentito eliminare un reparto che contiene sottoreparti.\r\n"
                         "Per cancellare questo reparto è necessario rimuovere i sottoreparti.")},
         [](Prova &p) {
             QCOMPARE(p.f.messages.shown()[0].icon, Messages::Icon::Information);
             QCOMPARE(p.sql(QStringLiteral("SELECT COUNT(*) FROM categorie")).toInt(), p.reparti);
             QCOMPARE(p.dati().repartoCorrente(), QStringLiteral("tazze"));
         }},
        {"department after", Cmd::AggiungiRepartoDopo, "kReparti", "Tè e tisane", -1, {}, {}, {},
         repartoAggiunto({"Caffè", "Tè e tisane", "Nuovo Reparto", "Tazze e accessori"})},
        {"department before", Cmd::AggiungiRepartoPrima, "kReparti", "Tè e tisane", -1, {}, {}, {},
         repartoAggiunto({"Caffè", "Nuovo Reparto", "Tè e tisane", "Tazze e accessori"})},
        {"department down", Cmd::RepartoGiu, "kReparti", "Tè e tisane", -1, {}, {}, {},
         repartoSpostato(2, {"Caffè", "Tazze e accessori", "Tè e tisane"})},
        {"department up", Cmd::RepartoSu, "kReparti", "Tè e tisane", -1, {}, {}, {},
         repartoSpostato(0, {"Tè e tisane", "Caffè", "Tazze e accessori"})},
        {"department picture cleared", Cmd::EliminaImmagineReparto, "kReparti", "Tè e tisane", -1, immagineReparto(0), {},
         {}, immagine("categorie", "ID='te'", 0, false, "imgCategoria0", "- immagine cat0")},
        {"department picture set", Cmd::ImpostaImmagineReparto, "kReparti", "Tè e tisane", -1, {}, siSceglie(primaFoto),
         {}, immagine("categorie", "ID='te'", 0, true, "imgCategoria0", "- immagine cat0")},
        {"sub-department", Cmd::AggiungiSottoreparto, "kReparti", "Tè e tisane", -1, {}, {}, {},
         [](Prova &p) {
             const QString nuovo = p.dati().repartoCorrente();
             QCOMPARE(p.sql(QStringLiteral("SELECT genitore FROM categorie WHERE ID=?"), {nuovo}).toString(),
                      QStringLiteral("te"));
             QVERIFY(p.sql(QStringLiteral("SELECT hafigli FROM categorie WHERE ID='te'")).toBool());
             const auto *titolo = figlio<QLineEdit>(p.f.w->vistaReparti(), QStringLiteral("txtCategorie14"));
             QVERIFY(titolo);
             QCOMPARE(titolo->text(), QStringLiteral("Nuovo Reparto"));
             QCOMPARE(AlberoCategorie::chiave(p.f.w->tvwCategorie()->currentItem()), nuovo);
         }},
        {"article search", Cmd::Ricerca, "kArticoli", "Tè e tisane", 1, {}, {}, {},
         [](Prova &p) {
             // Modeless: it stays open beside the window, which goes on working.
             auto *ricerca = p.f.w->findChild<frmSearch *>();
             QVERIFY(ricerca && ricerca->isVisible());
             QVERIFY(!ricerca->isModal());
             QVERIFY(!QApplication::activeModalWidget());
             QCOMPARE(p.codice(), QStringLiteral("TE-002"));
             ricerca->close();
         }},
        {"article picture 2 cleared", Cmd::EliminaImmagine2, "kArticoli", "Caffè", 0, {}, {}, {},
         immagine("articoli", "codice='CAF-001'", 1, false, "imgArticolo1", "- immagine1")},
        {"article picture 2 set", Cmd::ImpostaImmagine2, "kArticoli", "Tè e tisane", 1, {}, siSceglie(primaFoto), {},
         immagine("articoli", "codice='TE-002'", 1, true, "imgArticolo1", "- immagine1")},
        {"department button cleared", Cmd::EliminaPulsante, "kReparti", "Tè e tisane", -1, immagineReparto(1), {}, {},
         immagine("categorie", "ID='te'", 1, false, "imgCategoria1", "- immagine cat1")},
        {"department button set", Cmd::ImpostaPulsante, "kReparti", "Tè e tisane", -1, {}, siSceglie(primaFoto), {},
         immagine("categorie", "ID='te'", 1, true, "imgCategoria1", "- immagine cat1")},
        {"small picture set", Cmd::ImpostaImmaginePiccola, "kArticoli", "Tè e tisane", 1, {}, siSceglie(primaFoto), {},
         [](Prova &p) {
             QVERIFY(p.controllaImmagine("articoli", QStringLiteral("codice='TE-002'"), 2, true, "imgArticolo2"));
             QVERIFY(p.sql(QStringLiteral("SELECT immagine2 FROM articoli WHERE codice='TE-002'")).toString()
                     != QLatin1String("te-002_p.jpg"));
         }},
        {"small picture cleared", Cmd::EliminaImmaginePiccola, "kArticoli", "Tè e tisane", 1, {}, {}, {},
         immagine("articoli", "codice='TE-002'", 2, false, "imgArticolo2", "- immagine2")},
        {"shop logo cleared", Cmd::EliminaLogoNormale, "kReparti", "Negozio", -1, {}, {}, {},
         immagine("generale", "1", 0, false, "imgNegozio0", "- immagine neg0")},
        {"shop logo set", Cmd::ImpostaLogoNormale, "kReparti", "Negozio", -1, {}, siSceglie(primaFoto), {},
         immagine("generale", "1", 0, true, "imgNegozio0", "- immagine neg0")},
        {"variant set 1", Cmd::Variante1, "kArticoli", "Tè e tisane", 1, {}, siSceglie(setColore), {}, variante(1)},
        {"variant set 2", Cmd::Variante2, "kArticoli", "Tè e tisane", 1, {}, siSceglie(setColore), {}, variante(2)},
        {"small shop logo set", Cmd::ImpostaLogoPiccolo, "kReparti", "Negozio", -1, {}, siSceglie(primaFoto), {},
         immagine("generale", "1", 1, true, "imgNegozio1", "- immagine neg1")},
        {"small shop logo cleared", Cmd::EliminaLogoPiccolo, "kReparti", "Negozio", -1,
         [](Prova &p) {
             p.db().execute(QStringLiteral("UPDATE generale SET immagine1='logo.jpg', imgX1=120, imgY1=60"));
             p.dati().dataGenerale.refresh();
             return true;
         },
         {}, {}, immagine("generale", "1", 1, false, "imgNegozio1", "- immagine neg1")},
        {"variant set 3", Cmd::Variante3, "kArticoli", "Tè e tisane", 1, {}, siSceglie(setColore), {}, variante(3)},
        {"build", Cmd::Costruisci, "kArticoli", "Tè e tisane", 1, {},
         [](Prova &p) {
             p.f.messages.answer(Messages::Answer::No);
             return true;
         },
         {QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?")},
         [](Prova &p) {
             const ShopState &s = p.f.negozio().state;
             QVERIFY(QFile::exists(s.CartellaPagine + QStringLiteral("/index.htm")));
             QVERIFY(QFile::exists(s.PercorsoNegozio + QStringLiteral("/vtftp.dat")));
             QVERIFY(p.f.aperti.isEmpty());
             QCOMPARE(p.codice(), QStringLiteral("TE-002"));
         }},
        {"update", Cmd::AggiornaSito, "kArticoli", "Tè e tisane", 1, {},
         siSceglie([](QWidget *d) {
             VERIFICA(qobject_cast<frmAvviso *>(d));
             VERIFICA(clic(figlio<QPushButton>(d, QStringLiteral("cmdSi"))));
             return true;
         }),
         {MessaggioNegozioDaCostruire()}, [](Prova &p) { QCOMPARE(p.codice(), QStringLiteral("TE-002")); }},
    };
    return casi;
}

// The fields of one CSV record (quotes doubled inside quoted fields).
QStringList campiCsv(const QString &riga)
{
    QStringList campi{QString()};
    bool virgolette = false;
    for (qsizetype i = 0; i < riga.size(); ++i) {
        const QChar c = riga.at(i);
        if (c == u'"' && virgolette && i + 1 < riga.size() && riga.at(i + 1) == u'"')
            campi.last() += riga.at(++i);
        else if (c == u'"')
            virgolette = !virgolette;
        else if (c == u',' && !virgolette)
            campi << QString();
        else
            campi.last() += c;
    }
    return campi;
}

// Runs a page's "javascript:" address with node, Acquista standing in for
// the cart's function; its calls' arguments as JSON, or "" when the code
// does not run.
QString eseguiAcquista(const QString &codice)
{
    QProcess node;
    node.start(QStringLiteral("node"),
               {QStringLiteral("-e"), QStringLiteral("const chiamate = []; function Acquista(...a) { chiamate.push(a); }"
                                                     "const window = {}, document = {itemsform: {qt1: {value: '1'}}};")
                                          + codice + QStringLiteral(";\nconsole.log(JSON.stringify(chiamate));")});
    if (!node.waitForFinished(30000) || node.exitCode() != 0)
        return {};
    return QString::fromUtf8(node.readAllStandardOutput()).trimmed();
}

} // namespace

class TestComandi : public QObject {
    Q_OBJECT
private slots:
    void comandoDalMenuEDalPulsante_data();
    void comandoDalMenuEDalPulsante();
    void senzaRigaCorrente_data();
    void senzaRigaCorrente();
    void tastiDiAccessoUnici_data();
    void tastiDiAccessoUnici();
    void registroMenuEPannelli();
    void vociDeiLoghi_data();
    void vociDeiLoghi();
    void costruisciComeIlBenchmark();
    void costruisciChiedeIlTemplate_data();
    void costruisciChiedeIlTemplate();
    void titoliIncollatiNellaCostruzione_data();
    void titoliIncollatiNellaCostruzione();
    void pulisciCartelle_data();
    void pulisciCartelle();
};

void TestComandi::comandoDalMenuEDalPulsante_data()
{
    QTest::addColumn<int>("caso");
    QTest::addColumn<bool>("daPulsante");
    const std::vector<CasoComando> &casi = casiComando();
    for (bool pulsante : {false, true})
        for (size_t i = 0; i < casi.size(); ++i)
            QTest::addRow("%d %s, from the %s", casi[i].numero, casi[i].nome, pulsante ? "button" : "menu")
                << int(i) << pulsante;
}

void TestComandi::comandoDalMenuEDalPulsante()
{
    QFETCH(int, caso);
    QFETCH(bool, daPulsante);
    const CasoComando &c = casiComando().at(size_t(caso));
    auto f = apriDemo();
    if (!f)
        QFAIL("the demo shop of the build (VETRASTO_BIN/demo) could not be opened");
    QVERIFY(f->w);
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
    Dialoghi dialoghi;
    Prova p{*f, dialoghi, 0, 0};
    if (c.prepara)
        QVERIFY(c.prepara(p));
    // The view, the department (or the shop) and the row, clicked.
    f->w->selezionaScheda(QString::fromLatin1(c.scheda));
    QVERIFY(clicNodo(f->w, QString::fromUtf8(c.nodo)));
    if (c.riga >= 0) {
        auto *griglia = figlio<QTableView>(f->w->vistaArticoli(), QStringLiteral("gridArticoli"));
        QVERIFY(griglia);
        QTest::mouseClick(griglia->viewport(), Qt::LeftButton, {},
                          griglia->visualRect(griglia->model()->index(c.riga, 0)).center());
        QCOMPARE(p.articolo().absolutePosition(), c.riga);
    }
    f->messages.clear();
    p.articoli = p.sql(QStringLiteral("SELECT COUNT(*) FROM articoli")).toInt();
    p.reparti = p.sql(QStringLiteral("SELECT COUNT(*) FROM categorie")).toInt();
    if (c.poi)
        QVERIFY(c.poi(p));

    QAction *azione = f->w->comandi().azione(c.numero);
    QVERIFY(azione->isEnabled());
    if (daPulsante) {
        // The panel's button (the picture buttons for the build and the update).
        const bool grande = c.numero == Cmd::Costruisci || c.numero == Cmd::AggiornaSito;
        QWidget *b = f->w->findChild<QWidget *>(grande ? QStringLiteral("imgButton%1").arg(c.numero - Cmd::Costruisci + 1)
                                                       : QStringLiteral("cmdButton%1").arg(c.numero));
        QVERIFY2(b && b->isVisible() && b->isEnabled(), "the button is on the view's panel, enabled");
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    } else {
        // The entry, in the menu bar as the view shows it, its menus enabled.
        QAction *voce = voceDiMenu(f->w->menuBar(), azione);
        QVERIFY2(voce, "the command has an entry in the view's menus");
        for (QObject *m = voce->parent(); qobject_cast<QMenu *>(m); m = m->parent())
            QVERIFY2(static_cast<QMenu *>(m)->menuAction()->isEnabled(), qPrintable(static_cast<QMenu *>(m)->title()));
        voce->trigger();
    }

    QCOMPARE(dialoghi.inAttesa(), size_t(0));
    QCOMPARE(f->messages.pendingAnswers(), size_t(0));
    QVERIFY(!f->negozio().state.InAggiornamento);
    QCOMPARE(f->messages.texts(), c.messaggi);
    c.verifica(p);
}

void TestComandi::senzaRigaCorrente_data()
{
    QTest::addColumn<int>("numero");
    for (int n : std::initializer_list<int>{Cmd::ArticoloSu, Cmd::ArticoloGiu, Cmd::EliminaArticolo, Cmd::CopiaArticolo,
                                            Cmd::ImpostaImmagine1, Cmd::EliminaImmagine2, Cmd::Variante1, Cmd::RepartoSu,
                                            Cmd::CopiaReparto, Cmd::EliminaReparto, Cmd::ImpostaImmagineReparto,
                                            Cmd::EliminaPulsante, 35, 49, 52, -1})
        QTest::addRow("%d", n) << n;
}

void TestComandi::senzaRigaCorrente()
{
    QFETCH(int, numero);
    auto f = apriFinestra(2, 3, 1);
    QVERIFY(f->w);
    // The shop (root) selected: no department; its article list is empty.
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    const auto stato = [&] {
        return f->db().scalar(QStringLiteral("SELECT group_concat(ID||ordinamento||ifnull(immagine0,'')) FROM categorie")).toString()
               + f->db().scalar(QStringLiteral("SELECT group_concat(ID||ordinamento) FROM articoli")).toString();
    };
    const QString prima = stato();
    annullaProssimoDialogo();
    f->w->EseguiComando(Cmd::Numero(numero));
    QCOMPARE(stato(), prima);
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
    QVERIFY(!f->negozio().state.InAggiornamento);
}

void TestComandi::tastiDiAccessoUnici_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("menu");
    QTest::newRow("departments") << "kReparti" << "mnuReparti";
    QTest::newRow("articles") << "kArticoli" << "mnuArticoli";
    QTest::newRow("site") << "kSito" << "mnuSito";
    QTest::newRow("internet") << "kInternet" << "mnuInternet";
}

void TestComandi::tastiDiAccessoUnici()
{
    QFETCH(QString, scheda);
    QFETCH(QString, menu);
    auto f = apriFinestra();
    QVERIFY(f->w);
    f->w->selezionaScheda(scheda);
    // The menu bar as this view shows it: one "&Modifica", the view's own;
    // the bar's access keys unique, and each menu's at every depth.
    QMenuBar *barra = f->w->menuBar();
    const QString doppi = tastiDoppi(barra->actions(), scheda);
    QVERIFY2(doppi.isEmpty(), qPrintable(doppi));
    QStringList titoli;
    for (QAction *a : barra->actions())
        titoli << a->text();
    QCOMPARE(titoli, QStringList({"&File", "&Modifica", "&Visualizza", "&?"}));
    QCOMPARE(barra->actions().at(1)->menu()->objectName(), menu);
    // Alt and each access key opens its menu, the view's "&Modifica" first,
    // pressed on a fresh window.
    f->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->w));
    for (const QString &titolo : {QStringLiteral("&Modifica"), QStringLiteral("&File"), QStringLiteral("&Visualizza"),
                                  QStringLiteral("&?")}) {
        QTest::keyClick(f->w, titolo.at(1).toLatin1(), Qt::AltModifier);
        auto *aperto = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY2(aperto, qPrintable(titolo));
        QCOMPARE(aperto->title(), titolo);
        if (titolo == QLatin1String("&Modifica"))
            QCOMPARE(aperto->objectName(), menu);
        QVERIFY(salvaSchermata(aperto, scheda + u'-' + aperto->objectName()));
        aperto->close();
    }
}

void TestComandi::registroMenuEPannelli()
{
    // The window's menus and buttons are the registry's: in the menu bar of
    // each view an entry of the table shows at most once, in the menu the
    // table names; every entry shows in some view, the twin entries of a
    // command (the shop's logos) as actions of their own. A command with a
    // panel has exactly one button, on that panel, in the registry's order;
    // one without has none.
    QSet<int> numeri;
    QSet<QString> nomi;
    for (const DefinizioneComando &d : RegistroComandi::definizioni()) {
        const bool gemella = d.opzioni & OpzioniComando::Gemella;
        QVERIFY2(gemella == numeri.contains(d.numero) && !nomi.contains(QLatin1String(d.nome)), d.nome);
        numeri.insert(d.numero);
        nomi.insert(QLatin1String(d.nome));
    }
    auto f = apriFinestra();
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 1")));
    QSet<QAction *> offerte;
    for (const char *scheda : {"kReparti", "kArticoli", "kSito", "kInternet"}) {
        f->w->selezionaScheda(QString::fromLatin1(scheda));
        const QHash<QAction *, QStringList> voci = vociDellaBarra(f->w->menuBar());
        for (auto it = voci.cbegin(); it != voci.cend(); ++it) {
            const QString dove = QString::fromLatin1(scheda) + u'/' + it.key()->objectName();
            QVERIFY2(it.value().size() == 1, qPrintable(dove + QStringLiteral(" more than once")));
            const DefinizioneComando *d = nullptr;
            for (const DefinizioneComando &c : RegistroComandi::definizioni())
                if (f->w->comandi().voce(c) == it.key())
                    d = &c;
            QVERIFY2(d, qPrintable(dove + QStringLiteral(" is not an entry of the registry")));
            QCOMPARE(it.key()->objectName(), QString::fromLatin1(d->nome));
            QCOMPARE(it.value().first(), QString::fromLatin1(d->menu));
            offerte.insert(it.key());
        }
    }
    for (const DefinizioneComando &d : RegistroComandi::definizioni())
        QVERIFY2(offerte.contains(f->w->comandi().voce(d)), d.nome);

    // The panels, each on screen in a view.
    for (const DefinizioneComando &d : RegistroComandi::definizioni()) {
        if (d.opzioni & OpzioniComando::Gemella)
            continue;  // its command's button is the first entry's
        const QList<QWidget *> pulsanti = pulsantiDi(f->w, d);
        if (!*d.pannello) {
            QVERIFY2(pulsanti.isEmpty(), d.nome);
            continue;
        }
        QCOMPARE(pulsanti.size(), 1);
        QWidget *pannello = f->w->findChild<QWidget *>(QString::fromLatin1(d.pannello));
        QVERIFY2(pannello && pannello->isAncestorOf(pulsanti[0]), d.nome);
    }
    for (const auto &[scheda, nome] : {std::pair{"kReparti", "picCategorie0"}, std::pair{"kReparti", "picCategorie1"},
                                       std::pair{"kArticoli", "picArticoli0"}, std::pair{"kReparti", "picSfondo1"}}) {
        f->w->selezionaScheda(QString::fromLatin1(scheda));
        QWidget *pannello = f->w->findChild<QWidget *>(QString::fromLatin1(nome));
        QVERIFY(pannello->isVisible());
        int x = -1;
        for (const Cmd::Numero n : RegistroComandi::pannello(QString::fromLatin1(nome))) {
            const QWidget *b = pulsantiDi(f->w, *RegistroComandi::definizione(n)).value(0);
            QVERIFY2(b && b->isVisible(), nome);
            const int qui = b->mapTo(pannello, QPoint()).x();
            QVERIFY2(qui > x, qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(nome)).arg(n)));
            x = qui;
        }
    }
}

void TestComandi::vociDeiLoghi_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("lettera");  // the entries' last letter: the view's
    QTest::newRow("departments") << "kReparti" << "mnuReparti" << "R";
    QTest::newRow("articles") << "kArticoli" << "mnuArticoli" << "A";
}

void TestComandi::vociDeiLoghi()
{
    // Each view's menu holds its own four logo entries, each enabled by its
    // own command's name; the normal logo deleted from the keyboard.
    QFETCH(QString, scheda);
    QFETCH(QString, menu);
    QFETCH(QString, lettera);
    auto f = apriFinestra();
    QVERIFY(f->w);
    FileProva::scrivi(f->shop + QStringLiteral("/work/logo.png"), FileProva::quarti(80, 40), "png");
    f->db().execute(QStringLiteral("UPDATE generale SET immagine0='logo.png', imgX0=80, imgY0=40, immagine1=''"));
    f->negozio().dati().dataGenerale.refresh();
    f->w->selezionaScheda(scheda);
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    const auto voce = [&](const QString &nome) { return f->w->findChild<QAction *>(nome); };
    for (const char *nome : {"mnuImpostaLogo1", "mnuImpostaLogo2", "mnuEliminaLogo1", "mnuEliminaLogo2"}) {
        QAction *r = voce(QLatin1String(nome) + u'R'), *a = voce(QLatin1String(nome) + u'A');
        QVERIFY2(r && a && r != a, nome);
    }
    for (const QChar vista : {u'R', u'A'}) {
        QVERIFY(voce(QStringLiteral("mnuImpostaLogo1") + vista)->isEnabled());
        QVERIFY(voce(QStringLiteral("mnuEliminaLogo1") + vista)->isEnabled());
        QVERIFY(!voce(QStringLiteral("mnuEliminaLogo2") + vista)->isEnabled());
    }
    f->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->w));
    QTest::keyClick(f->w, 'M', Qt::AltModifier);
    auto *modifica = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(modifica);
    QCOMPARE(modifica->objectName(), menu);
    QTest::keyClick(modifica, 'z');  // "Elimina logo nego&zio"
    auto *elimina = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(elimina && elimina != modifica);
    QStringList nomi;
    for (QAction *a : elimina->actions())
        nomi << a->objectName();
    QCOMPARE(nomi, QStringList({"mnuEliminaLogo1" + lettera, "mnuEliminaLogo2" + lettera}));
    QVERIFY(salvaSchermata(elimina, QStringLiteral("loghi-") + scheda));
    QTest::keyClick(elimina, 'n');  // "&normale"
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT immagine0 FROM generale")).toString(), QString());
    for (const QChar vista : {u'R', u'A'})
        QVERIFY(!voce(QStringLiteral("mnuEliminaLogo1") + vista)->isEnabled());
    QVERIFY(f->messages.shown().empty());
}

void TestComandi::costruisciComeIlBenchmark()
{
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    if (!QFile::exists(bin + QStringLiteral("/demo/catalog.mdb")))
        QFAIL("the demo shop of the build (VETRASTO_BIN/demo) could not be opened");
    TestProgramFolder program;
    ProgramFolder::setPath(bin);
    const QString finestra = program.path() + QStringLiteral("/finestra"), banco = program.path() + QStringLiteral("/banco");
    QVERIFY(CopiaCartella(bin + QStringLiteral("/demo"), finestra));
    QVERIFY(CopiaCartella(bin + QStringLiteral("/demo"), banco));
    scriviServerPath(finestra);
    ScriptedMessages messages;  // "Vuoi vedere il risultato?" is answered No
    {
        Avvio avvio(messages);
        avvio.mostraMain();
        QVERIFY(avvio.finestra());
        avvio.finestra()->comandi().azione(Cmd::Costruisci)->trigger();
        avvio.finestra()->close();
        delete avvio.finestra();
    }
    QCOMPARE(messages.texts(), QStringList(QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?")));
    QProcess p;
    p.start(bin + QStringLiteral("/vetrasto-bench"), {QStringLiteral("build"), banco});
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), 0);
    for (const char *cartella : {"/online", "/scripts"}) {
        const auto attese = impronte(banco + QLatin1String(cartella));
        QVERIFY(attese.size() >= 3);
        QCOMPARE(impronte(finestra + QLatin1String(cartella)), attese);
    }
    QVERIFY(QFile::exists(finestra + QStringLiteral("/vtftp.dat")));
}

void TestComandi::costruisciChiedeIlTemplate_data()
{
    // The chooser's answers in turn ("" cancels it) and the answers to the
    // request between them; whether the site is built.
    QTest::addColumn<QStringList>("scelte");
    QTest::addColumn<QList<int>>("risposte");
    QTest::addColumn<bool>("costruito");
    const int ok = int(Messages::Answer::Ok), annulla = int(Messages::Answer::Cancel);
    QTest::newRow("a set at once") << QStringList{"classico"} << QList<int>{} << true;
    QTest::newRow("cancelled") << QStringList{""} << QList<int>{annulla} << false;
    QTest::newRow("cancelled, OK, then cancelled") << QStringList{"", ""} << QList<int>{ok, annulla} << false;
    QTest::newRow("cancelled, OK, then a set") << QStringList{"", "moderno"} << QList<int>{ok} << true;
}

void TestComandi::costruisciChiedeIlTemplate()
{
    QFETCH(QStringList, scelte);
    QFETCH(QList<int>, risposte);
    QFETCH(bool, costruito);
    auto f = apriDemo();
    if (!f)
        QFAIL("the demo shop of the build (VETRASTO_BIN/demo) could not be opened");
    QVERIFY(f->w);
    // The shop's set has no page model (it is not there).
    ShopState &s = f->negozio().state;
    s.CartellaTemplate = QStringLiteral("template/vuoto");
    Dialoghi dialoghi;
    for (const QString &set : scelte)
        dialoghi.poi(set.isEmpty() ? Dialoghi::Risposta(annulla) : scegliSet(set));
    for (int r : risposte)
        f->messages.answer(Messages::Answer(r));
    if (costruito)
        f->messages.answer(Messages::Answer::No);  // the result is not looked at
    auto *b = f->w->findChild<PulsanteImmagine *>(QStringLiteral("imgButton1"));
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());

    QCOMPARE(dialoghi.inAttesa(), size_t(0));
    QCOMPARE(f->messages.pendingAnswers(), size_t(0));
    QStringList attesi;
    for (int i = 0; i < risposte.size(); ++i)
        attesi << QStringLiteral("Per costruire il negozio è necessario scegliere un template");
    if (costruito)
        attesi << QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?");
    QCOMPARE(f->messages.texts(), attesi);
    for (int i = 0; i < risposte.size(); ++i) {
        QCOMPARE(f->messages.shown()[size_t(i)].buttons, Messages::Buttons::OkCancel);
        QCOMPARE(f->messages.shown()[size_t(i)].icon, Messages::Icon::Warning);
    }
    QCOMPARE(QFile::exists(f->shop + QStringLiteral("/vtftp.dat")), costruito);
    if (costruito) {
        // The set chosen is the shop's.
        QCOMPARE(s.CartellaTemplate, QStringLiteral("template/") + scelte.last());
        QCOMPARE(f->generale(QStringLiteral("template")).toString(), scelte.last());
    } else {
        QCOMPARE(s.CartellaTemplate, QStringLiteral("template/vuoto"));
    }
    QVERIFY(!s.InAggiornamento);
}

void TestComandi::titoliIncollatiNellaCostruzione_data()
{
    QTest::addColumn<QString>("carattere");
    QTest::newRow("vertical bar") << "|";
    QTest::newRow("backslash") << "\\";
}

void TestComandi::titoliIncollatiNellaCostruzione()
{
    // A department title and an article title pasted with the characters
    // the key filters keep out when typed: a paste takes them in as they
    // are, and the site built from the window with the real template set
    // carries them soundly.
    QFETCH(QString, carattere);
    auto f = apriDemo();
    if (!f)
        QFAIL("the demo shop of the build (VETRASTO_BIN/demo) could not be opened");
    QVERIFY(f->w);
    const QString reparto = QStringLiteral("Tè %1 nero").arg(carattere), articolo = QStringLiteral("Té %1 verde").arg(carattere);
    const auto incolla = [](QLineEdit *campo, const QString &testo) {
        VERIFICA(clic(campo));
        QTest::keyClick(campo, Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->setText(testo);
        QTest::keyClick(campo, Qt::Key_V, Qt::ControlModifier);
        CONFRONTA(campo->text(), testo);
        QTest::keyClick(campo, Qt::Key_Tab);  // written as the field is left
        return true;
    };
    QVERIFY(clicNodo(f->w, QStringLiteral("Tè e tisane")));
    QVERIFY(incolla(figlio<QLineEdit>(f->w->vistaReparti(), QStringLiteral("txtCategorie14")), reparto));
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    QCOMPARE(f->negozio().dati().dataArticoli.recordset().text(QStringLiteral("codice")), QStringLiteral("TE-001"));
    QVERIFY(incolla(figlio<QLineEdit>(f->w->vistaArticoli(), QStringLiteral("txtArticoli1")), articolo));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT titolo FROM categorie WHERE ID='te'")).toString(), reparto);
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT titolo FROM articoli WHERE codice='TE-001'")).toString(), articolo);
    f->messages.answer(Messages::Answer::No);  // the result is not looked at
    auto *b = f->w->findChild<PulsanteImmagine *>(QStringLiteral("imgButton1"));
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    QCOMPARE(f->messages.texts(), QStringList(QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?")));

    // The department's page shows both titles as written.
    const ShopState &s = f->negozio().state;
    const QString pagina = QString::fromUtf8(leggi(s.CartellaPagine + QStringLiteral("/te.htm")));
    QVERIFY(pagina.contains(reparto));
    QVERIFY(pagina.contains(articolo));
    // The article's purchase link runs, and hands the cart the title (whose
    // bar, the cart's separator, becomes a blank).
    const QRegularExpressionMatch acquisto =
        QRegularExpression(QStringLiteral("href=\"javascript:([^\"]*Acquista\\('Té[^\"]*)\"")).match(pagina);
    QVERIFY2(acquisto.hasMatch(), qPrintable(pagina));
    const QString chiamate = eseguiAcquista(acquisto.captured(1));
    QVERIFY2(!chiamate.isEmpty(), qPrintable(acquisto.captured(1)));
    const QJsonArray argomenti = QJsonDocument::fromJson(chiamate.toUtf8()).array().at(0).toArray();
    QCOMPARE(argomenti.at(0).toString(), QString(articolo).replace(u'|', u' '));
    // The search data: a sound CSV record with the title in its field.
    const QStringList ricerca = QDir(s.CartellaScript).entryList({QStringLiteral("search*.csv")});
    QCOMPARE(ricerca.size(), 1);
    const QStringList righe = QString::fromUtf8(leggi(s.CartellaScript + u'/' + ricerca[0])).split(u'\n', Qt::SkipEmptyParts);
    const qsizetype colonne = campiCsv(righe[0]).size();
    bool trovato = false;
    for (const QString &r : righe) {
        const QStringList c = campiCsv(QString(r).remove(u'\r'));
        QCOMPARE(c.size(), colonne);
        trovato = trovato || (c.at(1) == QLatin1String("TE-001") && c.at(2) == articolo);
    }
    QVERIFY(trovato);
    // The scripts holding the titles compile.
    for (const QString &nome : QDir(s.CartellaScript).entryList({QStringLiteral("*.pl")})) {
        QProcess perl;
        perl.start(QStringLiteral("perl"), {QStringLiteral("-c"), s.CartellaScript + u'/' + nome});
        QVERIFY(perl.waitForFinished(30000));
        QVERIFY2(perl.exitCode() == 0, perl.readAllStandardError().constData());
    }
}

void TestComandi::pulisciCartelle_data()
{
    // The pages and scripts folders ("pagine", "script": working folders of
    // their own; "negozio", "programma", "": refused ones), the answers (the
    // refusal's OK among them), which folders end up empty, and the reasons
    // the refused ones are given, in turn.
    QTest::addColumn<QString>("pagine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<int>>("risposte");
    QTest::addColumn<QStringList>("svuotate");
    QTest::addColumn<QStringList>("motivi");
    const int si = int(Messages::Answer::Yes), no = int(Messages::Answer::No), ok = int(Messages::Answer::Ok),
              annulla = int(Messages::Answer::Cancel);
    const QString negozio = QStringLiteral("è la cartella del negozio o una cartella che la contiene");
    QTest::newRow("No at the first question") << "pagine" << "script" << QList<int>{no} << QStringList() << QStringList();
    QTest::newRow("both emptied") << "pagine" << "script" << QList<int>{si, ok, ok} << QStringList{"pagine", "script"}
                                  << QStringList();
    QTest::newRow("pages cancelled, scripts emptied")
        << "pagine" << "script" << QList<int>{si, annulla, ok} << QStringList{"script"} << QStringList();
    QTest::newRow("both cancelled") << "pagine" << "script" << QList<int>{si, annulla, annulla} << QStringList()
                                    << QStringList();
    QTest::newRow("the same folder twice")
        << "pagine" << "pagine" << QList<int>{si, ok, ok} << QStringList{"pagine"} << QStringList();
    QTest::newRow("the shop's folder refused")
        << "negozio" << "script" << QList<int>{si, ok, ok, ok} << QStringList{"script"} << QStringList{negozio};
    // The program folder holds the test's shop.
    QTest::newRow("the program folder refused")
        << "pagine" << "programma" << QList<int>{si, ok, ok, ok} << QStringList{"pagine"} << QStringList{negozio};
    QTest::newRow("no folder refused") << "" << "script" << QList<int>{si, ok, ok, ok} << QStringList{"script"}
                                       << QStringList{"non è indicata"};
    // A folder inside another shop's folder ({lavoro}/altro holds a catalogue).
    QTest::newRow("another shop's folder refused")
        << "pagine" << "altro" << QList<int>{si, ok, ok, ok} << QStringList{"pagine"}
        << QStringList{"si trova dentro la cartella di un altro negozio ('{lavoro}/altro')"};
}

void TestComandi::pulisciCartelle()
{
    QFETCH(QString, pagine);
    QFETCH(QString, script);
    QFETCH(QList<int>, risposte);
    QFETCH(QStringList, svuotate);
    QFETCH(QStringList, motivi);
    auto f = apriFinestra();
    QVERIFY(f->w);
    QTemporaryDir lavoro;
    const QMap<QString, QString> cartelle = {{"pagine", lavoro.path() + QStringLiteral("/pagine")},
                                             {"script", lavoro.path() + QStringLiteral("/script")},
                                             {"negozio", f->shop},
                                             {"programma", f->program.path()},
                                             {"altro", lavoro.path() + QStringLiteral("/altro/cgi")},
                                             {"", QString()}};
    scrivi(lavoro.path() + QStringLiteral("/altro/catalog.mdb"), "x");
    // Each folder holds two files and a subfolder with a file of its own.
    const char *const piantati[] = {"/a.htm", "/b.pl", "/sotto/c.jpg"};
    const auto file = [&](const QString &c) {
        QStringList l;
        for (const char *nome : piantati)
            if (QFile::exists(c + QLatin1String(nome)))
                l << c + QLatin1String(nome);
        return l;
    };
    QMap<QString, QStringList> prima;
    for (auto it = cartelle.cbegin(); it != cartelle.cend(); ++it) {
        if (it.key().isEmpty())
            continue;
        for (const char *nome : piantati)
            scrivi(it.value() + QLatin1String(nome), "x");
        prima.insert(it.key(), file(it.value()));
    }
    ShopState &s = f->negozio().state;
    s.CartellaPagine = cartelle.value(pagine);
    s.CartellaScript = cartelle.value(script);
    for (int r : risposte)
        f->messages.answer(Messages::Answer(r));
    // File > Pulisci, by its access keys.
    f->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->w));
    QTest::keyClick(f->w, Qt::Key_F, Qt::AltModifier);
    QWidget *menu = QApplication::activePopupWidget();
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key_P);

    const std::vector<ScriptedMessages::Shown> &mostrati = f->messages.shown();
    QVERIFY(!mostrati.empty());
    const QString crlf = QStringLiteral("\r\n");
    QCOMPARE(mostrati[0].text, QStringLiteral("Le seguenti cartelle saranno svuotate:") + crlf + crlf + s.CartellaPagine
                                   + crlf + s.CartellaScript + crlf + crlf
                                   + QStringLiteral("ATTENZIONE: Tutti i file presenti in queste cartelle verranno "
                                                    "cancellati.")
                                   + crlf + QStringLiteral("Si desidera procedere con la cancellazione?"));
    QCOMPARE(mostrati[0].buttons, Messages::Buttons::YesNo);
    QCOMPARE(mostrati[0].icon, Messages::Icon::Question);
    // The two confirmations, Cancel the default; a refused folder says so.
    QStringList attesi;
    if (risposte.size() > 1) {
        qsizetype r = 1;  // the next answer
        qsizetype m = 0;  // the next reason
        for (const QString &chiave : {pagine, script}) {
            attesi << QStringLiteral("Saranno cancellati i file presenti in ") + cartelle.value(chiave);
            const bool ok = risposte.at(r++) == int(Messages::Answer::Ok);
            if (ok && chiave != QLatin1String("pagine") && chiave != QLatin1String("script")) {
                attesi << QStringLiteral("La cartella '%1' non è stata svuotata: %2.")
                              .arg(cartelle.value(chiave), motivi.value(m++).replace(QStringLiteral("{lavoro}"), lavoro.path()));
                ++r;  // its OK
            }
        }
        QCOMPARE(m, motivi.size());
    }
    QCOMPARE(f->messages.texts().mid(1), attesi);
    for (const ScriptedMessages::Shown &m : mostrati) {
        if (m.text.startsWith(QLatin1String("Saranno cancellati"))) {
            QCOMPARE(m.buttons, Messages::Buttons::OkCancel);
            QCOMPARE(m.icon, Messages::Icon::Information);
            QVERIFY(m.predefinita == Messages::Answer::Cancel);
        }
    }
    // Only the plain files directly in an emptied folder go.
    for (auto it = prima.cbegin(); it != prima.cend(); ++it) {
        QStringList attesa = it.value();
        if (svuotate.contains(it.key()))
            attesa = {cartelle.value(it.key()) + QStringLiteral("/sotto/c.jpg")};
        QCOMPARE(file(cartelle.value(it.key())), attesa);
    }
    QVERIFY(f->negozio().eNegozio(f->shop));
}

QTEST_MAIN(TestComandi)
#include "test_comandi.moc"
