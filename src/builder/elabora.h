#pragma once
// The build of the static site as a headless service: given the open
// catalogue, the settings snapshot, the folders and a template set, MakePages
// writes the pages and scripts folders and leaves the upload list for the
// publisher. It never shows a widget: messages go through the Messages it is
// given, progress and cancelling through an Avanzamento.
//
// The catalogue is read once: the shop-wide page fields and the navigation
// are made once, then the articles are read a department at a time, and
// each department's pages are merged and written on a pool of threads as
// soon as its articles are read, each page once and complete. The pages are
// put in place, and the upload list, the search data, the order script's
// price list and the showcase put together, in department order, so the
// output is the same whatever the number of threads, also when a
// department fails: the departments after it leave no page.
#include "datiordine.h"
#include "impostazioni.h"
#include "make.h"
#include "navigazione.h"
#include "riga.h"
#include "risorse.h"
#include "shopstate.h"

#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <utility>
#include <vector>

class LavoriReparti;
class Messages;
class Varianti;
struct DatiPagine;

// What the window does for a build: it shows progress, lets the window
// system run, and tells when the merchant cancelled. Headless, nothing.
class Avanzamento {
public:
    virtual ~Avanzamento() = default;
    virtual void intervallo(int /*massimo*/) {}  // progress from 0 to massimo
    virtual void valore(int /*valore*/) {}
    // Lets the window system run; called every few tens of milliseconds.
    virtual void eventi() {}
    virtual bool annullato() const { return false; }
    // The build is over (ended or failed): the window goes away.
    virtual void nascondi() {}
    // Shows the finished site; by default with the desktop's handler.
    virtual bool apriDocumento(const QString &documento);
};

class Elaborazione {
public:
    enum class Esito { Completata, Annullata, Fallita };

    // The catalogue is stato.dbCatalogo; folders and currency notation come
    // from stato too. The template set is the program folder's
    // stato.CartellaTemplate unless CartellaSet is changed. The build reads
    // of the set, of the program's code folder, of the shop's work and code
    // folders only the regular files that are no database (FileAmmessi);
    // the others, and the files whose names hold control characters, are
    // named in a warning and left out.
    Elaborazione(const ShopState &stato, const Impostazioni &impostazioni, Messages &messages,
                 Avanzamento *avanzamento = nullptr);
    ~Elaborazione();
    Elaborazione(const Elaborazione &) = delete;
    Elaborazione &operator=(const Elaborazione &) = delete;

    QString CartellaSet;
    // The threads that merge department pages; 0: one per core.
    int threads = 0;

    Esito MakePages();

    // Closes what a cancelled or failed build left open; the unfinished
    // upload list is removed, so that it can never publish half a site.
    void chiudiFile();

    int repartiFatti() const { return m_repartiFatti; }
    // The home page's showcase as the departments left it: its index and
    // its cells in department order.
    const QString &elencoVetrina() const { return m_elencoVetrina; }
    const QStringList &celleVetrina() const { return m_celleVetrina; }
    QString percorsoLavoro() const;  // source.mdb of the shop
    QString fileRicerca() const;     // the search data file in the scripts folder
    QString fileDatiOrdine() const;  // the order script's price list, beside it

private:
    enum class Passo { Avanti, Annulla, Errore };

    void leggiStato();
    bool controllaProgramma();
    bool controllaPercorsoPerl();
    bool controllaEmailOrdini();
    bool controllaScontoNegozio();
    bool controllaScontoReparti();
    bool controllaCatalogo();
    bool controllaCartelle();
    // Reads the folders whose files the build uses and names in one warning
    // each the files it leaves out, and why.
    void esaminaFile();
    // Removes what an earlier build leaves behind, and what a killed one
    // left half written.
    void azzera();
    // The departments whose pages cannot be made under their names, given
    // how many pages each gets, each with its warning in *avvisi.
    std::vector<char> rifiutaReparti(const Navigazione &navigazione, const QStringList &fileSet,
                                     const std::vector<int> &pagine, QStringList *avvisi) const;
    // Whether how many pages a department gets can decide which
    // departments are refused.
    bool pagineContese(const Navigazione &navigazione, const QStringList &fileSet) const;
    // The names the template set's pages and resources take in the pages folder.
    QStringList fileDelSet() const;
    // What the department pages need before their articles: the
    // navigation and, once decided, the departments refused, each with its
    // warning, and the models of the others, read once.
    struct PianoReparti {
        Navigazione navigazione;
        QStringList fileSet;  // fileDelSet()
        bool deciso = false;
        std::vector<char> rifiutato;
        QStringList rifiuti;
        QHash<QString, Make::Modello> modelli;  // by path, PercorsoModello
    };
    // Made on a thread of its own while the shop-wide fields are read:
    // decided at once unless how many pages a department gets can decide it.
    PianoReparti pianoReparti(std::vector<Reparto> reparti, const QString &evidenza) const;
    // Decides, given how many pages each department gets.
    void decidi(PianoReparti &piano, const std::vector<int> &pagine) const;
    // The department pages: each department's made on the pool of threads
    // as soon as its articles are read, the results taken back in order.
    // The warnings about the catalogue (articles left out, departments no
    // link reaches, departments refused) come before the departments'.
    Passo reparti(PianoReparti &piano, DatiPagine &dati, const Varianti &varianti, const QString &avvisoIsolati);
    // Reads the articles and starts the department jobs; the articles left
    // out are named in *illeggibili.
    Passo leggiArticoli(PianoReparti &piano, DatiPagine &dati, const Varianti &varianti, LavoriReparti &lavori,
                        QStringList *illeggibili);
    // The departments' results in build order, from the first not yet
    // taken: all of them, or without `attendi` those already there that
    // went through.
    Passo raccogli(LavoriReparti &lavori, bool attendi);
    void rigaHome(const Navigazione &navigazione);
    Passo pagineSet();
    bool pagamentoEsito();
    bool ringraziamenti();
    Passo script();
    Passo risorse();
    // Merges a page with the row given and lists it for the upload; a long
    // merge stops at a cancel.
    bool unisci(const Riga &pagina, const QString &modello, const QString &uscita);
    QString cartellaCodice() const;  // the program's code folder
    QString cartellaWork() const;    // the shop's pictures
    // A badge of the set, measured when the set has it as a regular file.
    QString badge(const QString &nome) const;
    // How a step whose merge did not go through ends: cancelled or failed.
    Passo nonRiuscito() const;
    bool fermati();
    void fallimento();
    void erroreImprevisto(int numero, const QString &descrizione);

    const ShopState &m_stato;
    const Impostazioni &m_imp;
    Messages &m_messages;
    Avanzamento m_nessunAvanzamento;
    Avanzamento &m_avanzamento;

    // The build state read from the settings.
    QString m_IDnegozio;
    bool m_codiceInCarrello = false, m_ivaCompresa = false, m_percorsoReparti = false;
    int m_colonneVetrina = 3, m_livelliAperti = 1;
    std::array<QString, 5> m_colori;

    FileAmmessi m_file;
    // The active payment methods in slot order, as esaminaFile() read them:
    // the method's name, its interface as stored, and the interface as a
    // folder of the shop's code folder ("" when it is no plain name).
    struct MetodoAttivo {
        QString nome, interfaccia, cartella;
    };
    std::vector<MetodoAttivo> m_metodi;
    ListaUpload m_upload;
    Make::FileUscita m_ricerca;
    std::shared_ptr<const CampiTabella> m_campiPagina, m_campiArticolo;
    Riga m_rigaNegozio, m_rigaHome;
    QString m_elencoVetrina = QStringLiteral("<BR>");
    QStringList m_celleVetrina;
    QByteArray m_datiOrdine;
    QStringList m_prezziFuoriMisura;
    // The articles that sell at 0 because of an offer, as the closing
    // question names them: by department index as read, then those of the
    // departments whose pages are made.
    std::vector<std::pair<size_t, QString>> m_offerteZeroReparti;
    QStringList m_offerteZero;
    int m_repartiFatti = 0;
    size_t m_raccolti = 0;  // the departments whose results are taken
    qint64 m_ultimaPausa = -1;
};
