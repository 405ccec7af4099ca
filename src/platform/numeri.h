#pragma once
// The number conversions the program relies on (the pages the builder
// writes, the window's number fields, the publisher's settings files),
// independent of the system locale. Three forms reach a page:
//  - the invariant form of Str: a leading blank for values that are not
//    negative, "." as decimal point, no thousands separator, no zero before
//    the point (" .5", "-1.25", " 19.99");
//  - a pattern format (Format) with "," for thousands and "." for decimals,
//    whose separators ConvertiSeparatori (formatonegozio.h) then exchanges
//    for the shop's;
//  - plain integer digits.
// Money is Currency (exact, four decimals). VAT rates and discount factors
// are single-precision values (float); Str of a float writes at most 7
// significant digits, as the stored value reads.
#include "currency.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

// --- Str: the invariant form -------------------------------------------------
QString Str(double v);          // up to 15 significant digits
QString Str(float v);           // up to 7 significant digits
QString Str(Currency v);        // exact, only the decimals needed
QString Str(qint64 v);
QString Str(int v);

// The text a value converts to, as a text field shows it: Str's digits
// without its leading blank and with a zero before the point ("0.2",
// "-0.5", "12.5"). Null gives "", Booleans "True"/"False", texts stay.
QString TestoValore(const QVariant &v);

// --- Val: the leading number of a text ---------------------------------------
// Blanks, tabs and line feeds are skipped anywhere; digits, one ".", an
// exponent ("E"/"D") and the prefixes "&H"/"&O" are read; whatever follows
// is ignored; no number gives 0.
double Val(const QString &testo);

// A text that is a number as the window's number fields accept it: optional
// blanks and sign, digits, one decimal point ("." or, when there is no ".",
// one ","). Thousands separators are not accepted. nullopt when it is not
// a number (an empty text included).
std::optional<double> NumeroDaTesto(const QString &testo);
bool IsNumeric(const QString &testo);

// --- Rounding -------------------------------------------------------------------
// To the nearest integer, a half going to the even neighbour (CInt, CLng,
// the conversion of a value to Currency).
double ArrotondaPari(double v);
// CInt: 16-bit integer, half to even; out of range values are clamped.
int CInt(double v);
// CLng: 32-bit integer, half to even; out of range values are clamped.
qint32 CLng(double v);

// --- Format with a number pattern -------------------------------------------------
// Patterns made of "#", "0", "," (grouping by thousands when it stands
// between digit placeholders) and "." (decimal point), with literal text
// before or after: "###,###,###,##0.00", "#####", "#0", "0", "0.00",
// "###000", "###0", "##################0.00". Rounds half away from zero to
// the pattern's decimals; the result always uses "," and ".".
QString Format(double v, const QString &pattern);
QString Format(float v, const QString &pattern);
QString Format(Currency v, const QString &pattern);
QString Format(qint64 v, const QString &pattern);
QString Format(int v, const QString &pattern);
// A Variant as a number: Currency, Single, Double, integers, Booleans
// (True = -1), number texts; Null gives "".
QString Format(const QVariant &v, const QString &pattern);

// --- Exact money --------------------------------------------------------------
// The exact decimal value of a single-precision number, as it reads with 7
// significant digits (0.9f -> 0.9, 19.99f -> 19.99).
Currency CurrencyDaSingle(float v);
// Converts a double to Currency, half to even at the fourth decimal.
Currency CCur(double v);
// A Variant as Currency (Currency, numbers, number texts; Null -> 0).
Currency CCur(const QVariant &v);
// a * b, exact, rounded half to even to four decimals.
Currency Moltiplica(Currency a, Currency b);
// a / b, rounded half to even to four decimals; b = 0 gives 0.
Currency Dividi(Currency a, Currency b);
// a * num / den, computed exactly, rounded half to even to four decimals.
Currency MoltiplicaFrazione(Currency a, qint64 num, qint64 den);
// The amount less a discount in percent: a * (100 - percentuale) / 100,
// exact (10% and then 10% off 100,000.00 is 81,000.00).
Currency TogliSconto(Currency a, Currency percentuale);
// The amount divided by an exchange rate given as a double (the rate is
// taken with 15 significant digits), rounded half to even to four decimals.
Currency DividiPerCambio(Currency a, double cambio);
