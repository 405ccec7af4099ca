#pragma once
// The shop store: which shop is open, and the operations that open, upgrade,
// create and change it. One instance lives for the whole run; the main
// window reaches it, and it drives the current main window through the
// FinestraPrincipale interface.
#include "shopstate.h"

#include <functional>

class FinestraPrincipale;
class Messages;

class Negozio {
public:
    explicit Negozio(Messages &messages);

    ShopState state;

    // The main window now loaded (set by the window itself, nullptr on unload).
    void setFinestra(FinestraPrincipale *f) { m_finestra = f; }
    FinestraPrincipale *finestra() const { return m_finestra; }
    // How the program unloads the main window and shows a fresh one.
    void setRiavvio(std::function<void()> riavvio) { m_riavvio = std::move(riavvio); }
    Messages &messages() const { return m_messages; }

    enum Risultato { NonAperto = 0, Aperto = 1, AltroNegozio = 2 };
    // Opens the shop of PercorsoNegozio; see Risultato.
    int CaricaNegozio();
    // Checks a shop folder ("*": asks for one), records it as the shop to
    // open at start-up and restarts the main window on it.
    bool ApriNegozio(const QString &cartella);
    void NuovoNegozio();
    void RiavviaMain();
    // Rebuilds the department tree, from the catalogue (true) or from a copy
    // of dataCategorie's recordset (false).
    void CaricaReparti(bool dalDatabase);
    // Brings an article into view: its department, the article, the articles tab.
    void VaiArticolo(qint64 id);

    // The shop folder the main window opens at start-up: the first line of
    // serverpath.net, else the default shop (made from new/ when missing).
    static QString cartellaAvvio(bool *letto = nullptr);
    // The folder used when no shop is named; false when it cannot be made.
    static bool preparaNegozioPredefinito(QString *errore = nullptr);
    // A folder holding catalog.mdb, vtftp.mdb, source.new, work, online, scripts.
    static bool eNegozio(const QString &cartella);
    // The model files ("modello*.htm") of a template set folder, sorted.
    static QStringList modelliTemplate(const QString &cartellaSet);
    // The model list of the open shop's template set as cboTemplate shows it:
    // file names less ".htm", at most 50 characters.
    QStringList elencoModelli() const;

    // The main window's article counter text.
    QString testoTotaleArticoli() const;

private:
    void impostaCartelle();
    void impostaTemplate();

    Messages &m_messages;
    FinestraPrincipale *m_finestra = nullptr;
    std::function<void()> m_riavvio;
};

// The in-place upgrade run at every opening; reports nothing.
void AggiornaNegozio(const QString &cartellaNegozio);
