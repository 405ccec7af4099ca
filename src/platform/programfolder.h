#pragma once
// The program folder: template sets, scripts, help pages and the empty shop
// "new". Found from VETRASTO_HOME, else next to the executable (build tree),
// else in ../share/vetrasto (installed layout).
#include <QString>

class ProgramFolder {
public:
    static QString path();
    static void setPath(const QString &folder);  // tests and benchmarks
    static bool writable();
    // Tests stand for a read-only installation (root can write anywhere).
    static void setReadOnly(bool readOnly);
    // Where serverpath.net lives, and the shop used when none is named: the
    // program folder itself, or the user's data folder when that is read-only.
    static QString localFolder();
    static QString serverPathFile() { return localFolder() + QStringLiteral("/serverpath.net"); }
};
