#pragma once
// Picture files for the tests, written with Qt's writers and libjpeg-turbo.
#include "testshop.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

namespace FileProva {

// A picture with four coloured quarters (red top-left, green top-right, blue
// bottom-left, yellow bottom-right): orientation shows at a glance.
QImage quarti(int w, int h);
// One colour.
QImage tinta(int w, int h, QColor c);

// Writes the picture in the format ("jpg" through libjpeg-turbo at the
// quality, "png", "bmp", "gif" through Qt); returns the path.
QString scrivi(const QString &path, const QImage &img, const char *formato, int qualita = 95);
QString scriviByte(const QString &path, const QByteArray &bytes);

// The same file with its header saying it is w × h pixels (JPEG, PNG, BMP,
// GIF): a giant picture without the giant file.
QByteArray conDimensioni(const QByteArray &file, int w, int h);

// Mean absolute difference of two pictures of the same size, 0 … 255.
double differenza(const QImage &a, const QImage &b);

// A CMYK JPEG as Adobe's programs write it (inks inverted, Adobe marker).
QString scriviJpegCmyk(const QString &path, const QImage &img);
}
