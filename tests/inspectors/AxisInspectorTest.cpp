// The axis panel: the range form per axis with undo, the scale texts and the
// cells each mode uses, mode, title, number format and drawn axes; refused
// entries; the graph choosing the axis shown.

#include "AxisPanelSupport.h"

#include "inspectors/AxisManager.h"
#include "view/CalendarFormat.h"
#include "view/VexaView.h"

#include "ui_axis.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include <gtest/gtest.h>

using AxisPanelSupport::axisState;
using InspectorSupport::type;

namespace {

struct Fixture : AxisPanelSupport::PanelFixture<AxisManager> {
    Fixture()
            : PanelFixture("axis")
    {
    }
    const Ui::AxisPanel& u() const { return panel->ui(); }
    // Types both ends of the range; the form is read when the second ends.
    void typeRange(const QString& min, const QString& max)
    {
        u().rangeMin->setText(min);
        u().rangeMin->setModified(true);
        type(u().rangeMax, max);
    }
};

} // namespace

TEST(AxisInspector, TheRangeOfEachAxisEditsItsPairAndCanBeUndone)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    d.scale(1, 0, 10, 0, 20, false, false);
    d.scale(2, 100, 110, 200, 220, false, false);
    const struct {
        int axis;
        double *lo, *hi; // the range edited
        double *otherLo, *otherHi; // the pair's other direction, kept
        const char* shown;
    } cases[] = {
        {AxisX1, &d.xmin1, &d.xmax1, &d.ymin1, &d.ymax1, "0"},
        {AxisY1, &d.ymin1, &d.ymax1, &d.xmin1, &d.xmax1, "0"},
        {AxisX2, &d.xmin2, &d.xmax2, &d.ymin2, &d.ymax2, "100"},
        {AxisY2, &d.ymin2, &d.ymax2, &d.xmin2, &d.xmax2, "200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.axis);
        f.choose(f.u().insAxisSel, c.axis);
        EXPECT_EQ(f.panel->axis(), c.axis);
        EXPECT_EQ(f.u().rangeMin->text(), QLatin1String(c.shown));
        const double otherLo = *c.otherLo, otherHi = *c.otherHi;
        const double lo = *c.lo, hi = *c.hi;
        f.markSaved();
        f.typeRange(QStringLiteral("-3"), QStringLiteral("7,5"));
        EXPECT_EQ(*c.lo, -3);
        EXPECT_EQ(*c.hi, 7.5);
        EXPECT_EQ(*c.otherLo, otherLo);
        EXPECT_EQ(*c.otherHi, otherHi);
        EXPECT_EQ(f.u().rangeMax->text(), QStringLiteral("7.5"));
        EXPECT_TRUE(f.replotted());
        d.undoManager().undo();
        EXPECT_EQ(*c.lo, lo);
        EXPECT_EQ(*c.hi, hi);
        EXPECT_EQ(f.u().rangeMin->text(), QLatin1String(c.shown));
    }

    // A range cell left as shown keeps the exact value it shows rounded,
    // and an edit of a scale text alone leaves nothing to undo.
    f.choose(f.u().insAxisSel, AxisX1);
    d.scale(1, 1.0 / 3, 2.0 / 3, 0, 1, false, true);
    const bool undoBefore = d.undoManager().canUndo();
    type(f.u().scalSpace, QStringLiteral("0.1"));
    EXPECT_EQ(d.axes[AxisX1].scalspace, QStringLiteral("0.1"));
    EXPECT_EQ(d.xmin1, 1.0 / 3);
    EXPECT_EQ(d.xmax1, 2.0 / 3);
    EXPECT_EQ(d.undoManager().canUndo(), undoBefore);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(AxisInspector, ControlsWriteTheAxisShown)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const Ui::AxisPanel& u = f.u();
    f.choose(u.insAxisSel, AxisY2);
    AxisSettings& s = d.axes[AxisY2];
    const AxisSettings x1 = d.axes[AxisX1];

    // Scale texts are stored as typed, and shown back.
    const struct {
        QLineEdit* cell;
        QString AxisSettings::*field;
    } texts[] = {
        {u.scalStart, &AxisSettings::scalstart},       {u.scalEnd, &AxisSettings::scalend},
        {u.scalSpace, &AxisSettings::scalspace},       {u.scalMinTicks, &AxisSettings::scalminticks},
        {u.timeFormat, &AxisSettings::axistimeformat}, {u.trigger, &AxisSettings::trigger},
        {u.scaleExpr, &AxisSettings::scaleexpr},       {u.axisText, &AxisSettings::axistext},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.cell->objectName().toStdString());
        f.markSaved();
        type(t.cell, QStringLiteral("2*v"));
        EXPECT_EQ(s.*t.field, QStringLiteral("2*v"));
        EXPECT_EQ(t.cell->text(), QStringLiteral("2*v"));
        EXPECT_TRUE(f.replotted());
    }

    // Numbers: decimals and exponent limit from the field or the slider.
    const struct {
        QLineEdit* field;
        const char* typed;
        int AxisSettings::*stored;
        int value;
        const char* shown;
    } numbers[] = {
        {u.decPlaces, "3.7", &AxisSettings::dp, 3, "3"},
        {u.expOff, "4,9", &AxisSettings::expoff, 4, "4"},
        {u.expOff, "-1", &AxisSettings::expoff, -1, "-1"},
    };
    for (const auto& n : numbers) {
        type(n.field, QLatin1String(n.typed));
        EXPECT_EQ(s.*n.stored, n.value) << n.typed;
        EXPECT_EQ(n.field->text(), QLatin1String(n.shown));
    }
    EXPECT_EQ(u.decPlacesSlider->value(), 3);
    u.decPlacesSlider->setValue(7);
    EXPECT_EQ(s.dp, 7);
    EXPECT_EQ(u.decPlaces->text(), QStringLiteral("7"));
    u.expOffSlider->setValue(9);
    EXPECT_EQ(s.expoff, 9);

    // Check boxes of the axis shown.
    const struct {
        QCheckBox* box;
        AxisSettings::Flag AxisSettings::*field;
    } switches[] = {{u.decPlacesAuto, &AxisSettings::dpauto},
                    {u.smallLog, &AxisSettings::smalllog},
                    {u.reverse, &AxisSettings::reverse},
                    {u.fliptext, &AxisSettings::fliptext}};
    for (const auto& sw : switches) {
        const AxisSettings::Flag before = s.*sw.field;
        sw.box->click();
        EXPECT_EQ(s.*sw.field, before ? 0 : 1) << sw.box->objectName().toStdString();
    }

    // The drawn axes are the four boxes whatever the axis shown.
    QCheckBox* drawn[4] = {u.axisEnabledX1, u.axisEnabledY1, u.axisEnabledX2, u.axisEnabledY2};
    for (int k = 0; k < 4; ++k) {
        const AxisSettings::Flag before = d.axes[std::size_t(k)].axis;
        drawn[k]->click();
        EXPECT_EQ(d.axes[std::size_t(k)].axis, before ? 0 : 1) << k;
        EXPECT_EQ(drawn[k]->isChecked(), !before);
    }

    // The mode enables the cells that mode uses.
    const struct {
        int mode;
        bool timeFormat, trigger, expression;
    } modes[]
        = {{AxisLog, false, false, true}, {AxisTime, true, false, false}, {AxisLinear, false, true, true}};
    for (const auto& m : modes) {
        SCOPED_TRACE(m.mode);
        f.panel->axisFormat->button(m.mode)->click();
        EXPECT_EQ(s.axismode, m.mode);
        EXPECT_EQ(u.timeFormat->isEnabled(), m.timeFormat);
        EXPECT_EQ(u.trigger->isEnabled(), m.trigger);
        EXPECT_EQ(u.scaleExpr->isEnabled(), m.expression);
        for (QLineEdit* always :
             {u.rangeMin, u.rangeMax, u.scalStart, u.scalEnd, u.scalSpace, u.scalMinTicks})
            EXPECT_TRUE(always->isEnabled());
    }

    // Only X1's own drawn switch was touched on X1.
    AxisSettings x1After = d.axes[AxisX1];
    x1After.axis = x1.axis;
    EXPECT_EQ(x1After, x1);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(AxisInspector, AScaleExpressionThatDoesNotParseIsKeptAndExplained)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    f.m->GV.remove(QStringLiteral("v"));
    type(f.u().scaleExpr, QStringLiteral("v*"));
    EXPECT_EQ(f.d.axes[AxisX1].scaleexpr, QStringLiteral("v*"));
    EXPECT_FALSE(f.u().synerror->text().isEmpty());
    EXPECT_EQ(f.m->GV.value(QStringLiteral("v")), 1);
    type(f.u().scaleExpr, QStringLiteral("v*1000"));
    EXPECT_TRUE(f.u().synerror->text().isEmpty());
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(AxisInspector, ATimeAxisShowsAndReadsDatesInTheUsersFormat)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const CalendarFormat dates(f.m->TDF());
    d.axes[AxisX1].axismode = AxisTime;
    d.scale(1, 0, 86400, 0, 1, false, true);
    EXPECT_EQ(f.u().rangeMin->text(), dates.format(0));
    EXPECT_EQ(f.u().rangeMax->text(), dates.format(86400));

    const QString from = QStringLiteral("2020-02-29 12:30:00");
    f.typeRange(from, f.u().rangeMax->text());
    EXPECT_EQ(d.xmin1, *dates.read(from));
    EXPECT_EQ(d.xmax1, 86400);
    EXPECT_EQ(f.u().rangeMin->text(), from);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(AxisInspector, BadRangeEntriesAreRefusedWithAMessageAndChangeNothing)
{
    const struct {
        const char* name;
        int mode;
        const char* min;
        const char* max;
        const char* message;
    } cases[] = {
        {"no number", AxisLinear, "abc", "5", "abc is no number"},
        {"no finite number", AxisLinear, "1", "1e999", "1e999 is no number"},
        {"empty", AxisLinear, "", "5", " is no number"},
        {"equal ends", AxisLinear, "4", "4", "The minimum and the maximum of an axis must differ"},
        {"log zero", AxisLog, "0", "100", "A logarithmic axis takes only values above 0"},
        {"log negative", AxisLog, "1", "-100", "A logarithmic axis takes only values above 0"},
        {"no date", AxisTime, "yesterday", "2001-01-02 00:00:00",
         "yesterday is no date in the format %Y-%m-%d %H:%M:%S"},
        {"date out of range", AxisTime, "2001-13-01 00:00:00", "2001-01-02 00:00:00",
         "2001-13-01 00:00:00 is no date in the format %Y-%m-%d %H:%M:%S"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        ASSERT_NE(f.panel, nullptr);
        VexaDocument& d = f.d;
        d.axes[AxisY1].axismode = c.mode;
        d.scale(1, 1, 2, 10, 1000, false, false);
        f.choose(f.u().insAxisSel, AxisY1);
        const auto before = axisState(d);
        const bool undoBefore = d.undoManager().canUndo();

        // A scale text typed beside the bad end is not taken either.
        f.u().scalStart->setText(QStringLiteral("20"));
        f.typeRange(QLatin1String(c.min), QLatin1String(c.max));
        ASSERT_EQ(f.alerts.requests().size(), 1u);
        EXPECT_EQ(f.alerts.requests()[0].message, QLatin1String(c.message));
        EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Axis Inspector"));
        EXPECT_TRUE(axisState(d) == before);
        EXPECT_EQ(d.undoManager().canUndo(), undoBefore);
        // The form shows the stored values again.
        EXPECT_EQ(f.u().scalStart->text(), QString());
        EXPECT_EQ(f.u().rangeMax->text(), c.mode == AxisTime ? f.m->timeText(1000) : QStringLiteral("1000"));
    }
}

TEST(AxisInspector, NumberFormatEntriesThatAreNoneOrOutOfRangeAreRefused)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::AxisPanel& u = f.u();
    f.d.axes[AxisY2].dp = 3;
    f.d.axes[AxisY2].expoff = 4;
    f.choose(u.insAxisSel, AxisY2);
    const AxisPanelSupport::Refusal cases[] = {
        {u.expOff, "words", "words is no number"},          {u.expOff, "-2", "-2 is not between -1 and 400"},
        {u.expOff, "1e9", "1e9 is not between -1 and 400"}, {u.decPlaces, "abc", "abc is no number"},
        {u.decPlaces, "-1", "-1 is not between 0 and 20"},  {u.decPlaces, "99", "99 is not between 0 and 20"},
    };
    for (const auto& c : cases)
        AxisPanelSupport::expectRefused(f, c, "Axis Inspector");
}

TEST(AxisInspector, ClickingAnAxisOnTheGraphShowsItInTheAxisPanel)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    d.scale(2, 5, 6, 7, 8, false, true);
    d.page.margintop = d.page.marginright = 80; // room beside the plot on every side
    VexaView* view = f.draw();
    ASSERT_NE(view, nullptr);
    const QRectF plot = view->plotRect();
    ASSERT_GT(plot.width(), 0);
    const QSizeF size = view->boundsSize();
    f.m->selectMouseMode(QStringLiteral("select"));

    // From any other panel the axis panel comes up, turned to the axis.
    f.m->switchInspector(QStringLiteral("general"));
    const struct {
        QPointF at;
        int axis;
        const char* min;
    } clicks[] = {
        {{plot.left() / 2, plot.center().y()}, AxisY1, "0"},
        {{(plot.right() + size.width()) / 2, plot.center().y()}, AxisY2, "7"},
        // The view's y runs up: the rectangle's top() is the plot's lower edge.
        {{plot.center().x(), (plot.bottom() + size.height()) / 2}, AxisX2, "5"},
        {{plot.center().x(), plot.top() / 2}, AxisX1, "0"},
    };
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.axis);
        const auto before = axisState(d);
        view->mouseDown({c.at, c.at + view->frameOrigin});
        view->mouseUp({c.at, c.at + view->frameOrigin});
        EXPECT_EQ(f.m->inspectors().selectedKey(), QStringLiteral("axis"));
        EXPECT_EQ(f.panel->axis(), c.axis);
        EXPECT_EQ(f.u().rangeMin->text(), QLatin1String(c.min));
        EXPECT_TRUE(axisState(d) == before);
    }
}
