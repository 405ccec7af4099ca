#pragma once
// Catalogue pictures: choosing the picture of a row's picture field through
// the chooser, and preparing a stored picture to be shown centred in a frame.
// The logic is here; the window only shows the picture that comes back.
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

class Recordset;

// What the chooser hands back: the file name in the shop's work folder and
// the picture's size as the preview showed it. An empty name: cancelled.
struct RisultatoScelta {
    QString nome;
    QSize misura;
};

// How ImpostaImmagine shows the chooser: the dialog in the program, a double
// (or the chooser's logic driven headless) in tests.
class SceltaImmagineModale {
public:
    virtual ~SceltaImmagineModale() = default;
    // Shows the chooser, preset with the field's current name when it is not
    // empty, and waits for it to close.
    virtual RisultatoScelta scegli(const QString &nomeAttuale) = 0;
};

// Lets the user choose picture n ("immagine" & n) of the recordset's current
// row and stores name and size ("imgX" & n, "imgY" & n) in it; true then. A
// cancelled chooser changes nothing. Without a current row nothing happens.
bool ImpostaImmagine(Recordset &rs, int n, SceltaImmagineModale &scelta);

// The offset that centres a picture in its frame along one side: half the
// difference, truncated, when the picture is smaller, else 0.
int scostamento(int cornice, int immagine);

// What a picture control shows.
struct ImmagineInCornice {
    bool visibile = false;
    QString file;        // the file loaded
    QSize misura;        // the picture's own size
    QPoint posizione;    // top-left corner in the frame
    QImage immagine;     // the part of the picture that the frame shows
};

// The showing steps without the window: the file named by field
// "immagine" & n of the current row, loaded from the work folder and placed.
ImmagineInCornice preparaImmagine(const Recordset &rs, int n, const QString &cartellaNegozio, QSize cornice);
