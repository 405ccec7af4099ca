#pragma once
// The per-user settings store: application, section, key, as the program
// names them ("Vetrasto" / "AppIni" / "Path"). Tests point it at a folder
// of their own with setLocation.
#include <QString>

class SettingsStore {
public:
    static QString get(const QString &application, const QString &section, const QString &key,
                       const QString &fallback = {});
    static void set(const QString &application, const QString &section, const QString &key, const QString &value);
    // Where the settings files live (the user's configuration folder by default).
    static void setLocation(const QString &folder);
};
