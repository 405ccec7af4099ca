// The build of a real temporary shop with the small template set of this
// folder (set/): department pages, list pass, resources, colours, upload
// list, failures and cancelling, and the build window.
#include "elabora.h"
#include "frmelabora.h"

#include "cartelle.h"
#include "database.h"
#include "formato.h"
#include "recordset.h"
#include "provacostruzione.h"
#include "testshop.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

QString setDiProva()
{
    return qEnvironmentVariable("VETRASTO_TEST_DATA") + QStringLiteral("/set");
}

// Records the documents the build asks to show.
class AvanzamentoDiProva : public Avanzamento {
public:
    QStringList aperti;
    bool apriDocumento(const QString &d) override
    {
        aperti << d;
        return false;
    }
};

// A build window whose event pump the test can watch.
class FinestraElaboraDiProva : public frmElabora {
public:
    using frmElabora::frmElabora;
    std::function<void()> dopoEventi;
    void eventi() override
    {
        frmElabora::eventi();
        if (dopoEventi)
            dopoEventi();
    }
};

// Stands for the merchant's cancel before the build's first test.
class GiaAnnullato : public Avanzamento {
public:
    bool annullato() const override { return true; }
};

// Stands for the merchant's cancel once a given file is there, from the
// second test on: the build tests the cancel before the next page, and the
// merge of that page tests it again.
class AnnullaDopoIlFile : public Avanzamento {
public:
    explicit AnnullaDopoIlFile(const QString &file) : m_file(file) {}
    bool annullato() const override { return QFile::exists(m_file) && ++m_prove >= 2; }

private:
    QString m_file;
    mutable int m_prove = 0;
};

} // namespace

class TestElabora : public QObject, public ProvaCostruzione {
    Q_OBJECT

    QString pagine() { return stato().CartellaPagine; }

    void reparto(const QString &id, const QString &genitore, int livello, const QString &modello, int articoli,
                 int max = 5)
    {
        static int ordine = 100;
        Database &db = *stato().dbCatalogo;
        db.execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, template, titolo, "
                                  "maxarticoli, immagine0, imgX0, imgY0) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 30, 20)"),
                   {id, genitore, livello, ordine += 5, id, modello, QStringLiteral("Titolo ") + id, max,
                    livello == 1 ? QVariant(QStringLiteral("rep.jpg")) : QVariant()});
        for (int a = 1; a <= articoli; ++a)
            db.execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo) VALUES (?, ?, ?, ?)"),
                       {id, a, QStringLiteral("%1-A%2").arg(id).arg(a), QStringLiteral("Articolo")});
    }

private slots:
    void init()
    {
        QVERIFY(nuovoNegozio());
        stato().dbCatalogo->execute(QStringLiteral("DELETE FROM categorie"));
        reparto("cat001", "###", 1, "modello1", 11);
        reparto("cat002", "###", 1, "Modello2", 2);   // the file is modello2.htm
        reparto("cat003", "cat001", 2, "modello1", 0);
        m_imp = Impostazioni{};
        m_imp.cboPerl = "/usr/bin/perl";
        m_imp.cboVetrina = "3";
        m_imp.cboLivelli = "1";
        m_imp.chkPercRep = 1;
        m_imp.chkElencoCodice = 1;
        m_imp.txtURL = "www.esempio.it";
        m_imp.txtEmailOrdini = "ordini@esempio.it";
        // A shop picture whose time the copy keeps.
        QFile foto(m_cartella + QStringLiteral("/work/rep.jpg"));
        QVERIFY(foto.open(QIODevice::WriteOnly));
        foto.write("jpeg");
        foto.flush();
        foto.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), QFileDevice::FileModificationTime);
        foto.close();
        m_shop->messages.clear();
    }

    void costruzioneCompleta_data()
    {
        QTest::addColumn<bool>("vedi");
        QTest::newRow("senza vedere") << false;
        QTest::newRow("vedi il risultato") << true;
    }

    void costruzioneCompleta()
    {
        QFETCH(bool, vedi);
        ScriptedMessages &msg = m_shop->messages;
        msg.answer(vedi ? Messages::Answer::Yes : Messages::Answer::No);
        AvanzamentoDiProva avanzamento;
        Elaborazione e(stato(), m_imp, msg, &avanzamento);
        e.CartellaSet = setDiProva();
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QStringList &aperti = avanzamento.aperti;
        QCOMPARE(msg.texts(), QStringList{"Creazione del negozio terminata. Vuoi vedere il risultato?"});
        QCOMPARE(aperti, vedi ? QStringList{pagine() + "/index.htm"} : QStringList{});

        // 11 articles, 5 per page: three pages, each listing every article.
        const QString p2 = QString::fromUtf8(leggi(pagine() + "/cat001_p2.htm"));
        QVERIFY(p2.contains("<a href=\"cat001.htm\">1</a> - <B>2</B> - <a href=\"cat001_p3.htm\">3</a>"));
        QVERIFY(p2.contains("<a name=1></a><div class=\"articolo\">cat001-A6 1</div>"));
        QVERIFY(p2.contains("cat001-A10 5</div>"));
        QVERIFY(!p2.contains("cat001-A11 "));
        for (const char *f : {"/cat001.htm", "/cat001_p2.htm", "/cat001_p3.htm"}) {
            const QString t = QString::fromUtf8(leggi(pagine() + f));
            QVERIFY2(t.contains(">cat001-A1</a>") && t.contains("<a href=\"cat001_p3.htm#1\">cat001-A11</a>"), f);
            QVERIFY(!t.contains("<<1-elenco>>"));
            QVERIFY(t.contains("<!--  -->"));  // no user name, no password
            QVERIFY(t.endsWith("</html>\r\n\r\n"));
        }
        // Breadcrumb, picture, tree and menu of the sub-department.
        const QString p3 = QString::fromUtf8(leggi(pagine() + "/cat003.htm"));
        QVERIFY(p3.contains("<font size=\"1\"><a href=\"cat001.htm\">Titolo cat001</a>&nbsp;&gt;&nbsp;</font>Titolo cat003"));
        QVERIFY(p3.contains("<option selected value=\"cat003.htm\">"));
        QVERIFY(p3.contains("<B><font color=\"#000000\">Titolo cat003</font></B>"));
        const QString p1 = QString::fromUtf8(leggi(pagine() + "/cat001.htm"));
        QVERIFY(p1.contains("<img border=\"0\" src=\"rep.jpg\" width=\"30\" height=\"20\">"));
        QVERIFY(p1.contains("<form name=\"vtReparti\">\r\n<select name=\"vtRepartiMenu\" onChange=\"RepGoTo()\">\r\n"));
        // The model named with another letter case is found.
        QVERIFY(leggi(pagine() + "/cat002.htm").contains("<a name=1></a>[cat002-A1]<a name=2></a>[cat002-A2]"));

        // Resources and pictures, with the picture's own time.
        for (const char *f : {"style.css", "menu.js", "Extra.HTM", "rep.jpg"})
            QVERIFY2(QFile::exists(pagine() + '/' + f), f);
        for (const char *f : {"js1.js", "vtas_col_0.gif", "vtas_note.txt", "thankyou.htm", "modello1.htm"})
            QVERIFY2(!QFile::exists(pagine() + '/' + f), f);
        QCOMPARE(QFileInfo(pagine() + "/rep.jpg").lastModified(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));

        // The upload list, in the order of production, closed by "#".
        const QString lista = QString::fromUtf8(leggi(m_cartella + "/vtftp.dat"));
        QStringList attesi{m_cartella + "/source.mdb", e.fileRicerca(), e.fileDatiOrdine()};
        for (const char *f : {"cat001.htm", "cat001_p2.htm", "cat001_p3.htm", "cat002.htm", "cat003.htm", "rotto.htm",
                              "thankyou1.htm", "thankyou2.htm", "vtcarrello.js"})
            attesi << pagine() + '/' + f;
        attesi << stato().CartellaScript + "/vtorder" + CodiceSito(m_imp) + ".pl";
        for (const char *f : {"Extra.HTM", "menu.js", "style.css", "rep.jpg"})
            attesi << pagine() + '/' + f;
        QCOMPARE(lista.split(u'#', Qt::SkipEmptyParts), attesi);
        QVERIFY(lista.startsWith(u'#') && lista.endsWith(u'#'));
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat.tmp"));
        // The search data: the header, then the 13 articles in build order.
        const QList<QByteArray> ricerca = leggi(e.fileRicerca()).split('\n');
        QCOMPARE(ricerca.size(), 15);
        QCOMPARE(ricerca[0], QByteArray("pagina,codice,titolo,sottotitolo,immagine,ricerca\r"));
        QVERIFY(ricerca[11].startsWith("http://www.esempio.it/cat001_p3.htm#1,cat001-A11,"));
        QVERIFY(ricerca[13].startsWith("http://www.esempio.it/cat002.htm#2,cat002-A2,"));
    }

    void campoDellaPaginaInUnArticolo()
    {
        // A page field an article's own text holds reaches the page after
        // the first merge and is filled by the list pass with the last
        // page's row: on every page, the links of the last page.
        stato().dbCatalogo->execute(QStringLiteral("UPDATE articoli SET codice='<<1-sottopagine>>' WHERE codice='cat001-A1'"));
        m_shop->messages.answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = setDiProva();
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QString ultima = QStringLiteral("<a href=\"cat001.htm\">1</a> - <a href=\"cat001_p2.htm\">2</a> - <B>3</B>");
        QVERIFY(QString::fromUtf8(leggi(pagine() + "/cat001.htm")).contains("<div class=\"articolo\">" + ultima + " 1</div>"));
        for (const char *f : {"/cat001.htm", "/cat001_p2.htm", "/cat001_p3.htm"}) {
            const QString t = QString::fromUtf8(leggi(pagine() + f));
            QVERIFY2(t.contains("<a href=\"cat001.htm#1\">" + ultima + "</a>"), qPrintable(t));
            QVERIFY(!t.contains(QLatin1String("<<1-")));
        }
    }

    void immagineReparto_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QVariant>("larghezza");
        QTest::addColumn<QVariant>("altezza");
        QTest::addColumn<QString>("tag");
        QTest::newRow("con le misure") << "rep.jpg" << QVariant(30) << QVariant(20)
                                       << "<img border=\"0\" src=\"rep.jpg\" width=\"30\" height=\"20\">";
        QTest::newRow("larghezza 0") << "rep.jpg" << QVariant(0) << QVariant(20) << "<img border=\"0\" src=\"rep.jpg\">";
        QTest::newRow("altezza 0") << "rep.jpg" << QVariant(30) << QVariant(0) << "<img border=\"0\" src=\"rep.jpg\">";
        QTest::newRow("altezza Null") << "rep.jpg" << QVariant(30) << QVariant() << "<img border=\"0\" src=\"rep.jpg\">";
        QTest::newRow("nome con & e virgolette")
            << "a&b \"c\".jpg" << QVariant(30) << QVariant(20)
            << "<img border=\"0\" src=\"a&amp;b &quot;c&quot;.jpg\" width=\"30\" height=\"20\">";
    }

    void immagineReparto()
    {
        // The department's picture above its articles: width and height both
        // or neither, the file name written as an attribute value.
        QFETCH(QString, file);
        QFETCH(QVariant, larghezza);
        QFETCH(QVariant, altezza);
        QFETCH(QString, tag);
        stato().dbCatalogo->execute("UPDATE categorie SET immagine0=?, imgX0=?, imgY0=? WHERE ID='cat003'",
                                    {file, larghezza, altezza});
        m_shop->messages.answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = setDiProva();
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QString pagina = QString::fromUtf8(leggi(pagine() + "/cat003.htm"));
        QVERIFY2(pagina.contains("</h1>" + tag + "\r\n"), qPrintable(pagina));
    }

    void soloIFileCambiati()
    {
        // A second build leaves the pages that did not change as they were,
        // date and all, so an update sends only what changed.
        const auto costruisci = [&] {
            m_shop->messages.answer(Messages::Answer::No);
            Elaborazione e(stato(), m_imp, m_shop->messages);
            e.CartellaSet = setDiProva();
            return e.MakePages();
        };
        QVERIFY2(costruisci() == Elaborazione::Esito::Completata, qPrintable(m_shop->messages.texts().join(u'|')));
        const QDateTime antica(QDate(2021, 5, 6), QTime(7, 8, 9));
        for (const QString &cartella : {pagine(), stato().CartellaScript}) {
            for (const QString &f : QDir(cartella).entryList(QDir::Files)) {
                QFile file(cartella + u'/' + f);
                QVERIFY(file.open(QIODevice::ReadWrite));
                QVERIFY(file.setFileTime(antica, QFileDevice::FileModificationTime));
            }
        }
        // The same catalogue: the scripts, the search data and the price
        // list are not written again either.
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QVERIFY(!QDir(stato().CartellaScript).isEmpty());
        for (const QFileInfo &fi : QDir(stato().CartellaScript).entryInfoList(QDir::Files))
            QVERIFY2(fi.lastModified() == antica, qPrintable(fi.fileName()));
        db().execute(QStringLiteral("UPDATE articoli SET codice='cambiato' WHERE codice='cat002-A1'"));
        const QDateTime inizio = QDateTime::currentDateTime().addSecs(-1);
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        // Written by this build: the department page of the changed article.
        // (The set's resources are copied with their own dates.)
        QStringList scritti;
        for (const QFileInfo &fi : QDir(pagine()).entryInfoList(QDir::Files))
            if (fi.lastModified() >= inizio)
                scritti << fi.fileName();
        QCOMPARE(scritti, QStringList(QStringLiteral("cat002.htm")));
    }

    void colori()
    {
        FileAmmessi file;
        file.esamina(setDiProva(), {});
        const auto c = LeggiColori(file, setDiProva());
        QCOMPARE(c[0], QStringLiteral("#112233"));
        QCOMPARE(c[1], QStringLiteral("#00FF00"));
        QCOMPARE(c[3], QStringLiteral("#FEDCBA"));
        QCOMPARE(c[4], ColoreMancante);
    }

    void errori_data()
    {
        QTest::addColumn<QString>("modello");
        QTest::addColumn<QString>("avviso");
        QTest::newRow("modello mancante") << "manca"
            << "Il file manca.htm non è presente nel template selezionato.\rSelezionare un altro template per il sito "
               "o un altro modello per i reparti.";
        QTest::newRow("marcatori invertiti") << "rotto" << "Il file '" + setDiProva() + "/rotto.htm' non contiene il tag <VT_END>";
    }

    void errori()
    {
        QFETCH(QString, modello);
        QFETCH(QString, avviso);
        stato().dbCatalogo->execute("UPDATE categorie SET template=? WHERE ID='cat002'", {modello});
        QFile vecchia(m_cartella + "/vtftp.dat");
        QVERIFY(vecchia.open(QIODevice::WriteOnly));
        vecchia.write("#vecchio#");
        vecchia.close();
        ScriptedMessages &msg = m_shop->messages;
        Elaborazione e(stato(), m_imp, msg);
        e.CartellaSet = setDiProva();
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg.texts().size(), 2);
        QCOMPARE(msg.texts()[0], avviso);
        QVERIFY(msg.texts()[1].startsWith("In seguito agli errori verificatisi, il contenuto della cartella '" + pagine() + "'\r"));
        // Pages written before stay; no upload list can publish half a site.
        QVERIFY(QFile::exists(pagine() + "/cat001_p3.htm"));
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat"));
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat.tmp"));
    }

    void cartellaPagineMancante()
    {
        stato().CartellaPagine = m_cartella + "/non-esiste";
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = setDiProva();
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Fallita);
        QCOMPARE(m_shop->messages.texts(),
                 QStringList{"La cartella di lavoro '" + m_cartella +
                             "/non-esiste' non esiste: \r\nselezionare un'altra cartella e ripetere l'operazione"});
    }

    void annullaDalPulsante()
    {
        // The window's timer starts the build once; repaints during the
        // build start no second one; the cancel button stops it silently.
        FinestraElaboraDiProva w(stato(), m_imp, m_shop->messages);
        w.elaborazione().CartellaSet = setDiProva();
        auto *annulla = w.findChild<QPushButton *>(QStringLiteral("cmdAnnulla"));
        QVERIFY(annulla);
        int chiamate = 0;
        w.dopoEventi = [&] {
            w.repaint();
            if (++chiamate == 1)
                annulla->click();
        };
        // Every yield runs: no throttling wait in between matters here.
        w.exec();
        QVERIFY(w.avviata());
        QCOMPARE(w.avvii(), 1);
        QCOMPARE(w.esito(), Elaborazione::Esito::Annullata);
        QVERIFY(m_shop->messages.texts().isEmpty());
        QVERIFY(!w.isVisible());
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat"));
    }

    void annullaPrimaDellaPrimaProva()
    {
        // A cancel that comes before the build reaches its first test (while
        // the window's timer lets the events run) still stops it.
        GiaAnnullato annullato;
        Elaborazione e(stato(), m_imp, m_shop->messages, &annullato);
        e.CartellaSet = setDiProva();
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Annullata);
        QVERIFY(m_shop->messages.texts().isEmpty());
        QVERIFY(!QFile::exists(pagine() + "/cat001.htm"));
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat"));
    }

    void annullaDuranteUnaPaginaLunga()
    {
        // A cancel while a long page of the set is merged stops the merge:
        // the build ends cancelled, silently, and the page is not written.
        // The pages are merged in the order of their names.
        const QString set = m_program->path() + "/set";
        QVERIFY(CopiaCartella(setDiProva(), set));
        scrivi(set + "/a.htm", "<<1-negozio>>");
        QByteArray lunga = "<html><<1-negozio>>";
        for (int i = 0; i < 20000; ++i)
            lunga += QByteArray(90, 'x') + "<<1-negozio>>";
        scrivi(set + "/b.htm", lunga);
        AnnullaDopoIlFile avanzamento(pagine() + "/a.htm");
        Elaborazione e(stato(), m_imp, m_shop->messages, &avanzamento);
        e.CartellaSet = set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Annullata);
        QVERIFY(m_shop->messages.texts().isEmpty());
        QVERIFY(!QFile::exists(pagine() + "/b.htm"));
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat"));
    }

    void annullaPrimaDellAvvio()
    {
        // Cancelled while it waits for its timer, the window starts no build,
        // even when it stays alive a while longer.
        frmElabora w(stato(), m_imp, m_shop->messages);
        w.elaborazione().CartellaSet = setDiProva();
        auto *annulla = w.findChild<QPushButton *>(QStringLiteral("cmdAnnulla"));
        QVERIFY(annulla);
        QTimer::singleShot(100, annulla, &QPushButton::click);
        w.exec();
        QVERIFY(!w.isVisible());
        QTest::qWait(1500);
        QVERIFY(!w.avviata());
        QVERIFY(!QFile::exists(pagine() + "/cat001.htm"));
        QVERIFY(m_shop->messages.texts().isEmpty());
    }

    void finestraCompleta()
    {
        m_shop->messages.answer(Messages::Answer::No);
        frmElabora w(stato(), m_imp, m_shop->messages);
        w.elaborazione().CartellaSet = setDiProva();
        auto *barra = w.findChild<QProgressBar *>(QStringLiteral("barElaborazione"));
        QVERIFY(barra);
        w.exec();
        QCOMPARE(w.esito(), Elaborazione::Esito::Completata);
        QCOMPARE(barra->value(), barra->maximum());
        QCOMPARE(barra->maximum(), 4);
        QVERIFY(QFile::exists(m_cartella + "/vtftp.dat"));
    }
};

QTEST_MAIN(TestElabora)
#include "test_elabora.moc"
