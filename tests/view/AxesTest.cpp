// Axes, grids and the text primitives: ticks where the tick values map to,
// numbers in the band they belong to, the keys the axis-label inspector
// offers, replacement labels, scale expressions, dates in the user's zone,
// and geometry that stays finite and near the view whatever users type.

#include "AxesCanvas.h"

#include "model/ManagerServices.h"
#include "platform/TextDrawing.h"

#include <gtest/gtest.h>

#include <array>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace axestest;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

const QColor red(255, 0, 0), blue(0, 0, 255);

// One setting of all four axes: the same value, or one value per axis.
template <class T, class V> void allAxes(VexaDocument& d, T AxisSettings::*field, const V& value)
{
    for (AxisSettings& a : d.axes)
        a.*field = T(value);
}

template <class T> void eachAxis(VexaDocument& d, T AxisSettings::*field, const std::array<T, 4>& values)
{
    for (std::size_t i = 0; i < 4; ++i)
        d.axes[i].*field = values[i];
}

QStringList keys(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* k : list)
        out << QString::fromUtf8(k);
    return out;
}

// The point at `depth` points into the plot area from the edge of `axis`,
// at position p along it (opposite: from the opposite edge).
QPointF intoPlot(const VexaView& v, int axis, double p, double depth, bool opposite = false)
{
    const int edge = opposite ? (axis + 2) % 4 : axis;
    switch (edge) {
    case 0:
        return {p, v.bottom + depth};
    case 1:
        return {v.left + depth, p};
    case 2:
        return {p, v.top - depth};
    default:
        return {v.right - depth, p};
    }
}

} // namespace

// --- ticks ------------------------------------------------------------------------

TEST(AxisTicksTest, InsideOutsideAcrossOnEveryEdge)
{
    struct Case {
        int style;
        bool in, out;
    };
    const Case styles[] = {{0, true, false}, {1, false, true}, {2, true, true}};
    for (int axis = 0; axis < 4; ++axis) {
        for (const Case& c : styles) {
            for (bool both : {false, true}) {
                AxesCanvas cv;
                cv.bare(axis);
                cv.doc.axes[axis].tickstyle = c.style;
                cv.doc.axes[axis].ticksboth = both;
                cv.doc.axes[axis].ticklength = 10.9; // counts as 10
                const QImage img = cv.axisImage(axis);
                // A major tick: 4 on the x axes (x 140), 6 on the y axes (y 120).
                const double p = axis % 2 == 0 ? 140 : 120;
                const auto at = [&](double depth, bool opposite) {
                    const QPointF q = intoPlot(cv.view, axis, p, depth, opposite);
                    return inkAt(img, q.x(), q.y());
                };
                const std::string what = "axis " + std::to_string(axis) + " style " + std::to_string(c.style)
                    + (both ? " both" : "");
                EXPECT_EQ(at(5, false), c.in) << what;
                EXPECT_EQ(at(-5, false), c.out) << what;
                EXPECT_FALSE(at(12, false)) << what; // no longer than 10
                EXPECT_FALSE(at(-12, false)) << what;
                EXPECT_EQ(at(5, true), both && c.in) << what;
                EXPECT_EQ(at(-5, true), both && c.out) << what;
                // Nothing between two major ticks.
                const QPointF gap = intoPlot(cv.view, axis, p + 10, 5);
                EXPECT_FALSE(inkAt(img, gap.x(), gap.y())) << what;
            }
        }
    }
}

TEST(AxisTicksTest, MinorTicksAreShorterAndSitBetweenTheMajors)
{
    AxesCanvas cv;
    cv.bare(0);
    cv.doc.axes[0].ticks = 0;
    cv.doc.axes[0].mticks = 1;
    cv.doc.axes[0].mticklength = 5;
    cv.doc.axes[0].mtickwidth = 2;
    cv.doc.axes[0].tickstyle = 7; // an unknown style counts as inside
    const QImage img = cv.axisImage(0);
    EXPECT_TRUE(inkAt(cv.axisImage(0), 80, 63)); // 1: minor
    EXPECT_TRUE(inkAt(img, 90, 63)); // 1.5: minor
    EXPECT_FALSE(inkAt(img, 80, 67)); // only 5 long
    EXPECT_FALSE(inkAt(img, 80, 57)); // inside only
    EXPECT_FALSE(inkAt(img, 100, 63)); // 2 is a major tick, and those are off
}

TEST(AxisTicksTest, ReversedAxisMirrorsTicksAndKeepsTheEndTicks)
{
    AxesCanvas cv;
    cv.bare(0);
    cv.doc.xmin1 = 9; // as the pass leaves a reversed 0..9 range
    cv.doc.xmax1 = 0;
    cv.doc.axes[0].numbers = 1;
    const QImage img = cv.axisImage(0);
    // Value v sits at 260 - 200 v / 9.
    EXPECT_TRUE(inkAt(img, 82.2, 65)); // 8
    EXPECT_TRUE(inkAt(img, 259.5, 65)); // 0, on the range's end
    EXPECT_FALSE(inkAt(img, 237.8, 65)); // where 8 would be unreversed
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"0", "2", "4", "6", "8"}));

    // The same for a reversed time axis, which would otherwise get none.
    cv.doc.axes[0].axismode = AxisTime;
    cv.doc.xmin1 = 5;
    cv.doc.xmax1 = 0;
    ZoneGuard zone(QStringLiteral("UTC"));
    cv.axisImage(0);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"00:00", "00:01", "00:02", "00:03", "00:04", "00:05"}));
}

TEST(AxisTicksTest, ZeroLineWhereTheRangeHoldsZero)
{
    struct Case {
        double min, max;
        double at; // x of the line, or -1 for none
    };
    const Case cases[] = {
        {-5, 5, 160},  {0, 10, 60}, // starts exactly at 0: the widened range holds it
        {1, 10, -1},   {5, -5, 160}, // reversed
        {-10, -1, -1},
    };
    for (const Case& c : cases) {
        AxesCanvas cv;
        cv.bare(0);
        cv.doc.axes[0].ticks = 0;
        cv.doc.axes[0].zeroline = 1;
        cv.doc.axes[0].zerocolor = red;
        cv.doc.xmin1 = c.min;
        cv.doc.xmax1 = c.max;
        const QImage img = cv.axisImage(0);
        const int reds = colourIn(img, red, 0, 0, AxesCanvas::W - 1, AxesCanvas::H - 1);
        if (c.at < 0) {
            EXPECT_EQ(reds, 0) << c.min << ".." << c.max;
        } else {
            // One column from bottom to top of the plot area.
            EXPECT_GE(colourIn(img, red, c.at, 61, c.at, 199), 138) << c.min << ".." << c.max;
            EXPECT_EQ(colourIn(img, red, 0, 0, c.at - 2, AxesCanvas::H - 1), 0) << c.min << ".." << c.max;
        }
    }
}

// --- numbers ------------------------------------------------------------------------

TEST(AxisNumbersTest, NumbersSitInTheirBandAndSizeTheAxis)
{
    AxesCanvas cv;
    cv.bare(0);
    cv.doc.axes[0].ticks = 0;
    cv.doc.axes[0].numbers = 1;
    QSizeF size;
    const QImage img = cv.axisImage(0, &size);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"0", "2", "4", "6", "8", "10"}));
    const QSizeF widest = VexaView::textSize(QStringLiteral("10"), cv.doc.axes[0].numfont);
    EXPECT_DOUBLE_EQ(size.width(), widest.width());
    EXPECT_DOUBLE_EQ(size.height(), widest.height());
    // Top-centre anchored 5 points below the plot area, under each tick.
    const double h = size.height();
    for (double v = 0; v <= 10; v += 2) {
        const double x = 60 + 20 * v;
        EXPECT_GT(inkIn(img, x - 6, 55 - h, x + 6, 54), 0) << v;
    }
    EXPECT_EQ(inkIn(img, 0, 56, AxesCanvas::W - 1, AxesCanvas::H - 1), 0);
    EXPECT_EQ(inkIn(img, 0, 0, AxesCanvas::W - 1, 53 - h), 0);

    // The left axis: right-middle anchored 8 points left of the plot area.
    cv.bare(1);
    cv.doc.axes[1].ticks = 0;
    cv.doc.axes[1].numbers = 1;
    const QImage left = cv.axisImage(1, &size);
    EXPECT_EQ(cv.doc.alabelindex[1], keys({"0", "2", "4", "6", "8", "10", "12", "14"}));
    EXPECT_GT(inkIn(left, 52 - size.width(), 115, 51, 125), 0); // 6 at y 120
    EXPECT_EQ(inkIn(left, 53, 0, AxesCanvas::W - 1, AxesCanvas::H - 1), 0);
}

TEST(AxisNumbersTest, LogarithmicAxisLabelsDecadesAndSmallLogStartsAtZero)
{
    AxesCanvas cv;
    cv.bare(0);
    cv.doc.axes[0].axismode = AxisLog;
    cv.doc.xmin1 = 1;
    cv.doc.xmax1 = 1000;
    cv.doc.axes[0].numbers = 1;
    cv.doc.axes[0].ticks = 0;
    cv.doc.axes[0].mticks = 1;
    cv.doc.axes[0].mtickwidth = 2;
    QImage img = cv.axisImage(0);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"1", "10", "100", "1000"}));
    EXPECT_TRUE(inkAt(img, 80.07, 63)); // minor tick at 2: 60 + 200 log10(2) / 3
    EXPECT_FALSE(inkAt(img, 70, 63));

    cv.doc.axes[0].smalllog = 1;
    cv.axisImage(0);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"0", "10", "100", "1000"}));

    // Minor ticks below the lowest decade go with smalllog.
    cv.doc.xmin1 = 0.5;
    cv.doc.axes[0].numbers = 0;
    const double lowMinors[2] = {64.8, 75.5}; // 0.6 and 0.9
    cv.doc.axes[0].smalllog = 0;
    img = cv.axisImage(0);
    for (double x : lowMinors)
        EXPECT_TRUE(inkAt(img, x, 62)) << x;
    cv.doc.axes[0].smalllog = 1;
    img = cv.axisImage(0);
    EXPECT_EQ(inkIn(img, 61, 61, 77, 64), 0);
}

TEST(AxisNumbersTest, ReplacementLabelsAndScaleExpressionsWorkOnTheKeys)
{
    AxesCanvas cv;
    cv.bare(0);
    cv.doc.axes[0].ticks = 0;
    cv.doc.axes[0].numbers = 1;
    cv.doc.axes[0].alabel.insert(QStringLiteral("4"), QString()); // hide the 4
    cv.doc.axes[0].alabel.insert(QStringLiteral("10"), QStringLiteral("ten and a long tail"));
    QSizeF size;
    QImage img = cv.axisImage(0, &size);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"0", "2", "4", "6", "8", "10"}));
    EXPECT_EQ(inkIn(img, 134, 40, 146, 54), 0); // 4 at x 140: nothing
    EXPECT_GT(inkIn(img, 94, 40, 106, 54), 0); // 2 at x 100
    EXPECT_DOUBLE_EQ(
        size.width(),
        VexaView::textSize(QStringLiteral("ten and a long tail"), cv.doc.axes[0].numfont).width());

    // A scale expression maps the shown value, and the keys follow it.
    cv.doc.axes[0].scaleexpr = QStringLiteral("v*10");
    cv.doc.axes[0].alabel.clear();
    cv.doc.axes[0].alabel.insert(QStringLiteral("20"), QString());
    img = cv.axisImage(0);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"0", "20", "40", "60", "80", "100"}));
    EXPECT_EQ(inkIn(img, 94, 40, 106, 54), 0); // 2 shows as 20, which is replaced
    EXPECT_EQ(cv.view.M->GV.value(QStringLiteral("v")), 10); // the last value shown before mapping

    // Keys are C-locale "%g" texts, and values the expression cannot make
    // still give a key.
    cv.doc.axes[0].scaleexpr = QStringLiteral("v/4+1.0e-7");
    cv.axisImage(0);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"1e-07", "0.5", "1", "1.5", "2", "2.5"}));
    cv.doc.axes[0].scaleexpr = QStringLiteral("1/(v-v)");
    cv.axisImage(0);
    EXPECT_EQ(cv.doc.alabelindex[0].size(), 6);
    EXPECT_TRUE(cv.doc.alabelindex[0].contains(QStringLiteral("inf"))
                || cv.doc.alabelindex[0].contains(QStringLiteral("nan")));

    // One that does not parse is silent and shows the value itself.
    cv.doc.axes[0].scaleexpr = QStringLiteral("v*(");
    cv.axisImage(0);
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"0", "2", "4", "6", "8", "10"}));
}

TEST(AxisNumbersTest, TimeLabelsInTheUsersZone)
{
    struct Case {
        const char* zone;
        const char* format; // axistimeformat; "" for the chosen one
        QStringList expected;
    };
    const Case cases[] = {
        {"UTC", "", keys({"00:00", "00:01", "00:02", "00:03", "00:04", "00:05"})},
        {"Asia/Kolkata", "", keys({"30:00", "30:01", "30:02", "30:03", "30:04", "30:05"})},
        {"Asia/Kolkata", "yyyy-MM-dd HH:mm", QStringList(6, QStringLiteral("2001-01-01 05:30"))},
        {"Asia/Kolkata", "%Y-%m-%d %H:%M:%S %%",
         keys({"2001-01-01 05:30:00 %", "2001-01-01 05:30:01 %", "2001-01-01 05:30:02 %",
               "2001-01-01 05:30:03 %", "2001-01-01 05:30:04 %", "2001-01-01 05:30:05 %"})},
        {"America/New_York", "%e.%m.%y %I w%w", QStringList(6, QStringLiteral("31.12.00 07 w0"))},
    };
    for (const Case& c : cases) {
        ZoneGuard zone(QString::fromUtf8(c.zone));
        AxesCanvas cv;
        cv.bare(0);
        cv.doc.axes[0].axismode = AxisTime;
        cv.doc.xmin1 = 0;
        cv.doc.xmax1 = 5;
        cv.doc.axes[0].numbers = 1;
        cv.doc.axes[0].axistimeformat = QString::fromUtf8(c.format);
        const QImage img = cv.axisImage(0);
        EXPECT_EQ(cv.doc.alabelindex[0], c.expected) << c.zone << " " << c.format;
        EXPECT_GT(inkIn(img, 55, 20, 65, 54), 0) << c.format; // a label under 0
    }
}

TEST(AxisNumbersTest, TimeFormatBackslashNMakesTwoLines)
{
    ZoneGuard zone(QStringLiteral("UTC"));
    AxesCanvas cv;
    cv.bare(0);
    cv.doc.axes[0].axismode = AxisTime;
    cv.doc.xmin1 = 0;
    cv.doc.xmax1 = 5;
    cv.doc.axes[0].numbers = 1;
    cv.doc.axes[0].axistimeformat = QStringLiteral("HH:mm\\nss"); // backslash, n
    cv.doc.axes[0].alabel.insert(QStringLiteral("00:00\n03"), QStringLiteral("three"));
    QSizeF size;
    cv.axisImage(0, &size);
    ASSERT_EQ(cv.doc.alabelindex[0].size(), 6);
    EXPECT_EQ(cv.doc.alabelindex[0][1], QStringLiteral("00:00\n01"));
    const double line = VexaView::textSize(QStringLiteral("00:00"), cv.doc.axes[0].numfont).height();
    EXPECT_GT(size.height(), 1.8 * line);
}

TEST(AxisNumbersTest, UnusableTimeFormatsGiveEmptyOrLiteralLabels)
{
    ZoneGuard zone(QStringLiteral("UTC"));
    const QString formats[] = {
        QStringLiteral("'"),
        QStringLiteral("''''"),
        QStringLiteral("%"),
        QStringLiteral("%q%"),
        QStringLiteral("\\"),
        QStringLiteral("\\n\\n\\n"),
        QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
        QString(3000, QLatin1Char('y')),
        QString(3000, QLatin1Char('%')),
        QStringLiteral("GGGGGGGGGGGGG"),
        QString::fromUtf8("\xe2\x80\xae\xf0\x9f\x98\x80 HH"),
    };
    for (const QString& f : formats) {
        AxesCanvas cv;
        cv.bare(0);
        cv.doc.axes[0].axismode = AxisTime;
        cv.doc.xmin1 = 0;
        cv.doc.xmax1 = 5;
        cv.doc.axes[0].numbers = 1;
        cv.doc.axes[0].axistimeformat = f;
        cv.axisImage(0);
        EXPECT_EQ(cv.doc.alabelindex[0].size(), 6) << f.left(20).toStdString();
    }
}

// --- grids -----------------------------------------------------------------------------

TEST(GridTest, LinesGoBehindOrInFrontAsTheirFlagsSay)
{
    AxesCanvas cv;
    cv.doc.axes[0].grid = 1;
    cv.doc.axes[0].gridfront = 0;
    cv.doc.axes[0].gridcolor = blue;
    cv.doc.axes[0].gridwidth = 2;
    cv.doc.axes[0].mgrid = 1;
    cv.doc.axes[0].mgridfront = 1;
    cv.doc.axes[0].mgridcolor = red;
    cv.doc.axes[0].mgridwidth = 2;

    const QImage behind = cv.gridImage(0, false);
    EXPECT_GE(colourIn(behind, blue, 140, 61, 140, 199), 138); // major at 4, bottom to top
    EXPECT_EQ(colourIn(behind, blue, 140, 202, 140, 239), 0); // not beyond the plot area
    EXPECT_EQ(colourIn(behind, red, 0, 0, 299, 239), 0);

    const QImage front = cv.gridImage(0, true);
    EXPECT_GE(colourIn(front, red, 80, 61, 80, 199), 138); // minor at 1
    EXPECT_EQ(colourIn(front, blue, 0, 0, 299, 239), 0);

    // Horizontal lines for a y axis.
    cv.doc.axes[1].grid = 1;
    cv.doc.axes[1].gridfront = 1;
    cv.doc.axes[1].gridcolor = blue;
    cv.doc.axes[1].gridwidth = 2;
    const QImage rows = cv.gridImage(1, true);
    EXPECT_GE(colourIn(rows, blue, 61, 120, 259, 120), 196); // 6 at y 120
}

TEST(GridTest, DashedLinesHaveGaps)
{
    AxesCanvas cv;
    cv.doc.axes[0].grid = 1;
    cv.doc.axes[0].gridcolor = blue;
    cv.doc.axes[0].gridwidth = 2;
    cv.doc.axes[0].gridpattern = 3; // 10 drawn, 5 blank
    const QImage img = cv.gridImage(0, true);
    const int drawn = colourIn(img, blue, 140, 61, 140, 199);
    EXPECT_GT(drawn, 70);
    EXPECT_LT(drawn, 110);
    EXPECT_TRUE(cv.view.pl.lineDash().isEmpty()); // pl is left solid
}

TEST(GridTest, UnknownAxisModeDrawsNothing)
{
    AxesCanvas cv;
    cv.doc.axes[0].axismode = 7;
    cv.doc.axes[0].grid = cv.doc.axes[0].mgrid = cv.doc.axes[0].zeroline = cv.doc.axes[0].text = 1;
    cv.doc.axes[0].axistext = QStringLiteral("title");
    cv.doc.xmin1 = -5;
    cv.doc.alabelindex[0] = keys({"stale"});
    QSizeF size(1, 1);
    EXPECT_TRUE(blankImage(cv.axisImage(0, &size)));
    EXPECT_EQ(size, QSizeF(0, 0));
    EXPECT_TRUE(cv.doc.alabelindex[0].isEmpty());
    EXPECT_TRUE(blankImage(cv.gridImage(0, true)));
    EXPECT_TRUE(blankImage(cv.gridImage(0, false)));
}

// --- frame styles ----------------------------------------------------------------------------

TEST(FrameStyleTest, StyleOneCrossesAtTheDataZeroWithoutItsNumber)
{
    AxesCanvas cv;
    cv.doc.page.framestyle = 1;
    cv.doc.page.arrowtype = 2; // no arrow to keep clear of
    cv.doc.xmin1 = -5;
    cv.doc.xmax1 = 5; // x0 = 160
    cv.doc.ymin1 = -7;
    cv.doc.ymax1 = 7; // y0 = 130
    for (int i = 0; i < 4; ++i) {
        cv.bare(i);
        cv.doc.axes[i].numbers = 1;
        cv.doc.axes[i].tickstyle = 1; // ignored at the zero lines
    }
    const QImage bottom = cv.axisImage(0);
    EXPECT_TRUE(inkAt(bottom, 200, 125));
    EXPECT_TRUE(inkAt(bottom, 200, 135));
    EXPECT_FALSE(inkAt(bottom, 200, 55));
    EXPECT_EQ(cv.doc.alabelindex[0], keys({"-4", "-2", "2", "4"}));
    EXPECT_GT(inkIn(bottom, 194, 105, 206, 114), 0); // "2" under the crossing line
    EXPECT_EQ(inkIn(bottom, 150, 100, 170, 118), 0); // no "0"

    const QImage left = cv.axisImage(1);
    EXPECT_TRUE(inkAt(left, 155, 150));
    EXPECT_TRUE(inkAt(left, 165, 150));
    EXPECT_FALSE(inkAt(left, 55, 150));

    // Top and right carry nothing.
    for (int axis : {2, 3}) {
        QSizeF size(1, 1);
        EXPECT_TRUE(blankImage(cv.axisImage(axis, &size))) << axis;
        EXPECT_EQ(size, QSizeF(0, 0));
    }
}

TEST(FrameStyleTest, TicksKeepClearOfTheArrows)
{
    struct Case {
        int arrowtype;
        bool lastTick;
    };
    for (const Case c : {Case{0, false}, Case{1, false}, Case{2, true}}) {
        AxesCanvas cv;
        cv.doc.page.framestyle = 2;
        cv.doc.page.framewidth = 3; // 30 points of room before the end
        cv.doc.page.arrowtype = c.arrowtype;
        cv.doc.xmin1 = -5;
        cv.doc.xmax1 = 5; // ticks at x 80, 120, 160, 200, 240
        cv.bare(0);
        cv.doc.axes[0].numbers = 1;
        const QImage img = cv.axisImage(0);
        EXPECT_TRUE(inkAt(img, 200, 65));
        EXPECT_TRUE(inkAt(img, 80, 65)); // style 2 keeps the start
        EXPECT_EQ(inkAt(img, 240, 65), c.lastTick) << c.arrowtype;
        EXPECT_EQ(cv.doc.alabelindex[0].contains(QStringLiteral("4")), c.lastTick) << c.arrowtype;
    }
}

// --- titles ---------------------------------------------------------------------------------

TEST(AxisTitleTest, TitlesKeepTheirDistanceFromNumbersOrWindow)
{
    AxesCanvas cv;
    cv.bare(0);
    cv.doc.axes[0].ticks = 0;
    cv.doc.axes[0].numbers = 1;
    cv.doc.axes[0].text = 1;
    cv.doc.axes[0].axistext = QStringLiteral("Title");
    const QSizeF title = VexaView::textSize(cv.doc.axes[0].axistext, cv.doc.axes[0].textfont);
    QSizeF size;
    QImage img = cv.axisImage(0, &size);
    // Top-centre anchored textoff (5) under the plot area less the numbers'
    // height.
    const double top = 60 - size.height() - 5;
    EXPECT_GT(inkIn(img, 160 - title.width() / 2, top - title.height(), 160 + title.width() / 2, top), 0);
    EXPECT_EQ(inkIn(img, 0, 0, AxesCanvas::W - 1, top - title.height() - 1), 0);

    // Measured from the window's edge: bottom-centre 5 points above it.
    cv.doc.axes[0].textoffwindow = 1;
    img = cv.axisImage(0);
    EXPECT_GT(inkIn(img, 140, 5, 180, 5 + title.height()), 0);
    EXPECT_EQ(inkIn(img, 0, 0, AxesCanvas::W - 1, 4), 0);

    // The left title is turned upwards, left of the numbers.
    cv.bare(1);
    cv.doc.axes[1].ticks = 0;
    cv.doc.axes[1].numbers = 1;
    cv.doc.axes[1].text = 1;
    cv.doc.axes[1].axistext = QStringLiteral("Title");
    img = cv.axisImage(1, &size);
    const double x = 60 - size.width() - 5 - 5;
    EXPECT_GT(inkIn(img, x - title.height(), 130 - title.width() / 2, x, 130 + title.width() / 2), 0);
    EXPECT_EQ(inkIn(img, 0, 0, x - title.height() - 1, AxesCanvas::H - 1), 0);
    EXPECT_EQ(inkIn(img, x + 1, 110, 51 - size.width(), 150), 0);
}

// --- text primitives ----------------------------------------------------------------------------

TEST(TextOutputTest, AnchorsAndRotation)
{
    AxesCanvas cv;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(14);
    const QString text = QStringLiteral("HHH");
    const QSizeF s = VexaView::textSize(text, font);

    // Right-middle at (150, 120): ends at x, centred on y.
    QImage img = cv.paint(
        [&](QPainter& p) { EXPECT_EQ(cv.view.drawText(p, text, 150, 120, 4, 0, font, Qt::black), s); });
    EXPECT_GT(inkIn(img, 150 - s.width(), 118, 149, 122), 0);
    EXPECT_EQ(inkIn(img, 151, 0, AxesCanvas::W - 1, AxesCanvas::H - 1), 0);
    EXPECT_EQ(inkIn(img, 0, 121 + s.height() / 2, AxesCanvas::W - 1, AxesCanvas::H - 1), 0);
    EXPECT_EQ(inkIn(img, 0, 0, AxesCanvas::W - 1, 119 - s.height() / 2), 0);

    // Turned by 90 degrees about the same point: the text runs up to it.
    img = cv.paint([&](QPainter& p) { cv.view.drawText(p, text, 150, 120, 4, 90, font, Qt::black); });
    EXPECT_GT(inkIn(img, 148, 120 - s.width(), 152, 119), 0);
    EXPECT_EQ(inkIn(img, 0, 121, AxesCanvas::W - 1, AxesCanvas::H - 1), 0);
    EXPECT_EQ(inkIn(img, 151 + s.height() / 2, 0, AxesCanvas::W - 1, AxesCanvas::H - 1), 0);
}

TEST(TextOutputTest, NumbersWithAnExponentAreComposed)
{
    AxesCanvas cv;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(12);
    RecordingDevice device;
    QSizeF plain, raised;
    {
        QPainter p(&device);
        plain = cv.view.drawNumber(p, 123, 100, 100, 7, 0, font, Qt::black, 5, -1);
        raised = cv.view.drawNumber(p, 12345, 100, 100, 7, 0, font, Qt::black, 2, -1);
    }
    EXPECT_EQ(plain, VexaView::textSize(QStringLiteral("123"), font));
    EXPECT_EQ(device.engine.texts, keys({"123", "1.2345", "x", "10", "4"}));
    EXPECT_GT(raised.width(), VexaView::textSize(QStringLiteral("1.234510"), font).width());
    EXPECT_GT(raised.height(), plain.height()); // the raised power adds height
}

TEST(CrossHairTest, PlotAreaOrWholeView)
{
    AxesCanvas cv;
    cv.view.pb.removeAllPoints();
    cv.view.crossHair(QPointF(115, 115)); // cross at (100, 130): inside
    EXPECT_EQ(cv.view.pb.bounds(), QRectF(60, 60, 200, 140));
    EXPECT_EQ(cv.view.pb.lineWidth(), 1);

    cv.view.pb.removeAllPoints();
    cv.view.crossHair(QPointF(20, 20)); // cross at (5, 35): outside
    EXPECT_EQ(cv.view.pb.bounds(), QRectF(0, 0, 300, 240));

    cv.view.pb.removeAllPoints();
    cv.view.crossHair(QPointF(1e300, 100)); // nowhere near: only the horizontal line
    EXPECT_EQ(cv.view.pb.bounds(), QRectF(0, 115, 300, 0));
}

// --- whatever users type ----------------------------------------------------------------------

// Every setting that reaches the geometry, pushed to the edge: the painter
// must only ever see finite coordinates near the view, and every walk ends.
TEST(AxesRobustnessTest, GeometryStaysFiniteAndNearTheView)
{
    using Setup = std::function<void(VexaDocument&)>;
    const std::vector<std::pair<const char*, Setup>> cases = {
        {"nan range",
         [](VexaDocument& d) {
             d.xmin1 = NaN;
             d.ymax2 = NaN;
         }},
        {"infinite range",
         [](VexaDocument& d) {
             d.xmax1 = Inf;
             d.ymin1 = -Inf;
         }},
        {"equal ends",
         [](VexaDocument& d) {
             d.xmin1 = d.xmax1 = 3;
             d.ymin1 = d.ymax1 = 0;
         }},
        {"denormal range",
         [](VexaDocument& d) {
             d.xmin1 = 0;
             d.xmax1 = 1e-320;
         }},
        {"widest range",
         [](VexaDocument& d) {
             d.xmin1 = -1e308;
             d.xmax1 = 1e308;
             d.ymin1 = -1.7e308;
         }},
        {"steps",
         [](VexaDocument& d) {
             eachAxis(d, &AxisSettings::scalspace,
                      {QStringLiteral("-1"), QStringLiteral("1e-300"), QStringLiteral("0"),
                       QStringLiteral("nan")});
         }},
        {"bounds and origin",
         [](VexaDocument& d) {
             allAxes(d, &AxisSettings::trigger, QStringLiteral("1e308"));
             allAxes(d, &AxisSettings::scalstart, QStringLiteral("-1e308"));
             allAxes(d, &AxisSettings::scalend, QStringLiteral("inf"));
             allAxes(d, &AxisSettings::scalminticks, QStringLiteral("1000000"));
         }},
        {"lengths and widths",
         [](VexaDocument& d) {
             allAxes(d, &AxisSettings::ticklength, Inf);
             allAxes(d, &AxisSettings::mticklength, -Inf);
             allAxes(d, &AxisSettings::tickwidth, NaN);
             allAxes(d, &AxisSettings::gridwidth, Inf);
             allAxes(d, &AxisSettings::mgridwidth, 1e300);
             allAxes(d, &AxisSettings::numoff, -128);
             eachAxis(d, &AxisSettings::textoff, {INT_MAX, INT_MIN, INT_MAX, INT_MIN});
             allAxes(d, &AxisSettings::angle, Inf);
             allAxes(d, &AxisSettings::tickstyle, 2);
             allAxes(d, &AxisSettings::gridpattern, 99);
             allAxes(d, &AxisSettings::mgridpattern, -3);
         }},
        {"zero far away",
         [](VexaDocument& d) {
             d.page.framestyle = 1;
             d.xmin1 = 1e15;
             d.xmax1 = 1e15 + 1;
             d.ymin1 = -1e300;
             d.ymax1 = -1e300 * (1 - 1e-15);
         }},
        {"log axes",
         [](VexaDocument& d) {
             eachAxis(d, &AxisSettings::axismode, {AxisLog, AxisLog, AxisLog, AxisLog});
             d.xmin1 = -5;
             d.ymin1 = 1e-300;
             d.ymax1 = 1e300;
             d.xmin2 = 0;
             d.ymin2 = 5;
             d.ymax2 = 5;
             d.axes[1].scalspace = QStringLiteral("1e-12");
             allAxes(d, &AxisSettings::smalllog, 1);
         }},
        {"time axes",
         [](VexaDocument& d) {
             eachAxis(d, &AxisSettings::axismode, {AxisTime, AxisTime, AxisTime, AxisTime});
             d.xmax1 = 1e20;
             d.ymin1 = -1e14;
             d.ymax1 = 1e14;
             d.xmax2 = 1e-3;
             eachAxis(d, &AxisSettings::scalspace,
                      {QStringLiteral("3w"), QStringLiteral("-1:0"), QStringLiteral("1e-9"),
                       QStringLiteral("4w0")});
             eachAxis(d, &AxisSettings::axistimeformat,
                      {QStringLiteral("%c"), QStringLiteral("yyyy\\n%"), QStringLiteral("''"), QString()});
         }},
        {"scale expressions",
         [](VexaDocument& d) {
             eachAxis(d, &AxisSettings::scaleexpr,
                      {QStringLiteral("v*1e308*10"), QStringLiteral("1/(v-v)"), QStringLiteral("(((((("),
                       QString(20000, QLatin1Char('('))});
         }},
        {"margins",
         [](VexaDocument& d) {
             d.page.marginleft = 1e300;
             d.page.marginbottom = -1e300;
             d.page.margintop = NaN;
         }},
        {"legend",
         [](VexaDocument& d) {
             d.legend.legendx = 1e300;
             d.legend.legendspace = Inf;
             d.legend.legendwidth = NaN;
             d.legend.legendalign = 4;
             for (auto& b : d.DB) {
                 b->style.symbolsize = Inf;
                 b->style.linewidth = 1e300;
                 b->style.dashwidth = 1e300;
             }
         }},
        {"legend row",
         [](VexaDocument& d) {
             d.legend.legendhorizontal = 1;
             d.legend.legendy = -Inf;
             d.legend.legendspace = -1e308;
             d.legend.legendalign = 8;
         }},
    };
    for (const auto& [name, setup] : cases) {
        AxesCanvas cv;
        VexaDocument& d = cv.doc;
        for (int i = 0; i < 4; ++i) {
            d.axes[i].grid = d.axes[i].mgrid = d.axes[i].ticks = d.axes[i].mticks = d.axes[i].ticksboth
                = d.axes[i].mticksboth = 1;
            d.axes[i].numbers = d.axes[i].zeroline = d.axes[i].text = 1;
            d.axes[i].axistext = QStringLiteral("title");
            d.axes[i].gridpattern = 5;
        }
        d.legend.plotlegend = 1;
        d.legend.legendbg = 1;
        for (int k = 0; k < 3; ++k) {
            DataBuffer& b = cv.add(QStringLiteral("entry"));
            b.style.plotlines = b.style.plotsymbols = b.style.plotybars = b.style.plotysticks
                = b.style.plotxsticks = b.style.plotdots = 1;
            b.style.dash = 4;
        }
        setup(d);
        cv.view.resize();
        const auto draw = [&](QPainter& p) {
            for (int i = 0; i < 4; ++i)
                cv.view.drawGrid(p, i, cv.rangeMin(i), cv.rangeMax(i), false);
            for (int i = 0; i < 4; ++i)
                d.axm[i] = cv.view.drawAxis(p, i, cv.rangeMin(i), cv.rangeMax(i));
            for (int i = 0; i < 4; ++i)
                cv.view.drawGrid(p, i, cv.rangeMin(i), cv.rangeMax(i), true);
            cv.view.plotLegend(p);
        };
        RecordingDevice device;
        {
            QPainter p(&device);
            VexaView::flipToViewPoints(p, AxesCanvas::H);
            draw(p);
        }
        cv.paint(draw); // and through the raster engine
        EXPECT_FALSE(device.engine.nonFinite) << name;
        EXPECT_LT(device.engine.farthest, 1e7) << name;
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(std::isfinite(d.axm[i].width()) && std::isfinite(d.axm[i].height())) << name;
    }
}
