// Builds of shops that come from elsewhere or meet a full disk: names that
// would leave their folder, values written into attributes, a missing
// source.new, departments no link reaches, and a pages or scripts folder on
// a small file system that fills up.
#include "elabora.h"

#include "cartelle.h"
#include "database.h"
#include "formato.h"
#include "make.h"
#include "nomifile.h"
#include "provacostruzione.h"
#include "testshop.h"
#include "verifica.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString setDiProva()
{
    return qEnvironmentVariable("VETRASTO_TEST_DATA") + QStringLiteral("/set");
}

// Every temporary name the build may leave in a folder.
QStringList temporanei(const QString &cartella)
{
    QStringList r;
    for (const QString &f : QDir(cartella).entryList(QDir::Files | QDir::Hidden))
        if (f.endsWith(QLatin1String(".vttmp")) || f == QLatin1String("thankyou.tmp"))
            r << f;
    return r;
}

} // namespace

class TestOstile : public QObject, public ProvaCostruzione {
    Q_OBJECT

    ScriptedMessages &msg() { return m_shop->messages; }

    void reparto(const QString &id, const QString &genitore, int livello, int articoli)
    {
        static int ordine = 100;
        db().execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, template, "
                                    "titolo, maxarticoli) VALUES (?, ?, ?, ?, ?, 'modello1', ?, 3)"),
                     {id, genitore, livello, ordine += 5, id, QStringLiteral("Titolo ") + id});
        for (int a = 1; a <= articoli; ++a)
            db().execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo) VALUES (?, ?, ?, ?)"),
                         {id, a, QStringLiteral("%1-A%2").arg(id).arg(a), QStringLiteral("Articolo")});
    }

    Elaborazione::Esito costruisci()
    {
        msg().clear();
        msg().answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, msg());
        e.CartellaSet = setDiProva();
        return e.MakePages();
    }

    QString pagina(const QString &nome) { return QString::fromUtf8(leggi(stato().CartellaPagine + u'/' + nome)); }

    // A file outside the program and shop folders that must never reach
    // the site; read as a payment system's settings, it names a target.
    QTemporaryDir m_fuori;
    QString segreto()
    {
        const QString f = m_fuori.path() + QStringLiteral("/segreto.txt");
        scrivi(f, "action=SEGRETO\r\n");
        return f;
    }

    // A copy of the test set in the program folder, with a thank-you page
    // that shows its payment fields, and one active payment method "gw"
    // with its fragment, settings and a Perl script in the shop's code
    // folder. Built with it.
    QString m_set;
    void conPagamento()
    {
        m_set = m_program->path() + QStringLiteral("/set");
        CopiaCartella(setDiProva(), m_set);
        scrivi(m_set + QStringLiteral("/thankyou.htm"), "<html><<1-thankyou>>|<<1-java_PGAction>></html>");
        const QString codice = m_cartella + QStringLiteral("/code");
        scrivi(codice + QStringLiteral("/gw.epg"), "<p>gw</p>");
        scrivi(codice + QStringLiteral("/gw/conf.ini"), "pl=gw\r\n");
        scrivi(codice + QStringLiteral("/gw/gw.pl"), "#!<<1-perl_path>>\n");
        db().execute(QStringLiteral("UPDATE pagamento SET attivo1=1, nome1='Carta', metodo1='gw', attivo2=0, selezionato=1"));
    }
    Elaborazione::Esito costruisciConPagamento()
    {
        msg().clear();
        msg().answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, msg());
        e.CartellaSet = m_set;
        return e.MakePages();
    }

    // Nothing of the secret in the site or the upload list.
    bool nessunSegreto()
    {
        for (const QString &cartella : {stato().CartellaPagine, stato().CartellaScript})
            for (QDirIterator it(cartella, QDir::Files | QDir::Hidden | QDir::System); it.hasNext();) {
                const QString f = it.next();
                VERIFICA2(!it.fileInfo().isFile() || !leggi(f).contains("SEGRETO"), qPrintable(f));
            }
        VERIFICA(!leggi(m_cartella + QStringLiteral("/vtftp.dat")).contains("segreto"));
        return true;
    }

    // An SQLite database of the merchant's own, made with SQLite; with
    // `registro`, kept in write-ahead mode, and its log copied there while
    // it is open.
    static bool databaseQualsiasi(const QString &percorso, const QString &registro = {})
    {
        bool fatto = false;
        {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ricette"));
            d.setDatabaseName(percorso);
            const auto esegui = [&d](const QString &sql) { return QSqlQuery(sql, d).isActive(); };
            fatto = d.open() && (registro.isEmpty() || esegui(QStringLiteral("PRAGMA journal_mode=WAL"))) &&
                    esegui(QStringLiteral("CREATE TABLE ricette (nome TEXT)")) &&
                    esegui(QStringLiteral("INSERT INTO ricette VALUES ('tiramisù')")) &&
                    (registro.isEmpty() || QFile::copy(percorso + QStringLiteral("-wal"), registro));
            d.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ricette"));
        return fatto;
    }

    static QString avvisoFileDatabase(const QString &percorso)
    {
        return QStringLiteral("I seguenti file non sono stati usati per il sito perché sono file di database, che il "
                              "programma lascia sempre fuori perché nessun database arrivi al sito: '") +
               percorso + QStringLiteral("'. Eliminarli o spostarli altrove.");
    }

    QStringList elencoUpload()
    {
        return QString::fromUtf8(leggi(m_cartella + QStringLiteral("/vtftp.dat"))).split(u'#', Qt::SkipEmptyParts);
    }

private slots:
    void init()
    {
        QVERIFY(nuovoNegozio());
        db().execute(QStringLiteral("DELETE FROM categorie"));
        reparto("cat001", "###", 1, 4);
        reparto("cat002", "###", 1, 2);
        reparto("cat003", "cat001", 2, 1);
        m_imp = Impostazioni{};
        m_imp.cboPerl = "/usr/bin/perl";
        m_imp.cboLivelli = "1";
        m_imp.chkElencoCodice = 1;
        m_imp.txtURL = "www.esempio.it";
        m_imp.txtEmailOrdini = "ordini@esempio.it";
    }

    void nomiRifiutati_data()
    {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QVariant>("valore");
        QTest::addColumn<QString>("motivo");
        const auto pagina = [](const char *riga, const QString &nome) {
            QTest::newRow(riga) << "pagina" << QVariant(nome)
                                << "il nome della pagina '" + nome +
                                       "' non è un nome di file valido: può contenere solo lettere senza accenti, "
                                       "cifre, \"-\" e \"_\"";
        };
        pagina("pagina fuori dalla cartella", "../../fuori");
        pagina("pagina con virgolette", "a\"><b>x");
        pagina("pagina nascosta", ".nascosta");
        pagina("pagina che esegue uno script", "javascript:alert(document.domain)");
        pagina("pagina con uno spazio", "due parole");
        pagina("pagina con una lettera accentata", "caffè");
        pagina("pagina con una barra rovesciata", "a\\b");
        QTest::newRow("pagina Null") << "pagina" << QVariant()
                                     << "il nome della pagina '' non è un nome di file valido: può contenere solo "
                                        "lettere senza accenti, cifre, \"-\" e \"_\"";
        QTest::newRow("modello fuori dal set")
            << "template" << QVariant("../../../segreto") << "il modello '../../../segreto' non è un file del template";
    }

    void nomiRifiutati()
    {
        // A shop from elsewhere: the department is refused with a message
        // naming it, the rest of the site is built, nothing is written or
        // read outside the folders.
        QFETCH(QString, campo);
        QFETCH(QVariant, valore);
        QFETCH(QString, motivo);
        scrivi(m_program->path() + QStringLiteral("/segreto.htm"), "SEGRETO <<1-titolo>>");
        db().execute(QStringLiteral("UPDATE categorie SET %1=? WHERE ID='cat002'").arg(campo), {valore});
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().size(), 2);
        QCOMPARE(msg().texts()[0],
                 QStringLiteral("Le pagine del reparto 'Titolo cat002' (cat002) non sono state create: ") + motivo + u'.');
        QCOMPARE(msg().texts()[1], QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?"));

        QVERIFY(QFile::exists(stato().CartellaPagine + QStringLiteral("/cat001_p2.htm")));
        QVERIFY(QFile::exists(stato().CartellaPagine + QStringLiteral("/cat003.htm")));
        QVERIFY(!QFile::exists(m_program->path() + QStringLiteral("/fuori.htm")));
        QVERIFY(!QFile::exists(stato().CartellaPagine + QStringLiteral("/.htm")));
        // Every listed file lies in the shop's folders.
        const QStringList lista = QString::fromUtf8(leggi(m_cartella + QStringLiteral("/vtftp.dat"))).split(u'#', Qt::SkipEmptyParts);
        for (const QString &f : lista) {
            QVERIFY2(!f.contains(QLatin1String("..")) && f.startsWith(m_cartella + u'/'), qPrintable(f));
            QVERIFY2(!f.contains(QLatin1String("cat002-A")), qPrintable(f));
        }
        for (QDirIterator it(m_cartella, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            QVERIFY2(!leggi(it.next()).contains("SEGRETO"), qPrintable(it.filePath()));
        // No other page links the refused department: neither its tree nor
        // its menu leads to a page that is not there.
        for (const QString &f : {QStringLiteral("cat001.htm"), QStringLiteral("cat001_p2.htm"), QStringLiteral("cat003.htm")}) {
            const QString p = pagina(f);
            QVERIFY2(!p.contains(QLatin1String("Titolo cat002")), qPrintable(p));
            if (campo == QLatin1String("pagina") && !valore.toString().isEmpty())
                QVERIFY2(!p.contains(ValoreAttributo(valore.toString())), qPrintable(p));
        }
    }

    void nomiDoppi_data()
    {
        // cat001 has four articles, three to a page: cat001.htm and cat001_p2.htm.
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("motivo");
        const QString altro = QStringLiteral("' del reparto 'Titolo cat001' (cat001)");
        QTest::newRow("nome di un altro reparto")
            << "cat001" << "il nome della pagina 'cat001.htm' è già usato dalla pagina 'cat001.htm" + altro;
        QTest::newRow("con altre maiuscole")
            << "CAT001" << "il nome della pagina 'CAT001.htm' è già usato dalla pagina 'cat001.htm" + altro;
        QTest::newRow("pagina seguente di un altro reparto")
            << "Cat001_p2" << "il nome della pagina 'Cat001_p2.htm' è già usato dalla pagina 'cat001_p2.htm" + altro;
        const QString delSet = QStringLiteral("' è già usato da una pagina del negozio ('");
        QTest::newRow("pagina del template") << "rotto" << "il nome della pagina 'rotto.htm" + delSet + "rotto.htm')";
        QTest::newRow("risorsa del template") << "extra" << "il nome della pagina 'extra.htm" + delSet + "Extra.HTM')";
        QTest::newRow("pagina di ringraziamento")
            << "Thankyou1" << "il nome della pagina 'Thankyou1.htm" + delSet + "thankyou1.htm')";
        QTest::newRow("pagina di esito del pagamento")
            << "payok" << "il nome della pagina 'payok.htm" + delSet + "payok.htm')";
        QTest::newRow("pagina dei risultati") << "results" << "il nome della pagina 'results.htm" + delSet + "results.htm')";
    }

    void nomiDoppi()
    {
        // A name taken twice: the department that comes later is refused
        // with a message naming both, the first keeps its pages, the list
        // names each file once.
        QFETCH(QString, nome);
        QFETCH(QString, motivo);
        db().execute(QStringLiteral("UPDATE categorie SET pagina=? WHERE ID='cat002'"), {nome});
        QByteArray primaPagina;
        for (int volta = 0; volta < 3; ++volta) {
            QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
            QCOMPARE(msg().texts().size(), 2);
            QCOMPARE(msg().texts()[0],
                     QStringLiteral("Le pagine del reparto 'Titolo cat002' (cat002) non sono state create: ") + motivo + u'.');
            // The same every time: the page of the department that came first.
            const QByteArray p2 = leggi(stato().CartellaPagine + QStringLiteral("/cat001_p2.htm"));
            QVERIFY(p2.contains("<title>Titolo cat001</title>") && p2.contains("cat001-A4"));
            QVERIFY(volta == 0 || p2 == primaPagina);
            primaPagina = p2;
            for (const QString &f : QDir(stato().CartellaPagine).entryList(QDir::Files))
                QVERIFY2(!pagina(f).contains(QLatin1String("Titolo cat002")), qPrintable(f));
            const QStringList lista =
                QString::fromUtf8(leggi(m_cartella + QStringLiteral("/vtftp.dat"))).split(u'#', Qt::SkipEmptyParts);
            QCOMPARE(QSet<QString>(lista.begin(), lista.end()).size(), lista.size());
        }
    }

    void paginaSeguenteLibera_data()
    {
        // cat002 is named like the second page of cat001, which comes down
        // to three articles, one page.
        QTest::addColumn<QString>("togli");
        QTest::newRow("un articolo in meno") << "DELETE FROM articoli WHERE codice='cat001-A4'";
        QTest::newRow("un articolo fuori catalogo") << "UPDATE articoli SET fuoricatalogo=-1 WHERE codice='cat001-A4'";
        QTest::newRow("un prezzo che non è un numero") << "UPDATE articoli SET prezzo='x' WHERE codice='cat001-A4'";
    }

    void paginaSeguenteLibera()
    {
        // Whether a department is refused can rest on how many pages another
        // one gets: they are counted once its articles are read, without
        // those left out of the site.
        QFETCH(QString, togli);
        db().execute(QStringLiteral("PRAGMA ignore_check_constraints = 1"));
        db().execute(togli);
        db().execute(QStringLiteral("UPDATE categorie SET pagina='Cat001_p2' WHERE ID='cat002'"));
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        for (const QString &t : msg().texts())
            QVERIFY2(!t.contains(QLatin1String("non sono state create")), qPrintable(t));
        QVERIFY(pagina(QStringLiteral("Cat001_p2.htm")).contains(QLatin1String("<title>Titolo cat002</title>")));
        QVERIFY(!pagina(QStringLiteral("cat001.htm")).contains(QLatin1String("cat001-A4")));
        QVERIFY(pagina(QStringLiteral("cat001.htm")).contains(QLatin1String("href=\"Cat001_p2.htm\"")));
        QVERIFY(!QFile::exists(stato().CartellaPagine + QStringLiteral("/cat001_p2.htm")));
    }

    void repartoInOgniMaiuscola()
    {
        // An article names its department letter case aside, as the
        // catalogue compares IDs: all of them are on its pages, in their
        // sort order, and an article of no department is on none.
        db().execute(QStringLiteral("UPDATE articoli SET catID='CAT001', ordinamento=5 WHERE codice='cat001-A2'"));
        db().execute(QStringLiteral("UPDATE articoli SET catID='Cat001', ordinamento=0 WHERE codice='cat001-A3'"));
        db().execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo) "
                                    "VALUES ('cat00', 1, 'senzareparto', 'Articolo')"));
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        const QString prima = pagina(QStringLiteral("cat001.htm")), seconda = pagina(QStringLiteral("cat001_p2.htm"));
        const auto dove = [&](const char *codice) { return prima.indexOf(QLatin1String(codice)); };
        QVERIFY(dove("cat001-A3") >= 0 && dove("cat001-A3") < dove("cat001-A1") && dove("cat001-A1") < dove("cat001-A4"));
        QVERIFY(seconda.contains(QLatin1String("cat001-A2")) && !prima.contains(QLatin1String("cat001-A2 ")));
        for (const QString &cartella : {stato().CartellaPagine, stato().CartellaScript})
            for (QDirIterator it(cartella, QDir::Files); it.hasNext();)
                QVERIFY2(!leggi(it.next()).contains("senzareparto"), qPrintable(it.filePath()));
    }

    void repartoRifiutatoNonCollegato_data()
    {
        QTest::addColumn<QString>("rifiutato");
        QTest::newRow("reparto con un sottoreparto") << "cat001";
        QTest::newRow("sottoreparto") << "cat003";
    }

    void repartoRifiutatoNonCollegato()
    {
        // Neither the tree, the menu, the path above the title nor the list
        // of sub-departments links a refused department; its title may stay
        // as text in the path of its sub-departments.
        QFETCH(QString, rifiutato);
        m_imp.chkPercRep = 1;
        m_imp.cboLivelli = "3";
        db().execute(QStringLiteral("UPDATE categorie SET pagina='no:' || ID WHERE ID=?"), {rifiutato});
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        const QString titolo = QStringLiteral("Titolo ") + rifiutato;
        int pagine = 0;
        for (const QString &f : QDir(stato().CartellaPagine).entryList({QStringLiteral("cat*.htm")}, QDir::Files)) {
            const QString p = pagina(f);
            ++pagine;
            QVERIFY2(!p.contains(QLatin1String("no:")), qPrintable(f));
            QVERIFY2(!p.contains(titolo + QStringLiteral("</a>")) && !p.contains(titolo + QStringLiteral("</option>")) &&
                         !p.contains(titolo + QStringLiteral("</font></a>")),
                     qPrintable(p));
        }
        QVERIFY(pagine >= 2);
        if (rifiutato == QLatin1String("cat001"))
            QVERIFY(pagina(QStringLiteral("cat003.htm")).contains(QLatin1String("<font size=\"1\">Titolo cat001&nbsp;&gt;&nbsp;</font>")));
    }

    void valoriNegliAttributi_data()
    {
        QTest::addColumn<QString>("modello");  // a page of the set
        QTest::addColumn<QString>("sql");      // the hostile value goes in with it
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("atteso");   // what the page holds
        const QString script = QStringLiteral("x\"><script>alert(1)</script>");
        const QString scriptAttr = QStringLiteral("x&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;");
        QTest::newRow("parole chiave") << "<meta name=\"keywords\" content=\"<<1-meta_keywords>>\">"
                                       << "keywords" << script
                                       << "<meta name=\"keywords\" content=\"" + scriptAttr + "\">";
        QTest::newRow("parole chiave oneste") << "<meta name=\"keywords\" content=\"<<1-meta_keywords>>\">"
                                              << "keywords" << "caffè \"bar\""
                                              << "<meta name=\"keywords\" content=\"caffè &quot;bar&quot;\">";
        QTest::newRow("descrizione") << "<meta name=\"description\" content=\"<<1-meta_description>>\">"
                                     << "content" << script
                                     << "<meta name=\"description\" content=\"" + scriptAttr + "\">";
        QTest::newRow("e-mail") << "<a href=\"mailto:<<1-email>>\">Scrivici</a>" << "email" << script
                                << "<a href=\"mailto:" + scriptAttr + "\">Scrivici</a>";
        QTest::newRow("indirizzo del negozio")
            << "<form action=\"<<1-CGIsearch>>\"><input value=\"<<1-urldone>>\">" << "URL" << "www.x.it/\"><b>"
            << "<form action=\"http://www.x.it/&quot;&gt;&lt;b&gt;/";
        // The references the merchant wrote stay references; a bare "&" is
        // escaped.
        QTest::newRow("riferimenti nelle parole chiave")
            << "<meta name=\"keywords\" content=\"<<1-meta_keywords>>\">" << "keywords"
            << "Caff&egrave; &amp; t&#232; & co"
            << "<meta name=\"keywords\" content=\"Caff&egrave; &amp; t&#232; &amp; co\">";
        QTest::newRow("riferimento nella descrizione")
            << "<meta name=\"description\" content=\"<<1-meta_description>>\">" << "content" << "T&egrave; &#x26; caff&egrave;"
            << "<meta name=\"description\" content=\"T&egrave; &#x26; caff&egrave;\">";
        QTest::newRow("e-mail con &") << "<a href=\"mailto:<<1-email>>\">Scrivici</a>" << "email" << "sale&pepe@x.it"
                                      << "<a href=\"mailto:sale&amp;pepe@x.it\">Scrivici</a>";
        QTest::newRow("indirizzo con riferimento")
            << "<form action=\"<<1-CGIsearch>>\"><input value=\"<<1-urldone>>\">" << "URL" << "www.x.it/a&amp;b"
            << "<form action=\"http://www.x.it/a&amp;b/";
    }

    void valoriNegliAttributi()
    {
        QFETCH(QString, modello);
        QFETCH(QString, sql);
        QFETCH(QString, valore);
        QFETCH(QString, atteso);
        const QString set = m_program->path() + QStringLiteral("/set");
        CopiaCartella(setDiProva(), set);
        scrivi(set + QStringLiteral("/campi.htm"), modello.toUtf8());
        Recordset g(stato().dbCatalogo, QStringLiteral("SELECT * FROM generale"));
        g.moveFirst();
        g.edit();
        g.setValue(sql, valore);
        g.setValue(QStringLiteral("cartellaCGI"), QStringLiteral("cgi"));
        g.update();
        g.requery();
        g.moveFirst();
        m_imp = CaricaImpostazioni(g, stato());
        msg().answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, msg());
        e.CartellaSet = set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QString t = pagina(QStringLiteral("campi.htm"));
        QVERIFY2(t.startsWith(atteso), qPrintable(t));
        QVERIFY(!t.contains(QLatin1String("<script")) && !t.contains(QLatin1String("<b>")));
    }

    void indirizzoNeiRisultati_data()
    {
        QTest::addColumn<QString>("cartella");
        QTest::addColumn<QString>("atteso");  // the address the page's links start with
        QTest::newRow("elemento aggiunto") << "shop\"><img src=x onerror=alert(1)>"
                                           << "http://www.esempio.it/shop&quot;&gt;&lt;img src=x onerror=alert(1)&gt;/";
        QTest::newRow("virgolette oneste") << "l'\"angolo\" & c" << "http://www.esempio.it/l'&quot;angolo&quot; &amp; c/";
    }

    void indirizzoNeiRisultati()
    {
        // The search results page, served from the scripts folder, gets the
        // shop's address before its relative links as an attribute value.
        QFETCH(QString, cartella);
        QFETCH(QString, atteso);
        const QString set = m_program->path() + QStringLiteral("/set");
        CopiaCartella(setDiProva(), set);
        scrivi(set + QStringLiteral("/results.htm"), "<a href=\"index.htm\"><img src=\"logo.gif\"></a>");
        m_imp.txtCartella = cartella;
        msg().answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, msg());
        e.CartellaSet = set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QString t = QString::fromUtf8(leggi(stato().CartellaScript + QStringLiteral("/results") + CodiceSito(m_imp) +
                                                  QStringLiteral(".htm")));
        QCOMPARE(t, QStringLiteral("<a href=\"") + atteso + QStringLiteral("index.htm\"><img src=\"") + atteso +
                        QStringLiteral("logo.gif\"></a>\r\n\r\n"));
    }

    void collegamentoArticolo()
    {
        // The article's own link is an attribute value, like its pictures.
        db().execute(QStringLiteral("UPDATE articoli SET link=? WHERE codice='cat002-A1'"),
                     {QStringLiteral("x.htm?a=1&b=\"2\"><script>alert(1)</script>")});
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        const QString t = pagina(QStringLiteral("cat002.htm"));
        QVERIFY2(t.contains(QLatin1String("<div class=\"articolo\"><a href=\"x.htm?a=1&amp;b=&quot;2&quot;&gt;&lt;script&gt;"
                                          "alert(1)&lt;/script&gt;\">cat002-A1</a> 1</div>")),
                 qPrintable(t));
    }

    void soloIFileDelNegozio_data()
    {
        // What stands in the work folder besides a picture.
        QTest::addColumn<QString>("tipo");
        QTest::newRow("collegamento a un file di sistema") << "sistema";
        QTest::newRow("collegamento a un file del negozio") << "interno";
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("cartella work collegata altrove") << "cartella";
    }

    void soloIFileDelNegozio()
    {
        // Only the shop's own regular files go to the pages folder and the
        // upload list; the others are named in one warning and the build
        // goes on.
        QFETCH(QString, tipo);
        const QString work = m_cartella + QStringLiteral("/work");
        const QString fuori = m_program->path() + QStringLiteral("/fuori");
        scrivi(fuori + QStringLiteral("/segreto.txt"), "SEGRETO");
        scrivi(work + QStringLiteral("/foto.jpg"), "foto");
        QString strano;
        if (tipo == QLatin1String("sistema")) {
            strano = QStringLiteral("passwd");
            QVERIFY(QFile::link(QStringLiteral("/etc/passwd"), work + u'/' + strano));
        } else if (tipo == QLatin1String("interno")) {
            strano = QStringLiteral("copia.jpg");
            QVERIFY(QFile::link(m_cartella + QStringLiteral("/catalog.mdb"), work + u'/' + strano));
        } else if (tipo == QLatin1String("fifo")) {
            strano = QStringLiteral("tubo");
            QCOMPARE(::mkfifo(QFile::encodeName(work + u'/' + strano).constData(), 0644), 0);
        } else {
            strano = QStringLiteral("segreto.txt");
            QVERIFY(QDir(work).removeRecursively());
            QVERIFY(QFile::link(fuori, work));
        }
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().size(), 2);
        QCOMPARE(msg().texts()[0], QStringLiteral("I seguenti file non sono stati usati per il sito perché non sono "
                                                  "file ordinari della cartella del programma o del negozio (sono "
                                                  "collegamenti, dispositivi o file di altre cartelle): '") +
                                       work + u'/' + strano + QStringLiteral("'."));
        QVERIFY(!QFileInfo::exists(stato().CartellaPagine + u'/' + strano));
        QCOMPARE(QFileInfo::exists(stato().CartellaPagine + QStringLiteral("/foto.jpg")), tipo != QLatin1String("cartella"));
        const QByteArray lista = leggi(m_cartella + QStringLiteral("/vtftp.dat"));
        QVERIFY(!lista.contains(strano.toUtf8()));
        for (QDirIterator it(stato().CartellaPagine, QDir::Files); it.hasNext();)
            QVERIFY2(!leggi(it.next()).contains("SEGRETO") && !leggi(it.filePath()).startsWith("root:"), qPrintable(it.filePath()));
    }

    void fileNonOrdinari_data()
    {
        // A file the build reads or copies, replaced by a link to a file
        // outside the program and shop folders ("segreto"), to the process's
        // environment ("ambiente") or by a pipe that no one writes ("fifo").
        QTest::addColumn<QString>("file");  // {set}, {programma}, {negozio} replaced
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<bool>("completata");
        QTest::addColumn<QStringList>("poi");  // the messages after the warning, but the last
        const QStringList nessuno;
        QTest::newRow("risorsa del template") << "{set}/style.css" << "segreto" << true << nessuno;
        QTest::newRow("pagina del template") << "{set}/info.htm" << "segreto" << true << nessuno;
        QTest::newRow("ambiente del processo") << "{set}/ambiente.txt" << "ambiente" << true << nessuno;
        QTest::newRow("campione di colore") << "{set}/vtas_col_1.gif" << "fifo" << true << nessuno;
        QTest::newRow("distintivo delle novità") << "{set}/vtas_novita.gif" << "fifo" << true << nessuno;
        QTest::newRow("pagina di ringraziamento") << "{set}/thankyou.htm" << "segreto" << true << nessuno;
        QTest::newRow("script del programma") << "{programma}/code/extra.js" << "segreto" << true << nessuno;
        QTest::newRow("frammento del pagamento") << "{negozio}/code/gw.epg" << "segreto" << true
                                                 << QStringList{"Impossibile trovare il file 'gw.epg'"};
        QTest::newRow("impostazioni del pagamento") << "{negozio}/code/gw/conf.ini" << "segreto" << true << nessuno;
        QTest::newRow("modello di uno script del pagamento")
            << "{negozio}/code/gw/gw.pl" << "segreto" << true
            << QStringList{"{manca}", "Errore nell'elaborazione del file {script}"};
        QTest::newRow("modello dei reparti") << "{set}/modello1.htm" << "segreto" << false << QStringList{"{manca}"};
    }

    void fileNonOrdinari()
    {
        // Only regular files go into the site: any other is named in one
        // warning and left out, and the build goes on without it (a
        // department model left out is a missing model).
        QFETCH(QString, file);
        QFETCH(QString, tipo);
        QFETCH(bool, completata);
        QFETCH(QStringList, poi);
        conPagamento();
        file.replace(QStringLiteral("{set}"), m_set)
            .replace(QStringLiteral("{programma}"), m_program->path())
            .replace(QStringLiteral("{negozio}"), m_cartella);
        QFile::remove(file);
        if (tipo == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0644), 0);
        else
            QVERIFY(QFile::link(tipo == QLatin1String("ambiente") ? QStringLiteral("/proc/self/environ") : segreto(), file));

        QCOMPARE(costruisciConPagamento(), completata ? Elaborazione::Esito::Completata : Elaborazione::Esito::Fallita);
        QStringList attesi{QStringLiteral("I seguenti file non sono stati usati per il sito perché non sono file "
                                          "ordinari della cartella del programma o del negozio (sono collegamenti, "
                                          "dispositivi o file di altre cartelle): '") +
                           file + QStringLiteral("'.")};
        for (QString p : poi)
            attesi << p.replace(QStringLiteral("{manca}"), Make::Modello{file}.avvisoMancante())
                          .replace(QStringLiteral("{script}"),
                                   stato().CartellaScript + QStringLiteral("/gw") + CodiceSito(m_imp) + QStringLiteral(".pl"));
        QCOMPARE(msg().texts().mid(0, msg().texts().size() - 1), attesi);
        QVERIFY(nessunSegreto());
        const QString nome = QFileInfo(file).fileName();
        QVERIFY(!QFileInfo::exists(stato().CartellaPagine + u'/' + nome) || nome == QLatin1String("thankyou.htm"));
        if (!completata)
            return;
        for (const QString &f : elencoUpload())
            QVERIFY2(!f.endsWith(u'/' + nome) || nome == QLatin1String("gw.pl"), qPrintable(f));
        // What the build still makes of the rest.
        QVERIFY(QFile::exists(stato().CartellaPagine + QStringLiteral("/cat001.htm")));
        QCOMPARE(QFile::exists(stato().CartellaPagine + QStringLiteral("/thankyou1.htm")),
                 nome != QLatin1String("thankyou.htm"));
    }

    void nomiConCaratteriDiControllo_data()
    {
        QTest::addColumn<QString>("cartella");  // {set}, {work}, {codice} replaced
        QTest::addColumn<QString>("nome");
        QTest::newRow("a capo in una risorsa") << "{set}" << "a\nb.css";
        QTest::newRow("ritorno a capo in una pagina") << "{set}" << "pagina\r.htm";
        QTest::newRow("tabulazione in un'immagine") << "{work}" << "foto\t.jpg";
        QTest::newRow("separatore di riga Unicode") << "{work}" << QStringLiteral("riga\u2028.jpg");
        QTest::newRow("controllo C1 in uno script") << "{codice}" << QStringLiteral("x\u0085.js");
    }

    void nomiConCaratteriDiControllo()
    {
        // A name the FTP server could not take is refused with a warning
        // that shows it, and stays out of the site and the upload list.
        QFETCH(QString, cartella);
        QFETCH(QString, nome);
        conPagamento();
        cartella.replace(QStringLiteral("{set}"), m_set)
            .replace(QStringLiteral("{work}"), m_cartella + QStringLiteral("/work"))
            .replace(QStringLiteral("{codice}"), m_program->path() + QStringLiteral("/code"));
        scrivi(cartella + u'/' + nome, "<html>x</html>");
        QCOMPARE(costruisciConPagamento(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().size(), 2);
        QCOMPARE(msg().texts()[0], QStringLiteral("I seguenti file non sono stati usati per il sito perché il loro nome "
                                                  "contiene un a capo, un altro carattere di controllo o byte che non "
                                                  "sono testo UTF-8, che il server non accetterebbe: '") +
                                       cartella + u'/' + TestoLeggibile(nome) + QStringLiteral("'. Rinominarli."));
        QVERIFY(!msg().texts()[0].contains(nome));
        for (const QString &c : {stato().CartellaPagine, stato().CartellaScript})
            for (const QString &f : QDir(c).entryList(QDir::Files | QDir::Hidden | QDir::System))
                QVERIFY2(!HaCaratteriDiControllo(f), qPrintable(TestoLeggibile(f)));
        QVERIFY(!QString::fromUtf8(leggi(m_cartella + QStringLiteral("/vtftp.dat"))).contains(nome));
    }

    void nomiNonUtf8_data()
    {
        QTest::addColumn<QString>("cartella");  // {set}, {work}, {codice} replaced
        QTest::addColumn<QByteArray>("nome");
        QTest::addColumn<QString>("mostrato");
        QTest::newRow("Latin-1 in un'immagine") << "{work}" << QByteArray("caff\xe8.jpg") << "caff\\xE8.jpg";
        QTest::newRow("byte isolato in una risorsa") << "{set}" << QByteArray("stile\xff.css") << "stile\\xFF.css";
        QTest::newRow("forma troppo lunga di \"/\"") << "{work}" << QByteArray("a\xc0\xaf.jpg") << "a\\xC0\\xAF.jpg";
        QTest::newRow("lettere valide intorno") << "{codice}" << QByteArray("\xc3\xa8\xe8.js") << "\u00e8\\xE8.js";
    }

    void nomiNonUtf8()
    {
        // A name that is not UTF-8 is named in the warning of the names
        // left out, each stray byte shown, and stays out of the site.
        QFETCH(QString, cartella);
        QFETCH(QByteArray, nome);
        QFETCH(QString, mostrato);
        conPagamento();
        cartella.replace(QStringLiteral("{set}"), m_set)
            .replace(QStringLiteral("{work}"), m_cartella + QStringLiteral("/work"))
            .replace(QStringLiteral("{codice}"), m_program->path() + QStringLiteral("/code"));
        QDir().mkpath(cartella);
        const QByteArray percorso = QFile::encodeName(cartella) + '/' + nome;
        const int fd = ::open(percorso.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "x", 1), 1);
        ::close(fd);
        // The temporary folders cannot remove a name Qt cannot spell.
        const auto togli = qScopeGuard([&] { ::unlink(percorso.constData()); });
        QCOMPARE(costruisciConPagamento(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().size(), 2);
        QCOMPARE(msg().texts()[0], QStringLiteral("I seguenti file non sono stati usati per il sito perché il loro nome "
                                                  "contiene un a capo, un altro carattere di controllo o byte che non "
                                                  "sono testo UTF-8, che il server non accetterebbe: '") +
                                       cartella + u'/' + mostrato + QStringLiteral("'. Rinominarli."));
        for (const QString &c : {stato().CartellaPagine, stato().CartellaScript})
            QCOMPARE(QDir(c).entryList({QStringLiteral("*\uFFFD*")}, QDir::Files), QStringList());
        QVERIFY(!QString::fromUtf8(leggi(m_cartella + QStringLiteral("/vtftp.dat"))).contains(QChar::ReplacementCharacter));
    }

    void databaseSottoAltroNome_data()
    {
        // A hard link, in a folder whose files the build copies, to one of
        // the shop's databases.
        QTest::addColumn<QString>("database");  // in the shop folder
        QTest::addColumn<QString>("collegamento");  // {work}, {codice} replaced
        QTest::newRow("catalogo in work") << "catalog.mdb" << "{work}/foto.jpg";
        QTest::newRow("archivio FTP in work") << "vtftp.mdb" << "{work}/vtftp.css";
        QTest::newRow("database vuoto in work") << "source.new" << "{work}/source.gif";
        QTest::newRow("copia di sicurezza SQLite in work") << "vecchio.bak" << "{work}/bak.png";
        QTest::newRow("catalogo tra i file del pagamento") << "catalog.mdb" << "{codice}/gw/logo.gif";
    }

    void databaseSottoAltroNome()
    {
        // The shop's databases (the catalogue holds the FTP password) are
        // never copied into the site or listed for upload, whatever their
        // name: one warning names them, the rest is built.
        QFETCH(QString, database);
        QFETCH(QString, collegamento);
        conPagamento();
        const QString origine = m_cartella + u'/' + database;
        if (!QFile::exists(origine))
            QVERIFY(QFile::copy(m_cartella + QStringLiteral("/catalog.mdb"), origine));
        collegamento.replace(QStringLiteral("{work}"), m_cartella + QStringLiteral("/work"))
            .replace(QStringLiteral("{codice}"), m_cartella + QStringLiteral("/code"));
        QDir().mkpath(QFileInfo(collegamento).path());
        QCOMPARE(::link(QFile::encodeName(origine).constData(), QFile::encodeName(collegamento).constData()), 0);
        scrivi(m_cartella + QStringLiteral("/work/foto2.jpg"), "foto");

        QCOMPARE(costruisciConPagamento(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().mid(0, 1),
                 QStringList{QStringLiteral("I seguenti file non sono stati usati per il sito perché sono, sotto un altro "
                                            "nome, uno dei database del negozio, che contengono anche la password FTP e "
                                            "non vanno mai pubblicati: '") +
                             collegamento + QStringLiteral("'. Eliminarli.")});
        const QString nome = QFileInfo(collegamento).fileName();
        QVERIFY(!QFile::exists(stato().CartellaPagine + u'/' + nome));
        QVERIFY(!QFile::exists(stato().CartellaScript + u'/' + nome));
        for (const QString &f : elencoUpload())
            QVERIFY2(!f.endsWith(u'/' + nome), qPrintable(f));
        // No file of the site is one of the databases.
        for (const QString &c : {stato().CartellaPagine, stato().CartellaScript})
            for (QDirIterator it(c, QDir::Files); it.hasNext();)
                QVERIFY2(!leggi(it.next()).startsWith("SQLite format 3") || it.fileName().startsWith(QLatin1String("source")),
                         qPrintable(it.filePath()));
        QVERIFY(QFile::exists(stato().CartellaPagine + QStringLiteral("/foto2.jpg")));
    }

    void copiaDiUnDatabase_data()
    {
        // A plain copy (not a link) of a database of the shop, in work/.
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("copia");
        QTest::newRow("catalogo come foto") << "catalog.mdb" << "foto.jpg";
        QTest::newRow("copia di sicurezza del catalogo") << "catalog.mdb" << "catalog copia.mdb";
        QTest::newRow("archivio FTP") << "vtftp.mdb" << "vtftp.bak";
        // The merchant's own database, that holds no password: it is a
        // database all the same.
        QTest::newRow("database qualsiasi") << "" << "ricette.db";
        // The write-ahead log of such a database holds its newest rows.
        QTest::newRow("registro di un database") << "-wal" << "ricette.log";
    }

    void copiaDiUnDatabase()
    {
        // Whatever its name, a database is never copied into the site or
        // listed for upload: one warning names it as a database file, the
        // rest is built.
        QFETCH(QString, database);
        QFETCH(QString, copia);
        const QString percorso = m_cartella + QStringLiteral("/work/") + copia;
        if (database.isEmpty())
            QVERIFY(databaseQualsiasi(percorso));
        else if (database == QLatin1String("-wal"))
            QVERIFY(databaseQualsiasi(m_fuori.path() + QStringLiteral("/ricette.db"), percorso));
        else
            QVERIFY(QFile::copy(m_cartella + u'/' + database, percorso));
        scrivi(m_cartella + QStringLiteral("/work/foto2.jpg"), "foto");

        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().filter(QStringLiteral("database")), QStringList{avvisoFileDatabase(percorso)});
        QVERIFY(!QFile::exists(stato().CartellaPagine + u'/' + copia));
        for (const QString &f : elencoUpload())
            QVERIFY2(!f.endsWith(u'/' + copia), qPrintable(f));
        QVERIFY(QFile::exists(stato().CartellaPagine + QStringLiteral("/foto2.jpg")));
    }

    void databaseLettoPerIlSito_data()
    {
        // A plain copy of the catalogue, which holds the FTP password, in
        // place of a file the build reads to make a page or a script.
        QTest::addColumn<QString>("file");  // {set}, {codice}, {programma} replaced
        QTest::addColumn<bool>("completata");
        QTest::addColumn<QString>("assente");  // not made: {pagine}, {script} replaced
        QTest::addColumn<QStringList>("avvisi");  // each begins a warning
        const QString elenco = QStringLiteral("I seguenti file non sono stati usati per il sito perché sono file di "
                                              "database");
        const QString modello = QStringLiteral(" è un file di database, non un modello: è stato lasciato fuori perché "
                                               "nessun database arrivi al sito.\rRimettere al suo posto il modello "
                                               "giusto e ripetere l'operazione.");
        // The thank-you page is made without the fragment.
        QTest::newRow("frammento del pagamento") << "{codice}/gw.epg" << true << "" << QStringList{elenco};
        QTest::newRow("impostazioni del pagamento")
            << "{codice}/gw/conf.ini" << true << "{script}/gw{sito}.pl" << QStringList{elenco};
        QTest::newRow("script del pagamento")
            << "{codice}/gw/gw.pl" << true << "{script}/gw{sito}.pl"
            << QStringList{elenco, "Il file gw.pl" + modello, "Errore nell'elaborazione del file {script}/gw{sito}.pl"};
        QTest::newRow("pagina di ringraziamento del template")
            << "{set}/thankyou.htm" << true << "{pagine}/thankyou1.htm" << QStringList{elenco};
        QTest::newRow("pagina del template") << "{set}/chisiamo.htm" << true << "{pagine}/chisiamo.htm"
                                             << QStringList{elenco};
        // Without the model no department page can be made.
        QTest::newRow("modello dei reparti") << "{set}/modello1.htm" << false << "{pagine}/cat001.htm"
                                             << QStringList{elenco, "Il file modello1.htm" + modello};
        QTest::newRow("script del programma")
            << "{programma}/code/vtsearch.pl" << true << "{script}/vtsearch{sito}.pl" << QStringList{elenco};
        // Without the order script no shop can sell: nothing is written.
        QTest::newRow("script d'ordine del programma")
            << "{programma}/code/vtorder.pl" << false << "{script}/vtorder{sito}.pl"
            << QStringList{"Nella cartella del programma il file '{programma}/code/vtorder.pl' è un file di database: "
                           "il programma non è installato completamente."};
    }

    void databaseLettoPerIlSito()
    {
        // The database is read into no page, script or resource, and listed
        // for no upload: a warning names it; what does not need it is built.
        QFETCH(QString, file);
        QFETCH(bool, completata);
        QFETCH(QString, assente);
        QFETCH(QStringList, avvisi);
        conPagamento();
        scrivi(m_set + QStringLiteral("/chisiamo.htm"), "<html>Chi siamo</html>");
        scrivi(m_program->path() + QStringLiteral("/code/vtsearch.pl"), "#!<<1-perl_path>>\n");
        const QByteArray password = "Pw-Segreta-42";
        db().execute(QStringLiteral("UPDATE generale SET password=?"), {QString::fromLatin1(password)});
        const auto sostituisci = [this](QString t) {
            return t.replace(QStringLiteral("{set}"), m_set)
                .replace(QStringLiteral("{codice}"), m_cartella + QStringLiteral("/code"))
                .replace(QStringLiteral("{programma}"), m_program->path())
                .replace(QStringLiteral("{pagine}"), stato().CartellaPagine)
                .replace(QStringLiteral("{script}"), stato().CartellaScript)
                .replace(QStringLiteral("{sito}"), CodiceSito(m_imp));
        };
        file = sostituisci(file);
        QVERIFY(QFile::exists(file) && QFile::remove(file));
        QVERIFY(QFile::copy(m_cartella + QStringLiteral("/catalog.mdb"), file));
        QVERIFY(leggi(file).contains(password));

        QCOMPARE(costruisciConPagamento(),
                 completata ? Elaborazione::Esito::Completata : Elaborazione::Esito::Fallita);
        const QStringList testi = msg().texts();
        for (const QString &avviso : std::as_const(avvisi)) {
            const QString inizio = sostituisci(avviso);
            QVERIFY2(std::any_of(testi.cbegin(), testi.cend(), [&](const QString &t) { return t.startsWith(inizio); }),
                     qPrintable(inizio));
        }
        if (avvisi.first().startsWith(QLatin1String("I seguenti")))
            QVERIFY(msg().texts().contains(avvisoFileDatabase(file)));
        QVERIFY(msg().texts().filter(QStringLiteral("Impossibile trovare")).isEmpty());
        if (!assente.isEmpty())
            QVERIFY2(!QFile::exists(sostituisci(assente)), qPrintable(assente));
        if (file.endsWith(QLatin1String(".epg")))
            QVERIFY(QFile::exists(stato().CartellaPagine + QStringLiteral("/thankyou1.htm")));
        // Nothing of the database anywhere in the site or in the upload list.
        for (const QString &c : {stato().CartellaPagine, stato().CartellaScript})
            for (QDirIterator it(c, QDir::Files | QDir::Hidden); it.hasNext();) {
                const QByteArray dati = leggi(it.next());
                QVERIFY2(!dati.contains(password) && !Make::InizioDatabase(dati), qPrintable(it.filePath()));
            }
        if (completata)
            for (const QString &f : elencoUpload())
                QVERIFY2(!f.startsWith(m_set) && !f.startsWith(m_cartella + QStringLiteral("/code")), qPrintable(f));
    }

    void databaseVuotoCollegatoAlCatalogo()
    {
        // The empty work database, copied into source.mdb and sent first,
        // is not the catalogue under its name.
        QVERIFY(QFile::remove(m_cartella + QStringLiteral("/source.new")));
        QCOMPARE(::link(QFile::encodeName(m_cartella + QStringLiteral("/catalog.mdb")).constData(),
                        QFile::encodeName(m_cartella + QStringLiteral("/source.new")).constData()),
                 0);
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QVERIFY(msg().texts().first().startsWith(QStringLiteral("Nella cartella del negozio '") + m_cartella +
                                                 QStringLiteral("' il file 'source.new' è un altro nome di un database "
                                                                "del negozio: il negozio è incompleto.")));
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/source.mdb")));
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
    }

    void fileDelProgrammaVincono_data()
    {
        // A file of the set or of the work folder named like a file the
        // build writes into the pages folder.
        QTest::addColumn<QString>("origine");  // {set} or {work} replaced
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("costruito");  // the built file it would replace
        QTest::newRow("script del carrello del template") << "{set}" << "vtcarrello.js" << "vtcarrello.js";
        QTest::newRow("script del carrello in work") << "{work}" << "vtcarrello.js" << "vtcarrello.js";
        QTest::newRow("pagina iniziale in work") << "{work}" << "index.htm" << "index.htm";
        QTest::newRow("pagina del template in work") << "{work}" << "info.htm" << "info.htm";
        QTest::newRow("pagina di un reparto in work") << "{work}" << "cat001_p2.htm" << "cat001_p2.htm";
        QTest::newRow("pagina di ringraziamento in work") << "{work}" << "thankyou1.htm" << "thankyou1.htm";
        QTest::newRow("altre maiuscole") << "{work}" << "Index.htm" << "index.htm";
    }

    void fileDelProgrammaVincono()
    {
        // The build's own file stays; the other is named in a warning and
        // listed for upload nowhere.
        QFETCH(QString, origine);
        QFETCH(QString, nome);
        QFETCH(QString, costruito);
        conPagamento();
        scrivi(m_set + QStringLiteral("/index.htm"), "<html><title>Negozio</title></html>");
        scrivi(m_set + QStringLiteral("/info.htm"), "<html><title>Informazioni</title></html>");
        origine.replace(QStringLiteral("{set}"), m_set).replace(QStringLiteral("{work}"), m_cartella + QStringLiteral("/work"));
        scrivi(origine + u'/' + nome, "FALSO");
        for (int volta = 0; volta < 2; ++volta) {
            QCOMPARE(costruisciConPagamento(), Elaborazione::Esito::Completata);
            QCOMPARE(msg().texts().size(), 2);
            QCOMPARE(msg().texts()[0], QStringLiteral("I seguenti file non sono stati copiati nel sito perché hanno il "
                                                      "nome di un file che il programma crea, che resta quello del "
                                                      "programma: '") +
                                           origine + u'/' + nome + QStringLiteral("'. Rinominarli."));
            const QByteArray fatto = leggi(stato().CartellaPagine + u'/' + costruito);
            QVERIFY2(!fatto.isEmpty() && !fatto.contains("FALSO"), fatto.constData());
            QCOMPARE(QFileInfo::exists(stato().CartellaPagine + u'/' + nome), nome == costruito);
            const QStringList lista = elencoUpload();
            QCOMPARE(lista.count(stato().CartellaPagine + u'/' + costruito), 1);
            QVERIFY(!lista.contains(stato().CartellaPagine + u'/' + nome) || nome == costruito);
        }
    }

    void nomeDelMetodoDiPagamento_data()
    {
        // The interface of an active payment method, the name of its folder
        // in the shop's code folder.
        QTest::addColumn<QString>("metodo");
        QTest::addColumn<bool>("valido");
        QTest::newRow("cartella del negozio") << ".." << false;
        QTest::newRow("fuori dal negozio") << "../../.." << false;
        QTest::newRow("sottocartella") << "a/b" << false;
        QTest::newRow("barra rovesciata") << "a\\b" << false;
        QTest::newRow("a capo") << "riga\nnuova" << false;
        QTest::newRow("nome semplice") << "Banca Sella" << true;
    }

    void nomeDelMetodoDiPagamento()
    {
        // A name that is no plain folder name is refused with a message: the
        // method's thank-you page is made without its payment form, and
        // nothing the name leads to is read.
        QFETCH(QString, metodo);
        QFETCH(bool, valido);
        conPagamento();
        const QString epg = QDir::cleanPath(m_cartella + QStringLiteral("/code/") + metodo + QStringLiteral(".epg"));
        scrivi(epg, "<p>SEGRETO</p>");
        db().execute(QStringLiteral("UPDATE pagamento SET metodo1=?"), {metodo});
        QCOMPARE(costruisciConPagamento(), Elaborazione::Esito::Completata);
        const QString grazie = pagina(QStringLiteral("thankyou1.htm"));
        if (valido) {
            QCOMPARE(msg().texts().size(), 1);
            QVERIFY2(grazie.contains(QLatin1String("SEGRETO")), qPrintable(grazie));
            return;
        }
        QVERIFY(msg().texts().contains(QStringLiteral("Il metodo di pagamento 'Carta' indica come interfaccia '") +
                                       TestoLeggibile(metodo) +
                                       QStringLiteral("', che non è il nome di una cartella dei codici del negozio: la "
                                                      "sua pagina di ringraziamento non avrà il modulo di pagamento. "
                                                      "Sceglierne l'interfaccia in \"Spese di spedizione\".")));
        QCOMPARE(grazie, QStringLiteral("<html>|</html>\r\n\r\n"));
        QVERIFY(nessunSegreto());
    }

    void risultatiDiUnAltraCostruzione()
    {
        // A results page in the pages folder that this build did not merge
        // (its set has none) is not rewritten into the scripts folder.
        scrivi(stato().CartellaPagine + QStringLiteral("/results.htm"), "SEGRETO");
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        const QString risultati = stato().CartellaScript + QStringLiteral("/results") + CodiceSito(m_imp) + QStringLiteral(".htm");
        QVERIFY(!QFile::exists(risultati));
        QVERIFY(!elencoUpload().contains(risultati));
    }

    void cartellaDiLavoroRiservata_data()
    {
        QTest::addColumn<QString>("pagine");  // under the shop folder
        QTest::addColumn<QString>("script");
        QTest::newRow("pagine nella cartella del negozio") << "" << "/scripts";
        QTest::newRow("script nella cartella work") << "/online" << "/work";
        QTest::newRow("pagine nella cartella code") << "/code" << "/scripts";
        // A relative path would be taken from the folder the program was
        // started from, here the shop's own online folder.
        QTest::newRow("pagine con un percorso relativo") << "rel:/online" << "/scripts";
        // Inside another shop's folder (the original of a copied shop that
        // kept its folders).
        QTest::newRow("script dentro un altro negozio") << "/online" << "altro:/cgi";
    }

    void cartellaDiLavoroRiservata()
    {
        // Folders the opening would have refused are refused by the build
        // too, before anything is written.
        QFETCH(QString, pagine);
        QFETCH(QString, script);
        QDir().mkpath(m_cartella + QStringLiteral("/code"));
        stato().CartellaPagine = m_cartella + pagine;
        if (pagine.startsWith(QLatin1String("rel:"))) {
            QDir().mkpath(m_cartella + pagine.mid(4));
            stato().CartellaPagine = QDir::current().relativeFilePath(m_cartella + pagine.mid(4));
        }
        stato().CartellaScript = m_cartella + script;
        const QString altro = m_fuori.path() + QStringLiteral("/altro");
        if (script.startsWith(QLatin1String("altro:"))) {
            scrivi(altro + QStringLiteral("/catalog.mdb"), "x");
            stato().CartellaScript = altro + script.mid(6);
            QVERIFY(QDir().mkpath(stato().CartellaScript));
        }
        const QStringList prima = QDir(m_cartella).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts().size(), 1);
        const QString rifiutata = pagine == QLatin1String("/online") ? stato().CartellaScript : stato().CartellaPagine;
        QVERIFY2(msg().texts()[0].startsWith(QStringLiteral("La cartella di lavoro '") + rifiutata +
                                             QStringLiteral("' non può accogliere il sito: ")),
                 qPrintable(msg().texts()[0]));
        QCOMPARE(QDir(m_cartella).entryList(QDir::Files | QDir::Hidden), prima);
        QCOMPARE(QDir(m_cartella + QStringLiteral("/work")).entryList(QDir::Files), QStringList());
        if (pagine.startsWith(QLatin1String("rel:")))
            QCOMPARE(QDir(stato().CartellaPagine).entryList(QDir::Files | QDir::Hidden), QStringList());
        if (script.startsWith(QLatin1String("altro:"))) {
            QVERIFY2(msg().texts()[0].contains(QStringLiteral("un altro negozio ('") + altro + QStringLiteral("')")),
                     qPrintable(msg().texts()[0]));
            QCOMPARE(QDir(stato().CartellaScript).entryList(QDir::Files | QDir::Hidden), QStringList());
            QDir(altro).removeRecursively();
        }
    }

    void percorsoPerl_data()
    {
        // The Perl path as typed, and whether the build takes it.
        QTest::addColumn<QString>("perl");
        QTest::addColumn<bool>("buono");
        QTest::newRow("percorso usuale") << "/usr/bin/perl" << true;
        QTest::newRow("con opzioni") << "/usr/local/bin/perl5.36 -w -T" << true;
        QTest::newRow("server Windows") << "C:/Perl/bin/perl.exe" << true;
        QTest::newRow("a capo e codice") << "/usr/bin/perl\nsystem(\"touch /tmp/x\");" << false;
        QTest::newRow("ritorno a capo") << "/usr/bin/perl\r" << false;
        QTest::newRow("a capo finale") << "/usr/bin/perl\n" << false;
        QTest::newRow("carattere di controllo") << QStringLiteral("/usr/bin/perl\u0001") << false;
        QTest::newRow("percorso relativo") << "perl" << false;
        QTest::newRow("vuoto") << "" << false;
        QTest::newRow("campo della pagina") << "/usr/bin/<<1-firma>>" << false;
        QTest::newRow("spazio nel percorso") << "/usr/my perl/perl" << false;
        QTest::newRow("troppo lungo") << QStringLiteral("/") + QString(127, u'p') << false;
    }

    void percorsoPerl()
    {
        // A path that is not one line of an absolute path and its switches
        // is refused before any page or script is written; a good one
        // reaches the first line of every script as written.
        QFETCH(QString, perl);
        QFETCH(bool, buono);
        m_imp.cboPerl = perl;
        m_imp.txtFirma = QStringLiteral("\nsystem(\"touch /tmp/x\");");
        scrivi(m_program->path() + QStringLiteral("/code/vtsearch.pl"), "#!<<1-perl_path>>\nmy $f = '<<1-firma>>';\n");
        const Elaborazione::Esito esito = costruisci();
        if (!buono) {
            QCOMPARE(esito, Elaborazione::Esito::Fallita);
            QCOMPARE(msg().texts().size(), 1);
            QCOMPARE(msg().texts()[0],
                     QStringLiteral("Il percorso dell'interprete Perl '") + perl +
                         QStringLiteral("' non è valido: scrivere nella vista Internet il percorso completo del "
                                        "programma sul server (per esempio /usr/bin/perl), seguito al più da opzioni "
                                        "come -w, su una sola riga, e ripetere l'operazione."));
            QCOMPARE(QDir(stato().CartellaPagine).entryList(QDir::Files | QDir::Hidden), QStringList());
            QCOMPARE(QDir(stato().CartellaScript).entryList(QDir::Files | QDir::Hidden), QStringList());
            return;
        }
        QCOMPARE(esito, Elaborazione::Esito::Completata);
        const QString codice = CodiceSito(m_imp);
        QCOMPARE(leggi(stato().CartellaScript + QStringLiteral("/vtsearch") + codice + QStringLiteral(".pl")),
                 "#!" + perl.toUtf8() + "\nmy $f = 'CnN5c3RlbSgidG91Y2ggL3RtcC94Iik7';\n\r\n");
    }

    void programmaIncompleto_data()
    {
        QTest::addColumn<QString>("manca");
        QTest::newRow("cartella code") << "code";
        QTest::newRow("script del carrello") << "code/vtcarrello.js";
        QTest::newRow("script d'ordine") << "code/vtorder.pl";
    }

    void programmaIncompleto()
    {
        // A program folder without the page and order scripts cannot make a
        // working shop: the build stops before writing anything.
        QFETCH(QString, manca);
        const QString percorso = m_program->path() + u'/' + manca;
        QVERIFY(QFileInfo(percorso).isDir() ? QDir(percorso).removeRecursively() : QFile::remove(percorso));
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts().size(), 1);
        QCOMPARE(msg().texts()[0], QStringLiteral("Nella cartella del programma manca '") + percorso +
                                       QStringLiteral("': il programma non è installato completamente. "
                                                      "Installarlo di nuovo e ripetere l'operazione."));
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
        QCOMPARE(QDir(stato().CartellaPagine).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(stato().CartellaScript).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void sorgenteMancante_data()
    {
        QTest::addColumn<bool>("collegamento");  // a link to a database outside the shop
        QTest::addColumn<QString>("perche");
        QTest::newRow("mancante") << false << "' manca il file 'source.new'";
        QTest::newRow("collegamento") << true << "' il file 'source.new' non è un file ordinario";
    }

    void sorgenteMancante()
    {
        // source.new is copied into the work database, which is published.
        QFETCH(bool, collegamento);
        QFETCH(QString, perche);
        const QString sorgente = m_cartella + QStringLiteral("/source.new");
        if (collegamento) {
            const QString altrove = m_fuori.path() + QStringLiteral("/altro.mdb");
            QVERIFY(QFile::copy(sorgente, altrove));
            QFile::remove(sorgente);
            QVERIFY(QFile::link(altrove, sorgente));
        } else {
            QFile::remove(sorgente);
        }
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts().size(), 2);
        QCOMPARE(msg().texts()[0], "Nella cartella del negozio '" + m_cartella + perche +
                                       ": il negozio è incompleto. Copiarlo da un altro "
                                       "negozio e ripetere l'operazione.");
        QVERIFY(!msg().texts()[0].contains(QLatin1String("template")));
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/source.mdb")));
    }

    void repartiIsolati()
    {
        // A parent that does not exist and a loop of parents: one warning
        // per build naming them; their pages are still written.
        reparto("cat004", "manca", 2, 1);
        reparto("cat005", "cat006", 2, 0);
        reparto("cat006", "cat005", 2, 0);
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().size(), 2);
        QCOMPARE(msg().texts()[0],
                 QStringLiteral("Nessun collegamento del negozio porta alle pagine di questi reparti, perché il reparto "
                                "superiore manca o li contiene: 'Titolo cat004' (cat004), 'Titolo cat005' (cat005), "
                                "'Titolo cat006' (cat006). Spostarli sotto un altro reparto."));
        QVERIFY(QFile::exists(stato().CartellaPagine + QStringLiteral("/cat004.htm")));
    }

    void discoPieno_data()
    {
        QTest::addColumn<QString>("cartella");  // the folder on the small file system
        QTest::addColumn<QString>("file");      // the file the message names
        QTest::newRow("pagine") << "online" << "cat00";
        QTest::newRow("immagine") << "online" << "foto.jpg";
        QTest::newRow("dati di ricerca") << "scripts" << "search";
        // The shop folder itself, with room for less than source.new.
        QTest::newRow("database di lavoro") << "" << "source.mdb";
    }

    void discoPieno()
    {
        // The build stops at the first write that fails, says which file and
        // the system's reason, and leaves no upload list and no temporary file.
        QFETCH(QString, cartella);
        QFETCH(QString, file);
        const QString piena = cartella.isEmpty() ? m_cartella : m_cartella + u'/' + cartella;
        const QByteArray sorgente = leggi(m_cartella + QStringLiteral("/source.new"));
        if (!cartella.isEmpty())
            QDir(piena).removeRecursively();
        FileSystemPiccolo fs(piena, 64);
        if (!fs.montato())
            QSKIP("a small file system cannot be mounted here");
        if (cartella.isEmpty()) {
            // The open catalogue stays where it was; the rest of the shop
            // moves onto the small file system, which is then filled.
            scrivi(piena + QStringLiteral("/source.new"), sorgente);
            QDir(piena).mkpath(QStringLiteral("online"));
            QDir(piena).mkpath(QStringLiteral("scripts"));
            QFile riempi(piena + QStringLiteral("/riempi"));
            QVERIFY(riempi.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (riempi.write(QByteArray(4096, 'r')) == 4096) {
            }
            riempi.resize(std::max<qint64>(0, riempi.size() - 8192));
        }
        const QString lungo = QString(u'x').repeated(30000);
        if (file == QLatin1String("cat00"))
            db().execute(QStringLiteral("UPDATE categorie SET descrizione=?"), {lungo});
        else if (file == QLatin1String("search"))
            db().execute(QStringLiteral("UPDATE articoli SET descrizione=?"), {lungo});
        else if (file == QLatin1String("foto.jpg"))
            scrivi(m_cartella + QStringLiteral("/work/foto.jpg"), QByteArray(300 * 1024, 'j'));
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QVERIFY(msg().texts().size() >= 2);
        const QString avviso = msg().texts()[0];
        QVERIFY2(avviso.contains(file) && avviso.contains(QLatin1String("No space left on device")), qPrintable(avviso));
        QVERIFY2(!avviso.contains(QLatin1String("template")), qPrintable(avviso));
        QVERIFY(msg().texts().last().startsWith(QLatin1String("In seguito agli errori verificatisi")));
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
        QCOMPARE(temporanei(piena), QStringList());
    }

    void cartellaInSolaLettura()
    {
        // A pages folder that is there but cannot be written is not said to be missing.
        const QString ro = m_cartella + QStringLiteral("/online");
        QDir(ro).removeRecursively();
        FileSystemPiccolo fs(ro, 64);
        if (!fs.montato() || !fs.soloLettura())
            QSKIP("a small file system cannot be mounted here");
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts().size(), 1);
        QVERIFY2(msg().texts()[0].contains(QStringLiteral("non può essere scritta")), qPrintable(msg().texts()[0]));
        QVERIFY(!msg().texts()[0].contains(QLatin1String("non esiste")));
    }

    void avanziDiUnaCostruzioneInterrotta()
    {
        // What a killed build left half written goes with the next build.
        for (const char *f : {"/online/.cat001.htm.vttmp", "/online/.foto.jpg.vttmp", "/online/thankyou.tmp",
                              "/scripts/.vtorder1.pl.vttmp"})
            scrivi(m_cartella + QLatin1String(f), "mezzo");
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QCOMPARE(temporanei(stato().CartellaPagine), QStringList());
        QCOMPARE(temporanei(stato().CartellaScript), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestOstile)
#include "test_ostile.moc"
