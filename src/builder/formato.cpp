#include "formato.h"

#include "html.h"
#include "make.h"
#include "numeri.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cctype>

namespace {

QByteArray maiuscoleAscii(const QByteArray &b)
{
    QByteArray r = b;
    for (char &c : r)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return r;
}

// An address that stays as written in a page served from another folder.
bool indirizzoCompleto(const QByteArray &valore)
{
    const QByteArray su = maiuscoleAscii(valore);
    if (valore.startsWith("<<") || valore.startsWith("$arg") || su.startsWith("HTTP://")
        || su.startsWith("JAVASCRIPT") || valore.startsWith('#'))
        return true;
    // Any scheme ("https:", "mailto:", "ftp:"): letters, then letters,
    // digits, "+", "-" or ".", then ":".
    if (valore.isEmpty() || !std::isalpha(uchar(valore[0])))
        return false;
    for (int i = 1; i < valore.size(); ++i) {
        const uchar c = uchar(valore[i]);
        if (c == ':')
            return true;
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

}  // namespace

QString CampoHTML(const QVariant &campo)
{
    if (!campo.isValid() || campo.isNull())
        return {};
    return TestoHTML(TestoValore(campo));
}

QString TestoHTML(const QString &testo)
{
    if (ContieneTag(testo))
        return testo;
    QString r = testo;
    return r.replace(QLatin1String("\r\n"), QLatin1String("<BR>"));
}

bool ContieneTag(const QString &testo)
{
    const int p = testo.indexOf(u'<');
    return p >= 0 && testo.indexOf(u'>', p) >= 0;
}

QString TogliTag(const QString &testo)
{
    QString r = testo;
    int chiude = r.indexOf(u'>');
    while (chiude >= 0) {
        const int apre = chiude > 0 ? r.lastIndexOf(u'<', chiude - 1) : -1;
        if (apre >= 0) {
            r.remove(apre, chiude - apre + 1);
            chiude = r.indexOf(u'>', apre);
        } else {
            chiude = r.indexOf(u'>', chiude + 1);
        }
    }
    return r;
}

QString CodificaCaratteri(const QString &testo)
{
    QString r;
    r.reserve(testo.size() + 8);
    for (QChar c : testo) {
        switch (c.unicode()) {
        case u'"': r += QLatin1String("%22"); break;
        case u'\'': r += QLatin1String("\\'"); break;
        case u'\\': r += QLatin1String("\\\\"); break;
        case u'%': r += QLatin1String("%25"); break;
        case u';': r += u','; break;
        case u'[': case u']': case u'|': case u'\u00A3': r += u' '; break;
        // A line break would end the script string it lands in, and an
        // address drops a TAB.
        case u'\t': r += QLatin1String("\\t"); break;
        case u'\r': r += QLatin1String("\\r"); break;
        case u'\n': r += QLatin1String("\\n"); break;
        case 0x2028: r += QLatin1String("\\u2028"); break;
        case 0x2029: r += QLatin1String("\\u2029"); break;
        default: r += c;
        }
    }
    return r;
}

QString StringaJS(const QString &testo)
{
    QString r;
    r.reserve(testo.size() + 4);
    for (qsizetype i = 0; i < testo.size(); ++i) {
        const QChar c = testo[i];
        switch (c.unicode()) {
        case u'\\': r += QLatin1String("\\\\"); break;
        case u'"': r += QLatin1String("\\\""); break;
        case u'\'': r += QLatin1String("\\'"); break;
        case u'\r': r += QLatin1String("\\r"); break;
        case u'\n': r += QLatin1String("\\n"); break;
        case 0x2028: r += QLatin1String("\\u2028"); break;
        case 0x2029: r += QLatin1String("\\u2029"); break;
        case u'/':
            r += (i > 0 && testo[i - 1] == u'<') ? QLatin1String("\\/") : QLatin1String("/");
            break;
        default: r += c;
        }
    }
    return r;
}

QString ValoreAttributo(const QString &testo)
{
    return AttributoHtml(testo);
}

namespace {

// The length of the character reference that begins at i ("&name;",
// "&#digits;" or "&#xhexdigits;"), 0 when none does. References are short:
// the look ahead is bounded, so a text is read in one pass.
qsizetype lunghezzaRiferimento(QStringView t, qsizetype i)
{
    constexpr qsizetype massimo = 32;
    const auto c = [&](qsizetype k) { return k < t.size() && t[k].unicode() < 128 ? int(t[k].unicode()) : 0; };
    qsizetype k = i + 1;
    int (*corpo)(int) = ::isalnum;
    if (c(k) == '#') {
        const bool esa = c(k + 1) == 'x' || c(k + 1) == 'X';
        k += esa ? 2 : 1;
        corpo = esa ? ::isxdigit : ::isdigit;
    } else if (!::isalpha(c(k))) {
        return 0;
    }
    const qsizetype inizio = k;
    while (k - i < massimo && c(k) && corpo(c(k)))
        ++k;
    return k > inizio && c(k) == ';' ? k + 1 - i : 0;
}

} // namespace

QString AttributoConRiferimenti(const QString &testo)
{
    QString r;
    qsizetype fatto = 0;
    for (qsizetype i = testo.indexOf(u'&'); i >= 0; i = testo.indexOf(u'&', i + 1)) {
        const qsizetype n = lunghezzaRiferimento(testo, i);
        if (n == 0)
            continue;
        r += AttributoHtml(testo.sliced(fatto, i - fatto));
        r += QStringView(testo).sliced(i, n);
        fatto = i + n;
        i = fatto - 1;
    }
    return r + AttributoHtml(testo.sliced(fatto));
}

QString MettiVirgolette(const QString &Testo)
{
    QString r = Testo;
    return r.replace(u'|', u'"');
}

QString MakePerl(const QString &Titolo)
{
    // Inside a Perl string in double quotes a backslash, a double quote, "$"
    // and "@" are special: each gets a backslash before it.
    QString r;
    r.reserve(Titolo.size() + 4);
    for (QChar c : Titolo) {
        if (c == u'\\' || c == u'"' || c == u'$' || c == u'@')
            r += u'\\';
        r += c;
    }
    return r;
}

bool PercorsoPerlValido(const QString &percorso)
{
    static const QRegularExpression regola(
        QStringLiteral("^(?:[A-Za-z]:)?[/\\\\][A-Za-z0-9._+/\\\\-]*(?: +-[A-Za-z0-9]+)*\\z"));
    return percorso.size() <= 127 && regola.match(percorso).hasMatch();
}

QString HTMLColor(qint32 codicecolore)
{
    const QString h = (QStringLiteral("000000") + QString::number(quint32(codicecolore), 16).toUpper()).right(6);
    return u'#' + h.mid(4, 2) + h.mid(2, 2) + h.mid(0, 2);
}

QByteArray RendiAssoluto(const QByteArray &pagina, const QString &urlNegozio)
{
    QByteArray testo = pagina;
    QStringDecoder prova(QStringDecoder::Utf8);
    (void)prova.decode(pagina);
    // The address goes before a relative address inside an attribute value.
    const QString indirizzo = AttributoHtml(urlNegozio);
    const QByteArray base = (prova.hasError() ? indirizzo.toLatin1() : indirizzo.toUtf8()) + '/';
    const QByteArray baseSu = maiuscoleAscii(base);
    QByteArray su = maiuscoleAscii(testo);

    const QByteArray aperture[] = {"SRC=\"", "HREF=\"", "BACKGROUND=\"", "OPTION VALUE=\""};
    for (int k = 0; k < 4; ++k) {
        const QByteArray &apertura = aperture[k];
        if (k == 3) {
            // Option values only in the department menu's list.
            const int prima = su.indexOf(apertura);
            if (prima < 0)
                break;
            const int select = su.lastIndexOf("SELECT NAME=", prima);
            if (select < 0)
                break;
            const int virgolette = testo.indexOf('"', select + 12);
            if (virgolette < 0 || testo.mid(virgolette + 1, 13) != "vtRepartiMenu")
                break;
        }
        int pos = 0;
        for (;;) {
            const int p = su.indexOf(apertura, pos);
            if (p < 0)
                break;
            const int inizio = p + apertura.size();
            const int fine = testo.indexOf('"', inizio);
            if (fine < 0) {
                pos = inizio + 1;
                continue;
            }
            if (indirizzoCompleto(testo.mid(inizio, fine - inizio))) {
                pos = fine + 1;
            } else {
                testo.insert(inizio, base);
                su.insert(inizio, baseSu);
                pos = fine + 1 + base.size();
            }
        }
    }
    return testo;
}

bool MakeAbsolute(const QString &NomeFileInput, const QString &NomeFileOutput, const Impostazioni &imp,
                  QString *errore)
{
    QFile in(NomeFileInput);
    if (!in.open(QIODevice::ReadOnly))
        return true;  // nothing to rewrite: no empty page is written
    return AbsoluteOutput(NomeFileOutput, RendiAssoluto(in.readAll(), URLNegozio(imp)), errore);
}

bool AbsoluteOutput(const QString &NomeFileOutput, const QByteArray &OrigineHTML, QString *errore)
{
    // Written whole under a temporary name and put in place: the older file
    // is replaced completely, or stays as it was.
    return Make::scriviFile(NomeFileOutput, OrigineHTML + "\r\n", errore);
}

QString NoASPQuery(const QString &sTesto)
{
    return sTesto;
}

QString MakeRelative(const QString &Folder1, const QString &Folder2)
{
    const auto pulisci = [](QString s) {
        s.replace(u'\\', u'/');
        qsizetype inizio = 0, fine = s.size();
        while (inizio < fine && s[inizio] == u'/')
            ++inizio;
        while (fine > inizio && s[fine - 1] == u'/')
            --fine;
        return s.sliced(inizio, fine - inizio);
    };
    const QString da = pulisci(Folder1);
    QString resto = pulisci(Folder2);
    if (da.isEmpty())
        return resto;
    const QStringList cartelle = da.split(u'/');
    QString su;
    bool diverse = false;
    // The folders above the last one, while they are Folder2's too.
    for (qsizetype i = 0; i + 1 < cartelle.size(); ++i) {
        const QString cartella = cartelle[i] + u'/';
        if (!diverse && resto.startsWith(cartella)) {
            resto.remove(0, cartella.size());
            continue;
        }
        diverse = true;
        su += QStringLiteral("../");
    }
    return su + QStringLiteral("../") + resto;
}
