#include "platform/Alert.h"

#include <gtest/gtest.h>

#include <optional>

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

TEST(AlertInput, ScriptedAnswersCancelsAndTheDefaultWhenOutOfAnswers)
{
    ScriptedAlerts alerts;
    alerts.answerInput("42");
    alerts.cancelInput();
    alerts.answerInput(""); // an empty answer is an answer, not a cancel
    EXPECT_EQ(Alert::input("Input", "value?", "7"), std::optional<QString>("42"));
    EXPECT_EQ(Alert::input("Input", "value?", "7"), std::nullopt);
    EXPECT_EQ(Alert::input("Input", "value?", "7"), std::optional<QString>(""));
    // Nothing scripted: the user just confirms what the field holds.
    EXPECT_EQ(Alert::input("Input", "again?", "7"), std::optional<QString>("7"));
    EXPECT_EQ(alerts.pendingInputAnswers(), 0);

    ASSERT_EQ(alerts.inputRequests().size(), 4u);
    EXPECT_EQ(alerts.inputRequests()[3].title, "Input");
    EXPECT_EQ(alerts.inputRequests()[3].message, "again?");
    EXPECT_EQ(alerts.inputRequests()[3].defaultText, "7");
    // Input requests are not button alerts.
    EXPECT_TRUE(alerts.requests().empty());
}

TEST(AlertInput, HandlersWithoutInputKeepWorkingAndNestedScriptsRestore)
{
    ScriptedAlerts outer;
    outer.answerInput("outer");
    {
        // A handler written before input requests existed: run and beep
        // only. Input falls back to the headless default (cancelled).
        Alert::Handler old;
        int runs = 0;
        old.run = [&runs](const Alert::Request&) { return ++runs, 1; };
        const Alert::Handler previous = Alert::setHandler(old);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Alert::input("Input", "anyone?"), std::nullopt);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Input: anyone?\n");
        EXPECT_EQ(Alert::run("t", "m", {"a", "b"}), 1);
        EXPECT_EQ(runs, 1);
        Alert::setHandler(previous);
    }
    EXPECT_EQ(Alert::input("Input", "back?"), std::optional<QString>("outer"));
    EXPECT_EQ(outer.inputRequests().size(), 1u);
}

// An outcome becomes an alert only when there is something to tell: a
// failure, or a notice that came with a success; as its own title and
// message, with the one button "Ok", counted among the reports.
TEST(AlertShow, ShowsFailuresAndNoticesOnly)
{
    struct Case {
        const char* what;
        Outcome outcome;
        bool shown;
    };
    const Case cases[] = {
        {"done", Outcome::done(), false},
        {"cancelled", Outcome::cancelled(), false},
        {"nothing to work on", Outcome::empty("There is no file \"x\""), false},
        {"failed", Outcome::failed("file is to small", "Binary Import Error"), true},
        {"failed without a message", Outcome::failed(QString(), "To few points"), true},
        {"done with a notice", Outcome::notice("File Open Warning", "A text box was damaged"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAlerts alerts;
        const int reports = Alert::reportsShown();
        EXPECT_EQ(Alert::show(c.outcome), c.shown);
        ASSERT_EQ(alerts.requests().size(), c.shown ? 1u : 0u);
        EXPECT_EQ(Alert::reportsShown() - reports, c.shown ? 1 : 0);
        if (c.shown) {
            EXPECT_EQ(alerts.requests()[0].title, c.outcome.title());
            EXPECT_EQ(alerts.requests()[0].message, c.outcome.message());
            EXPECT_EQ(alerts.requests()[0].buttons, QStringList{"Ok"});
        }
    }
}

TEST(AlertShow, OutcomesKeepTheirKindTitleMessageAndCode)
{
    const Outcome failed = Outcome::failed("lost", "EPICS Error", 80);
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.isFailure());
    EXPECT_EQ(failed.code(), 80);
    const Outcome retitled = Outcome::empty("There is no file \"x\"").titled("ASCII Import Error");
    EXPECT_EQ(retitled.kind(), Outcome::Kind::Empty);
    EXPECT_EQ(retitled.title(), "ASCII Import Error");
    EXPECT_EQ(retitled.message(), "There is no file \"x\"");
    EXPECT_TRUE(Outcome::notice("t", "m").ok());
    EXPECT_FALSE(Outcome::cancelled().isFailure());
    EXPECT_EQ(Outcome(), Outcome::done());
}

} // namespace
