#pragma once
// The main window: the department tree on the left, the four views
// ("Reparti", "Articoli", " Sito", "Internet") on the right, the menus, and
// the dispatcher of the numbered commands. It composes the views, shows the
// ones the current view and selection ask for, and forwards what the
// merchant does to the shop store; it follows the store through its signals.
#include "abilitazione.h"
#include "comandi.h"
#include "impostazioni.h"
#include "negozio.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class AlberoCategorie;
class frmSearch;
class QLabel;
class QMenu;
class QTabBar;
class VistaArticoli;
class VistaInternet;
class VistaNegozio;
class VistaReparti;
class VistaSito;

class frmMain : public QMainWindow, private SceltaTemplate {
    Q_OBJECT
public:
    explicit frmMain(Negozio &negozio, QWidget *parent = nullptr);
    ~frmMain() override;

    // The start-up sequence; returns a Negozio::Risultato (NonAperto when no
    // shop could be opened and the window must go), or MostrataSenzaNegozio.
    int carica();
    // carica()'s result when the folder serverpath.net names holds no
    // catalogue, the merchant asked for another shop and chose none: the
    // window stays, with no shop.
    static constexpr int MostrataSenzaNegozio = 3;

    // The single entry of the numbered commands (the registry's Numerato
    // ones: 0 to 34, 50, 51); other numbers do nothing.
    void EseguiComando(Cmd::Numero numero);
    // Shows the panels and menu of the selected view.
    void MostraScheda();
    // Records the window's size, place and maximized state for the user
    // (the settings store), for the next window: when the program starts
    // again or another shop is opened.
    void salvaPosto() const;
    // The first time the window shows, it takes its place (collocaFinestra).
    void setVisible(bool visibile) override;
    // Opens a page of the program's help ("pagine\reparti.htm"); a page
    // that is missing opens nothing and shows no message.
    static void MostraAiuto(const QString &argomento);

    Negozio &negozio() { return m_negozio; }
    DatiPrincipali &dati() { return m_negozio.dati(); }
    RegistroComandi &comandi() { return m_comandi; }
    AlberoCategorie *tvwCategorie() const { return m_tree; }
    QLabel *lblTotaleArticoli() const { return m_totale; }
    QTabBar *tabGestione() const { return m_tabs; }
    VistaReparti *vistaReparti() const { return m_reparti; }
    VistaArticoli *vistaArticoli() const { return m_articoli; }
    VistaNegozio *vistaNegozio() const { return m_vistaNegozio; }
    VistaSito *vistaSito() const { return m_sito; }
    VistaInternet *vistaInternet() const { return m_internet; }
    // The shop's settings as the window shows them, saved or not: what a
    // build, an upload and the payment dialogs use.
    Impostazioni impostazioni() const;
    // The key of the selected view: "kReparti", "kArticoli", "kSito", "kInternet".
    QString schedaCorrente() const;
    void selezionaScheda(const QString &chiave);

signals:
    // The window's first activation after a start (the splash can go).
    void avvioCompletato();

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    // Sees every key of the window before the focused control: F1 and
    // Ctrl+Up/Down.
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    bool ScegliTemplate() override;
    // The size, place and maximized state the user left the window in, kept
    // inside the screen; else 1280x800, or as much of the screen as there
    // is, in its middle.
    void collocaFinestra();
    // Every command of the registry: the numbered ones go to EseguiComando.
    void esegui(Cmd::Numero numero);
    // Writes the pending edits before an operation that reads the catalogue
    // and the settings. When the database refuses a value (its refusal has
    // been shown), says that the operation does not start, "Impossibile " &
    // `operazione`, and why, naming the fields; false then.
    bool scriviPrimaDi(const QString &operazione);
    // The parts of the window: the tree's panel, the views' panels (handed
    // back in their column), the view tabs, the strip of picture buttons, the
    // menu bar; then what the store announces.
    void creaAlbero();
    QWidget *creaViste();
    void creaSchede();
    QWidget *creaStriscia();
    void creaMenu();
    void seguiNegozio();
    void onNodoCliccato(const QString &key);
    // No shop is open: only New, Open, Exit and the help are offered; every
    // menu with nothing to offer is disabled, the views are hidden.
    void senzaNegozio();
    // Puts that view menu in the menu bar in place of the other three.
    void mostraMenuVista(const QString &nome);
    // "Pulisci le cartelle di lavoro...": empties the pages and scripts
    // folders after the merchant's confirmations.
    void PulisciCartelle();
    // The shared key handling; true when the key was used.
    bool tasto(int key, Qt::KeyboardModifiers modificatori);

    Negozio &m_negozio;
    RegistroComandi m_comandi;
    AbilitazioneComandi m_abilitazione;
    QWidget *m_alberoPannello;
    AlberoCategorie *m_tree;
    QTabBar *m_tabs;
    QLabel *m_totale;
    VistaReparti *m_reparti;
    VistaArticoli *m_articoli;
    QPointer<frmSearch> m_ricerca;         // the article search, modeless
    VistaNegozio *m_vistaNegozio;
    VistaSito *m_sito;
    VistaInternet *m_internet;
    QHash<QString, QWidget *> m_pannelli;  // picCategorie0, picArticoli0, picNegozio, ...
    QList<QMenu *> m_menu;                 // the menu bar's menus in their order: mnuFile, mnuReparti, ...
    bool m_collocata = false;              // the window has taken its place
};
