#include "cartelle.h"

#include "programfolder.h"
#include "temporanei.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

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

// A file that holds a password: a shop's catalogue, which holds the FTP
// password. Every copy of one is readable by its owner only.
static bool conPassword(const QString &percorso)
{
    return QFileInfo(percorso).fileName().compare(QLatin1String("catalog.mdb"), Qt::CaseInsensitive) == 0;
}

// Copies the file `da` to a temporary file in `cartella` with its permission
// bits (owner only for a file that holds a password), and renames that over
// `a`: a failed copy, or one of a file onto itself, never loses the file
// already there.
static bool copiaFile(const QString &da, const QString &cartella, const QString &a)
{
    QFile sorgente(da);
    if (!sorgente.open(QIODevice::ReadOnly))
        return false;
    QByteArray temporaneo;
    const int fd = Temporanei::crea(cartella, &temporaneo, 0600);
    if (fd < 0)
        return false;
    QByteArray blocco(1 << 16, Qt::Uninitialized);
    bool fatto = true;
    for (qint64 n; fatto && (n = sorgente.read(blocco.data(), blocco.size())) != 0;)
        fatto = n > 0 && Temporanei::scriviTutto(fd, blocco.constData(), n) == 0;
    struct stat st {};
    fatto = fatto && ::fstat(sorgente.handle(), &st) == 0
            && ::fchmod(fd, conPassword(a) ? mode_t(0600) : st.st_mode & 07777) == 0;
    fatto = ::close(fd) == 0 && fatto;
    fatto = fatto && std::rename(temporaneo.constData(), QFile::encodeName(a).constData()) == 0;
    if (!fatto)
        ::unlink(temporaneo.constData());
    return fatto;
}

bool CopiaCartella(const QString &source, const QString &destination)
{
    const QStringList lines = ElencoFile(source).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    bool tutto = QDir().mkpath(destination);
    // What a copy that was killed left goes first.
    Temporanei::rimuovi(destination);
    for (const QString &line : lines) {
        const QString to = localPath(destination, line.mid(line.startsWith(u'>') ? 1 : 0));
        if (line.startsWith(u'>')) {
            tutto = QDir().mkpath(to) && tutto;
            Temporanei::rimuovi(to);
        } else {
            tutto = copiaFile(localPath(source, line), QFileInfo(to).path(), to) && tutto;
        }
    }
    return tutto;
}

// The folder's path with links resolved, so that two spellings of one
// folder compare equal; of a folder that does not exist, the part of its
// path that exists is resolved and the rest kept as written (a folder not
// yet made, named through a link to the shop, is the shop's).
static QString reale(const QString &percorso)
{
    if (const QString c = QFileInfo(percorso).canonicalFilePath(); !c.isEmpty())
        return c;
    const QString pulito = QDir::cleanPath(QDir(percorso).absolutePath());
    QString resto;
    for (QString p = pulito;;) {
        if (const QString c = QFileInfo(p).canonicalFilePath(); !c.isEmpty())
            return resto.isEmpty() ? c : QDir::cleanPath(c + resto);
        const QString padre = QFileInfo(p).path();
        if (padre == p)
            return pulito;
        resto.prepend(u'/' + QFileInfo(p).fileName());
        p = padre;
    }
}

// Whether cartella is contenitore or lies inside it (both real paths).
static bool dentro(const QString &cartella, const QString &contenitore)
{
    const QString prefisso = contenitore.endsWith(u'/') ? contenitore : contenitore + u'/';
    return cartella == contenitore || cartella.startsWith(prefisso);
}

bool DentroCartella(const QString &folder, const QString &container)
{
    return dentro(reale(folder), reale(container));
}

// The nearest folder above `cartella` (a real path) that holds a shop's
// catalogue and is not the shop in `negozio` (a real path, or empty); empty
// when there is none, or when the shop's own folder comes first.
static QString negozioSopra(const QString &cartella, const QString &negozio)
{
    for (QString sopra = QFileInfo(cartella).path(); !sopra.isEmpty(); ) {
        if (sopra == negozio)
            return {};
        if (QFileInfo::exists(sopra + QStringLiteral("/catalog.mdb")))
            return sopra;
        const QString padre = QFileInfo(sopra).path();
        if (padre == sopra)
            break;
        sopra = padre;
    }
    return {};
}

QString CartellaRiservata(const QString &folder, const QString &shopFolder)
{
    if (folder.trimmed().isEmpty())
        return QStringLiteral("non è indicata");
    // A relative path would be taken from the folder the program was
    // started from, which changes from one start to the next.
    if (QDir::isRelativePath(folder))
        return QStringLiteral("non è indicata con il percorso completo (che comincia con \"/\")");
    const QString cartella = reale(folder);
    const QString negozio = shopFolder.isEmpty() ? QString() : reale(shopFolder);
    if (!negozio.isEmpty()) {
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
    // A folder set inside the shop's own folder and copied with it: the
    // copy would write into the original's folders.
    if (const QString altro = negozioSopra(cartella, negozio); !altro.isEmpty())
        return QStringLiteral("si trova dentro la cartella di un altro negozio ('%1')").arg(altro);
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
