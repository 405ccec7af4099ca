#include "datasource.h"

DataSource::DataSource(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

void DataSource::setRecordSource(const QString &sql, const QVariantList &params)
{
    m_sql = sql;
    m_params = params;
}

void DataSource::refresh()
{
    // The data sources share the connection already open on the file, also
    // when the shop holds it exclusively.
    auto db = Database::open(m_databaseName);
    Recordset rs(db, m_sql.contains(u' ') ? m_sql : QStringLiteral("SELECT * FROM \"%1\"").arg(m_sql), m_params);
    rs.onReposition = [this] { emit reposition(); };
    m_recordset = std::move(rs);
    emit reposition();
}

void DataSource::close()
{
    m_recordset.close();
}
