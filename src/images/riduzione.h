#pragma once
// The shrinking engine: a picture file brought down to a given size with a
// good filter. A JPEG is first decoded by libjpeg-turbo at a reduced scale
// that still leaves at least twice the wanted size, then the Lanczos filter
// makes the exact size (Ridimensiona). Other formats are decoded whole.
#include <QSize>
#include <QString>
#include <memory>

class cDIBSection;

namespace Riduzione {

// The fitting rule of the picture chooser: a picture wider than maxW is
// brought to width maxW, then one still higher than maxH to height maxH,
// keeping its proportions (single precision, as the chooser computes it),
// then cut to whole pixels. Only a strictly larger side is reduced; nothing
// is enlarged. Each side stays at least 1 pixel.
struct Misura {
    int larghezza = 0;
    int altezza = 0;
    bool ridotta = false;
};
Misura adatta(int larghezza, int altezza, double maxW, double maxH);

// How much larger than the wanted size a JPEG is decoded before the filter.
constexpr double MargineDecodifica = 2.0;

// The picture of the file resampled to exactly size (at most its own size).
// nullptr with a message in errore when it cannot be read.
std::unique_ptr<cDIBSection> leggiRidotta(const QString &path, QSize size, QString *errore, int threads = 0);

// The whole job: the file fitted into maxW × maxH and written as a JPEG of
// the given quality. False with a message in errore; nothing is written then.
bool riduciInJpeg(const QString &path, int maxW, int maxH, const QString &destinazione, int qualita,
                  QString *errore, QSize *misura = nullptr);

}  // namespace Riduzione
