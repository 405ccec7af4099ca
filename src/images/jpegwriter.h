#pragma once
// mIntelJPEGLibrary: writing a cDIBSection as a JPEG file, with libjpeg-turbo
// in place of the Intel JPEG Library. Errors are ImageError number 26001
// with source "Vetrasto.mIntelJPEGLibrary".
#include <QByteArray>
#include <QString>

class cDIBSection;

// Writes the bitmap to the file as a JPEG of the given quality (1 to 100;
// the program uses 90), upright. An existing file is replaced through a
// temporary file and a rename: it survives a failed write, and the new file
// keeps its attributes but has a new modification time. An empty bitmap is
// refused. True when the file was written; failures raise ImageError 26001.
bool SaveDIBToJPEG(const cDIBSection &bitmap, const QString &file, int quality);

// The same JPEG, in memory.
QByteArray encodeJpeg(const cDIBSection &bitmap, int quality);

namespace JpegWriter {
inline QString source() { return QStringLiteral("Vetrasto.mIntelJPEGLibrary"); }
}
