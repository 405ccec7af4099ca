#pragma once
// frmOTP, "Vetrasto - Aggiornamento password Banca Sella": the merchant picks
// the pair of password files, chooses to replace or to append, and sends
// them with the FTP settings of the main window. The window forwards to
// AggiornamentoPassword.
#include "aggiornamentopassword.h"

#include <QDialog>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmOTP : public QDialog {
    Q_OBJECT
public:
    // host and cartella: the main window's FTP host and remote CGI folder.
    frmOTP(AggiornamentoPassword &logica, const QString &host, const QString &cartella, QWidget *parent = nullptr);

    // The bank dialog's password-file name, updated after a successful upload.
    QString pwd;

    QPushButton *cmdCerca, *cmdAggiorna, *cmdChiudi;
    QLineEdit *txtRic, *txtRis, *txtHost, *txtCartella;
    QLabel *lblRic, *lblRis;
    std::array<QRadioButton *, 2> optOperazione{};

private:
    void mostra();
    AggiornamentoPassword &m_logica;
};
