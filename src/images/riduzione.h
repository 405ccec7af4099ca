#pragma once
// The shrinking engine: a picture file brought down to a given size with a
// good filter. A JPEG is first decoded by libjpeg-turbo at a reduced scale
// (ottaviDecodifica), then the Lanczos filter makes the exact size
// (Ridimensiona), band by band as the rows are decoded. Other formats are
// decoded whole.
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

// A JPEG is decoded at a reduced scale, then filtered to the wanted size.
// The scales are those libjpeg-turbo decodes with vector code, 1/8, 1/4,
// 1/2 and 1 (the others, such as 3/8 or 6/8, decode slower than the whole
// picture and give nothing better), and the smallest is taken that still
// leaves the filter at least twice the wanted size: closer, the block-wise
// reduction of the decoder shows in the result (vetrasto-bench pictures
// --scales measures each scale).
constexpr double MargineDecodifica = 2.0;
// The scale as n of n/8, for a picture of size origine brought to voluta.
int ottaviDecodifica(QSize origine, QSize voluta);
// The size libjpeg decodes a picture of size origine to at scale n/8.
QSize misuraDecodifica(QSize origine, int ottavi);

// The picture of the file resampled to exactly size (at most its own size).
// nullptr with a message in errore when it cannot be read.
std::unique_ptr<cDIBSection> leggiRidotta(const QString &path, QSize size, QString *errore, int threads = 0);
// The same for a file whose picture is origine large (read from its header
// by the caller); a JPEG decoded at scale ottavi/8, by default the one
// ottaviDecodifica chooses.
std::unique_ptr<cDIBSection> leggiRidotta(const QString &path, QSize origine, QSize size, QString *errore,
                                          int threads = 0, int ottavi = 0);

// The whole job: the file fitted into maxW × maxH and written as a JPEG of
// the given quality. False with a message in errore; nothing is written then.
bool riduciInJpeg(const QString &path, int maxW, int maxH, const QString &destinazione, int qualita,
                  QString *errore, QSize *misura = nullptr);

}  // namespace Riduzione
