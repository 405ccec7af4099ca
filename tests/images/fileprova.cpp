#include "fileprova.h"

#include "cdibsection.h"
#include "jpegwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace FileProva {

QImage quarti(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    const int mw = w / 2, mh = h / 2;
    p.fillRect(0, 0, mw, mh, QColor(255, 0, 0));
    p.fillRect(mw, 0, w - mw, mh, QColor(0, 255, 0));
    p.fillRect(0, mh, mw, h - mh, QColor(0, 0, 255));
    p.fillRect(mw, mh, w - mw, h - mh, QColor(255, 255, 0));
    return img;
}

QImage tinta(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QString scriviByte(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return path;
}

// A GIF file (Qt reads GIF but does not write it): the picture in 256
// colours, coded with LZW that clears its table before codes grow past 9
// bits, which every decoder reads.
static QByteArray gif(const QImage &img)
{
    const QImage ix = img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    QByteArray out("GIF89a");
    auto u16 = [&](int v) {
        out.append(char(v & 0xff));
        out.append(char((v >> 8) & 0xff));
    };
    u16(ix.width());
    u16(ix.height());
    out.append(char(0xF7));  // global table of 256 colours
    out.append(char(0));
    out.append(char(0));
    const QList<QRgb> table = ix.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table[i] : 0;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append(char(0x2C));
    u16(0);
    u16(0);
    u16(ix.width());
    u16(ix.height());
    out.append(char(0));
    out.append(char(8));  // minimum code size
    QByteArray data;
    quint32 bits = 0;
    int nbits = 0;
    auto code = [&](int c) {
        bits |= quint32(c) << nbits;
        nbits += 9;
        while (nbits >= 8) {
            data.append(char(bits & 0xff));
            bits >>= 8;
            nbits -= 8;
        }
    };
    int count = 0;
    code(256);
    for (int y = 0; y < ix.height(); ++y)
        for (int x = 0; x < ix.width(); ++x) {
            if (count == 254) {
                code(256);
                count = 0;
            }
            code(ix.pixelIndex(x, y));
            ++count;
        }
    code(257);
    if (nbits > 0)
        data.append(char(bits & 0xff));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));
    out.append(char(0x3B));
    return out;
}

QString scrivi(const QString &path, const QImage &img, const char *formato, int qualita)
{
    if (qstrcmp(formato, "gif") == 0)
        return scriviByte(path, gif(img));
    if (qstrcmp(formato, "jpg") == 0) {
        cDIBSection dib;
        dib.CreateFromPicture(img);
        return scriviByte(path, encodeJpeg(dib, qualita));
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!img.save(path, formato))
        qFatal("cannot write %s as %s", qPrintable(path), formato);
    return path;
}

static quint32 crc32(const QByteArray &data)
{
    quint32 c = 0xffffffffu;
    for (const char ch : data) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
    }
    return c ^ 0xffffffffu;
}

QByteArray conDimensioni(const QByteArray &file, int w, int h)
{
    QByteArray b = file;
    auto *p = reinterpret_cast<uchar *>(b.data());
    if (b.startsWith("\xFF\xD8")) {
        // The SOF marker: FF C0..C3, length, precision, height, width.
        for (qsizetype i = 2; i + 9 < b.size(); ++i)
            if (p[i] == 0xFF && p[i + 1] >= 0xC0 && p[i + 1] <= 0xC3) {
                qToBigEndian<quint16>(quint16(h), p + i + 5);
                qToBigEndian<quint16>(quint16(w), p + i + 7);
                break;
            }
    } else if (b.startsWith("\x89PNG")) {
        // IHDR at 8: length, "IHDR", width, height, ..., CRC over type and data.
        qToBigEndian<quint32>(quint32(w), p + 16);
        qToBigEndian<quint32>(quint32(h), p + 20);
        qToBigEndian<quint32>(crc32(b.mid(12, 17)), p + 29);
    } else if (b.startsWith("BM")) {
        qToLittleEndian<qint32>(w, p + 18);
        qToLittleEndian<qint32>(h, p + 22);
    } else if (b.startsWith("GIF")) {
        qToLittleEndian<quint16>(quint16(w), p + 6);
        qToLittleEndian<quint16>(quint16(h), p + 8);
        // The first image descriptor (after the global colour table).
        qsizetype i = 13 + ((p[10] & 0x80) ? 3 * (2 << (p[10] & 7)) : 0);
        while (i < b.size() && p[i] == 0x21) {  // extensions
            i += 2;
            while (i < b.size() && p[i] != 0)
                i += p[i] + 1;
            ++i;
        }
        if (i + 9 < b.size() && p[i] == 0x2C) {
            qToLittleEndian<quint16>(quint16(w), p + i + 5);
            qToLittleEndian<quint16>(quint16(h), p + i + 7);
        }
    }
    return b;
}

double differenza(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    double somma = 0;
    for (int r = 0; r < x.height(); ++r) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(r));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(r));
        for (int c = 0; c < x.width(); ++c)
            somma += std::abs(qRed(p[c]) - qRed(q[c])) + std::abs(qGreen(p[c]) - qGreen(q[c]))
                     + std::abs(qBlue(p[c]) - qBlue(q[c]));
    }
    return somma / (3.0 * x.width() * x.height());
}

}  // namespace FileProva


QString FileProva::scriviJpegCmyk(const QString &path, const QImage &img)
{
    const QImage rgb = img.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct c{};
    jpeg_error_mgr e{};
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(rgb.width());
    c.image_height = JDIMENSION(rgb.height());
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, JCS_YCCK);  // writes the Adobe marker
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(size_t(rgb.width()) * 4);
    while (c.next_scanline < c.image_height) {
        const uchar *s = rgb.constScanLine(int(c.next_scanline));
        for (int x = 0; x < rgb.width(); ++x) {
            // Inverted inks: 255 means none. K = 0 ink; C, M, Y from the colour.
            row[4 * x] = s[3 * x];
            row[4 * x + 1] = s[3 * x + 1];
            row[4 * x + 2] = s[3 * x + 2];
            row[4 * x + 3] = 255;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const QString p = scriviByte(path, QByteArray(reinterpret_cast<const char *>(out), qsizetype(size)));
    std::free(out);
    return p;
}
