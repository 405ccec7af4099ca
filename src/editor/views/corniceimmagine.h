#pragma once
// The main window's picture frames: a fixed box (picImmagineArticolo0,
// picSfondoImmCat1, ...) holding a picture control (imgArticolo0, ...) that
// shows a picture at its own size, centred when smaller, clipped when larger.
#include "immaginicatalogo.h"

#include <QFrame>

class QLabel;

class CorniceImmagine : public QFrame {
public:
    static constexpr int Lato = 184;

    CorniceImmagine(FamigliaImmagine famiglia, int n, QWidget *parent = nullptr);
    FamigliaImmagine famiglia() const { return m_famiglia; }
    int numero() const { return m_n; }
    QLabel *immagine() const { return m_immagine; }
    // The caption of the picture: "Immagine 1", "Logo del negozio (piccolo):", ...
    static QString didascalia(FamigliaImmagine famiglia, int n);

    // Shows what MostraImmagine prepared (hidden when it is not visible).
    void mostra(const ImmagineInCornice &r);
    // The whole showing procedure for this frame.
    void aggiorna(FinestraPrincipale &finestra, const QString &cartellaNegozio);

    // Puts the frames of a family side by side, with their captions, at the
    // top of a page of the main window; returns them in order of n.
    static QList<CorniceImmagine *> aggiungi(QWidget *pagina, FamigliaImmagine famiglia);

private:
    FamigliaImmagine m_famiglia;
    int m_n;
    QLabel *m_immagine;
};
