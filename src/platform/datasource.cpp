#include "datasource.h"

#include <algorithm>

DataSource::DataSource(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

DataSource::~DataSource() = default;

void DataSource::setRecordSource(const QString &sql, const QVariantList &params)
{
    m_sql = sql;
    m_params = params;
}

void DataSource::collegaRecordset()
{
    m_recordset.onLeaveRow = [this] { return lasciaRiga(); };
    m_recordset.onBeforeUpdate = [this] { applicaModifiche(); };
    m_recordset.onAfterUpdate = [this] {
        for (CampoCollegato *c : m_campi)
            c->segnaScritto();
    };
    m_recordset.onReposition = [this] {
        ricaricaCampi();
        emit reposition();
    };
}

void DataSource::refresh()
{
    if (m_recordset.isOpen() && !lasciaRiga())
        return;
    // The data sources share the connection already open on the file, also
    // when the shop holds it exclusively.
    auto db = Database::open(m_databaseName);
    Recordset rs(db, m_sql.contains(u' ') ? m_sql : QStringLiteral("SELECT * FROM \"%1\"").arg(m_sql), m_params);
    m_recordset = std::move(rs);
    collegaRecordset();
    ricaricaCampi();
    emit reposition();
}

void DataSource::close()
{
    m_recordset.close();
    ricaricaCampi();
}

void DataSource::collega(CampoCollegato *campo)
{
    m_campi.push_back(campo);
    campo->carica(m_recordset.isOpen() && m_recordset.hasCurrent() && m_recordset.hasField(campo->campo())
                      ? m_recordset.value(campo->campo())
                      : QVariant());
}

void DataSource::scollega(CampoCollegato *campo)
{
    m_campi.erase(std::remove(m_campi.begin(), m_campi.end(), campo), m_campi.end());
}

bool DataSource::modifichePendenti() const
{
    return std::any_of(m_campi.begin(), m_campi.end(), [](const CampoCollegato *c) { return c->modificato(); });
}

void DataSource::applicaModifiche()
{
    for (CampoCollegato *c : m_campi)
        if (c->modificato() && m_recordset.hasField(c->campo()))
            m_recordset.setValue(c->campo(), c->valore());
}

bool DataSource::scriviModifiche()
{
    if (!modifichePendenti() || !m_recordset.isOpen() || !m_recordset.hasCurrent())
        return true;
    try {
        if (!m_recordset.editing())
            m_recordset.edit();
        m_recordset.update();  // takes the pending edits with it
    } catch (const DbError &e) {
        m_recordset.cancelUpdate();
        emit error(e.number, e.description);
        return false;
    }
    return true;
}

bool DataSource::lasciaRiga()
{
    return scriviModifiche();
}

void DataSource::ricaricaCampi()
{
    const bool riga = m_recordset.isOpen() && m_recordset.hasCurrent();
    for (CampoCollegato *c : m_campi) {
        c->carica(riga && m_recordset.hasField(c->campo()) ? m_recordset.value(c->campo()) : QVariant());
        c->segnaScritto();
    }
}
