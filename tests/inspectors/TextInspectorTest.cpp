// The text panel: each control writes the current text box and the refresh
// shows what was stored; automatic places, turns and position modes; dates
// on a time axis; bad coordinates refused; the panel lets go of a box that
// is deleted.

#include "InspectorSupport.h"
#include "support/TestSupport.h"

#include "app/ColorWell.h"
#include "app/PreferencesWindow.h"
#include "inspectors/TextManager.h"
#include "model/DocumentView.h"
#include "platform/Font.h"
#include "util/NumberFormat.h"
#include "view/VexaTextView.h"
#include "view/VexaView.h"

#include "ui_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using InspectorSupport::type;

namespace {

struct Fixture : InspectorSupport::PanelFixture<TextManager> {
    VexaTextView* box = nullptr;

    Fixture()
            : PanelFixture("text")
    {
        m->setWindowContentSize(&d, QSizeF(600, 400)); // a view with a plot area
        dynamic_cast<VexaView&>(*d.PV).resize();
        auto made = std::make_unique<VexaTextView>(QRectF(100, 100, 10, 10), m.get(), &d);
        made->setString(QStringLiteral("Title"), Font::userFont(14), Qt::black);
        box = made.get();
        d.T.push_back(std::move(made));
        m->setCurrentText(box);
    }
    const Ui::TextPanel& ui() const { return panel->ui(); }
    void click(QButtonGroup* cells, int tag) const
    {
        ASSERT_NE(cells->button(tag), nullptr) << tag;
        cells->button(tag)->click();
    }
};

Qt::Alignment alignmentOf(const VexaTextView& box)
{
    return box.document().begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}

} // namespace

TEST(TextInspector, ControlsWriteTheTextBox)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    EXPECT_TRUE(f.showing());
    EXPECT_EQ(f.panel->T, f.box);
    const Ui::TextPanel& u = f.ui();
    VexaTextView& t = *f.box;

    // The colour is kept by itself; the switch takes the well's colour too.
    u.color->chooseColor(Qt::yellow);
    EXPECT_EQ(t.backgroundColor, QColor(Qt::yellow));
    EXPECT_FALSE(t.drawsBackground);
    u.drawbg->click();
    EXPECT_TRUE(t.drawsBackground);

    const struct {
        int tag;
        Qt::Alignment alignment;
    } alignments[] = {{2, Qt::AlignRight}, {1, Qt::AlignHCenter}, {0, Qt::AlignLeft}};
    for (const auto& a : alignments) {
        f.click(f.panel->align, a.tag);
        EXPECT_EQ(alignmentOf(t), a.alignment) << a.tag;
    }

    // Turns: typed or slid, the box leaves its automatic place; a preset
    // button leaves that as it was; the automatic place turns it to the
    // angle it lays out for.
    t.autopos = 1;
    t.autoposangle = 270;
    f.d.replot();
    u.angle90->click();
    EXPECT_EQ(t.angle, 90);
    EXPECT_EQ(t.autopos, 1);
    type(u.angle, QStringLiteral("45.5"));
    EXPECT_EQ(t.angle, 45.5);
    EXPECT_EQ(t.autopos, 0);
    EXPECT_EQ(u.angle->text(), QStringLiteral("45"));
    u.autopos->click();
    EXPECT_EQ(t.autopos, 1);
    EXPECT_EQ(t.angle, 270);
    u.angleSlider->setValue(-30);
    EXPECT_EQ(t.angle, -30);
    EXPECT_EQ(t.autopos, 0);
    f.click(f.panel->autoangle, 90);
    EXPECT_EQ(t.autoposangle, 90);
    EXPECT_EQ(t.angle, 90);

    // The places: one number across five groups, one selection on show.
    const struct {
        QButtonGroup* cells;
        int tag;
    } places[] = {{f.panel->posRight, 14},
                  {f.panel->posCenter, 5},
                  {f.panel->posLeft, 21},
                  {f.panel->posTop, 10},
                  {f.panel->posBottom, 18}};
    for (const auto& p : places) {
        f.click(p.cells, p.tag);
        EXPECT_EQ(t.autoposloc, p.tag);
        for (const auto& other : places)
            EXPECT_EQ(other.cells->checkedId(), other.cells == p.cells ? p.tag : -1) << p.tag;
    }

    type(u.offset, QStringLiteral("12.7"));
    EXPECT_EQ(t.autoposoffset, 12);
    EXPECT_EQ(u.offsetSlider->value(), 12);
    u.offsetSlider->setValue(30);
    EXPECT_EQ(t.autoposoffset, 30);

    f.click(f.panel->textboxAlign, 8);
    EXPECT_EQ(t.tbalign, 8);
}

TEST(TextInspector, PositionModesAndCoordinates)
{
    TestSupport::PinnedTimeZone zone(QStringLiteral("UTC"));
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    const Ui::TextPanel& u = f.ui();
    VexaTextView& t = *f.box;
    VexaDocument& d = f.d;
    d.xmin1 = 0;
    d.xmax1 = 10;
    d.ymin1 = 0;
    d.ymax1 = 100;

    // In view points the cells are the anchor.
    type(u.positionX, QStringLiteral("120"));
    EXPECT_EQ(t.tloc, QPointF(120, t.tloc.y()));
    const QPointF anchor = t.tloc;

    // Axis pair 1: the box stays put and the cells show data values.
    f.click(f.panel->posMode, 1);
    EXPECT_EQ(t.posmode, 1);
    EXPECT_EQ(t.tloc, anchor);
    EXPECT_NEAR(t.x, d.PV->xValue(anchor.x(), 1), 1e-9);
    EXPECT_EQ(u.positionX->text(), formatNumberAuto(t.x));
    type(u.positionX, QStringLiteral("5"));
    EXPECT_EQ(t.x, 5);
    EXPECT_NEAR(t.tloc.x(), d.PV->xPoint(5, 1), 1e-9);

    // Bad entries are refused with a message; the box stays where it was.
    const double y = t.y;
    f.m->preferencesWindow().dialog();
    f.m->preferencesWindow().timeFormatField()->setText(QStringLiteral("%Y-%m-%d %H:%M:%S"));
    const struct {
        int xmode;
        const char* typed;
        const char* message;
    } bad[] = {
        {AxisLinear, "five", "five is no number"},
        {AxisLinear, "1e999", "1e999 is no number"},
        {AxisTime, "2024-13-01 00:00:00", "2024-13-01 00:00:00 is no date in the format %Y-%m-%d %H:%M:%S"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.typed);
        d.axes[AxisX1].axismode = b.xmode;
        d.replot();
        const std::size_t before = f.alerts.requests().size();
        type(u.positionX, QLatin1String(b.typed));
        ASSERT_EQ(f.alerts.requests().size(), before + 1);
        EXPECT_EQ(f.alerts.requests().back().title, QStringLiteral("Text Inspector"));
        EXPECT_EQ(f.alerts.requests().back().message, QLatin1String(b.message));
        EXPECT_EQ(t.x, 5);
        EXPECT_EQ(t.y, y);
    }

    // On a time axis the cell is a date in the user's format, both ways.
    d.axes[AxisX1].axismode = AxisTime;
    d.replot();
    EXPECT_EQ(u.positionX->text(), QStringLiteral("2001-01-01 00:00:05"));
    type(u.positionX, QStringLiteral("2001-01-02 00:00:00"));
    EXPECT_EQ(t.x, 86400);
    EXPECT_EQ(u.positionX->text(), QStringLiteral("2001-01-02 00:00:00"));
}

TEST(TextInspector, FollowsTheCurrentTextAndLetsGoOfADeletedOne)
{
    Fixture f;
    ASSERT_NE(f.panel, nullptr);
    EXPECT_EQ(f.panel->T, f.box);

    f.d.removeTextBox(f.box);
    EXPECT_EQ(f.m->T, nullptr);
    EXPECT_EQ(f.panel->T, nullptr); // before any refresh
    f.m->update();
    EXPECT_FALSE(f.showing());
    // An edit with nothing to edit does nothing.
    f.panel->didChange(f.ui().drawbg);

    // A box in a closed window is gone from the panel too.
    auto other = std::make_unique<VexaTextView>(QRectF(0, 0, 10, 10), f.m.get(), &f.d);
    VexaTextView* box = other.get();
    f.d.T.push_back(std::move(other));
    f.m->setCurrentText(box);
    EXPECT_EQ(f.panel->T, box);
    EXPECT_TRUE(f.showing());
    delete Manager::windowOf(&f.d);
    EXPECT_EQ(f.panel->T, nullptr);
}

// The panel shows the current box's font and brings up the font panel on
// it; it says what is missing when no box is current; an arrow key's nudge
// shows at once.
TEST(TextInspector, ShowsTheFontWhatIsMissingAndNudges)
{
    Fixture f;
    const Ui::TextPanel& u = f.ui();
    const QFont times = Font::withName(QStringLiteral("Times-Roman"), 14).value_or(Font::userFont(14));
    f.box->setString(QStringLiteral("Title"), times, Qt::black);
    f.m->update();
    EXPECT_EQ(u.textFont->text(), FontChange::fontText(times));

    // The button arms the shared relay: the panel's pick goes to the box.
    u.fontButton->click();
    ASSERT_TRUE(f.m->fontChange->panel());
    EXPECT_EQ(f.m->fontChange->receiver(), f.m->textFormat);
    f.m->fontChange->changeFont(QFont(QStringLiteral("DejaVu Serif"), 22));
    EXPECT_EQ(u.textFont->text(), QStringLiteral("DejaVu Serif - 22 pt"));
    EXPECT_TRUE(f.replotted());
    f.m->fontChange->panel()->hide();

    // A document without a current box: the panel says which is missing.
    auto* none = qobject_cast<QLabel*>(f.m->inspectors().missingNote());
    ASSERT_TRUE(none);
    f.m->setCurrentText(nullptr);
    f.m->update();
    EXPECT_FALSE(f.showing());
    EXPECT_EQ(none->text(), QStringLiteral("No Text Box Selected"));
    f.m->setCurrentDoc(nullptr, nullptr);
    f.m->update();
    EXPECT_EQ(none->text(), QStringLiteral("No Document"));

    // Nudged by an arrow key, the box shows its new place.
    f.m->setCurrentDoc(&f.d, &f.d);
    f.m->setCurrentText(f.box);
    f.m->selectMouseMode(QStringLiteral("select"));
    const double x = f.box->tloc.x();
    dynamic_cast<VexaView&>(*f.d.PV).keyDown(VexaView::KeyRight, 0);
    EXPECT_EQ(u.positionX->text(), formatNumberAuto(x + 1));
}
