#include "schema.h"

#include <QRegularExpression>

const FieldDef *TableDef::field(const QString &n) const
{
    for (const auto &f : fields)
        if (f.name.compare(n, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const TableDef *DatabaseDef::table(const QString &n) const
{
    for (const auto &t : tables)
        if (t.name.compare(n, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString declaredType(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::Text: return QStringLiteral("TEXT(%1)").arg(f.size > 0 ? f.size : 255);
    case FieldType::Memo: return QStringLiteral("LONGTEXT");
    case FieldType::Boolean: return QStringLiteral("BOOLEAN");
    case FieldType::Byte: return QStringLiteral("BYTE");
    case FieldType::Integer: return QStringLiteral("SHORT");
    case FieldType::Long: return QStringLiteral("LONG");
    case FieldType::Single: return QStringLiteral("SINGLE");
    case FieldType::Double: return QStringLiteral("DOUBLE");
    case FieldType::Currency: return QStringLiteral("CURRENCY");
    case FieldType::DateTime: return QStringLiteral("DATETIME");
    case FieldType::AutoNumber: return QStringLiteral("INTEGER");
    }
    return {};
}

bool parseDeclaredType(const QString &declared, FieldType &type, int &size)
{
    static const QRegularExpression text(QStringLiteral("^TEXT\\((\\d+)\\)$"));
    const QString d = declared.trimmed().toUpper();
    size = 0;
    if (auto m = text.match(d); m.hasMatch()) {
        type = FieldType::Text;
        size = m.captured(1).toInt();
        return true;
    }
    static const std::pair<const char *, FieldType> names[] = {
        {"LONGTEXT", FieldType::Memo}, {"BOOLEAN", FieldType::Boolean}, {"BYTE", FieldType::Byte},
        {"SHORT", FieldType::Integer}, {"LONG", FieldType::Long}, {"SINGLE", FieldType::Single},
        {"DOUBLE", FieldType::Double}, {"CURRENCY", FieldType::Currency},
        {"DATETIME", FieldType::DateTime}, {"INTEGER", FieldType::AutoNumber},
    };
    for (const auto &[name, t] : names)
        if (d == QLatin1String(name)) {
            type = t;
            return true;
        }
    return false;
}

static QString sqlLiteral(const QVariant &v, FieldType type)
{
    if (type == FieldType::Boolean)
        return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    if (type == FieldType::Currency)
        return QString::number(qRound64(v.toDouble() * 10000));
    if (type == FieldType::Text || type == FieldType::Memo || type == FieldType::DateTime) {
        QString s = v.toString();
        s.replace(u'\'', QStringLiteral("''"));
        return u'\'' + s + u'\'';
    }
    return v.toString();
}

QString columnSql(const FieldDef &f)
{
    const QString q = u'"' + f.name + u'"';
    QString sql = q + u' ' + declaredType(f);
    if (f.type == FieldType::AutoNumber)
        return sql + QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
    if ((f.type == FieldType::Text || f.type == FieldType::Memo) && !f.exact)
        sql += QStringLiteral(" COLLATE JET");
    if (f.type == FieldType::Boolean)
        sql += QStringLiteral(" NOT NULL");
    if (f.defaultValue.isValid())
        sql += QStringLiteral(" DEFAULT ") + sqlLiteral(f.defaultValue, f.type);
    else if (f.type == FieldType::Boolean)
        sql += QStringLiteral(" DEFAULT 0");
    auto check = [&](const char *what, const QString &cond) {
        sql += QStringLiteral(" CONSTRAINT \"%1:%2\" CHECK (%3)").arg(f.name, QLatin1String(what), cond);
    };
    switch (f.type) {
    case FieldType::Text:
        check("size", QStringLiteral("length(%1) <= %2").arg(q).arg(f.size > 0 ? f.size : 255));
        break;
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::Boolean:
    case FieldType::Currency:
        check("type", QStringLiteral("typeof(%1) IN ('integer','null')").arg(q));
        break;
    case FieldType::Single:
    case FieldType::Double:
        check("type", QStringLiteral("typeof(%1) IN ('integer','real','null')").arg(q));
        break;
    default:
        break;
    }
    if (f.type == FieldType::Byte)
        check("range", q + QStringLiteral(" BETWEEN 0 AND 255"));
    else if (f.type == FieldType::Integer)
        check("range", q + QStringLiteral(" BETWEEN -32768 AND 32767"));
    else if (f.type == FieldType::Long)
        check("range", q + QStringLiteral(" BETWEEN -2147483648 AND 2147483647"));
    if ((f.type == FieldType::Text || f.type == FieldType::Memo) && !f.allowEmpty)
        check("empty", q + QStringLiteral(" <> ''"));
    return sql;
}

QString createTableSql(const TableDef &t)
{
    QStringList cols;
    for (const auto &f : t.fields)
        cols << QStringLiteral("  ") + columnSql(f);
    return QStringLiteral("CREATE TABLE \"%1\" (\n%2\n)").arg(t.name, cols.join(QStringLiteral(",\n")));
}

QString createIndexSql(const TableDef &t, const IndexDef &i)
{
    QStringList cols;
    for (const auto &c : i.fields)
        cols << u'"' + c + u'"';
    return QStringLiteral("CREATE %1INDEX \"%2\" ON \"%3\" (%4)")
        .arg(i.unique ? QStringLiteral("UNIQUE ") : QString(), i.name, t.name, cols.join(u','));
}
