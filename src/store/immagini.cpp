// The pictures of the current rows: an article's, a department's and the
// shop's logos, set through the picture chooser or cleared.
#include "catalogo.h"

#include "datiprincipali.h"
#include "immaginicatalogo.h"
#include "negozio.h"

namespace {

// The chooser as ImpostaImmagine sees it, noting whether it handed a
// picture back.
class SceltaOsservata : public SceltaImmagineModale {
public:
    explicit SceltaOsservata(SceltaImmagineModale &scelta) : m_scelta(scelta) {}
    RisultatoScelta scegli(const QString &nomeAttuale) override
    {
        const RisultatoScelta r = m_scelta.scegli(nomeAttuale);
        scelto = !r.nome.isEmpty();
        return r;
    }
    bool scelto = false;

private:
    SceltaImmagineModale &m_scelta;
};

} // namespace

bool Catalogo::ImpostaImmagine(FamigliaImmagine famiglia, int n, SceltaImmagineModale &scelta)
{
    DatiPrincipali &d = dati();
    Recordset &rs = d.sorgenteImmagine(famiglia).recordset();
    if (!rs.isOpen() || !rs.hasCurrent())
        return false;
    SceltaOsservata osservata(scelta);
    try {
        ::ImpostaImmagine(rs, n, osservata);
    } catch (...) {
        rs.cancelUpdate();
        throw;
    }
    if (osservata.scelto)
        d.annunciaImmagine(famiglia, n);
    return true;
}

bool Catalogo::EliminaImmagine(FamigliaImmagine famiglia, int n)
{
    DatiPrincipali &d = dati();
    Recordset &rs = d.sorgenteImmagine(famiglia).recordset();
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
    d.annunciaImmagine(famiglia, n);
    return true;
}
