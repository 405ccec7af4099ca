#pragma once
// Catalogue pictures: choosing the picture of a row's picture
// field through the chooser, and showing a stored picture centred in its
// frame of the main window. The logic is here; the window only shows the
// picture that comes back.
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

class DataSource;
class DatiPrincipali;
class FinestraPrincipale;
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
// row and stores name and size ("imgX" & n, "imgY" & n) in it. A cancelled
// chooser changes nothing. Without a current row nothing happens.
void ImpostaImmagine(Recordset &rs, int n, SceltaImmagineModale &scelta);

enum class FamigliaImmagine { Articolo, Reparto, Negozio };

// "- immagine0", "- immagine cat1", "- immagine neg0", ...
QString nomeComandoElimina(FamigliaImmagine famiglia, int n);
// The picture control and its frame: "imgArticolo0" in "picImmagineArticolo0", ...
QString nomeControllo(FamigliaImmagine famiglia, int n);
QString nomeCornice(FamigliaImmagine famiglia, int n);
// dataArticoli, dataCategorie, dataGenerale.
DataSource &sorgenteImmagine(DatiPrincipali &dati, FamigliaImmagine famiglia);

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

// The whole procedure for the window: prepares picture n of the family's
// data source and enables or disables its delete command.
ImmagineInCornice MostraImmagine(FinestraPrincipale &finestra, FamigliaImmagine famiglia, int n,
                                 const QString &cartellaNegozio, QSize cornice);
