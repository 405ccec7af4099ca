#include "datiprincipali.h"

#include <algorithm>

DatiPrincipali::DatiPrincipali(ShopState &state, QObject *parent) : QObject(parent), m_state(state)
{
    connect(&dataCategorie, &DataSource::reposition, this, &DatiPrincipali::onCategorieReposition);
    connect(&dataFratelli, &DataSource::reposition, this, &DatiPrincipali::onFratelliReposition);
    connect(&dataArticoli, &DataSource::reposition, this, &DatiPrincipali::onArticoliReposition);
    connect(&dataGenerale, &DataSource::reposition, this, &DatiPrincipali::generaleCambiato);
    // A row written by other code (a grid, a paste, a picture command, a
    // variant set) is shown again as a move onto it shows it; the bound
    // fields have reloaded it already.
    connect(&dataCategorie, &DataSource::scritto, this, &DatiPrincipali::onCategorieScritto);
    connect(&dataArticoli, &DataSource::scritto, this, [this](bool daiCampi) {
        if (!daiCampi && !m_state.InAggiornamento)
            emit articoloCambiato(dataArticoli.recordset().hasCurrent());
    });
    connect(&dataGenerale, &DataSource::scritto, this, [this](bool daiCampi) {
        if (!daiCampi)
            emit generaleCambiato();
    });
    connect(&dataFratelli, &DataSource::scritto, this, &DatiPrincipali::onFratelliScritto);
}

QString DatiPrincipali::repartoCorrente() const
{
    const Recordset &rs = dataCategorie.recordset();
    return rs.isOpen() && rs.hasCurrent() ? rs.text(QStringLiteral("ID")) : AlberoReparti::Radice;
}

void DatiPrincipali::selezionaRadice()
{
    Recordset &rs = dataCategorie.recordset();
    {
        BusyFlag busy(m_state.InAggiornamento);
        if (rs.recordCount() > 0)
            rs.moveFirst();
    }
    if (!rs.bof())
        rs.movePrevious();
}

void DatiPrincipali::tornaAllaRadice()
{
    tvwCategorie.seleziona(AlberoReparti::Radice);
    selezionaRadice();
    emit radiceSelezionata();
}

DataSource &DatiPrincipali::sorgenteImmagine(FamigliaImmagine famiglia)
{
    switch (famiglia) {
    case FamigliaImmagine::Articolo: return dataArticoli;
    case FamigliaImmagine::Reparto: return dataCategorie;
    case FamigliaImmagine::Negozio: break;
    }
    return dataGenerale;
}

void DatiPrincipali::impostaTotaleArticoli(qint64 totale)
{
    m_state.TotaleArticoli = std::max<qint64>(0, totale);
    emit totaliCambiati();
}

void DatiPrincipali::contaArticolo(int variazione)
{
    if (m_state.ArticoliReparto >= 0)
        m_state.ArticoliReparto = std::max<qint64>(0, m_state.ArticoliReparto + variazione);
    impostaTotaleArticoli(m_state.TotaleArticoli + variazione);
}

void DatiPrincipali::impostaModelli(const QStringList &modelli)
{
    cboTemplate = modelli;
    emit modelliCambiati();
}

void DatiPrincipali::selezionaNodo(const QString &key)
{
    if (key == AlberoReparti::Radice)
        selezionaRadice();
    else
        dataCategorie.recordset().findFirst(QStringLiteral("ID"), key);
}

bool DatiPrincipali::scriviModifiche()
{
    bool ok = true;
    for (DataSource *d : {&dataCategorie, &dataFratelli, &dataArticoli, &dataGenerale})
        ok = d->scriviModifiche() && ok;
    return ok;
}

void DatiPrincipali::chiudi()
{
    for (DataSource *d : {&dataCategorie, &dataFratelli, &dataArticoli, &dataGenerale})
        d->close();
}

void DatiPrincipali::onCategorieReposition()
{
    if (m_state.InAggiornamento)
        return;
    const Recordset &rs = dataCategorie.recordset();
    const bool current = rs.hasCurrent();
    const QString key = current ? rs.text(QStringLiteral("ID")) : AlberoReparti::Radice;
    // Without a current row the parent is one no department has: no siblings.
    const QString parentKey = current ? rs.text(QStringLiteral("genitore")) : QStringLiteral("#");

    dataArticoli.setDatabaseName(dataCategorie.databaseName());
    dataArticoli.setRecordSource(sqlArticoli(), {key});
    dataArticoli.refresh();

    if (key == AlberoReparti::Radice)
        m_state.ArticoliReparto = -1;
    else
        m_state.ArticoliReparto = dataArticoli.recordset().recordCount();
    emit totaliCambiati();

    if (!m_state.SaltaFratelli) {
        BusyFlag busy(m_state.InAggiornamento);
        dataFratelli.setDatabaseName(dataCategorie.databaseName());
        dataFratelli.setRecordSource(sqlFratelli(), {parentKey});
        dataFratelli.refresh();
        if (current)
            dataFratelli.recordset().findFirst(QStringLiteral("ID"), key);
    }

    emit repartoCambiato(current);

    BusyFlag busy(m_state.InAggiornamento);
    if (tvwCategorie.contiene(key))
        tvwCategorie.seleziona(key);
}

void DatiPrincipali::onFratelliReposition()
{
    const Recordset &rs = dataFratelli.recordset();
    if (rs.hasCurrent()) {
        const QVariant id = rs.value(QStringLiteral("ID"));
        if (!id.isValid())
            return;
        if (!m_state.InAggiornamento) {
            BusyFlag skip(m_state.SaltaFratelli);
            dataCategorie.recordset().findFirst(QStringLiteral("ID"), id);
        }
    }
    titoliNellAlbero();
}

void DatiPrincipali::titoliNellAlbero()
{
    // Titles edited in the sibling list reach the tree.
    Recordset copy = dataFratelli.recordset().clone();
    for (; copy.isOpen() && !copy.eof(); copy.moveNext()) {
        const QString id = copy.text(QStringLiteral("ID"));
        if (tvwCategorie.contiene(id) && tvwCategorie.nodo(id)->testo != copy.text(QStringLiteral("titolo")))
            tvwCategorie.impostaTesto(id, copy.text(QStringLiteral("titolo")));
    }
}

void DatiPrincipali::onCategorieScritto(bool daiCampi)
{
    const Recordset &rs = dataCategorie.recordset();
    if (!daiCampi) {
        if (!m_state.InAggiornamento)
            emit repartoCambiato(rs.hasCurrent());
        return;
    }
    // A title written from the fields: the tree shows it, and so does the
    // sibling list, read again, when no other work of the store is under way
    // (that work reloads the list itself).
    if (!rs.isOpen() || !rs.hasCurrent())
        return;
    const QString id = rs.text(QStringLiteral("ID"));
    const QString titolo = rs.text(QStringLiteral("titolo"));
    if (!tvwCategorie.contiene(id) || tvwCategorie.nodo(id)->testo == titolo)
        return;
    tvwCategorie.impostaTesto(id, titolo);
    Recordset &fratelli = dataFratelli.recordset();
    if (m_state.InAggiornamento || !fratelli.isOpen())
        return;
    BusyFlag busy(m_state.InAggiornamento);
    fratelli.requery();
    fratelli.findFirst(QStringLiteral("ID"), id);
}

void DatiPrincipali::onFratelliScritto()
{
    // A sibling row written in the list: the tree shows its title, and the
    // current department's row, read again, shows it in the fields and
    // headings. The program's own writes (moves) leave it alone.
    if (m_state.InAggiornamento)
        return;
    titoliNellAlbero();
    const QString key = repartoCorrente();
    Recordset &c = dataCategorie.recordset();
    if (key == AlberoReparti::Radice || !c.isOpen())
        return;
    {
        BusyFlag busy(m_state.InAggiornamento);
        c.requery();
        c.findFirst(QStringLiteral("ID"), key);
    }
    emit repartoCambiato(c.hasCurrent());
}

void DatiPrincipali::onArticoliReposition()
{
    if (m_state.InAggiornamento)
        return;
    emit articoloCambiato(dataArticoli.recordset().hasCurrent());
}
