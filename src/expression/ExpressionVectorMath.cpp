#include "expression/ExpressionVectorMath.h"

#include "expression/ExpressionMath.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

bool isNormal(double r)
{
    const double a = std::fabs(r);
    return a >= DBL_MIN && a <= DBL_MAX;
}

using ExpressionVectorMath::Join;

// r joined to left[i] as `join` says.
double joined(Join join, std::size_t i, double r)
{
    switch (join.op) {
    case Join::Op::None:
        break;
    case Join::Op::Add:
        return join.left[i] + r;
    case Join::Op::Subtract:
        return join.left[i] - r;
    case Join::Op::Multiply:
        return join.left[i] * r;
    }
    return r;
}

// For the roads that only write plain values (glibc's vector library):
// plain(first, into, m) writes the values for in[first], ..., in[first + m
// - 1] to into; they are joined through a buffer, a piece at a time, so
// that out may be left or the input.
template <class Plain> void joinAfter(Join join, double* out, std::size_t n, const Plain& plain)
{
    if (join.op == Join::Op::None) {
        plain(std::size_t(0), out, n);
        return;
    }
    constexpr std::size_t piece = 256;
    double values[piece];
    for (std::size_t first = 0; first < n; first += piece) {
        const std::size_t m = std::min(piece, n - first);
        plain(first, values, m);
        for (std::size_t i = 0; i < m; ++i)
            out[first + i] = joined(join, first + i, values[i]);
    }
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

// Whether QuotientKernel gives a / k bit for bit: 1/k rounded is within
// 2^-54 of 1/k, relative (then a * (1/k) is within half an ULP of a / k and
// its rounding within one), and k lies where a / k stays normal for the
// a the kernel takes. y * k - 1 is exact with an FMA.
[[maybe_unused]] bool quotientByProducts(double k)
{
    const double magnitude = std::fabs(k);
    if (!(magnitude >= 0x1p-100 && magnitude <= 0x1p100))
        return false;
    return std::fabs(std::fma(1.0 / k, k, -1.0)) <= 0x1p-54;
}

} // namespace

#if defined(__x86_64__)
#include <immintrin.h>

// glibc's vector variants (libmvec), AVX2 ABI: four doubles per ymm
// register. Only functions compiled for AVX2 call them.
#define VEXA_AVX2 __attribute__((target("avx2")))
extern "C" {
VEXA_AVX2 __m256d _ZGVdN4v_log(__m256d);
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

template <__m256d (*F)(__m256d)> struct Vector {
    VEXA_AVX2 __m256d operator()(__m256d x) const { return F(x); }
};

VEXA_AVX2 void lnAvx2(const double* in, double* out, std::size_t n)
{
    map4(in, out, n, Vector<_ZGVdN4v_log>());
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

} // namespace

// What every width spells alike: Vec, a register of BITS / 64 doubles, and
// its arithmetic.
#define VEXA_LANE_BASICS(BITS)                                                                               \
    struct Vec {                                                                                             \
        __m##BITS##d v;                                                                                      \
    };                                                                                                       \
    constexpr std::size_t kLanes = BITS / 64;                                                                \
    inline __m##BITS##i bits(Vec a)                                                                          \
    {                                                                                                        \
        return _mm##BITS##_castpd_si##BITS(a.v);                                                             \
    }                                                                                                        \
    inline Vec broadcast(double k)                                                                           \
    {                                                                                                        \
        return {_mm##BITS##_set1_pd(k)};                                                                     \
    }                                                                                                        \
    inline Vec load(const double* p)                                                                         \
    {                                                                                                        \
        return {_mm##BITS##_loadu_pd(p)};                                                                    \
    }                                                                                                        \
    inline void store(double* p, Vec a)                                                                      \
    {                                                                                                        \
        _mm##BITS##_storeu_pd(p, a.v);                                                                       \
    }                                                                                                        \
    inline Vec operator+(Vec a, Vec b)                                                                       \
    {                                                                                                        \
        return {_mm##BITS##_add_pd(a.v, b.v)};                                                               \
    }                                                                                                        \
    inline Vec operator-(Vec a, Vec b)                                                                       \
    {                                                                                                        \
        return {_mm##BITS##_sub_pd(a.v, b.v)};                                                               \
    }                                                                                                        \
    inline Vec operator*(Vec a, Vec b)                                                                       \
    {                                                                                                        \
        return {_mm##BITS##_mul_pd(a.v, b.v)};                                                               \
    }                                                                                                        \
    inline Vec operator/(Vec a, Vec b)                                                                       \
    {                                                                                                        \
        return {_mm##BITS##_div_pd(a.v, b.v)};                                                               \
    }                                                                                                        \
    inline Vec fma(Vec a, Vec b, Vec c)                                                                      \
    {                                                                                                        \
        return {_mm##BITS##_fmadd_pd(a.v, b.v, c.v)};                                                        \
    }                                                                                                        \
    inline Vec fms(Vec a, Vec b, Vec c)                                                                      \
    {                                                                                                        \
        return {_mm##BITS##_fmsub_pd(a.v, b.v, c.v)};                                                        \
    }                                                                                                        \
    inline Vec fnma(Vec a, Vec b, Vec c)                                                                     \
    {                                                                                                        \
        return {_mm##BITS##_fnmadd_pd(a.v, b.v, c.v)};                                                       \
    }

// The kernels of ExpressionVectorLanes.h, four lanes wide with AVX2 and FMA
// and eight wide with AVX-512. Every function defined between a push and its
// pop is compiled for that instruction set; none is called on a CPU without
// it. They are this file's own (an anonymous namespace), so no other copy of
// an inline function can stand in for them at link time.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
namespace {
namespace avx2 {

VEXA_LANE_BASICS(256)
inline Vec lowBitToSign(Vec t)
{
    return {_mm256_castsi256_pd(_mm256_slli_epi64(bits(t), 63))};
}
inline Vec flipSigns(Vec x, Vec s)
{
    return {_mm256_xor_pd(x.v, s.v)};
}
inline Vec scaleBy(Vec p, Vec t)
{
    return {_mm256_castsi256_pd(_mm256_add_epi64(bits(p), _mm256_slli_epi64(bits(t), 52)))};
}
inline unsigned atMost(Vec x, double high)
{
    const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x.v);
    return unsigned(_mm256_movemask_pd(_mm256_cmp_pd(magnitude, _mm256_set1_pd(high), _CMP_LE_OQ)));
}
// A gather: correct, but slower here than the wider polynomial.
constexpr bool kLooksUpEighths = false;
inline Vec lookUpEighths(const double (&table)[8], Vec t)
{
    return {_mm256_i64gather_pd(table, _mm256_and_si256(bits(t), _mm256_set1_epi64x(7)), 8)};
}
inline Vec scaleByEighths(Vec p, Vec t)
{
    return {
        _mm256_castsi256_pd(_mm256_add_epi64(bits(p), _mm256_slli_epi64(_mm256_srli_epi64(bits(t), 3), 52)))};
}
inline unsigned within(Vec x, double low, double high)
{
    const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x.v);
    return unsigned(
        _mm256_movemask_pd(_mm256_and_pd(_mm256_cmp_pd(magnitude, _mm256_set1_pd(low), _CMP_GT_OQ),
                                         _mm256_cmp_pd(magnitude, _mm256_set1_pd(high), _CMP_LE_OQ))));
}

#include "expression/ExpressionVectorLanes.h"

} // namespace avx2
} // namespace
#if defined(__clang__)
#pragma clang attribute pop
#pragma clang attribute push(__attribute__((target("avx512f,fma"))), apply_to = function)
#else
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f,fma")
#endif
namespace {
namespace avx512 {

VEXA_LANE_BASICS(512)
inline Vec lowBitToSign(Vec t)
{
    return {_mm512_castsi512_pd(_mm512_maskz_slli_epi64(0xFF, bits(t), 63))};
}
inline Vec flipSigns(Vec x, Vec s)
{
    return {_mm512_castsi512_pd(_mm512_xor_si512(bits(x), bits(s)))};
}
inline Vec scaleBy(Vec p, Vec t)
{
    return {_mm512_castsi512_pd(_mm512_add_epi64(bits(p), _mm512_maskz_slli_epi64(0xFF, bits(t), 52)))};
}
inline unsigned atMost(Vec x, double high)
{
    return _mm512_cmp_pd_mask(_mm512_abs_pd(x.v), _mm512_set1_pd(high), _CMP_LE_OQ);
}
constexpr bool kLooksUpEighths = true;
inline Vec lookUpEighths(const double (&table)[8], Vec t)
{
    return {_mm512_maskz_permutexvar_pd(0xFF, bits(t), _mm512_loadu_pd(table))};
}
inline Vec scaleByEighths(Vec p, Vec t)
{
    return {_mm512_castsi512_pd(_mm512_add_epi64(
        bits(p), _mm512_maskz_slli_epi64(0xFF, _mm512_maskz_srli_epi64(0xFF, bits(t), 3), 52)))};
}
inline unsigned within(Vec x, double low, double high)
{
    const __m512d magnitude = _mm512_abs_pd(x.v);
    return _mm512_mask_cmp_pd_mask(_mm512_cmp_pd_mask(magnitude, _mm512_set1_pd(low), _CMP_GT_OQ), magnitude,
                                   _mm512_set1_pd(high), _CMP_LE_OQ);
}

#include "expression/ExpressionVectorLanes.h"

} // namespace avx512
} // namespace
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace {

using ExpressionVectorMath::Lanes;

// The widest kernels this CPU runs. libmvec's four-lane functions (ln and
// the powers) run wherever the AVX2 kernels do.
Lanes widestLanes()
{
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma"))
        return Lanes::One;
    return __builtin_cpu_supports("avx512f") ? Lanes::Eight : Lanes::Four;
}

const Lanes cpuLanes = widestLanes();
Lanes lanesInUse = cpuLanes;

// Runs the kernel made of `args` at the widest the CPU takes.
template <class Avx2Kernel, class Avx512Kernel, class... Args>
bool mapWidest(ExpressionVectorMath::Join join, const double* in, double* out, std::size_t n, Args... args)
{
    switch (lanesInUse) {
    case Lanes::Eight:
        avx512::mapKernel<Avx512Kernel>(join, in, out, n, args...);
        return true;
    case Lanes::Four:
        avx2::mapKernel<Avx2Kernel>(join, in, out, n, args...);
        return true;
    case Lanes::One:
        break;
    }
    return false;
}

} // namespace
#else
namespace {
using ExpressionVectorMath::Lanes;
constexpr Lanes cpuLanes = Lanes::One;
Lanes lanesInUse = cpuLanes;
} // namespace
#endif

namespace ExpressionVectorMath {

Lanes lanes()
{
    return lanesInUse;
}

void limitLanes(Lanes widest)
{
    lanesInUse = std::min(widest, cpuLanes);
}

#if defined(__x86_64__)
#define VEXA_VECTOR_OR(call)                                                                                 \
    if (lanesInUse != Lanes::One) {                                                                          \
        call;                                                                                                \
        return;                                                                                              \
    }
// The kernel of ExpressionVectorLanes.h at the widest the CPU runs.
#define VEXA_WIDEST_OR(Kernel, in, out, ...)                                                                 \
    if (mapWidest<avx2::Kernel, avx512::Kernel>(join, in, out, __VA_ARGS__))                                 \
        return;
#else
#define VEXA_VECTOR_OR(call)
#define VEXA_WIDEST_OR(Kernel, in, out, ...)
#endif

void sin(const double* in, double* out, std::size_t n, Join join)
{
    VEXA_WIDEST_OR(SinKernel, in, out, n)
    for (std::size_t i = 0; i < n; ++i)
        out[i] = joined(join, i, std::sin(in[i]));
}

void cos(const double* in, double* out, std::size_t n, Join join)
{
    VEXA_WIDEST_OR(CosKernel, in, out, n)
    for (std::size_t i = 0; i < n; ++i)
        out[i] = joined(join, i, std::cos(in[i]));
}

void ln(const double* in, double* out, std::size_t n, Join join)
{
    VEXA_VECTOR_OR(joinAfter(
        join, out, n, [in](std::size_t first, double* into, std::size_t m) { lnAvx2(in + first, into, m); }))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = joined(join, i, std::log(in[i]));
}

void divide(const double* a, double k, double* out, std::size_t n, Join join)
{
    if (quotientByProducts(k)) {
        VEXA_WIDEST_OR(QuotientKernel, a, out, n, k)
    } else {
        VEXA_WIDEST_OR(DivisionKernel, a, out, n, k)
    }
    for (std::size_t i = 0; i < n; ++i)
        out[i] = joined(join, i, a[i] / k);
}

void pow(const double* a, const double* b, double* out, std::size_t n)
{
    VEXA_VECTOR_OR(powAvx2(a, b, out, n))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::pow(a[i], b[i]);
}

void powK(const double* a, double k, double* out, std::size_t n, Join join)
{
    if (k == 0) { // pow(x, 0) is 1 for every x, NaN included
        for (std::size_t i = 0; i < n; ++i)
            out[i] = joined(join, i, 1.0);
        return;
    }
    if (k == 1) {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = joined(join, i, a[i]);
        return;
    }
    if (isProductExponent(k)) {
        switch (int(k)) {
        case -3:
            VEXA_WIDEST_OR(PowerKernel<-3>, a, out, n)
            break;
        case -2:
            VEXA_WIDEST_OR(PowerKernel<-2>, a, out, n)
            break;
        case -1:
            VEXA_WIDEST_OR(PowerKernel<-1>, a, out, n)
            break;
        case 2:
            VEXA_WIDEST_OR(PowerKernel<2>, a, out, n)
            break;
        case 3:
            VEXA_WIDEST_OR(PowerKernel<3>, a, out, n)
            break;
        default:
            VEXA_WIDEST_OR(PowerKernel<4>, a, out, n)
            break;
        }
        for (std::size_t i = 0; i < n; ++i)
            out[i] = joined(join, i, powerByProducts(a[i], int(k)));
        return;
    }
    VEXA_VECTOR_OR(joinAfter(join, out, n, [a, k](std::size_t first, double* into, std::size_t m) {
        powKAvx2(a + first, k, into, m);
    }))
    for (std::size_t i = 0; i < n; ++i)
        out[i] = joined(join, i, std::pow(a[i], k));
}

void kPow(double k, const double* b, double* out, std::size_t n, Join join)
{
    if (k == ExpressionMath::e) {
        VEXA_WIDEST_OR(EPowerKernel, b, out, n)
    } else {
        VEXA_VECTOR_OR(joinAfter(join, out, n, [k, b](std::size_t first, double* into, std::size_t m) {
            kPowAvx2(k, b + first, into, m);
        }))
    }
    for (std::size_t i = 0; i < n; ++i)
        out[i] = joined(join, i, std::pow(k, b[i]));
}

} // namespace ExpressionVectorMath
