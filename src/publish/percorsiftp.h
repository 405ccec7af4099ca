#pragma once
// The texts the publisher and the folder browser make of what the merchant
// typed: the host and the remote folder cleaned, and the folder name of a
// listing line.
#include <QString>

// The remote folder: blanks around it dropped, "\" as "/", no "/" at either
// end, and no empty or "." part ("" for the login folder); ".." is kept.
QString PulisciCartella(const QString &cartella);
// The host: cleaned as a folder, then without a leading "http://",
// "https://" or "ftp://" (letter case aside) and without any path after it.
QString PulisciHost(const QString &host);
// The name in a Unix-style listing line: the ninth field and everything
// after it (names with blanks survive); runs of blanks count as one.
QString NomeFileFTP(const QString &riga);
// Whether a listing line names a folder that can be entered: it begins
// with "d" and its name is neither "." nor "..".
bool RigaCartella(const QString &riga);
