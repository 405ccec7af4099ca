#pragma once
// The base of the program's dialogs: each time one is shown it fits the
// merchant's screen, sized as it asks (never larger than the screen
// allows) and placed, frame included, inside the screen's available area.
// What may be taller than a small screen sits in an AreaScorrevole.
#include <QDialog>

class Dialogo : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    // Measured once its controls are shown with the style's fonts, before
    // the window reaches the screen.
    void showEvent(QShowEvent *e) override;
};
