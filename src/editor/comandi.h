#pragma once
// The main window's commands: one registry entry and one QAction each, shared
// by the menus, the panels' buttons and the dispatcher. The catalogue
// commands keep their numbers (the button with index n sends command n; 50
// builds the site, 51 updates it); the commands outside the dispatcher (shop,
// settings, views, help) have numbers of their own from 100 on.
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
class QWidget;

namespace Cmd {
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
}

struct DefinizioneComando {
    int numero;
    const char *nome;          // the action's object name: its menu entry's name
    const char *testo;         // menu caption, "&" before the access key
    const char *suggerimento;  // tool tip of its button
    const char *icona;         // icon theme name, "" for none
    const char *abilitazione;  // enabling name, "" when always enabled
};

class RegistroComandi : public QObject {
    Q_OBJECT
public:
    explicit RegistroComandi(QObject *parent = nullptr);

    static const std::vector<DefinizioneComando> &definizioni();
    static const DefinizioneComando *definizione(int numero);

    QAction *azione(int numero) const { return m_azioni.value(numero); }
    QList<QAction *> azioni() const;

    // Switches everything registered under the enabling name; a name outside
    // the registry does nothing.
    void AbilitaComando(const QString &nome, bool abilitato);
    bool abilitato(const QString &nome) const { return m_stati.value(nome, false); }
    // Widgets that follow an enabling name besides its actions.
    void registraControllo(const QString &nome, QWidget *controllo);

signals:
    // An action was triggered (menu entry, button, shortcut).
    void comando(int numero);

private:
    QHash<int, QAction *> m_azioni;
    QHash<QString, QList<QAction *>> m_perNome;
    QHash<QString, QList<QPointer<QWidget>>> m_controlli;
    QHash<QString, bool> m_stati;
};
