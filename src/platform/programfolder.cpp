#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
QString overridden;
bool forcedReadOnly = false;
}

void ProgramFolder::setReadOnly(bool readOnly)
{
    forcedReadOnly = readOnly;
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

bool ProgramFolder::writable()
{
    // Permission bits do not tell the whole story (read-only mounts, ACLs):
    // try to create a file.
    if (forcedReadOnly)
        return false;
    QTemporaryFile probe(path() + QStringLiteral("/.vetrasto-XXXXXX"));
    return probe.open();
}

QString ProgramFolder::localFolder()
{
    if (writable())
        return path();
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Vetrasto");
}
