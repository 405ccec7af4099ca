#include "pulsanteimmagine.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int passo = 1;  // pixels a press pushes the picture by
}

PulsanteImmagine::PulsanteImmagine(int indice, QAction *azione, const QString &testo, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("imgButton%1").arg(indice));
    setToolTip(testo);
    setCursor(Qt::PointingHandCursor);
    const QSize misura(fontMetrics().horizontalAdvance(testo) + 64, 50);
    setFixedSize(misura);
    setPixmap(immagine(azione->icon(), testo, misura));
    connect(this, &PulsanteImmagine::clicked, azione, &QAction::trigger);
}

QPixmap PulsanteImmagine::immagine(const QIcon &icona, const QString &testo, QSize misura)
{
    QPixmap p(misura);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sfondo(0, 0, 0, misura.height());
    sfondo.setColorAt(0, QColor(0xf7, 0xf9, 0xfc));
    sfondo.setColorAt(1, QColor(0xdc, 0xe5, 0xf0));
    g.setBrush(sfondo);
    g.setPen(QColor(0x9a, 0xad, 0xc4));
    g.drawRoundedRect(QRectF(0.5, 0.5, misura.width() - 2, misura.height() - 2), 6, 6);
    icona.paint(&g, QRect(10, (misura.height() - 32) / 2, 32, 32));
    g.setPen(QColor(0x1f, 0x2d, 0x3d));
    QFont f = g.font();
    f.setBold(true);
    g.setFont(f);
    g.drawText(QRect(50, 0, misura.width() - 54, misura.height()), Qt::AlignVCenter | Qt::AlignLeft, testo);
    return p;
}

void PulsanteImmagine::mousePressEvent(QMouseEvent *e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    if (m_spinta == 0)
        m_riposo = pos();
    m_spinta += passo;
    move(m_riposo + QPoint(m_spinta, m_spinta));
}

void PulsanteImmagine::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const bool premuto = m_spinta > 0;
    if (premuto)
        move(m_riposo);
    m_spinta = 0;
    if (premuto && rect().contains(e->position().toPoint()))
        emit clicked();
}
