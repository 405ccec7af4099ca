#pragma once
// Exact money: a 64-bit integer scaled by 10,000 (four decimal places), the
// way the catalogue stores prices. Arithmetic never goes through floating point.
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <optional>

struct Currency {
    static constexpr int64_t Scale = 10000;
    int64_t raw = 0;  // value * 10,000

    static constexpr Currency fromRaw(int64_t r) { return Currency{r}; }
    static constexpr Currency fromUnits(int64_t units) { return Currency{units * Scale}; }
    // Rounds half away from zero to four decimals.
    static Currency fromDouble(double v);
    // Parses an invariant decimal text ("-12.5", "3", " 0.0001"); no separators.
    static std::optional<Currency> parse(const QString &text);

    double toDouble() const { return double(raw) / Scale; }
    // Invariant text with only the decimals needed: "12.5", "-0.0001", "3".
    QString toString() const;

    friend constexpr bool operator==(Currency a, Currency b) { return a.raw == b.raw; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.raw <=> b.raw; }
    // A raw value worked out in 128 bits, stopped at the ends of the range
    // (plus or minus the largest raw value), so that a damaged amount never
    // wraps round to one of the other sign.
    static constexpr Currency daInt128(__int128 v)
    {
        constexpr int64_t massimo = INT64_MAX;
        return {v > massimo ? massimo : v < -massimo ? -massimo : int64_t(v)};
    }

    // Sums and differences beyond the range stop at its ends, as the
    // products and quotients of numeri.h do.
    friend constexpr Currency operator+(Currency a, Currency b) { return daInt128(__int128(a.raw) + b.raw); }
    friend constexpr Currency operator-(Currency a, Currency b) { return daInt128(__int128(a.raw) - b.raw); }
    constexpr Currency operator-() const { return daInt128(-__int128(raw)); }
};

Q_DECLARE_METATYPE(Currency)
