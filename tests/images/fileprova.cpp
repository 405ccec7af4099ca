#include "fileprova.h"

#include "cdibsection.h"
#include "jpegwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>
#include <cstdlib>

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

QByteArray leggi(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QString scrivi(const QString &path, const QImage &img, const char *formato, int qualita)
{
    if (qstrcmp(formato, "jpg") == 0) {
        cDIBSection dib;
        dib.CreateFromPicture(img);
        return scriviByte(path, encodeJpeg(dib, qualita));
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage out = img;
    if (qstrcmp(formato, "gif") == 0)
        out = img.convertToFormat(QImage::Format_Indexed8);
    if (!out.save(path, formato))
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
