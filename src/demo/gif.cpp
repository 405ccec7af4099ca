#include "gif.h"

#include <QFile>

namespace {

// LZW with 9-bit codes only: a clear code before the table would need a
// tenth bit keeps every decoder in step, at the cost of some size.
QByteArray comprimi(const QImage &img)
{
    QByteArray out;
    quint32 accumulo = 0;
    int bit = 0;
    auto emetti = [&](int codice) {
        accumulo |= quint32(codice) << bit;
        bit += 9;
        while (bit >= 8) {
            out.append(char(accumulo & 0xFF));
            accumulo >>= 8;
            bit -= 8;
        }
    };
    const int clear = 256, fine = 257;
    int inCorsa = 0;
    emetti(clear);
    for (int y = 0; y < img.height(); ++y) {
        const uchar *riga = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x) {
            if (inCorsa == 250) {
                emetti(clear);
                inCorsa = 0;
            }
            emetti(riga[x]);
            ++inCorsa;
        }
    }
    emetti(fine);
    if (bit > 0)
        out.append(char(accumulo & 0xFF));
    return out;
}

} // namespace

bool ScriviGif(const QImage &immagine, const QString &file)
{
    QImage img = immagine.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    QList<QRgb> tavola = img.colorTable();
    int trasparente = -1;
    for (int i = 0; i < tavola.size(); ++i)
        if (qAlpha(tavola[i]) < 128) {
            trasparente = i;
            break;
        }
    while (tavola.size() < 256)
        tavola.append(qRgb(0, 0, 0));
    QByteArray g("GIF89a");
    auto parola = [&](int v) {
        g.append(char(v & 0xFF));
        g.append(char((v >> 8) & 0xFF));
    };
    parola(img.width());
    parola(img.height());
    g.append(char(0xF7));  // global table of 256 colours
    g.append(char(0));
    g.append(char(0));
    for (QRgb c : tavola) {
        g.append(char(qRed(c)));
        g.append(char(qGreen(c)));
        g.append(char(qBlue(c)));
    }
    if (trasparente >= 0) {
        g.append("\x21\xF9\x04\x01\x00\x00", 6);
        g.append(char(trasparente));
        g.append(char(0));
    }
    g.append(',');
    parola(0);
    parola(0);
    parola(img.width());
    parola(img.height());
    g.append(char(0));
    g.append(char(8));
    const QByteArray dati = comprimi(img);
    for (qsizetype i = 0; i < dati.size(); i += 255) {
        const QByteArray pezzo = dati.mid(i, 255);
        g.append(char(pezzo.size()));
        g.append(pezzo);
    }
    g.append(char(0));
    g.append(';');
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(g) == g.size();
}
