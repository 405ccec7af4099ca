#include "riduzione.h"

#include "caricaimmagine.h"
#include "cdibsection.h"
#include "imageerror.h"
#include "jpegwriter.h"
#include "ridimensiona.h"

#include <algorithm>
#include <cmath>

Riduzione::Misura Riduzione::adatta(int larghezza, int altezza, double maxW, double maxH)
{
    float w = float(larghezza), h = float(altezza);
    bool ridotta = false;
    if (w > maxW) {
        h = float(maxW / double(w) * double(h));
        w = float(maxW);
        ridotta = true;
    }
    if (h > maxH) {
        w = float(maxH / double(h) * double(w));
        h = float(maxH);
        ridotta = true;
    }
    // Whole pixels, towards zero, and never less than one.
    return {std::max(1, int(w)), std::max(1, int(h)), ridotta};
}

int Riduzione::ottaviDecodifica(QSize origine, QSize voluta)
{
    for (int ottavi : {1, 2, 4})
        if (misuraDecodifica(origine, ottavi).width() >= voluta.width() * MargineDecodifica
            && misuraDecodifica(origine, ottavi).height() >= voluta.height() * MargineDecodifica)
            return ottavi;
    return 8;
}

QSize Riduzione::misuraDecodifica(QSize origine, int ottavi)
{
    // libjpeg's own rounding: up.
    return {(origine.width() * ottavi + 7) / 8, (origine.height() * ottavi + 7) / 8};
}

std::unique_ptr<cDIBSection> Riduzione::leggiRidotta(const QString &path, QSize size, QString *errore, int threads)
{
    InfoImmagine info;
    if (!CaricaImmagine::informazioni(path, info, errore))
        return nullptr;
    return leggiRidotta(path, QSize(info.width, info.height), size, errore, threads);
}

std::unique_ptr<cDIBSection> Riduzione::leggiRidotta(const QString &path, QSize origine, QSize size, QString *errore,
                                                     int threads, int ottavi)
{
    if (size.width() <= 0 || size.height() <= 0) {
        if (errore)
            *errore = QStringLiteral("Dimensioni dell'immagine non valide.");
        return nullptr;
    }
    auto bitmap = std::make_unique<cDIBSection>();
    if (!bitmap->Create(size.width(), size.height())) {
        if (errore)
            *errore = QStringLiteral("Memoria insufficiente per un'immagine di %1 × %2 pixel.")
                          .arg(size.width())
                          .arg(size.height());
        return nullptr;
    }
    // The filter works on the rows already decoded while the rest are.
    PixelBGR pixel;  // outlives the filter's threads
    Ridimensiona::Riduttore riduttore(*bitmap, threads);
    // The smallest decoded size; formats other than JPEG are decoded whole.
    const QSize minimo = misuraDecodifica(origine, ottavi > 0 ? ottavi : ottaviDecodifica(origine, size));
    if (!CaricaImmagine::decodifica(path, pixel, errore, minimo, {},
                                    [&](const PixelBGR &p, int righe) { riduttore.righe(p, righe); }))
        return nullptr;
    riduttore.concludi();
    return bitmap;
}

bool Riduzione::riduciInJpeg(const QString &path, int maxW, int maxH, const QString &destinazione, int qualita,
                             QString *errore, QSize *misura)
{
    InfoImmagine info;
    if (!CaricaImmagine::informazioni(path, info, errore))
        return false;
    const Misura m = adatta(info.width, info.height, maxW, maxH);
    const QSize size(m.larghezza, m.altezza);
    auto bitmap = leggiRidotta(path, QSize(info.width, info.height), size, errore);
    if (!bitmap)
        return false;
    try {
        SaveDIBToJPEG(*bitmap, destinazione, qualita);
    } catch (const ImageError &e) {
        if (errore)
            *errore = e.description;
        return false;
    }
    if (misura)
        *misura = size;
    return true;
}
