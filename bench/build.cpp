// vetrasto-bench build [SHOP [SET]] [--departments N --articles M] [--threads T] [--cancel MS] [--rebuild]
//                      [--in DIR] [--copy [RUNS]] [--no-count]:
// a complete build of a shop folder without windows, the shop's settings
// record standing in for the main window's fields. SET is the path of a
// template set folder (default: the shop's own set). Without SHOP it makes a
// synthetic shop with the bench's small template set and the program's own
// scripts: by default 2,000 departments and 20,000 articles four to a page;
// with --departments and --articles that many, one page per department. The
// synthetic shop goes into a temporary folder, or with --in into DIR, which
// then keeps it: DIR is its program folder and DIR/negozio the shop, built
// again by `VETRASTO_HOME=DIR vetrasto-bench build DIR/negozio
// DIR/template/classico`. Prints the build's own time (not the making of the
// shop), its CPU time, the pages written, their bytes, the peak memory and
// the time in which at most one thread was at work. With --cancel the build
// is cancelled MS milliseconds after it starts, and the time from the cancel
// to the build's return is printed instead. With --rebuild the shop is built
// once, every article's title is changed, and the second build, in which
// every page replaces an older one, is the one measured. With --copy the
// whole build process (start, opening of the shop, build, exit) is run RUNS
// times (default 5) from empty pages and scripts folders, each run followed
// by a `cp -r` of the output it wrote into a folder beside the shop, and the
// medians of both, their ratio, the process's peak memory and its
// one-thread share are printed. Every message the window would show, the
// opening's and the build's, goes to stderr as the window words it; a
// question is answered No. The exit status is 1 when the build fails.
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
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <map>
#include <thread>
#include <unistd.h>
#include <vector>

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

// Watches every few milliseconds how long each thread of the process has
// run (its own CPU clock, which counts the time slice it is in) and sums
// the time in which at most one of them was at work: the part of a build
// that more cores cannot shorten.
class OsservatoreFili {
public:
    OsservatoreFili() : m_filo([this] { osserva(); }) {}
    ~OsservatoreFili() { ferma(); }
    void ferma()
    {
        m_fine = true;
        if (m_filo.joinable())
            m_filo.join();
    }
    double secondiUnFilo() const { return double(m_unFilo) / 1e9; }
    double secondiOsservati() const { return double(m_osservati) / 1e9; }

private:
    static qint64 secondi(clockid_t orologio)
    {
        timespec t{};
        if (clock_gettime(orologio, &t) != 0)
            return -1;
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    // The CPU clock of a thread of this process by its id.
    static clockid_t orologioDi(long tid) { return clockid_t((~tid << 3) | 6); }
    // How many threads other than this one ran at least a quarter of the
    // last interval (on a busy machine a working thread may not get the
    // whole of it); a thread seen for the first time counts from the next.
    int attivi(qint64 intervallo)
    {
        int n = 0;
        DIR *d = ::opendir("/proc/self/task");
        if (!d)
            return 0;
        const long io = long(::gettid());
        std::map<long, qint64> ora;
        while (const dirent *e = ::readdir(d)) {
            const long tid = std::atol(e->d_name);
            const qint64 corso = tid > 0 && tid != io ? secondi(orologioDi(tid)) : -1;
            if (corso < 0)
                continue;
            const auto prima = m_corso.find(tid);
            if (prima != m_corso.end() && 4 * (corso - prima->second) >= intervallo)
                ++n;
            ora[tid] = corso;
        }
        ::closedir(d);
        m_corso = std::move(ora);
        return n;
    }
    void osserva()
    {
        constexpr qint64 passo = 2000000;
        qint64 prima = secondi(CLOCK_MONOTONIC);
        attivi(passo);
        while (!m_fine) {
            const timespec t{0, passo};
            ::nanosleep(&t, nullptr);
            const qint64 adesso = secondi(CLOCK_MONOTONIC);
            const qint64 intervallo = adesso - prima;
            if (attivi(intervallo) <= 1)
                m_unFilo += intervallo;
            m_osservati += intervallo;
            prima = adesso;
        }
    }

    std::map<long, qint64> m_corso;  // by thread: nanoseconds run at the last look
    std::atomic<bool> m_fine{false};
    std::atomic<qint64> m_unFilo{0}, m_osservati{0};
    std::thread m_filo;
};

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Removes everything inside a folder, keeping the folder.
void svuota(const QString &cartella)
{
    QDir d(cartella);
    for (const QFileInfo &f : d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (f.isDir() && !f.isSymLink())
            QDir(f.filePath()).removeRecursively();
        else
            QFile::remove(f.filePath());
    }
}

// A value of a "name: value unit" line printed by a run, or 0.
double valoreStampato(const QByteArray &uscita, const QByteArray &nome)
{
    for (const QByteArray &riga : uscita.split('\n'))
        if (riga.startsWith(nome + ':'))
            return riga.mid(nome.size() + 1).trimmed().split(' ').value(0).toDouble();
    return 0;
}

// One run of the whole build process, timed from its start to its exit.
struct RunProcesso {
    double secondi = -1;  // -1: the build failed
    double piccoMB = 0;
    double unFilo = 0;  // seconds with at most one thread at work
};

RunProcesso buildInProcesso(const QStringList &argomenti)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VETRASTO_HOME"), ProgramFolder::path());
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(QCoreApplication::applicationFilePath(), argomenti);
    const bool finito = p.waitForFinished(-1);
    RunProcesso r;
    const double secondi = double(t.nsecsElapsed()) / 1e9;
    const QByteArray uscita = p.readAllStandardOutput();
    if (!finito || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "build: the build process failed:\n%s\n", p.readAllStandardError().constData());
        return r;
    }
    r.secondi = secondi;
    r.piccoMB = valoreStampato(uscita, "peak");
    // The start and the end of the process, outside the watch, run on one thread.
    r.unFilo = valoreStampato(uscita, "one-thread") + secondi - valoreStampato(uscita, "watched");
    return r;
}

// `cp -r` of the pages and scripts folders into a new folder; its seconds, -1 on failure.
double copia(const QStringList &cartelle, const QString &destinazione)
{
    QDir().mkpath(destinazione);
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("cp"), QStringList{QStringLiteral("-r")} + cartelle + QStringList{destinazione});
    const bool fatto = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const double secondi = double(t.nsecsElapsed()) / 1e9;
    QDir(destinazione).removeRecursively();
    return fatto ? secondi : -1;
}

// The whole build process against a copy of its output, run after run.
int confrontaCopia(const ShopState &stato, const QStringList &argomenti, int volte)
{
    const QStringList cartelle{stato.CartellaPagine, stato.CartellaScript};
    QTemporaryDir accanto(QFileInfo(stato.PercorsoNegozio).absolutePath() + QStringLiteral("/vetrasto-copia-XXXXXX"));
    std::vector<double> processo, cp, quota;
    double picco = 0;
    for (int i = 0; i < volte; ++i) {
        for (const QString &c : cartelle)
            svuota(c);
        const RunProcesso r = buildInProcesso(argomenti);
        const double c = r.secondi < 0 ? -1 : copia(cartelle, accanto.filePath(QString::number(i)));
        if (r.secondi < 0 || c < 0) {
            std::fprintf(stderr, "build: %s failed\n", r.secondi < 0 ? "the build" : "cp -r");
            return 1;
        }
        processo.push_back(r.secondi);
        cp.push_back(c);
        quota.push_back(r.unFilo / r.secondi);
        picco = std::max(picco, r.piccoMB);
    }
    std::printf("process: %.4f s\n", mediana(processo));
    std::printf("cp: %.4f s\n", mediana(cp));
    std::printf("ratio: %.2f\n", mediana(processo) / mediana(cp));
    std::printf("process-one-thread: %.1f %%\n", 100 * mediana(quota));
    std::printf("process-peak: %.1f MB\n", picco);
    return 0;
}

} // namespace

int benchBuild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString shop, set, cartellaIn;
    FormaSintetica forma;
    int threads = 0, copie = 0;
    qint64 annullaDopo = -1;
    bool formaData = false, ricostruisci = false, contaPagine = true;
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
        } else if (std::strcmp(a, "--in") == 0 && conValore) {
            cartellaIn = QDir(QString::fromLocal8Bit(argv[++i])).absolutePath();
        } else if (std::strcmp(a, "--no-count") == 0) {
            contaPagine = false;
        } else if (std::strcmp(a, "--copy") == 0) {
            copie = conValore && std::atoi(argv[i + 1]) > 0 ? std::atoi(argv[++i]) : 5;
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
        const QString base = cartellaIn.isEmpty() ? tmp.path() : cartellaIn;
        if (!cartellaIn.isEmpty() && (!QDir().mkpath(base) || !QDir(base).isEmpty())) {
            std::fprintf(stderr, "build: --in takes a new or empty folder\n");
            return 2;
        }
        shop = base + QStringLiteral("/negozio");
        if (formaData)
            forma.maxArticoli = 0;  // one page per department
        programmaSintetico(base, shop, forma);
    }

    MessaggiSuStderr messages;
    // The one-thread time counts from the opening of the shop.
    OsservatoreFili osservatore;
    Negozio negozio(messages);
    negozio.state.PercorsoNegozio = shop;
    if (negozio.CaricaNegozio() != Negozio::Aperto) {
        std::fprintf(stderr, "build: the shop could not be opened\n");
        return 1;
    }
    if (copie > 0) {
        // The runs open the shop themselves: it is closed here.
        osservatore.ferma();
        negozio.dati().chiudi();
        negozio.state.dbCatalogo->close();
        QStringList argomenti{QStringLiteral("build"), shop};
        if (!set.isEmpty())
            argomenti << set;
        if (threads > 0)
            argomenti << QStringLiteral("--threads") << QString::number(threads);
        // The process does nothing the build would not: no pages counted.
        return confrontaCopia(negozio.state, argomenti << QStringLiteral("--no-count"), copie);
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
    osservatore.ferma();
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
    for (QDirIterator it(negozio.state.CartellaPagine, QDir::Files); contaPagine && it.hasNext();) {
        it.next();
        byte += it.fileInfo().size();
        if (it.fileName().endsWith(QLatin1String(".htm")))
            ++pagine;
    }
    std::printf("build: %.4f s\n", secondi);
    std::printf("cpu: %.3f s\n", cpu);
    if (contaPagine) {
        std::printf("pages: %lld\n", static_cast<long long>(pagine));
        std::printf("bytes: %lld\n", static_cast<long long>(byte));
    }
    std::printf("peak: %.1f MB\n", double(piccoMemoriaKB()) / 1024.0);
    std::printf("one-thread: %.3f s\n", osservatore.secondiUnFilo());
    std::printf("watched: %.3f s\n", osservatore.secondiOsservati());
    return 0;
}
