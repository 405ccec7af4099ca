// vetrasto-bench editor [SHOP]: the main window on a large shop. It opens the
// shop in the window (offscreen unless a display is given) and reports the
// time from the start of the window's load to its first paint, then moves
// through up to 1,000 departments the way a click on the tree does and
// reports the time per move, the article list's requery included, and the
// time of each catalogue command from the window (median): the article
// commands in the department with the most articles, the department commands
// on a sub-department, expanding and collapsing the whole tree. Without SHOP
// it makes a synthetic shop of 50,000 articles in 2,000 departments, 5,000 of
// them in one department.
#include "alberocategorie.h"
#include "catalogschema.h"
#include "comandi.h"
#include "database.h"
#include "frmmain.h"
#include "programfolder.h"
#include "scriptedmessages.h"
#include "settings.h"
#include "sintetico.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

// Notes the first paint of a widget.
class PrimoDisegno : public QObject {
public:
    qint64 ns = -1;
    QElapsedTimer *orologio = nullptr;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && ns < 0)
            ns = orologio->nsecsElapsed();
        return false;
    }
};

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int benchEditor(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    QString shop;
    if (argc > 2) {
        shop = QString::fromLocal8Bit(argv[2]);
    } else {
        shop = tmp.filePath(QStringLiteral("negozio"));
        CatalogSchema::createEmptyShop(shop);
        negozioSintetico(shop, 50000, false);
        // The articles of the first 200 departments gathered in one.
        auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        db->execute(QStringLiteral("UPDATE articoli SET catID='cat0001' WHERE catID<='cat0200'"));
        db->close();
    }
    ProgramFolder::setPath(tmp.path());
    // The shop's template set, so that opening asks for none.
    QDir().mkpath(tmp.filePath(QStringLiteral("template/") + CatalogSchema::DefaultTemplateSet));
    QFile modello(tmp.filePath(QStringLiteral("template/") + CatalogSchema::DefaultTemplateSet + QStringLiteral("/modello1.htm")));
    if (!modello.open(QIODevice::WriteOnly) || modello.write("<html></html>") < 0)
        return 1;
    modello.close();
    ProgramFolder::setUserFolder(tmp.filePath(QStringLiteral("utente")));
    SettingsStore::setLocation(tmp.filePath(QStringLiteral("settings")));

    ScriptedMessages messages;
    Negozio negozio(messages);
    negozio.state.PercorsoNegozio = shop;
    {
        // The shop's first opening renumbers its sort orders: not the window's cost.
        AggiornaNegozio(shop);
    }
    QElapsedTimer orologio;
    PrimoDisegno disegno;
    disegno.orologio = &orologio;
    orologio.start();
    frmMain w(negozio);
    w.installEventFilter(&disegno);
    if (negozio.CaricaNegozio() != Negozio::Aperto) {
        std::fprintf(stderr, "editor: the shop could not be opened: %s\n", qPrintable(messages.texts().join(u' ')));
        return 1;
    }
    w.MostraScheda();
    w.show();
    while (disegno.ns < 0 && orologio.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("start: %.3f s\n", disegno.ns / 1e9);

    // The departments in tree order, each clicked as the tree does.
    QStringList chiavi;
    for (QTreeWidgetItemIterator it(w.tvwCategorie()); *it; ++it)
        if (AlberoCategorie::chiave(*it) != AlberoReparti::Radice)
            chiavi << AlberoCategorie::chiave(*it);
    chiavi = chiavi.mid(0, 1000);
    for (const char *scheda : {"kReparti", "kArticoli"}) {
        w.selezionaScheda(QString::fromLatin1(scheda));
        std::vector<double> tempi;
        for (const QString &k : chiavi) {
            QElapsedTimer t;
            t.start();
            emit w.tvwCategorie()->nodoCliccato(k);
            QApplication::processEvents();  // the repaint of the panels
            tempi.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("move-%s: %.2f ms\n", scheda + 1, mediana(tempi));
        std::printf("move-%s-max: %.2f ms\n", scheda + 1, *std::max_element(tempi.begin(), tempi.end()));
    }
    std::printf("departments: %lld count\narticles: %lld count\n", qlonglong(chiavi.size()),
                qlonglong(negozio.state.TotaleArticoli));

    // Each catalogue command from the window, questions answered Yes: the
    // article commands on the middle article of the department with the most
    // articles, the department commands on a sub-department (a different one
    // at each run: a delete takes its department away).
    const QString grande = negozio.state.dbCatalogo
                               ->scalar(QStringLiteral("SELECT catID FROM articoli GROUP BY catID ORDER BY COUNT(*) DESC LIMIT 1"))
                               .toString();
    QSet<QString> conArticoli;
    for (Recordset r(negozio.state.dbCatalogo, QStringLiteral("SELECT DISTINCT catID FROM articoli")); !r.eof(); r.moveNext())
        conArticoli.insert(r.text(QStringLiteral("catID")));
    QStringList foglie;  // sub-departments with articles
    for (QTreeWidgetItemIterator it(w.tvwCategorie()); *it; ++it) {
        const QString k = AlberoCategorie::chiave(*it);
        if ((*it)->childCount() == 0 && (*it)->parent() && (*it)->parent()->parent() && k != grande
            && conArticoli.contains(k))
            foglie << k;
    }
    if (foglie.isEmpty()) {
        std::fprintf(stderr, "editor: the shop has no sub-department with articles\n");
        return 1;
    }
    w.selezionaScheda(QStringLiteral("kArticoli"));
    emit w.tvwCategorie()->nodoCliccato(grande);
    std::printf("department-articles: %d count\n", negozio.dati().dataArticoli.recordset().recordCount());
    enum Dove { Articolo, Reparto, Albero };
    const struct {
        Cmd::Numero numero;
        const char *nome;
        Dove dove;
    } comandi[] = {
        {Cmd::ArticoloSu, "article-up", Articolo},
        {Cmd::ArticoloGiu, "article-down", Articolo},
        {Cmd::AggiungiArticoloPrima, "article-add-before", Articolo},
        {Cmd::AggiungiArticoloDopo, "article-add-after", Articolo},
        {Cmd::CopiaArticolo, "article-copy", Articolo},
        {Cmd::IncollaArticolo, "article-paste", Articolo},
        {Cmd::EliminaImmagine1, "article-picture-clear", Articolo},
        {Cmd::EliminaArticolo, "article-delete", Articolo},
        {Cmd::RepartoSu, "department-up", Reparto},
        {Cmd::RepartoGiu, "department-down", Reparto},
        {Cmd::AggiungiRepartoPrima, "department-add-before", Reparto},
        {Cmd::AggiungiRepartoDopo, "department-add-after", Reparto},
        {Cmd::AggiungiSottoreparto, "department-add-child", Reparto},
        {Cmd::EliminaImmagineReparto, "department-picture-clear", Reparto},
        {Cmd::CopiaReparto, "department-copy", Reparto},
        {Cmd::IncollaReparto, "department-paste", Reparto},
        {Cmd::EliminaReparto, "department-delete", Reparto},
        {Cmd::Espandi, "tree-expand", Albero},
        {Cmd::Comprimi, "tree-collapse", Albero},
    };
    int foglia = 0;
    for (const auto &c : comandi) {
        std::vector<double> tempi;
        for (int i = 0; i < 15; ++i) {
            if (c.dove == Reparto) {
                w.selezionaScheda(QStringLiteral("kReparti"));
                emit w.tvwCategorie()->nodoCliccato(foglie.at(foglia++ % foglie.size()));
            } else if (c.dove == Articolo) {
                if (w.schedaCorrente() != QLatin1String("kArticoli") || negozio.dati().repartoCorrente() != grande) {
                    w.selezionaScheda(QStringLiteral("kArticoli"));
                    emit w.tvwCategorie()->nodoCliccato(grande);
                }
                Recordset &a = negozio.dati().dataArticoli.recordset();
                if (a.recordCount() > 2)
                    a.setAbsolutePosition(a.recordCount() / 2);
            } else {
                // The tree the other way first: every node changes.
                w.selezionaScheda(QStringLiteral("kReparti"));
                w.EseguiComando(c.numero == Cmd::Espandi ? Cmd::Comprimi : Cmd::Espandi);
            }
            QApplication::processEvents();
            messages.answer(Messages::Answer::Yes);
            QElapsedTimer t;
            t.start();
            w.EseguiComando(c.numero);
            QApplication::processEvents();
            tempi.push_back(t.nsecsElapsed() / 1e6);
            messages.clear();
        }
        std::printf("%s: %.2f ms\n", c.nome, mediana(tempi));
    }
    w.close();
    return 0;
}
