// Plot area, value <-> view point conversions, and the thinning steps.

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A 600 x 400 view of a new document (margins 80, 10, 10, 80).
struct Fixture {
    VexaDocument doc;
    VexaView view{QSizeF(600, 400)};
    Fixture()
    {
        view.setVexaDocument(&doc);
        view.resize();
    }
};

} // namespace

TEST(ViewGeometryTest, PlotAreaFollowsBoundsAndMargins)
{
    Fixture f;
    EXPECT_EQ(f.view.left, 80);
    EXPECT_EQ(f.view.bottom, 80);
    EXPECT_EQ(f.view.right, 590);
    EXPECT_EQ(f.view.top, 390);
    EXPECT_EQ(f.view.width, 510);
    EXPECT_EQ(f.view.height, 310);

    // Margins count only once the plot area is recomputed.
    f.doc.page.marginleft = 100;
    EXPECT_EQ(f.view.width, 510);
    f.view.setFrameSize(QSizeF(700, 400));
    f.view.resize();
    EXPECT_EQ(f.view.left, 100);
    EXPECT_EQ(f.view.width, 590);
    EXPECT_EQ(f.view.boundsSize(), QSizeF(700, 400));
}

TEST(ViewGeometryTest, BindingPlacesAnUnplacedLegend)
{
    VexaDocument doc;
    VexaView view(QSizeF(600, 400));
    view.setVexaDocument(&doc);
    EXPECT_EQ(doc.legend.legendx, 100);
    EXPECT_EQ(doc.legend.legendy, 370);

    VexaDocument placed;
    placed.legend.legendx = -1;
    placed.legend.legendy = 5;
    view.setVexaDocument(&placed);
    EXPECT_EQ(placed.legend.legendx, -1);
    EXPECT_EQ(placed.legend.legendy, 5);
}

TEST(ViewTransformTest, LinearPairsAndTheirInverse)
{
    Fixture f;
    f.doc.xmin1 = 0, f.doc.xmax1 = 10, f.doc.ymin1 = -1, f.doc.ymax1 = 1;
    f.doc.xmin2 = 100, f.doc.xmax2 = 200, f.doc.ymin2 = 0, f.doc.ymax2 = 31;
    struct Case {
        int pair;
        double x, y; // data
        double px, py; // view
    };
    const Case cases[] = {
        {1, 0, -1, 80, 80},      {1, 10, 1, 590, 390},    {1, 5, 0, 335, 235},
        {2, 150, 3.1, 335, 111}, {0, 150, 3.1, 335, 111}, // 0 means pair 2
        {7, 200, 31, 590, 390}, // so does any other number
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(f.view.xPoint(c.x, c.pair), c.px) << c.pair;
        EXPECT_DOUBLE_EQ(f.view.yPoint(c.y, c.pair), c.py) << c.pair;
        EXPECT_NEAR(f.view.xValue(c.px, c.pair), c.x, 1e-12) << c.pair;
        EXPECT_NEAR(f.view.yValue(c.py, c.pair), c.y, 1e-12) << c.pair;
    }
}

TEST(ViewTransformTest, ReversedAxesMirror)
{
    Fixture f;
    f.doc.xmin1 = 10, f.doc.xmax1 = 0; // stored reversed
    f.doc.ymin2 = 100, f.doc.ymax2 = 0;
    f.doc.axes[AxisY2].axismode = AxisLog; // with a usable log range reversed too
    f.doc.ymin2 = 1000, f.doc.ymax2 = 1;
    EXPECT_DOUBLE_EQ(f.view.xPoint(10, 1), 80);
    EXPECT_DOUBLE_EQ(f.view.xPoint(0, 1), 590);
    EXPECT_DOUBLE_EQ(f.view.xValue(80, 1), 10);
    EXPECT_DOUBLE_EQ(f.view.yPoint(1000, 2), 80);
    EXPECT_DOUBLE_EQ(f.view.yPoint(1, 2), 390);
    EXPECT_NEAR(f.view.yValue(80, 2), 1000, 1e-9);
}

TEST(ViewTransformTest, LogarithmicAxes)
{
    Fixture f;
    f.doc.axes[AxisX1].axismode = AxisLog;
    f.doc.xmin1 = 1, f.doc.xmax1 = 1000;
    EXPECT_DOUBLE_EQ(f.view.xPoint(1, 1), 80);
    EXPECT_DOUBLE_EQ(f.view.xPoint(10, 1), 80 + 170);
    EXPECT_DOUBLE_EQ(f.view.xPoint(1000, 1), 590);
    EXPECT_NEAR(f.view.xValue(250, 1), 10, 1e-12);
    // Nothing the axis cannot show maps anywhere but 0: not the left edge.
    EXPECT_EQ(f.view.xPoint(0, 1), 0);
    EXPECT_EQ(f.view.xPoint(-5, 1), 0);
    EXPECT_EQ(f.view.xValue(0, 1), 0);
    EXPECT_EQ(f.view.xValue(-3, 1), 0);
    f.doc.xmin1 = 0;
    EXPECT_EQ(f.view.xPoint(10, 1), 0);
    EXPECT_EQ(f.view.xValue(250, 1), 0);
    // Y1 is still linear; a time axis is linear in seconds.
    f.doc.axes[AxisY1].axismode = AxisTime;
    EXPECT_DOUBLE_EQ(f.view.yPoint(0.5, 1), 235);
}

TEST(ViewTransformTest, FreeBufferRangesAreLinearOnAnyAxis)
{
    Fixture f;
    f.doc.axes[AxisX1].axismode = AxisLog;
    f.doc.xmin1 = 1, f.doc.xmax1 = 1000;
    DataBuffer b;
    b.style.freex = 1;
    b.style.fxmin = -10, b.style.fxmax = 10;
    b.style.fymin = 0, b.style.fymax = 2; // not used: freey is off
    EXPECT_DOUBLE_EQ(f.view.xPoint(0, 1, &b), 335);
    EXPECT_DOUBLE_EQ(f.view.xPoint(-10, 1, &b), 80);
    EXPECT_DOUBLE_EQ(f.view.yPoint(0.5, 1, &b), f.view.yPoint(0.5, 1));
    b.style.freex = 0; // the same buffer without the flag follows the axis
    EXPECT_DOUBLE_EQ(f.view.xPoint(10, 1, &b), 250);
    EXPECT_DOUBLE_EQ(f.view.xPoint(10, 1, nullptr), 250);
}

TEST(ViewTransformTest, WithoutADocumentEverythingIsZero)
{
    VexaView view(QSizeF(600, 400));
    DataBuffer b;
    b.style.freex = 1;
    EXPECT_EQ(view.xPoint(5, 1), 0);
    EXPECT_EQ(view.yPoint(5, 2), 0);
    EXPECT_EQ(view.xPoint(5, 1, &b), 0);
    EXPECT_EQ(view.xValue(300, 1), 0);
    EXPECT_EQ(view.yValue(300, 1), 0);
    view.resize(); // no document: nothing to compute from
    EXPECT_EQ(view.width, 0);
}

TEST(ViewTransformTest, RangeWithoutExtentGivesNoFiniteCoordinate)
{
    Fixture f;
    f.doc.xmin1 = f.doc.xmax1 = 5;
    EXPECT_FALSE(std::isfinite(f.view.xPoint(6, 1)));
}

TEST(ViewTransformTest, DashTableFollowsTheLastWidth)
{
    Fixture f;
    EXPECT_EQ(f.view.dash.width(), 0);
    f.view.setDashPattern(2);
    EXPECT_EQ(f.view.dash.lengths(7), (QList<double>{12, 7, 7, 7, 3, 7}));
    EXPECT_EQ(f.view.dash.lengths(2), (QList<double>{7}));
}

TEST(ViewTransformTest, OverflowingCoordinatesSaturate)
{
    Fixture f;
    f.doc.xmin1 = 0, f.doc.xmax1 = 1e-300;
    EXPECT_EQ(f.view.xPoint(1e10, 1), std::numeric_limits<double>::max());
    EXPECT_EQ(f.view.xPoint(-1e10, 1), -std::numeric_limits<double>::max());
    EXPECT_TRUE(std::isnan(f.view.xPoint(std::nan(""), 1)));
    EXPECT_TRUE(std::isinf(f.view.xPoint(std::numeric_limits<double>::infinity(), 1)));
}
