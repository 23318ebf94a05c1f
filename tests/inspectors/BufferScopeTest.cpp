// The scope of the buffer panels: which buffers an edit reaches, and the
// current buffer moving onto the first of them.

#include "InspectorSupport.h"

#include "inspectors/BufferScope.h"

#include <QCheckBox>

#include <gtest/gtest.h>

#include <vector>

TEST(BufferScope, TargetsFollowTheBoxesAndTheCurrentBufferJoinsThem)
{
    auto m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    VexaDocument& d = InspectorSupport::openCurrent(*m);
    // Five buffers; buffer 1 is hidden.
    InspectorSupport::addBuffers(*m, d, 5, {1});

    QCheckBox all, selected;
    BufferScope scope(&all, &selected);
    const struct {
        const char* name;
        bool all, selected;
        std::initializer_list<int> rows;
        int current;
        std::vector<int> targets;
        int currentAfter;
    } cases[] = {
        {"current alone, even hidden", false, false, {0, 2}, 1, {1}, 1},
        {"every shown buffer", true, false, {}, 1, {0, 2, 3, 4}, 0},
        {"current already among the shown", true, false, {}, 3, {0, 2, 3, 4}, 3},
        {"selected shown buffers", false, true, {1, 3, 4}, 0, {3, 4}, 3},
        {"current among the selected", false, true, {0, 2, 4}, 4, {0, 2, 4}, 4},
        {"nothing selected", false, true, {}, 2, {}, 2},
        {"only a hidden buffer selected", false, true, {1}, 0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        all.setChecked(c.all);
        selected.setChecked(c.selected);
        InspectorSupport::selectBufferRows(*m, c.rows);
        d.current = c.current;
        EXPECT_EQ(scope.targets(d), c.targets);
        EXPECT_EQ(d.current, c.currentAfter);
    }

    // Every buffer hidden: the shown scopes reach nothing.
    for (auto& b : d.DB)
        b->setShow(false);
    d.current = 2;
    EXPECT_TRUE(BufferScope::targets(d, SelectShown).empty());
    EXPECT_EQ(BufferScope::targets(d, SelectCurrent), std::vector<int>{2});
}

TEST(BufferScope, TheBoxesExcludeEachOther)
{
    QCheckBox all, selected, other;
    BufferScope scope(&all, &selected);
    EXPECT_EQ(scope.selection(), SelectCurrent);

    // Each step clicks one box; the states after it, and the selection.
    const struct {
        QCheckBox* clicked;
        bool all, selected;
        int selection;
    } steps[] = {
        {&all, true, false, SelectShown},
        {&selected, false, true, SelectShownSelected},
        {&all, true, false, SelectShown},
        {&all, false, false, SelectCurrent},
        {&selected, false, true, SelectShownSelected},
        {&selected, false, false, SelectCurrent},
    };
    for (const auto& s : steps) {
        s.clicked->click();
        EXPECT_TRUE(scope.isScopeSwitch(s.clicked));
        EXPECT_EQ(all.isChecked(), s.all);
        EXPECT_EQ(selected.isChecked(), s.selected);
        EXPECT_EQ(scope.selection(), s.selection);
    }
    // Turning one off leaves the other as it was, even when both were on.
    all.setChecked(true);
    selected.setChecked(true);
    selected.setChecked(false);
    EXPECT_TRUE(scope.isScopeSwitch(&selected));
    EXPECT_TRUE(all.isChecked());
    EXPECT_FALSE(scope.isScopeSwitch(&other));
}
