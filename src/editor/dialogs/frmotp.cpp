#include "frmotp.h"

#include "shell.h"
#include "ui_frmotp.h"

frmOTP::frmOTP(AggiornamentoPassword &logica, const QString &host, const QString &cartella, QWidget *parent)
    : Dialogo(parent), ui(std::make_unique<Ui::frmOTP>()), m_logica(logica)
{
    ui->setupUi(this);
    ui->txtHost->setText(host);
    ui->txtCartella->setText(cartella);
    connect(ui->cmdCerca, &QPushButton::clicked, this, [this] {
        const QStringList file = Shell::scegliFile(QStringLiteral("Selezionare i file password "), QString(),
                                                   QStringLiteral("Password Banca Sella (*.ric *.ris)"));
        if (m_logica.scegli(file))
            mostra();
    });
    connect(ui->cmdAggiorna, &QPushButton::clicked, this, [this] {
        m_logica.accoda = ui->optOperazione1->isChecked();
        m_logica.aggiorna(pwd);
        mostra();
    });
    connect(ui->cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    mostra();
    // The frames as wide as a window 560 pixels wide holds, for the notes
    // to wrap in few lines.
    const QMargins bordi = ui->colonna->contentsMargins();
    ui->fraFile->setMinimumWidth(560 - bordi.left() - bordi.right());
}

frmOTP::~frmOTP() = default;

void frmOTP::mostra()
{
    ui->txtRic->setText(m_logica.txtRic);
    ui->txtRis->setText(m_logica.txtRis);
    ui->lblRic->setText(m_logica.lblRic);
    ui->lblRis->setText(m_logica.lblRis);
    ui->cmdAggiorna->setEnabled(m_logica.aggiornabile());
}
