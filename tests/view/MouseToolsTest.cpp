// The tools that change how the data are viewed: pan, zoom by rectangle and
// by click (linear and logarithmic), measure, the legend, sub-views made,
// moved and sized; each gesture one undo step.

#include "ToolFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Ranges = std::array<double, 8>;

void expectRanges(const Ranges& got, const Ranges& want)
{
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-9) << "range value " << i;
}

const Ranges unchanged = {0, 100, 0, 100, 0, 1000, 0, 1000};

TEST(MouseTools, ZoomRectangleSetsTheChosenPairsInOneUndoStep)
{
    struct Case {
        const char* name;
        int pairs;
        QPointF from, to; // data values of pair 1
        Ranges want;
    };
    const Case cases[] = {
        {"pair 1", 1, {25, 25}, {75, 60}, {25, 75, 25, 60, 0, 1000, 0, 1000}},
        {"pair 2", 2, {25, 25}, {75, 60}, {0, 100, 0, 100, 250, 750, 250, 600}},
        {"both pairs", 0, {25, 25}, {75, 60}, {25, 75, 25, 60, 250, 750, 250, 600}},
        {"dragged backwards", 1, {75, 60}, {25, 25}, {25, 75, 25, 60, 0, 1000, 0, 1000}},
        {"purely horizontal", 0, {25, 25}, {75, 25}, unchanged},
        {"purely vertical", 0, {25, 25}, {25, 75}, unchanged},
        {"a click", 0, {25, 25}, {25, 25}, unchanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        g.manager.tool = QStringLiteral("zoom");
        g.manager.pairs = c.pairs;
        g.gesture(g.at(c.from.x(), c.from.y()), g.at(c.to.x(), c.to.y()));
        expectRanges(g.ranges(), c.want);
        const bool changed = g.ranges() != unchanged;
        EXPECT_EQ(g.doc.undoManager().undoCount(), changed ? 1u : 0u);
        if (changed) {
            EXPECT_TRUE(g.doc.undoManager().undo());
            expectRanges(g.ranges(), unchanged);
        }
    }
}

TEST(MouseTools, ZoomDragDrawsABandOverTheCachedImage)
{
    ToolGraph g;
    int caches = 0;
    g.view.setCacheHandler([&] { ++caches; });
    g.manager.tool = QStringLiteral("zoom");
    g.press(g.at(10, 10));
    g.drag(g.at(30, 40));
    EXPECT_EQ(caches, 1);
    EXPECT_FALSE(g.view.redraw);
    EXPECT_EQ(g.view.pb.path().boundingRect(), QRectF(g.at(10, 10), g.at(30, 40)).normalized());
    g.release(g.at(30, 40));
    EXPECT_TRUE(g.view.redraw);
}

TEST(MouseTools, ClickZoomAboutTheReleasePoint)
{
    struct Case {
        const char* tool;
        double x0, x1, y0, y1;
    };
    // X 0..10, Y 0..100; the release at x = 2, y = 50.
    const Case cases[] = {
        {"upscale", -4.5, 8.5, -15, 115},
        {"downscale", -1.5, 5.5, 15, 85},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        ToolGraph g;
        g.doc.xmax1 = 10;
        g.manager.tool = QLatin1String(c.tool);
        g.gesture(QPointF(50 + 2 * 40, 200), QPointF(50 + 2 * 40, 200), 0);
        EXPECT_NEAR(g.doc.xmin1, c.x0, 1e-9);
        EXPECT_NEAR(g.doc.xmax1, c.x1, 1e-9);
        EXPECT_NEAR(g.doc.ymin1, c.y0, 1e-9);
        EXPECT_NEAR(g.doc.ymax1, c.y1, 1e-9);
        EXPECT_EQ(g.doc.xmax2, 1000);
        EXPECT_EQ(g.doc.undoManager().undoCount(), 1u);
    }
}

TEST(MouseTools, PanFollowsThePointerAndUndoesToThePress)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("range");
    g.manager.pairs = 1;
    // 10 units right and 5 down: the data follow the pointer.
    g.gesture(g.at(50, 50), g.at(60, 45), 4);
    expectRanges(g.ranges(), {-10, 90, 5, 105, 0, 1000, 0, 1000});
    ASSERT_EQ(g.doc.undoManager().undoCount(), 1u);
    EXPECT_TRUE(g.doc.undoManager().undo());
    expectRanges(g.ranges(), unchanged);

    g.manager.pairs = 0;
    g.gesture(g.at(50, 50), g.at(60, 45), 2);
    expectRanges(g.ranges(), {-10, 90, 5, 105, -100, 900, 50, 1050});
}

// Zooming or panning a logarithmic axis by adding values would push its
// range below zero, where nothing can be drawn: there the steps are factors.
TEST(MouseTools, LogarithmicAxesPanAndZoomByDecades)
{
    ToolGraph g;
    g.doc.axes[AxisX1].axismode = AxisLog;
    g.doc.xmin1 = 1;
    g.doc.xmax1 = 1000;
    g.manager.tool = QStringLiteral("range");
    // A third of the plot width is one decade.
    g.gesture(QPointF(250, 200), QPointF(250 + 400.0 / 3, 200));
    EXPECT_NEAR(g.doc.xmin1, 0.1, 1e-9);
    EXPECT_NEAR(g.doc.xmax1, 100, 1e-9);

    ToolGraph z;
    z.doc.axes[AxisX1].axismode = AxisLog;
    z.doc.xmin1 = 1;
    z.doc.xmax1 = 1000;
    z.manager.tool = QStringLiteral("upscale");
    z.gesture(QPointF(250, 200), QPointF(250, 200), 0); // at 10^1.5
    EXPECT_NEAR(std::log10(z.doc.xmin1), 1.5 - 1.95, 1e-9);
    EXPECT_NEAR(std::log10(z.doc.xmax1), 1.5 + 1.95, 1e-9);
}

TEST(MouseTools, MeasureSetsItsOriginAtTheRelease)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("measure");
    g.gesture(g.at(10, 10), g.at(20, 30), 2);
    EXPECT_TRUE(g.view.haveoloc);
    EXPECT_EQ(g.view.oloc, g.at(20, 30));
    EXPECT_EQ(g.manager.measures, 2);
    EXPECT_EQ(g.ranges(), unchanged);
    EXPECT_EQ(g.doc.undoManager().undoCount(), 0u);
}

TEST(MouseTools, LegendFollowsTheDrag)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("legend");
    const double x = g.doc.legend.legendx, y = g.doc.legend.legendy;
    g.gesture(QPointF(100, 100), QPointF(130, 80), 3);
    EXPECT_DOUBLE_EQ(g.doc.legend.legendx, x + 30);
    EXPECT_DOUBLE_EQ(g.doc.legend.legendy, y - 20);
}

TEST(MouseTools, DragsWithoutAPressDoNothing)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("legend");
    const double x = g.doc.legend.legendx;
    g.drag(QPointF(200, 200));
    g.release(QPointF(300, 200));
    EXPECT_EQ(g.doc.legend.legendx, x);
}

// --- sub-views ----------------------------------------------------------------------------

VexaView& subviewView(const VexaDocument& sub)
{
    return *dynamic_cast<VexaView*>(sub.PV);
}

TEST(MouseTools, SubviewToolMakesASubviewOfTheRectangle)
{
    struct Case {
        const char* name;
        QPointF from, to;
        bool made;
        QRectF frame;
    };
    const Case cases[] = {
        {"6 x 6 grows to the smallest sub-view", {100, 100}, {106, 106}, true, {100, 100, 20, 20}},
        {"5 points wide", {100, 100}, {105, 200}, false, {}},
        {"dragged down and left", {200, 300}, {100, 150}, true, {100, 150, 100, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        g.manager.tool = QStringLiteral("subview");
        g.gesture(c.from, c.to);
        ASSERT_EQ(g.doc.SPD.size(), c.made ? 1u : 0u);
        if (!c.made)
            continue;
        VexaDocument& sub = *g.doc.SPD.front();
        EXPECT_EQ(subviewView(sub).frame(), c.frame);
        EXPECT_TRUE(sub.subview);
        EXPECT_EQ(sub.MPD, &g.doc);
        EXPECT_EQ(sub.W, &g.window);
        ASSERT_EQ(g.window.views.size(), 1u);
        EXPECT_EQ(g.window.views.front().get(), sub.PV);
        EXPECT_EQ(g.manager.PD, &sub);
        EXPECT_EQ(g.manager.MPD, &g.doc);

        // Not inside a sub-view.
        VexaView& v = subviewView(sub);
        v.mouseDown({QPointF(2, 2), QPointF(102, 102)});
        v.mouseDragged({QPointF(15, 15), QPointF(115, 115)});
        v.mouseUp({QPointF(15, 15), QPointF(115, 115)});
        EXPECT_TRUE(sub.SPD.empty());
        EXPECT_EQ(g.doc.SPD.size(), 1u);
    }
}

TEST(MouseTools, ChangeSubviewMovesOrSizesByTheCornerGrabbed)
{
    struct Case {
        const char* name;
        QPointF press; // in the sub-view
        QPointF by; // pointer movement in the window
        int corner;
        QRectF frame;
    };
    // A 100 x 100 sub-view at (100, 100).
    const Case cases[] = {
        {"bottom-left corner, truncated distance 9", {12.9, 3}, {10, 5}, 1, {110, 105, 90, 95}},
        {"truncated distance 10 grabs nothing", {13.5, 3}, {10, 5}, 0, {110, 105, 100, 100}},
        {"bottom-right", {97, 3}, {10, 5}, 2, {100, 105, 110, 95}},
        {"top-right", {97, 97}, {10, 5}, 3, {100, 100, 110, 105}},
        {"top-left", {3, 97}, {10, 5}, 4, {110, 100, 90, 105}},
        {"past the opposite corner stops at 20 x 20", {97, 97}, {-300, -300}, 3, {100, 100, 20, 20}},
        {"bottom-left past it too", {3, 3}, {300, 300}, 1, {180, 180, 20, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        g.manager.tool = QStringLiteral("subview");
        g.gesture(QPointF(100, 100), QPointF(200, 200));
        ASSERT_EQ(g.doc.SPD.size(), 1u);
        VexaDocument& sub = *g.doc.SPD.front();
        VexaView& v = subviewView(sub);
        g.manager.tool = QStringLiteral("chsubview");
        const QPointF w = c.press + QPointF(100, 100);
        v.mouseDown({c.press, w});
        EXPECT_EQ(v.movesubview, c.corner);
        v.mouseDragged({c.press + c.by / 2, w + c.by / 2});
        v.mouseDragged({c.press + c.by, w + c.by});
        v.mouseUp({c.press + c.by, w + c.by});
        EXPECT_EQ(v.frame(), c.frame);
    }
}

TEST(MouseTools, APressInASubviewMakesItCurrentFirst)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("subview");
    g.gesture(QPointF(100, 100), QPointF(200, 200));
    VexaDocument& sub = *g.doc.SPD.front();
    g.manager.setCurrentDoc(&g.doc, &g.doc);
    g.manager.tool = QStringLiteral("zoom");
    subviewView(sub).mouseDown({QPointF(50, 50), QPointF(150, 150)});
    EXPECT_EQ(g.manager.PD, &sub);
    EXPECT_EQ(g.manager.MPD, &g.doc);
}

TEST(MouseTools, HitDistanceTruncatesEachDifference)
{
    struct Case {
        QPointF p;
        bool hit;
    };
    const Case cases[] = {
        {{9.9, 0}, true},   {{10.5, 0}, false}, {{-9.9, 0}, true},
        {{7.9, 7.9}, true}, {{8, 8}, false},    {{NAN, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VexaView::hits(c.p, QPointF(0, 0), 10), c.hit) << c.p.x() << ", " << c.p.y();
}

} // namespace
