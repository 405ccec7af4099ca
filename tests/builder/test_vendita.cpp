// Builds of catalogues whose prices are no prices (a damaged catalogue with
// text where a number belongs, discounts and amounts that give negative or
// absurd prices) and of shops whose order address is no address: the build
// names what is wrong before a customer meets it.
#include "elabora.h"

#include "datiordine.h"
#include "database.h"
#include "formato.h"
#include "provacostruzione.h"
#include "testshop.h"

#include <QtTest>

namespace {

// The test shop's three departments and their articles, three to a page:
// cat001 with cat001-A1 .. A4, cat002 with two, cat003 with one.
const char *const reparti[][3] = {{"cat001", "###", "4"}, {"cat002", "###", "2"}, {"cat003", "cat001", "1"}};

QString nome(const char *codice, const char *reparto)
{
    return QStringLiteral("'Articolo' (codice %1, reparto 'Titolo %2')").arg(QLatin1String(codice), QLatin1String(reparto));
}

const QString aperturaIlleggibili = QStringLiteral(
    "Questi articoli non sono stati messi in vendita nel sito: il loro prezzo o il loro peso dipende da un valore del "
    "catalogo che manca, che non è un numero o che è fuori misura (il catalogo potrebbe essere danneggiato). "
    "Correggere i valori indicati e costruire di nuovo il negozio.");
const QString aperturaFuoriMisura = QStringLiteral(
    "Il prezzo di questi articoli non è un prezzo che il negozio possa incassare: lo script d'ordine rifiuterà ogni "
    "ordine che li contiene. Correggere prezzo, offerta, varianti, IVA o sconto del reparto e costruire di nuovo il "
    "negozio.");

const QString domanda = QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?");

const QString avvisoIndirizzoOrdini = QStringLiteral(
    "ATTENZIONE: l'e-mail per la ricezione degli ordini (scheda \"Sito\") non è impostata, quindi nessun ordine potrà "
    "arrivare al negozio: lo script d'ordine li rifiuterà tutti. Impostarla e costruire di nuovo il negozio prima di "
    "aggiornare il sito.");

// The closing question with its warnings, each a paragraph.
QString domandaConAvvisi(const QStringList &avvisi)
{
    return QStringLiteral("Creazione del negozio terminata.\r\n\r\n") + avvisi.join(QStringLiteral("\r\n\r\n")) +
           QStringLiteral("\r\n\r\nVuoi vedere il risultato?");
}

} // namespace

class TestVendita : public QObject, public ProvaCostruzione {
    Q_OBJECT

    ScriptedMessages &msg() { return m_shop->messages; }

    Elaborazione::Esito costruisci()
    {
        msg().clear();
        msg().answer(Messages::Answer::No);
        Elaborazione e(stato(), m_imp, msg());
        e.CartellaSet = qEnvironmentVariable("VETRASTO_TEST_DATA") + QStringLiteral("/set");
        return e.MakePages();
    }

    // Every statement of `sql`, separated by ";".
    void esegui(const QString &sql)
    {
        for (const QString &s : sql.split(u';', Qt::SkipEmptyParts))
            db().execute(s);
    }

    QString pagine()
    {
        QString t;
        for (const QString &f : QDir(stato().CartellaPagine).entryList({QStringLiteral("cat*.htm")}, QDir::Files))
            t += QString::fromUtf8(leggi(stato().CartellaPagine + u'/' + f));
        return t;
    }

    QString listino()
    {
        return QString::fromUtf8(leggi(stato().CartellaScript + u'/' + NomeFileDatiOrdine(CodiceSito(m_imp))));
    }

private slots:
    void init()
    {
        QVERIFY(nuovoNegozio());
        db().execute(QStringLiteral("DELETE FROM categorie"));
        int ordine = 100;
        // Departments without VAT: the prices below are the catalogue's.
        for (const auto &r : reparti) {
            db().execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, template, "
                                        "titolo, maxarticoli, iva) VALUES (?, ?, ?, ?, ?, 'modello1', ?, 3, 0)"),
                         {r[0], r[1], r[1][0] == '#' ? 1 : 2, ordine += 5, r[0], QStringLiteral("Titolo ") + r[0]});
            for (int a = 1; a <= QByteArray(r[2]).toInt(); ++a)
                db().execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, prezzo) "
                                            "VALUES (?, ?, ?, 'Articolo', 100000)"),
                             {r[0], a, QStringLiteral("%1-A%2").arg(QLatin1String(r[0])).arg(a)});
        }
        db().execute(QStringLiteral("INSERT INTO opzioni (ID, nome, opzione1, opzione2, opzione3, prezzo1, prezzo2, "
                                    "prezzo3, peso1, peso2, peso3) VALUES (7, 'Formato|*1', 'Piccolo', 'Grande', '', "
                                    "0, 50000, 0, 0, 0, 0)"));
        stato().PrefissoValuta1 = QStringLiteral("€ ");
        stato().FormatoDecimali1 = QStringLiteral("0.00");
        stato().SeparatoreMigliaia = QStringLiteral(".");
        stato().SeparatoreDecimali = QStringLiteral(",");
        m_imp = Impostazioni{};
        m_imp.cboPerl = "/usr/bin/perl";
        m_imp.cboLivelli = "1";
        m_imp.txtURL = "www.esempio.it";
        m_imp.txtEmailOrdini = "ordini@esempio.it";
    }

    void numeriIlleggibili_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("righe");  // the warning's lines, by article
        const auto una = [](const char *codice, const char *reparto, const QString &motivo) {
            return QStringList{nome(codice, reparto) + QStringLiteral(": ") + motivo};
        };
        const QString pesoTroppo = QStringLiteral("peso di 10.000.000 o più, che un ordine non può contenere");
        const QString pesoNegativo = QStringLiteral("peso di -10.000.000 o meno, che un ordine non può contenere");
        QTest::newRow("prezzo di testo") << "UPDATE articoli SET prezzo='abc' WHERE codice='cat001-A2'"
                                         << una("cat001-A2", "cat001", "prezzo");
        QTest::newRow("prezzo con frazione in un campo di interi")
            << "UPDATE articoli SET prezzo=12.5 WHERE codice='cat001-A2'" << una("cat001-A2", "cat001", "prezzo");
        QTest::newRow("prezzo d'offerta sotto offerta")
            << "UPDATE articoli SET offerta=-1, offertaprezzo='x' WHERE codice='cat002-A1'"
            << una("cat002-A1", "cat002", "prezzo d'offerta");
        QTest::newRow("peso infinito") << "UPDATE articoli SET peso=9e999 WHERE codice='cat003-A1'"
                                       << una("cat003-A1", "cat003", "peso");
        QTest::newRow("IVA del reparto")
            << "UPDATE categorie SET iva='ventidue' WHERE ID='cat002'"
            << (una("cat002-A1", "cat002", "IVA del reparto") + una("cat002-A2", "cat002", "IVA del reparto"));
        QTest::newRow("IVA del reparto e prezzo")
            << "UPDATE categorie SET iva=x'00' WHERE ID='cat003'; UPDATE articoli SET prezzo='' WHERE codice='cat003-A1'"
            << una("cat003-A1", "cat003", "IVA del reparto, prezzo");
        QTest::newRow("prezzo di una variante")
            << "UPDATE opzioni SET prezzo2='dieci' WHERE ID=7; UPDATE articoli SET opzione2=7 WHERE codice='cat001-A4'"
            << una("cat001-A4", "cat001", "prezzo della variante 'Grande' di 'Formato'");
        // A price nobody set is not a price of 0; a number beyond single
        // precision would read as 0 or as infinite.
        QTest::newRow("prezzo mancante") << "UPDATE articoli SET prezzo=NULL WHERE codice='cat001-A2'"
                                         << una("cat001-A2", "cat001", "prezzo mancante");
        QTest::newRow("peso oltre la precisione singola") << "UPDATE articoli SET peso=1e39 WHERE codice='cat003-A1'"
                                                          << una("cat003-A1", "cat003", "peso fuori misura");
        QTest::newRow("IVA del reparto oltre la precisione singola")
            << "UPDATE categorie SET iva=1e39 WHERE ID='cat003'" << una("cat003-A1", "cat003", "IVA del reparto fuori misura");
        // Money beyond its range (the catalogue stores an amount as a whole
        // number of ten-thousandths) is no number either.
        QTest::newRow("prezzo oltre il limite del denaro") << "UPDATE articoli SET prezzo=1e39 WHERE codice='cat001-A3'"
                                                            << una("cat001-A3", "cat001", "prezzo");
        QTest::newRow("prezzo d'offerta oltre il limite del denaro")
            << "UPDATE articoli SET offerta=-1, offertaprezzo=-1e39 WHERE codice='cat002-A2'"
            << una("cat002-A2", "cat002", "prezzo d'offerta");
        QTest::newRow("prezzo di una variante oltre il limite del denaro")
            << "UPDATE opzioni SET prezzo1=1e39 WHERE ID=7; UPDATE articoli SET opzione3=7 WHERE codice='cat003-A1'"
            << una("cat003-A1", "cat003", "prezzo della variante 'Piccolo' di 'Formato'");
        // A weight no order can carry: the order script takes a cart line's
        // weight below 10,000,000 only, variants included.
        QTest::newRow("peso di 10.000.000") << "UPDATE articoli SET peso=10000000 WHERE codice='cat001-A1'"
                                            << una("cat001-A1", "cat001", pesoTroppo);
        QTest::newRow("peso di -10.000.000") << "UPDATE articoli SET peso=-10000000 WHERE codice='cat001-A1'"
                                             << una("cat001-A1", "cat001", pesoNegativo);
        QTest::newRow("peso che arrotondato a sette cifre fa 10.000.000")
            << "UPDATE articoli SET peso=9999999.6 WHERE codice='cat002-A1'" << una("cat002-A1", "cat002", pesoTroppo);
        QTest::newRow("peso che con una variante arriva a 10.000.000")
            << "UPDATE opzioni SET peso2=2000000 WHERE ID=7; UPDATE articoli SET peso=8000000, opzione1=7 WHERE "
               "codice='cat001-A2'"
            << una("cat001-A2", "cat001", QStringLiteral("peso con le varianti di 10.000.000 o più, che un ordine non "
                                                         "può contenere"));
        QTest::newRow("peso al limite degli ordini") << "UPDATE articoli SET peso=9999999 WHERE codice='cat001-A1'; "
                                                        "UPDATE articoli SET peso=-9999999 WHERE codice='cat001-A2'"
                                                     << QStringList();
        QTest::newRow("peso di una variante oltre la precisione singola")
            << "UPDATE opzioni SET peso1=1e39 WHERE ID=7; UPDATE articoli SET opzione1=7 WHERE codice='cat002-A2'"
            << una("cat002-A2", "cat002", "peso fuori misura della variante 'Piccolo' di 'Formato'");
        // What no price depends on stays as it is; an offer without its
        // price is no offer, sold at the list price.
        QTest::newRow("peso al limite della precisione singola")
            << "UPDATE articoli SET peso=3.4e38 WHERE codice='cat003-A1'" << una("cat003-A1", "cat003", pesoTroppo);
        QTest::newRow("offerta senza prezzo d'offerta")
            << "UPDATE articoli SET offerta=-1, offertaprezzo=NULL WHERE codice='cat002-A1'" << QStringList();
        QTest::newRow("prezzo d'offerta senza offerta")
            << "UPDATE articoli SET offerta=0, offertaprezzo='x' WHERE codice='cat002-A1'" << QStringList();
        QTest::newRow("variante vuota") << "UPDATE opzioni SET prezzo3='x' WHERE ID=7; UPDATE articoli SET opzione1=7"
                                        << QStringList();
    }

    void numeriIlleggibili()
    {
        // An article whose price rests on a number that cannot be read is
        // not sold at 0: it is left out of the pages, the search data and
        // the price list, and named with the field; the rest is built.
        QFETCH(QString, sql);
        QFETCH(QStringList, righe);
        // A catalogue damaged by another program, which did not check types.
        db().execute(QStringLiteral("PRAGMA ignore_check_constraints = 1"));
        esegui(sql);
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QStringList attesi;
        if (!righe.isEmpty())
            attesi << aperturaIlleggibili + QStringLiteral("\r\n- ") + righe.join(QStringLiteral("\r\n- "));
        attesi << QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?");
        QCOMPARE(msg().texts(), attesi);

        const QString p = pagine(), l = listino();
        const QString ricerca = QString::fromUtf8(leggi(stato().CartellaScript + QStringLiteral("/search") +
                                                        CodiceSito(m_imp) + QStringLiteral(".csv")));
        for (const auto &r : reparti) {
            for (int a = 1; a <= QByteArray(r[2]).toInt(); ++a) {
                const QString codice = QStringLiteral("%1-A%2").arg(QLatin1String(r[0])).arg(a);
                const bool fuori = righe.join(u'\n').contains(QStringLiteral("codice ") + codice + u',');
                QCOMPARE(p.contains(codice + u' '), !fuori);
                QCOMPARE(l.contains(u'\t' + codice + u'\t'), !fuori);
                QCOMPARE(ricerca.contains(u',' + codice + u','), !fuori);
            }
        }
    }

    void prezziFuoriMisura_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("codice");  // the article named
        QTest::addColumn<QString>("motivo");
        // The department's discount applies to the options as to the article.
        QTest::newRow("variante scontata che porta sotto zero")
            << "UPDATE categorie SET sconto=50 WHERE ID='cat001'; UPDATE opzioni SET prezzo1=-150000 WHERE ID=7; "
               "UPDATE articoli SET prezzo=45000, opzione1=7 WHERE codice='cat001-A3'"
            << "cat001-A3" << "prezzo negativo con le varianti (€ -5,25)";
        QTest::newRow("prezzo negativo") << "UPDATE articoli SET prezzo=-50000 WHERE codice='cat001-A1'" << "cat001-A1"
                                         << "prezzo negativo (€ -5,00)";
        QTest::newRow("il minimo a 64 bit")
            << "UPDATE articoli SET prezzo=-9223372036854775807-1 WHERE codice='cat001-A1'" << "cat001-A1"
            << "prezzo negativo (€ -922.337.203.685.477,58)";
        QTest::newRow("oltre nove cifre") << "UPDATE articoli SET prezzo=10000000000000 WHERE codice='cat001-A2'"
                                          << "cat001-A2" << "prezzo troppo alto (€ 1.000.000.000,00)";
        QTest::newRow("IVA di 1e30%") << "UPDATE categorie SET iva=1e30 WHERE ID='cat003'" << "cat003-A1"
                                      << "IVA del 922337203685477.5807%, prezzo troppo alto (€ 92.233.720.368.557,76)";
        QTest::newRow("variante che porta sotto zero")
            << "UPDATE opzioni SET prezzo1=-150000 WHERE ID=7; UPDATE articoli SET opzione3=7 WHERE codice='cat001-A2'"
            << "cat001-A2" << "prezzo negativo con le varianti (€ -5,00)";
    }

    void prezziFuoriMisura()
    {
        // A price the order script would refuse is named in a warning after
        // the pages; the article stays on sale as the catalogue has it.
        QFETCH(QString, sql);
        QFETCH(QString, codice);
        QFETCH(QString, motivo);
        m_imp.chkIvaCompresa = 1;
        esegui(sql);
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts().size(), 2);
        const QStringList avviso = msg().texts()[0].split(QStringLiteral("\r\n- "));
        QCOMPARE(avviso, (QStringList{aperturaFuoriMisura,
                                      nome(codice.toLatin1().constData(), codice.left(6).toLatin1().constData()) +
                                          QStringLiteral(": ") + motivo}));
        QVERIFY(pagine().contains(codice + u' '));
    }

    void moltiArticoliFuoriMisura()
    {
        // A whole department priced below zero: twenty lines, then the count.
        esegui("UPDATE articoli SET prezzo=-10000");
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        const QStringList righe = msg().texts()[0].split(QStringLiteral("\r\n"));
        QCOMPARE(righe.size(), 1 + 7);
        for (int i = 0; i < 25; ++i)
            esegui(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, prezzo) "
                                  "VALUES ('cat002', %1, 'X%1', 'Articolo', -1)").arg(i + 10));
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        const QStringList molte = msg().texts()[0].split(QStringLiteral("\r\n"));
        QCOMPARE(molte.size(), 1 + 20 + 1);
        QCOMPARE(molte.last(), QStringLiteral("- e altri 12 articoli."));
    }

    void scontoNegozio_data()
    {
        QTest::addColumn<QString>("testo");      // txtScontoNegozio
        QTest::addColumn<QVariant>("registrato");  // generale.sconto
        QTest::addColumn<QString>("mostrato");   // what the message names; "" when the build goes on
        QTest::newRow("150 nel campo") << "150" << QVariant(150.0) << " ('150')";
        QTest::newRow("testo nel campo") << "x" << QVariant() << " ('x')";
        QTest::newRow("negativo nel campo") << "-5" << QVariant() << " ('-5')";
        // The field shows a stored 150 as 100, a stored -5 as 5.
        QTest::newRow("150 nel catalogo") << "100" << QVariant(150.0) << " registrato nel catalogo ('150')";
        QTest::newRow("negativo nel catalogo") << "5" << QVariant(-5.0) << " registrato nel catalogo ('-5')";
        QTest::newRow("testo nel catalogo") << "0" << QVariant(QStringLiteral("dieci"))
                                            << " registrato nel catalogo ('dieci')";
        QTest::newRow("100") << "100" << QVariant(100.0) << "";
        QTest::newRow("12,5") << "12.5" << QVariant(12.5) << "";
        QTest::newRow("vuoto") << "" << QVariant() << "";
    }

    void scontoNegozio()
    {
        // The shop's discount applies to every price: one the build cannot
        // use stops it before anything is written, instead of selling the
        // whole shop at 0 or at the wrong price.
        QFETCH(QString, testo);
        QFETCH(QVariant, registrato);
        QFETCH(QString, mostrato);
        db().execute(QStringLiteral("PRAGMA ignore_check_constraints = 1"));
        db().execute(QStringLiteral("UPDATE generale SET sconto=?"), {registrato});
        m_imp.txtScontoNegozio = testo;
        if (mostrato.isEmpty()) {
            QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
            QCOMPARE(msg().texts().size(), 1);
            return;
        }
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts(),
                 QStringList{QStringLiteral("Lo sconto del negozio") + mostrato +
                             QStringLiteral(" non è una percentuale da 0 a 100: scrivere nella vista Negozio, in "
                                            "'Sconto negozio', lo sconto da applicare a tutti i prezzi (0 per nessuno) "
                                            "e ripetere l'operazione.")});
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
        QCOMPARE(QDir(stato().CartellaPagine).entryList(QDir::Files), QStringList());
    }

    void campiMancanti_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("mancanti");
        QTest::newRow("peso degli articoli") << "ALTER TABLE articoli DROP COLUMN peso"
                                             << "manca il campo 'peso' della tabella degli articoli ('articoli')";
        QTest::newRow("fuori catalogo e sconto del reparto")
            << "ALTER TABLE articoli DROP COLUMN fuoricatalogo; ALTER TABLE categorie DROP COLUMN sconto"
            << "mancano il campo 'sconto' della tabella dei reparti ('categorie'), il campo 'fuoricatalogo' della "
               "tabella degli articoli ('articoli')";
        QTest::newRow("varianti") << "DROP TABLE opzioni" << "manca la tabella delle varianti ('opzioni')";
    }

    void campiMancanti()
    {
        // A catalogue without a field the build reads is named as such, in
        // Italian, before anything is written; not as an error of the
        // template.
        QFETCH(QString, sql);
        QFETCH(QString, mancanti);
        esegui(sql);
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts(),
                 QStringList{QStringLiteral("Nel catalogo del negozio '") + m_cartella + QStringLiteral("/catalog.mdb' ") +
                             mancanti +
                             QStringLiteral(": il catalogo è danneggiato o non è stato creato da questo programma. "
                                            "Ripristinarne una copia di sicurezza e ripetere l'operazione.")});
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
    }

    void senzaIndirizzi()
    {
        // Neither the site's address nor the order address: both warnings,
        // in one question with the warning icon.
        m_imp.txtURL.clear();
        m_imp.txtEmailOrdini.clear();
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        QCOMPARE(msg().texts(),
                 QStringList{domandaConAvvisi(
                     {QStringLiteral("ATTENZIONE: l'URL del sito (scheda \"Internet\") non è impostato, quindi gli "
                                     "ordini e le ricerche del negozio non funzioneranno. Impostarlo e costruire di "
                                     "nuovo il negozio prima di aggiornare il sito."),
                      avvisoIndirizzoOrdini})});
        QCOMPARE(msg().shown().back().icon, Messages::Icon::Warning);
    }

    void scontoReparto_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("reparti");  // what the message names; "" when the build goes on
        QTest::newRow("negativo") << "UPDATE categorie SET sconto=-10 WHERE ID='cat002'"
                                  << "del reparto 'Titolo cat002' (cat002) ('-10')";
        QTest::newRow("oltre 100") << "UPDATE categorie SET sconto=250 WHERE ID='cat001'"
                                   << "del reparto 'Titolo cat001' (cat001) ('250')";
        QTest::newRow("testo") << "UPDATE categorie SET sconto='dieci' WHERE ID='cat003'"
                               << "del reparto 'Titolo cat003' (cat003) ('dieci')";
        QTest::newRow("testo vuoto") << "UPDATE categorie SET sconto='' WHERE ID='cat003'"
                                     << "del reparto 'Titolo cat003' (cat003) ('')";
        QTest::newRow("oltre la precisione singola") << "UPDATE categorie SET sconto=1e39 WHERE ID='cat003'"
                                                     << "del reparto 'Titolo cat003' (cat003) ('1E+39')";
        QTest::newRow("due reparti, nell'ordine delle pagine")
            << "UPDATE categorie SET sconto=100.5 WHERE ID='cat003'; UPDATE categorie SET sconto=-0.5 WHERE ID='cat001'"
            << "dei reparti 'Titolo cat001' (cat001) ('-.5'), 'Titolo cat003' (cat003) ('100.5')";
        QTest::newRow("0, 100 e nessuno")
            << "UPDATE categorie SET sconto=0 WHERE ID='cat001'; UPDATE categorie SET sconto=100 WHERE ID='cat002'; "
               "UPDATE categorie SET sconto=NULL WHERE ID='cat003'"
            << "";
        QTest::newRow("12,5") << "UPDATE categorie SET sconto=12.5 WHERE ID='cat001'" << "";
    }

    void scontoReparto()
    {
        // A department's discount the build cannot use (one that would raise
        // or zero its prices, or a text) stops the build before anything is
        // written, naming the department, as the shop's discount does.
        QFETCH(QString, sql);
        QFETCH(QString, reparti);
        db().execute(QStringLiteral("PRAGMA ignore_check_constraints = 1"));
        esegui(sql);
        if (reparti.isEmpty()) {
            QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
            QCOMPARE(msg().texts(), QStringList{domanda});
            return;
        }
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts(),
                 QStringList{QStringLiteral("Lo sconto ") + reparti +
                             QStringLiteral(" non è una percentuale da 0 a 100: scrivere nella vista Reparti, in "
                                            "'Sconto %', lo sconto da applicare ai prezzi dei suoi articoli (0 per "
                                            "nessuno) e ripetere l'operazione.")});
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
        QCOMPARE(QDir(stato().CartellaPagine).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(stato().CartellaScript).entryList(QDir::Files), QStringList());
    }

    void offertaAZero_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("codici");  // the articles named, in build order
        QTest::newRow("offerta senza prezzo scritto")
            << "UPDATE articoli SET offerta=-1, offertaprezzo=0 WHERE codice IN ('cat002-A1', 'cat001-A3')"
            << QStringList{"cat001-A3", "cat002-A1"};
        // 0 is the field's default: without the tick there is no offer.
        QTest::newRow("prezzo d'offerta 0 senza offerta") << "UPDATE articoli SET offerta=0, offertaprezzo=0"
                                                          << QStringList();
        QTest::newRow("offerta senza prezzo d'offerta")
            << "UPDATE articoli SET offerta=-1, offertaprezzo=NULL WHERE codice='cat002-A1'" << QStringList();
        QTest::newRow("offerta di un articolo gratuito")
            << "UPDATE articoli SET prezzo=0, offerta=-1, offertaprezzo=0 WHERE codice='cat002-A1'" << QStringList();
        // An article left out is not on sale.
        QTest::newRow("articolo lasciato fuori")
            << "UPDATE articoli SET offerta=-1, offertaprezzo=0 WHERE catID='cat003'; UPDATE articoli SET peso='x' "
               "WHERE codice='cat003-A1'"
            << QStringList();
    }

    void offertaAZero()
    {
        // An article ticked "offerta" whose offer price was never written
        // sells at 0,00 as the price rules say; the closing question names it.
        QFETCH(QString, sql);
        QFETCH(QStringList, codici);
        db().execute(QStringLiteral("PRAGMA ignore_check_constraints = 1"));
        esegui(sql);
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        if (codici.isEmpty()) {
            QCOMPARE(msg().texts().last(), domanda);
            return;
        }
        QStringList righe;
        for (const QString &c : codici)
            righe << nome(c.toLatin1().constData(), c.left(6).toLatin1().constData());
        QCOMPARE(msg().texts(),
                 QStringList{domandaConAvvisi(
                     {QStringLiteral("ATTENZIONE: questi articoli sono in offerta con un prezzo d'offerta di 0, quindi "
                                     "nel sito si vendono a € 0,00:\r\n- ") +
                      righe.join(QStringLiteral("\r\n- ")) +
                      QStringLiteral("\r\nScrivere il prezzo d'offerta, o togliere il segno da \"Offerta\", e "
                                     "costruire di nuovo il negozio prima di aggiornare il sito.")})});
        QCOMPARE(msg().shown().back().icon, Messages::Icon::Warning);
        // The site sells them as the price rules say.
        const QString l = listino();
        for (const QString &c : codici)
            QVERIFY2(l.contains(QRegularExpression(u'\t' + c + QStringLiteral("\t[^\t]*\t0\\.00\t"))), qPrintable(l));
        for (const QString &c : codici)
            QVERIFY(pagine().contains(c + u' '));
    }

    void molteOfferteAZero()
    {
        // Twenty names, then how many more.
        for (int i = 0; i < 25; ++i)
            esegui(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, prezzo, offerta, "
                                  "offertaprezzo) VALUES ('cat002', %1, 'X%1', 'Articolo', 10000, -1, 0)")
                       .arg(i + 10));
        QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
        const QStringList righe = msg().texts().last().split(QStringLiteral("\r\n"));
        QVERIFY(righe.contains(QStringLiteral("- ") + nome("X29", "cat002")));
        QVERIFY(!righe.contains(QStringLiteral("- ") + nome("X30", "cat002")));
        QVERIFY(righe.contains(QStringLiteral("- e altri 5 articoli.")));
    }

    void indirizzoOrdini_data()
    {
        QTest::addColumn<QString>("indirizzo");
        QTest::addColumn<QString>("motivo");  // "" when the build goes on
        QTest::newRow("a capo") << "ordini@esempio.it\r\naltri@esempio.it" << "contiene un a capo";
        QTest::newRow("elenco con la virgola") << "ordini@esempio.it, altri@esempio.it"
                                               << "contiene più di un indirizzo, mentre ne va scritto uno solo";
        QTest::newRow("elenco con lo spazio") << "ordini@esempio.it altri@esempio.it"
                                              << "contiene più di un indirizzo, mentre ne va scritto uno solo";
        QTest::newRow("nome e indirizzo") << "Bottega <ordini@esempio.it>"
                                          << "contiene caratteri non ammessi (va scritto il solo indirizzo, senza "
                                             "nome né parentesi o virgolette)";
        QTest::newRow("tabulazione") << "ordini@\tesempio.it" << "contiene uno spazio";
        QTest::newRow("senza chiocciola") << "ordini.esempio.it" << "manca la chiocciola (@)";
        QTest::newRow("dominio senza punto") << "ordini@esempio" << "il dominio dopo la chiocciola (@) non è valido";
        QTest::newRow("lettere accentate") << "ordini@caffè.it"
                                           << "contiene lettere accentate o altri caratteri che un indirizzo non può "
                                              "contenere";
        QTest::newRow("troppo lungo") << QString(u'a').repeated(64) + u'@' + QString(u'b').repeated(190) + ".it"
                                      << "è più lungo di 254 caratteri";
        QTest::newRow("spazi intorno") << "  ordini@esempio.it \r\n" << "";
        QTest::newRow("indirizzo con segni") << "ordini+sito.2@bottega-esempio.co.uk" << "";
        QTest::newRow("vuoto") << "" << "";
        QTest::newRow("di soli spazi") << "  " << "";
    }

    void indirizzoOrdini()
    {
        // Every order goes to and from this address: anything but one
        // address stops the build before anything is written. Without one
        // the build goes on (a new shop has none), and its closing question
        // warns that no order can arrive.
        QFETCH(QString, indirizzo);
        QFETCH(QString, motivo);
        m_imp.txtEmailOrdini = indirizzo;
        if (motivo.isEmpty()) {
            QCOMPARE(costruisci(), Elaborazione::Esito::Completata);
            QCOMPARE(msg().texts(), QStringList{indirizzo.trimmed().isEmpty() ? domandaConAvvisi({avvisoIndirizzoOrdini})
                                                                             : domanda});
            return;
        }
        QCOMPARE(costruisci(), Elaborazione::Esito::Fallita);
        QCOMPARE(msg().texts(),
                 QStringList{QStringLiteral("L'indirizzo e-mail per la ricezione degli ordini '") + indirizzo +
                             QStringLiteral("' non è valido: ") + motivo +
                             QStringLiteral(". Scrivere nella vista Sito, in 'E-mail per ricezione ordini', un solo "
                                            "indirizzo (per esempio ordini@negozio.it) e ripetere l'operazione.")});
        QVERIFY(!QFile::exists(m_cartella + QStringLiteral("/vtftp.dat")));
        QCOMPARE(QDir(stato().CartellaPagine).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(stato().CartellaScript).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestVendita)
#include "test_vendita.moc"
