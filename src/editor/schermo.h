#pragma once
// Windows that fit the merchant's screen, however small: where a window may
// stand (the screen's available area, less the panels of the desktop, less
// the frame the window manager draws), how a window is placed and sized
// into it, and a scrolled area for content that may be taller than the
// screen.
#include <QRect>
#include <QScrollArea>

class QWidget;

// The available area of the screen a window shows on: its parent window's
// screen when it has one, else its own.
QRect areaDisponibile(const QWidget *finestra);

// Sizes and places a window before it shows: the size it asks for (or has
// been given), no larger than the screen allows, centred on its parent
// window or where it stands, and its frame inside the available area.
void adattaAlloSchermo(QWidget *finestra);

// A scrolled area as tall and as wide as its content asks for, so that it
// scrolls only when the window is too small for the content; the
// content's width is kept whole (room for the vertical scroll bar
// included), its height may shrink to a few lines.
class AreaScorrevole : public QScrollArea {
public:
    explicit AreaScorrevole(QWidget *contenuto, QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};
