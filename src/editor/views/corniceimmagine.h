#pragma once
// The main window's picture frames: a fixed box (picImmagineArticolo0,
// picSfondoImmCat1, ...) holding a picture control (imgArticolo0, ...) that
// shows picture n of the current article, department or shop at its own
// size, centred when smaller, clipped when larger. A frame follows the store:
// it shows its picture again whenever its row changes or is written, and
// switches its delete command ("- immagine0", "- immagine cat1", ...) on
// while a picture is shown.
#include "datiprincipali.h"
#include "immaginicatalogo.h"

#include <QFrame>

class Negozio;
class QLabel;
class RegistroComandi;

class CorniceImmagine : public QFrame {
    Q_OBJECT
public:
    static constexpr int Lato = 184;

    CorniceImmagine(FamigliaImmagine famiglia, int n, Negozio &negozio, RegistroComandi &comandi,
                    QWidget *parent = nullptr);
    FamigliaImmagine famiglia() const { return m_famiglia; }
    int numero() const { return m_n; }
    QLabel *immagine() const { return m_immagine; }

    // "- immagine0", "- immagine cat1", "- immagine neg0", ...
    static QString nomeComandoElimina(FamigliaImmagine famiglia, int n);
    // The caption of the picture: "Immagine 1", "Logo del negozio (piccolo):", ...
    static QString didascalia(FamigliaImmagine famiglia, int n);
    // Shows the picture of the current row again.
    void aggiorna();

private:
    void mostra(const ImmagineInCornice &r);

    FamigliaImmagine m_famiglia;
    int m_n;
    Negozio &m_negozio;
    RegistroComandi &m_comandi;
    QLabel *m_immagine;
};
