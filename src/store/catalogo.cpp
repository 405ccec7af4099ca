// Sort order, moving rows, adding and deleting articles.
//
// Rows are ordered by `ordinamento`, whose values only need to be distinct
// and increasing. An insertion takes the neighbour's value plus or minus one
// and renumbers the rows that follow only when that value is already taken;
// the renumbering and the insertion are written in one transaction.
#include "catalogo.h"

#include "datiprincipali.h"
#include "negozio.h"
#include "catalogo_p.h"

Catalogo::Catalogo(Negozio &negozio) : m_negozio(negozio) {}

DatiPrincipali &Catalogo::dati() const
{
    return m_negozio.dati();
}

ShopState &Catalogo::state() const
{
    return m_negozio.state;
}

Database &Catalogo::db() const
{
    return *m_negozio.state.dbCatalogo;
}

namespace catalogo {

qint64 ordinamento(const Recordset &rs)
{
    return rs.value(QStringLiteral("ordinamento")).toLongLong();
}

void scriviOrdinamento(Recordset &rs, qint64 valore)
{
    rs.edit();
    rs.setValue(QStringLiteral("ordinamento"), valore);
    rs.update();
}

// Renumbers the current row and every row after it, in their order:
// primo, primo + 1, ... One statement does it, so a department of thousands
// of articles is renumbered at once; the caller requeries the list afterwards.
static void rinumeraDaQui(Recordset &rs, const QString &tabella, qint64 primo)
{
    Recordset seguenti = rs.clone();
    seguenti.setBookmark(rs.bookmark());
    QStringList righe;
    for (; !seguenti.eof(); seguenti.moveNext())
        righe << QString::number(seguenti.bookmark());
    rs.database()->execute(QStringLiteral("UPDATE \"%1\" SET ordinamento = ? + r.key FROM json_each(?) AS r "
                                          "WHERE \"%1\".rowid = r.value")
                               .arg(tabella),
                           {primo, u'[' + righe.join(u',') + u']'});
}

qint64 nuovoOrdinamento(Recordset &rs, const QString &tabella, bool dopo)
{
    if (rs.recordCount() == 0)
        return 1;
    if (dopo) {
        if (rs.eof()) {  // after the last row
            rs.moveLast();
            return ordinamento(rs) + 1;
        }
        if (rs.bof()) {  // before the first row: the new one goes first
            rs.moveFirst();
            return ordinamento(rs) - 1;
        }
        const qint64 nuovo = ordinamento(rs) + 1;
        rs.moveNext();
        if (!rs.eof() && nuovo >= ordinamento(rs))
            rinumeraDaQui(rs, tabella, nuovo + 1);
        return nuovo;
    }
    if (rs.bof()) {  // before the first row
        rs.moveFirst();
        return ordinamento(rs) - 1;
    }
    if (rs.eof()) {  // after the last row: the new one goes last
        rs.moveLast();
        return ordinamento(rs) + 1;
    }
    const qint64 nuovo = ordinamento(rs) - 1;
    rs.movePrevious();
    if (rs.bof())
        return nuovo;
    const qint64 precedente = ordinamento(rs);
    if (precedente < nuovo)
        return nuovo;
    rs.moveNext();
    rinumeraDaQui(rs, tabella, precedente + 2);
    return precedente + 1;
}

// Puts a recordset back on the row with the given ID (or leaves it where the
// requery put it when that row is gone).
void ritorna(Recordset &rs, const QVariant &id)
{
    rs.requery();
    if (id.isValid())
        rs.findFirst(QStringLiteral("ID"), id);
}

} // namespace catalogo

using namespace catalogo;

void Catalogo::SpostaRecord(int tipo, int direzione)
{
    DatiPrincipali &d = dati();
    Recordset &rs = tipo == Articoli ? d.dataArticoli.recordset() : d.dataFratelli.recordset();
    if (!rs.isOpen() || !rs.hasCurrent())
        return;

    BusyFlag busy(state().InAggiornamento);
    const qint64 valore = ordinamento(rs);
    const QVariant id = rs.value(QStringLiteral("ID"));

    // The two rows exchange their values together or not at all.
    Transazione t(db());
    try {
        if (direzione < 0)
            rs.movePrevious();
        else
            rs.moveNext();
        if (!rs.bof() && !rs.eof()) {
            const qint64 vicino = ordinamento(rs);
            scriviOrdinamento(rs, valore);
            if (direzione < 0)
                rs.moveNext();
            else
                rs.movePrevious();
            scriviOrdinamento(rs, vicino);
            t.commit();
            rs.requery();
        }
    } catch (...) {
        rs.cancelUpdate();
        t.finish();
        ritorna(rs, id);
        throw;
    }
    t.finish();
    rs.findFirst(QStringLiteral("ID"), id);

    if (tipo == Reparti) {
        // The department list shows the new order too, still on the same department.
        Recordset &c = d.dataCategorie.recordset();
        ritorna(c, id);
        m_negozio.CaricaReparti(false);
        d.tvwCategorie.seleziona(id.toString());
    }
}

qint64 Catalogo::AggiungiArticoloDopo()
{
    return aggiungiArticolo(true);
}

qint64 Catalogo::AggiungiArticoloPrima()
{
    return aggiungiArticolo(false);
}

qint64 Catalogo::aggiungiArticolo(bool dopo)
{
    DatiPrincipali &d = dati();
    Recordset &a = d.dataArticoli.recordset();
    const Recordset &c = d.dataCategorie.recordset();
    qint64 nuovo = 0;
    bool inCoda = false;  // the new article sorts after every other
    {
        BusyFlag busy(state().InAggiornamento);
        // Without a selected department there is nowhere to add.
        if (!c.isOpen() || !c.hasCurrent() || !a.isOpen())
            return 0;
        const QVariant prima = a.hasCurrent() ? a.value(QStringLiteral("ID")) : QVariant();
        Transazione t(db());
        try {
            const qint64 valore = nuovoOrdinamento(a, QStringLiteral("articoli"), dopo);
            if (a.recordCount() == 0) {
                inCoda = true;
            } else {
                Recordset ultimo = a.clone();
                ultimo.moveLast();
                inCoda = valore > ordinamento(ultimo);
            }
            const QString reparto = c.text(QStringLiteral("ID"));
            a.addNew();
            a.setValue(QStringLiteral("ordinamento"), valore);
            a.setValue(QStringLiteral("catID"), reparto);
            const qint64 id = a.value(QStringLiteral("ID")).toLongLong();
            a.update();
            t.commit();
            nuovo = id;
        } catch (const std::exception &) {
            // Nothing is added and no follower keeps a new number.
            a.cancelUpdate();
            t.finish();
            ritorna(a, prima);
            return 0;
        }
    }
    // The flag is clear: the window's Reposition work runs for the new
    // article. One that sorts last is already in its place among the rows
    // the recordset holds; otherwise they are read again in their order.
    if (!inCoda)
        a.requery();
    a.findFirst(QStringLiteral("ID"), nuovo);
    d.contaArticolo(+1);
    return nuovo;
}

bool Catalogo::EliminaArticolo()
{
    DatiPrincipali &d = dati();
    Recordset &a = d.dataArticoli.recordset();
    if (!a.isOpen() || !a.hasCurrent())
        return false;
    {
        BusyFlag busy(state().InAggiornamento);
        // The article's pending edits go with it: nothing is left to write
        // into the deleted row when the current row moves on.
        d.dataArticoli.ricaricaCampi();
        a.remove();
    }
    d.contaArticolo(-1);
    // The flag is clear: the window's Reposition work runs for the row that
    // becomes current, the one before the deleted row or else the new first;
    // for none when the department is left empty.
    if (a.recordCount() == 0) {
        a.requery();
        return true;
    }
    a.movePrevious();
    if (a.bof())
        a.moveNext();
    return true;
}
