#include "frmabout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

frmAbout::frmAbout(const bool &avvioCompletato, QWidget *parent) : Dialogo(parent), m_avvioCompletato(avvioCompletato)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Informazioni su Vetrasto"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(immagine());
    lblVersione = new QLabel(testoVersione(), this);
    lblVersione->setObjectName(QStringLiteral("lblVersione"));
    lblVersione->setAlignment(Qt::AlignRight);
    auto *colonna = new QVBoxLayout(this);
    colonna->setContentsMargins(0, 0, 0, 8);
    colonna->addWidget(Picture1);
    auto *versione = new QHBoxLayout;
    versione->setContentsMargins(12, 0, 12, 0);
    versione->addWidget(new QLabel(QStringLiteral("Il catalogo e il sito del tuo negozio online"), this));
    versione->addStretch(1);
    versione->addWidget(lblVersione);
    colonna->addLayout(versione);

    Timer1.setInterval(10000);
    connect(&Timer1, &QTimer::timeout, this, &frmAbout::EsciDaAbout);
    Timer1.start();
    // One tick only: a modal question asked while the main window loads
    // must not start it a second time.
    Timer2.setInterval(1000);
    Timer2.setSingleShot(true);
    connect(&Timer2, &QTimer::timeout, this, [this] {
        if (!m_avvioCompletato && avvia)
            avvia();
    });
    Timer2.start();
}

QString frmAbout::testoVersione()
{
    return QStringLiteral("Versione ") + QStringLiteral(VETRASTO_VERSIONE) + QStringLiteral(" rc3");
}

QPixmap frmAbout::immagine()
{
    QPixmap p(520, 260);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sfondo(0, 0, 520, 260);
    sfondo.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
    sfondo.setColorAt(1, QColor(0x2e, 0x86, 0x8c));
    g.fillRect(p.rect(), sfondo);
    // A shop window: an awning over a counter.
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(255, 255, 255, 230));
    g.drawRoundedRect(QRectF(40, 90, 120, 110), 8, 8);
    for (int i = 0; i < 5; ++i) {
        g.setBrush(i % 2 ? QColor(0xf2, 0xa5, 0x41) : QColor(255, 255, 255));
        QPainterPath tenda;
        tenda.moveTo(40 + i * 24, 70);
        tenda.lineTo(64 + i * 24, 70);
        tenda.lineTo(64 + i * 24, 96);
        tenda.arcTo(QRectF(40 + i * 24, 84, 24, 24), 0, -180);
        tenda.closeSubpath();
        g.drawPath(tenda);
    }
    g.setBrush(QColor(0x1f, 0x4e, 0x79));
    g.drawRect(QRectF(60, 130, 32, 70));
    g.drawRect(QRectF(106, 130, 36, 30));
    g.setPen(Qt::white);
    QFont titolo(QStringLiteral("Sans Serif"), 44, QFont::Bold);
    g.setFont(titolo);
    g.drawText(QRectF(190, 80, 320, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vetrasto"));
    QFont sotto(QStringLiteral("Sans Serif"), 13);
    g.setFont(sotto);
    g.drawText(QRectF(194, 148, 320, 40), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("catalogo, sito e pubblicazione"));
    return p;
}

void frmAbout::EsciDaAbout()
{
    if (m_avvioCompletato)
        close();
}

void frmAbout::mousePressEvent(QMouseEvent *)
{
    EsciDaAbout();
}

void frmAbout::keyPressEvent(QKeyEvent *)
{
    EsciDaAbout();
}

void frmAbout::closeEvent(QCloseEvent *e)
{
    // During start-up only the program closes the splash.
    if (!m_avvioCompletato && avvia && e->spontaneous()) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}
