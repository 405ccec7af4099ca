#pragma once
// frmFolderFTP: the remote folder browser. It logs in with the shop's FTP
// account, lists the folders of the login folder, lets the merchant walk
// down (double click) and up, and returns the folder clicked last, relative
// to the login folder. A folder the server keeps it out of is named in a
// warning, and the window stays where it was; a lost connection closes it.
// The FTP work runs on a thread of its own. The window
// is laid out in frmfolderftp.ui.
#include "dialogoaiuto.h"

#include <QTimer>
#include <memory>

class Messages;
class QPushButton;
class SfogliaFtp;

namespace Ui {
class frmFolderFTP;
}

class frmFolderFTP : public DialogoAiuto {
    Q_OBJECT
public:
    frmFolderFTP(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto = {}, QWidget *parent = nullptr);
    ~frmFolderFTP() override;

    // SelezionaCartellaFTP: kind 0 the shop's pages folder, 1 the CGI
    // scripts folder. Returns the folder chosen, or "" when none was.
    static QString SelezionaCartellaFTP(QWidget *parent, int tipo, const QString &percorsoNegozio,
                                        const QString &host, const QString &user, const QString &password,
                                        Messages &messages, Aiuto aiuto = {});

    QTimer Timer1;

    SfogliaFtp &sessione() { return *m_sessione; }
    QString scelta() const { return m_scelta; }  // the folder OK confirmed ("" when none)

protected:
    void paintEvent(QPaintEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    // The session's and the list's events, forwarded.
    void collega();
    void elencato();
    void occupato(bool si);
    // The "up" button, enabled below the login folder.
    void abilitaSu();

    std::unique_ptr<Ui::frmFolderFTP> ui;
    QPushButton *cmdOK, *cmdQuit;
    Messages &m_messages;
    std::unique_ptr<SfogliaFtp> m_sessione;
    QString m_scelta;
    bool m_avviato = false;
};
