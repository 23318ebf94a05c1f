// The texts-and-graphics commands, run as macros through the real tokeniser
// on a scripted host whose document has a 400 x 300 view: the measuring
// pass that lets a text place itself by its own size, quick texts in data
// values, every graphic form with its argument counts, tags and removal,
// the default font and colour.

#include "MacroFakes.h"

#include "platform/Font.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"
#include "view/VexaView.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Margins left 50, right 30, top 20, bottom 40; ranges 0..100 (pair 1) and
// 0..10 (pair 2).
class TextHost : public FakeMacroHost {
public:
    VexaDocument* d;
    std::unique_ptr<VexaView> view;

    TextHost()
    {
        d = currentDocument();
        d->page.marginleft = 50;
        d->page.marginright = 30;
        d->page.margintop = 20;
        d->page.marginbottom = 40;
        d->xmin1 = d->ymin1 = 0;
        d->xmax1 = d->ymax1 = 100;
        d->xmin2 = d->ymin2 = 0;
        d->xmax2 = d->ymax2 = 10;
        view = std::make_unique<VexaView>(QSizeF(400, 300), &manager);
        view->setVexaDocument(d);
        d->PV = view.get();
        view->resize();
    }
    ~TextHost() override { d->PV = nullptr; }

    QString run(const QString& source) { return runMacro(*this, source); }
    VexaTextView& text(std::size_t i) { return dynamic_cast<VexaTextView&>(*d->T.at(i)); }
    Graphic& graphic(std::size_t i) { return dynamic_cast<Graphic&>(*d->G.at(i)); }
};

QFont fontNamed(const char* name, double size)
{
    return Font::withName(QLatin1String(name), size).value_or(Font::userFont(14));
}

// Font and colour of the first character of a box.
QTextCharFormat firstFormat(VexaTextView& box)
{
    QTextCursor c(&box.document());
    c.setPosition(1);
    return c.charFormat();
}

QRgb rgba(const QColor& c)
{
    return c.rgba();
}

} // namespace

TEST(TextCommands, AMeasuringPassLetsATextPlaceItselfByItsOwnSize)
{
    TextHost host;
    host.run(QStringLiteral(
        "text 1 100-textwidth/2 200 Helvetica 24 'Centred title'\nprint textwidth textheight"));
    ASSERT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
    ASSERT_EQ(host.d->T.size(), 1u);
    VexaTextView& box = host.text(0);
    const QSizeF size = box.contentSize();
    EXPECT_GT(size.width(), 50);
    EXPECT_NEAR(box.frame().x(), 100 - size.width() / 2, 1e-9);
    EXPECT_NEAR(box.frame().y() + box.frame().height(), 200, 1e-9);
    EXPECT_EQ(box.frame().size(), size);
    EXPECT_EQ(box.string(), QStringLiteral("Centred title"));
    EXPECT_EQ(box.tag, 1);
    EXPECT_EQ(box.posmode, 0);
    EXPECT_FALSE(box.autopos);
    EXPECT_EQ(firstFormat(box).font().family(), fontNamed("Helvetica", 24).family());
    EXPECT_EQ(firstFormat(box).font().pointSizeF(), 24);
    EXPECT_EQ(host.manager.GV.value("textwidth"), size.width());
    EXPECT_EQ(host.manager.GV.value("textheight"), size.height());
    EXPECT_TRUE(host.console.contains(QString::number(size.width(), 'g', 6))) << host.console.toStdString();
}

TEST(TextCommands, QuickTextsSitOnDataPointsAndGoByTheirTag)
{
    TextHost host;
    host.run(QStringLiteral("qtext first 2.5 10 word\n"
                            "qtext second 5 5 other 0 0 5 red\n"
                            "text 1 10 10 Helvetica 12 kept"));
    ASSERT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
    ASSERT_EQ(host.d->T.size(), 3u);
    VexaTextView& q = host.text(0);
    EXPECT_EQ(q.tag, 999);
    EXPECT_EQ(q.posmode, 1);
    EXPECT_EQ(q.x, 2.5);
    EXPECT_EQ(q.y, 10);
    EXPECT_EQ(q.tbalign, 0);
    EXPECT_EQ(q.tloc, QPointF(host.view->xPoint(2.5, 1), host.view->yPoint(10, 1)));
    EXPECT_EQ(q.framePolygon()[3], q.tloc); // its top-left corner
    EXPECT_EQ(rgba(firstFormat(q).foreground().color()), qRgba(0, 0, 0, 255));
    EXPECT_EQ(firstFormat(q).font().family(), fontNamed("Helvetica", 18).family());
    EXPECT_EQ(firstFormat(q).font().pointSizeF(), 18);

    VexaTextView& r = host.text(1);
    EXPECT_EQ(r.posmode, 2);
    EXPECT_EQ(r.tbalign, 4); // anchor 5: the centre
    EXPECT_EQ(rgba(firstFormat(r).foreground().color()), QColor(Qt::red).rgba());
    EXPECT_NEAR(r.framePolygon().boundingRect().center().x(), host.view->xPoint(5, 2), 1e-9);

    host.manager.T = host.d->T[0].get();
    host.run(QStringLiteral("rmtext 999"));
    ASSERT_EQ(host.d->T.size(), 1u);
    EXPECT_EQ(host.text(0).string(), QStringLiteral("kept"));
    EXPECT_EQ(host.manager.T, nullptr);
    host.run(QStringLiteral("rmtext 999\nrmtext\nrmtext"));
    EXPECT_TRUE(host.d->T.empty());
    EXPECT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
}

TEST(TextCommands, TextsTakeTheirFontColourAngleAlignmentAnchorAndBackground)
{
    TextHost host;
    host.run(QStringLiteral("ftext 2 screen 100 100 Helvetica 12 t 1 0 0 45 2 5 1 1 0\n"
                            "ftext 3 7 1 1 NoSuchFont 30 u\n"
                            "text 4 0 0 Helvetica 12 v 0 0 0 0 0 11 5\n"
                            "text 5 0 0 Helvetica 12 w 0 0 0 0 0 23 5\n"
                            "text 6 0 0 Helvetica 12 'keeps %1 %s <b>x</b> &amp; it'\n"
                            "defaultfont Courier 30\n"
                            "qtext 0 10 10 x"));
    ASSERT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
    ASSERT_EQ(host.d->T.size(), 6u);

    VexaTextView& f = host.text(0);
    EXPECT_EQ(rgba(firstFormat(f).foreground().color()), QColor(Qt::red).rgba());
    EXPECT_EQ(f.angle, 45);
    EXPECT_EQ(f.document().begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(f.tbalign, 4);
    EXPECT_TRUE(f.drawsBackground);
    EXPECT_EQ(f.backgroundColor.rgba(), QColor(Qt::yellow).rgba());
    EXPECT_FALSE(f.autopos);

    VexaTextView& g = host.text(1);
    EXPECT_EQ(g.posmode, 7); // stored as given
    EXPECT_EQ(firstFormat(g).font().pointSizeF(), 14);
    EXPECT_FALSE(g.drawsBackground);

    VexaTextView& placed = host.text(2);
    EXPECT_TRUE(placed.autopos);
    EXPECT_EQ(placed.autoposloc, 11);
    EXPECT_EQ(placed.autoposoffset, 5);
    EXPECT_FALSE(host.text(3).autopos);
    EXPECT_EQ(host.text(3).autoposoffset, 5);

    EXPECT_EQ(host.text(4).string(), QStringLiteral("keeps %1 %s <b>x</b> &amp; it"));

    VexaTextView& q = host.text(5);
    EXPECT_EQ(firstFormat(q).font().family(), fontNamed("Courier", 30).family());
    EXPECT_EQ(firstFormat(q).font().pointSizeF(), 30);
}

TEST(TextCommands, AutomaticPlacesAreLaidOutForTheTextsTurn)
{
    TextHost host;
    // Plot area 50..370 by 40..280: centre (210, 160).
    const struct {
        const char* angle;
        int place;
        int layout; // the turn the place is laid out for
        bool centredInY; // beside an axis: centred on the plot area's height
    } cases[] = {
        {"90", 14, 90, true}, {"-90", 20, 270, true}, {"180", 17, 180, false},
        {"0", 17, 0, false},  {"45", 5, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.angle);
        host.d->T.clear();
        host.run(QStringLiteral("text 1 0 0 Helvetica 12 'a longer label' 0 0 0 %1 0 %2 4")
                     .arg(QLatin1String(c.angle))
                     .arg(c.place));
        ASSERT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
        VexaTextView& box = host.text(0);
        EXPECT_EQ(box.autoposangle, c.layout);
        // Turned by other than a right angle, the text is laid out upright;
        // no side of it is then where the place says.
        if (c.layout != int(box.angle) && c.layout != int(box.angle) + 360)
            continue;
        box.doAutoPos();
        const QRectF r = box.framePolygon().boundingRect();
        if (c.centredInY)
            EXPECT_NEAR((r.top() + r.bottom()) / 2, 160, 1e-6);
        else
            EXPECT_NEAR((r.left() + r.right()) / 2, 210, 1e-6);
    }
}

TEST(TextCommands, EveryGraphicFormBuildsItsGraphic)
{
    struct Case {
        const char* source;
        int type;
        bool fill;
        QRectF points; // (x1, y1) to (x2, y2)
        double width;
        int dash;
        QColor color;
        QColor fillcolor;
        int posmode;
        int arrow1 = 0, arrow2 = 0, arrowtype = 0, arrowsize = 12;
    };
    const QColor black = Qt::black, white = Qt::white, red = Qt::red, blue = Qt::blue, yellow = Qt::yellow;
    const Case cases[] = {
        {"rect 1 screen 10 10 100 50 2 0 red", 1, false, {10, 10, 100, 50}, 2, 0, red, white, 0},
        {"rect 1 screen 10 10 100 50", 1, false, {10, 10, 100, 50}, 1, 0, black, white, 0},
        {"rect 1 screen 10 10 100 50 3 4 0 0 1", 1, false, {10, 10, 100, 50}, 3, 4, blue, white, 0},
        {"frect 2 screen 0 0 5 5 1 0 blue", 1, true, {0, 0, 5, 5}, 1, 0, blue, black, 0},
        {"frect 2 screen 0 0 5 5 1 0 blue yellow", 1, true, {0, 0, 5, 5}, 1, 0, blue, yellow, 0},
        {"frect 2 screen 0 0 5 5 1 0 1 0 0", 1, true, {0, 0, 5, 5}, 1, 0, red, black, 0},
        {"frect 2 screen 0 0 5 5 1 0 1 0 0 1", 1, true, {0, 0, 5, 5}, 1, 0, red, red, 0},
        {"frect 2 screen 0 0 5 5 1 0 1 0 0 1 1 0", 1, true, {0, 0, 5, 5}, 1, 0, red, yellow, 0},
        {"circle 3 first 1 2 3 4", 2, false, {1, 2, 3, 4}, 1, 0, black, white, 1},
        {"circle 3 second 1 2 3 4 2 3 red", 2, false, {1, 2, 3, 4}, 2, 3, red, white, 2},
        {"fcircle 3 second 1 2 3 4 2 3 blue", 2, true, {1, 2, 3, 4}, 2, 3, blue, black, 2},
        {"arrow 4 screen 0 0 10 10 1 0 3 15", 0, false, {0, 0, 10, 10}, 1, 0, black, white, 0, 1, 0, 3, 15},
        {"arrow 4 screen 0 0 10 10 2 1 7 12.9", 0, false, {0, 0, 10, 10}, 1, 0, black, white, 0, 0, 1, 0, 12},
        {"arrow 4 screen 0 0 10 10 1 1 1 10 3 2 red",
         0,
         false,
         {0, 0, 10, 10},
         3,
         2,
         red,
         white,
         0,
         1,
         1,
         1,
         10},
        {"line 5 7 0 0 10 10 2 20", 0, false, {0, 0, 10, 10}, 2, 0, black, white, 0},
        {"line 5 screen 0 0 10 10 2 4 blue", 0, false, {0, 0, 10, 10}, 2, 4, blue, white, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        TextHost host;
        host.run(QString::fromUtf8(c.source));
        ASSERT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
        ASSERT_EQ(host.d->G.size(), 1u);
        const Graphic& g = host.graphic(0);
        EXPECT_EQ(g.type, c.type);
        EXPECT_EQ(bool(g.fill), c.fill);
        const bool twoPoints = c.type == GraphicLine;
        const QRectF expected
            = twoPoints ? QRectF(c.points.topLeft(), QPointF(c.points.width(), c.points.height())) : c.points;
        EXPECT_EQ(QRectF(QPointF(g.x1, g.y1), QPointF(g.x2, g.y2)), expected);
        EXPECT_EQ(g.linewidth, c.width);
        EXPECT_EQ(g.dashp, c.dash);
        EXPECT_EQ(g.color.rgba(), c.color.rgba());
        EXPECT_EQ(g.fillcolor.rgba(), c.fillcolor.rgba());
        EXPECT_EQ(g.posmode, c.posmode);
        EXPECT_EQ(int(g.arrow1), c.arrow1);
        EXPECT_EQ(int(g.arrow2), c.arrow2);
        EXPECT_EQ(g.arrowtype, c.arrowtype);
        EXPECT_EQ(g.arrowsize, c.arrowsize);
        EXPECT_EQ(g.tag, QString::fromUtf8(c.source).split(QLatin1Char(' '))[1].toInt());
        EXPECT_EQ(g.display, 0);
        EXPECT_TRUE(g.aspect);
        EXPECT_FALSE(g.image);
        EXPECT_EQ(g.PD, host.d);
    }

    // A run on a document that is not the current one puts its graphics
    // there, in that document's data values.
    TextHost host;
    VexaDocument* other = host.addDocument();
    Macro m(QStringLiteral("other"), QStringLiteral("arrow 1 first 10 20 30 40 1 1 1 9"), 0, 0);
    m.run(host, *other);
    ASSERT_EQ(other->G.size(), 1u);
    EXPECT_EQ(dynamic_cast<Graphic&>(*other->G[0]).PD, other);
    EXPECT_TRUE(host.d->G.empty());
}

TEST(TextCommands, GraphicsGoByTheirTagAndNothingKeepsPointingAtThem)
{
    TextHost host;
    host.run(
        QStringLiteral("rmgraphic\nrect 1 screen 0 0 1 1\nline 2 screen 0 0 1 1\nrect 1 screen 0 0 2 2"));
    ASSERT_EQ(host.d->G.size(), 3u);
    host.manager.G = host.d->G[2].get();
    host.run(QStringLiteral("rmgraphic 1"));
    ASSERT_EQ(host.d->G.size(), 1u);
    EXPECT_EQ(host.graphic(0).tag, 2);
    EXPECT_EQ(host.manager.G, nullptr);
    host.run(QStringLiteral("rmgraphic 8\nrmgraphic\nrmgraphic"));
    EXPECT_TRUE(host.d->G.empty());
    EXPECT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
}

TEST(TextCommands, TheDefaultColourIsReadInTheColourModeOfItsUse)
{
    struct Case {
        const char* source;
        QColor expected;
    };
    const Case cases[] = {
        {"defaultcolor 0 0 1\nrect 1 screen 0 0 1 1", QColor::fromRgbF(0, 0, 1)},
        {"defaultcolor red\nrect 1 screen 0 0 1 1", QColor::fromRgbF(1, 0, 0)},
        {"defaultcolor red\ncolormode 1\nrect 1 screen 0 0 1 1", QColor::fromHsvF(1, 0, 0)},
        {"defaultcolor 0.5 1 1\ncolormode 1\nline 1 screen 0 0 1 1", QColor::fromHsvF(0.5, 1, 1)},
        {"defaultcolor 0 1 0\nrect 1 screen 0 0 1 1 1 0 1 1", QColor::fromRgbF(1, 1, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        TextHost host;
        host.run(QString::fromUtf8(c.source));
        ASSERT_EQ(host.d->G.size(), 1u) << host.console.toStdString();
        EXPECT_EQ(host.graphic(0).color.rgba(), c.expected.rgba());
    }

    // The text colour falls back the same way, one component at a time.
    TextHost host;
    host.run(QStringLiteral("defaultcolor 0 0 1\ntext 1 0 0 Helvetica 12 t 1"));
    ASSERT_EQ(host.d->T.size(), 1u);
    EXPECT_EQ(rgba(firstFormat(host.text(0)).foreground().color()), QColor::fromRgbF(1, 0, 1).rgba());
}

TEST(TextCommands, WrongArgumentCountsMakeNothing)
{
    struct Case {
        const char* source;
        const char* error;
    };
    const Case cases[] = {
        {"defaultcolor 1 2", "Unkown command: defaultcolor 1 2\n"},
        {"ftext 1 screen 1 1 Helvetica 12 t 0 0 0 0 0 1 0 0 0 0", "Wrong number of arguments"},
        {"text 1 1 1 Helvetica 12", "Wrong number of arguments"},
        {"arrow 1 screen 0 0 1 1 1 1 1", "Wrong number of arguments"},
        {"rect 1 screen 0 0 1", "Wrong number of arguments"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        TextHost host;
        host.run(QString::fromUtf8(c.source) + QStringLiteral("\nprint after"));
        ASSERT_FALSE(host.errors.isEmpty());
        EXPECT_TRUE(host.errors.first().startsWith(QLatin1String(c.error)))
            << host.errors.first().toStdString();
        EXPECT_FALSE(host.console.contains(QStringLiteral("after")));
        EXPECT_TRUE(host.d->T.empty());
        EXPECT_TRUE(host.d->G.empty());
    }
}
