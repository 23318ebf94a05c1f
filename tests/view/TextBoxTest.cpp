// Text boxes: anchoring by each of the nine points, turned; the 21
// automatic places at the four angles; boxes in data values following the
// ranges; growth with the text around the anchor; print mode; the one
// measurement; drawing turned and clipped; hit-testing of turned frames; the
// box's own press and drag; removal that leaves nothing pointing at a box.

#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Font.h"
#include "view/VexaTextView.h"
#include "view/VexaView.h"

#include <QImage>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

class BoxManager : public ManagerServices {
public:
    QString tool = QStringLiteral("range");
    QStringList inspectors;
    int updates = 0;
    QString mouseModeTitle() const override { return tool; }
    void switchInspector(const QString& key) override { inspectors << key; }
    void update() override { ++updates; }
};

// A 400 x 300 view, margins left 50, right 30, top 20, bottom 40 (plot area
// x 50..370, y 40..280), ranges 0..100 on both pairs.
struct Page {
    static constexpr int W = 400, H = 300;
    BoxManager manager;
    VexaDocument doc;
    VexaView view{QSizeF(W, H), &manager};
    int displays = 0;

    Page()
    {
        doc.M = &manager;
        doc.page.marginleft = 50;
        doc.page.marginright = 30;
        doc.page.margintop = 20;
        doc.page.marginbottom = 40;
        doc.xmin1 = doc.ymin1 = doc.xmin2 = doc.ymin2 = 0;
        doc.xmax1 = doc.ymax1 = doc.xmax2 = doc.ymax2 = 100;
        for (auto& a : doc.axes)
            a.axis = 0;
        doc.page.drawframe = 0;
        view.setVexaDocument(&doc);
        view.setDisplayHandler([this] { ++displays; });
        doc.PV = &view;
        view.resize();
        manager.PD = manager.MPD = &doc;
    }

    VexaTextView& add(const QRectF& frame)
    {
        doc.T.push_back(std::make_unique<VexaTextView>(frame, &manager, &doc));
        return static_cast<VexaTextView&>(*doc.T.back());
    }

    // A box of a fixed size (no text), anchored at `anchor`.
    VexaTextView& sized(QPointF anchor, double w = 60, double h = 20)
    {
        VexaTextView& b = add(QRectF(0, 0, w, h));
        b.setFrame(QRectF(0, 0, w, h));
        b.tloc = anchor;
        return b;
    }

    QImage render()
    {
        QImage img(W, H, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        view.drawIn(painter);
        return img;
    }
};

QFont font(double size)
{
    return Font::withName(QStringLiteral("DejaVu Sans"), size).value_or(Font::userFont(size));
}

bool nearPoint(QPointF a, QPointF b, double eps = 1e-6)
{
    return std::fabs(a.x() - b.x()) < eps && std::fabs(a.y() - b.y()) < eps;
}

::testing::AssertionResult samePoint(QPointF a, QPointF b, double eps = 1e-6)
{
    if (nearPoint(a, b, eps))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "(" << a.x() << ", " << a.y() << ") is not (" << b.x() << ", " << b.y() << ")";
}

QRectF bounds(const QPolygonF& p)
{
    return p.boundingRect();
}

// The inked area of an image, in image pixels.
QRect inkBounds(const QImage& img)
{
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

} // namespace

TEST(TextBoxTest, ANewBoxIsAnchoredAtItsTopLeftCorner)
{
    Page p;
    VexaTextView& b = p.add(QRectF(100, 200, 10, 15));
    EXPECT_EQ(b.tloc, QPointF(100, 215));
    EXPECT_EQ(b.tbalign, 0);
    EXPECT_EQ(b.posmode, 0);
    EXPECT_FALSE(b.autopos);
    EXPECT_EQ(b.tag, 0);
    b.align();
    EXPECT_EQ(b.frame().topLeft(), QPointF(100, 200));
}

TEST(TextBoxTest, EachAlignmentPutsItsPointOnTheAnchorAtAnyAngle)
{
    // Which corner or middle of the box as drawn (turned) lies on the anchor.
    using Pick = std::function<QPointF(const QPolygonF&)>;
    auto mid = [](QPointF a, QPointF b) { return (a + b) / 2; };
    // framePolygon: 0 bottom-left, 1 bottom-right, 2 top-right, 3 top-left.
    const Pick picks[] = {
        [](const QPolygonF& q) { return q[3]; }, // 0 top-left
        [&](const QPolygonF& q) { return mid(q[3], q[2]); }, // 1 top-centre
        [](const QPolygonF& q) { return q[2]; }, // 2 top-right
        [&](const QPolygonF& q) { return mid(q[0], q[3]); }, // 3 middle-left
        [&](const QPolygonF& q) { return mid(q[0], q[2]); }, // 4 centre
        [&](const QPolygonF& q) { return mid(q[1], q[2]); }, // 5 middle-right
        [](const QPolygonF& q) { return q[0]; }, // 6 bottom-left
        [&](const QPolygonF& q) { return mid(q[0], q[1]); }, // 7 bottom-centre
        [](const QPolygonF& q) { return q[1]; }, // 8 bottom-right
    };
    Page p;
    const QPointF anchor(200, 150);
    for (double angle : {0.0, 90.0, 180.0, 270.0, 30.0, -45.0}) {
        for (int align = -1; align <= 9; ++align) {
            VexaTextView& b = p.sized(anchor);
            b.angle = angle;
            b.tbalign = align;
            b.align();
            // Anything outside 0..8 is bottom-left.
            const int meant = align < 0 || align > 8 ? 6 : align;
            EXPECT_TRUE(samePoint(picks[meant](b.framePolygon()), anchor, 1e-9))
                << "angle " << angle << " tbalign " << align;
        }
    }

    // The worked cases: bottom-right at 0, top-right turned by 90.
    VexaTextView& b = p.sized(anchor, 60, 20);
    b.tbalign = 8;
    b.align();
    EXPECT_TRUE(samePoint(b.frame().topLeft(), QPointF(200 - 60, 150)));
    b.angle = 90;
    b.tbalign = 2;
    b.align();
    EXPECT_TRUE(samePoint(b.frame().topLeft(), QPointF(200 + 20, 150 - 60)));
}

TEST(TextBoxTest, EveryAutomaticPlaceAtEveryAngleLiesWhereItsRuleSays)
{
    Page p;
    VexaDocument& d = p.doc;
    d.axes[AxisX1].numoff = 2;
    d.axes[AxisY1].numoff = -1;
    d.axes[AxisX2].numoff = 3;
    d.axes[AxisY2].numoff = 0;
    d.axm[AxisX1] = QSizeF(30, 11);
    d.axm[AxisY1] = QSizeF(25, 9);
    d.axm[AxisX2] = QSizeF(28, 13);
    d.axm[AxisY2] = QSizeF(22, 10);
    const double L = 50, B = 40, Rt = 370, Tp = 280, cx = 210, cy = 160, o = 7;
    const double aB = 2 + 11 + 6, aL = -1 + 25 + 3 + 6, aT = 3 + 13 + 6, aR = 0 + 22 + 3 + 6;

    // How each place fixes the turned box: 'l' its left (bottom) side at v,
    // 'c' its centre on the plot area's centre, 'h' its right (top) side at v.
    struct Rule {
        char h;
        double hv;
        char v;
        double vv;
    };
    const Rule rules[22] = {
        {},
        {'l', L + o, 'h', Tp - o},
        {'c', cx, 'h', Tp - o},
        {'h', Rt - o, 'h', Tp - o},
        {'l', L + o, 'c', cy},
        {'c', cx, 'c', cy},
        {'h', Rt - o, 'c', cy},
        {'l', L + o, 'l', B + o},
        {'c', cx, 'l', B + o},
        {'h', Rt - o, 'l', B + o},
        {'l', L, 'l', Tp + o + aT},
        {'c', cx, 'l', Tp + o + aT},
        {'h', Rt, 'l', Tp + o + aT},
        {'l', Rt + o + aR, 'h', Tp},
        {'l', Rt + o + aR, 'c', cy},
        {'l', Rt + o + aR, 'l', B},
        {'h', Rt, 'h', B - o - aB},
        {'c', cx, 'h', B - o - aB},
        {'l', L, 'h', B - o - aB},
        {'h', L - o - aL, 'l', B},
        {'h', L - o - aL, 'c', cy},
        {'h', L - o - aL, 'h', Tp},
    };
    auto check = [](char fix, double v, double low, double high, double centre) {
        switch (fix) {
        case 'l':
            return std::fabs(low - v) < 1e-9;
        case 'h':
            return std::fabs(high - v) < 1e-9;
        default:
            return std::fabs((low + high) / 2 - centre) < 1e-9;
        }
    };
    for (int angle : {0, 90, 180, 270}) {
        for (int place = 1; place <= 21; ++place) {
            VexaTextView& b = p.sized(QPointF(-1000, -1000), 60, 20);
            b.autopos = 1;
            b.autoposloc = place;
            b.autoposangle = angle;
            b.angle = angle;
            b.autoposoffset = o;
            b.doAutoPos();
            const QRectF r = bounds(b.framePolygon());
            const Rule& rule = rules[place];
            EXPECT_TRUE(check(rule.h, rule.hv, r.left(), r.right(), cx))
                << "place " << place << " angle " << angle << ": x " << r.left() << ".." << r.right();
            EXPECT_TRUE(check(rule.v, rule.vv, r.top(), r.bottom(), cy))
                << "place " << place << " angle " << angle << ": y " << r.top() << ".." << r.bottom();
            EXPECT_TRUE(samePoint(b.frame().topLeft(), QPointF(b.tloc.x(), b.tloc.y() - 20)));
        }
    }

    // The worked anchors.
    struct Worked {
        int place, angle;
        QPointF tloc;
    };
    const double w = 60, h = 20;
    const Worked worked[] = {
        {1, 90, {L + o + h, Tp - o - w + h}},        {16, 180, {Rt, B - o - aB + h}},
        {20, 270, {L - o - aL - h, cy + w / 2 + h}}, {5, 90, {cx + h / 2, cy - w / 2 + h}},
        {5, 180, {cx + w / 2, cy + h / 2 + h}},      {7, 0, {L + o, B + o + h}},
    };
    for (const Worked& c : worked) {
        VexaTextView& b = p.sized(QPointF(0, 0), w, h);
        b.autopos = 1;
        b.autoposloc = c.place;
        b.autoposangle = c.angle;
        b.autoposoffset = o;
        b.doAutoPos();
        EXPECT_TRUE(samePoint(b.tloc, c.tloc)) << "place " << c.place << " at " << c.angle;
    }
}

TEST(TextBoxTest, AutomaticPlacementIgnoresAlignmentPositionAndDragging)
{
    Page p;
    p.doc.page.marginleft = 80;
    p.doc.page.marginbottom = 80;
    VexaTextView& b = p.sized(QPointF(5, 5), 60, 20);
    b.autopos = 1;
    b.autoposloc = 7;
    b.autoposoffset = 10;
    b.tbalign = 4;
    b.posmode = 1;
    b.x = b.y = 50;
    b.doAutoPos();
    EXPECT_EQ(b.frame().topLeft(), QPointF(90, 90));

    p.manager.tool = QStringLiteral("select");
    b.mouseDown(QPointF(100, 100));
    b.mouseDragged(QPointF(150, 160));
    b.mouseUp();
    b.doAutoPos();
    EXPECT_EQ(b.frame().topLeft(), QPointF(90, 90));

    // An angle or a place the table lacks keeps the anchor; the frame still
    // hangs from it.
    for (auto [place, angle] : {std::pair{0, 0}, std::pair{22, 0}, std::pair{3, 45}}) {
        VexaTextView& c = p.sized(QPointF(123, 234), 60, 20);
        c.autopos = 1;
        c.autoposloc = place;
        c.autoposangle = angle;
        c.doAutoPos();
        EXPECT_EQ(c.tloc, QPointF(123, 234)) << place << " " << angle;
        EXPECT_EQ(c.frame().topLeft(), QPointF(123, 214)) << place << " " << angle;
    }
}

TEST(TextBoxTest, AutomaticPlacesKeepClearOfTheAxisNumbersAsTheyAreNow)
{
    Page p;
    VexaDocument& d = p.doc;
    d.axes[AxisX2].axis = 1;
    d.axes[AxisX2].numfont = font(12);
    VexaTextView& b = p.add(QRectF(0, 0, 10, 15));
    b.setString(QStringLiteral("Title"), font(14), Qt::black);
    b.autopos = 1;
    b.autoposloc = 11; // above the top axis: bottom at Tp + o + numoff + band + 6
    b.autoposoffset = 4;
    auto gap = [&] { return b.frame().y() - (280 + 4 + d.axes[AxisX2].numoff + d.axm[AxisX2].height() + 6); };

    // A picture of a graph never drawn: the numbers are measured before the
    // boxes are laid out, and print mode then draws the box clear of them.
    p.view.layOutTextBoxes();
    p.manager.printmode = 1;
    p.render();
    p.manager.printmode = 0;
    EXPECT_GT(d.axm[AxisX2].height(), 10);
    EXPECT_NEAR(gap(), 0, 1e-9);

    // On screen the boxes are drawn after the axes: larger numbers push the
    // box up in the same pass.
    d.axes[AxisX2].numfont = font(30);
    p.render();
    EXPECT_NEAR(gap(), 0, 1e-9);
}

TEST(TextBoxTest, BoxesInDataValuesFollowTheRanges)
{
    Page p;
    VexaTextView& b = p.sized(QPointF(0, 0), 60, 20);
    b.tbalign = TextAlignCentre;
    b.posmode = 1;
    b.setPosition(25, 50);
    EXPECT_EQ(b.x, 25);
    EXPECT_EQ(b.y, 50);
    EXPECT_TRUE(samePoint(b.tloc, QPointF(50 + 0.25 * 320, 40 + 0.5 * 240)));

    // Pair 2 with its own ranges, zoomed in after placing.
    VexaTextView& c = p.sized(QPointF(0, 0), 60, 20);
    c.tbalign = TextAlignCentre;
    c.posmode = 2;
    c.setPosition(10, 90);

    p.doc.xmin1 = 0;
    p.doc.xmax1 = 50;
    p.doc.xmin2 = 0;
    p.doc.xmax2 = 20;
    p.render();
    EXPECT_TRUE(samePoint(b.tloc, QPointF(50 + 0.5 * 320, 160)));
    EXPECT_TRUE(samePoint(bounds(b.framePolygon()).center(), b.tloc));
    EXPECT_TRUE(samePoint(c.tloc, QPointF(50 + 0.5 * 320, 40 + 0.9 * 240)));

    // setFloat: back to view points forgets the values; to data takes them
    // from the anchor.
    b.setFloat(0);
    EXPECT_EQ(b.x, 0);
    EXPECT_EQ(b.y, 0);
    b.tloc = QPointF(50 + 0.2 * 320, 40 + 0.75 * 240);
    b.setFloat(1);
    EXPECT_NEAR(b.x, 10, 1e-9);
    EXPECT_NEAR(b.y, 75, 1e-9);

    // A point without a place on the view (a range of no width) leaves
    // the anchor where it was.
    p.doc.xmin1 = p.doc.xmax1 = 5;
    b.align();
    const QPointF before = b.tloc;
    const QRectF frame = b.frame();
    b.x = 7;
    b.doAutoPos();
    EXPECT_EQ(b.tloc, before);
    EXPECT_EQ(b.frame(), frame);
}

TEST(TextBoxTest, TheBoxGrowsWithItsTextAroundItsTopLeftCorner)
{
    Page p;
    VexaTextView& b = p.add(QRectF(100, 200, 10, 15));
    b.setString(QStringLiteral("Hi"), font(20), Qt::black);
    const int replotsBefore = p.displays;
    b.textHasChanged();
    const QRectF short_ = b.frame();
    EXPECT_GT(p.displays, replotsBefore);
    EXPECT_EQ(short_.x(), 100);
    EXPECT_NEAR(short_.y() + short_.height(), 215, 1e-9);
    EXPECT_EQ(short_.size(), b.contentSize());

    // A longer line widens the box to the right.
    QTextCursor cursor(&b.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral(" there, a longer line"));
    b.textHasChanged();
    const QRectF wide = b.frame();
    EXPECT_GT(wide.width(), short_.width() + 50);
    EXPECT_EQ(wide.height(), short_.height());
    EXPECT_EQ(wide.x(), 100);
    EXPECT_NEAR(wide.y() + wide.height(), 215, 1e-9);

    // A new line grows it downwards.
    cursor.insertText(QStringLiteral("\nsecond"));
    b.textHasChanged();
    const QRectF tall = b.frame();
    EXPECT_GT(tall.height(), 1.5 * wide.height());
    EXPECT_EQ(tall.x(), 100);
    EXPECT_NEAR(tall.y() + tall.height(), 215, 1e-9);

    // Nothing changed: no replot.
    const int replots = p.displays;
    b.textHasChanged();
    EXPECT_EQ(p.displays, replots);
}

TEST(TextBoxTest, OneMeasurementSizesTheBoxOnEveryTarget)
{
    Page p;
    VexaTextView& b = p.add(QRectF(40, 100, 0, 0));
    b.setString(QStringLiteral("Measured text\nand its second line"), font(24), Qt::black);
    b.setFrame(QRectF(40, 100, b.contentSize().width(), b.contentSize().height()));
    const QSizeF size = b.contentSize();
    EXPECT_GT(size.width(), 100);
    EXPECT_GT(size.height(), 40);

    // Drawn at 1 and 3 pixels a point, the ink stays inside the measured
    // frame and fills most of it either way.
    for (int scale : {1, 3}) {
        QImage img(Page::W * scale, Page::H * scale, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        painter.scale(scale, scale);
        VexaView::flipToViewPoints(painter, Page::H);
        b.drawRect(painter);
        painter.end();
        const QRect ink = inkBounds(img);
        ASSERT_FALSE(ink.isNull()) << scale;
        const QRectF f = b.frame();
        const QRectF inPoints(ink.x() / double(scale), ink.y() / double(scale), ink.width() / double(scale),
                              ink.height() / double(scale));
        const QRectF frameOnImage(f.x(), Page::H - f.y() - f.height(), f.width(), f.height());
        EXPECT_TRUE(frameOnImage.adjusted(-1, -1, 1, 1).contains(inPoints)) << scale;
        EXPECT_GT(inPoints.width(), 0.9 * f.width()) << scale;
        EXPECT_GT(inPoints.height(), 0.6 * f.height()) << scale;
    }
}

TEST(TextBoxTest, TextKeepsEveryCharacterAsGiven)
{
    Page p;
    VexaTextView& b = p.add(QRectF());
    const QString text = QStringLiteral("%1 %s %% <b>bold?</b> &amp; \\n $x\ttab\nline two");
    b.setString(text, font(12), Qt::red);
    EXPECT_EQ(b.string(), text);
    EXPECT_FALSE(b.isEmpty());
    b.setString(QString(), font(12), Qt::red);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(b.contentSize().width(), 0);
}

TEST(TextBoxTest, DrawnTurnedClippedAndOutlinedOnlyWhenCurrent)
{
    Page p;
    VexaTextView& b = p.add(QRectF(0, 0, 0, 0));
    b.setString(QStringLiteral("MMMMMMMM"), font(20), Qt::black);
    const QSizeF s = b.contentSize();
    ASSERT_GT(s.width(), 2 * s.height());
    b.tloc = QPointF(200, 150);
    b.tbalign = TextAlignCentre;

    // Upright: wide; turned a quarter: tall; both centred on the anchor.
    for (double angle : {0.0, 90.0}) {
        b.angle = angle;
        const QRect ink = inkBounds(p.render());
        ASSERT_FALSE(ink.isNull()) << angle;
        if (angle == 0)
            EXPECT_GT(ink.width(), 2 * ink.height());
        else
            EXPECT_GT(ink.height(), 2 * ink.width());
        EXPECT_NEAR(ink.center().x(), 200, 4) << angle;
        EXPECT_NEAR(ink.center().y(), Page::H - 150, 4) << angle;
    }

    // The outline: light grey inside the frame's edge, for the current box
    // under the select or text tool, never in print mode.
    b.angle = 0;
    b.drawsBackground = true;
    b.backgroundColor = Qt::yellow;
    auto outlined = [&] {
        const QImage img = p.render();
        const QRectF f = b.frame();
        // Light grey near the bottom edge, where neither the yellow
        // background nor the black text is.
        const int x = int(f.x() + f.width() / 2);
        for (int row = int(Page::H - f.y()) - 3; row <= int(Page::H - f.y()); ++row) {
            const QColor c = img.pixelColor(x, row);
            if (std::abs(c.red() - c.blue()) < 20 && c.red() > 120 && c.red() < 230)
                return true;
        }
        return false;
    };
    struct Case {
        const char* tool;
        bool current;
        bool print;
        bool outline;
    };
    const Case cases[] = {
        {"select", true, false, true},   {"text", true, false, true},   {"range", true, false, false},
        {"select", false, false, false}, {"select", true, true, false},
    };
    for (const Case& c : cases) {
        p.manager.tool = QLatin1String(c.tool);
        p.manager.T = c.current ? &b : nullptr;
        p.manager.printmode = c.print;
        EXPECT_EQ(outlined(), c.outline) << c.tool << " " << c.current << " " << c.print;
    }
    p.manager.printmode = 0;

    // The background fills the frame and nothing beyond it.
    const QImage img = p.render();
    const QRectF f = b.frame();
    EXPECT_EQ(img.pixelColor(int(f.x() + 3), int(Page::H - f.y() - 3)), QColor(Qt::yellow));
    EXPECT_EQ(img.pixelColor(int(f.x() - 3), int(Page::H - f.y() - 3)), QColor(Qt::white));
}

TEST(TextBoxTest, PrintModeNeitherMovesNorResizesABox)
{
    Page p;
    VexaTextView& b = p.add(QRectF(100, 100, 10, 15));
    b.setString(QStringLiteral("long enough text"), font(18), Qt::black);
    const QRectF before = b.frame();
    b.tbalign = TextAlignBottomRight;
    p.manager.printmode = 1;
    b.align();
    p.render();
    EXPECT_EQ(b.frame(), before);

    b.autopos = 1;
    b.autoposloc = 5;
    b.doAutoPos();
    EXPECT_EQ(b.frame(), before);

    p.manager.printmode = 0;
    p.render();
    EXPECT_NE(b.frame(), before);
}

TEST(TextBoxTest, TurnedFramesAreHitWhereTheyAreDrawn)
{
    Page p;
    VexaTextView& flat = p.sized(QPointF(100, 120), 80, 20);
    flat.align(); // frame 100..180 x 100..120
    VexaTextView& up = p.sized(QPointF(140, 60), 80, 20);
    up.angle = 90;
    up.tbalign = TextAlignBottomLeft;
    up.align(); // turned about (140, 60): x 120..140, y 60..140

    struct Case {
        QPointF at;
        const VexaTextView* hit;
    };
    const Case cases[] = {
        {{110, 110}, &flat},  {{175, 118}, &flat},   {{130, 80}, &up},
        {{125, 135}, &up},    {{130, 110}, &up}, // both: the later one lies on top
        {{150, 80}, nullptr}, {{100, 130}, nullptr}, {{115, 70}, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(p.view.textViewAt(c.at), c.hit) << c.at.x() << ", " << c.at.y();
    EXPECT_TRUE(samePoint(up.toBox(QPointF(130, 100)), QPointF(40, 10)));
}

TEST(TextBoxTest, APressMakesTheBoxCurrentAndTheSelectToolDragsIt)
{
    Page p;
    VexaTextView& b = p.sized(QPointF(100, 120), 80, 20);
    b.posmode = 1;
    b.tbalign = TextAlignTopLeft;

    p.manager.tool = QStringLiteral("select");
    EXPECT_FALSE(b.mouseDown(QPointF(110, 110)));
    EXPECT_EQ(p.manager.T, &b);
    EXPECT_EQ(p.manager.inspectors, QStringList{"text"});
    b.mouseDragged(QPointF(210, 150));
    EXPECT_EQ(b.tloc, QPointF(200, 160));
    EXPECT_EQ(b.frame().topLeft(), QPointF(200, 140));
    EXPECT_NEAR(b.x, (200 - 50) / 3.2, 1e-9);
    EXPECT_NEAR(b.y, (160 - 40) / 2.4, 1e-9);
    const int displays = p.displays;
    b.mouseUp();
    EXPECT_GT(p.displays, displays);

    // The text tool hands the press to the text; other tools neither edit
    // nor drag.
    p.manager.tool = QStringLiteral("text");
    EXPECT_TRUE(b.mouseDown(QPointF(210, 150)));
    p.manager.tool = QStringLiteral("zoom");
    EXPECT_FALSE(b.mouseDown(QPointF(210, 150)));
    b.mouseDragged(QPointF(300, 200));
    EXPECT_EQ(b.tloc, QPointF(200, 160));
}

TEST(TextBoxTest, RemovedBoxesAndGraphicsLeaveNothingPointingAtThem)
{
    Page p;
    VexaTextView& a = p.add(QRectF(10, 10, 10, 15));
    VexaTextView& b = p.add(QRectF(50, 10, 10, 15));
    a.tag = 1;
    b.tag = 2;
    b.setString(QStringLiteral("kept"), font(12), Qt::black);
    p.manager.setCurrentText(&a);
    ASSERT_EQ(p.manager.T, &a);

    // An emptied box goes when its editing ends; one with text stays.
    p.doc.textDidEndEditing(&b);
    EXPECT_EQ(p.doc.T.size(), 2u);
    p.doc.textDidEndEditing(&a);
    ASSERT_EQ(p.doc.T.size(), 1u);
    EXPECT_EQ(p.doc.T[0].get(), &b);
    EXPECT_EQ(p.manager.T, nullptr);

    p.manager.setCurrentText(&b);
    p.doc.removeTextBoxes([](const TextBoxItem&) { return true; });
    EXPECT_TRUE(p.doc.T.empty());
    EXPECT_EQ(p.manager.T, nullptr);

    // A box that is not the current one leaves the current one alone.
    VexaTextView& c = p.add(QRectF());
    VexaTextView& d = p.add(QRectF());
    p.manager.setCurrentText(&c);
    p.doc.removeTextBox(&d);
    EXPECT_EQ(p.manager.T, &c);
}
