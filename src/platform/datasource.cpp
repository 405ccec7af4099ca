#include "datasource.h"

#include <QScopedValueRollback>
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
    // The pending edits are written before the row changes; a refused value
    // has been reported and put back, so the row always moves on.
    m_recordset.onLeaveRow = [this] {
        if (m_pause == 0)
            scriviModifiche();
        return true;
    };
    m_recordset.onBeforeUpdate = [this] {
        if (m_pause == 0)
            applicaModifiche();
    };
    m_recordset.onAfterUpdate = [this] {
        if (m_pause > 0)
            return;
        const bool daiCampi = m_scrivendo;
        if (daiCampi) {
            for (CampoCollegato *c : m_campi)
                if (daScrivere(c) || !c->modificato())
                    c->segnaScritto();
        } else {
            ricaricaCampi();
        }
        emit scritto(daiCampi);
    };
    m_recordset.onReposition = [this] {
        if (m_pause > 0)
            return;
        ricaricaCampi();
        emit reposition();
    };
}

DataSource::Pausa::Pausa(DataSource &sorgente) : m_sorgente(sorgente)
{
    m_sorgente.sospendi();
}

DataSource::Pausa::~Pausa()
{
    if (m_finita)
        return;
    try {
        fine();
    } catch (const std::exception &e) {
        qWarning("%s: the row could not be shown again after a pause: %s", qPrintable(m_sorgente.objectName()),
                 e.what());
    }
}

void DataSource::Pausa::fine()
{
    if (m_finita)
        return;
    m_finita = true;
    m_sorgente.riprendi();
}

void DataSource::sospendi()
{
    if (m_pause == 0)
        scriviModifiche();
    ++m_pause;
}

void DataSource::riprendi()
{
    if (--m_pause > 0)
        return;
    ricaricaCampi();
    emit reposition();
}

void DataSource::refresh()
{
    if (m_recordset.isOpen())
        scriviModifiche();
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
        if (daScrivere(c) && m_recordset.hasField(c->campo()))
            m_recordset.setValue(c->campo(), c->valore());
}

bool DataSource::daScrivere(const CampoCollegato *campo) const
{
    return campo->modificato() && (!m_richiedente || campo == m_richiedente || !campo->trattenuto());
}

bool DataSource::ciSonoDaScrivere() const
{
    return std::any_of(m_campi.begin(), m_campi.end(), [this](const CampoCollegato *c) { return daScrivere(c); });
}

CampoCollegato *DataSource::collegato(const QString &campo) const
{
    for (CampoCollegato *c : m_campi)
        if (c->campo().compare(campo, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

bool DataSource::scriviModifiche(const CampoCollegato *richiedente)
{
    if (m_segnalando)
        return false;
    if (!richiedente)
        for (CampoCollegato *c : m_campi)
            if (c->trattenuto())
                c->concludi();
    bool tuttoScritto = true;
    const QScopedValueRollback<const CampoCollegato *> chiesta(m_richiedente, richiedente);
    // Each refusal takes one field out of the write (or corrects it), so the
    // loop ends within one round per bound field.
    for (size_t giro = 0; giro <= m_campi.size(); ++giro) {
        if (!ciSonoDaScrivere() || !m_recordset.isOpen() || !m_recordset.hasCurrent())
            return tuttoScritto;
        // The field named when the engine names none.
        const CampoCollegato *inScrittura = richiedente && richiedente->modificato() ? richiedente : nullptr;
        for (auto it = m_campi.begin(); !inScrittura && it != m_campi.end(); ++it)
            if (daScrivere(*it))
                inScrittura = *it;
        try {
            const QScopedValueRollback<bool> scrivendo(m_scrivendo, true);
            if (!m_recordset.editing())
                m_recordset.edit();
            m_recordset.update();  // takes the pending edits with it
            return tuttoScritto;
        } catch (const DbError &e) {
            m_recordset.cancelUpdate();
            tuttoScritto = false;
            CampoCollegato *rifiutato = collegato(e.campo);
            const QVariant prima = rifiutato ? rifiutato->valore() : QVariant();
            {
                const QScopedValueRollback<bool> segnalando(m_segnalando, true);
                emit error(e.number, e.description,
                           e.campo.isEmpty() && inScrittura ? inScrittura->campo() : e.campo);
            }
            if (!rifiutato) {
                // The engine named no field: the record goes back to what is stored.
                ricaricaCampi();
                return false;
            }
            if (rifiutato->modificato() && rifiutato->valore() == prima) {
                rifiutato->carica(m_recordset.value(e.campo));
                rifiutato->segnaScritto();
            }
        }
    }
    return tuttoScritto;
}

void DataSource::ricaricaCampi()
{
    const bool riga = m_recordset.isOpen() && m_recordset.hasCurrent();
    for (CampoCollegato *c : m_campi) {
        c->carica(riga && m_recordset.hasField(c->campo()) ? m_recordset.value(c->campo()) : QVariant());
        c->segnaScritto();
    }
}
