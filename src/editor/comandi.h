#pragma once
// The main window's commands: one registry entry and one QAction each, shared
// by the menus, the panels' buttons and the dispatcher (a command that the
// menus of two views offer, a shop logo's, has a twin entry in the second
// one, with an action and a name of its own). An entry is the
// command's number here and its row in the table of comandi.cpp, which says
// everything about it: caption, tool tip, icon, enabling name, the menu that
// holds its entry and its place there, the panel that shows its button, and
// whether it goes through EseguiComando. The menu bar, the panels' buttons and
// the dispatcher's guard are made from the table. The catalogue commands keep
// their numbers (the button with index n sends command n; 50 builds the site,
// 51 updates it); the others (shop, settings, views, help) have numbers of
// their own from 100 on.
//
// AbilitaComando switches a command on or off by its enabling name: every
// action registered under that name, and the widgets that the name also
// governs (the article and department edit masks, the tree's expand and
// collapse buttons, whose menu entries follow the view instead).
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace Cmd {
Q_NAMESPACE
enum Numero : int {
    ArticoloSu = 0,
    ArticoloGiu = 1,
    AggiungiArticoloPrima = 2,
    AggiungiArticoloDopo = 3,
    EliminaArticolo = 4,
    CopiaArticolo = 5,
    IncollaArticolo = 6,
    Espandi = 7,
    Comprimi = 8,
    ImpostaImmagine1 = 9,
    EliminaImmagine1 = 10,
    IncollaReparto = 11,
    CopiaReparto = 12,
    EliminaReparto = 13,
    AggiungiRepartoDopo = 14,
    AggiungiRepartoPrima = 15,
    RepartoGiu = 16,
    RepartoSu = 17,
    EliminaImmagineReparto = 18,
    ImpostaImmagineReparto = 19,
    AggiungiSottoreparto = 20,
    Ricerca = 21,
    EliminaImmagine2 = 22,
    ImpostaImmagine2 = 23,
    EliminaPulsante = 24,
    ImpostaPulsante = 25,
    ImpostaImmaginePiccola = 26,
    EliminaImmaginePiccola = 27,
    EliminaLogoNormale = 28,
    ImpostaLogoNormale = 29,
    Variante1 = 30,
    Variante2 = 31,
    ImpostaLogoPiccolo = 32,
    EliminaLogoPiccolo = 33,
    Variante3 = 34,
    Costruisci = 50,
    AggiornaSito = 51,
    // Outside the dispatcher.
    NuovoNegozio = 100,
    ApriNegozio,
    CartelleLavoro,
    PulisciCartelle,
    ScegliTemplate,
    ImportaZendaro,
    Esci,
    Spedizione,
    SistemiPagamento,
    CartellaFTPNegozio,
    CartellaFTPScript,
    ImpostazioniAvanzate,
    VisualizzaReparti,
    VisualizzaArticoli,
    VisualizzaSito,
    VisualizzaInternet,
    Sommario,
    DomandeFrequenti,
    Informazioni,
};
Q_ENUM_NS(Numero)
}

// How a command's entry behaves, and how the window treats it.
namespace OpzioniComando {
enum : unsigned {
    Nessuna = 0,
    Separatore = 1,    // a separator comes before its menu entry
    Spunta = 2,        // its menu entry is checkable
    Numerato = 4,      // it goes through EseguiComando (the catalogue commands, 50 and 51)
    SenzaNegozio = 8,  // it stays on while no shop is open
    // A second menu entry of the command of the row before it: an action of
    // its own, with its own name, in another menu; it sends the same command
    // and follows the same enabling name. The command's button and
    // RegistroComandi::azione are the first entry's.
    Gemella = 16,
};
}

struct DefinizioneComando {
    Cmd::Numero numero;
    const char *nome;          // the action's object name: its menu entry's name
    const char *testo;         // menu caption, "&" before the access key
    const char *suggerimento;  // tool tip of its button
    const char *icona;         // icon theme name, "" for none
    const char *abilitazione;  // enabling name, "" when always enabled
    const char *menu;          // the menu that holds its entry (a DefinizioneMenu)
    int ordine;                // its place in that menu, among entries and submenus
    unsigned opzioni;          // OpzioniComando
    // The panel that shows the command's own button ("cmdButton" & n, or the
    // picture buttons of picSfondo1), "" for none. A panel's buttons are in
    // the order of the table.
    const char *pannello;
};

// A menu of the menu bar, or a submenu.
struct DefinizioneMenu {
    enum Abilitazione {
        Propria,      // enabled unless the window says otherwise
        SegueVoci,    // enabled exactly while one of its entries is
        SoloRadice,   // in the views of the tree, enabled while the shop's root is selected
    };
    const char *nome;          // object name of the menu and of its action
    const char *padre;         // the menu that holds it, "" for the menu bar
    const char *testo;         // title, "&" before the access key
    int ordine;                // its place among the parent's entries and submenus
    bool separatorePrima;
    Abilitazione abilitazione;
};

class RegistroComandi : public QObject {
    Q_OBJECT
public:
    explicit RegistroComandi(QObject *parent = nullptr);

    // The tables, in their order.
    static const std::vector<DefinizioneComando> &definizioni();
    static const std::vector<DefinizioneMenu> &menu();
    static const DefinizioneComando *definizione(Cmd::Numero numero);
    // Whether a command of the registry goes through EseguiComando.
    static bool numerato(Cmd::Numero numero);
    // The commands whose button a panel shows, in the table's order.
    static QList<Cmd::Numero> pannello(const QString &nome);

    QAction *azione(Cmd::Numero numero) const { return m_azioni.value(numero); }
    // The action of one row of the table: the command's, or its twin entry's.
    QAction *voce(const DefinizioneComando &d) const { return m_voci.value(QLatin1String(d.nome)); }

    // Fills a menu bar from the tables: each menu with its entries and
    // submenus in their order and separators. The menus of the bar come back
    // in their order.
    QList<QMenu *> creaMenu(QMenuBar *barra) const;
    // The SegueVoci rule: the menu is enabled exactly while one of its
    // entries is (separators aside; a submenu by the same rule, worked out
    // first). Returns the menu's new state.
    static bool seguiVoci(QMenu *menu);

    // Switches everything registered under the enabling name; a name outside
    // the registry does nothing.
    void AbilitaComando(const QString &nome, bool abilitato);
    bool abilitato(const QString &nome) const { return m_stati.value(nome, false); }
    // Widgets that follow an enabling name besides its actions.
    void registraControllo(const QString &nome, QWidget *controllo);

signals:
    // An action was triggered (menu entry, button, shortcut).
    void comandoScelto(Cmd::Numero numero);

private:
    QHash<int, QAction *> m_azioni;
    QHash<QString, QAction *> m_voci;  // by the entry's name
    QHash<QString, QList<QAction *>> m_perNome;
    QHash<QString, QList<QPointer<QWidget>>> m_controlli;
    QHash<QString, bool> m_stati;
};
