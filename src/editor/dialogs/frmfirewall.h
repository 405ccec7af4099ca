#pragma once
// frmFirewall, "Vetrasto FTP - Impostazioni avanzate": the connection mode
// (passive or active), the firewall or proxy and the FTP server's port,
// kept in firewall.net in the shop folder (readable by its owner only).
// The publisher and the remote folder browser read it when they open.
#include "dialogoaiuto.h"

class Messages;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class frmFirewall : public DialogoAiuto {
    Q_OBJECT
public:
    frmFirewall(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto = {}, QWidget *parent = nullptr);

    // mnuAvanzate and cmdAvanzate: the dialog, modally.
    static void Mostra(QWidget *parent, const QString &percorsoNegozio, Messages &messages, Aiuto aiuto = {});

    QRadioButton *optConn[2];  // 0 active (PORT), 1 passive (PASV)
    QLineEdit *txtHost;
    QComboBox *cboType;
    QLineEdit *txtPort, *txtUsername, *txtPassword, *txtFTPport;
    QLabel *lblSupporto;  // which firewall types cannot be used
    QPushButton *cmdOK, *cmdAnnulla, *cmdReset;

private:
    void ok();
    void reset();
    void tipoCambiato();

    QString m_file;
    Messages &m_messages;
};
