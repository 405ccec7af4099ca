#pragma once
// frmAbout, the program's picture and version, serving twice: at start-up
// it is the splash, whose one-second timer brings up the main window and
// which the main window's first activation closes; later the help menu shows
// it as the about box, closed by a click, a key or ten seconds.
#include "dialogo.h"
#include <QTimer>
#include <functional>

class QLabel;

class frmAbout : public Dialogo {
    Q_OBJECT
public:
    // avvioCompletato: the shop state's flag telling the two uses apart.
    explicit frmAbout(const bool &avvioCompletato, QWidget *parent = nullptr);

    QTimer Timer1;  // closes the about box after ten seconds
    QTimer Timer2;  // at start-up, shows the main window after one second

    // What Timer2 does while start-up is not complete.
    std::function<void()> avvia;
    // Closes the window once start-up is complete; during start-up nothing.
    void EsciDaAbout();

    // "Versione 1.0.0 rc3": the program's version as the window shows it.
    static QString testoVersione();
    // The program's picture.
    static QPixmap immagine();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    QLabel *lblVersione;
    QLabel *Picture1;

    const bool &m_avvioCompletato;
};
