#pragma once
// The texts the publisher and the folder browser make of what the merchant
// typed: the host and the remote folder cleaned, and the folder name of a
// listing line.
#include <QString>
#include <QStringList>
#include <optional>

// The remote folder: blanks around it dropped, "\" as "/", no "/" at either
// end, and no empty or "." part ("" for the login folder); ".." is kept.
QString PulisciCartella(const QString &cartella);
// The host: cleaned as a folder, then without a leading "http://",
// "https://" or "ftp://" (letter case aside) and without any path after it.
QString PulisciHost(const QString &host);
// The name in a Unix-style listing line: the ninth field and everything
// after it (names with blanks survive); runs of blanks count as one.
QString NomeFileFTP(const QString &riga);
// What a line of a Unix-style listing names.
enum class VoceElenco {
    Cartella,     // a folder that can be entered: a plain name
    Altro,        // a file, a link, the total, "." or ".."
    Illeggibile,  // not a listing line (fewer than nine fields), or a folder
                  // whose name is no plain name: a "/" or "\", a control or
                  // invisible format character (a bidi control), a byte that
                  // was no UTF-8, more than 255 characters
};
VoceElenco LeggiRigaElenco(const QString &riga, QString *nome = nullptr);

// The folders a listing offers. nomi holds the lines of the names-only
// listing of the same folder, when the server gave one: a folder is
// offered only when a line of it holds the folder's name alone, so a name
// broken by a line break cannot smuggle in a listing line of its own, and
// the part before the break is not offered either. scartate receives the
// lines left out, for the log.
QStringList CartelleOfferte(const QStringList &righe, const std::optional<QStringList> &nomi, QStringList &scartate);
