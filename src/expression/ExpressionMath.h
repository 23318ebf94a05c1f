#pragma once

// The arithmetic of the expression language. The parser (while it evaluates
// directly) and the compiled program both compute through these functions, so
// the two give the same bits for the same text.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <math.h> // j0, j1, jn, y0, y1, yn are POSIX, not std::

namespace ExpressionMath {

inline constexpr double pi = 3.141592653589793;
inline constexpr double e = 2.718281828459045;

// Integer arguments (Bessel order, decimals of round, buffer and point
// indices): truncation toward zero to 32 bits. Values beyond that range
// saturate and NaN gives 0, instead of the undefined behaviour of a plain cast.
inline int32_t toInt32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

// "int" goes through a 32-bit integer inside that range (so int -0.5 is +0,
// as it always was); beyond it the double is truncated as it is, so int 3e9
// is 3e9 and not a clipped 2147483647, and NaN stays NaN.
inline double intPart(double x)
{
    if (x > -2147483649.0 && x < 2147483648.0)
        return static_cast<double>(static_cast<int32_t>(x));
    return std::trunc(x);
}

inline double fracPart(double x)
{
    return x - intPart(x);
}

// Always the library pow, also for x^2: x*x differs from pow(x, 2) in the last
// bit for some x, and a power must give the same bits as it always did.
inline double power(double a, double b)
{
    return std::pow(a, b);
}

inline double rad(double x)
{
    return x * pi / 180.0;
}
inline double deg(double x)
{
    return x * 180.0 / pi;
}

// The mean of two uniform numbers in [0, x], from two successive rand() draws.
inline double rnd(double x)
{
    const double r1 = static_cast<double>(std::rand());
    const double r2 = static_cast<double>(std::rand());
    return ((x / 2147483647.0) * r1 + (x / 2147483647.0) * r2) * 0.5;
}

// x rounded to n decimals (ties to even in the default rounding mode).
inline double roundTo(double x, double digits)
{
    const double p = std::pow(10.0, toInt32(digits));
    const double r = std::rint(x * p) / p;
    // Asking for more decimals than a double holds, or for a power of ten
    // beyond the double range, must not turn a finite number into inf or NaN:
    // the number already is as rounded as it can be, or rounds to zero.
    if (std::isfinite(x) && !std::isfinite(r))
        return p == 0.0 ? std::copysign(0.0, x) : x;
    return r;
}

// Gaussian of height a and full width at half maximum w.
inline double gau(double x, double x0, double a, double w)
{
    const double t = (x - x0) / w;
    return std::exp(t * t * -4.0 * 0.6931471805599453) * a;
}

// Lorentzian of height a and full width at half maximum w.
inline double lor(double x, double x0, double a, double w)
{
    const double t = (x - x0) / w;
    return a / (t * t * 4.0 + 1.0);
}

// Bessel functions of integer order. libm walks a recurrence of n steps, which
// for orders near 2^31 takes tens of seconds per call. Once n >= 1100 and
// n >= e|x|, |J_n(x)| <= (e|x|/2n)^n <= 2^-1100 rounds to 0 and |Y_n(x)| >=
// (2n/ex)^n/(n pi) overflows, so those values are given without the walk.
inline bool besselOrderDominates(int32_t n, double x)
{
    const double order = std::fabs(static_cast<double>(n));
    return order >= 1100.0 && order >= 2.72 * std::fabs(x);
}

inline double besselJn(double n, double x)
{
    const int32_t k = toInt32(n);
    if (besselOrderDominates(k, x)) // signed like J_n: (-1)^n for n < 0 and for x < 0
        return (k & 1) && ((k < 0) != (x < 0.0)) ? -0.0 : 0.0;
    return ::jn(k, x);
}

inline double besselYn(double n, double x)
{
    const int32_t k = toInt32(n);
    if (x > 0.0 && besselOrderDominates(k, x)) // Y_-n = (-1)^n Y_n
        return k < 0 && (k & 1) ? HUGE_VAL : -HUGE_VAL;
    return ::yn(k, x);
}

} // namespace ExpressionMath
