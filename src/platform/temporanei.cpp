#include "temporanei.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace Temporanei {

namespace {
const QLatin1StringView suffisso(".vttmp");
}

QByteArray nome(const QString &cartella)
{
    static const char cifre[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QByteArray n = QFile::encodeName(cartella) + "/.vt";
    quint64 caso = QRandomGenerator::global()->generate64();
    for (int i = 0; i < 12; ++i, caso /= 36)
        n += cifre[caso % 36];
    return n + suffisso.data();
}

int crea(const QString &cartella, QByteArray *percorso, mode_t modo)
{
    for (int prova = 0; prova < 100; ++prova) {
        const QByteArray n = nome(cartella);
        const int fd = ::open(n.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, modo);
        if (fd >= 0 || errno != EEXIST) {
            if (percorso)
                *percorso = n;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool collega(const QByteArray &origine, const QString &cartella, QByteArray *percorso, int flag)
{
    for (int prova = 0; prova < 100; ++prova) {
        const QByteArray n = nome(cartella);
        if (::linkat(AT_FDCWD, origine.constData(), AT_FDCWD, n.constData(), flag) == 0) {
            *percorso = n;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

int scriviTutto(int fd, const char *dati, qsizetype n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, dati, size_t(n));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return w < 0 ? errno : ENOSPC;
        dati += w;
        n -= w;
    }
    return 0;
}

bool eTemporaneo(QStringView nome)
{
    return nome.size() > suffisso.size() && nome.startsWith(u'.') && nome.endsWith(suffisso);
}

int rimuovi(const QString &cartella)
{
    // Read by name only: a folder of thousands of pages is listed without a
    // look at each file. unlink leaves alone a folder of such a name.
    const int fd = ::open(QFile::encodeName(cartella).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    DIR *d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return 0;
    }
    int n = 0;
    const QByteArray fine = QByteArray(suffisso.data(), suffisso.size());
    while (const dirent *e = ::readdir(d)) {
        // eTemporaneo's rule on the name's bytes: its start and end are ASCII.
        const QByteArrayView voce(e->d_name);
        if (voce.size() > fine.size() && voce.startsWith('.') && voce.endsWith(fine) &&
            ::unlinkat(fd, e->d_name, 0) == 0)
            ++n;
    }
    ::closedir(d);
    return n;
}

} // namespace Temporanei
