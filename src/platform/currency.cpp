#include "currency.h"

#include <cmath>

Currency Currency::fromDouble(double v)
{
    return Currency{static_cast<int64_t>(std::llround(v * Scale))};
}

std::optional<Currency> Currency::parse(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') {
        negative = t[0] == u'-';
        ++i;
    }
    int64_t whole = 0;
    int64_t fraction = 0;
    int fractionDigits = 0;
    bool anyDigit = false;
    bool roundUp = false;
    for (; i < t.size() && t[i].isDigit(); ++i) {
        whole = whole * 10 + t[i].digitValue();
        anyDigit = true;
        if (whole > INT64_MAX / Scale / 10)
            return std::nullopt;
    }
    if (i < t.size() && t[i] == u'.') {
        ++i;
        for (; i < t.size() && t[i].isDigit(); ++i) {
            anyDigit = true;
            if (fractionDigits < 4) {
                fraction = fraction * 10 + t[i].digitValue();
                ++fractionDigits;
            } else if (fractionDigits == 4) {
                roundUp = t[i].digitValue() >= 5;  // half away from zero
                ++fractionDigits;
            }
        }
    }
    if (i != t.size() || !anyDigit)
        return std::nullopt;
    for (int d = std::min(fractionDigits, 4); d < 4; ++d)
        fraction *= 10;
    int64_t raw = whole * Scale + fraction + (roundUp ? 1 : 0);
    return Currency{negative ? -raw : raw};
}

QString Currency::toString() const
{
    const bool negative = raw < 0;
    const uint64_t a = negative ? uint64_t(-(raw + 1)) + 1 : uint64_t(raw);
    QString s = QString::number(a / Scale);
    uint64_t frac = a % Scale;
    if (frac) {
        QString f = QString::number(frac).rightJustified(4, u'0');
        while (f.endsWith(u'0'))
            f.chop(1);
        s += u'.' + f;
    }
    return negative ? u'-' + s : s;
}
