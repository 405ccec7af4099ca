#include "schermo.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QWidget>

namespace {

// The window a dialog belongs to, when it has one on screen.
const QWidget *padre(const QWidget *finestra)
{
    const QWidget *p = finestra->parentWidget() ? finestra->parentWidget()->window() : nullptr;
    return p && p->isVisible() ? p : nullptr;
}

// The size a window asks for: its layout's, as tall as its width needs
// (wrapped texts), no wider than `massimo`.
QSize dimensioneVoluta(const QWidget *finestra, const QSize &massimo)
{
    QSize s = finestra->sizeHint().expandedTo(finestra->minimumSizeHint());
    s.setWidth(std::min(s.width(), massimo.width()));
    if (const QLayout *l = finestra->layout(); l && l->hasHeightForWidth())
        s.setHeight(l->totalHeightForWidth(s.width()));
    return s;
}

} // namespace

QRect areaDisponibile(const QWidget *finestra)
{
    const QWidget *p = padre(finestra);
    QScreen *schermo = p ? p->screen() : finestra->screen();
    if (!schermo)
        schermo = QGuiApplication::primaryScreen();
    return schermo->availableGeometry();
}

namespace {

// The frame around a window: as drawn around it (or around its parent
// window) once known, else as last seen around a window of the program, or
// room for a title bar and borders.
QMargins cornice(const QWidget *finestra)
{
    // Until a frame has been seen: a title bar and thin borders, as most
    // window managers draw them; then the last one seen.
    static QMargins vista(5, 35, 5, 5);
    for (const QWidget *w : {finestra, padre(finestra)}) {
        if (!w || !w->isVisible())
            continue;
        const QRect dentro = w->geometry(), fuori = w->frameGeometry();
        const QMargins m(dentro.left() - fuori.left(), dentro.top() - fuori.top(), fuori.right() - dentro.right(),
                         fuori.bottom() - dentro.bottom());
        if (!m.isNull())
            return vista = m;
    }
    return vista;
}

// The largest size of the window's inside that fits the available area
// with its frame.
QSize spazioFinestra(const QWidget *finestra)
{
    const QMargins m = cornice(finestra);
    return areaDisponibile(finestra).size().shrunkBy(m);
}

// A window's frame moved, as little as needed, inside the area; a frame
// larger than the area keeps its top left corner in it.
QRect dentroArea(const QRect &telaio, const QRect &area)
{
    QRect r = telaio;
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.top() < area.top())
        r.moveTop(area.top());
    return r;
}

} // namespace

void adattaAlloSchermo(QWidget *finestra)
{
    // Measured afresh: what a scrolled area holds was laid out before its
    // controls had their fonts and texts, and the area keeps what it asked
    // for then.
    for (QLayout *l : finestra->findChildren<QLayout *>())
        l->invalidate();
    for (QScrollArea *a : finestra->findChildren<QScrollArea *>())
        a->updateGeometry();
    if (QLayout *l = finestra->layout())
        l->activate();
    const QSize spazio = spazioFinestra(finestra);
    const QSize voluta =
        finestra->testAttribute(Qt::WA_Resized) ? finestra->size() : dimensioneVoluta(finestra, spazio);
    QSize misura = voluta.boundedTo(spazio).expandedTo(finestra->minimumSize());
    // Wrapped texts take more lines as the window narrows: the window keeps
    // the height its texts need at its width, so that no field under them
    // is squeezed.
    if (const QLayout *l = finestra->layout(); l && l->hasHeightForWidth()) {
        const int testi = std::min(l->totalHeightForWidth(misura.width()), spazio.height());
        finestra->setMinimumHeight(testi);
        misura.setHeight(std::max(misura.height(), testi));
    }
    // The frame, placed; the window's geometry is its inside.
    const QMargins m = cornice(finestra);
    const QPoint angolo(m.left(), m.top());
    QRect telaio(finestra->geometry().topLeft() - angolo, misura.grownBy(m));
    const QRect area = areaDisponibile(finestra);
    if (!finestra->testAttribute(Qt::WA_Moved)) {
        const QWidget *p = padre(finestra);
        telaio.moveCenter(p ? p->frameGeometry().center() : area.center());
    }
    finestra->setGeometry(QRect(dentroArea(telaio, area).topLeft() + angolo, misura));
}

AreaScorrevole::AreaScorrevole(QWidget *contenuto, QWidget *parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setWidget(contenuto);
}

namespace {

// What a widget asks for at least: its hint, or the minimum set on it.
QSize minimoDi(const QWidget *w)
{
    return w->minimumSizeHint().expandedTo(w->minimumSize());
}

} // namespace

QSize AreaScorrevole::sizeHint() const
{
    const QSize s = widget()->sizeHint().expandedTo(minimoDi(widget()));
    const int h = widget()->hasHeightForWidth() ? widget()->heightForWidth(s.width()) : s.height();
    return QSize(s.width() + verticalScrollBar()->sizeHint().width(), h) + QSize(2, 2) * frameWidth();
}

QSize AreaScorrevole::minimumSizeHint() const
{
    const QSize s = minimoDi(widget());
    return QSize(s.width() + verticalScrollBar()->sizeHint().width(),
                 std::min(s.height(), fontMetrics().height() * 8))
           + QSize(2, 2) * frameWidth();
}
