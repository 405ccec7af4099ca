#include "scrittorejet.h"

#include "currency.h"

#include <QFile>
#include <QtEndian>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

constexpr int Pagina = 4096;
constexpr int InizioRighe = 14;    // data pages: row count at 12, row offsets from 14
constexpr int InizioColonne = 63;  // definition pages: the column entries
constexpr int VoceColonna = 25;
constexpr int MappaByte = 64;      // a table's page usage map: type, first page, bits
constexpr int MemoNellaRiga = 64;  // longest memo, in bytes, kept inside its row
constexpr int PaginaMappe = 1, PaginaCatalogo = 2;

void metti16(QByteArray &b, int at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}
void metti32(QByteArray &b, int at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}
template <typename T> void aggiungi(QByteArray &b, T v)
{
    char c[sizeof(T)];
    qToLittleEndian(v, c);
    b.append(c, sizeof(T));
}

QByteArray ucs2(const QString &s)
{
    QByteArray b;
    for (QChar c : s)
        aggiungi<quint16>(b, c.unicode());
    return b;
}

// Where a row is: its page in the upper 24 bits, its number on the page in
// the lowest 8.
quint32 puntatore(int pagina, int riga)
{
    return quint32(pagina) << 8 | quint32(riga);
}

// The bytes a fixed column takes in a row; -1 for the variable ones. A
// boolean lives in the row's null mask and takes none.
int dimensione(ScrittoreJet4::Tipo t)
{
    using T = ScrittoreJet4::Tipo;
    switch (t) {
    case T::Booleano: return 0;
    case T::Byte: return 1;
    case T::Intero: return 2;
    case T::Lungo:
    case T::Singolo: return 4;
    case T::Valuta:
    case T::Doppio: return 8;
    case T::Testo:
    case T::Ole:
    case T::Memo: break;
    }
    return -1;
}

// The database's "encryption" of the header page: RC4 with a fixed key.
void rc4(char *dati, int n)
{
    const quint8 chiave[4] = {0xc7, 0xda, 0x39, 0x6b};
    quint8 s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + chiave[i % 4]) & 255;
        std::swap(s[i], s[j]);
    }
    for (int k = 0, i = 0, j = 0; k < n; ++k) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        std::swap(s[i], s[j]);
        dati[k] = char(quint8(dati[k]) ^ s[(s[i] + s[j]) & 255]);
    }
}

QByteArray intestazione()
{
    QByteArray h(Pagina, '\0');
    h[1] = 1;
    std::memcpy(h.data() + 4, "Standard Jet DB", 15);
    h[0x14] = 1;                // Jet 4
    metti16(h, 0x3c, 1252);     // code page
    metti32(h, 0x3e, 0);        // database key: the pages are not encoded
    metti16(h, 0x6e, 0x409);    // sort order "General"
    rc4(h.data() + 0x18, 128);
    return h;
}

// The file being built, page by page.
class Pagine {
public:
    std::vector<QByteArray> byte;

    int nuova()
    {
        byte.emplace_back(Pagina, '\0');
        return int(byte.size()) - 1;
    }
    // A page of rows: data of the table defined on page `proprietario`, or
    // long values when it is -1.
    int nuovaDiRighe(int proprietario)
    {
        const int n = nuova();
        QByteArray &p = byte[n];
        p[0] = 1;
        p[1] = 1;
        if (proprietario < 0)
            std::memcpy(p.data() + 4, "LVAL", 4);
        else
            metti32(p, 4, quint32(proprietario));
        aggiorna(n, 0, Pagina);
        return n;
    }
    int righe(int n) const { return qFromLittleEndian<quint16>(byte[n].constData() + 12); }
    int fine(int n) const
    {
        const int r = righe(n);
        return r == 0 ? Pagina : qFromLittleEndian<quint16>(byte[n].constData() + InizioRighe + 2 * (r - 1));
    }
    bool entra(int n, int lunghezza) const { return InizioRighe + 2 * (righe(n) + 1) + lunghezza <= fine(n); }
    // Puts the row below the page's last one; its number on the page.
    int metti(int n, const QByteArray &riga)
    {
        const int r = righe(n), inizio = fine(n) - int(riga.size());
        std::memcpy(byte[n].data() + inizio, riga.constData(), riga.size());
        metti16(byte[n], InizioRighe + 2 * r, quint16(inizio));
        aggiorna(n, r + 1, inizio);
        return r;
    }
    // Puts the row on page `*corrente`, or on a new page of the same kind
    // when it does not fit there; where the row went.
    quint32 riponi(int *corrente, int proprietario, const QByteArray &riga, std::vector<int> *nuove = nullptr)
    {
        if (riga.size() > Pagina - InizioRighe - 2)
            throw std::length_error("ScrittoreJet4: a row longer than a page");
        if (*corrente < 0 || !entra(*corrente, int(riga.size()))) {
            *corrente = nuovaDiRighe(proprietario);
            if (nuove)
                nuove->push_back(*corrente);
        }
        return puntatore(*corrente, metti(*corrente, riga));
    }

private:
    void aggiorna(int n, int righe, int fine)
    {
        metti16(byte[n], 2, quint16(fine - InizioRighe - 2 * righe));  // free space
        metti16(byte[n], 12, quint16(righe));
    }
};

// One table written into the pages: its rows, and the long values of its
// memos on pages of their own.
class Scrittura {
public:
    Scrittura(Pagine &pagine, const QList<ScrittoreJet4::Colonna> &colonne, int definizione)
        : m_pagine(pagine), m_colonne(colonne), m_definizione(definizione)
    {
        for (const auto &c : colonne) {
            const int d = dimensione(c.tipo);
            m_fissa.push_back(d < 0 ? -1 : m_dimFissa);
            m_variabile.push_back(d < 0 ? m_numVar++ : -1);
            m_dimFissa += qMax(d, 0);
        }
    }

    void riga(const QVariantList &valori)
    {
        using T = ScrittoreJet4::Tipo;
        const int n = int(m_colonne.size());
        QByteArray fisse(m_dimFissa, '\0'), variabili, maschera((n + 7) / 8, '\0');
        std::vector<quint16> posizioni;
        const int inizioVariabili = 2 + m_dimFissa;
        for (int i = 0; i < n; ++i) {
            const QVariant v = valori.value(i);
            const bool nullo = !v.isValid() || v.isNull();
            const T tipo = m_colonne[i].tipo;
            if (m_variabile[i] >= 0)
                posizioni.push_back(quint16(inizioVariabili + variabili.size()));
            if (nullo || (tipo == T::Booleano && !v.toBool()))
                continue;
            maschera[i / 8] = char(maschera[i / 8] | (1 << (i % 8)));
            char *f = fisse.data() + qMax(m_fissa[i], 0);
            switch (tipo) {
            case T::Booleano: break;
            case T::Byte: *f = char(v.toUInt()); break;
            case T::Intero: qToLittleEndian<qint16>(qint16(v.toInt()), f); break;
            case T::Lungo: qToLittleEndian<qint32>(qint32(v.toLongLong()), f); break;
            case T::Valuta: {
                const Currency c = v.userType() == qMetaTypeId<Currency>() ? v.value<Currency>() : Currency::fromDouble(v.toDouble());
                qToLittleEndian<qint64>(c.raw, f);
                break;
            }
            case T::Singolo: qToLittleEndian<float>(v.toFloat(), f); break;
            case T::Doppio: qToLittleEndian<double>(v.toDouble(), f); break;
            case T::Testo: variabili += ucs2(v.toString()); break;
            case T::Memo: variabili += lungo(ucs2(v.toString())); break;
            case T::Ole: variabili += lungo(v.toByteArray()); break;
            }
        }
        QByteArray r;
        aggiungi<quint16>(r, quint16(n));
        r += fisse;
        r += variabili;
        if (m_numVar > 0) {
            aggiungi<quint16>(r, quint16(inizioVariabili + variabili.size()));  // the end of the data
            for (int k = m_numVar - 1; k >= 0; --k)
                aggiungi<quint16>(r, posizioni[k]);
            aggiungi<quint16>(r, quint16(m_numVar));
        }
        r += maschera;
        m_pagine.riponi(&m_datiCorrente, m_definizione, r, &m_paginaDati);
        ++m_righe;
    }

    // The definition page's content.
    QByteArray definizione(quint32 mappa, bool sistema) const
    {
        using T = ScrittoreJet4::Tipo;
        const int n = int(m_colonne.size());
        QByteArray d(InizioColonne, '\0');
        d[0] = 2;
        d[1] = 1;
        metti32(d, 16, quint32(m_righe));
        d[40] = sistema ? 0x53 : 0x4e;
        metti16(d, 41, quint16(n));
        metti16(d, 43, quint16(m_numVar));
        metti16(d, 45, quint16(n));
        metti32(d, 55, mappa);      // the pages that hold the rows
        metti32(d, 59, mappa + 1);  // those of them with free space
        for (int i = 0; i < n; ++i) {
            const auto &c = m_colonne[i];
            QByteArray e(VoceColonna, '\0');
            e[0] = char(c.tipo);
            metti16(e, 5, quint16(i));
            metti16(e, 7, quint16(qMax(m_variabile[i], 0)));
            metti16(e, 9, quint16(i));
            if (c.tipo == T::Testo || c.tipo == T::Memo)
                metti16(e, 11, 0x409);
            e[15] = char((m_fissa[i] >= 0 ? 0x01 : 0x00) | 0x02);  // fixed, may be Null
            metti16(e, 21, quint16(qMax(m_fissa[i], 0)));
            const int lunghezza = c.tipo == T::Testo ? 2 * c.caratteri : c.tipo == T::Booleano ? 1 : qMax(dimensione(c.tipo), 0);
            metti16(e, 23, quint16(lunghezza));
            d += e;
        }
        for (const auto &c : m_colonne) {
            const QByteArray b = ucs2(c.nome);
            aggiungi<quint16>(d, quint16(b.size()));
            d += b;
        }
        if (d.size() > Pagina)
            throw std::length_error("ScrittoreJet4: a table definition longer than a page");
        metti32(d, 8, quint32(d.size()));
        metti16(d, 2, quint16(Pagina - d.size() - 8));
        d.append(QByteArray(Pagina - d.size(), '\0'));
        return d;
    }

    // The page usage map: the first page it covers (the first data page),
    // then one bit per page from there.
    QByteArray mappa(bool piene) const
    {
        QByteArray m(MappaByte, '\0');
        if (!piene || m_paginaDati.empty())
            return m;
        const int prima = m_paginaDati.front();
        metti32(m, 1, quint32(prima));
        for (int p : m_paginaDati) {
            const int bit = p - prima;
            if (bit >= (MappaByte - 5) * 8)
                throw std::length_error("ScrittoreJet4: a data page beyond the usage map");
            m[5 + bit / 8] = char(m[5 + bit / 8] | (1 << (bit % 8)));
        }
        return m;
    }

private:
    // A memo or binary value: 12 bytes in the row (length and flags, where
    // the rest is), then the value itself when it is short.
    QByteArray lungo(const QByteArray &valore)
    {
        QByteArray campo;
        const quint32 lunghezza = quint32(valore.size());
        if (valore.size() <= MemoNellaRiga) {
            aggiungi<quint32>(campo, lunghezza | 0x80000000u);
            aggiungi<quint32>(campo, 0);
            aggiungi<quint32>(campo, 0);
            return campo + valore;
        }
        if (valore.size() <= Pagina - InizioRighe - 2) {
            aggiungi<quint32>(campo, lunghezza | 0x40000000u);
            aggiungi<quint32>(campo, m_pagine.riponi(&m_lungoCorrente, -1, valore));
        } else {
            // A chain: each piece begins with where the next one is; the last
            // is written first so that each knows its successor.
            constexpr int Pezzo = Pagina - InizioRighe - 2 - 4;
            quint32 seguente = 0;
            for (qsizetype da = (valore.size() - 1) / Pezzo * Pezzo; da >= 0; da -= Pezzo) {
                QByteArray r;
                aggiungi<quint32>(r, seguente);
                r += valore.mid(da, Pezzo);
                seguente = m_pagine.riponi(&m_lungoCorrente, -1, r);
            }
            aggiungi<quint32>(campo, lunghezza);
            aggiungi<quint32>(campo, seguente);
        }
        aggiungi<quint32>(campo, 0);
        return campo;
    }

    Pagine &m_pagine;
    QList<ScrittoreJet4::Colonna> m_colonne;
    int m_definizione;
    std::vector<int> m_fissa, m_variabile;  // fixed offset, or variable index, per column
    int m_dimFissa = 0, m_numVar = 0, m_righe = 0;
    int m_datiCorrente = -1, m_lungoCorrente = -1;
    std::vector<int> m_paginaDati;
};

} // namespace

void ScrittoreJet4::tabella(const QString &nome, const QList<Colonna> &colonne, const std::vector<QVariantList> &righe)
{
    m_tabelle.push_back({nome, colonne, righe});
}

QByteArray ScrittoreJet4::file() const
{
    Pagine pagine;
    pagine.byte.push_back(intestazione());
    pagine.nuovaDiRighe(0);  // the usage maps
    pagine.nuova();          // the catalogue's definition

    // The catalogue MSysObjects: one row per table, its identifier being the
    // page of the table's definition.
    const QList<Colonna> catalogo{{QStringLiteral("Id"), Tipo::Lungo},
                                  {QStringLiteral("Name"), Tipo::Testo, 128},
                                  {QStringLiteral("Type"), Tipo::Intero},
                                  {QStringLiteral("Flags"), Tipo::Lungo},
                                  {QStringLiteral("LvProp"), Tipo::Ole}};
    constexpr int Tabella = 1;
    const qint64 Sistema = qint64(qint32(0x80000002u));
    std::vector<QVariantList> voci{{PaginaCatalogo, QStringLiteral("MSysObjects"), Tabella, Sistema, QVariant()}};

    std::vector<QByteArray> mappe;
    for (const auto &t : m_tabelle) {
        const int definizione = pagine.nuova();
        Scrittura s(pagine, t.colonne, definizione);
        for (const QVariantList &r : t.righe)
            s.riga(r);
        pagine.byte[definizione] = s.definizione(puntatore(PaginaMappe, 2 + int(mappe.size())), false);
        mappe.push_back(s.mappa(true));
        mappe.push_back(s.mappa(false));
        voci.push_back({definizione, t.nome, Tabella, 0, QVariant()});
    }

    Scrittura s(pagine, catalogo, PaginaCatalogo);
    for (const QVariantList &v : voci)
        s.riga(v);
    pagine.byte[PaginaCatalogo] = s.definizione(puntatore(PaginaMappe, 0), true);
    pagine.metti(PaginaMappe, s.mappa(true));
    pagine.metti(PaginaMappe, s.mappa(false));
    for (const QByteArray &m : mappe)
        pagine.metti(PaginaMappe, m);

    QByteArray file;
    for (const QByteArray &p : pagine.byte)
        file += p;
    return file;
}

bool ScrittoreJet4::salva(const QString &percorso) const
{
    QFile f(percorso);
    const QByteArray b = file();
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(b) == b.size() && f.flush();
}
