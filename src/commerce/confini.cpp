#include "confini.h"

#include "html.h"
#include "testofile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

QString descriviErrore(int codice)
{
    return QString::fromLocal8Bit(std::strerror(codice));
}

QString nomeAccanto(const QString &percorso, const char *suffisso)
{
    const QFileInfo fi(percorso);
    return fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + u'.' +
           QString::number(QRandomGenerator::global()->generate(), 36) + QLatin1String(suffisso);
}

struct Passo {
    QString destinazione, temporaneo, copia;
    bool esisteva = false, sostituito = false;
};

} // namespace

bool ScriviInsieme(const std::vector<FileDaScrivere> &files, QString *errore)
{
    std::vector<Passo> passi;
    auto pulisci = [&] {
        for (const Passo &p : passi) {
            if (!p.temporaneo.isEmpty())
                QFile::remove(p.temporaneo);
            if (!p.copia.isEmpty())
                QFile::remove(p.copia);
        }
    };
    auto fallisci = [&](const QString &testo) {
        if (errore)
            *errore = testo;
        pulisci();
        return false;
    };

    // Every new text to a temporary file beside its target.
    for (const FileDaScrivere &f : files) {
        Passo p;
        p.destinazione = f.percorso;
        p.esisteva = QFileInfo::exists(f.percorso) || QFileInfo(f.percorso).isSymLink();
        p.temporaneo = nomeAccanto(f.percorso, ".vtnuovo");
        QFile t(p.temporaneo);
        if (!t.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            p.temporaneo.clear();
            passi.push_back(p);
            return fallisci(QStringLiteral("Impossibile scrivere il file '%1': %2").arg(f.percorso, t.errorString()));
        }
        passi.push_back(p);
        const bool scritto = t.write(f.dati) == f.dati.size() && t.flush() && ::fsync(t.handle()) == 0;
        if (p.esisteva && scritto)
            t.setPermissions(QFile::permissions(f.percorso));
        t.close();
        if (!scritto || t.error() != QFileDevice::NoError)
            return fallisci(QStringLiteral("Impossibile scrivere il file '%1': %2").arg(f.percorso, t.errorString()));
    }

    // Then into place, keeping each old file under a second name until all
    // are done, so that a failure can put them back.
    for (size_t i = 0; i < passi.size(); ++i) {
        Passo &p = passi[i];
        const QByteArray dest = QFile::encodeName(p.destinazione);
        int codice = 0;
        if (p.esisteva) {
            p.copia = nomeAccanto(p.destinazione, ".vtvecchio");
            if (::link(dest.constData(), QFile::encodeName(p.copia).constData()) != 0) {
                codice = errno;
                p.copia.clear();
            }
        }
        if (codice == 0 && std::rename(QFile::encodeName(p.temporaneo).constData(), dest.constData()) != 0)
            codice = errno;
        if (codice != 0) {
            for (size_t j = 0; j < i; ++j) {
                const Passo &q = passi[j];
                if (!q.copia.isEmpty())
                    std::rename(QFile::encodeName(q.copia).constData(), QFile::encodeName(q.destinazione).constData());
                else
                    QFile::remove(q.destinazione);
            }
            return fallisci(QStringLiteral("Impossibile scrivere il file '%1': %2")
                                .arg(p.destinazione, descriviErrore(codice)));
        }
        p.temporaneo.clear();
        p.sostituito = true;
    }
    pulisci();
    return true;
}
