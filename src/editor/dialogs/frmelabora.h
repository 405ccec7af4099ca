#pragma once
// The modal window shown while the site is built: it starts the build once
// it is on screen (Timer1), shows the progress, and lets the merchant cancel
// with the button or the close box; closing it closes every file the build
// left open.
#include "elabora.h"

#include "dialogo.h"
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

class frmElabora : public Dialogo, public Avanzamento {
    Q_OBJECT
public:
    frmElabora(const ShopState &stato, const Impostazioni &impostazioni, Messages &messages,
               QWidget *parent = nullptr);
    ~frmElabora() override;

    QTimer Timer1;

    Elaborazione &elaborazione() { return *m_elaborazione; }
    bool avviata() const { return m_avviata; }
    Elaborazione::Esito esito() const { return m_esito; }
    int avvii() const { return m_avvii; }

    // The build procedure, run by the timer.
    void MakePages();

    // What the build asks of the window.
    void intervallo(int massimo) override;
    void valore(int valore) override;
    void eventi() override;
    bool annullato() const override { return m_annullato; }
    void nascondi() override { hide(); }

protected:
    void paintEvent(QPaintEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override;  // Escape: like the close box

private:
    QProgressBar *barElaborazione;
    QPushButton *cmdAnnulla;
    QLabel *Label1;

    void tick();
    void annulla();

    std::unique_ptr<Elaborazione> m_elaborazione;
    bool m_avviata = false;
    bool m_annullato = false;
    int m_avvii = 0;
    Elaborazione::Esito m_esito = Elaborazione::Esito::Annullata;
};
