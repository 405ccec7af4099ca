// A build killed at random points (vetrasto-bench build in its own
// process, killed without warning): every page in the pages folder is
// complete, whatever the moment; the next build finishes and leaves no
// temporary file behind.
#include "database.h"
#include "testshop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

class TestInterruzione : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> m_program;
    QString m_negozio;

    // One build in its own process; killed after `ms` milliseconds unless
    // negative. Returns the exit code of a build that ran to its end.
    int costruisci(int ms)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VETRASTO_HOME"), m_program->path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("VETRASTO_BENCH"),
                {QStringLiteral("build"), m_negozio, qEnvironmentVariable("VETRASTO_TEST_DATA") + QStringLiteral("/set")});
        if (!p.waitForStarted())
            return -1;
        if (ms >= 0 && !p.waitForFinished(ms)) {
            p.kill();
            p.waitForFinished();
            return -2;
        }
        p.waitForFinished(60000);
        return p.exitCode();
    }

    // The department pages that are not complete: both merges done, the
    // list filled in, the page whole.
    QStringList incomplete()
    {
        QStringList r;
        const QString cartella = m_negozio + QStringLiteral("/online");
        for (const QString &f : QDir(cartella).entryList({QStringLiteral("cat*.htm")}, QDir::Files)) {
            const QByteArray t = leggi(cartella + u'/' + f);
            if (!t.endsWith("</html>\r\n\r\n") || t.contains("<<1-elenco>>") || t.contains("<<2-"))
                r << f;
        }
        return r;
    }

private slots:
    void uccisaACaso()
    {
        m_program = std::make_unique<TestProgramFolder>();
        m_negozio = m_program->newShop();
        {
            NegozioDiProva shop;
            QCOMPARE(shop.apri(m_negozio), int(Negozio::Aperto));
            Database &db = *shop.negozio.state.dbCatalogo;
            db.execute(QStringLiteral("DELETE FROM categorie"));
            riempiCatalogo(db, 400, 12);
            db.execute(QStringLiteral("UPDATE categorie SET template='modello1', maxarticoli=5"));
        }
        QElapsedTimer t;
        t.start();
        QCOMPARE(costruisci(-1), 0);
        const int durata = int(t.elapsed());
        QCOMPARE(incomplete(), QStringList());

        const quint32 seme = QRandomGenerator::global()->generate();
        qInfo("seed %u, a whole build takes %d ms", seme, durata);
        QRandomGenerator caso(seme);
        for (int i = 0; i < 12; ++i) {
            const int ms = int(caso.bounded(quint32(durata + 1)));
            costruisci(ms);
            QVERIFY2(incomplete().isEmpty(), qPrintable(QStringLiteral("killed after %1 ms: %2")
                                                            .arg(ms)
                                                            .arg(incomplete().join(u' '))));
        }
        QCOMPARE(costruisci(-1), 0);
        QCOMPARE(incomplete(), QStringList());
        for (const char *cartella : {"/online", "/scripts"})
            QCOMPARE(QDir(m_negozio + QLatin1String(cartella)).entryList({QStringLiteral(".*.vttmp")}, QDir::Files | QDir::Hidden),
                     QStringList());
        QVERIFY(leggi(m_negozio + QStringLiteral("/vtftp.dat")).endsWith('#'));
    }
};

QTEST_GUILESS_MAIN(TestInterruzione)
#include "test_interruzione.moc"
