#include "model/Spectral.h"

#include "platform/HugePages.h"
#include "platform/ParallelRanges.h"
#include "platform/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Spectral {

namespace {

constexpr double twoPi = 6.283185307179586;
constexpr double pi = 3.141592653589793;

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// The twiddle factor of one stage, advanced by the trigonometric recurrence:
// one sine pair per stage instead of a sine and cosine per butterfly.
struct Twiddle {
    double wr, wi, cosStep, sinStep;   // cosStep = cos(theta) - 1
    // Starts at 1, or at exp(i*theta) when startAtOne.
    Twiddle(double theta, bool startAtOne)
    {
        const double s = std::sin(0.5 * theta);
        cosStep = -2.0 * s * s;
        sinStep = std::sin(theta);
        wr = startAtOne ? 1.0 + cosStep : 1.0;
        wi = startAtOne ? sinStep : 0.0;
    }
    void advance()
    {
        const double t = wr;
        wr = wr + (wr * cosStep - wi * sinStep);
        wi = wi + (wi * cosStep + t * sinStep);
    }
};

// Tables of one stage's twiddle factors: entry m is the factor after m steps
// of the stage's recurrence, the very values the butterflies always used.
void stageTwiddles(int half, int direction, double* table)
{
    Twiddle w(direction * twoPi / (2 * half), false);
    for (int m = 0; m < half; ++m) {
        table[2 * m] = w.wr;
        table[2 * m + 1] = w.wi;
        w.advance();
    }
}

// The butterflies of one block of a stage, for m in [0, half): lo = block
// start, hi = lo + half. Each in double, rounded to float, as always.
void butterfliesScalar(float* lo, float* hi, const double* w, int from, int half)
{
    for (int m = from; m < half; ++m) {
        const double wr = w[2 * m], wi = w[2 * m + 1];
        float* l = lo + 2 * m;
        float* h = hi + 2 * m;
        const double tr = wr * h[0] - wi * h[1];
        const double ti = wr * h[1] + wi * h[0];
        h[0] = float(l[0] - tr);
        h[1] = float(l[1] - ti);
        l[0] = float(l[0] + tr);
        l[1] = float(l[1] + ti);
    }
}

#if defined(__x86_64__)
// The same butterflies two at a time: the same products, sums and
// roundings in the same order, so the same bits (no fused multiply-add).
__attribute__((target("avx2"))) void butterfliesAvx2(float* lo, float* hi, const double* w, int half)
{
    int m = 0;
    for (; m + 2 <= half; m += 2) {
        const __m256d wv = _mm256_loadu_pd(w + 2 * m); // wr0 wi0 wr1 wi1
        const __m256d wr = _mm256_movedup_pd(wv); // wr0 wr0 wr1 wr1
        const __m256d wi = _mm256_permute_pd(wv, 0xF); // wi0 wi0 wi1 wi1
        const __m256d h = _mm256_cvtps_pd(_mm_loadu_ps(hi + 2 * m));
        const __m256d l = _mm256_cvtps_pd(_mm_loadu_ps(lo + 2 * m));
        const __m256d swapped = _mm256_permute_pd(h, 0x5); // im re im re
        // wr*re - wi*im, wr*im + wi*re
        const __m256d t = _mm256_addsub_pd(_mm256_mul_pd(wr, h), _mm256_mul_pd(wi, swapped));
        _mm_storeu_ps(hi + 2 * m, _mm256_cvtpd_ps(_mm256_sub_pd(l, t)));
        _mm_storeu_ps(lo + 2 * m, _mm256_cvtpd_ps(_mm256_add_pd(l, t)));
    }
    _mm256_zeroupper();
    butterfliesScalar(lo, hi, w, m, half);
}

const bool hasAvx2 = __builtin_cpu_supports("avx2");
#else
constexpr bool hasAvx2 = false;
#endif

void butterflies(float* lo, float* hi, const double* w, int half)
{
#if defined(__x86_64__)
    if (hasAvx2 && half >= 2) {
        butterfliesAvx2(lo, hi, w, half);
        return;
    }
#endif
    butterfliesScalar(lo, hi, w, 0, half);
}

unsigned reverseBits(unsigned x, int bits)
{
    unsigned r = 0;
    for (int i = 0; i < bits; ++i, x >>= 1)
        r = (r << 1) | (x & 1u);
    return r;
}

// Puts complex value i at the bit-reversed place of i. Long arrays go in
// blocks: with an index made of a high part a, a middle part b and a low part
// c of q bits each side, value (a, b, c) goes to (rev c, rev b, rev a), so
// the 2^2q values of middle b all land among those of middle rev b. Both
// blocks are read whole into a small buffer and written back transposed,
// instead of a cache miss per value.
void bitReverse(float* d, int n)
{
    int bits = 0;
    while ((1 << bits) < n)
        ++bits;
    constexpr int q = 5, side = 1 << q;
    struct Complex {
        float re, im;
    };
    auto* v = reinterpret_cast<Complex*>(d);
    if (bits < 2 * q) {
        for (int i = 0; i < n; ++i) {
            const int j = int(reverseBits(unsigned(i), bits));
            if (j > i)
                std::swap(v[i], v[j]);
        }
        return;
    }
    const int m = bits - 2 * q;
    unsigned revQ[side];
    for (int i = 0; i < side; ++i)
        revQ[i] = reverseBits(unsigned(i), q);
    const auto at = [&](unsigned a, unsigned b, unsigned c) {
        return (std::size_t(a) << (m + q)) | (std::size_t(b) << q) | c;
    };
    // Each pair of middles (b, rev b) is swapped by the smaller one alone,
    // so ranges of middles can go to different threads.
    ParallelRanges::run(std::size_t(1) << m, 64, [&](std::size_t from, std::size_t to) {
        Complex first[side * side], second[side * side];
        for (unsigned b = unsigned(from); b < unsigned(to); ++b) {
            const unsigned rb = reverseBits(b, m);
            if (rb < b)
                continue;
            for (unsigned a = 0; a < side; ++a)
                for (unsigned c = 0; c < side; ++c) {
                    first[a * side + c] = v[at(a, b, c)];
                    second[a * side + c] = v[at(a, rb, c)];
                }
            // The value now at (x, rb, y) was at (rev y, b, rev x), and the
            // other way round.
            for (unsigned x = 0; x < side; ++x)
                for (unsigned y = 0; y < side; ++y) {
                    v[at(x, rb, y)] = first[revQ[y] * side + revQ[x]];
                    v[at(x, b, y)] = second[revQ[y] * side + revQ[x]];
                }
        }
    });
}

constexpr int kBlock = 2048; // complex values of a block of small stages
constexpr int kColumns = 16; // columns taken through the large stages at once
constexpr int kMaxTabulated = 1 << 22; // longest transform with whole stage tables

// The stages of half block, 2 block, ... n/2 once the blocks are done. Seen
// as a matrix of n / block rows of block values, these stages mix values of
// one column only (a row and the row half / block further down), so a few
// neighbouring columns are copied out, taken through all the large stages
// in cache and copied back, the groups of columns spread over threads. The
// tables hold every factor of every large stage, from each stage's own
// recurrence; half h starts at 2 * (h - block).
void largeStagesInColumns(float* d, int n, int block, const double* tables)
{
    const int rows = n / block;
    const std::size_t rowFloats = 2 * kColumns;
    ParallelRanges::run(std::size_t(block / kColumns), 4, [&](std::size_t from, std::size_t to) {
        std::vector<float> local(rowFloats * std::size_t(rows));
        float* c = local.data();
        for (std::size_t group = from; group < to; ++group) {
            const std::size_t column = group * kColumns;
            for (int j = 0; j < rows; ++j)
                std::memcpy(c + rowFloats * j, d + 2 * (std::size_t(j) * block + column),
                            rowFloats * sizeof(float));
            for (int h = 1; h < rows; h <<= 1) {
                const double* w = tables + 2 * (std::size_t(h) * block - block) + 2 * column;
                for (int j0 = 0; j0 < rows; j0 += 2 * h)
                    for (int j = 0; j < h; ++j)
                        butterflies(c + rowFloats * (j0 + j), c + rowFloats * (j0 + j + h),
                                    w + 2 * std::size_t(j) * block, kColumns);
            }
            for (int j = 0; j < rows; ++j)
                std::memcpy(d + 2 * (std::size_t(j) * block + column), c + rowFloats * j,
                            rowFloats * sizeof(float));
        }
    });
}

// What a transform of one length and direction needs beyond the data: the
// tables of its large stages, or the recurrence's state at the start of
// each range of the real transform's pairs. Both cost a long serial run of a
// recurrence, so the last ones made are kept for the next transform of that
// length (the spectra of many buffers of one length); long ones are not
// kept, and a failed allocation leaves the caller to do without.
struct Factors {
    int length = 0, direction = 0;
    HugePages::Array<double> tables;
    std::vector<Twiddle> starts;
};

constexpr int kMaxKept = 1 << 20;

template <class Make>
std::shared_ptr<const Factors> keptFactors(int slot, int length, int direction, const Make& make)
{
    static std::mutex lock;
    static std::shared_ptr<const Factors> kept[4];
    {
        std::lock_guard<std::mutex> g(lock);
        const auto& k = kept[slot];
        if (k && k->length == length && k->direction == direction)
            return k;
    }
    std::shared_ptr<Factors> made;
    try {
        made = std::make_shared<Factors>();
        made->length = length;
        made->direction = direction;
        make(*made);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (length <= kMaxKept) {
        std::lock_guard<std::mutex> g(lock);
        kept[slot] = made;
    }
    return made;
}

// Tables of the large stages of a transform of n: half h at 2 * (h - block),
// the stages made side by side.
std::shared_ptr<const Factors> stageTables(int n, int block, int direction)
{
    return keptFactors(direction > 0 ? 0 : 1, n, direction, [&](Factors& f) {
        f.tables = HugePages::makeArray<double>(2 * std::size_t(n - block));
        std::vector<int> halves;
        for (int half = block; half < n; half <<= 1)
            halves.push_back(half);
        ParallelRanges::run(halves.size(), 1, [&](std::size_t from, std::size_t to) {
            for (std::size_t s = from; s < to; ++s)
                stageTwiddles(halves[s], direction, f.tables.get() + 2 * std::size_t(halves[s] - block));
        });
    });
}

// The large stages one pass over the array each, their factors made a
// chunk at a time: for transforms too long for whole tables.
void largeStagesByPass(float* d, int n, int block, int direction)
{
    constexpr int kChunk = 512;
    double chunk[2 * kChunk];
    for (int half = block; half < n; half <<= 1) {
        Twiddle w(direction * twoPi / (2 * half), false);
        for (int m0 = 0; m0 < half; m0 += kChunk) {
            const int count = std::min(kChunk, half - m0);
            for (int m = 0; m < count; ++m) {
                chunk[2 * m] = w.wr;
                chunk[2 * m + 1] = w.wi;
                w.advance();
            }
            for (int g = 0; g < n; g += 2 * half) {
                float* lo = d + 2 * (std::size_t(g) + std::size_t(m0));
                butterflies(lo, lo + 2 * std::size_t(half), chunk, count);
            }
        }
    }
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

// The spectrum's working array from n values, value(j) giving point j as a
// float: the line through the first and last removed, zeros up to the
// working length, transformed forward. Long arrays on several threads;
// value(j) may read the array at j, which nothing else writes before.
template <class Value> int prepareSpectrum(std::span<float> data, int n, const Value& value)
{
    const int m = spectrumLength(n);
    if (m == 0 || n < 0 || data.size() < std::size_t(m))
        return 0;
    const double v0 = n > 0 ? double(value(0)) : 0.0;
    const double vLast = n > 0 ? double(value(n - 1)) : 0.0;
    ParallelRanges::run(std::size_t(m), 65536, [&](std::size_t from, std::size_t to) {
        VectorState::clearUpper();
        const int end = int(std::min(to, std::size_t(std::max(n, 0))));
        int j = int(from);
        for (; j < end; ++j)
            data[std::size_t(j)] = lineApplied(double(value(j)), j, n, v0, vLast, -1.0);
        for (; j < int(to); ++j)
            data[std::size_t(j)] = 0.0f;
    });
    fftReal(data, m / 2, 1);
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
    float* d = data.data();

    bitReverse(d, n);

    // Butterflies, decimation in time, for spans of 2, 4, ... n values. A
    // butterfly only ever mixes values of its own span, so blocks and stages
    // may run in any order that keeps each value's stages in turn: the
    // stages whose spans fit a cache-sized block run block by block, the
    // blocks spread over threads; the larger ones follow.
    const int block = std::min(n, kBlock);
    double small[2 * kBlock]; // the small stages' tables: half h at 2 * (h - 1)
    for (int half = 1; 2 * half <= block; half <<= 1)
        stageTwiddles(half, direction, small + 2 * (half - 1));
    ParallelRanges::run(std::size_t(n / block), 16, [&](std::size_t from, std::size_t to) {
        for (std::size_t b = from; b < to; ++b) {
            float* first = d + 2 * b * std::size_t(block);
            for (int half = 1; 2 * half <= block; half <<= 1)
                for (int g = 0; g < block; g += 2 * half)
                    butterflies(first + 2 * g, first + 2 * (g + half), small + 2 * (half - 1), half);
        }
    });
    if (n == block)
        return true;

    const auto factors = n <= kMaxTabulated ? stageTables(n, block, direction) : nullptr;
    if (factors)
        largeStagesInColumns(d, n, block, factors->tables.get());
    else
        largeStagesByPass(d, n, block, direction);
    return true;
}

bool fftReal(std::span<float> data, int half, int direction)
{
    if (!isPowerOfTwo(half) || data.size() < 2 * std::size_t(half))
        return false;
    VectorState::clearUpper();
    float* d = data.data();
    const int m = 2 * half;
    const double c1 = 0.5;
    const double c2 = direction == 1 ? -0.5 : 0.5;
    const double theta = direction == 1 ? pi / half : -(pi / half);

    // The complex transform of the values taken in pairs mixes the spectra of
    // the even and the odd samples; pairs k and half-k separate them. The
    // middle pair k = half/2 needs nothing. Pairs are independent: ranges of
    // k go to threads, each starting from the recurrence's state at its
    // first k, found by one run of the recurrence alone.
    constexpr int kPairsPerRange = 16384;
    const int pairs = m / 4 - 1;
    const auto factors = keptFactors(direction > 0 ? 2 : 3, half, direction, [&](Factors& f) {
        for (Twiddle w(theta, true); int(f.starts.size()) * kPairsPerRange < pairs;) {
            f.starts.push_back(w);
            if (int(f.starts.size()) * kPairsPerRange < pairs)
                for (int k = 0; k < kPairsPerRange; ++k)
                    w.advance();
        }
    });
    if (!factors)
        return false;
    const std::vector<Twiddle>& starts = factors->starts;
    if (direction == 1)
        fftComplex(data, half, 1);
    ParallelRanges::run(starts.size(), 1, [&](std::size_t from, std::size_t to) {
        for (std::size_t r = from; r < to; ++r) {
            Twiddle w = starts[r];
            const int first = 1 + int(r) * kPairsPerRange;
            const int last = std::min(m / 4, first + kPairsPerRange);
            for (int k = first; k < last; ++k) {
                const int i1 = 2 * k, i2 = i1 + 1, i3 = m - i1, i4 = i3 + 1;
                const double h1r = c1 * (d[i1] + double(d[i3]));
                const double h1i = c1 * (d[i2] - double(d[i4]));
                const double h2r = -c2 * (d[i2] + double(d[i4]));
                const double h2i = c2 * (d[i1] - double(d[i3]));
                d[i1] = float(h1r + w.wr * h2r - w.wi * h2i);
                d[i2] = float(h1i + w.wr * h2i + w.wi * h2r);
                d[i3] = float(h1r - w.wr * h2r + w.wi * h2i);
                d[i4] = float(-h1i + w.wr * h2i + w.wi * h2r);
                w.advance();
            }
        }
    });

    const double h0 = d[0];
    if (direction == 1) {
        d[0] = float(h0 + d[1]);
        d[1] = float(h0 - d[1]);
    } else {
        d[0] = float(c1 * (h0 + d[1]));
        d[1] = float(c1 * (h0 - d[1]));
        fftComplex(data, half, -1);
    }
    return true;
}

int paddedLength(double needed)
{
    if (!(needed <= double(maxLength)))   // also refuses NaN
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
    return prepareSpectrum(data, n, [&](int j) { return data[std::size_t(j)]; });
}

int fftSpectrum(std::span<const double> y, int window, std::span<float> data)
{
    const int n = int(std::min<std::size_t>(y.size(), std::size_t(maxLength)));
    return prepareSpectrum(data, n,
                           [&](int j) { return float(windowWeight(window, j, n) * y[std::size_t(j)]); });
}

void magnitudes(const float* packed, std::size_t count, double* out)
{
    std::size_t k = 0;
#if defined(__x86_64__)
    if (hasAvx2)
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
