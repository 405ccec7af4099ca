#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString overridden;
QString userOverridden;
}

void ProgramFolder::setPath(const QString &folder)
{
    overridden = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

QString ProgramFolder::path()
{
    if (!overridden.isEmpty())
        return overridden;
    const QString env = qEnvironmentVariable("VETRASTO_HOME");
    if (!env.isEmpty())
        return QDir::cleanPath(QFileInfo(env).absoluteFilePath());
    const QString exe = QCoreApplication::applicationDirPath();
    if (QFileInfo(exe + QStringLiteral("/template")).isDir() || QFileInfo(exe + QStringLiteral("/new")).isDir())
        return exe;
    const QString installed = QDir::cleanPath(exe + QStringLiteral("/../share/vetrasto"));
    if (QFileInfo(installed).isDir())
        return installed;
    return exe;
}

void ProgramFolder::setUserFolder(const QString &folder)
{
    userOverridden = folder.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

QString ProgramFolder::userFolder()
{
    if (!userOverridden.isEmpty())
        return userOverridden;
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Vetrasto");
}
