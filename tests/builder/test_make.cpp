// The template merger with page and article rows that have the fields of the
// empty shop's real work database.
#include "make.h"

#include "database.h"
#include "scriptedmessages.h"
#include "recordset.h"
#include "testshop.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

namespace {

using Campi = QList<QPair<QString, QString>>;

} // namespace

class TestMake : public QObject {
    Q_OBJECT

    TestProgramFolder m_program;
    QTemporaryDir m_dir;
    Riga m_pagina;
    std::vector<Riga> m_articoli;

    // One page row and the given article rows.
    void preparaDb(const Campi &pagina, const QList<Campi> &articoli)
    {
        auto db = Database::open(m_program.path() + QStringLiteral("/new/source.new"));
        m_pagina = Riga(CampiTabella::daTabella(*db, QStringLiteral("categoria")));
        const auto campiArticolo = CampiTabella::daTabella(*db, QStringLiteral("articoli"));
        db->close();
        for (const auto &c : pagina)
            m_pagina.imposta(c.first, c.second);
        m_articoli.clear();
        for (const auto &a : articoli) {
            Riga r(campiArticolo);
            for (const auto &c : a)
                r.imposta(c.first, c.second);
            m_articoli.push_back(r);
        }
    }
    const std::vector<Riga> *articoli(bool ripeti) const { return ripeti ? &m_articoli : nullptr; }

    QString modello(const QString &nome, const QByteArray &testo)
    {
        const QString p = m_dir.path() + u'/' + nome;
        QFile::remove(p);
        scrivi(p, testo);
        return p;
    }

private slots:
    void unione_data()
    {
        QTest::addColumn<QString>("nomeModello");
        QTest::addColumn<QByteArray>("testo");
        QTest::addColumn<bool>("ripeti");
        QTest::addColumn<QByteArray>("atteso");

        const QByteArray gen = TagGeneratore().toUtf8() + "\r\n";
        QTest::newRow("senza tag") << "m.htm" << QByteArray("<html>\n<head><title>x</title>\n</html>") << false
                                   << "<html>\n<head>" + gen + "<title>x</title>\n</html>\r\n";
        QTest::newRow("generatore presente") << "m.htm" << "<head>" + TagGeneratore().toUtf8() + "<TITLE>"
                                             << false << "<head>" + TagGeneratore().toUtf8() + "<TITLE>\r\n";
        QTest::newRow("generatore di altra versione")
            << "m.htm" << QByteArray("<meta name=\"generator\" content=\"Vetrasto 0.9.0\"><Title>") << false
            << "<meta name=\"generator\" content=\"Vetrasto 0.9.0\">" + gen + "<Title>\r\n";
        QTest::newRow("maiuscole nel nome") << "m.htm" << QByteArray("<<1-titolo>>|<<1-TITOLO>>|<<1-nessuno>>")
                                            << false << QByteArray("Scarpe|Scarpe|<<1-nessuno>>\r\n");
        QTest::newRow("contatore livello 1") << "m.htm" << QByteArray("[<<1-/COUNTER/>>][<<1-/counter/>>]") << false
                                             << QByteArray("[0][<<1-/counter/>>]\r\n");
        QTest::newRow("valore con tag") << "m.htm" << QByteArray("<<1-descrizione>>") << false
                                        << QByteArray("vedi: vedi nota\r\n");
        // A value is read again from its start: a tag at its head is filled
        // in as one further on is.
        QTest::newRow("valore che inizia con un tag") << "m.htm" << QByteArray("<<1-sottopagine>>") << false
                                                      << QByteArray("vedi nota\r\n");
        QTest::newRow("tag in testa e dopo") << "m.htm" << QByteArray("<<1-home1>>|<<1-home2>>") << false
                                             << QByteArray("Scarpe apre|oggi Scarpe apre\r\n");
        // The department index waits as its own tag for the list pass.
        QTest::newRow("valore che e' il suo tag") << "m.htm" << QByteArray("[<<1-elenco>>][<<1-ELENCO>>]") << false
                                                  << QByteArray("[<<1-elenco>>][<<1-elenco>>]\r\n");
        // A value and the text after it are read as one text.
        QTest::newRow("tag tra valore e modello") << "m.htm" << QByteArray("<<1-testo1>>titolo>>|<<1-testo2>>-note>>") << false
                                                  << QByteArray("Scarpe|vedi nota\r\n");
        QTest::newRow("chiusura tra valore e modello") << "m.htm" << QByteArray("<<1-recesso>>>") << false
                                                       << QByteArray("Scarpe\r\n");
        QTest::newRow("valore Null") << "m.htm" << QByteArray("[<<1-immagine>>]") << false << QByteArray("[]\r\n");
        // A tag right after an empty value is replaced too.
        QTest::newRow("tag dopo un valore vuoto") << "m.htm" << QByteArray("[<<1-immagine>><<1-titolo>>]") << false
                                                  << QByteArray("[Scarpe]\r\n");
        QTest::newRow("prefisso non chiuso") << "m.htm" << QByteArray("<<1-titolo>> e <<1-titolo") << false
                                             << QByteArray("Scarpe e <<1-titolo\r\n");
        QTest::newRow("blocco")
            << "m.htm" << QByteArray("A<<1-titolo>><vt_start>[<<2-codice>>:<<2-/COUNTER/>>:<<1-titolo>>]<Vt_End>Z<<2-codice>>")
            << true << QByteArray("AScarpe<a name=1></a>[C1:1:Scarpe]<a name=2></a>[C2:2:Scarpe]Z<<2-codice>>\r\n");
        QTest::newRow("articolo che inizia con un tag") << "m.htm" << QByteArray("<VT_START>[<<2-titolo>>]<VT_END>") << true
                                                        << QByteArray("<a name=1></a>[C1 nuovo]<a name=2></a>[]\r\n");
        QTest::newRow("senza ripetizione") << "m.htm" << QByteArray("<VT_START><<2-codice>><VT_END>") << false
                                           << QByteArray("<VT_START><<2-codice>><VT_END>\r\n");
        QTest::newRow("livello 3 in results.htm") << "results.htm" << QByteArray("<<3-titolo>>|<<1-titolo>>") << false
                                                  << QByteArray("Scarpe|Scarpe\r\n");
        QTest::newRow("livello 3 altrove") << "Results.htm" << QByteArray("<<3-titolo>>") << false
                                           << QByteArray("<<3-titolo>>\r\n");
        QTest::newRow("byte fuori dai tag") << "m.htm" << QByteArray("\xEF\xBB\xBF<<1-note>> caff\xC3\xA8\r\n\n")
                                            << false << QByteArray("\xEF\xBB\xBFvedi nota caff\xC3\xA8\r\n\n\r\n");
    }

    void unione()
    {
        QFETCH(QString, nomeModello);
        QFETCH(QByteArray, testo);
        QFETCH(bool, ripeti);
        QFETCH(QByteArray, atteso);
        preparaDb({{"titolo", "Scarpe"}, {"note", "vedi nota"}, {"descrizione", "vedi: <<1-note>>"},
                   {"sottopagine", "<<1-note>>"}, {"home1", "<<1-titolo>> apre"}, {"home2", "oggi <<1-titolo>> apre"},
                   {"elenco", "<<1-elenco>>"}, {"testo1", "<<1-"}, {"testo2", "<<1"}, {"recesso", "<<1-titolo>"}},
                  {{{"codice", "C1"}, {"titolo", "<<2-codice>> nuovo"}}, {{"codice", "C2"}}});
        ScriptedMessages msg;
        const QString out = m_dir.path() + QStringLiteral("/out.htm");
        QVERIFY(MakePagina(m_pagina, articoli(ripeti), modello(nomeModello, testo), out, msg));
        QCOMPARE(leggi(out), atteso);
        QVERIFY(msg.shown().empty());
    }

    void tagInOgniPosizione_data()
    {
        // %1 stands for filler text of every length up to two blocks of the
        // search, so that each tag and marker begins at every place of one.
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("tag") << "%1<<1-titolo>><x" << "%1Scarpe<x";
        QTest::newRow("dopo un \"<\" e una lettera accentata") << "%1<è<<1-titolo>>" << "%1<èScarpe";
        QTest::newRow("dopo un \"<\"") << "%1<<<1-titolo>>" << "%1<Scarpe";
        QTest::newRow("aperto da un valore che finisce con \"<\"") << "%1<<1-condizioni>><1-titolo>>|%1"
                                                                     << "%1aScarpe|%1";
        QTest::newRow("altro livello") << "%1<<2-titolo>><<1-note>>" << "%1<<2-titolo>>vedi nota";
        QTest::newRow("blocco") << "%1<vT_sTaRt>[<<2-codice>>]<Vt_EnD>%1" << "%1<a name=1></a>[C1]%1";
    }

    void tagInOgniPosizione()
    {
        QFETCH(QString, testo);
        QFETCH(QString, atteso);
        preparaDb({{"titolo", "Scarpe"}, {"note", "vedi nota"}, {"condizioni", "a<"}}, {{{"codice", "C1"}}});
        const QString riempi = QStringLiteral("ab<c\u00e8defghijklmnopqrstuvwxyz");
        for (int k = 0; k <= riempi.size(); ++k) {
            const QString prima = riempi.left(k);
            QString unito = testo.arg(prima), avviso;
            const bool blocco = testo.contains(QLatin1String("sTaRt"));
            QCOMPARE(Make::unisci(unito, m_pagina, articoli(blocco), false, QStringLiteral("m.htm"), avviso),
                     Make::Esito::Fatto);
            QCOMPARE(unito, atteso.arg(prima));
        }
    }

    void bloccoSenzaArticoli()
    {
        preparaDb({{"titolo", "T"}}, {});
        ScriptedMessages msg;
        const QString out = m_dir.path() + QStringLiteral("/out.htm");
        QVERIFY(MakePagina(m_pagina, articoli(true), modello("m.htm", "prima<VT_START>x<<2-codice>><VT_END>dopo"), out, msg));
        QCOMPARE(leggi(out), QByteArray("primadopo\r\n"));
    }

    void windows1252()
    {
        // A model that is not valid UTF-8 keeps its bytes, and values are
        // written in its encoding; a character it lacks as a numeric
        // character reference.
        preparaDb({{"titolo", QStringLiteral("Caffè € 中 😀")}}, {{{"codice", QStringLiteral("茶")}}});
        ScriptedMessages msg;
        const QString out = m_dir.path() + QStringLiteral("/out.htm");
        QVERIFY(MakePagina(m_pagina, articoli(true), modello("m.htm", "\xE0 \x81 <<1-titolo>><VT_START><<2-codice>><VT_END>"),
                           out, msg));
        QCOMPARE(leggi(out), QByteArray("\xE0 \x81 Caff\xE8 \x80 &#20013; &#128512;<a name=1></a>&#33590;\r\n"));
        // A model whose last byte would start a UTF-8 sequence keeps it too.
        QVERIFY(MakePagina(m_pagina, articoli(false), modello("n.htm", "<<1-titolo>> \xE8"), out, msg));
        QCOMPARE(leggi(out), QByteArray("Caff\xE8 \x80 &#20013; &#128512; \xE8\r\n"));
        QVERIFY(msg.shown().empty());
    }

    void interruzione_data()
    {
        QTest::addColumn<int>("tag");       // one every 100 characters
        QTest::addColumn<int>("nArticoli");  // with the article block when not 0
        QTest::newRow("pagina lunga") << 40000 << 0;
        QTest::newRow("molti articoli") << 0 << 100000;
    }

    void interruzione()
    {
        // A long merge asks now and then whether to stop: left to run it
        // gives the same page as without asking; stopped, it ends at once,
        // with no warning and nothing written.
        QFETCH(int, tag);
        QFETCH(int, nArticoli);
        preparaDb({{"titolo", "Scarpe"}, {"note", "<<1-titolo>>"}}, QList<Campi>(nArticoli, Campi{{"codice", "C"}}));
        QByteArray testo = "<VT_START><<2-codice>> <<1-titolo>><VT_END>";
        for (int i = 0; i < tag; ++i)
            testo += QByteArray(86, 'x') + (i % 2 ? "<<1-titolo>>" : "<<1-note>>");
        const QString m = modello("m.htm", testo);
        const bool ripeti = nArticoli > 0;
        ScriptedMessages msg;
        const QString intera = m_dir.path() + QStringLiteral("/intera.htm");
        QVERIFY(MakePagina(m_pagina, articoli(ripeti), m, intera, msg));

        int domande = 0;
        const QString out = m_dir.path() + QStringLiteral("/out.htm");
        QVERIFY(MakePagina(m_pagina, articoli(ripeti), m, out, msg, [&] { return ++domande < 0; }));
        QCOMPARE(leggi(out), leggi(intera));
        QVERIFY2(domande >= 20, qPrintable(QString::number(domande)));

        const int quando = domande / 2;
        domande = 0;
        QFile::remove(out);
        QVERIFY(!MakePagina(m_pagina, articoli(ripeti), m, out, msg, [&] { return ++domande == quando; }));
        QCOMPARE(domande, quando);
        QVERIFY(!QFile::exists(out));
        QVERIFY(msg.shown().empty());
    }

    void errori_data()
    {
        QTest::addColumn<QByteArray>("testo");
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("nessun inizio") << QByteArray("<VT_END>") << "' non contiene il tag <VT_START>";
        QTest::newRow("due inizi") << QByteArray("<VT_START><vt_start><VT_END>") << "' contiene più di un tag <VT_START>";
        QTest::newRow("nessuna fine") << QByteArray("<VT_START>") << "' non contiene il tag <VT_END>";
        QTest::newRow("invertiti") << QByteArray("<VT_END>x<VT_START>") << "' non contiene il tag <VT_END>";
        QTest::newRow("due fini") << QByteArray("<VT_START><VT_END><VT_END>") << "' contiene più di un tag <VT_END>";
        QTest::newRow("campo che contiene se stesso") << QByteArray("<<1-note>>") << "' non è stato creato";
        QTest::newRow("campo che raddoppia") << QByteArray("<<1-descrizione>>") << "' non è stato creato";
    }

    void errori()
    {
        QFETCH(QByteArray, testo);
        QFETCH(QString, messaggio);
        preparaDb({{"note", "a<<1-note>>"}, {"descrizione", "<<1-descrizione>><<1-descrizione>>"}}, {{{"codice", "C"}}});
        ScriptedMessages msg;
        const QString out = m_dir.path() + QStringLiteral("/buona.htm");
        QFile::remove(out);
        scrivi(out, "pagina buona");
        const QString m = modello("m.htm", testo);
        QVERIFY(!MakePagina(m_pagina, articoli(true), m, out, msg));
        QCOMPARE(msg.shown().size(), size_t(1));
        QCOMPARE(msg.shown()[0].icon, Messages::Icon::Warning);
        QVERIFY2(msg.shown()[0].text.startsWith(QStringLiteral("Il file '") + m + messaggio), qPrintable(msg.shown()[0].text));
        QCOMPARE(leggi(out), QByteArray("pagina buona"));
    }

    void modelloMancante()
    {
        preparaDb({}, {});
        ScriptedMessages msg;
        const QString out = m_dir.path() + QStringLiteral("/buona.htm");
        QFile::remove(out);
        scrivi(out, "pagina buona");
        QVERIFY(!MakePagina(m_pagina, articoli(true), m_dir.path() + QStringLiteral("/manca.htm"), out, msg));
        QCOMPARE(msg.texts(), QStringList{QStringLiteral(
                                  "Il file manca.htm non è presente nel template selezionato.\rSelezionare un altro "
                                  "template per il sito o un altro modello per i reparti.")});
        QCOMPARE(leggi(out), QByteArray("pagina buona"));
    }

    void modelloConAltreMaiuscole()
    {
        preparaDb({{"titolo", "T"}}, {});
        ScriptedMessages msg;
        modello("Modello3.htm", "<<1-titolo>>");
        const QString out = m_dir.path() + QStringLiteral("/out.htm");
        QVERIFY(MakePagina(m_pagina, articoli(false), m_dir.path() + QStringLiteral("/modello3.htm"), out, msg));
        QCOMPARE(leggi(out), QByteArray("T\r\n"));
    }

    void paginaComeModelloDiSeStessa()
    {
        // The list pass merges a written page in place.
        preparaDb({{"elenco", "<li><<1-titolo>></li>"}, {"titolo", "T"}}, {});
        ScriptedMessages msg;
        const QString p = modello("pag.htm", "<ul><<1-elenco>></ul>");
        QVERIFY(MakePagina(m_pagina, articoli(false), p, p, msg));
        QCOMPARE(leggi(p), QByteArray("<ul><li>T</li></ul>\r\n"));
    }

    void scrittoriDelloStessoFile_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<Make::Scrittura>("modo");
        const std::pair<Make::Scrittura, const char *> modi[] = {{Make::Scrittura::Solita, "file senza nome"},
                                                                 {Make::Scrittura::NomeTemporaneo, "nome temporaneo"},
                                                                 {Make::Scrittura::CopiaConNome, "copia con nome"}};
        for (const auto &[modo, testo] : modi) {
            QTest::addRow("nome corto, %s", testo) << "pagina.htm" << modo;
            // 255 bytes, the longest name the file system takes.
            QTest::addRow("nome di 255 caratteri, %s", testo) << QString(251, u'x') + QStringLiteral(".htm") << modo;
        }
    }

    void scrittoriDelloStessoFile()
    {
        // Writers of one file at once each write under a temporary name of
        // their own: every write succeeds, the file holds one of them whole,
        // and no temporary file stays.
        QFETCH(QString, nome);
        QFETCH(Make::Scrittura, modo);
        Make::impostaScritturaPerTest(modo);
        const auto ripristina = qScopeGuard([] { Make::impostaScritturaPerTest(Make::Scrittura::Solita); });
        QTemporaryDir dir;
        const QString file = dir.filePath(nome);
        std::vector<QByteArray> dati;
        for (int i = 0; i < 8; ++i)
            dati.push_back(QByteArray(200000 + i, char('a' + i)));
        std::atomic<int> riusciti{0};
        QStringList errori;
        QMutex m;
        std::vector<std::thread> scrittori;
        for (int i = 0; i < 8; ++i)
            scrittori.emplace_back([&, i] {
                for (int volta = 0; volta < 20; ++volta) {
                    QString errore;
                    if (Make::scriviFile(file, dati[size_t((i + volta) % 8)], &errore)) {
                        ++riusciti;
                    } else {
                        QMutexLocker l(&m);
                        errori << errore;
                    }
                }
            });
        for (auto &t : scrittori)
            t.join();
        QCOMPARE(errori, QStringList());
        QCOMPARE(riusciti.load(), 160);
        QVERIFY(std::find(dati.begin(), dati.end(), leggi(file)) != dati.end());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{nome});
    }
};

QTEST_GUILESS_MAIN(TestMake)
#include "test_make.moc"
