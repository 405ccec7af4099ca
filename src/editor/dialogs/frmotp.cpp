#include "frmotp.h"

#include "frmpg.h"
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
    DimensionaPerTesti(this, 560);
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
