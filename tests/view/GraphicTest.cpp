// Graphics: a new graphic's defaults; the angle the arrowheads turn by; the
// dash width; every arrowhead at either end; rectangles and ovals, filled
// or not, whichever way round their points are; dash patterns; pictures
// drawn upright; points that follow the data or stay on the page; values
// that are no numbers or far too large; the inspector's seed.

#include "view/Graphic.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Picture.h"
#include "view/VexaView.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// A 100 x 100 view with no margins, ranges 0..100: a data value is a view
// point, and the view point (x, y) is the image pixel (x, 100 - y).
struct Sheet {
    static constexpr int Size = 100;
    ManagerServices manager;
    VexaDocument doc;
    VexaView view{QSizeF(Size, Size), &manager};

    ManagerServices* previous = ManagerServices::shared();

    Sheet()
    {
        ManagerServices::setShared(&manager);
        doc.M = &manager;
        doc.page.marginleft = doc.page.marginright = doc.page.margintop = doc.page.marginbottom = 0;
        doc.xmin1 = doc.ymin1 = doc.xmin2 = doc.ymin2 = 0;
        doc.xmax1 = doc.ymax1 = doc.xmax2 = doc.ymax2 = 100;
        view.setVexaDocument(&doc);
        doc.PV = &view;
        view.resize();
        manager.PD = &doc;
    }
    ~Sheet() { ManagerServices::setShared(previous); }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    Graphic make(int type, QPointF a, QPointF b)
    {
        Graphic g;
        g.setup(&manager, &doc);
        g.type = type;
        g.setPoints(a.x(), a.y(), b.x(), b.y());
        return g;
    }

    QImage draw(Graphic& g)
    {
        QImage img(Size, Size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing, true);
        VexaView::flipToViewPoints(painter, Size);
        g.drawGraphic(painter, QRectF(0, 0, Size, Size));
        return img;
    }
};

QColor at(const QImage& img, double x, double y)
{
    return img.pixelColor(int(std::floor(x)), int(std::floor(Sheet::Size - y)));
}

bool inkAt(const QImage& img, double x, double y)
{
    return qGray(at(img, x, y).rgb()) < 160;
}

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40
        && std::abs(a.blue() - b.blue()) < 40;
}

bool blank(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A 2 x 2 picture: red top-left, green top-right, blue bottom-left, black
// bottom-right.
QImage quadrants()
{
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixelColor(0, 0, Qt::red);
    img.setPixelColor(1, 0, Qt::green);
    img.setPixelColor(0, 1, Qt::blue);
    img.setPixelColor(1, 1, Qt::black);
    return img;
}

} // namespace

TEST(GraphicTest, ANewGraphicIsASolidBlackLineInFrontInViewPoints)
{
    Sheet s;
    const Graphic g;
    EXPECT_EQ(g.type, GraphicLine);
    EXPECT_EQ(g.linewidth, 2.0);
    EXPECT_FALSE(g.arrow1);
    EXPECT_FALSE(g.arrow2);
    EXPECT_EQ(g.arrowsize, 12);
    EXPECT_EQ(g.arrowtype, ArrowOpen);
    EXPECT_EQ(g.dashp, 0);
    EXPECT_EQ(g.display, 0);
    EXPECT_EQ(g.posmode, 0);
    EXPECT_FALSE(g.fill);
    EXPECT_TRUE(g.aspect);
    EXPECT_EQ(g.color, QColor(Qt::black));
    EXPECT_EQ(g.fillcolor, QColor(Qt::white));
    EXPECT_FALSE(g.image);
    EXPECT_EQ(g.tag, 0);
    EXPECT_EQ(g.PD, &s.doc); // the controller's current document
    EXPECT_EQ(g.M, &s.manager);

    // Without an inspector nothing changes; with one, its settings come over.
    Graphic h;
    h.setupFromInspector(nullptr);
    EXPECT_EQ(h.linewidth, 2.0);
    EXPECT_EQ(h.fillcolor, QColor(Qt::white));
    GraphicSettings settings;
    settings.type = GraphicOval;
    settings.linewidth = 3.5;
    settings.dashp = 4;
    settings.color = Qt::red;
    settings.fillcolor = Qt::blue;
    settings.fill = true;
    settings.arrow2 = true;
    settings.arrowsize = 20;
    settings.arrowtype = ArrowDouble;
    settings.display = 1;
    settings.posmode = 2;
    h.aspect = 0;
    h.setupFromInspector(&settings);
    EXPECT_EQ(h.type, GraphicOval);
    EXPECT_EQ(h.linewidth, 3.5);
    EXPECT_EQ(h.dashp, 4);
    EXPECT_EQ(h.color, QColor(Qt::red));
    EXPECT_EQ(h.fillcolor, QColor(Qt::blue));
    EXPECT_TRUE(h.fill);
    EXPECT_FALSE(h.arrow1);
    EXPECT_TRUE(h.arrow2);
    EXPECT_EQ(h.arrowsize, 20);
    EXPECT_EQ(h.arrowtype, ArrowDouble);
    EXPECT_EQ(h.display, 1);
    EXPECT_EQ(h.posmode, 2);
    EXPECT_TRUE(h.aspect);
}

TEST(GraphicTest, ArrowheadsTurnByTheLinesAngle)
{
    const double k = std::numbers::pi / 3.1415926;
    struct Case {
        double dx, dy, theta;
    };
    const Case cases[] = {
        {-10, 0, 180},
        {0, -10, 270},
        {0, 0, 0},
        {10, 0, 0},
        {10, -10, 360 - 45 * k},
        {0, 10, 90 * k},
        {-10, 10, 180 - 45 * k},
        {-10, -10, 180 + 45 * k},
        {10, 10, 45 * k},
    };
    for (const Case& c : cases) {
        const double t = Graphic::lineAngle(c.dx, c.dy);
        EXPECT_NEAR(t, c.theta, 1e-9) << c.dx << ", " << c.dy;
    }
    EXPECT_GT(Graphic::lineAngle(0, 10), 90);
}

TEST(GraphicTest, DashesAreBuiltForTheLineWidth)
{
    Sheet s;
    struct Case {
        double width;
        int dashWidth;
    };
    for (const Case& c : {Case{3, 1}, Case{4, 1}, Case{6.5, 6}, Case{0, 1},
                          Case{std::numeric_limits<double>::quiet_NaN(), 1}}) {
        Graphic g = s.make(GraphicLine, {10, 50}, {90, 50});
        g.linewidth = c.width;
        g.dashp = 1;
        s.draw(g);
        EXPECT_EQ(g.dash.width(), c.dashWidth) << c.width;
    }

    // A dashed line has gaps; a pattern outside 0..15 draws solid.
    auto gaps = [&s](int pattern) {
        Graphic g = s.make(GraphicLine, {5, 50}, {95, 50});
        g.linewidth = 1;
        g.dashp = pattern;
        const QImage img = s.draw(g);
        int blanks = 0;
        for (int x = 10; x < 90; ++x)
            blanks += inkAt(img, x + 0.5, 50) ? 0 : 1;
        return blanks;
    };
    EXPECT_EQ(gaps(0), 0);
    EXPECT_GT(gaps(3), 10);
    EXPECT_EQ(gaps(16), 0);
    EXPECT_EQ(gaps(-1), 0);
}

TEST(GraphicTest, EachArrowheadAtEitherEnd)
{
    // A line from (20, 50) to (80, 50), size 12: at point 1 the barbs lie
    // at x 32, y 50 -/+ 5.2; at point 2 at x 68.
    struct Case {
        int type;
        bool barbs; // the open ends of the head are drawn
        bool filled; // the inside of the head is the line colour
        bool hollow; // the inside of the head is the background
        bool second; // a second head s further along
    };
    const Case cases[] = {
        {ArrowOpen, true, false, false, false},  {ArrowClosed, true, true, false, false},
        {ArrowHollow, true, false, true, false}, {ArrowDouble, true, false, false, true},
        {5, false, false, false, false},         {-1, false, false, false, false},
    };
    Sheet s;
    s.doc.page.backgroundcolor = Qt::yellow;
    for (const Case& c : cases) {
        for (int end : {1, 2}) {
            Graphic g = s.make(GraphicLine, {20, 50}, {80, 50});
            g.arrowtype = c.type;
            g.arrow1 = end == 1;
            g.arrow2 = end == 2;
            g.color = Qt::black;
            g.linewidth = 1;
            const QImage img = s.draw(g);
            // x along the line from the tip, mirrored for point 2.
            auto X = [end](double fromTip) { return end == 1 ? 20 + fromTip : 80 - fromTip; };
            const auto where = QStringLiteral("type %1 end %2").arg(c.type).arg(end).toStdString();
            EXPECT_TRUE(inkAt(img, X(30), 50)) << where; // the line itself
            EXPECT_EQ(inkAt(img, X(11.5), 54.6), c.barbs) << where;
            EXPECT_EQ(inkAt(img, X(9), 52), c.filled) << where;
            EXPECT_EQ(near(at(img, X(9), 52), Qt::yellow), c.hollow) << where;
            EXPECT_EQ(inkAt(img, X(23.5), 54.6), c.second) << where;
            // The other end stays bare.
            auto Y = [end](double fromTip) { return end == 2 ? 20 + fromTip : 80 - fromTip; };
            EXPECT_FALSE(inkAt(img, Y(11.5), 54.6)) << where;
        }
    }
}

TEST(GraphicTest, RectanglesAndOvalsWhicheverWayRoundTheirPoints)
{
    Sheet s;
    for (int type : {GraphicRectangle, GraphicOval}) {
        Graphic g = s.make(type, {20, 30}, {80, 70});
        g.fill = 1;
        g.fillcolor = Qt::blue;
        g.color = Qt::red;
        g.linewidth = 2;
        const QImage forward = s.draw(g);
        g.setPoints(80, 70, 20, 30);
        EXPECT_EQ(s.draw(g), forward) << type;
        g.setPoints(20, 70, 80, 30);
        EXPECT_EQ(s.draw(g), forward) << type;

        EXPECT_TRUE(near(at(forward, 50, 50), Qt::blue)) << type;
        EXPECT_TRUE(near(at(forward, 50, 30), Qt::red)) << type; // the middle of an edge
        EXPECT_TRUE(near(at(forward, 20.5, 50), Qt::red)) << type;
        EXPECT_TRUE(near(at(forward, 50, 90), Qt::white)) << type; // outside
        // An oval leaves the corners of its box alone.
        EXPECT_EQ(near(at(forward, 20.5, 30.5), Qt::red), type == GraphicRectangle) << type;

        g.fill = 0;
        EXPECT_TRUE(near(at(s.draw(g), 50, 50), Qt::white)) << type;
    }
}

TEST(GraphicTest, PointsFollowTheDataOrStayOnThePage)
{
    Sheet s;
    Graphic onData = s.make(GraphicLine, {0, 0}, {0, 0});
    onData.posmode = 1;
    onData.setPoints(20, 30, 60, 80);
    EXPECT_EQ(onData.x1, 20);
    EXPECT_EQ(onData.y2, 80);
    Graphic onPage = s.make(GraphicLine, {20, 30}, {60, 80});

    s.doc.xmin1 = 0;
    s.doc.xmax1 = 50;
    s.doc.ymin1 = 20;
    s.doc.ymax1 = 120;
    double X1, Y1, X2, Y2;
    onData.getPoints(X1, Y1, X2, Y2);
    EXPECT_DOUBLE_EQ(X1, 40);
    EXPECT_DOUBLE_EQ(Y1, 10);
    EXPECT_DOUBLE_EQ(X2, 120);
    EXPECT_DOUBLE_EQ(Y2, 60);
    onPage.getPoints(X1, Y1, X2, Y2);
    EXPECT_EQ(QRectF(QPointF(X1, Y1), QPointF(X2, Y2)), QRectF(QPointF(20, 30), QPointF(60, 80)));

    // Pair 2 uses its own ranges.
    Graphic second = s.make(GraphicLine, {0, 0}, {0, 0});
    second.posmode = 2;
    second.setPoints(50, 50, 100, 100);
    s.doc.xmax2 = 200;
    second.getPoints(X1, Y1, X2, Y2);
    EXPECT_DOUBLE_EQ(X1, 25);
    EXPECT_DOUBLE_EQ(Y2, 100);
}

TEST(GraphicTest, PicturesAreDrawnUprightUnderTheShape)
{
    Sheet s;
    auto picture = Picture::fromData(png(quadrants()));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->format(), "png");
    // Stored at 96 dots per inch: 2 pixels are 1.5 points.
    EXPECT_NEAR(picture->naturalSize().width(), 1.5, 0.01);

    Graphic g = s.make(GraphicPicture, {80, 80}, {20, 20});
    g.image = picture;
    const QImage img = s.draw(g);
    EXPECT_TRUE(near(at(img, 30, 70), Qt::red));
    EXPECT_TRUE(near(at(img, 70, 70), Qt::green));
    EXPECT_TRUE(near(at(img, 30, 30), Qt::blue));
    EXPECT_TRUE(near(at(img, 70, 30), Qt::black));
    EXPECT_TRUE(near(at(img, 10, 10), Qt::white));

    // Whatever the type, the picture goes first; a line is drawn over it.
    g.type = GraphicLine;
    g.color = Qt::yellow;
    g.linewidth = 4;
    g.setPoints(20, 20, 80, 80);
    const QImage over = s.draw(g);
    EXPECT_TRUE(near(at(over, 35, 35), Qt::yellow));
    EXPECT_TRUE(near(at(over, 30, 70), Qt::red));
}

TEST(GraphicTest, PicturesComeFromImageFilesAndPdfPagesOrAreRefused)
{
    // A JPEG keeps its own bytes.
    QImage photo(40, 20, QImage::Format_RGB32);
    photo.fill(Qt::darkCyan);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(photo.save(&buffer, "JPEG"));
    }
    auto j = Picture::fromData(jpeg);
    ASSERT_TRUE(j);
    EXPECT_EQ(j->format(), "jpeg");
    EXPECT_EQ(j->data(), jpeg);
    EXPECT_EQ(j->image().size(), QSize(40, 20));

    // A PDF shows its first page, at the page's size in points.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QSizeF(144, 72), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        painter.fillRect(QRectF(0, 0, writer.width(), writer.height()), Qt::red);
    }
    auto p = Picture::fromData(pdf);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format(), "pdf");
    EXPECT_NEAR(p->naturalSize().width(), 144, 1);
    EXPECT_NEAR(p->naturalSize().height(), 72, 1);
    EXPECT_TRUE(near(p->image().pixelColor(p->image().width() / 2, p->image().height() / 2), Qt::red));

    struct Case {
        const char* what;
        QByteArray bytes;
        QString message;
    };
    const Case cases[] = {
        {"empty", QByteArray(), Picture::emptyMessage()},
        {"text", QByteArray("no picture in here"), Picture::unreadableMessage()},
        {"truncated png", png(quadrants()).left(20), Picture::unreadableMessage()},
        {"broken pdf", QByteArray("%PDF-1.4\n1 0 obj garbage"), Picture::unreadableMessage()},
    };
    for (const Case& c : cases) {
        Outcome why;
        EXPECT_FALSE(Picture::fromData(c.bytes, &why)) << c.what;
        EXPECT_EQ(why.kind(), Outcome::Kind::Failed) << c.what;
        EXPECT_EQ(why.message(), c.message) << c.what;
        EXPECT_FALSE(why.message().isEmpty());
    }
}

TEST(GraphicTest, ValuesThatAreNoNumbersOrFarTooLargeNeverReachThePainter)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Sheet s;
    auto picture = Picture::fromData(png(quadrants()));

    // Points that are no numbers: nothing at all.
    for (int type : {GraphicLine, GraphicRectangle, GraphicOval, GraphicPicture}) {
        for (QPointF bad : {QPointF(nan, 10), QPointF(10, inf), QPointF(-inf, nan)}) {
            Graphic g = s.make(type, bad, {50, 50});
            g.image = picture;
            g.arrow1 = g.arrow2 = 1;
            EXPECT_TRUE(blank(s.draw(g))) << type;
        }
    }

    // Far-off points: what lies in view is drawn, the rest cut away.
    struct Case {
        int type;
        QPointF a, b;
        QPointF ink;
    };
    const Case cases[] = {
        {GraphicLine, {-1e300, 50}, {1e300, 50}, {50, 50}},
        {GraphicLine, {50, 50}, {50, 1e12}, {50, 90}},
        {GraphicRectangle, {10, 10}, {1e200, 1e200}, {10, 50}},
        {GraphicOval, {-1e9, -1e9}, {1e9, 1e9}, {-1, -1}},
        {GraphicPicture, {-1e15, -1e15}, {1e15, 1e15}, {50, 50}},
    };
    for (const Case& c : cases) {
        Graphic g = s.make(c.type, c.a, c.b);
        g.image = c.type == GraphicPicture ? picture : std::nullopt;
        g.arrow1 = g.arrow2 = 1;
        const QImage img = s.draw(g);
        if (c.ink.x() >= 0) {
            EXPECT_TRUE(inkAt(img, c.ink.x(), c.ink.y()) || !near(at(img, c.ink.x(), c.ink.y()), Qt::white))
                << c.type;
        }
    }

    // Sizes out of all proportion.
    for (double width : {nan, inf, -5.0, 1e300}) {
        Graphic g = s.make(GraphicLine, {10, 10}, {90, 90});
        g.linewidth = width;
        g.arrow1 = g.arrow2 = 1;
        g.dashp = 5;
        s.draw(g);
    }
    for (int size : {INT_MAX, INT_MIN, 0}) {
        Graphic g = s.make(GraphicLine, {10, 10}, {90, 90});
        g.arrowsize = size;
        g.arrowtype = ArrowClosed;
        g.arrow1 = g.arrow2 = 1;
        const QImage img = s.draw(g);
        EXPECT_TRUE(inkAt(img, 50, 50)) << size;
    }
}
