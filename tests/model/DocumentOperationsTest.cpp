#include "model/VexaDocumentOperations.h"

#include "Fakes.h"
#include "model/DataBufferOperations.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

namespace docops = VexaDocumentOperations;
using Column = std::vector<double>;
const double nan = std::numeric_limits<double>::quiet_NaN();

struct Point {
    double x, y;
};

// --- kernels ----------------------------------------------------------------------

TEST(DocumentKernels, LineFitsMatchClosedForms)
{
    const double e = std::exp(1.0);
    struct Case {
        const char* what;
        Column x, y;
        double x1, x2;
        int type;
        double a, b, r;
    } cases[] = {
        {"exact line y = 2x + 1", {0, 1, 2, 3, 4}, {1, 3, 5, 7, 9}, 0, 4, RegLinear, 1, 2, 1},
        // noise (1,-2,0,2,-1) sums to 0 and is orthogonal to x: A, B unchanged;
        // r = Sxy/sqrt(Sxx Syy) = 20/sqrt(10*50) = 2/sqrt(5)
        {"noisy line", {0, 1, 2, 3, 4}, {2, 1, 5, 9, 8}, 0, 4, RegLinear, 1, 2, 2 / std::sqrt(5.0)},
        {"falling line y = 5 - 3x", {0, 1, 2}, {5, 2, -1}, 0, 2, RegLinear, 5, -3, -1},
        // points outside [1, 3] are ignored, bounds in either order, both ends included
        {"interval", {0, 1, 2, 3, 4}, {100, 3, 5, 7, -100}, 3, 1, RegLinear, 1, 2, 1},
        // ln of x = e^k is k: y = 3 + 2 ln x
        {"log y = 3 + 2 ln x", {1, e, e * e, e * e * e}, {3, 5, 7, 9}, 1, 30, RegLogarithmic, 3, 2, 1},
        // ln y = ln 2 + 0.5 x
        {"exp y = 2 exp(x/2)",
         {0, 1, 2, 3},
         {2, 2 * std::exp(0.5), 2 * std::exp(1.0), 2 * std::exp(1.5)},
         0,
         3,
         RegExponential,
         2,
         0.5,
         1},
        // time-like abscissae: y = 2(x - 1e9) + 7, so A = 7 - 2e9
        {"large x", {1e9, 1e9 + 1, 1e9 + 2, 1e9 + 3}, {7, 9, 11, 13}, 0, 2e9, RegLinear, 7 - 2e9, 2, 1},
    };
    for (const auto& c : cases) {
        const auto fit = docops::fitLine(c.x, c.y, c.x1, c.x2, c.type);
        ASSERT_EQ(fit.status, docops::LineFit::Ok) << c.what;
        EXPECT_NEAR(fit.a, c.a, 1e-9 * std::max(1.0, std::fabs(c.a))) << c.what;
        EXPECT_NEAR(fit.b, c.b, 1e-9) << c.what;
        EXPECT_NEAR(fit.r, c.r, 1e-12) << c.what;
    }
}

TEST(DocumentKernels, LineFitFailures)
{
    struct Case {
        const char* what;
        Column x, y;
        int type;
        docops::LineFit::Status status;
    } cases[] = {
        {"one point in the interval", {0, 7, 10}, {1, 2, 3}, RegLinear, docops::LineFit::TooFewPoints},
        {"no points", {}, {}, RegLinear, docops::LineFit::TooFewPoints},
        {"same x (0.1 sums inexactly)", {0.1, 0.1, 0.1}, {1, 2, 3}, RegLinear, docops::LineFit::DivideByZero},
        {"same y", {0, 1, 2}, {0.3, 0.3, 0.3}, RegLinear, docops::LineFit::DivideByZero},
        {"log of x = 0", {0, 1, 2}, {1, 2, 3}, RegLogarithmic, docops::LineFit::OutsideDomain},
        {"exp of y < 0", {0, 1, 2}, {1, -2, 3}, RegExponential, docops::LineFit::OutsideDomain},
        {"NaN y", {0, 1, 2}, {1, nan, 3}, RegLinear, docops::LineFit::NotFinite},
        {"unknown type", {0, 1, 2}, {1, 2, 3}, 3, docops::LineFit::UnknownType},
    };
    for (const auto& c : cases)
        EXPECT_EQ(docops::fitLine(c.x, c.y, 0, 5, c.type).status, c.status) << c.what;
    // A point with x <= 0 outside the interval does not matter.
    EXPECT_EQ(docops::fitLine({-1, 1, 2}, {0, 1, 2}, 1, 2, RegLogarithmic).status, docops::LineFit::Ok);
}

TEST(DocumentKernels, DerivativeOfSineAndParabola)
{
    // Three equidistant points: slope (y[i+1] - y[i-1]) / 2h = cos x sin h / h;
    // at the ends two points: (y1 - y0)/h.
    const double h = 0.01;
    Column x, y;
    for (int i = 0; i <= 300; ++i) {
        x.push_back(i * h);
        y.push_back(std::sin(i * h));
    }
    const auto d = docops::derivative(x, y, 1.5 * h);
    ASSERT_EQ(d.status, docops::Derivative::Ok);
    for (std::size_t i = 1; i + 1 < x.size(); ++i)
        ASSERT_NEAR(d.slope[i], std::cos(x[i]) * std::sin(h) / h, 1e-10) << i;
    EXPECT_NEAR(d.slope[0], std::sin(h) / h, 1e-12);

    // y = x^2 with unit steps: ((x+1)^2 - (x-1)^2)/2 = 2x inside, 1 and 9 at the ends.
    const auto p = docops::derivative({0, 1, 2, 3, 4, 5}, {0, 1, 4, 9, 16, 25}, 1.5);
    EXPECT_EQ(p.slope, (Column{1, 2, 4, 6, 8, 9}));

    EXPECT_EQ(docops::derivative({0, 1, 2}, {0, 1, 4}, 0.5).status, docops::Derivative::IntervalTooSmall);
    EXPECT_EQ(docops::derivative({5, 5}, {1, 2}, 1).status, docops::Derivative::DivideByZero);
}

TEST(DocumentKernels, IntegralsOfAParabola)
{
    // Trapezoids over y = x^2 with step h overshoot by h^2 (b - a)/6:
    // from 0 to x the sum is x^3/3 + h^2 x/6.
    const double h = 0.1;
    Column x, y;
    for (int i = 0; i <= 10; ++i) {
        x.push_back(i * h);
        y.push_back(i * h * i * h);
    }
    const Column run = docops::runningIntegral(x, y);
    EXPECT_EQ(run[0], 0);
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(run[i], x[i] * x[i] * x[i] / 3 + h * h * x[i] / 6, 1e-14) << i;

    struct Case {
        double x1, x2;
        long long s, e;
        double value;
    } cases[] = {
        {0, 1, 0, 10, 1.0 / 3 + h * h / 6},
        {0.25, 0.55, 2, 6, (0.6 * 0.6 * 0.6 - 0.2 * 0.2 * 0.2) / 3 + h * h * 0.4 / 6}, // enclosing points
        {0.55, 0.25, 2, 6, (0.6 * 0.6 * 0.6 - 0.2 * 0.2 * 0.2) / 3 + h * h * 0.4 / 6},
        {0.5, 0.5, 4, 6, (0.6 * 0.6 * 0.6 - 0.4 * 0.4 * 0.4) / 3 + h * h * 0.2 / 6}, // widened to neighbours
        {-5, 50, 0, 10, 1.0 / 3 + h * h / 6},
        {-3, -1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const auto r = docops::definiteIntegral(x, y, c.x1, c.x2);
        EXPECT_EQ(r.s, c.s) << c.x1 << " " << c.x2;
        EXPECT_EQ(r.e, c.e) << c.x1 << " " << c.x2;
        EXPECT_NEAR(r.value, c.value, 1e-14) << c.x1 << " " << c.x2;
    }
}

TEST(DocumentKernels, ArithmeticAndInterpolation)
{
    EXPECT_EQ(docops::arithmetic(ArithDivide, 6, 0), 0);
    EXPECT_EQ(docops::arithmetic(ArithDivide, 6, 3), 2);
    EXPECT_EQ(docops::arithmetic(ArithSubtract, 6, 3), 3);
    EXPECT_EQ(docops::interpolate(0, 0, 2, 10, 0.5), 2.5);
    EXPECT_EQ(docops::interpolate(1, 10, 1, 20, 1), 15); // a segment of no width: the mean
    // At the right end the formula alone gives 0.009999999999999995.
    EXPECT_EQ(docops::interpolate(0, 0.1, 2.9, 0.01, 2.9), 0.01);
}

// --- document operations ------------------------------------------------------------

// Auto-scaling adds headroom in proportion to the view's size.
struct SizedView : FakeView {
    QSizeF boundsSize() const override { return {600, 500}; }
};

class DocumentOperationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc.PV = &view;
        doc.undoManager().setGroupsByEvent(false);
    }

    DataBuffer& add(std::initializer_list<Point> points, const QString& comment = QStringLiteral("src"))
    {
        doc.DB.push_back(std::make_unique<DataBuffer>());
        DataBuffer& b = *doc.DB.back();
        for (auto p : points)
            b.addDoubleValue(p.x, p.y);
        b.comment = comment;
        return b;
    }
    DataBuffer& last() { return *doc.DB.back(); }

    FakeManager manager;
    SizedView view;
    VexaDocument doc{&manager};
    ScriptedQuestions questions; // sorts when asked
};

TEST_F(DocumentOperationsTest, FunctionGeneratorPointCounts)
{
    manager.GV.insert(QStringLiteral("k"), 3);
    struct Case {
        double from, to;
        int n;
        int points; // -1: n or n - 1
    } cases[] = {
        {0, 1, 11, -1},
        {0, 1, 2, 2},
        {-1, 1, 3, 3},
        {0, 0.3, 11, 10}, // ten accumulated steps of 0.3/10 reach 0.30000000000000004 > 0.3
    };
    for (const auto& c : cases) {
        doc.functionGenerator(0, c.from, c.to, c.n, QStringLiteral("x*x+k"));
        const DataBuffer& b = last();
        if (c.points < 0) {
            EXPECT_GE(b.nop(), c.n - 1);
            EXPECT_LE(b.nop(), c.n);
        } else {
            EXPECT_EQ(b.nop(), c.points) << c.to;
        }
        EXPECT_EQ(b.X.front(), c.from);
        for (int i = 0; i < b.nop(); ++i)
            EXPECT_EQ(b.y(i), b.x(i) * b.x(i) + 3);
        EXPECT_EQ(b.source, QStringLiteral("Function"));
    }
    EXPECT_EQ(doc.DB[0]->comment, QStringLiteral("y=x*x+k (0-1,11)"));
    EXPECT_EQ(doc.DB[3]->comment, QStringLiteral("y=x*x+k (0-0.3,11)"));

    doc.functionGenerator(1, 0, 2, 3, QStringLiteral("y+10"));
    EXPECT_EQ(last().X, (Column{10, 11, 12}));
    EXPECT_EQ(last().Y, (Column{0, 1, 2}));
    EXPECT_EQ(last().comment, QStringLiteral("x=y+10 (0-2,3)"));
    EXPECT_FALSE(manager.GV.contains(QStringLiteral("lastbuffer")));

    // A step below the resolution of the values never reaches the end: the
    // count still ends the loop.
    doc.functionGenerator(0, 1e16, 1e16 + 8, 1000, QStringLiteral("1"));
    EXPECT_LE(last().nop(), 1000);
}

TEST_F(DocumentOperationsTest, FunctionGeneratorRefusals)
{
    ScriptedAlerts alerts;
    for (auto [from, to, n] : {std::tuple{1.0, 1.0, 5},
                               {2.0, 1.0, 5},
                               {0.0, 1.0, 1},
                               {nan, 1.0, 5},
                               {-std::numeric_limits<double>::infinity(), 1.0, 5},
                               {-1e308, 1e308, 5},
                               {0.0, 1.0, std::numeric_limits<int>::min()}})
        Alert::show(doc.functionGenerator(0, from, to, n, QStringLiteral("x")));
    EXPECT_EQ(alerts.beeps(), 7);
    doc.functionGenerator(0, 0, 1, 5, QStringLiteral("x+"));
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Expression Error"));
    // A count no buffer could hold is refused before anything is allocated.
    const Outcome tooMany
        = doc.functionGenerator(0, 0, 1, std::numeric_limits<int>::max(), QStringLiteral("x"));
    EXPECT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(tooMany.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(tooMany.title(), QStringLiteral("Too Many Points"));
    EXPECT_TRUE(doc.DB.empty());
}

TEST_F(DocumentOperationsTest, RegressionMakesTheCurveOverEveryPointAndPublishes)
{
    add({{0, 100}, {1, 3}, {2, 5}, {3, 7}, {4, 9}, {5, 11}, {6, -50}});
    const int displays = view.displays;
    doc.reg(0, 5, 1, RegLinear);
    ASSERT_EQ(doc.DB.size(), 2u);
    EXPECT_EQ(last().comment, QStringLiteral("src, linreg(0,A=1,B=2,r=1)"));
    for (int i = 0; i < 7; ++i)
        EXPECT_NEAR(last().y(i), 2 * i + 1, 1e-12); // also at x = 0 and 6
    EXPECT_EQ(doc.DB[0]->y(0), 100);
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer")), 1);
    EXPECT_NEAR(manager.GV.value(QStringLiteral("rega")), 1, 1e-12);
    EXPECT_NEAR(manager.GV.value(QStringLiteral("regb")), 2, 1e-12);
    EXPECT_NEAR(manager.GV.value(QStringLiteral("regr")), 1, 1e-12);
    EXPECT_GT(view.displays, displays);
    EXPECT_EQ(last().ymax, 13);

    add({{1, 2}, {2, 4 * std::exp(1.0)}}, QStringLiteral("e"));
    doc.reg(2, 0, 10, RegExponential);
    EXPECT_EQ(last().comment.left(11), QStringLiteral("e, expreg(2"));

    doc.M = nullptr; // no controller: the buffer still comes, nothing is published
    manager.GV.clear();
    doc.reg(0, 1, 5, RegLogarithmic);
    EXPECT_EQ(doc.DB.size(), 5u);
    EXPECT_TRUE(manager.GV.isEmpty());
}

TEST_F(DocumentOperationsTest, RegressionFailuresMakeNoBuffer)
{
    add({{1, 1}, {2, 2}, {5, 3}});
    add({{0.1, 1}, {0.1, 2}});
    add({{-1, 1}, {1, -2}, {2, 3}});
    struct Case {
        int buffer;
        double x1, x2;
        int type;
        QString title, message;
    } cases[] = {
        {0, 4, 9, RegLinear, QStringLiteral("To few points"), QString()},
        {1, 0, 1, RegLinear, QStringLiteral("Dividing by zero error"), QString()},
        {2, -5, 5, RegLogarithmic, QStringLiteral("Regression error"),
         QStringLiteral("logarithmic regression needs x > 0 in the whole interval")},
        {2, -5, 5, RegExponential, QStringLiteral("Regression error"),
         QStringLiteral("exponential regression needs y > 0 in the whole interval")},
    };
    for (const auto& c : cases) {
        ScriptedAlerts alerts;
        const Outcome refused = doc.reg(c.buffer, c.x1, c.x2, c.type);
        EXPECT_TRUE(alerts.requests().empty()) << c.title.toStdString();
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed) << c.title.toStdString();
        EXPECT_EQ(refused.title(), c.title);
        EXPECT_EQ(refused.message(), c.message);
    }
    EXPECT_EQ(doc.DB.size(), 3u);
    EXPECT_TRUE(manager.GV.isEmpty());
}

TEST_F(DocumentOperationsTest, DerivativeNewBufferAndItsFailures)
{
    add({{0, 0}, {1, 1}, {2, 4}, {3, 9}, {4, 16}, {5, 25}});
    EXPECT_TRUE(doc.diff(0, 1.5, questions).ok());
    ASSERT_EQ(doc.DB.size(), 2u);
    EXPECT_EQ(last().Y, (Column{1, 2, 4, 6, 8, 9}));
    EXPECT_EQ(last().X, doc.DB[0]->X);
    EXPECT_EQ(last().comment, QStringLiteral("src, diff(0,1.5)"));
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer")), 1);

    ScriptedAlerts alerts;
    const Outcome refused = doc.diff(0, 0.5, questions);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(refused.title(), QStringLiteral("Differentiate calculation error"));
    EXPECT_EQ(refused.message(), QStringLiteral("Interval is to small"));
    EXPECT_EQ(doc.DB.size(), 2u);
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer")), 2); // the index the buffer would have had
}

TEST_F(DocumentOperationsTest, DeclinedSortCheckMakesNothingButStillReplots)
{
    add({{2, 1}, {1, 1}, {0, 1}});
    add({{0, 1}, {1, 1}});
    ScriptedAlerts alerts;
    ScriptedQuestions declining(false);
    const std::function<Outcome()> ops[]
        = {[&] { return doc.diff(0, 1.5, declining); }, [&] { return doc.integrate(0, declining); },
           [&] { return doc.integrate(0, 0, 1, declining); }};
    for (const auto& op : ops) {
        const int displays = view.displays;
        EXPECT_EQ(op().kind(), Outcome::Kind::Cancelled);
        EXPECT_GT(view.displays, displays);
    }
    EXPECT_EQ(doc.calcBuf(1, 0, ArithAdd, declining).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(doc.calcBuf(0, 1, ArithAdd, declining).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(declining.sortAsked, 5);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(doc.DB.size(), 2u);
    EXPECT_EQ(doc.DB[0]->X, (Column{2, 1, 0}));
    EXPECT_TRUE(manager.GV.isEmpty());
}

TEST_F(DocumentOperationsTest, RunningAndDefiniteIntegrals)
{
    add({{0, 1}, {1, 1}, {2, 1}});
    doc.integrate(0, questions);
    ASSERT_EQ(doc.DB.size(), 2u);
    EXPECT_EQ(last().Y, (Column{0, 1, 2}));
    EXPECT_EQ(last().comment, QStringLiteral("src, integral(0)"));
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer")), 1);
    EXPECT_EQ(doc.ymax1 > 2, true); // rescaled to the new buffer

    add({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}});
    doc.integrate(2, 2.5, 1.5, questions); // enclosing points 1 and 3: (9 - 1)/2
    EXPECT_EQ(doc.DB[2]->comment, QStringLiteral("src, int(2,1-3)=4"));
    EXPECT_EQ(manager.GV.value(QStringLiteral("integral")), 4);
}

TEST_F(DocumentOperationsTest, ReductionAndSmoothingAppendACopy)
{
    add({{0, 0}, {1, 2}, {2, 4}, {3, 6}});
    doc.reduction(0, 2);
    EXPECT_EQ(last().X, (Column{0.5, 2.5}));
    EXPECT_EQ(last().comment, QStringLiteral("src, data reduction(2)"));
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer")), 1);
    const int updates = manager.updates;
    doc.smooth(0, 1);
    EXPECT_EQ(last().Y, (Column{0, 1, 3, 5}));
    EXPECT_EQ(manager.GV.value(QStringLiteral("lastbuffer")), 2);
    EXPECT_GT(manager.updates, updates);
    EXPECT_EQ(doc.DB[0]->nop(), 4);

    ScriptedAlerts alerts; // too few points: the failure, and the copy still comes unchanged
    const Outcome tooFew = doc.smooth(0, 3);
    EXPECT_EQ(tooFew.title(), QStringLiteral("To Few Points"));
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(last().Y, doc.DB[0]->Y);
    EXPECT_EQ(last().comment, QStringLiteral("src"));
}

TEST_F(DocumentOperationsTest, NormaliseAndMoveUndoAndRedoOverTheSelection)
{
    for (int i = 0; i < 3; ++i)
        add({{0, 0}, {1, 5}, {2, 10}});
    manager.selectedRows = {0, 2, 9};
    UndoManager& um = doc.undoManager();
    struct Case {
        std::function<void()> op;
        Column x, y;
    } cases[] = {
        {[&] { doc.normalize(1, 0, 10, 0, 1); }, {0, 1, 2}, {0, 0.5, 1}},
        {[&] { doc.normalize(0, 0, 2, 10, 20); }, {10, 15, 20}, {0, 5, 10}},
        {[&] { doc.move(0, 1, 3); }, {2, 3, 4}, {0, 5, 10}},
        {[&] { doc.move(1, 0, -5); }, {0, 1, 2}, {-5, 0, 5}},
    };
    const Column x0{0, 1, 2}, y0{0, 5, 10};
    for (const auto& c : cases) {
        const int displays = view.displays;
        c.op();
        EXPECT_EQ(view.displays, displays); // the caller replots
        for (int i : {0, 2}) {
            EXPECT_EQ(doc.DB[std::size_t(i)]->X, c.x);
            EXPECT_EQ(doc.DB[std::size_t(i)]->Y, c.y);
        }
        EXPECT_EQ(doc.DB[1]->Y, y0);
        ASSERT_TRUE(um.undo());
        EXPECT_EQ(view.displays, displays + 1);
        for (int i : {0, 2}) {
            EXPECT_EQ(doc.DB[std::size_t(i)]->X, x0);
            EXPECT_EQ(doc.DB[std::size_t(i)]->Y, y0);
        }
        ASSERT_TRUE(um.redo());
        EXPECT_EQ(view.displays, displays + 2);
        EXPECT_EQ(doc.DB[2]->X, c.x);
        EXPECT_EQ(doc.DB[2]->Y, c.y);
        EXPECT_EQ(doc.DB[2]->ymax, c.y.back());
        ASSERT_TRUE(um.undo());
        EXPECT_EQ(doc.DB[2]->Y, y0);
    }

    // Another axis or a mapping without an inverse changes nothing, yet the
    // step (a replot) is there.
    ScriptedAlerts alerts;
    Alert::show(doc.normalize(2, 0, 10, 0, 1));
    Alert::show(doc.normalize(1, 3, 3, 0, 1));
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_EQ(doc.DB[0]->Y, y0);
    const int displays = view.displays;
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(view.displays, displays + 1);

    // A buffer deleted after the change is left out of its undo.
    doc.move(1, 0, 1);
    doc.DB[0]->setRm();
    doc.deleteBuffer();
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(doc.DB[1]->Y, y0);
}

TEST_F(DocumentOperationsTest, CutAndExpressionOverTheSelection)
{
    for (int i = 0; i < 3; ++i)
        add({{1, 1}, {2, 2}, {3, 3}});
    manager.selectedRows = {1, 2};
    doc.cut(0, 1.5, 5, 0);
    doc.bufferCalc(CalcY, QStringLiteral("y*bn"));
    EXPECT_EQ(doc.DB[0]->Y, (Column{1, 2, 3}));
    EXPECT_EQ(doc.DB[1]->X, (Column{2, 3}));
    EXPECT_EQ(doc.DB[1]->Y, (Column{2, 3}));
    EXPECT_EQ(doc.DB[2]->Y, (Column{4, 6}));
    EXPECT_EQ(doc.DB[2]->comment, QStringLiteral("src, calc(y=y*bn)"));
}

// Values that leave an operation nothing to do are refused: the operation
// beeps no more itself but says so in its outcome, and the caller's
// Alert::show gives the one beep the user hears.
TEST_F(DocumentOperationsTest, RefusalsAreOutcomesThatTheCallerBeeps)
{
    add({{0, 1}, {1, 1}});
    add({{2, 1}, {3, 1}});
    manager.selectedRows = {0, 1};
    struct Case {
        const char* what;
        std::function<std::vector<Outcome>()> op;
        std::size_t refusals;
    };
    auto one = [](Outcome o) { return std::vector<Outcome>{std::move(o)}; };
    const Case cases[] = {
        {"buffer cut keeping nothing", [&] { return one(doc.DB[0]->cut(0, 10, 20, 0)); }, 1},
        {"document cut over the selection", [&] { return doc.cut(1, 5, 6, 0); }, 2},
        {"function generator without points",
         [&] { return one(doc.functionGenerator(0, 1, 1, 5, QStringLiteral("x"))); }, 1},
        {"normalize without an inverse", [&] { return one(doc.normalize(1, 3, 3, 0, 1)); }, 1},
        {"move by no finite number",
         [&] { return one(doc.move(0, 0, std::numeric_limits<double>::infinity())); }, 1},
        {"buffer arithmetic without a common range",
         [&] { return one(doc.calcBuf(0, 1, ArithAdd, questions)); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAlerts alerts;
        const std::vector<Outcome> outcomes = c.op();
        EXPECT_EQ(alerts.beeps(), 0);
        EXPECT_TRUE(alerts.requests().empty());
        ASSERT_EQ(outcomes.size(), c.refusals);
        for (const Outcome& o : outcomes) {
            EXPECT_EQ(o.kind(), Outcome::Kind::Empty);
            EXPECT_TRUE(o.beeps());
            EXPECT_FALSE(Alert::show(o));
        }
        EXPECT_EQ(alerts.beeps(), int(c.refusals));
        EXPECT_TRUE(alerts.requests().empty());
    }
    EXPECT_EQ(doc.bufferCount(), 2);
    EXPECT_EQ(doc.DB[0]->X, (Column{0, 1}));
    EXPECT_EQ(doc.DB[1]->Y, (Column{1, 1}));
    // What goes through does not beep.
    ScriptedAlerts alerts;
    EXPECT_FALSE(doc.normalize(1, 0, 1, 0, 2).beeps());
    EXPECT_FALSE(doc.move(0, 0, 1).beeps());
    EXPECT_TRUE(doc.cut(0, -10, 10, 0).empty());
    EXPECT_EQ(alerts.beeps(), 0);
}

TEST_F(DocumentOperationsTest, BufferArithmeticOnTheUnionOfAbscissae)
{
    struct Case {
        const char* what;
        std::vector<Point> a, b;
        int op;
        Column x, y;
        QString comment;
    } cases[] = {
        // A's 1 and 2 against B's 10; B's 0.5, 1.5, 2.5 against A interpolated (y = x)
        {"different grids",
         {{0, 0}, {1, 1}, {2, 2}, {3, 3}},
         {{0.5, 10}, {1.5, 10}, {2.5, 10}},
         ArithAdd,
         {0.5, 1, 1.5, 2, 2.5},
         {10.5, 11, 11.5, 12, 12.5},
         QStringLiteral("BufferCalc(0+1)")},
        {"shared knots, one point each",
         {{0, 1}, {1, 2}, {2, 3}},
         {{0, 10}, {1, 20}, {2, 30}},
         ArithSubtract,
         {0, 1, 2},
         {-9, -18, -27},
         QStringLiteral("BufferCalc(0-1)")},
        {"division by 0 gives 0",
         {{0, 6}, {1, 6}, {2, 6}},
         {{0, 0}, {1, 2}, {2, 3}},
         ArithDivide,
         {0, 1, 2},
         {0, 3, 2},
         QStringLiteral("BufferCalc(0/1)")},
        // B's one point gives A no segment, but A has one for it; still A - B
        {"A op B whoever gives the x",
         {{0, 2}, {2, 2}},
         {{1, 5}},
         ArithSubtract,
         {1},
         {-3},
         QStringLiteral("BufferCalc(0-1)")},
        {"B's range inside A's",
         {{0, 2}, {4, 2}},
         {{1, 5}, {3, 7}},
         ArithMultiply,
         {1, 3},
         {10, 14},
         QStringLiteral("BufferCalc(0*1)")},
    };
    for (const auto& c : cases) {
        doc.DB.clear();
        DataBuffer& a = add({});
        DataBuffer& b = add({});
        for (auto p : c.a)
            a.addDoubleValue(p.x, p.y);
        for (auto p : c.b)
            b.addDoubleValue(p.x, p.y);
        doc.calcBuf(0, 1, c.op, questions);
        ASSERT_EQ(doc.DB.size(), 3u) << c.what;
        EXPECT_EQ(last().X, c.x) << c.what;
        EXPECT_EQ(last().Y, c.y) << c.what;
        EXPECT_EQ(last().comment, c.comment);
    }
    doc.DB.clear();
    add({{0, 1}, {1, 1}});
    add({{2, 1}, {3, 1}});
    ScriptedAlerts alerts;
    Alert::show(doc.calcBuf(0, 1, ArithAdd, questions));
    EXPECT_EQ(alerts.beeps(), 1); // disjoint ranges
    EXPECT_EQ(doc.DB.size(), 2u);
    EXPECT_TRUE(manager.GV.isEmpty());
}

TEST_F(DocumentOperationsTest, SwapRescales)
{
    add({{1, 10}, {2, 20}});
    doc.swapXY(0);
    EXPECT_EQ(doc.DB[0]->X, (Column{10, 20}));
    EXPECT_GT(doc.xmax1, 20);
    EXPECT_LT(doc.ymax1, 10);
}

TEST_F(DocumentOperationsTest, IndexOutOfRangeDoesNothing)
{
    add({{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    ScriptedAlerts alerts;
    const int displays = view.displays;
    for (int bad : {-1, 1}) {
        doc.reduction(bad, 1);
        doc.smooth(bad, 1);
        doc.diff(bad, 2, questions);
        doc.reg(bad, 0, 3, RegLinear);
        doc.integrate(bad, questions);
        doc.integrate(bad, 0, 3, questions);
        doc.calcBuf(0, bad, ArithAdd, questions);
        doc.calcBuf(bad, 0, ArithAdd, questions);
        doc.swapXY(bad);
    }
    EXPECT_EQ(doc.DB.size(), 1u);
    EXPECT_EQ(view.displays, displays);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(alerts.beeps(), 0);
    EXPECT_TRUE(manager.GV.isEmpty());
}

} // namespace
