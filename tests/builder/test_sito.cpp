// A whole build of a fixture shop with departments, showcase articles,
// countries, zones, shipping bands and active payment methods: the home
// page, the set's other pages, payok/payerr, the thank-you pages with their
// gateway fragments and server files, the results page and the scripts, all
// in the upload list.
#include "elabora.h"

#include "cartelle.h"
#include "database.h"
#include "formato.h"
#include "programfolder.h"
#include "provacostruzione.h"
#include "recordset.h"
#include "testshop.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QString testo(const QString &path) { return QString::fromUtf8(leggi(path)); }

} // namespace

class TestSito : public QObject, public ProvaCostruzione {
    Q_OBJECT

    QString m_set;

    QString pagine() { return stato().CartellaPagine; }
    QString script() { return stato().CartellaScript; }

private slots:
    void init()
    {
        QVERIFY(nuovoNegozio([](TestProgramFolder &programma) {
            const QString codice = programma.path() + "/code/";
            scrivi(codice + "vtorder.pl", "my $negozio = \"<<1-perl_shopname>>\";\n");
            scrivi(codice + "vtsearch.pl", "open(F, \"search<<1-IDnegozio>>.csv\");\n");
            scrivi(codice + "vtaltro.pl", "1;\n");
            scrivi(codice + "carrello.asp", "<% ' <<1-negozio>> %>\n");
            return programma.newShop();
        }));

        // The set: the test set with a home page, results, payment result and
        // thank-you models.
        m_set = m_program->path() + "/set";
        CopiaCartella(qEnvironmentVariable("VETRASTO_TEST_DATA") + "/set", m_set);
        QFile::remove(m_set + "/rotto.htm");
        scrivi(m_set + "/index.htm",
               "<html><head><title><<1-negozio>></title></head><body>\n<<1-logo1>>|<<1-logo2>>\n<<1-home1>>\n"
               "<<1-vetrina>>\n[<<1-elenco>>]\n<<1-repartimenu>>\n<<1-reparti>>\n<script>\n<<1-java_importi>>"
               "<<1-java_permessi>>\n<<1-java_valuta>>var zona=<<1-java_zona>>; var minimo=<<1-java_minimo>>;\n"
               "</script>\n<<1-paesi>>\n<<1-pagamento>>\n<!-- <<1-username>><<1-password>> -->\n</body></html>");
        scrivi(m_set + "/results.htm", "<html><<3-negozio>> <a href=\"cat001.htm\">r</a> "
                                       "<a href=\"https://altro.it/x\">x</a> <a href=\"#su\">su</a></html>");
        scrivi(m_set + "/paymsg.htm", "<html><<1-paymsg>>|<<1-negozio>></html>");
        scrivi(m_set + "/thankyou.htm", "<html><<1-thankyou>></html>");

        // Gateways in the shop's code folder: "bonifico" with a fragment
        // holding tags of its own; "Carta" without a fragment.
        const QString negozio = m_cartella + "/code/";
        scrivi(negozio + "bonifico.epg", "<form action=\"<<1-java_PGAction>>\">Bonifico a <<1-negozio>></form>");
        scrivi(negozio + "bonifico/conf.ini", "asp(default)=ordinent\r\npl(default)=ordine\r\naction=vtorder\r\n"
                                              "Pl=maiuscolo\r\npl=ricevuta\r\n=vuoto\r\nriga senza uguale\r\n");
        scrivi(negozio + "bonifico/ordine.pl", "ordine\n");
        scrivi(negozio + "bonifico/ricevuta.pl", "print \"<<1-perl_shopname>>\";\n");
        scrivi(negozio + "bonifico/maiuscolo.pl", "x\n");
        scrivi(negozio + "Carta/conf.ini", "asp=esito\r\nasp(sel)=solont\r\npl(sel)=soloperl\n");
        scrivi(negozio + "Carta/esito.asp", "<% '<<1-java_PGAction>>' %>");
        scrivi(negozio + "Carta/solont.asp", "nt");
        scrivi(negozio + "Carta/soloperl.pl", "perl");

        Database &db = *stato().dbCatalogo;
        riempiCatalogo(db, 2, 4);
        // Showcase: three articles of the first department, one of the second,
        // and one out of the catalogue that no page shows.
        db.execute("UPDATE articoli SET inelenco=-1 WHERE codice IN ('A1-1', 'A1-2', 'A1-4', 'A2-3', 'A2-4')");
        db.execute("UPDATE articoli SET fuoricatalogo=-1 WHERE codice='A2-4'");
        // Methods 1 and 3 active, 3 preselected; the preselected country is
        // in zone 3.
        db.execute("UPDATE pagamento SET attivo1=-1, attivo2=0, attivo3=-1, attivo4=0, metodo1='bonifico', "
                   "metodo3='Carta', selezionato=3, paesesel='31', zonasel=3, imppeso=0, ivaok3=0");
        db.execute("UPDATE zona3 SET pag3=-1, m3imp1=1000000, m3imp2=2000000, m3sp1=125000, m3sp2=80000, m3sp3=0");
        db.execute("UPDATE zona2 SET m3peso1=3, m3spp1=50000");

        m_imp = Impostazioni{};
        m_imp.cboPerl = "/usr/bin/perl";
        m_imp.txtTitolo = "Bottega \"Da Mario\" @ $1";
        m_imp.txtUsername = "mario";
        m_imp.txtPassword = "segreta";
        m_imp.txtURL = "www.esempio.it";
        m_imp.txtEmailOrdini = "ordini@esempio.it";
        m_imp.txtCGI = "cgi-bin";
        m_imp.txtTesti[0] = "Riga uno\r\nRiga due";
        m_imp.lblLogo = {"logo.gif", ""};
        m_imp.imgX = {120, 0};
        m_imp.imgY = {40, 0};
        m_imp.cboVetrina = "3";
        m_imp.cboLivelli = "1";
        m_imp.chkElencoCodice = 1;
        m_imp.minimo = Currency::fromUnits(50);
        m_shop->messages.clear();
    }

    void costruzione_data()
    {
        QTest::addColumn<int>("nt");
        QTest::addColumn<QString>("azione");
        QTest::addColumn<QStringList>("serverBonifico");
        QTest::addColumn<QStringList>("serverCarta");
        QTest::addColumn<QStringList>("avvisi");

        // The first line that applies to the server type gives the action.
        QTest::newRow("server unix") << 0 << "http://www.esempio.it/cgi-bin/ordine%1.pl"
                                     << QStringList{"scripts/ordine%1.pl", "scripts/ricevuta%1.pl"}
                                     << QStringList{"online/esito.asp", "scripts/soloperl%1.pl"}
                                     << QStringList{"Impossibile trovare il file 'Carta.epg'"};
        // On a Windows server the ASP line comes first; its model is missing.
        QTest::newRow("server windows") << 1 << "ordinent.asp" << QStringList{"scripts/ricevuta%1.pl"}
                                        << QStringList{"online/esito.asp", "online/solont.asp"}
                                        << QStringList{"Errore nell'elaborazione del file %2/ordinent.asp",
                                                       "Impossibile trovare il file 'Carta.epg'"};
    }

    void costruzione()
    {
        QFETCH(int, nt);
        QFETCH(QString, azione);
        QFETCH(QStringList, serverBonifico);
        QFETCH(QStringList, serverCarta);
        QFETCH(QStringList, avvisi);
        m_imp.chkNT = nt;
        m_imp.derivaIndirizzi();
        ScriptedMessages &msg = m_shop->messages;
        msg.answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, msg);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QString id = CodiceSito(m_imp);
        azione.replace("%1", id);

        // Messages: the merger's own for a missing server model, then ours.
        QStringList mostrati = msg.texts();
        QCOMPARE(mostrati.takeLast(), QString("Creazione del negozio terminata. Vuoi vedere il risultato?"));
        if (nt)
            mostrati.removeFirst();
        for (QString &a : avvisi)
            a.replace("%2", pagine());
        QCOMPARE(mostrati, avvisi);

        // The home page.
        const QString home = testo(pagine() + "/index.htm");
        QVERIFY(home.contains("<title>Bottega \"Da Mario\" @ $1</title>"));
        QVERIFY(home.contains("<img border=\"0\" src=\"logo.gif\" width=\"120\" height=\"40\">|\n"));
        QVERIFY(home.contains("Riga uno<BR>Riga due"));
        QVERIFY2(home.contains("<!--  -->"), qPrintable(home));  // the FTP account stays out
        QVERIFY(!home.contains("segreta") && !home.contains("mario"));
        // Four showcase cells, three to a row; every element opened is closed.
        QCOMPARE(home.count("<td valign=\"top\" align=\"center\">"), 4);
        QCOMPARE(home.count("<tr>"), 2);
        QCOMPARE(home.count("</tr>"), 2);
        QVERIFY(home.contains("</td>\r\n</tr>\r\n</table>\r\n</center></div>\r\n"));
        QVERIFY(home.indexOf("A1-4") < home.indexOf("A2-3"));
        QVERIFY(!home.contains("A2-4"));
        QVERIFY(home.contains("[<BR>"));
        QVERIFY(home.contains("<select name=\"vtRepartiMenu\" onChange=\"RepGoTo()\">\r\n"
                              "<option selected value=\"#\"> </option>\r\n"));
        // Method 3 is the second active one; the country is in zone 3.
        QVERIFY(home.contains("var zona=7; var minimo= 50;"));
        auto voci = [&home](const QString &nome) {
            const qsizetype i = home.indexOf(nome + "=new Array(") + nome.size() + 11;
            return home.mid(i, home.indexOf(')', i) - i).split(',');
        };
        QCOMPARE(voci("impord1").size(), 16);
        QCOMPARE(voci("impord1")[6], QString("100"));  // second active method, zone 3
        QCOMPARE(voci("impord2")[6], QString("200"));
        QVERIFY(home.contains("var SpOk='10000010';\r\nvar IvaOk='1100';"));
        QVERIFY(home.contains("<option selected value =\"3\">Regno Unito</option>"));
        QVERIFY(home.contains("<option>Contrassegno</option>\r\n<option selected>Carta di credito</option>"));

        // Payment result pages: the home row with their own message.
        const QString ok = testo(pagine() + "/payok.htm"), err = testo(pagine() + "/payerr.htm");
        QVERIFY(ok.contains("<b>Ordine completato</b>") && ok.contains("|Bottega \"Da Mario\" @ $1</html>"));
        QVERIFY(err.contains("<b>Pagamento non effettuato</b>") && err.contains("Torna all'ingresso del negozio"));

        // One thank-you page per active method, numbered without gaps; the
        // fragment's own tags are filled by the second of the two merges
        // (each ends the file with a line break).
        QCOMPARE(testo(pagine() + "/thankyou1.htm"),
                 "<html><form action=\"" + azione + "\">Bonifico a Bottega \"Da Mario\" @ $1</form></html>\r\n\r\n");
        QCOMPARE(testo(pagine() + "/thankyou2.htm"), QString("<html></html>\r\n\r\n"));
        for (const char *f : {"/thankyou3.htm", "/thankyou.tmp", "/thankyou.htm", "/modello1.htm", "/results.htm",
                              "/paymsg.htm"})
            QVERIFY2(!QFile::exists(pagine() + f), f);
        // A Perl script gets every value as base64 data: here the title as
        // the merchant wrote it, which the script decodes.
        const QString perlNegozio = QString::fromLatin1(QByteArray("Bottega \"Da Mario\" @ $1").toBase64());
        if (!nt)
            QCOMPARE(testo(script() + "/ricevuta" + id + ".pl"), "print \"" + perlNegozio + "\";\n\r\n");
        QVERIFY(!QFile::exists(script() + "/maiuscolo" + id + ".pl"));

        // Results page with site addresses; scripts with the site code.
        const QString risultati = testo(script() + "/results" + id + ".htm");
        QVERIFY(risultati.contains("<a href=\"http://www.esempio.it/cat001.htm\">r</a>"));
        QVERIFY(risultati.contains("<a href=\"https://altro.it/x\">x</a> <a href=\"#su\">su</a>"));
        QVERIFY(risultati.contains("<html>Bottega"));
        QCOMPARE(testo(script() + "/vtorder" + id + ".pl"), "my $negozio = \"" + perlNegozio + "\";\n\r\n");
        QVERIFY(testo(script() + "/vtsearch" + id + ".pl").contains("search" + QString::fromLatin1(id.toUtf8().toBase64()) + ".csv"));

        // Everything written is in the upload list, once.
        QStringList lista = testo(m_cartella + "/vtftp.dat").split('#', Qt::SkipEmptyParts);
        QStringList attesi{pagine() + "/index.htm",        pagine() + "/payok.htm",
                           pagine() + "/payerr.htm",       pagine() + "/thankyou1.htm",
                           pagine() + "/thankyou2.htm",    pagine() + "/Extra.HTM",
                           script() + "/results" + id + ".htm",
                           pagine() + "/vtcarrello.js",     script() + "/vtaltro.pl",
                           script() + "/vtorder" + id + ".pl", script() + "/vtsearch" + id + ".pl",
                           pagine() + "/carrello.asp",     e.fileRicerca()};
        for (const QString &f : serverBonifico + serverCarta)
            attesi << m_cartella + '/' + f.arg(id);
        for (const QString &f : attesi) {
            QCOMPARE(lista.count(f), 1);
            QVERIFY2(QFile::exists(f), qPrintable(f));
        }
        // The results page was written into the pages folder before its
        // rewrite into the scripts folder: the list keeps it, gone or not.
        QCOMPARE(lista.count(pagine() + "/results.htm"), 1);
        QVERIFY(!QFile::exists(pagine() + "/results.htm"));
        QVERIFY(lista.indexOf(pagine() + "/results.htm") < lista.indexOf(script() + "/results" + id + ".htm"));
        QVERIFY(lista.indexOf(pagine() + "/thankyou1.htm") < lista.indexOf(m_cartella + '/' + serverBonifico[0].arg(id)));
    }

    // The shop-wide fields as a page of the set receives them.
    void campiNegozio_data()
    {
        QTest::addColumn<QString>("ricerca");  // txtRicerca
        QTest::addColumn<int>("paroleIntere");  // chkRicerca
        QTest::addColumn<QString>("minimo");
        QTest::addColumn<int>("ivaCompresa");
        QTest::addColumn<QString>("andOr");
        QTest::addColumn<QString>("separatori");
        QTest::addColumn<QString>("javaMinimo");
        QTest::addColumn<QString>("javaIva");
        const QString intere = "var sleft = \"#\"; var sright = \"#\";";
        const QString modello = "var sleft = \",#.*\"; var sright = \"\";";
        QTest::newRow("o, parole intere") << "1" << 1 << "50" << 1 << "any" << intere << " 50" << "1";
        QTest::newRow("e, modello") << "0" << 0 << "12.5" << 0 << "all" << modello << " 12.5" << "0";
        QTest::newRow("operatore 2") << "2" << 1 << "0" << 2 << "all" << intere << " 0" << "1";
        QTest::newRow("operatore vuoto") << "" << 2 << "-5" << 0 << "all" << modello << "-5" << "0";
        QTest::newRow("operatore con spazio") << " 1" << 0 << "0.75" << 0 << "all" << modello << " .75" << "0";
    }

    void campiNegozio()
    {
        QFETCH(QString, ricerca);
        QFETCH(int, paroleIntere);
        QFETCH(QString, minimo);
        QFETCH(int, ivaCompresa);
        static const char *const campi[] = {
            "home2", "testo1", "java_minimo", "CGIsearch", "CGIordine", "email", "negozio", "email_ordini",
            "perl_path", "java_ivacompresa", "merchantid", "urlback", "urldone", "foldercgi", "perl_sendmail",
            "perl_shopURL", "perl_shopname", "perl_email", "valuta", "perl_mailend", "firma", "java_search",
            "java_daticliente", "java_ANDORsearch", "java_sepsearch", "java_carrello", "IDnegozio", "ric_pagina",
            "ric_codice", "ric_titolo", "ric_sottotitolo", "ric_foto", "logo2", "meta_keywords", "meta_description"};
        QString pagina;
        for (const char *c : campi)
            pagina += QStringLiteral("[%1]<<1-%1>>[/%1]").arg(QLatin1String(c));
        scrivi(m_set + "/campi.htm", pagina.toUtf8());

        m_imp.txtRicerca = ricerca;
        m_imp.chkRicerca = paroleIntere;
        m_imp.minimo = *Currency::parse(minimo);
        m_imp.chkIvaCompresa = ivaCompresa;
        m_imp.txtURL = "HTTP://www.esempio.it/";
        m_imp.txtCartella = "/negozio/";
        m_imp.txtTesti[1] = "Due\r\nrighe";
        m_imp.txtTesti[5] = "<b>Grassetto</b>\r\nresta";
        m_imp.txtEmail = "info@esempio.it";
        m_imp.txtEmailOrdini = "ordini@esempio.it";
        m_imp.txtFirma = "Saluti\r\nda @Mario";
        m_imp.txtMID = "M-1";
        m_imp.txtFolderCGI = "  /cgi-bin/  ";
        m_imp.cboPerl = "/usr/bin/perl";
        m_imp.cboSendmail = "/usr/sbin/sendmail -t";
        m_imp.txtKeywords = {"caff\u00e8, t\u00e8\r\nmoka", "Una <b>bottega</b>"};
        m_imp.derivaIndirizzi();
        stato().PrefissoValuta1 = "\u20ac ";
        m_shop->messages.answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);

        const QString t = testo(pagine() + "/campi.htm");
        auto campo = [&t](const char *nome) {
            const QString apre = QStringLiteral("[%1]").arg(QLatin1String(nome));
            const qsizetype i = t.indexOf(apre) + apre.size();
            return t.mid(i, t.indexOf(QStringLiteral("[/%1]").arg(QLatin1String(nome))) - i);
        };
        QTEST(campo("java_ANDORsearch"), "andOr");
        QTEST(campo("java_sepsearch"), "separatori");
        QTEST(campo("java_minimo"), "javaMinimo");
        QTEST(campo("java_ivacompresa"), "javaIva");

        const QString url = "http://www.esempio.it/negozio";
        QCOMPARE(campo("home2"), QString("Due<BR>righe"));
        QCOMPARE(campo("testo1"), QString("<b>Grassetto</b>\r\nresta"));
        QCOMPARE(campo("CGIsearch"), m_imp.txtCGIsearch);
        QCOMPARE(campo("CGIordine"), m_imp.txtCGIOrdine);
        QCOMPARE(campo("email"), QString("info@esempio.it"));
        QCOMPARE(campo("negozio"), m_imp.txtTitolo);
        QCOMPARE(campo("email_ordini"), QString("ordini@esempio.it"));
        QCOMPARE(campo("perl_path"), QString("/usr/bin/perl"));
        QCOMPARE(campo("merchantid"), QString("M-1"));
        QCOMPARE(campo("urlback"), url + "/payerr.htm");
        QCOMPARE(campo("urldone"), url + "/payok.htm");
        QCOMPARE(campo("foldercgi"), QString("/cgi-bin/"));
        QCOMPARE(campo("perl_sendmail"), QString("/usr/sbin/sendmail -t"));
        QCOMPARE(campo("perl_shopURL"), url);
        // The perl_* values are the settings themselves: a Perl script takes
        // them as base64 data.
        QCOMPARE(campo("perl_shopname"), m_imp.txtTitolo);
        QCOMPARE(campo("perl_email"), QString("ordini@esempio.it"));
        QCOMPARE(campo("valuta"), QString("\u20ac "));
        QCOMPARE(campo("perl_mailend"), QString("Saluti\r\nda @Mario"));
        QCOMPARE(campo("firma"), QString("Saluti\r\nda @Mario"));
        QCOMPARE(campo("java_search"), QString("return SubmitSearchForm(1)"));
        QCOMPARE(campo("java_daticliente"), QString("CaricaDati()"));
        QCOMPARE(campo("java_carrello"), QString("<script language=\"JavaScript\">\r\n<!--\r\nMostraCarrello();\r\n"
                                                 "//-->\r\n</script>"));
        QCOMPARE(campo("IDnegozio"), CodiceSito(m_imp));
        QCOMPARE(campo("ric_pagina") + campo("ric_codice") + campo("ric_titolo") + campo("ric_sottotitolo") +
                     campo("ric_foto"),
                 QString("$arg1$arg2$arg3$arg4$arg5"));
        QCOMPARE(campo("logo2"), QString());
        QCOMPARE(campo("meta_keywords"), QString("caff\u00e8, t\u00e8\r\nmoka"));
        // Meta tags take their values as attribute values.
        QCOMPARE(campo("meta_description"), QString("Una &lt;b&gt;bottega&lt;/b&gt;"));
    }

    void minimoVuoto_data()
    {
        QTest::addColumn<QString>("valore");
        QTest::newRow("Null") << "NULL";
        // A catalogue damaged by another program: a text, or a number beyond
        // the money range, is no amount, neither 0 nor a wrapped number.
        QTest::newRow("testo") << "'abc'";
        QTest::newRow("oltre il limite") << "1e39";
        QTest::newRow("frazione di decimillesimo") << "12.5";
    }

    void minimoVuoto()
    {
        // The merchant cleared the minimum order: the record holds Null,
        // which no page script can take. The build stops, before any page,
        // and its message leads to the field.
        QFETCH(QString, valore);
        db().execute(QStringLiteral("PRAGMA ignore_check_constraints = 1"));
        db().execute("UPDATE generale SET minimo=" + valore);
        Recordset generale(stato().dbCatalogo, QStringLiteral("SELECT * FROM generale"));
        generale.moveFirst();
        m_imp.minimo = Impostazioni::daRecord(generale).minimo;
        QVERIFY(!m_imp.minimo);
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Fallita);
        const QStringList avvisi = m_shop->messages.texts();
        QCOMPARE(avvisi.size(), 1);
        QVERIFY2(avvisi[0].startsWith("Si è verificato un errore imprevisto:\r\n94 Il campo 'Ordine minimo' della "
                                      "vista Sito è vuoto o non contiene un numero"),
                 qPrintable(avvisi[0]));
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat"));
        QVERIFY(QDir(pagine()).entryList({"*.htm"}, QDir::Files).isEmpty());
    }

    void senzaPagineDiPagamento()
    {
        // A set without results, paymsg and thank-you models writes and
        // lists none of their pages.
        for (const char *f : {"/results.htm", "/paymsg.htm", "/thankyou.htm"})
            QVERIFY(QFile::remove(m_set + f));
        m_shop->messages.answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QString lista = testo(m_cartella + "/vtftp.dat");
        QVERIFY(lista.contains(pagine() + "/index.htm#"));
        for (const QString &f : {pagine() + "/payok.htm", pagine() + "/thankyou1.htm",
                                 script() + "/results" + CodiceSito(m_imp) + ".htm"}) {
            QVERIFY(!lista.contains(f));
            QVERIFY(!QFile::exists(f));
        }
    }

    // A department's button picture in the tree of every built page: both
    // sizes or neither, so that a picture without a stored size has no
    // empty ones.
    void pulsanteReparto_data()
    {
        QTest::addColumn<QVariant>("x");
        QTest::addColumn<QVariant>("y");
        QTest::addColumn<QString>("tag");
        const QVariant nulla;
        const QString senza = "<img src=\"tasto.gif\" border=\"0\">";
        QTest::newRow("misure nulle") << nulla << nulla << senza;
        QTest::newRow("misure 0") << QVariant(0) << QVariant(0) << senza;
        QTest::newRow("solo larghezza") << QVariant(40) << nulla << senza;
        QTest::newRow("solo altezza") << nulla << QVariant(20) << senza;
        QTest::newRow("larghezza 0") << QVariant(0) << QVariant(20) << senza;
        QTest::newRow("entrambe") << QVariant(40) << QVariant(20)
                                  << "<img src=\"tasto.gif\" width=\"40\" height=\"20\" border=\"0\">";
    }

    void pulsanteReparto()
    {
        QFETCH(QVariant, x);
        QFETCH(QVariant, y);
        QFETCH(QString, tag);
        db().execute("UPDATE categorie SET immagine1='tasto.gif', imgX1=?, imgY1=? WHERE ID='cat001'", {x, y});
        m_imp.derivaIndirizzi();
        m_shop->messages.answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        // The department's own page shows its button selected, the others
        // as a link.
        const QString link = "<a href=\"cat001.htm\">" + tag + "</a>";
        for (const auto &[pagina, voce] : {std::pair{"/index.htm", link}, {"/cat001.htm", "<B>" + tag + "</B>"},
                                           {"/cat002.htm", link}}) {
            const QString t = testo(pagine() + pagina);
            QVERIFY2(t.contains(voce), qPrintable(pagina + (": " + t)));
            QVERIFY2(!t.contains("width=\"\"") && !t.contains("height=\"\""), qPrintable(pagina + (": " + t)));
        }
    }

    void frammentoCheSiRipete()
    {
        // A fragment that names its own field makes the thank-you merge
        // fail: the build takes its failure path and leaves no list.
        scrivi(m_cartella + "/code/bonifico.epg", "<<1-thankyou>><<1-thankyou>>");
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Fallita);
        QVERIFY(m_shop->messages.texts().last().startsWith("In seguito agli errori verificatisi"));
        QVERIFY(!QFile::exists(m_cartella + "/vtftp.dat"));
        QVERIFY(!QFile::exists(pagine() + "/thankyou1.htm"));
    }
};

QTEST_MAIN(TestSito)
#include "test_sito.moc"
