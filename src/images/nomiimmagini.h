#pragma once
// Names of the pictures brought into the shop's work folder: the picked
// file's name in lower case with a four-digit hexadecimal version
// ("foto_000a.jpg"), one above the highest version already there.
//
// Besides: a new name is never the name of an existing file,
// letter case aside (web servers and other systems may not tell them apart);
// characters that would break an address, a page or the upload list become
// "_" (accented letters lose their accent first); a name never starts with
// "." (the site builder skips hidden files); any extension is kept (".jpeg",
// ".png").
#include <QString>
#include <QStringList>

namespace NomiImmagini {

// The lower-case base with only a-z, 0-9, "-", "_" and "." (not first).
QString nomeSicuro(const QString &testo);

// The next free versioned name for nome among the names already in the
// folder; toJpeg gives the extension ".jpg".
QString NuovoNomeImmagine(const QStringList &esistenti, const QString &nome, bool toJpeg);
// The same against what the folder holds now.
QString NuovoNomeImmagineIn(const QString &cartella, const QString &nome, bool toJpeg);

}  // namespace NomiImmagini
