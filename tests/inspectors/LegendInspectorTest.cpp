// The legend panel: each control writes its legend setting of the current
// document and the refresh shows what was stored; the legend font through
// the font relay; nothing without a document.

#include "InspectorSupport.h"

#include "app/ColorWell.h"
#include "app/FontChange.h"
#include "inspectors/LegendManager.h"
#include "platform/Font.h"

#include "ui_legend.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

using InspectorSupport::type;

namespace {

struct Fixture : InspectorSupport::PanelFixture<LegendManager> {
    Fixture()
            : PanelFixture("legend")
    {
    }
    const Ui::LegendPanel& ui() const { return panel->ui(); }
};

} // namespace

TEST(LegendInspector, NumbersThatAreNoneOrOutOfRangeAreRefused)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::LegendPanel& u = f.ui();
    LegendSettings& l = f.d.legend;
    const struct {
        QLineEdit* field;
        const char* typed;
        const char* message;
    } cases[] = {
        {u.width, "abc", "abc is no number"},
        {u.space, "-3", "-3 is not between 0 and 1000"},
        {u.width, "1e9", "1e9 is not between 0 and 1000"},
        {u.posX, "left", "left is no number"},
        {u.posY, "1e12", "1e12 is not between -100000 and 100000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const LegendSettings before = l;
        type(c.field, QLatin1String(c.typed));
        EXPECT_TRUE(l == before);
        ASSERT_FALSE(f.alerts.requests().empty());
        EXPECT_EQ(f.alerts.requests().back().title, QStringLiteral("Legend Inspector"));
        EXPECT_EQ(f.alerts.requests().back().message, QLatin1String(c.message));
    }
    EXPECT_EQ(f.alerts.requests().size(), std::size(cases));
}

TEST(LegendInspector, ControlsWriteTheLegend)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::LegendPanel& u = f.ui();
    LegendSettings& l = f.d.legend;
    EXPECT_TRUE(f.showing());

    // Lengths and the place are whole points: typed text is read as an
    // integer, then shown as stored.
    const struct {
        QLineEdit* field;
        const char* typed;
        const double* stored;
        double value;
        const char* shown;
    } typed[] = {
        {u.width, "12.7", &l.legendwidth, 12, "12"},
        {u.space, "33pt", &l.legendspace, 33, "33"},
        {u.posX, "140.9", &l.legendx, 140, "140"},
        {u.posY, "-5", &l.legendy, -5, "-5"},
    };
    for (const auto& t : typed) {
        SCOPED_TRACE(t.typed);
        type(t.field, QLatin1String(t.typed));
        EXPECT_EQ(*t.stored, t.value);
        EXPECT_EQ(t.field->text(), QLatin1String(t.shown));
    }
    EXPECT_EQ(u.widthSlider->value(), 12);
    // Either cell of the place writes both.
    l.legendx = 7;
    type(u.posY, QStringLiteral("60"));
    EXPECT_EQ(l.legendx, 140);
    EXPECT_EQ(l.legendy, 60);

    u.spaceSlider->setValue(44);
    EXPECT_EQ(l.legendspace, 44);
    EXPECT_EQ(u.space->text(), QStringLiteral("44"));

    const struct {
        QCheckBox* box;
        const LegendSettings::Flag* field;
    } switches[]
        = {{u.plotLegend, &l.plotlegend}, {u.drawbg, &l.legendbg}, {u.horizontal, &l.legendhorizontal}};
    for (const auto& s : switches) {
        const bool before = *s.field != 0;
        s.box->click();
        EXPECT_EQ(*s.field != 0, !before);
        EXPECT_EQ(s.box->isChecked(), !before);
    }

    u.color->chooseColor(Qt::red);
    u.bgcolor->chooseColor(QColor(0, 0, 255, 128));
    EXPECT_EQ(l.legendcolor, QColor(Qt::red));
    EXPECT_EQ(l.legendbgcolor, QColor(0, 0, 255, 128));

    for (int tag : {8, 4, 0}) {
        ASSERT_NE(f.panel->align->button(tag), nullptr);
        f.panel->align->button(tag)->click();
        EXPECT_EQ(l.legendalign, tag);
    }

    // A change made elsewhere shows after the replot.
    l.legendalign = 5;
    l.legendwidth = 66.6;
    f.d.replot();
    EXPECT_EQ(f.panel->align->checkedId(), 5);
    EXPECT_EQ(u.width->text(), QStringLiteral("67"));
}

TEST(LegendInspector, TheFontComesBackThroughTheRelay)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    FontChange& relay = *f.m->fontChange;
    f.panel->fontChanges(f.ui().fontButton);
    EXPECT_EQ(relay.receiver(), f.panel);
    EXPECT_EQ(relay.fid(), 2);
    EXPECT_EQ(relay.font(), f.d.legend.legendfont);

    const QFont picked = *Font::withName(QStringLiteral("Times-Roman"), 20);
    relay.changeFont(picked);
    EXPECT_EQ(f.d.legend.legendfont, picked);
    EXPECT_EQ(f.ui().legendFont->text(), Font::storedName(picked) + QStringLiteral(" - 20 pt"));

    // A font meant for another font id of the receiver is not the legend's.
    relay.setReceiver(0, 0, picked, f.panel);
    relay.changeFont(*Font::withName(QStringLiteral("Courier"), 9));
    EXPECT_EQ(f.d.legend.legendfont, picked);

    // Without a document the panel shows nothing, edits nothing, and a font
    // picked meanwhile only beeps.
    f.m->setCurrentDoc(nullptr, nullptr);
    f.m->update();
    EXPECT_FALSE(f.showing());
    relay.setReceiver(0, 2, picked, f.panel);
    relay.changeFont(picked);
    EXPECT_EQ(f.alerts.beeps(), 1);
    f.panel->didChange(f.ui().plotLegend);
    EXPECT_EQ(f.d.legend.plotlegend, 0);
}
