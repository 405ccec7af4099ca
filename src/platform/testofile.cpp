#include "testofile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// Windows-1252 between 0x80 and 0x9F; the five unassigned bytes map to the
// C1 control of the same number so that every byte survives a round trip.
const char16_t cp1252Alto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const QByteArray segnoOrdine("\xEF\xBB\xBF");

QString daCp1252(const QByteArray &b)
{
    QString s;
    s.resize(b.size());
    QChar *out = s.data();
    for (qsizetype i = 0; i < b.size(); ++i) {
        const auto c = static_cast<unsigned char>(b[i]);
        out[i] = (c >= 0x80 && c < 0xA0) ? QChar(cp1252Alto[c - 0x80]) : QChar(char16_t(c));
    }
    return s;
}

QByteArray aCp1252(const QString &s, bool riferimentiHtml)
{
    QByteArray b;
    b.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s[i].unicode();
        // A surrogate pair is one character; half of one is none.
        if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(s[i], s[i + 1]);
                ++i;
            } else {
                c = QChar::ReplacementCharacter;
            }
        }
        const int byte = TestoFile::byteCp1252(c);
        if (byte >= 0)
            b.append(char(byte));
        else if (riferimentiHtml)
            b += "&#" + QByteArray::number(uint(c)) + ';';
        else
            b.append('?');
    }
    return b;
}

} // namespace

int TestoFile::byteCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c < 0x100))
        return int(c);
    for (int k = 0; k < 32; ++k)
        if (cp1252Alto[k] == c)
            return 0x80 + k;
    return -1;
}

QByteArray TestoFile::codifica(const QString &t, bool riferimentiHtml) const
{
    if (!utf8)
        return aCp1252(t, riferimentiHtml);
    return bom ? segnoOrdine + t.toUtf8() : t.toUtf8();
}

TestoFile TestoFile::decodifica(const QByteArray &bytes)
{
    TestoFile f;
    f.bom = bytes.startsWith(segnoOrdine);
    // Only the first mark is the file's: another one stays a character of
    // the text. The bytes are the whole file: a sequence cut at its end is
    // an error too.
    QStringDecoder dec(QStringDecoder::Utf8,
                       QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    QString t = dec.decode(f.bom ? QByteArrayView(bytes).sliced(segnoOrdine.size()) : QByteArrayView(bytes));
    if (!dec.hasError()) {
        f.testo = std::move(t);
    } else {
        f.testo = daCp1252(bytes);
        f.utf8 = false;
        f.bom = false;
    }
    return f;
}

std::optional<TestoFile> TestoFile::leggi(const QString &path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return decodifica(bytes);
}
