#pragma once
// The settings snapshot: the shop's settings as the main window's fields show
// them, which the builder, the publisher and the payment dialogs read. The
// window fills it from its controls; headless, it is made from the settings
// record `generale` with the same derivations the window applies when it
// loads the record (check boxes 0/1, derived addresses, list texts), so both
// ways give the same snapshot for the same record.
//
// Number fields (txtScontoNegozio, txtCambio) hold the text the window shows:
// the shortest form with "." as decimal point ("10", "1936.27"); read them
// with NumeroDaTesto/IsNumeric (numeri.h).
#include "currency.h"
#include "shopstate.h"

#include <QString>
#include <array>
#include <optional>

class Recordset;

struct Impostazioni {
    // Shop panel.
    QString txtTitolo, txtEmail;
    std::array<QString, 7> txtTesti;  // home1, home2, condizioni, recesso, datipers, testo1, testo2
    QString txtScontoNegozio;         // sconto, as text
    std::array<QString, 2> lblLogo;   // immagine0, immagine1: file names in work/, "" = none

    // " Sito" view.
    int chkVisSconto = 0, chkVisOfferta = 0;
    QString txtFirma, txtMID, txtEmailOrdini, txtMinimo;
    int chkPercRep = 0;
    QString cboLivelli;               // livelliaperti
    int chkCodInCart = 0;
    std::array<QString, 2> txtKeywords;  // keywords, content
    QString cboVetrina;               // colonnevetrina
    int chkElencoFoto = 0, chkElencoCodice = 0, chkElencoTitolo = 0;
    QString txtRicerca;               // operatorericerca
    int chkRicerca = 0, chkCambio = 0, chkIvaCompresa = 0;
    QString txtNotazione;             // notazione
    QString txtCambio;                // cambio, as text
    std::array<int, 2> chkDecimali{0, 0};
    std::array<QString, 2> txtValuta;

    // "Internet" view.
    QString cboSendmail, cboPerl;
    std::array<QString, 2> txtSetting;  // siteonline, sitescript
    QString txtURL, txtCartella, txtCGI;
    QString txtURLNegozio;            // derived, not stored
    QString txtCGIsearch, txtCGIOrdine;  // derived
    int chkNT = 0;
    QString txtFolderFTP, txtFolderCGI, txtHost, txtUsername, txtPassword;

    // Fields without a control, read from the record. The minimum order is
    // empty when the record holds Null or a value that is not a number.
    std::optional<Currency> minimo = Currency{};
    std::array<qint64, 2> imgX{0, 0}, imgY{0, 0};
    QString template_;

    // Headless: from the current row of a recordset on `generale`.
    static Impostazioni daRecord(const Recordset &generale);

    // The derivations of the "Internet" view (what the window's change
    // handlers compute): txtURLNegozio, txtCGIsearch and txtCGIOrdine from
    // txtURL, txtCartella, txtCGI and chkNT.
    void derivaIndirizzi();
    // Shop folder and scripts folder from the remote FTP folders.
    static QString cartellaDaFolderFTP(const QString &folderFTP, bool serverNT);
    static QString cartellaDaFolderCGI(const QString &folderCGI, bool serverNT);
};

// The shop-state values the window derives from the currency fields.
struct ValoriValuta {
    QString PrefissoValuta1, PrefissoValuta2;
    double TassoCambio = 0;
    QString SeparatoreMigliaia, SeparatoreDecimali;
    QString FormatoDecimali1 = QStringLiteral("0"), FormatoDecimali2 = QStringLiteral("0");

    // From the snapshot's fields, starting from the values in `prima` (what
    // the shop state held: a rate that is not a number keeps it, an empty
    // notation keeps the separators).
    static ValoriValuta daImpostazioni(const Impostazioni &imp, const ValoriValuta &prima);
    static ValoriValuta daImpostazioni(const Impostazioni &imp);
    static ValoriValuta daShopState(const ShopState &s);
    void impostaIn(ShopState &s) const;
};

// The site's base URL and the CGI folder's URL, without a final "/". A host
// typed with "http://" or "https://" keeps its scheme.
QString URLNegozio(const Impostazioni &imp);
QString URLCGI(const Impostazioni &imp);
// The site's host is empty: the pages' order and search forms would lead nowhere.
bool IndirizzoVuoto(const Impostazioni &imp);
// The site code: upper-case hexadecimal digits computed from the shop's URL
// after its scheme; suffix of the generated scripts' names.
QString CodiceSito(const Impostazioni &imp);

// Makes the snapshot from the record and sets the currency values into the
// shop state, as the window does when it loads the record.
Impostazioni CaricaImpostazioni(const Recordset &generale, ShopState &stato);
