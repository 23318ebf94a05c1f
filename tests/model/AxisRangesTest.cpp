#include "model/VexaDocument.h"

#include "Fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct SizedView : FakeView {
    QSizeF size{600, 500};
    QSizeF boundsSize() const override { return size; }
};

struct Ranges {
    double x0, x1, y0, y1;
};

Ranges pair1(const VexaDocument& d)
{
    return {d.xmin1, d.xmax1, d.ymin1, d.ymax1};
}
Ranges pair2(const VexaDocument& d)
{
    return {d.xmin2, d.xmax2, d.ymin2, d.ymax2};
}

void expectRanges(const Ranges& r, double x0, double x1, double y0, double y1)
{
    EXPECT_DOUBLE_EQ(r.x0, x0);
    EXPECT_DOUBLE_EQ(r.x1, x1);
    EXPECT_DOUBLE_EQ(r.y0, y0);
    EXPECT_DOUBLE_EQ(r.y1, y1);
}

class AxisRangesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc.PV = &view;
        doc.undoManager().setGroupsByEvent(false);
    }

    DataBuffer& addBuffer(std::initializer_list<std::pair<double, double>> points, int pair = 1)
    {
        doc.DB.push_back(std::make_unique<DataBuffer>());
        DataBuffer& b = *doc.DB.back();
        for (auto [x, y] : points)
            b.addDoubleValue(x, y);
        b.belongx = b.belongy = pair;
        return b;
    }

    FakeManager manager;
    SizedView view;
    VexaDocument doc{&manager};
};

TEST_F(AxisRangesTest, ScaleRefusesNonFiniteAndEmptyRanges)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    doc.scale(1, nan, 1, 0, 1, true, true);
    doc.scale(1, 0, std::numeric_limits<double>::infinity(), 0, 1, true, true);
    EXPECT_EQ(view.displays, 0); // refused outright: no replot either
    EXPECT_FALSE(doc.undoManager().canUndo());

    doc.scale(1, 0, 0, 0, 5, true, true); // empty: refused, but replots
    expectRanges(pair1(doc), 0, 1, 0, 1);
    EXPECT_EQ(view.displays, 1);
    EXPECT_FALSE(doc.undoManager().canUndo());

    doc.scale(1, 5, 2, 0, 1, false, false); // reversed ranges are stored as given
    expectRanges(pair1(doc), 5, 2, 0, 1);
    doc.scale(3, 7, 8, 7, 8, false, false); // no such pair
    expectRanges(pair1(doc), 5, 2, 0, 1);
    expectRanges(pair2(doc), 0, 1, 0, 1);
}

TEST_F(AxisRangesTest, ScaleUndoRestoresAndRedoReapplies)
{
    doc.scale(2, 10, 20, 30, 40, true, false);
    expectRanges(pair2(doc), 10, 20, 30, 40);
    ASSERT_TRUE(doc.undoManager().undo());
    expectRanges(pair2(doc), 0, 1, 0, 1);
    EXPECT_GE(view.displays, 1);
    ASSERT_TRUE(doc.undoManager().redo());
    expectRanges(pair2(doc), 10, 20, 30, 40);
    ASSERT_TRUE(doc.undoManager().undo());
    expectRanges(pair2(doc), 0, 1, 0, 1);
}

TEST_F(AxisRangesTest, RescaleAddsTwentyPointsOfHeadroom)
{
    addBuffer({{0, 0}, {10, 100}});
    doc.rescale(false, 1);
    // 510 x 410 plot area: d = 10 / 25.5 and 100 / 20.5.
    expectRanges(pair1(doc), -10 / 25.5, 10 + 10 / 25.5, -100 / 20.5, 100 + 100 / 20.5);
    expectRanges(pair2(doc), 0, 1, 0, 1);
}

TEST_F(AxisRangesTest, RescaleOnLogAxesDoublesOutward)
{
    doc.axes[AxisX1].axismode = AxisLog;
    addBuffer({{1, 5}, {1000, 6}});
    doc.rescale(false, 1);
    EXPECT_DOUBLE_EQ(doc.xmin1, 0.5);
    EXPECT_DOUBLE_EQ(doc.xmax1, 2000);
}

TEST_F(AxisRangesTest, RescaleOfASinglePoint)
{
    doc.axes[AxisX1].axismode = doc.axes[AxisY1].axismode = AxisLog; // no headroom arithmetic to undo
    addBuffer({{3, 7}});
    doc.rescale(false, 1);
    expectRanges(pair1(doc), 2.7 * 0.5, 3.3 * 2, 6.3 * 0.5, 7.7 * 2);

    // A point at x = 0 leaves an empty x extent: the whole pair is refused.
    VexaDocument other;
    other.PV = &view;
    other.DB.push_back(std::make_unique<DataBuffer>());
    other.DB.back()->addDoubleValue(0, 7);
    other.rescale(false, 1);
    expectRanges(pair1(other), 0, 1, 0, 1);
}

TEST_F(AxisRangesTest, RescaleCountsOnlyShownBuffersOfThePairThatAreNotFree)
{
    addBuffer({{0, 0}, {10, 10}}).show = 0;
    addBuffer({{0, 0}, {50, 50}}, 2);
    DataBuffer& free = addBuffer({{-100, -100}, {100, 100}});
    free.style.freex = free.style.freey = 1;
    doc.rescale(false, 1);
    const double w = 510, h = 410;
    expectRanges(pair1(doc), -20 / w, 1 + 20 / w, -20 / h, 1 + 20 / h);
    expectRanges(pair2(doc), 0, 1, 0, 1); // pair 2 untouched
}

TEST_F(AxisRangesTest, RescaleWithoutAViewUsesANegativePlotArea)
{
    doc.PV = nullptr;
    addBuffer({{0, 0}, {9, 9}});
    doc.rescale(false, 1);
    EXPECT_DOUBLE_EQ(doc.xmin1, 2);
    EXPECT_DOUBLE_EQ(doc.xmax1, 7);
}

TEST_F(AxisRangesTest, RescaleOfBothPairsIsOneUndoStep)
{
    addBuffer({{0, 0}, {10, 10}});
    addBuffer({{0, 0}, {20, 20}}, 2);
    doc.rescale(true, 0);
    EXPECT_NE(doc.xmax1, 1);
    EXPECT_NE(doc.xmax2, 1);
    EXPECT_EQ(manager.updates, 2); // once directly, once by the replot
    EXPECT_EQ(doc.undoManager().undoCount(), 1u);
    const int before = view.displays;
    ASSERT_TRUE(doc.undoManager().undo());
    expectRanges(pair1(doc), 0, 1, 0, 1);
    expectRanges(pair2(doc), 0, 1, 0, 1);
    EXPECT_GT(view.displays, before);

    doc.rescale(true, 5); // unknown pair: nothing set, still a replot
    expectRanges(pair1(doc), 0, 1, 0, 1);
}

TEST_F(AxisRangesTest, ZoomInAndOut)
{
    doc.scale(2, 0, 10, 0, 1, false, false);
    doc.upscale(10, ZoomX, 2, false);
    expectRanges(pair2(doc), -1, 11, 0, 1);

    doc.scale(1, 0, 10, 0, 10, false, false);
    const int before = view.displays;
    doc.downscale(2, ZoomX, 1); // 5 .. 5 is empty: refused, replotted anyway
    expectRanges(pair1(doc), 0, 10, 0, 10);
    EXPECT_EQ(view.displays, before + 1);
    doc.downscale(1.5, ZoomX, 1);
    EXPECT_DOUBLE_EQ(doc.xmin1, 10 / 1.5);
    EXPECT_DOUBLE_EQ(doc.xmax1, 10 - 10 / 1.5);

    doc.axes[AxisY1].axismode = AxisLog;
    doc.scale(1, 1, 2, 1, 100, false, false);
    doc.upscale(10, ZoomY, 1, false);
    expectRanges(pair1(doc), 1, 2, 0.1, 1000);
    doc.downscale(10, ZoomY, 1);
    expectRanges(pair1(doc), 1, 2, 1, 100);

    doc.upscale(10, 7, 0, true); // unknown direction: no change
    expectRanges(pair1(doc), 1, 2, 1, 100);
}

TEST_F(AxisRangesTest, DataExtentsOverShownOrAllBuffers)
{
    EXPECT_EQ(doc.getXmin(1), 0);
    DataBuffer& hidden = addBuffer({{-3, 4}, {2, 9}});
    hidden.show = 0;
    EXPECT_EQ(doc.getXmin(0), 0);
    EXPECT_EQ(doc.getXmin(1), -3);
    addBuffer({{1, -8}, {5, 2}}, 2);
    EXPECT_EQ(doc.getXmin(0), 1);
    EXPECT_EQ(doc.getXmax(1), 5);
    EXPECT_EQ(doc.getYmin(1), -8);
    EXPECT_EQ(doc.getYmax(1), 9);
    EXPECT_EQ(doc.getYmax(0), 2);
}

// A sub-view has no window of its own: its range changes are steps of the
// main document's Edit menu, and undoing one redraws through the main view.
TEST_F(AxisRangesTest, SubviewRangesUndoThroughTheMainDocument)
{
    auto owned = std::make_unique<VexaDocument>();
    VexaDocument& sub = *owned;
    sub.subview = 1;
    sub.MPD = &doc;
    doc.SPD.push_back(std::move(owned));

    sub.scale(1, 2, 3, 4, 5, true, false);
    EXPECT_EQ(&sub.undoManager(), &doc.undoManager());
    EXPECT_EQ(doc.undoManager().undoCount(), 1u);
    const int before = view.displays;
    ASSERT_TRUE(doc.undoManager().undo());
    expectRanges(pair1(sub), 0, 1, 0, 1);
    expectRanges(pair1(doc), 0, 1, 0, 1);
    EXPECT_GT(view.displays, before);
    ASSERT_TRUE(doc.undoManager().redo());
    expectRanges(pair1(sub), 2, 3, 4, 5);
}

TEST_F(AxisRangesTest, DeletedBufferLeavesNoUndoActionBehind)
{
    DataBuffer& b = addBuffer({{1, 1}});
    doc.undoManager().registerUndo(&b, [&b] { b.X.set(0, 99); });
    b.setRm();
    doc.deleteBuffer();
    EXPECT_FALSE(doc.undoManager().canUndo());
}

} // namespace
