// A build killed at random points (vetrasto-bench build in its own
// process, killed without warning): every file of the pages and scripts
// folders holds what a complete build wrote, whatever the moment (the
// catalogue does not change, so a file is either left as it was or replaced
// whole by the same bytes); the next build finishes and leaves no temporary
// file behind.
#include "database.h"
#include "temporanei.h"
#include "testshop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMap>
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

    // Every file of the pages and scripts folders with its bytes, leaving
    // out the temporary files a killed build leaves for the next.
    QMap<QString, QByteArray> fileDelSito()
    {
        QMap<QString, QByteArray> r;
        for (const char *cartella : {"/online", "/scripts"}) {
            const QString c = m_negozio + QLatin1String(cartella);
            for (const QString &f : QDir(c).entryList(QDir::Files | QDir::Hidden))
                if (!Temporanei::eTemporaneo(f) && f != QLatin1String("thankyou.tmp"))
                    r.insert(QLatin1String(cartella) + u'/' + f, leggi(c + u'/' + f));
        }
        return r;
    }

    // The files that differ from the complete build's, or are missing or new.
    QStringList diversi(const QMap<QString, QByteArray> &completa)
    {
        const QMap<QString, QByteArray> ora = fileDelSito();
        QStringList r;
        for (auto it = completa.cbegin(); it != completa.cend(); ++it)
            if (ora.value(it.key(), QByteArray("(manca)")) != it.value())
                r << it.key();
        for (auto it = ora.cbegin(); it != ora.cend(); ++it)
            if (!completa.contains(it.key()))
                r << it.key() + QStringLiteral(" (in piu')");
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
        const QMap<QString, QByteArray> completa = fileDelSito();
        QVERIFY(completa.size() > 400);
        for (auto it = completa.cbegin(); it != completa.cend(); ++it)
            if (it.key().startsWith(QLatin1String("/online/cat")) && it.key().endsWith(QLatin1String(".htm")))
                QVERIFY2(it.value().endsWith("</html>\r\n\r\n") && !it.value().contains("<<1-elenco>>") &&
                             !it.value().contains("<<2-"),
                         qPrintable(it.key()));

        const quint32 seme = QRandomGenerator::global()->generate();
        qInfo("seed %u, a whole build takes %d ms", seme, durata);
        QRandomGenerator caso(seme);
        for (int i = 0; i < 12; ++i) {
            const int ms = int(caso.bounded(quint32(durata + 1)));
            costruisci(ms);
            QVERIFY2(diversi(completa).isEmpty(), qPrintable(QStringLiteral("killed after %1 ms: %2")
                                                                 .arg(ms)
                                                                 .arg(diversi(completa).join(u' '))));
        }
        QCOMPARE(costruisci(-1), 0);
        QCOMPARE(diversi(completa), QStringList());
        for (const char *cartella : {"/online", "/scripts"})
            QCOMPARE(QDir(m_negozio + QLatin1String(cartella)).entryList({QStringLiteral(".*.vttmp")}, QDir::Files | QDir::Hidden),
                     QStringList());
        QVERIFY(leggi(m_negozio + QStringLiteral("/vtftp.dat")).endsWith('#'));
    }
};

QTEST_GUILESS_MAIN(TestInterruzione)
#include "test_interruzione.moc"
