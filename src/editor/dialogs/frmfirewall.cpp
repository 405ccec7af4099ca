#include "frmfirewall.h"

#include "ftp.h"
#include "impostazioniftp.h"
#include "messages.h"
#include "pulsantiimpostazioni.h"

#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel *nota(const QString &testo)
{
    auto *l = new QLabel(testo);
    l->setWordWrap(true);
    return l;
}

} // namespace

frmFirewall::frmFirewall(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\firewall.htm"), std::move(aiuto), parent),
      m_file(percorsoNegozio + QStringLiteral("/firewall.net")), m_messages(messages)
{
    setObjectName(QStringLiteral("frmFirewall"));
    setWindowTitle(QStringLiteral("Vetrasto FTP - Impostazioni avanzate"));

    auto *metodo = new QGroupBox(QStringLiteral("Metodo di connessione FTP"));
    optConn[1] = new QRadioButton(QStringLiteral("Connessione passiva (usa PASV)"));
    optConn[0] = new QRadioButton(QStringLiteral("Connessione attiva (usa PORT)"));
    auto *m = new QVBoxLayout(metodo);
    m->addWidget(nota(QStringLiteral("Se le connessioni FTP sembrano non funzionare, provare a cambiare il metodo di "
                                     "connessione.")));
    for (int i : {1, 0}) {
        optConn[i]->setObjectName(QStringLiteral("optConn%1").arg(i));
        m->addWidget(optConn[i]);
    }

    auto *firewall = new QGroupBox(QStringLiteral("Parametri avanzati del firewall"));
    txtHost = new QLineEdit;
    cboType = new QComboBox;
    for (const char *t : {"Nessun firewall", "Socks 4", "Socks 5", "Proxy USER", "Proxy SITE", "Proxy PROXY",
                          "Proxy OPEN", "Simple Pipe"})
        cboType->addItem(QString::fromLatin1(t));
    cboType->setCurrentIndex(-1);
    txtPort = new QLineEdit;
    txtUsername = new QLineEdit;
    txtPassword = new QLineEdit;
    txtPassword->setEchoMode(QLineEdit::Password);
    txtFTPport = new QLineEdit(QStringLiteral("21"));
    const std::pair<QWidget *, const char *> nomi[] = {{txtHost, "txtHost"}, {cboType, "cboType"},
                                                       {txtPort, "txtPort"}, {txtUsername, "txtUsername"},
                                                       {txtPassword, "txtPassword"}, {txtFTPport, "txtFTPport"}};
    for (const auto &[w, nome] : nomi)
        w->setObjectName(QString::fromLatin1(nome));
    for (QLineEdit *porta : {txtPort, txtFTPport}) {
        porta->setValidator(new QIntValidator(1, 65535, porta));
        porta->setMaximumWidth(90);
    }
    lblSupporto = nota(QStringLiteral("I tipi Proxy SITE, Proxy PROXY e Proxy OPEN non sono supportati: con questi "
                                      "firewall chiedere all'amministratore di rete un accesso Socks o Proxy USER."));
    lblSupporto->setObjectName(QStringLiteral("lblSupporto"));
    auto *f = new QVBoxLayout(firewall);
    f->addWidget(nota(QStringLiteral("I parametri avanzati del firewall devono essere forniti dall'amministratore di "
                                     "rete o dal proprio ISP.")));
    auto *campi = new QFormLayout;
    campi->addRow(QStringLiteral("Firewall Host:"), txtHost);
    campi->addRow(QStringLiteral("Tipo firewall:"), cboType);
    campi->addRow(QStringLiteral("Porta del firewall:"), txtPort);
    campi->addRow(QStringLiteral("Username:"), txtUsername);
    campi->addRow(QStringLiteral("Password:"), txtPassword);
    f->addLayout(campi);
    f->addWidget(lblSupporto);
    f->addWidget(nota(QStringLiteral("Non è necessario impostare tutti i campi: se, ad esempio, il proprio firewall non "
                                     "richiede l'autenticazione dell'utente, non sarà necessario impostare Username e "
                                     "Password.")));

    auto *porta = new QGroupBox(QStringLiteral("Porta FTP"));
    auto *p = new QFormLayout(porta);
    p->addRow(QStringLiteral("Porta FTP:"), txtFTPport);
    p->addRow(nota(QStringLiteral("(può differire dalla porta del firewall)")));

    const PulsantiImpostazioni pulsanti = PulsantiImpostazioni::crea();
    cmdOK = pulsanti.cmdOK;
    cmdAnnulla = pulsanti.cmdAnnulla;
    cmdReset = pulsanti.cmdReset;

    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(metodo);
    tutto->addWidget(firewall);
    tutto->addWidget(porta);
    tutto->addLayout(rigaPulsanti({cmdReset, cmdOK, cmdAnnulla}));
    cmdOK->setDefault(true);
    setMinimumWidth(480);

    connect(cmdOK, &QPushButton::clicked, this, &frmFirewall::ok);
    connect(cmdAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdReset, &QPushButton::clicked, this, &frmFirewall::reset);
    connect(cboType, &QComboBox::currentIndexChanged, this, &frmFirewall::tipoCambiato);

    ImpostazioniFirewall s;
    s.leggi(m_file);
    optConn[s.passiva ? 1 : 0]->setChecked(true);
    txtHost->setText(s.host);
    cboType->setCurrentIndex(s.tipo);
    txtPort->setText(s.porta);
    txtFTPport->setText(s.portaFTP);
    txtUsername->setText(s.user);
    txtPassword->setText(s.password);
    tipoCambiato();
}

void frmFirewall::Mostra(QWidget *parent, const QString &percorsoNegozio, Messages &messages, Aiuto aiuto)
{
    frmFirewall dialogo(percorsoNegozio, messages, std::move(aiuto), parent);
    dialogo.exec();
}

void frmFirewall::tipoCambiato()
{
    // The note stands out while a type that cannot be used is chosen.
    const bool supportato = cboType->currentIndex() < 0 || FirewallSupportato(cboType->currentIndex());
    QFont f = lblSupporto->font();
    f.setBold(!supportato);
    lblSupporto->setFont(f);
}

void frmFirewall::ok()
{
    ImpostazioniFirewall s;
    s.passiva = optConn[1]->isChecked();
    s.host = txtHost->text();
    s.tipo = cboType->currentIndex();
    s.porta = txtPort->text();
    s.portaFTP = txtFTPport->text();
    s.user = txtUsername->text();
    s.password = txtPassword->text();
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
