// A build of a real temporary shop with a page model that shows every field
// of the article rows: the rows merged into the department pages, the
// department index, the showcase kept for the home page and the search data
// file, read back as CSV.
#include "elabora.h"

#include "database.h"
#include "datiordine.h"
#include "formato.h"
#include "recordset.h"
#include "testoletto.h"
#include "provacostruzione.h"
#include "testshop.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

namespace {

const char *const campi[] = {
    "codice", "titolo", "sottotitolo", "cart_articolo", "immagine1", "immagine2", "immagine3", "novita",
    "offerta", "descrizione", "note", "giacenza", "iva", "listino", "prezzo", "cart_prezzo", "cart_iva",
    "cambio", "cart_peso", "opzione1", "opzione2", "opzione3", "cart_opzione1", "cart_opzione2",
    "cart_opzione3", "nomeopzione1", "nomeopzione2", "nomeopzione3", "contatore", "java_acquista",
};

QString testo(const QString &path)
{
    return QString::fromUtf8(leggi(path));
}

// The article blocks of a merged page, each as its fields.
QList<QHash<QString, QString>> articoliDi(const QString &pagina)
{
    QList<QHash<QString, QString>> r;
    const QStringList blocchi = pagina.section(QStringLiteral("<ul>"), 0, 0).split(QStringLiteral("<a name="));
    for (int i = 1; i < blocchi.size(); ++i) {
        QHash<QString, QString> a;
        for (const QString &riga : blocchi[i].split(QStringLiteral("\n@")).mid(1)) {
            const int uguale = riga.indexOf(u'=');
            a.insert(riga.left(uguale), riga.mid(uguale + 1).section(u'\n', 0, 0));
        }
        r << a;
    }
    return r;
}

// The rows of a CSV text: fields separated by commas, quoted fields with
// doubled quotes, rows ended by CR LF outside quotes.
QList<QStringList> righeCSV(const QString &testo)
{
    QList<QStringList> righe;
    QStringList riga;
    QString campo;
    bool virgolette = false;
    for (int i = 0; i < testo.size(); ++i) {
        const QChar c = testo[i];
        if (virgolette) {
            if (c == u'"' && i + 1 < testo.size() && testo[i + 1] == u'"') {
                campo += c;
                ++i;
            } else if (c == u'"') {
                virgolette = false;
            } else {
                campo += c;
            }
        } else if (c == u'"') {
            virgolette = true;
        } else if (c == u',') {
            riga << campo;
            campo.clear();
        } else if (c == u'\r' && i + 1 < testo.size() && testo[i + 1] == u'\n') {
            riga << campo;
            righe << riga;
            riga.clear();
            campo.clear();
            ++i;
        } else {
            campo += c;
        }
    }
    return righe;
}

} // namespace

class TestArticoli : public QObject, public ProvaCostruzione {
    Q_OBJECT

    QString m_set;


    void articolo(const QString &reparto, int ordine, const QVariantHash &valori)
    {
        Recordset a(stato().dbCatalogo, QStringLiteral("SELECT * FROM articoli WHERE ID=0"));
        a.addNew();
        a.setValue(QStringLiteral("catID"), reparto);
        a.setValue(QStringLiteral("ordinamento"), ordine);
        for (auto i = valori.begin(); i != valori.end(); ++i)
            a.setValue(i.key(), i.value());
        a.update();
    }

private slots:
    void init()
    {
        QVERIFY(nuovoNegozio());

        // The template set: a model showing every article field, and the badges.
        m_set = m_program->path() + QStringLiteral("/set");
        QVERIFY(QDir().mkpath(m_set));
        QString modello = QStringLiteral("<html><body>\r\n<VT_START>");
        for (const char *c : campi)
            modello += QStringLiteral("\n@%1=<<2-%1>>").arg(QLatin1String(c));
        modello += QStringLiteral("\n<VT_END>\r\n<ul><<1-elenco>></ul>\r\n</body></html>");
        QFile f(m_set + QStringLiteral("/articoli.htm"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(modello.toUtf8());
        f.close();
        QImage badge(40, 20, QImage::Format_RGB32);
        badge.fill(Qt::green);
        QVERIFY(badge.save(m_set + QStringLiteral("/vtas_novita.gif"), "PNG"));
        QVERIFY(badge.copy(0, 0, 16, 16).save(m_set + QStringLiteral("/vtas_offerta.gif"), "PNG"));

        db().execute(QStringLiteral("DELETE FROM categorie"));
        db().execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, template, titolo, "
                                    "maxarticoli, iva, sconto) VALUES (?, '###', 1, ?, ?, 'articoli', ?, ?, ?, ?)"),
                     {"cat001", 100, "cat001", "Vini", 2, 20.0, 0.0});
        db().execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, template, titolo, "
                                    "maxarticoli, iva, sconto) VALUES (?, '###', 1, ?, ?, 'articoli', ?, ?, ?, ?)"),
                     {"cat002", 105, "cat002", "Dolci", 1, QVariant(), 10.0});

        Recordset set(stato().dbCatalogo, QStringLiteral("SELECT * FROM opzioni"));
        set.addNew();
        const int formato = set.value(QStringLiteral("ID")).toInt();
        set.setValue(QStringLiteral("nome"), QStringLiteral("Formato|*1"));
        set.setValue(QStringLiteral("opzione1"), QStringLiteral("75 cl"));
        set.setValue(QStringLiteral("prezzo1"), QVariant::fromValue(Currency::fromUnits(2)));
        set.setValue(QStringLiteral("peso1"), QVariant(0.75f));
        set.setValue(QStringLiteral("selezionato"), 0);
        set.update();

        articolo("cat001", 1,
                 {{"codice", "A1"}, {"titolo", "Vino, rosso"}, {"sottotitolo", "Il \"migliore\""},
                  {"link", "http://x.it"}, {"linkesterno", true}, {"prezzo", QVariant::fromValue(Currency::fromUnits(100))},
                  {"offerta", true}, {"offertaprezzo", QVariant::fromValue(Currency::fromUnits(80))},
                  {"inelenco", true}, {"immagine2", "p.jpg"}, {"imgX2", 40}, {"imgY2", 30}, {"novita", true},
                  {"peso", QVariant(1.5f)}, {"descrizione", "Riga 1\r\nRiga 2"}, {"note", "<i>Rosso</i>, fermo"},
                  {"giacenza", "3"}, {"opzione1", formato}});
        articolo("cat001", 2,
                 {{"titolo", "Olio"}, {"prezzo", QVariant::fromValue(Currency::fromUnits(10))}, {"popup", true},
                  {"immagine0", "a.jpg"}, {"imgX0", 30}, {"imgY0", 20}, {"immagine1", "g.jpg"}, {"imgX1", 0},
                  {"imgY1", 500}, {"peso", QVariant()}, {"opzione2", 999}});
        articolo("cat001", 3, {{"titolo", "Miele"}, {"prezzo", QVariant::fromValue(Currency::fromUnits(5))},
                               {"inelenco", true}, {"opzione2", formato}, {"peso", QVariant(0.1f)}});
        articolo("cat001", 4, {{"titolo", "Nascosto"}, {"fuoricatalogo", true}, {"inelenco", true}});
        articolo("cat002", 1, {{"codice", "B1"}, {"titolo", "Torta"}, {"prezzo", QVariant::fromValue(Currency::fromUnits(20))},
                               {"offerta", true}, {"offertaprezzo", QVariant()}});

        m_imp = Impostazioni{};
        m_imp.cboPerl = "/usr/bin/perl";
        m_imp.cboVetrina = "3";
        m_imp.cboLivelli = "1";
        m_imp.txtURL = "www.esempio.it";
        m_imp.chkElencoFoto = m_imp.chkElencoCodice = m_imp.chkElencoTitolo = 1;
        m_imp.chkVisSconto = m_imp.chkVisOfferta = 1;
        m_imp.chkIvaCompresa = 1;
        m_imp.chkCodInCart = 1;
        m_imp.chkCambio = 1;
        stato().PrefissoValuta1 = QStringLiteral("€ ");
        stato().PrefissoValuta2 = QStringLiteral("L. ");
        stato().SeparatoreMigliaia = QStringLiteral(".");
        stato().SeparatoreDecimali = QStringLiteral(",");
        stato().FormatoDecimali1 = QStringLiteral("0.00");
        stato().FormatoDecimali2 = QStringLiteral("0");
        stato().TassoCambio = 0.0005;
        m_shop->messages.clear();
        m_shop->messages.answer(Messages::Answer::No);
    }

    void listinoOrdine_data()
    {
        QTest::addColumn<int>("ivaCompresa");
        QTest::newRow("IVA esclusa") << 0;
        QTest::newRow("IVA compresa") << 1;
    }

    void listinoOrdine()
    {
        // The order script's price list holds, for every article in build
        // order, what its purchase call hands the cart: name, price, VAT
        // rate and weight, and each option of its variant menus.
        QFETCH(int, ivaCompresa);
        m_imp.chkIvaCompresa = ivaCompresa;
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        QVERIFY(QString::fromUtf8(leggi(m_cartella + "/vtftp.dat")).contains("#" + e.fileDatiOrdine() + "#"));

        QStringList attese{QStringLiteral("vetrasto-prezzi\t3")};
        QStringList chiavi;
        for (const char *pagina : {"/cat001.htm", "/cat001_p2.htm", "/cat002.htm"}) {
            for (const auto &a : articoliDi(testo(stato().CartellaPagine + pagina))) {
                // The article's number is the purchase call's last argument.
                static const QRegularExpression ultimo(QStringLiteral("','([0-9]+)'\\)\" onMouseOver"));
                const QString chiave = ultimo.match(a["java_acquista"]).captured(1);
                chiavi << chiave;
                attese << QStringLiteral("A\t%1\t%2\t%3\t%4\t%5\t%6")
                              .arg(chiave, TestoLetto(a["codice"]), NomeInCarrello(a["cart_articolo"]), a["cart_prezzo"],
                                   QString::number(a["cart_iva"].toDouble()), a["cart_peso"]);
                for (int n = 1; n <= 3; ++n) {
                    static const QRegularExpression valore(QStringLiteral("value=\"([^=]*)=([^#]*)#([^\"]*)\""));
                    for (const auto &m : valore.globalMatch(a[QStringLiteral("opzione%1").arg(n)])) {
                        QString t = m.captured(3);
                        if (t.endsWith(QLatin1String(" *")))
                            t.chop(2);
                        attese << QStringLiteral("V\t%1\t%2\t%3\t%4").arg(n).arg(t, m.captured(1), m.captured(2));
                    }
                }
            }
        }
        QCOMPARE(attese.size(), 7);  // the header, four articles, two variant options
        QCOMPARE(QSet<QString>(chiavi.begin(), chiavi.end()).size(), 4);  // one number each
        attese << QStringLiteral("fine\t4");
        const QString file = QString::fromUtf8(leggi(e.fileDatiOrdine()));
        QCOMPARE(file.split(u'\n', Qt::SkipEmptyParts), attese);
    }

    void righeArticoli()
    {
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        const QString pagine = stato().CartellaPagine;

        // Two articles on the first page, one on the second, numbered from 1.
        const auto p1 = articoliDi(testo(pagine + "/cat001.htm"));
        const auto p2 = articoliDi(testo(pagine + "/cat001_p2.htm"));
        QCOMPARE(p1.size(), 2);
        QCOMPARE(p2.size(), 1);
        QCOMPARE(p1[1]["contatore"], QStringLiteral("2"));
        QCOMPARE(p2[0]["contatore"], QStringLiteral("1"));

        // The first article: links, badges, offer with VAT included, variant.
        const auto &a1 = p1[0];
        QCOMPARE(a1["codice"], QStringLiteral("<a href=\"http://x.it\" target=\"_blank\">A1</a>"));
        QCOMPARE(a1["titolo"], QStringLiteral("<a href=\"http://x.it\" target=\"_blank\">Vino, rosso</a>"));
        QCOMPARE(a1["cart_articolo"], QStringLiteral("A1 Vino, rosso"));
        QCOMPARE(a1["immagine3"], QStringLiteral("<a href=\"http://x.it\" target=\"_blank\"><img border=\"0\" "
                                                 "src=\"p.jpg\" width=\"40\" height=\"30\"></a>"));
        QCOMPARE(a1["novita"], QStringLiteral("<img src=\"vtas_novita.gif\" height=\"20\" width=\"40\">"));
        QCOMPARE(a1["offerta"], QStringLiteral("<img src=\"vtas_offerta.gif\" height=\"16\" width=\"16\"> - 20% "));
        QCOMPARE(a1["listino"], QStringLiteral("<strike>€ 120,00</strike>"));
        QCOMPARE(a1["prezzo"], QStringLiteral("€ 96,00"));
        QCOMPARE(a1["cart_prezzo"], QStringLiteral("96.00"));
        QCOMPARE(a1["iva"], QString());
        QCOMPARE(a1["cart_iva"], QStringLiteral("0"));
        QCOMPARE(a1["cambio"], QStringLiteral("L. 192.000"));
        QCOMPARE(a1["cart_peso"], QStringLiteral("1.5"));
        QCOMPARE(a1["descrizione"], QStringLiteral("Riga 1<BR>Riga 2"));
        QCOMPARE(a1["note"], QStringLiteral("<i>Rosso</i>, fermo"));
        QCOMPARE(a1["giacenza"], QStringLiteral("3"));
        QCOMPARE(a1["opzione1"], QStringLiteral("<select size=\"1\" name=\"op11\"><option selected "
                                                "value=\"2.40=.75#75 cl *\">75 cl *</option></select>"));
        QCOMPARE(a1["cart_opzione1"], QStringLiteral("op11"));
        QCOMPARE(a1["nomeopzione1"], QStringLiteral("Formato"));
        QCOMPARE(a1["opzione2"], QString());
        QCOMPARE(a1["java_acquista"],
                 QStringLiteral("javascript:window.status='';Acquista('A1 Vino, rosso','96.00','0',"
                                "document.itemsform.qt1.value,'op11','','','1.5','1')\" onMouseOver=\"window.status=''; "
                                "return true"));

        // The second: pop-up of the large picture, a missing variant set.
        const auto &a2 = p1[1];
        QCOMPARE(a2["immagine1"], QStringLiteral("<a href=\"#\" onClick=\"javascript:PopupImage('g.jpg',600,500); "
                                                 "return false;\"><img border=\"0\" src=\"a.jpg\" width=\"30\" "
                                                 "height=\"20\"></a>"));
        QCOMPARE(a2["immagine2"], QString());
        QCOMPARE(a2["novita"], QString());
        QCOMPARE(a2["offerta"], QString());
        QCOMPARE(a2["cart_peso"], QStringLiteral("0"));
        QCOMPARE(a2["opzione2"], QString());
        QCOMPARE(a2["cart_opzione2"], QString());
        QCOMPARE(a2["prezzo"], QStringLiteral("€ 12,00"));

        // The second page's article: its variant set is the second.
        QCOMPARE(p2[0]["cart_opzione2"], QStringLiteral("op21"));
        // A weight as Str writes a single-precision value: seven digits at most.
        QCOMPARE(p2[0]["cart_peso"], QStringLiteral(".1"));
        QVERIFY(p2[0]["java_acquista"].contains("qt1.value,'','op21','','.1','"));

        // One article per page, a department discount without VAT.
        const auto b = articoliDi(testo(pagine + "/cat002.htm"));
        QCOMPARE(b.size(), 1);
        QCOMPARE(b[0]["prezzo"], QStringLiteral("€ 18,00"));
        QCOMPARE(b[0]["listino"], QStringLiteral("<strike>€ 20,00</strike>"));
        QCOMPARE(b[0]["offerta"], QStringLiteral(" - 10% "));

        // The department index on every page of the department.
        const QString indice =
            "<a href=\"cat001.htm#1\"><img border=\"0\" src=\"p.jpg\" width=\"40\" height=\"30\"><BR>A1<BR>Vino, "
            "rosso</a><BR>&nbsp;<BR><a href=\"cat001.htm#2\"><BR><BR>Olio</a><BR>&nbsp;<BR>"
            "<a href=\"cat001_p2.htm#1\"><BR><BR>Miele</a><BR>&nbsp;<BR>";
        QVERIFY(testo(pagine + "/cat001.htm").contains("<ul>" + indice + "</ul>"));
        QVERIFY(testo(pagine + "/cat001_p2.htm").contains("<ul>" + indice + "</ul>"));
        QVERIFY(testo(pagine + "/cat002.htm").contains("<ul><a href=\"cat002.htm\"><BR>B1<BR>Torta</a>"));

        // The showcase: the articles marked for it, in build order.
        QCOMPARE(e.celleVetrina().size(), 2);
        QCOMPARE(e.celleVetrina()[0], QStringLiteral("<a href=\"cat001.htm#1\"><img border=\"0\" src=\"p.jpg\" width=\"40\" "
                                                   "height=\"30\"></a><BR><a href=\"http://x.it\" target=\"_blank\">"
                                                   "Vino, rosso</a><BR>€ 96,00"));
        QCOMPARE(e.celleVetrina()[1], QStringLiteral("<a href=\"cat001_p2.htm#1\"></a><BR>Miele<BR>€ 6,00"));
        QCOMPARE(e.elencoVetrina(),
                 QStringLiteral("<BR><a href=\"cat001.htm#1\"><img border=\"0\" src=\"p.jpg\" width=\"40\" "
                                "height=\"30\"><BR>A1<BR>Vino, rosso</a><BR>&nbsp;<BR><a href=\"cat001_p2.htm#1\">"
                                "<BR><BR>Miele</a><BR>&nbsp;<BR>"));

        // The search data: one row per article, six columns each.
        const auto righe = righeCSV(testo(e.fileRicerca()));
        QCOMPARE(righe.size(), 5);
        QCOMPARE(righe[0], (QStringList{"pagina", "codice", "titolo", "sottotitolo", "immagine", "ricerca"}));
        QCOMPARE(righe[1], (QStringList{"http://www.esempio.it/cat001.htm#1", "A1", "Vino, rosso", "Il \"migliore\"",
                                        "<img border=\"0\" src=\"http://www.esempio.it/p.jpg\" width=\"40\" height=\"30\">",
                                        "#vino##rosso##il##migliore##riga##1##riga##2##rosso##fermo#"}));
        QCOMPARE(righe[2], (QStringList{"http://www.esempio.it/cat001.htm#2", "", "Olio", "", "", "#olio#"}));
        QCOMPARE(righe[3], (QStringList{"http://www.esempio.it/cat001_p2.htm#1", "", "Miele", "", "", "#miele#"}));
        QCOMPARE(righe[4], (QStringList{"http://www.esempio.it/cat002.htm", "B1", "Torta", "", "", "#torta#"}));
    }

    // The index entry: the thumbnail, the code and the title as the three
    // settings ask.
    void voceIndice_data()
    {
        QTest::addColumn<int>("foto");
        QTest::addColumn<int>("codice");
        QTest::addColumn<int>("titolo");
        QTest::addColumn<QString>("voce");
        const QString foto = "<img border=\"0\" src=\"p.jpg\" width=\"40\" height=\"30\"><BR>";
        QTest::newRow("codice e titolo") << 0 << 1 << 1 << "A1<BR>Vino, rosso";
        QTest::newRow("solo titolo") << 0 << 0 << 1 << "Vino, rosso";
        QTest::newRow("solo codice") << 0 << 1 << 0 << "A1";
        QTest::newRow("solo foto") << 1 << 0 << 0 << foto;
        QTest::newRow("foto e titolo") << 1 << 0 << 1 << foto + "Vino, rosso";
    }

    void voceIndice()
    {
        QFETCH(int, foto);
        QFETCH(int, codice);
        QFETCH(int, titolo);
        QFETCH(QString, voce);
        m_imp.chkElencoFoto = foto;
        m_imp.chkElencoCodice = codice;
        m_imp.chkElencoTitolo = titolo;
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        QVERIFY2(e.elencoVetrina().startsWith("<BR><a href=\"cat001.htm#1\">" + voce + "</a><BR>&nbsp;<BR><a href="),
                 qPrintable(e.elencoVetrina()));
        // The showcase cell keeps its thumbnail whatever the index shows.
        QVERIFY(e.celleVetrina()[0].startsWith("<a href=\"cat001.htm#1\"><img border=\"0\" src=\"p.jpg\""));
    }

    // Each build starts the showcase afresh.
    void vetrinaDaCapo()
    {
        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        m_shop->messages.answer(Messages::Answer::No);
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);
        QCOMPARE(e.celleVetrina().size(), 2);
        QCOMPARE(e.elencoVetrina().count(QStringLiteral("<a href=")), 2);
    }
    // The purchase call and the variant menu as a browser runs them: the
    // link of the page model calls Acquista with the article's values, a
    // title with quotes, a semicolon and a line break arrives whole, and the
    // link keeps its onMouseOver attribute.
    void acquistoNelBrowser()
    {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty())
            QSKIP("chromium is not installed");
        QFile f(m_set + QStringLiteral("/acquista.htm"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><body><form name=\"itemsform\">\r\n<VT_START><input name=\"qt<<2-contatore>>\" value=\"2\">"
                "<<2-opzione1>><a id=\"compra<<2-contatore>>\" href=\"<<2-java_acquista>>\">Compra</a>\r\n<VT_END>"
                "</form><pre id=\"esito\"></pre><pre id=\"mouse\"></pre>\r\n<script>\r\n"
                "function Acquista() { var a = []; for (var i = 0; i < arguments.length; i++) a.push(String(arguments[i]));"
                " a.push(document.itemsform.elements[arguments[4]].value);"
                " document.getElementById('esito').textContent = JSON.stringify(a); }\r\n"
                "var l = document.getElementById('compra1');"
                " document.getElementById('mouse').textContent = l.getAttribute('onmouseover'); l.click();\r\n"
                "</script></body></html>");
        f.close();
        db().execute(QStringLiteral("DELETE FROM categorie WHERE ID='cat002'"));
        db().execute(QStringLiteral("UPDATE categorie SET template='acquista', maxarticoli=5 WHERE ID='cat001'"));
        db().execute(QStringLiteral("UPDATE articoli SET codice=?, titolo=? WHERE ordinamento=1"),
                     {QStringLiteral("A'1"), QStringLiteral("L'olio \"extra\";\r\nnuovo \\ 100%")});

        Elaborazione e(stato(), m_imp, m_shop->messages);
        e.CartellaSet = m_set;
        QCOMPARE(e.MakePages(), Elaborazione::Esito::Completata);

        QProcess browser;
        browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--virtual-time-budget=3000",
                                 "--dump-dom", QUrl::fromLocalFile(stato().CartellaPagine + "/cat001.htm").toString()});
        QVERIFY(browser.waitForFinished(60000));
        const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
        const QString esito = dom.section(QStringLiteral("<pre id=\"esito\">"), 1).section(QStringLiteral("</pre>"), 0, 0);
        QCOMPARE(esito, QStringLiteral("[\"A'1 L'olio \\\"extra\\\",\\r\\nnuovo \\\\ 100%\",\"96.00\",\"0\",\"2\",\"op11\",\"\",\"\","
                                "\"1.5\",\"1\",\"2.40=.75#75 cl *\"]"));
        QCOMPARE(dom.section(QStringLiteral("<pre id=\"mouse\">"), 1).section(QStringLiteral("</pre>"), 0, 0),
                 QStringLiteral("window.status=''; return true"));
    }
};

QTEST_MAIN(TestArticoli)
#include "test_articoli.moc"
