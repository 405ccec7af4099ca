#include "cartelle.h"

#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>
#include <QRandomGenerator>

#include <cstdio>

static QString localPath(const QString &root, const QString &relative)
{
    QString rel = relative;
    rel.replace(u'\\', u'/');
    return QDir::cleanPath(root + u'/' + rel);
}

QString ElencoFile(const QString &root, const QString &relative)
{
    const QString base = relative.isEmpty() || relative.startsWith(u'\\') ? relative : u'\\' + relative;
    const QDir dir(localPath(root, base));
    QString listing;
    QStringList folders;
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                                           QDir::NoSort);
    for (const QFileInfo &fi : entries) {
        const QString name = fi.fileName();
        if (name.contains(u'\\'))
            continue;  // cannot be written in the listing's form
        const QString entry = base + u'\\' + name;
        if (fi.isDir()) {
            listing += u'>' + entry + QStringLiteral("\r\n");
            folders << entry;
        } else {
            listing += entry + QStringLiteral("\r\n");
        }
    }
    for (const QString &f : folders)
        listing += ElencoFile(root, f);
    return listing;
}

bool CopiaCartella(const QString &source, const QString &destination)
{
    const QStringList lines = ElencoFile(source).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    bool tutto = QDir().mkpath(destination);
    for (const QString &line : lines) {
        if (line.startsWith(u'>')) {
            tutto = QDir().mkpath(localPath(destination, line.mid(1))) && tutto;
        } else {
            // The copy is made under a temporary name and put in place over
            // the old file only when it is complete: a failed copy, or one of
            // a file onto itself, never loses the file already there.
            const QString from = localPath(source, line);
            const QString to = localPath(destination, line);
            const QString temp = to + QStringLiteral(".vt") + QString::number(QRandomGenerator::global()->generate(), 36);
            if (!QFile::copy(from, temp)) {
                tutto = false;
                continue;
            }
            if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(to).constData()) != 0) {
                QFile::remove(temp);
                tutto = false;
            }
        }
    }
    return tutto;
}

static bool sameFolder(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

// Whether folder is inside (or is) ancestor, links followed.
static bool dentro(const QString &folder, const QString &ancestor)
{
    const QString f = QFileInfo(folder).canonicalFilePath(), a = QFileInfo(ancestor).canonicalFilePath();
    return !f.isEmpty() && !a.isEmpty() && (f == a || f.startsWith(a + u'/'));
}

bool SvuotaCartella(const QString &folder, const QString &shopFolder)
{
    const QString programma = ProgramFolder::path();
    bool datiProgramma = sameFolder(folder, programma);
    for (const char *d : {"template", "code", "help", "new", "demo"})
        datiProgramma = datiProgramma || dentro(folder, programma + u'/' + QLatin1String(d));
    if (folder.trimmed().isEmpty() || sameFolder(folder, shopFolder) || datiProgramma
        || (!shopFolder.isEmpty() && (sameFolder(folder, shopFolder + QStringLiteral("/work"))
                                      || sameFolder(folder, shopFolder + QStringLiteral("/code"))))
        || QFileInfo::exists(folder + QStringLiteral("/catalog.mdb")))
        return false;
    const bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    if (gui)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const auto files = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &fi : files)
        QFile::remove(fi.absoluteFilePath());
    if (gui)
        QGuiApplication::restoreOverrideCursor();
    return true;
}
