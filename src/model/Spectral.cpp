#include "model/Spectral.h"

#include "platform/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

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
    Complex first[side * side], second[side * side];
    unsigned revQ[side];
    for (int i = 0; i < side; ++i)
        revQ[i] = reverseBits(unsigned(i), q);
    const auto at = [&](unsigned a, unsigned b, unsigned c) {
        return (std::size_t(a) << (m + q)) | (std::size_t(b) << q) | c;
    };
    for (unsigned b = 0; b < (1u << m); ++b) {
        const unsigned rb = reverseBits(b, m);
        if (rb < b)
            continue;
        for (unsigned a = 0; a < side; ++a)
            for (unsigned c = 0; c < side; ++c) {
                first[a * side + c] = v[at(a, b, c)];
                second[a * side + c] = v[at(a, rb, c)];
            }
        // The value now at (x, rb, y) was at (rev y, b, rev x), and the other
        // way round.
        for (unsigned x = 0; x < side; ++x)
            for (unsigned y = 0; y < side; ++y) {
                v[at(x, rb, y)] = first[revQ[y] * side + revQ[x]];
                v[at(x, b, y)] = second[revQ[y] * side + revQ[x]];
            }
    }
}

// Removes (sign -1) or restores (sign +1) the straight line through v0 and vLast.
void applyLine(std::span<float> v, int n, double v0, double vLast, double sign)
{
    const double span = double(n - 1);
    for (int j = 0; j < n; ++j)
        v[std::size_t(j)] = float(double(v[std::size_t(j)])
                                  + sign * (double(j) * vLast + double(n - 1 - j) * v0) / span);
}

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

    // Butterflies, decimation in time, for spans of 2, 4, ... n values. Each
    // stage's twiddle factors come from its own recurrence, tabulated as
    // they are needed. Stages whose spans fit a cache-sized block run block
    // by block (a butterfly only ever mixes values of its own span, so the
    // order of blocks and stages among them changes nothing); the larger
    // stages make one pass each over the array.
    constexpr int kBlock = 2048;
    const int block = std::min(n, kBlock);
    double small[2 * kBlock]; // the small stages' tables: half h at 2 * (h - 1)
    for (int half = 1; 2 * half <= block; half <<= 1)
        stageTwiddles(half, direction, small + 2 * (half - 1));
    for (int first = 0; first < n; first += block)
        for (int half = 1; 2 * half <= block; half <<= 1)
            for (int g = first; g < first + block; g += 2 * half)
                butterflies(d + 2 * std::size_t(g), d + 2 * std::size_t(g + half), small + 2 * (half - 1),
                            half);

    constexpr int kChunk = 512; // table entries of a large stage at a time
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
    double theta = pi / half;
    if (direction == 1)
        fftComplex(data, half, 1);
    else
        theta = -theta;

    // The complex transform of the values taken in pairs mixes the spectra of
    // the even and the odd samples; pairs k and half-k separate them. The
    // middle pair k = half/2 needs nothing.
    Twiddle w(theta, true);
    for (int k = 1; k < m / 4; ++k) {
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
    const int m = spectrumLength(n);
    if (m == 0 || n < 0 || data.size() < std::size_t(m))
        return 0;
    if (n > 0)
        applyLine(data, n, data[0], data[std::size_t(n - 1)], -1.0);
    for (int j = n; j < m; ++j)
        data[std::size_t(j)] = 0.0f;
    fftReal(data, m / 2, 1);
    return m;
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
