#pragma once
// The program folder: template sets, scripts, help pages, the empty shop
// "new" and the demo shop "demo". Found from VETRASTO_HOME, else next to the
// executable (build tree), else in ../share/vetrasto (installed layout). The
// running program only reads it: what it writes (serverpath.net, the shop
// used when none is named) lives in the user's own data folder.
#include <QString>

class ProgramFolder {
public:
    static QString path();
    static void setPath(const QString &folder);  // tests and benchmarks

    // The user's data folder (~/.local/share/Vetrasto); tests point it at a
    // temporary folder.
    static QString userFolder();
    static void setUserFolder(const QString &folder);
    // The file naming the shop to open at start-up.
    static QString serverPathFile() { return userFolder() + QStringLiteral("/serverpath.net"); }
    // The shop opened when serverpath.net names none.
    static QString defaultShopFolder() { return userFolder() + QStringLiteral("/Negozio"); }
};
