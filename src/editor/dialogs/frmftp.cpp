#include "frmftp.h"

#include "aggiornasito.h"
#include "frmavviso.h"
#include "frmimpostaftp.h"
#include "shell.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

frmFTP::frmFTP(const ContestoPubblicazione &contesto, ModoFTP modo, Messages &messages, QWidget *parent)
    : Dialogo(parent), m_messaggi(messages), m_pubblicatore(contesto, modo, m_messaggi)
{
    setObjectName(QStringLiteral("frmFTP"));
    setWindowTitle(QStringLiteral("Vetrasto - FTP"));
    setModal(true);

    auto *operazioni = new QGroupBox(QStringLiteral("Operazioni in corso"));
    lblFile = new QLabel;
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setMinimumWidth(420);
    barAggiornamento = new QProgressBar;
    barAggiornamento->setObjectName(QStringLiteral("barAggiornamento"));
    // Empty until a run counts its files.
    barAggiornamento->setRange(0, 1);
    barAggiornamento->setValue(0);
    barAggiornamento->setTextVisible(false);
    auto *o = new QVBoxLayout(operazioni);
    o->addWidget(lblFile);
    o->addWidget(barAggiornamento);

    auto *log = new QGroupBox(QStringLiteral("Log"));
    txtLogFile = new QLineEdit;
    txtLogFile->setObjectName(QStringLiteral("txtLogFile"));
    txtLogFile->setReadOnly(true);
    txtLog = new QPlainTextEdit;
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtLog->setMaximumBlockCount(5000);
    txtLog->setMinimumHeight(180);
    auto *l = new QVBoxLayout(log);
    auto *percorso = new QHBoxLayout;
    percorso->addWidget(new QLabel(QStringLiteral("Percorso del file di log:")));
    percorso->addWidget(txtLogFile, 1);
    l->addLayout(percorso);
    l->addWidget(txtLog);

    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"));
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    auto *riga = new QHBoxLayout;
    riga->addStretch();
    riga->addWidget(cmdAnnulla);

    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(operazioni);
    tutto->addWidget(log, 1);
    tutto->addLayout(riga);
    resize(560, 420);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &frmFTP::avvia);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmFTP::annulla);

    // The dialogue reaches the log box in batches, so thousands of lines a
    // second cost the window nothing.
    m_log.setInterval(100);
    connect(&m_log, &QTimer::timeout, this, &frmFTP::scriviLog);
    Pubblicatore &p = m_pubblicatore;
    connect(&p, &Pubblicatore::titoloCambiato, this, &QWidget::setWindowTitle);
    connect(&p, &Pubblicatore::statoCambiato, lblFile, &QLabel::setText);
    connect(&p, &Pubblicatore::fileLogScelto, txtLogFile, &QLineEdit::setText);
    connect(&p, &Pubblicatore::rigaRegistrata, this, [this](const QString &r) { m_righe << r; });
    connect(&p, &Pubblicatore::intervalloCambiato, this, [this](int massimo) {
        barAggiornamento->setRange(0, qMax(massimo, 1));
        barAggiornamento->setValue(0);
    });
    connect(&p, &Pubblicatore::posizioneCambiata, barAggiornamento, &QProgressBar::setValue);
}

frmFTP::~frmFTP()
{
    if (m_thread) {
        // Never left running: the upload stops at once and is waited for.
        m_pubblicatore.annulla();
        m_thread->wait();
        delete m_thread;
    }
}

bool frmFTP::carica(QString *errore)
{
    return m_pubblicatore.carica(errore);
}

bool frmFTP::Mostra(QWidget *parent, const ContestoPubblicazione &contesto, ModoFTP modo, Messages &messages)
{
    frmFTP finestra(contesto, modo, messages, parent);
    if (!finestra.carica())
        return false;
    finestra.exec();
    return true;
}

void frmFTP::paintEvent(QPaintEvent *e)
{
    QDialog::paintEvent(e);
    if (!m_avviato && !Timer1.isActive())
        Timer1.start();
}

void frmFTP::avvia()
{
    Timer1.stop();
    if (m_avviato)
        return;
    m_avviato = true;
    if (m_pubblicatore.annullato()) {
        finito();
        return;
    }
    m_log.start();
    m_thread = QThread::create([this] { m_conclusione = m_pubblicatore.esegui(); });
    connect(m_thread, &QThread::finished, this, &frmFTP::finito);
    m_thread->start();
}

void frmFTP::scriviLog()
{
    if (m_righe.isEmpty())
        return;
    txtLog->appendPlainText(m_righe.join(u'\n'));
    m_righe.clear();
}

void frmFTP::annulla()
{
    cmdAnnulla->setEnabled(false);
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pubblicatore.annulla();
    Timer1.stop();
    if (!m_thread) {
        // Cancelled before the start: nothing runs, the window goes.
        m_avviato = true;
        finito();
    }
}

void frmFTP::finito()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_log.stop();
    scriviLog();
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    m_chiudibile = true;
    done(QDialog::Accepted);
    if (!m_conclusione.indirizzoDaAprire.isEmpty())
        Shell::apriDocumento(m_conclusione.indirizzoDaAprire);
}

void frmFTP::closeEvent(QCloseEvent *e)
{
    if (m_chiudibile) {
        QDialog::closeEvent(e);
        return;
    }
    // The close box: the upload stops, the window goes when it has.
    e->ignore();
    annulla();
}

void frmFTP::reject()
{
    if (m_chiudibile)
        QDialog::reject();
    else
        annulla();
}

CaricamentoPassword::Esito CaricamentoPasswordFTP::carica(bool accoda)
{
    frmFTP finestra(m_contesto, accoda ? ModoFTP::OTPAccoda : ModoFTP::OTP, m_messages, m_parent);
    if (!finestra.carica())
        return Esito::NonAvviato;
    finestra.exec();
    return finestra.conclusione().riuscito ? Esito::Inviati : Esito::Fallito;
}

void EseguiAggiornaSito(QWidget *parent, const ContestoPubblicazione &contesto, Messages &messages,
                        std::function<void(const QString &)> aiuto)
{
    FinestreAggiornamento finestre;
    finestre.avviso = [parent] { return frmAvviso::Mostra(parent); };
    finestre.impostaTrasferimento = [&] {
        return frmImpostaFTP::Conferma(parent, contesto.PercorsoNegozio, messages, aiuto);
    };
    finestre.pubblica = [&] { return frmFTP::Mostra(parent, contesto, ModoFTP::Normale, messages); };
    ComandoAggiornaSito(contesto.PercorsoNegozio, messages, finestre);
}
