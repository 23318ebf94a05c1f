// The axis format panel: ticks, grids and zero line of the axis shown, or of
// all four with "All axes"; lengths and widths as typed or slid.

#include "AxisPanelSupport.h"

#include "app/ColorWell.h"
#include "inspectors/AxisFormatManager.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/InsPopUpButton.h"

#include "ui_axisformat.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QSlider>

#include <gtest/gtest.h>

#include <functional>

using InspectorSupport::type;

namespace {

struct Fixture : AxisPanelSupport::PanelFixture<AxisFormatManager> {
    Fixture()
            : PanelFixture("axisformat")
    {
    }
    const Ui::AxisFormatPanel& u() const { return panel->ui(); }
};

} // namespace

TEST(AxisFormatInspector, EachControlWritesTheAxisShownOrAllFour)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const Ui::AxisFormatPanel& u = f.u();
    const QColor colour(10, 200, 30, 128);

    // One edit per control; `stored` reads the field of axis k.
    const struct {
        const char* name;
        std::function<void()> edit;
        std::function<bool(const AxisSettings&)> stored;
    } edits[] = {
        {"zero line", [&] { u.zeroLine->click(); }, [](const AxisSettings& s) { return s.zeroline == 1; }},
        {"zero colour", [&] { u.zeroColor->chooseColor(colour); },
         [&](const AxisSettings& s) { return s.zerocolor == colour; }},
        {"tick colour", [&] { u.tickColor->chooseColor(colour); },
         [&](const AxisSettings& s) { return s.tickcolor == colour; }},
        {"minor grid colour", [&] { u.mgridColor->chooseColor(colour); },
         [&](const AxisSettings& s) { return s.mgridcolor == colour; }},
        {"grid", [&] { u.plotGrid->click(); }, [](const AxisSettings& s) { return s.grid == 1; }},
        {"minor ticks off", [&] { u.plotMinorTicks->click(); },
         [](const AxisSettings& s) { return s.mticks == 0; }},
        {"ticks both sides", [&] { u.ticksBoth->click(); },
         [](const AxisSettings& s) { return s.ticksboth == 1; }},
        {"grid behind", [&] { u.gridFront->click(); },
         [](const AxisSettings& s) { return s.gridfront == 0; }},
        {"tick length typed", [&] { type(u.tickLength, QStringLiteral("3.7")); },
         [](const AxisSettings& s) { return s.ticklength == 3; }},
        {"minor tick length typed", [&] { type(u.mtickLength, QStringLiteral("3.7")); },
         [](const AxisSettings& s) { return s.mticklength == 3.7; }},
        {"tick length slid", [&] { u.tickLengthSlider->setValue(12); },
         [](const AxisSettings& s) { return s.ticklength == 12; }},
        {"tick width", [&] { type(u.tickWidth, QStringLiteral("1,25")); },
         [](const AxisSettings& s) { return s.tickwidth == 1.25; }},
        {"grid width slid", [&] { u.gridWidthSlider->setDoubleValue(2.5); },
         [](const AxisSettings& s) { return s.gridwidth == 2.5; }},
        {"minor grid width", [&] { type(u.mgridWidth, QStringLiteral("0.3")); },
         [](const AxisSettings& s) { return s.mgridwidth == 0.3; }},
        {"grid pattern", [&] { u.gridPattern->setCurrentIndex(5), emit u.gridPattern->activated(5); },
         [](const AxisSettings& s) { return s.gridpattern == 5; }},
        {"tick style", [&] { f.panel->tickStyle->button(2)->click(); },
         [](const AxisSettings& s) { return s.tickstyle == 2; }},
    };
    const std::array<AxisSettings, 4> fresh = d.axes;
    for (bool all : {false, true}) {
        if (u.allaxis->isChecked() != all)
            u.allaxis->click();
        for (const auto& e : edits) {
            SCOPED_TRACE(std::string(e.name) + (all ? " on all axes" : ""));
            d.axes = fresh;
            f.choose(u.insAxisFormatSel, AxisX2);
            f.markSaved();
            e.edit();
            for (std::size_t k = 0; k < 4; ++k) {
                const bool changed = all || k == AxisX2;
                EXPECT_EQ(e.stored(d.axes[k]), changed) << "axis " << k;
                if (!changed) {
                    EXPECT_EQ(d.axes[k], fresh[k]) << "axis " << k;
                }
            }
            EXPECT_TRUE(f.replotted());
        }
    }
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(AxisFormatInspector, TheFieldsShowTheStoredValuesOfTheAxisChosen)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const Ui::AxisFormatPanel& u = f.u();
    AxisSettings& s = d.axes[AxisY1];
    s.ticklength = 7;
    s.mticklength = 3.7;
    s.tickwidth = 1.25;
    s.mgridpattern = 9;
    s.tickstyle = 1;
    s.gridcolor = QColor(1, 2, 3);
    f.choose(u.insAxisFormatSel, AxisY1);
    EXPECT_EQ(u.tickLength->text(), QStringLiteral("7"));
    EXPECT_EQ(u.tickLengthSlider->value(), 7);
    EXPECT_EQ(u.mtickLength->text(), QStringLiteral("3"));
    EXPECT_EQ(u.tickWidth->text(), QStringLiteral("1.2"));
    EXPECT_NEAR(u.tickWidthSlider->doubleValue(), 1.25, 0.06);
    EXPECT_EQ(u.mgridPattern->currentIndex(), 9);
    EXPECT_EQ(f.panel->tickStyle->checkedId(), 1);
    EXPECT_EQ(u.gridColor->color(), QColor(1, 2, 3));

    // Leaving the fields as shown writes nothing back.
    emit u.mtickLength->editingFinished();
    emit u.tickWidth->editingFinished();
    EXPECT_EQ(s.mticklength, 3.7);
    EXPECT_EQ(s.tickwidth, 1.25);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(AxisFormatInspector, LengthsAndWidthsThatAreNoneOrOutOfRangeAreRefused)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::AxisFormatPanel& u = f.u();
    f.d.axes[AxisY1].ticklength = 7;
    f.choose(u.insAxisFormatSel, AxisY1);
    // With all four axes chosen a refusal is said once and changes none.
    u.allaxis->click();
    const AxisPanelSupport::Refusal cases[] = {
        {u.tickLength, "-2", "-2 is not between 0 and 1000"},
        {u.tickLength, "1e999", "1e999 is no number"},
        {u.tickLength, "nan", "nan is no number"},
        {u.mtickLength, "abc", "abc is no number"},
        {u.mtickLength, "5000", "5000 is not between 0 and 1000"},
        {u.tickWidth, "-3", "-3 is not between 0 and 100"},
        {u.mtickWidth, "wide", "wide is no number"},
        {u.gridWidth, "1e9", "1e9 is not between 0 and 100"},
        {u.mgridWidth, "", " is no number"},
    };
    for (const auto& c : cases)
        AxisPanelSupport::expectRefused(f, c, "Axis Format Inspector");
    EXPECT_EQ(u.tickLength->text(), QStringLiteral("7"));
}
