#include "frmmain.h"

#include "corniceimmagine.h"

#include "messages.h"
#include "negozio.h"
#include "programfolder.h"
#include "settings.h"
#include "shell.h"

#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>

frmMain::frmMain(Negozio &negozio, QWidget *parent)
    : QMainWindow(parent), m_negozio(negozio), m_dati(negozio.state, *this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vetrasto"));
    resize(1000, 680);

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("tvwCategorie"));
    m_tree->setHeaderHidden(true);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("tabGestione"));
    const std::pair<const char *, const char *> tabs[] = {
        {"kReparti", "Reparti"}, {"kArticoli", "Articoli"}, {"kSito", " Sito"}, {"kInternet", "Internet"}};
    for (const auto &[key, caption] : tabs) {
        auto *page = new QWidget;
        page->setObjectName(QString::fromLatin1(key));
        m_tabs->addTab(page, QString::fromUtf8(caption));
    }
    // The picture frames of the current article, department and shop.
    const std::pair<const char *, FamigliaImmagine> pictures[] = {{"kArticoli", FamigliaImmagine::Articolo},
                                                                  {"kReparti", FamigliaImmagine::Reparto},
                                                                  {"kSito", FamigliaImmagine::Negozio}};
    for (const auto &[key, famiglia] : pictures)
        m_cornici[int(famiglia)] = CorniceImmagine::aggiungi(m_tabs->findChild<QWidget *>(QLatin1String(key)), famiglia);
    auto *split = new QSplitter;
    split->addWidget(m_tree);
    split->addWidget(m_tabs);
    split->setStretchFactor(1, 3);
    setCentralWidget(split);

    m_totale = new QLabel;
    m_totale->setObjectName(QStringLiteral("lblTotaleArticoli"));
    statusBar()->addWidget(m_totale);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *apri = file->addAction(QStringLiteral("&Apri negozio..."));
    apri->setObjectName(QStringLiteral("mnuCambiaNegozio"));
    connect(apri, &QAction::triggered, this, [this] { m_negozio.ApriNegozio(QStringLiteral("*")); });
    QAction *nuovo = file->addAction(QStringLiteral("&Nuovo negozio..."));
    nuovo->setObjectName(QStringLiteral("mnuNuovo"));
    connect(nuovo, &QAction::triggered, this, [this] { m_negozio.NuovoNegozio(); });
    file->addSeparator();
    QAction *esci = file->addAction(QStringLiteral("&Esci"));
    esci->setObjectName(QStringLiteral("mnuEsci"));
    connect(esci, &QAction::triggered, this, &QWidget::close);

    connect(&m_dati.tvwCategorie, &AlberoReparti::rebuilt, this, &frmMain::ricostruisciAlbero);
    connect(&m_dati.tvwCategorie, &AlberoReparti::selectionChanged, this, [this](const QString &key) {
        if (QTreeWidgetItem *item = m_items.value(key)) {
            m_tree->scrollToItem(item);
            m_tree->setCurrentItem(item);
        }
    });
    connect(&m_dati.tvwCategorie, &AlberoReparti::textChanged, this, [this](const QString &key) {
        if (QTreeWidgetItem *item = m_items.value(key))
            item->setText(0, m_dati.tvwCategorie.node(key)->text);
    });
    connect(m_tree, &QTreeWidget::itemClicked, this, &frmMain::onNodoCliccato);
    m_negozio.setFinestra(this);
}

frmMain::~frmMain()
{
    // Unload: the catalogue is closed, nothing is asked.
    m_dati.chiudi();
    if (m_negozio.finestra() == this) {
        if (m_negozio.state.dbCatalogo)
            m_negozio.state.dbCatalogo->close();
        m_negozio.state.dbCatalogo.reset();
        m_negozio.setFinestra(nullptr);
    }
}

int frmMain::carica()
{
    ShopState &s = m_negozio.state;
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("Path"),
                       ProgramFolder::path());
    s.FormatoDecimali1 = QStringLiteral("0");
    s.FormatoDecimali2 = QStringLiteral("0");
    bool letto = false;
    s.PercorsoNegozio = Negozio::cartellaAvvio(&letto);
    if (letto && !QFileInfo::exists(s.PercorsoNegozio + QStringLiteral("/catalog.mdb"))) {
        const QString folder = s.PercorsoNegozio;
        s.PercorsoNegozio.clear();
        const QString question = QStringLiteral("La cartella '%1' non contiene un negozio valido.").arg(folder)
                                 + QStringLiteral("\r\nSi desidera aprire un altro negozio?");
        if (m_negozio.messages().show(question, Messages::Icon::Critical, Messages::Buttons::YesNo)
            == Messages::Answer::Yes) {
            m_negozio.ApriNegozio(QStringLiteral("*"));
            return Negozio::AltroNegozio;
        }
    }
    const int result = m_negozio.CaricaNegozio();
    if (result == Negozio::Aperto)
        MostraScheda();
    return result;
}

void frmMain::AggiornaTotaleArticoli()
{
    m_totale->setText(m_negozio.testoTotaleArticoli());
}

void frmMain::CaricaModelli()
{
    m_dati.cboTemplate = m_negozio.elencoModelli();
    emit m_dati.modelliChanged();
}

bool frmMain::ScegliTemplate()
{
    // The template chooser proper comes with the catalogue editor; until then
    // a plain list of the sets that hold page models.
    QStringList sets;
    const QString root = ProgramFolder::path() + QStringLiteral("/template");
    for (const QString &d : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (!Negozio::modelliTemplate(root + u'/' + d).isEmpty())
            sets << d;
    if (sets.isEmpty())
        return false;
    bool ok = false;
    const QString set = QInputDialog::getItem(this, QStringLiteral("Vetrasto"), QStringLiteral("Scegliere il template:"),
                                              sets, 0, false, &ok);
    if (!ok || set.isEmpty())
        return false;
    Recordset &g = m_dati.dataGenerale.recordset();
    g.edit();
    g.setValue(QStringLiteral("template"), set.left(50));
    g.update();
    m_negozio.state.CartellaTemplate = QStringLiteral("template/") + set.left(50);
    CaricaModelli();
    return true;
}

void frmMain::AbilitaComando(const QString &, bool)
{
    // Toolbar and menus of the catalogue commands come with the editor.
}

QString frmMain::SfogliaCartelle(const QString &titolo, const QString &cartellaIniziale)
{
    m_negozio.state.CartellaIniziale = cartellaIniziale;
    return Shell::scegliCartella(this, titolo, cartellaIniziale);
}

bool frmMain::MostraAiuto(const QString &argomento)
{
    QString topic = argomento;
    topic.replace(u'\\', u'/');
    return Shell::apriDocumento(ProgramFolder::path() + QStringLiteral("/help/") + topic);
}

void frmMain::selezionaScheda(const QString &chiave)
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->widget(i)->objectName() == chiave)
            m_tabs->setCurrentIndex(i);
}

void frmMain::ricostruisciAlbero()
{
    const AlberoReparti &t = m_dati.tvwCategorie;
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    m_items.clear();
    // Each node under its parent in the order of the parent's children (a
    // node's place in the collection may come before its parent's).
    std::vector<std::pair<const AlberoReparti::Nodo *, QTreeWidgetItem *>> pila;
    for (const auto &n : t.nodes())
        if (!n->parent)
            pila.emplace_back(n.get(), nullptr);
    std::reverse(pila.begin(), pila.end());
    while (!pila.empty()) {
        const auto [n, padre] = pila.back();
        pila.pop_back();
        QTreeWidgetItem *item = padre ? new QTreeWidgetItem(padre) : new QTreeWidgetItem(m_tree);
        item->setText(0, n->text);
        item->setData(0, Qt::UserRole, n->key);
        m_items.insert(n->key, item);
        for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
            pila.emplace_back(*it, item);
    }
    for (const auto &n : t.nodes())
        m_items.value(n->key)->setExpanded(n->expanded);
    m_tree->setEnabled(t.enabled());
    m_tree->setUpdatesEnabled(true);
}

void frmMain::onNodoCliccato(QTreeWidgetItem *item)
{
    if (item)
        m_dati.selezionaNodo(item->data(0, Qt::UserRole).toString());
}

void frmMain::MostraImmagineArticolo(int n)
{
    if (CorniceImmagine *c = m_cornici[int(FamigliaImmagine::Articolo)].value(n))
        c->aggiorna(*this, m_negozio.state.PercorsoNegozio);
}

void frmMain::MostraImmagineReparto(int n)
{
    if (CorniceImmagine *c = m_cornici[int(FamigliaImmagine::Reparto)].value(n))
        c->aggiorna(*this, m_negozio.state.PercorsoNegozio);
}

void frmMain::MostraImmagineNegozio(int n)
{
    if (CorniceImmagine *c = m_cornici[int(FamigliaImmagine::Negozio)].value(n))
        c->aggiorna(*this, m_negozio.state.PercorsoNegozio);
}
