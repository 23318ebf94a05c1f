#include "platform/Alert.h"

#include <gtest/gtest.h>

namespace {

TEST(Alert, ScriptedAnswersAreRecordedAndClamped)
{
    ScriptedAlerts alerts{2, 7, -1};
    const QStringList three{"Cancel", "Continue", "Delete"};
    EXPECT_EQ(Alert::run("Delete", "Really?", three), 2);
    EXPECT_EQ(Alert::run("Delete", "Really?", three), 0); // no such button
    EXPECT_EQ(Alert::run("Delete", "Really?", three), 0);
    EXPECT_EQ(Alert::run("Error", "Out of answers", three), 0);
    alerts.answer(1);
    EXPECT_EQ(Alert::run("Sort", "x", {"Sort", "Cancel"}), 1);

    ASSERT_EQ(alerts.requests().size(), 5u);
    EXPECT_EQ(alerts.requests()[3].title, "Error");
    EXPECT_EQ(alerts.requests()[3].message, "Out of answers");
    EXPECT_EQ(alerts.requests()[3].buttons, three);
    EXPECT_EQ(alerts.pendingAnswers(), 0);
}

TEST(Alert, NoButtonsMeansOk)
{
    ScriptedAlerts alerts{1};
    EXPECT_EQ(Alert::run("Error", "no buffer"), 0);
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].buttons, QStringList{"Ok"});
}

TEST(Alert, ScriptsNestAndRestoreTheirPredecessor)
{
    ScriptedAlerts outer;
    {
        ScriptedAlerts inner{1};
        Alert::beep();
        EXPECT_EQ(Alert::run("t", "m", {"a", "b"}), 1);
        EXPECT_EQ(inner.beeps(), 1);
    }
    Alert::beep();
    Alert::beep();
    Alert::run("t", "m");
    EXPECT_EQ(outer.beeps(), 2);
    EXPECT_EQ(outer.requests().size(), 1u);
}

TEST(Alert, DefaultHandlerWritesToStderrAndAnswersFirst)
{
    // Swap every handler out for the default, then put the old one back.
    const Alert::Handler previous = Alert::setHandler(Alert::defaultHandler());
    ::testing::internal::CaptureStderr();
    const int answer = Alert::run("Import", "file not found", {"Continue", "Cancel"});
    const std::string err = ::testing::internal::GetCapturedStderr();
    Alert::setHandler(previous);
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(err, "Import: file not found\n");
}

} // namespace
