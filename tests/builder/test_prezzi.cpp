// Prices of the article rows (VAT included and excluded, offers, department
// and shop discounts, rounding, second currency, both notations), the
// variant menus on a real catalogue, and the small fragments of the article
// rows: cart name, search key, CSV fields, picture tags and pop-up call.
#include "articoli.h"
#include "frammenti.h"
#include "prezzi.h"
#include "risorse.h"

#include "numeri.h"

#include "database.h"
#include "recordset.h"
#include "testshop.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FattoreSconto)

namespace {

// Shop notation "1.000,00" with two decimals, or "1,000.00" with none.
ShopState statoNegozio(bool italiano = true, bool decimali = true)
{
    ShopState s;
    s.PrefissoValuta1 = QStringLiteral("C ");
    s.PrefissoValuta2 = QStringLiteral("L ");
    s.SeparatoreMigliaia = italiano ? QStringLiteral(".") : QStringLiteral(",");
    s.SeparatoreDecimali = italiano ? QStringLiteral(",") : QStringLiteral(".");
    s.FormatoDecimali1 = decimali ? QStringLiteral("0.00") : QStringLiteral("0");
    s.FormatoDecimali2 = QStringLiteral("0.00");
    return s;
}

QVariant soldi(const char *t)
{
    return t ? QVariant::fromValue(*Currency::parse(QString::fromLatin1(t))) : QVariant();
}

QVariant singolo(double v) { return QVariant(float(v)); }

} // namespace

class TestPrezzi : public QObject {
    Q_OBJECT

private slots:
    void prezzo_data()
    {
        QTest::addColumn<QVariant>("listino");
        QTest::addColumn<QVariant>("offertaprezzo");
        QTest::addColumn<bool>("offerta");
        QTest::addColumn<QVariant>("iva");
        QTest::addColumn<QVariant>("sconto");
        QTest::addColumn<QString>("scontoNegozio");
        QTest::addColumn<bool>("ivaCompresa");
        QTest::addColumn<bool>("visSconto");
        QTest::addColumn<bool>("italiano");
        QTest::addColumn<bool>("decimali");
        // expected
        QTest::addColumn<QString>("prezzo");
        QTest::addColumn<QString>("barrato");
        QTest::addColumn<QString>("notaIva");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("cartPrezzo");
        QTest::addColumn<QString>("cartIva");

        const QVariant nulla;
        const QVariant zero = singolo(0);
        QTest::newRow("IVA esclusa") << soldi("100") << nulla << false << singolo(20) << zero << "0" << false << true
                                     << true << true << "C 100,00" << "" << "+ IVA 20%" << "" << "100.00" << ".2";
        QTest::newRow("IVA compresa") << soldi("100") << nulla << false << singolo(20) << zero << "0" << true << true
                                      << true << true << "C 120,00" << "" << "" << "" << "120.00" << "0";
        QTest::newRow("IVA nulla") << soldi("100") << nulla << false << nulla << zero << "0" << false << true << true
                                   << true << "C 100,00" << "" << "" << "" << "100.00" << "0";
        QTest::newRow("IVA con decimali") << soldi("10") << nulla << false << singolo(22.5) << zero << "0" << false
                                          << true << true << true << "C 10,00" << "" << "+ IVA 22.5%" << ""
                                          << "10.00" << ".225";
        QTest::newRow("IVA compresa arrotondata") << soldi("19.99") << nulla << false << singolo(22) << zero << "0"
                                                  << true << true << true << true << "C 24,39" << "" << "" << ""
                                                  << "24.39" << "0";
        QTest::newRow("offerta con IVA compresa") << soldi("100") << soldi("80") << true << singolo(20) << zero << "0"
                                                  << true << true << true << true << "C 96,00"
                                                  << "<strike>C 120,00</strike>" << "" << "B - 20% " << "96.00" << "0";
        QTest::newRow("offerta senza nota") << soldi("100") << soldi("80") << true << singolo(20) << zero << "0"
                                            << false << false << true << true << "C 80,00"
                                            << "<strike>C 100,00</strike>" << "+ IVA 20%" << "B" << "80.00" << ".2";
        QTest::newRow("offerta di un ottavo") << soldi("80") << soldi("70") << true << zero << zero << "0" << false
                                              << true << true << true << "C 70,00" << "<strike>C 80,00</strike>" << ""
                                              << "B - 12,5% " << "70.00" << "0";
        QTest::newRow("offerta di un terzo") << soldi("3") << soldi("2") << true << zero << zero << "0" << false
                                             << true << true << true << "C 2,00" << "<strike>C 3,00</strike>" << ""
                                             << "B - 33,3% " << "2.00" << "0";
        QTest::newRow("offerta non inferiore") << soldi("100") << soldi("120") << true << zero << zero << "0" << false
                                               << true << true << true << "C 120,00" << "<strike>C 100,00</strike>"
                                               << "" << "B" << "120.00" << "0";
        QTest::newRow("offerta e sconti: conta l'offerta") << soldi("100") << soldi("80") << true << zero
                                                           << singolo(10) << "10" << false << true << true << true
                                                           << "C 80,00" << "<strike>C 100,00</strike>" << ""
                                                           << "B - 20% " << "80.00" << "0";
        QTest::newRow("offerta senza prezzo: sconto del reparto") << soldi("100") << nulla << true << zero
                                                                  << singolo(10) << "0" << false << true << true
                                                                  << true << "C 90,00" << "<strike>C 100,00</strike>"
                                                                  << "" << " - 10% " << "90.00" << "0";
        QTest::newRow("sconto del reparto") << soldi("100") << nulla << false << zero << singolo(10) << "0" << false
                                            << true << true << true << "C 90,00" << "<strike>C 100,00</strike>" << ""
                                            << " - 10% " << "90.00" << "0";
        QTest::newRow("sconto del reparto, nota nascosta") << soldi("100") << nulla << true << zero << singolo(10)
                                                           << "0" << false << false << true << true << "C 90,00"
                                                           << "<strike>C 100,00</strike>" << "" << "B" << "90.00"
                                                           << "0";
        QTest::newRow("sconto con IVA compresa") << soldi("100") << nulla << false << singolo(20) << singolo(10) << "0"
                                                 << true << true << true << true << "C 108,00"
                                                 << "<strike>C 120,00</strike>" << "" << " - 10% " << "108.00" << "0";
        QTest::newRow("due sconti esatti") << soldi("100000") << nulla << false << zero << singolo(10) << "10" << false
                                           << true << true << true << "C 81.000,00"
                                           << "<strike>C 100.000,00</strike>" << "" << " - 19% " << "81000.00"
                                           << "0";
        QTest::newRow("solo sconto del negozio") << soldi("100") << nulla << false << zero << nulla << "12.5" << false
                                                 << true << true << true << "C 87,50" << "<strike>C 100,00</strike>"
                                                 << "" << " - 12,5% " << "87.50" << "0";
        QTest::newRow("sconto nullo") << soldi("100") << nulla << false << zero << nulla << "0" << false << true
                                      << true << true << "C 100,00" << "" << "" << "" << "100.00" << "0";
        QTest::newRow("sconto del negozio fuori misura") << soldi("100") << nulla << false << zero << nulla << "150"
                                                         << false << true << true << true << "C 100,00" << "" << ""
                                                         << "" << "100.00" << "0";
        // Money stays exact where a single-precision product would lose cents.
        QTest::newRow("IVA compresa su un importo grande") << soldi("12345678.91") << nulla << false << singolo(20)
                                                           << zero << "0" << true << true << true << true
                                                           << "C 14.814.814,69" << "" << "" << ""
                                                           << "14814814.69" << "0";
        // The price text rounds a half away from zero.
        QTest::newRow("mezzo centesimo per eccesso") << soldi("10.125") << nulla << false << zero << zero << "0"
                                                     << false << true << true << true << "C 10,13" << "" << ""
                                                     << "" << "10.13" << "0";
        // The offer's percent: tenths rounded half to even, written as Str
        // writes them (no zero before the point).
        QTest::newRow("offerta: mezzo decimo al pari, in basso") << soldi("2000") << soldi("1999") << true << zero
                                                                 << zero << "0" << false << true << true << true
                                                                 << "C 1.999,00" << "<strike>C 2.000,00</strike>"
                                                                 << "" << "B - 0% " << "1999.00" << "0";
        QTest::newRow("offerta: mezzo decimo al pari, in alto") << soldi("2000") << soldi("1997") << true << zero
                                                                << zero << "0" << false << true << true << true
                                                                << "C 1.997,00" << "<strike>C 2.000,00</strike>"
                                                                << "" << "B - ,2% " << "1997.00" << "0";
        QTest::newRow("offerta con IVA esclusa") << soldi("100") << soldi("80") << true << singolo(22) << zero << "0"
                                                 << false << true << true << true << "C 80,00"
                                                 << "<strike>C 100,00</strike>" << "+ IVA 22%" << "B - 20% "
                                                 << "80.00" << ".22";
        QTest::newRow("sconto del reparto non intero") << soldi("100") << nulla << false << zero << singolo(33.33)
                                                       << "0" << false << true << true << true << "C 66,67"
                                                       << "<strike>C 100,00</strike>" << "" << " - 33,33% "
                                                       << "66.67" << "0";
        QTest::newRow("notazione 1,000 senza decimali") << soldi("1234.5") << nulla << false << zero << zero << "0"
                                                        << false << true << false << false << "C 1,235" << "" << ""
                                                        << "" << "1235" << "0";
        QTest::newRow("notazione 1,000 con sconto") << soldi("1000") << nulla << false << zero << singolo(12.5) << "0"
                                                    << false << true << false << true << "C 875.00"
                                                    << "<strike>C 1,000.00</strike>" << "" << " - 12.5% " << "875.00"
                                                    << "0";
        // Amounts of a damaged catalogue stop at the ends of the range
        // instead of turning round to the other sign.
        const QVariant minimo = QVariant::fromValue(Currency::fromRaw(INT64_MIN));
        QTest::newRow("il minimo a 64 bit con IVA compresa") << minimo << nulla << false << singolo(20) << zero << "0"
                                                             << true << true << true << true
                                                             << "C -922.337.203.685.477,58" << "" << "" << ""
                                                             << "-922337203685477.58" << "0";
        QTest::newRow("offerta sotto zero su un listino enorme")
            << QVariant::fromValue(Currency::fromRaw(INT64_MAX)) << soldi("-1") << true << zero << zero << "0" << false
            << true << true << true << "C -1,00" << "<strike>C 922.337.203.685.477,58</strike>" << "" << "B - 100% "
            << "-1.00" << "0";
        QTest::newRow("sconto del reparto del 250%") << soldi("4.5") << nulla << false << zero << singolo(250) << "0"
                                                     << false << false << true << true << "C -6,75"
                                                     << "<strike>C 4,50</strike>" << "" << "" << "-6.75" << "0";
    }

    void prezzo()
    {
        QFETCH(QVariant, listino);
        QFETCH(QVariant, offertaprezzo);
        QFETCH(bool, offerta);
        QFETCH(QVariant, iva);
        QFETCH(QVariant, sconto);
        QFETCH(QString, scontoNegozio);
        QFETCH(bool, ivaCompresa);
        QFETCH(bool, visSconto);
        QFETCH(bool, italiano);
        QFETCH(bool, decimali);

        DatiPrezzo d;
        d.prezzo = listino;
        d.offertaprezzo = offertaprezzo;
        d.offerta = offerta;
        d.iva = iva;
        d.sconto = sconto;
        const double s = scontoNegozio.toDouble();
        if (s >= 0 && s <= 100)
            d.scontoNegozio = *Currency::parse(scontoNegozio);
        d.ivaCompresa = ivaCompresa;
        d.visSconto = visSconto;
        d.badge = offerta ? QStringLiteral("B") : QString();
        const Prezzo p = CalcolaPrezzo(d, statoNegozio(italiano, decimali));

        QTEST(p.prezzo, "prezzo");
        QTEST(p.listino, "barrato");
        QTEST(p.iva, "notaIva");
        QTEST(p.offerta, "badge");
        QTEST(p.cart_prezzo, "cartPrezzo");
        QTEST(p.cart_iva, "cartIva");
        QCOMPARE(p.cambio, QString());
    }

    // The surcharges of the variants are discounted only under a discount
    // of the department or the shop, never under an offer.
    void fattoreVarianti_data()
    {
        QTest::addColumn<bool>("offerta");
        QTest::addColumn<QVariant>("sconto");
        QTest::addColumn<QString>("variante");  // a surcharge of 10, with a shop discount of 10
        QTest::newRow("solo sconto del negozio") << false << singolo(0) << "9.0000";
        QTest::newRow("sconto del reparto") << false << singolo(10) << "8.1000";
        QTest::newRow("offerta") << true << singolo(10) << "10.0000";
    }

    void fattoreVarianti()
    {
        QFETCH(bool, offerta);
        QFETCH(QVariant, sconto);
        DatiPrezzo d;
        d.prezzo = soldi("100");
        d.offerta = offerta;
        d.offertaprezzo = soldi("50");
        d.sconto = sconto;
        d.scontoNegozio = *Currency::parse("10");
        const Prezzo p = CalcolaPrezzo(d, statoNegozio());
        const Currency v = p.fattoreVarianti.applica(Currency::fromUnits(10));
        QTEST(Format(v, "0.0000"), "variante");
    }

    void secondaValuta_data()
    {
        QTest::addColumn<double>("tasso");
        QTest::addColumn<bool>("cambio");
        QTest::addColumn<QVariant>("sconto");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("tasso 2") << 2.0 << true << singolo(0) << "L 50,00";
        QTest::newRow("prezzo scontato") << 2.0 << true << singolo(10) << "L 45,00";
        QTest::newRow("lire") << 1.0 / 1936.27 << true << singolo(0) << "L 193.627,00";
        QTest::newRow("mezzo centesimo") << 800.0 << true << singolo(0) << "L 0,13";
        QTest::newRow("tasso 0") << 0.0 << true << singolo(0) << "";
        QTest::newRow("cambio spento") << 2.0 << false << singolo(0) << "";
    }

    void secondaValuta()
    {
        QFETCH(double, tasso);
        QFETCH(bool, cambio);
        QFETCH(QVariant, sconto);
        ShopState s = statoNegozio();
        s.TassoCambio = tasso;
        DatiPrezzo d;
        d.prezzo = soldi("100");
        d.sconto = sconto;
        d.cambio = cambio;
        QTEST(CalcolaPrezzo(d, s).cambio, "atteso");
    }

    void campoRicerca_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("chiave");
        QTest::newRow("vuoto") << "" << "";
        QTest::newRow("punteggiatura") << " !?.. " << "";
        QTest::newRow("parole") << "  Vino   Rosso! " << "#vino##rosso#";
        QTest::newRow("trattino") << "Caffè - Tè" << "#caffè##tè#";
        QTest::newRow("tag") << "<b>Olio</b> <i>nuovo</i>" << "#olio##nuovo#";
        QTest::newRow("ogni spazio") << "a\tb\r\nc\u00A0d" << "#a##b##c##d#";
        QTest::newRow("maiuscole accentate") << "PERCHÈ 2024" << "#perchè##2024#";
    }

    void campoRicerca()
    {
        QFETCH(QString, testo);
        QTEST(CampoRicerca(testo), "chiave");
    }

    void cartArticolo_data()
    {
        QTest::addColumn<QString>("codice");
        QTest::addColumn<QString>("titolo");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("titolo in grassetto") << "" << "<b>Vino</b>" << "Vino";
        QTest::newRow("codice e titolo") << "A1" << "Vino; rosso" << "A1 Vino, rosso";
        QTest::newRow("apostrofo") << "" << "L'olio \"buono\"" << "L\\'olio %22buono%22";
        QTest::newRow("a capo") << "" << "riga\r\naltra" << "riga\\r\\naltra";
        // Character references are read before the script escapes: an
        // apostrophe written as one cannot end the script string.
        QTest::newRow("riferimento decimale") << "" << "L&#39;Arabica d&#39;oro" << "L\\'Arabica d\\'oro";
        QTest::newRow("riferimento senza punto e virgola")
            << "" << "Bar&#39)+alert(101)+(&#39" << "Bar\\')+alert(101)+(\\'";
        QTest::newRow("riferimento esadecimale") << "" << "Bar&#x27)+alert(101)+(&#X27;" << "Bar\\')+alert(101)+(\\'";
        QTest::newRow("codice con riferimento") << "A&#39;1" << "Vino" << "A\\'1 Vino";
        QTest::newRow("riferimenti per nome") << "" << "Caff&egrave; &amp; t&Egrave; &quot;bio&quot;"
                                              << "Caff\u00e8 & t\u00c8 %22bio%22";
        QTest::newRow("riferimenti che non lo sono") << "" << "R&D &nome; &#; &#0;" << "R&D &nome, &#, \ufffd";
        // Every name of HTML, as a browser reads it: the longest that
        // matches, the older ones without ";", 128 to 159 as Windows-1252.
        QTest::newRow("ogni riferimento per nome")
            << "" << "Caff&ocirc; &ndash; &laquo;bio&raquo; d&rsquo;oro &hellip;&euro;&nbsp;5"
            << "Caff\u00f4 \u2013 \u00abbio\u00bb d\u2019oro \u2026\u20ac\u00a05";
        QTest::newRow("riferimenti vecchi e di Windows")
            << "" << "Caff&egrave bio &notit &#150; &#x80;" << "Caff\u00e8 bio \u00acit \u2013 \u20ac";
        // The text a browser shows of the page's title: a "<" that opens no
        // tag is a character of it, a comment goes whole.
        QTest::newRow("minore che non apre un tag") << "1 < 2" << "Tazze 1 < 2 > 0" << "1 < 2 Tazze 1 < 2 > 0";
        QTest::newRow("commento con un maggiore") << "" << "<!-- a > b -->Vino" << "Vino";
        // A TAB reaches the cart only as an escape: an address drops it.
        QTest::newRow("tabulazione") << "" << "Miscela\tBar" << "Miscela\\tBar";
        QTest::newRow("NUL e altri controlli")
            << QStringLiteral("A") + QChar(0) + u'B'
            << QStringLiteral("C") + QChar(1) + u'D' + QChar(0x7f) + u'E' + QChar(0x85) + QStringLiteral("F&#1;")
            << "AB CDEF";
    }

    void cartArticolo()
    {
        QFETCH(QString, codice);
        QFETCH(QString, titolo);
        QTEST(CartArticolo(codice, titolo), "atteso");
    }

    void campoCSV_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("semplice") << "Vino rosso" << "Vino rosso";
        QTest::newRow("virgola") << "Vino, rosso" << "\"Vino, rosso\"";
        QTest::newRow("virgolette") << "Il \"buono\"" << "\"Il \"\"buono\"\"\"";
        QTest::newRow("a capo") << "a\r\nb" << "\"a\r\nb\"";
    }

    void campoCSV()
    {
        QFETCH(QString, testo);
        QTEST(CampoCSV(testo), "atteso");
    }

    // The one writer of picture tags, in the form of each kind of picture:
    // both sizes or neither, whatever the form.
    void tagImmagine_data()
    {
        QTest::addColumn<QVariant>("file");
        QTest::addColumn<QVariant>("x");
        QTest::addColumn<QVariant>("y");
        QTest::addColumn<FormaTagImmagine>("forma");
        QTest::addColumn<QString>("atteso");
        const QVariant nulla;
        struct Forma {
            const char *nome;
            FormaTagImmagine forma;
            const char *conMisure, *senza;
        };
        const Forma forme[] = {
            {"pagina", FormaTagImmagine::Pagina, "<img border=\"0\" src=\"a.jpg\" width=\"40\" height=\"20\">",
             "<img border=\"0\" src=\"a.jpg\">"},
            {"pulsante", FormaTagImmagine::Pulsante, "<img src=\"a.jpg\" width=\"40\" height=\"20\" border=\"0\">",
             "<img src=\"a.jpg\" border=\"0\">"},
            {"badge", FormaTagImmagine::Badge, "<img src=\"a.jpg\" height=\"20\" width=\"40\">", "<img src=\"a.jpg\">"},
        };
        for (const Forma &f : forme) {
            auto riga = [&](const char *caso) -> QTestData & { return QTest::addRow("%s, %s", f.nome, caso); };
            riga("nessun file") << nulla << QVariant(40) << QVariant(20) << f.forma << "";
            riga("nome vuoto") << QVariant("") << QVariant(40) << QVariant(20) << f.forma << "";
            riga("con misure") << QVariant("a.jpg") << QVariant(40) << QVariant(20) << f.forma << f.conMisure;
            riga("misure nulle") << QVariant("a.jpg") << nulla << nulla << f.forma << f.senza;
            riga("misure 0") << QVariant("a.jpg") << QVariant(0) << QVariant(0) << f.forma << f.senza;
            riga("larghezza 0") << QVariant("a.jpg") << QVariant(0) << QVariant(20) << f.forma << f.senza;
            riga("larghezza nulla") << QVariant("a.jpg") << nulla << QVariant(20) << f.forma << f.senza;
            riga("altezza nulla") << QVariant("a.jpg") << QVariant(40) << nulla << f.forma << f.senza;
            riga("altezza 0") << QVariant("a.jpg") << QVariant(40) << QVariant(0) << f.forma << f.senza;
        }
        QTest::newRow("nome da proteggere") << QVariant("l'a\"b&c.jpg") << QVariant(1) << QVariant(2)
                                            << FormaTagImmagine::Pagina
                                            << "<img border=\"0\" src=\"l'a&quot;b&amp;c.jpg\" width=\"1\" height=\"2\">";
    }

    void tagImmagine()
    {
        QFETCH(QVariant, file);
        QFETCH(QVariant, x);
        QFETCH(QVariant, y);
        QFETCH(FormaTagImmagine, forma);
        QTEST(TagImmagine(file, x, y, forma), "atteso");
    }

    void popup_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QVariant>("x");
        QTest::addColumn<QVariant>("y");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("larghezza nulla") << "g.jpg" << QVariant() << QVariant(500)
                                         << "javascript:PopupImage('g.jpg',600,500); return false;";
        QTest::newRow("misure 0") << "g.jpg" << QVariant(0) << QVariant(0)
                                  << "javascript:PopupImage('g.jpg',600,350); return false;";
        QTest::newRow("misure") << "g.jpg" << QVariant(800) << QVariant(600)
                                << "javascript:PopupImage('g.jpg',800,600); return false;";
        QTest::newRow("nome da proteggere") << "l'a\"b.jpg" << QVariant(1) << QVariant(2)
                                            << "javascript:PopupImage('l\\'a%22b.jpg',1,2); return false;";
    }

    void popup()
    {
        QFETCH(QString, file);
        QFETCH(QVariant, x);
        QFETCH(QVariant, y);
        QTEST(ChiamataPopup(file, x, y), "atteso");
    }

    void creaTagImg()
    {
        QTemporaryDir set;
        QImage badge(40, 20, QImage::Format_RGB32);
        badge.fill(Qt::red);
        QVERIFY(badge.save(set.path() + "/Badge.png", "PNG"));
        QFile rotto(set.path() + "/rotto.gif");
        QVERIFY(rotto.open(QIODevice::WriteOnly));
        rotto.write("non una figura");
        rotto.close();
        // The badge as the build finds it among the set's files.
        FileAmmessi file;
        file.esamina(set.path(), {});
        const auto tag = [&](const QString &nome) { return CreaTagImg(nome, file.trova(set.path(), nome)); };
        QCOMPARE(tag("Badge.png"), QStringLiteral("<img src=\"Badge.png\" height=\"20\" width=\"40\">"));
        // Letter case aside, the set's file is found.
        QCOMPARE(tag("badge.png"), QStringLiteral("<img src=\"badge.png\" height=\"20\" width=\"40\">"));
        QCOMPARE(tag("manca.gif"), QStringLiteral("<img src=\"manca.gif\">"));
        QCOMPARE(tag("rotto.gif"), QStringLiteral("<img src=\"rotto.gif\">"));
    }

    // Variant menus from a real catalogue.
    void opzioni_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QStringList>("testi");
        QTest::addColumn<QList<QVariant>>("prezzi");
        QTest::addColumn<QList<QVariant>>("pesi");
        QTest::addColumn<QVariant>("selezionato");
        QTest::addColumn<QString>("sconto");  // department discount
        QTest::addColumn<QString>("atteso");  // between the select's tags

        QTest::newRow("IVA compresa, terza preselezionata")
            << "Colore" << QStringList{"Rosso", "Verde", "Blu"}
            << QList<QVariant>{soldi("2"), soldi("0"), soldi("-1.5")}
            << QList<QVariant>{singolo(1), singolo(0), singolo(0.5)} << QVariant(2) << "0"
            << "<option value=\"2.40=1#Rosso\">Rosso ( + C 2,40 )</option>"
               "<option value=\"0.00=0#Verde\">Verde</option>"
               "<option selected value=\"-1.80=.5#Blu *\">Blu * ( - C 1,80 )</option>";
        QTest::newRow("senza note") << "Taglia|*1" << QStringList{"S", "M"} << QList<QVariant>{soldi("1"), soldi("2")}
                                    << QList<QVariant>{singolo(0), singolo(0)} << QVariant(0) << "0"
                                    << "<option selected value=\"1.20=0#S *\">S *</option>"
                                       "<option value=\"2.40=0#M\">M</option>";
        QTest::newRow("note in parole") << "Taglia|*1|*2" << QStringList{"S", "M"}
                                        << QList<QVariant>{soldi("-1.5"), soldi("1")}
                                        << QList<QVariant>{singolo(0), singolo(0)} << QVariant(5) << "0"
                                        << "<option value=\"-1.80=0#S\">S ( meno C 1,80 )</option>"
                                           "<option value=\"1.20=0#M\">M ( piu' C 1,20 )</option>";
        QTest::newRow("prezzo e peso nulli valgono 0")
            << "X" << QStringList{"A", "B"} << QList<QVariant>{soldi("5"), QVariant()}
            << QList<QVariant>{singolo(2), QVariant()} << QVariant(0) << "0"
            << "<option selected value=\"6.00=2#A *\">A * ( + C 6,00 )</option>"
               "<option value=\"0.00=0#B\">B</option>";
        QTest::newRow("pesi con decimali come li scrive Str") << "X" << QStringList{"A", "B"}
                                                           << QList<QVariant>{soldi("0"), soldi("0")}
                                                           << QList<QVariant>{singolo(0.1), singolo(1.2)}
                                                           << QVariant(0) << "0"
                                                           << "<option selected value=\"0.00=.1#A *\">A *</option>"
                                                              "<option value=\"0.00=1.2#B\">B</option>";
        QTest::newRow("preselezionata vuota") << "X" << QStringList{"A", "", "C"}
                                              << QList<QVariant>{soldi("0"), soldi("0"), soldi("0")}
                                              << QList<QVariant>{singolo(0), singolo(0), singolo(0)} << QVariant(1)
                                              << "0"
                                              << "<option value=\"0.00=0#A\">A</option>"
                                                 "<option value=\"0.00=0#C\">C</option>";
        QTest::newRow("sconto del reparto") << "X" << QStringList{"A"} << QList<QVariant>{soldi("10")}
                                            << QList<QVariant>{singolo(0)} << QVariant(3) << "10"
                                            << "<option value=\"10.80=0#A\">A ( + C 10,80 )</option>";
        QTest::newRow("testo da proteggere") << "X" << QStringList{"5\" & <b>"} << QList<QVariant>{soldi("0")}
                                             << QList<QVariant>{singolo(0)} << QVariant(3) << "0"
                                             << "<option value=\"0.00=0#5&quot; &amp; &lt;b&gt;\">5\" & <b></option>";
    }

    void opzioni()
    {
        QFETCH(QString, nome);
        QFETCH(QStringList, testi);
        QFETCH(QList<QVariant>, prezzi);
        QFETCH(QList<QVariant>, pesi);
        QFETCH(QVariant, selezionato);
        QFETCH(QString, sconto);
        QFETCH(QString, atteso);

        TestProgramFolder programma;
        const DatabasePtr db = Database::open(programma.newShop() + "/catalog.mdb");
        QVERIFY(db);
        Recordset set(db, "SELECT * FROM opzioni");
        set.addNew();
        const int id = set.value("ID").toInt();
        set.setValue("nome", nome);
        for (int i = 0; i < testi.size(); ++i) {
            const QString n = QString::number(i + 1);
            set.setValue("opzione" + n, testi[i]);
            set.setValue("prezzo" + n, prezzi[i]);
            set.setValue("peso" + n, pesi[i]);
        }
        set.setValue("selezionato", selezionato);
        set.update();

        const FattoreSconto f = FattoreSconto::daPercentuale(*Currency::parse(sconto));
        const Varianti varianti = Varianti::leggi(*db);
        const QString menu = CreaOpzione(varianti, statoNegozio(), id, 12, 2, f, *Currency::parse("20"), true);
        QCOMPARE(menu, "<select size=\"1\" name=\"op212\">" + atteso + "</select>");
        QCOMPARE(CreaNomeOpzione(varianti, id), nome.section('|', 0, 0));
    }

    void opzioniMancanti()
    {
        TestProgramFolder programma;
        const DatabasePtr db = Database::open(programma.newShop() + "/catalog.mdb");
        const Varianti varianti = Varianti::leggi(*db);
        for (qint32 id : {1, 999}) {
            QCOMPARE(CreaOpzione(varianti, statoNegozio(), id, 1, 1, {}, {}, false), QString());
            QCOMPARE(CreaNomeOpzione(varianti, id), QString());
        }
    }
};

QTEST_MAIN(TestPrezzi)
#include "test_prezzi.moc"
