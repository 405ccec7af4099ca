#pragma once
// A merchant at the keyboard: a queue of steps run one at a time from timers,
// so that a step keeps running while an earlier one waits in a modal dialog
// (a step that clicks a button which opens a dialog returns only when the
// dialog closes; the steps after it act on the dialog meanwhile).
//
// The windows are reached only as a person reaches them: the window on top,
// a menu entry by its caption, a field by its label (or its name), a button by
// its text, clicked, typed into and chosen in with the window tests' helpers
// (finestre.h: real key and mouse events). Every window and dialog met is
// photographed once under its object name.
#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QAbstractButton;
class QWidget;

class Utente {
public:
    explicit Utente(const QString &cartellaFoto);

    // A step: false while what it waits for has not come (it is tried again
    // until `attesaMs` has passed, then the walk fails).
    using Passo = std::function<bool()>;
    void passo(const QString &descrizione, Passo p, int attesaMs = 20000);
    // A step that acts once.
    void fai(const QString &descrizione, std::function<void()> azione);
    // Runs the queue; `fine` is called when it is empty.
    void avvia(std::function<void()> fine);

    // The window a person sees on top: the modal dialog, else the main window.
    static QWidget *inAlto();
    static QWidget *finestraPrincipale();
    // A visible widget of the window on top, by object name (or by a label's
    // text, for a field: "Titolo del negozio"); null when there is none.
    static QWidget *trova(const QString &nome);
    static QAbstractButton *pulsante(const QString &testo);

    // Steps that do what a person does.
    void aspettaFinestra(const QString &nome, int attesaMs = 20000);
    void menu(const QStringList &voci);   // {"File", "Nuovo negozio.."}, captions without "&"
    void clic(const QString &nomeOTesto);  // a button by its name or text, or any widget by name
    // A field's text typed over (several lines too: "\n" as Return), then Tab.
    void scrivi(const QString &campo, const QString &testo, bool conTab = true);
    void nodo(const QString &testo);       // a node of the department tree
    void scheda(const QString &barra, const QString &testo);  // a tab of a tab bar
    void scegliVoce(const QString &lista, const QString &testo);  // a drop-down or list entry
    void attiva(const QString &lista, const QString &testo);      // a list entry, double-clicked
    void cella(const QString &vista, const QString &testo);       // a grid's cell, clicked
    void rinomina(const QString &lista, const QString &testo);    // the current entry, with F2
    void spunta(const QString &casella, bool spuntata);           // a check box, by its name or text
    // Answers the message box whose text holds `contiene` with the button so named.
    void rispondi(const QString &contiene, const QString &pulsante);
    void foto(const QString &nome);  // a step
    void scatta(const QString &nome);  // at once; the walk fails when it cannot be saved

    // Photographs every window met the first time it is on top.
    void fotografaNuove();
    void fallisci(const QString &perche);

    QStringList messaggi;  // the texts of every message box answered
    bool diario = false;   // each step's description printed as it begins
    QString ultimoPasso() const { return m_descrizione; }

private:
    struct Voce {
        QString descrizione;
        Passo p;
        int attesa;
        QElapsedTimer t;
    };
    void tick();
    // The window on top (or the open menu) saved as NNN-<nome>.png.
    bool salvaFoto(const QString &nome);

    std::deque<Voce> m_coda;
    std::function<void()> m_fine;
    QString m_descrizione;
    QSet<QString> m_fotografate;
    int m_numeroFoto = 0;
    bool m_finito = false;
};
