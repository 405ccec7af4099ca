#include "catalogosito.h"

#include "recordset.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// A forward-only read of a whole table with the values in the catalogue's
// kinds, as a recordset gives them.
class Lettore {
public:
    Lettore(Database &db, const QString &tabella, const QString &sql) : m_q(db.run(sql))
    {
        const TableInfo &info = db.tableInfo(tabella);
        const QSqlRecord r = m_q.record();
        for (int i = 0; i < r.count(); ++i) {
            m_colonne.insert(r.fieldName(i).toLower(), i);
            m_info.push_back(info.column(r.fieldName(i)));
        }
    }
    bool prossima() { return m_q.next(); }
    int colonna(const char *nome) const { return m_colonne.value(QString::fromLatin1(nome).toLower(), -1); }
    QVariant valore(int colonna) const
    {
        if (colonna < 0)
            return {};
        return Recordset::fromStorage(m_info[size_t(colonna)], m_q.value(colonna));
    }
    QString testo(int colonna) const
    {
        const QVariant v = valore(colonna);
        return v.isNull() || !v.isValid() ? QString() : v.toString();
    }
    bool vero(int colonna) const
    {
        const QVariant v = valore(colonna);
        return v.isValid() && !v.isNull() && v.toBool();
    }

private:
    QSqlQuery m_q;
    std::vector<const ColumnInfo *> m_info;
    QHash<QString, int> m_colonne;
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
            s.opzione[i] = l.testo(cOp[i]);
            s.prezzo[i] = l.valore(cPr[i]);
            s.peso[i] = l.valore(cPe[i]);
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
    Lettore l(catalogo, QStringLiteral("articoli"),
              QStringLiteral("SELECT * FROM articoli WHERE fuoricatalogo=0 ORDER BY ordinamento"));
    const int cCat = l.colonna("catID"), cCod = l.colonna("codice"), cTit = l.colonna("titolo"),
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
        a.codice = l.testo(cCod);
        a.titolo = l.testo(cTit);
        a.sottotitolo = l.testo(cSot);
        a.link = l.testo(cLink);
        a.descrizione = l.testo(cDesc);
        a.note = l.testo(cNote);
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
        c.m_perReparto[l.testo(cCat).toLower()].push_back(std::move(a));
    }
    return c;
}

const std::vector<Articolo> &ArticoliCatalogo::diReparto(const QString &ID) const
{
    static const std::vector<Articolo> nessuno;
    auto it = m_perReparto.constFind(ID.toLower());
    return it == m_perReparto.constEnd() ? nessuno : *it;
}
