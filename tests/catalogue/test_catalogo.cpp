// The catalogue operations on a real shop in a temporary folder, driven as
// the window's commands drive them, with the window's data sources, tree and
// Reposition chain in place.
#include "testshop.h"

#include "catalogo.h"
#include "catalogschema.h"
#include "currency.h"
#include "immaginicatalogo.h"

#include <QtTest>
#include <functional>

using Lista = QList<qint64>;

struct Reparto {
    QString id, genitore;
    int livello;
    QString titolo;
    int articoli = 0;
};
Q_DECLARE_METATYPE(Reparto)

namespace {

// A shop opened on a catalogue with the given departments (in sort order).
struct Prova {
    TestProgramFolder program;
    QString folder;
    NegozioDiProva t;
    Catalogo cat{t.negozio};

    explicit Prova(const QList<Reparto> &reparti)
    {
        folder = program.newShop();
        {
            auto db = Database::open(folder + QStringLiteral("/catalog.mdb"));
            db->execute(QStringLiteral("DELETE FROM categorie"));
            int n = 0;
            for (const Reparto &r : reparti) {
                ++n;
                db->execute(QStringLiteral("INSERT INTO categorie (contatore, ID, genitore, livello, ordinamento, "
                                           "pagina, template, titolo) VALUES (?, ?, ?, ?, ?, ?, 'modello1', ?)"),
                            {n, r.id, r.genitore, r.livello, n, r.id, r.titolo});
                db->execute(QStringLiteral("UPDATE categorie SET hafigli=-1 WHERE ID=?"), {r.genitore});
                for (int a = 1; a <= r.articoli; ++a)
                    db->execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo) "
                                               "VALUES (?, ?, ?, ?)"),
                                {r.id, a, QStringLiteral("%1-%2").arg(r.id).arg(a),
                                 QStringLiteral("Articolo %1 di %2").arg(a).arg(r.id)});
            }
            db->close();
        }
        if (t.apri(folder) != Negozio::Aperto)
            qFatal("shop not opened: %s", qPrintable(t.messages.texts().join(u'|')));
    }

    DatiPrincipali &d() { return t.dati(); }
    Database &db() { return *t.negozio.state.dbCatalogo; }
    Recordset &articoli() { return d().dataArticoli.recordset(); }
    Recordset &categorie() { return d().dataCategorie.recordset(); }
    Recordset &fratelli() { return d().dataFratelli.recordset(); }
    bool occupato() { return t.negozio.state.InAggiornamento; }

    void vai(const QString &key) { d().selezionaNodo(key); }
    // Gives the department's articles these sort values (in their present
    // order), reselects the department and makes row `corrente` current.
    void ordina(const QString &reparto, const Lista &valori, int corrente)
    {
        const Lista ids = colonna(QStringLiteral("SELECT ID FROM articoli WHERE catID=? ORDER BY ordinamento"), {reparto});
        for (int i = 0; i < ids.size(); ++i)
            db().execute(QStringLiteral("UPDATE articoli SET ordinamento=? WHERE ID=?"), {valori.value(i), ids[i]});
        vai(reparto);
        if (corrente >= 0)
            articoli().findFirst(QStringLiteral("ID"), ids[corrente]);
    }
    Lista colonna(const QString &sql, const QVariantList &params = {})
    {
        Recordset rs(t.negozio.state.dbCatalogo, sql, params);
        Lista out;
        for (; !rs.eof(); rs.moveNext())
            out << rs.value(0).toLongLong();
        return out;
    }
    QStringList testi(const QString &sql, const QVariantList &params = {})
    {
        Recordset rs(t.negozio.state.dbCatalogo, sql, params);
        QStringList out;
        for (; !rs.eof(); rs.moveNext())
            out << rs.text(rs.fieldNames().value(0));
        return out;
    }
    QVariant campo(const QString &reparto, const QString &nome)
    {
        return db().scalar(QStringLiteral("SELECT \"%1\" FROM categorie WHERE ID=?").arg(nome), {reparto});
    }
    qint64 idCorrente() { return articoli().hasCurrent() ? articoli().value(QStringLiteral("ID")).toLongLong() : 0; }
    QStringList figli(const QString &key)
    {
        QStringList out;
        for (auto *n : d().tvwCategorie.nodo(key)->figli)
            out << n->chiave;
        return out;
    }
};

// The picture chooser: hands back a fixed answer ("" cancels).
class SceltaFissa : public SceltaImmagineModale {
public:
    RisultatoScelta risposta;
    RisultatoScelta scegli(const QString &) override { return risposta; }
};

// What DatiPrincipali announced while it was watched.
struct Annunci {
    explicit Annunci(DatiPrincipali &d)
    {
        // The rows announced, by whose pictures they hold.
        QObject::connect(&d, &DatiPrincipali::articoloCambiato, &contesto,
                         [this] { righe << int(FamigliaImmagine::Articolo); });
        QObject::connect(&d, &DatiPrincipali::repartoCambiato, &contesto,
                         [this] { righe << int(FamigliaImmagine::Reparto); });
        QObject::connect(&d, &DatiPrincipali::generaleCambiato, &contesto,
                         [this] { righe << int(FamigliaImmagine::Negozio); });
        QObject::connect(&d, &DatiPrincipali::totaliCambiati, &contesto, [this] { ++totali; });
        QObject::connect(&d, &DatiPrincipali::radiceSelezionata, &contesto, [this] { ++radice; });
    }
    QObject contesto;
    QList<int> righe;
    int totali = 0, radice = 0;
};

const QList<Reparto> treReparti = {
    {"cat001", "###", 1, "Uno", 4},
    {"cat002", "###", 1, "Due", 0},
    {"cat003", "###", 1, "Tre", 2},
};

// Casa (cat001) > Cucina (cat003) > Pentole (cat004); Giardino (cat002).
const QList<Reparto> albero = {
    {"cat001", "###", 1, "Casa", 1},
    {"cat002", "###", 1, "Giardino", 2},
    {"cat003", "cat001", 2, "Cucina", 3},
    {"cat004", "cat003", 3, "Pentole", 1},
};

} // namespace

class TestCatalogo : public QObject {
    Q_OBJECT
private slots:
    void aggiungeArticolo_data();
    void aggiungeArticolo();
    void nonAggiungeSenzaReparto();
    void inserimentoFallitoNonRinumera();
    void spostaArticolo_data();
    void spostaArticolo();
    void spostaReparto();
    void aggiungeRepartiAccanto_data();
    void aggiungeRepartiAccanto();
    void aggiungeSottoreparto();
    void ivaDeiNuoviReparti_data();
    void ivaDeiNuoviReparti();
    void eliminaArticolo_data();
    void eliminaArticolo();
    void immagine_data();
    void immagine();
    void immagineInSolaLettura_data();
    void immagineInSolaLettura();
    void eliminaUltimoFiglio();
    void eliminaRepartoPrincipale();
    void eliminaRifiuta_data();
    void eliminaRifiuta();
    void eliminazioneFallitaNonToglieArticoli();
    void riparenta_data();
    void riparenta();
    void riparentaRifiutato();
    void riparentaFraFigliDiAltriRami_data();
    void riparentaFraFigliDiAltriRami();
    void riparentaNonScriveIlPostoDegliOrfani();
    void salvataggioAlberoFallito();
    void incollaArticoli();
    void incollaArticoliRifiutato_data();
    void incollaArticoliRifiutato();
    void incollaNonSovrascrive();
    void copiaIncollaReparto_data();
    void copiaIncollaReparto();
    void copiaRepartoFallitaNonCambiaGliAppunti();
    void incollaRepartoSullaRadice();
};

void TestCatalogo::aggiungeArticolo_data()
{
    QTest::addColumn<Lista>("prima");
    QTest::addColumn<int>("corrente");  // -1: the department is empty
    QTest::addColumn<bool>("dopo");
    QTest::addColumn<qint64>("nuovo");
    QTest::addColumn<Lista>("seguenti");  // the old rows' values afterwards

    QTest::newRow("vuoto, dopo") << Lista{} << -1 << true << qint64(1) << Lista{};
    QTest::newRow("vuoto, prima") << Lista{} << -1 << false << qint64(1) << Lista{};
    QTest::newRow("dopo l'ultimo") << Lista{100, 105} << 1 << true << qint64(106) << Lista{100, 105};
    QTest::newRow("dopo, c'è spazio") << Lista{100, 105, 110} << 0 << true << qint64(101) << Lista{100, 105, 110};
    QTest::newRow("dopo, valore preso") << Lista{100, 101, 102, 110} << 0 << true << qint64(101)
                                        << Lista{100, 102, 103, 104};
    QTest::newRow("prima del primo") << Lista{100, 105} << 0 << false << qint64(99) << Lista{100, 105};
    QTest::newRow("prima, c'è spazio") << Lista{100, 105} << 1 << false << qint64(104) << Lista{100, 105};
    QTest::newRow("prima, valore preso") << Lista{100, 104, 105, 200} << 2 << false << qint64(105)
                                         << Lista{100, 104, 106, 107};
}

void TestCatalogo::aggiungeArticolo()
{
    QFETCH(Lista, prima);
    QFETCH(int, corrente);
    QFETCH(bool, dopo);
    QFETCH(qint64, nuovo);
    QFETCH(Lista, seguenti);

    Prova p({{"cat001", "###", 1, "Uno", int(prima.size())}, {"cat002", "###", 1, "Due", 2}});
    p.ordina(QStringLiteral("cat001"), prima, corrente);
    const Lista vecchi =
        p.colonna(QStringLiteral("SELECT ID FROM articoli WHERE catID='cat001' ORDER BY ordinamento"));
    const qint64 totale = p.t.negozio.state.TotaleArticoli;

    const qint64 id = dopo ? p.cat.AggiungiArticoloDopo() : p.cat.AggiungiArticoloPrima();
    QVERIFY(id > 0);
    QVERIFY(!p.occupato());
    QCOMPARE(p.db().scalar(QStringLiteral("SELECT ordinamento FROM articoli WHERE ID=?"), {id}).toLongLong(), nuovo);
    QCOMPARE(p.db().scalar(QStringLiteral("SELECT catID FROM articoli WHERE ID=?"), {id}).toString(),
             QStringLiteral("cat001"));
    Lista dopoValori;
    for (qint64 v : vecchi)
        dopoValori << p.db().scalar(QStringLiteral("SELECT ordinamento FROM articoli WHERE ID=?"), {v}).toLongLong();
    QCOMPARE(dopoValori, seguenti);

    // The new article is current, in its place in the list.
    QCOMPARE(p.idCorrente(), id);
    const int atteso = corrente < 0 ? 0 : (dopo ? corrente + 1 : corrente);
    QCOMPARE(p.articoli().absolutePosition(), atteso);
    QCOMPARE(p.articoli().recordCount(), int(prima.size()) + 1);
    QCOMPARE(p.t.negozio.state.TotaleArticoli, totale + 1);
    QCOMPARE(p.t.totale, p.t.negozio.testoTotaleArticoli());
    QVERIFY(p.t.totale.contains(QString::number(totale + 1)));
    // The other department is untouched.
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID='cat002'")), Lista{2});
}

void TestCatalogo::nonAggiungeSenzaReparto()
{
    Prova p(treReparti);
    p.vai(QStringLiteral("###"));
    QCOMPARE(p.cat.AggiungiArticoloDopo(), qint64(0));
    QCOMPARE(p.cat.AggiungiArticoloPrima(), qint64(0));
    QVERIFY(!p.occupato());
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli")), Lista{6});
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(6));
    QVERIFY(p.categorie().bof());
}

void TestCatalogo::inserimentoFallitoNonRinumera()
{
    Prova p(treReparti);
    p.ordina(QStringLiteral("cat001"), {100, 101, 102, 103}, 0);
    const qint64 corrente = p.idCorrente();
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE INSERT ON articoli BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    QCOMPARE(p.cat.AggiungiArticoloDopo(), qint64(0));
    QVERIFY(!p.occupato());
    // The followers were renumbered in the same transaction: undone with it.
    QCOMPARE(p.colonna(QStringLiteral("SELECT ordinamento FROM articoli WHERE catID='cat001' ORDER BY ordinamento")),
             (Lista{100, 101, 102, 103}));
    QCOMPARE(p.idCorrente(), corrente);
    QCOMPARE(p.articoli().value(QStringLiteral("ordinamento")).toLongLong(), qint64(100));
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(6));
}

void TestCatalogo::spostaArticolo_data()
{
    QTest::addColumn<int>("corrente");
    QTest::addColumn<int>("direzione");
    QTest::addColumn<QList<int>>("ordine");  // article numbers in the new order
    QTest::addColumn<int>("posizione");      // the moved article's row afterwards

    QTest::newRow("il primo in su") << 0 << -1 << QList<int>{1, 2, 3, 4} << 0;
    QTest::newRow("l'ultimo in giù") << 3 << 1 << QList<int>{1, 2, 3, 4} << 3;
    QTest::newRow("in su") << 2 << -1 << QList<int>{1, 3, 2, 4} << 1;
    QTest::newRow("in giù") << 1 << 1 << QList<int>{1, 3, 2, 4} << 2;
}

void TestCatalogo::spostaArticolo()
{
    QFETCH(int, corrente);
    QFETCH(int, direzione);
    QFETCH(QList<int>, ordine);
    QFETCH(int, posizione);

    Prova p(treReparti);
    p.ordina(QStringLiteral("cat001"), {100, 105, 110, 115}, corrente);
    const Lista ids = p.colonna(QStringLiteral("SELECT ID FROM articoli WHERE catID='cat001' ORDER BY ordinamento"));
    const qint64 mosso = p.idCorrente();

    p.cat.SpostaRecord(Catalogo::Articoli, direzione);
    QVERIFY(!p.occupato());
    Lista attesi;
    for (int n : ordine)
        attesi << ids[n - 1];
    QCOMPARE(p.colonna(QStringLiteral("SELECT ID FROM articoli WHERE catID='cat001' ORDER BY ordinamento")), attesi);
    // The values are exchanged, none invented.
    QCOMPARE(p.colonna(QStringLiteral("SELECT ordinamento FROM articoli WHERE catID='cat001' ORDER BY ordinamento")),
             (Lista{100, 105, 110, 115}));
    QCOMPARE(p.idCorrente(), mosso);
    QCOMPARE(p.articoli().absolutePosition(), posizione);

    // An empty list: nothing happens.
    p.vai(QStringLiteral("cat002"));
    p.cat.SpostaRecord(Catalogo::Articoli, direzione);
    QVERIFY(!p.occupato());
}

void TestCatalogo::spostaReparto()
{
    Prova p(treReparti);
    p.vai(QStringLiteral("cat002"));
    p.cat.SpostaRecord(Catalogo::Reparti, -1);
    QVERIFY(!p.occupato());
    QCOMPARE(p.testi(QStringLiteral("SELECT ID FROM categorie ORDER BY ordinamento")),
             QStringList({"cat002", "cat001", "cat003"}));
    QCOMPARE(p.figli(QStringLiteral("###")), QStringList({"cat002", "cat001", "cat003"}));
    QCOMPARE(p.d().tvwCategorie.selezionato(), QStringLiteral("cat002"));
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("cat002"));
    QCOMPARE(p.categorie().absolutePosition(), 0);
    QCOMPARE(p.fratelli().text(QStringLiteral("ID")), QStringLiteral("cat002"));

    // Already first: nothing changes, the tree is rebuilt and the node reselected.
    p.cat.SpostaRecord(Catalogo::Reparti, -1);
    QCOMPARE(p.figli(QStringLiteral("###")), QStringList({"cat002", "cat001", "cat003"}));
    QCOMPARE(p.d().tvwCategorie.selezionato(), QStringLiteral("cat002"));
    QCOMPARE(p.fratelli().text(QStringLiteral("ID")), QStringLiteral("cat002"));

    p.vai(QStringLiteral("cat003"));
    p.cat.SpostaRecord(Catalogo::Reparti, 1);
    QCOMPARE(p.figli(QStringLiteral("###")), QStringList({"cat002", "cat001", "cat003"}));
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("cat003"));
    QVERIFY(!p.occupato());
}

void TestCatalogo::aggiungeRepartiAccanto_data()
{
    QTest::addColumn<QString>("selezionato");
    QTest::addColumn<bool>("dopo");
    QTest::addColumn<QStringList>("ordine");  // the siblings afterwards; "new" is the new one
    QTest::addColumn<bool>("stretti");        // siblings numbered 100, 101, 102: no room

    QTest::newRow("dopo il primo") << "cat001" << true << QStringList{"cat001", "new", "cat002", "cat003"} << false;
    QTest::newRow("dopo l'ultimo") << "cat003" << true << QStringList{"cat001", "cat002", "cat003", "new"} << false;
    QTest::newRow("prima del primo") << "cat001" << false << QStringList{"new", "cat001", "cat002", "cat003"} << false;
    QTest::newRow("prima del secondo") << "cat002" << false << QStringList{"cat001", "new", "cat002", "cat003"}
                                       << false;
    QTest::newRow("dopo il primo, valore preso") << "cat001" << true << QStringList{"cat001", "new", "cat002", "cat003"}
                                                 << true;
    QTest::newRow("prima del secondo, valore preso")
        << "cat002" << false << QStringList{"cat001", "new", "cat002", "cat003"} << true;
}

void TestCatalogo::aggiungeRepartiAccanto()
{
    QFETCH(QString, selezionato);
    QFETCH(bool, dopo);
    QFETCH(QStringList, ordine);
    QFETCH(bool, stretti);

    Prova p(treReparti);
    if (stretti) {
        p.db().execute(QStringLiteral("UPDATE categorie SET ordinamento = 99 + contatore"));
        p.categorie().requery();
    }
    p.vai(selezionato);
    const QString id = dopo ? p.cat.AggiungiRepartoDopo() : p.cat.AggiungiRepartoPrima();
    QVERIFY(!p.occupato());
    QCOMPARE(id, QStringLiteral("cat004"));
    ordine.replaceInStrings(QStringLiteral("new"), id);
    QCOMPARE(p.testi(QStringLiteral("SELECT ID FROM categorie WHERE genitore='###' ORDER BY ordinamento")), ordine);
    const Lista valori = p.colonna(QStringLiteral("SELECT ordinamento FROM categorie ORDER BY ordinamento"));
    QCOMPARE(QSet<qint64>(valori.begin(), valori.end()).size(), 4);
    if (stretti)
        QCOMPARE(valori, (Lista{100, 101, 102, 103}));
    QCOMPARE(p.campo(id, QStringLiteral("pagina")).toString(), id);
    QCOMPARE(p.campo(id, QStringLiteral("titolo")).toString(), QStringLiteral("Nuovo Reparto"));
    QCOMPARE(p.campo(id, QStringLiteral("template")).toString(), QStringLiteral("modello1"));
    QCOMPARE(p.campo(id, QStringLiteral("livello")).toInt(), 1);
    QCOMPARE(p.campo(id, QStringLiteral("genitore")).toString(), QStringLiteral("###"));
    // Current everywhere: the department list, the sibling list and the tree.
    QCOMPARE(p.d().repartoCorrente(), id);
    QCOMPARE(p.fratelli().text(QStringLiteral("ID")), id);
    QCOMPARE(p.d().tvwCategorie.selezionato(), id);
    QCOMPARE(p.figli(QStringLiteral("###")), ordine);
    QCOMPARE(p.articoli().recordCount(), 0);
    QCOMPARE(Catalogo::idReparto(1234), QStringLiteral("cat1234"));
}

void TestCatalogo::aggiungeSottoreparto()
{
    Prova p(treReparti);
    p.vai(QStringLiteral("cat003"));
    const QString figlio = p.cat.AggiungiSottoreparto();
    QVERIFY(!p.occupato());
    QCOMPARE(figlio, QStringLiteral("cat004"));
    QCOMPARE(p.campo(figlio, QStringLiteral("ordinamento")).toInt(), 1);
    QCOMPARE(p.campo(figlio, QStringLiteral("livello")).toInt(), 2);
    QCOMPARE(p.campo(figlio, QStringLiteral("genitore")).toString(), QStringLiteral("cat003"));
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("hafigli")).toInt(), -1);
    QCOMPARE(p.figli(QStringLiteral("cat003")), QStringList{figlio});
    QCOMPARE(p.d().repartoCorrente(), figlio);
    QCOMPARE(p.d().tvwCategorie.selezionato(), figlio);
    QCOMPARE(p.t.dati().tvwCategorie.haReparti(), true);

    // A second one goes after it.
    p.vai(QStringLiteral("cat003"));
    const QString secondo = p.cat.AggiungiSottoreparto();
    QCOMPARE(p.figli(QStringLiteral("cat003")), QStringList({figlio, secondo}));

    // With the root selected: a top-level department, after the last one.
    p.vai(QStringLiteral("###"));
    const qint64 ultimo = p.colonna(QStringLiteral("SELECT MAX(ordinamento) FROM categorie WHERE genitore='###'"))[0];
    const QString alto = p.cat.AggiungiSottoreparto();
    QVERIFY(!p.occupato());
    QCOMPARE(p.campo(alto, QStringLiteral("genitore")).toString(), QStringLiteral("###"));
    QCOMPARE(p.campo(alto, QStringLiteral("livello")).toInt(), 1);
    QCOMPARE(p.campo(alto, QStringLiteral("ordinamento")).toLongLong(), ultimo + 1);
    QCOMPARE(p.figli(QStringLiteral("###")).last(), alto);
    QCOMPARE(p.d().repartoCorrente(), alto);
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM categorie WHERE hafigli<>0")), Lista{1});

    // A failed addition leaves the selection where it was: with the root
    // selected, a later paste must not land in the first department.
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE INSERT ON categorie BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    for (const QString &dove : {QStringLiteral("###"), QStringLiteral("cat002")}) {
        p.vai(dove);
        QVERIFY_THROWS_EXCEPTION(DbError, p.cat.AggiungiSottoreparto());
        QVERIFY(!p.occupato());
        QCOMPARE(p.d().repartoCorrente(), dove);
        QCOMPARE(p.categorie().bof(), dove == QLatin1String("###"));
    }
}

void TestCatalogo::ivaDeiNuoviReparti_data()
{
    // Where the department is added ("dopo", "prima", "sotto" the first
    // department, "radice": a top-level one with the root selected), on a
    // new shop or on one whose table gives no VAT by default (a shop made
    // before), and the VAT it gets.
    QTest::addColumn<QString>("dove");
    QTest::addColumn<bool>("nuovo");
    QTest::addColumn<double>("iva");
    for (const char *dove : {"dopo", "prima", "sotto", "radice"}) {
        QTest::addRow("%s, negozio nuovo", dove) << QString::fromLatin1(dove) << true << 22.0;
        QTest::addRow("%s, negozio esistente", dove) << QString::fromLatin1(dove) << false << 0.0;
    }
}

void TestCatalogo::ivaDeiNuoviReparti()
{
    QFETCH(QString, dove);
    QFETCH(bool, nuovo);
    QFETCH(double, iva);
    TestProgramFolder program;
    const QString folder = program.newShop();
    if (!nuovo) {
        // The same catalogue, in a table that gives no VAT by default.
        QFile::remove(folder + QStringLiteral("/catalog.mdb"));
        auto db = Database::create(folder + QStringLiteral("/catalog.mdb"), CatalogSchema::catalog());
        CatalogSchema::fillNewCatalog(*db);
        db->close();
    }
    NegozioDiProva t;
    QCOMPARE(t.apri(folder), int(Negozio::Aperto));
    Catalogo cat(t.negozio);
    t.dati().selezionaNodo(dove == QLatin1String("radice") ? QStringLiteral("###") : QStringLiteral("cat001"));
    const QString id = dove == QLatin1String("dopo")    ? cat.AggiungiRepartoDopo()
                       : dove == QLatin1String("prima") ? cat.AggiungiRepartoPrima()
                                                        : cat.AggiungiSottoreparto();
    QCOMPARE(id, QStringLiteral("cat002"));
    Database &db = *t.negozio.state.dbCatalogo;
    QCOMPARE(db.scalar(QStringLiteral("SELECT iva FROM categorie WHERE ID='cat001'")).toDouble(), 22.0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT iva FROM categorie WHERE ID=?"), {id}).toDouble(), iva);
    // What the department list shows for it.
    QCOMPARE(t.dati().dataCategorie.recordset().text(QStringLiteral("ID")), id);
    QCOMPARE(t.dati().dataCategorie.recordset().value(QStringLiteral("iva")).toDouble(), iva);
}

void TestCatalogo::eliminaArticolo_data()
{
    QTest::addColumn<int>("riga");  // the current row of cat001's four; -1: none
    QTest::addColumn<QString>("corrente");  // the article current afterwards
    QTest::newRow("in mezzo") << 2 << "cat001-2";
    QTest::newRow("il primo") << 0 << "cat001-2";
    QTest::newRow("l'ultimo") << 3 << "cat001-3";
    QTest::newRow("nessuno") << -1 << "";
}

void TestCatalogo::eliminaArticolo()
{
    QFETCH(int, riga);
    QFETCH(QString, corrente);
    Prova p(treReparti);
    p.vai(QStringLiteral("cat001"));
    if (riga < 0)
        p.vai(QStringLiteral("###"));  // the root: no article list
    else
        p.articoli().setAbsolutePosition(riga);
    const QString eliminato = riga < 0 ? QString() : p.articoli().text(QStringLiteral("codice"));
    const qint64 totale = p.t.negozio.state.TotaleArticoli;
    Annunci annunci(p.d());
    p.t.articoloCorrente.reset();

    QCOMPARE(p.cat.EliminaArticolo(), riga >= 0);
    QVERIFY(!p.occupato());
    if (riga < 0) {
        QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli")), Lista{6});
        QCOMPARE(annunci.totali, 0);
        QVERIFY(!p.t.articoloCorrente.has_value());
        return;
    }
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE codice=?"), {eliminato}), Lista{0});
    QCOMPARE(p.articoli().text(QStringLiteral("codice")), corrente);
    // The window's Reposition work ran for the row that is current now.
    QCOMPARE(p.t.articoloCorrente, std::optional<bool>(true));
    QCOMPARE(p.t.negozio.state.TotaleArticoli, totale - 1);
    QCOMPARE(annunci.totali, 1);
    QCOMPARE(p.t.totale, p.t.negozio.testoTotaleArticoli());
}

void TestCatalogo::immagine_data()
{
    QTest::addColumn<int>("famiglia");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("dove");  // the tree node selected first
    QTest::addColumn<QString>("tabella");
    QTest::addColumn<QString>("riga");  // the row's condition
    for (int n : {0, 1, 2})
        QTest::addRow("article %d", n) << int(FamigliaImmagine::Articolo) << n << "cat003" << "articoli"
                                       << "codice='cat003-1'";
    for (int n : {0, 1}) {
        QTest::addRow("department %d", n) << int(FamigliaImmagine::Reparto) << n << "cat003" << "categorie"
                                          << "ID='cat003'";
        QTest::addRow("logo %d", n) << int(FamigliaImmagine::Negozio) << n << "###" << "generale" << "1";
    }
}

void TestCatalogo::immagine()
{
    // Setting, cancelling and clearing picture n of a row: each change
    // written is announced once, as that row's; clearing keeps the sizes.
    QFETCH(int, famiglia);
    QFETCH(int, n);
    QFETCH(QString, dove);
    QFETCH(QString, tabella);
    QFETCH(QString, riga);
    const auto f = FamigliaImmagine(famiglia);
    Prova p(treReparti);
    p.vai(dove);
    const auto leggi = [&](const char *campo) {
        return p.db().scalar(QStringLiteral("SELECT %1%2 FROM %3 WHERE %4").arg(QLatin1String(campo)).arg(n).arg(tabella, riga));
    };
    Annunci annunci(p.d());
    const QList<int> una = {famiglia};

    SceltaFissa scelta;
    scelta.risposta = {QStringLiteral("foto.jpg"), QSize(120, 90)};
    QVERIFY(p.cat.ImpostaImmagine(f, n, scelta));
    QCOMPARE(leggi("immagine").toString(), QStringLiteral("foto.jpg"));
    QCOMPARE(leggi("imgX").toInt(), 120);
    QCOMPARE(leggi("imgY").toInt(), 90);
    QCOMPARE(annunci.righe, una);

    scelta.risposta = {};  // cancelled: nothing written, nothing said
    QVERIFY(p.cat.ImpostaImmagine(f, n, scelta));
    QCOMPARE(leggi("immagine").toString(), QStringLiteral("foto.jpg"));
    QCOMPARE(annunci.righe, una);

    QVERIFY(p.cat.EliminaImmagine(f, n));
    QCOMPARE(leggi("immagine").toString(), QString());
    QCOMPARE(leggi("imgX").toInt(), 120);
    QCOMPARE(annunci.righe, una + una);
    QVERIFY(!p.d().sorgenteImmagine(f).recordset().editing());

    // Without a current row (the root has no department, no article)
    // nothing is done.
    if (f != FamigliaImmagine::Negozio) {
        p.vai(QStringLiteral("###"));
        const QList<int> prima = annunci.righe;
        QVERIFY(!p.cat.EliminaImmagine(f, n));
        QVERIFY(!p.cat.ImpostaImmagine(f, n, scelta));
        QCOMPARE(annunci.righe, prima);
    }
}

void TestCatalogo::immagineInSolaLettura_data()
{
    QTest::addColumn<int>("famiglia");
    QTest::addColumn<bool>("imposta");
    for (bool imposta : {false, true}) {
        const char *cosa = imposta ? "set" : "cleared";
        QTest::addRow("article picture %s", cosa) << int(FamigliaImmagine::Articolo) << imposta;
        QTest::addRow("department picture %s", cosa) << int(FamigliaImmagine::Reparto) << imposta;
        QTest::addRow("logo %s", cosa) << int(FamigliaImmagine::Negozio) << imposta;
    }
}

void TestCatalogo::immagineInSolaLettura()
{
    // A picture change the database refuses (a read-only shop) throws,
    // announces nothing and leaves the row out of edit mode, as stored.
    QFETCH(int, famiglia);
    QFETCH(bool, imposta);
    const auto f = FamigliaImmagine(famiglia);
    Prova p(treReparti);
    p.vai(f == FamigliaImmagine::Negozio ? QStringLiteral("###") : QStringLiteral("cat003"));
    Recordset &rs = p.d().sorgenteImmagine(f).recordset();
    rs.edit();
    rs.setValue(QStringLiteral("immagine0"), QStringLiteral("prima.jpg"));
    rs.update();
    Annunci annunci(p.d());
    p.db().execute(QStringLiteral("PRAGMA query_only=ON"));
    SceltaFissa scelta;
    scelta.risposta = {QStringLiteral("foto.jpg"), QSize(120, 90)};
    try {
        if (imposta)
            p.cat.ImpostaImmagine(f, 0, scelta);
        else
            p.cat.EliminaImmagine(f, 0);
        QFAIL("a read-only shop took the change");
    } catch (const DbError &e) {
        QCOMPARE(e.number, DbErr::NotUpdatable);
    }
    p.db().execute(QStringLiteral("PRAGMA query_only=OFF"));
    QVERIFY(!rs.editing());
    QCOMPARE(rs.text(QStringLiteral("immagine0")), QStringLiteral("prima.jpg"));
    QVERIFY(annunci.righe.isEmpty());
    // The row is still usable: a later edit of its own goes through.
    rs.edit();
    rs.setValue(QStringLiteral("immagine0"), QStringLiteral("dopo.jpg"));
    rs.update();
    QCOMPARE(rs.text(QStringLiteral("immagine0")), QStringLiteral("dopo.jpg"));
}

void TestCatalogo::eliminaUltimoFiglio()
{
    Prova p(albero);
    p.vai(QStringLiteral("cat004"));
    Annunci annunci(p.d());
    p.cat.EliminaReparto();
    QVERIFY(p.t.messages.shown().empty());
    QCOMPARE(annunci.radice, 0);  // the parent takes its place
    QVERIFY(annunci.totali > 0);
    QVERIFY(!p.occupato());
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM categorie WHERE ID='cat004'")), Lista{0});
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID='cat004'")), Lista{0});
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("hafigli")).toInt(), 0);
    QVERIFY(!p.d().tvwCategorie.contiene(QStringLiteral("cat004")));
    // The parent becomes the selected department, with its articles.
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("cat003"));
    QCOMPARE(p.d().tvwCategorie.selezionato(), QStringLiteral("cat003"));
    QCOMPARE(p.articoli().recordCount(), 3);
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(6));
    QCOMPARE(p.t.negozio.state.ArticoliReparto, qint64(3));

    // A parent that keeps a child keeps its flag.
    p.vai(QStringLiteral("cat003"));
    p.cat.AggiungiSottoreparto();
    p.vai(QStringLiteral("cat003"));
    p.cat.AggiungiSottoreparto();
    p.cat.EliminaReparto();
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("hafigli")).toInt(), -1);
}

void TestCatalogo::eliminaRepartoPrincipale()
{
    Prova p(albero);
    p.vai(QStringLiteral("cat002"));
    Annunci annunci(p.d());
    p.cat.EliminaReparto();
    QVERIFY(!p.occupato());
    QCOMPARE(annunci.radice, 1);  // the window shows the shop's panels
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID='cat002'")), Lista{0});
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli")), Lista{5});
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(5));
    // The root is selected: the department list stands before its first row.
    QVERIFY(p.categorie().bof());
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("###"));
    QCOMPARE(p.d().tvwCategorie.selezionato(), QStringLiteral("###"));
    QCOMPARE(p.t.negozio.state.ArticoliReparto, qint64(-1));
}

void TestCatalogo::eliminaRifiuta_data()
{
    QTest::addColumn<QList<Reparto>>("reparti");
    QTest::addColumn<QString>("reparto");
    QTest::addColumn<QString>("messaggio");
    QTest::addColumn<bool>("senzaFlag");

    const QString figli = QStringLiteral("Non è consentito eliminare un reparto che contiene sottoreparti.\r\n"
                                         "Per cancellare questo reparto è necessario rimuovere i sottoreparti.");
    QTest::newRow("con sottoreparti") << albero << "cat001" << figli << false;
    // The flag was lost, the table still names the department as parent.
    QTest::newRow("figli senza flag") << albero << "cat003" << figli << true;
    QTest::newRow("l'unico reparto") << QList<Reparto>{{"cat001", "###", 1, "Solo", 2}} << "cat001"
                                     << QStringLiteral("Almeno un reparto deve essere definito: "
                                                       "non è possibile eliminare questo reparto")
                                     << false;
}

void TestCatalogo::eliminaRifiuta()
{
    QFETCH(QList<Reparto>, reparti);
    QFETCH(QString, reparto);
    QFETCH(QString, messaggio);
    QFETCH(bool, senzaFlag);

    Prova p(reparti);
    if (senzaFlag)
        p.db().execute(QStringLiteral("UPDATE categorie SET hafigli=0"));
    p.vai(QStringLiteral("###"));
    p.vai(reparto);
    const qint64 reparti0 = p.colonna(QStringLiteral("SELECT COUNT(*) FROM categorie"))[0];
    const qint64 articoli0 = p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli"))[0];
    p.cat.EliminaReparto();
    QCOMPARE(p.t.messages.texts(), QStringList{messaggio});
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM categorie"))[0], reparti0);
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli"))[0], articoli0);
    QCOMPARE(p.d().repartoCorrente(), reparto);
    QVERIFY(!p.occupato());
}

void TestCatalogo::eliminazioneFallitaNonToglieArticoli()
{
    Prova p(treReparti);
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE DELETE ON categorie BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    p.vai(QStringLiteral("cat001"));
    QVERIFY_THROWS_EXCEPTION(DbError, p.cat.EliminaReparto());
    QVERIFY(!p.occupato());
    // The articles went in the same transaction as the department: both stay.
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID='cat001'")), Lista{4});
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("cat001"));
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(6));
}

void TestCatalogo::riparenta_data()
{
    QTest::addColumn<QString>("origine");
    QTest::addColumn<QString>("destinazione");
    QTest::addColumn<QStringList>("genitori");  // cat001..cat004 afterwards
    QTest::addColumn<QList<int>>("livelli");
    QTest::addColumn<QList<int>>("hafigli");
    QTest::addColumn<QStringList>("figliDestinazione");

    QTest::newRow("sotto la radice") << "cat003" << "###" << QStringList{"###", "###", "###", "cat003"}
                                     << QList<int>{1, 1, 1, 2} << QList<int>{0, 0, -1, 0}
                                     << QStringList{"cat001", "cat002", "cat003"};
    QTest::newRow("sotto un altro") << "cat003" << "cat002" << QStringList{"###", "###", "cat002", "cat003"}
                                    << QList<int>{1, 1, 2, 3} << QList<int>{0, -1, -1, 0}
                                    << QStringList{"cat003"};
    // Giardino was added to the tree before Cucina: among Casa's children it
    // comes first, although the drop put it last.
    QTest::newRow("tra fratelli più recenti") << "cat002" << "cat001" << QStringList{"###", "cat001", "cat001", "cat003"}
                                              << QList<int>{1, 2, 2, 3} << QList<int>{-1, 0, -1, 0}
                                              << QStringList{"cat002", "cat003"};
}

void TestCatalogo::riparenta()
{
    QFETCH(QString, origine);
    QFETCH(QString, destinazione);
    QFETCH(QStringList, genitori);
    QFETCH(QList<int>, livelli);
    QFETCH(QList<int>, hafigli);
    QFETCH(QStringList, figliDestinazione);

    // A title holding the tree's path separator does not change any depth.
    QList<Reparto> reparti = albero;
    reparti[0].titolo = QStringLiteral("Casa\\Cucina");
    Prova p(reparti);
    p.vai(QStringLiteral("cat004"));
    p.cat.SpostaReparto(origine, destinazione);
    QVERIFY(p.t.messages.shown().empty());
    QVERIFY(!p.occupato());
    QCOMPARE(p.testi(QStringLiteral("SELECT genitore FROM categorie ORDER BY ID")), genitori);
    QList<int> l, h;
    for (qint64 v : p.colonna(QStringLiteral("SELECT livello FROM categorie ORDER BY ID")))
        l << int(v);
    for (qint64 v : p.colonna(QStringLiteral("SELECT hafigli FROM categorie ORDER BY ID")))
        h << int(v);
    QCOMPARE(l, livelli);
    QCOMPARE(h, hafigli);
    QCOMPARE(p.figli(destinazione), figliDestinazione);
    // The moved department is selected; its articles went with it.
    QCOMPARE(p.d().repartoCorrente(), origine);
    QCOMPARE(p.d().tvwCategorie.selezionato(), origine);
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID=?"), {origine}),
             Lista{origine == QLatin1String("cat002") ? 2 : 3});
    // The sort order is still one value per department.
    const Lista valori = p.colonna(QStringLiteral("SELECT ordinamento FROM categorie"));
    QCOMPARE(QSet<qint64>(valori.begin(), valori.end()).size(), 4);
}

void TestCatalogo::riparentaRifiutato()
{
    Prova p(albero);
    p.vai(QStringLiteral("cat003"));
    const QStringList prima = p.testi(QStringLiteral("SELECT ID || genitore || livello || ordinamento FROM categorie"));
    p.cat.SpostaReparto(QStringLiteral("cat001"), QStringLiteral("cat004"));  // into its own subtree
    p.cat.SpostaReparto(QStringLiteral("cat003"), QStringLiteral("cat004"));  // under its own child
    p.cat.SpostaReparto(QStringLiteral("cat003"), QStringLiteral("cat003"));  // onto itself
    p.cat.SpostaReparto(QStringLiteral("###"), QStringLiteral("cat002"));     // the root never moves
    QVERIFY(p.t.messages.shown().empty());
    QVERIFY(!p.occupato());
    QCOMPARE(p.testi(QStringLiteral("SELECT ID || genitore || livello || ordinamento FROM categorie")), prima);
    QCOMPARE(p.figli(QStringLiteral("cat001")), QStringList{"cat003"});
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("cat003"));
}

// The new order among siblings is each node's place in the tree as it was
// built, by level and order: a department listed before the target's
// children there comes first among them, one listed after comes last,
// whatever branch it came from.
void TestCatalogo::riparentaFraFigliDiAltriRami_data()
{
    QTest::addColumn<QString>("origine");
    QTest::addColumn<QString>("destinazione");
    QTest::addColumn<QStringList>("figliDestinazione");

    QTest::newRow("prima dei nuovi fratelli") << "cat004" << "cat003" << QStringList{"cat004", "cat005"};
    QTest::newRow("dopo i nuovi fratelli") << "cat005" << "cat002" << QStringList{"cat004", "cat005"};
}

void TestCatalogo::riparentaFraFigliDiAltriRami()
{
    QFETCH(QString, origine);
    QFETCH(QString, destinazione);
    QFETCH(QStringList, figliDestinazione);

    // Casa > Cucina > Pentole; Giardino > Serra.
    Prova p({{"cat001", "###", 1, "Casa"},
             {"cat002", "###", 1, "Giardino"},
             {"cat003", "cat001", 2, "Cucina"},
             {"cat004", "cat002", 2, "Serra"},
             {"cat005", "cat003", 3, "Pentole"}});
    p.cat.SpostaReparto(origine, destinazione);
    QVERIFY(p.t.messages.shown().empty());
    QCOMPARE(p.figli(destinazione), figliDestinazione);
    QCOMPARE(p.testi(QStringLiteral("SELECT ID FROM categorie WHERE genitore=? ORDER BY livello, ordinamento"),
                     {destinazione}),
             figliDestinazione);
}

void TestCatalogo::riparentaNonScriveIlPostoDegliOrfani()
{
    // Cantina names a parent that no longer exists: the tree shows it under
    // the root, and a drop elsewhere leaves its row as it was.
    Prova p({{"cat001", "###", 1, "Casa"},
             {"cat002", "###", 1, "Giardino"},
             {"cat003", "sparito", 2, "Cantina", 1},
             {"cat004", "cat003", 3, "Vini"}});
    QCOMPARE(p.d().tvwCategorie.nodo(QStringLiteral("cat003"))->padre->chiave, QStringLiteral("###"));
    p.cat.SpostaReparto(QStringLiteral("cat002"), QStringLiteral("cat001"));
    QVERIFY(p.t.messages.shown().empty());
    QCOMPARE(p.campo(QStringLiteral("cat002"), QStringLiteral("genitore")).toString(), QStringLiteral("cat001"));
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("genitore")).toString(), QStringLiteral("sparito"));
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("livello")).toInt(), 2);
    QCOMPARE(p.campo(QStringLiteral("cat004"), QStringLiteral("genitore")).toString(), QStringLiteral("cat003"));
    QCOMPARE(p.campo(QStringLiteral("cat004"), QStringLiteral("livello")).toInt(), 3);
    QCOMPARE(p.d().tvwCategorie.nodo(QStringLiteral("cat003"))->padre->chiave, QStringLiteral("###"));
    // A department dropped below it counts its level from the stored one.
    p.cat.SpostaReparto(QStringLiteral("cat002"), QStringLiteral("cat004"));
    QCOMPARE(p.campo(QStringLiteral("cat002"), QStringLiteral("livello")).toInt(), 4);
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("livello")).toInt(), 2);

    // Dropped by the merchant, it takes the place it was given.
    p.cat.SpostaReparto(QStringLiteral("cat003"), QStringLiteral("cat001"));
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("genitore")).toString(), QStringLiteral("cat001"));
    QCOMPARE(p.campo(QStringLiteral("cat003"), QStringLiteral("livello")).toInt(), 2);
    QCOMPARE(p.campo(QStringLiteral("cat004"), QStringLiteral("livello")).toInt(), 3);
}

void TestCatalogo::salvataggioAlberoFallito()
{
    Prova p(albero);
    const QStringList prima = p.testi(QStringLiteral("SELECT ID || genitore || livello || ordinamento FROM categorie"));
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE UPDATE ON categorie WHEN NEW.ID='cat004' BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    p.vai(QStringLiteral("cat002"));
    p.cat.SpostaReparto(QStringLiteral("cat003"), QStringLiteral("###"));
    QCOMPARE(p.t.messages.shown().size(), size_t(1));
    QVERIFY(!p.occupato());
    // Rows written before the failure are undone; the tree shows the table again.
    QCOMPARE(p.testi(QStringLiteral("SELECT ID || genitore || livello || ordinamento FROM categorie")), prima);
    QCOMPARE(p.figli(QStringLiteral("cat001")), QStringList{"cat003"});
    QCOMPARE(p.figli(QStringLiteral("###")), QStringList({"cat001", "cat002"}));
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("cat002"));
}

void TestCatalogo::incollaArticoli()
{
    Prova p(treReparti);
    // An article with values in every kind of field.
    p.db().execute(QStringLiteral("UPDATE articoli SET prezzo=125000, offerta=-1, peso=1.5, giacenza='3', opzione2=4, "
                                  "popup=-1, descrizione='Bella' WHERE codice='cat003-1'"));
    p.vai(QStringLiteral("cat003"));
    p.articoli().findFirst(QStringLiteral("codice"), QStringLiteral("cat003-1"));
    p.cat.CopiaArticolo();
    QCOMPARE(p.t.negozio.appunti().articoli, true);
    QCOMPARE(p.t.negozio.appunti().reparto, false);

    // One row: no question; into an empty department it gets 1.
    p.vai(QStringLiteral("cat002"));
    p.cat.IncollaArticoli();
    QVERIFY(p.t.messages.shown().empty());
    QVERIFY(!p.occupato());
    const Recordset &a = p.articoli();
    QCOMPARE(a.recordCount(), 1);
    QCOMPARE(a.text(QStringLiteral("codice")), QStringLiteral("cat003-1"));
    QCOMPARE(qint64(a.value(QStringLiteral("prezzo")).value<Currency>().raw), qint64(125000));
    QCOMPARE(a.value(QStringLiteral("offerta")).toBool(), true);
    QCOMPARE(a.value(QStringLiteral("popup")).toBool(), true);
    QCOMPARE(a.value(QStringLiteral("opzione2")).toInt(), 4);
    QCOMPARE(a.value(QStringLiteral("peso")).toDouble(), 1.5);
    QCOMPARE(a.text(QStringLiteral("descrizione")), QStringLiteral("Bella"));
    QCOMPARE(a.value(QStringLiteral("ordinamento")).toLongLong(), qint64(1));
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(7));

    // The whole department's articles, pasted in the middle of another one.
    p.vai(QStringLiteral("cat003"));
    p.t.messages.answer(Messages::Answer::Yes);
    p.cat.CopiaReparto();
    p.ordina(QStringLiteral("cat001"), {100, 101, 102, 103}, 1);
    const qint64 corrente = p.idCorrente();
    p.t.messages.clear();
    p.t.messages.answer(Messages::Answer::Yes);
    p.cat.IncollaArticoli();
    QCOMPARE(p.t.messages.texts(), QStringList{"Saranno incollati 2 articoli. Procedere?"});
    QVERIFY(!p.occupato());
    QCOMPARE(p.testi(QStringLiteral("SELECT codice FROM articoli WHERE catID='cat001' ORDER BY ordinamento")),
             QStringList({"cat001-1", "cat001-2", "cat003-1", "cat003-2", "cat001-3", "cat001-4"}));
    QCOMPARE(p.colonna(QStringLiteral("SELECT ordinamento FROM articoli WHERE catID='cat001' ORDER BY ordinamento")),
             (Lista{100, 101, 102, 103, 104, 105}));
    // The last pasted article is current.
    QCOMPARE(p.articoli().text(QStringLiteral("codice")), QStringLiteral("cat003-2"));
    QCOMPARE(p.articoli().absolutePosition(), 3);
    QVERIFY(p.idCorrente() != corrente);
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(9));
    // The clipboard stays for the next paste.
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM cliparticoli")), Lista{2});
}

void TestCatalogo::incollaArticoliRifiutato_data()
{
    QTest::addColumn<QString>("reparto");
    QTest::addColumn<QStringList>("messaggi");

    QTest::newRow("risposta no") << "cat001" << QStringList{"Saranno incollati 4 articoli. Procedere?"};
    QTest::newRow("nessun reparto") << "###"
                                    << QStringList{"Per incollare gli articoli è necessario selezionare un reparto."};
}

void TestCatalogo::incollaArticoliRifiutato()
{
    QFETCH(QString, reparto);
    QFETCH(QStringList, messaggi);

    Prova p(treReparti);
    p.vai(QStringLiteral("cat001"));
    p.t.messages.answer(Messages::Answer::Yes);
    p.cat.CopiaReparto();
    p.t.messages.clear();
    p.vai(reparto);
    const QStringList prima = p.testi(QStringLiteral("SELECT ID || catID || ordinamento FROM articoli"));
    p.t.messages.answer(Messages::Answer::No);
    p.cat.IncollaArticoli();
    QCOMPARE(p.t.messages.texts(), messaggi);
    QVERIFY(!p.occupato());
    QCOMPARE(p.testi(QStringLiteral("SELECT ID || catID || ordinamento FROM articoli")), prima);
    QCOMPARE(p.t.negozio.state.TotaleArticoli, qint64(6));
    QCOMPARE(p.d().repartoCorrente(), reparto);
}

void TestCatalogo::incollaNonSovrascrive()
{
    Prova p(treReparti);
    p.vai(QStringLiteral("cat003"));
    p.cat.CopiaArticolo();
    p.vai(QStringLiteral("cat001"));
    const QStringList prima = p.testi(QStringLiteral("SELECT ID || codice || titolo || ordinamento FROM articoli"));
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE INSERT ON articoli BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    p.cat.IncollaArticoli();
    QCOMPARE(p.t.messages.texts(),
             QStringList{"Impossibile aggiungere il nuovo articolo: l'incolla è stato interrotto."});
    QVERIFY(!p.occupato());
    QCOMPARE(p.testi(QStringLiteral("SELECT ID || codice || titolo || ordinamento FROM articoli")), prima);

    // The same for a department paste.
    p.db().execute(QStringLiteral("DROP TRIGGER blocca"));
    p.t.messages.answer(Messages::Answer::No);  // without its articles
    p.cat.CopiaReparto();
    p.t.messages.clear();
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE INSERT ON categorie BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    const QStringList reparti = p.testi(QStringLiteral("SELECT ID || titolo || ordinamento FROM categorie"));
    p.vai(QStringLiteral("cat002"));
    p.cat.IncollaReparto();
    QCOMPARE(p.t.messages.texts(),
             QStringList{"Impossibile aggiungere il nuovo reparto: l'incolla è stato interrotto."});
    QCOMPARE(p.testi(QStringLiteral("SELECT ID || titolo || ordinamento FROM categorie")), reparti);
    QVERIFY(!p.occupato());

    // A pasted article whose values cannot be written is not left behind
    // empty: the articles pasted before it stay, the counter counts them.
    p.db().execute(QStringLiteral("DROP TRIGGER blocca"));
    p.vai(QStringLiteral("cat001"));
    p.t.messages.answer(Messages::Answer::Yes);
    p.cat.CopiaReparto();  // with its four articles
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE UPDATE ON articoli WHEN NEW.codice='cat001-3' BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    p.vai(QStringLiteral("cat002"));
    const qint64 totale = p.t.negozio.state.TotaleArticoli;
    p.t.messages.answer(Messages::Answer::Yes);
    QVERIFY_THROWS_EXCEPTION(DbError, p.cat.IncollaArticoli());
    QVERIFY(!p.occupato());
    QCOMPARE(p.testi(QStringLiteral("SELECT codice FROM articoli WHERE catID='cat002' ORDER BY ordinamento")),
             QStringList({"cat001-1", "cat001-2"}));
    QCOMPARE(p.t.negozio.state.TotaleArticoli, totale + 2);
    QCOMPARE(p.articoli().text(QStringLiteral("codice")), QStringLiteral("cat001-2"));

    // Likewise a pasted department whose values cannot be written is not
    // left behind as a "Nuovo Reparto".
    p.db().execute(QStringLiteral("DROP TRIGGER blocca"));
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE UPDATE ON categorie WHEN NEW.titolo='Uno' BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    const QStringList tutti = p.testi(QStringLiteral("SELECT ID FROM categorie ORDER BY ID"));
    for (const QString &dove : {QStringLiteral("cat002"), QStringLiteral("###")}) {
        p.vai(dove);
        p.t.messages.answer(Messages::Answer::Yes);
        QVERIFY_THROWS_EXCEPTION(DbError, p.cat.IncollaReparto());
        QVERIFY(!p.occupato());
        QCOMPARE(p.testi(QStringLiteral("SELECT ID FROM categorie ORDER BY ID")), tutti);
        QCOMPARE(p.d().tvwCategorie.numeroNodi(), int(tutti.size()) + 1);
        QCOMPARE(p.d().repartoCorrente(), dove);
        QCOMPARE(p.d().tvwCategorie.selezionato(), dove);
    }
}

void TestCatalogo::copiaRepartoFallitaNonCambiaGliAppunti()
{
    // A department copy that fails half-way leaves both clipboards as the
    // last copy made them, so a paste never mixes two copies.
    Prova p(treReparti);
    p.vai(QStringLiteral("cat001"));
    p.t.messages.answer(Messages::Answer::Yes);
    p.cat.CopiaReparto();
    const QStringList articoli = p.testi(QStringLiteral("SELECT codice FROM cliparticoli ORDER BY ID"));
    QCOMPARE(articoli.size(), 4);
    p.db().execute(QStringLiteral("CREATE TRIGGER blocca BEFORE INSERT ON clipcategorie BEGIN "
                                  "SELECT RAISE(ABORT, 'bloccato'); END"));
    p.vai(QStringLiteral("cat003"));
    p.t.messages.answer(Messages::Answer::Yes);
    QVERIFY_THROWS_EXCEPTION(DbError, p.cat.CopiaReparto());
    QCOMPARE(p.testi(QStringLiteral("SELECT codice FROM cliparticoli ORDER BY ID")), articoli);
    QCOMPARE(p.testi(QStringLiteral("SELECT titolo FROM clipcategorie")), QStringList{"Uno"});
    QCOMPARE(p.db().scalar(QStringLiteral("SELECT incolla_articoli FROM clipcategorie")).toInt(), -1);
    QCOMPARE(p.db().transactionDepth(), 0);
}

void TestCatalogo::copiaIncollaReparto_data()
{
    QTest::addColumn<QString>("copiato");
    QTest::addColumn<int>("risposte");  // 0: no question; 1: No; 2: Yes (and Yes to the paste)
    QTest::addColumn<int>("incollati");

    QTest::newRow("senza articoli") << "cat002" << 0 << 0;
    QTest::newRow("articoli rifiutati") << "cat003" << 1 << 0;
    QTest::newRow("con articoli") << "cat003" << 2 << 2;
}

void TestCatalogo::copiaIncollaReparto()
{
    QFETCH(QString, copiato);
    QFETCH(int, risposte);
    QFETCH(int, incollati);

    Prova p(treReparti);
    p.db().execute(QStringLiteral("UPDATE categorie SET titolo='Scarpe', descrizione='Belle', template='modello2', "
                                  "maxarticoli=7, sconto=5, immagine0='s.jpg', imgX0=20 WHERE ID=?"),
                   {copiato});
    p.categorie().requery();  // as if typed into the bound fields
    // Something already in the article clipboard.
    p.vai(QStringLiteral("cat001"));
    p.cat.CopiaArticolo();
    p.vai(copiato);
    if (risposte)
        p.t.messages.answer(risposte == 2 ? Messages::Answer::Yes : Messages::Answer::No);
    p.cat.CopiaReparto();
    QCOMPARE(p.t.messages.shown().size(), size_t(risposte ? 1 : 0));
    QCOMPARE(p.db().scalar(QStringLiteral("SELECT incolla_articoli FROM clipcategorie")).toInt(), incollati ? -1 : 0);
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM cliparticoli")), Lista{incollati ? incollati : 1});
    QCOMPARE(p.t.negozio.appunti().reparto, true);

    // Pasted in the middle: before the selected department, at its level.
    p.vai(QStringLiteral("cat002"));
    p.t.messages.clear();
    p.t.messages.answer(Messages::Answer::Yes);
    p.cat.IncollaReparto();
    QVERIFY(!p.occupato());
    const QString nuovo = QStringLiteral("cat004");
    QCOMPARE(p.testi(QStringLiteral("SELECT ID FROM categorie ORDER BY ordinamento")),
             QStringList({"cat001", nuovo, "cat002", "cat003"}));
    QCOMPARE(p.campo(nuovo, QStringLiteral("titolo")).toString(), QStringLiteral("Scarpe"));
    QCOMPARE(p.campo(nuovo, QStringLiteral("descrizione")).toString(), QStringLiteral("Belle"));
    QCOMPARE(p.campo(nuovo, QStringLiteral("template")).toString(), QStringLiteral("modello2"));
    QCOMPARE(p.campo(nuovo, QStringLiteral("maxarticoli")).toInt(), 7);
    QCOMPARE(p.campo(nuovo, QStringLiteral("immagine0")).toString(), QStringLiteral("s.jpg"));
    QCOMPARE(p.campo(nuovo, QStringLiteral("pagina")).toString(), nuovo);
    QCOMPARE(p.campo(nuovo, QStringLiteral("hafigli")).toInt(), 0);
    QCOMPARE(p.d().tvwCategorie.nodo(nuovo)->testo, QStringLiteral("Scarpe"));
    QCOMPARE(p.fratelli().text(QStringLiteral("titolo")), QStringLiteral("Scarpe"));
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID=?"), {nuovo}), Lista{incollati});
    QCOMPARE(p.t.messages.shown().size(), size_t(incollati > 1 ? 1 : 0));
    QCOMPARE(p.d().repartoCorrente(), nuovo);
    QCOMPARE(p.d().tvwCategorie.selezionato(), nuovo);
    // The copied department is unchanged.
    QCOMPARE(p.campo(copiato, QStringLiteral("titolo")).toString(), QStringLiteral("Scarpe"));
    QCOMPARE(p.campo(copiato, QStringLiteral("pagina")).toString(), copiato);
    QCOMPARE(p.colonna(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID=?"), {copiato}),
             Lista{copiato == QLatin1String("cat003") ? 2 : 0});
}

void TestCatalogo::incollaRepartoSullaRadice()
{
    Prova p(albero);
    p.vai(QStringLiteral("cat004"));
    p.t.messages.answer(Messages::Answer::Yes);  // with its one article
    p.cat.CopiaReparto();
    p.vai(QStringLiteral("###"));
    p.cat.IncollaReparto();
    QVERIFY(!p.occupato());
    QCOMPARE(p.figli(QStringLiteral("###")), QStringList({"cat001", "cat002", "cat005"}));
    QCOMPARE(p.campo(QStringLiteral("cat005"), QStringLiteral("titolo")).toString(), QStringLiteral("Pentole"));
    QCOMPARE(p.campo(QStringLiteral("cat005"), QStringLiteral("livello")).toInt(), 1);
    QCOMPARE(p.d().repartoCorrente(), QStringLiteral("cat005"));
    QCOMPARE(p.articoli().recordCount(), 1);
    QCOMPARE(p.articoli().text(QStringLiteral("codice")), QStringLiteral("cat004-1"));
}

QTEST_MAIN(TestCatalogo)
#include "test_catalogo.moc"
