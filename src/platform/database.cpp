#include "database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

DbError::DbError(int n, const QString &d, const QString &c)
    : std::runtime_error(QStringLiteral("%1 %2").arg(n).arg(d).toStdString()), number(n), description(d), campo(c)
{
}

QString testoErrore(const std::exception &e)
{
    if (const auto *db = dynamic_cast<const DbError *>(&e))
        return db->description;
    return QString::fromLocal8Bit(e.what());
}

FieldDef ColumnInfo::definition() const
{
    FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    f.allowEmpty = allowEmpty;
    f.exact = exact;
    if (defaultValue.isValid()) {
        // Stored defaults are in storage form; field definitions hold values.
        if (type == FieldType::Currency)
            f.defaultValue = double(defaultValue.toLongLong()) / 10000;
        else if (type == FieldType::Boolean)
            f.defaultValue = defaultValue.toLongLong() != 0;
        else
            f.defaultValue = defaultValue;
    }
    return f;
}

const ColumnInfo *TableInfo::column(const QString &n) const
{
    auto it = index.find(n.toLower());
    return it == index.end() ? nullptr : &columns[*it];
}

namespace {

// Case-insensitive comparison for text columns, accented letters included;
// plain ASCII is compared byte by byte without building strings.
int jetCollate(void *, int n1, const void *p1, int n2, const void *p2)
{
    auto a = static_cast<const unsigned char *>(p1);
    auto b = static_cast<const unsigned char *>(p2);
    const int n = std::min(n1, n2);
    for (int i = 0; i < n; ++i) {
        unsigned char ca = a[i], cb = b[i];
        if ((ca | cb) & 0x80) {
            const QString sa = QString::fromUtf8(reinterpret_cast<const char *>(a + i), n1 - i);
            const QString sb = QString::fromUtf8(reinterpret_cast<const char *>(b + i), n2 - i);
            int c = sa.compare(sb, Qt::CaseInsensitive);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        if (ca >= 'A' && ca <= 'Z')
            ca += 32;
        if (cb >= 'A' && cb <= 'Z')
            cb += 32;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

// One connection per file per thread.
QMutex registryMutex;
QHash<QString, std::weak_ptr<Database>> registry;

QString registryKey(const QString &path)
{
    return QString::number(reinterpret_cast<quintptr>(QThread::currentThread())) + u'|' + path;
}

int errorNumberFor(const QSqlError &e)
{
    const int code = e.nativeErrorCode().toInt() & 0xff;
    const QString text = e.databaseText();
    switch (code) {
    case SQLITE_READONLY:
        return DbErr::NotUpdatable;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbErr::InUse;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return DbErr::Damaged;
    case SQLITE_CANTOPEN:
        return DbErr::FileNotFound;
    case SQLITE_CONSTRAINT:
        if (text.contains(QLatin1String(":size")))
            return DbErr::FieldTooSmall;
        if (text.contains(QLatin1String(":empty")))
            return DbErr::EmptyNotAllowed;
        if (text.contains(QLatin1String(":range")))
            return DbErr::NumericOverflow;
        if (text.contains(QLatin1String(":type")))
            return DbErr::ConversionError;
        if (text.contains(QLatin1String("UNIQUE")))
            return DbErr::DuplicateKey;
        if (text.contains(QLatin1String("NOT NULL")))
            return DbErr::NullNotAllowed;
        return DbErr::Generic;
    default:
        if (text.contains(QLatin1String("no such table")))
            return DbErr::NoSuchTable;
        if (text.contains(QLatin1String("no such column")))
            return DbErr::NoSuchField;
        return DbErr::Generic;
    }
}

// A column default as PRAGMA table_info gives it: SQL literal text.
QVariant parseDefault(const QVariant &v)
{
    if (v.isNull())
        return {};
    QString s = v.toString().trimmed();
    if (s.size() >= 2 && s.startsWith(u'\'') && s.endsWith(u'\''))
        return s.mid(1, s.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    bool ok = false;
    qlonglong i = s.toLongLong(&ok);
    if (ok)
        return i;
    double d = s.toDouble(&ok);
    if (ok)
        return d;
    if (s.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return {};
    return s;
}

} // namespace

Database::Database(QString path, QString connectionName)
    : m_path(std::move(path)), m_connectionName(std::move(connectionName))
{
}

Database::~Database()
{
    close();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void Database::fail(const QSqlError &e, const QString &context) const
{
    QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    if (errorNumberFor(e) == DbErr::NotUpdatable)
        text = QStringLiteral("Il negozio è in sola lettura: la modifica non può essere salvata.");
    // A field's check is named "field:what" (schema.cpp): the field refused.
    static const QRegularExpression check(QStringLiteral("constraint failed: \"?(\\w+):"));
    const QString campo = check.match(text).captured(1);
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    throw DbError(errorNumberFor(e), text, campo);
}

void Database::exec(const QString &sql)
{
    QSqlQuery q(connection());
    if (!q.exec(sql))
        fail(q.lastError(), QString());
}

void Database::configure(Access access)
{
    QSqlDatabase c = connection();
    if (sqlite3 *h = handleOf(c))
        sqlite3_create_collation_v2(h, "JET", SQLITE_UTF8, nullptr, jetCollate, nullptr);
    // Reading the schema is the first real access: it tells a file in use
    // from one that is not a database at all.
    exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    // A catalogue of tens of thousands of articles fits in memory: whole-table
    // work (the renumbering at every opening) then never spills mid-transaction.
    exec(QStringLiteral("PRAGMA cache_size=-65536"));
    if (access == Access::Exclusive) {
        // In exclusive locking mode the lock taken by the first write
        // transaction is kept until the connection closes: no other process
        // can read or write the file meanwhile.
        exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
        exec(QStringLiteral("BEGIN EXCLUSIVE"));
        exec(QStringLiteral("COMMIT"));
        m_exclusive = true;
    }
}

std::shared_ptr<Database> Database::open(const QString &path, Access access)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    {
        QMutexLocker lock(&registryMutex);
        if (auto existing = registry.value(registryKey(abs)).lock(); existing && existing->isOpen()) {
            lock.unlock();
            if (access == Access::Exclusive && !existing->m_exclusive)
                existing->configure(access);
            return existing;
        }
    }
    QFileInfo fi(abs);
    if (!fi.exists() || !fi.isFile())
        throw DbError(DbErr::FileNotFound, QStringLiteral("Impossibile trovare il file '%1'.").arg(abs));

    const QString name = QStringLiteral("vt-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::shared_ptr<Database> db(new Database(abs, name));
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(abs);
        c.setConnectOptions(access == Access::Exclusive ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=250")
                                                        : QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        if (!c.open()) {
            const QSqlError e = c.lastError();
            c = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            db->fail(e, abs);
        }
    }
    db->m_open = true;
    try {
        db->configure(access);
    } catch (...) {
        db->close();
        throw;
    }
    QMutexLocker lock(&registryMutex);
    registry.insert(registryKey(abs), db);
    return db;
}

std::shared_ptr<Database> Database::create(const QString &path, const DatabaseDef &def, Lettori lettori)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(abs))
        throw DbError(DbErr::Generic, QStringLiteral("Il file '%1' esiste già.").arg(abs));
    QDir().mkpath(QFileInfo(abs).absolutePath());
    {
        // Made with its mode: a file for the owner only is never readable by
        // others, whatever the umask, not even before its first write.
        const int fd = ::open(QFile::encodeName(abs).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              lettori == Lettori::Proprietario ? 0600 : 0666);
        const bool fatto = fd >= 0 && (lettori != Lettori::Proprietario || ::fchmod(fd, 0600) == 0);
        if (fd >= 0)
            ::close(fd);
        if (fd >= 0 && !fatto)
            ::unlink(QFile::encodeName(abs).constData());
        if (!fatto)
            throw DbError(DbErr::FileNotFound, QStringLiteral("Impossibile creare il file '%1'.").arg(abs));
    }
    auto db = open(abs);
    Transazione t(*db);
    for (const auto &table : def.tables)
        db->createTable(table);
    t.commit();
    return db;
}

void Database::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_depth = 0;
    {
        QMutexLocker lock(&registryMutex);
        auto key = registryKey(m_path);
        auto it = registry.find(key);
        if (it != registry.end() && (it->expired() || it->lock().get() == this))
            registry.erase(it);
    }
    {
        QSqlDatabase c = connection();
        if (c.isValid())
            c.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_tables.clear();
}

QSqlQuery Database::run(const QString &sql, const QVariantList &params) const
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        fail(q.lastError(), QString());
    for (int i = 0; i < params.size(); ++i)
        q.bindValue(i, params[i]);
    if (!q.exec())
        fail(q.lastError(), QString());
    return q;
}

int Database::execute(const QString &sql, const QVariantList &params)
{
    return run(sql, params).numRowsAffected();
}

QVariant Database::scalar(const QString &sql, const QVariantList &params)
{
    QSqlQuery q = run(sql, params);
    if (!q.next())
        return {};
    QVariant v = q.value(0);
    return v.isNull() ? QVariant() : v;
}

bool Database::engineInTransaction() const
{
    sqlite3 *h = m_open ? handleOf(connection()) : nullptr;
    return h ? sqlite3_get_autocommit(h) == 0 : m_depth > 0;
}

void Database::realign()
{
    if (m_depth > 0 && !engineInTransaction()) {
        m_depth = 0;
        m_tables.clear();  // a rolled-back schema change must be read again
    }
}

int Database::transactionDepth() const
{
    return m_depth > 0 && !engineInTransaction() ? 0 : m_depth;
}

void Database::beginTrans()
{
    realign();
    if (m_depth == 0)
        exec(QStringLiteral("BEGIN IMMEDIATE"));
    else
        exec(QStringLiteral("SAVEPOINT sp%1").arg(m_depth));
    ++m_depth;
}

void Database::commitTrans()
{
    realign();
    if (m_depth == 0)
        throw DbError(DbErr::Generic, QStringLiteral("Nessuna transazione aperta."));
    QSqlQuery q(connection());
    if (!q.exec(m_depth == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE sp%1").arg(m_depth - 1))) {
        const QSqlError e = q.lastError();
        realign();
        fail(e, QString());
    }
    --m_depth;
}

void Database::rollback()
{
    realign();
    if (m_depth == 0)
        return;
    --m_depth;
    if (m_depth == 0) {
        exec(QStringLiteral("ROLLBACK"));
    } else {
        exec(QStringLiteral("ROLLBACK TO sp%1").arg(m_depth));
        exec(QStringLiteral("RELEASE sp%1").arg(m_depth));
    }
    m_tables.clear();  // a rolled-back schema change must be read again
}

bool Database::hasTable(const QString &table)
{
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
                  {table}).toInt() > 0;
}

const TableInfo &Database::tableInfo(const QString &table)
{
    const QString key = table.toLower();
    auto it = m_tables.find(key);
    if (it != m_tables.end())
        return *it;
    TableInfo info;
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(QString(table).remove(u'"'))))
        fail(q.lastError(), table);
    const QString createSql =
        scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"), {table})
            .toString();
    const bool hasAutoIncrement = createSql.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
    // The line of the definition that declares each column: the first that
    // begins, after blanks, with the column's quoted name and a blank.
    QHash<QStringView, QStringView> declarations;
    for (QStringView line : QStringView(createSql).split(u'\n')) {
        qsizetype i = 0;
        while (i < line.size() && QStringView(u" \t\r\v\f").contains(line[i]))
            ++i;
        const qsizetype close = line.indexOf(u'"', i + 1);
        if (i < line.size() && line[i] == u'"' && close > 0 && close + 1 < line.size() && line[close + 1] == u' ' &&
            !declarations.contains(line.sliced(i + 1, close - i - 1)))
            declarations.insert(line.sliced(i + 1, close - i - 1), line);
    }
    // The columns that refuse an empty text: a check named "column:empty".
    QSet<QStringView> senzaVuoto;
    const QStringView vuoto = u":empty\"";
    for (qsizetype p = createSql.indexOf(vuoto); p > 0; p = createSql.indexOf(vuoto, p + 1))
        if (const qsizetype q = createSql.lastIndexOf(u'"', p - 1); q >= 0)
            senzaVuoto.insert(QStringView(createSql).sliced(q + 1, p - q - 1));
    while (q.next()) {
        ColumnInfo c;
        c.name = q.value(1).toString();
        c.known = parseDeclaredType(q.value(2).toString(), c.type, c.size);
        if (c.type == FieldType::AutoNumber && !(q.value(5).toInt() > 0 && hasAutoIncrement))
            c.type = FieldType::Long;
        if (c.type == FieldType::AutoNumber)
            info.autoNumber = c.name;
        c.defaultValue = parseDefault(q.value(4));
        c.allowEmpty = !senzaVuoto.contains(QStringView(c.name));
        static const QRegularExpression jet(QStringLiteral("COLLATE\\s+JET"), QRegularExpression::CaseInsensitiveOption);
        const auto line = declarations.constFind(QStringView(c.name));
        c.exact = (c.type == FieldType::Text || c.type == FieldType::Memo) && line != declarations.constEnd() &&
                  !jet.match(*line).hasMatch();
        info.index.insert(c.name.toLower(), int(info.columns.size()));
        info.columns.push_back(c);
    }
    if (info.columns.empty())
        throw DbError(DbErr::NoSuchTable, QStringLiteral("Tabella '%1' non trovata.").arg(table));
    info.name = table;
    return *m_tables.insert(key, info);
}

bool Database::hasField(const QString &table, const QString &field)
{
    if (!hasTable(table))
        return false;
    return tableInfo(table).column(field) != nullptr;
}

void Database::createTable(const TableDef &t)
{
    exec(createTableSql(t));
    for (const auto &i : t.indexes)
        exec(createIndexSql(t, i));
    m_tables.remove(t.name.toLower());
}

void Database::addField(const QString &table, const FieldDef &f)
{
    exec(QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN %2").arg(table, columnSql(f)));
    m_tables.remove(table.toLower());
}

void Database::redefineField(const QString &table, const FieldDef &f)
{
    // The column definitions this layer writes stand one per line, so the
    // column's line can be replaced in the stored CREATE TABLE text. Only the
    // default and the checks change: the stored rows stay valid as they are.
    QString sql = scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
                         {table}).toString();
    const QRegularExpression line(QStringLiteral("^(\\s*)\"%1\" [^\\n]*?(,?)$")
                                      .arg(QRegularExpression::escape(f.name)),
                                  QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    auto m = line.match(sql);
    if (!m.hasMatch())
        throw DbError(DbErr::NoSuchField, QStringLiteral("Campo '%1' non trovato in '%2'.").arg(f.name, table));
    sql.replace(m.capturedStart(), m.capturedLength(), m.captured(1) + columnSql(f) + m.captured(2));
    const bool own = m_depth == 0;
    if (own)
        beginTrans();
    try {
        const int version = scalar(QStringLiteral("PRAGMA schema_version")).toInt();
        exec(QStringLiteral("PRAGMA writable_schema=ON"));
        execute(QStringLiteral("UPDATE sqlite_master SET sql=? WHERE type='table' AND name=? COLLATE NOCASE"),
                {sql, table});
        exec(QStringLiteral("PRAGMA schema_version=%1").arg(version + 1));
        exec(QStringLiteral("PRAGMA writable_schema=OFF"));
        if (own)
            commitTrans();
    } catch (...) {
        if (own)
            rollback();
        throw;
    }
    m_tables.remove(table.toLower());
}

qint64 Database::reserveAutoNumber(const QString &table)
{
    const TableInfo &info = tableInfo(table);
    if (info.autoNumber.isEmpty())
        throw DbError(DbErr::Generic, QStringLiteral("La tabella '%1' non ha un contatore.").arg(table));
    const QVariant seq = scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?"), {info.name});
    const qint64 maxId = scalar(QStringLiteral("SELECT max(\"%1\") FROM \"%2\"").arg(info.autoNumber, info.name)).toLongLong();
    const qint64 next = std::max(seq.toLongLong(), maxId) + 1;
    if (seq.isValid())
        execute(QStringLiteral("UPDATE sqlite_sequence SET seq=? WHERE name=?"), {next, info.name});
    else
        execute(QStringLiteral("INSERT INTO sqlite_sequence(name, seq) VALUES(?, ?)"), {info.name, next});
    return next;
}

LetturaDiretta::LetturaDiretta(Database &db, const QString &sql) : m_db(db)
{
    sqlite3 *connessione = db.isOpen() ? handleOf(db.connection()) : nullptr;
    if (!connessione)
        throw DbError(DbErr::Generic, QStringLiteral("Il database non è aperto."));
    const QByteArray testo = sql.toUtf8();
    if (sqlite3_prepare_v2(connessione, testo.constData(), int(testo.size()), &m_st, nullptr) != SQLITE_OK)
        fallita();
}

LetturaDiretta::~LetturaDiretta()
{
    sqlite3_finalize(m_st);
}

void LetturaDiretta::fallita() const
{
    sqlite3 *connessione = handleOf(m_db.connection());
    m_db.fail(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(connessione)), QSqlError::StatementError,
                        QString::number(sqlite3_extended_errcode(connessione))),
              QString());
}

bool LetturaDiretta::prossima()
{
    // Stepped past its end, a statement would start again.
    if (m_finita)
        return false;
    const int r = sqlite3_step(m_st);
    if (r == SQLITE_ROW)
        return true;
    m_finita = true;
    if (r != SQLITE_DONE)
        fallita();
    return false;
}

void LetturaDiretta::riparti(const QString &parametro)
{
    const QByteArray testo = parametro.toUtf8();
    sqlite3_reset(m_st);
    if (sqlite3_bind_text(m_st, 1, testo.constData(), int(testo.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        fallita();
    m_finita = false;
}

int LetturaDiretta::colonne() const
{
    return sqlite3_column_count(m_st);
}

QString LetturaDiretta::nome(int colonna) const
{
    // Without quotes.
    return QString(static_cast<const QChar *>(sqlite3_column_name16(m_st, colonna))).remove(u'"');
}

CellaLetta LetturaDiretta::cella(int colonna) const
{
    CellaLetta c;
    c.tipo = sqlite3_column_type(m_st, colonna);
    if (c.tipo == SQLITE_INTEGER) {
        c.intero = sqlite3_column_int64(m_st, colonna);
    } else if (c.tipo == SQLITE_FLOAT) {
        c.reale = sqlite3_column_double(m_st, colonna);
    } else if (c.tipo != SQLITE_NULL) {
        // Text, and a blob's bytes as they are.
        c.byte = c.tipo == SQLITE_BLOB ? static_cast<const char *>(sqlite3_column_blob(m_st, colonna))
                                       : reinterpret_cast<const char *>(sqlite3_column_text(m_st, colonna));
        c.lunghezza = sqlite3_column_bytes(m_st, colonna);
    }
    return c;
}

QVariant CellaLetta::valore() const
{
    switch (tipo) {
    case SQLITE_INTEGER:
        return qlonglong(intero);
    case SQLITE_FLOAT:
        return reale;
    case SQLITE_BLOB:
        return QByteArray(byte, lunghezza);
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(byte, lunghezza);
    }
}

QVariant LetturaDiretta::valore(int colonna) const
{
    return cella(colonna).valore();
}

bool LetturaDiretta::nullo(int colonna) const
{
    return sqlite3_column_type(m_st, colonna) == SQLITE_NULL;
}

QString LetturaDiretta::testo(int colonna) const
{
    const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(m_st, colonna));
    return t ? QString::fromUtf8(t, sqlite3_column_bytes(m_st, colonna)) : QString();
}

void Transazione::commit()
{
    if (!m_open)
        return;
    if (!aperta()) {
        m_open = false;
        throw DbError(DbErr::Generic, QStringLiteral("La transazione era già stata annullata dal database."));
    }
    m_db.commitTrans();
    m_open = false;
}

QString testoTransazioneAnnullata()
{
    return QStringLiteral("Il database ha annullato tutte le modifiche fatte in questa finestra: nessuna è stata "
                          "registrata.");
}

QString testoCommitInSospeso()
{
    return QStringLiteral("Le modifiche non sono andate perse: premere di nuovo OK per riprovare, oppure Annulla per "
                          "annullarle.");
}

void setScratchMode(Database &db)
{
    db.execute(QStringLiteral("PRAGMA synchronous=OFF"));
    db.execute(QStringLiteral("PRAGMA journal_mode=MEMORY"));
}
