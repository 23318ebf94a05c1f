#pragma once

#include <cstddef>

// Whole-block forms of the libm functions the expression language calls
// most: sin, cos, ln, the power operator and division by a constant. On a
// CPU with AVX2 and FMA, sin, cos and the powers of e go through the kernels
// of ExpressionVectorLanes.h, eight values at a time with AVX-512 and four
// without: within 2 ULP of libm's sin and cos and 1 ULP of pow(e, x) (the
// bounds ExpressionVectorMathTest checks), libm's own results where the
// kernels do not hold (large arguments, infinities, NaN, overflow and
// underflow). ln and the other powers go through glibc's vector library,
// within 4 ULP of the scalar functions; division gives the bits of the
// division. Elsewhere they call the scalar functions. Every value is
// computed on its own: the result for a value never depends on its
// neighbours, on where a block starts or on how many threads share a column.
//
// Each writes out[i] from in[i] (and b[i]); out may be the same array as an
// input, but must not overlap one otherwise.
namespace ExpressionVectorMath {

// How many values the kernels take at a time: the most this CPU runs,
// unless limited (so that tests can run every width the CPU has).
enum class Lanes { One = 1, Four = 4, Eight = 8 };
Lanes lanes();
// Uses at most `widest` lanes from now on, as far as this CPU has them.
// Not to be called while other threads evaluate.
void limitLanes(Lanes widest);

// What a function's value r for in[i] joins on its way out: out[i] is then
// left[i] + r, left[i] - r or left[i] * r, the same bits as that operation
// done afterwards, without a pass of its own over the values. left may be
// the same array as out or as the input.
struct Join {
    enum class Op : unsigned char { None, Add, Subtract, Multiply };
    Op op = Op::None;
    const double* left = nullptr;
};

void sin(const double* in, double* out, std::size_t n, Join join);
void cos(const double* in, double* out, std::size_t n, Join join);
void ln(const double* in, double* out, std::size_t n, Join join);
inline void sin(const double* in, double* out, std::size_t n)
{
    sin(in, out, n, {});
}
inline void cos(const double* in, double* out, std::size_t n)
{
    cos(in, out, n, {});
}
inline void ln(const double* in, double* out, std::size_t n)
{
    ln(in, out, n, {});
}

// out[i] = a[i] / k, the same bits as the division.
void divide(const double* a, double k, double* out, std::size_t n, Join join = {});

// out[i] = pow(a[i], b[i]).
void pow(const double* a, const double* b, double* out, std::size_t n);

// out[i] = pow(a[i], k). The exponents -3 to 4 go without pow: 0 gives 1 and
// 1 the value itself, as pow does for every value; the others are products
// and their reciprocals. A power of j factors is within (j - 1) * 2^-53 of
// the exact value, relative, a reciprocal adds one rounding, and pow itself
// is within about half an ULP: each result is within 4 ULP of pow's. A
// result that is not a normal number (zero, subnormal, infinite, NaN), or
// the reciprocal of a product that is not, comes from pow, so zero and
// negative bases, infinities, NaN, overflow and underflow follow pow's rules.
void powK(const double* a, double k, double* out, std::size_t n, Join join = {});

// out[i] = pow(k, b[i]). For the constant e the power is exp(b * ln(e)):
// the double e lies 5.3e-17 below Euler's number, so a bare exp(b) would
// drift from pow(e, b) by 0.24*|b| ULP. The result is within 1 ULP of pow;
// where |b| > 708 it comes from pow.
void kPow(double k, const double* b, double* out, std::size_t n, Join join = {});

} // namespace ExpressionVectorMath
