#include "platform/UndoManager.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Returning to the event loop is what ends one user event.
void endOfEvent()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// A range that changes the way documents change theirs: the guarded setter
// opens a group, registers a replot and its own way back.
struct Range {
    UndoManager& um;
    double lo = 0, hi = 1;
    int replots = 0;

    void replot() { ++replots; }
    void scale(double newLo, double newHi, bool undo, bool doReplot)
    {
        if (undo) {
            um.beginUndoGrouping();
            um.registerUndo(this, [this] { replot(); });
            um.registerUndo(this, [this, l = lo, h = hi] { scale(l, h, true, true); });
        }
        lo = newLo;
        hi = newHi;
        if (undo)
            um.endUndoGrouping();
        if (doReplot)
            replot();
    }
};

class UndoManagerTest : public ::testing::Test {
protected:
    void TearDown() override { endOfEvent(); }
    UndoManager um;
    std::string log;
    std::function<void()> note(char c)
    {
        return [this, c] { log += c; };
    }
};

TEST_F(UndoManagerTest, UndoAndRedoWalkThroughSteps)
{
    Range r{um};
    r.scale(2, 3, true, false);
    endOfEvent();
    r.scale(5, 8, true, false);
    endOfEvent();
    EXPECT_EQ(um.undoCount(), 2u);

    ASSERT_TRUE(um.undo());
    EXPECT_EQ(r.lo, 2);
    EXPECT_EQ(r.hi, 3);
    EXPECT_EQ(r.replots, 2); // the restoring scale and the recorded replot
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(r.lo, 0);
    EXPECT_EQ(r.hi, 1);
    EXPECT_FALSE(um.undo());
    EXPECT_FALSE(um.canUndo());

    ASSERT_TRUE(um.redo());
    EXPECT_EQ(r.lo, 2);
    ASSERT_TRUE(um.redo());
    EXPECT_EQ(r.lo, 5);
    EXPECT_EQ(r.hi, 8);
    EXPECT_FALSE(um.redo());

    // Undo, then a fresh change: the undone future is gone.
    ASSERT_TRUE(um.undo());
    EXPECT_TRUE(um.canRedo());
    r.scale(7, 9, true, false);
    EXPECT_FALSE(um.canRedo());
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(r.lo, 2);
    EXPECT_EQ(um.undoCount(), 1u);
    EXPECT_EQ(um.redoCount(), 1u);
}

TEST_F(UndoManagerTest, OneEventIsOneStepAcrossGroupsAndLoneRegistrations)
{
    Range a{um}, b{um};
    a.scale(10, 20, true, false);
    b.scale(30, 40, true, false);
    um.registerUndo(this, note('x'));
    EXPECT_TRUE(um.canUndo());
    EXPECT_EQ(um.undoCount(), 0u); // still the open event group
    endOfEvent();
    EXPECT_EQ(um.undoCount(), 1u);
    EXPECT_EQ(um.groupingLevel(), 0);

    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "x");
    EXPECT_EQ(a.lo, 0);
    EXPECT_EQ(b.lo, 0);
    EXPECT_FALSE(um.canUndo());
    ASSERT_TRUE(um.redo());
    EXPECT_EQ(a.lo, 10);
    EXPECT_EQ(b.lo, 30);
}

TEST_F(UndoManagerTest, UndoClosesTheEventGroupItIsCalledIn)
{
    um.registerUndo(this, note('a'));
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "a");
    endOfEvent(); // the stale close must not disturb anything
    EXPECT_FALSE(um.canUndo());
    EXPECT_EQ(um.groupingLevel(), 0);
}

TEST_F(UndoManagerTest, ActionsRunNewestFirstAndNestedGroupsMerge)
{
    um.beginUndoGrouping();
    um.registerUndo(this, note('1'));
    um.beginUndoGrouping();
    EXPECT_EQ(um.groupingLevel(), 3); // event group + two explicit
    um.registerUndo(this, note('2'));
    um.endUndoGrouping();
    um.registerUndo(this, note('3'));
    um.endUndoGrouping();
    endOfEvent();
    EXPECT_EQ(um.undoCount(), 1u);
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "321");
}

TEST_F(UndoManagerTest, EmptyGroupsLeaveNoStepAndKeepRedo)
{
    um.registerUndo(this, [this] { um.registerUndo(this, note('r')); });
    ASSERT_TRUE(um.undo());
    ASSERT_TRUE(um.canRedo());
    um.beginUndoGrouping();
    um.endUndoGrouping();
    endOfEvent();
    EXPECT_FALSE(um.canUndo());
    EXPECT_TRUE(um.canRedo());
    um.endUndoGrouping(); // unmatched: ignored
    EXPECT_EQ(um.groupingLevel(), 0);
    ASSERT_TRUE(um.redo());
    EXPECT_EQ(log, "r");
}

TEST_F(UndoManagerTest, UndoIsRefusedWhileAGroupIsOpen)
{
    um.registerUndo(this, note('a'));
    endOfEvent();
    um.beginUndoGrouping();
    um.registerUndo(this, note('b'));
    EXPECT_FALSE(um.canUndo());
    EXPECT_FALSE(um.undo());
    EXPECT_FALSE(um.redo());
    um.endUndoGrouping();
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "b");
}

// A gesture may open a group on press and close it on release, events apart.
TEST_F(UndoManagerTest, GroupSpanningEventsStaysOneStep)
{
    um.beginUndoGrouping();
    um.registerUndo(this, note('p'));
    endOfEvent();
    um.registerUndo(this, note('d'));
    endOfEvent();
    um.endUndoGrouping();
    endOfEvent();
    EXPECT_EQ(um.groupingLevel(), 0);
    EXPECT_EQ(um.undoCount(), 1u);
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "dp");
}

TEST_F(UndoManagerTest, WithoutEventGroupingEachLoneRegistrationIsAStep)
{
    um.setGroupsByEvent(false);
    um.registerUndo(this, note('a'));
    um.registerUndo(this, note('b'));
    EXPECT_EQ(um.undoCount(), 2u);
    um.beginUndoGrouping();
    um.registerUndo(this, note('c'));
    um.registerUndo(this, note('d'));
    um.endUndoGrouping();
    EXPECT_EQ(um.undoCount(), 3u);
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "dc");
}

TEST_F(UndoManagerTest, RemovingATargetDropsItsActionsEverywhere)
{
    int doomed = 0, kept = 0;
    // Step 1: only the doomed object; step 2: both; one redo step of it.
    um.registerUndo(&doomed, note('D'));
    endOfEvent();
    um.registerUndo(&kept, [&] {
        log += 'K';
        um.registerUndo(&doomed, note('d'));
    });
    um.registerUndo(&doomed, note('D'));
    endOfEvent();
    um.registerUndo(&kept, [&] { um.registerUndo(&doomed, note('d')); });
    endOfEvent();
    ASSERT_TRUE(um.undo());
    ASSERT_TRUE(um.canRedo());

    um.removeAllActionsWithTarget(&doomed);
    EXPECT_EQ(um.undoCount(), 1u); // step 1 became empty and vanished
    EXPECT_FALSE(um.canRedo()); // the redo step held only doomed actions
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "K");
    EXPECT_FALSE(um.canUndo());
}

// An undo that deletes an object (and clears its actions) must not then run
// an older action of the same step that still points at it.
TEST_F(UndoManagerTest, RemovalDuringUndoSkipsPendingActionsOfTheTarget)
{
    auto victim = std::make_unique<int>(7);
    int* raw = victim.get();
    int seen = 0;
    um.registerUndo(raw, [&] { seen = *raw; });
    um.registerUndo(this, [&] {
        um.removeAllActionsWithTarget(raw);
        victim.reset();
    });
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(victim, nullptr);
}

TEST_F(UndoManagerTest, ActionsMayRegisterRemoveAndRetryWithoutHarm)
{
    bool nestedUndo = true;
    um.registerUndo(this, [&] {
        nestedUndo = um.undo();
        EXPECT_TRUE(um.isUndoing());
        um.removeAllActions();
        um.registerUndo(this, note('r'));
    });
    endOfEvent();
    um.registerUndo(this, [&] {
        log += 'x';
        um.registerUndo(this, note('X'));
    });
    endOfEvent();
    ASSERT_TRUE(um.undo()); // 'x'
    ASSERT_TRUE(um.canRedo());
    ASSERT_TRUE(um.undo());
    EXPECT_FALSE(nestedUndo);
    EXPECT_FALSE(um.isUndoing());
    EXPECT_FALSE(um.canUndo());
    // The redo of 'x' was cleared from inside; the step's own way back survives.
    EXPECT_EQ(um.redoCount(), 1u);
    ASSERT_TRUE(um.redo());
    EXPECT_EQ(log, "xr");
}

TEST_F(UndoManagerTest, DisabledRegistrationIsCounted)
{
    um.disableUndoRegistration();
    um.disableUndoRegistration();
    um.enableUndoRegistration();
    um.registerUndo(this, note('a'));
    um.enableUndoRegistration();
    um.registerUndo(this, note('b'));
    ASSERT_TRUE(um.undo());
    EXPECT_EQ(log, "b");
    EXPECT_FALSE(um.canUndo());
}

TEST_F(UndoManagerTest, LevelsOfUndoKeepTheNewestSteps)
{
    um.setLevelsOfUndo(2);
    for (char c : std::string("abc")) {
        um.registerUndo(this, [this, c] {
            log += c;
            um.registerUndo(this, note(c));
        });
        endOfEvent();
    }
    EXPECT_EQ(um.undoCount(), 2u);
    while (um.undo()) { }
    EXPECT_EQ(log, "cb");
    um.setLevelsOfUndo(1);
    EXPECT_EQ(um.redoCount(), 1u);
}

TEST_F(UndoManagerTest, NamesAndChangeNotifications)
{
    int changes = 0;
    um.setChangeHandler([&] { ++changes; });
    Range r{um};
    r.scale(1, 2, true, false);
    um.setActionName(QStringLiteral("Zoom"));
    EXPECT_EQ(changes, 2); // undo became possible, then got a name
    endOfEvent();
    EXPECT_EQ(changes, 2); // closing the group changes nothing the menu shows
    EXPECT_EQ(um.undoActionName(), "Zoom");

    ASSERT_TRUE(um.undo());
    EXPECT_EQ(changes, 3); // one report for the whole undo
    EXPECT_EQ(um.redoActionName(), "Zoom");
    EXPECT_EQ(um.undoActionName(), "");
    um.removeAllActions();
    EXPECT_EQ(changes, 4);
    EXPECT_FALSE(um.canRedo());
}

TEST(UndoManagerLifetime, PendingEventCloseDiesWithTheManager)
{
    {
        UndoManager um;
        um.registerUndo(nullptr, [] {});
    }
    endOfEvent(); // must not touch the destroyed manager
    SUCCEED();
}

} // namespace
