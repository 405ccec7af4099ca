#include "tabelle.h"

#include "formato.h"
#include "numeri.h"
#include "recordset.h"

#include <array>

namespace {

const QString crlf = QStringLiteral("\r\n");

Recordset pagamento(const DatabasePtr &catalogo)
{
    Recordset rs(catalogo, QStringLiteral("SELECT * FROM pagamento"));
    if (rs.recordCount() > 0)
        rs.moveFirst();
    return rs;
}

bool vero(const Recordset &rs, const QString &campo)
{
    return rs.hasCurrent() && rs.value(campo).toBool();
}

int intero(const Recordset &rs, const QString &campo)
{
    return rs.hasCurrent() ? rs.value(campo).toInt() : 0;
}

// The active methods in slot order: the n-th active method fills the
// entries (n - 1) * 4 + zone - 1 of every cost array.
std::vector<int> metodiAttivi(const Recordset &pag)
{
    std::vector<int> attivi;
    for (int k = 1; k <= 4; ++k)
        if (vero(pag, QStringLiteral("attivo%1").arg(k)))
            attivi.push_back(k);
    return attivi;
}

Recordset zona(const DatabasePtr &catalogo, int z)
{
    Recordset rs(catalogo, QStringLiteral("SELECT * FROM zona%1").arg(z));
    if (rs.recordCount() > 0)
        rs.moveFirst();
    return rs;
}

Currency importo(const Recordset &rs, const QString &campo)
{
    if (!rs.hasCurrent() || !rs.hasField(campo))
        return {};
    return CCur(rs.value(campo));
}

float peso(const Recordset &rs, const QString &campo)
{
    if (!rs.hasCurrent() || !rs.hasField(campo))
        return 0;
    return rs.value(campo).toFloat();
}

// "nome=new Array(v0,v1,...);" CR LF
QString array(const QString &nome, const QStringList &valori)
{
    return nome + QStringLiteral("=new Array(") + valori.join(u',') + QStringLiteral(");") + crlf;
}

QString invariante(Currency v) { return Str(v).trimmed(); }
QString invariante(float v) { return Str(v).trimmed(); }

} // namespace

void TabelleScript::leggiSelezioni(const DatabasePtr &catalogo)
{
    if (m_selezioniFatte)
        return;
    m_paesi = MakePaesi(catalogo);
    m_pagamenti = MakePagamenti(catalogo);
    m_tipoSel = MakeTipoSel(catalogo);
    m_selezioniFatte = true;
}

const QString &TabelleScript::paesi(const DatabasePtr &catalogo)
{
    leggiSelezioni(catalogo);
    return m_paesi;
}

const QString &TabelleScript::pagamenti(const DatabasePtr &catalogo)
{
    leggiSelezioni(catalogo);
    return m_pagamenti;
}

int TabelleScript::tipoSel(const DatabasePtr &catalogo)
{
    leggiSelezioni(catalogo);
    return m_tipoSel;
}

void TabelleScript::azzera()
{
    m_selezioniFatte = false;
    m_importiFatti = m_pesoFatti = false;
    m_importi.clear();
    m_permessi.clear();
    m_iva.clear();
    m_importiPeso.clear();
}

QString TabelleScript::MakePaesi(const DatabasePtr &catalogo)
{
    const Recordset pag = pagamento(catalogo);
    const QVariant scelto = pag.hasCurrent() ? pag.value(QStringLiteral("paesesel")) : QVariant();
    // The double quotes are written as such rather than through the "|"
    // convention, so that a "|" in a country name stays a "|".
    QString t = QStringLiteral("<select size=\"1\" name=\"LSStato\" onChange=\"SpedPaese()\">") + crlf;
    Recordset paesi(catalogo, QStringLiteral("SELECT * FROM paesi ORDER BY ID"));
    if (paesi.recordCount() > 0)
        paesi.moveFirst();
    for (; paesi.hasCurrent(); paesi.moveNext()) {
        t += QStringLiteral("<option ");
        if (!scelto.isNull() && paesi.text(QStringLiteral("strID")) == scelto.toString())
            t += QStringLiteral("selected ");
        t += QStringLiteral("value =\"") + Format(paesi.value(QStringLiteral("zona")), QStringLiteral("0")) +
             QStringLiteral("\">") + paesi.text(QStringLiteral("paese")) + QStringLiteral("</option>") + crlf;
    }
    return t + QStringLiteral("</select>");
}

QString TabelleScript::MakePagamenti(const DatabasePtr &catalogo)
{
    const Recordset pag = pagamento(catalogo);
    const int selezionato = intero(pag, QStringLiteral("selezionato"));
    QString t = QStringLiteral("<select size=\"1\" name=\"Pagamento\" onChange=\"SpedPaese()\">") + crlf;
    for (int k = 1; k <= 4; ++k) {
        if (!vero(pag, QStringLiteral("attivo%1").arg(k)))
            continue;
        t += selezionato == k ? QStringLiteral("<option selected>") : QStringLiteral("<option>");
        t += pag.text(QStringLiteral("nome%1").arg(k)) + QStringLiteral("</option>") + crlf;
    }
    return t + QStringLiteral("</select>");
}

int TabelleScript::MakeTipoSel(const DatabasePtr &catalogo)
{
    const Recordset pag = pagamento(catalogo);
    if (!pag.hasCurrent())
        return 1;
    // The arrays number the active methods only: the preselected method's
    // cell is found by its position among them.
    const std::vector<int> attivi = metodiAttivi(pag);
    const int selezionato = intero(pag, QStringLiteral("selezionato"));
    int posizione = 0;
    for (size_t i = 0; i < attivi.size(); ++i)
        if (attivi[i] == selezionato)
            posizione = int(i) + 1;
    int zonaPaese = 0;
    Recordset paese(catalogo, QStringLiteral("SELECT * FROM paesi WHERE strID=?"),
                    {pag.text(QStringLiteral("paesesel"))});
    if (paese.recordCount() > 0) {
        paese.moveFirst();
        zonaPaese = paese.value(QStringLiteral("zona")).toInt();
    }
    // Without an active preselected method or a country with a zone there
    // is no cell to point at: the first one stands in.
    if (posizione < 1 || zonaPaese < 1 || zonaPaese > 4)
        return 1;
    const int cella = (posizione - 1) * 4 + zonaPaese;
    return (cella < 1 || cella > 16) ? 1 : cella;
}

void TabelleScript::MakeImporti(const DatabasePtr &catalogo, const ShopState &stato, QString &Valore1,
                                QString &Valore2, QString &Valore3)
{
    if (!m_importiFatti) {
        std::array<Currency, 16> imp1{}, sp1{}, imp2{}, sp2{}, sp3{};
        std::array<QString, 16> permessi;
        QString iva, rigaIva;
        const Recordset pag = pagamento(catalogo);
        const std::vector<int> attivi = metodiAttivi(pag);
        const int zonaSel = intero(pag, QStringLiteral("zonasel"));
        for (int z = 1; z <= 4; ++z) {
            const bool ivaZona = vero(pag, QStringLiteral("ivaok%1").arg(z));
            iva += ivaZona ? u'1' : u'0';
            if (z == zonaSel)
                rigaIva = ivaZona ? QString() : QStringLiteral("totiva = 0;");
            const Recordset righe = zona(catalogo, z);
            for (size_t n = 0; n < attivi.size(); ++n) {
                const int k = attivi[n];
                const size_t e = n * 4 + size_t(z - 1);
                const QString m = QStringLiteral("m%1").arg(k);
                imp1[e] = importo(righe, m + QStringLiteral("imp1"));
                sp1[e] = importo(righe, m + QStringLiteral("sp1"));
                imp2[e] = importo(righe, m + QStringLiteral("imp2"));
                sp2[e] = importo(righe, m + QStringLiteral("sp2"));
                sp3[e] = importo(righe, m + QStringLiteral("sp3"));
                if (imp1[e] > imp2[e]) {
                    std::swap(imp1[e], imp2[e]);
                    std::swap(sp1[e], sp2[e]);
                }
                permessi[e] = vero(righe, QStringLiteral("pag%1").arg(k)) ? QStringLiteral("1") : QStringLiteral("0");
            }
        }
        QStringList o1, s1, o2, s2, s3;
        QString flag;
        for (size_t e = 0; e < 16; ++e) {
            o1 << invariante(imp1[e]);
            s1 << FormatoImporto(sp1[e], stato);
            o2 << invariante(imp2[e]);
            s2 << FormatoImporto(sp2[e], stato);
            s3 << FormatoImporto(sp3[e], stato);
            flag += permessi[e];
        }
        m_importi = array(QStringLiteral("impord1"), o1) + array(QStringLiteral("impspese1"), s1) +
                    array(QStringLiteral("impord2"), o2) + array(QStringLiteral("impspese2"), s2) +
                    array(QStringLiteral("impspese3"), s3);
        m_permessi = QStringLiteral("var SpOk='") + flag + QStringLiteral("';") + crlf + QStringLiteral("var IvaOk='") +
                     iva + QStringLiteral("';");
        m_iva = rigaIva;
        m_importiFatti = true;
    }
    Valore1 = m_importi;
    Valore2 = m_permessi;
    Valore3 = m_iva;
}

void TabelleScript::MakeImportiPeso(const DatabasePtr &catalogo, const ShopState &stato, QString &Valore1,
                                    QString &Valore2)
{
    const Recordset pag = pagamento(catalogo);
    if (!m_pesoFatti) {
        // weight[b][e] for the bands 1..9, cost[b][e] for 1..10 (index 0 unused).
        std::array<std::array<float, 16>, 10> pesi{};
        std::array<std::array<Currency, 16>, 11> costi{};
        const std::vector<int> attivi = metodiAttivi(pag);
        for (int z = 1; z <= 4; ++z) {
            const Recordset righe = zona(catalogo, z);
            for (size_t n = 0; n < attivi.size(); ++n) {
                const int k = attivi[n];
                const size_t e = n * 4 + size_t(z - 1);
                const QString m = QStringLiteral("m%1").arg(k);
                for (int b = 1; b <= 9; ++b)
                    pesi[b][e] = peso(righe, m + QStringLiteral("peso%1").arg(b));
                for (int b = 1; b <= 10; ++b)
                    costi[b][e] = importo(righe, m + QStringLiteral("spp%1").arg(b));
                // The nine bands in ascending weight, with their costs; the
                // cost above the last band stays where it is.
                for (bool scambiato = true; scambiato;) {
                    scambiato = false;
                    for (int b = 1; b < 9; ++b) {
                        if (pesi[b][e] > pesi[b + 1][e]) {
                            std::swap(pesi[b][e], pesi[b + 1][e]);
                            std::swap(costi[b][e], costi[b + 1][e]);
                            scambiato = true;
                        }
                    }
                }
            }
        }
        m_importiPeso.clear();
        for (int b = 1; b <= 10; ++b) {
            QStringList w, c;
            for (size_t e = 0; e < 16; ++e) {
                w << invariante(pesi[b < 10 ? b : 9][e]);
                c << FormatoImporto(costi[b][e], stato);
            }
            if (b < 10)
                m_importiPeso += array(QStringLiteral("imppeso") + Format(b, QStringLiteral("#0")), w);
            m_importiPeso += array(QStringLiteral("impspp") + Format(b, QStringLiteral("#0")), c);
        }
        m_pesoFatti = true;
    }
    Valore1 = m_importiPeso;
    Valore2 = intero(pag, QStringLiteral("imppeso")) != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

QString TabelleScript::JavaValuta(const ShopState &stato)
{
    // The values are the merchant's: each is escaped for its string.
    auto riga = [](const char *nome, const QString &valore) {
        return QLatin1String(nome) + QStringLiteral("=\"") + StringaJS(valore) + QStringLiteral("\";") + crlf;
    };
    return riga("var valuta", stato.PrefissoValuta1) + riga("var sepmigl", stato.SeparatoreMigliaia) +
           riga("var sepdec", stato.SeparatoreDecimali) +
           (stato.FormatoDecimali1 == QLatin1String("0") ? QStringLiteral("var PutDec= 0;")
                                                          : QStringLiteral("var PutDec= 1;")) +
           crlf;
}
