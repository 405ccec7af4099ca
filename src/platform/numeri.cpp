#include "numeri.h"

#include <QMetaType>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {

// A decimal number: value = 0.d1d2d3... x 10^punto, sign apart. Digits are
// kept exactly, so rounding works on the decimal value the user sees and
// never on a binary approximation.
struct Decimale {
    bool negativo = false;
    std::string cifre;  // without leading zeros; empty means zero
    int punto = 0;      // digits before the decimal point

    bool zero() const { return cifre.find_first_not_of('0') == std::string::npos; }

    void normalizza()
    {
        const auto primo = cifre.find_first_not_of('0');
        if (primo == std::string::npos) {
            cifre.clear();
            punto = 0;
            return;
        }
        cifre.erase(0, primo);
        punto -= int(primo);
        const auto ultimo = cifre.find_last_not_of('0');
        cifre.erase(ultimo + 1);
    }

    // Rounds to `decimali` places, a half away from zero.
    void arrotonda(int decimali)
    {
        const int tieni = punto + decimali;  // digits that stay
        if (tieni >= int(cifre.size()))
            return;
        if (tieni < 0) {
            cifre.clear();
            punto = 0;
            return;
        }
        const bool su = cifre[size_t(tieni)] >= '5';
        cifre.resize(size_t(tieni));
        if (su) {
            int i = tieni - 1;
            for (; i >= 0; --i) {
                if (cifre[size_t(i)] == '9') {
                    cifre[size_t(i)] = '0';
                } else {
                    ++cifre[size_t(i)];
                    break;
                }
            }
            if (i < 0) {
                cifre.insert(cifre.begin(), '1');
                ++punto;
            }
        }
        normalizza();
    }

    // Integer digits ("" for a value below 1) and the fraction's digits.
    std::string parteIntera() const
    {
        if (punto <= 0)
            return {};
        std::string s = cifre.substr(0, size_t(std::min<int>(punto, int(cifre.size()))));
        s.append(size_t(std::max(0, punto - int(cifre.size()))), '0');
        return s;
    }
    std::string parteDecimale() const
    {
        std::string s;
        if (punto < 0)
            s.append(size_t(-punto), '0');
        if (punto < int(cifre.size()))
            s += cifre.substr(size_t(std::max(0, punto)));
        return s;
    }
};

// A double with `significative` significant digits (round half to even on
// the binary value, which is exact, so no double rounding happens).
Decimale daDouble(double v, int significative)
{
    Decimale d;
    if (!std::isfinite(v) || v == 0)
        return d;
    d.negativo = v < 0;
    // A whole number of no more digits than asked for is exact as it is:
    // its digits come without the slower conversion (the VAT rates and
    // discounts of every article go through here).
    static constexpr double limiti[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double limite = limiti[std::clamp(significative, 0, 15)];
    if (const double m = std::fabs(v); m < limite && m == std::trunc(m)) {
        d.cifre = std::to_string(uint64_t(m));
        d.punto = int(d.cifre.size());
        d.normalizza();
        return d;
    }
    const QByteArray e = QByteArray::number(std::fabs(v), 'e', significative - 1);  // "d.ddde+XX"
    const int posE = e.indexOf('e');
    for (int i = 0; i < posE; ++i)
        if (e[i] != '.')
            d.cifre.push_back(e[i]);
    d.punto = e.mid(posE + 1).toInt() + 1;
    d.normalizza();
    return d;
}

Decimale daCurrency(Currency c)
{
    Decimale d;
    d.negativo = c.raw < 0;
    // The magnitude of INT64_MIN does not fit in int64: go through unsigned.
    const uint64_t m = c.raw < 0 ? uint64_t(0) - uint64_t(c.raw) : uint64_t(c.raw);
    d.cifre = std::to_string(m);
    d.punto = int(d.cifre.size()) - 4;
    d.normalizza();
    return d;
}

Decimale daIntero(qint64 v)
{
    Decimale d;
    d.negativo = v < 0;
    const uint64_t m = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
    d.cifre = std::to_string(m);
    d.punto = int(d.cifre.size());
    d.normalizza();
    return d;
}

// Str's text: leading blank or "-", no zero before the point; exponent form
// when the number has more integer digits than significant ones, or is
// below 0.0001.
QString testoStr(const Decimale &d, int significative, bool esponente)
{
    QString s = d.negativo && !d.zero() ? QStringLiteral("-") : QStringLiteral(" ");
    if (d.zero())
        return s + u'0';
    const int exp10 = d.punto - 1;
    if (esponente && (exp10 >= significative || exp10 < -4)) {
        s += QChar::fromLatin1(d.cifre[0]);
        if (d.cifre.size() > 1)
            s += u'.' + QString::fromStdString(d.cifre.substr(1));
        s += u'E';
        s += exp10 < 0 ? u'-' : u'+';
        s += QStringLiteral("%1").arg(std::abs(exp10), 2, 10, QChar(u'0'));
        return s;
    }
    s += QString::fromStdString(d.parteIntera());
    const std::string fr = d.parteDecimale();
    if (!fr.empty())
        s += u'.' + QString::fromStdString(fr);
    return s;
}

// A number pattern: literal text, then the digit placeholders, then literal
// text.
struct Modello {
    QString prima, dopo;
    int minIntere = 0;      // "0" placeholders before the point
    bool raggruppa = false; // a "," between the integer placeholders
    bool punto = false;
    int minDecimali = 0, maxDecimali = 0;
};

Modello leggiModello(const QString &p)
{
    Modello m;
    int inizio = -1, fine = -1;
    for (int i = 0; i < p.size(); ++i) {
        const QChar c = p[i];
        if (c == u'#' || c == u'0' || ((c == u'.' || c == u',') && inizio >= 0)) {
            if (inizio < 0)
                inizio = i;
            fine = i;
        } else if (c == u'.' && inizio < 0 && i + 1 < p.size() && (p[i + 1] == u'#' || p[i + 1] == u'0')) {
            inizio = fine = i;
        } else if (inizio >= 0) {
            break;
        }
    }
    if (inizio < 0) {
        m.prima = p;
        return m;
    }
    m.prima = p.left(inizio);
    m.dopo = p.mid(fine + 1);
    const QString corpo = p.mid(inizio, fine - inizio + 1);
    const int pos = corpo.indexOf(u'.');
    const QString intera = pos < 0 ? corpo : corpo.left(pos);
    const int primoZero = intera.indexOf(u'0');
    if (primoZero >= 0)
        for (int i = primoZero; i < intera.size(); ++i)
            if (intera[i] == u'0' || intera[i] == u'#')
                ++m.minIntere;
    m.raggruppa = intera.contains(u',');
    if (pos >= 0) {
        m.punto = true;
        const QString dec = corpo.mid(pos + 1);
        for (int i = 0; i < dec.size(); ++i) {
            if (dec[i] == u'0' || dec[i] == u'#') {
                ++m.maxDecimali;
                if (dec[i] == u'0')
                    m.minDecimali = m.maxDecimali;
            }
        }
    }
    return m;
}

QString formatta(Decimale d, const QString &pattern)
{
    const Modello m = leggiModello(pattern);
    d.arrotonda(m.maxDecimali);
    std::string intera = d.parteIntera();
    if (int(intera.size()) < m.minIntere)
        intera.insert(0, size_t(m.minIntere - int(intera.size())), '0');
    QString corpo;
    if (m.raggruppa) {
        for (int i = 0; i < int(intera.size()); ++i) {
            if (i > 0 && (int(intera.size()) - i) % 3 == 0)
                corpo += u',';
            corpo += QChar::fromLatin1(intera[size_t(i)]);
        }
    } else {
        corpo = QString::fromStdString(intera);
    }
    std::string fr = d.parteDecimale();
    if (int(fr.size()) < m.minDecimali)
        fr.append(size_t(m.minDecimali - int(fr.size())), '0');
    if (m.punto && (m.maxDecimali > 0 || !fr.empty()))
        corpo += u'.' + QString::fromStdString(fr);
    const QString segno = d.negativo && !d.zero() ? QStringLiteral("-") : QString();
    return segno + m.prima + corpo + m.dopo;
}

// Rounds n / d to the nearest integer, a half to the even neighbour.
__int128 dividiPari(__int128 n, __int128 d)
{
    if (d < 0) {
        n = -n;
        d = -d;
    }
    __int128 q = n / d;
    __int128 r = n % d;
    if (r < 0) {  // floor division
        q -= 1;
        r += d;
    }
    const __int128 doppio = 2 * r;
    if (doppio > d || (doppio == d && (q % 2 != 0)))
        q += 1;
    return q;
}

// A Decimale as Currency, a half to the even neighbour at four places.
Currency currencyDaDecimale(const Decimale &d)
{
    if (d.zero())
        return {};
    // Integer n and scale s with value = n / 10^s.
    __int128 n = 0;
    int cifreLette = 0;
    for (char c : d.cifre) {
        if (cifreLette >= 30)
            break;
        n = n * 10 + (c - '0');
        ++cifreLette;
    }
    int scala = cifreLette - d.punto;  // value = n * 10^-scala
    __int128 raw;
    if (scala <= 4) {
        raw = n;
        for (int i = scala; i < 4; ++i) {
            raw *= 10;
            if (raw > __int128(std::numeric_limits<int64_t>::max()))
                break;
        }
    } else {
        __int128 div = 1;
        for (int i = 4; i < scala && div < __int128(1) << 100; ++i)
            div *= 10;
        raw = dividiPari(n, div);
    }
    return Currency::daInt128(d.negativo ? -raw : raw);
}

}  // namespace

QString Str(double v) { return testoStr(daDouble(v, 15), 15, true); }
QString Str(float v) { return testoStr(daDouble(double(v), 7), 7, true); }
QString Str(Currency v) { return testoStr(daCurrency(v), 19, false); }
QString Str(qint64 v) { return testoStr(daIntero(v), 19, false); }
QString Str(int v) { return Str(qint64(v)); }

QString TestoValore(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    const int t = v.userType();
    QString s;
    if (t == qMetaTypeId<Currency>())
        s = Str(v.value<Currency>());
    else if (t == QMetaType::Float)
        s = Str(v.toFloat());
    else if (t == QMetaType::Double)
        s = Str(v.toDouble());
    else if (t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Short || t == QMetaType::UInt)
        s = Str(v.toLongLong());
    else if (t == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    else
        return v.toString();
    // As a text field shows it: no blank in front, a zero before the point.
    if (s.startsWith(u' '))
        s.remove(0, 1);
    if (s.startsWith(u'.'))
        s.prepend(u'0');
    else if (s.startsWith(QLatin1String("-.")))
        s.insert(1, u'0');
    return s;
}

double Val(const QString &testo)
{
    // Blanks, tabs and line feeds do not count anywhere.
    QString t;
    for (QChar c : testo)
        if (c != u' ' && c != u'\t' && c != u'\n')
            t += c;
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const int base = t[1].toUpper() == u'H' ? 16 : 8;
        quint32 n = 0;
        int i = 2;
        for (; i < t.size(); ++i) {
            const int cifra = t[i].isDigit() ? t[i].digitValue()
                              : (base == 16 && t[i].toUpper() >= u'A' && t[i].toUpper() <= u'F')
                                  ? t[i].toUpper().unicode() - 'A' + 10
                                  : -1;
            if (cifra < 0 || cifra >= base)
                break;
            n = n * quint32(base) + quint32(cifra);
        }
        // Up to four hex digits the value is a 16-bit integer.
        if (base == 16 && i - 2 <= 4)
            return double(qint16(quint16(n)));
        return double(qint32(n));
    }
    QByteArray n;
    int i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        n += char(t[i++].unicode());
    bool cifre = false;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
        n += char(t[i++].unicode());
        cifre = true;
    }
    if (i < t.size() && t[i] == u'.') {
        n += '.';
        ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
            n += char(t[i++].unicode());
            cifre = true;
        }
    }
    if (!cifre)
        return 0;
    if (i < t.size() && (t[i].toUpper() == u'E' || t[i].toUpper() == u'D')) {
        QByteArray e = "e";
        int j = i + 1;
        if (j < t.size() && (t[j] == u'-' || t[j] == u'+'))
            e += char(t[j++].unicode());
        bool cifreE = false;
        while (j < t.size() && t[j].isDigit() && t[j].unicode() < 128) {
            e += char(t[j++].unicode());
            cifreE = true;
        }
        if (cifreE)
            n += e;
    }
    bool ok = false;
    const double v = n.toDouble(&ok);
    return ok ? v : 0;
}

std::optional<double> NumeroDaTesto(const QString &testo)
{
    const QString t = testo.trimmed();
    int i = 0;
    QByteArray n;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        n += char(t[i++].unicode());
    const bool conPunto = t.contains(u'.');
    bool cifre = false, virgola = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            n += char(c.unicode());
            cifre = true;
        } else if (!virgola && (c == u'.' || (c == u',' && !conPunto))) {
            n += '.';
            virgola = true;
        } else {
            return std::nullopt;
        }
    }
    if (!cifre)
        return std::nullopt;
    bool ok = false;
    const double v = n.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

bool IsNumeric(const QString &testo) { return NumeroDaTesto(testo).has_value(); }

double ArrotondaPari(double v) { return std::nearbyint(v); }


int CInt(double v)
{
    const double r = ArrotondaPari(v);
    if (!(r >= -32768))
        return -32768;
    if (r > 32767)
        return 32767;
    return int(r);
}

qint32 CLng(double v)
{
    const double r = ArrotondaPari(v);
    if (!(r >= -2147483648.0))
        return std::numeric_limits<qint32>::min();
    if (r > 2147483647.0)
        return std::numeric_limits<qint32>::max();
    return qint32(r);
}

QString Format(double v, const QString &pattern) { return formatta(daDouble(v, 15), pattern); }
QString Format(float v, const QString &pattern) { return formatta(daDouble(double(v), 7), pattern); }
QString Format(Currency v, const QString &pattern) { return formatta(daCurrency(v), pattern); }
QString Format(qint64 v, const QString &pattern) { return formatta(daIntero(v), pattern); }
QString Format(int v, const QString &pattern) { return formatta(daIntero(v), pattern); }

QString Format(const QVariant &v, const QString &pattern)
{
    if (!v.isValid() || v.isNull())
        return {};
    const int t = v.userType();
    if (t == qMetaTypeId<Currency>())
        return Format(v.value<Currency>(), pattern);
    if (t == QMetaType::Float)
        return Format(v.toFloat(), pattern);
    if (t == QMetaType::Double)
        return Format(v.toDouble(), pattern);
    if (t == QMetaType::Bool)
        return Format(v.toBool() ? -1 : 0, pattern);
    if (t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Short || t == QMetaType::UInt)
        return Format(v.toLongLong(), pattern);
    const QString s = v.toString();
    if (const auto n = NumeroDaTesto(s))
        return Format(*n, pattern);
    return s;  // a text that is no number stays as it is
}

Currency CurrencyDaSingle(float v) { return currencyDaDecimale(daDouble(double(v), 7)); }

Currency CCur(double v) { return currencyDaDecimale(daDouble(v, 15)); }

Currency CCur(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    const int t = v.userType();
    if (t == qMetaTypeId<Currency>())
        return v.value<Currency>();
    if (t == QMetaType::Float)
        return CurrencyDaSingle(v.toFloat());
    if (t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Short || t == QMetaType::UInt)
        return Currency::fromUnits(v.toLongLong());
    if (t == QMetaType::Bool)
        return Currency::fromUnits(v.toBool() ? -1 : 0);
    if (t == QMetaType::Double)
        return CCur(v.toDouble());
    if (const auto n = NumeroDaTesto(v.toString()))
        return CCur(*n);
    return {};
}

Currency Moltiplica(Currency a, Currency b)
{
    return Currency::daInt128(dividiPari(__int128(a.raw) * b.raw, Currency::Scale));
}

Currency Dividi(Currency a, Currency b)
{
    if (b.raw == 0)
        return {};
    return Currency::daInt128(dividiPari(__int128(a.raw) * Currency::Scale, b.raw));
}

Currency MoltiplicaFrazione(Currency a, qint64 num, qint64 den)
{
    if (den == 0)
        return {};
    return Currency::daInt128(dividiPari(__int128(a.raw) * num, den));
}

Currency TogliSconto(Currency a, Currency percentuale)
{
    constexpr qint64 cento = 100 * Currency::Scale;
    return MoltiplicaFrazione(a, cento - percentuale.raw, cento);
}

Currency DividiPerCambio(Currency a, double cambio)
{
    if (!(cambio != 0) || !std::isfinite(cambio))
        return {};
    const Decimale d = daDouble(cambio, 15);
    // cambio = m / 10^s
    __int128 m = 0;
    for (char c : d.cifre)
        m = m * 10 + (c - '0');
    const int s = int(d.cifre.size()) - d.punto;
    __int128 n = a.raw;
    __int128 den = m;
    if (s >= 0) {
        if (s > 18)
            return CCur(a.toDouble() / cambio);
        for (int i = 0; i < s; ++i)
            n *= 10;
    } else {
        if (-s > 18)
            return CCur(a.toDouble() / cambio);
        for (int i = 0; i < -s; ++i)
            den *= 10;
    }
    if (d.negativo)
        den = -den;
    return Currency::daInt128(dividiPari(n, den));
}
