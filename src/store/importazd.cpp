#include "importazd.h"

#include "catalogo.h"
#include "currency.h"
#include "datiprincipali.h"
#include "messages.h"
#include "negozio.h"
#include "settings.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <cmath>

namespace {

const QString NonImportati = QStringLiteral("Non è stato possibile importare i dati");

constexpr int LunghezzaTitoloReparto = 100;
constexpr int LunghezzaTitoloArticolo = 200;
constexpr int LunghezzaCodice = 50;

// A value of the source as text: Null and numbers included.
QString testo(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>().toString();
    return v.toString();
}

// The title takes the mark and as much of the text as fits; the whole text
// goes to the description when the title cannot hold it.
std::pair<QString, QString> titoloEDescrizione(const QString &marchio, const QString &testo, int lunghezza)
{
    const int spazio = lunghezza - 1;
    return {marchio + testo.left(spazio), testo.size() > spazio ? testo : QString()};
}

std::optional<double> numero(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>().toDouble();
    if (v.userType() == QMetaType::QString) {
        QString t = v.toString().trimmed();
        if (!t.contains(u'.'))
            t.replace(u',', u'.');
        bool ok = false;
        const double d = t.toDouble(&ok);
        return ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
    }
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

} // namespace

// What the source holds, read whole before the catalogue is touched.
struct ImportazioneZendaro::Lavoro {
    struct Reparto {
        QString id, titolo, descrizione;
    };
    std::vector<Reparto> reparti;
    // Articles by department, in the source's order: code, title,
    // description, price, offer price (invalid: none).
    QHash<QString, std::vector<QVariantList>> articoli;
    QStringList ordineReparti;  // departments of the articles, first seen first
    int totale = 0;
};

std::optional<ImportazioneZendaro::Opzioni> ImportazioneZendaro::Opzioni::daTesto(const QString &testo)
{
    static const QRegularExpression forma(QStringLiteral("^[01][1-4][1-5][0-9]$"));
    if (!forma.match(testo).hasMatch())
        return std::nullopt;
    Opzioni o;
    o.contrassegna = testo[0] == u'1';
    o.prezzo = testo[1].digitValue();
    o.offerta = testo[2].digitValue() - 1;
    o.iva = testo[3] != u'0';
    return o;
}

QString ImportazioneZendaro::Opzioni::testo() const
{
    return QStringLiteral("%1%2%3%4").arg(contrassegna ? 1 : 0).arg(prezzo).arg(offerta + 1).arg(iva ? 1 : 0);
}

ImportazioneZendaro::ImportazioneZendaro(Negozio &negozio, Catalogo &catalogo)
    : m_negozio(negozio), m_catalogo(catalogo)
{
}

QString ImportazioneZendaro::cartellaZendaro()
{
    return SettingsStore::get(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"));
}

Currency ImportazioneZendaro::prezzo(const QVariant &importo, const QVariant &iva, bool conIva)
{
    Currency x;
    if (importo.userType() == qMetaTypeId<Currency>())
        x = importo.value<Currency>();
    else if (const auto d = numero(importo))
        x = Currency::fromDouble(*d);
    if (!conIva)
        return x;
    // x + x * iva / 100, to the fourth decimal place.
    const double aliquota = numero(iva).value_or(0);
    return x + Currency::fromRaw(std::llround(double(x.raw) * aliquota / 100.0));
}

void ImportazioneZendaro::ImportaZD(const QString &testoOpzioni, const ApriSorgente &apri)
{
    const auto opzioni = Opzioni::daTesto(testoOpzioni);
    if (!opzioni)
        return;
    Messages &msg = m_negozio.messages();
    const QString cartella = cartellaZendaro();
    if (cartella.isEmpty()) {
        msg.warning(QStringLiteral("Zendaro non è stato trovato"));
        return;
    }
    const QString marchio = opzioni->contrassegna ? QStringLiteral("*") : QString();
    const QString campoPrezzo = QStringLiteral("Vendita%1").arg(opzioni->prezzo);
    const QString campoOfferta = opzioni->offerta > 0 ? QStringLiteral("Vendita%1").arg(opzioni->offerta) : QString();

    // The whole source is read first: a file that cannot be read, or lacks
    // a table or field, stops the import before anything is written.
    Lavoro lavoro;
    try {
        std::unique_ptr<SorgenteImportazione> sorgente = apri(fileZendaro(cartella));
        for (const QVariantList &r : sorgente->leggi(QStringLiteral("Categoria"), {QStringLiteral("Id"), QStringLiteral("Nome")})) {
            if (testo(r[0]).isEmpty())
                continue;
            const auto [titolo, descrizione] = titoloEDescrizione(marchio, testo(r[1]), LunghezzaTitoloReparto);
            lavoro.reparti.push_back({QStringLiteral("xqg") + testo(r[0]), titolo, descrizione});
        }
        QStringList campi{QStringLiteral("Id"), QStringLiteral("IdCategoria"), QStringLiteral("Codice"),
                          QStringLiteral("Descrizione"), QStringLiteral("iva"), campoPrezzo};
        if (!campoOfferta.isEmpty())
            campi << campoOfferta;
        for (const QVariantList &r : sorgente->leggi(QStringLiteral("Articoli"), campi)) {
            if (testo(r[1]).isEmpty())
                continue;
            const QString reparto = QStringLiteral("xqg") + testo(r[1]);
            QString codice = testo(r[2]);
            if (codice.isEmpty())
                codice = QStringLiteral("zdart") + testo(r[0]);
            const auto [titolo, descrizione] = titoloEDescrizione(marchio, testo(r[3]), LunghezzaTitoloArticolo);
            QVariantList articolo{codice.left(LunghezzaCodice), titolo, descrizione,
                                  QVariant::fromValue(prezzo(r[5], r[4], opzioni->iva)), QVariant()};
            if (!campoOfferta.isEmpty())
                articolo[4] = QVariant::fromValue(prezzo(r[6], r[4], opzioni->iva));
            if (!lavoro.articoli.contains(reparto))
                lavoro.ordineReparti << reparto;
            lavoro.articoli[reparto].push_back(articolo);
            ++lavoro.totale;
        }
        lavoro.totale += int(lavoro.reparti.size());
    } catch (const ErroreSorgente &e) {
        msg.warning(NonImportati + QStringLiteral("\r\n") + e.testo);
        return;
    }

    const QString corrente = dati().repartoCorrente();
    try {
        importa(lavoro);
    } catch (const std::exception &) {
        ripristinaFinestra(corrente);
        msg.warning(NonImportati + QStringLiteral("\r\n")
                    + QStringLiteral("(il catalogo non ha accettato i dati: i reparti già importati restano, "
                                     "e ripetendo l'importazione saranno aggiunti quelli mancanti)"));
        return;
    }
    msg.information(QStringLiteral("Importazione completata"));
}

DatiPrincipali &ImportazioneZendaro::dati() const
{
    return m_negozio.dati();
}

bool ImportazioneZendaro::esiste(const QString &sql, const QString &valore) const
{
    return m_negozio.state.dbCatalogo->scalar(sql, {valore}).toLongLong() > 0;
}

void ImportazioneZendaro::importa(const Lavoro &lavoro)
{
    Database &db = *m_negozio.state.dbCatalogo;
    QString dopo = dati().repartoCorrente();
    int fatti = 0;
    auto passo = [&] {
        ++fatti;
        if (avanzamento)
            avanzamento(fatti, lavoro.totale);
    };
    auto articoliDi = [&](const QString &reparto) {
        for (const QVariantList &a : lavoro.articoli.value(reparto)) {
            aggiungiArticolo(reparto, a);
            passo();
        }
    };

    // The codes in the shop, compared as the catalogue compares them:
    // letter case aside.
    m_codici.clear();
    for (QSqlQuery q = db.run(QStringLiteral("SELECT codice FROM articoli WHERE codice IS NOT NULL")); q.next();)
        m_codici.insert(q.value(0).toString().toCaseFolded());

    QSet<QString> svolti;
    for (const Lavoro::Reparto &r : lavoro.reparti) {
        Transazione t(db);
        if (!esiste(QStringLiteral("SELECT COUNT(*) FROM categorie WHERE ID=?"), r.id))
            creaReparto(r.id, r.titolo, r.descrizione, dopo);
        passo();
        if (!svolti.contains(r.id)) {
            svolti.insert(r.id);
            articoliDi(r.id);
        }
        t.commit();
    }
    // Articles of categories the source no longer lists go into the
    // departments an earlier import made for them, when those still exist.
    for (const QString &reparto : lavoro.ordineReparti) {
        if (svolti.contains(reparto))
            continue;
        Transazione t(db);
        articoliDi(reparto);
        t.commit();
    }
}

void ImportazioneZendaro::creaReparto(const QString &id, const QString &titolo, const QString &descrizione,
                                      QString &dopo)
{
    DatiPrincipali &d = dati();
    Recordset &c = d.dataCategorie.recordset();
    QString nuovo;
    if (dopo == AlberoReparti::Radice) {
        d.selezionaRadice();
        nuovo = m_catalogo.AggiungiSottoreparto();
    } else {
        if (!c.hasCurrent() || c.text(QStringLiteral("ID")) != dopo)
            c.findFirst(QStringLiteral("ID"), dopo);
        nuovo = m_catalogo.AggiungiRepartoDopo();
    }
    if (nuovo.isEmpty() || !c.hasCurrent() || c.text(QStringLiteral("ID")) != nuovo)
        throw DbError(DbErr::Generic, QStringLiteral("Il reparto non è stato aggiunto."));

    // The new department takes the identifier that a later import recognises.
    {
        BusyFlag busy(m_negozio.state.InAggiornamento);
        try {
            c.edit();
            c.setValue(QStringLiteral("ID"), id);
            c.setValue(QStringLiteral("pagina"), id);
            c.setValue(QStringLiteral("titolo"), titolo);
            c.setValue(QStringLiteral("descrizione"), descrizione);
            c.update();
        } catch (...) {
            c.cancelUpdate();
            throw;
        }
        m_negozio.CaricaReparti(false);
    }
    c.findFirst(QStringLiteral("ID"), id);
    dopo = id;
}

void ImportazioneZendaro::aggiungiArticolo(const QString &reparto, const QVariantList &v)
{
    const QString codice = v[0].toString().toCaseFolded();
    if (m_codici.contains(codice))
        return;
    DatiPrincipali &d = dati();
    Recordset &c = d.dataCategorie.recordset();
    if ((!c.hasCurrent() || c.text(QStringLiteral("ID")) != reparto) && !c.findFirst(QStringLiteral("ID"), reparto))
        return;  // the department is not in the shop
    Recordset &a = d.dataArticoli.recordset();
    if (a.recordCount() > 0)
        a.moveLast();
    const qint64 id = m_catalogo.AggiungiArticoloDopo();
    // Only the row just added is filled in, never another one.
    if (id == 0 || !a.hasCurrent() || a.value(QStringLiteral("ID")).toLongLong() != id)
        throw DbError(DbErr::Generic, QStringLiteral("L'articolo non è stato aggiunto."));
    try {
        a.edit();
        a.setValue(QStringLiteral("codice"), v[0]);
        a.setValue(QStringLiteral("titolo"), v[1]);
        a.setValue(QStringLiteral("descrizione"), v[2]);
        a.setValue(QStringLiteral("prezzo"), v[3]);
        if (v[4].isValid())
            a.setValue(QStringLiteral("offertaprezzo"), v[4]);
        a.update();
    } catch (...) {
        a.cancelUpdate();
        throw;
    }
    m_codici.insert(codice);
}

void ImportazioneZendaro::ripristinaFinestra(const QString &reparto)
{
    // The rows of the interrupted department are gone again: the lists, the
    // tree and the article count are read anew.
    DatiPrincipali &d = dati();
    Recordset &c = d.dataCategorie.recordset();
    {
        BusyFlag busy(m_negozio.state.InAggiornamento);
        c.requery();
        m_negozio.CaricaReparti(false);
    }
    d.impostaTotaleArticoli(
        m_negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong());
    if (reparto == AlberoReparti::Radice || !c.findFirst(QStringLiteral("ID"), reparto))
        d.tornaAllaRadice();
}
