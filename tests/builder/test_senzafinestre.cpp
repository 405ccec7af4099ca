// vetrasto-bench build, the build without windows that the README offers,
// in its own process on a real shop: every message the window would show
// goes to stderr in the window's words, and the exit status says whether
// the build completed.
#include "database.h"
#include "testshop.h"

#include <QProcess>
#include <QtTest>

class TestSenzaFinestre : public QObject {
    Q_OBJECT

private slots:
    void messaggi_data()
    {
        QTest::addColumn<QString>("sql");  // what makes the catalogue say something
        QTest::addColumn<QStringList>("righe");  // stderr, line by line
        QTest::addColumn<int>("codice");
        const QString fine = QStringLiteral("Vetrasto: Creazione del negozio terminata. Vuoi vedere il risultato? [No]");
        QTest::newRow("nessun avviso") << "" << QStringList{fine} << 0;
        QTest::newRow("reparto rifiutato")
            << "UPDATE categorie SET pagina='../fuori' WHERE ID='cat001'"
            << QStringList{"Vetrasto: Le pagine del reparto 'Nuovo Reparto' (cat001) non sono state create: il nome "
                           "della pagina '../fuori' non è un nome di file valido: può contenere solo lettere senza "
                           "accenti, cifre, \"-\" e \"_\".",
                           fine}
            << 0;
        QTest::newRow("frammento del pagamento mancante")
            << "UPDATE pagamento SET attivo1=1, metodo1='manca', attivo2=0, selezionato=1"
            << QStringList{"Vetrasto: Impossibile trovare il file 'manca.epg'", fine} << 0;
        QTest::newRow("costruzione fallita")
            << "UPDATE generale SET perl='perl'"
            << QStringList{"Vetrasto: Il percorso dell'interprete Perl 'perl' non è valido: scrivere nella vista "
                           "Internet il percorso completo del programma sul server (per esempio /usr/bin/perl), "
                           "seguito al più da opzioni come -w, su una sola riga, e ripetere l'operazione.",
                           "build: failed"}
            << 1;
    }

    void messaggi()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, righe);
        QFETCH(int, codice);
        TestProgramFolder programma;
        const QString negozio = programma.newShop();
        {
            auto db = Database::open(negozio + QStringLiteral("/catalog.mdb"));
            db->execute(QStringLiteral("UPDATE generale SET perl='/usr/bin/perl', URL='www.esempio.it', "
                                        "email_ordini='ordini@esempio.it'"));
            if (!sql.isEmpty())
                db->execute(sql);
            db->close();
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VETRASTO_HOME"), programma.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("VETRASTO_BENCH"),
                {QStringLiteral("build"), negozio, qEnvironmentVariable("VETRASTO_TEST_DATA") + QStringLiteral("/set")});
        QVERIFY(p.waitForFinished(60000));
        const QString errori = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(errori.split(u'\n', Qt::SkipEmptyParts), righe);
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), codice);
        // The figures still go to stdout, and only for a completed build.
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).startsWith(QLatin1String("build: ")), codice == 0);
    }
};

QTEST_GUILESS_MAIN(TestSenzaFinestre)
#include "test_senzafinestre.moc"
