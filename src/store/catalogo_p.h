#pragma once
// Helpers shared by the catalogue operations' source files.
#include "database.h"
#include "recordset.h"

namespace catalogo {

qint64 ordinamento(const Recordset &rs);
void scriviOrdinamento(Recordset &rs, qint64 valore);
// The sort order of a row inserted after (dopo) or before the current row,
// renumbering the rows that follow when that value is taken. The recordset
// (on `tabella`) must be requeried afterwards.
qint64 nuovoOrdinamento(Recordset &rs, const QString &tabella, bool dopo);
// Requeries and goes back to the row with that ID.
void ritorna(Recordset &rs, const QVariant &id);

} // namespace catalogo
