// The Access reader on real Jet files: Zendaro's database as our own writer
// makes it (checked with mdbtools' commands too), the small example database
// that Debian's Free Pascal database units ship, and files that are not one.
// The whole import runs on the written file.
#include "testshop.h"

#include "catalogo.h"
#include "importazd.h"
#include "lettoremdb.h"
#include "scrittorejet.h"
#include "settings.h"
#include "zendarojet.h"

#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

namespace {

// A value as the reader gives it, with its kind: "Null", "bool:true",
// "long:6", "double:0.25", "valuta:1.2345", "testo:Moka"; a text longer
// than 40 characters shows its length.
QString come(const QVariant &v)
{
    if (!v.isValid())
        return QStringLiteral("Null");
    if (v.userType() == qMetaTypeId<Currency>())
        return QStringLiteral("valuta:") + v.value<Currency>().toString();
    switch (v.userType()) {
    case QMetaType::Bool: return QStringLiteral("bool:") + (v.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
    case QMetaType::LongLong: return QStringLiteral("long:") + v.toString();
    case QMetaType::Double: return QStringLiteral("double:") + v.toString();
    case QMetaType::QString: {
        const QString t = v.toString();
        return QStringLiteral("testo:") + (t.size() > 40 ? QStringLiteral("<%1>").arg(t.size()) : t);
    }
    default: return QStringLiteral("?") + QString::fromLatin1(v.typeName());
    }
}

// What a command prints; when it fails, a line saying so.
QString esegui(const QString &comando, const QStringList &argomenti)
{
    QProcess p;
    p.start(comando, argomenti);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("(%1 failed: %2)").arg(comando, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestLettoreMdb : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString zendaro;  // the Jet file our writer makes
    QString jet;      // the example Access file, unpacked; empty when not installed

    QString errore(const QString &file)
    {
        try {
            LettoreMdb::apri(file);
        } catch (const ErroreSorgente &e) {
            return e.testo;
        }
        return {};
    }

    // Zendaro installed in the program folder, with `file` as its database.
    // False when the database cannot be copied there.
    [[nodiscard]] static bool installa(const TestProgramFolder &program, const QString &file)
    {
        if (!QFile::copy(file, program.path() + QStringLiteral("/zendaro.mdb")))
            return false;
        SettingsStore::set(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"), program.path());
        return true;
    }

private slots:
    void initTestCase()
    {
        const QStringList trovati = QDir(QStringLiteral("/usr/share/doc")).entryList({QStringLiteral("fp-units-db*")}, QDir::Dirs);
        QString gz;
        for (const QString &d : trovati)
            for (const QString &v : QDir(QStringLiteral("/usr/share/doc/") + d).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                if (QFile::exists(QStringLiteral("/usr/share/doc/%1/%2/examples/odbc/testodbc.mdb.gz").arg(d, v)))
                    gz = QStringLiteral("/usr/share/doc/%1/%2/examples/odbc/testodbc.mdb.gz").arg(d, v);
        zendaro = dir.path() + QStringLiteral("/zendaro.mdb");
        ZendaroJet::scrivi(zendaro);
        if (gz.isEmpty())
            return;
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), gz});
        QVERIFY(gunzip.waitForFinished());
        jet = dir.path() + QStringLiteral("/testodbc.mdb");
        scrivi(jet, gunzip.readAllStandardOutput());
    }

    // The tests of the example file are skipped without it.
    void init()
    {
        static const QSet<QByteArray> esempio{"leggeTabella", "mancanze", "troncato", "importazioneSenzaTabelle"};
        if (jet.isEmpty() && esempio.contains(QTest::currentTestFunction()))
            QSKIP("The example Access file of the package fp-units-db is not installed (scripts/install-deps installs it)");
    }

    // mdbtools' own commands read the written file as Access would have
    // written it: its tables, and every row with its values.
    void mdbTools()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
            QSKIP("mdbtools' commands are not installed (scripts/install-deps installs them)");
        QCOMPARE(esegui(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), zendaro}), QStringLiteral("Categoria\nArticoli\n"));
        QCOMPARE(esegui(QStringLiteral("mdb-export"), {zendaro, QStringLiteral("Categoria")}).split(u'\n'),
                 (QStringList{"Id,Nome", "12,\"Caffè\"", "13,\"Tè \"\"verde\"\" | 'nero'\"", "14,",
                              "15,\"" + ZendaroJet::nomeLungo() + u'"', ",\"Senza Id\"", ""}));
        QCOMPARE(esegui(QStringLiteral("mdb-export"), {zendaro, QStringLiteral("Articoli")}).split(u'\n'),
                 (QStringList{"Id,IdCategoria,Codice,Descrizione,iva,Vendita1,Vendita2,Vendita3,Vendita4,Offerta,Confezione,Scorta,Peso",
                              "1,12,\"C1\",\"Moka\",22,10.0000,9.5000,1.2345,,1,6,-3,0.25",
                              "2,12,,,,,,,,0,,,",
                              "3,13,\"c1\",\"Stesso codice\",22,1.0000,1.0000,1.0000,1.0000,0,1,1,1",
                              "4,13,\"T'1|\"\"\",\"" + ZendaroJet::testoLungo(1500)
                                  + "\",4,0.0001,123456789.1234,-7.5000,0.0000,1,255,32767,-1.5",
                              "5,99,\"X\",\"Categoria mancante\",22,1.0000,1.0000,1.0000,1.0000,0,0,0,0",
                              "6,15,\"L1\",\"" + ZendaroJet::testoLungo(30000) + "\",10,1.0000,1.0000,1.0000,1.0000,0,0,0,0", ""}));
    }

    // Every kind of value the reader converts, Null included, as the import
    // gets it; memos kept in the row, on one page and on a chain of pages.
    void tipi()
    {
        auto s = LettoreMdb::apri(zendaro);
        const auto righe = s->leggi(QStringLiteral("articoli"),
                                    {QStringLiteral("Id"), QStringLiteral("codice"), QStringLiteral("Descrizione"), QStringLiteral("IVA"),
                                     QStringLiteral("Vendita2"), QStringLiteral("Vendita4"), QStringLiteral("Offerta"),
                                     QStringLiteral("Confezione"), QStringLiteral("Scorta"), QStringLiteral("Peso")});
        QStringList letto;
        for (const QVariantList &r : righe) {
            QStringList riga;
            for (const QVariant &v : r)
                riga << come(v);
            letto << riga.join(u' ');
        }
        QCOMPARE(letto, (QStringList{
            "long:1 testo:C1 testo:Moka double:22 valuta:9.5 Null bool:true long:6 long:-3 double:0.25",
            "long:2 testo: testo: Null Null Null bool:false Null Null Null",
            "long:3 testo:c1 testo:Stesso codice double:22 valuta:1 valuta:1 bool:false long:1 long:1 double:1",
            "long:4 testo:T'1|\" testo:<1500> double:4 valuta:123456789.1234 valuta:0 bool:true long:255 long:32767 double:-1.5",
            "long:5 testo:X testo:Categoria mancante double:22 valuta:1 valuta:1 bool:false long:0 long:0 double:0",
            "long:6 testo:L1 testo:<30000> double:10 valuta:1 valuta:1 bool:false long:0 long:0 double:0"}));
        QCOMPARE(righe[3][2].toString(), ZendaroJet::testoLungo(1500));
        QCOMPARE(righe[5][2].toString(), ZendaroJet::testoLungo(30000));
        const auto categorie = s->leggi(QStringLiteral("Categoria"), {QStringLiteral("Nome"), QStringLiteral("Id")});
        QCOMPARE(categorie.size(), size_t(5));
        QCOMPARE(categorie[3][0].toString(), ZendaroJet::nomeLungo());
        QCOMPARE(come(categorie[4][1]), QStringLiteral("Null"));
    }

    // A memo longer than the reader's buffer is refused, not read cut.
    void testoTroppoLungo()
    {
        using T = ScrittoreJet4::Tipo;
        ScrittoreJet4 w;
        w.tabella(QStringLiteral("Articoli"), {{QStringLiteral("Id"), T::Lungo}, {QStringLiteral("Descrizione"), T::Memo}},
                  {{1, QString(1 << 20, u'x')}});
        const QString file = dir.path() + QStringLiteral("/lungo.mdb");
        QVERIFY(w.salva(file));
        auto s = LettoreMdb::apri(file);
        try {
            s->leggi(QStringLiteral("Articoli"), {QStringLiteral("Id"), QStringLiteral("Descrizione")});
            QFAIL("a cut text was read");
        } catch (const ErroreSorgente &e) {
            QCOMPARE(e.testo, QStringLiteral("Nella tabella 'Articoli' il campo 'Descrizione' contiene un testo troppo lungo."));
        }
    }

    void leggeTabella()
    {
        auto s = LettoreMdb::apri(jet);
        // Names are found whatever their letter case.
        const auto righe = s->leggi(QStringLiteral("fpdev"), {QStringLiteral("InstEmail"), QStringLiteral("ID"), QStringLiteral("username")});
        QCOMPARE(righe.size(), size_t(8));
        QCOMPARE(righe[0], (QVariantList{QStringLiteral("Michael@tfdec1.fys.kuleuven.ac.be"), 1LL, QStringLiteral("Michael Van Canneyt")}));
        QCOMPARE(righe[1][2].toString(), QStringLiteral("Florian Klaempfl"));
        QCOMPARE(righe[7][1].userType(), int(QMetaType::LongLong));
        // The same table can be read again.
        QCOMPARE(s->leggi(QStringLiteral("FPdev"), {QStringLiteral("id")}).size(), size_t(8));
    }

    void mancanze_data()
    {
        QTest::addColumn<QString>("tabella");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("tabella") << "Categoria" << "Id" << "Nel database manca la tabella 'Categoria'.";
        QTest::newRow("campo") << "FPdev" << "Vendita1" << "Nella tabella 'FPdev' manca il campo 'Vendita1'.";
        QTest::newRow("tabella di sistema non è un campo") << "FPdev" << "MSysObjects" << "Nella tabella 'FPdev' manca il campo 'MSysObjects'.";
    }
    void mancanze()
    {
        QFETCH(QString, tabella);
        QFETCH(QString, campo);
        QFETCH(QString, messaggio);
        auto s = LettoreMdb::apri(jet);
        try {
            s->leggi(tabella, {QStringLiteral("id"), campo});
            QFAIL("no error");
        } catch (const ErroreSorgente &e) {
            QCOMPARE(e.testo, messaggio);
        }
    }

    void nonUnDatabase_data()
    {
        QTest::addColumn<QByteArray>("contenuto");  // "": no file; "/": a folder
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("manca") << QByteArray() << "Il file '%1' non esiste.";
        QTest::newRow("cartella") << QByteArray("/") << "Il file '%1' non può essere letto: forse è in uso da un altro programma.";
        QTest::newRow("vuoto") << QByteArray("\0", 1) << "Il file '%1' non è un database di Zendaro.";
        QTest::newRow("testo") << QByteArray("Id;Nome\r\n1;Caffè\r\n") << "Il file '%1' non è un database di Zendaro.";
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0') << "Il file '%1' non è un database di Zendaro.";
    }
    void nonUnDatabase()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, messaggio);
        const QString file = dir.path() + QStringLiteral("/zendaro-%1.mdb").arg(QTest::currentDataTag());
        if (contenuto == "/")
            QDir().mkpath(file);
        else if (!contenuto.isEmpty())
            scrivi(file, contenuto == QByteArray("\0", 1) ? QByteArray() : contenuto);
        QCOMPARE(errore(file), messaggio.arg(file));
    }

    // A Jet file cut short is refused, not read past its end.
    void troncato_data()
    {
        QTest::addColumn<int>("byte");
        QTest::newRow("intestazione") << 100;
        QTest::newRow("una pagina") << 2048;
        QTest::newRow("due pagine") << 4096;
    }
    void troncato()
    {
        QFETCH(int, byte);
        const QString file = dir.path() + QStringLiteral("/troncato-%1.mdb").arg(byte);
        scrivi(file, leggi(jet).left(byte));
        try {
            auto s = LettoreMdb::apri(file);
            s->leggi(QStringLiteral("FPdev"), {QStringLiteral("id")});
            QFAIL("a cut file was read");
        } catch (const ErroreSorgente &e) {
            QVERIFY(e.testo.startsWith(QStringLiteral("Il file '") + file) || e.testo.startsWith(QStringLiteral("Nel database")));
        }
    }

    // The whole import on the written file, price from "prezzo 2", offer
    // price from "prezzo 3", VAT added: the departments and articles with
    // exact money; a second import adds nothing.
    void importazioneDaFileReale()
    {
        TestProgramFolder program;
        NegozioDiProva t;
        QCOMPARE(t.apri(program.newShop()), int(Negozio::Aperto));
        QVERIFY(installa(program, zendaro));
        Database &db = *t.negozio.state.dbCatalogo;
        auto importati = [&] {
            QStringList out;
            for (QSqlQuery r = db.run(QStringLiteral("SELECT ID, pagina, genitore, titolo, descrizione FROM categorie "
                                                     "WHERE ID LIKE 'xqg%' ORDER BY ordinamento"));
                 r.next();) {
                out << QStringLiteral("R %1 %2 %3 [%4] [%5]").arg(r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                                                                r.value(3).toString(), r.value(4).toString());
                for (QSqlQuery a = db.run(QStringLiteral("SELECT codice, titolo, descrizione, prezzo, offertaprezzo FROM articoli "
                                                         "WHERE catID=? ORDER BY ordinamento"),
                                          {r.value(0)});
                     a.next();)
                    out << QStringLiteral("  A %1 [%2] [%3] %4 %5").arg(a.value(0).toString(), a.value(1).toString(), a.value(2).toString(),
                                                                       a.value(3).toString(), a.value(4).toString());
            }
            return out;
        };
        const QString lungo = ZendaroJet::testoLungo(1500), lunghissimo = ZendaroJet::testoLungo(30000);
        const QStringList atteso{
            "R xqg12 xqg12 ### [*Caffè] []",
            "  A C1 [*Moka] [] 115900 15061",
            "  A zdart2 [*] [] 0 0",
            "R xqg13 xqg13 ### [*Tè \"verde\" | 'nero'] []",
            "  A T'1|\" [*" + lungo.left(199) + "] [" + lungo + "] 1283950606883 -78000",
            "R xqg14 xqg14 ### [*] []",
            "R xqg15 xqg15 ### [*" + ZendaroJet::nomeLungo().left(99) + "] [" + ZendaroJet::nomeLungo() + "]",
            "  A L1 [*" + lunghissimo.left(199) + "] [" + lunghissimo + "] 11000 11000"};
        t.dati().selezionaRadice();
        Catalogo catalogo(t.negozio);
        for (int volta = 1; volta <= 2; ++volta) {
            ImportazioneZendaro(t.negozio, catalogo).ImportaZD(QStringLiteral("1241"), LettoreMdb::apri);
            QCOMPARE(t.messages.texts(), QStringList{"Importazione completata"});
            t.messages.clear();
            QCOMPARE(importati(), atteso);
        }
        QVERIFY(t.dati().tvwCategorie.contiene(QStringLiteral("xqg15")));
    }

    // The whole import on the real reader: a database without Zendaro's
    // tables is reported and nothing is written.
    void importazioneSenzaTabelle()
    {
        TestProgramFolder program;
        NegozioDiProva t;
        QCOMPARE(t.apri(program.newShop()), int(Negozio::Aperto));
        QVERIFY(installa(program, jet));
        Catalogo catalogo(t.negozio);
        const qint64 reparti = t.negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT COUNT(*) FROM categorie")).toLongLong();
        ImportazioneZendaro(t.negozio, catalogo).ImportaZD(QStringLiteral("1110"), LettoreMdb::apri);
        QCOMPARE(t.messages.texts(), QStringList{"Non è stato possibile importare i dati\r\nNel database manca la tabella 'Categoria'."});
        QCOMPARE(t.negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT COUNT(*) FROM categorie")).toLongLong(), reparti);
    }
};

QTEST_GUILESS_MAIN(TestLettoreMdb)
#include "test_lettoremdb.moc"
