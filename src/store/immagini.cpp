// The pictures of the current rows: an article's, a department's and the
// shop's logos, set through the picture chooser or cleared. The row's data
// source announces the write, and DatiPrincipali the row.
#include "catalogo.h"

#include "datiprincipali.h"
#include "immaginicatalogo.h"
#include "negozio.h"

bool Catalogo::ImpostaImmagine(FamigliaImmagine famiglia, int n, SceltaImmagineModale &scelta)
{
    Recordset &rs = dati().sorgenteImmagine(famiglia).recordset();
    if (!rs.isOpen() || !rs.hasCurrent())
        return false;
    try {
        ::ImpostaImmagine(rs, n, scelta);
    } catch (...) {
        rs.cancelUpdate();
        throw;
    }
    return true;
}

bool Catalogo::EliminaImmagine(FamigliaImmagine famiglia, int n)
{
    Recordset &rs = dati().sorgenteImmagine(famiglia).recordset();
    if (!rs.isOpen() || !rs.hasCurrent())
        return false;
    try {
        rs.edit();
        rs.setValue(QStringLiteral("immagine%1").arg(n), QString());
        rs.update();
    } catch (...) {
        rs.cancelUpdate();
        throw;
    }
    return true;
}
