#pragma once
// The "Internet" view (picGenerale): the server paths of the mail program
// and the script interpreter, the site's address with the folders of the
// shop and of its scripts and the addresses derived from them, the
// Windows-server option, and the FTP account with the remote folders.
//
// The derived addresses and the folders taken from the remote ones are
// computed by the settings snapshot's own functions (Impostazioni), so the
// window and a headless build agree. A loaded record derives the addresses
// once it is complete, and never the shop and scripts folders: a folder
// typed by hand survives the opening.
#include "vista.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;

class VistaInternet : public Vista {
    Q_OBJECT
public:
    VistaInternet(Negozio &negozio, RegistroComandi &comandi, QWidget *parent = nullptr);

    bool scrivi() override;
    void leggi(Impostazioni &imp) const override;
    // A folder chosen in the remote folder browser (kind 0 the shop's
    // pages, 1 the CGI scripts) goes into its field, as if typed.
    void impostaCartellaRemota(int tipo, const QString &cartella);

private:
    // The frames, each laid out with its fields.
    QGroupBox *creaURL();
    QGroupBox *creaPerl();
    QGroupBox *creaFTP();
    // The fields bound to the settings record, with their rules.
    void legaServer(DataSource &g);
    void legaIndirizzi(DataSource &g);
    void legaFTP(DataSource &g);

    // Home page, search and order addresses from the site's fields.
    void derivaIndirizzi();
    // The server paths are for Unix servers only.
    void abilitaPercorsiServer();
    // "cartelle FTP" while host, user name and password are all filled in.
    void abilitaCartelleFTP();
    void dopoCaricamento();

    // "Parametri interprete Perl (solo server Unix)"
    QComboBox *cboSendmail, *cboPerl;
    QCheckBox *chkNT;
    // "Indirizzi Internet (URL)"
    QLineEdit *txtURL, *txtCartella, *txtCGI, *txtURLNegozio, *txtCGIsearch, *txtCGIOrdine;
    // "Parametri FTP"
    QLineEdit *txtHost, *txtUsername, *txtPassword, *txtFolderFTP, *txtFolderCGI;
    std::array<QToolButton *, 2> cmdCart{};
    QPushButton *cmdAvanzate;
    std::array<QLineEdit *, 2> txtSetting{};  // hidden: siteonline, sitescript
};
