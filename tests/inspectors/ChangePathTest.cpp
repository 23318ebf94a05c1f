// One path for the document's settings: whichever door a change comes
// through (a panel, a drag of the legend, an import), it goes through the
// document's setters and the document tells its listeners once that a
// setting changed; the same value again tells them of no change. The window
// listens: it follows the controller's tool and marks itself edited.

#include "InspectorSupport.h"
#include "app/AppFixtures.h"

#include "inspectors/GeneralManager.h"
#include "view/GraphWidget.h"
#include "view/VexaView.h"

#include "ui_general.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using Fixture = InspectorSupport::GeneralFixture;

VexaView& viewOf(Fixture& f)
{
    return Manager::windowOf(&f.d)->graphWidget().view();
}

void legendDrag(Fixture& f, QPointF from, QPointF to)
{
    f.m->selectMouseMode(QStringLiteral("legend"));
    VexaView& v = viewOf(f);
    v.mouseDown({from, from + v.frameOrigin});
    v.mouseDragged({to, to + v.frameOrigin});
    v.mouseUp({to, to + v.frameOrigin});
    f.d.undoManager().closeImplicitGroup();
}

bool importDates(Fixture& f)
{
    return f.m->importDroppedFile(f.d, QStringLiteral(VEXA_FIXTURES "/ascii/datetime.txt"));
}

TEST(ChangePath, EveryDoorTellsOfAChangeOnceAndOfTheSameValueNever)
{
    const struct {
        const char* door;
        // A change of a setting (checked), then the same value once more;
        // each is one user action.
        std::function<void(Fixture&)> change, same;
    } doors[] = {
        {"frame width typed in the general panel",
         [](Fixture& f) {
             InspectorSupport::type(f.ui().frameWidth, QStringLiteral("7"));
             EXPECT_EQ(f.d.page.framewidth, 7);
         },
         [](Fixture& f) { InspectorSupport::type(f.ui().frameWidth, QStringLiteral("7.0")); }},
        {"preset of the general panel",
         [](Fixture& f) {
             f.ui().presetFourAxes->click();
             EXPECT_EQ(f.d.page.marginright, 80);
             EXPECT_EQ(f.d.axes[AxisY2].numbers, 1);
         },
         [](Fixture& f) { f.ui().presetFourAxes->click(); }},
        {"legend dragged",
         [](Fixture& f) {
             const double x = f.d.legend.legendx, y = f.d.legend.legendy;
             legendDrag(f, {100, 100}, {130, 80});
             EXPECT_EQ(f.d.legend.legendx, x + 30);
             EXPECT_EQ(f.d.legend.legendy, y - 20);
         },
         [](Fixture& f) {
             legendDrag(f, {130, 80}, {130, 80});
         }},
        {"file of dates imported",
         [](Fixture& f) {
             ASSERT_TRUE(importDates(f));
             EXPECT_EQ(f.d.axes[AxisX1].axismode, AxisTime);
         },
         [](Fixture& f) { ASSERT_TRUE(importDates(f)); }},
    };
    for (const auto& door : doors) {
        SCOPED_TRACE(door.door);
        Fixture f;
        ASSERT_NE(f.panel, nullptr);
        // What binding the view placed (the legend) is told before the
        // door is used.
        f.d.replot();
        std::vector<bool> told;
        auto listening = f.d.listen([&told](const DocumentChange& c) { told.push_back(c.settings); });
        auto settingChanges = [&told] { return std::count(told.begin(), told.end(), true); };

        door.change(f);
        EXPECT_EQ(settingChanges(), 1);
        EXPECT_FALSE(told.empty());

        told.clear();
        door.same(f);
        EXPECT_EQ(settingChanges(), 0);
    }
}

TEST(ChangePath, TheWindowListensToItsDocument)
{
    Fixture f;
    DocumentWindowQt* w = Manager::windowOf(&f.d);
    ASSERT_NE(w, nullptr);
    w->setDocumentEdited(false);
    f.m->selectMouseMode(QStringLiteral("zoom"));
    // A panel change reaches the window through the document's replot.
    InspectorSupport::type(f.ui().arrowSize, QStringLiteral("12"));
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_EQ(w->selectedToolTitle(), QStringLiteral("zoom"));
}

// What of the window's strip shows, by the "WindowToolbar" preference and
// the window's width (palette 180 and read-out 60 points wide).
TEST(ChangePath, StripPartsFollowTheToolbarSwitchAndTheWidth)
{
    using Parts = DocumentWindowQt::StripParts;
    const struct {
        bool toolbarSwitch;
        double frame;
        Parts parts;
    } cases[] = {
        {true, 1000, {true, true}},
        {false, 300, {false, true}},
        {false, 320, {false, true}},
        {false, 321, {false, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DocumentWindowQt::stripParts(c.toolbarSwitch, c.frame, 180, 60), c.parts)
            << c.toolbarSwitch << " " << c.frame;
}

} // namespace
