// Fuzzing the picture loader. Each input is written to a file and opened as
// the picture chooser opens one: its header read first, then the picture
// shrunk into a small box and written as a JPEG, and read at its own size
// with only the top-left corner kept. A failure must come with a message;
// a success must give the sizes asked for, from the size the header told.
//
// Pictures within the program's limits but larger than 512 × 512 pixels are
// read for their header only: decoding them is correct but slow, and the
// fuzzer's time is better spent on many small files.
#include "caricaimmagine.h"
#include "cdibsection.h"
#include "riduzione.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr qint64 PixelFuzz = 512 * 512;
constexpr int Scatola = 48;          // the box the picture is shrunk into
constexpr int Angolo = 32;           // the corner kept at its own size

void fallisci(const char *perche, const QString &dettaglio = {})
{
    std::fprintf(stderr, "fuzz_pictures: %s %s\n", perche, qPrintable(dettaglio));
    std::abort();
}

QTemporaryDir *cartella;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    cartella = new QTemporaryDir;
    if (!cartella->isValid())
        fallisci("no temporary folder");
    std::atexit([] { delete cartella; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString file = cartella->filePath(QStringLiteral("immagine"));
    const QString jpeg = cartella->filePath(QStringLiteral("ridotta.jpg"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            fallisci("cannot write the input file");
    }

    InfoImmagine info;
    QString errore;
    if (!CaricaImmagine::informazioni(file, info, &errore)) {
        if (errore.isEmpty())
            fallisci("informazioni failed without a message");
        return 0;
    }
    if (info.width <= 0 || info.height <= 0 || info.width > CaricaImmagine::LatoMassimo
        || info.height > CaricaImmagine::LatoMassimo || qint64(info.width) * info.height > CaricaImmagine::PixelMassimi)
        fallisci("informazioni accepted a size outside the limits");
    if (qint64(info.width) * info.height > PixelFuzz)
        return 0;

    QSize misura;
    errore.clear();
    if (Riduzione::riduciInJpeg(file, Scatola, Scatola, jpeg, 75, &errore, &misura)) {
        const auto m = Riduzione::adatta(info.width, info.height, Scatola, Scatola);
        if (misura != QSize(m.larghezza, m.altezza))
            fallisci("the shrunk picture has another size");
    } else if (errore.isEmpty()) {
        fallisci("riduciInJpeg failed without a message");
    }

    PixelBGR pixel;
    errore.clear();
    if (CaricaImmagine::decodifica(file, pixel, &errore, {}, QSize(Angolo, Angolo))) {
        if (pixel.isNull() || pixel.width != std::min(info.width, Angolo) || pixel.height != std::min(info.height, Angolo))
            fallisci("the corner's size does not follow the size told by informazioni");
    } else if (errore.isEmpty()) {
        fallisci("decodifica failed without a message");
    }
    return 0;
}
