#include "expression/ExpressionVectorMath.h"

#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>

// glibc's vector variants (libmvec), AVX2 ABI: four doubles per ymm
// register. Only functions compiled for AVX2 call them.
#define VEXA_AVX2 __attribute__((target("avx2")))
extern "C" {
VEXA_AVX2 __m256d _ZGVdN4v_sin(__m256d);
VEXA_AVX2 __m256d _ZGVdN4v_cos(__m256d);
VEXA_AVX2 __m256d _ZGVdN4v_log(__m256d);
VEXA_AVX2 __m256d _ZGVdN4vv_pow(__m256d, __m256d);
}

namespace {

// The last partial group of four goes through the same vector call, padded
// with ones, so no value takes another path because of where it lies.
template <__m256d (*F)(__m256d)> VEXA_AVX2 void mapUnary(double* v, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm256_storeu_pd(v + i, F(_mm256_loadu_pd(v + i)));
    if (i < n) {
        double t[4] = {1.0, 1.0, 1.0, 1.0};
        std::memcpy(t, v + i, (n - i) * sizeof(double));
        _mm256_storeu_pd(t, F(_mm256_loadu_pd(t)));
        std::memcpy(v + i, t, (n - i) * sizeof(double));
    }
    _mm256_zeroupper();
}

VEXA_AVX2 void sinAvx2(double* v, std::size_t n)
{
    mapUnary<_ZGVdN4v_sin>(v, n);
}
VEXA_AVX2 void cosAvx2(double* v, std::size_t n)
{
    mapUnary<_ZGVdN4v_cos>(v, n);
}
VEXA_AVX2 void lnAvx2(double* v, std::size_t n)
{
    mapUnary<_ZGVdN4v_log>(v, n);
}

VEXA_AVX2 void powAvx2(double* a, const double* b, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm256_storeu_pd(a + i, _ZGVdN4vv_pow(_mm256_loadu_pd(a + i), _mm256_loadu_pd(b + i)));
    if (i < n) {
        double ta[4] = {1.0, 1.0, 1.0, 1.0}, tb[4] = {1.0, 1.0, 1.0, 1.0};
        std::memcpy(ta, a + i, (n - i) * sizeof(double));
        std::memcpy(tb, b + i, (n - i) * sizeof(double));
        _mm256_storeu_pd(ta, _ZGVdN4vv_pow(_mm256_loadu_pd(ta), _mm256_loadu_pd(tb)));
        std::memcpy(a + i, ta, (n - i) * sizeof(double));
    }
    _mm256_zeroupper();
}

VEXA_AVX2 void powKAvx2(double* a, double k, std::size_t n)
{
    const __m256d kk = _mm256_set1_pd(k);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm256_storeu_pd(a + i, _ZGVdN4vv_pow(_mm256_loadu_pd(a + i), kk));
    if (i < n) {
        double t[4] = {1.0, 1.0, 1.0, 1.0};
        std::memcpy(t, a + i, (n - i) * sizeof(double));
        _mm256_storeu_pd(t, _ZGVdN4vv_pow(_mm256_loadu_pd(t), kk));
        std::memcpy(a + i, t, (n - i) * sizeof(double));
    }
    _mm256_zeroupper();
}

} // namespace

namespace {
const bool hasAvx2 = __builtin_cpu_supports("avx2");
}
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

void sin(double* v, std::size_t n)
{
    VEXA_VECTOR_OR(sinAvx2(v, n))
    for (std::size_t i = 0; i < n; ++i)
        v[i] = std::sin(v[i]);
}

void cos(double* v, std::size_t n)
{
    VEXA_VECTOR_OR(cosAvx2(v, n))
    for (std::size_t i = 0; i < n; ++i)
        v[i] = std::cos(v[i]);
}

void ln(double* v, std::size_t n)
{
    VEXA_VECTOR_OR(lnAvx2(v, n))
    for (std::size_t i = 0; i < n; ++i)
        v[i] = std::log(v[i]);
}

void pow(double* a, const double* b, std::size_t n)
{
    VEXA_VECTOR_OR(powAvx2(a, b, n))
    for (std::size_t i = 0; i < n; ++i)
        a[i] = std::pow(a[i], b[i]);
}

void powK(double* a, double k, std::size_t n)
{
    VEXA_VECTOR_OR(powKAvx2(a, k, n))
    for (std::size_t i = 0; i < n; ++i)
        a[i] = std::pow(a[i], k);
}

} // namespace ExpressionVectorMath
