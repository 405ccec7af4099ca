#pragma once
// The departments view's two panels: the sibling list of the current
// department with its buttons (picCategorie(1)) and the department's details
// (picCategorie(2)): title, description, articles per page, notes, discount,
// VAT, page model and the two pictures.
#include "vista.h"

class DatiPrincipali;
class ModelloGriglia;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTableView;

class VistaReparti : public Vista {
    Q_OBJECT
public:
    VistaReparti(Negozio &negozio, RegistroComandi &comandi, QWidget *parent = nullptr);

    void carica() override;
    bool scrivi() override;

    QWidget *picCategorie1() const { return m_elenco; }
    QWidget *picCategorie2() const { return m_dettagli; }

private:
    // picCategorie(2): the heading, the fields and the two pictures.
    QWidget *creaDettagli();
    // The fields bound to the current department, with their rules.
    void lega(DataSource &c);
    // What the merchant is told when the database refuses a value.
    void segnalaRifiuti(DatiPrincipali &d);
    void mostraTitolo();
    void caricaModelli();

    QTableView *gridCategorie;
    // txtCategorie(i): 0 discount, 10 notes, 11 articles per page, 14 title
    // (line fields); 12 description (several lines).
    QLineEdit *txtCategorie0, *txtCategorie10, *txtCategorie11, *txtCategorie14;
    QPlainTextEdit *txtCategorie12;
    QComboBox *cboIva, *cboTemplate;

    QWidget *m_elenco;
    QWidget *m_dettagli;
    QLabel *m_titoloElenco;
    QLabel *m_titoloDettagli;
    ModelloGriglia *m_griglia;
};
