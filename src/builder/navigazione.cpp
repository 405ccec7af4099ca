#include "navigazione.h"

#include "formato.h"
#include "frammenti.h"
#include "numeri.h"

#include <algorithm>
#include <future>

namespace {

const QString radice = QStringLiteral("###");

QString chiave(const QString &ID)
{
    return ID.toLower();
}

// The pieces one after another, in one allocation.
QString concatena(std::initializer_list<QStringView> pezzi, std::initializer_list<QStringView> altri = {})
{
    qsizetype n = 0;
    for (const auto &lista : {pezzi, altri})
        for (QStringView p : lista)
            n += p.size();
    QString r;
    r.reserve(n);
    for (const auto &lista : {pezzi, altri})
        for (QStringView p : lista)
            r += p;
    return r;
}

QString rientro(int livello)
{
    if (livello <= 1)
        return {};
    return QStringLiteral("&nbsp;").repeated((livello - 1) * 2 - 1) + u' ';
}

} // namespace

QString PageFile(const QString &Testo, int numero)
{
    if (numero > 1)
        return Testo + QStringLiteral("_p") + Format(numero, QStringLiteral("#####")) + QStringLiteral(".htm");
    return Testo + QStringLiteral(".htm");
}

QString PutLink(const QString &Testo, const QString &link, bool esterno)
{
    if (Testo.isEmpty() || link.isEmpty())
        return Testo;
    // The address is an attribute value; only the markup's own quotes are
    // written as "|".
    return MettiVirgolette(QStringLiteral("<a href=|")) + ValoreAttributo(link) +
           MettiVirgolette(esterno ? QStringLiteral("| target=|_blank|>") : QStringLiteral("|>")) + Testo +
           QStringLiteral("</a>");
}

bool NomePaginaValido(const QString &nome)
{
    if (nome.isEmpty())
        return false;
    for (QChar c : nome) {
        const char16_t u = c.unicode();
        if (!((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'-' || u == u'_'))
            return false;
    }
    return true;
}

bool NomeModelloValido(const QString &nome)
{
    for (QChar c : nome)
        if (c.unicode() < 0x20 || c == u'/' || c == u'\\')
            return false;
    return true;
}

QString PutOnClick(const QString &Testo, const QString &link)
{
    if (Testo.isEmpty() || link.isEmpty())
        return Testo;
    return MettiVirgolette(QStringLiteral("<a href=|#| onClick=|") + link + QStringLiteral("|>")) + Testo +
           QStringLiteral("</a>");
}

QString FormMenu(const QString &opzioni, bool conVoceVuota)
{
    // Put together in one piece: the options of a large shop's menu are
    // most of a page.
    static const QString testa = QStringLiteral("<form name=\"vtReparti\">\r\n"
                                                "<select name=\"vtRepartiMenu\" onChange=\"RepGoTo()\">\r\n");
    static const QString vuota = QStringLiteral("<option selected value=\"#\"> </option>\r\n");
    static const QString coda = QStringLiteral("</select>\r\n</form>");
    QString form;
    form.reserve(testa.size() + vuota.size() + opzioni.size() + coda.size());
    form += testa;
    if (conVoceVuota)
        form += vuota;
    form += opzioni;
    form += coda;
    return form;
}

Navigazione::Navigazione(std::vector<Reparto> reparti, const QString &modelloEvidenza)
    : m_evidenza(modelloEvidenza), m_reparti(std::move(reparti))
{
    indicizza();
    componi();
}

int Navigazione::indice(const QString &ID) const
{
    return m_perID.value(chiave(ID), -1);
}

void Navigazione::escludi(const std::vector<char> &esclusi)
{
    std::vector<char> nuovi = esclusi;
    nuovi.resize(m_reparti.size(), 0);
    if (nuovi == m_esclusi)
        return;
    // A line depends only on its department and the highlight: only the
    // rows whose exclusion changes are composed again (an excluded row has
    // none), then the whole menu. Rows off the tree have no lines.
    for (const int i : m_ordine) {
        const size_t k = size_t(i);
        if (nuovi[k] == m_esclusi[k])
            continue;
        if (nuovi[k]) {
            m_linee[k].clear();
            m_lineeSel[k].clear();
            m_opzioni[k].clear();
            m_opzioniSel[k].clear();
        } else {
            linee(m_reparti[k], m_linee[k], m_lineeSel[k], m_opzioni[k], m_opzioniSel[k]);
        }
    }
    m_esclusi = std::move(nuovi);
    componiMenu();
}

void Navigazione::indicizza()
{
    m_esclusi.assign(m_reparti.size(), 0);
    m_perID.clear();
    m_figli.clear();
    for (int i = 0; i < int(m_reparti.size()); ++i) {
        const Reparto &r = m_reparti[i];
        if (!r.genitoreValore.isNull())
            m_figli[chiave(r.genitore)].push_back(i);
    }
    // The first row of an ID is the one a search finds.
    for (int i = int(m_reparti.size()) - 1; i >= 0; --i)
        m_perID.insert(chiave(m_reparti[i].ID), i);

    // Depth-first order from the root; each row is visited once at most.
    m_ordine.clear();
    std::vector<char> visto(m_reparti.size(), 0);
    std::vector<std::pair<const std::vector<int> *, size_t>> pila;
    if (auto it = m_figli.constFind(chiave(radice)); it != m_figli.constEnd())
        pila.push_back({&*it, 0});
    while (!pila.empty()) {
        auto &[figli, k] = pila.back();
        if (k >= figli->size()) {
            pila.pop_back();
            continue;
        }
        const int nodo = (*figli)[k++];
        if (visto[nodo])
            continue;
        visto[nodo] = 1;
        m_ordine.push_back(nodo);
        if (auto it = m_figli.constFind(chiave(m_reparti[nodo].ID)); it != m_figli.constEnd())
            pila.push_back({&*it, 0});
    }
}

void Navigazione::linee(const Reparto &r, QString &linea, QString &lineaSel, QString &opzione,
                        QString &opzioneSel) const
{
    // The markup is written with its own quotes; the department's title is
    // put in as it stands, so that a "|" of the merchant's own stays one,
    // and the page's and picture's names as attribute values.
    const QString pagina = ValoreAttributo(r.pagina + QStringLiteral(".htm"));
    const QString rientra = rientro(r.livello);

    // The tree: a picture, or the title in the highlight pattern, linked
    // unless selected.
    const QString immagine = TagImmagine(r.immagine1, r.imgX1, r.imgY1, FormaTagImmagine::Pulsante);
    QStringView inizio = u"&nbsp;&nbsp;";
    if (r.livello <= 1)
        inizio = immagine.isEmpty() ? QStringView(u"<B>\u2022 </B>") : QStringView(u"<BR>");
    QStringView prima, dopo;  // the highlight pattern around the title
    const QStringView etichetta = immagine.isEmpty() ? QStringView(r.titolo) : QStringView(immagine);
    if (const qsizetype p = m_evidenza.indexOf(radice); immagine.isEmpty() && p >= 0) {
        prima = QStringView(m_evidenza).left(p);
        dopo = QStringView(m_evidenza).mid(p + 3);
    }
    lineaSel = concatena({inizio, rientra, u"<B>", prima, etichetta, dopo, u"</B><BR>\r\n"});
    linea = concatena({inizio, rientra, u"<a href=\"", pagina, u"\">", prima, etichetta, dopo, u"</a><BR>\r\n"});

    // The drop-down menu.
    const QStringView rientroMenu = r.livello > 1 ? QStringView(u"&nbsp;&nbsp;") : QStringView();
    const std::initializer_list<QStringView> resto{pagina, u"\">", rientroMenu, rientra, r.titolo, u"</option>\r\n"};
    opzione = concatena({u"<option value=\""}, resto);
    opzioneSel = concatena({u"<option selected value=\""}, resto);
}

void Navigazione::componi()
{
    const size_t n = m_reparti.size();
    m_linee.assign(n, {});
    m_lineeSel.assign(n, {});
    m_opzioni.assign(n, {});
    m_opzioniSel.assign(n, {});
    // The lines of a shop of thousands of departments take some
    // milliseconds: parts of them are composed on threads of their own.
    const auto componiParte = [this](size_t da, size_t a) {
        for (size_t k = da; k < a; ++k) {
            const int i = m_ordine[k];
            if (!escluso(i))
                linee(m_reparti[size_t(i)], m_linee[size_t(i)], m_lineeSel[size_t(i)], m_opzioni[size_t(i)],
                      m_opzioniSel[size_t(i)]);
        }
    };
    const size_t parti = std::clamp<size_t>(m_ordine.size() / 500, 1, 4);
    std::vector<std::future<void>> altre;
    for (size_t p = 1; p < parti; ++p)
        altre.push_back(std::async(std::launch::async, componiParte, m_ordine.size() * p / parti,
                                   m_ordine.size() * (p + 1) / parti));
    componiParte(0, m_ordine.size() / parti);
    for (std::future<void> &f : altre)
        f.get();
    componiMenu();
}

void Navigazione::componiMenu()
{
    m_inizioOpzione.assign(m_reparti.size(), -1);
    m_menuIntero.clear();
    for (int i : m_ordine) {
        if (escluso(i))
            continue;
        m_inizioOpzione[size_t(i)] = m_menuIntero.size();
        m_menuIntero += m_opzioni[size_t(i)];
    }
}

QString Navigazione::CatLinkRep(const QString &ID) const
{
    const int i = indice(ID);
    if (i < 0)
        return {};
    const Reparto &r = m_reparti[i];
    if (escluso(i))
        return r.titolo;
    return MettiVirgolette(QStringLiteral("<a href=|")) + ValoreAttributo(r.pagina + QStringLiteral(".htm")) +
           MettiVirgolette(QStringLiteral("|>")) +
           r.titolo + QStringLiteral("</a>");
}

void Navigazione::Menu(const QString &sID, const QSet<QString> &visibili, QString &albero, QString &opzioni) const
{
    std::vector<char> flag(m_reparti.size(), 0);
    int corrente = -1;
    for (size_t i = 0; i < m_reparti.size(); ++i) {
        flag[i] = visibili.contains(m_reparti[i].ID) ? 1 : 0;
        if (corrente < 0 && m_reparti[i].ID == sID)
            corrente = int(i);
    }
    Menu(corrente, flag, albero, opzioni);
}

void Navigazione::Menu(int corrente, const std::vector<char> &visibili, QString &albero, QString &opzioni) const
{
    // The lines are composed once per build; a page only picks them (IDs
    // are unique, so the selected row is the only one selected).
    albero.clear();
    int selezionato = -1;
    for (int i : m_ordine) {
        const bool sel = i == corrente;
        if (sel)
            selezionato = i;
        if (visibili[size_t(i)])
            albero += sel ? m_lineeSel[size_t(i)] : m_linee[size_t(i)];
    }
    if (selezionato < 0) {
        opzioni = m_menuIntero;
        return;
    }
    const qsizetype inizio = m_inizioOpzione[size_t(selezionato)];
    opzioni.clear();
    opzioni.reserve(m_menuIntero.size() + 16);
    opzioni += QStringView(m_menuIntero).left(inizio);
    opzioni += m_opzioniSel[size_t(selezionato)];
    opzioni += QStringView(m_menuIntero).mid(inizio + m_opzioni[size_t(selezionato)].size());
}

QString Navigazione::MakePercorsoTitolo(const QString &nID) const
{
    QString percorso;
    QString cur = nID;
    // A chain of parents longer than the table has rows is a loop.
    size_t passi = 0;
    while (!cur.isEmpty() && cur != radice) {
        if (++passi > m_reparti.size() + 1)
            return {};
        const int i = indice(cur);
        if (i < 0 || m_reparti[i].genitoreValore.isNull())
            return {};
        const Reparto &r = m_reparti[i];
        if (cur != nID && !r.genitore.isEmpty())
            percorso = QStringLiteral("<font size=\"1\">") + CatLinkRep(cur) + QStringLiteral("&nbsp;&gt;&nbsp;</font>") +
                       percorso;
        cur = r.genitore;
    }
    return percorso;
}

QString Navigazione::MakeSottoreparti(const QString &nID) const
{
    auto it = m_figli.constFind(chiave(nID));
    if (it == m_figli.constEnd())
        return {};
    const QString separatore = QStringLiteral("&nbsp;|&nbsp;</font>");
    QString elenco = QStringLiteral("<BR><font size=\"1\">&gt;&gt;&nbsp;</font>");
    bool nessuno = true;
    for (int figlio : *it) {
        if (escluso(figlio))
            continue;
        elenco += QStringLiteral("<font face=\"Arial\" size=\"1\">") + CatLinkRep(m_reparti[figlio].ID) + separatore;
        nessuno = false;
    }
    if (nessuno)
        return {};
    elenco.chop(separatore.size());
    elenco += QStringLiteral("</font>");
    return elenco;
}

QSet<QString> Navigazione::InsiemeMenu(const QString &ID, int livelliAperti) const
{
    QSet<QString> insieme;
    const std::vector<char> flag = visibili(ID, indice(ID), livelliAperti);
    for (size_t i = 0; i < m_reparti.size(); ++i)
        if (flag[i])
            insieme.insert(m_reparti[i].ID);
    return insieme;
}

std::vector<char> Navigazione::Visibili(int i, int livelliAperti) const
{
    if (i >= 0)
        return visibili(m_reparti[size_t(i)].ID, i, livelliAperti);
    // No department: the open levels alone.
    std::vector<char> flag(m_reparti.size(), 0);
    for (size_t k = 0; k < m_reparti.size(); ++k)
        flag[k] = m_reparti[k].livello < livelliAperti ? 1 : 0;
    return flag;
}

std::vector<char> Navigazione::visibili(const QString &ID, int i, int livelliAperti) const
{
    std::vector<char> flag(m_reparti.size(), 0);
    for (size_t k = 0; k < m_reparti.size(); ++k)
        if (m_reparti[k].livello < livelliAperti)
            flag[k] = 1;
    // Its children, and its siblings with itself.
    const QString genitore = i >= 0 ? m_reparti[size_t(i)].genitore : QString();
    for (const QString &k : {chiave(ID), chiave(genitore)})
        if (auto it = m_figli.constFind(k); it != m_figli.constEnd())
            for (int figlio : *it)
                flag[size_t(figlio)] = 1;
    // Up from the parent; a damaged chain that loops stops after as many
    // steps as there are departments.
    QString cur = genitore;
    size_t passi = 0;
    while (i >= 0 && !cur.isEmpty() && cur != radice && ++passi <= m_reparti.size()) {
        const int p = indice(cur);
        if (p < 0)
            break;
        flag[size_t(p)] = 1;
        if (m_reparti[size_t(p)].genitoreValore.isNull())
            break;
        cur = m_reparti[size_t(p)].genitore;
    }
    return flag;
}

std::vector<int> Navigazione::Irraggiungibili() const
{
    std::vector<char> raggiunto(m_reparti.size(), 0);
    for (int i : m_ordine)
        raggiunto[size_t(i)] = 1;
    std::vector<int> r;
    for (size_t i = 0; i < m_reparti.size(); ++i)
        if (!raggiunto[i])
            r.push_back(int(i));
    return r;
}
