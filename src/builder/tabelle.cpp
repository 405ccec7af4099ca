#include "tabelle.h"

#include "formato.h"
#include "numeri.h"
#include "tabellespedizione.h"
#include "testoletto.h"

#include <array>

namespace {

using namespace Spedizione;

const QString crlf = QStringLiteral("\r\n");

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
    const Pagamento pag = leggiPagamento(*catalogo);
    // The double quotes are written as such rather than through the "|"
    // convention, so that a "|" in a country name stays a "|".
    QString t = QStringLiteral("<select size=\"1\" name=\"LSStato\" onChange=\"SpedPaese()\">") + crlf;
    for (const Paese &paese : leggiPaesi(*catalogo)) {
        t += QStringLiteral("<option ");
        if (pag.paesesel && paese.strID == *pag.paesesel)
            t += QStringLiteral("selected ");
        t += QStringLiteral("value =\"") + (paese.zona ? Format(*paese.zona, QStringLiteral("0")) : QString()) +
             QStringLiteral("\">") + NomeInPagina(paese.paese) + QStringLiteral("</option>") + crlf;
    }
    return t + QStringLiteral("</select>");
}

QString TabelleScript::MakePagamenti(const DatabasePtr &catalogo)
{
    const Pagamento pag = leggiPagamento(*catalogo);
    QString t = QStringLiteral("<select size=\"1\" name=\"Pagamento\" onChange=\"SpedPaese()\">") + crlf;
    for (int k : pag.metodiAttivi()) {
        t += pag.selezionato == k ? QStringLiteral("<option selected>") : QStringLiteral("<option>");
        t += NomeInPagina(pag.nome[k - 1]) + QStringLiteral("</option>") + crlf;
    }
    return t + QStringLiteral("</select>");
}

int TabelleScript::MakeTipoSel(const DatabasePtr &catalogo)
{
    const Pagamento pag = leggiPagamento(*catalogo);
    if (!pag.presente)
        return 1;
    // The arrays number the active methods only: the preselected method's
    // cell is found by its position among them.
    const int posizione = pag.posizioneTraAttivi(pag.selezionato);
    const std::optional<Paese> paese = trovaPaese(*catalogo, pag.paesesel.value_or(QString()));
    const int zonaPaese = paese ? paese->zona.value_or(0) : 0;
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
        const Pagamento pag = leggiPagamento(*catalogo);
        const std::vector<int> attivi = pag.metodiAttivi();
        for (int z = 1; z <= 4; ++z) {
            const bool ivaZona = pag.ivaok[z - 1];
            iva += ivaZona ? u'1' : u'0';
            if (z == pag.zonasel)
                rigaIva = ivaZona ? QString() : QStringLiteral("totiva = 0;");
            const Zona righe = leggiZona(*catalogo, z);
            for (size_t n = 0; n < attivi.size(); ++n) {
                const FasceMetodo &m = righe.metodo[attivi[n] - 1];
                const size_t e = n * 4 + size_t(z - 1);
                imp1[e] = m.imp[0];
                sp1[e] = m.sp[0];
                imp2[e] = m.imp[1];
                sp2[e] = m.sp[1];
                sp3[e] = m.sp[2];
                if (imp1[e] > imp2[e]) {
                    std::swap(imp1[e], imp2[e]);
                    std::swap(sp1[e], sp2[e]);
                }
                permessi[e] = m.offerto ? QStringLiteral("1") : QStringLiteral("0");
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
    const Pagamento pag = leggiPagamento(*catalogo);
    if (!m_pesoFatti) {
        // weight[b][e] for the bands 1..9, cost[b][e] for 1..10 (index 0 unused).
        std::array<std::array<float, 16>, 10> pesi{};
        std::array<std::array<Currency, 16>, 11> costi{};
        const std::vector<int> attivi = pag.metodiAttivi();
        for (int z = 1; z <= 4; ++z) {
            const Zona righe = leggiZona(*catalogo, z);
            for (size_t n = 0; n < attivi.size(); ++n) {
                const FasceMetodo &m = righe.metodo[attivi[n] - 1];
                const size_t e = n * 4 + size_t(z - 1);
                for (int b = 1; b <= 9; ++b)
                    pesi[b][e] = m.peso[b - 1];
                for (int b = 1; b <= 10; ++b)
                    costi[b][e] = m.spp[b - 1];
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
    Valore2 = pag.perPeso() ? QStringLiteral("1") : QStringLiteral("0");
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
