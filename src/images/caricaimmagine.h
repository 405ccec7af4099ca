#pragma once
// Reading picture files: BMP, JPEG, GIF and PNG, told apart by their content.
// JPEG files are decoded with libjpeg-turbo, which can decode at a reduced
// scale (1/8 to 8/8) and so reads a large photograph quickly into a picture
// a little larger than the one wanted; the other formats go through Qt's
// readers. Every failure comes back as a message for the merchant: a file
// that is not a picture, an empty or truncated file, a picture too large.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// Pixels top row first, 3 bytes per pixel (blue, green, red), rows packed.
struct PixelBGR {
    int width = 0;
    int height = 0;
    std::unique_ptr<uint8_t[]> data;
    bool isNull() const { return !data; }
    size_t stride() const { return size_t(width) * 3; }
    uint8_t *row(int y) { return data.get() + size_t(y) * stride(); }
    const uint8_t *row(int y) const { return data.get() + size_t(y) * stride(); }
    bool riserva(int w, int h);
};

struct InfoImmagine {
    int width = 0;
    int height = 0;
    QByteArray formato;  // "bmp", "jpeg", "gif", "png"
};

namespace CaricaImmagine {

// The largest picture accepted: 16384 pixels a side and 120 million pixels.
constexpr int LatoMassimo = 16384;
constexpr qint64 PixelMassimi = 120'000'000;

// The file's format from its first bytes; empty when it is none of the four.
QByteArray formato(const QString &path);

// Size and format from the file's header, without decoding. False with a
// message in errore when the file cannot be used (see above).
bool informazioni(const QString &path, InfoImmagine &info, QString *errore);

// Told while a picture is decoded how many rows of `out`, from the top, are
// complete (rows stay where they are); told -1 when the decoding failed,
// before `out` is released: from then on `out` must not be read.
using RigheDecodificate = std::function<void(const PixelBGR &out, int righe)>;

// Decodes the whole picture. With minimo set, a JPEG is decoded at the
// smallest scale n/8 whose size is still at least minimo on both sides (the
// other formats at their own size). With ritaglio set, only the top-left part
// of that size is kept (the whole file is still read and checked). Transparent
// parts are put on white. False with a message in errore.
bool decodifica(const QString &path, PixelBGR &out, QString *errore, QSize minimo = {}, QSize ritaglio = {},
                const RigheDecodificate &avanzamento = {});

}  // namespace CaricaImmagine
