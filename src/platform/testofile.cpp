#include "testofile.h"

#include <QStringDecoder>

namespace {

// Windows-1252 between 0x80 and 0x9F; the five unassigned bytes map to the
// C1 control of the same number so that every byte survives a round trip.
const char16_t cp1252Alto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

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

QByteArray aCp1252(const QString &s)
{
    QByteArray b;
    b.reserve(s.size());
    for (QChar ch : s) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            b.append(char(u));
            continue;
        }
        int found = -1;
        for (int k = 0; k < 32; ++k)
            if (cp1252Alto[k] == u) {
                found = k;
                break;
            }
        b.append(found >= 0 ? char(0x80 + found) : '?');
    }
    return b;
}

} // namespace

QByteArray TestoFile::codifica(const QString &t) const
{
    return utf8 ? t.toUtf8() : aCp1252(t);
}

TestoFile TestoFile::decodifica(const QByteArray &bytes)
{
    TestoFile f;
    // Keep a byte-order mark as a character, so that it is written back. The
    // bytes are the whole file: a sequence cut at its end is an error too.
    QStringDecoder dec(QStringDecoder::Utf8,
                       QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    QString t = dec.decode(bytes);
    if (!dec.hasError()) {
        f.testo = std::move(t);
        f.utf8 = true;
    } else {
        f.testo = daCp1252(bytes);
        f.utf8 = false;
    }
    return f;
}
