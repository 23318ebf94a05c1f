// The graphic panel: a new graphic's settings at first, which the next
// graphic drawn takes, and the last graphic's afterwards; corners, sizes and
// position modes of lines and pictures; bad coordinates refused; the panel
// lets go of a graphic that is deleted.

#include "InspectorSupport.h"
#include "support/TestSupport.h"

#include "app/ColorWell.h"
#include "app/PreferencesWindow.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/GraphicManager.h"
#include "platform/Picture.h"
#include "util/NumberFormat.h"
#include "view/Graphic.h"
#include "view/VexaView.h"

#include "ui_graphic.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QImage>
#include <QSlider>
#include <QSpinBox>

#include <gtest/gtest.h>

using InspectorSupport::type;

namespace {

struct Fixture : InspectorSupport::PanelFixture<GraphicManager> {
    Fixture()
            : PanelFixture("graphic")
    {
        m->setWindowContentSize(&d, QSizeF(600, 400)); // a view with a plot area
        dynamic_cast<VexaView&>(*d.PV).resize();
        d.xmin1 = 0;
        d.xmax1 = 100;
        d.ymin1 = 0;
        d.ymax1 = 10;
        d.replot();
    }
    const Ui::GraphicPanel& ui() const { return panel->ui(); }
    VexaView& view() const { return *dynamic_cast<VexaView*>(d.PV); }

    // Draws with the graphic tool from a to b; the graphic drawn (or none).
    Graphic* draw(QPointF a, QPointF b)
    {
        m->selectMouseMode(QStringLiteral("graphic"));
        view().mouseDown({a, a});
        view().mouseDragged({b, b});
        view().mouseUp({b, b});
        return dynamic_cast<Graphic*>(m->G);
    }
    Graphic& add(QRectF corners, std::optional<QSize> picture = std::nullopt)
    {
        auto g = std::make_unique<Graphic>();
        g->setup(m.get(), &d);
        g->setPoints(corners.left(), corners.top(), corners.right(), corners.bottom());
        if (picture) {
            QImage image(*picture, QImage::Format_ARGB32);
            image.fill(Qt::red);
            g->type = GraphicPicture;
            g->image = Picture::fromImage(image);
        }
        Graphic& made = *g;
        d.G.push_back(std::move(g));
        m->setCurrentGraphic(&made);
        return made;
    }
};

} // namespace

TEST(GraphicInspector, TheNextGraphicTakesThePanelsSettings)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::GraphicPanel& u = f.ui();

    // A new graphic's settings, and no corners.
    EXPECT_EQ(f.panel->type->checkedId(), GraphicLine);
    EXPECT_EQ(u.linewidth->text(), QStringLiteral("2"));
    EXPECT_EQ(u.arrowSize->text(), QStringLiteral("10"));
    EXPECT_EQ(u.color->color(), QColor(Qt::black));
    EXPECT_EQ(u.fillColor->color(), QColor(Qt::white));
    EXPECT_EQ(f.panel->posMode->checkedId(), 0);
    for (QLineEdit* cell : f.panel->position)
        EXPECT_TRUE(cell->text().isEmpty());

    // Set with no graphic current: only the panel keeps them.
    f.panel->type->button(GraphicOval)->click();
    type(u.linewidth, QStringLiteral("3.5"));
    u.dash->setValue(4);
    u.color->chooseColor(Qt::red);
    u.fill->click();
    f.panel->arrowType->button(ArrowHollow)->click();
    f.panel->display->button(1)->click();
    type(u.arrowSize, QStringLiteral("20"));
    f.panel->posMode->button(1)->click();
    EXPECT_TRUE(f.d.G.empty());
    EXPECT_EQ(f.m->G, nullptr);

    Graphic* g = f.draw(QPointF(100, 100), QPointF(200, 150));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->type, GraphicOval);
    EXPECT_EQ(g->linewidth, 3.5);
    EXPECT_EQ(g->dashp, 4);
    EXPECT_EQ(g->color, QColor(Qt::red));
    EXPECT_TRUE(g->fill);
    EXPECT_EQ(g->arrowtype, ArrowHollow);
    EXPECT_EQ(g->display, 1);
    EXPECT_EQ(g->arrowsize, 20);
    EXPECT_EQ(g->posmode, 1);
    // Drawn in data values of pair 1 where the pointer went.
    EXPECT_NEAR(g->x1, f.view().xValue(100, 1), 1e-9);
    EXPECT_EQ(f.panel->G, g);

    // The panel edits it now; the next graphic takes the last one's settings.
    type(u.linewidth, QStringLiteral("5"));
    EXPECT_EQ(g->linewidth, 5);
    Graphic* next = f.draw(QPointF(300, 300), QPointF(320, 340));
    ASSERT_NE(next, nullptr);
    ASSERT_NE(next, g);
    EXPECT_EQ(next->linewidth, 5);
    EXPECT_EQ(next->type, GraphicOval);
}

TEST(GraphicInspector, WidthsAndSizesThatAreNoneOrOutOfRangeAreRefused)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::GraphicPanel& u = f.ui();
    Graphic* g = f.draw(QPointF(100, 100), QPointF(200, 150));
    ASSERT_NE(g, nullptr);
    const struct {
        QLineEdit* field;
        const char* typed;
        const char* message;
    } cases[] = {
        {u.linewidth, "abc", "abc is no number"},
        {u.linewidth, "-3", "-3 is not between 0 and 100"},
        {u.linewidth, "1e9", "1e9 is not between 0 and 100"},
        {u.arrowSize, "big", "big is no number"},
        {u.arrowSize, "-12", "-12 is not between 0 and 1000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const double width = g->linewidth;
        const int arrow = g->arrowsize;
        type(c.field, QLatin1String(c.typed));
        EXPECT_EQ(g->linewidth, width);
        EXPECT_EQ(g->arrowsize, arrow);
        ASSERT_FALSE(f.alerts.requests().empty());
        EXPECT_EQ(f.alerts.requests().back().title, QStringLiteral("Graphic Inspector"));
        EXPECT_EQ(f.alerts.requests().back().message, QLatin1String(c.message));
    }
    EXPECT_EQ(f.alerts.requests().size(), std::size(cases));
}

TEST(GraphicInspector, CornersSizesAndModes)
{
    TestSupport::PinnedTimeZone zone(QStringLiteral("UTC"));
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::GraphicPanel& u = f.ui();
    auto& [x1, y1, x2, y2] = f.panel->position;
    auto& [width, height] = f.panel->size;

    // A line: each corner by itself.
    Graphic& line = f.add(QRectF(QPointF(10, 20), QPointF(50, 80)));
    EXPECT_TRUE(x2->isEnabled());
    EXPECT_FALSE(u.aspect->isEnabled());
    type(x1, QStringLiteral("15"));
    EXPECT_EQ(line.x1, 15);
    EXPECT_EQ(line.x2, 50);
    type(width, QStringLiteral("100"));
    EXPECT_EQ(line.x2, 115);
    type(height, QStringLiteral("-10"));
    EXPECT_EQ(line.y2, 10);

    // Axis pair 1: the line stays on the page, its corners told in data.
    double before[4], after[4];
    line.getPoints(before[0], before[1], before[2], before[3]);
    f.panel->posMode->button(1)->click();
    EXPECT_EQ(line.posmode, 1);
    line.getPoints(after[0], after[1], after[2], after[3]);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(after[i], before[i], 1e-9) << i;
    EXPECT_NEAR(line.x1, f.view().xValue(15, 1), 1e-9);
    EXPECT_EQ(x1->text(), formatNumberAuto(line.x1));

    // Bad entries are refused with a message; the line stays.
    f.m->preferencesWindow().dialog();
    f.m->preferencesWindow().timeFormatField()->setText(QStringLiteral("%Y-%m-%d"));
    const double stored[4] = {line.x1, line.y1, line.x2, line.y2};
    const struct {
        int xmode;
        QLineEdit* cell;
        const char* typed;
        const char* message;
    } bad[] = {
        {AxisLinear, x1, "x", "x is no number"},
        {AxisLinear, width, "", " is no number"},
        {AxisTime, x2, "2001-02-30", "2001-02-30 is no date in the format %Y-%m-%d"},
        {AxisTime, width, "soon", "soon is no number"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.typed);
        f.d.axes[AxisX1].axismode = b.xmode;
        f.d.replot();
        const std::size_t alerts = f.alerts.requests().size();
        type(b.cell, QLatin1String(b.typed));
        ASSERT_EQ(f.alerts.requests().size(), alerts + 1);
        EXPECT_EQ(f.alerts.requests().back().title, QStringLiteral("Graphic Inspector"));
        EXPECT_EQ(f.alerts.requests().back().message, QLatin1String(b.message));
        EXPECT_EQ(line.x1, stored[0]);
        EXPECT_EQ(line.x2, stored[2]);
    }
    // On a time axis corners are dates, sizes durations.
    type(x1, QStringLiteral("2001-01-03"));
    EXPECT_EQ(line.x1, 2 * 86400);
    EXPECT_EQ(x1->text(), QStringLiteral("2001-01-03"));
    type(width, QStringLiteral("1:00:00"));
    EXPECT_EQ(line.x2, 2 * 86400 + 3600);

    // A picture twice as wide as high moves whole and keeps its proportions.
    Graphic& picture = f.add(QRectF(QPointF(100, 100), QPointF(140, 120)), QSize(40, 20));
    EXPECT_FALSE(x2->isEnabled());
    EXPECT_TRUE(u.aspect->isEnabled());
    type(x1, QStringLiteral("110"));
    EXPECT_EQ(picture.x1, 110);
    EXPECT_EQ(picture.x2, 150);
    type(width, QStringLiteral("10"));
    EXPECT_EQ(picture.x2, 120);
    EXPECT_EQ(picture.y2, 105);
    type(height, QStringLiteral("10"));
    EXPECT_EQ(picture.x2, 130);
    u.aspect->click();
    EXPECT_EQ(picture.aspect, 0);
    type(width, QStringLiteral("5"));
    EXPECT_EQ(picture.x2, 115);
    EXPECT_EQ(picture.y2, 110);
}

TEST(GraphicInspector, LetsGoOfADeletedGraphic)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    Graphic& g = f.add(QRectF(10, 10, 40, 40));
    type(f.ui().linewidth, QStringLiteral("7"));
    EXPECT_EQ(f.panel->G, &g);
    f.d.removeGraphic(&g);
    EXPECT_EQ(f.m->G, nullptr);
    EXPECT_EQ(f.panel->G, nullptr);
    // The controls stay, for the next graphic.
    f.panel->didChange(f.ui().linewidth);
    EXPECT_EQ(f.ui().linewidth->text(), QStringLiteral("7"));
    EXPECT_EQ(f.m->graphicSettings()->linewidth, 7);
}
