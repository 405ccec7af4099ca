// The settings snapshot made from the settings record of a real shop, with
// the derivations the main window applies when it loads the record, and the
// site's addresses and code computed from it.
#include "impostazioni.h"
#include "numeri.h"
#include "recordset.h"
#include "testshop.h"

#include <QTest>

using Campi = QVariantMap;

static Impostazioni sito(const QString &url, const QString &cartella, const QString &cgi = QString())
{
    Impostazioni i;
    i.txtURL = url;
    i.txtCartella = cartella;
    i.txtCGI = cgi;
    return i;
}

class TestImpostazioni : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void caselleEListe();
    void correzioniAlCaricamento_data();
    void correzioniAlCaricamento();
    void indirizziBase_data();
    void indirizziBase();
    void codiceSito_data();
    void codiceSito();
    void indirizzi_data();
    void indirizzi();
    void cartelle_data();
    void cartelle();
    void valuta_data();
    void valuta();
    void valutaConservaPrecedenti();
    void stessoRisultatoDaiCampi_data();
    void stessoRisultatoDaiCampi();

private:
    // Writes the fields into the shop's settings record and reads it back.
    Impostazioni carica(const Campi &campi, ShopState *stato = nullptr);

    std::unique_ptr<TestProgramFolder> m_programma;
    DatabasePtr m_db;
};

void TestImpostazioni::initTestCase()
{
    m_programma = std::make_unique<TestProgramFolder>();
    m_db = Database::open(m_programma->newShop() + QStringLiteral("/catalog.mdb"));
    QVERIFY(m_db);
}

Impostazioni TestImpostazioni::carica(const Campi &campi, ShopState *stato)
{
    Recordset g(m_db, QStringLiteral("SELECT * FROM generale"));
    g.moveFirst();
    g.edit();
    for (auto it = campi.begin(); it != campi.end(); ++it)
        g.setValue(it.key(), it.value());
    g.update();
    Recordset letto(m_db, QStringLiteral("SELECT * FROM generale"));
    letto.moveFirst();
    if (stato)
        return CaricaImpostazioni(letto, *stato);
    return Impostazioni::daRecord(letto);
}

void TestImpostazioni::caselleEListe()
{
    const Impostazioni i = carica({{"vis_sconto", true}, {"vis_offerta", false}, {"codincart", QVariant()},
                                   {"elenco_foto", true}, {"colonnevetrina", "4"}, {"livelliaperti", "2"},
                                   {"operatorericerca", "1"}, {"serverNT", false}, {"sconto", 12.5},
                                   {"immagine0", "logo.jpg"}, {"immagine1", QVariant()}, {"imgX0", 120},
                                   {"imgY0", 40}, {"minimo", "50"}, {"titolo", "Bottega"}, {"content", "c"},
                                   {"home2", "h2"}, {"cambio", -1936.27}, {"template", "classico"}});
    // A stored True (-1) shows as a ticked box, 1.
    QCOMPARE(i.chkVisSconto, 1);
    QCOMPARE(i.chkVisOfferta, 0);
    QCOMPARE(i.chkCodInCart, 0);
    QCOMPARE(i.chkElencoFoto, 1);
    QCOMPARE(i.cboVetrina, QStringLiteral("4"));
    QCOMPARE(i.cboLivelli, QStringLiteral("2"));
    QCOMPARE(i.txtRicerca, QStringLiteral("1"));
    QCOMPARE(i.txtScontoNegozio, QStringLiteral("12.5"));
    QCOMPARE(i.lblLogo[0], QStringLiteral("logo.jpg"));
    QCOMPARE(i.lblLogo[1], QString());
    QCOMPARE(i.imgX[0], 120);
    QCOMPARE(i.imgY[0], 40);
    QCOMPARE(i.minimo, std::optional(Currency::fromUnits(50)));
    QCOMPARE(i.txtTitolo, QStringLiteral("Bottega"));
    QCOMPARE(i.txtKeywords[1], QStringLiteral("c"));
    QCOMPARE(i.txtTesti[1], QStringLiteral("h2"));
    QCOMPARE(i.txtCambio, QStringLiteral("1936.27"));
    QCOMPARE(i.template_, QStringLiteral("classico"));
}

void TestImpostazioni::correzioniAlCaricamento_data()
{
    // The window's fields correct a loaded value as a typed one; the
    // snapshot made from the record shows what they show.
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QVariant>("valore");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("sconto oltre 100") << "sconto" << QVariant(150) << "100";
    QTest::newRow("sconto 100") << "sconto" << QVariant(100) << "100";
    QTest::newRow("sconto negativo") << "sconto" << QVariant(-5.5) << "5.5";
    QTest::newRow("sconto nullo") << "sconto" << QVariant() << "";
    QTest::newRow("cambio negativo in singola") << "cambio" << QVariant(-1234.56789) << "1234.568";
    QTest::newRow("cambio positivo intero") << "cambio" << QVariant(1234.56789) << "1234.56789";
    QTest::newRow("minimo negativo") << "minimo" << QVariant(-12.25) << "12.25";
    QTest::newRow("livelli fuori elenco") << "livelliaperti" << QVariant("12") << "";
    QTest::newRow("livelli zero") << "livelliaperti" << QVariant("0") << "";
    QTest::newRow("livelli 9") << "livelliaperti" << QVariant("9") << "9";
    QTest::newRow("vetrina fuori elenco") << "colonnevetrina" << QVariant("7") << "";
    QTest::newRow("vetrina con spazio") << "colonnevetrina" << QVariant(" 3") << "";
    QTest::newRow("righe con LF") << "firma_email" << QVariant("a\nb") << "a\r\nb";
    QTest::newRow("righe con CR") << "home1" << QVariant("a\rb\r\nc") << "a\r\nb\r\nc";
}

void TestImpostazioni::correzioniAlCaricamento()
{
    QFETCH(QString, campo);
    QFETCH(QVariant, valore);
    QFETCH(QString, atteso);
    const Impostazioni i = carica({{campo, valore}});
    const QHash<QString, QString> mostrato{
        {"sconto", i.txtScontoNegozio}, {"cambio", i.txtCambio},     {"minimo", i.txtMinimo},
        {"livelliaperti", i.cboLivelli}, {"colonnevetrina", i.cboVetrina}, {"firma_email", i.txtFirma},
        {"home1", i.txtTesti[0]}};
    QCOMPARE(mostrato.value(campo), atteso);
}

void TestImpostazioni::indirizziBase_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<QString>("cgi");
    QTest::addColumn<QString>("negozio");
    QTest::addColumn<QString>("script");
    QTest::newRow("semplice") << "www.esempio.it" << "negozio" << "cgi-bin" << "http://www.esempio.it/negozio"
                              << "http://www.esempio.it/cgi-bin";
    QTest::newRow("digitato male") << "  HTTP://www.esempio.it/ " << " /negozio/ " << "/cgi-bin/"
                                   << "http://www.esempio.it/negozio" << "http://www.esempio.it/cgi-bin";
    QTest::newRow("cartella vuota") << "www.esempio.it" << "" << "  " << "http://www.esempio.it"
                                    << "http://www.esempio.it";
    QTest::newRow("una barra per lato") << "host//" << "//a//" << "b" << "http://host///a/" << "http://host//b";
    QTest::newRow("https resta") << "https://www.esempio.it/" << "negozio" << "cgi-bin"
                                 << "https://www.esempio.it/negozio" << "https://www.esempio.it/cgi-bin";
    QTest::newRow("HTTPS maiuscolo") << "HTTPS://host" << "" << "" << "https://host" << "https://host";
    QTest::newRow("vuoto") << "" << "" << "" << "http://" << "http://";
}

void TestImpostazioni::indirizziBase()
{
    QFETCH(QString, url);
    QFETCH(QString, cartella);
    QFETCH(QString, cgi);
    QFETCH(QString, negozio);
    QFETCH(QString, script);
    const Impostazioni i = sito(url, cartella, cgi);
    QCOMPARE(URLNegozio(i), negozio);
    QCOMPARE(URLCGI(i), script);
}

void TestImpostazioni::codiceSito_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<QString>("cgi");
    QTest::addColumn<QString>("codice");
    QTest::newRow("abc") << "abc" << "" << "" << "24E";
    QTest::newRow("abc con http") << "http://abc/" << "" << "" << "24E";
    QTest::newRow("abc con https") << "https://abc" << "" << "" << "24E";
    // abc/x: 590 + 47 x 4 + 120 x 5 = 1378
    QTest::newRow("cartella") << "abc" << "/x/" << "" << "562";
    QTest::newRow("cgi non conta") << "abc" << "" << "cgi-bin" << "24E";
    QTest::newRow("vuoto") << "" << "" << "" << "0";
    // The euro sign counts as code 128 of the Windows code page.
    QTest::newRow("carattere ansi") << QStringLiteral("a\u20AC") << "" << "" << "161";
}

void TestImpostazioni::codiceSito()
{
    QFETCH(QString, url);
    QFETCH(QString, cartella);
    QFETCH(QString, cgi);
    QFETCH(QString, codice);
    QCOMPARE(CodiceSito(sito(url, cartella, cgi)), codice);
}

void TestImpostazioni::indirizzi_data()
{
    QTest::addColumn<Campi>("campi");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("ricerca");
    QTest::addColumn<QString>("ordine");
    const Campi base{{"URL", "abc"}, {"cartella", ""}, {"cartellaCGI", "cgi-bin"}, {"folderFTP", ""},
                     {"folderCGI", ""}, {"serverNT", false}, {"CGIsearch", "vecchio"}, {"CGIordine", "vecchio"}};
    QTest::newRow("unix") << base << "http://abc/index.htm" << "http://abc/cgi-bin/vtsearch24E.pl"
                          << "http://abc/cgi-bin/vtorder24E.pl";
    Campi nt = base;
    nt["serverNT"] = true;
    QTest::newRow("server windows") << nt << "http://abc/index.htm" << "http://abc/cgi-bin/vtsearch24E.pl"
                                    << "vtorder.asp";
    Campi vuoto = nt;
    vuoto["URL"] = "";
    QTest::newRow("indirizzo vuoto") << vuoto << "" << "" << "";
    Campi http = base;
    http["URL"] = "HTTP://abc/";
    QTest::newRow("con http e barra") << http << "http://abc/index.htm" << "http://abc/cgi-bin/vtsearch24E.pl"
                                      << "http://abc/cgi-bin/vtorder24E.pl";
    Campi https = base;
    https["URL"] = "https://abc";
    QTest::newRow("https") << https << "https://abc/index.htm" << "https://abc/cgi-bin/vtsearch24E.pl"
                           << "https://abc/cgi-bin/vtorder24E.pl";
    Campi cartella = base;
    cartella["cartella"] = "x";  // code of abc/x; the remote folder does not derive it at loading
    cartella["folderFTP"] = "www/altro";
    QTest::newRow("cartella salvata") << cartella << "http://abc/x/index.htm"
                                      << "http://abc/cgi-bin/vtsearch562.pl" << "http://abc/cgi-bin/vtorder562.pl";
}

void TestImpostazioni::indirizzi()
{
    QFETCH(Campi, campi);
    QFETCH(QString, home);
    QFETCH(QString, ricerca);
    QFETCH(QString, ordine);
    const Impostazioni i = carica(campi);
    QCOMPARE(i.txtURLNegozio, home);
    QCOMPARE(i.txtCGIsearch, ricerca);
    QCOMPARE(i.txtCGIOrdine, ordine);
}

void TestImpostazioni::cartelle_data()
{
    QTest::addColumn<QString>("folderFTP");
    QTest::addColumn<QString>("folderCGI");
    QTest::addColumn<bool>("nt");
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<QString>("cgi");
    QTest::newRow("www") << "www" << "/cgi-bin/" << false << "" << "cgi-bin";
    QTest::newRow("www/negozio") << "www/negozio" << "www/cgi-bin" << false << "negozio" << "cgi-bin";
    QTest::newRow("maiuscole restano") << "WWW/negozio" << "WWW/cgi" << false << "WWW/negozio" << "WWW/cgi";
    QTest::newRow("barra iniziale resta") << "/www/negozio" << "/www/cgi" << false << "/www/negozio" << "cgi";
    QTest::newRow("httpdocs solo per le pagine") << "httpdocs/cgi-bin" << "httpdocs/cgi-bin" << false << "cgi-bin"
                                                 << "httpdocs/cgi-bin";
    QTest::newRow("htdocs prima di httpd") << "usr/local/etc/httpd/htdocs/n" << "usr/local/etc/httpd/cgi-bin"
                                           << false << "n" << "cgi-bin";
    QTest::newRow("server windows") << "public_html/negozio" << "public_html/cgi" << true << "public_html/negozio"
                                    << "public_html/cgi";
    QTest::newRow("spazi") << "  public_html  " << " cgi " << false << "" << "cgi";
}

void TestImpostazioni::cartelle()
{
    // What the window derives when the merchant changes a remote folder.
    QFETCH(QString, folderFTP);
    QFETCH(QString, folderCGI);
    QFETCH(bool, nt);
    QFETCH(QString, cartella);
    QFETCH(QString, cgi);
    QCOMPARE(Impostazioni::cartellaDaFolderFTP(folderFTP, nt), cartella);
    QCOMPARE(Impostazioni::cartellaDaFolderCGI(folderCGI, nt), cgi);
    // Loading the record shows the folders as stored, typed by hand or not.
    const Impostazioni i = carica({{"folderFTP", folderFTP}, {"folderCGI", folderCGI}, {"serverNT", nt},
                                   {"cartella", "a mano"}, {"cartellaCGI", "cgi"}});
    QCOMPARE(i.txtCartella, QStringLiteral("a mano"));
    QCOMPARE(i.txtCGI, QStringLiteral("cgi"));
}

void TestImpostazioni::valuta_data()
{
    QTest::addColumn<Campi>("campi");
    QTest::addColumn<QString>("prefisso1");
    QTest::addColumn<QString>("prefisso2");
    QTest::addColumn<double>("cambio");
    QTest::addColumn<QString>("decimali");
    QTest::addColumn<QString>("migliaia");
    QTest::addColumn<QString>("formato1");
    QTest::addColumn<QString>("formato2");
    QTest::newRow("italiana") << Campi{{"valuta1", " Euro "}, {"valuta2", "Lire"}, {"cambio", 0.5}, {"notazione", "0"},
                                       {"decimali1", true}, {"decimali2", false}}
                              << "Euro " << "Lire " << 0.5 << "," << "." << "0.00" << "0";
    QTest::newRow("inglese") << Campi{{"valuta1", "$"}, {"valuta2", ""}, {"cambio", 1936.27}, {"notazione", "1"},
                                      {"decimali1", false}, {"decimali2", true}}
                             << "$ " << " " << 1936.27 << "." << "," << "0" << "0.00";
    QTest::newRow("cambio negativo") << Campi{{"valuta1", ""}, {"cambio", -2.0}, {"notazione", "0"}}
                                     << " " << " " << 2.0 << "," << "." << "0" << "0.00";
}

void TestImpostazioni::valuta()
{
    QFETCH(Campi, campi);
    ShopState stato;
    carica(campi, &stato);
    QTEST(stato.PrefissoValuta1, "prefisso1");
    QTEST(stato.PrefissoValuta2, "prefisso2");
    QTEST(stato.TassoCambio, "cambio");
    QTEST(stato.SeparatoreDecimali, "decimali");
    QTEST(stato.SeparatoreMigliaia, "migliaia");
    QTEST(stato.FormatoDecimali1, "formato1");
    QTEST(stato.FormatoDecimali2, "formato2");
}

void TestImpostazioni::valutaConservaPrecedenti()
{
    // An empty notation leaves the separators as they were; a rate that is
    // not a number keeps the previous rate.
    ShopState stato;
    stato.TassoCambio = 3;
    carica({{"notazione", ""}, {"cambio", QVariant()}}, &stato);
    QCOMPARE(stato.SeparatoreDecimali, QString());
    QCOMPARE(stato.SeparatoreMigliaia, QString());
    QCOMPARE(stato.TassoCambio, 3.0);
    ShopState altro;
    altro.SeparatoreDecimali = QStringLiteral(".");
    altro.SeparatoreMigliaia = QStringLiteral(",");
    carica({{"notazione", "7"}, {"cambio", 2.5}}, &altro);
    QCOMPARE(altro.SeparatoreDecimali, QStringLiteral("."));
    QCOMPARE(altro.TassoCambio, 2.5);
}

void TestImpostazioni::stessoRisultatoDaiCampi_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<bool>("nt");
    QTest::addColumn<QString>("negozio");
    QTest::addColumn<QString>("ricerca");
    QTest::addColumn<QString>("ordine");
    QTest::newRow("unix") << "www.bottega.it" << "n" << false << "http://www.bottega.it/n/index.htm"
                          << "http://www.bottega.it/c/vtsearch3206.pl" << "http://www.bottega.it/c/vtorder3206.pl";
    QTest::newRow("windows, https") << "https://bottega.it/" << "/negozio/" << true
                                    << "https://bottega.it/negozio/index.htm"
                                    << "https://bottega.it/c/vtsearch43F7.pl" << "vtorder.asp";
}

void TestImpostazioni::stessoRisultatoDaiCampi()
{
    // The addresses the window derives from its fields and the ones read
    // headless from the record are the same literal values.
    QFETCH(QString, url);
    QFETCH(QString, cartella);
    QFETCH(bool, nt);
    QFETCH(QString, negozio);
    QFETCH(QString, ricerca);
    QFETCH(QString, ordine);
    const Impostazioni r = carica({{"URL", url}, {"cartella", cartella}, {"cartellaCGI", "c"}, {"folderFTP", ""},
                                   {"folderCGI", ""}, {"serverNT", nt}});
    Impostazioni w;
    w.txtURL = url;
    w.txtCartella = cartella;
    w.txtCGI = QStringLiteral("c");
    w.chkNT = nt ? 1 : 0;
    w.derivaIndirizzi();
    for (const Impostazioni *i : {&r, static_cast<const Impostazioni *>(&w)}) {
        QCOMPARE(i->txtURLNegozio, negozio);
        QCOMPARE(i->txtCGIsearch, ricerca);
        QCOMPARE(i->txtCGIOrdine, ordine);
    }
}

QTEST_GUILESS_MAIN(TestImpostazioni)
#include "test_impostazioni.moc"
