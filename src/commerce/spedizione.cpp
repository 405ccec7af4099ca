#include "spedizione.h"

#include "messages.h"
#include "nomifile.h"
#include "recordset.h"

#include <QDir>
#include <cfloat>
#include <cmath>

using namespace Spedizione;

namespace {

const QString Titolo = QStringLiteral("Vetrasto");

// Why the database refused a value, for the merchant.
QString motivo(const DbError &e, const QVariant &valore)
{
    switch (e.number) {
    case DbErr::FieldTooSmall:
        return QStringLiteral("Il testo \"%1\" è troppo lungo per questo campo.").arg(valore.toString());
    case DbErr::ConversionError:
        return QStringLiteral("Il valore \"%1\" non è valido per questo campo.").arg(valore.toString());
    default:
        return QStringLiteral("Impossibile salvare il valore \"%1\".\r\n%2").arg(valore.toString(), e.description);
    }
}

bool campoImporto(const QString &campo)
{
    // m<k>imp<i>, m<k>sp<i>, m<k>spp<i>: money; m<k>peso<i>: weight.
    return !campo.contains(QLatin1String("peso"));
}

} // namespace

EditorSpedizione::EditorSpedizione(DatabasePtr catalogo, const QString &cartellaNegozio, QChar separatore,
                                   Messages &messages)
    : m_db(std::move(catalogo)), m_cartellaNegozio(cartellaNegozio), m_separatore(separatore), m_messages(messages)
{
}

EditorSpedizione::~EditorSpedizione()
{
    // A dialog that goes without "OK" is cancelled.
    if (m_transazione)
        annulla();
}

// ---- the session -------------------------------------------------------------------

void EditorSpedizione::apri()
{
    m_chiusura = false;
    m_transazione = std::make_unique<Transazione>(*m_db);
    for (DataSource *ds : {&dataPaesi, &dataPagamento, &dataZone, &dataZona})
        ds->setDatabaseName(m_db->path());
    dataPaesi.setRecordSource(QStringLiteral("SELECT * FROM paesi ORDER BY ID"));
    dataPagamento.setRecordSource(QStringLiteral("pagamento"));
    dataZone.setRecordSource(QStringLiteral("SELECT * FROM zone ORDER BY zona"));
    m_zona = 1;
    dataZona.setRecordSource(tabellaZona(m_zona));
    for (DataSource *ds : {&dataPaesi, &dataPagamento, &dataZone, &dataZona}) {
        ds->refresh();
        if (ds->recordset().recordCount() > 0)
            ds->recordset().moveFirst();
    }
    riempiInterfacce();
}

EditorSpedizione::EsitoConferma EditorSpedizione::conferma()
{
    if (!m_transazione)
        return EsitoConferma::Fallita;
    const int k = selezionato();
    const Preselezione p = verificaPreselezione(*m_db, paeseSelezionato(), k);
    if (p.esito == Preselezione::Esito::PaeseMancante) {
        m_messages.warning(QStringLiteral("Selezionare un Paese differente nel campo 'Preselezione'"));
        return EsitoConferma::Rifiutata;
    }
    if (p.esito == Preselezione::Esito::MetodoNonOfferto) {
        m_messages.warning(QStringLiteral("Selezionare un diverso metodo di pagamento/spedizione nel campo "
                                          "'Preselezione'"));
        return EsitoConferma::Rifiutata;
    }
    try {
        {
            // The confirmation's own writes go together or not at all.
            Transazione passo(*m_db);
            Recordset &pag = dataPagamento.recordset();
            pag.edit();
            pag.setValue(QStringLiteral("zonasel"), p.zona);
            pag.update();
            passo.commit();
        }
        m_transazione->commit();
    } catch (const DbError &e) {
        if (dataPagamento.recordset().editing())
            dataPagamento.recordset().cancelUpdate();
        const QString testo =
            QStringLiteral("Impossibile salvare le spese di spedizione: le modifiche non sono state registrate.\r\n") +
            e.description;
        if (!aperta()) {
            rifiuto(testo, Messages::Icon::Critical);
            return EsitoConferma::Annullata;
        }
        // Still inside the savepoint: the edits wait for another "OK" or "Annulla".
        m_messages.show(testo + QStringLiteral("\r\n\r\n") + testoCommitInSospeso(), Messages::Icon::Critical,
                        Messages::Buttons::Ok);
        return EsitoConferma::Fallita;
    }
    m_transazione.reset();
    return EsitoConferma::Confermata;
}

void EditorSpedizione::annulla()
{
    m_chiusura = true;
    for (DataSource *ds : {&dataPaesi, &dataPagamento, &dataZone, &dataZona})
        ds->close();
    if (!m_transazione)
        return;
    try {
        m_transazione->finish();
    } catch (const DbError &e) {
        m_messages.show(QStringLiteral("Impossibile annullare le modifiche alle spese di spedizione.\r\n") +
                            e.description,
                        Messages::Icon::Critical, Messages::Buttons::Ok);
    }
    m_transazione.reset();
}

void EditorSpedizione::rifiuto(const QString &testo, Messages::Icon icona)
{
    if (!m_transazione || aperta()) {
        m_messages.show(testo, icona, Messages::Buttons::Ok);
        return;
    }
    // The database rolled the savepoint back on its own: every edit is gone
    // and nothing more may be written outside it.
    m_messages.show(testo + QStringLiteral("\r\n\r\n") + testoTransazioneAnnullata(), icona, Messages::Buttons::Ok);
    m_transazione.reset();
    m_chiusura = true;
    for (DataSource *ds : {&dataPaesi, &dataPagamento, &dataZone, &dataZona})
        ds->close();
    if (sessioneAnnullata)
        sessioneAnnullata();
}

bool EditorSpedizione::scrivi(DataSource &ds, const QString &campo, const QVariant &valore)
{
    if (!aperta())
        return false;
    Recordset &rs = ds.recordset();
    if (!rs.hasCurrent())
        return false;
    try {
        rs.edit();
        rs.setValue(campo, valore);
        rs.update();
        return true;
    } catch (const DbError &e) {
        if (rs.editing())
            rs.cancelUpdate();
        rifiuto(motivo(e, valore));
        return false;
    }
}

QVariant EditorSpedizione::valorePagamento(const QString &campo) const
{
    const Recordset &rs = dataPagamento.recordset();
    return rs.hasCurrent() ? rs.value(campo) : QVariant();
}

// ---- payment methods ----------------------------------------------------------------

void EditorSpedizione::riempiInterfacce()
{
    m_interfacce = QStringList{QString()};
    QDir code(m_cartellaNegozio + QStringLiteral("/code"));
    const QStringList files = code.entryList({QStringLiteral("*.epg")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    // The name is the folder of the system's files too: one that is no plain
    // folder name (a line break in it, "..") is not offered, as the build
    // would refuse it.
    for (const QString &f : files)
        if (NomeSemplice(f.left(f.size() - 4)))
            m_interfacce << f.left(f.size() - 4);
}

bool EditorSpedizione::attivo(int k) const
{
    return valorePagamento(Campo::attivo(k)).toBool();
}

QString EditorSpedizione::nome(int k) const
{
    return valorePagamento(Campo::nome(k)).toString();
}

QString EditorSpedizione::metodo(int k) const
{
    return valorePagamento(Campo::metodo(k)).toString();
}

int EditorSpedizione::selezionato() const
{
    return valorePagamento(QStringLiteral("selezionato")).toInt();
}

bool EditorSpedizione::cliccaAttivo(int k, bool spuntato)
{
    if (m_chiusura)
        return spuntato;
    if (!spuntato && selezionato() == k) {
        m_messages.warning(QStringLiteral("Questo metodo di pagamento è preselezionato e non può essere eliminato"));
        return true;
    }
    if (!spuntato) {
        bool altri = false;
        for (int j = 1; j <= NumeroMetodi; ++j)
            altri = altri || (j != k && attivo(j));
        if (!altri) {
            m_messages.warning(QStringLiteral("Almeno un metodo di pagamento deve essere selezionato"));
            return true;
        }
    }
    if (!scrivi(dataPagamento, Campo::attivo(k), spuntato))
        return attivo(k);
    return spuntato;
}

QString EditorSpedizione::cambiaNome(int k, const QString &testo)
{
    return scrivi(dataPagamento, Campo::nome(k), testo) ? testo : nome(k);
}

QString EditorSpedizione::lasciaNome(int k)
{
    if (attivo(k) && nome(k).trimmed().isEmpty())
        scrivi(dataPagamento, Campo::nome(k), metodo(k));
    return nome(k);
}

void EditorSpedizione::scegliMetodo(int k, const QString &m)
{
    // Only the listed interfaces can be chosen.
    if (m_interfacce.contains(m))
        scrivi(dataPagamento, Campo::metodo(k), m);
}

std::vector<EditorSpedizione::Voce> EditorSpedizione::PopolaMetodi(int *corrente) const
{
    std::vector<Voce> voci;
    if (corrente)
        *corrente = -1;
    for (int k = 1; k <= NumeroMetodi; ++k) {
        if (!attivo(k))
            continue;
        if (corrente && selezionato() == k)
            *corrente = int(voci.size());
        voci.push_back({nome(k), k});
    }
    return voci;
}

void EditorSpedizione::scegliPreselezione(int k)
{
    if (k >= 1 && k <= NumeroMetodi && attivo(k))
        scrivi(dataPagamento, QStringLiteral("selezionato"), k);
}

// ---- countries and zones ------------------------------------------------------------------

const QStringList &EditorSpedizione::NomiPaesi()
{
    static const QStringList nomi = QStringLiteral(
        "Albania|Arabia Saudita|Argentina|Armenia|Australia|Austria|Bangladesh|Belgium|Bielorussia|Bolivia|Bosnia|"
        "Brasile|Bulgaria|Cambogia|Canada|Cile|Cina|Cipro|Colombia|Costa Rica|Croazia|Cuba|Danimarca|Ecuador|Egitto|"
        "El Salvador|Emirati Arabi|Estonia|Etiopia|Filippine|Finlandia|France|Germania|Giappone|Grecia|Guatemala|"
        "Haiti|India|Indonesia|Inghilterra|Iran|Irlanda|Islanda|Israele|Italia|Jamaica|Korea del Sud|Kuwait|Latvia|"
        "Libano|Liechtenstein|Lituania|Lussemburgo|Macedonia|Malesia|Malta|Marocco|Messico|Monaco|Myanmar|Nepal|"
        "Norvegia|Nuova Zelanda|Olanda|Pakistan|Panama|Paraguay|Peru|Polonia|Portogallo|Rep. Ceca|Romania|Russia|"
        "Singapore|Siria|Slovacchia|Slovenia|Somalia|Spagna|Sri Lanka|Sud Africa|Suriname|Svezia|Svizzera|"
        "Tailandia|Taiwan|Turchia|Ucraina|Ungheria|Uruguay|USA|Uzbekistan|Venezuela|Vietnam")
                                       .split(u'|');
    return nomi;
}

std::vector<Paese> EditorSpedizione::paesi() const
{
    std::vector<Paese> r;
    if (!dataPaesi.isOpen())
        return r;
    Recordset copia = dataPaesi.recordset().clone();
    if (copia.recordCount() > 0)
        copia.moveFirst();
    for (; copia.hasCurrent(); copia.moveNext()) {
        Paese p;
        p.id = copia.value(QStringLiteral("ID")).toLongLong();
        p.strID = copia.text(QStringLiteral("strID"));
        p.paese = copia.text(QStringLiteral("paese"));
        const QVariant z = copia.value(QStringLiteral("zona"));
        if (!z.isNull())
            p.zona = z.toInt();
        r.push_back(p);
    }
    return r;
}

int EditorSpedizione::paeseCorrente() const
{
    return dataPaesi.isOpen() ? dataPaesi.recordset().absolutePosition() : -1;
}

void EditorSpedizione::vaiPaese(int riga)
{
    Recordset &rs = dataPaesi.recordset();
    if (riga < 0 || riga >= rs.recordCount())
        return;
    rs.moveFirst();
    for (int i = 0; i < riga; ++i)
        rs.moveNext();
}

bool EditorSpedizione::aggiungiPaese(const QString &testo)
{
    const QString nome = testo.trimmed();
    if (nome.isEmpty() || !aperta())
        return false;
    Recordset &rs = dataPaesi.recordset();
    try {
        rs.addNew();
        rs.setValue(QStringLiteral("zona"), 1);
        rs.setValue(QStringLiteral("paese"), nome.left(50));
        rs.setValue(QStringLiteral("strID"), strIDDa(rs.value(QStringLiteral("ID")).toLongLong()));
        rs.update();
        rs.setBookmark(rs.lastModified());
        return true;
    } catch (const DbError &e) {
        if (rs.editing())
            rs.cancelUpdate();
        rifiuto(motivo(e, nome));
        return false;
    }
}

bool EditorSpedizione::eliminaPaese()
{
    Recordset &rs = dataPaesi.recordset();
    if (!aperta() || !rs.hasCurrent())
        return false;
    if (rs.text(QStringLiteral("strID")) == paeseSelezionato()) {
        m_messages.warning(QStringLiteral("Questo Paese è preselezionato e non può essere eliminato"));
        return false;
    }
    if (rs.recordCount() == 1) {
        m_messages.warning(QStringLiteral("Almeno un paese deve essere definito"));
        return false;
    }
    try {
        rs.remove();
    } catch (const DbError &e) {
        rifiuto(motivo(e, rs.text(QStringLiteral("paese"))));
        return false;
    }
    rs.movePrevious();
    if (rs.bof() && rs.recordCount() > 0)
        rs.moveFirst();
    return true;
}

void EditorSpedizione::scegliZona(int zona)
{
    if (zona >= 1 && zona <= NumeroZone)
        scrivi(dataPaesi, QStringLiteral("zona"), zona);
}

std::vector<std::pair<int, QString>> EditorSpedizione::nomiZone() const
{
    return leggiNomiZone(*m_db);
}

QString EditorSpedizione::paeseSelezionato() const
{
    return valorePagamento(QStringLiteral("paesesel")).toString();
}

void EditorSpedizione::scegliPaese(const QString &strID)
{
    scrivi(dataPagamento, QStringLiteral("paesesel"), strID);
}

// ---- cost bands -------------------------------------------------------------------------------

bool EditorSpedizione::perPeso() const
{
    return valorePagamento(QStringLiteral("imppeso")).toInt() != 0;
}

void EditorSpedizione::setPerPeso(bool peso)
{
    if (peso != perPeso() || valorePagamento(QStringLiteral("imppeso")).isNull())
        scrivi(dataPagamento, QStringLiteral("imppeso"), peso ? 1 : 0);
}

void EditorSpedizione::mostraZona(int n)
{
    if (n < 1 || n > NumeroZone)
        return;
    m_zona = n;
    dataZona.setRecordSource(tabellaZona(n));
    dataZona.refresh();
    if (dataZona.recordset().recordCount() > 0)
        dataZona.recordset().moveFirst();
}

bool EditorSpedizione::ivaZona(int n) const
{
    return valorePagamento(Campo::ivaok(n)).toBool();
}

void EditorSpedizione::setIvaZona(int n, bool soggetta)
{
    if (n >= 1 && n <= NumeroZone)
        scrivi(dataPagamento, Campo::ivaok(n), soggetta);
}

bool EditorSpedizione::offerto(int k) const
{
    const Recordset &rs = dataZona.recordset();
    return rs.hasCurrent() && rs.value(Campo::pag(k)).toBool();
}

void EditorSpedizione::setOfferto(int k, bool offerto)
{
    if (k >= 1 && k <= NumeroMetodi && attivo(k))
        scrivi(dataZona, Campo::pag(k), offerto);
}

QString EditorSpedizione::testoNumero(double v) const
{
    // Up to seven significant digits, as a single-precision weight holds,
    // without an exponent and without trailing zeros.
    const int intere = v == 0 ? 1 : int(std::floor(std::log10(std::fabs(v)))) + 1;
    QString t = QString::number(v, 'f', std::max(0, 7 - intere));
    if (t.contains(u'.')) {
        while (t.endsWith(u'0'))
            t.chop(1);
        if (t.endsWith(u'.'))
            t.chop(1);
    }
    return t.replace(u'.', m_separatore);
}

QString EditorSpedizione::testoFascia(const QString &campo) const
{
    const Recordset &rs = dataZona.recordset();
    if (!rs.hasCurrent() || !rs.hasField(campo))
        return {};
    const QVariant v = rs.value(campo);
    if (v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().toString().replace(u'.', m_separatore);
    return testoNumero(double(v.toFloat()));
}

std::optional<double> EditorSpedizione::numero(const QString &testo) const
{
    QString t = testo.trimmed();
    if (t.startsWith(u'-') || t.startsWith(u'+'))
        t.remove(0, 1);
    if (m_separatore != u'.')
        t.replace(u'.', m_separatore);
    int separatori = 0, cifre = 0;
    for (QChar c : t) {
        if (c == m_separatore)
            ++separatori;
        else if (c >= u'0' && c <= u'9')
            ++cifre;
        else
            return std::nullopt;
    }
    if (cifre == 0 || separatori > 1)
        return std::nullopt;
    bool ok = false;
    const double v = t.replace(m_separatore, u'.').toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return testo.trimmed().startsWith(u'-') ? -v : v;
}

std::optional<Currency> EditorSpedizione::importo(const QString &testo) const
{
    if (!numero(testo))
        return std::nullopt;
    // The digits in the invariant form, so that the amount is exact.
    QString invariante = testo.trimmed();
    invariante.remove(u'-').remove(u'+');
    invariante.replace(m_separatore, u'.');
    return Currency::parse(invariante);
}

QString EditorSpedizione::normalizzaImporto(const QString &testo) const
{
    const auto c = importo(testo);
    if (!c)
        return testo;
    const QString forma = c->toString().replace(u'.', m_separatore);
    return testo.trimmed().startsWith(u'-') ? u'-' + forma : forma;
}

QString EditorSpedizione::scriviFascia(const QString &campo, const QString &testo, bool *rifiutato)
{
    const QString attuale = testoFascia(campo);
    const auto rifiuta = [&](const QString &messaggio) {
        if (rifiutato)
            *rifiutato = true;
        if (!messaggio.isEmpty())
            m_messages.warning(messaggio);
        return testoFascia(campo);
    };
    if (rifiutato)
        *rifiutato = false;
    if (testo.trimmed().isEmpty()) {
        if (!attuale.isEmpty() && !scrivi(dataZona, campo, QVariant()))
            return rifiuta({});
        return testoFascia(campo);
    }
    const auto v = numero(testo);
    if (!v)
        return rifiuta(QStringLiteral("\"%1\" non è un numero: scrivere solo cifre e, per i decimali, \"%2\".")
                           .arg(testo.trimmed(), QString(m_separatore)));
    QVariant valore;
    if (campoImporto(campo)) {
        const auto c = importo(testo);
        if (!c)
            return rifiuta(QStringLiteral("L'importo \"%1\" è troppo grande.").arg(testo.trimmed()));
        valore = QVariant::fromValue(*c);
    } else {
        const double assoluto = std::fabs(*v);
        if (assoluto > double(FLT_MAX))
            return rifiuta(QStringLiteral("Il peso \"%1\" è troppo grande.").arg(testo.trimmed()));
        valore = assoluto;
    }
    if (!scrivi(dataZona, campo, valore))
        return rifiuta({});
    return testoFascia(campo);
}
