#include "model/Axis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

std::string show(const std::vector<double>& v)
{
    std::string s;
    for (double x : v)
        s += std::to_string(x) + " ";
    return s;
}

void expectValues(const std::vector<double>& actual, const std::vector<double>& expected,
                  const std::string& what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what << ": " << show(actual);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-9 * std::max(1.0, std::fabs(expected[i])))
            << what << " [" << i << "]";
}

std::vector<double> range(double from, double to, double by, const std::vector<double>& skip = {})
{
    std::vector<double> v;
    for (int i = 0; from + i * by <= to + by * 1e-9; ++i) {
        const double x = from + i * by;
        bool skipped = false;
        for (double s : skip)
            skipped = skipped || std::fabs(s - x) < 1e-9;
        if (!skipped)
            v.push_back(x);
    }
    return v;
}

Axis linear(double a, double b, const char* lo = "", const char* hi = "", const char* step = "",
            const char* minor = "", const char* origin = "")
{
    Axis axis;
    axis.initWithRange(a, b, QString::fromLatin1(lo), QString::fromLatin1(hi), QString::fromLatin1(step),
                       QString::fromLatin1(minor), QString::fromLatin1(origin));
    return axis;
}

Axis logarithmic(double a, double b, const char* lo = "", const char* hi = "", const char* step = "",
                 const char* minor = "")
{
    Axis axis;
    axis.initForLogWithRange(a, b, QString::fromLatin1(lo), QString::fromLatin1(hi),
                             QString::fromLatin1(step), QString::fromLatin1(minor));
    return axis;
}

// --- linear ------------------------------------------------------------------

struct LinearCase {
    const char* name;
    double a, b;
    const char *lo, *hi, *step, *minor, *origin;
    double expectedStep;
    double expectedMintick;
    std::vector<double> majors;
    std::vector<double> minors;
};

TEST(AxisLinear, TickTables)
{
    const LinearCase cases[] = {
        {"0..10 automatic", 0, 10, "", "", "", "", "", 2, 4, range(0, 10, 2),
         range(0.5, 9.5, 0.5, {2, 4, 6, 8})},
        {"reversed range gives the same ticks", 10, 0, "", "", "", "", "", 2, 4, range(0, 10, 2),
         range(0.5, 9.5, 0.5, {2, 4, 6, 8})},
        {"-7..13 steps by 5",
         -7,
         13,
         "",
         "",
         "",
         "",
         "",
         5,
         5,
         {-5, 0, 5, 10},
         range(-7, 13, 1, {-5, 0, 5, 10})},
        {"0..3 steps by 0.5", 0, 3, "", "", "", "", "", 0.5, 5, range(0, 3, 0.5), {}},
        {"start and end texts bound the labelled values",
         0,
         10,
         "2",
         "6",
         "",
         "",
         "",
         2,
         4,
         {2, 4, 6},
         range(2.5, 5.5, 0.5, {4})},
        {"step and minor count from text, comma as decimal mark", 0, 4, "", "", "0,5", "2", "", 0.5, 2,
         range(0, 4, 0.5), range(0.25, 3.75, 0.5)},
        {"a step of 0.1 gives 101 majors", 0, 10, "", "", "0.1", "1", "", 0.1, 1, range(0, 10, 0.1), {}},
        {"origin shifts the grid", 0, 10, "", "", "", "0", "1.3", 2, 0, {1.3, 3.3, 5.3, 7.3, 9.3}, {}},
        {"origin below the range starts the walk there",
         0,
         10,
         "",
         "",
         "",
         "0",
         "-3",
         2,
         0,
         {1, 3, 5, 7, 9},
         {}},
        {"origin beyond a hundred ranges is ignored",
         0,
         10,
         "",
         "",
         "",
         "0",
         "1010.5",
         2,
         0,
         range(0, 10, 2),
         {}},
        {"minor count 1 gives no minors", 0, 10, "", "", "", "1", "", 2, 1, range(0, 10, 2), {}},
        {"minor count 0 gives no minors", 0, 10, "", "", "", "0", "", 2, 0, range(0, 10, 2), {}},
        {"minor count is its leading integer, no exponent",
         0,
         10,
         "",
         "",
         "",
         "1e1",
         "",
         2,
         1,
         range(0, 10, 2),
         {}},
    };
    for (const auto& c : cases) {
        const Axis axis = linear(c.a, c.b, c.lo, c.hi, c.step, c.minor, c.origin);
        EXPECT_DOUBLE_EQ(axis.step, c.expectedStep) << c.name;
        EXPECT_EQ(axis.mintick, c.expectedMintick) << c.name;
        expectValues(axis.A, c.majors, std::string(c.name) + " majors");
        if (c.minors.empty() && c.expectedMintick > 1)
            continue; // minors not listed for this case
        expectValues(axis.MA, c.minors, std::string(c.name) + " minors");
    }
}

TEST(AxisLinear, MajorAtZeroIsExactlyZero)
{
    const Axis axis = linear(0, 1);
    EXPECT_DOUBLE_EQ(axis.step, 0.2);
    ASSERT_FALSE(axis.A.empty());
    EXPECT_EQ(axis.A.front(), 0.0); // not a residue such as 5.5e-17
    EXPECT_EQ(axis.A.size(), 6u);

    const Axis crossing = linear(-0.7, 0.7);
    bool hasZero = false;
    for (double v : crossing.A)
        hasZero = hasZero || v == 0.0;
    EXPECT_TRUE(hasZero) << show(crossing.A);
}

TEST(AxisLinear, FieldsOfTheRange)
{
    const Axis axis = linear(3, -20);
    EXPECT_EQ(axis.min, -20);
    EXPECT_EQ(axis.max, 3);
    EXPECT_EQ(axis.fmin, 3);
    EXPECT_EQ(axis.fmax, 20);
    EXPECT_EQ(axis.dxy, 4);
    EXPECT_EQ(axis.expo, 0); // floor(log10(8.5))
    EXPECT_TRUE(axis.format.isEmpty());
    EXPECT_EQ(axis.lmo, 0);
}

TEST(AxisLinear, PresetStepReplacesTheAutomaticOne)
{
    Axis axis;
    axis.dx = 2.5;
    axis.initWithRange(0, 10, "", "", "", "1", "");
    expectValues(axis.A, range(0, 10, 2.5), "preset step");
}

// Walks that would be too long, never end or never start give no ticks, and
// every one of them returns.
TEST(AxisLinear, ImpossibleSettingsGiveNoTicks)
{
    struct Case {
        const char* name;
        double a, b;
        const char* step;
        const char* minor;
        const char* origin;
    } cases[] = {
        {"equal ends", 5, 5, "", "", ""},
        {"step limit: 203 widened steps", 0, 10, "0.05", "", ""},
        {"zero step", 0, 10, "0", "", ""},
        {"negative step", 0, 10, "-1", "", ""},
        {"unreadable step reads 0", 0, 10, "abc", "", ""},
        {"tiny step", 0, 10, "1e-300", "", ""},
        {"infinite step", 0, 10, "Inf", "", ""},
        {"not-a-number step", 0, 10, "NaN", "", ""},
        {"NaN range end", nan, 10, "", "", ""},
        {"infinite range end", 0, inf, "", "", ""},
        {"both ends infinite", -inf, inf, "", "", ""},
        {"range wider than the doubles", -1.7e308, 1.7e308, "", "", ""},
        {"sub-step range far from zero", 1e18, 1e18 + 4096, "", "", ""},
        {"huge minor count on a tiny step", 0, 10, "1e-300", "1e9", ""},
        {"NaN origin with NaN step", 0, 10, "NaN", "", "NaN"},
    };
    for (const auto& c : cases) {
        const Axis axis = linear(c.a, c.b, "", "", c.step, c.minor, c.origin);
        EXPECT_TRUE(axis.A.empty()) << c.name << ": " << show(axis.A);
        EXPECT_TRUE(axis.MA.empty()) << c.name;
    }

    Axis negative;
    negative.dx = -2;
    negative.initWithRange(0, 10, "", "", "", "", "");
    EXPECT_TRUE(negative.A.empty());
}

TEST(AxisLinear, BoundedWalksStillEnd)
{
    // The origin just inside its window walks a hundred ranges; the walk is
    // long but finite and labels only the visible range.
    const Axis far = linear(0, 10, "", "", "0.06", "1", "-995");
    EXPECT_FALSE(far.A.empty());
    for (double v : far.A) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 10);
    }

    // A minor count far above any sensible one is held at the limit.
    const Axis dense = linear(0, 10, "", "", "", "5000", "");
    EXPECT_EQ(dense.mintick, Axis::maxMinorCount);
    EXPECT_LE(dense.MA.size(), size_t(8 * Axis::maxMinorCount));

    // Absolute times in seconds with a sub-second step still get ticks.
    const double t0 = 6.5e8;
    const Axis times = linear(t0, t0 + 1);
    EXPECT_DOUBLE_EQ(times.step, 0.2);
    EXPECT_GE(times.A.size(), 5u);
    EXPECT_LE(times.A.size(), 6u);
}

// --- logarithmic ---------------------------------------------------------

struct LogCase {
    const char* name;
    double a, b;
    const char *lo, *hi, *step, *minor;
    std::vector<double> majors;
    std::vector<double> minors;
    double lmo;
};

std::vector<double> decadeMinors(int fromExp, int toExp, const std::vector<double>& multipliers)
{
    std::vector<double> v;
    for (int e = fromExp; e <= toExp; ++e)
        for (double m : multipliers)
            v.push_back(std::pow(10.0, e) * m);
    return v;
}

TEST(AxisLog, TickTables)
{
    std::vector<double> halfSteps = range(0.55, 1.0, 0.05);
    for (double v : range(1.5, 10, 0.5))
        halfSteps.push_back(v);
    halfSteps.push_back(15);

    std::vector<double> everySecondDecade;
    for (int e = 0; e <= 30; e += 2)
        everySecondDecade.push_back(std::pow(10.0, e));

    std::vector<double> fiveToFifty = range(5.5, 10, 0.5);
    for (double v : range(15, 45, 5))
        fiveToFifty.push_back(v);
    std::vector<double> oddDecades = decadeMinors(1, 1, {2, 3, 4, 5, 6, 7, 8, 9});
    for (double v : decadeMinors(3, 3, {2, 3, 4, 5, 6, 7, 8, 9}))
        oddDecades.push_back(v);

    const LogCase cases[] = {
        {"1..1000",
         1,
         1000,
         "",
         "",
         "",
         "",
         {1, 10, 100, 1000},
         decadeMinors(0, 2, {2, 3, 4, 5, 6, 7, 8, 9}),
         1},
        {"0.5..20 in half steps, 10 included", 0.5, 20, "", "", "", "", {1, 10}, halfSteps, 1},
        {"2..9 has no major", 2, 9, "", "", "", "", {}, range(2.5, 8.5, 0.5), 0},
        {"1..1e12 even multipliers", 1, 1e12, "", "", "", "", decadeMinors(0, 12, {1}),
         decadeMinors(0, 11, {2, 4, 6, 8}), 1},
        {"1..1e30 every second decade, no minors", 1, 1e30, "", "", "", "", everySecondDecade, {}, 1},
        {"minor count 3", 1, 10, "", "", "", "3", {1, 10}, {10.0 / 3, 20.0 / 3}, 1},
        {"minor count 1 gives none", 1, 10, "", "", "", "1", {1, 10}, {}, 1},
        {"minor count 20 in half steps", 1, 10, "", "", "", "20", {1, 10}, range(1.5, 9.5, 0.5), 1},
        {"start and end texts",
         1,
         1e4,
         "10",
         "1000",
         "",
         "",
         {10, 100, 1000},
         decadeMinors(1, 2, {2, 3, 4, 5, 6, 7, 8, 9}),
         10},
        {"one major leaves lmo 0", 5, 50, "", "", "", "", {10}, fiveToFifty, 0},
        // The typed step counts from the automatic start, one decade below 1.
        {"typed step of two decades", 1, 1e4, "", "", "2", "", {10, 1000}, oddDecades, 10},
    };
    for (const auto& c : cases) {
        const Axis axis = logarithmic(c.a, c.b, c.lo, c.hi, c.step, c.minor);
        expectValues(axis.A, c.majors, std::string(c.name) + " majors");
        expectValues(axis.MA, c.minors, std::string(c.name) + " minors");
        EXPECT_EQ(axis.lmo, c.lmo) << c.name;
    }
}

TEST(AxisLog, ImpossibleSettingsGiveNoTicks)
{
    struct Case {
        const char* name;
        double a, b;
        const char* step;
    } cases[] = {
        {"zero end", 0, 10, ""},           {"negative end", -1, 10, ""},    {"equal ends", 10, 10, ""},
        {"NaN end", nan, 10, ""},          {"infinite end", 1, inf, ""},    {"zero step", 1, 1000, "0"},
        {"negative step", 1, 1000, "-1"},  {"tiny step", 1, 1000, "1e-12"}, {"step limit", 1, 1e30, "0.1"},
        {"infinite step", 1, 1000, "Inf"},
    };
    for (const auto& c : cases) {
        const Axis axis = logarithmic(c.a, c.b, "", "", c.step, "");
        EXPECT_TRUE(axis.A.empty()) << c.name << ": " << show(axis.A);
        EXPECT_TRUE(axis.MA.empty()) << c.name;
        EXPECT_EQ(axis.lmo, 0) << c.name;
    }
}

TEST(AxisLog, ExtremeRangesEnd)
{
    // The whole span of the doubles: a decade step of 50, a handful of majors.
    const Axis wide = logarithmic(5e-324, 1.7e308);
    EXPECT_FALSE(wide.A.empty());
    EXPECT_LE(wide.A.size(), 20u);
    EXPECT_TRUE(wide.MA.empty());
}

TEST(AxisInit, ReinitialisingStartsAfresh)
{
    Axis axis;
    axis.initForLogWithRange(1, 1000, "", "", "", "");
    ASSERT_EQ(axis.lmo, 1);
    axis.initWithRange(1, 1, "", "", "", "", "");
    EXPECT_TRUE(axis.A.empty());
    EXPECT_TRUE(axis.MA.empty());
    EXPECT_EQ(axis.lmo, 0);
}

} // namespace
