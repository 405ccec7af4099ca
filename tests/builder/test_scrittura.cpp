// Pages written over older ones. While a Scorte lives (as during a build) a
// page that changed is swapped with the older file in one step, and the
// older file is filled with the next page: the folder sees no file made or
// removed. A page with the same bytes keeps its date; an older file that has
// another name, another mode, or is a link or a folder is never written
// through; a write that fails leaves the older page whole; and no temporary
// file stays once the Scorte ends. A file written in pieces holds them in
// order, and a failure among small pieces is told when it is put in place.
#include "make.h"
#include "osservatore.h"
#include "testshop.h"
#include "verifica.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

const QDateTime dataVecchia(QDate(2001, 2, 3), QTime(4, 5, 6), QTimeZone::utc());

// Gives the file an old date.
bool invecchia(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.setFileTime(dataVecchia, QFileDevice::FileModificationTime);
}

QString pagina(const QTemporaryDir &dir, int i)
{
    return dir.filePath(QStringLiteral("pagina%1.htm").arg(i));
}

// Contents of different lengths, so that a reused file must be cut.
QByteArray contenuto(const char *giro, int i, int lunghezza)
{
    return QByteArray(giro) + QByteArray::number(i) + QByteArray(lunghezza, char('a' + i));
}

bool soloPagine(const QTemporaryDir &dir, const QStringList &attese)
{
    const QStringList trovate = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    CONFRONTA(trovate, attese);
    return true;
}

} // namespace

class TestScrittura : public QObject {
    Q_OBJECT
private slots:
    void sostituzione_data()
    {
        QTest::addColumn<Make::Scrittura>("modo");
        QTest::addColumn<bool>("scorte");
        QTest::addColumn<int>("creatiPerPagina");  // names made in the folder for each page replaced
        QTest::newRow("scambio con la scorta") << Make::Scrittura::Solita << true << 0;
        QTest::newRow("nuovi con nome temporaneo") << Make::Scrittura::NomeTemporaneo << true << 0;
        QTest::newRow("nuovi copiati con nome") << Make::Scrittura::CopiaConNome << true << 0;
        QTest::newRow("senza scambio: rinomina") << Make::Scrittura::SenzaScambio << true << 1;
        QTest::newRow("senza scorte: rinomina") << Make::Scrittura::Solita << false << 1;
    }
    void sostituzione()
    {
        QFETCH(Make::Scrittura, modo);
        QFETCH(bool, scorte);
        QFETCH(int, creatiPerPagina);
        Make::impostaScritturaPerTest(modo);
        const auto ripristina = qScopeGuard([] { Make::impostaScritturaPerTest(Make::Scrittura::Solita); });
        QTemporaryDir dir;
        constexpr int n = 6;
        QStringList nomi;
        for (int i = 0; i < n; ++i) {
            QVERIFY(Make::scriviFile(pagina(dir, i), contenuto("prima", i, 100)));
            nomi << QFileInfo(pagina(dir, i)).fileName();
        }
        {
            std::optional<Make::Scorte> scorta;
            if (scorte)
                scorta.emplace();
            for (int i = 0; i < n; ++i)
                QVERIFY(Make::scriviFile(pagina(dir, i), contenuto("seconda", i, 5000 + 1000 * i)));
            for (int i = 0; i < n; ++i)
                QVERIFY(invecchia(pagina(dir, i)));

            Osservatore osservatore(dir.path(), IN_CREATE | IN_DELETE | IN_MOVED_TO);
            QVERIFY(osservatore.valido());
            for (int i = 0; i < n; ++i)
                QVERIFY(Make::scriviFile(pagina(dir, i), contenuto("terza", i, 3000 - 100 * i)));
            QVERIFY(Make::scriviFile(pagina(dir, 0), contenuto("terza", 0, 3000)));  // the same bytes
            int creati = 0, tolti = 0;
            QStringList arrivati;
            for (const Osservatore::Evento &e : osservatore.eventi()) {
                creati += (e.tipo & IN_CREATE) != 0;
                tolti += (e.tipo & IN_DELETE) != 0;
                if ((e.tipo & IN_MOVED_TO) && nomi.contains(e.nome))
                    arrivati << e.nome;
            }
            QCOMPARE(creati, creatiPerPagina * n);
            QCOMPARE(tolti, 0);
            QCOMPARE(arrivati, nomi);  // each page once, in place

            for (int i = 0; i < n; ++i) {
                QCOMPARE(leggi(pagina(dir, i)), contenuto("terza", i, 3000 - 100 * i));
                QVERIFY(QFileInfo(pagina(dir, i)).lastModified() > dataVecchia);
            }
            QVERIFY(invecchia(pagina(dir, 1)));
            QVERIFY(Make::scriviFile(pagina(dir, 1), contenuto("terza", 1, 2900)));
            QCOMPARE(QFileInfo(pagina(dir, 1)).lastModified(), dataVecchia);
        }
        QVERIFY(soloPagine(dir, nomi));
    }

    void fileNonRiusabili_data()
    {
        QTest::addColumn<QString>("caso");
        QTest::newRow("un altro nome dello stesso file") << "altro nome";
        QTest::newRow("permessi cambiati") << "permessi";
        QTest::newRow("un collegamento simbolico") << "collegamento";
        QTest::newRow("una cartella") << "cartella";
        QTest::newRow("una pipe con nome") << "pipe";
    }
    void fileNonRiusabili()
    {
        // Page 0 replaced first leaves its older file as the spare that
        // page 1 would fill.
        QFETCH(QString, caso);
        QTemporaryDir dir, fuori;
        const QString p0 = pagina(dir, 0), p1 = pagina(dir, 1);
        const QString altro = fuori.filePath(QStringLiteral("altro.htm"));
        QStringList attese{QStringLiteral("pagina0.htm"), QStringLiteral("pagina1.htm")};
        QVERIFY(Make::scriviFile(p1, "vecchia 1"));
        if (caso == QLatin1String("cartella")) {
            QVERIFY(QDir().mkpath(p0 + QStringLiteral("/dentro")));
        } else if (caso == QLatin1String("collegamento")) {
            scrivi(altro, "di un altro");
            QVERIFY(QFile::link(altro, p0));
        } else if (caso == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(p0).constData(), 0644), 0);
        } else {
            QVERIFY(Make::scriviFile(p0, "vecchia 0"));
            if (caso == QLatin1String("altro nome")) {
                QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("copie"))));
                QCOMPARE(::link(QFile::encodeName(p0).constData(),
                                QFile::encodeName(dir.filePath(QStringLiteral("copie/pagina0.htm"))).constData()),
                         0);
                attese.prepend(QStringLiteral("copie"));
            } else {
                QVERIFY(QFile::setPermissions(p0, QFile::ReadOwner | QFile::WriteOwner));
            }
        }
        const QFileDevice::Permissions nuovo = QFileInfo(p1).permissions();
        {
            const Make::Scorte scorte;
            QString errore;
            // A pipe is never read as an older page: that would wait for a
            // writer for ever. Should it, one comes after a while.
            std::atomic<bool> fatto{false}, sbloccata{false};
            std::thread guardia([&] {
                for (int i = 0; i < 100 && !fatto; ++i)
                    QThread::msleep(50);
                const int fd = fatto ? -1 : ::open(QFile::encodeName(p0).constData(), O_WRONLY | O_NONBLOCK);
                sbloccata = fd >= 0;
                if (fd >= 0)
                    ::close(fd);
            });
            const bool scritta = Make::scriviFile(p0, "nuova 0", &errore);
            fatto = true;
            guardia.join();
            QVERIFY(!sbloccata);
            QCOMPARE(scritta, caso != QLatin1String("cartella"));
            QCOMPARE(errore.isEmpty(), scritta);
            QVERIFY(Make::scriviFile(p1, "nuova 1"));
        }
        QCOMPARE(leggi(p1), QByteArray("nuova 1"));
        QCOMPARE(QFileInfo(p1).permissions(), nuovo);
        QVERIFY(soloPagine(dir, attese));
        if (caso == QLatin1String("cartella")) {
            QVERIFY(QFileInfo(p0 + QStringLiteral("/dentro")).isDir());
            return;
        }
        QVERIFY(!QFileInfo(p0).isSymLink());
        QCOMPARE(leggi(p0), QByteArray("nuova 0"));
        if (caso == QLatin1String("collegamento"))
            QCOMPARE(leggi(altro), QByteArray("di un altro"));
        if (caso == QLatin1String("altro nome"))
            QCOMPARE(leggi(dir.filePath(QStringLiteral("copie/pagina0.htm"))), QByteArray("vecchia 0"));
    }

    void scritturaFallita()
    {
        // A write cut short (a file size limit stands in for a full disk)
        // leaves the older page whole, also when it was writing over a spare.
        QTemporaryDir dir;
        const QString p0 = pagina(dir, 0), p1 = pagina(dir, 1);
        QVERIFY(Make::scriviFile(p0, contenuto("prima", 0, 50000)));
        QVERIFY(Make::scriviFile(p1, contenuto("prima", 1, 50000)));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit prima{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &prima), 0);
        {
            const Make::Scorte scorte;
            QVERIFY(Make::scriviFile(p0, contenuto("seconda", 0, 60000)));
            rlimit limite = prima;
            limite.rlim_cur = 100000;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
            QString errore;
            const bool scritta = Make::scriviFile(p1, contenuto("seconda", 1, 150000), &errore);
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &prima), 0);
            QVERIFY(!scritta);
            QVERIFY(!errore.isEmpty());
            QCOMPARE(leggi(p1), contenuto("prima", 1, 50000));
            QVERIFY(Make::scriviFile(p1, contenuto("terza", 1, 80000)));
        }
        QCOMPARE(leggi(p0), contenuto("seconda", 0, 60000));
        QCOMPARE(leggi(p1), contenuto("terza", 1, 80000));
        QVERIFY(soloPagine(dir, {QStringLiteral("pagina0.htm"), QStringLiteral("pagina1.htm")}));
    }

    void filePronti_data()
    {
        QTest::addColumn<Make::Scrittura>("modo");
        QTest::addColumn<bool>("scorte");
        QTest::newRow("scambio con la scorta") << Make::Scrittura::Solita << true;
        QTest::newRow("senza scambio: rinomina") << Make::Scrittura::SenzaScambio << true;
        QTest::newRow("senza scorte: rinomina") << Make::Scrittura::Solita << false;
    }
    void filePronti()
    {
        // Pages written out first and put in place later, in another order:
        // before they are in place the folder shows the older pages; a page
        // dropped keeps its older file, one with the same bytes its date; a
        // folder in the way is told at once; no temporary file stays.
        QFETCH(Make::Scrittura, modo);
        QFETCH(bool, scorte);
        Make::impostaScritturaPerTest(modo);
        const auto ripristina = qScopeGuard([] { Make::impostaScritturaPerTest(Make::Scrittura::Solita); });
        QTemporaryDir dir;
        QStringList nomi;
        for (int i = 0; i < 6; ++i) {
            nomi << QFileInfo(pagina(dir, i)).fileName();
            if (i < 4)
                QVERIFY(Make::scriviFile(pagina(dir, i), contenuto("prima", i, 4000)));
        }
        QVERIFY(invecchia(pagina(dir, 1)));
        QVERIFY(QDir().mkpath(pagina(dir, 5) + QStringLiteral("/dentro")));
        {
            std::optional<Make::Scorte> scorta;
            if (scorte)
                scorta.emplace();
            std::vector<Make::FilePronto> pronti(6);
            for (int i = 0; i < 6; ++i)
                QCOMPARE(pronti[size_t(i)].prepara(pagina(dir, i),
                                                   i == 1 ? contenuto("prima", 1, 4000) : contenuto("nuova", i, 300 * i)),
                         i != 5);
            QVERIFY(!pronti[5].errore().isEmpty());
            for (int i = 0; i < 4; ++i)
                QCOMPARE(leggi(pagina(dir, i)), contenuto("prima", i, 4000));
            QVERIFY(!QFile::exists(pagina(dir, 4)));
            pronti[3].scarta();
            for (int i : {4, 2, 0, 1, 3})
                QVERIFY(pronti[size_t(i)].metti());
            QVERIFY(!pronti[5].metti());
            for (int i : {0, 2, 4})
                QCOMPARE(leggi(pagina(dir, i)), contenuto("nuova", i, 300 * i));
            QCOMPARE(leggi(pagina(dir, 1)), contenuto("prima", 1, 4000));
            QCOMPARE(QFileInfo(pagina(dir, 1)).lastModified(), dataVecchia);
            QCOMPARE(leggi(pagina(dir, 3)), contenuto("prima", 3, 4000));
            QVERIFY(QFileInfo(pagina(dir, 5) + QStringLiteral("/dentro")).isDir());
            // Dropped with the object, a page never reaches the folder.
            {
                Make::FilePronto via;
                QVERIFY(via.prepara(pagina(dir, 3), contenuto("ancora", 3, 10)));
            }
            QCOMPARE(leggi(pagina(dir, 3)), contenuto("prima", 3, 4000));
        }
        QVERIFY(soloPagine(dir, nomi));
    }

    void moltiFileNuoviPronti()
    {
        // More new pages waiting than the process may hold open: each still
        // reaches its place whole, whatever the order, and nothing else stays.
        QTemporaryDir dir;
        constexpr int n = 700;
        std::vector<Make::FilePronto> pronti(n);
        QStringList nomi;
        for (int i = 0; i < n; ++i) {
            QVERIFY(pronti[size_t(i)].prepara(pagina(dir, i), contenuto("nuova", i % 20, i)));
            nomi << QFileInfo(pagina(dir, i)).fileName();
        }
        for (int i = n - 1; i >= 0; --i)
            QVERIFY(pronti[size_t(i)].metti());
        for (int i = 0; i < n; ++i)
            QCOMPARE(leggi(pagina(dir, i)), contenuto("nuova", i % 20, i));
        nomi.sort();
        QVERIFY(soloPagine(dir, nomi));
    }

    void fileAPezzi_data()
    {
        QTest::addColumn<QList<int>>("pezzi");
        QTest::newRow("molte righe") << QList<int>(5000, 100);
        QTest::newRow("righe e pezzi grandi") << QList<int>{10, 300000, 20, 65536, 1, 65535, 3};
        QTest::newRow("ai bordi del blocco") << QList<int>{65535, 65535, 65535, 65535, 65535, 1, 262144, 7};
        QTest::newRow("nessun pezzo") << QList<int>{};
    }

    void fileAPezzi()
    {
        // A file written in pieces of any size holds them all, in order, new
        // or over an older one.
        QFETCH(QList<int>, pezzi);
        QTemporaryDir dir;
        const QString f = dir.filePath(QStringLiteral("lista.dat"));
        for (const char primo : {'a', 'A'}) {
            QByteArray atteso;
            Make::FileUscita u;
            QVERIFY(u.apri(f));
            for (int i = 0; i < pezzi.size(); ++i) {
                const QByteArray pezzo(pezzi[i], char(primo + i % 26));
                atteso += pezzo;
                QVERIFY(u.scrivi(pezzo));
            }
            QVERIFY(u.chiudi());
            QCOMPARE(leggi(f), atteso);
        }
    }

    void fileAPezziFallito()
    {
        // Pieces too small to be written at once: a disk that fills up
        // under them is told when the file is put in place, which the older
        // file then survives.
        QTemporaryDir dir;
        const QString f = dir.filePath(QStringLiteral("lista.dat"));
        QVERIFY(Make::scriviFile(f, "vecchio"));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit prima{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &prima), 0);
        rlimit limite = prima;
        limite.rlim_cur = 100000;
        Make::FileUscita u;
        QVERIFY(u.apri(f));
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
        bool scritto = true;
        for (int i = 0; i < 2000; ++i)
            scritto = u.scrivi(QByteArray(100, 'x')) && scritto;
        scritto = u.chiudi() && scritto;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &prima), 0);
        QVERIFY(!scritto);
        QVERIFY(!u.errore().isEmpty());
        QCOMPARE(leggi(f), QByteArray("vecchio"));
        QVERIFY(soloPagine(dir, {QStringLiteral("lista.dat")}));
    }

    void scrittoriConScorte()
    {
        // Writers on several threads share the spares: each write succeeds
        // and every file ends whole.
        QTemporaryDir dir;
        std::vector<QByteArray> dati;
        for (int i = 0; i < 8; ++i)
            dati.push_back(QByteArray(20000 + 3000 * i, char('a' + i)));
        QStringList errori;
        QMutex m;
        {
            const Make::Scorte scorte;
            std::vector<std::thread> scrittori;
            for (int i = 0; i < 8; ++i)
                scrittori.emplace_back([&, i] {
                    const QString file = i % 2 ? dir.filePath(QStringLiteral("propria%1.htm").arg(i))
                                               : dir.filePath(QStringLiteral("comune.htm"));
                    for (int volta = 0; volta < 30; ++volta) {
                        QString errore;
                        if (!Make::scriviFile(file, dati[size_t((i + volta) % 8)], &errore)) {
                            QMutexLocker l(&m);
                            errori << errore;
                        }
                    }
                });
            for (auto &t : scrittori)
                t.join();
        }
        QCOMPARE(errori, QStringList());
        QStringList attese{QStringLiteral("comune.htm")};
        for (int i = 1; i < 8; i += 2) {
            attese << QStringLiteral("propria%1.htm").arg(i);
            QCOMPARE(leggi(dir.filePath(attese.last())), dati[size_t((i + 29) % 8)]);
        }
        QVERIFY(std::find(dati.begin(), dati.end(), leggi(dir.filePath(attese.first()))) != dati.end());
        QVERIFY(soloPagine(dir, attese));
    }
};

QTEST_GUILESS_MAIN(TestScrittura)
#include "test_scrittura.moc"
