// The transform's loops were reordered for speed (tabulated twiddles, blocks
// of small stages in cache, vector butterflies); its results must stay the
// bits the straightforward loops give. The reference below is those loops.

#include "model/Spectral.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
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

TEST(FftBits, TheTransformGivesTheBitsOfTheStraightforwardLoops)
{
    std::uint64_t state = 42;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return float(double(state >> 11) / double(1ull << 53) - 0.5) * 1000.0f;
    };
    // Below, at and well beyond the block of small stages and the table
    // chunk of large ones.
    for (const int n : {1, 2, 4, 8, 64, 1024, 2048, 4096, 8192, 1 << 15, 1 << 18}) {
        for (const int direction : {1, -1}) {
            std::vector<float> data(2 * std::size_t(n));
            for (float& v : data)
                v = next();
            data[1] = -0.0f; // signed zeros travel as they always did
            std::vector<float> expected = data;
            referenceComplex(expected, n, direction);
            ASSERT_TRUE(Spectral::fftComplex(data, n, direction));
            EXPECT_EQ(std::memcmp(data.data(), expected.data(), data.size() * sizeof(float)), 0)
                << "n = " << n << ", direction " << direction;
        }
    }
}

} // namespace
