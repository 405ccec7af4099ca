// The article search on a real catalogue: which articles each field, text,
// letter case, wildcard and whole-word choice finds, in which order, and
// that the typed text never becomes part of the statement.
#include "testshop.h"

#include "ricercaarticoli.h"

#include <QtTest>

namespace {

struct Articolo {
    const char *codice, *reparto;
    int ordinamento;
    QVariant titolo, sottotitolo, descrizione, note;
};

const QVariant Null;

// Listed in storage order; the search lists them by department and order:
// A3 A2 A5 (cat001), A1 A4 (cat002).
const Articolo articoli[] = {
    {"MA-01", "cat002", 1, QStringLiteral("Maglia rosa"), QStringLiteral("Cotone"), QStringLiteral("Taglia unica"), Null},
    {"ma-02", "cat001", 2, QStringLiteral("rosa antico"), Null, QStringLiteral("Perché è bella"), QStringLiteral("Ècru")},
    {"XB_3", "cat001", 1, QStringLiteral("Maglia rosa antico"), QStringLiteral("Lana [100%]"), QStringLiteral("PERCHÉ sì"), QStringLiteral("")},
    {"R?S", "cat002", 2, QStringLiteral("Rosato"), QStringLiteral("Cotone bianco"), Null, QStringLiteral("rosa")},
    {"ROSA", "cat001", 3, QStringLiteral("rosa"), QStringLiteral("Seta"), QStringLiteral("x"), Null},
};

} // namespace

class TestRicerca : public QObject {
    Q_OBJECT
    TestProgramFolder program;
    NegozioDiProva t;
    Database *db = nullptr;

    QStringList codici(const std::vector<RicercaArticoli::Risultato> &r)
    {
        QStringList c;
        for (const auto &a : r)
            c << a.codice;
        return c;
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(t.apri(program.newShop()), int(Negozio::Aperto));
        db = t.negozio.state.dbCatalogo.get();
        db->execute(QStringLiteral("DELETE FROM categorie"));
        for (const char *r : {"cat001", "cat002"})
            db->execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, titolo) VALUES (?, '###', 1, 1, ?)"),
                        {QString::fromLatin1(r), QString::fromLatin1(r)});
        for (const Articolo &a : articoli)
            db->execute(QStringLiteral("INSERT INTO articoli (codice, catID, ordinamento, titolo, sottotitolo, descrizione, note) "
                                       "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                        {QString::fromLatin1(a.codice), QString::fromLatin1(a.reparto), a.ordinamento, a.titolo,
                         a.sottotitolo, a.descrizione, a.note});
    }

    void cerca_data()
    {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<bool>("parola");
        QTest::addColumn<QStringList>("trovati");

        const QStringList tutti{"XB_3", "ma-02", "ROSA", "MA-01", "R?S"};
        QTest::newRow("titolo, parte") << "titolo" << "rosa" << false << tutti;
        QTest::newRow("titolo, maiuscole") << "titolo" << "ROSA" << false << tutti;
        QTest::newRow("titolo, parola intera") << "titolo" << "rosa" << true << QStringList{"XB_3", "ma-02", "ROSA", "MA-01"};
        QTest::newRow("titolo, parola intera maiuscola") << "titolo" << "Rosa" << true << QStringList{"XB_3", "ma-02", "ROSA", "MA-01"};
        QTest::newRow("titolo, parola a metà") << "titolo" << "antic" << true << QStringList{};
        QTest::newRow("titolo, ? per una lettera") << "titolo" << "antic?" << false << QStringList{"XB_3", "ma-02"};
        QTest::newRow("titolo, * in mezzo") << "titolo" << "maglia*antico" << false << QStringList{"XB_3"};
        QTest::newRow("titolo, spazi attorno") << "titolo" << "  rosato " << false << QStringList{"R?S"};
        QTest::newRow("codice, ? e maiuscole") << "codice" << "MA-0?" << false << QStringList{"ma-02", "MA-01"};
        QTest::newRow("codice, _ è un carattere") << "codice" << "_" << false << QStringList{"XB_3"};
        QTest::newRow("codice, % è un carattere") << "codice" << "%" << false << QStringList{};
        QTest::newRow("codice, solo caratteri jolly") << "codice" << "**" << false << tutti;
        QTest::newRow("codice, ? digitato") << "codice" << "r?s" << true << QStringList{"R?S"};
        QTest::newRow("sottotitolo, parentesi") << "sottotitolo" << "[100%]" << false << QStringList{"XB_3"};
        QTest::newRow("sottotitolo, parola finale") << "sottotitolo" << "bianco" << true << QStringList{"R?S"};
        QTest::newRow("descrizione, accentate") << "descrizione" << "perché" << false << QStringList{"XB_3", "ma-02"};
        QTest::newRow("note, maiuscola accentata") << "note" << "ècru" << false << QStringList{"ma-02"};
        QTest::newRow("note, solo spazi: ogni nota") << "note" << "   " << false << QStringList{"XB_3", "ma-02", "R?S"};
        QTest::newRow("apostrofo e SQL") << "titolo" << "'; DELETE FROM articoli; --" << false << QStringList{};
        QTest::newRow("campo sconosciuto") << "prezzo" << "1" << false << QStringList{};
        QTest::newRow("campo come SQL") << "titolo OR 1=1 --" << "x" << false << QStringList{};
    }
    void cerca()
    {
        QFETCH(QString, campo);
        QFETCH(QString, testo);
        QFETCH(bool, parola);
        QFETCH(QStringList, trovati);
        QCOMPARE(codici(RicercaArticoli::cerca(*db, campo, testo, parola)), trovati);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toInt(), 5);
    }

    void risultatoCompleto()
    {
        const auto r = RicercaArticoli::cerca(*db, QStringLiteral("codice"), QStringLiteral("xb"), false);
        QCOMPARE(r.size(), size_t(1));
        QCOMPARE(r[0].titolo, QStringLiteral("Maglia rosa antico"));
        QCOMPARE(r[0].sottotitolo, QStringLiteral("Lana [100%]"));
        QCOMPARE(r[0].id, db->scalar(QStringLiteral("SELECT ID FROM articoli WHERE codice='XB_3'")).toLongLong());
    }
};

QTEST_GUILESS_MAIN(TestRicerca)
#include "test_ricerca.moc"
