#include "confini.h"

#include "html.h"
#include "temporanei.h"
#include "testofile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace ConfIni {

std::vector<RigaConf> analizza(const QString &testo)
{
    std::vector<RigaConf> righe;
    qsizetype inizio = 0;
    const qsizetype n = testo.size();
    while (inizio < n) {
        qsizetype fine = inizio;
        while (fine < n && testo[fine] != u'\r' && testo[fine] != u'\n')
            ++fine;
        const QStringView riga = QStringView(testo).mid(inizio, fine - inizio);
        const qsizetype uguale = riga.indexOf(u'=');
        if (uguale >= 0)
            righe.push_back({riga.left(uguale).toString(), riga.mid(uguale + 1).toString()});
        // Past the line end: CR LF, CR or LF.
        if (fine < n && testo[fine] == u'\r' && fine + 1 < n && testo[fine + 1] == u'\n')
            ++fine;
        inizio = fine + 1;
    }
    return righe;
}

std::optional<std::vector<RigaConf>> leggi(const QString &path)
{
    const auto t = TestoFile::leggi(path);
    if (!t)
        return std::nullopt;
    return analizza(t->testo);
}

QString unaRiga(const QString &valore)
{
    QString v = valore;
    v.remove(u'\r');
    v.remove(u'\n');
    return v;
}

QString riga(const QString &chiave, const QString &valore)
{
    return unaRiga(chiave) + u'=' + unaRiga(valore) + QStringLiteral("\r\n");
}

} // namespace ConfIni

QString RiempiSegnaposto(QString testo, const QString &segnaposto, const QString &valore)
{
    if (segnaposto.isEmpty() || valore.contains(segnaposto))
        return testo;
    // Each replacement searches again from the start: text that a value
    // brings in before the next occurrence is searched too.
    for (qsizetype i = testo.indexOf(segnaposto); i >= 0; i = testo.indexOf(segnaposto))
        testo.replace(i, segnaposto.size(), valore);
    return testo;
}

QString PerAttributoHTML(const QString &valore)
{
    return AttributoHtml(valore, true);
}

QString TestoPerPagina(const QString &testo)
{
    const qsizetype apre = testo.indexOf(u'<');
    if (apre >= 0 && testo.indexOf(u'>', apre) >= 0)
        return testo;
    QString r = testo;
    r.replace(u'<', QLatin1String("&lt;"));
    r.replace(u'>', QLatin1String("&gt;"));
    r.replace(QLatin1String("\r\n"), QLatin1String("<BR>"));
    return r;
}

namespace {

struct Passo {
    QByteArray destinazione, temporaneo, copia;
};

} // namespace

bool ScriviInsieme(const std::vector<FileDaScrivere> &files, QString *errore)
{
    std::vector<Passo> passi;
    auto pulisci = [&] {
        for (const Passo &p : passi) {
            if (!p.temporaneo.isEmpty())
                ::unlink(p.temporaneo.constData());
            if (!p.copia.isEmpty())
                ::unlink(p.copia.constData());
        }
    };
    auto fallisci = [&](const QString &percorso, int codice) {
        if (errore)
            *errore = QStringLiteral("Impossibile scrivere il file '%1': %2")
                          .arg(percorso, QString::fromLocal8Bit(std::strerror(codice)));
        pulisci();
        return false;
    };

    // What a save that was killed left in these folders goes first.
    QStringList cartelle;
    for (const FileDaScrivere &f : files)
        if (const QString c = QFileInfo(f.percorso).absolutePath(); !cartelle.contains(c)) {
            cartelle << c;
            Temporanei::rimuovi(c);
        }

    // Every new text to a temporary file beside its target, with the
    // permissions of the file it replaces.
    for (const FileDaScrivere &f : files) {
        Passo p;
        p.destinazione = QFile::encodeName(f.percorso);
        const int fd = Temporanei::crea(QFileInfo(f.percorso).absolutePath(), &p.temporaneo, 0666);
        if (fd < 0)
            return fallisci(f.percorso, errno);
        passi.push_back(p);
        int codice = Temporanei::scriviTutto(fd, f.dati.constData(), f.dati.size());
        struct stat vecchio {};
        if (!codice && ::stat(p.destinazione.constData(), &vecchio) == 0)
            ::fchmod(fd, vecchio.st_mode & 07777);
        if (!codice && ::fsync(fd) != 0)
            codice = errno;
        if (::close(fd) != 0 && !codice)
            codice = errno;
        if (codice)
            return fallisci(f.percorso, codice);
    }

    // Then into place, keeping each old file under a second name until all
    // are done, so that a failure can put them back.
    for (size_t i = 0; i < passi.size(); ++i) {
        Passo &p = passi[i];
        int codice = 0;
        struct stat st {};
        if (::lstat(p.destinazione.constData(), &st) == 0 &&
            !Temporanei::collega(p.destinazione, QFileInfo(files[i].percorso).absolutePath(), &p.copia))
            codice = errno;
        if (codice == 0 && std::rename(p.temporaneo.constData(), p.destinazione.constData()) != 0)
            codice = errno;
        if (codice != 0) {
            for (size_t j = 0; j < i; ++j) {
                const Passo &q = passi[j];
                if (!q.copia.isEmpty())
                    std::rename(q.copia.constData(), q.destinazione.constData());
                else
                    ::unlink(q.destinazione.constData());
            }
            return fallisci(files[i].percorso, codice);
        }
        p.temporaneo.clear();
    }
    pulisci();
    return true;
}
