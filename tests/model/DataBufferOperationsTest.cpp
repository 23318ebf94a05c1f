#include "model/DataBufferOperations.h"

#include "Fakes.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

namespace {

namespace ops = DataBufferOperations;
using Column = std::vector<double>;
const double nan = std::numeric_limits<double>::quiet_NaN();

struct Point {
    double x, y;
};

std::unique_ptr<DataBuffer> makeBuffer(std::initializer_list<Point> points)
{
    auto b = std::make_unique<DataBuffer>();
    for (auto p : points)
        b->addDoubleValue(p.x, p.y);
    return b;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class DataBufferOperationsTest : public ::testing::Test {
protected:
    FakeManager manager;
};

// --- kernels ----------------------------------------------------------------------

TEST(DataBufferKernels, BlockMeansDropTheShortLastBlock)
{
    struct Case {
        Column in;
        std::size_t n;
        Column out;
    } cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 3, {2, 5, 8}}, // 10th point dropped
        {{1, 2, 3}, 1, {1, 2, 3}},
        {{1, 2, 3, 4}, 5, {}},
        {{2, 4, 6, 8}, 2, {3, 7}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ops::blockMeans(c.in, c.n), c.out);
}

TEST(DataBufferKernels, WindowMeansReachOneFurtherLeft)
{
    // n = 1: mean of the point and its left neighbour; the first stays.
    EXPECT_EQ(ops::windowMeans({1, 3, 5, 7}, 1), (Column{1, 2, 4, 6}));
    // n = 2: windows i-2 .. i+1 clipped: [0,1] [0,2] [0,3] [1,4] [2,5] [3,5].
    EXPECT_EQ(ops::windowMeans({1, 2, 3, 4, 5, 6}, 2), (Column{1.5, 2, 2.5, 3.5, 4.5, 5}));
}

TEST(DataBufferKernels, WindowMeansMatchDirectSumsForEveryShape)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-100, 100);
    for (std::size_t size = 1; size <= 40; ++size) {
        Column v(size);
        for (double& x : v)
            x = u(rng);
        for (std::size_t n = 1; n <= size; ++n) {
            const Column got = ops::windowMeans(v, n);
            for (std::size_t i = 0; i < size; ++i) {
                const std::size_t lo = i >= n ? i - n : 0, hi = std::min(i + n - 1, size - 1);
                double sum = 0;
                for (std::size_t k = lo; k <= hi; ++k)
                    sum += v[k];
                ASSERT_NEAR(got[i], sum / double(hi - lo + 1), 1e-12)
                    << "size " << size << " n " << n << " i " << i;
            }
        }
    }
}

TEST(DataBufferKernels, HugeValueLeavesNoTraceOutsideItsWindows)
{
    // A running sum would keep rounding residue of 1e20 long after the
    // value left the window; every window here is summed afresh.
    Column v(1000, 1.0);
    v[10] = 1e20;
    const Column m = ops::windowMeans(v, 3);
    for (std::size_t i = 20; i < v.size(); ++i)
        ASSERT_EQ(m[i], 1.0) << i;
}

TEST(DataBufferKernels, OrderAndSpacingChecks)
{
    struct Case {
        Column x;
        bool ascending, even;
    } cases[] = {
        {{0, 1, 2, 3}, true, true},
        {{0, 1, 2, 3.06}, true, false}, // spacing 1.06 > 1.05
        {{0, 1, 2, 3.04}, true, true},
        {{1, 1, 2}, true, false}, // d0 = 0 fails at once
        {{0, 2, 1}, false, false},
        {{3, 2, 1}, false, false},
        {{5}, true, true},
        {{}, true, true},
        // Long enough for the steps to be checked four at a time, with the
        // odd step in every place of a group and in the tail.
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, true, true},
        {{0, 1, 2, 3, 4.06, 5, 6, 7, 8, 9}, true, false},
        {{0, 1, 2, 3, 4, 5, 6, 7.06, 8, 9}, true, false},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9.06}, true, false},
        {{0, 1, 2, 3, 4, 5, std::nan(""), 7, 8, 9}, true, false}, // NaN compares as no descent
        {{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ops::isAscending(c.x), c.ascending) << ::testing::PrintToString(c.x);
        EXPECT_EQ(ops::isEvenlySpaced(c.x), c.even) << ::testing::PrintToString(c.x);
    }
}

TEST(DataBufferKernels, ShellSortOrdersLikeAnySortAndNeverSwapsEqualNeighbours)
{
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> u(0, 50);
    Column x(5000);
    for (double& v : x)
        v = u(rng);
    const auto order = ops::shellSortOrder(x);
    Column sorted = ops::permuted(x, order), expected = x;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    auto seen = order;
    std::sort(seen.begin(), seen.end());
    for (std::size_t k = 0; k < seen.size(); ++k)
        ASSERT_EQ(seen[k], k);
    // Only the gap 1 pass runs on two points or fewer; equal keys keep their places.
    EXPECT_EQ(ops::shellSortOrder({2, 2}), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(ops::shellSortOrder({2, 1}), (std::vector<std::size_t>{1, 0}));
}

TEST(DataBufferKernels, CutBoundsAreStrict)
{
    struct Case {
        double v;
        int mode;
        bool kept;
    } cases[] = {{3, 0, true},  {2, 0, false}, {5, 0, false}, {nan, 0, false}, {1, 1, true}, {6, 1, true},
                 {2, 1, false}, {5, 1, false}, {3, 1, false}, {nan, 1, false}, {3, 2, false}};
    for (const auto& c : cases)
        EXPECT_EQ(ops::keptByCut(c.v, 2, 5, c.mode), c.kept) << c.v << " mode " << c.mode;
}

// --- buffer operations ----------------------------------------------------------------

TEST_F(DataBufferOperationsTest, ExportWritesTheColumnsOfTheMode)
{
    auto plain = makeBuffer({{0.1, 1e20}, {-2, 1.0 / 3}});
    auto withErrors = makeBuffer({{1, 2}});
    withErrors->addError();
    withErrors->EX.set(0, 0.5);
    withErrors->EY.set(0, 0.25);
    struct Case {
        const DataBuffer* b;
        int mode;
        QByteArray text;
    } cases[] = {
        {plain.get(), 0, "0.1\t1e+20\n-2\t0.3333333333333333\n"},
        {plain.get(), 1, "0.1\t1e+20\n-2\t0.3333333333333333\n"},
        {withErrors.get(), 0, "1\t2\t0.5\t0.25\n"},
        {withErrors.get(), 1, "1\t2\t0.25\n"},
        {withErrors.get(), 2, "1\t2\t0.5\n"},
        {withErrors.get(), 7, "1\t2\t0.5\t0.25\n"},
    };
    const QString path = TestSupport::scratchDir() + QStringLiteral("/export.txt");
    for (const auto& c : cases) {
        ASSERT_TRUE(c.b->exportASCII(path, c.mode).ok());
        EXPECT_EQ(readFile(path), c.text) << "mode " << c.mode;
    }
    DataBuffer empty;
    ASSERT_TRUE(empty.exportASCII(path, 0).ok());
    EXPECT_EQ(readFile(path), QByteArray());
}

TEST_F(DataBufferOperationsTest, ExportThatCannotWriteSaysSo)
{
    auto b = makeBuffer({{1, 2}});
    for (const QString& path : {TestSupport::scratchDir() + QStringLiteral("/no/such/dir/file"),
                                TestSupport::scratchDir() /* a directory */}) {
        const Outcome refused = b->exportASCII(path, 0);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
        EXPECT_FALSE(refused.message().isEmpty());
    }
}

TEST_F(DataBufferOperationsTest, ShiftsAndLinearMapsChangeValuesAndExtents)
{
    auto b = makeBuffer({{1, 10}, {3, 20}});
    b->linBg(2, 1); // y + 2x + 1
    EXPECT_EQ(b->Y, (Column{13, 27}));
    b->addX(-1);
    b->addY(3);
    EXPECT_EQ(b->X, (Column{0, 2}));
    EXPECT_EQ(b->Y, (Column{16, 30}));
    b->normX(0, 2, 10, 20); // 0 -> 10, 2 -> 20
    b->normY(16, 30, 0, 1);
    EXPECT_EQ(b->X, (Column{10, 20}));
    EXPECT_EQ(b->Y, (Column{0, 1}));
    EXPECT_EQ(b->xmin, 10);
    EXPECT_EQ(b->ymax, 1);
    // Mappings with no way back would destroy the data: they change nothing.
    b->normX(5, 5, 0, 1);
    b->normY(0, 1, 7, 7);
    b->addX(std::numeric_limits<double>::infinity());
    EXPECT_EQ(b->X, (Column{10, 20}));
    EXPECT_EQ(b->Y, (Column{0, 1}));
}

TEST_F(DataBufferOperationsTest, CutKeepsInsideOrOutsideWithErrorsAndBeepsWhenNothingIsLeft)
{
    auto fresh = [] {
        auto b = makeBuffer({{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, nan}});
        b->addError();
        for (int i = 0; i < 6; ++i)
            b->EY.set(std::size_t(i), 10 * i);
        return b;
    };
    struct Case {
        int axis;
        double a, b;
        int mode;
        Column x, ey;
    } cases[] = {
        {0, 5, 2, 0, {3, 4}, {20, 30}},
        {0, 2, 5, 0, {3, 4}, {20, 30}},
        {0, 2, 5, 1, {1, 6}, {0, 50}},
        {1, 0.5, 3.5, 0, {2, 3, 4}, {10, 20, 30}}, // the NaN y goes
    };
    for (const auto& c : cases) {
        auto b = fresh();
        b->cut(c.axis, c.a, c.b, c.mode);
        EXPECT_EQ(b->X, c.x);
        EXPECT_EQ(b->EY, c.ey);
        EXPECT_EQ(b->EX.size(), c.x.size());
        EXPECT_EQ(b->xmin, c.x.front());
    }
    ScriptedAlerts alerts;
    for (auto [axis, mode] : {std::pair{0, 0}, {2, 0}, {0, 5}}) {
        auto b = fresh();
        Alert::show(b->cut(axis, 10, 20, mode)); // as its callers tell it
        EXPECT_EQ(b->nop(), 6);
    }
    EXPECT_EQ(alerts.beeps(), 3);
}

TEST_F(DataBufferOperationsTest, ReductionAveragesBlocksErrorsIncluded)
{
    auto b = std::make_unique<DataBuffer>();
    b->comment = QStringLiteral("src");
    for (int i = 1; i <= 10; ++i)
        b->addDoubleValueError(i, 10 * i, i, 2 * i);
    b->reduction(3);
    EXPECT_EQ(b->X, (Column{2, 5, 8}));
    EXPECT_EQ(b->Y, (Column{20, 50, 80}));
    EXPECT_EQ(b->EX, (Column{2, 5, 8})); // plain means, not in quadrature
    EXPECT_EQ(b->EY, (Column{4, 10, 16}));
    EXPECT_EQ(b->comment, QStringLiteral("src, data reduction(3)"));
    EXPECT_EQ(b->xmax, 8);
}

TEST_F(DataBufferOperationsTest, SmoothingAveragesWindowsAndMovesX)
{
    auto b = makeBuffer({{0, 1}, {1, 3}, {2, 5}, {3, 7}});
    b->smooth(1);
    EXPECT_EQ(b->X, (Column{0, 0.5, 1.5, 2.5}));
    EXPECT_EQ(b->Y, (Column{1, 2, 4, 6}));
    EXPECT_EQ(b->comment, QStringLiteral(", smooth(1)"));
}

TEST_F(DataBufferOperationsTest, TooFewPointsForTheFactorChangesNothing)
{
    struct Case {
        bool reduce;
        int n;
    } cases[] = {{true, 3}, {false, 3}, {true, -1}, {false, 0}, {true, INT_MAX}, {false, INT_MAX / 2 + 1}};
    for (const auto& c : cases) {
        auto b = makeBuffer({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}); // 5 < 6
        ScriptedAlerts alerts;
        const Outcome r = c.reduce ? b->reduction(c.n) : b->smooth(c.n);
        EXPECT_TRUE(alerts.requests().empty()); // the caller shows it
        EXPECT_EQ(r.kind(), Outcome::Kind::Failed);
        EXPECT_EQ(r.title(), QStringLiteral("To Few Points"));
        EXPECT_EQ(
            r.message(),
            c.reduce ? QStringLiteral("this buffer contain to few points for data reduction with this factor")
                     : QStringLiteral("this buffer contain to few points for smoothing with this factor"));
        EXPECT_EQ(b->nop(), 5);
        EXPECT_TRUE(b->comment.isEmpty());
    }
}

TEST_F(DataBufferOperationsTest, SpacingCheckAsksOnlyWithWarningsOn)
{
    auto uneven = makeBuffer({{0, 0}, {1, 0}, {2, 0}, {3.06, 0}});
    auto even = makeBuffer({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    ScriptedAlerts alerts;
    ScriptedQuestions yes(true), no(false);
    EXPECT_TRUE(even->checkDX(true, no));
    EXPECT_TRUE(uneven->checkDX(true, yes)); // Continue
    EXPECT_FALSE(uneven->checkDX(true, no)); // Cancel
    EXPECT_EQ(yes.spacingAsked + no.spacingAsked, 2);
    EXPECT_TRUE(uneven->checkDX(false, no));
    EXPECT_EQ(no.spacingAsked, 1);
    EXPECT_TRUE(alerts.requests().empty()); // the questions alone ask
}

TEST_F(DataBufferOperationsTest, SortCheckSortsOnRequestAndKeepsPointsTogether)
{
    auto sorted = makeBuffer({{1, 0}, {1, 1}, {2, 2}});
    auto fresh = [] {
        auto b = makeBuffer({{3, 30}, {1, 10}, {2, 20}});
        b->addError();
        b->EX = {0.3, 0.1, 0.2};
        b->EY = {3, 1, 2};
        return b;
    };
    ScriptedAlerts alerts;
    ScriptedQuestions no(false), yes(true);
    EXPECT_TRUE(sorted->checkSort(no));
    EXPECT_EQ(no.sortAsked, 0);

    auto declined = fresh();
    EXPECT_FALSE(declined->checkSort(no));
    EXPECT_EQ(no.sortAsked, 1);
    EXPECT_EQ(declined->X, (Column{3, 1, 2}));

    auto accepted = fresh();
    EXPECT_TRUE(accepted->checkSort(yes));
    EXPECT_EQ(yes.sortAsked, 1);
    EXPECT_EQ(accepted->X, (Column{1, 2, 3}));
    EXPECT_EQ(accepted->Y, (Column{10, 20, 30}));
    EXPECT_EQ(accepted->EX, (Column{0.1, 0.2, 0.3}));
    EXPECT_EQ(accepted->EY, (Column{1, 2, 3}));
    // Asked through the questions passed in, never with a dialog of the model's.
    EXPECT_TRUE(alerts.requests().empty());
}

TEST_F(DataBufferOperationsTest, SwapExchangesValuesAndErrors)
{
    auto b = makeBuffer({{1, 10}, {2, 20}});
    b->addError();
    b->EX = {0.1, 0.2};
    b->EY = {1, 2};
    b->swapXY();
    EXPECT_EQ(b->X, (Column{10, 20}));
    EXPECT_EQ(b->Y, (Column{1, 2}));
    EXPECT_EQ(b->EX, (Column{1, 2}));
    EXPECT_EQ(b->EY, (Column{0.1, 0.2}));
    EXPECT_EQ(b->xmax, 20);
    EXPECT_EQ(b->ymax, 2);
}

TEST_F(DataBufferOperationsTest, CalcEvaluatesPerPointWithThePointVariables)
{
    VexaDocument doc;
    for (int i = 0; i < 3; ++i)
        doc.DB.push_back(makeBuffer({{1, 5}, {2, 6}, {3, 7}}));
    doc.current = 7; // passed on unchecked
    DataBuffer& b = *doc.DB[1];
    const QHash<QString, double> vars{{QStringLiteral("k"), 100}, {QStringLiteral("dp"), 55}};
    struct Case {
        int target;
        QString expr;
        Column expected;
        QString comment;
    } cases[] = {
        {CalcY, QStringLiteral("x*2"), {2, 4, 6}, QStringLiteral(", calc(y=x*2)")},
        {CalcY, QStringLiteral("dp"), {0, 1, 2}, QStringLiteral(", calc(y=dp)")},
        {CalcX,
         QStringLiteral("bn*1000+nb*100+cb*10+np+k+r1"),
         {1471.5, 1471.5, 1471.5},
         QStringLiteral(", calc(x=bn*1000+nb*100+cb*10+np+k+r1)")},
        {CalcYError, QStringLiteral("ex+1"), {1, 1, 1}, QStringLiteral(", calc(ye=ex+1)")},
        {CalcXError, QStringLiteral("ey*2"), {2, 2, 2}, QStringLiteral(", calc(xe=ey*2)")},
    };
    for (const auto& c : cases) {
        b.comment.clear();
        b.calc(c.target, c.expr, QList<double>{0, -1.5}, vars, &doc);
        const Column& got = c.target == CalcX ? b.X
            : c.target == CalcY               ? b.Y
            : c.target == CalcXError          ? b.EX
                                              : b.EY;
        EXPECT_EQ(got, c.expected) << c.expr.toStdString();
        EXPECT_EQ(b.comment, c.comment);
    }
    EXPECT_EQ(b.xmin, 1471.5);
}

TEST_F(DataBufferOperationsTest, CalcReadsEveryPointAsItWasAndLeavesSharersAlone)
{
    auto a = makeBuffer({{1, 5}, {2, 6}, {3, 7}});
    auto b = makeBuffer({{0, 0}});
    b->X = a->X; // shared, as import columns share their x values
    b->Y = a->Y;
    a->calc(CalcX, QStringLiteral("x*2+y"), {}, {}, nullptr);
    EXPECT_EQ(a->X, (Column{7, 10, 13}));
    a->calc(CalcY, QStringLiteral("y-x\ny+x"), {}, {}, nullptr); // the last line counts
    EXPECT_EQ(a->Y, (Column{12, 16, 20}));
    a->calc(CalcY, QStringLiteral("y+x"), {}, {}, nullptr); // now its own column
    EXPECT_EQ(a->Y, (Column{19, 26, 33}));
    EXPECT_EQ(b->X, (Column{1, 2, 3}));
    EXPECT_EQ(b->Y, (Column{5, 6, 7}));
    EXPECT_EQ(a->xmax, 13);
}

TEST_F(DataBufferOperationsTest, CalcThatDoesNotParseChangesNoValue)
{
    auto b = makeBuffer({{1, 5}});
    ScriptedAlerts alerts;
    b->calc(CalcYError, QStringLiteral("x+"), {}, {}, nullptr);
    EXPECT_EQ(b->Y, (Column{5}));
    EXPECT_EQ(b->EY, (Column{0})); // the zero errors stay
    EXPECT_TRUE(b->comment.isEmpty());
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Expression Error"));

    b->calc(4, QStringLiteral("1"), {}, {}, nullptr); // no such column
    EXPECT_EQ(b->Y, (Column{5}));
    EXPECT_TRUE(b->comment.isEmpty());
}

} // namespace
