// The Access reader on a real Jet file (the small example database that
// Debian's Free Pascal database units ship) and on files that are not one.
#include "testshop.h"

#include "catalogo.h"
#include "importazd.h"
#include "lettoremdb.h"
#include "settings.h"

#include <QProcess>
#include <QtTest>

class TestLettoreMdb : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString jet;  // the real Access file, unpacked

    QString errore(const QString &file)
    {
        try {
            LettoreMdb::apri(file);
        } catch (const ErroreSorgente &e) {
            return e.testo;
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        const QStringList trovati = QDir(QStringLiteral("/usr/share/doc")).entryList({QStringLiteral("fp-units-db*")}, QDir::Dirs);
        QString gz;
        for (const QString &d : trovati)
            for (const QString &v : QDir(QStringLiteral("/usr/share/doc/") + d).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                if (QFile::exists(QStringLiteral("/usr/share/doc/%1/%2/examples/odbc/testodbc.mdb.gz").arg(d, v)))
                    gz = QStringLiteral("/usr/share/doc/%1/%2/examples/odbc/testodbc.mdb.gz").arg(d, v);
        if (gz.isEmpty())
            QSKIP("The example Access file of the package fp-units-db is not installed (scripts/install-deps installs it)");
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), gz});
        QVERIFY(gunzip.waitForFinished());
        jet = dir.path() + QStringLiteral("/testodbc.mdb");
        scrivi(jet, gunzip.readAllStandardOutput());
    }

    void leggeTabella()
    {
        auto s = LettoreMdb::apri(jet);
        // Names are found whatever their letter case.
        const auto righe = s->leggi(QStringLiteral("fpdev"), {QStringLiteral("InstEmail"), QStringLiteral("ID"), QStringLiteral("username")});
        QCOMPARE(righe.size(), size_t(8));
        QCOMPARE(righe[0], (QVariantList{QStringLiteral("Michael@tfdec1.fys.kuleuven.ac.be"), 1LL, QStringLiteral("Michael Van Canneyt")}));
        QCOMPARE(righe[1][2].toString(), QStringLiteral("Florian Klaempfl"));
        QCOMPARE(righe[7][1].userType(), int(QMetaType::LongLong));
        // The same table can be read again.
        QCOMPARE(s->leggi(QStringLiteral("FPdev"), {QStringLiteral("id")}).size(), size_t(8));
    }

    void mancanze_data()
    {
        QTest::addColumn<QString>("tabella");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("tabella") << "Categoria" << "Id" << "Nel database manca la tabella 'Categoria'.";
        QTest::newRow("campo") << "FPdev" << "Vendita1" << "Nella tabella 'FPdev' manca il campo 'Vendita1'.";
        QTest::newRow("tabella di sistema non è un campo") << "FPdev" << "MSysObjects" << "Nella tabella 'FPdev' manca il campo 'MSysObjects'.";
    }
    void mancanze()
    {
        QFETCH(QString, tabella);
        QFETCH(QString, campo);
        QFETCH(QString, messaggio);
        auto s = LettoreMdb::apri(jet);
        try {
            s->leggi(tabella, {QStringLiteral("id"), campo});
            QFAIL("no error");
        } catch (const ErroreSorgente &e) {
            QCOMPARE(e.testo, messaggio);
        }
    }

    void nonUnDatabase_data()
    {
        QTest::addColumn<QByteArray>("contenuto");  // "": no file; "/": a folder
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("manca") << QByteArray() << "Il file '%1' non esiste.";
        QTest::newRow("cartella") << QByteArray("/") << "Il file '%1' non può essere letto: forse è in uso da un altro programma.";
        QTest::newRow("vuoto") << QByteArray("\0", 1) << "Il file '%1' non è un database di Zendaro.";
        QTest::newRow("testo") << QByteArray("Id;Nome\r\n1;Caffè\r\n") << "Il file '%1' non è un database di Zendaro.";
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0') << "Il file '%1' non è un database di Zendaro.";
    }
    void nonUnDatabase()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, messaggio);
        const QString file = dir.path() + QStringLiteral("/zendaro-%1.mdb").arg(QTest::currentDataTag());
        if (contenuto == "/")
            QDir().mkpath(file);
        else if (!contenuto.isEmpty())
            scrivi(file, contenuto == QByteArray("\0", 1) ? QByteArray() : contenuto);
        QCOMPARE(errore(file), messaggio.arg(file));
    }

    // A Jet file cut short is refused, not read past its end.
    void troncato_data()
    {
        QTest::addColumn<int>("byte");
        QTest::newRow("intestazione") << 100;
        QTest::newRow("una pagina") << 2048;
        QTest::newRow("due pagine") << 4096;
    }
    void troncato()
    {
        QFETCH(int, byte);
        const QString file = dir.path() + QStringLiteral("/troncato-%1.mdb").arg(byte);
        scrivi(file, leggi(jet).left(byte));
        try {
            auto s = LettoreMdb::apri(file);
            s->leggi(QStringLiteral("FPdev"), {QStringLiteral("id")});
            QFAIL("a cut file was read");
        } catch (const ErroreSorgente &e) {
            QVERIFY(e.testo.startsWith(QStringLiteral("Il file '") + file) || e.testo.startsWith(QStringLiteral("Nel database")));
        }
    }

    // The whole import on the real reader: a database without Zendaro's
    // tables is reported and nothing is written.
    void importazioneDaFileReale()
    {
        TestProgramFolder program;
        NegozioDiProva t;
        QCOMPARE(t.apri(program.newShop()), int(Negozio::Aperto));
        QVERIFY(QFile::copy(jet, program.path() + QStringLiteral("/zendaro.mdb")));
        SettingsStore::set(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"), program.path());
        Catalogo catalogo(t.negozio);
        const qint64 reparti = t.negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT COUNT(*) FROM categorie")).toLongLong();
        ImportazioneZendaro(t.negozio, catalogo).ImportaZD(QStringLiteral("1110"), LettoreMdb::apri);
        QCOMPARE(t.messages.texts(), QStringList{"Non è stato possibile importare i dati\r\nNel database manca la tabella 'Categoria'."});
        QCOMPARE(t.negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT COUNT(*) FROM categorie")).toLongLong(), reparti);
    }
};

QTEST_GUILESS_MAIN(TestLettoreMdb)
#include "test_lettoremdb.moc"
