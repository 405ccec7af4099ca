#pragma once
// What the editor's tests share: the main window opened on a fresh shop the
// way the program opens it (serverpath.net, Avvio), and real mouse clicks on
// the tree and the panel buttons. The helpers of every window test are in
// finestre.h.
#include "avvio.h"
#include "finestre.h"
#include "testshop.h"

#include <QVariantMap>
#include <memory>

struct FinestraDiProva {
    TestProgramFolder program;
    ScriptedMessages messages;
    // Real message boxes in place of the scripted ones, when a test sets
    // them before the window opens.
    std::unique_ptr<Messages> scatole;
    std::unique_ptr<Avvio> avvio;
    frmMain *w = nullptr;
    QString shop;
    // Documents the window asked the desktop to open (help pages, ...).
    QStringList aperti;

    ~FinestraDiProva();
    // The message boxes the window speaks through: the real ones when set.
    Messages &messaggi() { return scatole ? *scatole : messages; }
    Negozio &negozio() { return avvio->negozio(); }
    Database &db() { return *negozio().state.dbCatalogo; }
    // A value of the settings record as stored now.
    QVariant generale(const QString &campo);
};

// A window on a shop of `reparti` departments with `articoli` articles each;
// departments after the first `pieni` have none.
std::unique_ptr<FinestraDiProva> apriFinestra(int reparti = 2, int articoli = 3, int pieni = 1);

// A window on a fresh empty shop, or on a copy of the shop folder `copia`,
// whose settings record holds these values; with the desktop's message
// boxes when `scatole` is set. Throws (ending the test as failed) when the
// shop cannot be copied.
std::unique_ptr<FinestraDiProva> apriImpostazioni(const QVariantMap &generale, const QString &copia = {},
                                                  bool scatole = false);

// Starts the program on f's shop as it starts (serverpath.net, Avvio), into
// f.avvio and f.w; throws (ending the test as failed) when the window it
// made is not shown.
void avvia(FinestraDiProva &f);
// serverpath.net naming a folder.
void scriviServerPath(const QString &cartella);
// Clicks the tree node with that text; false when there is none.
[[nodiscard]] bool clicNodo(frmMain *w, const QString &testo);
// Clicks the panel button of command n (cmdButton<n>); false when it is not
// on screen and enabled.
[[nodiscard]] bool clicPulsante(frmMain *w, int n);
