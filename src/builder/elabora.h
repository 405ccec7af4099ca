#pragma once
// The build of the static site: MakePages turns the open catalogue, the
// shop's settings and a template set into the pages and scripts folders and
// leaves the upload list for the publisher. It runs on the window's thread
// from start to end in one call, yielding to the window system (throttled)
// at the head of every loop and stopping when the cancel flag is set.
//
// The phases that later parts of the builder fill in are virtual hooks with
// empty bodies: the article rows of a page (ScriviArticoli), the shop-wide
// page fields (CampiNegozio), the home page (MakeHome), the set's other
// pages with the payment result and thank-you pages (MakePagineTemplate) and
// the results page and scripts (MakeScript).
#include "impostazioni.h"
#include "navigazione.h"
#include "risorse.h"
#include "tabelle.h"
#include "shopstate.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class Messages;
class Recordset;

class Elaborazione {
public:
    enum class Esito { Completata, Annullata, Fallita };

    Elaborazione(ShopState &stato, const Impostazioni &impostazioni, Messages &messages);
    virtual ~Elaborazione();

    // The template set's folder; by default the program folder's
    // CartellaTemplate.
    QString CartellaSet;

    // What the window supplies; headless they do nothing.
    std::function<void()> elaboraEventi;          // let the window system run
    std::function<void(int, int)> impostaBarra;   // progress minimum, maximum
    std::function<void(int)> valoreBarra;         // progress value
    std::function<void()> nascondi;               // hide the build window
    std::function<bool(const QString &)> apriDocumento;  // default: Shell::apriDocumento
    // Set by the cancel button and the close box.
    bool annulla = false;

    Esito MakePages();

    // Closes what a cancelled or failed build left open; the unfinished
    // upload list is removed, so that it can never publish half a site.
    void chiudiFile();

    // Build state shared by the phases.
    QString IDnegozio;
    float FattoreNegozio = 1;
    bool CodiceInCarrello = false;
    bool IvaCompresa = false;
    int ColonneVetrina = 3;  // showcase cells per row
    int LivelliAperti = 1;
    bool PercorsoReparti = false;
    int MaxArticoli = 32000;
    QString FilePagina, URLPagina;
    QString ElencoReparto;
    int NumeroArticolo = 0;  // the article's number within its department
    // The showcase, grown over the whole build by the article rows and read
    // once by the home page: the index of the showcase articles, and one cell
    // per showcase article in CelleVetrina[1..NumeroCelle] (element 0 stays
    // empty).
    QString ElencoVetrina = QStringLiteral("<BR>");
    QStringList CelleVetrina{QString()};
    int NumeroCelle = 0;
    std::array<QString, 5> Colori;
    std::unique_ptr<Navigazione> TuttiReparti;
    int RepartiFatti = 0;

    QString percorsoLavoro() const;  // source.mdb of the shop
    QString fileRicerca() const;     // the search data file in the scripts folder

protected:
    // Hooks of the later phases.
    // Fills the work row of one article of the page (the row is being added
    // and is stored by the caller); appends to ElencoReparto as the article
    // index requires.
    virtual void ScriviArticoli(const Reparto &reparto, const Recordset &articolo, Recordset &riga, int numero);
    // The shop-wide fields of a page row being edited.
    virtual void CampiNegozio(Recordset &pagina);
    // The home page, the set's other pages, the results page and scripts;
    // each returns false when a merge failed (the failure path).
    virtual bool MakeHome();
    virtual bool MakePagineTemplate();
    virtual bool MakeScript();
    // Inside the set's pages: the payment result pages from paymsg.htm and
    // the thank-you pages from thankyou.htm; false when a merge failed.
    bool MakePagamentoEsito();
    bool MakeRingraziamenti();

    // Stores a page row being added or edited, with the FTP credentials emptied.
    void salvaRigaPagina(Recordset &pagina);
    // Lets the window system run (at most every few tens of milliseconds)
    // and tells whether the build is to stop.
    bool fermati();
    // Merges and lists one output; false when the merge failed.
    bool unisci(const QString &modello, const QString &uscita, bool ripeti);

    ShopState &m_stato;
    const Impostazioni &m_imp;
    Messages &m_messages;
    ListaUpload m_upload;
    QFile m_ricerca;
    DatabasePtr m_lavoro;
    // VAT and discount of the department whose articles are being written.
    QString m_repartoPrezzi;
    QVariant m_ivaReparto, m_scontoReparto;
    // The shipping tables of the page scripts, computed once per build.
    TabelleScript m_tabelle;

private:
    enum class Passo { Avanti, Annulla, Errore };
    void leggiStato();
    bool controllaCartelle();
    void azzera();
    Passo reparto(const Reparto &r);
    Passo copiaRisorse();
    void fallimento();
    void erroreImprevisto(int numero, const QString &descrizione);

    QElapsedTimer m_ultimaPausa;
};
