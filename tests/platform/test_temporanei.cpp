// The temporary files of every writer that replaces a file by renaming: the
// names it makes while writing (watched with inotify) all have the form
// Temporanei removes, none stays after the write, and the same names left
// by a killed write are removed, by the writer's next save where it cleans
// its folders itself, else by Temporanei::rimuovi.
#include "cartelle.h"
#include "confini.h"
#include "filesicuro.h"
#include "make.h"
#include "osservatore.h"
#include "temporanei.h"
#include "testshop.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Writes `dati` over the file `percorso` with the writer named.
bool scriviCon(const QString &scrittore, const QString &percorso, const QByteArray &dati, const QString &sorgente)
{
    if (scrittore == QLatin1String("sostituisciFile"))
        return sostituisciFile(percorso, dati).ok;
    if (scrittore == QLatin1String("ScriviInsieme"))
        return ScriviInsieme({{percorso, dati}, {percorso + QStringLiteral(".2"), dati}}, nullptr);
    if (scrittore == QLatin1String("CopiaCartella")) {
        scrivi(sorgente + QStringLiteral("/f.dat"), dati);
        scrivi(sorgente + QStringLiteral("/f.dat.2"), dati);
        return CopiaCartella(sorgente, QFileInfo(percorso).path());
    }
    if (scrittore == QLatin1String("scriviFile con scorte")) {
        const Make::Scorte scorte;  // as a build writes its pages
        return Make::scriviFile(percorso, dati);
    }
    return Make::scriviFile(percorso, dati);
}

} // namespace

class TestTemporanei : public QObject {
    Q_OBJECT
private slots:
    void temporaneiDiOgniScrittore_data()
    {
        QTest::addColumn<QString>("scrittore");
        QTest::addColumn<Make::Scrittura>("modo");
        QTest::addColumn<bool>("pulisce");  // removes leftovers itself before writing
        QTest::newRow("immagine") << "sostituisciFile" << Make::Scrittura::Solita << false;
        QTest::newRow("pagina, file senza nome") << "scriviFile" << Make::Scrittura::Solita << false;
        QTest::newRow("pagina, nome temporaneo") << "scriviFile" << Make::Scrittura::NomeTemporaneo << false;
        QTest::newRow("pagina, copia con nome") << "scriviFile" << Make::Scrittura::CopiaConNome << false;
        QTest::newRow("pagina, scambio con una scorta") << "scriviFile con scorte" << Make::Scrittura::Solita << false;
        QTest::newRow("pagina, senza scambio") << "scriviFile con scorte" << Make::Scrittura::SenzaScambio << false;
        QTest::newRow("configurazione di pagamento") << "ScriviInsieme" << Make::Scrittura::Solita << true;
        QTest::newRow("copia di una cartella") << "CopiaCartella" << Make::Scrittura::Solita << true;
    }
    void temporaneiDiOgniScrittore()
    {
        QFETCH(QString, scrittore);
        QFETCH(Make::Scrittura, modo);
        QFETCH(bool, pulisce);
        Make::impostaScritturaPerTest(modo);
        const auto ripristina = qScopeGuard([] { Make::impostaScritturaPerTest(Make::Scrittura::Solita); });
        QTemporaryDir dir, sorgente;
        const QString file = dir.filePath(QStringLiteral("f.dat"));
        scrivi(file, "vecchio");
        scrivi(file + QStringLiteral(".2"), "vecchio");
        const QStringList finali = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

        Osservatore osservatore(dir.path());
        QVERIFY(osservatore.valido());
        // A watch that could not be set would see nothing.
        QVERIFY(!Osservatore(dir.filePath(QStringLiteral("manca"))).valido());
        QVERIFY(scriviCon(scrittore, file, "nuovo", sorgente.path()));
        QCOMPARE(leggi(file), QByteArray("nuovo"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), finali);
        QStringList temporanei = osservatore.creati();
        temporanei.removeDuplicates();
        for (const QString &f : finali)
            temporanei.removeAll(f);
        // Every row replaces a file there, so each writes a temporary file.
        QVERIFY(!temporanei.isEmpty());
        for (const QString &t : temporanei)
            QVERIFY2(Temporanei::eTemporaneo(t), qPrintable(t));

        // The same names left by a write that was killed.
        for (const QString &t : temporanei)
            scrivi(dir.filePath(t), "resto");
        if (pulisce) {
            QVERIFY(scriviCon(scrittore, file, "ancora", sorgente.path()));
            QCOMPARE(leggi(file), QByteArray("ancora"));
        } else {
            QCOMPARE(Temporanei::rimuovi(dir.path()), int(temporanei.size()));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), finali);
    }
};

QTEST_GUILESS_MAIN(TestTemporanei)
#include "test_temporanei.moc"
