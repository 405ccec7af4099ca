#include "frmfolderftp.h"

#include "messages.h"
#include "sfogliaftp.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

frmFolderFTP::frmFolderFTP(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\cartelleftp.htm"), std::move(aiuto), parent), m_messages(messages),
      m_sessione(std::make_unique<SfogliaFtp>(percorsoNegozio))
{
    setObjectName(QStringLiteral("frmFolderFTP"));
    setWindowTitle(QStringLiteral("Vetrasto - Selezione cartelle FTP"));

    auto *parametri = new QGroupBox(QStringLiteral("Parametri FTP"));
    auto *p = new QFormLayout(parametri);
    const char *etichette[3] = {"Host:", "Username:", "Password:"};
    for (int i = 0; i < 3; ++i) {
        txt[i] = new QLineEdit;
        txt[i]->setObjectName(QStringLiteral("txt%1").arg(i));
        txt[i]->setReadOnly(true);
        p->addRow(QString::fromLatin1(etichette[i]), txt[i]);
    }
    txt[2]->setEchoMode(QLineEdit::Password);

    auto *elenco = new QGroupBox(QStringLiteral("Elenco cartelle"));
    lstData = new QListWidget;
    lstData->setObjectName(QStringLiteral("lstData"));
    lstData->setMinimumHeight(160);
    cmdUP = new QToolButton;
    cmdUP->setObjectName(QStringLiteral("cmdUP"));
    cmdUP->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    cmdUP->setToolTip(QStringLiteral("Cartella superiore"));
    cmdUP->setEnabled(false);
    picWait = new QLabel(QStringLiteral("Comunicazione con l'host in corso..."));
    picWait->setObjectName(QStringLiteral("picWait"));
    txtPath = new QLineEdit;
    txtPath->setObjectName(QStringLiteral("txtPath"));
    txtPath->setReadOnly(true);
    auto *percorso = new QHBoxLayout;
    percorso->addWidget(new QLabel(QStringLiteral("Percorso:")));
    percorso->addWidget(txtPath, 1);
    percorso->addWidget(cmdUP);
    auto *e = new QVBoxLayout(elenco);
    e->addLayout(percorso);
    e->addWidget(lstData, 1);
    e->addWidget(picWait);

    auto *selezionata = new QGroupBox(QStringLiteral("Cartella selezionata"));
    txtSelFolder = new QLineEdit;
    txtSelFolder->setObjectName(QStringLiteral("txtSelFolder"));
    (new QVBoxLayout(selezionata))->addWidget(txtSelFolder);

    auto *log = new QGroupBox(QStringLiteral("Log"));
    txtLog = new QPlainTextEdit;
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtLog->setMaximumHeight(110);
    (new QVBoxLayout(log))->addWidget(txtLog);

    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdQuit = new QPushButton(QStringLiteral("Annulla"));
    cmdQuit->setObjectName(QStringLiteral("cmdQuit"));

    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(parametri);
    tutto->addWidget(elenco, 1);
    tutto->addWidget(selezionata);
    tutto->addWidget(log);
    tutto->addLayout(rigaPulsanti({cmdOK, cmdQuit}));
    cmdOK->setDefault(true);
    resize(460, 560);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, [this] {
        Timer1.stop();
        if (m_avviato)
            return;
        m_avviato = true;
        m_sessione->ConnettiFTP(txt[0]->text(), txt[1]->text(), txt[2]->text());
    });
    SfogliaFtp *s = m_sessione.get();
    connect(s, &SfogliaFtp::rigaLog, txtLog, &QPlainTextEdit::appendPlainText);
    connect(s, &SfogliaFtp::occupatoCambiato, this, &frmFolderFTP::occupato);
    connect(s, &SfogliaFtp::elencato, this, &frmFolderFTP::elencato);
    connect(s, &SfogliaFtp::fallito, this, [this] {
        m_messages.warning(SfogliaFtp::MessaggioFallimento());
        done(QDialog::Rejected);
    });
    connect(lstData, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        txtSelFolder->setText(SfogliaFtp::Selezione(m_sessione->percorso(), item->text()));
    });
    connect(lstData, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { m_sessione->Entra(item->text()); });
    connect(cmdUP, &QToolButton::clicked, this, [this] { m_sessione->Su(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        m_scelta = txtSelFolder->text();
        done(QDialog::Accepted);
    });
    connect(cmdQuit, &QPushButton::clicked, this, &frmFolderFTP::reject);
    occupato(false);
}

frmFolderFTP::~frmFolderFTP() = default;

QString frmFolderFTP::SelezionaCartellaFTP(QWidget *parent, int tipo, const QString &percorsoNegozio,
                                           const QString &host, const QString &user, const QString &password,
                                           Messages &messages, Aiuto aiuto)
{
    frmFolderFTP finestra(percorsoNegozio, messages, std::move(aiuto), parent);
    finestra.txt[0]->setText(host);
    finestra.txt[1]->setText(user);
    finestra.txt[2]->setText(password);
    finestra.setWindowTitle(tipo == 0 ? QStringLiteral("Vetrasto - Selezione cartella del negozio")
                                      : QStringLiteral("Vetrasto - Selezione cartella script CGI"));
    finestra.exec();
    return finestra.scelta();
}

void frmFolderFTP::paintEvent(QPaintEvent *e)
{
    DialogoAiuto::paintEvent(e);
    if (!m_avviato && !Timer1.isActive())
        Timer1.start();
}

void frmFolderFTP::occupato(bool si)
{
    picWait->setVisible(si);
    if (si) {
        setCursor(Qt::WaitCursor);
        cmdUP->setEnabled(false);
    } else {
        unsetCursor();
    }
}

void frmFolderFTP::elencato()
{
    lstData->clear();
    const QIcon cartella = style()->standardIcon(QStyle::SP_DirIcon);
    for (const QString &nome : m_sessione->cartelle())
        lstData->addItem(new QListWidgetItem(cartella, nome));
    txtPath->setText(m_sessione->percorso());
    cmdUP->setEnabled(!m_sessione->percorso().isEmpty());
}

void frmFolderFTP::closeEvent(QCloseEvent *e)
{
    m_sessione->Chiudi();
    DialogoAiuto::closeEvent(e);
}

void frmFolderFTP::reject()
{
    m_sessione->Chiudi();
    DialogoAiuto::reject();
}
