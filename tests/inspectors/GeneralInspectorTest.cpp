// The general panel: every control writes its field and the refresh shows
// what was stored; presets; the window's content size; sub-view frames.

#include "InspectorSupport.h"
#include "app/AppFixtures.h"

#include "app/ColorWell.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/GeneralManager.h"
#include "platform/Alert.h"
#include "view/GraphWidget.h"
#include "view/VexaView.h"

#include "ui_general.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

using InspectorSupport::type;

using Fixture = InspectorSupport::GeneralFixture;

TEST(GeneralInspector, FieldsAndSwitchesWriteTheDocument)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::GeneralPanel& u = f.ui();
    VexaDocument& d = f.d;

    // Typed text: stored as read, then shown as stored.
    const struct {
        const char* name;
        QLineEdit* field;
        const char* typed;
        std::function<double()> stored;
        double value;
        const char* shown;
    } typed[] = {
        {"margin left", u.marginLeft, "12.7", [&] { return d.page.marginleft; }, 12, "12"},
        {"margin right", u.marginRight, "33px", [&] { return d.page.marginright; }, 33, "33"},
        {"margin bottom", u.marginBottom, "0", [&] { return d.page.marginbottom; }, 0, "0"},
        {"margin top", u.marginTop, "7", [&] { return d.page.margintop; }, 7, "7"},
        {"frame width", u.frameWidth, "2,5", [&] { return d.page.framewidth; }, 2.5, "2.5"},
        {"arrow size", u.arrowSize, "14.25", [&] { return d.page.arrowsize; }, 14.25, "14.2"},
    };
    for (const auto& t : typed) {
        SCOPED_TRACE(t.name);
        type(t.field, QLatin1String(t.typed));
        EXPECT_DOUBLE_EQ(t.stored(), t.value);
        EXPECT_EQ(t.field->text(), QLatin1String(t.shown));
    }
    EXPECT_DOUBLE_EQ(u.frameWidthSlider->doubleValue(), 2.5);

    // Sliders.
    u.frameWidthSlider->setDoubleValue(4);
    EXPECT_DOUBLE_EQ(d.page.framewidth, 4);
    EXPECT_EQ(u.frameWidth->text(), QStringLiteral("4"));
    u.arrowSizeSlider->setDoubleValue(20);
    EXPECT_DOUBLE_EQ(d.page.arrowsize, 20);

    // Segmented controls and the radio matrix store the tag of the cell.
    const struct {
        QButtonGroup* cells;
        int* field;
    } tagged[] = {{f.panel->frameStyle, &d.page.framestyle},
                  {f.panel->arrowType, &d.page.arrowtype},
                  {f.panel->crossArrows, &d.page.crossarrows}};
    for (const auto& t : tagged) {
        for (int tag : {2, 1, 0}) {
            ASSERT_NE(t.cells->button(tag), nullptr);
            t.cells->button(tag)->click();
            EXPECT_EQ(*t.field, tag);
            EXPECT_TRUE(t.cells->button(tag)->isChecked());
        }
    }

    // Check boxes.
    const struct {
        QCheckBox* box;
        VexaDocument::Flag* field;
    } switches[] = {
        {u.frameArrows, &d.page.framearrows},
        {u.forceFrame, &d.page.forceframe},
        {u.allDraw, &d.page.alldraw},
        {u.forceRenderHigh, &d.page.forcerenderhigh},
        {u.drawBackground, &d.page.drawbackground},
        {u.drawFrame, &d.page.drawframe},
        {u.drawMargin, &d.page.drawmargin},
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.box->objectName().toStdString());
        const VexaDocument::Flag before = *s.field;
        s.box->click();
        EXPECT_EQ(*s.field, before ? 0 : 1);
        s.box->click();
        EXPECT_EQ(*s.field, before);
    }

    // Colour wells, alpha included.
    const struct {
        ColorWell* well;
        QColor* field;
    } wells[] = {{u.frameColor, &d.page.framecolor},
                 {u.marginColor, &d.page.margincolor},
                 {u.backgroundColor, &d.page.backgroundcolor}};
    for (const auto& w : wells) {
        const QColor c(10, 200, 30, 128);
        w.well->chooseColor(c);
        EXPECT_EQ(*w.field, c);
        EXPECT_EQ(w.well->color(), c);
    }
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(GeneralInspector, NumbersThatAreNoneOrOutOfRangeAreRefusedAndChangeNothing)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::GeneralPanel& u = f.ui();
    VexaDocument& d = f.d;
    VexaDocument* s = AppFixtures::addSubview(*f.m, d, QRectF(10, 20, 100, 80));
    DocumentWindowQt* w = Manager::windowOf(&d);
    w->setContentSize(QSize(500, 400));

    // What the document, its window and its sub-view hold, all at once.
    auto held = [&] {
        QList<double> values{d.page.framewidth,  d.page.arrowsize,    d.page.marginleft,
                             d.page.marginright, d.page.marginbottom, d.page.margintop};
        const QRectF frame = dynamic_cast<VexaView*>(s->PV)->frame();
        values << frame.x() << frame.y() << frame.width() << frame.height();
        values << w->graphWidget().width() << w->graphWidget().height();
        return values;
    };
    const struct {
        QLineEdit* field;
        bool subview;
        const char* typed;
        const char* message;
    } cases[] = {
        {u.frameWidth, false, "abc", "abc is no number"},
        {u.frameWidth, false, "-3", "-3 is not between 0 and 100"},
        {u.frameWidth, false, "1e9", "1e9 is not between 0 and 100"},
        {u.arrowSize, false, "1e999", "1e999 is no number"},
        {u.arrowSize, false, "-1", "-1 is not between 0 and 1000"},
        {u.marginLeft, false, "abc", "abc is no number"},
        {u.marginRight, false, "-4", "-4 is not between 0 and 10000"},
        {u.marginTop, false, "1e9", "1e9 is not between 0 and 10000"},
        {u.marginBottom, false, "", " is no number"},
        {u.windowWidth, false, "abc", "abc is no number"},
        {u.windowHeight, false, "0", "0 is not between 1 and 10000"},
        {u.windowWidth, false, "99999", "99999 is not between 1 and 10000"},
        {u.subviewX, true, "abc", "abc is no number"},
        {u.subviewY, true, "-1e6", "-1e6 is not between -10000 and 10000"},
        {u.subviewWidth, true, "-30", "-30 is not between 1 and 10000"},
        {u.subviewHeight, true, "0", "0 is not between 1 and 10000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field->objectName().toStdString()) + " " + c.typed);
        f.m->setCurrentDoc(c.subview ? s : &d, &d);
        const QList<double> before = held();
        const QString shown = c.field->text();
        const std::size_t alerts = f.alerts.requests().size();
        type(c.field, QLatin1String(c.typed));
        EXPECT_EQ(held(), before);
        ASSERT_EQ(f.alerts.requests().size(), alerts + 1);
        EXPECT_EQ(f.alerts.requests().back().title, QStringLiteral("General Inspector"));
        EXPECT_EQ(f.alerts.requests().back().message, QLatin1String(c.message));
        // The field shows what is stored again.
        EXPECT_EQ(c.field->text(), shown);
    }
}

TEST(GeneralInspector, PresetsSetMarginsAndAxesOnly)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const QColor frame(1, 2, 3);
    d.page.framecolor = frame;
    d.page.framewidth = 5;

    using Axes = std::array<VexaDocument::Flag, 4>;
    const struct {
        QPushButton* button;
        double left, right, top, bottom;
        Axes line, numbers, text;
    } presets[] = {
        {f.ui().presetFourAxes, 80, 80, 80, 80, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}},
        {f.ui().presetMinimal, 10, 10, 10, 10, {1, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {f.ui().presetStandard, 80, 10, 10, 80, {1, 1, 0, 0}, {1, 1, 0, 0}, {1, 1, 0, 0}},
    };
    for (const auto& p : presets) {
        SCOPED_TRACE(p.button->objectName().toStdString());
        p.button->click();
        EXPECT_EQ(d.page.marginleft, p.left);
        EXPECT_EQ(d.page.marginright, p.right);
        EXPECT_EQ(d.page.margintop, p.top);
        EXPECT_EQ(d.page.marginbottom, p.bottom);
        for (std::size_t axis = 0; axis < 4; ++axis) {
            EXPECT_EQ(d.axes[axis].axis, p.line[axis]) << axis;
            EXPECT_EQ(d.axes[axis].numbers, p.numbers[axis]) << axis;
            EXPECT_EQ(d.axes[axis].text, p.text[axis]) << axis;
        }
        EXPECT_EQ(f.ui().marginTop->text(), QString::number(p.top));
    }
    EXPECT_EQ(d.page.framecolor, frame);
    EXPECT_EQ(d.page.framewidth, 5);
}

TEST(GeneralInspector, WindowSizeKeepsTheLowerLeftCorner)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    DocumentWindowQt* w = Manager::windowOf(&f.d);
    w->move(100, 200);
    const QRect before = w->geometry();
    EXPECT_EQ(f.ui().windowWidth->text(), QString::number(w->graphWidget().width()));

    f.ui().windowWidth->setText(QStringLiteral("400"));
    type(f.ui().windowHeight, QStringLiteral("300"));
    EXPECT_EQ(w->graphWidget().size(), QSize(400, 300));
    EXPECT_EQ(w->geometry().x(), before.x());
    EXPECT_EQ(w->geometry().bottom(), before.bottom());
    EXPECT_EQ(f.ui().windowWidth->text(), QStringLiteral("400"));
    EXPECT_EQ(f.ui().windowHeight->text(), QStringLiteral("300"));
}

TEST(GeneralInspector, SubviewCellsMoveASubviewAndStayEmptyForAMainDocument)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& main = f.d;
    EXPECT_FALSE(f.panel->subview->isEnabled());
    for (QLineEdit* cell : f.panel->subviewCells)
        EXPECT_TRUE(cell->text().isEmpty());

    VexaDocument* s = AppFixtures::addSubview(*f.m, main, QRectF(10, 20, 100, 80));
    f.m->setCurrentDoc(s, &main);
    EXPECT_TRUE(f.panel->subview->isEnabled());
    EXPECT_EQ(f.ui().subviewX->text(), QStringLiteral("10"));
    EXPECT_EQ(f.ui().subviewHeight->text(), QStringLiteral("80"));
    f.ui().subviewX->setText(QStringLiteral("30"));
    f.ui().subviewY->setText(QStringLiteral("40.9"));
    f.ui().subviewWidth->setText(QStringLiteral("150"));
    type(f.ui().subviewHeight, QStringLiteral("90"));
    EXPECT_EQ(dynamic_cast<VexaView*>(s->PV)->frame(), QRectF(30, 40, 150, 90));
    EXPECT_EQ(f.ui().subviewY->text(), QStringLiteral("40"));

    // Margins of a sub-view are the sub-view's own.
    type(f.ui().marginLeft, QStringLiteral("5"));
    EXPECT_EQ(s->page.marginleft, 5);
    EXPECT_EQ(main.page.marginleft, 80);
}
