#include "filesicuro.h"

#include "temporanei.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::function<bool()> &guastoPerTest()
{
    static std::function<bool()> f;
    return f;
}

EsitoScrittura fallito(int codice, const QString &cosa)
{
    return {false, codice, cosa + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(codice))};
}

}  // namespace

void impostaGuastoScritturaPerTest(std::function<bool()> prova)
{
    guastoPerTest() = std::move(prova);
}

EsitoScrittura sostituisciFile(const QString &path, const QByteArray &data)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return fallito(EISDIR, QStringLiteral("'%1' non è un file").arg(path));

    // A hidden temporary name of its own next to the target, so that the
    // rename stays within one file system, the site builder never lists it,
    // and a killed write leaves a file the next save removes.
    const QFileInfo fi(path);
    QByteArray temp;
    const int fd = Temporanei::crea(fi.absolutePath(), &temp, 0666);
    if (fd < 0)
        return fallito(errno, QStringLiteral("impossibile creare un file in '%1'").arg(fi.absolutePath()));

    auto abbandona = [&](int codice, const QString &cosa) {
        ::close(fd);
        ::unlink(temp.constData());
        return fallito(codice, cosa);
    };
    if (const int e = Temporanei::scriviTutto(fd, data.constData(), data.size()))
        return abbandona(e, QStringLiteral("scrittura di '%1' non riuscita").arg(path));
    if (existed) {
        // The old file's attributes; the modification time stays the new one.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the owner's group may be kept without privileges.
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return abbandona(errno, QStringLiteral("impossibile impostare gli attributi di '%1'").arg(path));
    }
    if (::fsync(fd) != 0)
        return abbandona(errno, QStringLiteral("scrittura di '%1' non riuscita").arg(path));
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(temp.constData());
        return fallito(e, QStringLiteral("scrittura di '%1' non riuscita").arg(path));
    }
    if (guastoPerTest() && !guastoPerTest()()) {
        ::unlink(temp.constData());
        return fallito(EIO, QStringLiteral("scrittura di '%1' non riuscita").arg(path));
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int e = errno;
        ::unlink(temp.constData());
        return fallito(e, QStringLiteral("impossibile sostituire '%1'").arg(path));
    }
    return {true, 0, {}};
}
