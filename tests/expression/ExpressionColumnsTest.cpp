#include "expression/Expression.h"
#include "expression/ExpressionDocumentFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Distance in units in the last place; NaNs are equal to each other.
std::uint64_t ulps(double a, double b)
{
    if (a != a || b != b)
        return (a != a && b != b) ? 0 : UINT64_MAX;
    if (a == b)
        return 0;
    auto ordered = [](double v) {
        std::int64_t i;
        std::memcpy(&i, &v, sizeof v);
        return i < 0 ? INT64_MIN - i : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return d < 0 ? std::uint64_t(-d) : std::uint64_t(d);
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Values across the ranges where the functions change their methods, plus
// the special ones.
std::vector<double> sampleColumn(std::size_t n, double scale)
{
    const double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const double special[] = {0.0,
                              -0.0,
                              1.0,
                              -1.0,
                              0.5,
                              2.0,
                              -2.0,
                              1e-310,
                              -1e-310,
                              1e300,
                              -1e300,
                              1e22,
                              710.0,
                              -745.5,
                              inf,
                              -inf,
                              std::numeric_limits<double>::quiet_NaN(),
                              3.141592653589793,
                              // Squares and cubes at the ends of the normal
                              // range, reciprocals of subnormal squares.
                              1.34e154,
                              -1.35e154,
                              1.5e-154,
                              8e-155,
                              -1e-154,
                              5.6e-103,
                              -3.5,
                              -1e-100,
                              // Powers of e beside overflow and underflow.
                              709.7,
                              709.8,
                              -7097.0,
                              -7083.0,
                              -7084.0,
                              -7450.0};
    // clang-format on
    std::vector<double> v(n);
    std::uint64_t state = 88172645463325252ull;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 97 < std::size(special)) {
            v[i] = special[i % 97];
            continue;
        }
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const double u = double(state >> 11) / double(1ull << 53);
        v[i] = (u - 0.3) * scale * std::pow(10.0, double(state % 7) - 3.0);
    }
    return v;
}

struct Evaluation {
    std::vector<double> values;
    bool failed = false;
    bool parsed = false;
    double xAfter = 0;
    int randAfter = 0;
};

// Point by point through resultValue(), as columns, or as columns with the
// results written over the x column, from the same seed.
enum class Way { Points, Columns, OverX };

Evaluation evaluate(const char* text, const std::vector<double>& xs, const std::vector<double>& ys, Way way)
{
    std::srand(777);
    Expression e;
    e.setNoError();
    e.setVar("x", 0).setVar("y", 0).setVar("dp", 0).setVar("k", 2.5);
    Evaluation run;
    run.parsed = e.parse(QString::fromLatin1(text));
    const int sx = e.slot("x"), sy = e.slot("y"), sdp = e.slot("dp");
    run.values.resize(xs.size());
    if (way != Way::Points) {
        if (way == Way::OverX)
            run.values = xs;
        const double* x = way == Way::OverX ? run.values.data() : xs.data();
        const Expression::Column c[] = {{sx, x}, {sy, ys.data()}, {sdp, nullptr}};
        e.evaluateColumns(c, xs.size(), run.values.data());
    } else {
        for (std::size_t i = 0; i < xs.size(); ++i) {
            e.setValue(sx, xs[i]);
            e.setValue(sy, ys[i]);
            e.setValue(sdp, double(i));
            run.values[i] = e.resultValue();
        }
    }
    run.failed = e.failed();
    run.xAfter = e.value(sx);
    run.randAfter = std::rand();
    return run;
}

TEST(ExpressionColumns, MatchPointByPointEvaluation)
{
    struct Case {
        const char* text;
        std::uint64_t maxUlps; // 0: the same bits
    };
    // clang-format off
    const Case cases[] = {
        // Three libm results combined, where the terms cannot cancel (which
        // would magnify any difference in the last places).
        {"sin(abs x)*e^(-abs x/10)+x^2",                   4 * 3},
        {"sin x", 4}, {"cos x", 4}, {"ln x", 4}, {"x^y", 4}, {"x^2", 4}, {"x^0.5", 4}, {"2^x", 4},
        {"(-2)^x", 4}, {"x^-3", 4}, {"e^x", 4},
        // Small integer powers are products, e^ is exp: within 4 ULP of pow,
        // and pow's own results where they are no normal numbers.
        {"x^3", 4}, {"x^4", 4}, {"y^-1", 4}, {"x^-2", 4}, {"(-x)^3", 4}, {"(-y)^-3", 4}, {"y^4.5", 4},
        {"e^(-x/10)", 4}, {"e^(x/10)", 4}, {"e^y * 2^y", 4 * 2}, {"x^1", 0}, {"x^0", 0}, {"x^-0", 0},
        {"x + y*k - x/y + dp", 0},
        // Division by a constant gives the bits of the division, whether by
        // products or by dividing; a negation goes into the divisor.
        {"x/10 + -y/3 - x/-7", 0}, {"-x/1e-5 + y/6.02e23 + x/0", 0},
        {"x mod 3 + y % 2 - abs x + int x + frac y + rad x - deg y", 0},
        {"tan x + asin(x/1e301) + atan x + sqrt abs x + log abs x + cbrt x + erf x + tanh x", 0},
        {"jn(2;x) + yn(1;abs x + 1) + round(x;2) + gau(x;1;2;3) + lor(x;y;2;k)", 0},
        {"1\n2*x\nx-y\n", 0},
        // Random draws and undefined names keep the ordered per-point path.
        {"rnd 10 + x", 0},
        {"undefinedname * x", 0},
        {"rnd 1 + (2", 0},
    };
    // clang-format on
    // Long enough for several blocks, several threads and a partial block.
    const std::size_t n = 3 * 32768 + 777;
    const std::vector<double> xs = sampleColumn(n, 40.0), ys = sampleColumn(n, 7.0);
    for (const Case& c : cases) {
        const Evaluation points = evaluate(c.text, xs, ys, Way::Points);
        const Evaluation columns = evaluate(c.text, xs, ys, Way::Columns);
        // Written over a column it reads (a later line reads it again),
        // every point still sees the column as it was.
        const Evaluation over = evaluate(c.text, xs, ys, Way::OverX);
        EXPECT_EQ(over.failed, columns.failed) << c.text;
        EXPECT_TRUE(sameBits(over.xAfter, columns.xAfter)) << c.text;
        EXPECT_EQ(over.randAfter, columns.randAfter) << c.text;
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_TRUE(sameBits(over.values[i], columns.values[i])) << c.text << " at " << i;
        EXPECT_EQ(points.parsed, columns.parsed) << c.text;
        EXPECT_EQ(points.failed, columns.failed) << c.text;
        EXPECT_TRUE(sameBits(points.xAfter, columns.xAfter)) << c.text;
        EXPECT_EQ(points.randAfter, columns.randAfter) << c.text;
        std::uint64_t worst = 0;
        std::size_t worstAt = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t d = ulps(points.values[i], columns.values[i]);
            if (d > worst) {
                worst = d;
                worstAt = i;
            }
            // Infinities and NaNs arise from the same arguments on both paths.
            EXPECT_EQ(std::isfinite(points.values[i]), std::isfinite(columns.values[i]))
                << c.text << " x=" << xs[i] << " y=" << ys[i];
        }
        EXPECT_LE(worst, c.maxUlps) << c.text << " at x=" << xs[worstAt] << " y=" << ys[worstAt] << ": "
                                    << points.values[worstAt] << " vs " << columns.values[worstAt];
    }
}

TEST(ExpressionColumns, ValuesDoNotDependOnTheirPlaceInTheColumn)
{
    // Which block, which lane of a vector and which thread a point falls in
    // must not change its bits: the same values shifted by a few places, and
    // each value alone, give what the long column gave.
    const char* text = "sin(x)*e^(-x/10)+x^2 + cos y + ln abs y";
    const std::size_t n = 2 * 32768 + 1000;
    const std::vector<double> xs = sampleColumn(n, 40.0), ys = sampleColumn(n, 7.0);
    const Evaluation whole = evaluate(text, xs, ys, Way::Columns);
    for (std::size_t shift : {1u, 3u, 511u}) {
        const std::vector<double> xs2(xs.begin() + long(shift), xs.end()),
            ys2(ys.begin() + long(shift), ys.end());
        const Evaluation shifted = evaluate(text, xs2, ys2, Way::Columns);
        for (std::size_t i = 0; i < xs2.size(); ++i)
            ASSERT_TRUE(sameBits(shifted.values[i], whole.values[i + shift])
                        || whole.values[i + shift] != whole.values[i + shift])
                << "shift " << shift << " at " << i;
    }
    for (std::size_t i : {0u, 5u, 511u, 512u, 40000u, unsigned(n - 1)}) {
        const Evaluation single = evaluate(text, {xs[i]}, {ys[i]}, Way::Columns);
        EXPECT_TRUE(sameBits(single.values[0], whole.values[i]) || single.values[0] != single.values[0]) << i;
    }
}

// Document reads happen per point and in order, as they always did.
class CountingDocument : public ExpressionDocumentFunctions {
public:
    int reads = 0;
    double pointValue(DocFunction, int32_t, int32_t point) override { return ++reads * 1000.0 + point; }
    double bufferValue(DocFunction, int32_t) override { return ++reads; }
    double documentValue(DocFunction) override { return ++reads; }
    double findValue(DocFunction, double, int32_t) override { return ++reads; }
    double axisValue(DocFunction, double, int32_t) override { return ++reads; }
};

TEST(ExpressionColumns, DocumentReadsStayInOrder)
{
    CountingDocument doc;
    ExpressionDocumentFunctions::install(&doc);
    Expression e;
    e.setNoError();
    e.setVar("x", 0);
    ASSERT_TRUE(e.parse(QStringLiteral("yval(0;x) + txmin")));
    const int before = doc.reads;
    const std::vector<double> xs = {4, 5, 6};
    std::vector<double> out(3);
    const Expression::Column c[] = {{e.slot("x"), xs.data()}};
    e.evaluateColumns(c, 3, out.data());
    ExpressionDocumentFunctions::install(nullptr);
    EXPECT_EQ(doc.reads - before, 6);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(out[std::size_t(i)],
                  (before + 2 * i + 1) * 1000.0 + xs[std::size_t(i)] + before + 2 * i + 2);
}

} // namespace
