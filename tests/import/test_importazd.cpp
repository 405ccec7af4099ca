// The import from Zendaro on a real shop, with the source database stood in
// for by tables in memory: what the first, second and third
// import add, the options string, the VAT conversion, long and awkward
// texts, broken sources, and an import interrupted by the catalogue and
// then run again.
#include "testshop.h"

#include "catalogo.h"
#include "importazd.h"
#include "settings.h"
#include "sorgenteprova.h"

#include <QtTest>

namespace {

using Tabella = TabellaProva;

// Named in letter cases of their own: the import finds them whatever the case.
const QStringList campiArticoli{"ID", "IdCategoria", "CODICE", "Descrizione", "Iva", "Vendita1", "vendita2", "Vendita3", "VENDITA4"};
const QVariant Null;

QVariant euro(qint64 centesimi)
{
    return QVariant::fromValue(Currency::fromRaw(centesimi * 100));
}

struct Zendaro {
    Tabella categorie{{"Id", "Nome"}, {}};
    Tabella articoli{campiArticoli, {}};

    void categoria(int id, const QVariant &nome) { categorie.righe.push_back({id, nome}); }
    void articolo(int id, int categoria, const QVariant &codice, const QVariant &descrizione, const QVariant &iva = 22,
                  QVariantList prezzi = {euro(1000), euro(900), euro(800), euro(700)})
    {
        articoli.righe.push_back(QVariantList{id, categoria, codice, descrizione, iva} + prezzi);
    }
    ApriSorgente apri() const
    {
        return SorgenteProva::apri({{QStringLiteral("Categoria"), categorie}, {QStringLiteral("Articoli"), articoli}});
    }
};

// The small catalogue of a coffee shop: two categories, an article without
// code, one of a category that does not exist, one whose code differs from
// another only in letter case.
Zendaro caffe()
{
    Zendaro z;
    z.categoria(12, QStringLiteral("Caffè"));
    z.categoria(13, QStringLiteral("Tè \"verde\" | 'nero'"));
    z.articolo(1, 12, QStringLiteral("C1"), QStringLiteral("Moka"));
    z.articolo(2, 12, Null, QStringLiteral("Senza codice"));
    z.articolo(3, 13, QStringLiteral("T1"), Null);
    z.articolo(4, 99, QStringLiteral("X"), QStringLiteral("Categoria mancante"));
    z.articolo(5, 12, QStringLiteral("c1"), QStringLiteral("Stesso codice"));
    z.articolo(6, 13, QString(), QStringLiteral("Codice vuoto"));
    return z;
}

// A stored Currency amount in units, as a test line shows it.
QString euro(const QVariant &raw)
{
    return QString::number(double(raw.toLongLong()) / 10000);
}

} // namespace

class TestImportaZD : public QObject {
    Q_OBJECT
    TestProgramFolder program;
    std::unique_ptr<NegozioDiProva> t;
    std::unique_ptr<Catalogo> catalogo;

    Database &db() { return *t->negozio.state.dbCatalogo; }
    DatiPrincipali &d() { return t->dati(); }
    void importa(const Zendaro &z, const QString &opzioni = QStringLiteral("1110"))
    {
        ImportazioneZendaro imp(t->negozio, *catalogo);
        imp.ImportaZD(opzioni, z.apri());
    }
    // The shop's departments and articles in their order, one line each.
    QStringList catalogoTesto()
    {
        QStringList out;
        QSqlQuery r = db().run(QStringLiteral("SELECT ID, pagina, genitore, livello, titolo, descrizione FROM categorie "
                                              "ORDER BY livello, ordinamento"));
        while (r.next()) {
            out << QStringLiteral("R %1 %2 %3 %4 [%5] [%6]").arg(r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                                                               r.value(3).toString(), r.value(4).toString(), r.value(5).toString());
            QSqlQuery a = db().run(QStringLiteral("SELECT codice, titolo, descrizione, prezzo, offertaprezzo FROM articoli "
                                                  "WHERE catID=? ORDER BY ordinamento"),
                                   {r.value(0)});
            while (a.next())
                out << QStringLiteral("  A %1 [%2] [%3] %4 %5").arg(a.value(0).toString(), a.value(1).toString(), a.value(2).toString(),
                                                                   euro(a.value(3)), euro(a.value(4)));
        }
        return out;
    }
    QStringList importati()
    {
        QStringList out;
        for (const QString &l : catalogoTesto())
            if (l.contains(QStringLiteral("xqg")) || l.startsWith(QStringLiteral("  A")))
                out << l;
        return out;
    }

private slots:
    void init()
    {
        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(program.newShop(QStringLiteral("z%1").arg(QDateTime::currentMSecsSinceEpoch()))), int(Negozio::Aperto));
        catalogo = std::make_unique<Catalogo>(t->negozio);
        SettingsStore::set(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"), QStringLiteral("/opt/zendaro"));
        db().execute(QStringLiteral("DELETE FROM articoli"));
        t->negozio.state.TotaleArticoli = 0;
        d().selezionaRadice();
    }
    void cleanup()
    {
        catalogo.reset();
        t.reset();
    }

    // First import, second adds nothing, third adds only what is new.
    void treImportazioni()
    {
        Zendaro z = caffe();
        importa(z);
        QCOMPARE(t->messages.texts(), QStringList{"Importazione completata"});
        const QStringList prima = importati();
        QCOMPARE(prima, (QStringList{"R xqg12 xqg12 ### 1 [*Caffè] []", "  A C1 [*Moka] [] 10 0",
                                     "  A zdart2 [*Senza codice] [] 10 0",
                                     "R xqg13 xqg13 ### 1 [*Tè \"verde\" | 'nero'] []", "  A T1 [*] [] 10 0",
                                     "  A zdart6 [*Codice vuoto] [] 10 0"}));
        QCOMPARE(t->negozio.state.TotaleArticoli, qint64(4));
        QVERIFY(d().tvwCategorie.contiene(QStringLiteral("xqg13")));
        QCOMPARE(d().tvwCategorie.nodo(QStringLiteral("xqg13"))->testo, QStringLiteral("*Tè \"verde\" | 'nero'"));

        t->messages.clear();
        d().selezionaRadice();
        importa(z);
        QCOMPARE(t->messages.texts(), QStringList{"Importazione completata"});
        QCOMPARE(importati(), prima);

        z.categoria(14, QStringLiteral("Tisane"));
        z.articolo(7, 14, QStringLiteral("TS1"), QStringLiteral("Camomilla"));
        z.articolo(8, 12, QStringLiteral("C2"), QStringLiteral("Cialde"));
        d().selezionaRadice();
        importa(z);
        QCOMPARE(importati(), QStringList(prima.mid(0, 3)) << "  A C2 [*Cialde] [] 10 0" << prima.mid(3)
                                                            << "R xqg14 xqg14 ### 1 [*Tisane] []"
                                                            << "  A TS1 [*Camomilla] [] 10 0");
        QCOMPARE(t->negozio.state.TotaleArticoli, qint64(6));
    }

    // The departments come after the one selected when the import starts,
    // with its parent; a department deleted since is made again there, and
    // only the articles whose codes are gone come back.
    void posizioneEReparti()
    {
        riempiCatalogo(db(), 3, 0);
        d().dataCategorie.refresh();
        t->negozio.CaricaReparti(true);
        auto ordine = [&] {
            QStringList ids;
            QSqlQuery q = db().run(QStringLiteral("SELECT ID FROM categorie ORDER BY livello, ordinamento"));
            while (q.next())
                ids << q.value(0).toString();
            return ids;
        };
        d().selezionaNodo(QStringLiteral("cat001"));
        importa(caffe());
        QCOMPARE(ordine().mid(0, 5), (QStringList{"cat001", "xqg12", "xqg13", "cat002", "cat003"}));

        // One article moves away, then its department is deleted.
        db().execute(QStringLiteral("UPDATE articoli SET catID='cat002' WHERE codice='C1'"));
        d().selezionaNodo(QStringLiteral("xqg12"));
        catalogo->EliminaReparto();
        d().selezionaNodo(QStringLiteral("cat003"));
        t->messages.clear();
        importa(caffe());
        QCOMPARE(t->messages.texts(), QStringList{"Importazione completata"});
        QCOMPARE(ordine().mid(0, 5), (QStringList{"cat001", "xqg13", "cat002", "cat003", "xqg12"}));
        QCOMPARE(db().scalar(QStringLiteral("SELECT group_concat(codice) FROM articoli WHERE catID='xqg12'")).toString(),
                 QStringLiteral("zdart2"));
        QCOMPARE(db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE codice='C1'")).toInt(), 1);
    }

    void opzioni_data()
    {
        QTest::addColumn<QString>("opzioni");
        QTest::addColumn<QStringList>("attesi");
        QTest::newRow("contrassegno, prezzo 1") << "1110" << QStringList{"[*A] 100 0", "[*B] 50 0", "[*C] 0 0"};
        QTest::newRow("senza contrassegno") << "0110" << QStringList{"[A] 100 0", "[B] 50 0", "[C] 0 0"};
        QTest::newRow("prezzo 2, offerta 1") << "0220" << QStringList{"[A] 90 100", "[B] 45 50", "[C] 0 0"};
        QTest::newRow("prezzo 4, offerta 3, IVA") << "0441" << QStringList{"[A] 84 96", "[B] 35 40", "[C] 0 0"};
        QTest::newRow("IVA con qualsiasi cifra") << "0119" << QStringList{"[A] 120 0", "[B] 50 0", "[C] 0 0"};
        QTest::newRow("IVA sull'offerta") << "0151" << QStringList{"[A] 120 84", "[B] 50 35", "[C] 0 0"};
    }
    // Prices from the chosen fields, with VAT added when asked: A has VAT 20,
    // B an empty VAT, C empty amounts.
    void opzioni()
    {
        QFETCH(QString, opzioni);
        QFETCH(QStringList, attesi);
        Zendaro z;
        z.categoria(1, QStringLiteral("Reparto"));
        z.articolo(1, 1, QStringLiteral("a"), QStringLiteral("A"), 20, {euro(10000), euro(9000), euro(8000), euro(7000)});
        z.articolo(2, 1, QStringLiteral("b"), QStringLiteral("B"), Null, {50.0, QStringLiteral("45"), 40, euro(3500)});
        z.articolo(3, 1, QStringLiteral("c"), QStringLiteral("C"), 20, {Null, Null, Null, Null});
        importa(z, opzioni);
        QStringList righe;
        QSqlQuery a = db().run(QStringLiteral("SELECT titolo, prezzo, offertaprezzo FROM articoli ORDER BY ordinamento"));
        while (a.next())
            righe << QStringLiteral("[%1] %2 %3").arg(a.value(0).toString(), euro(a.value(1)), euro(a.value(2)));
        QCOMPARE(righe, attesi);
    }

    void prezzoConIva_data()
    {
        QTest::addColumn<QVariant>("importo");
        QTest::addColumn<QVariant>("iva");
        QTest::addColumn<qlonglong>("raw");
        QTest::newRow("100 al 20%") << euro(10000) << QVariant(20) << 1200000LL;
        QTest::newRow("12,34 al 22%") << euro(1234) << QVariant(22.0) << 150548LL;  // 15.0548, not rounded to cents
        QTest::newRow("aliquota decimale") << euro(1000) << QVariant(4.5f) << 104500LL;
        QTest::newRow("aliquota come testo") << QVariant(10.0) << QVariant(QStringLiteral("10")) << 110000LL;
        QTest::newRow("aliquota vuota") << euro(1000) << Null << 100000LL;
        QTest::newRow("importo vuoto") << Null << QVariant(20) << 0LL;
        QTest::newRow("importo come testo") << QVariant(QStringLiteral("7,5")) << Null << 75000LL;
        QTest::newRow("importo non numerico") << QVariant(QStringLiteral("n/d")) << QVariant(20) << 0LL;
    }
    void prezzoConIva()
    {
        QFETCH(QVariant, importo);
        QFETCH(QVariant, iva);
        QFETCH(qlonglong, raw);
        QCOMPARE(qlonglong(ImportazioneZendaro::prezzo(importo, iva, true).raw), raw);
    }

    void opzioniNonValide_data()
    {
        QTest::addColumn<QString>("opzioni");
        QTest::newRow("vuoto") << "";
        QTest::newRow("tre cifre") << "111";
        QTest::newRow("offerta 0") << "1100";
        QTest::newRow("prezzo 5") << "1510";
        QTest::newRow("offerta 6") << "1160";
        QTest::newRow("lettere") << "1a00";
    }
    void opzioniNonValide()
    {
        QFETCH(QString, opzioni);
        importa(caffe(), opzioni);
        QVERIFY(t->messages.texts().isEmpty());
        QCOMPARE(importati(), QStringList());
    }

    // Titles are cut to the field, the whole text going to the description.
    void testiLunghi_data()
    {
        QTest::addColumn<int>("nome");
        QTest::addColumn<int>("descrizione");
        QTest::addColumn<int>("codice");
        QTest::newRow("entro i campi") << 99 << 199 << 50;
        QTest::newRow("oltre i campi") << 100 << 200 << 51;
        QTest::newRow("molto lunghi") << 5000 << 20000 << 300;
    }
    void testiLunghi()
    {
        QFETCH(int, nome);
        QFETCH(int, descrizione);
        QFETCH(int, codice);
        Zendaro z;
        z.categoria(1, QString(nome, u'n'));
        z.articolo(1, 1, QString(codice, u'c'), QString(descrizione, u'd'));
        importa(z);
        QCOMPARE(t->messages.texts(), QStringList{"Importazione completata"});
        QCOMPARE(db().scalar(QStringLiteral("SELECT titolo FROM categorie WHERE ID='xqg1'")).toString(),
                 u'*' + QString(std::min(nome, 99), u'n'));
        QCOMPARE(db().scalar(QStringLiteral("SELECT descrizione FROM categorie WHERE ID='xqg1'")).toString(),
                 nome > 99 ? QString(nome, u'n') : QString());
        QCOMPARE(db().scalar(QStringLiteral("SELECT titolo FROM articoli")).toString(), u'*' + QString(std::min(descrizione, 199), u'd'));
        QCOMPARE(db().scalar(QStringLiteral("SELECT descrizione FROM articoli")).toString(),
                 descrizione > 199 ? QString(descrizione, u'd') : QString());
        QCOMPARE(db().scalar(QStringLiteral("SELECT codice FROM articoli")).toString(), QString(std::min(codice, 50), u'c'));
        // Imported again, the cut code is recognised.
        importa(z);
        QCOMPARE(db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toInt(), 1);
    }

    void sorgenteNonValida_data()
    {
        QTest::addColumn<QString>("cartella");
        QTest::addColumn<QString>("manca");  // table or field taken away
        QTest::addColumn<QString>("messaggio");
        const QString non = QStringLiteral("Non è stato possibile importare i dati\r\n");
        QTest::newRow("Zendaro non installato") << "" << "" << "Zendaro non è stato trovato";
        QTest::newRow("file che non si apre") << "/opt/zendaro" << "file" << non + "Il file '/opt/zendaro/zendaro.mdb' non esiste.";
        QTest::newRow("tabella mancante") << "/opt/zendaro" << "Categoria" << non + "Nel database manca la tabella 'Categoria'.";
        QTest::newRow("campo mancante") << "/opt/zendaro" << "Vendita1" << non + "Nella tabella 'Articoli' manca il campo 'Vendita1'.";
    }
    void sorgenteNonValida()
    {
        QFETCH(QString, cartella);
        QFETCH(QString, manca);
        QFETCH(QString, messaggio);
        SettingsStore::set(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"), cartella);
        QString aperto;
        Zendaro z = caffe();
        if (manca == QLatin1String("Vendita1")) {
            z.articoli.campi[5] = QStringLiteral("Prezzo");
        }
        ApriSorgente apri = [&](const QString &file) -> std::unique_ptr<SorgenteImportazione> {
            aperto = file;
            if (manca == QLatin1String("file"))
                throw ErroreSorgente(QStringLiteral("Il file '%1' non esiste.").arg(file));
            QHash<QString, Tabella> t{{QStringLiteral("Articoli"), z.articoli}};
            if (manca != QLatin1String("Categoria"))
                t.insert(QStringLiteral("Categoria"), z.categorie);
            return std::make_unique<SorgenteProva>(t);
        };
        const QStringList prima = catalogoTesto();
        ImportazioneZendaro(t->negozio, *catalogo).ImportaZD(QStringLiteral("1110"), apri);
        QCOMPARE(t->messages.texts(), QStringList{messaggio});
        QCOMPARE(aperto, cartella.isEmpty() ? QString() : cartella + QStringLiteral("/zendaro.mdb"));
        QCOMPARE(catalogoTesto(), prima);
    }

    // When the catalogue cannot add an article, no other article is filled
    // in its place: the department's last article keeps its own data.
    void aggiuntaRifiutata()
    {
        Zendaro z = caffe();
        importa(z);
        db().execute(QStringLiteral("CREATE TRIGGER rifiuta BEFORE INSERT ON articoli BEGIN SELECT RAISE(ABORT, 'pieno'); END"));
        const QStringList prima = catalogoTesto();
        z.articolo(10, 12, QStringLiteral("C10"), QStringLiteral("Nuovo"));
        t->messages.clear();
        d().selezionaRadice();
        importa(z);
        QCOMPARE(t->messages.texts().size(), 1);
        QCOMPARE(catalogoTesto(), prima);
    }

    // The catalogue refuses an article half-way: the departments done stay,
    // the interrupted one leaves no row behind, and the next import makes
    // exactly what an uninterrupted one makes.
    void interruzione()
    {
        Zendaro z = caffe();
        z.articolo(9, 13, QStringLiteral("T9"), QStringLiteral("Rifiutato"));
        // A shop that imports without interruption, for comparison.
        importa(z);
        const QStringList atteso = importati();
        cleanup();
        init();

        db().execute(QStringLiteral("CREATE TRIGGER rifiuta BEFORE UPDATE ON articoli WHEN NEW.codice = 'T9' "
                                    "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END"));
        importa(z);
        QCOMPARE(t->messages.texts().size(), 1);
        QVERIFY(t->messages.texts().first().startsWith(QStringLiteral("Non è stato possibile importare i dati\r\n")));
        QCOMPARE(importati(), atteso.mid(0, 3));
        QCOMPARE(db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE codice IS NULL")).toInt(), 0);
        QCOMPARE(db().transactionDepth(), 0);
        // The window shows the catalogue as it is.
        QCOMPARE(t->negozio.state.TotaleArticoli, qint64(2));
        QVERIFY(!d().tvwCategorie.contiene(QStringLiteral("xqg13")));
        QCOMPARE(d().repartoCorrente(), AlberoReparti::Radice);

        db().execute(QStringLiteral("DROP TRIGGER rifiuta"));
        t->messages.clear();
        d().selezionaRadice();
        importa(z);
        QCOMPARE(t->messages.texts(), QStringList{"Importazione completata"});
        QCOMPARE(importati(), atteso);
        QCOMPARE(t->negozio.state.TotaleArticoli, qint64(atteso.filter(QStringLiteral("  A")).size()));
    }
};

QTEST_GUILESS_MAIN(TestImportaZD)
#include "test_importazd.moc"
