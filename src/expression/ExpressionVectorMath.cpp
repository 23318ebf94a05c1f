#include "expression/ExpressionVectorMath.h"

#include "expression/ExpressionMath.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

// ln(e) - 1 for the double e, 2.718281828459045090795..., which lies below
// Euler's number: pow(e, b) = exp(b * (1 + kLnEMinusOne)).
constexpr double kLnEMinusOne = -5.318237706605891e-17;

bool isNormal(double r)
{
    const double a = std::fabs(r);
    return a >= DBL_MIN && a <= DBL_MAX;
}

// The exponents powK takes as products: -3 to 4 but 0 and 1.
bool isProductExponent(double k)
{
    return k >= -3 && k <= 4 && k != 0 && k != 1 && k == std::trunc(k);
}

// x^j for one of those exponents, with pow where the product is no normal
// number. The vector form does the same operations in the same order.
double powerByProducts(double x, int j)
{
    const int m = j < 0 ? -j : j;
    const double x2 = x * x;
    const double p = m == 1 ? x : m == 2 ? x2 : m == 3 ? x2 * x : x2 * x2;
    const double r = j < 0 ? 1.0 / p : p;
    return isNormal(r) && isNormal(p) ? r : std::pow(x, double(j));
}

} // namespace

#if defined(__x86_64__)
#include <immintrin.h>

// glibc's vector variants (libmvec), AVX2 ABI: four doubles per ymm
// register. Only functions compiled for AVX2 call them.
#define VEXA_AVX2 __attribute__((target("avx2")))
extern "C" {
VEXA_AVX2 __m256d _ZGVdN4v_sin(__m256d);
VEXA_AVX2 __m256d _ZGVdN4v_cos(__m256d);
VEXA_AVX2 __m256d _ZGVdN4v_log(__m256d);
VEXA_AVX2 __m256d _ZGVdN4v_exp(__m256d);
VEXA_AVX2 __m256d _ZGVdN4vv_pow(__m256d, __m256d);
}

namespace {

// Applies f to groups of four. The last partial group goes through the same
// call, padded with ones, so no value takes another path because of where
// it lies.
template <class F> VEXA_AVX2 void map4(const double* in, double* out, std::size_t n, const F& f)
{
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm256_storeu_pd(out + i, f(_mm256_loadu_pd(in + i)));
    if (i < n) {
        double t[4] = {1.0, 1.0, 1.0, 1.0};
        std::memcpy(t, in + i, (n - i) * sizeof(double));
        _mm256_storeu_pd(t, f(_mm256_loadu_pd(t)));
        std::memcpy(out + i, t, (n - i) * sizeof(double));
    }
    _mm256_zeroupper();
}

// Lanes of r that are no normal number (zero, subnormal, infinite, NaN).
VEXA_AVX2 inline int notNormal(__m256d r)
{
    const __m256d a = _mm256_andnot_pd(_mm256_set1_pd(-0.0), r);
    const __m256d normal = _mm256_and_pd(_mm256_cmp_pd(a, _mm256_set1_pd(DBL_MIN), _CMP_GE_OQ),
                                         _mm256_cmp_pd(a, _mm256_set1_pd(DBL_MAX), _CMP_LE_OQ));
    return ~_mm256_movemask_pd(normal) & 0xF;
}

// Replaces the lanes in mask by slow(lane of x).
template <class Slow> VEXA_AVX2 __m256d redoLanes(__m256d r, __m256d x, int mask, const Slow& slow)
{
    double rs[4], xs[4];
    _mm256_storeu_pd(rs, r);
    _mm256_storeu_pd(xs, x);
    for (int lane = 0; lane < 4; ++lane)
        if (mask & (1 << lane))
            rs[lane] = slow(xs[lane]);
    return _mm256_loadu_pd(rs);
}

template <__m256d (*F)(__m256d)> struct Vector {
    VEXA_AVX2 __m256d operator()(__m256d x) const { return F(x); }
};

VEXA_AVX2 void sinAvx2(const double* in, double* out, std::size_t n)
{
    map4(in, out, n, Vector<_ZGVdN4v_sin>());
}
VEXA_AVX2 void cosAvx2(const double* in, double* out, std::size_t n)
{
    map4(in, out, n, Vector<_ZGVdN4v_cos>());
}
VEXA_AVX2 void lnAvx2(const double* in, double* out, std::size_t n)
{
    map4(in, out, n, Vector<_ZGVdN4v_log>());
}

template <int J> VEXA_AVX2 void powProductsAvx2(const double* in, double* out, std::size_t n)
{
    constexpr int m = J < 0 ? -J : J;
    const auto slow = [](double x) { return std::pow(x, double(J)); };
    map4(in, out, n, [&](__m256d x) VEXA_AVX2 {
        const __m256d x2 = _mm256_mul_pd(x, x);
        const __m256d p = m == 1 ? x : m == 2 ? x2 : m == 3 ? _mm256_mul_pd(x2, x) : _mm256_mul_pd(x2, x2);
        const __m256d r = J < 0 ? _mm256_div_pd(_mm256_set1_pd(1.0), p) : p;
        const int bad = J < 0 ? notNormal(r) | notNormal(p) : notNormal(r);
        return bad ? redoLanes(r, x, bad, slow) : r;
    });
}

VEXA_AVX2 void powAvx2(const double* a, const double* b, double* out, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm256_storeu_pd(out + i, _ZGVdN4vv_pow(_mm256_loadu_pd(a + i), _mm256_loadu_pd(b + i)));
    if (i < n) {
        double ta[4] = {1.0, 1.0, 1.0, 1.0}, tb[4] = {1.0, 1.0, 1.0, 1.0};
        std::memcpy(ta, a + i, (n - i) * sizeof(double));
        std::memcpy(tb, b + i, (n - i) * sizeof(double));
        _mm256_storeu_pd(ta, _ZGVdN4vv_pow(_mm256_loadu_pd(ta), _mm256_loadu_pd(tb)));
        std::memcpy(out + i, ta, (n - i) * sizeof(double));
    }
    _mm256_zeroupper();
}

VEXA_AVX2 void powKAvx2(const double* a, double k, double* out, std::size_t n)
{
    map4(a, out, n, [kk = _mm256_set1_pd(k)](__m256d x) VEXA_AVX2 { return _ZGVdN4vv_pow(x, kk); });
}

VEXA_AVX2 void kPowAvx2(double k, const double* b, double* out, std::size_t n)
{
    map4(b, out, n, [kk = _mm256_set1_pd(k)](__m256d y) VEXA_AVX2 { return _ZGVdN4vv_pow(kk, y); });
}

VEXA_AVX2 void expEAvx2(const double* b, double* out, std::size_t n)
{
    const auto slow = [](double y) { return std::pow(ExpressionMath::e, y); };
    map4(b, out, n, [&](__m256d y) VEXA_AVX2 {
        const __m256d x = _ZGVdN4v_exp(y);
        const __m256d r = _mm256_add_pd(x, _mm256_mul_pd(x, _mm256_mul_pd(y, _mm256_set1_pd(kLnEMinusOne))));
        const int bad = notNormal(r);
        return bad ? redoLanes(r, y, bad, slow) : r;
    });
}

const bool hasAvx2 = __builtin_cpu_supports("avx2");

} // namespace
#else
namespace {
constexpr bool hasAvx2 = false;
}
#endif

namespace ExpressionVectorMath {

bool vectorised()
{
    return hasAvx2;
}

#if defined(__x86_64__)
#define VEXA_VECTOR_OR(call)                                                                                 \
    if (hasAvx2) {                                                                                           \
        call;                                                                                                \
        return;                                                                                              \
    }
#else
#define VEXA_VECTOR_OR(call)
#endif

void sin(const double* in, double* out, std::size_t n)
{
    VEXA_VECTOR_OR(sinAvx2(in, out, n))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::sin(in[i]);
}

void cos(const double* in, double* out, std::size_t n)
{
    VEXA_VECTOR_OR(cosAvx2(in, out, n))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::cos(in[i]);
}

void ln(const double* in, double* out, std::size_t n)
{
    VEXA_VECTOR_OR(lnAvx2(in, out, n))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::log(in[i]);
}

void pow(const double* a, const double* b, double* out, std::size_t n)
{
    VEXA_VECTOR_OR(powAvx2(a, b, out, n))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::pow(a[i], b[i]);
}

void powK(const double* a, double k, double* out, std::size_t n)
{
    if (k == 0) { // pow(x, 0) is 1 for every x, NaN included
        for (std::size_t i = 0; i < n; ++i)
            out[i] = 1.0;
        return;
    }
    if (k == 1) {
        if (out != a)
            std::memcpy(out, a, n * sizeof(double));
        return;
    }
    if (isProductExponent(k)) {
#if defined(__x86_64__)
        if (hasAvx2) {
            switch (int(k)) {
            case -3:
                powProductsAvx2<-3>(a, out, n);
                return;
            case -2:
                powProductsAvx2<-2>(a, out, n);
                return;
            case -1:
                powProductsAvx2<-1>(a, out, n);
                return;
            case 2:
                powProductsAvx2<2>(a, out, n);
                return;
            case 3:
                powProductsAvx2<3>(a, out, n);
                return;
            default:
                powProductsAvx2<4>(a, out, n);
                return;
            }
        }
#endif
        for (std::size_t i = 0; i < n; ++i)
            out[i] = powerByProducts(a[i], int(k));
        return;
    }
    VEXA_VECTOR_OR(powKAvx2(a, k, out, n))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::pow(a[i], k);
}

void kPow(double k, const double* b, double* out, std::size_t n)
{
    if (k == ExpressionMath::e) {
        VEXA_VECTOR_OR(expEAvx2(b, out, n))
    } else {
        VEXA_VECTOR_OR(kPowAvx2(k, b, out, n))
    }
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::pow(k, b[i]);
}

} // namespace ExpressionVectorMath
