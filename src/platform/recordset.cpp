#include "recordset.h"

#include "currency.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace {

struct CurrencyConverters {
    CurrencyConverters()
    {
        QMetaType::registerConverter<Currency, double>(&Currency::toDouble);
        QMetaType::registerConverter<Currency, QString>(&Currency::toString);
    }
};
const CurrencyConverters currencyConverters;

const QString rowidAlias = QStringLiteral("__vt_rowid");

[[noreturn]] void conversionError(const QString &table, const QString &field)
{
    throw DbError(DbErr::ConversionError,
                  QStringLiteral("Errore di conversione del tipo di dati nel campo '%1.%2'.").arg(table, field), field);
}

[[noreturn]] void overflowError(const QString &table, const QString &field)
{
    throw DbError(DbErr::NumericOverflow,
                  QStringLiteral("Overflow del campo numerico '%1.%2'.").arg(table, field), field);
}

bool isNull(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

// A number from a value of any kind; text in the invariant form.
bool toNumber(const QVariant &v, double &out)
{
    if (v.metaType() == QMetaType::fromType<Currency>()) {
        out = v.value<Currency>().toDouble();
        return true;
    }
    if (v.metaType().id() == QMetaType::QString) {
        bool ok = false;
        out = QLocale::c().toDouble(v.toString().trimmed(), &ok);
        return ok;
    }
    if (v.metaType().id() == QMetaType::Bool) {
        out = v.toBool() ? -1 : 0;
        return true;
    }
    bool ok = false;
    out = v.toDouble(&ok);
    return ok;
}

// A Currency field's stored value: a whole number of ten-thousandths. Any
// other value (a text, a fraction, a number beyond the range), which only a
// program that ignores the column's check can write, is no amount: it reads
// as the text it holds, never as 0 nor as a number wrapped round.
QVariant importoDaStorage(const QVariant &v)
{
    switch (v.userType()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
        return QVariant::fromValue(Currency::fromRaw(v.toLongLong()));
    case QMetaType::ULongLong:
        if (v.toULongLong() <= quint64(std::numeric_limits<qint64>::max()))
            return QVariant::fromValue(Currency::fromRaw(v.toLongLong()));
        return v.toString();
    case QMetaType::Double: {
        const double d = v.toDouble();
        // 2^63 is the first double beyond the 64-bit range.
        if (d == std::trunc(d) && std::fabs(d) < 9223372036854775808.0)
            return QVariant::fromValue(Currency::fromRaw(qint64(d)));
        return QString::number(d, 'g', 17);
    }
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    default:
        return v.toString();
    }
}

} // namespace

QVariant Recordset::toStorage(const ColumnInfo &c, const QVariant &v, const QString &table)
{
    if (isNull(v))
        return c.type == FieldType::Boolean ? QVariant(0) : QVariant();
    double d = 0;
    switch (c.type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (v.metaType() == QMetaType::fromType<Currency>())
            return v.value<Currency>().toString();
        return v.toString();
    case FieldType::DateTime:
        if (v.metaType().id() == QMetaType::QDateTime)
            return v.toDateTime().toString(Qt::ISODate);
        return v.toString();
    case FieldType::Boolean:
        if (!toNumber(v, d))
            conversionError(table, c.name);
        return d != 0 ? -1 : 0;
    case FieldType::Currency:
        if (v.metaType() == QMetaType::fromType<Currency>())
            return qlonglong(v.value<Currency>().raw);
        if (v.metaType().id() == QMetaType::QString) {
            auto parsed = Currency::parse(v.toString());
            if (!parsed)
                conversionError(table, c.name);
            return qlonglong(parsed->raw);
        }
        if (!toNumber(v, d))
            conversionError(table, c.name);
        // Beyond +-922,337,203,685,477.5807 a Currency has no value.
        if (!(std::fabs(d) < 922337203685477.0))
            overflowError(table, c.name);
        return qlonglong(Currency::fromDouble(d).raw);
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::AutoNumber:
        if (!toNumber(v, d))
            conversionError(table, c.name);
        if (!(std::fabs(d) < 9.2e18))
            overflowError(table, c.name);
        return qlonglong(std::nearbyint(d));  // half to even, as the engine converts
    case FieldType::Single:
        if (!toNumber(v, d))
            conversionError(table, c.name);
        if (!std::isfinite(float(d)))
            overflowError(table, c.name);
        return double(float(d));
    case FieldType::Double:
        if (!toNumber(v, d))
            conversionError(table, c.name);
        return d;
    }
    return v;
}

QVariant Recordset::fromStorage(const ColumnInfo *c, const QVariant &v)
{
    if (isNull(v))
        return {};
    if (!c || !c->known)
        return v;
    switch (c->type) {
    case FieldType::Text:
    case FieldType::Memo:
    case FieldType::DateTime:
        return v.toString();
    case FieldType::Boolean:
        return v.toLongLong() != 0;
    case FieldType::Currency:
        return importoDaStorage(v);
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
        return v.toInt();
    case FieldType::AutoNumber:
        return v.toLongLong();
    case FieldType::Single:
    case FieldType::Double:
        return v.toDouble();
    }
    return v;
}

QVariant Recordset::fromStorage(const ColumnInfo *c, const CellaLetta &v)
{
    if (v.tipo == SQLITE_NULL)
        return {};
    const bool intero = v.intero >= std::numeric_limits<int>::min() && v.intero <= std::numeric_limits<int>::max();
    if (c && c->known && v.tipo == SQLITE_TEXT &&
        (c->type == FieldType::Text || c->type == FieldType::Memo || c->type == FieldType::DateTime))
        return QString::fromUtf8(v.byte, v.lunghezza);
    if (c && c->known && v.tipo == SQLITE_INTEGER) {
        switch (c->type) {
        case FieldType::Boolean:
            return v.intero != 0;
        case FieldType::Currency:
            return QVariant::fromValue(Currency::fromRaw(v.intero));
        case FieldType::Byte:
        case FieldType::Integer:
        case FieldType::Long:
            if (intero)
                return int(v.intero);
            break;
        case FieldType::AutoNumber:
            return qlonglong(v.intero);
        case FieldType::Single:
        case FieldType::Double:
            return double(v.intero);
        default:
            break;
        }
    }
    if (c && c->known && v.tipo == SQLITE_FLOAT && (c->type == FieldType::Single || c->type == FieldType::Double))
        return v.reale;
    // Any other pair through the stored value.
    return fromStorage(c, v.valore());
}

bool Recordset::sameValue(const QVariant &a, const QVariant &b)
{
    if (isNull(a) || isNull(b))
        return isNull(a) && isNull(b);
    const bool textA = a.metaType().id() == QMetaType::QString;
    const bool textB = b.metaType().id() == QMetaType::QString;
    if (textA && textB)
        return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
    double x = 0, y = 0;
    if (toNumber(a, x) && toNumber(b, y))
        return x == y;
    return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
}

Recordset::Recordset(DatabasePtr db, QString sql, QVariantList params)
    : m_db(std::move(db)), m_sql(std::move(sql)), m_params(std::move(params))
{
    load();
}

void Recordset::load()
{
    if (!m_db || !m_db->isOpen())
        throw DbError(DbErr::Generic, QStringLiteral("Il database non è aperto."));
    auto set = std::make_shared<RowSet>();
    // A plain "SELECT * FROM table ..." is updatable: its rows carry their rowid.
    static const QRegularExpression single(QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+\"?(\\w+)\"?(?=\\s|$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString sql = m_sql;
    if (auto m = single.match(sql); m.hasMatch()) {
        set->table = m.captured(1);
        set->tableInfo = m_db->tableInfo(set->table);
        // Keep everything after "FROM" as written.
        static const QRegularExpression from(QStringLiteral("\\bFROM\\b"), QRegularExpression::CaseInsensitiveOption);
        auto f = from.match(m_sql);
        sql = QStringLiteral("SELECT \"%1\".rowid AS %2, * FROM").arg(set->table, rowidAlias) + m_sql.mid(f.capturedEnd());
    }
    const int first = set->table.isEmpty() ? 0 : 1;
    const auto colonne = [&](int numero, const auto &nome) {
        for (int i = first; i < numero; ++i) {
            const QString name = nome(i);
            set->index.insert(name.toLower(), int(set->names.size()));
            set->names << name;
            set->columns.push_back(set->table.isEmpty() ? nullptr : set->tableInfo.column(name));
        }
        return int(set->names.size());
    };
    const auto riga = [&](qint64 rowid, const auto &valore) {
        Row r;
        r.id = first ? rowid : qint64(set->rows.size() + 1);
        r.values.reserve(qsizetype(set->columns.size()));
        for (int i = 0; i < int(set->columns.size()); ++i)
            r.values.append(valore(i + first));
        set->rows.push_back(std::move(r));
    };
    if (m_params.isEmpty()) {
        // Without parameters the rows are read straight from the engine, as
        // the query layer reads them but without its copy of every value.
        LetturaDiretta l(*m_db, sql);
        colonne(l.colonne(), [&](int i) { return l.nome(i); });
        while (l.prossima())
            riga(first ? l.cella(0).intero : 0,
                 [&](int i) { return fromStorage(set->columns[size_t(i - first)], l.cella(i)); });
    } else {
        QSqlQuery q = m_db->run(sql, m_params);
        const QSqlRecord rec = q.record();
        colonne(rec.count(), [&](int i) { return rec.fieldName(i); });
        while (q.next())
            riga(first ? q.value(0).toLongLong() : 0,
                 [&](int i) { return fromStorage(set->columns[size_t(i - first)], q.value(i)); });
    }
    set->live = int(set->rows.size());
    m_set = std::move(set);
    m_mode = Mode::None;
    m_noMatch = false;
    m_pos = m_set->rows.empty() ? 0 : nextLive(-1, 1);
}

void Recordset::close()
{
    m_set.reset();
    m_db.reset();
    m_pos = -1;
    m_mode = Mode::None;
}

int Recordset::nextLive(int from, int step) const
{
    const int n = int(m_set->rows.size());
    int i = from + step;
    while (i >= 0 && i < n && m_set->rows[i].deleted)
        i += step;
    return std::clamp(i, -1, n);
}

bool Recordset::bof() const
{
    return !m_set || m_pos < 0 || recordCount() == 0;
}

bool Recordset::eof() const
{
    return !m_set || m_pos >= int(m_set->rows.size()) || recordCount() == 0;
}

int Recordset::recordCount() const
{
    return m_set ? m_set->live : 0;
}

int Recordset::absolutePosition() const
{
    if (!hasCurrent())
        return -1;
    int n = 0;
    for (int i = 0; i < m_pos; ++i)
        n += m_set->rows[i].deleted ? 0 : 1;
    return n;
}

DbError Recordset::noCurrent()
{
    return DbError(DbErr::NoCurrentRecord, QStringLiteral("Nessun record corrente."));
}

int Recordset::rowAt(int posizione) const
{
    if (!m_set || posizione < 0 || posizione >= m_set->live)
        return -1;
    if (m_set->live == int(m_set->rows.size()))
        return posizione;
    for (int i = 0, n = 0; i < int(m_set->rows.size()); ++i)
        if (!m_set->rows[i].deleted && n++ == posizione)
            return i;
    return -1;
}

void Recordset::setAbsolutePosition(int posizione)
{
    const int i = rowAt(posizione);
    if (i < 0)
        throw noCurrent();
    if (i != m_pos && !leaveRow())
        return;
    m_pos = i;
    moved();
}

QVariant Recordset::valueAt(int posizione, int column) const
{
    const int i = rowAt(posizione);
    if (i < 0 || column < 0 || column >= m_set->names.size())
        return {};
    // The row being edited shows its pending values.
    if (i == m_pos && m_mode == Mode::Edit)
        return m_buffer.value(column);
    return m_set->rows[i].values.value(column);
}

bool Recordset::leaveRow()
{
    return !onLeaveRow || onLeaveRow();
}

void Recordset::moved()
{
    m_mode = Mode::None;
    if (onReposition)
        onReposition();
}



void Recordset::moveFirst()
{
    if (!m_set || recordCount() == 0)
        throw noCurrent();
    if (!leaveRow())
        return;
    m_pos = nextLive(-1, 1);
    moved();
}

void Recordset::moveLast()
{
    if (!m_set || recordCount() == 0)
        throw noCurrent();
    if (!leaveRow())
        return;
    m_pos = nextLive(int(m_set->rows.size()), -1);
    moved();
}

void Recordset::moveNext()
{
    if (eof())
        throw noCurrent();
    if (!leaveRow())
        return;
    m_pos = nextLive(m_pos, 1);
    moved();
}

void Recordset::movePrevious()
{
    if (bof())
        throw noCurrent();
    if (!leaveRow())
        return;
    m_pos = nextLive(m_pos, -1);
    moved();
}

int Recordset::seek(int from, int step, const Predicate &p) const
{
    auto *self = const_cast<Recordset *>(this);
    // The rows are compared as stored, not with the values of a pending edit;
    // position and edit are given back on every way out.
    struct Restore {
        Recordset *rs;
        int pos;
        Mode mode;
        ~Restore()
        {
            rs->m_pos = pos;
            rs->m_mode = mode;
        }
    } restore{self, m_pos, m_mode};
    self->m_mode = Mode::None;
    const int n = int(m_set->rows.size());
    int found = -2;
    for (int i = from; i >= 0 && i < n; i += step) {
        if (m_set->rows[i].deleted)
            continue;
        self->m_pos = i;
        if (p(*this)) {
            found = i;
            break;
        }
    }
    return found;
}

bool Recordset::findFirst(const Predicate &p)
{
    if (!m_set)
        throw noCurrent();
    int i = seek(0, 1, p);
    m_noMatch = i < 0;
    if (!m_noMatch && i != m_pos && !leaveRow())
        return false;
    if (!m_noMatch) {
        m_pos = i;
        moved();
    }
    return !m_noMatch;
}

bool Recordset::findNext(const Predicate &p)
{
    if (!m_set)
        throw noCurrent();
    int i = seek(std::max(m_pos + 1, 0), 1, p);
    m_noMatch = i < 0;
    if (!m_noMatch && i != m_pos && !leaveRow())
        return false;
    if (!m_noMatch) {
        m_pos = i;
        moved();
    }
    return !m_noMatch;
}

bool Recordset::findLast(const Predicate &p)
{
    if (!m_set)
        throw noCurrent();
    int i = seek(int(m_set->rows.size()) - 1, -1, p);
    m_noMatch = i < 0;
    if (!m_noMatch && i != m_pos && !leaveRow())
        return false;
    if (!m_noMatch) {
        m_pos = i;
        moved();
    }
    return !m_noMatch;
}

bool Recordset::findPrevious(const Predicate &p)
{
    if (!m_set)
        throw noCurrent();
    int i = seek(std::min(m_pos - 1, int(m_set->rows.size()) - 1), -1, p);
    m_noMatch = i < 0;
    if (!m_noMatch && i != m_pos && !leaveRow())
        return false;
    if (!m_noMatch) {
        m_pos = i;
        moved();
    }
    return !m_noMatch;
}

bool Recordset::findFirst(const QString &field, const QVariant &value)
{
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(DbErr::NoSuchField, QStringLiteral("Campo '%1' non trovato.").arg(field));
    return findFirst([col, &value](const Recordset &r) { return sameValue(r.value(col), value); });
}

Recordset::Bookmark Recordset::bookmark() const
{
    requireCurrent();
    return m_set->rows[m_pos].id;
}

void Recordset::setBookmark(Bookmark b)
{
    if (!m_set)
        throw noCurrent();
    for (int i = 0; i < int(m_set->rows.size()); ++i)
        if (m_set->rows[i].id == b && !m_set->rows[i].deleted) {
            if (i != m_pos && !leaveRow())
                return;
            m_pos = i;
            moved();
            return;
        }
    throw DbError(DbErr::NoCurrentRecord, QStringLiteral("Segnalibro non valido."));
}

const Recordset::Row *Recordset::currentRow() const
{
    if (!hasCurrent() || m_set->rows[m_pos].deleted)
        return nullptr;
    return &m_set->rows[m_pos];
}

void Recordset::requireCurrent() const
{
    if (!currentRow())
        throw noCurrent();
}

int Recordset::fieldIndex(const QString &field) const
{
    if (!m_set)
        return -1;
    return m_set->index.value(field.toLower(), -1);
}

const ColumnInfo *Recordset::column(const QString &field) const
{
    const int i = fieldIndex(field);
    return i < 0 ? nullptr : m_set->columns[i];
}

QStringList Recordset::fieldNames() const
{
    return m_set ? m_set->names : QStringList();
}

QVariant Recordset::value(int column) const
{
    if (m_mode != Mode::None)
        return m_buffer.value(column);
    const Row *r = currentRow();
    if (!r)
        throw noCurrent();
    return r->values.value(column);
}

QVariant Recordset::value(const QString &field) const
{
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(DbErr::NoSuchField, QStringLiteral("Campo '%1' non trovato.").arg(field));
    return value(col);
}

QString Recordset::text(const QString &field) const
{
    const QVariant v = value(field);
    return isNull(v) ? QString() : v.toString();
}

static void requireTable(const QString &table)
{
    if (table.isEmpty())
        throw DbError(DbErr::NotUpdatable, QStringLiteral("Impossibile aggiornare. Database o oggetto di sola lettura."));
}

void Recordset::addNew()
{
    if (!m_set)
        throw noCurrent();
    requireTable(m_set->table);
    if (!leaveRow())
        throw DbError(DbErr::CancelledByBoundField, QStringLiteral("Operazione annullata: le modifiche in corso non sono state salvate."));
    const int n = int(m_set->names.size());
    m_buffer = QVariantList(n);
    m_dirty = QVector<bool>(n, false);
    for (int i = 0; i < n; ++i) {
        const ColumnInfo *c = m_set->columns[i];
        if (!c)
            continue;
        if (c->type == FieldType::AutoNumber) {
            m_buffer[i] = m_db->reserveAutoNumber(m_set->table);
            m_dirty[i] = true;
        } else if (c->defaultValue.isValid()) {
            m_buffer[i] = fromStorage(c, c->defaultValue);
            m_dirty[i] = true;
        } else if (c->type == FieldType::Boolean) {
            m_buffer[i] = false;
        }
    }
    m_mode = Mode::Add;
}

void Recordset::edit()
{
    requireTable(m_set ? m_set->table : QString());
    const Row *r = currentRow();
    if (!r)
        throw noCurrent();
    m_buffer = r->values;
    m_dirty = QVector<bool>(m_buffer.size(), false);
    m_mode = Mode::Edit;
}

void Recordset::setValue(const QString &field, const QVariant &v)
{
    if (m_mode == Mode::None)
        throw DbError(DbErr::NotInEditMode, QStringLiteral("Aggiornamento o annullamento senza AddNew o Edit."));
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(DbErr::NoSuchField, QStringLiteral("Campo '%1' non trovato.").arg(field));
    const ColumnInfo *c = m_set->columns[col];
    if (!c)
        throw DbError(DbErr::NotUpdatable, QStringLiteral("Il campo '%1' non è aggiornabile.").arg(field));
    if (c->type == FieldType::AutoNumber)
        throw DbError(DbErr::NotUpdatable, QStringLiteral("Il campo '%1' non è aggiornabile.").arg(field));
    // Checked now, so that a value the field cannot take fails here, where
    // the caller knows which field it was.
    m_buffer[col] = fromStorage(c, toStorage(*c, v, m_set->table));
    m_dirty[col] = true;
}

void Recordset::update()
{
    if (m_mode == Mode::None)
        throw DbError(DbErr::NotInEditMode, QStringLiteral("Aggiornamento o annullamento senza AddNew o Edit."));
    const bool edited = m_mode == Mode::Edit;
    if (edited && onBeforeUpdate)
        onBeforeUpdate();
    const QString &t = m_set->table;
    QStringList cols;
    QVariantList params;
    for (int i = 0; i < m_buffer.size(); ++i) {
        if (!m_dirty[i])
            continue;
        cols << u'"' + m_set->names[i] + u'"';
        params << toStorage(*m_set->columns[i], m_buffer[i], t);
    }
    if (m_mode == Mode::Add) {
        QStringList marks;
        for (int i = 0; i < cols.size(); ++i)
            marks << QStringLiteral("?");
        const QString sql = cols.isEmpty() ? QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(t)
                                           : QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                                 .arg(t, cols.join(u','), marks.join(u','));
        m_db->execute(sql, params);
        Row r;
        r.id = m_db->scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
        // The buffer holds what was stored: addNew filled in the defaults and
        // setValue kept each value in its stored form.
        r.values = m_buffer;
        const bool atEnd = m_pos >= int(m_set->rows.size());
        m_set->rows.push_back(std::move(r));
        ++m_set->live;
        if (atEnd)
            m_pos = int(m_set->rows.size());
        m_lastModified = m_set->rows.back().id;
    } else {
        Row &r = m_set->rows[m_pos];
        if (!cols.isEmpty()) {
            QStringList sets;
            for (const auto &c : cols)
                sets << c + QStringLiteral("=?");
            params << r.id;
            // A row deleted meanwhile by another way is not saved: say so.
            if (m_db->execute(QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid=?").arg(t, sets.join(u',')), params) == 0)
                throw DbError(DbErr::RecordDeleted, QStringLiteral("Il record è stato eliminato."));
        }
        r.values = m_buffer;
        m_lastModified = r.id;
    }
    m_mode = Mode::None;
    m_buffer.clear();
    if (edited && onAfterUpdate)
        onAfterUpdate();
}

void Recordset::cancelUpdate()
{
    m_mode = Mode::None;
    m_buffer.clear();
}

void Recordset::remove()
{
    requireTable(m_set ? m_set->table : QString());
    const Row *r = currentRow();
    if (!r)
        throw noCurrent();
    m_db->execute(QStringLiteral("DELETE FROM \"%1\" WHERE rowid=?").arg(m_set->table), {r->id});
    m_set->rows[m_pos].deleted = true;
    --m_set->live;
    m_mode = Mode::None;
}

void Recordset::requery()
{
    if (!m_db)
        throw noCurrent();
    if (!leaveRow())
        return;
    load();
    moved();
}

Recordset Recordset::clone() const
{
    Recordset c;
    c.m_db = m_db;
    c.m_sql = m_sql;
    c.m_params = m_params;
    c.m_set = m_set;
    c.m_pos = m_set && !m_set->rows.empty() ? nextLive(-1, 1) : 0;
    return c;
}
