#include "settings.h"

#include <QSettings>

void SettingsStore::setLocation(const QString &folder)
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}


QString SettingsStore::get(const QString &application, const QString &section, const QString &key,
                           const QString &fallback)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, application, application);
    return s.value(section + u'/' + key, fallback).toString();
}

void SettingsStore::set(const QString &application, const QString &section, const QString &key, const QString &value)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, application, application);
    s.setValue(section + u'/' + key, value);
}
