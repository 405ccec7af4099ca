#pragma once
// Qt's own texts in Italian: the pickers, the text fields' menus, the
// standard buttons. Qt's catalogue is Debian's (qt6-translations-l10n).

// Loads Qt's Italian catalogue into the application once; false when it
// cannot be found (Qt's texts then stay in English).
bool installaTraduzioni();
