#include "datiordine.h"

#include "formato.h"
#include "numeri.h"

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
    return QByteArrayLiteral("vetrasto-prezzi\t2\n");
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
    out += '\t' + FormatoImporto(r.prezzo, stato).toUtf8() + '\t' + frazione(r.aliquota) + '\t' + peso(r.peso) + '\n';
    for (int n = 0; n < 3; ++n) {
        for (const VarianteOrdine &v : r.varianti[n]) {
            out += "V\t" + QByteArray::number(n + 1) + '\t';
            aggiungiTesto(out, v.testo);
            out += '\t' + FormatoImporto(v.prezzo, stato).toUtf8() + '\t' + peso(v.peso) + '\n';
        }
    }
}

QByteArray DatiOrdine(const QList<RigaDatiOrdine> &righe, const ShopState &stato)
{
    QByteArray out = IntestazioneDatiOrdine();
    for (const RigaDatiOrdine &r : righe)
        AggiungiDatiOrdine(out, r, stato);
    return out;
}

QString NomeInCarrello(const QString &cartArticolo)
{
    // The purchase call's address is percent-decoded and its string read
    // as a script string: the escapes CodificaCaratteri writes come undone.
    QString r;
    r.reserve(cartArticolo.size());
    const QString &s = cartArticolo;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QStringView resto = QStringView(s).mid(i);
        if (resto.startsWith(u"%22")) {
            r += u'"';
            i += 2;
        } else if (resto.startsWith(u"%25")) {
            r += u'%';
            i += 2;
        } else if (resto.startsWith(u"\\u2028") || resto.startsWith(u"\\u2029")) {
            r += QChar(resto.startsWith(u"\\u2028") ? 0x2028 : 0x2029);
            i += 5;
        } else if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar c = s[++i];
            r += c == u'r' ? QChar(u'\r') : c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c;
        } else {
            r += s[i];
        }
    }
    // Then the cart itself turns "%22" and "%25" into their characters.
    r.replace(QLatin1String("%22"), QLatin1String("\""));
    r.replace(QLatin1String("%25"), QLatin1String("%"));
    return r;
}
