#pragma once
// The shop store: which shop is open, the main window's data sources on its
// catalogue, and the operations that open, upgrade, create and change it.
// One instance lives for the whole run. It never calls a window: it asks the
// merchant through the Messages interface and the shell's folder picker, and
// announces what changed with signals that the editor listens to.
#include "datiprincipali.h"
#include "shopstate.h"

#include <QObject>

class Messages;

// The template chooser, as the store needs it while it opens a shop: true
// when a set was chosen (and applied with Negozio::ApplicaTemplate).
class SceltaTemplate {
public:
    virtual ~SceltaTemplate() = default;
    virtual bool ScegliTemplate() = 0;
};

class Negozio : public QObject {
    Q_OBJECT
public:
    explicit Negozio(Messages &messages, QObject *parent = nullptr);
    ~Negozio() override;

    ShopState state;
    DatiPrincipali &dati() { return m_dati; }
    const DatiPrincipali &dati() const { return m_dati; }
    Messages &messages() const { return m_messages; }
    // The editor's template chooser; without one, opening a shop whose set
    // is missing leaves the choice for later.
    void setSceltaTemplate(SceltaTemplate *scelta) { m_sceltaTemplate = scelta; }

    // NonAperto: no shop is open, the main window goes (also when the
    // merchant asked for another shop and then chose none, or a folder that
    // is not one); Aperto: the shop is open; AltroNegozio: the shop could
    // not be opened and another one was chosen (a restart on it was
    // requested).
    enum Risultato { NonAperto = 0, Aperto = 1, AltroNegozio = 2 };
    // Opens the shop of PercorsoNegozio; see Risultato.
    int CaricaNegozio();
    // Writes the pending edits of the data sources and closes the catalogue.
    // False when an edit could not be written (the message has been shown).
    bool ChiudiNegozio();
    // Checks a shop folder ("*": asks for one), records it as the shop to
    // open at start-up and asks for a restart on it.
    bool ApriNegozio(const QString &cartella);
    void NuovoNegozio();
    // Clears the shop state and asks the editor for a fresh main window.
    void RiavviaMain();
    // Rebuilds the department tree, from the catalogue (true) or from the
    // rows dataCategorie holds (false: its callers requery it first when the
    // table changed).
    void CaricaReparti(bool dalDatabase);
    // What VaiArticolo found: the article brought into view; no article of
    // that ID; an article that belongs to no department (its catID "###" or
    // a department that does not exist), which the main window cannot show.
    enum class EsitoArticolo { Mostrato, Inesistente, SenzaReparto };
    // Brings an article into view: its department and the article become
    // current (announced with articoloRaggiunto). Nothing moves unless the
    // result is Mostrato.
    EsitoArticolo VaiArticolo(qint64 id);
    // Makes a template set the shop's: stored in the settings record, the
    // shop state's template folder and the model list follow. False when the
    // record could not be written (nothing changes then).
    bool ApplicaTemplate(const QString &set);
    // Fills the model list from the shop's template set.
    void CaricaModelli();

    // The shop folder the main window opens at start-up: the first line of
    // serverpath.net, else the default shop (made when missing).
    static QString cartellaAvvio(bool *letto = nullptr);
    // Makes the default shop from the demo (or the empty) shop when it does
    // not exist; false when it cannot be made.
    static bool preparaNegozioPredefinito(QString *errore = nullptr);
    // A folder holding catalog.mdb, vtftp.mdb, source.new, work, online, scripts.
    static bool eNegozio(const QString &cartella);
    // The model files ("modello*.htm", letter case aside) of a template set
    // folder, sorted.
    static QStringList modelliTemplate(const QString &cartellaSet);
    // The template sets a shop can choose: the folders under the program
    // folder's "template" that hold a model, in name order. A name longer
    // than the settings record keeps (50 characters) is not offered.
    static QStringList setTemplate();
    // The model list of the open shop's template set as cboTemplate shows it:
    // file names less ".htm"; a name longer than a department's model field
    // keeps (50 characters) is not offered.
    QStringList elencoModelli() const;

    // The main window's article counter text.
    QString testoTotaleArticoli() const;

    // What the clipboard tables hold for pasting, as the copy commands set it.
    struct Appunti {
        bool articoli = false;
        bool reparto = false;
    };
    Appunti appunti() const { return m_appunti; }
    void setAppunti(Appunti a);

signals:
    // The main window's title: "Vetrasto - " and the shop's folder.
    void titoloCambiato(const QString &titolo);
    // What the clipboards hold changed (appunti()).
    void appuntiCambiati();
    // VaiArticolo brought this article into view: its department and its
    // row are current.
    void articoloRaggiunto(qint64 id);
    // Another shop is recorded: the main window is to be replaced.
    void riavvioRichiesto();

private:
    void impostaCartelle();
    void impostaTemplate();

    Messages &m_messages;
    DatiPrincipali m_dati;
    SceltaTemplate *m_sceltaTemplate = nullptr;
    Appunti m_appunti;
};

// The in-place upgrade run at every opening. The catalogue is upgraded on
// the connection given, which stays open, or on one of its own. Its steps'
// failures are its own; it returns only a warning for the merchant about
// the shop's code folder (empty when there is none).
QString AggiornaNegozio(const QString &cartellaNegozio, Database *catalogo = nullptr);

// The upgrade's last step: gives the shop its own copy of the program's code
// folder (the payment systems' folders, not the top-level scripts) when it
// has no code folder or an empty one. The copy is made beside it and renamed
// onto it, its last step: a code folder that holds anything is a finished
// copy or the merchant's, and is left alone. What a killed opening left
// beside it (a copy not yet renamed, a folder set aside) is undone first.
// False when the copy was needed and not made (nothing changed then), or
// when there is nothing to copy from; `avviso` then says why when the
// merchant is to be told: an empty code folder protected from writing, a
// copy that failed, leftovers that cannot be removed. A shop folder that
// cannot be written is left alone without a word (its opening says it is
// read-only).
bool CopiaCodiceNegozio(const QString &cartellaNegozio, QString *avviso = nullptr);
