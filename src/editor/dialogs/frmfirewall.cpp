#include "frmfirewall.h"

#include "impostazioniftp.h"
#include "messages.h"
#include "pulsantiimpostazioni.h"
#include "ui_frmfirewall.h"

#include <QFile>
#include <QIntValidator>

frmFirewall::frmFirewall(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\firewall.htm"), std::move(aiuto), parent),
      ui(std::make_unique<Ui::frmFirewall>()), m_file(percorsoNegozio + QStringLiteral("/firewall.net")),
      m_messages(messages)
{
    ui->setupUi(this);
    for (QLineEdit *porta : {ui->txtPort, ui->txtFTPport})
        porta->setValidator(new QIntValidator(1, 65535, porta));
    const PulsantiImpostazioni pulsanti = PulsantiImpostazioni::crea();
    ui->tutto->addLayout(rigaPulsanti({pulsanti.cmdReset, pulsanti.cmdOK, pulsanti.cmdAnnulla}));
    pulsanti.cmdOK->setDefault(true);

    connect(pulsanti.cmdOK, &QPushButton::clicked, this, &frmFirewall::ok);
    connect(pulsanti.cmdAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    connect(pulsanti.cmdReset, &QPushButton::clicked, this, &frmFirewall::reset);
    mostra();
}

frmFirewall::~frmFirewall() = default;

void frmFirewall::mostra()
{
    ImpostazioniFirewall s;
    s.leggi(m_file);
    (s.passiva ? ui->optConn1 : ui->optConn0)->setChecked(true);
    ui->txtHost->setText(s.host);
    ui->cboType->setCurrentIndex(s.tipo);
    ui->txtPort->setText(s.porta);
    ui->txtFTPport->setText(s.portaFTP);
    ui->txtUsername->setText(s.user);
    ui->txtPassword->setText(s.password);
}

void frmFirewall::Mostra(QWidget *parent, const QString &percorsoNegozio, Messages &messages, Aiuto aiuto)
{
    frmFirewall dialogo(percorsoNegozio, messages, std::move(aiuto), parent);
    dialogo.exec();
}

void frmFirewall::ok()
{
    ImpostazioniFirewall s;
    s.passiva = ui->optConn1->isChecked();
    s.host = ui->txtHost->text();
    s.tipo = ui->cboType->currentIndex();
    s.porta = ui->txtPort->text();
    s.portaFTP = ui->txtFTPport->text();
    s.user = ui->txtUsername->text();
    s.password = ui->txtPassword->text();
    QString errore;
    if (!s.salva(m_file, &errore))
        m_messages.warning(errore);
    accept();
}

void frmFirewall::reset()
{
    // Enter answers Annulla: the file goes only when OK is chosen.
    if (m_messages.show(QStringLiteral("Le impostazioni avanzate saranno riportate alle condizioni di default"),
                        Messages::Icon::Information, Messages::Buttons::OkCancel, {}, Messages::Answer::Cancel)
        == Messages::Answer::Ok)
        QFile::remove(m_file);
    reject();
}
