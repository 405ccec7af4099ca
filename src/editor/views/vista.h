#pragma once
// A panel group of the main window: its fields bound through its own binder
// to the store's data sources, its buttons taken from the command registry.
// frmMain composes the views and shows the ones the current view asks for.
#include "binder.h"
#include "comandi.h"

#include <QWidget>
#include <initializer_list>
#include <utility>

class CorniceImmagine;
class ModelloGriglia;
class QTableView;
enum class FamigliaImmagine;
class Negozio;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class QVBoxLayout;
struct Impostazioni;

class Vista : public QWidget {
    Q_OBJECT
public:
    Vista(Negozio &negozio, RegistroComandi &comandi, QWidget *parent = nullptr);

    // Shows again what is not bound (headings, lists) after a shop was opened.
    virtual void carica() {}
    // Writes the pending edits of the view's fields; false when the database
    // refused one (the data source's error has been reported).
    virtual bool scrivi() { return true; }
    // Puts what the view's fields show into the settings snapshot.
    virtual void leggi(Impostazioni &) const {}
    // The caption of the field bound to a column ("Titolo del negozio"), as
    // its label or check box reads, without the access key and the colon;
    // empty when the view binds no field to it.
    QString didascalia(const DataSource &sorgente, const QString &colonna) const;
    // Moves the current row of the view's list by `passo` rows, within the
    // list; nothing for a view without one.
    void spostaRiga(int passo);

    // Fields named as the system names its controls. A number field is
    // right-aligned and narrow, yet wide enough for an amount in its font; a
    // text of several lines takes Tab as a move.
    static QLineEdit *campoTesto(const QString &nome, bool numerico = false);
    // The label of a field: it takes the field's access key, and its text
    // names the field in the messages about it.
    static QLabel *etichetta(const QString &testo, QWidget *campo);
    static QPlainTextEdit *campoRighe(const QString &nome);
    static QCheckBox *casella(const QString &nome, const QString &testo);
    static QGroupBox *cornice(const QString &titolo, const QString &nome);

protected:
    // Button n of the panels (cmdButton(n)): the command's action.
    QToolButton *pulsante(Cmd::Numero numero, QWidget *parent = nullptr);
    // A panel heading.
    static QLabel *intestazione(const QString &testo, QWidget *parent = nullptr);
    // A heading that names the current department ("Reparto: Caffè"), or
    // reads only `senza` while the shop's root is current.
    void intitolaReparto(QLabel *intestazione, const QString &senza, const QString &prefisso) const;
    // A list panel: a heading, the buttons of the commands the registry puts
    // on the panel `nome`, and a grid on a data source (enabled and disabled
    // with the edit mask's name).
    struct Elenco {
        QWidget *pannello;
        QLabel *titolo;
        QTableView *griglia;
        ModelloGriglia *modello;
    };
    Elenco elenco(const QString &nome, const QString &nomeGriglia, DataSource &sorgente,
                  const QList<std::pair<QString, QString>> &colonne, const QString &maschera);
    // Picture n of a row: its caption, its frame, and the buttons of the
    // commands that set and delete it. The caption is handed back when asked
    // for.
    QVBoxLayout *bloccoImmagine(FamigliaImmagine famiglia, int n, std::pair<Cmd::Numero, Cmd::Numero> impostaElimina,
                                QWidget *parent, QLabel **didascalia = nullptr);
    // The text a bound field stores (a text box's lines end in CR LF).
    QString testoLegato(const QWidget *campo) const;
    // Lays the view out as two columns of frames, top-aligned, scrolled when
    // the window is too small for them.
    void dueColonne(std::initializer_list<QWidget *> sinistra, std::initializer_list<QWidget *> destra);
    // A details panel: its heading over the fields, and beside them the
    // pictures and what goes with them; those go below the fields when the
    // panel is too narrow for both, and the panel scrolls when the window is
    // too small for it.
    QWidget *dettagli(const QString &nome, QLabel *titolo, QLayout *campi, QLayout *laterale);
    // Lays the view out as its list over its details; the list yields its
    // height first.
    void elencoSopraDettagli(QWidget *elenco, QWidget *dettagli);
    // A list that changes only by a mouse choice: every key but Tab and the
    // mouse wheel are discarded.
    static void soloMouse(QComboBox *lista);

public:
    // Shows a value the database refused, with an OK button and no icon:
    // that some data is not in a valid form, then which field (its caption
    // in this view, else the column's name), what was wrong (with the
    // column's size for a text too long), and that the field goes back to
    // the stored value.
    void mostraRifiuto(const DataSource &sorgente, int numero, const QString &descrizione,
                       const QString &campo) const;

protected:
    Negozio &m_negozio;
    RegistroComandi &m_comandi;
    Binder m_binder;

private:
    // The text mostraRifiuto shows.
    QString testoRifiuto(const DataSource &sorgente, int numero, const QString &descrizione,
                         const QString &campo) const;

    QTableView *m_grigliaElenco = nullptr;  // the list panel's grid
};
