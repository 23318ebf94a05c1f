#include "model/DataBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// equal extremes such as 0 and -0 the first one; and so are the extents
// taken in by runs of the columns, in order.
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
        // The extents taken in by runs of the columns, in order, as a reader
        // that sees the values go by works them out.
        std::vector<DataBuffer> byRuns;
        for (const std::size_t run :
             {std::size_t(1), std::size_t(3), std::size_t(5), std::size_t(1'000'001)}) {
            DataBuffer& b = byRuns.emplace_back();
            b.X = c.x;
            b.Y = c.y;
            b.xmin = b.xmax = b.ymin = b.ymax = 42;
            DataBuffer::FiniteExtent x, y;
            for (std::size_t at = 0; at < c.x.size(); at += run) {
                x.widen(c.x.data(), at, std::min(at + run, c.x.size()));
                y.widen(c.y.data(), at, std::min(at + run, c.y.size()));
            }
            b.rescale(x, y);
        }
        for (const DataBuffer* b : {&whole, &byRuns[0], &byRuns[1], &byRuns[2], &byRuns[3]}) {
            EXPECT_EQ(b->havexminmax, pointwise.havexminmax) << c.name;
            EXPECT_EQ(b->haveyminmax, pointwise.haveyminmax) << c.name;
            EXPECT_TRUE(sameBits(b->xmin, pointwise.xmin))
                << c.name << ": " << b->xmin << " vs " << pointwise.xmin;
            EXPECT_TRUE(sameBits(b->xmax, pointwise.xmax))
                << c.name << ": " << b->xmax << " vs " << pointwise.xmax;
            EXPECT_TRUE(sameBits(b->ymin, pointwise.ymin))
                << c.name << ": " << b->ymin << " vs " << pointwise.ymin;
            EXPECT_TRUE(sameBits(b->ymax, pointwise.ymax))
                << c.name << ": " << b->ymax << " vs " << pointwise.ymax;
        }
    }
}

} // namespace
