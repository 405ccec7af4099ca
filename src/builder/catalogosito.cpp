#include "catalogosito.h"

#include "recordset.h"
#include "testoletto.h"

#include <QSqlDriver>
#include <cmath>
#include <sqlite3.h>
#include <tuple>

namespace {

// A forward-only read of a query with the values in the catalogue's kinds,
// as a recordset gives them. It steps the engine's statement itself: a
// whole catalogue is read many times faster than through the query layer,
// which converts every column of every row into its own cache.
class Lettore {
public:
    Lettore(Database &db, const QString &tabella, const QString &sql)
    {
        const QVariant h = db.connection().driver()->handle();
        sqlite3 *connessione = h.isValid() ? *static_cast<sqlite3 *const *>(h.constData()) : nullptr;
        const QByteArray testo = sql.toUtf8();
        if (!connessione || sqlite3_prepare_v2(connessione, testo.constData(), int(testo.size()), &m_st, nullptr) != SQLITE_OK)
            throw DbError(DbErr::Generic, connessione ? QString::fromUtf8(sqlite3_errmsg(connessione)) : sql);
        const TableInfo &info = db.tableInfo(tabella);
        for (int i = 0; i < sqlite3_column_count(m_st); ++i) {
            const QString nome = QString::fromUtf8(sqlite3_column_name(m_st, i));
            m_colonne.insert(nome.toLower(), i);
            m_info.push_back(info.column(nome));
        }
    }
    ~Lettore() { sqlite3_finalize(m_st); }
    Lettore(const Lettore &) = delete;
    Lettore &operator=(const Lettore &) = delete;

    bool prossima()
    {
        const int r = sqlite3_step(m_st);
        if (r == SQLITE_ROW)
            return true;
        if (r != SQLITE_DONE)
            throw DbError(DbErr::Generic, QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_st))));
        return false;
    }
    int colonna(const char *nome) const { return m_colonne.value(QString::fromLatin1(nome).toLower(), -1); }
    QVariant valore(int colonna) const
    {
        if (colonna < 0)
            return {};
        QVariant grezzo;
        switch (sqlite3_column_type(m_st, colonna)) {
        case SQLITE_INTEGER:
            grezzo = qlonglong(sqlite3_column_int64(m_st, colonna));
            break;
        case SQLITE_FLOAT:
            grezzo = sqlite3_column_double(m_st, colonna);
            break;
        case SQLITE_NULL:
            return {};
        default: {
            const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(m_st, colonna));
            grezzo = QString::fromUtf8(t, sqlite3_column_bytes(m_st, colonna));
        }
        }
        return Recordset::fromStorage(m_info[size_t(colonna)], grezzo);
    }
    // A text field ("" for Null); text is read straight from the row.
    QString testo(int colonna) const
    {
        if (colonna >= 0 && sqlite3_column_type(m_st, colonna) == SQLITE_TEXT)
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_st, colonna)),
                                     sqlite3_column_bytes(m_st, colonna));
        const QVariant v = valore(colonna);
        return v.isNull() || !v.isValid() ? QString() : v.toString();
    }
    // True when the value is a number of the column's kind, or Null: text
    // in a numeric column, an infinite value, or a fraction in a column of
    // whole numbers (Currency is stored as an integer) is no number.
    bool numero(int colonna, bool intero) const
    {
        if (colonna < 0)
            return true;
        switch (sqlite3_column_type(m_st, colonna)) {
        case SQLITE_NULL:
        case SQLITE_INTEGER:
            return true;
        case SQLITE_FLOAT: {
            const double v = sqlite3_column_double(m_st, colonna);
            return intero ? v == std::trunc(v) && std::fabs(v) < 9.2e18 : std::isfinite(v);
        }
        default:
            return false;
        }
    }
    // A Boolean field (False for Null).
    bool vero(int colonna) const
    {
        if (colonna >= 0 && sqlite3_column_type(m_st, colonna) == SQLITE_INTEGER)
            return sqlite3_column_int64(m_st, colonna) != 0;
        const QVariant v = valore(colonna);
        return v.isValid() && !v.isNull() && v.toBool();
    }

private:
    sqlite3_stmt *m_st = nullptr;
    QHash<QString, int> m_colonne;
    std::vector<const ColumnInfo *> m_info;
};

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
        SetVarianti s;
        s.nome = l.testo(cNome);
        s.selezionato = l.valore(cSel);
        for (size_t i = 0; i < 15; ++i) {
            s.opzione[i] = TogliControlli(l.testo(cOp[i]));  // as articles' names
            s.prezzo[i] = l.valore(cPr[i]);
            s.peso[i] = l.valore(cPe[i]);
            if (!l.numero(cPr[i], true))
                s.illeggibili[i] << QStringLiteral("prezzo");
            if (!l.numero(cPe[i], false))
                s.illeggibili[i] << QStringLiteral("peso");
        }
        const qint32 id = l.valore(cID).toInt();
        // The first row of an ID is the one a search finds.
        if (!v.m_set.contains(id))
            v.m_set.insert(id, std::move(s));
    }
    return v;
}

const SetVarianti *Varianti::set(qint32 id) const
{
    auto it = m_set.constFind(id);
    return it == m_set.constEnd() ? nullptr : &*it;
}

ArticoliCatalogo ArticoliCatalogo::leggi(Database &catalogo)
{
    ArticoliCatalogo c;
    // Only the fields a page uses, in the order of the department index.
    Lettore l(catalogo, QStringLiteral("articoli"),
              QStringLiteral("SELECT ID, catID, codice, titolo, sottotitolo, link, descrizione, note, linkesterno, "
                             "inelenco, popup, novita, offerta, prezzo, offertaprezzo, peso, giacenza, immagine0, "
                             "imgX0, imgY0, immagine1, imgX1, imgY1, immagine2, imgX2, imgY2, opzione1, opzione2, "
                             "opzione3 FROM articoli WHERE fuoricatalogo=0 ORDER BY catID, ordinamento"));
    const int cID = l.colonna("ID"), cCat = l.colonna("catID"), cCod = l.colonna("codice"), cTit = l.colonna("titolo"),
              cSot = l.colonna("sottotitolo"), cLink = l.colonna("link"), cDesc = l.colonna("descrizione"),
              cNote = l.colonna("note"), cEst = l.colonna("linkesterno"), cEl = l.colonna("inelenco"),
              cPop = l.colonna("popup"), cNov = l.colonna("novita"), cOff = l.colonna("offerta"),
              cPrez = l.colonna("prezzo"), cOffP = l.colonna("offertaprezzo"), cPeso = l.colonna("peso"),
              cGiac = l.colonna("giacenza");
    std::array<int, 3> cImm{}, cX{}, cY{}, cOpz{};
    for (int i = 0; i < 3; ++i) {
        const QByteArray n = QByteArray::number(i);
        cImm[size_t(i)] = l.colonna(("immagine" + n).constData());
        cX[size_t(i)] = l.colonna(("imgX" + n).constData());
        cY[size_t(i)] = l.colonna(("imgY" + n).constData());
        cOpz[size_t(i)] = l.colonna(("opzione" + QByteArray::number(i + 1)).constData());
    }
    while (l.prossima()) {
        Articolo a;
        a.ID = l.valore(cID).toLongLong();
        // No NUL or other control character reaches a page, the cart or
        // the price list.
        a.codice = TogliControlli(l.testo(cCod));
        a.titolo = TogliControlli(l.testo(cTit));
        a.sottotitolo = TogliControlli(l.testo(cSot));
        a.link = TogliControlli(l.testo(cLink));
        a.descrizione = TogliControlli(l.testo(cDesc));
        a.note = TogliControlli(l.testo(cNote));
        a.linkesterno = l.vero(cEst);
        a.inelenco = l.vero(cEl);
        a.popup = l.vero(cPop);
        a.novita = l.vero(cNov);
        a.offerta = l.vero(cOff);
        for (size_t i = 0; i < 3; ++i) {
            a.immagine[i] = l.valore(cImm[i]);
            a.imgX[i] = l.valore(cX[i]);
            a.imgY[i] = l.valore(cY[i]);
            a.opzione[i] = l.valore(cOpz[i]);
        }
        a.prezzo = l.valore(cPrez);
        a.offertaprezzo = l.valore(cOffP);
        a.peso = l.valore(cPeso);
        a.giacenza = l.valore(cGiac);
        for (const auto &[colonna, nome, intero] : {std::tuple{cPrez, "prezzo", true}, {cOffP, "offertaprezzo", true},
                                                    {cPeso, "peso", false}})
            if (!l.numero(colonna, intero))
                a.illeggibili << QLatin1String(nome);
        c.m_perReparto[l.testo(cCat).toLower()].push_back(std::move(a));
    }
    return c;
}

void ArticoliCatalogo::escludi(const QSet<qint64> &ID)
{
    if (ID.isEmpty())
        return;
    for (std::vector<Articolo> &articoli : m_perReparto)
        std::erase_if(articoli, [&](const Articolo &a) { return ID.contains(a.ID); });
}

QHash<QString, QStringList> NumeriIlleggibiliReparti(Database &catalogo)
{
    QHash<QString, QStringList> r;
    Lettore l(catalogo, QStringLiteral("categorie"), QStringLiteral("SELECT ID, iva, sconto FROM categorie"));
    const int cID = l.colonna("ID"), cIva = l.colonna("iva"), cSconto = l.colonna("sconto");
    while (l.prossima()) {
        QStringList campi;
        if (!l.numero(cIva, false))
            campi << QStringLiteral("iva");
        if (!l.numero(cSconto, false))
            campi << QStringLiteral("sconto");
        if (!campi.isEmpty())
            r.insert(l.testo(cID).toLower(), campi);
    }
    return r;
}

const std::vector<Articolo> &ArticoliCatalogo::diReparto(const QString &ID) const
{
    static const std::vector<Articolo> nessuno;
    auto it = m_perReparto.constFind(ID.toLower());
    return it == m_perReparto.constEnd() ? nessuno : *it;
}
