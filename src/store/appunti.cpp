// The article and department clipboards: the tables cliparticoli and
// clipcategorie of the catalogue, so a copy survives until the next copy,
// also across runs. A paste adds new rows and fills exactly the rows its own
// insertions made, found by their identity.
#include "catalogo.h"

#include "catalogo_p.h"
#include "datiprincipali.h"
#include "messages.h"
#include "negozio.h"


using namespace catalogo;

const QStringList &Catalogo::campiArticolo()
{
    static const QStringList campi = {
        QStringLiteral("codice"),        QStringLiteral("titolo"),      QStringLiteral("descrizione"),
        QStringLiteral("sottotitolo"),   QStringLiteral("note"),        QStringLiteral("link"),
        QStringLiteral("prezzo"),        QStringLiteral("offerta"),     QStringLiteral("novita"),
        QStringLiteral("immagine0"),     QStringLiteral("imgX0"),       QStringLiteral("imgY0"),
        QStringLiteral("immagine1"),     QStringLiteral("imgX1"),       QStringLiteral("imgY1"),
        QStringLiteral("immagine2"),     QStringLiteral("imgX2"),       QStringLiteral("imgY2"),
        QStringLiteral("offertaprezzo"), QStringLiteral("linkesterno"), QStringLiteral("opzione1"),
        QStringLiteral("opzione2"),      QStringLiteral("opzione3"),    QStringLiteral("giacenza"),
        QStringLiteral("peso"),          QStringLiteral("fuoricatalogo"), QStringLiteral("popup"),
    };
    return campi;
}

const QStringList &Catalogo::campiReparto()
{
    static const QStringList campi = {
        QStringLiteral("titolo"),    QStringLiteral("descrizione"), QStringLiteral("note"),
        QStringLiteral("template"),  QStringLiteral("maxarticoli"), QStringLiteral("immagine0"),
        QStringLiteral("imgX0"),     QStringLiteral("imgY0"),       QStringLiteral("immagine1"),
        QStringLiteral("imgX1"),     QStringLiteral("imgY1"),       QStringLiteral("iva"),
        QStringLiteral("sconto"),
    };
    return campi;
}

static void copiaCampi(Recordset &verso, const Recordset &da, const QStringList &campi)
{
    for (const QString &campo : campi)
        verso.setValue(campo, da.value(campo));
}

void Catalogo::CopiaArticolo()
{
    const Recordset &a = dati().dataArticoli.recordset();
    if (!a.isOpen() || !a.hasCurrent())
        return;
    {
        Transazione t(db());
        db().execute(QStringLiteral("DELETE FROM cliparticoli"));
        Recordset clip(m_negozio.state.dbCatalogo, QStringLiteral("SELECT * FROM cliparticoli"));
        clip.addNew();
        copiaCampi(clip, a, campiArticolo());
        clip.update();
        t.commit();
    }
    // After an article copy the department paste waits for the next department copy.
    m_negozio.setAppunti({true, false});
}

void Catalogo::IncollaArticoli()
{
    DatiPrincipali &d = dati();
    Messages &msg = m_negozio.messages();
    const Recordset &c = d.dataCategorie.recordset();
    if (!c.isOpen() || !c.hasCurrent()) {
        msg.warning(QStringLiteral("Per incollare gli articoli è necessario selezionare un reparto."));
        return;
    }
    Recordset clip(m_negozio.state.dbCatalogo, QStringLiteral("SELECT * FROM cliparticoli"));
    const int n = clip.recordCount();
    if (n == 0)
        return;
    if (n > 1 && !msg.question(QStringLiteral("Saranno incollati %1 articoli. Procedere?").arg(n)))
        return;

    Recordset &a = d.dataArticoli.recordset();
    // The window shows the article list once the paste is over (or has
    // stopped), on the row it ends on, not at every article.
    DataSource::Pausa pausa(d.dataArticoli);
    for (clip.moveFirst(); !clip.eof(); clip.moveNext()) {
        const QVariant precedente = a.hasCurrent() ? a.value(QStringLiteral("ID")) : QVariant();
        // Each article's new row and its values are committed together: a
        // paste that stops keeps the articles already written and leaves no
        // empty one behind.
        Transazione t(db());
        const qint64 id = AggiungiArticoloDopo();
        // Only the article this insertion made is filled, never an existing one.
        if (id == 0 || !a.hasCurrent() || a.value(QStringLiteral("ID")).toLongLong() != id) {
            if (id != 0)
                tornaIndietro(t, id, precedente);
            pausa.fine();
            msg.warning(QStringLiteral("Impossibile aggiungere il nuovo articolo: l'incolla è stato interrotto."));
            return;
        }
        try {
            a.edit();
            copiaCampi(a, clip, campiArticolo());
            a.update();
            t.commit();
        } catch (...) {
            a.cancelUpdate();
            tornaIndietro(t, id, precedente);
            throw;
        }
    }
    pausa.fine();
}

void Catalogo::tornaIndietro(Transazione &t, qint64 id, const QVariant &precedente)
{
    // The row goes as a deleted article goes (its number is not given
    // again); when even that cannot be committed, the whole insertion is
    // undone.
    try {
        db().execute(QStringLiteral("DELETE FROM articoli WHERE ID=?"), {id});
        t.commit();
    } catch (const std::exception &) {
        t.finish();
    }
    dati().contaArticolo(-1);
    ritorna(dati().dataArticoli.recordset(), precedente);
}

void Catalogo::CopiaReparto()
{
    DatiPrincipali &d = dati();
    const Recordset &c = d.dataCategorie.recordset();
    if (!c.isOpen() || !c.hasCurrent())
        return;
    const bool conArticoli =
        d.dataArticoli.recordset().recordCount() > 0
        && m_negozio.messages().question(QStringLiteral("Copiare anche tutti gli articoli del reparto?"));
    {
        // The articles and the department go into the clipboards together or
        // not at all, so a paste never mixes two copies.
        Transazione t(db());
        if (conArticoli)
            CopiaArticoliReparto();
        db().execute(QStringLiteral("DELETE FROM clipcategorie"));
        Recordset clip(m_negozio.state.dbCatalogo, QStringLiteral("SELECT * FROM clipcategorie"));
        clip.addNew();
        copiaCampi(clip, c, campiReparto());
        clip.setValue(QStringLiteral("incolla_articoli"), conArticoli);
        clip.update();
        t.commit();
    }
    m_negozio.setAppunti({m_negozio.appunti().articoli || conArticoli, true});
}

void Catalogo::CopiaArticoliReparto()
{
    Recordset a = dati().dataArticoli.recordset().clone();
    Transazione t(db());
    db().execute(QStringLiteral("DELETE FROM cliparticoli"));
    Recordset clip(m_negozio.state.dbCatalogo, QStringLiteral("SELECT * FROM cliparticoli"));
    for (a.moveFirst(); !a.eof(); a.moveNext()) {
        clip.addNew();
        copiaCampi(clip, a, campiArticolo());
        clip.setValue(QStringLiteral("ordinamento"), a.value(QStringLiteral("ordinamento")));
        clip.update();
    }
    t.commit();
}

void Catalogo::IncollaReparto()
{
    DatiPrincipali &d = dati();
    Recordset clip(m_negozio.state.dbCatalogo, QStringLiteral("SELECT * FROM clipcategorie"));
    if (clip.recordCount() == 0)
        return;
    clip.moveFirst();
    // With the root selected the copy becomes the last top-level department,
    // otherwise it goes just before the selected one.
    Recordset &c = d.dataCategorie.recordset();
    const QString prima = d.repartoCorrente();
    const QString id = c.isOpen() && c.hasCurrent() ? AggiungiRepartoPrima() : AggiungiSottoreparto();
    bool compilato = false;
    try {
        compilato = !id.isEmpty() && compilaReparto(id, clip);
    } catch (...) {
        // The "Nuovo Reparto" this paste made goes again (it has neither
        // sub-departments nor articles) and the selection goes back.
        c.cancelUpdate();
        try {
            {
                BusyFlag busy(state().InAggiornamento);
                db().execute(QStringLiteral("DELETE FROM categorie WHERE ID=?"), {id});
                c.requery();
                m_negozio.CaricaReparti(false);
            }
            if (prima == AlberoReparti::Radice) {
                d.tornaAllaRadice();
            } else {
                c.findFirst(QStringLiteral("ID"), prima);
            }
        } catch (const std::exception &e) {
            m_negozio.messages().warning(
                QStringLiteral("Il reparto vuoto aggiunto dall'incolla non è stato rimosso:\r\n") + testoErrore(e));
        }
        throw;
    }
    if (!compilato) {
        m_negozio.messages().warning(
            QStringLiteral("Impossibile aggiungere il nuovo reparto: l'incolla è stato interrotto."));
        return;
    }
    if (clip.value(QStringLiteral("incolla_articoli")).toBool())
        IncollaArticoli();
}

bool Catalogo::compilaReparto(const QString &id, const Recordset &clip)
{
    DatiPrincipali &d = dati();
    Recordset &c = d.dataCategorie.recordset();
    if (!c.hasCurrent() || c.text(QStringLiteral("ID")) != id)
        return false;
    c.edit();
    copiaCampi(c, clip, campiReparto());
    c.update();
    // The tree and the sibling list show the pasted title.
    d.tvwCategorie.impostaTesto(id, c.text(QStringLiteral("titolo")));
    BusyFlag busy(state().InAggiornamento);
    ritorna(d.dataFratelli.recordset(), id);
    return true;
}
