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

// Copies the tree under source into destination, overwriting. False when
// something could not be copied (the rest is copied all the same).
bool CopiaCartella(const QString &source, const QString &destination);

// Deletes every ordinary file directly inside folder. Refuses (returns false
// and deletes nothing) an empty path, the shop folder with its work and code
// folders, the program folder and its own data (template sets, scripts, help,
// the empty and the demo shop), and any folder that holds a shop's catalogue.
bool SvuotaCartella(const QString &folder, const QString &shopFolder);
