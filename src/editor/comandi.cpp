#include "comandi.h"

#include "icone.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <algorithm>

namespace {

using namespace OpzioniComando;

// The commands, grouped as the window shows them; within a panel, the order
// of the rows is the order of its buttons. Captions as the menus show them;
// tool tips as the buttons show them.
const std::vector<DefinizioneComando> tabellaComandi = {
    // File
    {Cmd::NuovoNegozio, "mnuNuovo", "&Nuovo negozio..", "", "document-new", "", "mnuFile", 10, SenzaNegozio, ""},
    {Cmd::ApriNegozio, "mnuCambiaNegozio", "&Apri negozio...", "", "document-open", "", "mnuFile", 20, SenzaNegozio,
     ""},
    {Cmd::CartelleLavoro, "mnuCartelle", "Cambia le cartelle di &lavoro...", "", "folder", "", "mnuFile", 30,
     Separatore, ""},
    {Cmd::PulisciCartelle, "mnuPulisci", "&Pulisci le cartelle di lavoro...", "", "edit-clear-all", "", "mnuFile", 40,
     Nessuna, ""},
    // The strip of picture buttons at the top (picSfondo1).
    {Cmd::ScegliTemplate, "mnuTemplate", "Scegli il &template...", "Scegli il template", "preferences-desktop-theme",
     "", "mnuFile", 50, Separatore, "picSfondo1"},
    {Cmd::Costruisci, "mnuCostruisci", "&Costruisci il negozio", "Costruisci il negozio", "folder-build", "",
     "mnuFile", 60, Numerato, "picSfondo1"},
    {Cmd::AggiornaSito, "mnuAggiornaSito", "Aggiorna il &sito...", "Aggiorna il sito", "network-server", "",
     "mnuFile", 70, Numerato, "picSfondo1"},
    {Cmd::ImportaZendaro, "mnuImportaZD", "&Importa da Zendaro...", "", "document-import", "", "mnuFile", 80,
     Separatore, ""},
    {Cmd::Esci, "mnuEsci", "&Esci", "", "application-exit", "", "mnuFile", 90, Separatore | SenzaNegozio, ""},

    // The departments view: the sibling list (picCategorie1) and the
    // department's pictures (picCategorie2).
    {Cmd::RepartoSu, "mnuSpostaSuRep", "&Su", "Muovi su", "go-up", "categoria su", "mnuSpostaRep", 10, Numerato,
     "picCategorie1"},
    {Cmd::RepartoGiu, "mnuSpostaGiuRep", "&Giu", "Muovi giù", "go-down", "categoria giu", "mnuSpostaRep", 20,
     Numerato, "picCategorie1"},
    {Cmd::AggiungiRepartoPrima, "mnuAggiungiPrimaCat", "&Prima", "Aggiungi reparto prima",
     "edit-table-insert-row-above", "+ categoria prima", "mnuAggiungiCat", 10, Numerato, "picCategorie1"},
    {Cmd::AggiungiRepartoDopo, "mnuAggiungiDopoCat", "&Dopo", "Aggiungi reparto dopo", "edit-table-insert-row-below",
     "+ categoria dopo", "mnuAggiungiCat", 20, Numerato, "picCategorie1"},
    {Cmd::AggiungiSottoreparto, "mnuAggiungiSottoreparto", "&Sottoreparto", "Aggiungi sottoreparto", "folder-new", "",
     "mnuAggiungiCat", 30, Numerato, "picCategorie1"},
    {Cmd::CopiaReparto, "mnuCopiaCat", "&Copia", "Copia reparto", "edit-copy", "copia categoria", "mnuReparti", 30,
     Separatore | Numerato, "picCategorie1"},
    {Cmd::IncollaReparto, "mnuIncollaCat", "&Incolla", "Incolla reparto", "edit-paste", "incolla categoria",
     "mnuReparti", 40, Numerato, "picCategorie1"},
    {Cmd::EliminaReparto, "mnuEliminaCat", "&Elimina", "Elimina reparto", "edit-delete", "- categoria", "mnuReparti",
     50, Separatore | Numerato, "picCategorie1"},
    {Cmd::ImpostaImmagineReparto, "mnuImpostaImmagineCat", "Impos&ta immagine", "Imposta immagine", "insert-image",
     "+ immagine cat0", "mnuReparti", 60, Separatore | Numerato, "picCategorie2"},
    {Cmd::EliminaImmagineReparto, "mnuEliminaImmagineCat", "Eli&mina immagine", "Elimina immagine", "edit-clear",
     "- immagine cat0", "mnuReparti", 70, Numerato, "picCategorie2"},
    {Cmd::ImpostaPulsante, "mnuImpostaTasto", "Imposta immagine &pulsante", "Imposta pulsante", "insert-image",
     "+ immagine cat1", "mnuReparti", 80, Separatore | Numerato, "picCategorie2"},
    {Cmd::EliminaPulsante, "mnuEliminaTasto", "Elimina immagine p&ulsante", "Elimina pulsante", "edit-clear",
     "- immagine cat1", "mnuReparti", 90, Numerato, "picCategorie2"},

    // The articles view: the article list (picArticoli0), the article's
    // pictures and variant sets (picArticoli1).
    {Cmd::ArticoloSu, "mnuSpostaSuArt", "&Su", "Muovi su", "go-up", "articolo su", "mnuSpostaArt", 10, Numerato,
     "picArticoli0"},
    {Cmd::ArticoloGiu, "mnuSpostaGiuArt", "&Giu", "Muovi giù", "go-down", "articolo giu", "mnuSpostaArt", 20,
     Numerato, "picArticoli0"},
    {Cmd::AggiungiArticoloPrima, "mnuAggiungiPrimaArt", "&Prima", "Aggiungi articolo prima",
     "edit-table-insert-row-above", "+ articolo prima", "mnuAggiungiArt", 10, Numerato, "picArticoli0"},
    {Cmd::AggiungiArticoloDopo, "mnuAggiungiDopoArt", "&Dopo", "Aggiungi articolo dopo", "edit-table-insert-row-below",
     "+ articolo dopo", "mnuAggiungiArt", 20, Numerato, "picArticoli0"},
    {Cmd::CopiaArticolo, "mnuCopiaArt", "&Copia", "Copia articolo", "edit-copy", "copia articolo", "mnuArticoli", 30,
     Separatore | Numerato, "picArticoli0"},
    {Cmd::IncollaArticolo, "mnuIncollaArt", "&Incolla", "Incolla articolo", "edit-paste", "incolla articolo",
     "mnuArticoli", 40, Numerato, "picArticoli0"},
    {Cmd::EliminaArticolo, "mnuEliminaArt", "&Elimina", "Elimina articolo", "edit-delete", "- articolo",
     "mnuArticoli", 60, Separatore | Numerato, "picArticoli0"},
    {Cmd::Ricerca, "mnuRicerca", "&Ricerca...", "Cerca articolo", "edit-find", "", "mnuArticoli", 50,
     Separatore | Numerato, "picArticoli0"},
    {Cmd::Variante1, "mnuOpzione1", "&1", "Definisci variante 1", "", "maschera articoli", "mnuOpzioni", 10, Numerato,
     "picArticoli1"},
    {Cmd::Variante2, "mnuOpzione2", "&2", "Definisci variante 2", "", "maschera articoli", "mnuOpzioni", 20, Numerato,
     "picArticoli1"},
    {Cmd::Variante3, "mnuOpzione3", "&3", "Definisci variante 3", "", "maschera articoli", "mnuOpzioni", 30, Numerato,
     "picArticoli1"},
    {Cmd::ImpostaImmagine1, "mnuImpostaImmagine1", "&1", "Imposta immagine", "insert-image", "+ immagine0",
     "mnuImpostaImmagine", 10, Numerato, "picArticoli1"},
    {Cmd::ImpostaImmagine2, "mnuImpostaImmagine2", "&2", "Imposta immagine", "insert-image", "+ immagine1",
     "mnuImpostaImmagine", 20, Numerato, "picArticoli1"},
    {Cmd::ImpostaImmaginePiccola, "mnuImpostaImmagine3", "&piccola", "Imposta immagine", "insert-image",
     "+ immagine2", "mnuImpostaImmagine", 30, Numerato, "picArticoli1"},
    {Cmd::EliminaImmagine1, "mnuEliminaImmagine1", "&1", "Elimina immagine", "edit-clear", "- immagine0",
     "mnuEliminaImmagine", 10, Numerato, "picArticoli1"},
    {Cmd::EliminaImmagine2, "mnuEliminaImmagine2", "&2", "Elimina immagine", "edit-clear", "- immagine1",
     "mnuEliminaImmagine", 20, Numerato, "picArticoli1"},
    {Cmd::EliminaImmaginePiccola, "mnuEliminaImmagine3", "&piccola", "Elimina immagine", "edit-clear", "- immagine2",
     "mnuEliminaImmagine", 30, Numerato, "picArticoli1"},

    // The shop's logos (picNegozio, while the tree's root is selected): an
    // entry in the departments view's menu (R) and one in the articles
    // view's (A), each command's.
    {Cmd::ImpostaLogoNormale, "mnuImpostaLogo1R", "&normale", "Imposta immagine logo", "insert-image", "",
     "mnuImpostaLogoR", 10, Numerato, "picNegozio"},
    {Cmd::ImpostaLogoNormale, "mnuImpostaLogo1A", "&normale", "Imposta immagine logo", "insert-image", "",
     "mnuImpostaLogoA", 10, Numerato | Gemella, ""},
    {Cmd::ImpostaLogoPiccolo, "mnuImpostaLogo2R", "&piccolo", "Imposta immagine logo", "insert-image", "",
     "mnuImpostaLogoR", 20, Numerato, "picNegozio"},
    {Cmd::ImpostaLogoPiccolo, "mnuImpostaLogo2A", "&piccolo", "Imposta immagine logo", "insert-image", "",
     "mnuImpostaLogoA", 20, Numerato | Gemella, ""},
    {Cmd::EliminaLogoNormale, "mnuEliminaLogo1R", "&normale", "Elimina immagine logo", "edit-clear",
     "- immagine neg0", "mnuEliminaLogoR", 10, Numerato, "picNegozio"},
    {Cmd::EliminaLogoNormale, "mnuEliminaLogo1A", "&normale", "Elimina immagine logo", "edit-clear",
     "- immagine neg0", "mnuEliminaLogoA", 10, Numerato | Gemella, ""},
    {Cmd::EliminaLogoPiccolo, "mnuEliminaLogo2R", "&piccolo", "Elimina immagine logo", "edit-clear",
     "- immagine neg1", "mnuEliminaLogoR", 20, Numerato, "picNegozio"},
    {Cmd::EliminaLogoPiccolo, "mnuEliminaLogo2A", "&piccolo", "Elimina immagine logo", "edit-clear",
     "- immagine neg1", "mnuEliminaLogoA", 20, Numerato | Gemella, ""},

    // The " Sito" and "Internet" views.
    {Cmd::Spedizione, "mnuSpedizione", "&Spese di spedizione...", "", "", "", "mnuSito", 10, Nessuna, ""},
    {Cmd::SistemiPagamento, "mnuConfiguraPG", "Sistemi di &pagamento...", "", "", "", "mnuSito", 20, Nessuna, ""},
    {Cmd::CartellaFTPNegozio, "mnuCart0", "Cartella FTP del &negozio...", "Seleziona la cartella", "folder-open",
     "cartelle FTP", "mnuInternet", 10, Nessuna, "picGenerale"},
    {Cmd::CartellaFTPScript, "mnuCart1", "Cartella FTP script &CGI...", "Seleziona la cartella", "folder-open",
     "cartelle FTP", "mnuInternet", 20, Nessuna, "picGenerale"},
    {Cmd::ImpostazioniAvanzate, "mnuAvanzate", "&Impostazioni avanzate...", "", "", "", "mnuInternet", 30, Nessuna,
     ""},

    // Visualizza; the tree's own buttons (picCategorie0).
    {Cmd::VisualizzaReparti, "mnuVisualizzaReparti", "&Reparti", "", "", "", "mnuVisualizza", 10, Spunta, ""},
    {Cmd::VisualizzaArticoli, "mnuVisualizzaArticoli", "&Articoli", "", "", "", "mnuVisualizza", 20, Spunta, ""},
    {Cmd::VisualizzaSito, "mnuVisualizzaSito", "&Sito", "", "", "", "mnuVisualizza", 30, Spunta, ""},
    {Cmd::VisualizzaInternet, "mnuVisualizzaInternet", "&Internet", "", "", "", "mnuVisualizza", 40, Spunta, ""},
    {Cmd::Comprimi, "mnuComprimi", "&Comprimi tutti i reparti", "Comprimi tutto", "view-list-details", "",
     "mnuVisualizza", 60, Numerato, "picCategorie0"},
    {Cmd::Espandi, "mnuEspandi", "&Espandi tutti i reparti", "Espandi tutto", "view-list-tree", "", "mnuVisualizza",
     50, Separatore | Numerato, "picCategorie0"},

    // ?
    {Cmd::Sommario, "mnuHelpSommario", "&Sommario...", "", "help-contents", "", "mnuHelp", 10, SenzaNegozio, ""},
    {Cmd::DomandeFrequenti, "mnuFaq", "&Domande frequenti...", "", "help-faq", "", "mnuHelp", 20, SenzaNegozio, ""},
    {Cmd::Informazioni, "mnuHelpAbout", "&Informazioni su...", "", "help-about", "", "mnuHelp", 30,
     Separatore | SenzaNegozio, ""},
};

// The menu bar: File, the current view's "&Modifica" (one of four), Visualizza, ?.
const std::vector<DefinizioneMenu> tabellaMenu = {
    {"mnuFile", "", "&File", 10, false, DefinizioneMenu::Propria},
    {"mnuReparti", "", "&Modifica", 20, false, DefinizioneMenu::Propria},
    {"mnuSpostaRep", "mnuReparti", "&Sposta", 10, false, DefinizioneMenu::SegueVoci},
    {"mnuAggiungiCat", "mnuReparti", "&Aggiungi", 20, true, DefinizioneMenu::SegueVoci},
    {"mnuImpostaLogoR", "mnuReparti", "Imposta logo &negozio", 100, true, DefinizioneMenu::SoloRadice},
    {"mnuEliminaLogoR", "mnuReparti", "Elimina logo nego&zio", 110, false, DefinizioneMenu::SoloRadice},
    {"mnuArticoli", "", "&Modifica", 20, false, DefinizioneMenu::Propria},
    {"mnuSpostaArt", "mnuArticoli", "&Sposta", 10, false, DefinizioneMenu::SegueVoci},
    {"mnuAggiungiArt", "mnuArticoli", "&Aggiungi", 20, true, DefinizioneMenu::SegueVoci},
    {"mnuOpzioni", "mnuArticoli", "&Definisci varianti", 70, true, DefinizioneMenu::SegueVoci},
    {"mnuImpostaImmagine", "mnuArticoli", "Impos&ta immagine", 80, true, DefinizioneMenu::SegueVoci},
    {"mnuEliminaImmagine", "mnuArticoli", "Eli&mina immagine", 90, false, DefinizioneMenu::SegueVoci},
    {"mnuImpostaLogoA", "mnuArticoli", "Imposta logo &negozio", 100, true, DefinizioneMenu::SoloRadice},
    {"mnuEliminaLogoA", "mnuArticoli", "Elimina logo nego&zio", 110, false, DefinizioneMenu::SoloRadice},
    {"mnuSito", "", "&Modifica", 20, false, DefinizioneMenu::Propria},
    {"mnuInternet", "", "&Modifica", 20, false, DefinizioneMenu::Propria},
    {"mnuVisualizza", "", "&Visualizza", 30, false, DefinizioneMenu::Propria},
    {"mnuHelp", "", "&?", 40, false, DefinizioneMenu::Propria},
};

// One entry of a menu as it is filled: a command's action or a submenu.
struct Voce {
    int ordine;
    bool separatorePrima;
    QAction *azione;
};

} // namespace

const std::vector<DefinizioneComando> &RegistroComandi::definizioni()
{
    return tabellaComandi;
}

const std::vector<DefinizioneMenu> &RegistroComandi::menu()
{
    return tabellaMenu;
}

const DefinizioneComando *RegistroComandi::definizione(Cmd::Numero numero)
{
    for (const DefinizioneComando &d : tabellaComandi)
        if (d.numero == numero && !(d.opzioni & Gemella))
            return &d;
    return nullptr;
}

bool RegistroComandi::numerato(Cmd::Numero numero)
{
    const DefinizioneComando *d = definizione(numero);
    return d && (d->opzioni & Numerato);
}

QList<Cmd::Numero> RegistroComandi::pannello(const QString &nome)
{
    QList<Cmd::Numero> l;
    for (const DefinizioneComando &d : tabellaComandi)
        if (nome == QLatin1String(d.pannello))
            l << d.numero;
    return l;
}

RegistroComandi::RegistroComandi(QObject *parent) : QObject(parent)
{
    for (const DefinizioneComando &d : tabellaComandi) {
        auto *a = new QAction(QString::fromUtf8(d.testo), this);
        a->setObjectName(QString::fromLatin1(d.nome));
        if (*d.suggerimento)
            a->setToolTip(QString::fromUtf8(d.suggerimento));
        if (*d.icona)
            a->setIcon(icona(QString::fromLatin1(d.icona)));
        a->setCheckable((d.opzioni & Spunta) != 0);
        const Cmd::Numero numero = d.numero;
        connect(a, &QAction::triggered, this, [this, numero] { emit comandoScelto(numero); });
        if (!(d.opzioni & Gemella))
            m_azioni.insert(numero, a);
        m_voci.insert(a->objectName(), a);
        if (*d.abilitazione) {
            const QString nome = QString::fromUtf8(d.abilitazione);
            m_perNome[nome] << a;
            // Commands with an enabling name start disabled; the selection
            // switches them on.
            a->setEnabled(false);
            m_stati.insert(nome, false);
        }
    }
}

QList<QMenu *> RegistroComandi::creaMenu(QMenuBar *barra) const
{
    // Every menu first, then each one's entries: its commands' actions and
    // its submenus, in their order.
    QHash<QString, QMenu *> menu;
    for (const DefinizioneMenu &m : tabellaMenu) {
        auto *nuovo = new QMenu(QString::fromUtf8(m.testo), barra);
        nuovo->setObjectName(QString::fromLatin1(m.nome));
        nuovo->menuAction()->setObjectName(nuovo->objectName());
        menu.insert(nuovo->objectName(), nuovo);
    }
    const auto voci = [&](const QString &nome) {
        std::vector<Voce> v;
        for (const DefinizioneComando &d : tabellaComandi)
            if (nome == QLatin1String(d.menu))
                v.push_back({d.ordine, (d.opzioni & Separatore) != 0, voce(d)});
        for (const DefinizioneMenu &m : tabellaMenu)
            if (nome == QLatin1String(m.padre))
                v.push_back({m.ordine, m.separatorePrima, menu.value(QString::fromLatin1(m.nome))->menuAction()});
        std::stable_sort(v.begin(), v.end(), [](const Voce &a, const Voce &b) { return a.ordine < b.ordine; });
        return v;
    };
    QList<QMenu *> principali;
    for (const Voce &v : voci(QString()))
        principali << v.azione->menu();
    for (QMenu *m : principali)
        barra->addMenu(m);
    for (const DefinizioneMenu &d : tabellaMenu) {
        QMenu *m = menu.value(QString::fromLatin1(d.nome));
        for (const Voce &v : voci(QString::fromLatin1(d.nome))) {
            if (v.separatorePrima)
                m->addSeparator();
            m->addAction(v.azione);
        }
        if (d.abilitazione != DefinizioneMenu::SegueVoci)
            continue;
        for (QAction *a : m->actions())
            connect(a, &QAction::changed, m, [m] { seguiVoci(m); });
        seguiVoci(m);
    }
    return principali;
}

bool RegistroComandi::seguiVoci(QMenu *menu)
{
    bool qualcuna = false;
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            qualcuna = (a->menu() ? seguiVoci(a->menu()) : a->isEnabled()) || qualcuna;
    menu->menuAction()->setEnabled(qualcuna);
    return qualcuna;
}

void RegistroComandi::AbilitaComando(const QString &nome, bool abilitato)
{
    if (!m_stati.contains(nome))
        return;
    m_stati.insert(nome, abilitato);
    for (QAction *a : m_perNome.value(nome))
        a->setEnabled(abilitato);
    for (const QPointer<QWidget> &w : m_controlli.value(nome))
        if (w)
            w->setEnabled(abilitato);
}

void RegistroComandi::registraControllo(const QString &nome, QWidget *controllo)
{
    if (!m_stati.contains(nome)) {
        m_stati.insert(nome, false);
    }
    m_controlli[nome] << controllo;
    controllo->setEnabled(m_stati.value(nome));
}
