#include "model/Spline.h"
#include "model/VexaDocument.h"

#include "Fakes.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

struct Coefficients {
    std::vector<double> b, c, d;
    int status = 0;
    Coefficients(const std::vector<double>& x, const std::vector<double>& y, double strength)
            : b(x.size())
            , c(x.size())
            , d(x.size())
    {
        status = Spline::splineCoefficients(int(x.size()) - 1, x, y, b, c, d, strength);
    }
};

TEST(SplineRoutines, CollinearPointsGiveAStraightLineForAnyStrength)
{
    // Every secant slope is -2, so the right-hand sides vanish: c = d = 0, b = -2.
    const std::vector<double> x{0, 1, 2.5, 4, 7};
    std::vector<double> y;
    for (double v : x)
        y.push_back(3 - 2 * v);
    for (double strength : {2.0, 1.0, 4.0}) {
        Coefficients k(x, y, strength);
        ASSERT_EQ(k.status, 0) << strength;
        for (std::size_t i = 0; i + 1 < x.size(); ++i) {
            EXPECT_NEAR(k.b[i], -2, 1e-12) << i;
            EXPECT_NEAR(k.c[i], 0, 1e-12) << i;
            EXPECT_NEAR(k.d[i], 0, 1e-12) << i;
        }
    }
}

TEST(SplineRoutines, NotAKnotReproducesACubic)
{
    // p(x) = x^3 - 2x^2 + 0.5x + 1: c_i = p''(x_i)/2 = 3x_i - 2, d = 1 on every interval.
    auto p = [](double v) { return ((v - 2) * v + 0.5) * v + 1; };
    const std::vector<double> x{0, 0.5, 1.5, 2, 3, 4.25};
    std::vector<double> y;
    for (double v : x)
        y.push_back(p(v));
    Coefficients k(x, y, 2);
    ASSERT_EQ(k.status, 0);
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(k.c[i], 3 * x[i] - 2, 1e-9) << i;
    for (int i = 0; i + 1 < int(x.size()); ++i) {
        EXPECT_NEAR(k.d[std::size_t(i)], 1, 1e-9) << i;
        const double mid = (x[std::size_t(i)] + x[std::size_t(i) + 1]) / 2;
        EXPECT_NEAR(Spline::splineValue(i, mid, x, y, k.b, k.c, k.d), p(mid), 1e-9) << i;
    }
}

TEST(SplineRoutines, CoefficientStatus)
{
    struct Case {
        std::vector<double> x;
        int status;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {{0, 1, 2}, 2}, // fewer than 4 points
        {{}, 2},
        {{0, 0, 1, 2}, -1}, // equal x at the first interval still counts as negative
        {{0, 1, 2, 2, 3}, -3},
        {{0, 2, 1, 3}, -2}, // decreasing
        {{0, 1, inf, 3}, 6}, // a step that is not finite
        {{0, 1, nan, 3}, 6},
        {{-1e308, 1e308, 1.1e308, 1.2e308}, 6}, // finite x, overflowing step
    };
    for (const Case& c : cases) {
        const std::vector<double> y(c.x.size(), 1.0);
        Coefficients k(c.x, y, 2);
        EXPECT_EQ(k.status, c.status) << ::testing::PrintToString(c.x);
    }
    // A strength that empties the first pivot: s*(h0+h1) - h0 = 0 for s = 0.5, h = 1.
    Coefficients singular({0, 1, 2, 3, 4}, {0, 1, 0, 1, 0}, 0.5);
    EXPECT_EQ(singular.status, 5);
}

TEST(SplineRoutines, TridiagonalSolve)
{
    // [2 1 0; 1 3 1; 0 1 2] * (1, 2, 3) = (4, 10, 8).
    std::vector<double> lower{0, 1, 1}, diag{2, 3, 2}, upper{1, 1, 0}, rhs{4, 10, 8};
    ASSERT_EQ(Spline::tridiagonalSolve(3, lower, diag, upper, rhs, false), 0);
    EXPECT_NEAR(rhs[0], 1, 1e-12);
    EXPECT_NEAR(rhs[1], 2, 1e-12);
    EXPECT_NEAR(rhs[2], 3, 1e-12);
    // The factors are kept: a second right-hand side reuses them.
    std::vector<double> rhs2{2, 2, 2}; // the matrix times (1, 0, 1)
    ASSERT_EQ(Spline::tridiagonalSolve(3, lower, diag, upper, rhs2, true), 0);
    EXPECT_NEAR(rhs2[0], 1, 1e-12);
    EXPECT_NEAR(rhs2[1], 0, 1e-12);
    EXPECT_NEAR(rhs2[2], 1, 1e-12);

    std::vector<double> one{1};
    EXPECT_EQ(Spline::tridiagonalSolve(1, one, one, one, one, false), 1);
    std::vector<double> l{0, 1}, zero{0, 1}, u{1, 0}, r{1, 1};
    EXPECT_EQ(Spline::tridiagonalSolve(2, l, zero, u, r, false), 2);
    std::vector<double> l2{0, 1}, d2{1, 1}, u2{1, 0}, r2{1, 1}; // second pivot 1 - 1*1 = 0
    EXPECT_EQ(Spline::tridiagonalSolve(2, l2, d2, u2, r2, false), 2);
}

struct Resampled {
    std::vector<double> x, y;
    int status = 0;
};

Resampled resample(const std::vector<double>& x, const std::vector<double>& y, int total, double from,
                   double to, std::size_t room = 1000)
{
    Coefficients k(x, y, 2);
    Resampled r;
    r.x.resize(room);
    r.y.resize(room);
    int count = -1;
    r.status
        = Spline::splineResample(int(x.size()) - 1, total, x, y, k.b, k.c, k.d, from, to, count, r.x, r.y);
    r.x.resize(std::size_t(std::max(count, 0)));
    r.y.resize(std::size_t(std::max(count, 0)));
    return r;
}

TEST(SplineRoutines, ResamplingSpreadsPointsInProportionToX)
{
    const std::vector<double> y{1, -2, 0.5, 4, 3};
    // Equidistant: every interval in exactly 10 parts, 4*10 + 1 points.
    Resampled even = resample({0, 1, 2, 3, 4}, y, 40, 0, 4);
    ASSERT_EQ(even.status, 0);
    ASSERT_EQ(even.x.size(), 41u);
    for (int i = 0; i <= 40; ++i)
        EXPECT_NEAR(even.x[std::size_t(i)], i / 10.0, 1e-12) << i;
    for (int k = 0; k <= 4; ++k)
        EXPECT_EQ(even.y[std::size_t(10 * k)], y[std::size_t(k)]) << k; // knots exact

    // Steps of 0.1 are inexact in binary; every interval still gets exactly
    // 10 parts, none an eleventh from rounding.
    std::vector<double> tenths, wave;
    for (int i = 0; i <= 20; ++i) {
        tenths.push_back(i * 0.1);
        wave.push_back(std::sin(i * 0.7));
    }
    Resampled fine = resample(tenths, wave, 200, tenths.front(), tenths.back());
    ASSERT_EQ(fine.status, 0);
    ASSERT_EQ(fine.x.size(), 201u);
    for (int k = 0; k <= 20; ++k)
        EXPECT_EQ(fine.x[std::size_t(10 * k)], tenths[std::size_t(k)]) << k;

    // x = 0, 1, 3, 4 with total 8: g = 2 parts per unit, so 2, 4 and 2 parts.
    Resampled uneven = resample({0, 1, 3, 4}, {0, 1, 0, 1}, 8, 0, 4);
    ASSERT_EQ(uneven.status, 0);
    EXPECT_EQ(uneven.x, (std::vector<double>{0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4}));

    // Inside the knots: starts and ends on the curve, knots in between.
    Resampled inner = resample({0, 1, 2, 3, 4}, y, 6, 0.5, 3.5);
    ASSERT_EQ(inner.status, 0);
    EXPECT_EQ(inner.x, (std::vector<double>{0.5, 1, 1.5, 2, 2.5, 3, 3.5}));
}

TEST(SplineRoutines, ResamplingStatus)
{
    const std::vector<double> x{0, 1, 2, 3}, y{0, 1, 4, 9};
    EXPECT_EQ(resample(x, y, 9, 2, 1).status, 1);
    EXPECT_EQ(resample(x, y, 9, 0, inf).status, 1);
    EXPECT_EQ(resample(x, y, 0, 0, 3).status, 2);
    EXPECT_EQ(resample(x, y, 9, 0, 3, 5).status, 4); // needs 10 points
    EXPECT_EQ(resample(x, y, 9, 0, 3, 10).status, 0);
    const std::vector<double> b(3), c(4), d(3), flat{0, 1, 1, 2};
    std::vector<double> ox(50), oy(50);
    int count = 0;
    EXPECT_EQ(Spline::splineResample(3, 8, flat, y, b, c, d, 0, 2, count, ox, oy), 3);
}

class SplineDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { UserDefaults::standard().removeAll(); }
    void TearDown() override { UserDefaults::standard().removeAll(); }

    SharedFakeManager manager;
    VexaDocument doc;
    ScriptedQuestions questions; // sorts when asked

    DataBuffer& addBuffer(const std::vector<double>& x, const std::vector<double>& y)
    {
        auto b = std::make_unique<DataBuffer>();
        for (std::size_t i = 0; i < x.size(); ++i)
            b->addDoubleValue(x[i], y[i]);
        b->comment = QStringLiteral("data");
        doc.DB.push_back(std::move(b));
        return *doc.DB.back();
    }
};

TEST_F(SplineDocumentTest, ResamplesIntoANewBufferWithTheSourceStyle)
{
    DataBuffer& src = addBuffer({0, 1, 2, 3, 4}, {1, -2, 0.5, 4, 3});
    src.style.symbol = 5;
    src.addError();
    ScriptedAlerts alerts;
    doc.spline(0, 10, 2, questions);
    ASSERT_EQ(doc.bufferCount(), 2);
    const DataBuffer& s = *doc.DB[1];
    ASSERT_EQ(s.nop(), 41);
    for (int k = 0; k <= 4; ++k)
        EXPECT_EQ(s.Y[std::size_t(10 * k)], src.Y[std::size_t(k)]);
    EXPECT_EQ(s.source, QStringLiteral("Spline"));
    EXPECT_EQ(s.comment, QStringLiteral("data, spline(0,10,2)"));
    EXPECT_EQ(s.style.symbol, 5);
    EXPECT_FALSE(s.haserror());
    EXPECT_EQ(s.xmin, 0);
    EXPECT_EQ(s.xmax, 4);
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer"), -1), 1.0);
    EXPECT_TRUE(alerts.requests().empty());
}

TEST_F(SplineDocumentTest, FailuresAlertAndMakeNothing)
{
    const QString failed = QStringLiteral("Can not calculate spline interpolation");
    const QString equal
        = QStringLiteral("Can not calculate spline interpolation for data with equal X-values");
    struct Case {
        std::vector<double> x;
        int points;
        QString message;
    };
    const Case cases[] = {
        {{0, 1, 2}, 10, failed}, // fewer than 4 points
        {{0, 0, 1, 2}, 10, equal}, // equal x, first pair
        {{0, 1, 2, 3, 3, 4}, 10, equal}, // equal x further on
        {{0, 1, 2, inf}, 10, failed}, // step that is not finite
        {{0, 1, 2, 3}, 0, failed}, // no parts per interval
        {{0, 1, 2, 3}, 1000000000, QStringLiteral("Too many points for spline interpolation")},
    };
    for (const Case& c : cases) {
        doc.DB.clear();
        addBuffer(c.x, std::vector<double>(c.x.size(), 2.0));
        ScriptedAlerts alerts;
        const Outcome refused = doc.spline(0, c.points, 2, questions);
        EXPECT_TRUE(alerts.requests().empty()) << ::testing::PrintToString(c.x);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed) << ::testing::PrintToString(c.x);
        EXPECT_EQ(refused.title(), QStringLiteral("Error in spline calculation for buffer 0"));
        EXPECT_EQ(refused.message(), c.message);
        EXPECT_EQ(doc.bufferCount(), 1);
    }
    EXPECT_FALSE(manager.GV.contains(QStringLiteral("lastbuffer")));
}

TEST_F(SplineDocumentTest, UnsortedDataIsSortedOnRequestOrLeftAlone)
{
    DataBuffer& src = addBuffer({2, 0, 3, 1}, {20, 0, 30, 10});
    {
        ScriptedQuestions cancel(false);
        EXPECT_EQ(doc.spline(0, 2, 2, cancel).kind(), Outcome::Kind::Cancelled);
        EXPECT_EQ(cancel.sortAsked, 1);
        EXPECT_EQ(doc.bufferCount(), 1);
        EXPECT_EQ(src.X, (std::vector<double>{2, 0, 3, 1}));
    }
    doc.spline(0, 2, 2, questions); // Sort
    EXPECT_EQ(questions.sortAsked, 1);
    EXPECT_EQ(src.X, (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(src.Y, (std::vector<double>{0, 10, 20, 30}));
    ASSERT_EQ(doc.bufferCount(), 2);
    EXPECT_EQ(doc.DB[1]->nop(), 7);
    EXPECT_NEAR(doc.DB[1]->Y[1], 5, 1e-12); // a straight line stays one
}

} // namespace
