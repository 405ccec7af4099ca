#include "datiordine.h"

#include "formato.h"
#include "numeri.h"

#include <cstring>

namespace {

// A text field of the file: backslash, tab and line breaks as escapes, so
// that every record stays on one line.
void aggiungiTesto(QByteArray &out, const QString &testo)
{
    const QByteArray u = testo.toUtf8();
    out.reserve(out.size() + u.size());
    for (char c : u) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

// A rate in percent as a fraction (22 -> 0.22): the Currency's raw value,
// percent x 10,000, is the fraction in millionths.
QByteArray frazione(Currency percento)
{
    qint64 m = percento.raw;
    const bool negativo = m < 0;
    if (negativo)
        m = -m;
    QByteArray r = QByteArray::number(m / 1000000);
    if (const qint64 resto = m % 1000000) {
        QByteArray dec = QByteArray::number(resto).rightJustified(6, '0');
        while (dec.endsWith('0'))
            dec.chop(1);
        r += '.' + dec;
    }
    return negativo ? '-' + r : r;
}

QByteArray peso(float p) { return Str(p).trimmed().toUtf8(); }

} // namespace

QString NomeFileDatiOrdine(const QString &IDnegozio)
{
    return QStringLiteral("prezzi") + IDnegozio + QStringLiteral(".tsv");
}

QByteArray IntestazioneDatiOrdine()
{
    return QByteArrayLiteral("vetrasto-prezzi\t3\n");
}

QByteArray ChiusuraDatiOrdine(const QByteArray &fatto)
{
    // Every record is one line: an article's begins with "A" and a tab.
    // Line by line with memchr: the list may hold tens of thousands.
    qsizetype articoli = 0;
    const char *p = fatto.constData();
    const char *const fine = p + fatto.size();
    while ((p = static_cast<const char *>(std::memchr(p, '\n', size_t(fine - p))))) {
        ++p;
        if (fine - p >= 2 && p[0] == 'A' && p[1] == '\t')
            ++articoli;
    }
    return "fine\t" + QByteArray::number(articoli) + '\n';
}

void AggiungiDatiOrdine(QByteArray &out, const RigaDatiOrdine &r, const ShopState &stato)
{
    out += "A\t";
    if (r.chiave > 0)
        out += QByteArray::number(r.chiave);
    out += '\t';
    aggiungiTesto(out, r.codice);
    out += '\t';
    aggiungiTesto(out, NomeInCarrello(r.articolo));
    out += '\t';
    aggiungiTesto(out, FormatoImporto(r.prezzo, stato));
    out += '\t';
    out += frazione(r.aliquota);
    out += '\t';
    out += peso(r.peso);
    out += '\n';
    for (int n = 0; n < 3; ++n) {
        for (const VarianteOrdine &v : r.varianti[n]) {
            out += "V\t";
            out += char('1' + n);
            out += '\t';
            aggiungiTesto(out, v.testo);
            out += '\t';
            aggiungiTesto(out, FormatoImporto(v.prezzo, stato));
            out += '\t';
            out += peso(v.peso);
            out += '\n';
        }
    }
}

QString NomeInCarrello(const QString &cartArticolo)
{
    // The purchase call's address is percent-decoded and its string read
    // as a script string: the escapes CodificaCaratteri writes come undone.
    QString r;
    r.reserve(cartArticolo.size());
    const QString &s = cartArticolo;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const QStringView resto = QStringView(s).mid(i);
        if (c == u'%' && (resto.startsWith(u"%22") || resto.startsWith(u"%25"))) {
            r += resto[2] == u'2' ? u'"' : u'%';
            i += 2;
        } else if (c == u'\\' && (resto.startsWith(u"\\u2028") || resto.startsWith(u"\\u2029"))) {
            r += QChar(resto.startsWith(u"\\u2028") ? 0x2028 : 0x2029);
            i += 5;
        } else if (c == u'\\' && i + 1 < s.size()) {
            const QChar e = s[++i];
            r += e == u'r' ? QChar(u'\r') : e == u'n' ? QChar(u'\n') : e == u't' ? QChar(u'\t') : e;
        } else {
            r += c;
        }
    }
    // Then the cart itself turns "%22" and "%25" into their characters.
    r.replace(QLatin1String("%22"), QLatin1String("\""));
    r.replace(QLatin1String("%25"), QLatin1String("%"));
    return r;
}
