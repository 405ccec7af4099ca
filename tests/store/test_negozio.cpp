// The shop store on real shop folders: opening, its failures, the upgrade
// (with the copy of the code folder killed by SIGKILL in a child process),
// new shops, serverpath.net, the department tree and the reposition chain.
#include "testshop.h"

#include "cartelle.h"
#include "catalogschema.h"
#include "programfolder.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

namespace {

// The catalogue as an older version of the program left it: without the
// fields later versions added, with notes that refuse empty text, and with
// an unordered sort order.
void makeOldCatalog(const QString &shop)
{
    QFile::remove(shop + QStringLiteral("/catalog.mdb"));
    QFile::remove(shop + QStringLiteral("/source.new"));
    const QSet<QString> later = {QStringLiteral("popup"), QStringLiteral("fuoricatalogo"), QStringLiteral("inelenco"),
                                 QStringLiteral("sconto"), QStringLiteral("vis_offerta"), QStringLiteral("vis_sconto"),
                                 QStringLiteral("vis_percrep"), QStringLiteral("usa_cambio"),
                                 QStringLiteral("colonnevetrina")};
    DatabaseDef old = CatalogSchema::catalog();
    for (TableDef &t : old.tables) {
        std::erase_if(t.fields, [&](const FieldDef &f) { return later.contains(f.name); });
        for (FieldDef &f : t.fields)
            if ((t.name == QLatin1String("categorie") && f.name == QLatin1String("note"))
                || (t.name == QLatin1String("opzioni") && f.type == FieldType::Text))
                f.allowEmpty = false;
    }
    auto db = Database::create(shop + QStringLiteral("/catalog.mdb"), old);
    db->execute(QStringLiteral("INSERT INTO generale (titolo, template) VALUES ('Vecchio', 'classico')"));
    db->execute(QStringLiteral("INSERT INTO opzioni (ID, nome) VALUES (1, 'Nessuna')"));
    const char *rows[][4] = {{"cat001", "###", "1", "7"}, {"cat002", "###", "1", "3"}, {"cat003", "cat001", "2", "3"}};
    for (auto &r : rows)
        db->execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, titolo, note) "
                                   "VALUES (?, ?, ?, ?, ?, ?, 'nota')"),
                    {QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2]).toInt(),
                     QString::fromLatin1(r[3]).toInt(), QString::fromLatin1(r[0]), QStringLiteral("Reparto")});
    // Two articles of cat002 with the same order keep the order they were stored in.
    const char *arts[][3] = {{"cat002", "9", "B1"}, {"cat001", "50", "A2"}, {"cat001", "1", "A1"}, {"cat002", "9", "B2"}};
    for (auto &a : arts)
        db->execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice) VALUES (?, ?, ?)"),
                    {QString::fromLatin1(a[0]), QString::fromLatin1(a[1]).toInt(), QString::fromLatin1(a[2])});
    db->close();
    DatabaseDef work = CatalogSchema::workDatabase();
    std::erase_if(work.tables[0].fields, [](const FieldDef &f) { return f.name == QLatin1String("vetrina"); });
    Database::create(shop + QStringLiteral("/source.new"), work)->close();
}

QStringList column(const DatabasePtr &db, const QString &sql)
{
    QStringList out;
    Recordset rs(db, sql);
    for (; !rs.eof(); rs.moveNext())
        out << rs.value(0).toString();
    return out;
}

int holdMain(const QString &path)
{
    QCoreApplication::instance();
    auto db = Database::open(path, Database::Access::Exclusive);
    std::puts("held");
    std::fflush(stdout);
    char buf[8];
    while (std::fgets(buf, sizeof buf, stdin)) {
    }
    return 0;
}

// Every file and folder under a folder, hidden ones too, by its path
// relative to it: a file with its bytes, a folder by its path and "/".
using Albero = QMap<QString, QByteArray>;
Albero albero(const QString &cartella)
{
    Albero m;
    QDirIterator it(cartella, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        const QString rel = QDir(cartella).relativeFilePath(f);
        if (it.fileInfo().isDir())
            m.insert(rel + u'/', {});
        else
            m.insert(rel, leggi(f));
    }
    return m;
}

// The program's code folder as a shop's copy holds it: without the scripts
// at its top.
Albero codiceAtteso()
{
    Albero m = albero(ProgramFolder::path() + QStringLiteral("/code"));
    for (const QString &k : m.keys())
        if (!k.contains(u'/') && (k.endsWith(QLatin1String(".pl")) || k.endsWith(QLatin1String(".js"))))
            m.remove(k);
    return m;
}

// The modification time of every file under a folder; with `imposta`, each
// is first set to one time long past, so that a file written again shows.
QMap<QString, QDateTime> invecchia(const QString &cartella, bool imposta = true)
{
    QMap<QString, QDateTime> m;
    const QDateTime passato(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    QDirIterator it(cartella, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        if (imposta) {
            QFile file(f);
            if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(passato, QFileDevice::FileModificationTime))
                throw std::runtime_error("cannot set the date of " + f.toStdString());
        }
        m.insert(QDir(cartella).relativeFilePath(f), QFileInfo(f).lastModified().toUTC());
    }
    return m;
}

// The hidden entries directly in a folder.
QStringList nascosti(const QString &cartella)
{
    QStringList n;
    for (const QString &e : QDir(cartella).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (e.startsWith(u'.'))
            n << e;
    return n;
}

// This program started again as a child that copies the code folder into
// a shop once it is told to go, and then prints how long the copy lasted
// (microseconds).
class Copiatore {
public:
    bool avvia(const QString &shop)
    {
        m_p.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--copia-codice"), ProgramFolder::path(), shop});
        return m_p.waitForReadyRead(10000) && m_p.readLine().trimmed() == "pronto";
    }
    void via()
    {
        m_p.write("\n");
        m_p.waitForBytesWritten(1000);
    }
    // Waits for its end; the copy's duration when it ended by itself and
    // the copy was made, else -1.
    qint64 fine()
    {
        m_p.waitForFinished(30000);
        if (m_p.exitStatus() != QProcess::NormalExit || m_p.exitCode() != 0)
            return -1;
        return m_p.readAll().trimmed().toLongLong();
    }
    void uccidi() { ::kill(pid_t(m_p.processId()), SIGKILL); }

private:
    QProcess m_p;
};

int copiaMain(const QString &programma, const QString &shop)
{
    ProgramFolder::setPath(programma);
    std::puts("pronto");
    std::fflush(stdout);
    char buf[8];
    if (!std::fgets(buf, sizeof buf, stdin))
        return 2;
    QElapsedTimer t;
    t.start();
    const bool ok = CopiaCodiceNegozio(shop);
    std::printf("%lld\n", t.nsecsElapsed() / 1000);
    return ok ? 0 : 1;
}

const QString msgAltro = QStringLiteral("\r\nSi desidera aprire un altro negozio?");

// A new shop whose catalogue riempiCatalogo filled.
QString negozioPieno(TestProgramFolder &program, int reparti, int articoliPerReparto)
{
    const QString shop = program.newShop();
    auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
    riempiCatalogo(*db, reparti, articoliPerReparto);
    db->close();
    return shop;
}

// A field bound to one column, edited by the test as the merchant would.
class CampoDiProva : public CampoCollegato {
public:
    explicit CampoDiProva(QString campo) : m_campo(std::move(campo)) {}
    QString campo() const override { return m_campo; }
    void carica(const QVariant &valore) override { m_valore = valore; m_modificato = false; }
    bool modificato() const override { return m_modificato; }
    QVariant valore() const override { return m_valore; }
    void segnaScritto() override { m_modificato = false; }
    void scrivi(const QString &testo) { m_valore = testo; m_modificato = true; }

private:
    QString m_campo;
    QVariant m_valore;
    bool m_modificato = false;
};

} // namespace

class TestNegozio : public QObject {
    Q_OBJECT
private slots:
    void apreUnNegozioValido();
    void apertoPerPercorsoRelativo();
    void ogniGuastoHaIlSuoMessaggio_data();
    void ogniGuastoHaIlSuoMessaggio();
    void negozioInUsoInUnAltroProcesso();
    void cartellaCheNonENegozio_data();
    void cartellaCheNonENegozio();
    void aggiornaUnCatalogoVecchio();
    void ilSecondoAggiornamentoNonCambiaNulla();
    void codiceDaStatiLasciati_data();
    void codiceDaStatiLasciati();
    void codiceProtetto_data();
    void codiceProtetto();
    void codiceDellaCartellaDelProgramma();
    void copiaDelCodiceUccisa();
    void rinumerazioneDiMoltiArticoli();
    void radiceSuUnaTabellaVuota();
    void serverPathConSpaziECrLf_data();
    void serverPathConSpaziECrLf();
    void apriNegozioScriveServerPath();
    void ilNegozioPredefinitoNonToccaLaCartellaDelProgramma();
    void nuovoNegozioDaNew();
    void catalogoDelProprietario_data();
    void catalogoDelProprietario();
    void repartiInOrdineDiAlbero();
    void alberoDiUnCatalogoDanneggiato();
    void catenaDiRiposizionamento();
    void titoloScrittoDaiCampi();
    void templateMancante_data();
    void templateMancante();
    void svuotaCartellaRifiuta_data();
    void svuotaCartellaRifiuta();
    void elencoFileECopia();
    void vaiArticolo_data();
    void vaiArticolo();
    void negozioInSolaLettura();
};

void TestNegozio::apreUnNegozioValido()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    QCOMPARE(t.titolo, QStringLiteral("Vetrasto - ") + shop);
    QVERIFY2(t.messages.shown().empty(), qPrintable(t.messages.texts().join(u'|')));
    const ShopState &s = t.negozio.state;
    QCOMPARE(s.CartellaPagine, shop + QStringLiteral("/online"));
    QCOMPARE(s.CartellaScript, shop + QStringLiteral("/scripts"));
    QCOMPARE(s.CartellaTemplate, QStringLiteral("template/classico"));
    QCOMPARE(t.dati().cboTemplate, QStringList({QStringLiteral("modello1"), QStringLiteral("modello2")}));
    QCOMPARE(t.dati().tvwCategorie.numeroNodi(), 2);
    QCOMPARE(t.dati().repartoCorrente(), QStringLiteral("cat001"));
    QCOMPARE(t.totale, QStringLiteral(" Articoli:  0 / 0"));
    QVERIFY(s.dbCatalogo->exclusive());
    // The new shop meets the payment tables' invariants.
    auto db = s.dbCatalogo;
    QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM pagamento p JOIN paesi c ON c.strID = p.paesesel "
                                       "JOIN zona1 z WHERE c.zona = p.zonasel AND p.attivo1 <> 0 AND z.pag1 <> 0"))
                 .toInt(),
             1);
    QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM zone")).toInt(), 4);
}

// A shop named by a relative path (a hand-written serverpath.net, the
// command line) is held by its absolute path, with its folders.
void TestNegozio::apertoPerPercorsoRelativo()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    const QString prima = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QFileInfo(shop).absolutePath()));
    NegozioDiProva t;
    const int esito = t.apri(QFileInfo(shop).fileName());
    QDir::setCurrent(prima);
    QCOMPARE(esito, int(Negozio::Aperto));
    const ShopState &s = t.negozio.state;
    QCOMPARE(s.PercorsoNegozio, shop);
    QCOMPARE(s.CartellaPagine, shop + QStringLiteral("/online"));
    QCOMPARE(s.CartellaScript, shop + QStringLiteral("/scripts"));
}

void TestNegozio::ogniGuastoHaIlSuoMessaggio_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    const QString corrotto =
        QStringLiteral("Il database è corrotto, oppure sono stati cancellati alcuni file del programma.");
    QTest::newRow("not a database") << "garbage" << corrotto;
    QTest::newRow("table missing") << "drop" << corrotto;
    QTest::newRow("no department") << "empty" << corrotto;
}

void TestNegozio::ogniGuastoHaIlSuoMessaggio()
{
    QFETCH(QString, damage);
    QFETCH(QString, message);
    TestProgramFolder program;
    const QString shop = program.newShop();
    const QString catalog = shop + QStringLiteral("/catalog.mdb");
    if (damage == QLatin1String("garbage")) {
        scrivi(catalog, QByteArray(8192, '\x5a'));
    } else {
        auto db = Database::open(catalog);
        db->execute(damage == QLatin1String("drop") ? QStringLiteral("DROP TABLE generale")
                                                    : QStringLiteral("DELETE FROM categorie"));
        db->close();
    }
    NegozioDiProva t;
    t.messages.answer(Messages::Answer::No);
    QCOMPARE(t.apri(shop), int(Negozio::NonAperto));
    QCOMPARE(t.messages.texts(), QStringList{message + msgAltro});
    QCOMPARE(t.messages.shown()[0].buttons, Messages::Buttons::YesNo);
    QCOMPARE(t.messages.shown()[0].title, QStringLiteral("Vetrasto"));
    QVERIFY(t.negozio.state.PercorsoNegozio.isEmpty());
}

void TestNegozio::negozioInUsoInUnAltroProcesso()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), shop + QStringLiteral("/catalog.mdb")});
    QVERIFY(holder.waitForReadyRead(10000));
    NegozioDiProva t;
    t.messages.answer(Messages::Answer::Yes);  // then the folder picker is cancelled
    QCOMPARE(t.apri(shop), int(Negozio::NonAperto));
    QVERIFY(t.negozio.state.PercorsoNegozio.isEmpty());
    QCOMPARE(t.messages.texts(), QStringList{QStringLiteral("Il database è utilizzato da un altro utente.") + msgAltro});
    QCOMPARE(t.titoliCartelle,
             QStringList{QStringLiteral("Selezionare la cartella che contiene il negozio da aprire:")});
    QCOMPARE(t.riavvii, 0);
    // Another shop chosen instead: a restart on it is requested.
    NegozioDiProva scelto;
    scelto.messages.answer(Messages::Answer::Yes);
    scelto.cartelle = {program.newShop(QStringLiteral("altro"))};
    QCOMPARE(scelto.apri(shop), int(Negozio::AltroNegozio));
    QCOMPARE(scelto.riavvii, 1);
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(10000));
    // Once the other copy is closed, the shop opens and was not changed.
    NegozioDiProva again;
    QCOMPARE(again.apri(shop), int(Negozio::Aperto));
}

void TestNegozio::cartellaCheNonENegozio_data()
{
    QTest::addColumn<QString>("missing");
    QTest::addColumn<bool>("valid");
    QTest::newRow("complete shop") << "" << true;
    QTest::newRow("no vtftp.mdb") << "vtftp.mdb" << false;
    QTest::newRow("no source.new") << "source.new" << false;
    QTest::newRow("no online folder") << "online" << false;
    QTest::newRow("work is a file") << "work=file" << true;
    QTest::newRow("hidden catalogue only") << "catalog.mdb=hidden" << false;
}

void TestNegozio::cartellaCheNonENegozio()
{
    QFETCH(QString, missing);
    QFETCH(bool, valid);
    TestProgramFolder program;
    QString shop = program.newShop();
    if (missing == QLatin1String("work=file")) {
        QDir(shop + QStringLiteral("/work")).removeRecursively();
        scrivi(shop + QStringLiteral("/work"), "x");
    } else if (missing == QLatin1String("catalog.mdb=hidden")) {
        QFile::rename(shop + QStringLiteral("/catalog.mdb"), shop + QStringLiteral("/.catalog.mdb"));
        // A file named like the catalogue but hidden does not count.
        scrivi(shop + QStringLiteral("/.x"), "");
        QFile::remove(shop + QStringLiteral("/catalog.mdb"));
    } else if (!missing.isEmpty()) {
        QFileInfo fi(shop + u'/' + missing);
        if (fi.isDir())
            QDir(fi.filePath()).removeRecursively();
        else
            QFile::remove(fi.filePath());
    }
    NegozioDiProva t;
    QCOMPARE(t.negozio.ApriNegozio(shop), valid);
    QCOMPARE(t.riavvii, valid ? 1 : 0);
    if (!valid)
        QCOMPARE(t.messages.texts(), QStringList{QStringLiteral("La cartella selezionata non contiene un negozio\r\n"
                                                                "(oppure il negozio contenuto è corrotto)")});
    QCOMPARE(QFile::exists(ProgramFolder::serverPathFile()), valid);
}

void TestNegozio::aggiornaUnCatalogoVecchio()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    makeOldCatalog(shop);
    QDir(shop + QStringLiteral("/code")).removeRecursively();
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    auto db = t.negozio.state.dbCatalogo;

    for (const char *f : {"articoli.popup", "articoli.fuoricatalogo", "articoli.inelenco", "cliparticoli.popup",
                          "categorie.sconto", "clipcategorie.sconto", "generale.sconto", "generale.vis_offerta",
                          "generale.colonnevetrina"}) {
        const QStringList tf = QString::fromLatin1(f).split(u'.');
        QVERIFY2(db->hasField(tf[0], tf[1]), f);
    }
    QCOMPARE(db->tableInfo(QStringLiteral("cliparticoli")).column(QStringLiteral("popup"))->type, FieldType::Single);
    Recordset g(db, QStringLiteral("SELECT * FROM generale"));
    QCOMPARE(g.value(QStringLiteral("vis_offerta")).toBool(), true);
    QCOMPARE(g.value(QStringLiteral("vis_sconto")).toBool(), true);
    QCOMPARE(g.value(QStringLiteral("vis_percrep")).toBool(), false);
    QCOMPARE(g.value(QStringLiteral("usa_cambio")).toBool(), true);
    QCOMPARE(g.text(QStringLiteral("colonnevetrina")), QStringLiteral("3"));
    QCOMPARE(g.value(QStringLiteral("sconto")).toDouble(), 0.0);
    QCOMPARE(g.text(QStringLiteral("titolo")), QStringLiteral("Vecchio"));  // values kept

    // Renumbered from 100 in steps of 5 over each whole table.
    QCOMPARE(column(db, QStringLiteral("SELECT codice || ':' || ordinamento FROM articoli ORDER BY ordinamento")),
             QStringList({"A1:100", "A2:105", "B1:110", "B2:115"}));
    QCOMPARE(column(db, QStringLiteral("SELECT ID || ':' || ordinamento FROM categorie ORDER BY ordinamento")),
             QStringList({"cat002:100", "cat001:105", "cat003:110"}));
    // The upgraded catalogue accepts empty notes and variant names; new rows take the defaults.
    db->execute(QStringLiteral("UPDATE categorie SET note='' WHERE ID='cat001'"));
    db->execute(QStringLiteral("UPDATE opzioni SET nome='', opzione15=''"));
    db->execute(QStringLiteral("INSERT INTO categorie (ID, titolo) VALUES ('cat009', 'x')"));
    QCOMPARE(db->scalar(QStringLiteral("SELECT sconto FROM categorie WHERE ID='cat009'")).toInt(), 0);

    auto work = Database::open(shop + QStringLiteral("/source.new"));
    QVERIFY(work->hasField(QStringLiteral("categoria"), QStringLiteral("vetrina")));
    work->close();
    // The shop's own code folder: the payment systems, not the top-level scripts.
    QVERIFY(QFile::exists(shop + QStringLiteral("/code/bonifico/conf.ini")));
    QVERIFY(!QFile::exists(shop + QStringLiteral("/code/vtorder.pl")));
    QVERIFY(!QFile::exists(shop + QStringLiteral("/code/vtcarrello.js")));
}

void TestNegozio::ilSecondoAggiornamentoNonCambiaNulla()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    {
        NegozioDiProva t;
        QCOMPARE(t.apri(shop), int(Negozio::Aperto));
        t.negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET colonnevetrina='', vis_offerta=0"));
    }
    // A shop's code folder that holds a file is left alone.
    scrivi(shop + QStringLiteral("/code/bonifico.epg"), "mio");
    QFile::remove(shop + QStringLiteral("/code/bonifico/conf.ini"));
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    Recordset g(t.negozio.state.dbCatalogo, QStringLiteral("SELECT * FROM generale"));
    QCOMPARE(g.text(QStringLiteral("colonnevetrina")), QString());  // only Null is replaced
    QCOMPARE(g.value(QStringLiteral("vis_offerta")).toBool(), false);
    QVERIFY(!QFile::exists(shop + QStringLiteral("/code/bonifico/conf.ini")));
    QCOMPARE(leggi(shop + QStringLiteral("/code/bonifico.epg")), QByteArray("mio"));
}

void TestNegozio::codiceDaStatiLasciati_data()
{
    // What the shop folder holds before the upgrade's copy of the code
    // folder (a key ending in "/" is an empty folder), whether the code
    // folder then holds the program's files (without its top-level
    // scripts), and the shop's own files it holds besides or instead.
    QTest::addColumn<Albero>("prima");
    QTest::addColumn<bool>("completo");
    QTest::addColumn<Albero>("propri");
    const QByteArray conf = "action=vtorder\r\n";
    const QByteArray script = "#!/usr/bin/perl\n";
    QTest::newRow("no code folder") << Albero{} << true << Albero{};
    QTest::newRow("an empty code folder") << Albero{{"code/", {}}} << true << Albero{};
    // A code folder that holds anything was put there whole by the copy's
    // rename, or is the merchant's: never copied again.
    QTest::newRow("only sub-folders (no payment system set up): left alone")
        << Albero{{"code/bonifico/conf.ini", "vecchio"}, {"code/mio/nota.txt", "mia"}} << false
        << Albero{{"bonifico/", {}}, {"bonifico/conf.ini", "vecchio"}, {"mio/", {}}, {"mio/nota.txt", "mia"}};
    QTest::newRow("only an empty sub-folder: left alone") << Albero{{"code/mio/", {}}} << false
                                                         << Albero{{"mio/", {}}};
    QTest::newRow("only a hidden file: left alone") << Albero{{"code/.mio", "x"}} << false << Albero{{".mio", "x"}};
    QTest::newRow("a program script's name, the merchant's: left alone")
        << Albero{{"code/vtorder.pl", script}, {"code/bonifico/conf.ini", conf},
                  {"code/bonifico/.vt0123456789ab.vttmp", "mezzo"}}
        << false
        << Albero{{"vtorder.pl", script}, {"bonifico/", {}}, {"bonifico/conf.ini", conf},
                  {"bonifico/.vt0123456789ab.vttmp", "mezzo"}};
    QTest::newRow("the merchant's vtcarrello.js beside a system's files: kept")
        << Albero{{"code/vtcarrello.js", "x"}, {"code/bonifico.epg", "mio"}, {"code/bonifico/conf.ini", "scelto"}}
        << false << Albero{{"vtcarrello.js", "x"}, {"bonifico.epg", "mio"}, {"bonifico/", {}}, {"bonifico/conf.ini", "scelto"}};
    QTest::newRow("a new copy left half made")
        << Albero{{".code.nuova/bonifico/conf.ini", "mez"}, {".code.nuova/.vt0123456789ab.vttmp", "x"}} << true
        << Albero{};
    QTest::newRow("killed after the swap, the old folder beside: it goes")
        << Albero{{"code/bonifico/conf.ini", conf}, {".code.nuova/bonifico/conf.ini", "vecchio"}} << false
        << Albero{{"bonifico/", {}}, {"bonifico/conf.ini", conf}};
    QTest::newRow("set aside by a swap in two steps: put back")
        << Albero{{".code.vecchia/bonifico.epg", "mio"}, {".code.vecchia/bonifico/conf.ini", "scelto"}} << false
        << Albero{{"bonifico.epg", "mio"}, {"bonifico/", {}}, {"bonifico/conf.ini", "scelto"}};
    QTest::newRow("set aside, the new folder in place")
        << Albero{{".code.vecchia/bonifico.epg", "vecchio"}, {"code/bonifico.epg", "mio"}} << false
        << Albero{{"bonifico.epg", "mio"}};
    QTest::newRow("the shop's own file: left alone") << Albero{{"code/bonifico.epg", "mio"}} << false
                                                    << Albero{{"bonifico.epg", "mio"}};
    QTest::newRow("a script of the merchant's, not the program's: left alone")
        << Albero{{"code/mio.pl", script}, {"code/bonifico/conf.ini", "scelto"}} << false
        << Albero{{"mio.pl", script}, {"bonifico/", {}}, {"bonifico/conf.ini", "scelto"}};
}

void TestNegozio::codiceDaStatiLasciati()
{
    QFETCH(Albero, prima);
    QFETCH(bool, completo);
    QFETCH(Albero, propri);
    TestProgramFolder program;
    const QString shop = program.newShop();
    QDir(shop + QStringLiteral("/code")).removeRecursively();
    for (auto it = prima.cbegin(); it != prima.cend(); ++it)
        if (it.key().endsWith(u'/'))
            QVERIFY(QDir().mkpath(shop + u'/' + it.key()));
        else
            scrivi(shop + u'/' + it.key(), it.value());
    QString avviso;
    QVERIFY(CopiaCodiceNegozio(shop, &avviso));
    QCOMPARE(avviso, QString());
    Albero atteso = completo ? codiceAtteso() : Albero{};
    atteso.insert(propri);
    const QString code = shop + QStringLiteral("/code");
    QCOMPARE(albero(code), atteso);
    QCOMPARE(nascosti(shop), QStringList{});
    // Opened again: the same, nothing copied again (no file gets a new date).
    const QMap<QString, QDateTime> date = invecchia(code);
    QVERIFY(CopiaCodiceNegozio(shop, &avviso));
    QCOMPARE(avviso, QString());
    QCOMPARE(albero(code), atteso);
    QCOMPARE(invecchia(code, false), date);
    QCOMPARE(nascosti(shop), QStringList{});
}

void TestNegozio::codiceProtetto_data()
{
    // A code folder (its files, and whether it is protected from writing)
    // and what a hidden folder an earlier run left holds; whether the
    // copy is made, whether the opening says something, and the code
    // folder the shop keeps (nothing: as it was).
    QTest::addColumn<Albero>("prima");
    QTest::addColumn<bool>("protetta");
    QTest::addColumn<Albero>("avanzo");
    QTest::addColumn<bool>("copiata");
    QTest::addColumn<bool>("avviso");
    const QByteArray conf = "action=vtorder\r\n";
    QTest::newRow("empty and protected: left alone, said") << Albero{} << true << Albero{} << false << true;
    QTest::newRow("protected, with the systems' folders: left alone")
        << Albero{{"bonifico/conf.ini", conf}} << true << Albero{} << false << false;
    QTest::newRow("a protected copy left beside it by an earlier run: removed")
        << Albero{{"bonifico/conf.ini", conf}} << true << Albero{{"bonifico/conf.ini", conf}} << false << false;
    QTest::newRow("empty, a half copy beside it: copied")
        << Albero{} << false << Albero{{"bonifico/conf.ini", "mez"}} << true << false;
}

void TestNegozio::codiceProtetto()
{
    QFETCH(Albero, prima);
    QFETCH(bool, protetta);
    QFETCH(Albero, avanzo);
    QFETCH(bool, copiata);
    QFETCH(bool, avviso);
    TestProgramFolder program;
    const QString shop = program.newShop();
    const QString code = shop + QStringLiteral("/code");
    const QString nuova = shop + QStringLiteral("/.code.nuova");
    QVERIFY(QDir().mkpath(code));
    for (auto it = prima.cbegin(); it != prima.cend(); ++it)
        scrivi(code + u'/' + it.key(), it.value());
    for (auto it = avanzo.cbegin(); it != avanzo.cend(); ++it)
        scrivi(nuova + u'/' + it.key(), it.value());
    const QFile::Permissions lettura = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                       | QFile::ReadOther | QFile::ExeOther;
    // Protected as the merchant would, the hidden copy as an earlier run
    // copied it from a protected folder.
    QDirIterator cartelle(nuova, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (cartelle.hasNext())
        QVERIFY(QFile::setPermissions(cartelle.next(), lettura));
    if (protetta)
        QVERIFY(QFile::setPermissions(code, lettura));
    const auto libera = qScopeGuard([&] {
        QFile::setPermissions(code, lettura | QFile::WriteOwner);
        QFile::setPermissions(nuova, lettura | QFile::WriteOwner);
    });
    const Albero inizio = albero(code);

    for (int apertura = 0; apertura < 2; ++apertura) {
        NegozioDiProva t;
        QCOMPARE(t.apri(shop), int(Negozio::Aperto));
        QCOMPARE(albero(code), copiata ? codiceAtteso() : inizio);
        QCOMPARE(QFileInfo(code).permission(QFile::WriteOwner), !protetta);
        QCOMPARE(nascosti(shop), QStringList{});
        // One message at each opening, naming the folder.
        QCOMPARE(t.messages.texts().size(), avviso ? 1 : 0);
        if (avviso)
            QVERIFY2(t.messages.texts()[0].startsWith(QStringLiteral("La cartella dei codici del negozio '") + code
                                                      + QStringLiteral("' è vuota e protetta da scrittura")),
                     qPrintable(t.messages.texts()[0]));
    }
}

void TestNegozio::codiceDellaCartellaDelProgramma()
{
    // A shop that is the program folder keeps the program's code folder as
    // it is; an entry "code" that is no folder stays the merchant's.
    TestProgramFolder program;
    const Albero codice = albero(program.path() + QStringLiteral("/code"));
    QVERIFY(!CopiaCodiceNegozio(program.path()));
    QCOMPARE(albero(program.path() + QStringLiteral("/code")), codice);
    QCOMPARE(nascosti(program.path()), QStringList{});
    const QString shop = program.newShop();
    scrivi(shop + QStringLiteral("/code"), "mio");
    QVERIFY(!CopiaCodiceNegozio(shop));
    QCOMPARE(leggi(shop + QStringLiteral("/code")), QByteArray("mio"));
    QCOMPARE(nascosti(shop), QStringList{});
}

void TestNegozio::copiaDelCodiceUccisa()
{
    // The copy of the code folder killed (SIGKILL) at points spread over its
    // length, half of the runs on a shop without one, half on a shop whose
    // code folder is there but empty. After each kill the code folder is as
    // it was or complete, never in between, and the next opening leaves it
    // complete with nothing hidden beside it.
    TestProgramFolder program;
    // Enough files that a copy lasts a few milliseconds at least.
    for (int c = 0; c < 8; ++c)
        for (int f = 0; f < 15; ++f)
            scrivi(program.path() + QStringLiteral("/code/Sistema %1/parte%2.epg").arg(c).arg(f),
                   QByteArray(8192, char('a' + c)) + QByteArray::number(f));
    const QString shop = program.newShop();
    const QString code = shop + QStringLiteral("/code");
    const Albero completo = codiceAtteso();

    // How long a whole copy lasts here.
    std::vector<qint64> durate;
    for (int i = 0; i < 3; ++i) {
        QDir(code).removeRecursively();
        Copiatore c;
        QVERIFY(c.avvia(shop));
        c.via();
        durate.push_back(c.fine());
        QVERIFY(durate.back() > 0);
        QCOMPARE(albero(code), completo);
    }
    std::sort(durate.begin(), durate.end());
    qint64 durata = durate[1];

    // Kills until this many fell inside a copy, at points spread over the
    // copy's length; a run that ended before its kill gives the length
    // again (the machine's load changes it).
    constexpr int Uccisioni = 30;
    int interrotte = 0, prove = 0;
    for (; interrotte < Uccisioni && prove < 3 * Uccisioni; ++prove) {
        const bool vuota = prove % 2;
        QDir(code).removeRecursively();
        if (vuota)
            QVERIFY(QDir().mkdir(code));
        const Albero prima = albero(code);
        const Albero dopo = completo;
        Copiatore c;
        QVERIFY(c.avvia(shop));
        c.via();
        QThread::usleep(quint64(durata * (2 * (prove * 7 % Uccisioni) + 1) / (2 * Uccisioni)));
        c.uccidi();
        const qint64 finita = c.fine();
        if (finita > 0)
            durata = finita;
        const Albero lasciato = albero(code);
        QVERIFY2(lasciato == prima || lasciato == dopo,
                 qPrintable(QStringLiteral("run %1: the code folder holds %2 entries").arg(prove).arg(lasciato.size())));
        QVERIFY(vuota || QFileInfo::exists(code) == (lasciato == dopo));
        const QStringList avanzi = nascosti(shop);
        for (const QString &n : avanzi)
            QVERIFY2(n == QLatin1String(".code.nuova") || n == QLatin1String(".code.vecchia"), qPrintable(n));
        if (finita < 0 && !avanzi.isEmpty())
            ++interrotte;
        // The next opening.
        QVERIFY(CopiaCodiceNegozio(shop));
        QCOMPARE(albero(code), dopo);
        QCOMPARE(nascosti(shop), QStringList{});
    }
    qInfo("%d of %d kills fell inside a copy of about %lld us", interrotte, prove, durata);
    QVERIFY2(interrotte >= Uccisioni / 2, "too few kills fell inside a copy");
}

void TestNegozio::rinumerazioneDiMoltiArticoli()
{
    // Thousands of rows renumbered at once (their sort index is made again):
    // the table is numbered from 100 in steps of 5 in its sort order, each
    // department keeping its articles' order, and the index is there afterwards.
    TestProgramFolder program;
    const QString shop = program.newShop();
    QStringList atteso;
    {
        auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, 3, 700);
        // Scattered orders, with ties broken by storage order.
        db->execute(QStringLiteral("UPDATE articoli SET ordinamento = (ID * 7919) % 1000"));
        QSqlQuery q = db->run(QStringLiteral("SELECT codice FROM articoli ORDER BY catID, ordinamento, rowid"));
        while (q.next())
            atteso << q.value(0).toString();
        db->close();
    }
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    Database &db = *t.negozio.state.dbCatalogo;
    QStringList ordine;
    QSqlQuery q = db.run(QStringLiteral("SELECT codice, ordinamento FROM articoli ORDER BY catID, ordinamento"));
    qint64 prossimo = 100;
    while (q.next()) {
        ordine << q.value(0).toString();
        QCOMPARE(q.value(1).toLongLong(), prossimo);
        prossimo += 5;
    }
    QCOMPARE(ordine, atteso);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name='articoli_reparto'")).toInt(), 1);
    QCOMPARE(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

void TestNegozio::radiceSuUnaTabellaVuota()
{
    // Selecting the shop when no department is left leaves the busy flag clear.
    TestProgramFolder program;
    NegozioDiProva t;
    QCOMPARE(t.apri(program.newShop()), int(Negozio::Aperto));
    t.negozio.state.dbCatalogo->execute(QStringLiteral("DELETE FROM categorie"));
    t.dati().dataCategorie.refresh();
    t.dati().selezionaNodo(AlberoReparti::Radice);
    QVERIFY(!t.negozio.state.InAggiornamento);
    QCOMPARE(t.dati().repartoCorrente(), AlberoReparti::Radice);
    QCOMPARE(t.repartoCorrente, std::optional<bool>(false));
}

void TestNegozio::serverPathConSpaziECrLf_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("named");
    QTest::newRow("CR LF") << QByteArray("%1\r\naltro\r\n") << true;
    QTest::newRow("blanks around") << QByteArray("   %1  \r\n") << true;
    QTest::newRow("LF only") << QByteArray("%1\n") << true;
    QTest::newRow("no line end") << QByteArray("%1") << true;
    QTest::newRow("empty file") << QByteArray("") << false;
}

void TestNegozio::serverPathConSpaziECrLf()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, named);
    TestProgramFolder program;
    const QString shop = program.newShop(QStringLiteral("con spazio"));
    scrivi(ProgramFolder::serverPathFile(), QString::fromUtf8(content).replace(QStringLiteral("%1"), shop).toUtf8());
    const QString folder = Negozio::cartellaAvvio();
    QCOMPARE(folder, named ? shop : ProgramFolder::defaultShopFolder());
    if (!named)  // the default shop was made in the user's data folder
        QVERIFY(Negozio::eNegozio(ProgramFolder::defaultShopFolder()));
}

void TestNegozio::apriNegozioScriveServerPath()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    NegozioDiProva t;
    t.cartelle.push_back(shop);
    QVERIFY(t.negozio.ApriNegozio(QStringLiteral("*")));
    QCOMPARE(leggi(ProgramFolder::serverPathFile()), (shop + QStringLiteral("\r\n")).toUtf8());
    QCOMPARE(t.riavvii, 1);
    // Choosing the default shop removes the file instead.
    QVERIFY(Negozio::preparaNegozioPredefinito());
    QVERIFY(t.negozio.ApriNegozio(ProgramFolder::defaultShopFolder()));
    QVERIFY(!QFile::exists(ProgramFolder::serverPathFile()));
    // A cancelled picker changes nothing.
    QVERIFY(!t.negozio.ApriNegozio(QStringLiteral("*")));
    QCOMPARE(t.riavvii, 2);
}

void TestNegozio::ilNegozioPredefinitoNonToccaLaCartellaDelProgramma()
{
    TestProgramFolder program;
    // The default shop and serverpath.net live in the user's data folder;
    // the program folder only lends its empty shop.
    const QString shop = ProgramFolder::defaultShopFolder();
    QVERIFY(shop.startsWith(ProgramFolder::userFolder() + u'/'));
    QCOMPARE(ProgramFolder::serverPathFile(), ProgramFolder::userFolder() + QStringLiteral("/serverpath.net"));
    QCOMPARE(Negozio::cartellaAvvio(), shop);
    QVERIFY(Negozio::eNegozio(shop));
    QVERIFY(!QFile::exists(program.path() + QStringLiteral("/catalog.mdb")));
    QVERIFY(!QFile::exists(program.path() + QStringLiteral("/serverpath.net")));
    const QString other = program.newShop();
    NegozioDiProva t;
    QVERIFY(t.negozio.ApriNegozio(other));
    QCOMPARE(leggi(ProgramFolder::serverPathFile()), (other + QStringLiteral("\r\n")).toUtf8());
    QCOMPARE(Negozio::cartellaAvvio(), other);
}

void TestNegozio::nuovoNegozioDaNew()
{
    TestProgramFolder program;
    QTemporaryDir target;
    scrivi(target.filePath(QStringLiteral("mio.txt")), "resta");
    NegozioDiProva t;
    t.cartelle.push_back(target.path());
    t.negozio.NuovoNegozio();
    QVERIFY(t.messages.shown().empty());
    QVERIFY(Negozio::eNegozio(target.path()));
    QCOMPARE(leggi(target.filePath(QStringLiteral("mio.txt"))), QByteArray("resta"));
    QCOMPARE(t.riavvii, 1);
    // A folder that already holds a shop is refused before anything is copied.
    t.cartelle.push_back(target.path());
    t.negozio.NuovoNegozio();
    QCOMPARE(t.messages.texts(), QStringList{QStringLiteral("Nel percorso specificato è già presente un negozio")});
    QCOMPARE(t.riavvii, 1);
    NegozioDiProva opened;
    QCOMPARE(opened.apri(target.path()), int(Negozio::Aperto));
}

void TestNegozio::catalogoDelProprietario_data()
{
    // How the shop comes to be, the umask the program runs with, and the
    // mode its catalogue (which holds the FTP password) then has.
    QTest::addColumn<QString>("come");
    QTest::addColumn<int>("maschera");
    QTest::addColumn<int>("modo");
    for (const int maschera : {022, 002}) {
        const QByteArray m = QByteArray::number(maschera, 8).rightJustified(3, '0');
        QTest::addRow("nuovo negozio, umask %s", m.constData()) << "nuovo" << maschera << 0600;
        QTest::addRow("negozio predefinito dal demo, umask %s", m.constData()) << "demo" << maschera << 0600;
        QTest::addRow("negozio predefinito dal negozio vuoto, umask %s", m.constData()) << "vuoto" << maschera << 0600;
        QTest::addRow("negozio vuoto creato, umask %s", m.constData()) << "creato" << maschera << 0600;
        // The merchant's own choice stays, through the opening's upgrade.
        QTest::addRow("negozio esistente, umask %s", m.constData()) << "esistente" << maschera << 0644;
    }
}

void TestNegozio::catalogoDelProprietario()
{
    QFETCH(QString, come);
    QFETCH(int, maschera);
    QFETCH(int, modo);
    TestProgramFolder program;
    // The program folder's shops are read by every user of the program.
    const QString vuoto = program.path() + QStringLiteral("/new");
    const QString demo = program.path() + QStringLiteral("/demo");
    QVERIFY(CopiaCartella(vuoto, demo));
    for (const QString &c : {vuoto, demo})
        QVERIFY(QFile::setPermissions(c + QStringLiteral("/catalog.mdb"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    if (come == QLatin1String("vuoto"))
        QDir(demo).removeRecursively();
    const mode_t prima = ::umask(mode_t(maschera));
    const auto ripristina = qScopeGuard([prima] { ::umask(prima); });
    QTemporaryDir d;
    QString shop = d.filePath(QStringLiteral("negozio"));
    if (come == QLatin1String("nuovo")) {
        NegozioDiProva t;
        t.cartelle.push_back(shop);
        t.negozio.NuovoNegozio();
        QCOMPARE(t.riavvii, 1);
    } else if (come == QLatin1String("creato")) {
        CatalogSchema::createEmptyShop(shop);
    } else if (come == QLatin1String("esistente")) {
        shop = program.newShop();
        QVERIFY(QFile::setPermissions(shop + QStringLiteral("/catalog.mdb"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    } else {
        QVERIFY(Negozio::preparaNegozioPredefinito());
        shop = ProgramFolder::defaultShopFolder();
    }
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    t.negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET password='segreta'"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(shop + QStringLiteral("/catalog.mdb")).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), modo);
    // The program folder's own shops are left readable.
    QVERIFY(QFileInfo(vuoto + QStringLiteral("/catalog.mdb")).permission(QFile::ReadOther));
}

void TestNegozio::repartiInOrdineDiAlbero()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    {
        auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, 12, 0);
        // cat002 is moved before cat001 among the top-level departments.
        db->execute(QStringLiteral("UPDATE categorie SET ordinamento=0 WHERE ID='cat002'"));
        db->close();
    }
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    const AlberoReparti &tree = t.dati().tvwCategorie;
    const AlberoReparti::Nodo *root = tree.nodo(AlberoReparti::Radice);
    QVERIFY(root->aperto);
    QCOMPARE(root->testo, QStringLiteral("Negozio"));
    QStringList top;
    for (auto *c : root->figli)
        top << c->chiave;
    QCOMPARE(top.mid(0, 3), QStringList({"cat002", "cat001", "cat003"}));
    QCOMPARE(tree.nodo(QStringLiteral("cat010"))->padre->chiave, QStringLiteral("cat009"));
    QVERIFY(!tree.nodo(QStringLiteral("cat009"))->aperto);
    QVERIFY(t.dati().tvwCategorie.haReparti());
}

void TestNegozio::alberoDiUnCatalogoDanneggiato()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    {
        auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        db->execute(QStringLiteral("DELETE FROM categorie"));
        // A child stored before its parent, a Null title, an orphan, and a
        // parent cycle.
        const char *rows[][4] = {{"figlio", "padre", "1", "Figlio"}, {"padre", "###", "2", "Padre"},
                                 {"senza", "###", "1", nullptr},     {"orfano", "sparito", "2", "Orfano"},
                                 {"a", "b", "3", "A"},               {"b", "a", "3", "B"}};
        for (auto &r : rows)
            db->execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, titolo) "
                                       "VALUES (?, ?, ?, 1, ?)"),
                        {QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2]).toInt(),
                         r[3] ? QVariant(QString::fromLatin1(r[3])) : QVariant()});
        db->close();
    }
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    const AlberoReparti &tree = t.dati().tvwCategorie;
    QCOMPARE(tree.numeroNodi(), 7);
    QCOMPARE(tree.nodo(QStringLiteral("figlio"))->padre->chiave, QStringLiteral("padre"));
    QCOMPARE(tree.nodo(QStringLiteral("senza"))->testo, QString());
    QCOMPARE(tree.nodo(QStringLiteral("orfano"))->padre->chiave, AlberoReparti::Radice);
    QVERIFY(tree.contiene(QStringLiteral("a")) && tree.contiene(QStringLiteral("b")));
    // The orphan's place under the root is the tree's alone.
    QCOMPARE(t.negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT genitore FROM categorie WHERE ID='orfano'"))
                 .toString(),
             QStringLiteral("sparito"));
}

void TestNegozio::catenaDiRiposizionamento()
{
    TestProgramFolder program;
    const QString shop = program.newShop();
    {
        auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, 10, 3);
        db->execute(QStringLiteral("DELETE FROM articoli WHERE catID='cat002'"));
        db->close();
    }
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    DatiPrincipali &d = t.dati();
    QCOMPARE(d.dataArticoli.recordset().text(QStringLiteral("codice")), QStringLiteral("A1-1"));
    QCOMPARE(d.dataFratelli.recordset().recordCount(), 9);  // the top-level departments
    QCOMPARE(d.dataFratelli.recordset().text(QStringLiteral("ID")), QStringLiteral("cat001"));
    QCOMPARE(t.totale, QStringLiteral(" Articoli:  3 / 27"));

    // Moving the department reloads its articles and siblings, and selects its node.
    d.selezionaNodo(QStringLiteral("cat010"));
    QCOMPARE(d.dataArticoli.recordset().text(QStringLiteral("codice")), QStringLiteral("A10-1"));
    QCOMPARE(d.dataFratelli.recordset().recordCount(), 1);
    QCOMPARE(d.tvwCategorie.selezionato(), QStringLiteral("cat010"));
    QVERIFY(t.repartoCorrente.value_or(false));
    QVERIFY(t.articoloCorrente.value_or(false));

    d.selezionaNodo(QStringLiteral("cat002"));  // no articles
    QCOMPARE(t.negozio.state.ArticoliReparto, 0);
    QVERIFY(!t.articoloCorrente.value_or(true));
    QCOMPARE(t.totale, QStringLiteral(" Articoli:  0 / 27"));

    // The busy flag holds the chain still.
    {
        BusyFlag busy(t.negozio.state.InAggiornamento);
        d.dataCategorie.recordset().findFirst(QStringLiteral("ID"), QStringLiteral("cat003"));
    }
    QCOMPARE(d.dataArticoli.recordset().recordCount(), 0);
    QCOMPARE(d.tvwCategorie.selezionato(), QStringLiteral("cat002"));
    QVERIFY(!t.negozio.state.InAggiornamento);
    // An operation run inside another leaves the outer one busy.
    {
        BusyFlag esterna(t.negozio.state.InAggiornamento);
        { BusyFlag interna(t.negozio.state.InAggiornamento); }
        QVERIFY(t.negozio.state.InAggiornamento);
    }
    QVERIFY(!t.negozio.state.InAggiornamento);

    // The root: dataCategorie before its first row, no siblings, no articles.
    d.selezionaNodo(AlberoReparti::Radice);
    QVERIFY(d.dataCategorie.recordset().bof());
    QCOMPARE(d.repartoCorrente(), AlberoReparti::Radice);
    QCOMPARE(t.negozio.state.ArticoliReparto, -1);
    QCOMPARE(d.dataFratelli.recordset().recordCount(), 0);
    QCOMPARE(d.tvwCategorie.selezionato(), AlberoReparti::Radice);
    QVERIFY(!t.repartoCorrente.value_or(true));
    QCOMPARE(t.totale, QStringLiteral(" Articoli:  27"));

    // A move in the sibling list makes that sibling the current department.
    d.selezionaNodo(QStringLiteral("cat004"));
    d.dataFratelli.recordset().findFirst(QStringLiteral("ID"), QStringLiteral("cat005"));
    QCOMPARE(d.repartoCorrente(), QStringLiteral("cat005"));
    QCOMPARE(d.dataArticoli.recordset().text(QStringLiteral("codice")), QStringLiteral("A5-1"));
    QCOMPARE(d.dataFratelli.recordset().text(QStringLiteral("ID")), QStringLiteral("cat005"));
}

void TestNegozio::titoloScrittoDaiCampi()
{
    TestProgramFolder program;
    const QString shop = negozioPieno(program, 3, 1);
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    DatiPrincipali &d = t.dati();
    d.selezionaNodo(QStringLiteral("cat002"));
    CampoDiProva titolo(QStringLiteral("titolo")), note(QStringLiteral("note"));
    d.dataCategorie.collega(&titolo);
    d.dataCategorie.collega(&note);
    auto scollega = qScopeGuard([&] {
        d.dataCategorie.scollega(&titolo);
        d.dataCategorie.scollega(&note);
    });
    QSignalSpy testi(&d.tvwCategorie, &AlberoReparti::testoCambiato);
    const auto fratello = [&] { return d.dataFratelli.recordset().text(QStringLiteral("titolo")); };

    // Another field written: the tree and the sibling list stay as they are.
    note.scrivi(QStringLiteral("nota"));
    QVERIFY(d.dataCategorie.scriviModifiche(&note));
    QCOMPARE(testi.count(), 0);

    // The title written: the tree's node and the sibling list's row show it,
    // and the current department stays.
    titolo.scrivi(QStringLiteral("Tè verde"));
    QVERIFY(d.dataCategorie.scriviModifiche(&titolo));
    QCOMPARE(d.tvwCategorie.nodo(QStringLiteral("cat002"))->testo, QStringLiteral("Tè verde"));
    QCOMPARE(testi.count(), 1);
    QCOMPARE(d.dataFratelli.recordset().text(QStringLiteral("ID")), QStringLiteral("cat002"));
    QCOMPARE(fratello(), QStringLiteral("Tè verde"));
    QCOMPARE(d.repartoCorrente(), QStringLiteral("cat002"));
    QVERIFY(!t.negozio.state.InAggiornamento);

    // Written while the store holds the chain still (a move under way): the
    // tree shows it, and the busy flag is still held afterwards.
    {
        BusyFlag busy(t.negozio.state.InAggiornamento);
        titolo.scrivi(QStringLiteral("Tè nero"));
        QVERIFY(d.dataCategorie.scriviModifiche(&titolo));
        QVERIFY(t.negozio.state.InAggiornamento);
    }
    QCOMPARE(d.tvwCategorie.nodo(QStringLiteral("cat002"))->testo, QStringLiteral("Tè nero"));
    QCOMPARE(t.messages.shown().size(), size_t(0));
}

void TestNegozio::templateMancante_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("folder");
    const QString msg = QStringLiteral("Per costruire il negozio sarà necessario scegliere un template");
    QTest::newRow("set without models, cancelled") << "sparito" << "" << QStringList{"modello1"} << QStringList{msg}
                                                   << "template/sparito";
    // A name that is no plain folder name is no set, even where its path
    // leads to one: the build reads only the program's own sets.
    QTest::newRow("path to a set, cancelled") << "../template/classico" << "" << QStringList{"modello1"}
                                              << QStringList{msg} << "";
    QTest::newRow("path with a line break") << "classico\n" << "" << QStringList{"modello1"} << QStringList{msg}
                                            << "";
    QTest::newRow("no set, cancelled") << "" << "" << QStringList{"modello1"} << QStringList{} << "";
    QTest::newRow("no set, chosen") << "" << "classico" << QStringList{"modello1", "modello2"} << QStringList{}
                                    << "template/classico";
}

void TestNegozio::templateMancante()
{
    QFETCH(QString, set);
    QFETCH(QString, chosen);
    QFETCH(QStringList, models);
    QFETCH(QStringList, messages);
    QFETCH(QString, folder);
    TestProgramFolder program;
    const QString shop = program.newShop();
    {
        auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        db->execute(QStringLiteral("UPDATE generale SET template=?"), {set.isEmpty() ? QVariant() : QVariant(set)});
        db->close();
    }
    NegozioDiProva t;
    t.templateScelto = chosen;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    QCOMPARE(t.dati().cboTemplate, models);
    QCOMPARE(t.messages.texts(), messages);
    QCOMPARE(t.scelteTemplate, 1);
    QCOMPARE(t.negozio.state.CartellaTemplate, folder);
}

void TestNegozio::svuotaCartellaRifiuta_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("pages folder") << "online" << true;
    QTest::newRow("empty path") << "" << false;
    QTest::newRow("shop folder") << "." << false;
    QTest::newRow("the folder holding the shop") << ".." << false;
    QTest::newRow("program folder") << "program" << false;
    QTest::newRow("a template set") << "program/template/classico" << false;
    QTest::newRow("the program's scripts") << "program/code" << false;
    QTest::newRow("the shop's pictures") << "work" << false;
    QTest::newRow("inside the shop's pictures") << "work/sotto" << false;
    QTest::newRow("the shop's scripts and gateways") << "code" << false;
    QTest::newRow("another shop") << "altro" << false;
    QTest::newRow("the home folder") << "home" << false;
    QTest::newRow("the folder holding the home folder") << "home/.." << false;
    QTest::newRow("inside the home folder") << "home/sito" << true;
    // Taken from the folder the program was started from, which changes.
    QTest::newRow("a relative path to the pages folder") << "rel:online" << false;
}

void TestNegozio::svuotaCartellaRifiuta()
{
    QFETCH(QString, which);
    QFETCH(bool, emptied);
    TestProgramFolder program;
    // The shop lies outside the program folder, and the user's home folder
    // is a temporary one.
    QTemporaryDir fuori, casa;
    const QString shop = fuori.path() + QStringLiteral("/negozio"), other = fuori.path() + QStringLiteral("/altro");
    CopiaCartella(program.path() + QStringLiteral("/new"), shop);
    CopiaCartella(program.path() + QStringLiteral("/new"), other);
    const QByteArray home = qgetenv("HOME");
    QDir().mkpath(casa.path() + QStringLiteral("/utente"));
    qputenv("HOME", QFile::encodeName(casa.path() + QStringLiteral("/utente")));
    const auto ripristina = qScopeGuard([&] { qputenv("HOME", home); });
    QString folder = which == QLatin1String("program") ? program.path()
                     : which.startsWith(QLatin1String("program/")) ? program.path() + which.mid(7)
                     : which.startsWith(QLatin1String("home")) ? casa.path() + QStringLiteral("/utente") + which.mid(4)
                     : which == QLatin1String("altro") ? other
                     : which.isEmpty()                 ? QString()
                     : which.startsWith(QLatin1String("rel:")) ? QDir::current().relativeFilePath(shop + u'/' + which.mid(4))
                                                       : shop + u'/' + which;
    const QString probe = (folder.isEmpty() ? shop : folder) + QStringLiteral("/pagina.htm");
    scrivi(probe, "x");
    scrivi(shop + QStringLiteral("/online/sotto/resta.htm"), "x");
    scrivi(shop + QStringLiteral("/online/.nascosto"), "x");
    QCOMPARE(SvuotaCartella(folder, shop), emptied);
    QCOMPARE(QFile::exists(probe), !emptied);
    QVERIFY(QFile::exists(shop + QStringLiteral("/catalog.mdb")));
    QVERIFY(QFile::exists(shop + QStringLiteral("/online/sotto/resta.htm")));
    QVERIFY(QFile::exists(shop + QStringLiteral("/online/.nascosto")));
}

void TestNegozio::elencoFileECopia()
{
    QTemporaryDir src, dst;
    scrivi(src.filePath(QStringLiteral("a.gif")), "a");
    scrivi(src.filePath(QStringLiteral("sub/b.htm")), "b");
    scrivi(src.filePath(QStringLiteral("sub/deep/c.js")), "c");
    scrivi(src.filePath(QStringLiteral(".hidden/d.txt")), "d");
    scrivi(src.filePath(QStringLiteral(".e")), "e");
    const QStringList lines = ElencoFile(src.path()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(QSet<QString>(lines.begin(), lines.end()),
             QSet<QString>({"\\a.gif", ">\\sub", "\\sub\\b.htm", ">\\sub\\deep", "\\sub\\deep\\c.js"}));
    // A folder's entry comes before its contents.
    QVERIFY(lines.indexOf(">\\sub") < lines.indexOf("\\sub\\b.htm"));
    QVERIFY(lines.indexOf(">\\sub\\deep") < lines.indexOf("\\sub\\deep\\c.js"));
    QVERIFY(ElencoFile(src.path()).endsWith(QStringLiteral("\r\n")));
    scrivi(dst.filePath(QStringLiteral("a.gif")), "old");
    const auto eseguibile = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                            QFile::WriteUser | QFile::ExeUser;
    QVERIFY(QFile::setPermissions(src.filePath(QStringLiteral("sub/b.htm")), eseguibile));
    QVERIFY(CopiaCartella(src.path(), dst.path()));
    QCOMPARE(leggi(dst.filePath(QStringLiteral("a.gif"))), QByteArray("a"));
    QCOMPARE(QFile::permissions(dst.filePath(QStringLiteral("sub/b.htm"))), eseguibile);
    QCOMPARE(leggi(dst.filePath(QStringLiteral("sub/deep/c.js"))), QByteArray("c"));
    QVERIFY(!QFile::exists(dst.filePath(QStringLiteral(".hidden/d.txt"))));
    QTemporaryDir empty;
    QCOMPARE(ElencoFile(empty.path()), QString());
    // A file is replaced only by a finished copy: a copy onto itself (a shop
    // that is the program folder copying its code folder) loses nothing.
    CopiaCartella(dst.path() + QStringLiteral("/sub"), dst.path() + QStringLiteral("/sub"));
    QCOMPARE(leggi(dst.filePath(QStringLiteral("sub/b.htm"))), QByteArray("b"));
    QCOMPARE(leggi(dst.filePath(QStringLiteral("sub/deep/c.js"))), QByteArray("c"));
    QCOMPARE(QDir(dst.filePath(QStringLiteral("sub"))).entryList(QDir::Files | QDir::Hidden), QStringList{"b.htm"});
}

void TestNegozio::vaiArticolo_data()
{
    // How the article A10-2 is changed after it was found, and what
    // VaiArticolo then reports.
    QTest::addColumn<QString>("modifica");
    QTest::addColumn<int>("esito");
    using E = Negozio::EsitoArticolo;
    QTest::newRow("in its department") << "" << int(E::Mostrato);
    QTest::newRow("deleted") << "DELETE FROM articoli WHERE codice='A10-2'" << int(E::Inesistente);
    QTest::newRow("in no department") << "UPDATE articoli SET catID='###' WHERE codice='A10-2'" << int(E::SenzaReparto);
    QTest::newRow("its department gone") << "UPDATE articoli SET catID='cat999' WHERE codice='A10-2'"
                                         << int(E::SenzaReparto);
    QTest::newRow("department Null") << "UPDATE articoli SET catID=NULL WHERE codice='A10-2'" << int(E::SenzaReparto);
}

void TestNegozio::vaiArticolo()
{
    QFETCH(QString, modifica);
    QFETCH(int, esito);
    TestProgramFolder program;
    const QString shop = negozioPieno(program, 10, 2);
    NegozioDiProva t;
    QCOMPARE(t.apri(shop), int(Negozio::Aperto));
    const DatabasePtr db = t.negozio.state.dbCatalogo;
    const qint64 id = db->scalar(QStringLiteral("SELECT ID FROM articoli WHERE codice='A10-2'")).toLongLong();
    if (!modifica.isEmpty())
        db->execute(modifica);
    DatiPrincipali &d = t.dati();
    const QString prima = d.repartoCorrente();
    QCOMPARE(int(t.negozio.VaiArticolo(id)), esito);
    if (esito == int(Negozio::EsitoArticolo::Mostrato)) {
        QCOMPARE(d.repartoCorrente(), QStringLiteral("cat010"));
        QCOMPARE(d.tvwCategorie.selezionato(), QStringLiteral("cat010"));
        QCOMPARE(d.dataArticoli.recordset().text(QStringLiteral("codice")), QStringLiteral("A10-2"));
        QCOMPARE(t.articoloRaggiunto, id);
    } else {
        // Nothing moves, nothing is announced.
        QCOMPARE(d.repartoCorrente(), prima);
        QCOMPARE(d.tvwCategorie.selezionato(), prima);
        QCOMPARE(t.articoloRaggiunto, 0);
    }
    QCOMPARE(int(t.negozio.VaiArticolo(999999)), int(Negozio::EsitoArticolo::Inesistente));
}

void TestNegozio::negozioInSolaLettura()
{
    // A shop on a read-only disk opens, says so once, and refuses every
    // change with a clear reason.
    TestProgramFolder program;
    const QString disco = program.path() + QStringLiteral("/disco");
    FileSystemPiccolo fs(disco, 4096);
    if (!fs.montato())
        QSKIP("a small file system cannot be mounted here");
    CopiaCartella(program.newShop(), disco + QStringLiteral("/negozio"));
    if (!fs.soloLettura())
        QSKIP("the file system cannot be made read-only here");
    NegozioDiProva t;
    QCOMPARE(t.apri(disco + QStringLiteral("/negozio")), int(Negozio::Aperto));
    QCOMPARE(t.messages.texts().size(), 1);
    QVERIFY2(t.messages.texts()[0].contains(QStringLiteral("sola lettura")), qPrintable(t.messages.texts()[0]));
    Recordset &g = t.dati().dataGenerale.recordset();
    try {
        g.edit();
        g.setValue(QStringLiteral("titolo"), QStringLiteral("nuovo"));
        g.update();
        QFAIL("a read-only shop took a change");
    } catch (const DbError &e) {
        g.cancelUpdate();
        QCOMPARE(e.number, DbErr::NotUpdatable);
        QVERIFY(e.description.contains(QStringLiteral("sola lettura")));
    }
    t.negozio.ChiudiNegozio();
}

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--hold") {
        QCoreApplication app(argc, argv);
        return holdMain(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && QByteArray(argv[1]) == "--copia-codice") {
        QCoreApplication app(argc, argv);
        return copiaMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestNegozio t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_negozio.moc"
