#include "model/Spectral.h"

#include "platform/VectorState.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

    // Bit-reversal permutation of the complex values.
    for (int i = 0, j = 0; i < n; ++i) {
        if (j > i) {
            std::swap(d[2 * j], d[2 * i]);
            std::swap(d[2 * j + 1], d[2 * i + 1]);
        }
        int bit = n >> 1;
        while (bit >= 1 && (j & bit)) {
            j ^= bit;
            bit >>= 1;
        }
        j |= bit;
    }

    // Butterflies, decimation in time, for spans of 2, 4, ... n values. Every
    // block of a span uses the same twiddle sequence, so one step of the
    // recurrence serves a group of blocks: that hides the recurrence's
    // latency, and groups small enough to stay in cache (or a few sequential
    // streams for long spans) keep memory traffic to one pass per stage.
    for (int span = 2; span <= n; span <<= 1) {
        const int half = span >> 1;
        const int blocks = n / span;
        const int group = std::min(blocks, std::max(4, 4096 / span));
        for (int first = 0; first < blocks; first += group) {
            Twiddle w(direction * twoPi / span, false);
            float* const base = d + 2 * std::size_t(first) * std::size_t(span);
            for (int m = 0; m < half; ++m) {
                const double wr = w.wr, wi = w.wi;
                for (int g = 0; g < group; ++g) {
                    float* lo = base + 2 * (std::size_t(g) * std::size_t(span) + std::size_t(m));
                    float* hi = lo + 2 * std::size_t(half);
                    const double tr = wr * hi[0] - wi * hi[1];
                    const double ti = wr * hi[1] + wi * hi[0];
                    hi[0] = float(lo[0] - tr);
                    hi[1] = float(lo[1] - ti);
                    lo[0] = float(lo[0] + tr);
                    lo[1] = float(lo[1] + ti);
                }
                w.advance();
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
