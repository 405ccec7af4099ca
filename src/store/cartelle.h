#pragma once
// Folder helpers of the shop store: listing a tree, copying it, emptying an
// output folder. Failures are skipped: a file that cannot be listed, copied
// or deleted is left out and the work goes on.
#include <QString>

// Listing of root/relative: one line per entry, CR LF ended; a file is its
// path relative to root beginning with "\", a folder the same behind ">".
// A folder's own entries come before the listings of its sub-folders.
// Hidden entries (names beginning with ".") are not listed.
QString ElencoFile(const QString &root, const QString &relative = {});

// Copies the tree under source into destination, overwriting; each file is
// put in place only once copied whole, with its permission bits, but a
// catalogue (catalog.mdb, which holds the FTP password) is readable by its
// owner only. The
// temporary files a killed copy left in the destination's folders are
// removed first. False when something could not be copied (the rest is
// copied all the same).
bool CopiaCartella(const QString &source, const QString &destination);

// Why `folder` may not be a working folder of the shop in `shopFolder`: the
// builder empties those folders and the "Pulisci" command deletes their
// files. A phrase that completes "La cartella '...' ", or empty when the
// folder may be used. Refused: an empty path; a relative path (it would be
// taken from the folder the program was started from); the shop folder and
// every folder that holds it, up to "/"; the shop's work and code folders
// and what they hold; the user's home folder and the folders that hold it;
// the program folder, what it holds and the folders that hold it; any
// folder holding a shop's catalogue; any folder inside another shop's folder
// (a folder above it holds a catalogue, and the shop's own folder does not
// come first), the message naming that shop's folder. The shop's own online
// and scripts folders are always allowed. Links are followed.
QString CartellaRiservata(const QString &folder, const QString &shopFolder);

// Whether `folder` is `container` or lies inside it, once every link of
// both paths is resolved.
bool DentroCartella(const QString &folder, const QString &container);

// Deletes every ordinary file directly inside folder. Refuses (returns false
// and deletes nothing) a folder that CartellaRiservata refuses.
bool SvuotaCartella(const QString &folder, const QString &shopFolder);
