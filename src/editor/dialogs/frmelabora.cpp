#include "frmelabora.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

frmElabora::frmElabora(const ShopState &stato, const Impostazioni &impostazioni, Messages &messages,
                       QWidget *parent)
    : Dialogo(parent), m_elaborazione(std::make_unique<Elaborazione>(stato, impostazioni, messages, this))
{
    setObjectName(QStringLiteral("frmElabora"));
    setWindowTitle(QStringLiteral("Vetrasto"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("Elaborazione in corso..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    barElaborazione = new QProgressBar(this);
    barElaborazione->setObjectName(QStringLiteral("barElaborazione"));
    barElaborazione->setTextVisible(false);
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(barElaborazione);
    layout->addWidget(cmdAnnulla, 0, Qt::AlignHCenter);
    resize(360, 120);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    Timer1.setSingleShot(false);
    connect(&Timer1, &QTimer::timeout, this, &frmElabora::tick);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmElabora::annulla);
}

void frmElabora::intervallo(int massimo)
{
    barElaborazione->setRange(0, massimo);
}

void frmElabora::valore(int valore)
{
    barElaborazione->setValue(qMin(valore, barElaborazione->maximum()));
}

void frmElabora::eventi()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

frmElabora::~frmElabora()
{
    // The unload: every file the build left open is closed.
    m_elaborazione->chiudiFile();
}

void frmElabora::paintEvent(QPaintEvent *e)
{
    QDialog::paintEvent(e);
    if (!m_avviata && !Timer1.isActive())
        Timer1.start();
}

void frmElabora::tick()
{
    if (m_avviata)
        return;
    Timer1.stop();
    m_avviata = true;
    QCoreApplication::processEvents();
    repaint();
    MakePages();
}

void frmElabora::MakePages()
{
    ++m_avvii;
    m_esito = m_elaborazione->MakePages();
    // Hiding ends the modal state; after a cancel the window is hidden already.
    if (isVisible())
        hide();
    done(QDialog::Accepted);
}

void frmElabora::annulla()
{
    m_annullato = true;
    // Cancelled before its start, the build is not started later on either.
    Timer1.stop();
    hide();
}

void frmElabora::closeEvent(QCloseEvent *e)
{
    if (e->spontaneous()) {
        // The close box: stop the build at its next test.
        e->ignore();
        annulla();
        return;
    }
    QDialog::closeEvent(e);
}

void frmElabora::reject()
{
    annulla();
}
