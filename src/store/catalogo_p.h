#pragma once
// Helpers shared by the catalogue operations' source files.
#include "database.h"
#include "recordset.h"

namespace catalogo {

// A transaction that is undone unless committed, on every way out.
class Transazione {
public:
    explicit Transazione(Database &db) : m_db(db) { m_db.beginTrans(); }
    ~Transazione()
    {
        try {
            finish();
        } catch (...) {
        }
    }
    void commit()
    {
        if (m_open) {
            m_open = false;
            m_db.commitTrans();
        }
    }
    // Undoes what was not committed.
    void finish()
    {
        if (m_open) {
            m_open = false;
            m_db.rollback();
        }
    }
    Transazione(const Transazione &) = delete;
    Transazione &operator=(const Transazione &) = delete;

private:
    Database &m_db;
    bool m_open = true;
};

qint64 ordinamento(const Recordset &rs);
void scriviOrdinamento(Recordset &rs, qint64 valore);
// The sort order of a row inserted after (dopo) or before the current row,
// renumbering the rows that follow when that value is taken. The recordset
// (on `tabella`) must be requeried afterwards.
qint64 nuovoOrdinamento(Recordset &rs, const QString &tabella, bool dopo);
// Requeries and goes back to the row with that ID.
void ritorna(Recordset &rs, const QVariant &id);

} // namespace catalogo
