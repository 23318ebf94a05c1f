// Drawing primitives: the dash table, stroke settings and dashes on a real
// raster, the thinnest line, and styled text measured and drawn in points.

#include "platform/BezierPath.h"
#include "platform/DashPattern.h"
#include "platform/TextDrawing.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    return img;
}

bool ink(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

// The image row as a string of '#' (ink) and '.' (none).
std::string row(const QImage& img, int y, int from, int to)
{
    std::string s;
    for (int x = from; x < to; ++x)
        s += ink(img, x, y) ? '#' : '.';
    return s;
}

// Bounding box of every pixel darker than white.
QRect inkBox(const QImage& img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// --- DashPattern ---------------------------------------------------------------

TEST(DashPatternTest, TableForWidthTwo)
{
    const DashPattern t(2); // c = 3, b = 7, d = 12
    struct Case {
        int k;
        QList<double> lengths;
    };
    const Case cases[] = {
        {0, {}},
        {1, {3, 7}},
        {2, {7}},
        {3, {12, 7}},
        {7, {12, 7, 7, 7, 3, 7}},
        {10, {12, 7, 12, 7, 7, 7, 7, 7}},
        {13, {7, 7, 7, 7, 3, 7, 3, 7}},
        {15, {12, 7, 7, 7, 3, 7, 3, 7}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t.lengths(c.k), c.lengths) << "pattern " << c.k;
        EXPECT_EQ(t.count(c.k), c.lengths.size()) << "pattern " << c.k;
    }
    // The unused tail of a row holds the gap.
    EXPECT_EQ(t.length(7, 6), 7);
    EXPECT_EQ(t.length(7, 15), 7);
}

TEST(DashPatternTest, NumbersOutsideTheTableAreSolid)
{
    const DashPattern t(0);
    for (int k : {-1, 16, 1000})
        EXPECT_TRUE(t.lengths(k).isEmpty()) << k;
    EXPECT_EQ(t.length(16, 0), 0);
}

TEST(DashPatternTest, RebuiltForAnotherWidth)
{
    DashPattern t(2);
    t.setWidth(0);
    EXPECT_EQ(t.lengths(7), (QList<double>{10, 5, 5, 5, 1, 5}));
}

TEST(DashPatternTest, WidthForTruncatesAndSaturates)
{
    EXPECT_EQ(DashPattern::widthFor(2.9), 2);
    EXPECT_EQ(DashPattern::widthFor(-2.9), -2);
    EXPECT_EQ(DashPattern::widthFor(std::nan("")), 0);
    EXPECT_GT(DashPattern::widthFor(1e300), 1000);
    EXPECT_LT(DashPattern::widthFor(-std::numeric_limits<double>::infinity()), -1000);
    // The table of a saturated width is still made of finite lengths.
    DashPattern t(DashPattern::widthFor(1e300));
    EXPECT_TRUE(std::isfinite(t.length(15, 0)));
}

// --- BezierPath ----------------------------------------------------------------

TEST(BezierPathTest, SettingsSurviveEmptying)
{
    BezierPath p;
    p.setLineWidth(3);
    p.setLineCapStyle(Qt::RoundCap);
    p.setLineJoinStyle(Qt::BevelJoin);
    p.setLineDash(QList<double>{4, 2}, 1);
    p.moveTo(0, 0);
    p.lineTo(10, 0);
    p.removeAllPoints();
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(p.lineWidth(), 3);
    EXPECT_EQ(p.lineCapStyle(), Qt::RoundCap);
    EXPECT_EQ(p.lineJoinStyle(), Qt::BevelJoin);
    EXPECT_EQ(p.lineDash(), (QList<double>{4, 2}));
    EXPECT_EQ(p.path().fillRule(), Qt::WindingFill);
}

TEST(BezierPathTest, NonFinitePointsAreIgnoredAndWidthsSanitised)
{
    BezierPath p;
    p.moveTo(std::nan(""), 0);
    p.lineTo(std::numeric_limits<double>::infinity(), 1);
    p.appendRect(QRectF(0, 0, std::nan(""), 1));
    EXPECT_TRUE(p.isEmpty());
    p.setLineWidth(-2);
    EXPECT_EQ(p.lineWidth(), 0);
    p.setLineWidth(std::nan(""));
    EXPECT_EQ(p.lineWidth(), 0);
}

// Dash lengths are points whatever the line width (Qt counts them in widths);
// a one-length pattern alternates drawn and blank of that length.
TEST(BezierPathTest, DashesHaveTheirLengthInPoints)
{
    struct Case {
        double width;
        int pattern;
        std::string expected;
    };
    const Case cases[] = {
        {2, 3, "##########.....##########.....#####"}, // d = 10, b = 5
        {0.9, 3, "##########.....##########.....#####"}, // thinner than a unit
        {0, 3, "##########.....##########.....#####"}, // the thinnest line
        {2, 1, "#.....#.....#.....#.....#.....#....."}, // c = 1
        {2, 2, "#####.....#####.....#####....."}, // b alone
        {2, 0, "##############################"}, // solid
        {2, 16, "##############################"}, // outside the table: solid
    };
    const DashPattern table(0);
    for (const Case& c : cases) {
        QImage img = canvas(60, 9);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing, true);
        BezierPath p;
        p.setLineWidth(c.width);
        p.setLineDash(table, c.pattern);
        p.moveTo(0, 4.5);
        p.lineTo(60, 4.5);
        p.stroke(painter, Qt::black);
        painter.end();
        EXPECT_EQ(row(img, 4, 0, int(c.expected.size())), c.expected)
            << "width " << c.width << " pattern " << c.pattern;
    }
}

// A zero-length dash with a round cap still leaves its dot.
TEST(BezierPathTest, EmptyDashesLeaveCapDots)
{
    QImage img = canvas(40, 9);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing, false);
    BezierPath p;
    p.setLineWidth(3);
    p.setLineCapStyle(Qt::RoundCap);
    p.setLineDash(QList<double>{0, 10}, 0);
    p.moveTo(5, 4.5);
    p.lineTo(40, 4.5);
    p.stroke(painter, Qt::black);
    painter.end();
    EXPECT_TRUE(ink(img, 5, 4));
    EXPECT_TRUE(ink(img, 15, 4));
    EXPECT_FALSE(ink(img, 10, 4));
}

// Width 0 stays one device pixel wide under any scale.
TEST(BezierPathTest, WidthZeroIsTheThinnestLine)
{
    QImage img = canvas(80, 80);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.scale(8, 8);
    BezierPath p;
    p.setLineWidth(0);
    p.moveTo(0, 5);
    p.lineTo(10, 5);
    p.stroke(painter, Qt::black);
    painter.end();
    int rows = 0;
    for (int y = 0; y < 80; ++y)
        rows += ink(img, 40, y) ? 1 : 0;
    EXPECT_EQ(rows, 1);
}

TEST(BezierPathTest, FillAndStrokeUseTheirColours)
{
    QImage img = canvas(40, 40);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing, false);
    BezierPath p;
    p.setLineWidth(4);
    p.appendRect(QRectF(10, 10, 20, 20));
    p.fill(painter, Qt::red);
    p.stroke(painter, Qt::blue);
    painter.end();
    EXPECT_EQ(img.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(10, 20), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(3, 3), QColor(Qt::white));
}

// --- text --------------------------------------------------------------------------

namespace {

QFont testFont(double size)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(size);
    return f;
}

// Draws the text with its box's lower-left corner at (x, y) of a y-up target
// of the image's height, at the given resolution.
QImage drawText(const StyledText& text, QPointF at, int anchor, double angle, int dpi = 96)
{
    QImage img = canvas(200, 200);
    img.setDotsPerMeterX(int(dpi / 0.0254 + 0.5));
    img.setDotsPerMeterY(int(dpi / 0.0254 + 0.5));
    QPainter painter(&img);
    painter.translate(0, 200);
    painter.scale(1, -1);
    TextDrawing::textOut(painter, text, at, anchor, angle);
    return img;
}

} // namespace

TEST(TextDrawingTest, SizeIsInPointsAndGrowsWithTheFont)
{
    const QSizeF small = TextDrawing::textSize(QStringLiteral("Hello"), testFont(10));
    const QSizeF large = TextDrawing::textSize(QStringLiteral("Hello"), testFont(20));
    EXPECT_GT(small.height(), 10);
    EXPECT_LT(small.height(), 15);
    EXPECT_NEAR(large.width(), 2 * small.width(), 0.5);
    EXPECT_NEAR(large.height(), 2 * small.height(), 0.5);
    // A second line adds a line's height; the width is the widest line's.
    const QSizeF two = TextDrawing::textSize(QStringLiteral("Hello\nHi"), testFont(10));
    EXPECT_NEAR(two.width(), small.width(), 0.01);
    EXPECT_GT(two.height(), 1.9 * small.height());
    EXPECT_EQ(TextDrawing::textSize(QString(), testFont(10)).width(), 0);
}

// A text drawn at any resolution covers its measured box, upright.
TEST(TextDrawingTest, DrawnTextFillsItsBoxUprightAtEveryResolution)
{
    const StyledText text(QStringLiteral("L"), testFont(40), Qt::black);
    const QSizeF size = text.size();
    for (int dpi : {72, 96, 300}) {
        const QImage img = drawText(text, QPointF(50, 50), 7, 0, dpi);
        const QRect box = inkBox(img);
        ASSERT_FALSE(box.isEmpty()) << dpi;
        // Ink lies inside the box from (50, 50) up; the glyph's own bearings
        // leave a little room at the sides.
        EXPECT_GE(box.left(), 50) << dpi;
        EXPECT_LE(box.right(), 50 + size.width()) << dpi;
        EXPECT_LE(box.bottom(), 150) << dpi; // not below y = 50
        EXPECT_GE(box.top(), 150 - size.height()) << dpi;
        EXPECT_GT(box.height(), 0.6 * 40 * 0.7)
            << dpi; // the glyph is 40 points tall, not 40 pixels at 96 dpi
        EXPECT_LT(box.height(), 40) << dpi;
        // An "L" has its foot at the bottom, to the right: not mirrored.
        const int bottomRun = [&] {
            int n = 0;
            for (int x = box.left(); x <= box.right(); ++x)
                n += ink(img, x, box.bottom() - 1);
            return n;
        }();
        const int topRun = [&] {
            int n = 0;
            for (int x = box.left(); x <= box.right(); ++x)
                n += ink(img, x, box.top() + 1);
            return n;
        }();
        EXPECT_GT(bottomRun, 2 * topRun) << dpi;
        EXPECT_TRUE(ink(img, box.left() + 1, box.top() + 1)) << dpi;
    }
}

TEST(TextDrawingTest, AnchorsAndRotation)
{
    const StyledText text(QStringLiteral("MMMM"), testFont(20), Qt::black);
    const QSizeF size = text.size();
    // Anchor 4 (right-middle): the text ends at x and is centred on y.
    QImage img = drawText(text, QPointF(150, 100), 4, 0);
    QRect box = inkBox(img);
    EXPECT_NEAR(box.right() + 1, 150, 3);
    EXPECT_NEAR(box.left(), 150 - size.width(), 4);
    EXPECT_NEAR((box.top() + box.bottom()) / 2.0, 100, size.height() / 4);

    // Turned by 90 degrees counter-clockwise about the anchor point (the
    // lower-left corner): the text runs upwards from there, left of it.
    img = drawText(text, QPointF(100, 50), 7, 90);
    box = inkBox(img);
    EXPECT_GT(box.height(), box.width());
    EXPECT_LE(box.right(), 101);
    EXPECT_LE(box.bottom(), 150 + 1);
    EXPECT_NEAR(box.top(), 150 - size.width(), 4);
}

TEST(TextDrawingTest, ExponentNumbersRaiseTheirExponent)
{
    const QFont font = testFont(20);
    const StyledText plain = TextDrawing::exponentNumber(QStringLiteral("2.5"), QString(), font, Qt::black);
    ASSERT_EQ(plain.runs().size(), 1u);
    const StyledText number
        = TextDrawing::exponentNumber(QStringLiteral("2.5"), QStringLiteral("7"), font, Qt::black);
    ASSERT_EQ(number.runs().size(), 4u);
    EXPECT_EQ(number.runs()[1].text, QStringLiteral("x"));
    EXPECT_NEAR(number.runs()[1].font.pointSizeF(), 16, 1e-9);
    EXPECT_NEAR(number.runs()[1].baselineOffset, 20 / 9.0, 1e-9);
    EXPECT_EQ(number.runs()[2].text, QStringLiteral("10"));
    EXPECT_EQ(number.runs()[3].superscript, 1);
    // The raised exponent makes the whole taller than the mantissa alone.
    EXPECT_GT(number.size().height(), plain.size().height());
    EXPECT_GT(number.size().width(), plain.size().width());

    // Drawn, the exponent's ink starts above the top of the "10".
    const StyledText ten(QStringLiteral("2.5x10"), font, Qt::black);
    const QRect withExp = inkBox(drawText(number, QPointF(10, 50), 7, 0));
    const QRect without = inkBox(drawText(ten, QPointF(10, 50), 7, 0));
    EXPECT_LT(withExp.top(), without.top() - 2);
}

// Dashes are lengths in the painter's points, also for the thinnest line on
// a target drawn at a larger scale (an export at a higher resolution).
TEST(BezierPathTest, DashesScaleWithThePainterAtEveryWidth)
{
    for (double width : {0.0, 0.5, 2.0}) {
        QImage img = canvas(240, 12);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.scale(4, 4);
        BezierPath p;
        p.setLineWidth(width);
        p.setLineDash(DashPattern(0), 3); // 10 drawn, 5 blank
        p.moveTo(0, 1.5);
        p.lineTo(60, 1.5);
        p.stroke(painter, Qt::black);
        painter.end();
        EXPECT_TRUE(ink(img, 20, 6)) << width;
        EXPECT_TRUE(ink(img, 36, 6)) << width;
        EXPECT_FALSE(ink(img, 48, 6)) << width;
        EXPECT_FALSE(ink(img, 52, 6)) << width;
        EXPECT_TRUE(ink(img, 64, 6)) << width;
    }
}

namespace {

// The rows (or, for a vertical line, the columns) that a stroke touches at
// all, across the middle of the line.
int touchedRows(const QImage& img, bool vertical)
{
    int n = 0;
    const int length = vertical ? img.height() : img.width();
    const int across = vertical ? img.width() : img.height();
    for (int i = 0; i < across; ++i) {
        const QRgb p = vertical ? img.pixel(i, length / 2) : img.pixel(length / 2, i);
        if (qGray(p) < 250)
            ++n;
    }
    return n;
}

} // namespace

TEST(BezierPathTest, PixelAlignedRulesCoverWholePixelRowsOnPicturesOnly)
{
    // A rule at a whole coordinate lies on the border between two pixel
    // rows; drawn as it is, a one-pixel line is smeared over both in grey.
    const struct {
        const char* what;
        double width;
        double scale; // of the picture against the points
        bool flipped; // y upwards, as the graph draws
        double at; // where the rule lies, in points
        int rows; // pixel rows it covers when aligned
        int asIs; // and without alignment
    } cases[] = {
        {"thinnest", 0, 1, false, 20, 1, 2},
        {"one point", 1, 1, false, 20, 1, 2},
        {"one point, half-way", 1, 1, false, 20.5, 1, 1},
        {"one point, y upwards", 1, 1, true, 20, 1, 2},
        {"two points", 2, 1, false, 20, 2, 2},
        {"two points, half-way", 2, 1, true, 20.5, 2, 3},
        {"one point at 300 dpi", 1, 300.0 / 72, true, 9, 4, 5},
        {"half a point at 144 dpi", 0.5, 2, true, 10.25, 1, 1},
    };
    for (const bool vertical : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << (vertical ? ", vertical" : ", horizontal"));
            for (const bool aligned : {true, false}) {
                QImage img = canvas(int(40 * c.scale), int(40 * c.scale));
                QPainter painter(&img);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.scale(c.scale, c.scale);
                if (c.flipped) {
                    painter.translate(0, 40);
                    painter.scale(1, -1);
                }
                BezierPath p;
                p.setLineWidth(c.width);
                p.setPixelAligned(aligned);
                if (vertical) {
                    p.moveTo(c.at, 2);
                    p.lineTo(c.at, 38);
                } else {
                    p.moveTo(2, c.at);
                    p.lineTo(38, c.at);
                }
                p.stroke(painter, Qt::black);
                painter.end();
                EXPECT_EQ(touchedRows(img, vertical), aligned ? c.rows : c.asIs)
                    << (aligned ? "aligned" : "as is");
            }
        }
    }

    // A frame stays closed: its corners move together.
    {
        QImage img = canvas(50, 50);
        QPainter painter(&img);
        BezierPath p;
        p.setLineWidth(1);
        p.setPixelAligned(true);
        p.appendRect(QRectF(10, 10, 20.3, 20.6));
        const QPainterPath aligned = p.strokedPath(painter);
        ASSERT_GE(aligned.elementCount(), 5);
        for (int i = 0; i < aligned.elementCount(); ++i) {
            const QPainterPath::Element e = aligned.elementAt(i);
            EXPECT_DOUBLE_EQ(e.x - std::floor(e.x), 0.5) << i;
            EXPECT_DOUBLE_EQ(e.y - std::floor(e.y), 0.5) << i;
        }
        EXPECT_EQ(QPointF(aligned.elementAt(0)), QPointF(aligned.elementAt(aligned.elementCount() - 1)));
    }

    // Vector targets and turned drawings get the path as it is; so do lines
    // that run neither across nor up.
    {
        BezierPath p;
        p.setLineWidth(1);
        p.setPixelAligned(true);
        p.moveTo(2, 20);
        p.lineTo(38, 20);
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&bytes);
        QPainter onPdf(&pdf);
        EXPECT_EQ(p.strokedPath(onPdf), p.path());
        onPdf.end();

        QImage img = canvas(40, 40);
        QPainter turned(&img);
        turned.rotate(30);
        EXPECT_EQ(p.strokedPath(turned), p.path());
        turned.end();

        BezierPath slanted;
        slanted.setPixelAligned(true);
        slanted.moveTo(2, 20);
        slanted.lineTo(38, 21);
        QPainter plain(&img);
        EXPECT_EQ(slanted.strokedPath(plain), slanted.path());
    }
}
