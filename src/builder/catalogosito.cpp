#include "catalogosito.h"

#include "numeri.h"
#include "recordset.h"
#include "testoletto.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <sqlite3.h>
#include <tuple>
#include <utility>

namespace {

using Cella = CellaLetta;

// Below the weight an order takes (10,000,000) by more than the rounding of
// a weight to seven digits.
constexpr double PesoVicinoAlLimite = 9.9e6;

// The value in the catalogue's kind for its column, as a recordset gives it.
QVariant valore(const Cella &c, const ColumnInfo *info)
{
    return Recordset::fromStorage(info, c);
}

// A text field ("" for Null); text is read straight from the row.
QString testo(const Cella &c, const ColumnInfo *info)
{
    if (c.tipo == SQLITE_TEXT)
        return QString::fromUtf8(c.byte, c.lunghezza);
    const QVariant v = valore(c, info);
    return v.isNull() || !v.isValid() ? QString() : v.toString();
}

// What is wrong with a value the build computes with: "" when it is a number
// of the column's kind, or Null; " fuori misura" for a number beyond single
// precision in a column of fractions (it would read as infinite, or as 0);
// " non numerico" otherwise (text in a numeric column, an infinite value, a
// fraction in a column of whole numbers: Currency is stored as an integer).
QString difetto(const Cella &c, bool intero)
{
    switch (c.tipo) {
    case SQLITE_NULL:
    case SQLITE_INTEGER:
        return {};
    case SQLITE_FLOAT:
        if (intero)
            return c.reale == std::trunc(c.reale) && std::fabs(c.reale) < 9.2e18 ? QString()
                                                                                 : QStringLiteral(" non numerico");
        if (!std::isfinite(c.reale))
            return QStringLiteral(" non numerico");
        return std::fabs(c.reale) > double(std::numeric_limits<float>::max()) ? QStringLiteral(" fuori misura")
                                                                               : QString();
    default:
        return QStringLiteral(" non numerico");
    }
}

bool numero(const Cella &c, bool intero)
{
    return difetto(c, intero).isEmpty();
}

// A Boolean field (False for Null).
bool vero(const Cella &c, const ColumnInfo *info)
{
    if (c.tipo == SQLITE_INTEGER)
        return c.intero != 0;
    const QVariant v = valore(c, info);
    return v.isValid() && !v.isNull() && v.toBool();
}

// A forward-only read of a query straight from the engine, with the values
// in the catalogue's kinds as a recordset gives them.
class Lettore {
public:
    Lettore(Database &db, const QString &tabella, const QString &sql)
        : m_lettura(std::make_unique<LetturaDiretta>(db, sql))
    {
        const TableInfo &info = db.tableInfo(tabella);
        for (int i = 0; i < m_lettura->colonne(); ++i) {
            const QString nome = m_lettura->nome(i);
            m_colonne.insert(nome.toLower(), i);
            const ColumnInfo *c = info.column(nome);
            m_info.push_back(c ? *c : ColumnInfo{});
        }
    }

    const std::vector<ColumnInfo> &colonne() const { return m_info; }
    bool prossima() { return m_lettura->prossima(); }
    // Hands the read over.
    std::unique_ptr<LetturaDiretta> cedi() { return std::move(m_lettura); }
    int colonna(const char *nome) const { return m_colonne.value(QString::fromLatin1(nome).toLower(), -1); }
    Cella cella(int colonna) const { return colonna < 0 ? Cella{} : m_lettura->cella(colonna); }
    QVariant valore(int colonna) const { return ::valore(cella(colonna), info(colonna)); }
    QString testo(int colonna) const { return ::testo(cella(colonna), info(colonna)); }
    QString difetto(int colonna, bool intero) const { return ::difetto(cella(colonna), intero); }

private:
    const ColumnInfo *info(int colonna) const { return colonna < 0 ? nullptr : &m_info[size_t(colonna)]; }
    std::unique_ptr<LetturaDiretta> m_lettura;
    QHash<QString, int> m_colonne;
    std::vector<ColumnInfo> m_info;
};

// The columns of an article that a page uses, in the order they are read.
enum ColonnaArticolo {
    cID, cCat, cCod, cTit, cSot, cLink, cDesc, cNote, cEst, cEl, cPop, cNov, cOff, cPrez, cOffP, cPeso, cGiac,
    cImm0, cX0, cY0, cImm1, cX1, cY1, cImm2, cX2, cY2, cOpz1, cOpz2, cOpz3, numeroColonne
};

const char *const sqlArticoli =
    "SELECT ID, catID, codice, titolo, sottotitolo, link, descrizione, note, linkesterno, inelenco, popup, novita, "
    "offerta, prezzo, offertaprezzo, peso, giacenza, immagine0, imgX0, imgY0, immagine1, imgX1, imgY1, immagine2, "
    "imgX2, imgY2, opzione1, opzione2, opzione3 FROM articoli WHERE catID=? AND fuoricatalogo=0 ORDER BY ordinamento";

const char *const sqlReparti =
    "SELECT ID, genitore, livello, pagina, template, titolo, maxarticoli, note, descrizione, immagine0, imgX0, imgY0, "
    "immagine1, imgX1, imgY1, iva, sconto FROM categorie ORDER BY livello, ordinamento";

// The columns a query names, in the order it names them: those between
// SELECT and FROM, then those its conditions and its order name.
QStringList colonneDi(const char *sql)
{
    const QString testo = QString::fromLatin1(sql);
    const qsizetype da = testo.indexOf(QLatin1String(" FROM "));
    QStringList colonne = testo.mid(7, da - 7).split(QStringLiteral(", "));
    static const QRegularExpression nome(QStringLiteral("(?:WHERE|AND|BY|,) ([A-Za-z]+)"));
    for (auto it = nome.globalMatch(testo, da); it.hasNext();)
        if (const QString c = it.next().captured(1); !colonne.contains(c))
            colonne << c;
    return colonne;
}

// A cell as it is kept in a buffer of rows: its kind in one byte, then the
// number, or the length of the text and its bytes.
qsizetype misuraCella(const Cella &c)
{
    if (c.tipo == SQLITE_INTEGER || c.tipo == SQLITE_FLOAT)
        return 1 + 8;
    return c.tipo == SQLITE_NULL ? 1 : 1 + 4 + c.lunghezza;
}

char *scriviCella(char *p, const Cella &c)
{
    *p++ = char(c.tipo);
    if (c.tipo == SQLITE_INTEGER) {
        std::memcpy(p, &c.intero, sizeof c.intero);
        p += sizeof c.intero;
    } else if (c.tipo == SQLITE_FLOAT) {
        std::memcpy(p, &c.reale, sizeof c.reale);
        p += sizeof c.reale;
    } else if (c.tipo != SQLITE_NULL) {
        const qint32 n = c.lunghezza;
        std::memcpy(p, &n, sizeof n);
        std::memcpy(p + sizeof n, c.byte, size_t(n));
        p += sizeof n + size_t(n);
    }
    return p;
}

// Reads a kept cell at p; p moves past it.
Cella leggiCella(const char *&p)
{
    Cella c;
    c.tipo = uchar(*p++);
    if (c.tipo == SQLITE_INTEGER) {
        std::memcpy(&c.intero, p, sizeof c.intero);
        p += sizeof c.intero;
    } else if (c.tipo == SQLITE_FLOAT) {
        std::memcpy(&c.reale, p, sizeof c.reale);
        p += sizeof c.reale;
    } else if (c.tipo != SQLITE_NULL) {
        qint32 n = 0;
        std::memcpy(&n, p, sizeof n);
        c.byte = p + sizeof n;
        c.lunghezza = n;
        p = c.byte + n;
    }
    return c;
}

} // namespace

Varianti Varianti::leggi(Database &catalogo)
{
    Varianti v;
    Lettore l(catalogo, QStringLiteral("opzioni"), QStringLiteral("SELECT * FROM opzioni"));
    const int cID = l.colonna("ID"), cNome = l.colonna("nome"), cSel = l.colonna("selezionato");
    std::array<int, 15> cOp{}, cPr{}, cPe{};
    for (int i = 0; i < 15; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        cOp[size_t(i)] = l.colonna(("opzione" + n).constData());
        cPr[size_t(i)] = l.colonna(("prezzo" + n).constData());
        cPe[size_t(i)] = l.colonna(("peso" + n).constData());
    }
    while (l.prossima()) {
        const qint32 id = l.valore(cID).toInt();
        // Set 1 stands for none (NumeroSetVarianti): its row makes no set.
        // The first row of an ID is the one a search finds.
        if (id == 1 || v.m_set.contains(id))
            continue;
        SetVarianti s;
        s.nome = l.testo(cNome);
        s.selezionato = l.valore(cSel);
        bool illeggibile = false;
        for (size_t i = 0; i < 15; ++i) {
            // As articles' names, without the blanks at either end: an
            // empty slot makes no option, and its fields do not count.
            s.opzione[i] = TogliControlli(l.testo(cOp[i])).trimmed();
            s.prezzo[i] = l.valore(cPr[i]);
            s.peso[i] = l.valore(cPe[i]);
            if (const QString d = l.difetto(cPr[i], true); !d.isEmpty())
                s.illeggibili[i] << QStringLiteral("prezzo") + d;
            if (const QString d = l.difetto(cPe[i], false); !d.isEmpty())
                s.illeggibili[i] << QStringLiteral("peso") + d;
            illeggibile = illeggibile || (!s.illeggibili[i].isEmpty() && !s.opzione[i].isEmpty());
            if (!s.opzione[i].isEmpty() && s.illeggibili[i].isEmpty())
                v.m_pesoMassimo = std::max(v.m_pesoMassimo, std::fabs(s.peso[i].toDouble()));
        }
        v.m_set.insert(id, std::move(s));
        if (illeggibile)
            v.m_conIlleggibili.insert(id);
    }
    return v;
}

const SetVarianti *Varianti::set(qint32 id) const
{
    auto it = m_set.constFind(id);
    return it == m_set.constEnd() ? nullptr : &*it;
}

qint32 NumeroSetVarianti(const QVariant &opzione)
{
    return opzione.isNull() ? 1 : CLng(opzione.toDouble());
}

QStringList ColonneMancanti(Database &catalogo)
{
    QStringList mancanti;
    const std::tuple<const char *, const char *, QStringList> tabelle[] = {
        {"categorie", "dei reparti", colonneDi(sqlReparti)},
        {"articoli", "degli articoli", colonneDi(sqlArticoli)},
        {"opzioni", "delle varianti", {}}};
    for (const auto &[tabella, di, colonne] : tabelle) {
        const QString t = QLatin1String(tabella), chi = QLatin1String(di);
        // Asked of the file itself, one question a table: the schema the
        // file holds. A table that is not there has no columns.
        QSet<QString> presenti;
        QSqlQuery q = catalogo.run(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {t});
        while (q.next())
            presenti.insert(q.value(0).toString().toLower());
        if (presenti.isEmpty()) {
            mancanti << QStringLiteral("la tabella ") + chi + QStringLiteral(" ('") + t + QStringLiteral("')");
            continue;
        }
        for (const QString &c : colonne)
            if (!presenti.contains(c.toLower()))
                mancanti << QStringLiteral("il campo '") + c + QStringLiteral("' della tabella ") + chi +
                                QStringLiteral(" ('") + t + QStringLiteral("')");
    }
    return mancanti;
}

std::vector<Reparto> LeggiReparti(Database &catalogo)
{
    std::vector<Reparto> reparti;
    Lettore l(catalogo, QStringLiteral("categorie"), QString::fromLatin1(sqlReparti));
    const int cID = l.colonna("ID"), cGen = l.colonna("genitore"), cLiv = l.colonna("livello"),
              cPag = l.colonna("pagina"), cMod = l.colonna("template"), cTit = l.colonna("titolo"),
              cMax = l.colonna("maxarticoli"), cNote = l.colonna("note"), cDesc = l.colonna("descrizione"),
              cI0 = l.colonna("immagine0"), cX0 = l.colonna("imgX0"), cY0 = l.colonna("imgY0"),
              cI1 = l.colonna("immagine1"), cX1 = l.colonna("imgX1"), cY1 = l.colonna("imgY1"),
              cIva = l.colonna("iva"), cSconto = l.colonna("sconto");
    while (l.prossima()) {
        Reparto &r = reparti.emplace_back();
        r.ID = l.testo(cID);
        r.genitoreValore = l.valore(cGen);
        r.genitore = r.genitoreValore.toString();
        r.livello = l.valore(cLiv).toInt();
        r.pagina = l.testo(cPag);
        r.modello = l.testo(cMod);
        r.titolo = l.testo(cTit);
        r.maxarticoli = l.valore(cMax).toInt();
        r.note = l.valore(cNote);
        r.descrizione = l.valore(cDesc);
        r.immagine0 = l.valore(cI0);
        r.imgX0 = l.valore(cX0);
        r.imgY0 = l.valore(cY0);
        r.immagine1 = l.valore(cI1);
        r.imgX1 = l.valore(cX1);
        r.imgY1 = l.valore(cY1);
        r.iva = l.valore(cIva);
        r.sconto = l.valore(cSconto);
        if (const QString d = l.difetto(cIva, false); !d.isEmpty())
            r.illeggibili << QStringLiteral("iva") + d;
        if (const QString d = l.difetto(cSconto, false); !d.isEmpty())
            r.illeggibili << QStringLiteral("sconto") + d;
    }
    return reparti;
}

Articolo ArticoliGrezzi::articolo(int i) const
{
    std::array<Cella, numeroColonne> c;
    const char *p = m_dati.constData() + m_inizio[size_t(i)];
    for (Cella &x : c)
        x = leggiCella(p);
    const std::vector<ColumnInfo> &info = *m_colonne;
    const auto val = [&](int k) { return valore(c[size_t(k)], &info[size_t(k)]); };
    // No NUL or other control character reaches a page, the cart or the
    // price list.
    const auto txt = [&](int k) { return TogliControlli(testo(c[size_t(k)], &info[size_t(k)])); };
    const auto flag = [&](int k) { return vero(c[size_t(k)], &info[size_t(k)]); };
    Articolo a;
    a.ID = val(cID).toLongLong();
    a.codice = txt(cCod);
    a.titolo = txt(cTit);
    a.sottotitolo = txt(cSot);
    a.link = txt(cLink);
    a.descrizione = txt(cDesc);
    a.note = txt(cNote);
    a.linkesterno = flag(cEst);
    a.inelenco = flag(cEl);
    a.popup = flag(cPop);
    a.novita = flag(cNov);
    a.offerta = flag(cOff);
    for (int k = 0; k < 3; ++k) {
        a.immagine[size_t(k)] = val(cImm0 + 3 * k);
        a.imgX[size_t(k)] = val(cX0 + 3 * k);
        a.imgY[size_t(k)] = val(cY0 + 3 * k);
        a.opzione[size_t(k)] = val(cOpz1 + k);
    }
    a.prezzo = val(cPrez);
    a.offertaprezzo = val(cOffP);
    a.peso = val(cPeso);
    a.giacenza = val(cGiac);
    for (const auto &[k, nome, intero] : {std::tuple{cPrez, "prezzo", true}, {cOffP, "offertaprezzo", true},
                                          {cPeso, "peso", false}})
        if (const QString d = difetto(c[size_t(k)], intero); !d.isEmpty())
            a.illeggibili << QLatin1String(nome) + d;
    // A price nobody set is no price of 0.
    if (c[cPrez].tipo == SQLITE_NULL)
        a.illeggibili << QStringLiteral("prezzo mancante");
    return a;
}

void ArticoliGrezzi::togli(const std::vector<char> &via)
{
    std::vector<qsizetype> restano;
    std::vector<int> nuovo(m_inizio.size(), -1);  // each row's index among those left
    for (size_t i = 0; i < m_inizio.size(); ++i) {
        if (via[i])
            continue;
        nuovo[i] = int(restano.size());
        restano.push_back(m_inizio[i]);
    }
    m_inizio = std::move(restano);
    m_sospetti.clear();
    std::vector<int> offerte;
    for (int a : m_offerteZero)
        if (nuovo[size_t(a)] >= 0)
            offerte.push_back(nuovo[size_t(a)]);
    m_offerteZero = std::move(offerte);
}

LettoreArticoli::LettoreArticoli(Database &catalogo, const Varianti &varianti) : m_varianti(varianti)
{
    Lettore l(catalogo, QStringLiteral("articoli"), QString::fromLatin1(sqlArticoli));
    m_colonne = std::make_shared<const std::vector<ColumnInfo>>(l.colonne());
    m_lettura = l.cedi();
}

LettoreArticoli::~LettoreArticoli() = default;

void LettoreArticoli::aggiungi(ArticoliGrezzi &articoli)
{
    std::array<Cella, numeroColonne> c;
    for (int k = 0; k < numeroColonne; ++k)
        c[size_t(k)] = m_lettura->cella(k);
    // What may make the row's price rest on a field that holds no number.
    const std::vector<ColumnInfo> &info = *m_colonne;
    bool sospetto = c[cPrez].tipo == SQLITE_NULL || !numero(c[cPrez], true) || !numero(c[cPeso], false) ||
                    (!numero(c[cOffP], true) && vero(c[cOff], &info[cOff]));
    for (int n = 0; !sospetto && !m_varianti.nessunIlleggibile() && n < 3; ++n) {
        const qint32 set = NumeroSetVarianti(valore(c[size_t(cOpz1 + n)], &info[size_t(cOpz1 + n)]));
        sospetto = set != 1 && m_varianti.conIlleggibili(set);
    }
    // A weight that, with the heaviest options, comes near what an order
    // takes (PesoFuoriOrdine decides).
    if (!sospetto) {
        const Cella &p = c[cPeso];
        const double peso = p.tipo == SQLITE_INTEGER ? double(p.intero) : p.tipo == SQLITE_FLOAT ? p.reale : 0;
        sospetto = std::fabs(peso) + 3 * m_varianti.pesoMassimo() >= PesoVicinoAlLimite;
    }
    if (sospetto)
        articoli.m_sospetti.push_back(articoli.numero());
    const auto zero = [](const Cella &x) {
        return (x.tipo == SQLITE_INTEGER && x.intero == 0) || (x.tipo == SQLITE_FLOAT && x.reale == 0);
    };
    if (vero(c[cOff], &info[cOff]) && zero(c[cOffP]) && c[cPrez].tipo != SQLITE_NULL && numero(c[cPrez], true) &&
        !zero(c[cPrez]))
        articoli.m_offerteZero.push_back(articoli.numero());
    QByteArray &dati = articoli.m_dati;
    const qsizetype inizio = dati.size();
    qsizetype misura = 0;
    for (const Cella &x : c)
        misura += misuraCella(x);
    if (inizio + misura > dati.capacity())
        dati.reserve(std::max(2 * dati.capacity(), inizio + misura));
    dati.resize(inizio + misura);
    char *p = dati.data() + inizio;
    for (const Cella &x : c)
        p = scriviCella(p, x);
    articoli.m_inizio.push_back(inizio);
}

ArticoliGrezzi LettoreArticoli::leggi(const QString &ID)
{
    ArticoliGrezzi articoli;
    articoli.m_colonne = m_colonne;
    // Room for as many rows as the department before had.
    articoli.m_dati.reserve(m_misuraPrecedente + m_misuraPrecedente / 4);
    m_lettura->riparti(ID);
    while (m_lettura->prossima())
        aggiungi(articoli);
    m_misuraPrecedente = articoli.m_dati.size();
    return articoli;
}
