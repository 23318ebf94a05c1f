// Buffers drawn as lines, areas, histograms and marks by the view's two
// buffer loops, checked where the pixels must and must not be.

#include "Canvas.h"

#include "model/ManagerServices.h"

#include <QPainterPath>
#include <QPolygonF>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// Share of sample points along a-b (view points) that carry ink.
double inkAlong(const QImage& img, QPointF a, QPointF b)
{
    int inked = 0;
    const int n = 40;
    for (int i = 0; i <= n; ++i) {
        const QPointF p = a + (b - a) * (double(i) / n);
        inked += inkAt(img, p.x(), p.y()) ? 1 : 0;
    }
    return double(inked) / (n + 1);
}

DataBuffer& line(Canvas& cv, const std::vector<std::pair<double, double>>& points, double width = 3)
{
    DataBuffer& b = cv.add(points);
    b.style.linewidth = width;
    return b;
}

} // namespace

TEST(LineTest, PassesThroughItsPoints)
{
    Canvas cv;
    line(cv, {{10, 10}, {90, 90}});
    const QImage img = cv.render();
    EXPECT_TRUE(inkAt(img, 50.5, 50.5));
    EXPECT_TRUE(inkAt(img, 20.5, 20.5));
    EXPECT_FALSE(inkAt(img, 50.5, 20.5));
    EXPECT_FALSE(inkAt(img, 95.5, 95.5));
}

TEST(LineTest, HiddenBufferDrawsNothing)
{
    Canvas cv;
    DataBuffer& b = line(cv, {{10, 10}, {50, 80}, {90, 30}});
    b.style.plotsymbols = b.style.plotarea = b.style.plotfhist = b.style.plothist = b.style.plotybars
        = b.style.plotdots = 1;
    b.errorbars.errorbary = 1;
    b.errorbars.errorvaly = 5;
    b.show = 0;
    EXPECT_TRUE(blankImage(cv.render()));
}

TEST(LineTest, NonFiniteValuesBreakTheLine)
{
    for (double bad : {NaN, Inf, -Inf}) {
        Canvas cv;
        DataBuffer& b = line(cv, {{10, 20}, {30, 20}, {50, bad}, {70, 20}, {90, 20}});
        b.style.plotsymbols = 1;
        b.style.symbol = 7;
        b.style.symbolsize = 4;
        const QImage img = cv.render();
        EXPECT_TRUE(inkAt(img, 20.5, 20.5)) << bad;
        EXPECT_TRUE(inkAt(img, 80.5, 20.5)) << bad;
        EXPECT_FALSE(inkAt(img, 45.5, 20.5)) << bad;
        EXPECT_FALSE(inkAt(img, 55.5, 20.5)) << bad;
    }
}

// y = 1, 2, 0, 3, 4 on a logarithmic y axis: one path goes on from the
// second point straight to the fifth; segment by segment, the fourth-fifth
// segment stands alone.
TEST(LineTest, LogInvalidPointsInOnePathAndPerSegment)
{
    struct Case {
        bool crowd; // 2000 more points shown elsewhere
        bool forceHigh;
        int dash;
        bool onePath;
        int alpha = 255;
    };
    const Case cases[] = {
        {false, false, 0, true}, // few points
        {true, false, 0, false}, // many: segment by segment
        {true, false, 0, false, 160}, // also in a translucent colour
        {true, true, 0, true}, // unless asked for one path
        {true, false, 3, true}, // or dashed
    };
    for (const Case& c : cases) {
        Canvas cv;
        cv.doc.axes[AxisY1].axismode = AxisLog;
        cv.doc.ymin1 = 1;
        cv.doc.ymax1 = 10;
        cv.doc.page.forcerenderhigh = c.forceHigh;
        DataBuffer& b = line(cv, {{10, 1}, {30, 2}, {50, 0}, {70, 3}, {90, 4}});
        b.style.dash = c.dash;
        b.style.color = QColor(0, 0, 0, c.alpha);
        if (c.crowd) {
            DataBuffer& other = cv.add({});
            other.X.assign(1995, 1);
            other.Y.assign(1995, 1);
            other.style.plotlines = 0;
        }
        const QImage img = cv.render();
        const QPointF p2(30, cv.view.yPoint(2, 1)), p4(70, cv.view.yPoint(3, 1)),
            p5(90, cv.view.yPoint(4, 1));
        const QPointF mid = (p2 + p5) / 2;
        const std::string label = std::to_string(c.crowd) + std::to_string(c.forceHigh)
            + std::to_string(c.dash) + "/" + std::to_string(c.alpha);
        if (c.onePath)
            EXPECT_GT(inkAlong(img, p2 + (mid - p2) * 0.5, mid), 0.3) << label;
        else
            EXPECT_EQ(inkAlong(img, p2 + (mid - p2) * 0.5, mid), 0) << label;
        EXPECT_GT(inkAlong(img, p4, p5), 0.3) << label;
    }
}

TEST(LineTest, SegmentsOffOneSideAreCulledUnlessTheRangeIsFree)
{
    Canvas cv;
    DataBuffer& b = line(cv, {{200, 10}, {300, 90}});
    EXPECT_TRUE(blankImage(cv.render()));
    b.style.freex = 1;
    b.style.fxmin = 200;
    b.style.fxmax = 300;
    const QImage img = cv.render();
    EXPECT_TRUE(inkAt(img, 50.5, 50.5));
}

// Coordinates far beyond the view are clipped before the painter sees them:
// the visible part of the line is still where it belongs.
TEST(LineTest, HugeCoordinatesAreClippedNotLost)
{
    struct Case {
        double y1, y2;
        bool dashed;
    };
    const Case cases[] = {
        {-1e300, 1e300, false},
        {-1.7e308, 1.7e308, false}, // the difference overflows a double
        {-1e12, 1e12, true},
    };
    for (const Case& c : cases) {
        Canvas cv;
        DataBuffer& b = line(cv, {{50, c.y1}, {50, c.y2}});
        b.style.dash = c.dashed ? 2 : 0;
        const QImage img = cv.render();
        EXPECT_GT(inkAlong(img, {50.5, 1}, {50.5, 99}), 0.4) << c.y2;
        EXPECT_FALSE(inkAt(img, 55.5, 50.5)) << c.y2;
    }

    // A range a hair wide maps ordinary values far out.
    Canvas cv;
    cv.doc.ymin1 = 0;
    cv.doc.ymax1 = 1e-300;
    line(cv, {{0, -1}, {100, 1}});
    const QImage img = cv.render();
    EXPECT_TRUE(inkAt(img, 50.5, 50.5));
    EXPECT_FALSE(inkAt(img, 20.5, 50.5));
}

TEST(LineTest, RangeWithoutExtentDrawsNothing)
{
    Canvas cv;
    cv.doc.xmin1 = cv.doc.xmax1 = 5;
    DataBuffer& b = line(cv, {{10, 10}, {90, 90}});
    b.style.plotsymbols = b.style.plotarea = 1;
    EXPECT_TRUE(blankImage(cv.render()));
}

// 600 points on a 100-point plot, alternating between two levels: every
// point is drawn, not every third.
TEST(LineTest, LongLinesKeepEveryLevel)
{
    Canvas cv;
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 600; ++i)
        points.emplace_back(i / 6.0, i % 3 == 0 ? 10 : 90);
    line(cv, points, 1);
    const QImage img = cv.render();
    EXPECT_TRUE(inkAt(img, 50.5, 10.5));
    EXPECT_GT(inkAlong(img, {5, 90}, {95, 90}), 0.5);
}

namespace {

// Ink of each pixel, 0 (white) to 255 (black).
std::vector<int> inkOf(const QImage& img)
{
    std::vector<int> ink;
    ink.reserve(std::size_t(img.width() * img.height()));
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ink.push_back(255 - qGray(img.pixel(x, y)));
    return ink;
}

// Pixels of a that carry much ink (half of full or more) where b has little
// (less than a quarter) on the pixel and on each of its eight neighbours.
// Two drawings of the same line differ only by their antialiasing: the
// shading of edge pixels, which many segments stacked in one column darken
// to full ink where a few leave them grey, and where in the pixel a vertex
// lies. A part of the data left out, a spike cut short or a band drawn too
// narrow leaves whole pixels of ink without any nearby.
int unmatchedInk(const std::vector<int>& a, const std::vector<int>& b, int width)
{
    const int height = int(a.size()) / width;
    int unmatched = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (a[std::size_t(y * width + x)] < 128)
                continue;
            int near = 0;
            for (int v = std::max(0, y - 1); v <= std::min(height - 1, y + 1); ++v)
                for (int u = std::max(0, x - 1); u <= std::min(width - 1, x + 1); ++u)
                    near = std::max(near, b[std::size_t(v * width + u)]);
            unmatched += near < 64;
        }
    return unmatched;
}

// Pixels inside solid ink of a (full on the pixel and on each of its eight
// neighbours) that b leaves short of nearly full. Where a dense line inks a
// stretch of columns black, a column drawn otherwise shows as a grey seam,
// too faint for unmatchedInk but plain to the eye.
int seamsIn(const std::vector<int>& a, const std::vector<int>& b, int width)
{
    const int height = int(a.size()) / width;
    int seams = 0;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x) {
            bool solid = true;
            for (int v = y - 1; v <= y + 1; ++v)
                for (int u = x - 1; u <= x + 1; ++u)
                    solid = solid && a[std::size_t(v * width + u)] == 255;
            seams += solid && b[std::size_t(y * width + x)] < 240;
        }
    return seams;
}

// How far the kept points must match where every point inks solid black.
enum class Solid {
    Kept, // no seams in it
    // Not checked: a line wider than a device pixel inks beyond its column
    // from every point near the column's edge, which every point stacks to
    // black; the kept points reach the half width only beyond their extremes.
    Unchecked,
};

void expectSamePicture(const std::vector<int>& every, const std::vector<int>& kept, int width,
                       Solid solid = Solid::Kept)
{
    long total = 0;
    for (int v : every)
        total += v;
    ASSERT_GT(total, 255 * 50) << "nothing drawn";
    EXPECT_EQ(unmatchedInk(every, kept, width), 0) << "every point has ink the kept ones lack";
    EXPECT_EQ(unmatchedInk(kept, every, width), 0) << "the kept points have ink every point lacks";
    if (solid == Solid::Kept) {
        EXPECT_EQ(seamsIn(every, kept, width), 0) << "the kept points leave seams where every point is solid";
    }
}

// Shapes of dense data, 80 points to a pixel column of the 100-point plot.
struct Shape {
    const char* name;
    std::function<void(Canvas&, DataBuffer&)> make;
};

std::vector<Shape> denseShapes()
{
    constexpr int n = 8000;
    auto fill = [](DataBuffer& b, const std::function<std::pair<double, double>(int, double)>& at) {
        std::uint64_t s = 99;
        for (int i = 0; i < n; ++i) {
            s = s * 6364136223846793005ull + 1442695040888963407ull;
            const auto [x, y] = at(i, double(s >> 40) / double(1ull << 24));
            b.addDoubleValue(x, y);
        }
        b.rescale();
    };
    auto along = [](int i) { return 2 + 96.0 * i / n; };
    return {
        {"noise",
         [=](Canvas&, DataBuffer& b) {
             fill(b, [=](int i, double r) { return std::pair(along(i), 30 + 40 * r); });
         }},
        {"spikes",
         [=](Canvas&, DataBuffer& b) {
             fill(b, [=](int i, double r) {
                 return std::pair(along(i), i == 2003 ? 97.0 : i == 5611 ? 3.0 : 50 + 0.1 * r);
             });
         }},
        {"sawtooth",
         [=](Canvas&, DataBuffer& b) {
             fill(b, [=](int i, double) { return std::pair(along(i), 10 + 80 * ((i % 137) / 137.0)); });
         }},
        {"dense oscillation",
         [=](Canvas&, DataBuffer& b) {
             fill(b, [=](int i, double r) {
                 return std::pair(along(i), 50 + 40 * std::sin(0.37 * i) * (0.5 + 0.5 * r));
             });
         }},
        {"steps",
         [=](Canvas&, DataBuffer& b) {
             fill(b, [=](int i, double) { return std::pair(along(i), 20 + 20 * double(i / 1999)); });
         }},
        {"NaN gaps",
         [=](Canvas&, DataBuffer& b) {
             fill(b, [=](int i, double r) {
                 return std::pair(along(i), (i / 600) % 3 == 1 || i % 397 == 0 ? NaN : 20 + 60 * r * r);
             });
         }},
        {"log y, zeros left out",
         [=](Canvas& cv, DataBuffer& b) {
             cv.doc.axes[AxisY1].axismode = AxisLog;
             cv.doc.ymin1 = 1;
             cv.doc.ymax1 = 1000;
             fill(b, [=](int i, double r) {
                 return std::pair(along(i), i % 200 == 7 ? 0.0 : std::pow(10.0, 3 * r));
             });
         }},
        {"log x",
         [=](Canvas& cv, DataBuffer& b) {
             cv.doc.axes[AxisX1].axismode = AxisLog;
             cv.doc.xmin1 = 1;
             cv.doc.xmax1 = 100;
             fill(b, [=](int i, double r) {
                 return std::pair(1 + 99.0 * i / n, 50 + 40 * std::sin(i * 0.025) * r);
             });
         }},
        {"back and forth in x, reversed axis",
         [=](Canvas& cv, DataBuffer& b) {
             cv.doc.axes[AxisX1].reverse = 1;
             std::swap(cv.doc.xmin1, cv.doc.xmax1);
             fill(b, [=](int i, double r) {
                 return std::pair(50 + 45 * std::sin(i * 0.00175), 50 + 45 * std::cos(i * 0.00275) + 4 * r);
             });
         }},
        {"beyond the range",
         [=](Canvas&, DataBuffer& b) {
             fill(b, [=](int i, double r) {
                 return std::pair(-50 + 200.0 * i / n, i % 2 ? -20 + 80 * r : 40 + 90 * r);
             });
         }},
    };
}

} // namespace

// The line through the points kept looks like the line through every point
// (`alldraw`), on every shape of data, as thin and thick lines, segment by
// segment and as one path, and on a target of two pixels per point. They
// may differ only in the shading of edges: no pixel by more than half of
// full ink, and in all by less than a twentieth of the ink. (Every point
// stacks hundreds of translucent edge pixels in a column where the kept
// points lay a few; the shading of one edge pixel is the most they differ.)
// Where every point inks solid black, a line one device pixel wide stays
// solid: no column of it is left grey.
TEST(LineTest, DenseLinesLookAsIfEveryPointWereDrawn)
{
    struct Drawing {
        double width;
        bool onePath;
        double pixelRatio;
        Solid solid;
    };
    const Drawing drawings[] = {{1, false, 1, Solid::Kept},
                                {0, false, 1, Solid::Kept},
                                {3, true, 1, Solid::Unchecked},
                                {1, false, 2, Solid::Unchecked}};
    for (const Shape& shape : denseShapes())
        for (const Drawing& d : drawings) {
            SCOPED_TRACE(testing::Message()
                         << shape.name << ", width " << d.width << (d.onePath ? ", one path" : "") << ", "
                         << d.pixelRatio << " px/pt");
            Canvas cv;
            DataBuffer& b = cv.add({});
            shape.make(cv, b);
            b.style.linewidth = d.width;
            cv.doc.page.forcerenderhigh = d.onePath;
            const std::vector<int> kept = inkOf(cv.render(d.pixelRatio));
            cv.doc.page.alldraw = 1;
            const std::vector<int> every = inkOf(cv.render(d.pixelRatio));
            expectSamePicture(every, kept, int(std::lround(Canvas::Size * d.pixelRatio)), d.solid);
        }
}

// Areas are always drawn through the kept points; they fill and outline
// what the area through every point does.
TEST(AreaTest, DenseAreasLookAsIfEveryPointWereDrawn)
{
    for (const Shape& shape : denseShapes()) {
        SCOPED_TRACE(shape.name);
        Canvas cv;
        cv.doc.ymin1 = std::min(cv.doc.ymin1, -10.0); // the baseline in view
        DataBuffer& b = cv.add({});
        shape.make(cv, b);
        b.style.plotlines = 0;
        b.style.plotarea = 1;
        b.style.fillcolor = Qt::black;
        const std::vector<int> kept = inkOf(cv.render());
        // The outline through every point that can be placed, closed
        // down to the baseline, filled and outlined.
        const VexaView::AxisMap xm = cv.view.xMap(1, &b), ym = cv.view.yMap(1, &b);
        QPolygonF outline;
        for (int i = 0; i < b.nop(); ++i) {
            const QPointF p(xm(b.X[std::size_t(i)]), ym(b.Y[std::size_t(i)]));
            if (std::isfinite(p.x()) && std::isfinite(p.y()))
                outline << p;
        }
        outline.prepend(QPointF(outline.front().x(), ym(0)));
        outline << QPointF(outline.back().x(), ym(0));
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        path.addPolygon(outline);
        path.closeSubpath();
        QImage img = Canvas::blank();
        {
            QPainter painter(&img);
            painter.setRenderHint(QPainter::Antialiasing, true);
            VexaView::flipToViewPoints(painter, Canvas::Size);
            painter.setClipRect(cv.view.plotRect());
            painter.fillPath(path, Qt::black);
            painter.strokePath(path, QPen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
        const std::vector<int> every = inkOf(img);
        expectSamePicture(every, kept, Canvas::Size);
    }
}

TEST(AreaTest, FillsDownToTheBaseline)
{
    Canvas cv;
    cv.doc.ymin1 = -20;
    cv.doc.ymax1 = 80; // the data zero at view y 20
    DataBuffer& b = cv.add({{10, 30}, {50, 60}, {90, 30}});
    b.style.plotlines = 0;
    b.style.plotarea = 1;
    b.style.fillcolor = QColor(0, 0, 255);
    const QImage img = cv.render();
    EXPECT_EQ(colourAt(img, 50.5, 40.5), b.style.fillcolor);
    EXPECT_EQ(colourAt(img, 50.5, 25.5), b.style.fillcolor);
    EXPECT_FALSE(inkAt(img, 50.5, 15.5)); // below the baseline
    EXPECT_FALSE(inkAt(img, 50.5, 85.5)); // above the line
    EXPECT_FALSE(inkAt(img, 5.5, 25.5)); // left of the first point
}

// x = 0, 1, 3: steps from -0.5 to 0.5, 0.5 to 2 and 2 to 4.
TEST(HistogramTest, FilledStepsReachHalfwayToTheirNeighbours)
{
    Canvas cv;
    cv.doc.xmin1 = -1;
    cv.doc.xmax1 = 5;
    cv.doc.ymin1 = 0;
    cv.doc.ymax1 = 3;
    DataBuffer& b = cv.add({{0, 1}, {1, 2}, {3, 1}});
    b.style.plotlines = 0;
    b.style.plotfhist = 1;
    b.style.fillcolor = QColor(255, 0, 0);
    const QImage img = cv.render();
    auto at = [&](double x, double y) { return colourAt(img, cv.view.xPoint(x, 1), cv.view.yPoint(y, 1)); };
    EXPECT_EQ(at(-0.3, 0.5), b.style.fillcolor);
    EXPECT_EQ(at(1.5, 1.5), b.style.fillcolor);
    EXPECT_EQ(at(3.7, 0.5), b.style.fillcolor);
    EXPECT_EQ(at(-0.8, 0.5), QColor(Qt::white));
    EXPECT_EQ(at(2.5, 1.5), QColor(Qt::white));
    EXPECT_EQ(at(4.4, 0.5), QColor(Qt::white));
    EXPECT_EQ(at(0, 1.5), QColor(Qt::white));
}

TEST(HistogramTest, OutlineHasRisersButNoBaseline)
{
    Canvas cv;
    cv.doc.xmin1 = -1;
    cv.doc.xmax1 = 5;
    cv.doc.ymin1 = 0;
    cv.doc.ymax1 = 3;
    DataBuffer& b = cv.add({{0, 1}, {1, 2}, {3, 1}});
    b.style.plotlines = 0;
    b.style.plothist = 1;
    b.style.linewidth = 2;
    const QImage img = cv.render();
    auto ink = [&](double x, double y) { return inkAt(img, cv.view.xPoint(x, 1), cv.view.yPoint(y, 1)); };
    EXPECT_TRUE(ink(1.5, 2)); // top of the second step
    EXPECT_TRUE(ink(0.5, 1.5)); // riser between the first two
    EXPECT_TRUE(ink(-0.3, 1));
    EXPECT_FALSE(ink(-0.5, 0.5)); // no closing down to 0
    EXPECT_FALSE(ink(1.5, 0.05));
    EXPECT_FALSE(ink(1.5, 1.5));

    // A single point has no step width: nothing.
    Canvas one;
    DataBuffer& single = one.add({{50, 50}});
    single.style.plotlines = 0;
    single.style.plothist = single.style.plotfhist = 1;
    EXPECT_TRUE(blankImage(one.render()));
}

TEST(MarksLoopTest, PointsALogAxisCannotShowGetNoMarks)
{
    Canvas cv;
    cv.doc.axes[AxisX1].axismode = AxisLog;
    cv.doc.xmin1 = 1;
    cv.doc.xmax1 = 100;
    DataBuffer& b = cv.add({{-1, 50}, {10, 50}});
    b.style.plotlines = 0;
    b.style.plotsymbols = 1;
    b.style.symbol = 7;
    b.style.symbolsize = 10;
    b.errorbars.errorbary = 1;
    b.errorbars.errorvaly = 20;
    const QImage img = cv.render();
    EXPECT_TRUE(inkAt(img, 50.5, 50.5));
    EXPECT_TRUE(inkAt(img, 50.5, 65.5)); // its error bar
    EXPECT_FALSE(inkAt(img, 1.5, 50.5));
    EXPECT_FALSE(inkAt(img, 0.5, 65.5));
}

namespace {

class Variables : public ManagerServices {
public:
    Variables() { GV.insert(QStringLiteral("scale"), 2); }
};

} // namespace

TEST(MarksLoopTest, DynamicSizesComeFromTheExpression)
{
    struct Case {
        const char* dynsize;
        double inside, outside; // view x right of the point at x 50
    };
    const Case cases[] = {
        {"y*2", 68.5, 72.5}, // half-size 20 at y = 10
        {"y*scale", 68.5, 72.5}, // the controller's variables
        {"r0*5 + 0*y", 54.5, 56.5}, // no numbered variables: does not parse
        {"dp + np + 1", 52.5, 54.5}, // point 0 of 1: half-size 2
        {"y*", 54.5, 56.5}, // does not parse: symbolsize / 2 = 5
        {"", 54.5, 56.5},
    };
    Variables services;
    for (const Case& c : cases) {
        Canvas cv;
        cv.view.M = &services;
        DataBuffer& b = cv.add({{50, 10}});
        b.style.plotlines = 0;
        b.style.plotsymbols = 1;
        b.style.symbol = 7;
        b.style.symbolsize = 10;
        b.style.linewidth = 0;
        b.dynsize = QString::fromLatin1(c.dynsize);
        const QImage img = cv.render();
        EXPECT_TRUE(inkAt(img, c.inside, 10.5)) << c.dynsize;
        EXPECT_FALSE(inkAt(img, c.outside, 10.5)) << c.dynsize;
    }
}

TEST(MarksLoopTest, SticksTakeTheDynamicSizeToo)
{
    Canvas cv;
    DataBuffer& b = cv.add({{50, 50}});
    b.style.plotlines = 0;
    b.style.plotxsticks = 1;
    b.style.sticksize = 10;
    b.style.linewidth = 2;
    b.dynsize = QStringLiteral("30");
    const QImage img = cv.render();
    EXPECT_TRUE(inkAt(img, 78.5, 50.5));
    EXPECT_FALSE(inkAt(img, 83.5, 50.5));
}

// Many symbols on a raster target are copies of one drawing of the symbol;
// they must look like the symbols drawn one by one, and stay in the plot.
TEST(MarksLoopTest, CopiedSymbolsMatchDrawnOnes)
{
    for (int kind : {0, 1, 9, 13, 15}) {
        Canvas cv;
        std::vector<std::pair<double, double>> points;
        for (int i = 0; i < 100; ++i)
            points.emplace_back(3 + std::fmod(i * 9.37, 94), 3 + std::fmod(i * 17.71, 94));
        DataBuffer& b = cv.add(points);
        b.style.plotlines = 0;
        b.style.plotsymbols = 1;
        b.style.symbol = kind;
        b.style.symbolsize = 7;
        b.style.linewidth = 1.5;
        b.style.color = QColor(200, 0, 0);
        const QImage copied = cv.render();
        const QImage drawn = cv.paint([&] {
            for (auto [x, y] : points)
                cv.view.plotSymbol(&b, x, y, -1, false);
        });
        // Edges may differ by the eighth of a pixel a copy can be off; the
        // ink and where it lies may not.
        long diff = 0;
        int inkCopied = 0, inkDrawn = 0, inkBoth = 0;
        QPointF sumCopied, sumDrawn;
        double massCopied = 0, massDrawn = 0;
        for (int y = 0; y < Canvas::Size; ++y)
            for (int x = 0; x < Canvas::Size; ++x) {
                const QColor a = copied.pixelColor(x, y), c = drawn.pixelColor(x, y);
                diff += std::abs(a.green() - c.green());
                const bool inkA = qGray(a.rgb()) < 160, inkC = qGray(c.rgb()) < 160;
                inkCopied += inkA;
                inkDrawn += inkC;
                inkBoth += inkA && inkC;
                sumCopied += QPointF(x, y) * (255 - a.green());
                sumDrawn += QPointF(x, y) * (255 - c.green());
                massCopied += 255 - a.green();
                massDrawn += 255 - c.green();
            }
        ASSERT_GT(inkDrawn, 500) << kind;
        EXPECT_GT(inkBoth, inkDrawn * 0.93) << kind;
        EXPECT_GT(inkBoth, inkCopied * 0.93) << kind;
        EXPECT_LT(double(diff) / (Canvas::Size * Canvas::Size), 4.0) << kind;
        EXPECT_NEAR(massCopied / massDrawn, 1.0, 0.02) << kind;
        const QPointF shift = sumCopied / massCopied - sumDrawn / massDrawn;
        EXPECT_LT(std::hypot(shift.x(), shift.y()), 0.05) << kind;
    }
}

TEST(MarksLoopTest, CopiedSymbolsStayInThePlot)
{
    Canvas cv;
    cv.doc.page.marginleft = cv.doc.page.marginbottom = 20;
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 100; ++i)
        points.emplace_back(0, i); // on the left edge of the plot
    DataBuffer& b = cv.add(points);
    b.style.plotlines = 0;
    b.style.plotsymbols = 1;
    b.style.symbol = 7;
    b.style.symbolsize = 10;
    const QImage img = cv.render();
    EXPECT_TRUE(inkAt(img, 22.5, 50.5));
    EXPECT_FALSE(inkAt(img, 17.5, 50.5));
}

// A dashed line that starts far outside the plot is cut before it is drawn;
// its dashes must still fall where the whole line puts them (pattern 3 at
// dash width 0: 10 drawn, 5 blank, repeating every 15 points from the first
// point), also when it leaves the plot and comes back.
TEST(LineTest, DashesOfACutLineStayInPlace)
{
    for (const bool reenter : {false, true}) {
        Canvas cv;
        std::vector<std::pair<double, double>> points{{-30000, 50}, {0, 50}, {100, 50}};
        if (reenter)
            points = {{0, 50}, {-45000, 50}, {-30000, 50}, {0, 50}, {100, 50}};
        DataBuffer& b = line(cv, points, 2);
        b.style.dash = 3;
        const QImage img = cv.render();
        for (double x : {2.5, 17.5, 32.5, 47.5})
            EXPECT_TRUE(inkAt(img, x, 50)) << reenter << " " << x;
        for (double x : {12.5, 27.5, 42.5, 57.5})
            EXPECT_FALSE(inkAt(img, x, 50)) << reenter << " " << x;
    }
}
