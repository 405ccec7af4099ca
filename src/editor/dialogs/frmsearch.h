#pragma once
// frmSearch, "Vetrasto - Cerca articoli": the article search, a window that
// stays open beside the main window. The merchant types a text, picks the
// field to look in and, if wanted, whole-word matching; "Mostra" brings the
// chosen article into view in the main window. The field chosen last is
// remembered while the instance lives.
#include "dialogoaiuto.h"

class Negozio;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

class frmSearch : public DialogoAiuto {
    Q_OBJECT
public:
    frmSearch(Negozio &negozio, std::function<void(const QString &)> aiuto = {}, QWidget *parent = nullptr);

    // Command 21: shows the window (fresh text and whole-word box, the last
    // field preselected), or brings it to the front when it is open.
    void mostra();

    QString campo() const { return m_campo; }

private:
    // "Ricerca": the text, the field to look in, whole words.
    QGroupBox *creaRicerca();
    // "Risultati": the articles found, or the word that none was.
    QGroupBox *creaRisultati();

    QLineEdit *txtCerca;
    QPushButton *cmdCerca;
    QRadioButton *optCerca[5];  // "Codice", "Titolo", "Sottotitolo", "Descrizione", "Note"
    QCheckBox *chkParola;
    QTableWidget *gridResult;
    QLabel *lblNoResult;
    QPushButton *cmdVisualizza, *cmdChiudi;

    void abilita();
    void cerca();
    void visualizza();

    Negozio &m_negozio;
    QString m_campo;
};
