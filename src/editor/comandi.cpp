#include "comandi.h"

#include "icone.h"

#include <QAction>
#include <QWidget>

const std::vector<DefinizioneComando> &RegistroComandi::definizioni()
{
    // Captions as the menus show them; tool tips as the buttons show them.
    static const std::vector<DefinizioneComando> tabella = {
        {Cmd::ArticoloSu, "mnuSpostaSuArt", "&Su", "Muovi su", "go-up", "articolo su"},
        {Cmd::ArticoloGiu, "mnuSpostaGiuArt", "&Giu", "Muovi giù", "go-down", "articolo giu"},
        {Cmd::AggiungiArticoloPrima, "mnuAggiungiPrimaArt", "&Prima", "Aggiungi articolo prima",
         "edit-table-insert-row-above", "+ articolo prima"},
        {Cmd::AggiungiArticoloDopo, "mnuAggiungiDopoArt", "&Dopo", "Aggiungi articolo dopo",
         "edit-table-insert-row-below", "+ articolo dopo"},
        {Cmd::EliminaArticolo, "mnuEliminaArt", "&Elimina", "Elimina articolo", "edit-delete", "- articolo"},
        {Cmd::CopiaArticolo, "mnuCopiaArt", "&Copia", "Copia articolo", "edit-copy", "copia articolo"},
        {Cmd::IncollaArticolo, "mnuIncollaArt", "&Incolla", "Incolla articolo", "edit-paste", "incolla articolo"},
        {Cmd::Espandi, "mnuEspandi", "&Espandi tutti i reparti", "Espandi tutto", "view-list-tree", ""},
        {Cmd::Comprimi, "mnuComprimi", "&Comprimi tutti i reparti", "Comprimi tutto", "view-list-details", ""},
        {Cmd::ImpostaImmagine1, "mnuImpostaImmagine1", "&1", "Imposta immagine", "insert-image", "+ immagine0"},
        {Cmd::EliminaImmagine1, "mnuEliminaImmagine1", "&1", "Elimina immagine", "edit-clear", "- immagine0"},
        {Cmd::IncollaReparto, "mnuIncollaCat", "&Incolla", "Incolla reparto", "edit-paste", "incolla categoria"},
        {Cmd::CopiaReparto, "mnuCopiaCat", "&Copia", "Copia reparto", "edit-copy", "copia categoria"},
        {Cmd::EliminaReparto, "mnuEliminaCat", "&Elimina", "Elimina reparto", "edit-delete", "- categoria"},
        {Cmd::AggiungiRepartoDopo, "mnuAggiungiDopoCat", "&Dopo", "Aggiungi reparto dopo",
         "edit-table-insert-row-below", "+ categoria dopo"},
        {Cmd::AggiungiRepartoPrima, "mnuAggiungiPrimaCat", "&Prima", "Aggiungi reparto prima",
         "edit-table-insert-row-above", "+ categoria prima"},
        {Cmd::RepartoGiu, "mnuSpostaGiuRep", "&Giu", "Muovi giù", "go-down", "categoria giu"},
        {Cmd::RepartoSu, "mnuSpostaSuRep", "&Su", "Muovi su", "go-up", "categoria su"},
        {Cmd::EliminaImmagineReparto, "mnuEliminaImmagineCat", "Eli&mina immagine", "Elimina immagine",
         "edit-clear", "- immagine cat0"},
        {Cmd::ImpostaImmagineReparto, "mnuImpostaImmagineCat", "Impos&ta immagine", "Imposta immagine",
         "insert-image", "+ immagine cat0"},
        {Cmd::AggiungiSottoreparto, "mnuAggiungiSottoreparto", "&Sottoreparto", "Aggiungi sottoreparto",
         "folder-new", ""},
        {Cmd::Ricerca, "mnuRicerca", "&Ricerca...", "Cerca articolo", "edit-find", ""},
        {Cmd::EliminaImmagine2, "mnuEliminaImmagine2", "&2", "Elimina immagine", "edit-clear", "- immagine1"},
        {Cmd::ImpostaImmagine2, "mnuImpostaImmagine2", "&2", "Imposta immagine", "insert-image", "+ immagine1"},
        {Cmd::EliminaPulsante, "mnuEliminaTasto", "Elimina immagine p&ulsante", "Elimina pulsante", "edit-clear",
         "- immagine cat1"},
        {Cmd::ImpostaPulsante, "mnuImpostaTasto", "Imposta immagine &pulsante", "Imposta pulsante", "insert-image",
         "+ immagine cat1"},
        {Cmd::ImpostaImmaginePiccola, "mnuImpostaImmagine3", "&piccola", "Imposta immagine", "insert-image",
         "+ immagine2"},
        {Cmd::EliminaImmaginePiccola, "mnuEliminaImmagine3", "&piccola", "Elimina immagine", "edit-clear",
         "- immagine2"},
        {Cmd::EliminaLogoNormale, "mnuEliminaLogo1", "&normale", "Elimina immagine logo", "edit-clear",
         "- immagine neg0"},
        {Cmd::ImpostaLogoNormale, "mnuImpostaLogo1", "&normale", "Imposta immagine logo", "insert-image", ""},
        {Cmd::Variante1, "mnuOpzione1", "&1", "Definisci variante 1", "", "maschera articoli"},
        {Cmd::Variante2, "mnuOpzione2", "&2", "Definisci variante 2", "", "maschera articoli"},
        {Cmd::ImpostaLogoPiccolo, "mnuImpostaLogo2", "&piccolo", "Imposta immagine logo", "insert-image", ""},
        {Cmd::EliminaLogoPiccolo, "mnuEliminaLogo2", "&piccolo", "Elimina immagine logo", "edit-clear",
         "- immagine neg1"},
        {Cmd::Variante3, "mnuOpzione3", "&3", "Definisci variante 3", "", "maschera articoli"},
        {Cmd::Costruisci, "mnuCostruisci", "&Costruisci il negozio", "Costruisci il negozio", "folder-build", ""},
        {Cmd::AggiornaSito, "mnuAggiornaSito", "Aggiorna il &sito...", "Aggiorna il sito", "network-server", ""},
        {Cmd::NuovoNegozio, "mnuNuovo", "&Nuovo negozio..", "", "document-new", ""},
        {Cmd::ApriNegozio, "mnuCambiaNegozio", "&Apri negozio...", "", "document-open", ""},
        {Cmd::CartelleLavoro, "mnuCartelle", "Cambia le cartelle di &lavoro...", "", "folder", ""},
        {Cmd::PulisciCartelle, "mnuPulisci", "&Pulisci le cartelle di lavoro...", "", "edit-clear-all", ""},
        {Cmd::ScegliTemplate, "mnuTemplate", "Scegli il &template...", "Scegli il template", "preferences-desktop-theme",
         ""},
        {Cmd::ImportaZendaro, "mnuImportaZD", "&Importa da Zendaro...", "", "document-import", ""},
        {Cmd::Esci, "mnuEsci", "&Esci", "", "application-exit", ""},
        {Cmd::Spedizione, "mnuSpedizione", "&Spese di spedizione...", "", "", ""},
        {Cmd::SistemiPagamento, "mnuConfiguraPG", "Sistemi di &pagamento...", "", "", ""},
        {Cmd::CartellaFTPNegozio, "mnuCart0", "Cartella FTP del &negozio...", "Seleziona la cartella", "folder-open",
         "cartelle FTP"},
        {Cmd::CartellaFTPScript, "mnuCart1", "Cartella FTP script &CGI...", "Seleziona la cartella", "folder-open",
         "cartelle FTP"},
        {Cmd::ImpostazioniAvanzate, "mnuAvanzate", "&Impostazioni avanzate...", "", "", ""},
        {Cmd::VisualizzaReparti, "mnuVisualizzaReparti", "&Reparti", "", "", ""},
        {Cmd::VisualizzaArticoli, "mnuVisualizzaArticoli", "&Articoli", "", "", ""},
        {Cmd::VisualizzaSito, "mnuVisualizzaSito", "&Sito", "", "", ""},
        {Cmd::VisualizzaInternet, "mnuVisualizzaInternet", "&Internet", "", "", ""},
        {Cmd::Sommario, "mnuHelpSommario", "&Sommario...", "", "help-contents", ""},
        {Cmd::DomandeFrequenti, "mnuFaq", "&Domande frequenti...", "", "help-faq", ""},
        {Cmd::Informazioni, "mnuHelpAbout", "&Informazioni su...", "", "help-about", ""},
    };
    return tabella;
}

const DefinizioneComando *RegistroComandi::definizione(int numero)
{
    for (const DefinizioneComando &d : definizioni())
        if (d.numero == numero)
            return &d;
    return nullptr;
}

RegistroComandi::RegistroComandi(QObject *parent) : QObject(parent)
{
    for (const DefinizioneComando &d : definizioni()) {
        auto *a = new QAction(QString::fromUtf8(d.testo), this);
        a->setObjectName(QString::fromLatin1(d.nome));
        if (*d.suggerimento)
            a->setToolTip(QString::fromUtf8(d.suggerimento));
        if (*d.icona)
            a->setIcon(icona(QString::fromLatin1(d.icona)));
        const int numero = d.numero;
        connect(a, &QAction::triggered, this, [this, numero] { emit comando(numero); });
        m_azioni.insert(numero, a);
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

QList<QAction *> RegistroComandi::azioni() const
{
    QList<QAction *> l;
    for (const DefinizioneComando &d : definizioni())
        l << m_azioni.value(d.numero);
    return l;
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
