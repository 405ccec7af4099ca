#pragma once
// A text file as the program reads the files it is given (page models,
// template notes, settings files): UTF-8, or Windows-1252 when the bytes are
// not valid UTF-8. codifica() turns text back into the file's own encoding,
// so the bytes outside what was changed pass through unchanged.
#include <QByteArray>
#include <QString>

struct TestoFile {
    QString testo;
    bool utf8 = true;
    QByteArray codifica(const QString &t) const;
    static TestoFile decodifica(const QByteArray &bytes);
};
