// The build on several threads against the build on one: the demo shop with
// the program's template sets and scripts, and a synthetic shop with
// sub-departments, pages of several articles, showcase articles and
// variants. Every file of the pages and scripts folders and the upload list
// are the same byte for byte; a cancelled build leaves no page half
// written and no upload list.
#include "elabora.h"

#include "cartelle.h"
#include "database.h"
#include "impostazioni.h"
#include "programfolder.h"
#include "recordset.h"
#include "provacostruzione.h"
#include "testshop.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>

#include <climits>

namespace {

using Istantanea = QMap<QString, QByteArray>;

// Every file the build writes: the pages and scripts folders and the list.
Istantanea istantanea(const QString &negozio)
{
    Istantanea r;
    for (const char *cartella : {"online", "scripts"})
        for (QDirIterator it(negozio + u'/' + QLatin1String(cartella), QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString f = it.next();
            r.insert(f, leggi(f));
        }
    r.insert(QStringLiteral("vtftp.dat"), leggi(negozio + QStringLiteral("/vtftp.dat")));
    return r;
}

// Departments in groups of five (a top level and four below), three to
// seven articles each, every third in the showcase, some with variants.
void riempiSintetico(Database &db)
{
    Transazione t(db);
    db.execute(QStringLiteral("DELETE FROM categorie"));
    db.execute(QStringLiteral("INSERT INTO opzioni (ID, nome, opzione1, prezzo1, opzione2, prezzo2, selezionato) "
                              "VALUES (2, 'Taglia', 'S', 0, 'XL', 20000, 1)"));
    for (int i = 1; i <= 60; ++i) {
        const bool alto = (i - 1) % 5 == 0;
        const QString id = QStringLiteral("r%1").arg(i, 3, 10, QLatin1Char('0'));
        const QString genitore = alto ? QStringLiteral("###") : QStringLiteral("r%1").arg(i - (i - 1) % 5, 3, 10, QLatin1Char('0'));
        db.execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, template, titolo, "
                                  "maxarticoli, iva, sconto, descrizione) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 22, ?, ?)"),
                   {id, genitore, alto ? 1 : 2, 1000 - i, id, i % 2 ? QStringLiteral("modello1") : QStringLiteral("modello2"),
                    QStringLiteral("Reparto %1 è \"bello\"").arg(i), 1 + i % 4, i % 3 * 5,
                    QStringLiteral("Riga 1\r\nRiga 2")});
        for (int a = 1; a <= 3 + i % 5; ++a)
            db.execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, descrizione, prezzo, "
                                      "inelenco, opzione1, peso) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {id, a, QStringLiteral("%1-%2").arg(id).arg(a), QStringLiteral("Articolo, n. %1").arg(a),
                        QStringLiteral("L'articolo %1 del reparto %2").arg(a).arg(i), qlonglong(a * 12345),
                        (i + a) % 3 == 0 ? -1 : 0, a % 4 == 0 ? 2 : 1, 0.25 * a});
    }
    t.commit();
}

enum Guasto { ModelloMancante, CartellaAlPosto, NomeTroppoLungo };

class Annulla : public Avanzamento {
public:
    int dopo = 0;  // cancels at that progress value
    bool annullato() const override { return m_annullato; }
    void valore(int v) override
    {
        if (v >= dopo)
            m_annullato = true;
    }

private:
    bool m_annullato = false;
};

} // namespace

class TestParallelo : public QObject, public ProvaCostruzione {
    Q_OBJECT

    QString m_set;


    Elaborazione::Esito costruisci(int threads, Avanzamento *avanzamento = nullptr)
    {
        m_shop->messages.clear();
        m_shop->messages.answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, m_shop->messages, avanzamento);
        e.CartellaSet = m_set;
        e.threads = threads;
        return e.MakePages();
    }

    // The demo shop, or the synthetic one, with the program's own folder;
    // false when it cannot be made or opened.
    [[nodiscard]] bool apri(bool demo)
    {
        const QString home = qEnvironmentVariable("VETRASTO_HOME");
        bool copiato = true;
        const bool aperto = nuovoNegozio([&](TestProgramFolder &programma) {
            // The program's scripts and payment gateways.
            copiato = CopiaCartella(home + QStringLiteral("/code"), programma.path() + QStringLiteral("/code"));
            if (!demo)
                return programma.newShop();
            copiato = CopiaCartella(home + QStringLiteral("/demo"), programma.path() + QStringLiteral("/demo")) && copiato;
            return programma.path() + QStringLiteral("/demo");
        });
        if (!aperto || !copiato)
            return false;
        if (!demo)
            riempiSintetico(*stato().dbCatalogo);
        Recordset generale(stato().dbCatalogo, QStringLiteral("SELECT * FROM generale"));
        generale.moveFirst();
        m_imp = CaricaImpostazioni(generale, stato());
        if (!demo) {
            m_imp.chkPercRep = 1;
            m_imp.chkElencoCodice = 1;
            m_imp.chkElencoFoto = 1;
            m_imp.txtURL = QStringLiteral("www.esempio.it");
        }
        m_set = home + QStringLiteral("/template/classico");
        return true;
    }

private slots:
    void stessoRisultato_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<int>("threads");
        QTest::newRow("demo, 8 thread") << true << 8;
        QTest::newRow("demo, 3 thread") << true << 3;
        QTest::newRow("sintetico, 8 thread") << false << 8;
        QTest::newRow("sintetico, 2 thread") << false << 2;
    }

    void stessoRisultato()
    {
        QFETCH(bool, demo);
        QFETCH(int, threads);
        QVERIFY(apri(demo));
        QCOMPARE(costruisci(1), Elaborazione::Esito::Completata);
        const Istantanea uno = istantanea(m_cartella);
        QVERIFY(uno.value(QStringLiteral("vtftp.dat")).endsWith('#'));
        QVERIFY(uno.size() > 20);
        // Emptied, so that nothing of the first build stands in for the second.
        for (const QString &f : uno.keys())
            QFile::remove(f.startsWith(u'/') ? f : m_cartella + u'/' + f);
        QCOMPARE(costruisci(threads), Elaborazione::Esito::Completata);
        const Istantanea molti = istantanea(m_cartella);
        QCOMPARE(molti.keys(), uno.keys());
        for (auto it = uno.cbegin(); it != uno.cend(); ++it)
            QVERIFY2(molti.value(it.key()) == it.value(), qPrintable(it.key()));
    }

    void repartoFallito_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("guasto");
        QTest::newRow("modello mancante, 2 thread") << 2 << int(ModelloMancante);
        QTest::newRow("modello mancante, 8 thread") << 8 << int(ModelloMancante);
        QTest::newRow("cartella al posto della pagina, 8 thread") << 8 << int(CartellaAlPosto);
        QTest::newRow("nome troppo lungo, 1 thread") << 1 << int(NomeTroppoLungo);
        QTest::newRow("nome troppo lungo, 8 thread") << 8 << int(NomeTroppoLungo);
    }

    void repartoFallito()
    {
        // A department whose model is missing, whose page a folder stands in
        // place of, or whose page name the file system refuses only when the
        // page is put in place, stops the build: the pages of the departments
        // before it are there, none of the department or of those after it,
        // and the same files on several threads as on one.
        QFETCH(int, threads);
        QFETCH(int, guasto);
        QVERIFY(apri(false));
        QStringList ordine;
        for (Recordset r(stato().dbCatalogo, QStringLiteral("SELECT ID FROM categorie ORDER BY livello, ordinamento"));
             !r.eof(); r.moveNext())
            ordine << r.text(QStringLiteral("ID"));
        QVERIFY(ordine.size() > 20);
        const int fallito = 6;
        QTemporaryDir fuori;  // outside the program's folder, where the site may go
        if (guasto == CartellaAlPosto)
            QVERIFY(QDir().mkpath(stato().CartellaPagine + u'/' + ordine[fallito] + QStringLiteral(".htm/dentro")));
        else if (guasto == ModelloMancante)
            db().execute(QStringLiteral("UPDATE categorie SET template='manca' WHERE ID=?"), {ordine[fallito]});
        else {
            // The pages folder so deep that the department's page name, the
            // longest the catalogue takes, makes too long a path: its pages
            // are written under no name, and fail only when put in place.
            const QString nome(50, u'x');
            db().execute(QStringLiteral("UPDATE categorie SET pagina=? WHERE ID=?"), {nome, ordine[fallito]});
            QString cartella = fuori.path();
            const qsizetype lunghezza = PATH_MAX - nome.size() - qsizetype(strlen("/.htm"));
            while (cartella.size() < lunghezza)
                cartella += u'/' + QString(std::min<qsizetype>(200, lunghezza - cartella.size() - 1), u'd');
            QCOMPARE(QFile::encodeName(cartella + u'/' + nome + QStringLiteral(".htm")).size(), qsizetype(PATH_MAX));
            QVERIFY(QDir().mkpath(cartella));
            stato().CartellaPagine = cartella;
        }

        QCOMPARE(costruisci(1), Elaborazione::Esito::Fallita);
        const QStringList avvisi = m_shop->messages.texts();
        // Every file the build writes, and the pages wherever they go.
        const auto tutto = [this] {
            Istantanea r = istantanea(m_cartella);
            for (const QString &f : QDir(stato().CartellaPagine).entryList(QDir::Files | QDir::Hidden))
                r.insert(stato().CartellaPagine + u'/' + f, leggi(stato().CartellaPagine + u'/' + f));
            return r;
        };
        const Istantanea uno = tutto();
        QSet<QString> reparti;
        for (const QString &f : QDir(stato().CartellaPagine).entryList(QDir::Files | QDir::Hidden)) {
            QVERIFY2(f.endsWith(QLatin1String(".htm")) && !f.startsWith(u'.'), qPrintable(f));
            reparti.insert(f.section(u'.', 0, 0).section(QLatin1String("_p"), 0, 0));
        }
        QCOMPARE(reparti, QSet<QString>(ordine.cbegin(), ordine.cbegin() + fallito));

        // Several times: which departments the other threads have done when
        // the failure is seen varies from build to build.
        for (int volta = 0; volta < 3; ++volta) {
            for (const QString &f : QDir(stato().CartellaPagine).entryList(QDir::Files | QDir::Hidden))
                QVERIFY(QFile::remove(stato().CartellaPagine + u'/' + f));
            QCOMPARE(costruisci(threads), Elaborazione::Esito::Fallita);
            QCOMPARE(m_shop->messages.texts(), avvisi);
            const Istantanea molti = tutto();
            QCOMPARE(molti.keys(), uno.keys());
            for (auto it = uno.cbegin(); it != uno.cend(); ++it)
                QVERIFY2(molti.value(it.key()) == it.value(), qPrintable(it.key()));
        }
    }

    void annullaAMeta_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("un thread") << 1;
        QTest::newRow("otto thread") << 8;
    }

    void annullaAMeta()
    {
        // Cancelled after some departments: no message, no upload list, no
        // temporary file, and every page there is complete.
        QFETCH(int, threads);
        QVERIFY(apri(false));
        Annulla annulla;
        annulla.dopo = 7;
        QCOMPARE(costruisci(threads, &annulla), Elaborazione::Esito::Annullata);
        QVERIFY(m_shop->messages.texts().isEmpty());
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat.tmp")));
        const QStringList file = QDir(stato().CartellaPagine).entryList(QDir::Files | QDir::Hidden);
        QVERIFY(!file.isEmpty());
        for (const QString &f : file) {
            QVERIFY2(!f.endsWith(QLatin1String(".vttmp")), qPrintable(f));
            const QByteArray pagina = leggi(stato().CartellaPagine + u'/' + f);
            QVERIFY2(pagina.trimmed().endsWith("</html>") && !pagina.contains("<<1-elenco>>"), qPrintable(f));
        }
    }
};

QTEST_GUILESS_MAIN(TestParallelo)
#include "test_parallelo.moc"
