#pragma once
// The large picture buttons in the strip at the top of the main window
// (imgButton): a picture with a tool tip and a hand pointer; a left press
// pushes the picture one pixel right and down and the release puts it back
// (the press's offset is kept in the button, so a release that comes without
// a press moves nothing); a click triggers the button's command.
#include <QLabel>

class QAction;

class PulsanteImmagine : public QLabel {
    Q_OBJECT
public:
    PulsanteImmagine(int indice, QAction *azione, const QString &testo, QWidget *parent = nullptr);

    // The offset the picture is pushed by now (0 at rest).
    int spinta() const { return m_spinta; }
    // The picture of a button: its icon and caption.
    static QPixmap immagine(const QIcon &icona, const QString &testo, QSize misura);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    int m_spinta = 0;
    QPoint m_riposo;
};
