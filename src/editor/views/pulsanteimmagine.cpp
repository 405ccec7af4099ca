#include "pulsanteimmagine.h"

#include <QAction>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int passo = 1;     // pixels a press pushes the picture by
constexpr int altezza = 50;  // the picture's height
constexpr int icona = 32;    // the icon's side
constexpr int sinistra = 10; // the icon's left margin
constexpr int spazio = 8;    // between the icon and the caption
constexpr int destra = 12;   // right of the caption
}

PulsanteImmagine::PulsanteImmagine(int indice, QAction *azione, const QString &testo, QWidget *parent)
    : QLabel(parent), m_icona(azione->icon()), m_testo(testo)
{
    setObjectName(QStringLiteral("imgButton%1").arg(indice));
    setToolTip(testo);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(larghezzaAdatta(), altezza);
    setEnabled(azione->isEnabled());
    disegna();
    connect(azione, &QAction::enabledChanged, this, &QWidget::setEnabled);
    connect(this, &PulsanteImmagine::clicked, azione, &QAction::trigger);
}

QFont PulsanteImmagine::fontDidascalia() const
{
    QFont f = font();
    f.setBold(true);
    return f;
}

int PulsanteImmagine::larghezzaAdatta() const
{
    return sinistra + icona + spazio + QFontMetrics(fontDidascalia()).horizontalAdvance(m_testo) + destra;
}

QRect PulsanteImmagine::rettangoloDidascalia() const
{
    const int x = sinistra + icona + spazio;
    return QRect(x, 0, width() - x, height());
}

void PulsanteImmagine::disegna()
{
    const bool attivo = isEnabled();
    QPixmap p(size() * devicePixelRatioF());
    p.setDevicePixelRatio(devicePixelRatioF());
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sfondo(0, 0, 0, height());
    sfondo.setColorAt(0, attivo ? QColor(0xf7, 0xf9, 0xfc) : QColor(0xf4, 0xf4, 0xf4));
    sfondo.setColorAt(1, attivo ? QColor(0xdc, 0xe5, 0xf0) : QColor(0xe6, 0xe6, 0xe6));
    g.setBrush(sfondo);
    g.setPen(attivo ? QColor(0x9a, 0xad, 0xc4) : QColor(0xc4, 0xc4, 0xc4));
    g.drawRoundedRect(QRectF(0.5, 0.5, width() - 2, height() - 2), 6, 6);
    m_icona.paint(&g, QRect(sinistra, (height() - icona) / 2, icona, icona), Qt::AlignCenter,
                  attivo ? QIcon::Normal : QIcon::Disabled);
    g.setPen(attivo ? QColor(0x1f, 0x2d, 0x3d) : QColor(0x9a, 0x9a, 0x9a));
    g.setFont(fontDidascalia());
    g.drawText(rettangoloDidascalia(), Qt::AlignVCenter | Qt::AlignLeft, m_testo);
    g.end();
    setPixmap(p);
}

void PulsanteImmagine::changeEvent(QEvent *e)
{
    QLabel::changeEvent(e);
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange) {
        if (e->type() == QEvent::FontChange)
            setFixedWidth(larghezzaAdatta());
        disegna();
    }
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
