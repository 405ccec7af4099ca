#pragma once
// The " Sito" view (picSito): how the site shows offers, orders,
// departments, the cart, the meta texts, the article lists and the showcase,
// the search, the currencies and prices. The currency fields and the
// notation set the shop state's price formats (prefixes, exchange rate,
// separators, decimals) with the same rule the headless settings snapshot
// uses; the notation list and the search options are tied to their hidden
// bound fields.
#include "vista.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class VistaSito : public Vista {
    Q_OBJECT
public:
    VistaSito(Negozio &negozio, RegistroComandi &comandi, QWidget *parent = nullptr);

    bool scrivi() override;
    void leggi(Impostazioni &imp) const override;

private:
    // The frames, each laid out with its fields.
    QGroupBox *creaOfferte();
    QGroupBox *creaOrdini();
    QGroupBox *creaReparti();
    QGroupBox *creaCarrello();
    QGroupBox *creaMotori();
    QGroupBox *creaElenco();
    QGroupBox *creaRicerca();
    QGroupBox *creaValuta();
    // The fields bound to the settings record, with their rules.
    void legaCampi(DataSource &g);
    // The search options and the notation list, through their hidden fields.
    void legaNascosti(DataSource &g);
    // The currency fields, which set the shop state's price formats.
    void legaValuta(DataSource &g);

    // The second currency's name, rate and decimals follow chkCambio.
    void abilitaValutaSecondaria();
    // The price formats of the shop state from the currency fields.
    void aggiornaValuta();
    // The list and the options from their hidden fields.
    void mostraNotazione();
    void mostraRicerca();
    // Everything the loaded record sets besides the fields themselves.
    void dopoCaricamento();

    // "Offerte e sconti"
    QCheckBox *chkVisSconto, *chkVisOfferta;
    // "Ordini e spedizione"
    QLineEdit *txtEmailOrdini, *txtMinimo, *txtMID;
    QPlainTextEdit *txtFirma;
    QPushButton *cmdSpese, *cmdConfiguraPG;
    // "Reparti", "Carrello"
    QCheckBox *chkPercRep, *chkCodInCart;
    QComboBox *cboLivelli;
    // "Motori di ricerca": keywords, content
    std::array<QPlainTextEdit *, 2> txtKeywords{};
    // "Elenco articoli e vetrina"
    QCheckBox *chkElencoFoto, *chkElencoCodice, *chkElencoTitolo;
    QComboBox *cboVetrina;
    // "Ricerca"
    std::array<QRadioButton *, 2> optRicerca{};
    QLineEdit *txtRicerca;
    QCheckBox *chkRicerca;
    // "Valuta e prezzi"
    std::array<QLineEdit *, 2> txtValuta{};
    std::array<QCheckBox *, 2> chkDecimali{};
    QCheckBox *chkCambio, *chkIvaCompresa;
    QLineEdit *txtCambio, *txtNotazione;
    QComboBox *cboNotazione;

    QButtonGroup *m_ricerca;
    QString m_minimoAccettato;  // txtMinimo's last accepted text
};
