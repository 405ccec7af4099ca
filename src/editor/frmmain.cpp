#include "frmmain.h"

#include "alberocategorie.h"
#include "cartelle.h"
#include "catalogo.h"
#include "frmabout.h"
#include "frmsearch.h"
#include "frmtemplate.h"
#include "importazd.h"
#include "impostazioni.h"
#include "messages.h"
#include "programfolder.h"
#include "pulsanteimmagine.h"
#include "recordset.h"
#include "settings.h"
#include "shell.h"
#include "vistaarticoli.h"
#include "vistainternet.h"
#include "vistanegozio.h"
#include "vistareparti.h"
#include "vistasito.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

struct Scheda {
    const char *chiave;
    const char *didascalia;
    const char *suggerimento;
    const char *menu;
    const char *aiuto;
};
const Scheda schede[] = {
    {"kReparti", "Reparti", "Gestione reparti", "mnuReparti", "pagine\\reparti.htm"},
    {"kArticoli", "Articoli", "Gestione articoli", "mnuArticoli", "pagine\\articoli.htm"},
    {"kSito", " Sito", "Impostazioni generali del sito", "mnuSito", "pagine\\sito.htm"},
    {"kInternet", "Internet", "Impostazioni Internet", "mnuInternet", "pagine\\internet.htm"},
};

QWidget *pannello(const QString &nome, QWidget *parent)
{
    auto *w = new QWidget(parent);
    w->setObjectName(nome);
    return w;
}

} // namespace

frmMain::frmMain(Negozio &negozio, QWidget *parent)
    : QMainWindow(parent), m_negozio(negozio), m_comandi(this), m_abilitazione(negozio, m_comandi, this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vetrasto"));
    resize(1280, 800);

    // picCategorie(0): the department tree with its buttons and counter.
    m_alberoPannello = pannello(QStringLiteral("picCategorie0"), this);
    m_tree = new AlberoCategorie(negozio.dati().tvwCategorie, m_alberoPannello);
    m_totale = new QLabel(m_alberoPannello);
    m_totale->setObjectName(QStringLiteral("lblTotaleArticoli"));
    auto *titoloAlbero = new QLabel(QStringLiteral("Reparti"), m_alberoPannello);
    QFont grassetto = titoloAlbero->font();
    grassetto.setBold(true);
    titoloAlbero->setFont(grassetto);
    auto *pulsantiAlbero = new QHBoxLayout;
    pulsantiAlbero->addWidget(titoloAlbero);
    pulsantiAlbero->addStretch(1);
    // The tree's buttons follow "espansione"; their menu entries follow the view.
    for (int n : {Cmd::Comprimi, Cmd::Espandi}) {
        const QAction *a = m_comandi.azione(n);
        auto *b = new QToolButton(m_alberoPannello);
        b->setObjectName(QStringLiteral("cmdButton%1").arg(n));
        b->setIcon(a->icon());
        b->setToolTip(a->toolTip());
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, n] { EseguiComando(n); });
        m_comandi.registraControllo(QStringLiteral("espansione"), b);
        pulsantiAlbero->addWidget(b);
    }
    auto *colonnaAlbero = new QVBoxLayout(m_alberoPannello);
    colonnaAlbero->setContentsMargins(0, 0, 0, 0);
    colonnaAlbero->addLayout(pulsantiAlbero);
    colonnaAlbero->addWidget(m_tree, 1);
    colonnaAlbero->addWidget(m_totale);
    m_pannelli.insert(QStringLiteral("picCategorie0"), m_alberoPannello);

    // The views' panels.
    auto *destra = new QWidget(this);
    auto *colonnaDestra = new QVBoxLayout(destra);
    colonnaDestra->setContentsMargins(0, 0, 0, 0);
    m_reparti = new VistaReparti(negozio, m_comandi, destra);
    m_pannelli.insert(QStringLiteral("picCategorie1"), m_reparti->picCategorie1());
    m_pannelli.insert(QStringLiteral("picCategorie2"), m_reparti->picCategorie2());
    colonnaDestra->addWidget(m_reparti, 1);
    m_articoli = new VistaArticoli(negozio, m_comandi, destra);
    m_pannelli.insert(QStringLiteral("picArticoli0"), m_articoli->picArticoli0());
    m_pannelli.insert(QStringLiteral("picArticoli1"), m_articoli->picArticoli1());
    colonnaDestra->addWidget(m_articoli, 1);
    m_vistaNegozio = new VistaNegozio(negozio, m_comandi, destra);
    m_sito = new VistaSito(negozio, m_comandi, destra);
    m_internet = new VistaInternet(negozio, m_comandi, destra);
    for (Vista *v : std::initializer_list<Vista *>{m_vistaNegozio, m_sito, m_internet}) {
        m_pannelli.insert(v->objectName(), v);  // picNegozio, picSito, picGenerale
        colonnaDestra->addWidget(v, 1);
    }

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tabGestione"));
    m_tabs->setDrawBase(false);
    for (const Scheda &s : schede) {
        const int i = m_tabs->addTab(QString::fromUtf8(s.didascalia));
        m_tabs->setTabData(i, QString::fromLatin1(s.chiave));
        m_tabs->setTabToolTip(i, QString::fromUtf8(s.suggerimento));
    }
    connect(m_tabs, &QTabBar::currentChanged, this, &frmMain::MostraScheda);

    auto *split = new QSplitter(this);
    split->addWidget(m_alberoPannello);
    split->addWidget(destra);
    split->setStretchFactor(1, 3);
    split->setSizes({240, 1040});
    // picSfondo(1): the strip of the three picture buttons at the top.
    auto *striscia = new QWidget(this);
    striscia->setObjectName(QStringLiteral("picSfondo1"));
    int x = 8;
    const std::pair<int, const char *> grandi[] = {{Cmd::ScegliTemplate, "Scegli il template"},
                                                  {Cmd::Costruisci, "Costruisci il negozio"},
                                                  {Cmd::AggiornaSito, "Aggiorna il sito"}};
    for (int i = 0; i < 3; ++i) {
        auto *b = new PulsanteImmagine(i, m_comandi.azione(grandi[i].first), QString::fromUtf8(grandi[i].second), striscia);
        b->move(x, 3);
        x += b->width() + 16;
    }
    striscia->setFixedHeight(56);

    auto *centro = new QWidget(this);
    auto *colonna = new QVBoxLayout(centro);
    colonna->addWidget(striscia);
    colonna->addWidget(m_tabs);
    colonna->addWidget(split, 1);
    setCentralWidget(centro);

    creaMenu();
    connect(&m_comandi, &RegistroComandi::comando, this, &frmMain::esegui);

    // What the store announces.
    DatiPrincipali &d = negozio.dati();
    connect(&negozio, &Negozio::captionChanged, this, &QWidget::setWindowTitle);
    connect(&negozio, &Negozio::totaliChanged, this, [this] { m_totale->setText(m_negozio.testoTotaleArticoli()); });
    connect(&negozio, &Negozio::schedaRichiesta, this, &frmMain::selezionaScheda);
    connect(&negozio, &Negozio::mostraSchedaRichiesta, this, &frmMain::MostraScheda);
    connect(&negozio, &Negozio::riavvioRichiesto, this, [this] { m_riavvioRichiesto = true; });
    // Each view reports the refusals of its own data sources; the settings
    // record's are reported here, naming the field as the view that shows it
    // does.
    connect(&d.dataGenerale, &DataSource::error, this, [this](int n, const QString &t, const QString &c) {
        const DataSource &g = m_negozio.dati().dataGenerale;
        const Vista *vista = m_internet;
        for (const Vista *v : std::initializer_list<const Vista *>{m_vistaNegozio, m_sito, m_internet})
            if (!v->didascalia(g, c).isEmpty())
                vista = v;
        m_negozio.messages().warning(vista->testoRifiuto(g, n, t, c));
    });
    connect(m_tree, &AlberoCategorie::nodoCliccato, this, &frmMain::onNodoCliccato);
    // A department is dragged only in the departments view, a department current.
    m_tree->trascinamentoConsentito = [this] { return m_reparti->picCategorie1()->isVisible(); };
    connect(m_tree, &AlberoCategorie::spostamentoRichiesto, this, [this](const QString &da, const QString &a) {
        try {
            Catalogo(m_negozio).SpostaReparto(da, a);
        } catch (const std::exception &e) {
            m_negozio.messages().warning(QStringLiteral("Impossibile spostare il reparto:\r\n") + testoErrore(e));
        }
    });
    negozio.setSceltaTemplate(this);
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    m_negozio.setSceltaTemplate(nullptr);
}

bool frmMain::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate && !m_negozio.state.AvvioCompletato) {
        m_negozio.state.AvvioCompletato = true;
        emit avvioCompletato();
    }
    return QMainWindow::event(e);
}

void frmMain::closeEvent(QCloseEvent *e)
{
    // Unload: nothing is asked and the catalogue is closed. Edits still
    // pending in the fields reach it first; one the database refuses has
    // been reported by its data source.
    if (m_ricerca)
        m_ricerca->close();
    m_negozio.ChiudiNegozio();
    e->accept();
}

int frmMain::carica()
{
    ShopState &s = m_negozio.state;
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("Path"),
                       ProgramFolder::path());
    m_comandi.azione(Cmd::ImportaZendaro)->setEnabled(!ImportazioneZendaro::cartellaZendaro().isEmpty());
    s.FormatoDecimali1 = QStringLiteral("0");
    s.FormatoDecimali2 = QStringLiteral("0");
    bool letto = false;
    s.PercorsoNegozio = Negozio::cartellaAvvio(&letto);
    int result = Negozio::NonAperto;
    if (letto && !QFileInfo::exists(s.PercorsoNegozio + QStringLiteral("/catalog.mdb"))) {
        const QString folder = s.PercorsoNegozio;
        s.PercorsoNegozio.clear();
        const QString question = QStringLiteral("La cartella '%1' non contiene un negozio valido.").arg(folder)
                                 + QStringLiteral("\r\nSi desidera aprire un altro negozio?");
        if (m_negozio.messages().show(question, Messages::Icon::Critical, Messages::Buttons::YesNo)
            == Messages::Answer::Yes) {
            m_negozio.ApriNegozio(QStringLiteral("*"));
            result = Negozio::AltroNegozio;
        }
    }
    if (result != Negozio::AltroNegozio)
        result = m_negozio.CaricaNegozio();
    if (result == Negozio::Aperto) {
        m_reparti->carica();
        m_articoli->carica();
        MostraScheda();
    }
    // Another shop was asked for and none chosen (the picker cancelled, or
    // the folder refused): the window stays, with no shop.
    if (result == Negozio::AltroNegozio && !m_riavvioRichiesto)
        senzaNegozio();
    return result;
}

void frmMain::senzaNegozio()
{
    const QList<int> offerti = {Cmd::NuovoNegozio, Cmd::ApriNegozio, Cmd::Esci,
                                Cmd::Sommario, Cmd::DomandeFrequenti, Cmd::Informazioni};
    for (QAction *a : m_comandi.azioni())
        a->setEnabled(false);
    for (int n : offerti)
        m_comandi.azione(n)->setEnabled(true);
    // A menu or submenu none of whose entries can act is disabled too.
    std::function<bool(QMenu *)> abilitaMenu = [&](QMenu *m) {
        bool qualcuna = false;
        for (QAction *a : m->actions())
            if (!a->isSeparator())
                qualcuna = (a->menu() ? abilitaMenu(a->menu()) : a->isEnabled()) || qualcuna;
        m->menuAction()->setEnabled(qualcuna);
        return qualcuna;
    };
    for (QMenu *m : m_menu)
        abilitaMenu(m);
    for (QWidget *p : m_pannelli)
        p->hide();
    m_reparti->hide();
    m_articoli->hide();
    m_tabs->setEnabled(false);
    setWindowTitle(QStringLiteral("Vetrasto"));
}

void frmMain::PulisciCartelle()
{
    const ShopState &s = m_negozio.state;
    Messages &msg = m_negozio.messages();
    const QString crlf = QStringLiteral("\r\n");
    const QString domanda = QStringLiteral("Le seguenti cartelle saranno svuotate:") + crlf + crlf + s.CartellaPagine + crlf
                            + s.CartellaScript + crlf + crlf
                            + QStringLiteral("ATTENZIONE: Tutti i file presenti in queste cartelle verranno cancellati.")
                            + crlf + QStringLiteral("Si desidera procedere con la cancellazione?");
    if (!msg.question(domanda))
        return;
    for (const QString &cartella : {s.CartellaPagine, s.CartellaScript}) {
        if (msg.show(QStringLiteral("Saranno cancellati i file presenti in ") + cartella, Messages::Icon::Information,
                     Messages::Buttons::OkCancel, {}, Messages::Answer::Cancel)
            != Messages::Answer::Ok)
            continue;
        // A folder the working folders may not be is never emptied,
        // whatever the settings say; the message says why.
        const QString rifiuto = CartellaRiservata(cartella, s.PercorsoNegozio);
        if (!rifiuto.isEmpty() || !SvuotaCartella(cartella, s.PercorsoNegozio))
            msg.warning(QStringLiteral("La cartella '%1' non è stata svuotata: %2.")
                            .arg(cartella, rifiuto.isEmpty() ? QStringLiteral("non è stato possibile svuotarla") : rifiuto));
    }
}

QString frmMain::schedaCorrente() const
{
    return m_tabs->tabData(m_tabs->currentIndex()).toString();
}

void frmMain::selezionaScheda(const QString &chiave)
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabData(i).toString() == chiave)
            m_tabs->setCurrentIndex(i);
}

void frmMain::MostraScheda()
{
    // The shop panel replaces the department panels while the tree's root is selected.
    const QString nodo = AlberoCategorie::chiave(m_tree->currentItem());
    const bool radice = nodo.isEmpty() || nodo == AlberoReparti::Radice;
    const QString chiave = schedaCorrente();
    const bool reparti = chiave == QLatin1String("kReparti");
    const bool articoli = chiave == QLatin1String("kArticoli");
    const bool sito = chiave == QLatin1String("kSito");
    const bool internet = chiave == QLatin1String("kInternet");
    if (!reparti && !articoli && !sito && !internet)
        return;
    const auto mostra = [this](const char *nome, bool visibile) {
        QWidget *p = m_pannelli.value(QString::fromLatin1(nome));
        p->setVisible(visibile);
        p->setEnabled(visibile);
    };
    mostra("picCategorie0", reparti || articoli);
    mostra("picCategorie1", reparti && !radice);
    mostra("picCategorie2", reparti && !radice);
    mostra("picArticoli0", articoli && !radice);
    mostra("picArticoli1", articoli && !radice);
    mostra("picGenerale", internet);
    mostra("picSito", sito);
    if (reparti || articoli)
        mostra("picNegozio", radice);
    else
        m_pannelli.value(QStringLiteral("picNegozio"))->setVisible(false);
    // A view holds its two panels: it shows while they do.
    m_reparti->setVisible(reparti && !radice);
    m_articoli->setVisible(articoli && !radice);
    for (const Scheda &s : schede)
        if (chiave == QLatin1String(s.chiave))
            mostraMenuVista(QString::fromLatin1(s.menu));
    m_comandi.azione(Cmd::Comprimi)->setEnabled(reparti || articoli);
    m_comandi.azione(Cmd::Espandi)->setEnabled(reparti || articoli);
    const std::pair<int, const char *> spunte[] = {{Cmd::VisualizzaReparti, "kReparti"},
                                                  {Cmd::VisualizzaArticoli, "kArticoli"},
                                                  {Cmd::VisualizzaSito, "kSito"},
                                                  {Cmd::VisualizzaInternet, "kInternet"}};
    for (const auto &[n, k] : spunte)
        m_comandi.azione(n)->setChecked(chiave == QLatin1String(k));
    if (reparti || articoli)
        for (const char *nome : {"mnuImpostaLogoR", "mnuEliminaLogoR", "mnuImpostaLogoA", "mnuEliminaLogoA"})
            if (auto *m = menuBar()->findChild<QMenu *>(QString::fromLatin1(nome)))
                m->menuAction()->setEnabled(radice);
}

void frmMain::mostraMenuVista(const QString &nome)
{
    // The view menus share the title "&Modifica" and its access key: only
    // the current one is in the menu bar, so Alt+M opens it.
    QMenuBar *barra = menuBar();
    QAction *dopo = m_menu.value(QStringLiteral("mnuVisualizza"))->menuAction();
    for (auto it = m_menuVista.cbegin(); it != m_menuVista.cend(); ++it) {
        QAction *a = it.value()->menuAction();
        if (it.key() != nome)
            barra->removeAction(a);
        else if (!barra->actions().contains(a))
            barra->insertAction(dopo, a);
    }
}

bool frmMain::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() != QEvent::KeyPress || QApplication::activeModalWidget())
        return false;
    auto *w = qobject_cast<QWidget *>(o);
    if (!w || w->window() != this)
        return false;
    const auto *k = static_cast<QKeyEvent *>(e);
    return tasto(k->key(), k->modifiers());
}

bool frmMain::tasto(int key, Qt::KeyboardModifiers modificatori)
{
    if (key == Qt::Key_F1) {
        for (const Scheda &s : schede)
            if (schedaCorrente() == QLatin1String(s.chiave))
                MostraAiuto(QString::fromLatin1(s.aiuto));
        return true;
    }
    if ((key != Qt::Key_Up && key != Qt::Key_Down) || !(modificatori & Qt::ControlModifier))
        return false;
    const QString nodo = AlberoCategorie::chiave(m_tree->currentItem());
    if (nodo.isEmpty() || nodo == AlberoReparti::Radice)
        return false;
    // The current row of the view's grid moves by one; the stored order stays.
    if (schedaCorrente() == QLatin1String("kReparti"))
        m_reparti->spostaRiga(key == Qt::Key_Up ? -1 : 1);
    else if (schedaCorrente() == QLatin1String("kArticoli"))
        m_articoli->spostaRiga(key == Qt::Key_Up ? -1 : 1);
    return true;
}

void frmMain::MostraAiuto(const QString &argomento)
{
    QString topic = argomento;
    topic.replace(u'\\', u'/');
    // A page that is missing opens nothing, and nothing is said.
    const QString pagina = ProgramFolder::path() + QStringLiteral("/help/") + topic;
    if (QFileInfo(pagina).isFile())
        Shell::apriDocumento(pagina);
}

bool frmMain::ScegliTemplate()
{
    frmTemplate dialogo(&frmMain::MostraAiuto, this);
    const Recordset &g = m_negozio.dati().dataGenerale.recordset();
    dialogo.preseleziona(g.isOpen() && g.hasCurrent() ? g.text(QStringLiteral("template")) : QString());
    dialogo.exec();
    if (dialogo.tag().isEmpty())
        return false;
    // A set that cannot be recorded does not become the shop's.
    if (!m_negozio.ApplicaTemplate(dialogo.tag())) {
        m_negozio.messages().warning(QStringLiteral("Impossibile registrare il template \"%1\" nelle impostazioni "
                                                    "del negozio: resta in uso il template precedente.")
                                         .arg(dialogo.tag()));
        return false;
    }
    return true;
}

void frmMain::onNodoCliccato(const QString &key)
{
    // The root: the view switch first, then the shop becomes current; a
    // department: it becomes current first, then the view switch.
    if (key == AlberoReparti::Radice) {
        MostraScheda();
        m_negozio.dati().selezionaNodo(key);
    } else {
        m_negozio.dati().selezionaNodo(key);
        MostraScheda();
    }
}

Impostazioni frmMain::impostazioni() const
{
    Impostazioni imp;
    for (const Vista *v : std::initializer_list<const Vista *>{m_vistaNegozio, m_sito, m_internet})
        v->leggi(imp);
    // The fields without a control are read from the record.
    const Recordset &g = m_negozio.dati().dataGenerale.recordset();
    if (g.isOpen() && g.hasCurrent()) {
        const Impostazioni r = Impostazioni::daRecord(g);
        imp.minimo = r.minimo;
        imp.imgX = r.imgX;
        imp.imgY = r.imgY;
        imp.template_ = r.template_;
    }
    return imp;
}

void frmMain::creaMenu()
{
    QMenuBar *barra = menuBar();
    const auto menu = [](QMenu *padre, const char *nome, const char *testo) {
        QMenu *m = padre->addMenu(QString::fromUtf8(testo));
        m->setObjectName(QString::fromLatin1(nome));
        m->menuAction()->setObjectName(QString::fromLatin1(nome));
        return m;
    };
    const auto voci = [this](QMenu *m, std::initializer_list<int> numeri) {
        for (int n : numeri) {
            if (n < 0)
                m->addSeparator();
            else
                m->addAction(m_comandi.azione(n));
        }
    };
    const auto principale = [this, barra](const char *nome, const char *testo) {
        QMenu *m = barra->addMenu(QString::fromUtf8(testo));
        m->setObjectName(QString::fromLatin1(nome));
        m->menuAction()->setObjectName(QString::fromLatin1(nome));
        m_menu.insert(QString::fromLatin1(nome), m);
        return m;
    };
    constexpr int sep = -1;

    QMenu *file = principale("mnuFile", "&File");
    voci(file, {Cmd::NuovoNegozio, Cmd::ApriNegozio, sep, Cmd::CartelleLavoro, Cmd::PulisciCartelle, sep,
                Cmd::ScegliTemplate, Cmd::Costruisci, Cmd::AggiornaSito, sep, Cmd::ImportaZendaro, sep, Cmd::Esci});

    QMenu *reparti = principale("mnuReparti", "&Modifica");
    voci(menu(reparti, "mnuSpostaRep", "&Sposta"), {Cmd::RepartoSu, Cmd::RepartoGiu});
    reparti->addSeparator();
    voci(menu(reparti, "mnuAggiungiCat", "&Aggiungi"),
         {Cmd::AggiungiRepartoPrima, Cmd::AggiungiRepartoDopo, Cmd::AggiungiSottoreparto});
    reparti->addSeparator();
    voci(reparti, {Cmd::CopiaReparto, Cmd::IncollaReparto, sep, Cmd::EliminaReparto, sep, Cmd::ImpostaImmagineReparto,
                   Cmd::EliminaImmagineReparto, sep, Cmd::ImpostaPulsante, Cmd::EliminaPulsante, sep});
    voci(menu(reparti, "mnuImpostaLogoR", "Imposta logo &negozio"), {Cmd::ImpostaLogoNormale, Cmd::ImpostaLogoPiccolo});
    voci(menu(reparti, "mnuEliminaLogoR", "Elimina logo nego&zio"), {Cmd::EliminaLogoNormale, Cmd::EliminaLogoPiccolo});

    QMenu *articoli = principale("mnuArticoli", "&Modifica");
    voci(menu(articoli, "mnuSpostaArt", "&Sposta"), {Cmd::ArticoloSu, Cmd::ArticoloGiu});
    articoli->addSeparator();
    voci(menu(articoli, "mnuAggiungiArt", "&Aggiungi"), {Cmd::AggiungiArticoloPrima, Cmd::AggiungiArticoloDopo});
    articoli->addSeparator();
    voci(articoli, {Cmd::CopiaArticolo, Cmd::IncollaArticolo, sep, Cmd::Ricerca, sep, Cmd::EliminaArticolo, sep});
    voci(menu(articoli, "mnuOpzioni", "&Definisci varianti"), {Cmd::Variante1, Cmd::Variante2, Cmd::Variante3});
    articoli->addSeparator();
    voci(menu(articoli, "mnuImpostaImmagine", "Impos&ta immagine"),
         {Cmd::ImpostaImmagine1, Cmd::ImpostaImmagine2, Cmd::ImpostaImmaginePiccola});
    voci(menu(articoli, "mnuEliminaImmagine", "Eli&mina immagine"),
         {Cmd::EliminaImmagine1, Cmd::EliminaImmagine2, Cmd::EliminaImmaginePiccola});
    articoli->addSeparator();
    voci(menu(articoli, "mnuImpostaLogoA", "Imposta logo &negozio"), {Cmd::ImpostaLogoNormale, Cmd::ImpostaLogoPiccolo});
    voci(menu(articoli, "mnuEliminaLogoA", "Elimina logo nego&zio"),
         {Cmd::EliminaLogoNormale, Cmd::EliminaLogoPiccolo});

    voci(principale("mnuSito", "&Modifica"), {Cmd::Spedizione, Cmd::SistemiPagamento});
    voci(principale("mnuInternet", "&Modifica"),
         {Cmd::CartellaFTPNegozio, Cmd::CartellaFTPScript, Cmd::ImpostazioniAvanzate});

    QMenu *visualizza = principale("mnuVisualizza", "&Visualizza");
    for (int n : {Cmd::VisualizzaReparti, Cmd::VisualizzaArticoli, Cmd::VisualizzaSito, Cmd::VisualizzaInternet})
        m_comandi.azione(n)->setCheckable(true);
    voci(visualizza, {Cmd::VisualizzaReparti, Cmd::VisualizzaArticoli, Cmd::VisualizzaSito, Cmd::VisualizzaInternet,
                      sep, Cmd::Espandi, Cmd::Comprimi});
    voci(principale("mnuHelp", "&?"), {Cmd::Sommario, Cmd::DomandeFrequenti, sep, Cmd::Informazioni});

    for (const Scheda &s : schede)
        m_menuVista.insert(QString::fromLatin1(s.menu), m_menu.value(QString::fromLatin1(s.menu)));
    // The departments view's menu until a view is shown.
    mostraMenuVista(QStringLiteral("mnuReparti"));

    // A submenu of these groups is enabled exactly while one of its entries is.
    for (const char *nome : {"mnuSpostaArt", "mnuAggiungiArt", "mnuSpostaRep", "mnuAggiungiCat", "mnuOpzioni",
                             "mnuImpostaImmagine", "mnuEliminaImmagine"}) {
        QMenu *gruppo = barra->findChild<QMenu *>(QString::fromLatin1(nome));
        const auto ricalcola = [gruppo] {
            const QList<QAction *> figli = gruppo->actions();
            gruppo->menuAction()->setEnabled(
                std::any_of(figli.begin(), figli.end(), [](const QAction *a) { return a->isEnabled(); }));
        };
        for (QAction *a : gruppo->actions())
            connect(a, &QAction::changed, gruppo, ricalcola);
        ricalcola();
    }
}
