#include "testoletto.h"

#include "html.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

struct Entita {
    const char *nome;
    char32_t primo, secondo;
};

const Entita entita[] = {
#include "entitahtml.inc"
};

const Entita *cercaEntita(const QByteArray &nome)
{
    const auto it = std::lower_bound(std::begin(entita), std::end(entita), nome,
                                     [](const Entita &e, const QByteArray &n) { return std::strcmp(e.nome, n.constData()) < 0; });
    return it != std::end(entita) && nome == it->nome ? it : nullptr;
}

bool alfanumericoAscii(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

int cifra(QChar c, bool esadecimale)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (esadecimale && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (esadecimale && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The character a numeric reference gives, as a browser reads it.
char32_t carattereNumerico(char32_t codice)
{
    // 128 to 159 are read as the characters of Windows-1252 where it has one.
    static const char16_t c1[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                    0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    if (codice == 0 || codice > 0x10FFFF || (codice >= 0xD800 && codice <= 0xDFFF))
        return 0xFFFD;
    if (codice >= 0x80 && codice <= 0x9F)
        return c1[codice - 0x80];
    return codice;
}

// A numeric reference at testo[i] ("&#..."): its character and the index
// after it; false when no digit follows.
bool riferimentoNumerico(const QString &testo, qsizetype i, char32_t &carattere, qsizetype &dopo)
{
    qsizetype k = i + 2;
    const bool esadecimale = k < testo.size() && (testo[k] == u'x' || testo[k] == u'X');
    if (esadecimale)
        ++k;
    const qsizetype inizio = k;
    char32_t codice = 0;
    for (int d; k < testo.size() && (d = cifra(testo[k], esadecimale)) >= 0; ++k)
        codice = std::min<char32_t>(codice * (esadecimale ? 16 : 10) + char32_t(d), 0x110000);
    if (k == inizio)
        return false;
    carattere = carattereNumerico(codice);
    dopo = k < testo.size() && testo[k] == u';' ? k + 1 : k;
    return true;
}

// A named reference at testo[i]: the longest name of the table that the
// text holds there, with its ";" when it has one.
const Entita *riferimentoNominale(const QString &testo, qsizetype i, qsizetype &dopo)
{
    qsizetype fine = i + 1;
    while (fine < testo.size() && fine - i <= 32 && alfanumericoAscii(testo[fine]))
        ++fine;
    const QByteArray nome = QStringView(testo).mid(i + 1, fine - i - 1).toLatin1();
    if (fine < testo.size() && testo[fine] == u';') {
        if (const Entita *e = cercaEntita(nome + ';')) {
            dopo = fine + 1;
            return e;
        }
    }
    // Only the older names, which a browser reads without ";".
    for (qsizetype n = nome.size(); n >= 2; --n) {
        if (const Entita *e = cercaEntita(nome.left(n))) {
            dopo = i + 1 + n;
            return e;
        }
    }
    return nullptr;
}

bool controllo(char32_t c)
{
    const bool bianco = c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
    return (c < 0x20 && !bianco) || (c >= 0x7F && c <= 0x9F);
}

// Where the tag or comment that starts at testo[i] ("<") ends (the index
// after it), or -1 when the "<" is a character of the text.
qsizetype fineTag(const QString &testo, qsizetype i)
{
    const QChar dopo = i + 1 < testo.size() ? testo[i + 1] : QChar();
    const auto lettera = [](QChar c) { return c.unicode() < 128 && c.isLetter(); };
    qsizetype fine = -1;
    if (QStringView(testo).mid(i).startsWith(u"<!--")) {
        fine = testo.indexOf(QLatin1String("-->"), i + 4);
        return fine < 0 ? -1 : fine + 3;
    }
    if (lettera(dopo) || dopo == u'!' || dopo == u'?' || (dopo == u'/' && i + 2 < testo.size()))
        fine = testo.indexOf(u'>', i + 1);
    return fine < 0 ? -1 : fine + 1;
}

} // namespace

QString DecodificaEntita(const QString &testo)
{
    if (!testo.contains(u'&'))
        return testo;
    QString r;
    r.reserve(testo.size());
    for (qsizetype i = 0; i < testo.size(); ++i) {
        if (testo[i] != u'&') {
            r += testo[i];
            continue;
        }
        qsizetype dopo = i + 1;
        if (dopo < testo.size() && testo[dopo] == u'#') {
            char32_t c = 0;
            if (!riferimentoNumerico(testo, i, c, dopo)) {
                r += testo[i];
                continue;
            }
            r += QString::fromUcs4(&c, 1);
        } else if (const Entita *e = dopo < testo.size() && alfanumericoAscii(testo[dopo])
                                         ? riferimentoNominale(testo, i, dopo)
                                         : nullptr) {
            r += QString::fromUcs4(&e->primo, 1);
            if (e->secondo)
                r += QString::fromUcs4(&e->secondo, 1);
        } else {
            r += testo[i];
            continue;
        }
        i = dopo - 1;
    }
    return r;
}

QString TogliControlli(const QString &testo)
{
    const auto daTogliere = [](QChar c) { return controllo(c.unicode()); };
    if (std::none_of(testo.begin(), testo.end(), daTogliere))
        return testo;
    QString r = testo;
    r.removeIf(daTogliere);
    return r;
}

QString TestoLetto(const QString &html)
{
    QString testo;
    testo.reserve(html.size());
    for (qsizetype i = 0; i < html.size(); ++i) {
        const qsizetype fine = html[i] == u'<' ? fineTag(html, i) : -1;
        if (fine < 0)
            testo += html[i];
        else
            i = fine - 1;
    }
    return TogliControlli(DecodificaEntita(testo));
}

QString NomeInPagina(const QString &html)
{
    return AttributoHtml(TestoLetto(html));
}
