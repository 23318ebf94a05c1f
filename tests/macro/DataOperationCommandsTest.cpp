// The data-operation commands run through whole macros: which operation each
// calls with which arguments, on which buffers, what they publish, and that
// the operations' warnings reach the user while the command itself stays
// silent.

#include "MacroFakes.h"

#include "macro/AlertQuestions.h"
#include "platform/Alert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

QString column(const std::vector<double>& values)
{
    QStringList parts;
    for (double v : values)
        parts << QString::number(v);
    return parts.join(QLatin1Char(','));
}

// "x:0,1,2 y:0,10,20", with " ex:... ey:..." when the buffer has errors.
QString describe(const DataBuffer& b)
{
    QString text = QStringLiteral("x:") + column(b.X) + QStringLiteral(" y:") + column(b.Y);
    if (!b.EX.empty() || !b.EY.empty())
        text += QStringLiteral(" ex:") + column(b.EX) + QStringLiteral(" ey:") + column(b.EY);
    return text;
}

void addBuffer(VexaDocument* d, const std::vector<double>& x, const std::vector<double>& y)
{
    auto b = std::make_unique<DataBuffer>();
    for (std::size_t i = 0; i < x.size(); ++i)
        b->addDoubleValue(x[i], y[i]);
    d->DB.push_back(std::move(b));
}

// --- commands that change buffers in place ------------------------------------------------

constexpr const char* B0 = "x:0,1,2,3,4 y:0,10,20,30,40";
constexpr const char* B1 = "x:0,1,2 y:0,10,20";

struct InPlaceCase {
    const char* source;
    const char* buffer0;
    const char* buffer1;
};

void PrintTo(const InPlaceCase& c, std::ostream* os)
{
    *os << c.source;
}

class InPlaceCommands : public testing::TestWithParam<InPlaceCase> { };

TEST_P(InPlaceCommands, ChangeExactlyTheirBuffers)
{
    FakeMacroHost host;
    ScriptedAlerts alerts;
    // x = i, y = 10 i
    VexaDocument* doc = host.currentDocument({5, 3});
    EXPECT_EQ(runMacro(host, QString::fromUtf8(GetParam().source)), QString());
    ASSERT_EQ(doc->bufferCount(), 2);
    EXPECT_EQ(describe(*doc->DB[0]), QString::fromUtf8(GetParam().buffer0));
    EXPECT_EQ(describe(*doc->DB[1]), QString::fromUtf8(GetParam().buffer1));
    EXPECT_TRUE(alerts.requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Macro, InPlaceCommands,
    testing::Values(
        // moves go from the first position to the second
        InPlaceCase{"movex 2 5 all", "x:3,4,5,6,7 y:0,10,20,30,40", "x:3,4,5 y:0,10,20"},
        InPlaceCase{"movey 1 0 0", "x:0,1,2,3,4 y:-1,9,19,29,39", B1},
        InPlaceCase{"movex 0 1 5..0", "x:1,2,3,4,5 y:0,10,20,30,40", "x:1,2,3 y:0,10,20"},
        InPlaceCase{"normx 0 4 0 1 0", "x:0,0.25,0.5,0.75,1 y:0,10,20,30,40", B1},
        InPlaceCase{"normy 0 40 1 2 1", B0, "x:0,1,2 y:1,1.25,1.5"},
        // cuts are named after what they remove; bounds in either order
        InPlaceCase{"cutoutsidex 1 3 0", "x:2 y:20", B1}, InPlaceCase{"cutinsidex 3 1 0", "x:0,4 y:0,40", B1},
        InPlaceCase{"cutoutsidey 5 25 all", "x:1,2 y:10,20", "x:1,2 y:10,20"},
        InPlaceCase{"cutinsidey 5 25 1", B0, "x:0 y:0"}, InPlaceCase{"linbg 2 1 1", B0, "x:0,1,2 y:1,13,25"},
        InPlaceCase{"swapxy 1", B0, "x:0,10,20 y:0,1,2"},
        // single values: missing index and value are 0; an index past the points is ignored
        InPlaceCase{"setyval all 2 2.5", "x:0,1,2,3,4 y:0,10,2.5,30,40", "x:0,1,2 y:0,10,2.5"},
        InPlaceCase{"movex 0 1 all\nsetxval all", "x:0,2,3,4,5 y:0,10,20,30,40", "x:0,2,3 y:0,10,20"},
        InPlaceCase{"setyval 0 5 2.5", B0, B1},
        InPlaceCase{"setxeval 0 1 0.5", "x:0,1,2,3,4 y:0,10,20,30,40 ex:0,0.5,0,0,0 ey:0,0,0,0,0", B1},
        // calc: targets 1 to 4 are x, y, x error, y error; the expression sees the
        // point variables, the run's document and the controller's variables
        InPlaceCase{"calc 2 y+x 0", "x:0,1,2,3,4 y:0,11,22,33,44", B1},
        InPlaceCase{"calc 1 'x * 2' 1", B0, "x:0,2,4 y:0,10,20"},
        InPlaceCase{"calc 4 x/10 0", "x:0,1,2,3,4 y:0,10,20,30,40 ex:0,0,0,0,0 ey:0,0.1,0.2,0.3,0.4", B1},
        InPlaceCase{"calc 2 bn all", "x:0,1,2,3,4 y:0,0,0,0,0", "x:0,1,2 y:1,1,1"},
        InPlaceCase{"setvar k 3\ncalc 2 y*k 1", B0, "x:0,1,2 y:0,30,60"},
        // targets outside 1..4 name no column, even one that saturates the slot
        InPlaceCase{"calc 0 x+1 all", B0, B1}, InPlaceCase{"calc 5 x+1 all", B0, B1},
        InPlaceCase{"calc -1.0e+12 x+1 all", B0, B1},
        // an empty set does nothing
        InPlaceCase{"movex 0 1 none\nsmooth 3 none\nsetyval none 0 7", B0, B1}));

TEST(DataOperationCommands, AnEmptyingCutBeepsAndKeepsThePoints)
{
    FakeMacroHost host;
    ScriptedAlerts alerts;
    VexaDocument* doc = host.currentDocument({5});
    EXPECT_EQ(runMacro(host, QStringLiteral("cutoutsidex 10 20 0")), QString());
    EXPECT_EQ(describe(*doc->DB[0]), QString::fromUtf8(B0));
    EXPECT_EQ(alerts.beeps(), 1);
    // The function generator's refusal is heard the same way.
    EXPECT_EQ(runMacro(host, QStringLiteral("fg 1 1 1 5 x")), QString());
    EXPECT_EQ(doc->bufferCount(), 1);
    EXPECT_EQ(alerts.beeps(), 2);
    EXPECT_TRUE(alerts.requests().empty());
}

// --- commands that append buffers -----------------------------------------------------------

struct AppendCase {
    const char* source;
    int buffers; // afterwards
    const char* last; // the last buffer; empty: not checked
    double lastbuffer; // NaN: the operation publishes none
};

void PrintTo(const AppendCase& c, std::ostream* os)
{
    *os << c.source;
}

class AppendingCommands : public testing::TestWithParam<AppendCase> { };

TEST_P(AppendingCommands, AppendTheirResult)
{
    FakeMacroHost host;
    ScriptedAlerts alerts;
    VexaDocument* doc = host.currentDocument({5, 3});
    EXPECT_EQ(runMacro(host, QString::fromUtf8(GetParam().source)), QString());
    ASSERT_EQ(doc->bufferCount(), GetParam().buffers);
    if (*GetParam().last) {
        EXPECT_EQ(describe(*doc->DB.back()), QString::fromUtf8(GetParam().last));
    }
    if (!std::isnan(GetParam().lastbuffer)) {
        EXPECT_EQ(host.manager.GV.value(QStringLiteral("lastbuffer"), -1), GetParam().lastbuffer);
    }
    EXPECT_TRUE(alerts.requests().empty());
}

constexpr double none = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Macro, AppendingCommands,
    testing::Values(
        // bcalc: two existing buffers and one of the four operators
        AppendCase{"bcalc 0 / 1", 3, "x:0,1,2 y:0,1,1", none},
        AppendCase{"bcalc 1 - 0", 3, "x:0,1,2 y:0,0,0", none}, AppendCase{"bcalc 0 x 1", 2, "", none},
        AppendCase{"bcalc 0 + 7", 2, "", none}, AppendCase{"bcalc -1 + 0", 2, "", none},
        // one new buffer per buffer of the set, never revisited
        AppendCase{"smooth 1 all", 4, "", 3}, AppendCase{"datareduction 2 0", 3, "x:0.5,2.5 y:5,25", 2},
        AppendCase{"diff 1.5 0", 3, "x:0,1,2,3,4 y:10,10,10,10,10", 2},
        AppendCase{"integrate 0", 3, "x:0,1,2,3,4 y:0,5,20,45,80", 2},
        AppendCase{"integrate 1,0", 4, "x:0,1,2,3,4 y:0,5,20,45,80", 3},
        AppendCase{"linreg 0 10 all", 4, "x:0,1,2 y:0,10,20", 3}, AppendCase{"spline 2 2 0", 3, "", 2},
        AppendCase{"fftsmooth 0 0", 3, "", 2}, AppendCase{"fft 1 0", 3, "", none}));

class FunctionGenerator : public testing::TestWithParam<int> { };

TEST_P(FunctionGenerator, RunsOnlyForModesOneAndTwo)
{
    const int mode = GetParam();
    FakeMacroHost host;
    VexaDocument* doc = host.currentDocument({2});
    EXPECT_EQ(runMacro(host, QStringLiteral("fg %1 0 10 11 sin(x)").arg(mode)), QString());
    if (mode != 1 && mode != 2) {
        EXPECT_EQ(doc->bufferCount(), 1);
        return;
    }
    ASSERT_EQ(doc->bufferCount(), 2);
    const DataBuffer& b = *doc->DB[1];
    ASSERT_EQ(b.nop(), 11);
    for (int i = 0; i <= 10; ++i) {
        const double along = mode == 1 ? b.X[std::size_t(i)] : b.Y[std::size_t(i)];
        const double value = mode == 1 ? b.Y[std::size_t(i)] : b.X[std::size_t(i)];
        EXPECT_DOUBLE_EQ(along, i);
        EXPECT_NEAR(value, std::sin(i), 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(Macro, FunctionGenerator, testing::Values(0, 1, 2, 3));

// --- published results -------------------------------------------------------------------------

TEST(DataOperationCommands, RegressionsLeaveTheFitOfTheLastBuffer)
{
    FakeMacroHost host;
    ScriptedAlerts alerts;
    VexaDocument* doc = host.currentDocument({4, 4});
    addBuffer(doc, {0, 1, 2, 3}, {3, 5, 7, 9});
    EXPECT_EQ(runMacro(host, QStringLiteral("linreg 0 10 all")), QString());
    ASSERT_EQ(doc->bufferCount(), 6);
    const auto& GV = host.manager.GV;
    EXPECT_DOUBLE_EQ(GV.value(QStringLiteral("rega")), 3);
    EXPECT_DOUBLE_EQ(GV.value(QStringLiteral("regb")), 2);
    EXPECT_DOUBLE_EQ(GV.value(QStringLiteral("regr")), 1);
    EXPECT_EQ(GV.value(QStringLiteral("lastbuffer")), 5);
}

struct RegressionCase {
    const char* command;
    double a, b;
};

void PrintTo(const RegressionCase& c, std::ostream* os)
{
    *os << c.command;
}

class RegressionTypes : public testing::TestWithParam<RegressionCase> { };

TEST_P(RegressionTypes, FitTheirModel)
{
    const RegressionCase& c = GetParam();
    FakeMacroHost host;
    VexaDocument* doc = host.currentDocument();
    std::vector<double> x{1, 2, 3, 4, 5}, y;
    for (double v : x) {
        const QString type = QString::fromUtf8(c.command);
        y.push_back(type == QLatin1String("linreg")       ? c.a + c.b * v
                        : type == QLatin1String("logreg") ? c.a + c.b * std::log(v)
                                                          : c.a * std::exp(c.b * v));
    }
    addBuffer(doc, x, y);
    EXPECT_EQ(runMacro(host, QStringLiteral("%1 1 5 0").arg(QString::fromUtf8(c.command))), QString());
    ASSERT_EQ(doc->bufferCount(), 2);
    EXPECT_NEAR(host.manager.GV.value(QStringLiteral("rega")), c.a, 1e-9);
    EXPECT_NEAR(host.manager.GV.value(QStringLiteral("regb")), c.b, 1e-9);
    EXPECT_NEAR(host.manager.GV.value(QStringLiteral("regr")), 1, 1e-9);
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(doc->DB[1]->Y[i], y[i], 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Macro, RegressionTypes,
                         testing::Values(RegressionCase{"linreg", 1, 2}, RegressionCase{"logreg", 1, 3},
                                         RegressionCase{"expreg", 2, 0.5}));

TEST(DataOperationCommands, CalcintLeavesTheIntegralOfTheLastBuffer)
{
    FakeMacroHost host;
    VexaDocument* doc = host.currentDocument({5, 3});
    EXPECT_EQ(runMacro(host, QStringLiteral("calcint 0 4 0")), QString());
    EXPECT_EQ(host.manager.GV.value(QStringLiteral("integral")), 80);
    EXPECT_TRUE(doc->DB[0]->comment.endsWith(QStringLiteral(", int(0,0-4)=80")));
    // Buffer 0 integrates from x = 1 to 3, buffer 1 from 1 to 2.
    EXPECT_EQ(runMacro(host, QStringLiteral("calcint 1.5 2.5 all")), QString());
    EXPECT_EQ(host.manager.GV.value(QStringLiteral("integral")), 15);
    EXPECT_TRUE(doc->DB[0]->comment.endsWith(QStringLiteral(", int(0,1-3)=40")));
    EXPECT_EQ(doc->bufferCount(), 2);
}

// --- warnings of the operations -------------------------------------------------------------

struct WarningCase {
    std::vector<double> x;
    const char* source;
    std::vector<int> answers;
    const char* alert; // "title: message" of the one alert shown
    int buffers; // afterwards
};

void PrintTo(const WarningCase& c, std::ostream* os)
{
    *os << c.source << " answered " << (c.answers.empty() ? -1 : c.answers.front());
}

class OperationWarnings : public testing::TestWithParam<WarningCase> { };

TEST_P(OperationWarnings, AskTheUserAndTheCommandReportsNothing)
{
    const WarningCase& c = GetParam();
    FakeMacroHost host;
    ScriptedAlerts alerts;
    for (int a : c.answers)
        alerts.answer(a);
    VexaDocument* doc = host.currentDocument();
    std::vector<double> y;
    for (double v : c.x)
        y.push_back(10 * v);
    addBuffer(doc, c.x, y);
    EXPECT_EQ(runMacro(host, QString::fromUtf8(c.source)), QString());
    ASSERT_EQ(alerts.requests().size(), 1u);
    const Alert::Request& r = alerts.requests().front();
    EXPECT_EQ(r.title + QStringLiteral(": ") + r.message, QString::fromUtf8(c.alert));
    EXPECT_EQ(doc->bufferCount(), c.buffers);
}

constexpr const char* unsorted
    = "Unsorted Buffer: for this operation your need a buffer with sorted X values";
constexpr const char* uneven
    = "Buffer has not a const. Dx and/or is unsorted!: Fourier transform works not correctly!";

INSTANTIATE_TEST_SUITE_P(
    Macro, OperationWarnings,
    testing::Values(
        // unsorted data: "Sort" sorts and goes on, "Cancel" makes nothing
        WarningCase{{0, 2, 1, 3}, "integrate 0", {1}, unsorted, 1},
        WarningCase{{0, 2, 1, 3}, "integrate 0", {0}, unsorted, 2},
        WarningCase{{0, 2, 1, 3}, "diff 1.5 0", {1}, unsorted, 1},
        WarningCase{{0, 2, 1, 3}, "bcalc 0 + 0", {1}, unsorted, 1},
        // uneven spacing: "Continue" goes on, "Cancel" makes nothing
        WarningCase{{0, 1, 3, 4}, "fft 1 0", {1}, uneven, 1},
        WarningCase{{0, 1, 3, 4}, "fft 1 0", {0}, uneven, 2},
        WarningCase{{0, 1, 3, 4}, "fftsmooth 1 0", {1}, uneven, 1},
        // equal x values
        WarningCase{
            {0, 1, 1, 2},
            "spline 2 2 0",
            {},
            "Error in spline calculation for buffer 0: Can not calculate spline interpolation for data with "
            "equal X-values",
            1},
        // failures of the operations
        WarningCase{{0, 1, 2, 3}, "linreg 100 200 0", {}, "To few points: ", 1},
        WarningCase{
            {0, 1, 2, 3}, "diff 0.5 0", {}, "Differentiate calculation error: Interval is to small", 1},
        WarningCase{{0, 1, 2, 3},
                    "datareduction 3 0",
                    {},
                    "To Few Points: this buffer contain to few points for data reduction with this factor",
                    2}));

TEST(DataOperationCommands, TheUnsortedBufferIsSortedInPlaceWhenTheUserAgrees)
{
    FakeMacroHost host;
    ScriptedAlerts alerts{0};
    VexaDocument* doc = host.currentDocument();
    addBuffer(doc, {0, 2, 1, 3}, {0, 20, 10, 30});
    EXPECT_EQ(runMacro(host, QStringLiteral("integrate 0")), QString());
    EXPECT_EQ(describe(*doc->DB[0]), QStringLiteral("x:0,1,2,3 y:0,10,20,30"));
    EXPECT_EQ(describe(*doc->DB[1]), QStringLiteral("x:0,1,2,3 y:0,5,20,45"));
}

// The questions of the model and of io, as the controller asks them: each
// with its alert, the first button going on, the second cancelling.
TEST(DataOperationCommands, QuestionsAreAskedWithTheirAlerts)
{
    struct Case {
        const char* what;
        bool (AlertQuestions::*ask)();
        const char* title;
        const char* message;
        QStringList buttons;
    };
    const Case cases[] = {
        {"unsorted buffer",
         &AlertQuestions::sortUnsortedBuffer,
         "Unsorted Buffer",
         "for this operation your need a buffer with sorted X values",
         {"Sort", "Cancel"}},
        {"partial record",
         &AlertQuestions::readWholeRecordsOnly,
         "Binary Import Error",
         "file does not match byte count",
         {"Continue", "Cancel"}},
        {"uneven spacing",
         &AlertQuestions::continueWithUnevenSpacing,
         "Buffer has not a const. Dx and/or is unsorted!",
         "Fourier transform works not correctly!",
         {"Continue", "Cancel"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAlerts alerts{0, 1};
        AlertQuestions& questions = AlertQuestions::instance();
        EXPECT_TRUE((questions.*c.ask)());
        EXPECT_FALSE((questions.*c.ask)());
        ASSERT_EQ(alerts.requests().size(), 2u);
        for (const Alert::Request& r : alerts.requests()) {
            EXPECT_EQ(r.title, QLatin1String(c.title));
            EXPECT_EQ(r.message, QLatin1String(c.message));
            EXPECT_EQ(r.buttons, c.buttons);
        }
    }
}

// A bad argument stops the run before the operation.
TEST(DataOperationCommands, ArgumentErrorsStopTheRunBeforeTheOperation)
{
    FakeMacroHost host;
    VexaDocument* doc = host.currentDocument({5});
    EXPECT_EQ(runMacro(host, QStringLiteral("movex 0 1\nprint b")),
              QStringLiteral("Wrong number of arguments: movex 0 1\n"));
    EXPECT_EQ(describe(*doc->DB[0]), QString::fromUtf8(B0));
    host.console.clear();
    EXPECT_EQ(
        runMacro(host, QStringLiteral("smooth 1+ 0\nprint b")).startsWith(QStringLiteral("syntax error")),
        true);
    EXPECT_EQ(doc->bufferCount(), 1);
}

TEST(DataOperationCommands, EveryFormIsBuilt)
{
    const MacroCommandTable& t = MacroCommandTable::instance();
    for (const char* name :
         {"fg",     "bcalc",       "calc",       "swapxy",      "normx",      "normy",         "movex",
          "movey",  "cutoutsidex", "cutinsidex", "cutoutsidey", "cutinsidey", "calcint",       "linreg",
          "logreg", "expreg",      "linbg",      "smooth",      "fftsmooth",  "datareduction", "spline",
          "diff",   "fft",         "integrate",  "setxval",     "setyval",    "setxeval",      "setyeval"}) {
        const auto& forms = t.formsNamed(QLatin1String(name));
        ASSERT_EQ(forms.size(), 1u) << name;
        EXPECT_TRUE(forms.front()->built) << name;
    }
}

} // namespace
