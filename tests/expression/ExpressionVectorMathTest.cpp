#include "expression/ExpressionVectorMath.h"
#include "expression/ExpressionMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using ExpressionVectorMath::Lanes;

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Distance in units in the last place; NaNs are equal to each other, and
// so are the zeros only when their signs are.
std::uint64_t ulps(double a, double b)
{
    if (a != a || b != b)
        return (a != a && b != b) ? 0 : UINT64_MAX;
    auto ordered = [](double v) {
        std::int64_t i;
        std::memcpy(&i, &v, sizeof v);
        return i < 0 ? INT64_MIN - i : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    if (d == 0 && std::signbit(a) != std::signbit(b))
        return UINT64_MAX;
    return d < 0 ? std::uint64_t(-d) : std::uint64_t(d);
}

// Every width this CPU runs, each in turn, and the widest again after.
class EveryWidth {
public:
    template <class F> void run(F f)
    {
        for (Lanes width : {Lanes::One, Lanes::Four, Lanes::Eight}) {
            ExpressionVectorMath::limitLanes(width);
            if (ExpressionVectorMath::lanes() == width)
                f(width);
        }
        ExpressionVectorMath::limitLanes(Lanes::Eight);
    }
};

// A deterministic spread of doubles: uniform in [lo, hi), or with a uniform
// exponent between lo and hi (both > 0) and a random sign.
struct Spread {
    double lo, hi;
    bool logarithmic;
};

std::vector<double> spread(Spread s, std::size_t n, std::uint64_t seed)
{
    std::vector<double> v(n);
    for (double& x : v) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        const double u = double(seed >> 11) / double(1ull << 53);
        x = s.logarithmic
            ? std::exp(std::log(s.lo) + u * (std::log(s.hi) - std::log(s.lo))) * (seed & 1 ? -1 : 1)
            : s.lo + u * (s.hi - s.lo);
    }
    return v;
}

// The arguments where the kernels change their ways or stop: zeros and
// their signs, subnormals, the limits of the reduced ranges and of the
// kernels, overflow and underflow of the powers, infinities and NaN.
std::vector<double> specialArguments()
{
    std::vector<double> v = {0.0,
                             -0.0,
                             5e-324,
                             -5e-324,
                             2.2250738585072009e-308,
                             2.2250738585072014e-308,
                             1e-300,
                             -1e-20,
                             1.4901161193847656e-08,
                             0.5,
                             1.0,
                             -1.0,
                             1.5707963267948966,
                             -1.5707963267948966,
                             3.141592653589793,
                             -3.141592653589793,
                             4.71238898038469,
                             6.283185307179586,
                             100.0,
                             355.0,
                             -103993.0,
                             4194304.0,
                             4194304.000000001,
                             -4194305.0,
                             1e7,
                             1e22,
                             -1e300,
                             1.7976931348623157e308,
                             707.9,
                             708.0,
                             708.0000000000001,
                             709.7,
                             709.782712893384,
                             709.7827128933841,
                             710.0,
                             -708.0,
                             -708.0000000000001,
                             -708.4,
                             -709.1,
                             -744.44,
                             -745.1332191019411,
                             -745.1332191019412,
                             -746.0,
                             -7.0e4,
                             kInf,
                             -kInf,
                             kNaN,
                             -kNaN};
    // Near multiples of pi/2, where the reduction cancels most digits.
    for (int k = 1; k < 4000; k += 7)
        for (double m : {k * 1.5707963267948966, k * 3.141592653589793, 200003.0 * k * 1.5707963267948966})
            for (double x = m, i = 0; i < 3; ++i, x = std::nextafter(x, kInf))
                v.insert(v.end(), {x, -x});
    return v;
}

std::vector<double> argumentsOver(const std::vector<Spread>& spreads)
{
    std::vector<double> v = specialArguments();
    std::uint64_t seed = 88172645463325252ull;
    for (const Spread& s : spreads) {
        const std::vector<double> part = spread(s, 20000, seed++);
        v.insert(v.end(), part.begin(), part.end());
    }
    return v;
}

using BlockFunction = void (*)(const double*, double*, std::size_t);

void ePower(const double* in, double* out, std::size_t n)
{
    ExpressionVectorMath::kPow(ExpressionMath::e, in, out, n);
}

TEST(ExpressionVectorMath, KernelsStayWithinTheirBoundsOfLibm)
{
    struct Case {
        const char* name;
        BlockFunction block;
        double (*libm)(double);
        std::vector<Spread> spreads;
        std::uint64_t maxUlps;
    };
    const std::vector<Spread> trig = {{-1, 1, false},         {-10, 10, false},      {-1e5, 1e5, false},
                                      {-4.2e6, 4.2e6, false}, {1e-300, 1e300, true}, {1e-20, 1e-3, true}};
    // clang-format off
    const Case cases[] = {
        {"sin", ExpressionVectorMath::sin, [](double x) { return std::sin(x); }, trig, 2},
        {"cos", ExpressionVectorMath::cos, [](double x) { return std::cos(x); }, trig, 2},
        {"e^", ePower, [](double y) { return std::pow(ExpressionMath::e, y); },
         {{-1, 1, false}, {-708, 708, false}, {-760, 760, false}, {1e-300, 1e3, true}}, 1},
    };
    // clang-format on
    EveryWidth().run([&](Lanes width) {
        for (const Case& c : cases) {
            const std::vector<double> in = argumentsOver(c.spreads);
            std::vector<double> out(in.size());
            c.block(in.data(), out.data(), in.size());
            std::uint64_t worst = 0;
            std::size_t worstAt = 0;
            for (std::size_t i = 0; i < in.size(); ++i) {
                const std::uint64_t d = ulps(out[i], c.libm(in[i]));
                if (d > worst) {
                    worst = d;
                    worstAt = i;
                }
            }
            EXPECT_LE(worst, c.maxUlps) << c.name << " with " << int(width) << " lanes at " << in[worstAt]
                                        << ": " << out[worstAt] << " against " << c.libm(in[worstAt]);
        }
    });
}

TEST(ExpressionVectorMath, ResultsDoNotDependOnTheLaneOrTheBlockLength)
{
    // Each value alone, and the column cut into every length from 1 to 17,
    // give the bits the whole column gave.
    const std::vector<double> in = argumentsOver({{-20, 20, false}});
    for (BlockFunction block : {ExpressionVectorMath::sin, ExpressionVectorMath::cos, ePower}) {
        std::vector<double> whole(in.size());
        block(in.data(), whole.data(), in.size());
        for (std::size_t length = 1; length <= 17; ++length) {
            std::vector<double> pieces(in.size());
            for (std::size_t start = 0; start < in.size(); start += length)
                block(in.data() + start, pieces.data() + start, std::min(length, in.size() - start));
            for (std::size_t i = 0; i < in.size(); ++i)
                ASSERT_EQ(ulps(pieces[i], whole[i]), 0u) << "length " << length << " at " << in[i];
        }
    }
}

TEST(ExpressionVectorMath, DivisionByAConstantGivesTheBitsOfTheDivision)
{
    // Divisors whose reciprocal is close enough for the quotient by products
    // and divisors that divide; dividends across every binade, beside the
    // midpoints between two quotients (the hardest to round), and the
    // special ones.
    const double divisors[]
        = {10,   -10, 3,     7,    0.1,   9.81,   360,   57.29577951308232, 1.0 / 3, 2,    -0.5,
           1e-5, 1e5, 1e-30, 1e30, 1e100, 1e-100, 1e200, 6.02214076e23,     5e-324,  kInf, 0.0,
           -0.0, kNaN};
    std::vector<double> dividends = argumentsOver({{-1e4, 1e4, false}, {1e-320, 1e308, true}});
    for (double k : {10.0, 3.0, 7.0, 9.81})
        for (double q : spread({1e-300, 1e300, true}, 5000, 99)) {
            const long double midpoint = q + ((long double)std::nextafter(q, kInf) - q) / 2;
            const double a = double(midpoint * k);
            dividends.insert(dividends.end(), {a, std::nextafter(a, kInf), std::nextafter(a, -kInf)});
        }
    EveryWidth().run([&](Lanes width) {
        std::vector<double> out(dividends.size());
        for (double k : divisors) {
            ExpressionVectorMath::divide(dividends.data(), k, out.data(), dividends.size());
            for (std::size_t i = 0; i < dividends.size(); ++i)
                ASSERT_EQ(ulps(out[i], dividends[i] / k), 0u)
                    << dividends[i] << " / " << k << " with " << int(width) << " lanes";
        }
    });
}

TEST(ExpressionVectorMath, JoinedResultsAreTheOperationDoneAfter)
{
    // Each function with each join gives the bits of the function and then
    // the operation, on every road (kernels, glibc's vector library, the
    // scalar functions), with the result written apart, over the left
    // operand, or over the argument, and a partial group at the end.
    using ExpressionVectorMath::Join;
    using Joined = void (*)(const double*, double*, std::size_t, Join);
    struct Case {
        const char* name;
        Joined f;
    };
    // clang-format off
    const Case cases[] = {
        {"sin", ExpressionVectorMath::sin},
        {"cos", ExpressionVectorMath::cos},
        {"ln", ExpressionVectorMath::ln},
        {"/10", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::divide(in, 10, out, n, j); }},
        {"/1e-30", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::divide(in, 1e-30, out, n, j); }},
        {"^0", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::powK(in, 0, out, n, j); }},
        {"^1", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::powK(in, 1, out, n, j); }},
        {"^2", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::powK(in, 2, out, n, j); }},
        {"^-3", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::powK(in, -3, out, n, j); }},
        {"^2.5", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::powK(in, 2.5, out, n, j); }},
        {"e^", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::kPow(ExpressionMath::e, in, out, n, j); }},
        {"2^", [](const double* in, double* out, std::size_t n, Join j) { ExpressionVectorMath::kPow(2, in, out, n, j); }},
    };
    // clang-format on
    enum class Into { Apart, Left, Argument };
    std::vector<double> in = argumentsOver({{-20, 20, false}, {1e-300, 1e300, true}});
    in.resize(in.size() / 8 * 8 + 5);
    std::vector<double> left = in;
    std::reverse(left.begin(), left.end());
    EveryWidth().run([&](Lanes width) {
        for (const Case& c : cases) {
            std::vector<double> plain(in.size());
            c.f(in.data(), plain.data(), in.size(), {});
            for (Join::Op op : {Join::Op::Add, Join::Op::Subtract, Join::Op::Multiply})
                for (Into into : {Into::Apart, Into::Left, Into::Argument}) {
                    std::vector<double> l = left, a = in, out(in.size());
                    double* const to = into == Into::Left ? l.data()
                        : into == Into::Argument          ? a.data()
                                                          : out.data();
                    c.f(a.data(), to, in.size(), {op, l.data()});
                    for (std::size_t i = 0; i < in.size(); ++i) {
                        const double want = op == Join::Op::Add ? left[i] + plain[i]
                            : op == Join::Op::Subtract          ? left[i] - plain[i]
                                                                : left[i] * plain[i];
                        ASSERT_EQ(ulps(to[i], want), 0u)
                            << c.name << " joined " << int(op) << " into " << int(into) << " with "
                            << int(width) << " lanes at " << in[i] << ", " << left[i];
                    }
                }
        }
    });
}

} // namespace
