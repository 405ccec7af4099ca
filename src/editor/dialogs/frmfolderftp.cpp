#include "frmfolderftp.h"

#include "messages.h"
#include "sfogliaftp.h"
#include "ui_frmfolderftp.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QPushButton>
#include <QStyle>

frmFolderFTP::frmFolderFTP(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\cartelleftp.htm"), std::move(aiuto), parent),
      ui(std::make_unique<Ui::frmFolderFTP>()), m_messages(messages),
      m_sessione(std::make_unique<SfogliaFtp>(percorsoNegozio))
{
    ui->setupUi(this);
    ui->cmdUP->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    ui->txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdQuit = new QPushButton(QStringLiteral("Annulla"));
    cmdQuit->setObjectName(QStringLiteral("cmdQuit"));
    ui->tutto->addLayout(rigaPulsanti({cmdOK, cmdQuit}));
    cmdOK->setDefault(true);
    resize(460, 560);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(500);
    collega();
    occupato(false);
}

void frmFolderFTP::collega()
{
    connect(&Timer1, &QTimer::timeout, this, [this] {
        Timer1.stop();
        if (m_avviato)
            return;
        m_avviato = true;
        m_sessione->ConnettiFTP(ui->txt0->text(), ui->txt1->text(), ui->txt2->text());
    });
    SfogliaFtp *s = m_sessione.get();
    connect(s, &SfogliaFtp::rigaRegistrata, ui->txtLog, &QPlainTextEdit::appendPlainText);
    connect(s, &SfogliaFtp::occupatoCambiato, this, &frmFolderFTP::occupato);
    connect(s, &SfogliaFtp::elencato, this, &frmFolderFTP::elencato);
    connect(s, &SfogliaFtp::rifiutato, this, [this](const QString &messaggio) {
        // The server kept the browser out of a folder: it stays where it was.
        m_messages.warning(messaggio);
        abilitaSu();
    });
    connect(s, &SfogliaFtp::fallito, this, [this] {
        m_messages.warning(SfogliaFtp::MessaggioFallimento());
        done(QDialog::Rejected);
    });
    connect(ui->lstData, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        ui->txtSelFolder->setText(SfogliaFtp::Selezione(m_sessione->percorso(), item->text()));
    });
    connect(ui->lstData, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { m_sessione->Entra(item->text()); });
    connect(ui->cmdUP, &QToolButton::clicked, this, [this] { m_sessione->Su(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        m_scelta = ui->txtSelFolder->text();
        done(QDialog::Accepted);
    });
    connect(cmdQuit, &QPushButton::clicked, this, &frmFolderFTP::reject);
}

frmFolderFTP::~frmFolderFTP() = default;

QString frmFolderFTP::SelezionaCartellaFTP(QWidget *parent, int tipo, const QString &percorsoNegozio,
                                           const QString &host, const QString &user, const QString &password,
                                           Messages &messages, Aiuto aiuto)
{
    frmFolderFTP finestra(percorsoNegozio, messages, std::move(aiuto), parent);
    finestra.ui->txt0->setText(host);
    finestra.ui->txt1->setText(user);
    finestra.ui->txt2->setText(password);
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
    ui->picWait->setVisible(si);
    if (si) {
        setCursor(Qt::WaitCursor);
        ui->cmdUP->setEnabled(false);
    } else {
        unsetCursor();
    }
}

void frmFolderFTP::elencato()
{
    ui->lstData->clear();
    const QIcon cartella = style()->standardIcon(QStyle::SP_DirIcon);
    for (const QString &nome : m_sessione->cartelle())
        ui->lstData->addItem(new QListWidgetItem(cartella, nome));
    ui->txtPath->setText(m_sessione->percorso());
    abilitaSu();
}

void frmFolderFTP::abilitaSu()
{
    ui->cmdUP->setEnabled(!m_sessione->percorso().isEmpty());
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
