#pragma once

// Numbers as users type them and as the program shows them. Neither direction
// looks at the process locale: a German desktop still reads and shows "1.5".

#include <QString>
#include <QVariant>

// --- reading ---------------------------------------------------------------

// The value of whatever a field, cell or stored setting holds. Text is read
// with parseNumber (a comma or a period as decimal mark, earlier periods as
// thousands separators, the leading number only, 0 when there is none); text
// with any non-ASCII character reads as 0. Expressions are not evaluated.
double doubleValueOf(double value);
double doubleValueOf(const char* text);
double doubleValueOf(const QString& text);
// Numbers (including bool) give their value, strings are read as above,
// anything else gives 0.
double doubleValueOf(const QVariant& value);
// Whether the text, after blanks and an optional sign, starts with a number
// (a digit, a decimal mark and a digit, or Inf or NaN): what a typing slip
// that reads as 0 does not do.
bool startsWithNumber(const QString& text);
// The integer a text field holds: the leading integer after blanks and an
// optional sign ("12.7" gives 12, "1e3" gives 1), 0 when there is none,
// clamped to the int range.
int integerValueOf(const QString& text);
// An interval in seconds: "w", "m", "y" (a week, 30 days, 365 days) or
// s, m:s, h:m:s, d:h:m:s; 0 for more parts.
double timeToVal(const QString& text);

// --- display ---------------------------------------------------------------

// The core number text. exponentLimit -1 always prints plainly; otherwise
// values whose decimal exponent e lies outside [-limit, limit] print as a
// mantissa with 8 decimals and "e<exponent>". decimals -1 means 6 decimals
// (and "0" for zero). Trailing zeros after the decimal point are stripped,
// so decimals is an upper limit. Limits are clamped to [-400, 400] and
// decimals to [-1, 64]; the text is never cut short. Infinities print as
// "inf" and "-inf", not-a-number as "nan".
QString formatNumber(int exponentLimit, int decimals, double value);

// Plain between 1e-12 and 1e12 with decimals chosen by magnitude (8 around 1,
// fewer for large values, more for small ones), exponent form outside; "0"
// for zero.
QString formatNumberAuto(double value);
// Plain with at most the given decimals between 1e-12 and 1e12, exponent form
// outside; "0" for zero.
QString formatNumberFixed(int decimals, double value);
// As formatNumberFixed with no decimals (rounded, not truncated).
QString formatNumberInteger(double value);
