#include "temporanei.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Temporanei {

namespace {
const QLatin1StringView suffisso(".vttmp");
}

int crea(const QString &cartella, QByteArray *percorso, mode_t modo)
{
    static const char cifre[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const QByteArray base = QFile::encodeName(cartella) + "/.vt";
    for (int prova = 0; prova < 100; ++prova) {
        QByteArray nome = base;
        quint64 caso = QRandomGenerator::global()->generate64();
        for (int i = 0; i < 12; ++i, caso /= 36)
            nome += cifre[caso % 36];
        nome += suffisso.data();
        const int fd = ::open(nome.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, modo);
        if (fd >= 0 || errno != EEXIST) {
            if (percorso)
                *percorso = nome;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool eTemporaneo(QStringView nome)
{
    return nome.size() > suffisso.size() && nome.startsWith(u'.') && nome.endsWith(suffisso);
}

int rimuovi(const QString &cartella)
{
    int n = 0;
    for (const QString &nome : QDir(cartella).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (eTemporaneo(nome) && QFile::remove(cartella + u'/' + nome))
            ++n;
    return n;
}

} // namespace Temporanei
