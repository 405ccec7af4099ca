#pragma once
// The database layer: one SQLite connection per database file per thread,
// shared by every recordset and data source of that file. Errors are thrown
// as DbError with the engine numbers the rest of the program reacts to.
#include "schema.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

// Error numbers, as the catalogue engine numbered them.
namespace DbErr {
constexpr int Generic = 3000;
constexpr int NoCurrentRecord = 3021;
constexpr int RecordDeleted = 3167;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int InUse = 3045;          // the file is open elsewhere
constexpr int InUseExclusive = 3356; // opened exclusively by another user
constexpr int FieldTooSmall = 3163;
constexpr int NullNotAllowed = 3314;
constexpr int EmptyNotAllowed = 3315;
constexpr int ConversionError = 3421;
constexpr int NumericOverflow = 3349;  // a number beyond the field's range
constexpr int CancelledByBoundField = 3426;  // a bound field's pending edit could not be saved
constexpr int NotUpdatable = 3027;
constexpr int NoSuchTable = 3078;
constexpr int NoSuchField = 3265;
constexpr int NotInEditMode = 3020;
constexpr int Damaged = 3343;        // not a database, or damaged
}

class DbError : public std::runtime_error {
public:
    DbError(int number, const QString &description, const QString &campo = {});
    int number;
    QString description;
    QString campo;  // the field whose value was refused, when known
    bool inUse() const { return number == DbErr::InUse || number == DbErr::InUseExclusive; }
};

// What to tell the merchant about a failure: the engine's text for a
// database error, the exception's own text otherwise.
QString testoErrore(const std::exception &e);

struct ColumnInfo {
    QString name;
    FieldType type = FieldType::Memo;
    int size = 0;
    bool known = false;  // declared type understood by the layer
    QVariant defaultValue;  // as stored; invalid: none
    bool allowEmpty = true;
    bool exact = false;
    FieldDef definition() const;  // the column as a field definition
};

struct TableInfo {
    QString name;
    std::vector<ColumnInfo> columns;
    QHash<QString, int> index;  // lower-case name -> column
    QString autoNumber;         // name of the AutoNumber column, if any
    const ColumnInfo *column(const QString &n) const;
};

struct sqlite3_stmt;

class Database : public std::enable_shared_from_this<Database> {
public:
    enum class Access { Shared, Exclusive };

    // Opens an existing file; never creates one. Within one thread a second
    // open of the same file returns the connection already open.
    static std::shared_ptr<Database> open(const QString &path, Access access = Access::Shared);
    // Who may read a file that create makes: everyone the umask allows, or
    // its owner only (a file that holds a password; its journal takes the
    // same mode).
    enum class Lettori { Tutti, Proprietario };
    // Creates a new file with the given tables (fails when the file exists).
    static std::shared_ptr<Database> create(const QString &path, const DatabaseDef &def,
                                            Lettori lettori = Lettori::Tutti);

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &path() const { return m_path; }
    bool exclusive() const { return m_exclusive; }
    QSqlDatabase connection() const;

    // Runs a statement with bound parameters; returns the rows changed.
    int execute(const QString &sql, const QVariantList &params = {});
    // First column of the first row, or an invalid QVariant.
    QVariant scalar(const QString &sql, const QVariantList &params = {});
    // A statement with bound parameters, executed, positioned before its
    // first row.
    QSqlQuery run(const QString &sql, const QVariantList &params = {}) const;

    // Transactions; nested ones are savepoints. A refused COMMIT or RELEASE
    // throws and leaves the depth as the engine left it: the same when the
    // transaction is still open (it can be committed again or rolled back),
    // 0 when the engine rolled the whole transaction back (a commit hook, a
    // full disk, a trigger's RAISE(ROLLBACK)).
    void beginTrans();
    void commitTrans();
    void rollback();
    int transactionDepth() const;

    // Schema as stored in the file.
    bool hasTable(const QString &table);
    const TableInfo &tableInfo(const QString &table);
    bool hasField(const QString &table, const QString &field);
    void createTable(const TableDef &t);
    void addField(const QString &table, const FieldDef &f);
    // Rewrites one column's definition in place (defaults, empty-text rule);
    // only changes that leave the stored values valid are allowed here.
    void redefineField(const QString &table, const FieldDef &f);

    // Next value of a table's AutoNumber, reserved so it is never given twice.
    qint64 reserveAutoNumber(const QString &table);

    void close();
    bool isOpen() const { return m_open; }

    // Throws the DbError that matches a failed statement.
    [[noreturn]] void fail(const class QSqlError &e, const QString &context) const;

private:
    Database(QString path, QString connectionName);
    void exec(const QString &sql);
    void configure(Access access);
    bool engineInTransaction() const;
    // Follows a transaction the engine rolled back on its own.
    void realign();

    QString m_path;
    QString m_connectionName;
    bool m_exclusive = false;
    bool m_open = false;
    int m_depth = 0;
    QHash<QString, TableInfo> m_tables;
};

using DatabasePtr = std::shared_ptr<Database>;

// One value of a row as the engine stores it (its kind, SQLITE_INTEGER to
// SQLITE_NULL, and the value); text is UTF-8 and lives as long as the row it
// was read from.
struct CellaLetta {
    int tipo = 5;  // SQLITE_NULL
    qint64 intero = 0;
    double reale = 0;
    const char *byte = nullptr;
    int lunghezza = 0;

    // The stored value as the query layer gives it: a number, a text, the
    // blob's bytes, or Null.
    QVariant valore() const;
};

// A query read straight from the engine, one row after another: for
// reading many rows, each of which the query layer would first copy value
// by value into its own cache. The values are read as the query layer
// reads them (text decoded from the file's UTF-8), or as the engine stores
// them (cella); failures throw the DbError the query layer's would.
class LetturaDiretta {
public:
    LetturaDiretta(Database &db, const QString &sql);
    ~LetturaDiretta();
    LetturaDiretta(const LetturaDiretta &) = delete;
    LetturaDiretta &operator=(const LetturaDiretta &) = delete;

    // Moves to the next row; false after the last.
    bool prossima();
    // Runs the query again from its start, its parameter (the one "?") set
    // to this text.
    void riparti(const QString &parametro);
    int colonne() const;
    // A column's name as the query layer gives it.
    QString nome(int colonna) const;
    // A column of the row as the engine stores it.
    CellaLetta cella(int colonna) const;
    // A column of the row as the query layer reads it.
    QVariant valore(int colonna) const;
    bool nullo(int colonna) const;
    QString testo(int colonna) const;

private:
    [[noreturn]] void fallita() const;
    Database &m_db;
    sqlite3_stmt *m_st = nullptr;
    bool m_finita = false;
};

// A transaction that is undone unless committed, on every way out.
class Transazione {
public:
    explicit Transazione(Database &db) : m_db(db)
    {
        m_db.beginTrans();
        m_livello = m_db.transactionDepth();
    }
    // Reached open on a way out by an exception, or when a holder drops a
    // transaction it did not commit (a dialog's "Annulla"). A rollback that
    // fails here is only logged, as a destructor cannot throw: a holder that
    // must report it calls finish() first.
    ~Transazione()
    {
        try {
            finish();
        } catch (const std::exception &e) {
            qWarning("Transazione non annullata: %s", qUtf8Printable(testoErrore(e)));
        }
    }
    // Closed only by a COMMIT (or RELEASE) that succeeded. A refused one
    // throws: aperta() then tells whether the changes are still pending or
    // the engine rolled them back. A transaction the engine rolled back
    // earlier is not committed either: that throws too.
    void commit();
    // Undoes what was not committed.
    void finish()
    {
        if (aperta())
            m_db.rollback();
        m_open = false;
    }
    // Neither committed nor rolled back, by this guard or by the engine.
    bool aperta() const { return m_open && m_db.transactionDepth() >= m_livello; }
    Transazione(const Transazione &) = delete;
    Transazione &operator=(const Transazione &) = delete;

private:
    Database &m_db;
    bool m_open = true;
    int m_livello = 0;
};

// What became of a dialog's transaction after a refused write or commit,
// for the merchant: undone whole by the engine, or (a refused commit) still
// pending.
QString testoTransazioneAnnullata();
QString testoCommitInSospeso();

// Scratch databases (the build's work database) trade durability for speed.
void setScratchMode(Database &db);
