#include "model/Spectral.h"

#include "expression/ExpressionVectorMath.h"
#include "platform/CpuFeatures.h"
#include "platform/HugePages.h"
#include "platform/ParallelRanges.h"
#include "platform/VectorState.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Spectral {

namespace {

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// The transforms are FFTW's, in single precision and in place. A plan is
// made once per length, kind, alignment and thread count and kept for the
// life of the process: even a plan that only estimates costs more than
// several transforms (the factors are made with it). FFTW's planner is not
// thread-safe, so plans are made and looked up under one lock; running a
// kept plan on any array of the same alignment is safe from any thread.
enum class PlanKind { RealForward, RealInverse, ComplexPlus, ComplexMinus };

struct PlanKey {
    int length;
    PlanKind kind;
    int alignment;
    int threads;
    friend auto operator<=>(const PlanKey&, const PlanKey&) = default;
};

// Threads a transform of `length` floats is spread over.
int transformThreads(int length)
{
    return int(ParallelRanges::threadsFor(std::size_t(length), std::size_t(1) << 18));
}

fftwf_plan planFor(PlanKind kind, int length, float* data)
{
    static std::mutex lock;
    // Reachable to the end: plans are never destroyed while one may run.
    static auto* const plans = new std::map<PlanKey, fftwf_plan>;
    static const bool threaded = fftwf_init_threads() != 0;
    const int threads = threaded
        ? transformThreads(kind == PlanKind::RealForward || kind == PlanKind::RealInverse ? length
                                                                                          : 2 * length)
        : 1;
    const PlanKey key{length, kind, fftwf_alignment_of(data), threads};
    std::lock_guard<std::mutex> g(lock);
    if (const auto found = plans->find(key); found != plans->end())
        return found->second;
    if (threaded)
        fftwf_plan_with_nthreads(threads);
    // Estimated plans leave the array alone while they are made.
    auto* complex = reinterpret_cast<fftwf_complex*>(data);
    fftwf_plan plan = nullptr;
    switch (kind) {
    case PlanKind::RealForward:
        plan = fftwf_plan_dft_r2c_1d(length, data, complex, FFTW_ESTIMATE);
        break;
    case PlanKind::RealInverse:
        plan = fftwf_plan_dft_c2r_1d(length, complex, data, FFTW_ESTIMATE);
        break;
    case PlanKind::ComplexPlus:
        plan = fftwf_plan_dft_1d(length, complex, complex, FFTW_BACKWARD, FFTW_ESTIMATE);
        break;
    case PlanKind::ComplexMinus:
        plan = fftwf_plan_dft_1d(length, complex, complex, FFTW_FORWARD, FFTW_ESTIMATE);
        break;
    }
    if (plan)
        plans->emplace(key, plan);
    return plan;
}

// Room for the in-place transform when the caller's array has none; empty
// when the memory cannot be had.
HugePages::Array<float> roomFor(int m)
{
    try {
        return HugePages::makeArray<float>(realRoom(m));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The spectrum of m real values in place in m + 2 floats, as FFTW leaves it:
// H_k = Re, Im at 2k, 2k + 1 for k = 0 .. m/2, under the kernel
// exp(-2*pi*i*j*k/m), the conjugate of ours.
bool realForwardInPlace(float* d, int m)
{
    const fftwf_plan plan = planFor(PlanKind::RealForward, m, d);
    if (!plan)
        return false;
    fftwf_execute_dft_r2c(plan, d, reinterpret_cast<fftwf_complex*>(d));
    return true;
}

// FFTW's layout to the packed one, the imaginary parts left conjugated
// (enough for magnitudes) or made ours.
void pack(float* d, int m, bool conjugate)
{
    d[1] = d[m];
    if (conjugate)
        for (int i = 3; i < m; i += 2)
            d[i] = -d[i];
}

// The packed layout to FFTW's, in m + 2 floats, conjugated.
void unpack(float* d, int m)
{
    d[m] = d[1];
    d[m + 1] = 0.0f;
    d[1] = 0.0f;
    for (int i = 3; i < m; i += 2)
        d[i] = -d[i];
}

// Value j of n with the straight line through v0 and vLast removed (sign -1)
// or restored (sign +1).
inline float lineApplied(double value, int j, int n, double v0, double vLast, double sign)
{
    return float(value + sign * (double(j) * vLast + double(n - 1 - j) * v0) / double(n - 1));
}

void applyLine(std::span<float> v, int n, double v0, double vLast, double sign)
{
    for (int j = 0; j < n; ++j)
        v[std::size_t(j)] = lineApplied(double(v[std::size_t(j)]), j, n, v0, vLast, sign);
}

// Points taken at once through the window and the line removal.
constexpr int kChunk = 1024;

// The simple loops over a chunk, compiled for AVX2 as well where the CPU
// has it: the same operations in the same order either way.
#if defined(__x86_64__) && !defined(__clang__)
#define VEXA_CHUNK_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define VEXA_CHUNK_LOOP
#endif

VEXA_CHUNK_LOOP void hanningAngles(int from, int count, int n, double* w)
{
    for (int i = 0; i < count; ++i)
        w[i] = 6.283185307 * (from + i) / (n - 1);
}

VEXA_CHUNK_LOOP void hanningFromCosines(const double* c, const double* y, int count, float* out)
{
    for (int i = 0; i < count; ++i)
        out[i] = float((1.0 - c[i]) / 2.0 * y[i]);
}

// Removes the line through v0 and vLast from points from .. from + count - 1.
VEXA_CHUNK_LOOP void removeLine(const float* in, int from, int count, int n, double v0, double vLast,
                                float* out)
{
    for (int i = 0; i < count; ++i) {
        const int j = from + i;
        out[i] = float(double(in[i]) - (double(j) * vLast + double(n - 1 - j) * v0) / double(n - 1));
    }
}

// Floats of the values y of points from .. from + count - 1 of n weighed by
// the window. The Hanning cosines go through the block cosine (within 4 ULP
// of libm's, far below the float the weighed value is rounded to).
void weighed(int window, std::span<const double> y, int from, int count, int n, float* out)
{
    if (window != FFTHanning) {
        for (int i = 0; i < count; ++i)
            out[i] = float(windowWeight(window, from + i, n) * y[std::size_t(from + i)]);
        return;
    }
    if (count <= 0)
        return;
    double c[kChunk];
    hanningAngles(from, count, n, c);
    ExpressionVectorMath::cos(c, c, std::size_t(count));
    hanningFromCosines(c, y.data() + from, count, out);
}

// The working array of the spectrum from n values, valuesAt(from, count, out)
// giving floats of points from .. from + count - 1: the line through the
// first and last removed, zeros up to the working length m. Long arrays on
// several threads.
template <class Values> void fillSpectrumInput(float* d, int n, int m, const Values& valuesAt)
{
    float ends[2] = {0.0f, 0.0f};
    if (n > 0) {
        valuesAt(0, 1, ends);
        valuesAt(n - 1, 1, ends + 1);
    }
    const double v0 = ends[0], vLast = ends[1];
    ParallelRanges::run(std::size_t(m), 65536, [&](std::size_t from, std::size_t to) {
        VectorState::clearUpper();
        const int end = int(std::min(to, std::size_t(std::max(n, 0))));
        int j = int(from);
        float chunk[kChunk];
        for (; j < end; j += kChunk) {
            const int count = std::min(kChunk, end - j);
            valuesAt(j, count, chunk);
            removeLine(chunk, j, count, n, v0, vLast, d + j);
        }
        for (j = std::max(int(from), end); j < int(to); ++j)
            d[j] = 0.0f;
    });
}

// The spectrum of n values in FFTW's layout, element 1 set to H_{m/2}: in
// place when data has the room for it, else through a copy. Returns m, or
// 0 (nothing touched) when the array is too short or no plan can be made.
template <class Values>
int transformSpectrum(std::span<float> data, int n, bool conjugate, const Values& valuesAt)
{
    const int m = spectrumLength(n);
    if (m == 0 || n < 0 || data.size() < std::size_t(m))
        return 0;
    HugePages::Array<float> copy;
    float* d = data.data();
    if (data.size() < realRoom(m)) {
        if (!(copy = roomFor(m)))
            return 0;
        d = copy.get();
    }
    fillSpectrumInput(d, n, m, valuesAt);
    if (!realForwardInPlace(d, m))
        return 0;
    pack(d, m, conjugate);
    if (copy)
        std::memcpy(data.data(), d, std::size_t(m) * sizeof(float));
    return m;
}

#if defined(__x86_64__)
// hypotenuse() four at a time: the same branches as lane masks, the same
// operations in the same order (no fused multiply-add), so the same bits.
__attribute__((target("avx2"))) std::size_t magnitudesAvx2(const float* packed, std::size_t count,
                                                           double* out)
{
    const __m256d signBit = _mm256_set1_pd(-0.0), one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    std::size_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m128 p = _mm_loadu_ps(packed + 2 * k), q = _mm_loadu_ps(packed + 2 * k + 4);
        const __m256d a = _mm256_cvtps_pd(_mm_shuffle_ps(p, q, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m256d b = _mm256_cvtps_pd(_mm_shuffle_ps(p, q, _MM_SHUFFLE(3, 1, 3, 1)));
        const __m256d A = _mm256_andnot_pd(signBit, a), B = _mm256_andnot_pd(signBit, b);
        const __m256d bSmaller = _mm256_cmp_pd(B, A, _CMP_LT_OQ);
        const __m256d small = _mm256_blendv_pd(A, B, bSmaller), large = _mm256_blendv_pd(B, A, bSmaller);
        const __m256d r = _mm256_div_pd(small, large);
        __m256d h = _mm256_mul_pd(large, _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(r, r), one)));
        h = _mm256_blendv_pd(h, A, _mm256_cmp_pd(b, zero, _CMP_EQ_OQ));
        h = _mm256_blendv_pd(h, B, _mm256_cmp_pd(a, zero, _CMP_EQ_OQ));
        _mm256_storeu_pd(out + k, h);
    }
    _mm256_zeroupper();
    return k;
}
#endif

} // namespace

double windowWeight(int window, int i, int n)
{
    const double centre = (n - 1) / 2.0;
    const double halfWidth = (n + 1) / 2.0;
    switch (window) {
    case FFTHanning:
        return (1.0 - std::cos(6.283185307 * i / (n - 1))) / 2.0;
    case FFTWelch: {
        const double r = (i - centre) / halfWidth;
        return 1.0 - r * r;
    }
    case FFTParzen:
        return 1.0 - std::fabs((i - centre) / halfWidth);
    default:
        return 1.0;
    }
}

bool fftComplex(std::span<float> data, int n, int direction)
{
    if (!isPowerOfTwo(n) || data.size() < 2 * std::size_t(n))
        return false;
    VectorState::clearUpper();
    if (n == 1)
        return true;
    const fftwf_plan plan
        = planFor(direction == 1 ? PlanKind::ComplexPlus : PlanKind::ComplexMinus, n, data.data());
    if (!plan)
        return false;
    auto* complex = reinterpret_cast<fftwf_complex*>(data.data());
    fftwf_execute_dft(plan, complex, complex);
    return true;
}

bool fftReal(std::span<float> data, int half, int direction)
{
    if (!isPowerOfTwo(half) || data.size() < 2 * std::size_t(half))
        return false;
    VectorState::clearUpper();
    const int m = 2 * half;
    HugePages::Array<float> copy;
    float* d = data.data();
    if (data.size() < realRoom(m)) {
        if (!(copy = roomFor(m)))
            return false;
        d = copy.get();
        std::memcpy(d, data.data(), std::size_t(m) * sizeof(float));
    }
    if (direction == 1) {
        if (!realForwardInPlace(d, m))
            return false;
        pack(d, m, true);
    } else {
        const fftwf_plan plan = planFor(PlanKind::RealInverse, m, d);
        if (!plan)
            return false;
        unpack(d, m);
        fftwf_execute_dft_c2r(plan, reinterpret_cast<fftwf_complex*>(d), d);
        // FFTW gives m times the data; ours is half that (exact in binary).
        for (int j = 0; j < m; ++j)
            d[j] *= 0.5f;
    }
    if (copy)
        std::memcpy(data.data(), d, std::size_t(m) * sizeof(float));
    return true;
}

int paddedLength(double needed)
{
    if (!(needed <= double(maxLength))) // also refuses NaN
        return 0;
    int m = 2;
    while (double(m) < needed)
        m <<= 1;
    return m;
}

int smoothLength(int n, float pts)
{
    // Room for the filter's reach beyond the data, so the smoothed ends do not
    // wrap around into each other.
    const double reach = std::trunc(2.0 * double(pts) + 0.5);
    return paddedLength(double(std::max(n, 0)) + std::max(reach, 0.0));
}

int fftSpectrumPrepare(std::span<float> data, int n)
{
    // Reads each value before anything writes it: a range reads and
    // writes its own points only, and the end values are read first.
    return transformSpectrum(data, n, true, [&](int from, int count, float* out) {
        std::memcpy(out, data.data() + from, std::size_t(count) * sizeof(float));
    });
}

int fftSpectrumMagnitudes(std::span<const double> y, int window, std::span<float> data, double* out)
{
    const int n = int(std::min<std::size_t>(y.size(), std::size_t(maxLength)));
    const int m = transformSpectrum(data, n, false, [&](int from, int count, float* values) {
        weighed(window, y, from, count, n, values);
    });
    if (m == 0)
        return 0;
    const std::size_t half = std::size_t(m / 2);
    ParallelRanges::run(half, 65536, [&](std::size_t from, std::size_t to) {
        magnitudes(data.data() + 2 * from, to - from, out + from);
    });
    return m;
}

void magnitudes(const float* packed, std::size_t count, double* out)
{
    std::size_t k = 0;
#if defined(__x86_64__)
    if (CpuFeatures::avx2)
        k = magnitudesAvx2(packed, count, out);
#endif
    for (; k < count; ++k)
        out[k] = hypotenuse(packed[2 * k], packed[2 * k + 1]);
}

bool fftSmoothFilter(std::span<float> data, int n, float pts)
{
    const int m = smoothLength(n, pts);
    if (m == 0 || n < 0 || data.size() < std::size_t(m))
        return false;
    const double v0 = n > 0 ? double(data[0]) : 0.0;
    const double vLast = n > 0 ? double(data[std::size_t(n - 1)]) : 0.0;
    if (n > 0)
        applyLine(data, n, v0, vLast, -1.0);
    for (int j = n; j < m; ++j)
        data[std::size_t(j)] = 0.0f;

    fftReal(data, m / 2, 1);
    const double norm = m / 2;
    data[0] = float(data[0] / norm);
    const double ratio = double(pts) / m;
    bool cut = false;
    for (int k = 1; k < m / 2; ++k) {
        double factor = 0.0;
        if (!cut) {
            const double q = k * ratio;
            factor = std::max(0.0, (1.0 - q * q) / norm);
            cut = factor == 0.0;
        }
        data[std::size_t(2 * k)] = float(data[std::size_t(2 * k)] * factor);
        data[std::size_t(2 * k + 1)] = float(data[std::size_t(2 * k + 1)] * factor);
    }
    const double p = double(pts);
    data[1] = float(data[1] * std::max(0.0, (1.0 - 0.25 * p * p) / norm));
    fftReal(data, m / 2, -1);

    if (n > 0)
        applyLine(data, n, v0, vLast, 1.0);
    return true;
}

double hypotenuse(double a, double b)
{
    const double A = std::fabs(a);
    const double B = std::fabs(b);
    if (a == 0.0)
        return B;
    if (b == 0.0)
        return A;
    if (B < A) {
        const double r = B / A;
        return A * std::sqrt(r * r + 1.0);
    }
    const double r = A / B;
    return B * std::sqrt(r * r + 1.0);
}

} // namespace Spectral
