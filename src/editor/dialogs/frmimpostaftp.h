#pragma once
// frmImpostaFTP, "Vetrasto - Imposta trasferimento FTP": the merchant
// confirms, before every update, which files are sent (only the changed
// ones, only those of the last build, only some extension groups). The
// choice is kept in vtftp.ini in the shop folder; "OK" is the tag that lets
// the update go on.
#include "dialogoaiuto.h"
#include "impostazioniftp.h"

class Messages;
class QCheckBox;

class frmImpostaFTP : public DialogoAiuto {
    Q_OBJECT
public:
    frmImpostaFTP(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto = {}, QWidget *parent = nullptr);

    // Shows the dialog modally; true when the merchant confirmed with "OK".
    static bool Conferma(QWidget *parent, const QString &percorsoNegozio, Messages &messages, Aiuto aiuto = {});

    QString tag() const { return m_tag; }

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    QCheckBox *chkImpo[3];
    QCheckBox *chkTipo[4];
    QPushButton *cmdOK, *cmdAnnulla, *cmdReset;

    void mostraScelta(const SceltaTrasferimento &s);
    SceltaTrasferimento scelta() const;
    void ok();

    QString m_percorsoNegozio;
    Messages &m_messages;
    QString m_tag;
    bool m_attivato = false;
};
