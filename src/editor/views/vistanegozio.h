#pragma once
// The shop panel (picNegozio), shown in place of the department or article
// panels while the tree's root, the shop itself, is selected: the frame
// "Testi" with the contact address, the shop's title and its seven texts
// (one at a time, chosen with tabTesti), and the frame "Negozio" with the
// shop-wide discount and the two logos with their buttons.
#include "vista.h"

#include <array>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

class VistaNegozio : public Vista {
    Q_OBJECT
public:
    VistaNegozio(Negozio &negozio, RegistroComandi &comandi, QWidget *parent = nullptr);

    bool scrivi() override;
    void leggi(Impostazioni &imp) const override;

    // The tab captions of the seven texts, in the order of txtTesti.
    static const std::array<const char *, 7> &titoliTesti();

private:
    // The two frames, each laid out with its fields.
    QGroupBox *creaTesti();
    QGroupBox *creaNegozio();
    // The fields bound to the settings record, with their rules.
    void lega(DataSource &g);
    // Shows the text of the tab at that position and disables the others.
    void mostraTesto(int posizione);

    QLineEdit *txtEmail, *txtTitolo, *txtScontoNegozio;
    QTabWidget *tabTesti;
    // home1, home2, condizioni, recesso, datipers, testo1, testo2
    std::array<QPlainTextEdit *, 7> txtTesti{};
};
