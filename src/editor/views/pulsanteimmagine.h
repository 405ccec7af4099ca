#pragma once
// The large picture buttons in the strip at the top of the main window
// (imgButton): a picture with a tool tip and a hand pointer; a left press
// pushes the picture one pixel right and down and the release puts it back
// (the press's offset is kept in the button, so a release that comes without
// a press moves nothing); a click triggers the button's command. The button
// follows its command's enabling: greyed, and deaf to the mouse, while the
// command is off. Its width fits the caption in the bold font it is drawn in.
#include <QLabel>

class QAction;

class PulsanteImmagine : public QLabel {
    Q_OBJECT
public:
    PulsanteImmagine(int indice, QAction *azione, const QString &testo, QWidget *parent = nullptr);

    // The offset the picture is pushed by now (0 at rest).
    int spinta() const { return m_spinta; }
    // The font the caption is drawn in.
    QFont fontDidascalia() const;
    // Where the caption is drawn: the picture less the icon and the margins.
    QRect rettangoloDidascalia() const;

signals:
    void clicked();

protected:
    void changeEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    // The width that holds the icon and the whole caption.
    int larghezzaAdatta() const;
    // Draws the button's picture, greyed when it is disabled.
    void disegna();

    QIcon m_icona;
    QString m_testo;
    int m_spinta = 0;
    QPoint m_riposo;
};
