#pragma once
// The articles view's two panels: the current department's article list
// with its buttons (picArticoli(0)) and the current article's details
// (picArticoli(1)): its fields, flags, variant sets and three pictures.
#include "vista.h"

#include <array>

class ModelloGriglia;
class QCheckBox;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QTableView;

class VistaArticoli : public Vista {
    Q_OBJECT
public:
    VistaArticoli(Negozio &negozio, RegistroComandi &comandi, QWidget *parent = nullptr);

    void carica() override;
    bool scrivi() override;

    QWidget *picArticoli0() const { return m_elenco; }
    QWidget *picArticoli1() const { return m_dettagli; }

    // Shows the names of the current article's three variant sets.
    void MostraVarianti();

signals:
    // A value typed into the grid could not be stored (the grid's message
    // has been shown).
    void grigliaRifiutata();

private:
    // picArticoli(1): the heading, the fields, and beside them the pictures,
    // the variant sets and the flags.
    QWidget *creaDettagli();
    QFormLayout *creaCampi();
    QFormLayout *creaVarianti();
    // The fields bound to the current article, with their rules.
    void lega(DataSource &a);
    // The rule of an amount field (price, offer).
    RegolaCampo importo() const;
    // A price or offer price that is not a number is put to "0" with a
    // word; any other value refused is named and goes back to the stored one.
    void rifiutoDettagli(int n, const QString &descrizione, const QString &campo);
    void mostraTitolo();
    void erroreGriglia(const QString &campo, const QString &digitato, int n, const QString &descrizione);

    QTableView *gridArticoli;
    // txtArticoli(i): 0 code, 1 title, 2 subtitle, 3 description, 4 price,
    // 5 notes, 6 offer price, 7 link, 8 stock, 9 weight.
    std::array<QLineEdit *, 10> txtArticoli{};  // index 3 stays empty: the description has several lines
    QPlainTextEdit *txtDescrizione;
    // chkArticoli(i): 0 offer, 1 new, 2 link in a new window, 3 picture in a
    // window of its own, 4 in the showcase, 5 out of the catalogue.
    std::array<QCheckBox *, 6> chkArticoli{};
    std::array<QLineEdit *, 3> txtVariante{};

    QWidget *m_elenco;
    QWidget *m_dettagli;
    QLabel *m_titoloElenco;
    ModelloGriglia *m_griglia;
};
