#include "util/NumberFormat.h"

#include "platform/CNumber.h"
#include "util/TextHelpers.h"

#include <QByteArray>
#include <QMetaType>
#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

// ---------------------------------------------------------------------------
// Reading

double doubleValueOf(double value)
{
    return value;
}

double doubleValueOf(const char* text)
{
    if (!text)
        return 0.0;
    for (const char* p = text; *p; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return 0.0;
    }
    return parseNumber(text);
}

double doubleValueOf(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return 0.0;
    }
    // A NUL inside the text ends it, as it would for any C string.
    return parseNumber(text.toLatin1().constData());
}

bool startsWithNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?([0-9]|[.,][0-9]|Inf|NaN|Nan)"));
    return number.match(text).hasMatch();
}

int integerValueOf(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n
           && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t') || text[i] == QLatin1Char('\n')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    long long value = 0;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > 1LL << 32)
            break; // already past the range; the rest cannot bring it back
    }
    if (negative)
        value = -value;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

double doubleValueOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
    case QMetaType::Bool:
        return value.toDouble();
    case QMetaType::QString:
        return doubleValueOf(value.toString());
    default:
        return 0.0;
    }
}

// ---------------------------------------------------------------------------
// Display

namespace {

constexpr int kMinDecimals = -1;
constexpr int kMaxDecimals = 64;
constexpr int kMaxExponentLimit = 400;

// Removes trailing zeros and then a trailing "." - only when the text holds
// exactly one ".", so "1000" (no decimals asked for) keeps its zeros.
void stripZeros(std::string& s)
{
    if (std::count(s.begin(), s.end(), '.') != 1)
        return;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
}

// x / 10^e without letting 10^e underflow: below about 1e-308 the power
// loses precision and below 1e-323 it becomes 0.
double mantissaOf(double x, double e)
{
    if (e < -290)
        return (x * 1e300) / std::pow(10.0, e + 300);
    return x / std::pow(10.0, e);
}

QString fromAscii(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

QString formatNumber(int exponentLimit, int decimals, double x)
{
    if (std::isnan(x))
        return QStringLiteral("nan");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    decimals = std::clamp(decimals, kMinDecimals, kMaxDecimals);
    exponentLimit = std::clamp(exponentLimit, -kMaxExponentLimit, kMaxExponentLimit);
    if (x == 0 && decimals == -1)
        return QStringLiteral("0");

    const double e = x == 0 ? 0.0 : std::floor(std::log10(std::fabs(x)));
    const bool plain = exponentLimit == -1 || x == 0 || (-exponentLimit <= e && e <= exponentLimit);
    if (plain) {
        // The text grows to whatever the value needs: 1e300 in plain form
        // has 301 digits.
        std::string s = CNumber::format("%.*f", decimals == -1 ? 6 : decimals, x);
        stripZeros(s);
        return fromAscii(s);
    }
    std::string mantissa = CNumber::format("%.8f", mantissaOf(x, e));
    stripZeros(mantissa);
    return fromAscii(CNumber::format("%se%.0f", mantissa.c_str(), e));
}

namespace {

// The wrappers print plainly within [1e-12, 1e12) and in exponent form
// outside it.
bool outsidePlainRange(double a)
{
    return a < 1e-12 || a >= 1e12;
}

QString wrapped(double x, int decimals)
{
    if (x == 0)
        return QStringLiteral("0");
    if (std::isnan(x))
        return formatNumber(-1, -1, x);
    if (outsidePlainRange(std::fabs(x)))
        return formatNumber(1, -1, x);
    return formatNumber(-1, decimals, x);
}

int decimalsForMagnitude(double a)
{
    if (a < 1e-9)
        return 14;
    if (a < 1e-6)
        return 12;
    if (a < 1e-3)
        return 10;
    if (a < 1e3)
        return 8;
    if (a < 1e6)
        return 6;
    if (a < 1e9)
        return 4;
    return 2;
}

} // namespace

QString formatNumberAuto(double x)
{
    return wrapped(x, decimalsForMagnitude(std::fabs(x)));
}

QString formatNumberFixed(int decimals, double x)
{
    return wrapped(x, decimals);
}

QString formatNumberInteger(double x)
{
    return wrapped(x, 0);
}

double timeToVal(const QString& text)
{
    if (text.compare(QStringLiteral("w"), Qt::CaseInsensitive) == 0)
        return 604800; // a week
    if (text.compare(QStringLiteral("m"), Qt::CaseInsensitive) == 0)
        return 2592000; // 30 days: a lone "m" is a month, not a minute
    if (text.compare(QStringLiteral("y"), Qt::CaseInsensitive) == 0)
        return 31536000; // 365 days
    const QStringList parts = text.split(QLatin1Char(':'));
    double v[4] = {0, 0, 0, 0};
    const int n = int(parts.size());
    if (n > 4)
        return 0;
    for (int i = 0; i < n; ++i)
        v[i] = doubleValueOf(parts[i]);
    switch (n) {
    case 1:
        return v[0];
    case 2:
        return 60 * v[0] + v[1];
    case 3:
        return 3600 * v[0] + 60 * v[1] + v[2];
    case 4:
        return 86400 * v[0] + 3600 * v[1] + 60 * v[2] + v[3];
    default:
        return 0;
    }
}
