#pragma once
// Start-up and restart of the main window: the splash first, whose timer
// shows a fresh frmMain and runs its load; the main window's first
// activation closes the splash. A restart (another shop chosen) replaces the
// window once the old window's own code has finished running, never while
// it runs.
#include "frmabout.h"
#include "frmmain.h"
#include "negozio.h"

#include <QPointer>

class Messages;

// What the program does before its first window: its names, numbers in the
// Italian notation, Qt's texts in Italian and the desktop's folder picker.
void preparaProgramma();

class Avvio {
public:
    explicit Avvio(Messages &messages);
    // The program's start: the splash, then the main window.
    void avvia();
    frmAbout *splash() const { return m_splash; }
    // Shows a fresh main window and runs its load. When no shop could be
    // opened the window goes and `finito` is set.
    void mostraMain();
    frmMain *finestra() const { return m_finestra; }
    Negozio &negozio() { return m_negozio; }
    bool finito() const { return m_finito; }

private:
    Messages &m_messages;
    Negozio m_negozio;
    QPointer<frmMain> m_finestra;
    QPointer<frmAbout> m_splash;
    bool m_riavvioInCorso = false;
    bool m_finito = false;
};
