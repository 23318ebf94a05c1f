// The axis label panel: title and number settings of the axis shown or of
// all four, the preset angles, fonts picked in the font panel, and the
// replacement-label table.

#include "AxisPanelSupport.h"

#include "app/AxisLabelTableView.h"
#include "app/ColorWell.h"
#include "app/FontChange.h"
#include "inspectors/AxisLabelManager.h"
#include "inspectors/DoubleSlider.h"
#include "platform/Font.h"

#include "ui_axislabel.h"

#include <QAbstractItemModel>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDialog>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <functional>

using InspectorSupport::type;

namespace {

struct Fixture : AxisPanelSupport::PanelFixture<AxisLabelManager> {
    Fixture()
            : PanelFixture("axislabel")
    {
    }
    const Ui::AxisLabelPanel& u() const { return panel->ui(); }
};

} // namespace

TEST(AxisLabelInspector, EachControlWritesTheAxisShownOrAllFour)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const Ui::AxisLabelPanel& u = f.u();
    const QColor colour(200, 10, 30);

    const struct {
        const char* name;
        std::function<void()> edit;
        std::function<bool(const AxisSettings&)> stored;
    } edits[] = {
        {"colour", [&] { u.axisTextColor->chooseColor(colour); },
         [&](const AxisSettings& s) { return s.axistextcolor == colour; }},
        {"number offset", [&] { type(u.numOff, QStringLiteral("-7.9")); },
         [](const AxisSettings& s) { return s.numoff == -7; }},
        {"number offset slid", [&] { u.numOffSlider->setValue(30); },
         [](const AxisSettings& s) { return s.numoff == 30; }},
        {"title offset", [&] { type(u.textOff, QStringLiteral("12,5")); },
         [](const AxisSettings& s) { return s.textoff == 12; }},
        {"title from the window edge", [&] { u.textOffWindow->click(); },
         [](const AxisSettings& s) { return s.textoffwindow == 1; }},
        {"no title", [&] { u.text->click(); }, [](const AxisSettings& s) { return s.text == 0; }},
        {"no numbers", [&] { u.numbers->click(); }, [](const AxisSettings& s) { return s.numbers == 0; }},
        {"angle", [&] { type(u.angle, QStringLiteral("30.5")); },
         [](const AxisSettings& s) { return s.angle == 30.5; }},
        {"angle slid", [&] { u.angleSlider->setDoubleValue(120); },
         [](const AxisSettings& s) { return s.angle == 120; }},
        {"preset angle", [&] { u.angle45->click(); }, [](const AxisSettings& s) { return s.angle == 45; }},
        {"anchor", [&] { f.panel->align->button(5)->click(); },
         [](const AxisSettings& s) { return s.align == 5; }},
    };
    const std::array<AxisSettings, 4> fresh = d.axes;
    for (bool all : {false, true}) {
        if (u.allaxislabels->isChecked() != all)
            u.allaxislabels->click();
        for (const auto& e : edits) {
            SCOPED_TRACE(std::string(e.name) + (all ? " on all axes" : ""));
            d.axes = fresh;
            f.choose(u.insAxisLabelsSel, AxisY1);
            f.markSaved();
            e.edit();
            for (std::size_t k = 0; k < 4; ++k) {
                const bool changed = all || k == AxisY1;
                EXPECT_EQ(e.stored(d.axes[k]), changed) << "axis " << k;
                if (!changed) {
                    EXPECT_EQ(d.axes[k], fresh[k]) << "axis " << k;
                }
            }
            EXPECT_TRUE(f.replotted());
            EXPECT_EQ(f.m->noedit, 0);
        }
    }

    // What the fields show, and entries that are not taken.
    d.axes = fresh;
    d.axes[AxisY1].angle = 45;
    d.axes[AxisY1].numoff = -3;
    d.replot();
    EXPECT_EQ(u.angle->text(), QStringLiteral("45"));
    EXPECT_EQ(u.numOff->text(), QStringLiteral("-3"));
    EXPECT_EQ(f.panel->align->checkedId(), d.axes[AxisY1].align);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(AxisLabelInspector, OffsetsAndAnglesThatAreNoneOrOutOfRangeAreRefused)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::AxisLabelPanel& u = f.u();
    f.d.axes[AxisY1].numoff = -3;
    f.choose(u.insAxisLabelsSel, AxisY1);
    // With all four axes chosen a refusal is said once and changes none.
    u.allaxislabels->click();
    const AxisPanelSupport::Refusal cases[] = {
        {u.numOff, "300", "300 is not between -128 and 127"},
        {u.numOff, "1e999", "1e999 is no number"},
        {u.numOff, "nan", "nan is no number"},
        {u.textOff, "abc", "abc is no number"},
        {u.textOff, "-1e9", "-1e9 is not between -1000000 and 1000000"},
        {u.angle, "steep", "steep is no number"},
        {u.angle, "720", "720 is not between -360 and 360"},
    };
    for (const auto& c : cases)
        AxisPanelSupport::expectRefused(f, c, "Axis Label Inspector");
    EXPECT_EQ(u.numOff->text(), QStringLiteral("-3"));
}

TEST(AxisLabelInspector, AFontPickedGoesToTheAxisAndFontItWasChosenFor)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const Ui::AxisLabelPanel& u = f.u();
    FontChange& relay = *f.m->fontChange;
    QFont picked(QStringLiteral("DejaVu Serif"));
    picked.setPointSizeF(17);

    // The numbers' button arms the relay with the numbers' font of the axis
    // shown and brings up the font panel.
    f.choose(u.insAxisLabelsSel, AxisX2);
    u.numFontButton->click();
    EXPECT_EQ(relay.receiver(), f.panel);
    EXPECT_EQ(relay.fcaxis(), AxisX2);
    EXPECT_EQ(relay.fid(), 1);
    EXPECT_EQ(relay.font(), d.axes[AxisX2].numfont);
    ASSERT_NE(relay.panel(), nullptr);
    EXPECT_TRUE(relay.panel()->isVisible());

    // A pick in the panel goes to that font of that axis, even after the
    // panel has turned to another axis.
    const std::array<AxisSettings, 4> before = d.axes;
    f.choose(u.insAxisLabelsSel, AxisY1);
    relay.panel()->setCurrentFont(picked);
    EXPECT_EQ(d.axes[AxisX2].numfont.family(), picked.family());
    EXPECT_EQ(d.axes[AxisX2].numfont.pointSizeF(), 17);
    EXPECT_EQ(d.axes[AxisX2].textfont, before[AxisX2].textfont);
    for (int k : {AxisX1, AxisY1, AxisY2})
        EXPECT_EQ(d.axes[std::size_t(k)], before[std::size_t(k)]) << k;
    f.choose(u.insAxisLabelsSel, AxisX2);
    EXPECT_EQ(u.numFont->text(), Font::storedName(d.axes[AxisX2].numfont) + QStringLiteral(" - 17 pt"));

    // With "All axes" on, the title's font of all four; the panel names
    // the face.
    u.allaxislabels->click();
    u.textFontButton->click();
    EXPECT_EQ(relay.fid(), 0);
    const QFont bold = *Font::withName(QStringLiteral("Times-Bold"), 20);
    relay.changeFont(bold);
    for (const AxisSettings& s : d.axes)
        EXPECT_EQ(s.textfont, bold);
    EXPECT_EQ(u.textFont->text(), Font::storedName(bold) + QStringLiteral(" - 20 pt"));
    EXPECT_TRUE(u.textFont->text().contains(QStringLiteral("Bold"))) << u.textFont->text().toStdString();

    // Once another asker takes the relay, picks are no longer the axis's.
    u.allaxislabels->click();
    QFont other(QStringLiteral("DejaVu Sans Mono"));
    other.setPointSizeF(9);
    relay.setReceiver(0, 1, d.legend.legendfont, nullptr);
    relay.changeFont(other);
    EXPECT_EQ(d.axes[AxisX2].numfont.family(), picked.family());

    // With no document the pick is refused with a beep.
    u.numFontButton->click();
    Manager::windowOf(&d)->close();
    relay.changeFont(other);
    EXPECT_EQ(f.alerts.beeps(), 1);
}

TEST(AxisLabelInspector, TheReplacementTableEditsAndClearsTheAxisShown)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    VexaDocument& d = f.d;
    const Ui::AxisLabelPanel& u = f.u();
    ASSERT_NE(f.panel->axisLabelTable, nullptr);
    EXPECT_EQ(f.m->axisLabelTable, f.panel->axisLabelTable);
    d.scale(1, 0, 1, 0, 10, false, true);
    ASSERT_NE(f.draw(), nullptr); // the numbers drawn are the rows
    f.choose(u.insAxisLabelsSel, AxisY1);
    QAbstractItemModel* rows = f.panel->axisLabelTable->model();
    ASSERT_GT(rows->rowCount(), 1);
    const QString key = rows->index(1, 0).data().toString();
    EXPECT_EQ(key, d.alabelindex[AxisY1][1]);

    // A replacement typed into the table is stored for its number and shown.
    ASSERT_TRUE(rows->setData(rows->index(1, 1), QStringLiteral("two")));
    EXPECT_EQ(d.axes[AxisY1].alabel.value(key), QStringLiteral("two"));
    EXPECT_EQ(rows->index(1, 1).data().toString(), QStringLiteral("two"));
    EXPECT_TRUE(d.axes[AxisX1].alabel.isEmpty());

    // Another axis shows its own rows; clearing empties only the axis shown.
    d.axes[AxisX1].alabel.insert(QStringLiteral("0"), QStringLiteral("zero"));
    f.choose(u.insAxisLabelsSel, AxisX1);
    EXPECT_EQ(rows->rowCount(), d.alabelindex[AxisX1].size());
    u.allaxislabels->click(); // does not widen a clear
    u.clearLabels->click();
    EXPECT_TRUE(d.axes[AxisX1].alabel.isEmpty());
    EXPECT_EQ(d.axes[AxisY1].alabel.value(key), QStringLiteral("two"));

    // While the panel writes, the table takes no edits.
    f.m->noedit = 1;
    EXPECT_FALSE(rows->setData(rows->index(0, 1), QStringLiteral("x")));
    f.m->noedit = 0;
}
