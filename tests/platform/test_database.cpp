// The database layer on real SQLite files: opening rules, field kinds,
// transactions and the recordset's current-row model.
#include "currency.h"
#include "database.h"
#include "guastidb.h"
#include "recordset.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

DatabaseDef sampleDef()
{
    DatabaseDef d;
    TableDef t{"t", {{"ID", FieldType::AutoNumber},
                     {"nome", FieldType::Text, 10},
                     {"rigido", FieldType::Text, 10, false},
                     {"note", FieldType::Memo},
                     {"n", FieldType::Long},
                     {"corto", FieldType::Integer},
                     {"prezzo", FieldType::Currency},
                     {"flag", FieldType::Boolean},
                     {"peso", FieldType::Single},
                     {"quando", FieldType::DateTime}},
               {}};
    d.tables = {t};
    return d;
}

// The test program run as a second process that holds a file exclusively
// until its standard input closes.
int holdMain(const QString &path)
{
    try {
        auto db = Database::open(path, Database::Access::Exclusive);
        std::fputs("held\n", stdout);
        std::fflush(stdout);
        char buf[8];
        while (std::fgets(buf, sizeof buf, stdin)) {
        }
    } catch (const DbError &e) {
        std::fprintf(stdout, "error %d\n", e.number);
        return 1;
    }
    return 0;
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openingNeverCreatesAFile();
    void damagedFileIsToldApartFromInUse();
    void secondProcessFindsTheShopInUse();
    void sameThreadSharesTheExclusiveConnection();
    void fieldKindsAreEnforced_data();
    void fieldKindsAreEnforced();
    void nullIsNotEmpty();
    void currencyIsExact();
    void autoNumberIsNeverReused();
    void nestedTransactionsRollBackTheirOwnPart();
    void refusedCommit_data();
    void refusedCommit();
    void emptyRecordsetIsAtBofAndEof();
    void movesFollowBofEofRules();
    void findKeepsPositionOnNoMatch();
    void findDuringAnEditReadsTheRows();
    void addNewLeavesTheCurrentRow();
    void editWritesThroughAndRequerySeesIt();
    void removeAndClone();
    void textComparisonIgnoresCase();
    void redefineFieldAllowsEmptyText();
    void directReadIsTheQueryLayers_data();
    void directReadIsTheQueryLayers();

private:
    QTemporaryDir *m_dir = nullptr;
    DatabasePtr m_db;
    QString m_path;
};

void TestDatabase::init()
{
    m_dir = new QTemporaryDir;
    m_path = m_dir->filePath(QStringLiteral("prova.mdb"));
    m_db = Database::create(m_path, sampleDef());
}

void TestDatabase::cleanup()
{
    if (m_db)
        m_db->close();
    m_db.reset();
    delete m_dir;
}

void TestDatabase::openingNeverCreatesAFile()
{
    const QString missing = m_dir->filePath(QStringLiteral("manca.mdb"));
    try {
        Database::open(missing);
        QFAIL("a missing file was opened");
    } catch (const DbError &e) {
        QCOMPARE(e.number, DbErr::FileNotFound);
    }
    QVERIFY(!QFile::exists(missing));
}

void TestDatabase::damagedFileIsToldApartFromInUse()
{
    const QString bad = m_dir->filePath(QStringLiteral("rotto.mdb"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    try {
        Database::open(bad, Database::Access::Exclusive);
        QFAIL("a damaged file was opened");
    } catch (const DbError &e) {
        QCOMPARE(e.number, DbErr::Damaged);
        QVERIFY(!e.inUse());
    }
}

void TestDatabase::secondProcessFindsTheShopInUse()
{
    m_db->close();
    m_db.reset();
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), m_path});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));
    for (auto access : {Database::Access::Shared, Database::Access::Exclusive}) {
        try {
            Database::open(m_path, access);
            QFAIL("the file was opened while another process held it");
        } catch (const DbError &e) {
            QVERIFY2(e.inUse(), qPrintable(e.description));
        }
    }
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(10000));
    m_db = Database::open(m_path, Database::Access::Exclusive);  // free again
}

void TestDatabase::sameThreadSharesTheExclusiveConnection()
{
    m_db->close();
    m_db = Database::open(m_path, Database::Access::Exclusive);
    auto again = Database::open(m_path);
    QCOMPARE(again.get(), m_db.get());
    Recordset rs(again, QStringLiteral("SELECT * FROM t"));
    QVERIFY(rs.eof());
}

void TestDatabase::fieldKindsAreEnforced_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("error");  // 0: accepted
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("text fits") << "nome" << QVariant("0123456789") << 0 << QVariant("0123456789");
    QTest::newRow("text too long") << "nome" << QVariant("01234567890") << DbErr::FieldTooSmall << QVariant();
    QTest::newRow("accented letters count once") << "nome" << QVariant("àèìòùàèìòù") << 0 << QVariant("àèìòùàèìòù");
    QTest::newRow("number in text") << "nome" << QVariant(12) << 0 << QVariant("12");
    QTest::newRow("empty refused") << "rigido" << QVariant("") << DbErr::EmptyNotAllowed << QVariant();
    QTest::newRow("text in long") << "n" << QVariant("abc") << DbErr::ConversionError << QVariant();
    QTest::newRow("numeric text in long") << "n" << QVariant("42") << 0 << QVariant(42);
    QTest::newRow("long rounds half to even") << "n" << QVariant(2.5) << 0 << QVariant(2);
    QTest::newRow("integer overflow") << "corto" << QVariant(40000) << DbErr::NumericOverflow << QVariant();
    QTest::newRow("currency overflow") << "prezzo" << QVariant(1e20) << DbErr::NumericOverflow << QVariant();
    QTest::newRow("large currency") << "prezzo" << QVariant(900000000000000.0) << 0
                                    << QVariant::fromValue(Currency::fromRaw(9000000000000000000LL));
    QTest::newRow("single overflow") << "peso" << QVariant(1e39) << DbErr::NumericOverflow << QVariant();
    QTest::newRow("boolean true") << "flag" << QVariant(true) << 0 << QVariant(true);
    QTest::newRow("boolean from -1") << "flag" << QVariant(-1) << 0 << QVariant(true);
    QTest::newRow("single precision") << "peso" << QVariant(0.1) << 0 << QVariant(double(0.1f));
    QTest::newRow("currency from text") << "prezzo" << QVariant("12.3456") << 0
                                        << QVariant::fromValue(Currency::fromRaw(123456));
    QTest::newRow("currency from bad text") << "prezzo" << QVariant("12,5") << DbErr::ConversionError << QVariant();
}

void TestDatabase::fieldKindsAreEnforced()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, error);
    QFETCH(QVariant, stored);
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t"));
    rs.addNew();
    rs.setValue(QStringLiteral("rigido"), QStringLiteral("x"));
    try {
        rs.setValue(field, value);
        rs.update();
        QCOMPARE(error, 0);
    } catch (const DbError &e) {
        QCOMPARE(e.number, error);
        return;
    }
    rs.setBookmark(rs.lastModified());
    const QVariant v = rs.value(field);
    if (stored.metaType() == QMetaType::fromType<Currency>())
        QCOMPARE(v.value<Currency>(), stored.value<Currency>());
    else
        QCOMPARE(v, stored);
}

void TestDatabase::nullIsNotEmpty()
{
    m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome, note) VALUES ('a', NULL, '')"));
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t"));
    QVERIFY(!rs.value(QStringLiteral("nome")).isValid());
    QVERIFY(rs.value(QStringLiteral("note")).isValid());
    QCOMPARE(rs.value(QStringLiteral("note")).toString(), QString());
    QCOMPARE(rs.text(QStringLiteral("nome")), QString());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM t WHERE note IS NULL")).toInt(), 0);
}

void TestDatabase::currencyIsExact()
{
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t"));
    for (int i = 0; i < 10; ++i) {
        rs.addNew();
        rs.setValue(QStringLiteral("rigido"), QStringLiteral("x"));
        rs.setValue(QStringLiteral("prezzo"), QVariant::fromValue(*Currency::parse(QStringLiteral("0.1"))));
        rs.update();
    }
    // Ten times 0.1 is exactly 1 when summed in storage form.
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT sum(prezzo) FROM t")).toLongLong(), 10000);
    QCOMPARE(Currency::fromRaw(10000).toString(), QStringLiteral("1"));
    QCOMPARE(Currency::parse(QStringLiteral("-0.00005"))->raw, -1);  // half away from zero
    QCOMPARE(Currency::parse(QStringLiteral("1234567.891"))->toString(), QStringLiteral("1234567.891"));
}

void TestDatabase::autoNumberIsNeverReused()
{
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t"));
    rs.addNew();
    const qint64 first = rs.value(QStringLiteral("ID")).toLongLong();  // readable before update
    rs.setValue(QStringLiteral("rigido"), QStringLiteral("x"));
    rs.update();
    rs.setBookmark(rs.lastModified());
    QCOMPARE(rs.value(QStringLiteral("ID")).toLongLong(), first);
    rs.remove();
    rs.addNew();
    QVERIFY(rs.value(QStringLiteral("ID")).toLongLong() > first);
    rs.cancelUpdate();
    rs.addNew();  // a cancelled addition used its number too
    QCOMPARE(rs.value(QStringLiteral("ID")).toLongLong(), first + 2);
}

void TestDatabase::nestedTransactionsRollBackTheirOwnPart()
{
    m_db->beginTrans();
    m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('uno')"));
    m_db->beginTrans();
    m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('due')"));
    m_db->rollback();
    QCOMPARE(m_db->transactionDepth(), 1);
    m_db->commitTrans();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(rigido) FROM t")).toString(), QStringLiteral("uno"));
    m_db->beginTrans();
    m_db->execute(QStringLiteral("DELETE FROM t"));
    m_db->rollback();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM t")).toInt(), 1);
}

// A refused COMMIT closes nothing by itself: the depth and the guards follow
// what the engine did, so a transaction still open can be committed once
// mended, and one the engine rolled back is never reported as committed.
void TestDatabase::refusedCommit_data()
{
    QTest::addColumn<QString>("guasto");
    QTest::addColumn<bool>("annidata");  // the row written inside a savepoint released first
    QTest::addColumn<bool>("annullata"); // the engine rolled the transaction back
    for (const bool annidata : {false, true}) {
        const char *dove = annidata ? ", dopo un savepoint" : "";
        QTest::addRow("commit hook%s", dove) << "hook" << annidata << true;
        QTest::addRow("chiave differita%s", dove) << "chiave" << annidata << false;
        QTest::addRow("RAISE(ROLLBACK) in una scrittura%s", dove) << "trigger" << annidata << true;
    }
}

void TestDatabase::refusedCommit()
{
    QFETCH(QString, guasto);
    QFETCH(bool, annidata);
    QFETCH(bool, annullata);
    const auto righe = [this] { return m_db->scalar(QStringLiteral("SELECT count(*) FROM t")).toInt(); };
    std::optional<CommitRifiutato> hook;
    CommitSospeso chiave(*m_db);
    if (guasto == QLatin1String("hook"))
        hook.emplace(*m_db);
    if (guasto == QLatin1String("trigger"))
        m_db->execute(QStringLiteral("CREATE TEMP TRIGGER guasto BEFORE INSERT ON t WHEN NEW.rigido='due' "
                                     "BEGIN SELECT RAISE(ROLLBACK, 'disco pieno'); END"));
    Transazione esterna(*m_db);
    {
        std::optional<Transazione> interna;
        if (annidata)
            interna.emplace(*m_db);
        m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('uno')"));
        if (guasto == QLatin1String("chiave"))
            chiave.guasta();
        if (guasto == QLatin1String("trigger"))
            QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('due')")));
        if (interna && interna->aperta())
            interna->commit();
        QVERIFY(!interna || !interna->aperta());
    }
    if (guasto != QLatin1String("trigger"))
        QVERIFY_THROWS_EXCEPTION(DbError, esterna.commit());
    QCOMPARE(esterna.aperta(), !annullata);
    QCOMPARE(m_db->transactionDepth(), annullata ? 0 : 1);
    QCOMPARE(righe(), annullata ? 0 : 1);
    if (annullata) {
        // Committing again never reports a success, and the connection is
        // free for the next transaction.
        QVERIFY_THROWS_EXCEPTION(DbError, esterna.commit());
        QVERIFY(!esterna.aperta());
        hook.reset();
        Transazione dopo(*m_db);
        m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('tre')"));
        dopo.commit();
        QCOMPARE(m_db->transactionDepth(), 0);
        QCOMPARE(righe(), 1);
    } else {
        // Still open: mended, the same transaction commits what it holds.
        chiave.ripara();
        esterna.commit();
        QVERIFY(!esterna.aperta());
        QCOMPARE(m_db->transactionDepth(), 0);
        QCOMPARE(righe(), 1);
    }
}

void TestDatabase::emptyRecordsetIsAtBofAndEof()
{
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t"));
    QVERIFY(rs.bof());
    QVERIFY(rs.eof());
    QCOMPARE(rs.recordCount(), 0);
    QVERIFY_THROWS_EXCEPTION(DbError, rs.moveFirst());
    QVERIFY_THROWS_EXCEPTION(DbError, rs.value(QStringLiteral("nome")));
}

void TestDatabase::movesFollowBofEofRules()
{
    for (const char *n : {"a", "b", "c"})
        m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome) VALUES ('x', ?)"), {QString::fromLatin1(n)});
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t ORDER BY nome"));
    int repositions = 0;
    rs.onReposition = [&] { ++repositions; };
    QCOMPARE(rs.text(QStringLiteral("nome")), QStringLiteral("a"));  // opens on the first row
    rs.movePrevious();
    QVERIFY(rs.bof());
    QVERIFY(!rs.eof());
    QVERIFY_THROWS_EXCEPTION(DbError, rs.movePrevious());
    rs.moveNext();
    QCOMPARE(rs.text(QStringLiteral("nome")), QStringLiteral("a"));
    rs.moveLast();
    QCOMPARE(rs.absolutePosition(), 2);
    rs.moveNext();
    QVERIFY(rs.eof());
    QVERIFY_THROWS_EXCEPTION(DbError, rs.moveNext());
    QCOMPARE(repositions, 4);
    QCOMPARE(rs.recordCount(), 3);
}

void TestDatabase::findKeepsPositionOnNoMatch()
{
    for (const char *n : {"a", "b", "b"})
        m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome) VALUES ('x', ?)"), {QString::fromLatin1(n)});
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t ORDER BY ID"));
    QVERIFY(rs.findFirst(QStringLiteral("nome"), QStringLiteral("B")));
    const auto first = rs.bookmark();
    auto isB = [](const Recordset &r) { return r.text(QStringLiteral("nome")) == QLatin1String("b"); };
    QVERIFY(rs.findNext(isB));
    QVERIFY(rs.bookmark() != first);
    QVERIFY(!rs.findNext(isB));
    QVERIFY(rs.noMatch());
    QVERIFY(rs.bookmark() != first);  // stayed on the second "b"
    QVERIFY(rs.findPrevious(isB));
    QCOMPARE(rs.bookmark(), first);
}

void TestDatabase::findDuringAnEditReadsTheRows()
{
    for (const char *n : {"a", "b", "c"})
        m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome) VALUES ('x', ?)"), {QString::fromLatin1(n)});
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t ORDER BY nome"));
    rs.moveNext();
    // A search while a row is being edited compares the stored rows, not the
    // pending values, and leaves the edit unsaved.
    rs.edit();
    rs.setValue(QStringLiteral("nome"), QStringLiteral("z"));
    QVERIFY(rs.findFirst(QStringLiteral("nome"), QStringLiteral("c")));
    QCOMPARE(rs.text(QStringLiteral("nome")), QStringLiteral("c"));
    QVERIFY(!rs.editing());
    rs.edit();
    rs.setValue(QStringLiteral("nome"), QStringLiteral("a"));
    QVERIFY(!rs.findFirst(QStringLiteral("nome"), QStringLiteral("z")));
    QVERIFY(rs.findFirst(QStringLiteral("nome"), QStringLiteral("a")));
    QCOMPARE(rs.absolutePosition(), 0);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(nome, ',') FROM t")).toString(), QStringLiteral("a,b,c"));
}

void TestDatabase::addNewLeavesTheCurrentRow()
{
    m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome) VALUES ('x', 'primo')"));
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t WHERE nome=?"), {QStringLiteral("primo")});
    rs.addNew();
    rs.setValue(QStringLiteral("rigido"), QStringLiteral("y"));
    rs.setValue(QStringLiteral("nome"), QStringLiteral("nuovo"));
    rs.update();
    QCOMPARE(rs.text(QStringLiteral("nome")), QStringLiteral("primo"));
    QCOMPARE(rs.recordCount(), 2);  // the new row joins the set until a requery
    rs.setBookmark(rs.lastModified());
    QCOMPARE(rs.text(QStringLiteral("nome")), QStringLiteral("nuovo"));
    rs.requery();
    QCOMPARE(rs.recordCount(), 1);
}

void TestDatabase::editWritesThroughAndRequerySeesIt()
{
    m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome) VALUES ('x', 'vecchio')"));
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t"));
    rs.edit();
    rs.setValue(QStringLiteral("nome"), QStringLiteral("nuovo"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT nome FROM t")).toString(), QStringLiteral("vecchio"));
    rs.update();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT nome FROM t")).toString(), QStringLiteral("nuovo"));
    Recordset count(m_db, QStringLiteral("SELECT COUNT(*) AS n FROM t"));
    QCOMPARE(count.value(QStringLiteral("n")).toInt(), 1);
    QVERIFY_THROWS_EXCEPTION(DbError, count.edit());  // not updatable

    // A row deleted meanwhile by another way is not reported as saved.
    rs.edit();
    rs.setValue(QStringLiteral("nome"), QStringLiteral("perso"));
    m_db->execute(QStringLiteral("DELETE FROM t"));
    try {
        rs.update();
        QFAIL("the update of a deleted row succeeded");
    } catch (const DbError &e) {
        QCOMPARE(e.number, DbErr::RecordDeleted);
    }
}

void TestDatabase::removeAndClone()
{
    for (const char *n : {"a", "b", "c"})
        m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome) VALUES ('x', ?)"), {QString::fromLatin1(n)});
    Recordset rs(m_db, QStringLiteral("SELECT * FROM t ORDER BY nome"));
    Recordset copy = rs.clone();
    copy.moveLast();
    QCOMPARE(rs.text(QStringLiteral("nome")), QStringLiteral("a"));  // a position of its own
    rs.moveNext();
    rs.remove();
    QVERIFY_THROWS_EXCEPTION(DbError, rs.value(QStringLiteral("nome")));
    rs.moveNext();
    QCOMPARE(rs.text(QStringLiteral("nome")), QStringLiteral("c"));
    QCOMPARE(copy.recordCount(), 2);  // the clone shares the rows
    copy.moveFirst();
    copy.moveNext();
    QCOMPARE(copy.text(QStringLiteral("nome")), QStringLiteral("c"));
}

void TestDatabase::textComparisonIgnoresCase()
{
    for (const char *n : {"Èlite", "èlite", "beta", "Alfa"})
        m_db->execute(QStringLiteral("INSERT INTO t (rigido, nome) VALUES ('x', ?)"), {QString::fromUtf8(n)});
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM t WHERE nome=?"), {QStringLiteral("ÈLITE")}).toInt(), 2);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(nome, ',') FROM (SELECT nome FROM t ORDER BY nome, ID)"))
                 .toString(),
             QStringLiteral("Alfa,beta,Èlite,èlite"));
}

void TestDatabase::redefineFieldAllowsEmptyText()
{
    FieldDef f = m_db->tableInfo(QStringLiteral("t")).column(QStringLiteral("rigido"))->definition();
    QVERIFY(!f.allowEmpty);
    m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('pieno')"));
    f.allowEmpty = true;
    f.defaultValue = QStringLiteral("z");
    m_db->redefineField(QStringLiteral("t"), f);
    m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('')"));
    m_db->execute(QStringLiteral("INSERT INTO t (nome) VALUES ('n')"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(rigido, ',') FROM t")).toString(), QStringLiteral("pieno,,z"));
    QVERIFY(m_db->tableInfo(QStringLiteral("t")).column(QStringLiteral("rigido"))->allowEmpty);
    QCOMPARE(m_db->scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--hold")
        return holdMain(QString::fromLocal8Bit(argv[2]));
    TestDatabase t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_database.moc"

void TestDatabase::directReadIsTheQueryLayers_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("every kind of field") << "SELECT * FROM t";
    QTest::newRow("values of no field") << "SELECT nome AS \"t.nome\", n + 1 AS piu, n / 2.0 AS mezzo, X'00ff' AS byte, "
                                           "NULL AS niente, CAST(n AS TEXT) AS cifre FROM t";
    QTest::newRow("no rows") << "SELECT * FROM t WHERE n = 99";
}

void TestDatabase::directReadIsTheQueryLayers()
{
    // A query without parameters is read straight from the engine, one with
    // them through the query layer: the same names, values and kinds.
    QFETCH(QString, sql);
    m_db->execute(QStringLiteral("INSERT INTO t (nome, rigido, note, n, corto, prezzo, flag, peso, quando) VALUES "
                                 "('caffè', 'x', 'riga\r\nseconda', 7, -3, 123456, -1, 0.25, '2024-01-02T03:04:05')"));
    m_db->execute(QStringLiteral("INSERT INTO t (rigido) VALUES ('y')"));  // the rest Null or default
    m_db->execute(QStringLiteral("INSERT INTO t (nome, rigido, n) VALUES ('', 'z', 0)"));
    const bool conWhere = sql.contains(QLatin1String("WHERE"));
    Recordset diretto(m_db, sql);
    Recordset mediato(m_db, sql + (conWhere ? QStringLiteral(" AND ? = 1") : QStringLiteral(" WHERE ? = 1")), {1});
    QCOMPARE(diretto.fieldNames(), mediato.fieldNames());
    QCOMPARE(diretto.recordCount(), mediato.recordCount());
    for (int riga = 0; riga < diretto.recordCount(); ++riga)
        for (int c = 0; c < diretto.fieldNames().size(); ++c) {
            const QVariant a = diretto.valueAt(riga, c), b = mediato.valueAt(riga, c);
            QVERIFY2(a.metaType() == b.metaType() && a.isNull() == b.isNull() && a == b,
                     qPrintable(diretto.fieldNames()[c] + QStringLiteral(": ") + a.toString() + u' ' +
                                QString::fromLatin1(a.metaType().name()) + QStringLiteral(" / ") + b.toString() +
                                u' ' + QString::fromLatin1(b.metaType().name())));
        }
    // A failure is the same error either way.
    for (const QVariantList &parametri : {QVariantList{}, QVariantList{1}}) {
        try {
            Recordset(m_db, QStringLiteral("SELECT * FROM manca") + (parametri.isEmpty() ? QString() : QStringLiteral(" WHERE ? = 1")),
                      parametri);
            QFAIL("a missing table was read");
        } catch (const DbError &e) {
            QCOMPARE(e.number, DbErr::NoSuchTable);
        }
    }
}
