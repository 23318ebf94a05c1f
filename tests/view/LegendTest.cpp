// The legend: which buffers get an entry, where each entry goes for every
// alignment and in a row, what its style sample shows, and the background
// box sized by the comments measured in the legend's own font.

#include "AxesCanvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace axestest;

namespace {

const QColor red(255, 0, 0), green(0, 160, 0), blue(0, 0, 255), yellow(255, 255, 0), white(255, 255, 255);

// A line-only entry in one colour.
DataBuffer& lineEntry(AxesCanvas& cv, const QString& comment, const QColor& colour)
{
    DataBuffer& b = cv.add(comment);
    b.style.plotlines = 1;
    b.style.plotsymbols = b.style.plotybars = b.style.plotxbars = b.style.plotfhist = b.style.plotarea = 0;
    b.style.plotysticks = b.style.plotxsticks = b.style.plotdots = b.style.plothist = 0;
    b.style.color = colour;
    b.style.linewidth = 2;
    b.style.dash = 0;
    b.style.dashwidth = 0;
    return b;
}

bool colourNear(const QImage& img, const QColor& c, double x, double y)
{
    return colourIn(img, c, x, y, x, y) > 0;
}

struct Legend : AxesCanvas {
    Legend()
    {
        doc.legend.plotlegend = 1;
        doc.legend.legendwidth = 40;
        doc.legend.legendspace = 20;
        doc.legend.legendalign = 0;
        doc.legend.legendcolor = Qt::black;
    }
};

} // namespace

TEST(LegendTest, EntriesStackDownwardsFromTheAlignedReferencePoint)
{
    Legend cv;
    lineEntry(cv, QStringLiteral("a"), red);
    lineEntry(cv, QStringLiteral("b"), green);
    lineEntry(cv, QStringLiteral("c"), blue);
    cv.doc.legend.legendx = 50;
    cv.doc.legend.legendy = 60;
    cv.doc.legend.legendalign = 6; // bottom-left: the last entry sits on legendy
    const QImage img = cv.legendImage();
    EXPECT_TRUE(colourNear(img, red, 70, 100));
    EXPECT_TRUE(colourNear(img, green, 70, 80));
    EXPECT_TRUE(colourNear(img, blue, 70, 60));
    EXPECT_FALSE(colourNear(img, blue, 70, 66));
    // Each comment starts 10 points after its sample, centred on the entry.
    for (double y : {100.0, 80.0, 60.0}) {
        EXPECT_GT(inkIn(img, 100, y - 5, 110, y + 5), 0) << y;
        EXPECT_EQ(inkIn(img, 92, y - 5, 99, y + 5), 0) << y;
    }
}

TEST(LegendTest, HiddenBuffersAndBuffersOutOfTheLegendTakeNoRoom)
{
    Legend cv;
    lineEntry(cv, QStringLiteral("shown"), red);
    lineEntry(cv, QStringLiteral("hidden"), green).show = 0;
    lineEntry(cv, QStringLiteral("left out"), blue).plotlegend = 0;
    lineEntry(cv, QStringLiteral("shown too"), QColor(255, 0, 255));
    cv.doc.legend.legendx = 50;
    cv.doc.legend.legendy = 150;
    const QImage img = cv.legendImage();
    EXPECT_TRUE(colourNear(img, red, 70, 150));
    EXPECT_TRUE(colourNear(img, QColor(255, 0, 255), 70, 130));
    EXPECT_EQ(colourIn(img, green, 0, 0, 299, 239), 0);
    EXPECT_EQ(colourIn(img, blue, 0, 0, 299, 239), 0);
}

TEST(LegendTest, InARowEachEntryFollowsThePreviousText)
{
    Legend cv;
    lineEntry(cv, QStringLiteral("first entry"), red);
    lineEntry(cv, QStringLiteral("b"), blue);
    cv.doc.legend.legendhorizontal = 1;
    cv.doc.legend.legendx = 20;
    cv.doc.legend.legendy = 150;
    const double t1 = VexaView::textSize(QStringLiteral("first entry"), cv.doc.legend.legendfont).width();
    const double x2 = 20 + 40 + 20 + t1; // legendwidth + legendspace + the text before
    const QImage img = cv.legendImage();
    EXPECT_TRUE(colourNear(img, red, 23, 150));
    EXPECT_TRUE(colourNear(img, red, 57, 150));
    EXPECT_TRUE(colourNear(img, blue, x2 + 3, 150));
    EXPECT_TRUE(colourNear(img, blue, x2 + 37, 150));
    EXPECT_FALSE(colourNear(img, blue, x2 - 3, 150));
    EXPECT_GT(inkIn(img, 70, 145, 70 + t1, 155), 0);
}

TEST(LegendTest, SamplesShowTheBuffersStyle)
{
    struct Probe {
        double dx, dy; // from the sample's centre
        QColor colour;
        bool present;
    };
    struct Case {
        const char* name;
        std::function<void(DataBuffer&)> style;
        std::vector<Probe> probes;
    };
    const std::vector<Case> cases = {
        {"line and symbol",
         [](DataBuffer& b) {
             b.style.plotsymbols = 1;
             b.style.symbol = 7;
             b.style.symbolsize = 10;
         },
         {{-15, 0, red, true}, {0, 4, red, true}, {-15, 4, red, false}}},
        {"filled histogram",
         [](DataBuffer& b) {
             b.style.plotlines = 0;
             b.style.plotfhist = 1;
         },
         {{0, 0, yellow, true}, {5, 0, blue, false}, {0, 5, blue, false}, {0, 7, yellow, false}}},
        {"area",
         [](DataBuffer& b) {
             b.style.plotlines = 0;
             b.style.plotarea = 1;
         },
         {{0, 0, yellow, true}, {5, 0, blue, false}}},
        {"bars",
         [](DataBuffer& b) {
             b.style.plotlines = 0;
             b.style.plotybars = 1;
         },
         {{0, 0, red, true}, {5, 0, blue, true}, {0, 5, blue, true}, {8, 0, blue, false}}},
        {"vertical stick",
         [](DataBuffer& b) {
             b.style.plotlines = 0;
             b.style.plotysticks = 1;
         },
         {{0, 4, green, true}, {4, 0, green, false}}},
        {"horizontal stick",
         [](DataBuffer& b) {
             b.style.plotlines = 0;
             b.style.plotxsticks = 1;
         },
         {{4, 0, green, true}, {0, 4, green, false}}},
        {"dot",
         [](DataBuffer& b) {
             b.style.plotlines = 0;
             b.style.plotdots = 1;
             b.style.linewidth = 6;
         },
         {{0, 0, red, true}, {2, 0, red, true}, {5, 0, red, false}}},
    };
    for (const Case& c : cases) {
        Legend cv;
        DataBuffer& b = lineEntry(cv, QString(), red);
        b.style.fillcolor = yellow;
        b.style.barcolor = blue;
        b.style.stickcolor = green;
        b.style.symbolsize = 10;
        c.style(b);
        cv.doc.legend.legendx = 100;
        cv.doc.legend.legendy = 120;
        const QImage img = cv.legendImage();
        for (const Probe& p : c.probes)
            EXPECT_EQ(colourNear(img, p.colour, 120 + p.dx, 120 + p.dy), p.present)
                << c.name << " at (" << p.dx << ", " << p.dy << ")";
    }
}

TEST(LegendTest, BackgroundWithoutEntriesIsAThinStrip)
{
    Legend cv;
    cv.doc.legend.legendbg = 1;
    cv.doc.legend.legendbgcolor = yellow;
    cv.doc.legend.legendx = 100;
    cv.doc.legend.legendy = 100;
    const QImage img = cv.legendImage();
    // From legendx - 5, legendwidth + 20 wide; 6 high around legendy + space / 2.
    EXPECT_EQ(colourIn(img, yellow, 0, 0, 299, 239), 60 * 6);
    EXPECT_TRUE(colourNear(img, yellow, 95.5, 107.5));
    EXPECT_TRUE(colourNear(img, yellow, 154.5, 112.5));
}

TEST(LegendTest, BackgroundHoldsTheCommentsInTheLegendFont)
{
    Legend cv;
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setPointSizeF(20);
    cv.doc.legend.legendfont = big;
    cv.doc.legend.legendbg = 1;
    cv.doc.legend.legendbgcolor = yellow;
    cv.doc.legend.legendx = 20;
    cv.doc.legend.legendy = 200;
    cv.doc.legend.legendspace = 30;
    lineEntry(cv, QStringLiteral("short"), red).style.plotlines = 0;
    lineEntry(cv, QStringLiteral("a longer comment"), red).style.plotlines = 0;
    const double maxW = VexaView::textSize(QStringLiteral("a longer comment"), big).width();
    const double boxRight = 15 + maxW + 40 + 20;
    ASSERT_LT(boxRight, AxesCanvas::W);
    const QImage img = cv.legendImage();
    // All text ink lies on the box, and the longer comment ends 5 points
    // before its right edge.
    double inkRight = 0;
    for (int px = 0; px < AxesCanvas::W; ++px)
        for (int py = 0; py < AxesCanvas::H; ++py)
            if (qGray(img.pixel(px, py)) < 160) {
                inkRight = std::max(inkRight, px + 1.0);
                const double vy = AxesCanvas::H - py - 0.5;
                EXPECT_TRUE(px >= 15 && px + 1 <= boxRight && vy >= 152 && vy <= 218)
                    << "ink at " << px << ", " << vy;
            }
    EXPECT_GT(inkRight, boxRight - 5 - 4);
    EXPECT_LE(inkRight, boxRight - 5 + 1);
    EXPECT_TRUE(colourNear(img, yellow, boxRight - 1.5, 200));
    EXPECT_FALSE(colourNear(img, yellow, boxRight + 1.5, 200));
}

TEST(LegendTest, AlignmentPlacesTheLegendBoxOnTheReferencePoint)
{
    // Two entries without text: the box is legendwidth + 10 = 50 wide and
    // legendspace = 20 high between the entries' centre lines.
    struct Case {
        int align;
        double x, y; // first entry's sample start
    };
    const Case cases[] = {
        {0, 150, 120}, {1, 125, 120}, {2, 100, 120}, {3, 150, 130}, {4, 125, 130},  {5, 100, 130},
        {6, 150, 140}, {7, 125, 140}, {8, 100, 140}, {9, 150, 120}, {-1, 150, 120},
    };
    for (const Case& c : cases) {
        Legend cv;
        lineEntry(cv, QString(), red);
        lineEntry(cv, QString(), blue);
        cv.doc.legend.legendx = 150;
        cv.doc.legend.legendy = 120;
        cv.doc.legend.legendalign = std::int8_t(c.align);
        const QImage img = cv.legendImage();
        EXPECT_TRUE(colourNear(img, red, c.x + 2, c.y)) << c.align;
        EXPECT_TRUE(colourNear(img, red, c.x + 38, c.y)) << c.align;
        EXPECT_FALSE(colourNear(img, red, c.x - 3, c.y)) << c.align;
        EXPECT_FALSE(colourNear(img, red, c.x + 43, c.y)) << c.align;
        EXPECT_TRUE(colourNear(img, blue, c.x + 20, c.y - 20)) << c.align;
        // An empty comment draws no text.
        EXPECT_EQ(inkIn(img, c.x + 45, 0, AxesCanvas::W - 1, AxesCanvas::H - 1), 0) << c.align;
    }
}
