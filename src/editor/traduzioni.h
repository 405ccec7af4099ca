#pragma once
// Qt's own texts in Italian: the pickers, the text fields' menus, the
// standard buttons. Qt's catalogue is Debian's (qt6-translations-l10n);
// the few texts it lacks (the kinds of entry of the file dialog: "Folder",
// "Drive", ...) are given here.

// Loads Qt's Italian catalogue into the application once, with the texts it
// lacks; false when the catalogue cannot be found (Qt's texts then stay in
// English but for those).
bool installaTraduzioni();
