// The marks of single points: symbol shapes, fills, bars, error bars, sticks
// and dots, drawn into an image and probed where their shapes differ.

#include "Canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Probe {
    double dx, dy; // in half-sizes K from the centre
    bool ink;
};

} // namespace

// Filled symbols of half-size K = 20 at the centre, probed inside and
// outside where one shape differs from the others.
TEST(SymbolTest, EachKindHasItsShape)
{
    struct Case {
        int kind;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {7, {{0.9, 0.9, true}, {-0.9, -0.9, true}, {1.2, 0, false}, {0, -1.2, false}}}, // square
        {8, {{0, 1.0, true}, {-1.0, 0, true}, {0.9, 0.9, false}, {-0.9, -0.9, false}}}, // circle r 1.1K
        // point up
        {9, {{0, 1.0, true}, {1.0, -1.0, true}, {-1.0, -1.0, true}, {0.8, 0.8, false}, {0, -1.2, false}}},
        {10, {{1.1, 0, true}, {0, -1.1, true}, {0.7, 0.7, false}, {-0.7, -0.7, false}}}, // diamond
        {11, {{0, -1.0, true}, {1.0, 1.0, true}, {0.8, -0.8, false}, {0, 1.2, false}}}, // point down
        {12, {{0, 1.3, true}, {0, -1.3, true}, {0.6, 0, true}, {1.0, 0, false}}}, // tall rhombus
        {13, {{1.3, 0, true}, {-1.3, 0, true}, {0, 0.6, true}, {0, 1.0, false}}}, // wide rhombus
        {14, {{0.9, 0, true}, {0, -0.9, true}, {0.5, 0.5, false}, {1.2, 0, false}}}, // plus
        {15, {{0.7, 0.7, true}, {-0.725, 0.675, true}, {0.9, 0, false}, {0, 0.5, false}}}, // cross
    };
    for (const Case& c : cases) {
        Canvas cv;
        DataBuffer& b = cv.add({});
        b.style.symbol = c.kind;
        b.style.symbolsize = 40;
        b.style.linewidth = 3;
        const QImage img = cv.paint([&] { cv.view.plotSymbol(&b, 50, 50, -1, false); });
        for (const Probe& p : c.probes)
            EXPECT_EQ(inkAt(img, 50 + p.dx * 20 + 0.5, 50 + p.dy * 20 + 0.5), p.ink)
                << "symbol " << c.kind << " at (" << p.dx << ", " << p.dy << ")";
    }
}

TEST(SymbolTest, OpenShapesHideWhatIsBehindWithBackgroundOrFill)
{
    struct Case {
        int kind;
        bool symfill;
        QColor centre;
    };
    const QColor background(255, 255, 0), fill(0, 0, 255), line(255, 0, 0);
    const Case cases[] = {
        {0, false, background}, {0, true, fill},
        {7, false, line},       {7, true, line}, // filled shapes ignore symfill
        {3, false, background}, {10, true, line},
    };
    for (const Case& c : cases) {
        Canvas cv;
        cv.doc.page.backgroundcolor = background;
        DataBuffer& b = cv.add({});
        b.style.symbol = c.kind;
        b.style.symfill = c.symfill;
        b.style.symbolsize = 40;
        b.style.linewidth = 4; // 2.8 wide outline
        b.style.color = line;
        b.style.fillcolor = fill;
        const QImage img = cv.paint([&] { cv.view.plotSymbol(&b, 50, 50, -1, false); });
        EXPECT_EQ(colourAt(img, 50.5, 50.5), c.centre) << c.kind << " " << c.symfill;
        if (c.kind == 0) {
            EXPECT_EQ(colourAt(img, 30.5, 50.5), line) << "outline of " << c.kind;
        }
    }
}

TEST(SymbolTest, SizesKindsOutsideTheTableAndPerPointSizes)
{
    Canvas cv;
    DataBuffer& b = cv.add({});
    b.style.symbol = 7;
    b.style.symbolsize = 10; // K = 5
    b.style.linewidth = 0;
    QImage img = cv.paint([&] { cv.view.plotSymbol(&b, 50, 50, -1, false); });
    EXPECT_TRUE(inkAt(img, 54.5, 50.5));
    EXPECT_FALSE(inkAt(img, 57.5, 50.5));

    // A per-point size is the half-size; its sign does not matter.
    for (double size : {15.0, -15.0}) {
        img = cv.paint([&] { cv.view.plotSymbol(&b, 50, 50, size, true); });
        EXPECT_TRUE(inkAt(img, 64.5, 50.5)) << size;
        EXPECT_FALSE(inkAt(img, 67.5, 50.5)) << size;
    }

    for (int kind : {16, 100, -1}) {
        b.style.symbol = kind;
        EXPECT_TRUE(blankImage(cv.paint([&] { cv.view.plotSymbol(&b, 50, 50, -1, false); }))) << kind;
    }
}

TEST(SymbolTest, HugeSizesAndFarPointsReachNoFurtherThanTheView)
{
    Canvas cv;
    DataBuffer& b = cv.add({});
    b.style.symbol = 8; // a circle a hundred million points wide covers the view
    b.style.color = Qt::black;
    QImage img = cv.paint([&] { cv.view.plotSymbol(&b, 50, 50, 1e8, true); });
    EXPECT_TRUE(inkAt(img, 1, 1));
    EXPECT_TRUE(inkAt(img, 99, 99));

    b.style.symbol = 7; // a square beyond the view does not reach into it
    img = cv.paint([&] { cv.view.plotSymbol(&b, 1e300, -1e300, 5, true); });
    EXPECT_TRUE(blankImage(img));

    b.style.symbol = 1; // an open circle whose edge crosses the view: only the edge
    b.style.linewidth = 4;
    img = cv.paint([&] { cv.view.plotSymbol(&b, -1e6 + 50, 50, 1e6 / 1.1, true); });
    EXPECT_TRUE(inkAt(img, 49.5, 50.5));
    EXPECT_TRUE(inkAt(img, 50.5, 10.5));
    EXPECT_FALSE(inkAt(img, 60.5, 50.5));
    EXPECT_FALSE(inkAt(img, 40.5, 50.5));
}

TEST(BarTest, VerticalBarsReachTheirBase)
{
    struct Case {
        bool bottom, top;
        double ymin; // of the y range; the data zero lies at -ymin
        double reachFrom, reachTo; // inked view y along the bar's middle
        double clearAt;
    };
    const Case cases[] = {
        {false, false, 0, 1, 59, 61.5},
        {false, false, -50, 51, 59, 48}, // zero line at view y 50
        {true, false, -50, 1, 59, 61.5}, // down to the plot bottom
        {false, true, 0, 61, 99, 58}, // up to the plot top
    };
    for (const Case& c : cases) {
        Canvas cv;
        cv.doc.ymin1 = c.ymin;
        cv.doc.ymax1 = c.ymin + 100;
        DataBuffer& b = cv.add({});
        b.style.symbolsize = 10;
        b.style.linewidth = 1;
        b.style.barybottom = c.bottom;
        b.style.barytop = c.top;
        const QImage img = cv.paint([&] { cv.view.plotYBar(&b, 50, 60); });
        EXPECT_TRUE(inkAt(img, 50.5, c.reachFrom)) << c.bottom << c.top << c.ymin;
        EXPECT_TRUE(inkAt(img, 50.5, c.reachTo)) << c.bottom << c.top << c.ymin;
        EXPECT_FALSE(inkAt(img, 50.5, c.clearAt)) << c.bottom << c.top << c.ymin;
        EXPECT_FALSE(inkAt(img, 57.5, 55)) << "width";
    }
}

TEST(BarTest, OutlineInBarColourOnlyWithALineWidth)
{
    const QColor body(255, 0, 0), outline(0, 0, 255);
    for (double lw : {0.0, 3.0}) {
        Canvas cv;
        DataBuffer& b = cv.add({});
        b.style.symbolsize = 20;
        b.style.linewidth = lw;
        b.style.color = body;
        b.style.barcolor = outline;
        const QImage img = cv.paint([&] { cv.view.plotXBar(&b, 60, 50); });
        EXPECT_EQ(colourAt(img, 30.5, 50.5), body) << lw; // from the zero line at x 0 to 60
        EXPECT_EQ(colourAt(img, 60.2, 50.5) == outline, lw > 0) << lw;
        EXPECT_FALSE(inkAt(img, 30.5, 65)) << lw;
    }
}

TEST(ErrorBarTest, ModesGiveTheirSpan)
{
    struct Case {
        int modeY;
        double valY;
        double pointY;
        bool withErrors;
        double spanFrom, spanTo; // 0, 0: no bar
    };
    const Case cases[] = {
        {1, 20, 50, false, 30, 70}, {2, 40, 50, false, 30, 70}, // 40 % of 50
        {2, 40, -50, false, 0, 0}, // a negative value: no bar
        {3, 0, 50, false, 0, 0}, // own errors, but none
        {3, 0, 50, true, 40, 60}, // own error 10
        {0, 20, 50, false, 0, 0},   {4, 20, 50, false, 0, 0}, // unknown mode
    };
    for (const Case& c : cases) {
        Canvas cv;
        cv.doc.ymin1 = -100;
        DataBuffer& b = cv.add({});
        if (c.withErrors)
            b.addDoubleValueError(50, c.pointY, 0, 10);
        else
            b.addDoubleValue(50, c.pointY);
        b.errorbars.errorbary = c.modeY;
        b.errorbars.errorvaly = c.valY;
        b.errorbars.errorwidth = 2;
        b.style.symbolsize = 10; // caps 10 wide
        const double py = cv.view.yPoint(c.pointY, 1);
        const QImage img = cv.paint([&] { cv.view.plotErrorBar(&b, 50, py, 0); });
        const std::string label = std::to_string(c.modeY) + "/" + std::to_string(c.pointY);
        if (c.spanFrom == c.spanTo) {
            EXPECT_TRUE(blankImage(img)) << label;
            continue;
        }
        const double from = cv.view.yPoint(c.spanFrom, 1), to = cv.view.yPoint(c.spanTo, 1);
        EXPECT_TRUE(inkAt(img, 50.5, (from + to) / 2)) << label;
        EXPECT_TRUE(inkAt(img, 54, from)) << label << " cap";
        EXPECT_TRUE(inkAt(img, 46, to)) << label << " cap";
        EXPECT_FALSE(inkAt(img, 50.5, to + 4)) << label;
        EXPECT_FALSE(inkAt(img, 50.5, from - 4)) << label;
    }
}

TEST(ErrorBarTest, HorizontalBarsUseTheXValue)
{
    Canvas cv;
    DataBuffer& b = cv.add({{40, 50}});
    b.errorbars.errorbarx = 1;
    b.errorbars.errorvalx = 25;
    b.errorbars.errorwidth = 3;
    b.style.symbolsize = 10;
    const QImage img = cv.paint([&] { cv.view.plotErrorBar(&b, 40, 50, 0); });
    EXPECT_TRUE(inkAt(img, 16, 50.5));
    EXPECT_TRUE(inkAt(img, 64, 50.5));
    EXPECT_TRUE(inkAt(img, 15.5, 54));
    EXPECT_FALSE(inkAt(img, 70, 50.5));
    EXPECT_FALSE(inkAt(img, 40.5, 56)); // no y bar
}

TEST(StickTest, HalfLengthsAndAbsoluteSticks)
{
    Canvas cv;
    DataBuffer& b = cv.add({});
    b.style.plotysticks = 1;
    b.style.sticksize = 20; // 10 each way
    b.style.linewidth = 2;
    QImage img = cv.paint([&] { cv.view.plotSticks(&b, 50, 50, -1, false); });
    EXPECT_TRUE(inkAt(img, 50.5, 58));
    EXPECT_FALSE(inkAt(img, 50.5, 63));
    EXPECT_FALSE(inkAt(img, 58, 50.5)); // no x stick

    // In data units: the stick spans sticksize / 2 units in all.
    cv.doc.ymax1 = 50; // 2 points per unit
    b.style.stickabs = 1;
    img = cv.paint([&] { cv.view.plotSticks(&b, 50, 50, -1, false); });
    EXPECT_TRUE(inkAt(img, 50.5, 58));
    EXPECT_FALSE(inkAt(img, 50.5, 63));
    b.style.plotysticks = 0;
    EXPECT_TRUE(blankImage(cv.paint([&] { cv.view.plotSticks(&b, 50, 50, -1, false); })));
}

TEST(DotTest, DotOfTheLineWidth)
{
    Canvas cv;
    DataBuffer& b = cv.add({});
    b.style.linewidth = 8;
    const QImage img = cv.paint([&] { cv.view.plotDots(&b, 50, 50); });
    EXPECT_TRUE(inkAt(img, 52.5, 50.5));
    EXPECT_FALSE(inkAt(img, 56.5, 50.5));
}

TEST(MarkTest, NothingWithoutAPainter)
{
    Canvas cv;
    DataBuffer& b = cv.add({{1, 1}});
    b.errorbars.errorbary = 1;
    b.errorbars.errorvaly = 1;
    cv.view.plotSymbol(&b, 50, 50, -1, false);
    cv.view.plotYBar(&b, 50, 50);
    cv.view.plotErrorBar(&b, 50, 50, 0);
    EXPECT_TRUE(cv.view.ps.isEmpty());
}
