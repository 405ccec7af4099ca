#pragma once
// frmOTP, "Vetrasto - Aggiornamento password Banca Sella": the merchant picks
// the pair of password files through the shell's file picker, chooses to
// replace or to append, and sends them with the FTP settings of the main
// window. The window (laid out in frmotp.ui) forwards to
// AggiornamentoPassword.
#include "aggiornamentopassword.h"

#include "dialogo.h"
#include <memory>

namespace Ui {
class frmOTP;
}

class frmOTP : public Dialogo {
    Q_OBJECT
public:
    // host and cartella: the main window's FTP host and remote CGI folder.
    frmOTP(AggiornamentoPassword &logica, const QString &host, const QString &cartella, QWidget *parent = nullptr);
    ~frmOTP() override;

    // The bank dialog's password-file name, updated after a successful upload.
    QString pwd;

private:
    void mostra();

    std::unique_ptr<Ui::frmOTP> ui;
    AggiornamentoPassword &m_logica;
};
