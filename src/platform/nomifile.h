#pragma once
// Names of files and folders that come from data (a template set, the
// catalogue, a payment system's settings): which of them can stand for one
// file or folder and travel to the web server as they are.
#include <QString>

// True when the text holds a line break or another control character: the
// C0 and C1 controls, DEL, and the Unicode line and paragraph separators.
bool HaCaratteriDiControllo(const QString &testo);

// A plain name of one file or folder: not empty, not "." or "..", without
// "/" or "\" and without control characters.
bool NomeSemplice(const QString &nome);

// The text as a message shows it: each control character written as an
// escape ("\n", "\r", "\t", "\u0001"), so that a name is seen whole.
QString TestoLeggibile(const QString &testo);
