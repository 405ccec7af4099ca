// Adding, deleting and re-parenting departments.
//
// After every change of the structure the department list is read again and
// the tree rebuilt from the table, with the busy flag set; the flag is then
// cleared and the department that should be selected is found in
// dataCategorie, so that the window's Reposition work runs once, for it.
#include "catalogo.h"

#include "catalogo_p.h"
#include "datiprincipali.h"
#include "messages.h"
#include "negozio.h"

using namespace catalogo;

namespace {
const QString Radice = AlberoReparti::Radice;

QString genitoreDi(const Recordset &rs)
{
    const QVariant g = rs.value(QStringLiteral("genitore"));
    return g.isValid() ? g.toString() : Radice;
}
} // namespace

QString Catalogo::idReparto(qint64 contatore)
{
    return QStringLiteral("cat%1").arg(contatore, 3, 10, QLatin1Char('0'));
}

// Fills the fields every new department gets; the caller has called addNew.
static QString nuovoReparto(Recordset &rs, qint64 valore, const QString &genitore, int livello,
                            const QStringList &modelli)
{
    const QString id = Catalogo::idReparto(rs.value(QStringLiteral("contatore")).toLongLong());
    rs.setValue(QStringLiteral("ordinamento"), valore);
    rs.setValue(QStringLiteral("genitore"), genitore);
    rs.setValue(QStringLiteral("ID"), id);
    rs.setValue(QStringLiteral("pagina"), id);
    rs.setValue(QStringLiteral("livello"), livello);
    if (!modelli.isEmpty())
        rs.setValue(QStringLiteral("template"), modelli.first());
    rs.setValue(QStringLiteral("titolo"), QStringLiteral("Nuovo Reparto"));
    return id;
}

QString Catalogo::AggiungiRepartoDopo()
{
    return aggiungiReparto(true);
}

QString Catalogo::AggiungiRepartoPrima()
{
    return aggiungiReparto(false);
}

QString Catalogo::aggiungiReparto(bool dopo)
{
    DatiPrincipali &d = dati();
    Recordset &f = d.dataFratelli.recordset();
    Recordset &c = d.dataCategorie.recordset();
    QString nuovo;
    {
        BusyFlag busy(state().InAggiornamento);
        if (!c.isOpen() || !c.hasCurrent() || !f.isOpen())
            return {};
        const QVariant prima = f.hasCurrent() ? f.value(QStringLiteral("ID")) : QVariant();
        Transazione t(db());
        try {
            const qint64 valore = nuovoOrdinamento(f, QStringLiteral("categorie"), dopo);
            const QVariant genitore = c.value(QStringLiteral("genitore"));
            const int livello = c.value(QStringLiteral("livello")).toInt();
            f.addNew();
            nuovo = nuovoReparto(f, valore, genitore.isValid() ? genitore.toString() : QString(), livello,
                                 d.cboTemplate);
            if (!genitore.isValid())
                f.setValue(QStringLiteral("genitore"), QVariant());
            f.update();
            t.commit();
        } catch (const std::exception &) {
            // Nothing is added and no sibling keeps a new number.
            f.cancelUpdate();
            t.finish();
            ritorna(f, prima);
            return {};
        }
        f.requery();
        c.requery();
        m_negozio.CaricaReparti(false);
    }
    // The new department becomes the selected one, in the list and the tree.
    c.findFirst(QStringLiteral("ID"), nuovo);
    return nuovo;
}

QString Catalogo::AggiungiSottoreparto()
{
    DatiPrincipali &d = dati();
    Recordset &c = d.dataCategorie.recordset();
    QString nuovo;
    {
        BusyFlag busy(state().InAggiornamento);
        const bool sotto = c.isOpen() && c.hasCurrent();
        const QString genitore = sotto ? c.text(QStringLiteral("ID")) : Radice;
        const int livello = sotto ? c.value(QStringLiteral("livello")).toInt() + 1 : 1;
        const Recordset::Bookmark padre = sotto ? c.bookmark() : 0;

        // The new department becomes the parent's last child.
        const QVariant ultimo = db().scalar(QStringLiteral("SELECT MAX(ordinamento) FROM categorie WHERE genitore=?"),
                                            {genitore});
        const qint64 valore = ultimo.isValid() && !ultimo.isNull() ? ultimo.toLongLong() + 1 : 1;

        Transazione t(db());
        try {
            c.addNew();
            nuovo = nuovoReparto(c, valore, genitore, livello, d.cboTemplate);
            c.update();
            if (sotto) {
                c.setBookmark(padre);
                c.edit();
                c.setValue(QStringLiteral("hafigli"), true);
                c.update();
            }
            t.commit();
        } catch (...) {
            c.cancelUpdate();
            t.finish();
            if (sotto) {
                ritorna(c, genitore);
            } else {
                // Back before the first row, where a selected root stands.
                c.requery();
                if (c.recordCount() > 0) {
                    c.moveFirst();
                    c.movePrevious();
                }
            }
            throw;
        }
        c.requery();
        m_negozio.CaricaReparti(false);
    }
    c.findFirst(QStringLiteral("ID"), nuovo);
    return nuovo;
}

void Catalogo::EliminaReparto()
{
    DatiPrincipali &d = dati();
    Recordset &c = d.dataCategorie.recordset();
    if (!c.isOpen() || !c.hasCurrent())
        return;
    Messages &msg = m_negozio.messages();
    if (db().scalar(QStringLiteral("SELECT COUNT(*) FROM categorie")).toLongLong() < 2) {
        msg.warning(QStringLiteral("Almeno un reparto deve essere definito: non è possibile eliminare questo reparto"));
        return;
    }
    const QString id = c.text(QStringLiteral("ID"));
    const QString genitore = genitoreDi(c);
    // Sub-departments would be left without a parent: the table decides, not only the flag.
    const qint64 figli = db().scalar(QStringLiteral("SELECT COUNT(*) FROM categorie WHERE genitore=?"), {id}).toLongLong();
    if (figli > 0 || c.value(QStringLiteral("hafigli")).toBool()) {
        msg.information(QStringLiteral("Non è consentito eliminare un reparto che contiene sottoreparti.\r\n"
                                       "Per cancellare questo reparto è necessario rimuovere i sottoreparti."));
        return;
    }
    const qint64 articoli =
        db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID=?"), {id}).toLongLong();

    bool padreTrovato = false;
    {
        BusyFlag busy(state().InAggiornamento);
        // The department, its articles and the parent's flag go together.
        Transazione t(db());
        try {
            db().execute(QStringLiteral("DELETE FROM articoli WHERE catID=?"), {id});
            c.remove();
            if (genitore != Radice
                && db().scalar(QStringLiteral("SELECT COUNT(*) FROM categorie WHERE genitore=?"), {genitore}).toLongLong() == 0)
                db().execute(QStringLiteral("UPDATE categorie SET hafigli=0 WHERE ID=?"), {genitore});
            t.commit();
        } catch (...) {
            t.finish();
            ritorna(c, id);
            throw;
        }
        c.requery();
        m_negozio.CaricaReparti(false);
        padreTrovato = genitore != Radice && d.tvwCategorie.contiene(genitore);
    }

    d.impostaTotaleArticoli(state().TotaleArticoli - articoli);

    if (padreTrovato && c.findFirst(QStringLiteral("ID"), genitore))
        return;  // the parent is now the selected department
    d.tornaAllaRadice();
}

void Catalogo::SpostaReparto(const QString &origine, const QString &destinazione)
{
    DatiPrincipali &d = dati();
    // The tree refuses a parent that is the node itself or lies below it.
    if (origine == Radice || !d.tvwCategorie.spostaSotto(origine, destinazione))
        return;
    if (!SalvaAlbero()) {
        const QString corrente = d.repartoCorrente();
        if (d.tvwCategorie.contiene(corrente)) {
            BusyFlag busy(state().InAggiornamento);
            d.tvwCategorie.seleziona(corrente);
        }
        m_negozio.messages().warning(
            QStringLiteral("Impossibile spostare il reparto: la struttura dei reparti non è stata modificata."));
        return;
    }
    Recordset &c = d.dataCategorie.recordset();
    {
        BusyFlag busy(state().InAggiornamento);
        c.requery();
        m_negozio.CaricaReparti(false);
    }
    c.findFirst(QStringLiteral("ID"), origine);
}

bool Catalogo::SalvaAlbero()
{
    const AlberoReparti &t = dati().tvwCategorie;
    struct Riga {
        QString id, genitore;
        qint64 ordinamento;
        int livello;
        bool hafigli;
        bool soloMostrato;
    };
    std::vector<Riga> righe;
    righe.reserve(t.numeroNodi());

    Transazione tr(db());
    try {
        // The order is the node's place in the collection (the root is 1);
        // the level is the node's depth below the root, whatever its title
        // holds. A department shown under the root only because its parent is
        // missing keeps its stored parent and level, and the levels below it
        // count from its own.
        QHash<QString, int> livelliSalvati;
        auto livello = [&](const AlberoReparti::Nodo &n) {
            int sopra = 0;
            for (const AlberoReparti::Nodo *a = &n; a && a->chiave != Radice; a = a->padre, ++sopra) {
                if (!a->soloMostrato)
                    continue;
                if (!livelliSalvati.contains(a->chiave))
                    livelliSalvati.insert(
                        a->chiave,
                        db().scalar(QStringLiteral("SELECT livello FROM categorie WHERE ID=?"), {a->chiave}).toInt());
                return livelliSalvati.value(a->chiave) + sopra;
            }
            return t.profondita(n.chiave);
        };
        for (int i = 0; i < t.numeroNodi(); ++i) {
            const AlberoReparti::Nodo &n = *t.nodi()[i];
            if (n.chiave == Radice)
                continue;
            righe.push_back({n.chiave, n.padre ? n.padre->chiave : Radice, i + 1, livello(n), !n.figli.empty(),
                             n.soloMostrato});
        }
        for (const Riga &r : righe) {
            const int scritte =
                r.soloMostrato
                    ? db().execute(QStringLiteral("UPDATE categorie SET ordinamento=?, hafigli=? WHERE ID=?"),
                                   {r.ordinamento, r.hafigli ? -1 : 0, r.id})
                    : db().execute(QStringLiteral("UPDATE categorie SET genitore=?, ordinamento=?, livello=?, "
                                                  "hafigli=? WHERE ID=?"),
                                   {r.genitore, r.ordinamento, r.livello, r.hafigli ? -1 : 0, r.id});
            if (scritte != 1)
                throw DbError(DbErr::NoCurrentRecord, QStringLiteral("Reparto non trovato: %1").arg(r.id));
        }
        tr.commit();
        return true;
    } catch (const std::exception &) {
        tr.finish();
        // The tree shows again what the table holds.
        BusyFlag busy(state().InAggiornamento);
        m_negozio.CaricaReparti(true);
        return false;
    }
}
