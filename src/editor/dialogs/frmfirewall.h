#pragma once
// frmFirewall, "Vetrasto FTP - Impostazioni avanzate": the connection mode
// (passive or active), the firewall or proxy and the FTP server's port,
// kept in firewall.net in the shop folder (readable by its owner only).
// The publisher and the remote folder browser read it when they open. The
// window is laid out in frmfirewall.ui.
#include "dialogoaiuto.h"

#include <memory>

class Messages;

namespace Ui {
class frmFirewall;
}

class frmFirewall : public DialogoAiuto {
    Q_OBJECT
public:
    frmFirewall(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto = {}, QWidget *parent = nullptr);
    ~frmFirewall() override;

    // mnuAvanzate and cmdAvanzate: the dialog, modally.
    static void Mostra(QWidget *parent, const QString &percorsoNegozio, Messages &messages, Aiuto aiuto = {});

private:
    // The fields from firewall.net.
    void mostra();
    void ok();
    void reset();

    std::unique_ptr<Ui::frmFirewall> ui;
    QString m_file;
    Messages &m_messages;
};
