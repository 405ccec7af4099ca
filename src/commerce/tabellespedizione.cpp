#include "tabellespedizione.h"

#include "recordset.h"

#include <cmath>
#include <limits>

namespace Spedizione {

const QStringList &Tabelle()
{
    static const QStringList t = {QStringLiteral("paesi"), QStringLiteral("pagamento"), QStringLiteral("zona1"),
                                  QStringLiteral("zona2"), QStringLiteral("zona3"), QStringLiteral("zona4"),
                                  QStringLiteral("zone")};
    return t;
}

QString tabellaZona(int n)
{
    return QStringLiteral("zona%1").arg(n);
}

namespace Campo {
QString nome(int k) { return QStringLiteral("nome%1").arg(k); }
QString attivo(int k) { return QStringLiteral("attivo%1").arg(k); }
QString metodo(int k) { return QStringLiteral("metodo%1").arg(k); }
QString ivaok(int n) { return QStringLiteral("ivaok%1").arg(n); }
QString pag(int k) { return QStringLiteral("pag%1").arg(k); }
QString imp(int k, int i) { return QStringLiteral("m%1imp%2").arg(k).arg(i); }
QString sp(int k, int i) { return QStringLiteral("m%1sp%2").arg(k).arg(i); }
QString peso(int k, int i) { return QStringLiteral("m%1peso%2").arg(k).arg(i); }
QString spp(int k, int i) { return QStringLiteral("m%1spp%2").arg(k).arg(i); }
} // namespace Campo

namespace {

// The single row of a one-row table, or a recordset without a current row.
Recordset primaRiga(Database &db, const QString &tabella)
{
    Recordset rs(db.shared_from_this(), QStringLiteral("SELECT * FROM \"%1\"").arg(tabella));
    if (rs.recordCount() > 0)
        rs.moveFirst();
    return rs;
}

QVariant valore(const Recordset &rs, const QString &campo)
{
    if (!rs.hasCurrent() || !rs.hasField(campo))
        return {};
    return rs.value(campo);
}

// An amount of the tables; 0 for an empty one. A money field gives its text
// for a value that is no amount (a text, a fraction of its unit, a number
// beyond the money range): that counts as empty too, never as a number
// wrapped round.
Currency importo(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>();
    if (v.userType() == QMetaType::QString || v.userType() == QMetaType::QByteArray)
        return {};
    bool numero = false;
    const double d = v.toDouble(&numero);
    // Within the money range: below 2^63 ten-thousandths.
    constexpr double limite = double(std::numeric_limits<int64_t>::max() / Currency::Scale);
    if (!numero || !std::isfinite(d) || std::fabs(d) >= limite)
        return {};
    return Currency::fromDouble(d);
}

} // namespace

std::vector<int> Pagamento::metodiAttivi() const
{
    std::vector<int> r;
    for (int k = 1; k <= NumeroMetodi; ++k)
        if (attivo[k - 1])
            r.push_back(k);
    return r;
}

int Pagamento::posizioneTraAttivi(int k) const
{
    int posizione = 0;
    for (int j = 1; j <= NumeroMetodi; ++j) {
        if (!attivo[j - 1])
            continue;
        ++posizione;
        if (j == k)
            return posizione;
    }
    return 0;
}

Pagamento leggiPagamento(Database &db)
{
    const Recordset rs = primaRiga(db, QStringLiteral("pagamento"));
    Pagamento p;
    p.presente = rs.hasCurrent();
    for (int k = 1; k <= NumeroMetodi; ++k) {
        p.nome[k - 1] = valore(rs, Campo::nome(k)).toString();
        p.metodo[k - 1] = valore(rs, Campo::metodo(k)).toString();
        p.attivo[k - 1] = valore(rs, Campo::attivo(k)).toBool();
    }
    for (int n = 1; n <= NumeroZone; ++n)
        p.ivaok[n - 1] = valore(rs, Campo::ivaok(n)).toBool();
    p.selezionato = valore(rs, QStringLiteral("selezionato")).toInt();
    p.imppeso = valore(rs, QStringLiteral("imppeso")).toInt();
    p.zonasel = valore(rs, QStringLiteral("zonasel")).toInt();
    const QVariant sel = valore(rs, QStringLiteral("paesesel"));
    if (sel.isValid() && !sel.isNull())
        p.paesesel = sel.toString();
    return p;
}

static Paese paeseCorrente(const Recordset &rs)
{
    Paese p;
    p.id = rs.value(QStringLiteral("ID")).toLongLong();
    p.strID = rs.text(QStringLiteral("strID"));
    p.paese = rs.text(QStringLiteral("paese"));
    const QVariant z = rs.value(QStringLiteral("zona"));
    if (z.isValid() && !z.isNull())
        p.zona = z.toInt();
    return p;
}

std::vector<Paese> leggiPaesi(Database &db)
{
    std::vector<Paese> r;
    Recordset rs(db.shared_from_this(), QStringLiteral("SELECT * FROM paesi ORDER BY ID"));
    if (rs.recordCount() > 0)
        rs.moveFirst();
    for (; rs.hasCurrent(); rs.moveNext())
        r.push_back(paeseCorrente(rs));
    return r;
}

std::optional<Paese> trovaPaese(Database &db, const QString &strID)
{
    Recordset rs(db.shared_from_this(), QStringLiteral("SELECT * FROM paesi WHERE strID=?"), {strID});
    if (rs.recordCount() == 0)
        return std::nullopt;
    rs.moveFirst();
    return paeseCorrente(rs);
}

Zona leggiZona(Database &db, int n)
{
    Zona z;
    if (n < 1 || n > NumeroZone)
        return z;
    const Recordset rs = primaRiga(db, tabellaZona(n));
    z.presente = rs.hasCurrent();
    for (int k = 1; k <= NumeroMetodi; ++k) {
        FasceMetodo &m = z.metodo[k - 1];
        m.offerto = valore(rs, Campo::pag(k)).toBool();
        auto leggi = [&](const QString &campo) { return valore(rs, campo); };
        for (int i = 1; i <= LimitiImporto; ++i)
            m.imp[i - 1] = importo(leggi(Campo::imp(k, i)));
        for (int i = 1; i <= LimitiImporto + 1; ++i)
            m.sp[i - 1] = importo(leggi(Campo::sp(k, i)));
        for (int i = 1; i <= LimitiPeso; ++i)
            m.peso[i - 1] = leggi(Campo::peso(k, i)).toFloat();
        for (int i = 1; i <= LimitiPeso + 1; ++i)
            m.spp[i - 1] = importo(leggi(Campo::spp(k, i)));
    }
    return z;
}

std::vector<std::pair<int, QString>> leggiNomiZone(Database &db)
{
    std::vector<std::pair<int, QString>> r;
    Recordset rs(db.shared_from_this(), QStringLiteral("SELECT * FROM zone ORDER BY zona"));
    if (rs.recordCount() > 0)
        rs.moveFirst();
    for (; rs.hasCurrent(); rs.moveNext())
        r.emplace_back(rs.value(QStringLiteral("zona")).toInt(), rs.text(QStringLiteral("nomezona")));
    return r;
}

QString strIDDa(qint64 id)
{
    return QString::number(id);
}

Preselezione verificaPreselezione(Database &db, const QString &paesesel, int selezionato)
{
    Preselezione r;
    const std::optional<Paese> paese = trovaPaese(db, paesesel);
    if (!paese)
        return r;
    r.zona = paese->zona.value_or(0);
    const Zona z = leggiZona(db, r.zona);
    const bool offerto = z.presente && selezionato >= 1 && selezionato <= NumeroMetodi &&
                         z.metodo[selezionato - 1].offerto;
    r.esito = offerto ? Preselezione::Esito::Valida : Preselezione::Esito::MetodoNonOfferto;
    return r;
}

} // namespace Spedizione
