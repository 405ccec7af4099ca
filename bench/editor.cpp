// vetrasto-bench editor [SHOP]: the main window on a large shop. It opens the
// shop in the window (offscreen unless a display is given) and reports the
// time from the start of the window's load to its first paint, then moves
// through up to 1,000 departments the way a click on the tree does and
// reports the time per move, the article list's requery included, and the
// time of each catalogue command from the window (median). Without
// SHOP it makes a synthetic shop of 50,000 articles in 2,000 departments.
#include "alberocategorie.h"
#include "catalogschema.h"
#include "comandi.h"
#include "frmmain.h"
#include "programfolder.h"
#include "scriptedmessages.h"
#include "settings.h"
#include "sintetico.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
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

    // Each catalogue command from the window, on the department with the
    // most articles, its middle article current; questions answered Yes.
    const QString grande = negozio.state.dbCatalogo
                               ->scalar(QStringLiteral("SELECT catID FROM articoli GROUP BY catID ORDER BY COUNT(*) DESC LIMIT 1"))
                               .toString();
    w.selezionaScheda(QStringLiteral("kArticoli"));
    emit w.tvwCategorie()->nodoCliccato(grande);
    const std::pair<int, const char *> comandi[] = {
        {Cmd::ArticoloSu, "article-up"},       {Cmd::ArticoloGiu, "article-down"},
        {Cmd::AggiungiArticoloPrima, "article-add-before"}, {Cmd::AggiungiArticoloDopo, "article-add-after"},
        {Cmd::CopiaArticolo, "article-copy"},  {Cmd::IncollaArticolo, "article-paste"},
        {Cmd::EliminaArticolo, "article-delete"}, {Cmd::RepartoSu, "department-up"},
        {Cmd::RepartoGiu, "department-down"},  {Cmd::AggiungiRepartoDopo, "department-add-after"},
        {Cmd::AggiungiSottoreparto, "department-add-child"}};
    std::printf("department-articles: %d count\n", negozio.dati().dataArticoli.recordset().recordCount());
    for (const auto &[numero, nome] : comandi) {
        std::vector<double> tempi;
        for (int i = 0; i < 15; ++i) {
            Recordset &a = negozio.dati().dataArticoli.recordset();
            if (a.recordCount() > 2)
                a.setAbsolutePosition(a.recordCount() / 2);
            messages.answer(Messages::Answer::Yes);
            QElapsedTimer t;
            t.start();
            w.EseguiComando(numero);
            QApplication::processEvents();
            tempi.push_back(t.nsecsElapsed() / 1e6);
            messages.clear();
        }
        std::printf("%s: %.2f ms\n", nome, mediana(tempi));
    }
    w.close();
    return 0;
}
