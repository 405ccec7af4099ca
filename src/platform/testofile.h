#pragma once
// A text file as the program reads the files it is given (page models,
// template notes, settings files, the payment systems' files): UTF-8, or
// Windows-1252 when the bytes are not valid UTF-8. A UTF-8 byte-order mark
// at the start is no part of the text; codifica() puts it back, so that a
// file read and written again keeps every byte outside what was changed.
#include <QByteArray>
#include <QString>
#include <optional>

struct TestoFile {
    QString testo;
    bool utf8 = true;
    bool bom = false;  // the file starts with a UTF-8 byte-order mark
    // The bytes of a file of this encoding holding `t`, the byte-order mark
    // first when the file had one. A character that Windows-1252 cannot
    // hold becomes "?", or with `riferimentiHtml` an HTML character
    // reference ("&#8364;" form).
    QByteArray codifica(const QString &t, bool riferimentiHtml = false) const;
    static TestoFile decodifica(const QByteArray &bytes);
    // The file at `path`; nullopt when it is no file or cannot be read.
    static std::optional<TestoFile> leggi(const QString &path);
    // The Windows-1252 byte of a character, -1 when it has none.
    static int byteCp1252(char32_t c);
};
