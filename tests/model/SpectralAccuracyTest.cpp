// The transforms are FFTW's (plans kept per length, threads, the window's
// cosines in blocks); their results must equal what the straightforward
// loops below give within single-precision rounding. The bound, for a
// transform of length m: the root mean square of the difference is at most
// 2^-24 * log2(m) times the root mean square of the reference's values, and
// no value lies further than 2^-24 * log2(m) times the reference's largest
// value from its own. A factor, sign or place gone wrong is far outside.

#include "model/Spectral.h"
#include "model/VexaDocument.h"
#include "support/ScriptedQuestions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr double twoPi = 6.283185307179586;

// Stage by stage over the whole array; the twiddle factor of a stage
// advanced by its trigonometric recurrence, one step per butterfly index.
void referenceComplex(std::vector<float>& data, int n, int direction)
{
    float* d = data.data();
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
    for (int span = 2; span <= n; span <<= 1) {
        const int half = span >> 1;
        const double theta = direction * twoPi / span;
        const double s = std::sin(0.5 * theta);
        const double cosStep = -2.0 * s * s, sinStep = std::sin(theta);
        double wr = 1.0, wi = 0.0;
        for (int m = 0; m < half; ++m) {
            for (int g = 0; g < n; g += span) {
                float* lo = d + 2 * (g + m);
                float* hi = lo + 2 * half;
                const double tr = wr * hi[0] - wi * hi[1];
                const double ti = wr * hi[1] + wi * hi[0];
                hi[0] = float(lo[0] - tr);
                hi[1] = float(lo[1] - ti);
                lo[0] = float(lo[0] + tr);
                lo[1] = float(lo[1] + ti);
            }
            const double t = wr;
            wr = wr + (wr * cosStep - wi * sinStep);
            wi = wi + (wi * cosStep + t * sinStep);
        }
    }
}

// The real transform: the complex one of the values in pairs, then pairs k
// and half-k separated, the factor advanced by its recurrence.
void referenceReal(std::vector<float>& data, int half, int direction)
{
    float* d = data.data();
    const int m = 2 * half;
    const double c2 = direction == 1 ? -0.5 : 0.5;
    const double theta = direction * 3.141592653589793 / half;
    if (direction == 1)
        referenceComplex(data, half, 1);
    const double s = std::sin(0.5 * theta);
    const double cosStep = -2.0 * s * s, sinStep = std::sin(theta);
    double wr = 1.0 + cosStep, wi = sinStep;
    for (int k = 1; k < m / 4; ++k) {
        const int i1 = 2 * k, i2 = i1 + 1, i3 = m - i1, i4 = i3 + 1;
        const double h1r = 0.5 * (d[i1] + double(d[i3]));
        const double h1i = 0.5 * (d[i2] - double(d[i4]));
        const double h2r = -c2 * (d[i2] + double(d[i4]));
        const double h2i = c2 * (d[i1] - double(d[i3]));
        d[i1] = float(h1r + wr * h2r - wi * h2i);
        d[i2] = float(h1i + wr * h2i + wi * h2r);
        d[i3] = float(h1r - wr * h2r + wi * h2i);
        d[i4] = float(-h1i + wr * h2i + wi * h2r);
        const double t = wr;
        wr = wr + (wr * cosStep - wi * sinStep);
        wi = wi + (wi * cosStep + t * sinStep);
    }
    const double h0 = d[0];
    if (direction == 1) {
        d[0] = float(h0 + d[1]);
        d[1] = float(h0 - d[1]);
    } else {
        d[0] = float(0.5 * (h0 + d[1]));
        d[1] = float(0.5 * (h0 - d[1]));
        referenceComplex(data, half, -1);
    }
}

// The distance of got from want in units of 2^-24 * log2(m): of the root
// mean square of want for the root mean square of the difference, of the
// largest value of want for the largest difference.
struct Distance {
    double rms = 0, worst = 0;
};
template <class Got, class Want> Distance distance(const Got& got, const Want& want, std::size_t count, int m)
{
    double squares = 0, differences = 0, largest = 0, worst = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double d = double(got[i]) - double(want[i]);
        squares += double(want[i]) * double(want[i]);
        largest = std::max(largest, std::fabs(double(want[i])));
        differences += d * d;
        worst = std::max(worst, std::fabs(d));
    }
    const double unit = std::ldexp(1.0, -24) * std::max(1.0, std::log2(double(m)));
    const auto ratio = [](double a, double b) { return b == 0 ? (a == 0 ? 0.0 : HUGE_VAL) : a / b; };
    return {ratio(std::sqrt(differences / double(count)), unit * std::sqrt(squares / double(count))),
            ratio(worst, unit * largest)};
}

void expectWithinRounding(const Distance& d, const std::string& what)
{
    EXPECT_LE(d.rms, 1.0) << what;
    EXPECT_LE(d.worst, 1.0) << what;
}

TEST(FftAccuracy, TheTransformIsTheStraightforwardLoopsWithinSinglePrecisionRounding)
{
    std::uint64_t state = 42;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return float(double(state >> 11) / double(1ull << 53) - 0.5) * 1000.0f;
    };
    // Below, at and well beyond the block of small stages and the table
    // chunk of large ones.
    for (const int n : {1, 2, 4, 8, 64, 1024, 2048, 4096, 8192, 1 << 15, 1 << 18, 1 << 20}) {
        for (const int direction : {1, -1}) {
            std::vector<float> data(2 * std::size_t(n));
            for (float& v : data)
                v = next();
            data[1] = -0.0f; // signed zeros travel as they always did
            std::vector<float> expected = data;
            referenceComplex(expected, n, direction);
            ASSERT_TRUE(Spectral::fftComplex(data, n, direction));
            expectWithinRounding(distance(data, expected, data.size(), n),
                                 "n = " + std::to_string(n) + ", direction " + std::to_string(direction));
        }
    }
}

TEST(FftAccuracy, RealTransformsTwiceOverAreTheStraightforwardLoopsWithinSinglePrecisionRounding)
{
    // The second round finds the plans of the first kept; arrays with and
    // without the two floats of room take the two roads.
    for (int round = 0; round < 2; ++round)
        for (const int half : {1, 2, 4, 2048, 1 << 15, 1 << 19})
            for (const int direction : {1, -1}) {
                const std::size_t m = 2 * std::size_t(half);
                std::vector<float> data(round == 0 ? m : Spectral::realRoom(int(m)));
                for (std::size_t j = 0; j < m; ++j)
                    data[j] = float(std::sin(0.37 * double(j)) + 1e-3 * double(j % 101));
                std::vector<float> expected(data.begin(), data.begin() + long(m));
                referenceReal(expected, half, direction);
                ASSERT_TRUE(Spectral::fftReal(data, half, direction));
                expectWithinRounding(distance(data, expected, m, int(m)),
                                     "half " + std::to_string(half) + ", direction "
                                         + std::to_string(direction) + ", room "
                                         + std::to_string(data.size() - m));
            }
}

TEST(FftAccuracy, ThreadsMakingPlansAtOnceEachGetTheirTransform)
{
    // Lengths no other test uses, so the threads make their plans together.
    std::vector<std::thread> threads;
    std::vector<Distance> found(8);
    for (std::size_t t = 0; t < found.size(); ++t)
        threads.emplace_back([&found, t] {
            const int half = 3 << (4 + t % 4); // never a power of two: refused
            const int m = 1 << (7 + t);
            std::vector<float> data(Spectral::realRoom(m));
            for (int j = 0; j < m; ++j)
                data[std::size_t(j)] = float(std::cos(0.11 * j * double(t + 1)));
            std::vector<float> expected(data.begin(), data.begin() + m);
            referenceReal(expected, m / 2, 1);
            if (Spectral::fftReal(data, half, 1) || !Spectral::fftReal(data, m / 2, 1))
                found[t] = {HUGE_VAL, HUGE_VAL};
            else
                found[t] = distance(data, expected, std::size_t(m), m);
        });
    for (std::thread& t : threads)
        t.join();
    for (std::size_t t = 0; t < found.size(); ++t)
        expectWithinRounding(found[t], "thread " + std::to_string(t));
}

TEST(FftAccuracy, SpectrumOfADocumentIsWeighingTransformingAndMagnitudesInTurnWithinSinglePrecisionRounding)
{
    const double inf = HUGE_VAL, nan = std::nan("");
    // Magnitudes: zeros of either sign, equal parts, huge and tiny, not finite.
    const std::vector<float> packed
        = {0.0f,  0.0f,        -0.0f,      3.0f,  4.0f,   -0.0f,      3.0f,       4.0f,
           -5.0f, -5.0f,       1e38f,      1e38f, 1e-45f, 2e-45f,     float(inf), 1.0f,
           1.0f,  float(-inf), float(nan), 0.0f,  2.0f,   float(nan), 0.5f,       -7.25f};
    const std::size_t count = packed.size() / 2;
    std::vector<double> fast(count);
    Spectral::magnitudes(packed.data(), count, fast.data());
    for (std::size_t k = 0; k < count; ++k) {
        const double slow = Spectral::hypotenuse(packed[2 * k], packed[2 * k + 1]);
        EXPECT_EQ(std::memcmp(&slow, &fast[k], sizeof(double)), 0) << k << ": " << slow << " " << fast[k];
    }

    for (const int n : {5, 4097, 300000}) {
        VexaDocument doc;
        ScriptedQuestions questions; // evenly spaced: never asked
        auto b = std::make_unique<DataBuffer>();
        for (int i = 0; i < n; ++i)
            b->addDoubleValue(i, std::sin(0.01 * i) + 0.3 * std::sin(1.7 * i) + 1e-4 * (i % 97));
        doc.DB.push_back(std::move(b));
        const DataBuffer& source = *doc.DB[0];
        for (const int window : {int(FFTNone), int(FFTHanning), int(FFTWelch), int(FFTParzen)}) {
            std::vector<float> work(std::size_t(Spectral::spectrumLength(n)));
            for (int i = 0; i < n; ++i)
                work[std::size_t(i)] = float(Spectral::windowWeight(window, i, n) * source.Y[std::size_t(i)]);
            const double v0 = work[0], vLast = work[std::size_t(n - 1)];
            for (int j = 0; j < n; ++j)
                work[std::size_t(j)]
                    = float(double(work[std::size_t(j)])
                            + -1.0 * (double(j) * vLast + double(n - 1 - j) * v0) / double(n - 1));
            referenceReal(work, int(work.size() / 2), 1);
            doc.doFFT(0, window, questions);
            const DataBuffer& spectrum = *doc.DB.back();
            ASSERT_EQ(spectrum.Y.size(), work.size() / 2);
            std::vector<double> expected(work.size() / 2);
            bool xs = true;
            for (std::size_t k = 0; k < expected.size(); ++k) {
                expected[k] = Spectral::hypotenuse(work[2 * k], work[2 * k + 1]);
                xs = xs && spectrum.X[k] == 0.5 * double(k + 1);
            }
            EXPECT_TRUE(xs) << "n " << n << ", window " << window;
            expectWithinRounding(distance(spectrum.Y.data(), expected, expected.size(), int(work.size())),
                                 "n " + std::to_string(n) + ", window " + std::to_string(window));
            doc.DB.pop_back();
        }
    }
}

} // namespace
