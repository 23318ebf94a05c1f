// Scaling, buffer, data-point, interaction and miscellaneous commands, run
// as macros through the real tokeniser on a scripted host.

#include "MacroFakes.h"

#include "model/DocumentFunctions.h"
#include "platform/Alert.h"
#include "platform/CNumber.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace {

// The fake host, plus the buffer-list selection, the file panel and the
// application requests these commands make.
class CommandHost : public FakeMacroHost {
public:
    std::optional<QString> panelAnswer;
    QStringList panelRequests; // "title|directory"
    QStringList appRequests; // "hide", "close", "terminate"

    void setSelectedBufferRows(const std::vector<int>& rows) override { manager.selectedRows = rows; }
    std::optional<QString> openFilePanel(const QString& title, const QString& directory) override
    {
        panelRequests << title + QLatin1Char('|') + directory;
        return panelAnswer;
    }
    void hideApplication() override { appRequests << QStringLiteral("hide"); }
    void closeDocumentWindow(VexaDocument* document) override
    {
        appRequests << QStringLiteral("close");
        // As the application does when a window closes.
        Macro::documentWillClose(document);
    }
    void terminateApplication() override { appRequests << QStringLiteral("terminate"); }

    // A current document of four buffers with 1, 2, 3 and 4 points, their
    // comments "b0".."b3", sources "s0".."s3"; row 1 selected.
    VexaDocument* fourBuffers()
    {
        VexaDocument* d = currentDocument({1, 2, 3, 4});
        for (int i = 0; i < 4; ++i) {
            d->DB[std::size_t(i)]->setComment(QStringLiteral("b%1").arg(i));
            d->DB[std::size_t(i)]->setSource(QStringLiteral("s%1").arg(i));
        }
        manager.selectedRows = {1};
        return d;
    }
};

QString num(double v)
{
    return QString::fromStdString(CNumber::format("%g", v));
}

QString ranges(const VexaDocument& d)
{
    QStringList parts;
    for (double v : {d.xmin1, d.xmax1, d.ymin1, d.ymax1, d.xmin2, d.xmax2, d.ymin2, d.ymax2})
        parts << num(v);
    return parts.join(QLatin1Char(' '));
}

// --- scaling --------------------------------------------------------------------------------

struct RangeCase {
    const char* source;
    const char* ranges; // xmin1 xmax1 ymin1 ymax1 xmin2 xmax2 ymin2 ymax2
};

void PrintTo(const RangeCase& c, std::ostream* os)
{
    *os << c.source;
}

class RangeCommands : public testing::TestWithParam<RangeCase> { };

TEST_P(RangeCommands, SetTheAxesOfTheirSetOrZoomTheirPair)
{
    CommandHost host;
    VexaDocument* d = host.currentDocument(); // every range 0..1
    runMacro(host, QString::fromUtf8(GetParam().source));
    EXPECT_EQ(ranges(*d), QString::fromUtf8(GetParam().ranges)) << host.console.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Macro, RangeCommands,
    testing::Values(RangeCase{"range all 0 5", "0 5 0 5 0 5 0 5"}, // each axis reads what the one before left
                    RangeCase{"range bottom 2 3", "2 3 0 1 0 1 0 1"},
                    RangeCase{"range y -1 1", "0 1 -1 1 0 1 -1 1"},
                    RangeCase{"range Top 4 8", "0 1 0 1 4 8 0 1"},
                    RangeCase{"range 4 -2 2", "0 1 0 1 0 1 -2 2"},
                    RangeCase{"range 5 0 9", "0 1 0 1 0 1 0 1"}, // no such axis
                    RangeCase{"range bottom 2 2", "0 1 0 1 0 1 0 1"}, // equal ends
                    RangeCase{"range x 0 1/0", "0 1 0 1 0 1 0 1"}, // not finite
                    RangeCase{"upscale 1", "-0.1 1.1 -0.1 1.1 0 1 0 1"},
                    RangeCase{"upscale second 2", "0 1 0 1 -0.5 1.5 -0.5 1.5"},
                    RangeCase{"upscale both", "-0.1 1.1 -0.1 1.1 -0.1 1.1 -0.1 1.1"},
                    RangeCase{"downscale first", "0.1 0.9 0.1 0.9 0 1 0 1"},
                    RangeCase{"downscale 0 4", "0.25 0.75 0.25 0.75 0.25 0.75 0.25 0.75"},
                    RangeCase{"upscale 3 2", "0 1 0 1 0 1 0 1"}, RangeCase{"upscale -1", "0 1 0 1 0 1 0 1"},
                    RangeCase{"upscale First", "0 1 0 1 0 1 0 1"})); // no such variable: an error

TEST(ScalingCommands, RescaleChoosesThePairByNumberOrExactWord)
{
    const struct {
        const char* source;
        bool first, second; // which pairs were fitted
    } cases[] = {
        {"rescale", true, true},        {"rescale first", true, false}, {"rescale second", false, true},
        {"rescale both", true, true},   {"rescale 1", true, false},     {"rescale 2", false, true},
        {"rescale Second", true, true}, {"rescale 7", true, true},      {"rescale 2.9", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        CommandHost host;
        VexaDocument* d = host.currentDocument({3, 3}); // x 0..2, y 0..20
        d->DB[1]->belongx = 2;
        d->DB[1]->belongy = 2;
        runMacro(host, QString::fromUtf8(c.source));
        EXPECT_TRUE(host.errors.isEmpty());
        EXPECT_EQ(d->ymax1 > 10, c.first) << ranges(*d).toStdString();
        EXPECT_EQ(d->ymax2 > 10, c.second) << ranges(*d).toStdString();
    }
}

TEST(ScalingCommands, APairThatIsNeitherWordNorNumberStopsTheRun)
{
    CommandHost host;
    host.currentDocument();
    EXPECT_EQ(runMacro(host, QStringLiteral("upscale bogus\nprint b")),
              QStringLiteral("Undefined variable: bogus in bogus\n"));
    EXPECT_EQ(host.errors.size(), 1);
}

// --- buffers ------------------------------------------------------------------------------------

enum class Aspect { Comments, Sources, Shown, Belong, Selection, Current, Console };

struct BufferCase {
    const char* source;
    Aspect aspect;
    const char* expected;
};

void PrintTo(const BufferCase& c, std::ostream* os)
{
    *os << c.source;
}

QString describe(const CommandHost& host, const VexaDocument& d, Aspect aspect)
{
    QStringList parts;
    switch (aspect) {
    case Aspect::Selection:
        for (int row : host.manager.selectedRows)
            parts << QString::number(row);
        break;
    case Aspect::Current:
        return QString::number(d.current);
    case Aspect::Console:
        return host.console;
    default:
        for (const auto& b : d.DB) {
            if (aspect == Aspect::Comments)
                parts << b->comment;
            else if (aspect == Aspect::Sources)
                parts << b->source;
            else if (aspect == Aspect::Shown)
                parts << QString::number(b->show);
            else
                parts << QStringLiteral("%1%2").arg(b->belongx).arg(b->belongy);
        }
    }
    return parts.join(QLatin1Char(','));
}

class BufferCommands : public testing::TestWithParam<BufferCase> { };

TEST_P(BufferCommands, ActOnEveryMemberOfTheirSet)
{
    CommandHost host;
    VexaDocument* d = host.fourBuffers();
    runMacro(host, QString::fromUtf8(GetParam().source));
    EXPECT_EQ(describe(host, *d, GetParam().aspect), QString::fromUtf8(GetParam().expected))
        << host.console.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Macro, BufferCommands,
    testing::Values(BufferCase{"select 2,0", Aspect::Selection, "0,2"},
                    BufferCase{"select none", Aspect::Selection, ""},
                    BufferCase{"select 9", Aspect::Selection, ""},
                    BufferCase{"invertselection", Aspect::Selection, "0,2,3"},
                    BufferCase{"select all\ninvertselection", Aspect::Selection, ""},
                    BufferCase{"setcurrent 2", Aspect::Current, "2"},
                    BufferCase{"setcurrent 4", Aspect::Current, "0"},
                    BufferCase{"hide 0..2", Aspect::Shown, "0,0,0,1"},
                    BufferCase{"hide all\nshow 3,1", Aspect::Shown, "0,1,0,1"},
                    BufferCase{"delete 1,3", Aspect::Comments, "b0,b2"},
                    BufferCase{"delete selected", Aspect::Comments, "b0,b2,b3"},
                    BufferCase{"duplicate 2,0", Aspect::Comments, "b0,b1,b2,b3,b2,b0"},
                    BufferCase{"setcomment 1..2 new", Aspect::Comments, "b0,new,new,b3"},
                    BufferCase{"setcomment 0 1/4", Aspect::Comments, "0.25,b1,b2,b3"},
                    BufferCase{"addcomment 3 'more text'", Aspect::Comments, "b0,b1,b2,b3 more text"},
                    BufferCase{"setsource 3 x", Aspect::Sources, "s0,s1,s2,x"},
                    BufferCase{"addsource all y", Aspect::Sources, "s0 y,s1 y,s2 y,s3 y"},
                    BufferCase{"getcomment 2 $c\nprint $c", Aspect::Console, "b2 "},
                    BufferCase{"getsource 1 c\nsetcomment 1 z\nprint $c", Aspect::Console, "s1 "},
                    BufferCase{"getcomment 9 c\nprint $c", Aspect::Console, "$c "},
                    BufferCase{"belongx 0 top", Aspect::Belong, "21,11,11,11"},
                    BufferCase{"belongy 1,2 right\nbelongy 2 left", Aspect::Belong, "11,12,11,11"},
                    BufferCase{"belongx all 2", Aspect::Belong, "21,21,21,21"},
                    BufferCase{"belongx 0 Top\nbelongx 1 3\nbelongy 2 top", Aspect::Belong, "11,11,11,11"}));

TEST(BufferCommands, DeleteRemovesWhatWasFlaggedBeforeAndForgetsTheScratchBuffer)
{
    CommandHost host;
    VexaDocument* d = host.fourBuffers();
    d->DB[2]->setRm();
    Macro m(QStringLiteral("t"), QStringLiteral("dataloop 2\nendloop\ndelete none"), 0, 0);
    m.run(host);
    EXPECT_EQ(describe(host, *d, Aspect::Comments), QStringLiteral("b0,b1,b3"));
    EXPECT_EQ(m.DB, nullptr);
}

// --- data points -----------------------------------------------------------------------------------

// Every point of every buffer: "x,y" or "x,y,ex,ey", points by ";",
// buffers by "|".
QString points(const VexaDocument& d)
{
    QStringList buffers;
    for (const auto& b : d.DB) {
        QStringList pts;
        for (int i = 0; i < b->nop(); ++i) {
            QStringList v{num(b->x(i)), num(b->y(i))};
            if (b->haserror())
                v << num(b->xe(i)) << num(b->ye(i));
            pts << v.join(QLatin1Char(','));
        }
        buffers << pts.join(QLatin1Char(';'));
    }
    return buffers.join(QLatin1Char('|'));
}

struct PointCase {
    const char* source;
    const char* points;
};

void PrintTo(const PointCase& c, std::ostream* os)
{
    *os << c.source;
}

class PointCommands : public testing::TestWithParam<PointCase> { };

TEST_P(PointCommands, EditExistingPointsOnly)
{
    CommandHost host;
    VexaDocument* d = host.currentDocument({2}); // (0,0) (1,10)
    runMacro(host, QString::fromUtf8(GetParam().source));
    EXPECT_EQ(points(*d), QString::fromUtf8(GetParam().points)) << host.console.toStdString();
    EXPECT_TRUE(host.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Macro, PointCommands,
    testing::Values(PointCase{"addvalue 0 2 20", "0,0;1,10;2,20"},
                    PointCase{"addvalue 0 2 20 0.1", "0,0;1,10;2,20"}, // one error alone is ignored
                    PointCase{"addvalue 0 2 20 0.1 0.2", "0,0,0,0;1,10,0,0;2,20,0.1,0.2"},
                    PointCase{"addvalue 1 2 20", "0,0;1,10"}, PointCase{"setxvalue 0 1 5", "0,0;5,10"},
                    PointCase{"setyvalue 0 0 -1", "0,-1;1,10"},
                    PointCase{"setxerror 0 1 0.5", "0,0,0,0;1,10,0.5,0"},
                    PointCase{"setyerror 0 0 0.5", "0,0,0,0.5;1,10,0,0"},
                    PointCase{"setxvalue 0 2 5\nsetyvalue 0 -1 5\nsetxerror 1 0 1", "0,0;1,10"},
                    PointCase{"rmvalue 0 0", "1,10"}, PointCase{"rmvalue 0 2\nrmvalue 3 0", "0,0;1,10"},
                    PointCase{"newbuffer\naddvalue nb-1 3 4", "0,0;1,10|3,4"}));

// --- interaction ----------------------------------------------------------------------------------------

TEST(InteractionCommands, AskStopsTheRunOnlyWhenCancelled)
{
    for (int answer : {0, 1}) {
        CommandHost host;
        host.currentDocument();
        ScriptedAlerts alerts{answer};
        EXPECT_EQ(runMacro(host, QStringLiteral("ask 'Go on, $user?' x y\nprint after")),
                  answer == 0 ? QStringLiteral("after ") : QString());
        EXPECT_TRUE(host.errors.isEmpty());
        ASSERT_EQ(alerts.requests().size(), 1u);
        const Alert::Request& r = alerts.requests().front();
        EXPECT_EQ(r.title, QStringLiteral("Macro stopped!"));
        EXPECT_EQ(r.message, QStringLiteral("Go on, %1?").arg(host.SV.value(QStringLiteral("user"))));
        EXPECT_EQ(r.buttons, (QStringList{QStringLiteral("Continue"), QStringLiteral("Cancel")}));
    }
}

TEST(InteractionCommands, AskoptionSetsOptionFromTheButton)
{
    for (int answer : {0, 1}) {
        CommandHost host;
        host.currentDocument();
        ScriptedAlerts alerts{answer};
        EXPECT_EQ(runMacro(host, QStringLiteral("askoption 'Go on?' Yes No\nprint option")),
                  answer == 0 ? QStringLiteral("1 ") : QStringLiteral("0 "));
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests().front().buttons,
                  (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    }
}

TEST(InteractionCommands, InputLandsInTheStringAndTheNumericVariable)
{
    CommandHost host;
    host.currentDocument();
    ScriptedAlerts alerts;
    alerts.answerInput(QStringLiteral("12.5"));
    alerts.cancelInput();
    EXPECT_EQ(
        runMacro(host, QStringLiteral("input 'step?'\nprint $input input*2\ninput\nprint x$input input")),
        QStringLiteral("12.5 25 \nx 0 "));
    ASSERT_EQ(alerts.inputRequests().size(), 2u);
    EXPECT_EQ(alerts.inputRequests()[0].message, QStringLiteral("step?"));
    EXPECT_EQ(alerts.inputRequests()[1].message, QStringLiteral("Enter value"));
    EXPECT_EQ(alerts.inputRequests()[1].defaultText, QStringLiteral("12.5")); // the last answer
}

TEST(InteractionCommands, BrowseRemembersTheFolderOnlyWhenConfirmed)
{
    CommandHost host;
    host.folder = QStringLiteral("~/data");
    host.currentDocument();
    runMacro(host, QStringLiteral("browse"));
    ASSERT_EQ(host.panelRequests.size(), 1);
    EXPECT_EQ(host.panelRequests[0], QStringLiteral("Select File|%1/data").arg(QDir::homePath()));
    EXPECT_FALSE(host.SV.contains(QStringLiteral("file")));
    EXPECT_EQ(host.folder, QStringLiteral("~/data"));

    const QString chosen = TestSupport::scratchDir() + QStringLiteral("/in.txt");
    host.panelAnswer = chosen;
    runMacro(host, QStringLiteral("browse"));
    EXPECT_EQ(host.SV.value(QStringLiteral("file")), chosen);
    EXPECT_EQ(host.folder, TestSupport::scratchDir());
}

TEST(InteractionCommands, SetwarnIsOnOnlyForOne)
{
    for (const auto& [value, warnings] : {std::pair{"0", 0}, {"1", 1}, {"2", 0}, {"1.5", 1}}) {
        CommandHost host;
        host.currentDocument();
        host.manager.warnings = 1 - warnings;
        runMacro(host, QStringLiteral("setwarn %1").arg(QLatin1String(value)));
        EXPECT_EQ(host.manager.warnings, warnings) << value;
    }
}

// --- miscellany ------------------------------------------------------------------------------------------

TEST(MiscCommands, ColormodeTakesOnlyZeroOrOne)
{
    const struct {
        const char* source;
        int mode;
    } cases[] = {{"colormode 1", 1},
                 {"colormode 2", 0},
                 {"colormode 1\ncolormode -1", 1},
                 {"colormode 1\ncolormode 0", 0}};
    for (const auto& c : cases) {
        CommandHost host;
        host.currentDocument();
        Macro m(QStringLiteral("t"), QString::fromUtf8(c.source), 0, 0);
        m.run(host);
        EXPECT_EQ(m.colormode, c.mode) << c.source;
    }
}

TEST(MiscCommands, HideappAndQuitappAskTheApplication)
{
    CommandHost host;
    VexaDocument* d = host.currentDocument();
    EXPECT_EQ(runMacro(host, QStringLiteral("hideapp\nprint a\nquitapp\nprint b")), QStringLiteral("a "));
    EXPECT_EQ(host.appRequests,
              (QStringList{QStringLiteral("hide"), QStringLiteral("close"), QStringLiteral("terminate")}));
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(d->bufferCount(), 0); // still there: the host owns it
}

// --- the example macro -------------------------------------------------------------------------------------

TEST(ExampleMacro, BuildsItsGraphFromNothing)
{
    QFile file(QStringLiteral(VEXA_FIXTURES "/../../resources/examples/build-graph.mac"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    CommandHost host;
    VexaDocument* d = host.currentDocument();
    // The expression functions that read buffers read the controller's
    // document, as in the application.
    DocumentFunctions functions(host.manager);
    ExpressionDocumentFunctions::install(&functions);
    host.manager.CPD = d;
    const QString console = runMacro(host, QString::fromLatin1(file.readAll()));
    ExpressionDocumentFunctions::install(nullptr);
    EXPECT_TRUE(host.errors.isEmpty()) << console.toStdString();
    EXPECT_EQ(console, QStringLiteral("damped oscillation: 41 points, last amplitude 0.082 \nbuffers 2 "));
    ASSERT_EQ(d->bufferCount(), 2);
    EXPECT_EQ(d->DB[0]->nop(), 41);
    EXPECT_TRUE(d->DB[0]->haserror());
    EXPECT_EQ(d->DB[1]->nop(), 21);
    EXPECT_EQ(d->DB[1]->belongx, 2);
    EXPECT_EQ(d->DB[1]->belongy, 2);
    EXPECT_EQ(host.manager.selectedRows, (std::vector<int>{0, 1}));
    EXPECT_DOUBLE_EQ(d->xmin1, 0);
    EXPECT_DOUBLE_EQ(d->xmax1, 10);
    EXPECT_DOUBLE_EQ(d->ymax2, 1.2);
    // Its look: both axis pairs, the legend, the frame and the buffers.
    for (const AxisSettings& a : d->axes)
        EXPECT_EQ(a.axis, 1);
    EXPECT_EQ(d->axes[AxisY2].axistext, QStringLiteral("envelope"));
    EXPECT_EQ(d->axes[AxisX2].tickcolor, QColor(Qt::red));
    EXPECT_EQ(d->axes[AxisY1].gridfront, 0);
    EXPECT_EQ(d->legend.plotlegend, 1);
    EXPECT_EQ(d->legend.legendalign, 2);
    EXPECT_EQ(d->page.framewidth, 1.5);
    EXPECT_EQ(d->DB[0]->style.plotsymbols, 1);
    EXPECT_EQ(d->DB[0]->errorbars.errorbary, 3);
    EXPECT_EQ(d->DB[1]->style.dash, 2);
}

} // namespace
