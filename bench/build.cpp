// vetrasto-bench build [SHOP [SET]] [--departments N --articles M] [--threads T] [--cancel MS] [--rebuild]:
// a complete build of a shop folder without windows, the shop's settings
// record standing in for the main window's fields. SET is the path of a
// template set folder (default: the shop's own set). Without SHOP it makes a
// synthetic shop with the bench's small template set and the program's own
// scripts: by default 2,000 departments and 20,000 articles four to a page;
// with --departments and --articles that many, one page per department. Prints the build's own
// time (not the making of the shop), its CPU time, the pages written, their
// bytes and the peak memory. With --cancel the build is cancelled MS
// milliseconds after it starts, and the time from the cancel to the build's
// return is printed instead. With --rebuild the shop is built once, every
// article's title is changed, and the second build, in which every page
// replaces an older one, is the one measured. Every message the window would
// show, the opening's and the build's, goes to stderr as the window words it;
// a question is answered No. The exit status is 1 when the build fails.
#include "cartelle.h"
#include "catalogschema.h"
#include "database.h"
#include "sintetico.h"
#include "elabora.h"
#include "impostazioni.h"
#include "messages.h"
#include "negozio.h"
#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

long piccoMemoriaKB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &l : f.readAll().split('\n'))
        if (l.startsWith("VmHWM:"))
            return l.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

double secondiCpu()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The message boxes of a build without windows: each text on stderr, its
// line breaks as the terminal takes them, followed by the answer when it is
// a question (always No: the finished site is not opened).
class MessaggiSuStderr : public Messages {
public:
    Answer show(const QString &text, Icon, Buttons buttons, const QString &title = {},
                std::optional<Answer> = {}) override
    {
        QString testo = text;
        testo.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        while (testo.endsWith(u'\n'))
            testo.chop(1);
        const Answer risposta = buttons == Buttons::Ok         ? Answer::Ok
                                : buttons == Buttons::OkCancel ? Answer::Cancel
                                                               : Answer::No;
        if (risposta == Answer::No)
            testo += QStringLiteral(" [No]");
        const QString titolo = title.isEmpty() ? defaultTitle() : title;
        std::fprintf(stderr, "%s: %s\n", titolo.toUtf8().constData(), testo.toUtf8().constData());
        std::fflush(stderr);
        return risposta;
    }
};

// Cancels the build once it has run a given time, and notes when.
class AnnullaDopo : public Avanzamento {
public:
    explicit AnnullaDopo(qint64 ms) : m_ms(ms) { m_orologio.start(); }
    bool annullato() const override
    {
        if (m_ms < 0 || m_orologio.elapsed() < m_ms)
            return false;
        if (m_annullato < 0)
            m_annullato = m_orologio.nsecsElapsed();
        return true;
    }
    // Nanoseconds from the first cancel seen to now; -1 if there was none.
    qint64 dalAnnullo() const { return m_annullato < 0 ? -1 : m_orologio.nsecsElapsed() - m_annullato; }

private:
    qint64 m_ms;
    QElapsedTimer m_orologio;
    mutable qint64 m_annullato = -1;
};

} // namespace

int benchBuild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString shop, set;
    FormaSintetica forma;
    int threads = 0;
    qint64 annullaDopo = -1;
    bool formaData = false, ricostruisci = false;
    QStringList posizionali;
    for (int i = 2; i < argc; ++i) {
        const char *a = argv[i];
        const bool conValore = i + 1 < argc;
        if (std::strcmp(a, "--departments") == 0 && conValore) {
            forma.reparti = std::atoi(argv[++i]);
            formaData = true;
        } else if (std::strcmp(a, "--articles") == 0 && conValore) {
            forma.articoli = std::atoi(argv[++i]);
            formaData = true;
        } else if (std::strcmp(a, "--threads") == 0 && conValore) {
            threads = std::atoi(argv[++i]);
        } else if (std::strcmp(a, "--cancel") == 0 && conValore) {
            annullaDopo = std::atoll(argv[++i]);
        } else if (std::strcmp(a, "--rebuild") == 0) {
            ricostruisci = true;
        } else {
            posizionali << QString::fromLocal8Bit(a);
        }
    }
    if (forma.reparti < 1 || forma.articoli < 1) {
        std::fprintf(stderr, "build: --departments and --articles take a positive number\n");
        return 2;
    }
    if (!posizionali.isEmpty()) {
        shop = posizionali[0];
        if (posizionali.size() > 1)
            set = QDir(posizionali[1]).absolutePath();
    } else {
        // A program folder of its own with the synthetic set as "classico"
        // and the program's own scripts.
        CopiaCartella(ProgramFolder::path() + QStringLiteral("/code"), tmp.filePath(QStringLiteral("code")));
        ProgramFolder::setPath(tmp.path());
        shop = tmp.filePath(QStringLiteral("negozio"));
        CatalogSchema::createEmptyShop(shop);
        if (formaData)
            forma.maxArticoli = 0;  // one page per department
        negozioSintetico(shop, forma);
        setSintetico(tmp.filePath(QStringLiteral("template/") + CatalogSchema::DefaultTemplateSet));
    }

    MessaggiSuStderr messages;
    Negozio negozio(messages);
    negozio.state.PercorsoNegozio = shop;
    if (negozio.CaricaNegozio() != Negozio::Aperto) {
        std::fprintf(stderr, "build: the shop could not be opened\n");
        return 1;
    }
    const Impostazioni imp = CaricaImpostazioni(negozio.dati().dataGenerale.recordset(), negozio.state);

    AnnullaDopo avanzamento(annullaDopo);
    Elaborazione e(negozio.state, imp, messages, &avanzamento);
    e.threads = threads;
    if (!set.isEmpty())
        e.CartellaSet = set;
    if (ricostruisci) {
        if (e.MakePages() != Elaborazione::Esito::Completata) {
            std::fprintf(stderr, "build: the first build failed\n");
            return 1;
        }
        negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE articoli SET titolo = titolo || ' *'"));
    }
    const double cpu0 = secondiCpu();
    QElapsedTimer t;
    t.start();
    const auto esito = e.MakePages();
    const double secondi = double(t.nsecsElapsed()) / 1e9;
    const double cpu = secondiCpu() - cpu0;
    if (annullaDopo >= 0) {
        if (esito != Elaborazione::Esito::Annullata) {
            std::fprintf(stderr, "build: ended before the cancel\n");
            return 1;
        }
        std::printf("cancel: %.1f ms\n", double(avanzamento.dalAnnullo()) / 1e6);
        return 0;
    }
    if (esito != Elaborazione::Esito::Completata) {
        std::fprintf(stderr, "build: failed\n");
        return 1;
    }
    qint64 byte = 0, pagine = 0;
    for (QDirIterator it(negozio.state.CartellaPagine, QDir::Files); it.hasNext();) {
        it.next();
        byte += it.fileInfo().size();
        if (it.fileName().endsWith(QLatin1String(".htm")))
            ++pagine;
    }
    std::printf("build: %.3f s\n", secondi);
    std::printf("cpu: %.3f s\n", cpu);
    std::printf("pages: %lld\n", static_cast<long long>(pagine));
    std::printf("bytes: %lld\n", static_cast<long long>(byte));
    std::printf("peak: %.1f MB\n", double(piccoMemoriaKB()) / 1024.0);
    return 0;
}
