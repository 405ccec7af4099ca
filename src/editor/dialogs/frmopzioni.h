#pragma once
// frmOpzioni, "Vetrasto - Varianti articolo": the variant-set editor. The
// list on the left holds the sets (names edited in place), the grid on the
// right the fifteen variants of the current set. Everything done in one
// opening is kept by "OK" and undone by "Annulla" or the close box; the
// logic is EditorVarianti's. A write the database refuses is reported and
// the dialog stays open with its transaction; when the database rolled the
// transaction back on its own, the dialog closes as cancelled.
#include "dialogoaiuto.h"
#include "varianti.h"

#include <functional>
#include <memory>

class Negozio;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class frmOpzioni : public DialogoAiuto {
    Q_OBJECT
public:
    // The prices and weights are written with the separator given (by
    // default the user's locale's).
    frmOpzioni(Database &db, Messages &messages, std::function<void(const QString &)> aiuto = {},
               QWidget *parent = nullptr, QChar separatore = {});
    ~frmOpzioni() override;

    // Commands 30, 31 and 34: the variant set of slot n (1..3) of the
    // current article of dataArticoli. With "OK" the chosen set is stored
    // in the article (its row's write shows the names again); true then.
    // Otherwise the caller shows the names again (NomiVarianti): the sets
    // may have been renamed before the article's write was refused.
    static bool DefinisciVariante(Negozio &negozio, int n, QWidget *parent = nullptr,
                                  std::function<void(const QString &)> aiuto = {});

    // Shows the set whose number is the text (txtID), or the first one.
    void mostra(const QString &testoId);
    // "OK" after a confirmed close, else empty.
    QString tag() const { return m_tag; }
    // The set current when "OK" was pressed (lblID).
    qint64 scelta() const { return m_scelta; }
    EditorVarianti &editor() { return *m_editor; }

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    void reject() override;  // Escape and the close box: "Annulla"

private:
    // "Varianti": the list of sets and its buttons.
    QGroupBox *creaElenco();
    // "Dettaglio variante": the variants of the current set, one a row.
    QGroupBox *creaDettaglio();
    // The list's and the buttons' events, forwarded to the editor.
    void collega();
    EditorVarianti::Dettaglio campi() const;
    void riempiElenco();
    // The list marks the current set, and only it, without a move.
    void segnaCorrente();
    void mostraCorrente();
    void ok();

    QListWidget *DBGrid1;
    QPushButton *cmdNuova, *cmdDuplica, *cmdElimina;
    QLineEdit *txtOpzione[EditorVarianti::NumeroVarianti];
    QLineEdit *txtOpzionePrezzo[EditorVarianti::NumeroVarianti];
    QLineEdit *txtOpzionePeso[EditorVarianti::NumeroVarianti];
    QRadioButton *optSelezionato[EditorVarianti::NumeroVarianti];
    QPushButton *cmdOK, *cmdAnnulla;

    std::unique_ptr<EditorVarianti> m_editor;
    QButtonGroup *m_gruppo;
    QString m_tag;
    qint64 m_scelta = 0;
    QChar m_separatore;
    bool m_caricamento = false;
};
