#include "cartelle.h"

#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The folder's path with links resolved, so that two spellings of one
// folder compare equal; a folder that does not exist keeps its clean path.
static QString reale(const QString &percorso)
{
    const QString c = QFileInfo(percorso).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(percorso).absolutePath()) : c;
}

// Whether cartella is contenitore or lies inside it (both real paths).
static bool dentro(const QString &cartella, const QString &contenitore)
{
    const QString prefisso = contenitore.endsWith(u'/') ? contenitore : contenitore + u'/';
    return cartella == contenitore || cartella.startsWith(prefisso);
}

QString CartellaRiservata(const QString &folder, const QString &shopFolder)
{
    if (folder.trimmed().isEmpty())
        return QStringLiteral("non è indicata");
    const QString cartella = reale(folder);
    if (!shopFolder.isEmpty()) {
        const QString negozio = reale(shopFolder);
        // The shop's own output folders are where the files belong.
        if (cartella == reale(negozio + QStringLiteral("/online")) || cartella == reale(negozio + QStringLiteral("/scripts")))
            return {};
        if (dentro(negozio, cartella))
            return QStringLiteral("è la cartella del negozio o una cartella che la contiene");
        if (dentro(cartella, reale(negozio + QStringLiteral("/work"))) || dentro(cartella, reale(negozio + QStringLiteral("/code"))))
            return QStringLiteral("è la cartella delle immagini o dei codici del negozio");
    }
    const QString home = reale(QDir::homePath());
    if (dentro(home, cartella))
        return QStringLiteral("è la cartella personale dell'utente o una cartella che la contiene");
    const QString programma = ProgramFolder::path().isEmpty() ? QString() : reale(ProgramFolder::path());
    if (!programma.isEmpty() && (dentro(cartella, programma) || dentro(programma, cartella)))
        return QStringLiteral("è la cartella del programma, una sua sottocartella o una cartella che la contiene");
    if (QFileInfo::exists(cartella + QStringLiteral("/catalog.mdb")))
        return QStringLiteral("contiene il catalogo di un negozio");
    return {};
}

bool SvuotaCartella(const QString &folder, const QString &shopFolder)
{
    if (!CartellaRiservata(folder, shopFolder).isEmpty())
        return false;
    const auto files = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &fi : files)
        QFile::remove(fi.absoluteFilePath());
    return true;
}
