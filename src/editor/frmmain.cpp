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
#include "schermo.h"
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
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

struct Scheda {
    const char *chiave;
    const char *didascalia;
    const char *suggerimento;
    const char *menu;
    const char *aiuto;
    Cmd::Numero comando;  // its entry in "Visualizza", checked while it shows
};
const Scheda schede[] = {
    {"kReparti", "Reparti", "Gestione reparti", "mnuReparti", "pagine\\reparti.htm", Cmd::VisualizzaReparti},
    {"kArticoli", "Articoli", "Gestione articoli", "mnuArticoli", "pagine\\articoli.htm", Cmd::VisualizzaArticoli},
    {"kSito", " Sito", "Impostazioni generali del sito", "mnuSito", "pagine\\sito.htm", Cmd::VisualizzaSito},
    {"kInternet", "Internet", "Impostazioni Internet", "mnuInternet", "pagine\\internet.htm", Cmd::VisualizzaInternet},
};

// Whether the menu is a view's own "&Modifica".
bool menuDiVista(const QString &nome)
{
    return std::any_of(std::begin(schede), std::end(schede),
                       [&nome](const Scheda &s) { return nome == QLatin1String(s.menu); });
}

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

    creaAlbero();
    auto *destra = creaViste();
    creaSchede();
    auto *split = new QSplitter(this);
    split->addWidget(m_alberoPannello);
    split->addWidget(destra);
    split->setStretchFactor(1, 3);
    split->setSizes({240, 1040});
    auto *centro = new QWidget(this);
    auto *colonna = new QVBoxLayout(centro);
    colonna->addWidget(creaStriscia());
    colonna->addWidget(m_tabs);
    colonna->addWidget(split, 1);
    setCentralWidget(centro);

    creaMenu();
    connect(&m_comandi, &RegistroComandi::comandoScelto, this, &frmMain::esegui);
    seguiNegozio();
    negozio.setSceltaTemplate(this);
    qApp->installEventFilter(this);
}

void frmMain::creaAlbero()
{
    // picCategorie(0): the department tree with its buttons and counter.
    m_alberoPannello = pannello(QStringLiteral("picCategorie0"), this);
    m_tree = new AlberoCategorie(m_negozio.dati().tvwCategorie, m_alberoPannello);
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
    for (const Cmd::Numero n : RegistroComandi::pannello(m_alberoPannello->objectName())) {
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
    m_pannelli.insert(m_alberoPannello->objectName(), m_alberoPannello);
}

QWidget *frmMain::creaViste()
{
    // The views' panels, one above the other; MostraScheda shows those of the current view.
    auto *destra = new QWidget(this);
    auto *colonnaDestra = new QVBoxLayout(destra);
    colonnaDestra->setContentsMargins(0, 0, 0, 0);
    m_reparti = new VistaReparti(m_negozio, m_comandi, destra);
    m_pannelli.insert(QStringLiteral("picCategorie1"), m_reparti->picCategorie1());
    m_pannelli.insert(QStringLiteral("picCategorie2"), m_reparti->picCategorie2());
    colonnaDestra->addWidget(m_reparti, 1);
    m_articoli = new VistaArticoli(m_negozio, m_comandi, destra);
    m_pannelli.insert(QStringLiteral("picArticoli0"), m_articoli->picArticoli0());
    m_pannelli.insert(QStringLiteral("picArticoli1"), m_articoli->picArticoli1());
    colonnaDestra->addWidget(m_articoli, 1);
    m_vistaNegozio = new VistaNegozio(m_negozio, m_comandi, destra);
    m_sito = new VistaSito(m_negozio, m_comandi, destra);
    m_internet = new VistaInternet(m_negozio, m_comandi, destra);
    for (Vista *v : std::initializer_list<Vista *>{m_vistaNegozio, m_sito, m_internet}) {
        m_pannelli.insert(v->objectName(), v);  // picNegozio, picSito, picGenerale
        colonnaDestra->addWidget(v, 1);
    }
    return destra;
}

void frmMain::creaSchede()
{
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tabGestione"));
    m_tabs->setDrawBase(false);
    for (const Scheda &s : schede) {
        const int i = m_tabs->addTab(QString::fromUtf8(s.didascalia));
        m_tabs->setTabData(i, QString::fromLatin1(s.chiave));
        m_tabs->setTabToolTip(i, QString::fromUtf8(s.suggerimento));
    }
    connect(m_tabs, &QTabBar::currentChanged, this, &frmMain::MostraScheda);
}

QWidget *frmMain::creaStriscia()
{
    // picSfondo(1): the strip of the picture buttons at the top, captioned
    // with their commands' tool tips.
    auto *striscia = new QWidget(this);
    striscia->setObjectName(QStringLiteral("picSfondo1"));
    int x = 8;
    int i = 0;
    for (const Cmd::Numero n : RegistroComandi::pannello(striscia->objectName())) {
        QAction *a = m_comandi.azione(n);
        auto *b = new PulsanteImmagine(i++, a, a->toolTip(), striscia);
        b->move(x, 3);
        x += b->width() + 16;
    }
    striscia->setFixedHeight(56);
    return striscia;
}

void frmMain::seguiNegozio()
{
    // What the store announces.
    DatiPrincipali &d = m_negozio.dati();
    connect(&m_negozio, &Negozio::titoloCambiato, this, &QWidget::setWindowTitle);
    connect(&d, &DatiPrincipali::totaliCambiati, this, [this] { m_totale->setText(m_negozio.testoTotaleArticoli()); });
    // The article the search brought forward shows in the articles view; the
    // shop's root chosen by the store shows its own panels.
    connect(&m_negozio, &Negozio::articoloRaggiunto, this, [this] { selezionaScheda(QStringLiteral("kArticoli")); });
    connect(&d, &DatiPrincipali::radiceSelezionata, this, &frmMain::MostraScheda);
    // Each view reports the refusals of its own data sources; the settings
    // record's are reported here, naming the field as the view that shows it
    // does.
    connect(&d.dataGenerale, &DataSource::error, this, [this](int n, const QString &t, const QString &c) {
        const DataSource &g = m_negozio.dati().dataGenerale;
        const Vista *vista = m_internet;
        for (const Vista *v : std::initializer_list<const Vista *>{m_vistaNegozio, m_sito, m_internet})
            if (!v->didascalia(g, c).isEmpty())
                vista = v;
        vista->mostraRifiuto(g, n, t, c);
    });
    connect(m_tree, &AlberoCategorie::nodoCliccato, this, &frmMain::onNodoCliccato);
    // A refusal reported as a field is left by a press on the tree: the
    // press marks its node once the message is answered, and its release
    // went under the message, so no click makes that node current. Once the
    // press is over, the tree shows the current department again, as the
    // lists do. (Connected after the views, so it runs once their message
    // was answered.)
    for (DataSource *s : {&d.dataCategorie, &d.dataFratelli, &d.dataArticoli, &d.dataGenerale})
        connect(s, &DataSource::error, this, [this] {
            QTimer::singleShot(0, m_tree, [t = m_tree] { t->riselezionaCorrente(); });
        });
    // A department is dragged only in the departments view, a department current.
    m_tree->trascinamentoConsentito = [this] { return m_reparti->picCategorie1()->isVisible(); };
    connect(m_tree, &AlberoCategorie::spostamentoRichiesto, this, [this](const QString &da, const QString &a) {
        try {
            Catalogo(m_negozio).SpostaReparto(da, a);
        } catch (const std::exception &e) {
            m_negozio.messages().warning(QStringLiteral("Impossibile spostare il reparto:\r\n") + testoErrore(e));
        }
    });
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

namespace {

// Where the window's place is kept: "Vetrasto" / "frmMain" / "Geometria".
QString sezioneFinestra() { return QStringLiteral("frmMain"); }
QString chiavePosto() { return QStringLiteral("Geometria"); }

} // namespace

void frmMain::collocaFinestra()
{
    const QByteArray salvato = QByteArray::fromBase64(
        SettingsStore::get(QStringLiteral("Vetrasto"), sezioneFinestra(), chiavePosto()).toLatin1());
    // A place kept from a larger screen, or from one no longer there, is
    // brought inside this one.
    if (salvato.isEmpty() || !restoreGeometry(salvato)) {
        resize(1280, 800);
        adattaAlloSchermo(this);
    } else if (!isMaximized() && !areaDisponibile(this).contains(geometry())) {
        adattaAlloSchermo(this);
    }
}

void frmMain::setVisible(bool visibile)
{
    // Placed once the shop is loaded, with only the current view's panels
    // asking for room.
    if (visibile && !m_collocata) {
        m_collocata = true;
        collocaFinestra();
    }
    QMainWindow::setVisible(visibile);
}

void frmMain::salvaPosto() const
{
    // A window never shown (its load chose another shop) has no place of
    // the merchant's to keep: the one stored stays.
    if (!m_collocata)
        return;
    SettingsStore::set(QStringLiteral("Vetrasto"), sezioneFinestra(), chiavePosto(),
                       QString::fromLatin1(saveGeometry().toBase64()));
}

void frmMain::closeEvent(QCloseEvent *e)
{
    salvaPosto();
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
            result = m_negozio.ApriNegozio(QStringLiteral("*")) ? Negozio::AltroNegozio : MostrataSenzaNegozio;
        }
    }
    if (result == Negozio::NonAperto)
        result = m_negozio.CaricaNegozio();
    if (result == Negozio::Aperto) {
        m_reparti->carica();
        m_articoli->carica();
        MostraScheda();
    }
    // Another shop was asked for and none chosen (the picker cancelled, or
    // the folder refused): the window stays, with no shop.
    if (result == MostrataSenzaNegozio)
        senzaNegozio();
    return result;
}

void frmMain::senzaNegozio()
{
    for (const DefinizioneComando &d : RegistroComandi::definizioni())
        m_comandi.voce(d)->setEnabled((d.opzioni & OpzioniComando::SenzaNegozio) != 0);
    // A menu or submenu none of whose entries can act is disabled too.
    for (QMenu *m : m_menu)
        RegistroComandi::seguiVoci(m);
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
        bool svuotata = false;
        if (rifiuto.isEmpty()) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            svuotata = SvuotaCartella(cartella, s.PercorsoNegozio);
            QApplication::restoreOverrideCursor();
        }
        if (!svuotata)
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
    for (const Scheda &s : schede) {
        if (chiave == QLatin1String(s.chiave))
            mostraMenuVista(QString::fromLatin1(s.menu));
        m_comandi.azione(s.comando)->setChecked(chiave == QLatin1String(s.chiave));
    }
    // The menu entries of the tree's buttons act while the tree shows.
    for (const Cmd::Numero n : RegistroComandi::pannello(m_alberoPannello->objectName()))
        m_comandi.azione(n)->setEnabled(reparti || articoli);
    if (reparti || articoli)
        for (const DefinizioneMenu &m : RegistroComandi::menu())
            if (m.abilitazione == DefinizioneMenu::SoloRadice)
                menuBar()->findChild<QMenu *>(QString::fromLatin1(m.nome))->menuAction()->setEnabled(radice);
}

void frmMain::mostraMenuVista(const QString &nome)
{
    // The view menus share the title "&Modifica" and its access key: only
    // the current one is in the menu bar, so Alt+M opens it, in its place
    // among the bar's menus.
    QMenuBar *barra = menuBar();
    for (qsizetype i = m_menu.size() - 1; i >= 0; --i) {
        QAction *a = m_menu[i]->menuAction();
        if (menuDiVista(m_menu[i]->objectName()) && m_menu[i]->objectName() != nome) {
            barra->removeAction(a);
        } else if (!barra->actions().contains(a)) {
            // Before the next menu of the bar that is shown.
            QAction *dopo = nullptr;
            for (qsizetype j = i + 1; j < m_menu.size() && !dopo; ++j)
                if (barra->actions().contains(m_menu[j]->menuAction()))
                    dopo = m_menu[j]->menuAction();
            barra->insertAction(dopo, a);
        }
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
    m_menu = m_comandi.creaMenu(menuBar());
    // The departments view's menu until a view is shown.
    mostraMenuVista(QStringLiteral("mnuReparti"));
}
