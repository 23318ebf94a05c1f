#include "model/DataBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The extents of a whole column (computed in parts for a long one) are those
// that adding the points one by one gives: finite values only, and among
// equal extremes such as 0 and -0 the first one.
TEST(DataBufferExtents, RescaleAgreesWithAddingPointByPoint)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<double> x, y;
    };
    std::vector<Case> cases = {
        {"zeros, negative first", {-0.0, 0.0, 0.0, -0.0}, {0.0, -0.0, -0.0, 0.0}},
        {"not finite around", {nan, inf, 3, -inf, 2, nan}, {-inf, 1, nan, 5, inf, 4}},
        {"nothing finite", {nan, inf}, {-inf, nan}},
        {"one point", {7}, {-7}},
        // Zeros in other places of a group of four than the first zero.
        {"zeros apart", {3, 1, 0.0, 2, 5, -0.0, 7, -0.0, 1}, {-4, -0.0, -1, 0.0, -2, -3, nan, 0.0, -5}},
    };
    // Long columns, split among threads, with the extremes and the zeros in
    // different parts.
    Case longOne{"long", std::vector<double>(3'000'000), std::vector<double>(3'000'000)};
    std::uint64_t state = 99;
    for (std::size_t i = 0; i < longOne.x.size(); ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double u = double(state >> 11) / double(1ull << 53);
        longOne.x[i] = i % 1000 == 7 ? nan : u - 0.5;
        longOne.y[i] = i % 777 == 3 ? inf : -u;
    }
    longOne.y[2'500'000] = 0.0; // the largest y, after a -0 in an earlier part
    longOne.y[100] = -0.0;
    longOne.x[2'999'999] = 1e300;
    cases.push_back(longOne);

    for (const Case& c : cases) {
        DataBuffer pointwise;
        pointwise.xmin = pointwise.xmax = pointwise.ymin = pointwise.ymax = 42;
        for (std::size_t i = 0; i < c.x.size(); ++i)
            pointwise.addDoubleValue(c.x[i], c.y[i]);
        DataBuffer whole;
        whole.X = c.x;
        whole.Y = c.y;
        whole.xmin = whole.xmax = whole.ymin = whole.ymax = 42; // kept where nothing is finite
        whole.rescale();
        EXPECT_EQ(whole.havexminmax, pointwise.havexminmax) << c.name;
        EXPECT_EQ(whole.haveyminmax, pointwise.haveyminmax) << c.name;
        EXPECT_TRUE(sameBits(whole.xmin, pointwise.xmin))
            << c.name << ": " << whole.xmin << " vs " << pointwise.xmin;
        EXPECT_TRUE(sameBits(whole.xmax, pointwise.xmax))
            << c.name << ": " << whole.xmax << " vs " << pointwise.xmax;
        EXPECT_TRUE(sameBits(whole.ymin, pointwise.ymin))
            << c.name << ": " << whole.ymin << " vs " << pointwise.ymin;
        EXPECT_TRUE(sameBits(whole.ymax, pointwise.ymax))
            << c.name << ": " << whole.ymax << " vs " << pointwise.ymax;
    }
}

} // namespace
