// Perl filters and imports run with the real perl and the program's own
// scripts: buffers and variables both ways, the log and perl's errors on the
// console, stops, time-outs, damaged results and the temporary files.

#include "MacroFakes.h"

#include "macro/PerlJob.h"
#include "model/DataBuffer.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

template <class Condition> bool spinUntil(Condition done, int ms = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        Macro::waitProcessingEvents(0.01);
    return done();
}

// Runs a stored perl macro as the editor's Execute button does and waits
// for its job to end.
void runPerl(FakeMacroHost& host, Macro& m)
{
    m.run(host);
    ASSERT_TRUE(spinUntil([&] { return m.MAP == PerlJobState::Idle; }));
}

std::vector<double> column(const std::vector<double>& v)
{
    return v;
}

// The script path that perl saw, from a log line "script <path>".
QString scriptPathIn(const QString& console)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("script (\\S+)")).match(console);
    return match.hasMatch() ? match.captured(1) : QString();
}

TEST(PerlFilter, DoublesTheYOfTheSelectedBuffersIntoNewOnes)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({3, 2, 4});
    d->DB[2]->addError();
    d->DB[2]->setYDoubleErrorAt(1, 0.5);
    d->DB[0]->comment = QStringLiteral("first");
    host.manager.selectedRows = {2, 0, 7}; // row 7 has no buffer
    Macro m(QStringLiteral("double"),
            // The code's own pragmas reach to the end of the script.
            QStringLiteral("use strict; use warnings;\n"
                           "for my $b (@B) {\n"
                           "  push @R, { x => $b->{x}, y => [map { 2 * $_ } @{$b->{y}}],\n"
                           "             ($b->{ey} ? (ex => $b->{ex}, ey => $b->{ey}) : ()),\n"
                           "             comment => \"doubled $b->{comment}\" };\n"
                           "}\n"),
            0, MacroTypePerlFilter);
    runPerl(host, m);
    EXPECT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
    ASSERT_EQ(d->bufferCount(), 5);
    const DataBuffer& a = *d->DB[3];
    EXPECT_EQ(a.X, column({0, 1, 2}));
    EXPECT_EQ(a.Y, column({0, 20, 40}));
    EXPECT_FALSE(a.haserror());
    EXPECT_EQ(a.comment, QStringLiteral("doubled first"));
    EXPECT_EQ(a.source, QStringLiteral("perl import"));
    const DataBuffer& b = *d->DB[4];
    EXPECT_EQ(b.Y, column({0, 20, 40, 60}));
    EXPECT_EQ(b.EY, column({0, 0.5, 0, 0}));
    EXPECT_EQ(b.EX, column({0, 0, 0, 0}));
    EXPECT_EQ(host.manager.GV.value(QStringLiteral("lastbuffer")), 4);
    // The editor was told the job ran and then that it ended.
    EXPECT_EQ(host.executeTitle, QStringLiteral("Execute"));
    EXPECT_FALSE(host.progressShown);
    EXPECT_GE(host.selectedMacroShown, 1);
}

TEST(PerlFilter, TakesAndGivesVariablesAndShowsTheLog)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({2});
    host.manager.setVar(QStringLiteral("a"), 2.5);
    host.SV.insert(QStringLiteral("name"),
                   QString::fromUtf8("Gr\xc3\xb6\xc3\x9f"
                                     "e"));
    host.SV.insert(QStringLiteral("keep"), QStringLiteral("as it was"));
    Macro m(QStringLiteral("vars"),
            QString::fromUtf8("$V{b} = $V{a} * 3;\n"
                              "$S{greeting} = \"hello $S{name} \xc3\xa9\";\n"
                              "$S{keep} = '';\n" // an empty value sets nothing
                              "print \"buffers: \", scalar(@B), \"\\n\";\n"
                              "warn \"careful\\n\";\n"),
            0, MacroTypePerlFilter);
    runPerl(host, m);
    EXPECT_EQ(host.manager.GV.value(QStringLiteral("b")), 7.5);
    EXPECT_EQ(host.SV.value(QStringLiteral("greeting")),
              QString::fromUtf8("hello Gr\xc3\xb6\xc3\x9f"
                                "e \xc3\xa9"));
    EXPECT_EQ(host.SV.value(QStringLiteral("keep")), QStringLiteral("as it was"));
    // No selection: no buffer went to perl, none came back; the document
    // was still rescaled.
    EXPECT_EQ(d->bufferCount(), 1);
    EXPECT_EQ(host.console, QStringLiteral("buffers: 0\ncareful\n"));
    EXPECT_TRUE(host.errors.isEmpty());
}

TEST(PerlImport, MakesBuffersFromTheChosenFile)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument();
    const QString path = TestSupport::scratchDir() + QStringLiteral("/import it.dat");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("1 10 0.5\n2 20 0.25\n3 30 0\n");
    }
    host.openedPath = path;
    Macro m(QStringLiteral("import"),
            QStringLiteral("my (@x, @y, @e);\n"
                           "while (<>) { my ($a, $b, $c) = split; push @x, $a; push @y, $b; push @e, $c; }\n"
                           "push @R, { x => \\@x, y => \\@y, ey => \\@e, source => $file };\n"
                           "push @R, { y => [7, 8] };\n"),
            0, MacroTypePerlImport);
    runPerl(host, m);
    EXPECT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
    EXPECT_EQ(host.openPanelTitle, QStringLiteral("Perl Import"));
    ASSERT_EQ(d->bufferCount(), 2);
    EXPECT_EQ(d->DB[0]->X, column({1, 2, 3}));
    EXPECT_EQ(d->DB[0]->EY, column({0.5, 0.25, 0}));
    EXPECT_EQ(d->DB[0]->source, path);
    EXPECT_EQ(d->DB[1]->X, column({0, 1}));
    EXPECT_EQ(d->DB[1]->Y, column({7, 8}));
    // The panel's folder is remembered.
    EXPECT_EQ(host.folder, TestSupport::scratchDir());

    // Cancel does nothing.
    host.openedPath.reset();
    m.run(host);
    EXPECT_EQ(m.MAP, PerlJobState::Idle);
    EXPECT_EQ(d->bufferCount(), 2);
}

// Large buffers cross the streams in pieces: the input is read a megabyte at
// a time and taken apart a few thousand points at a time, the result written
// a few thousand points at a time. Every point, in both input layouts and
// each of the four result layouts, must come back where it belongs, whether
// or not the last piece is full.
struct LargeCase {
    int points;
    bool errors; // the input buffer has x and y errors (i / 4, i / 2)
};

void PrintTo(const LargeCase& c, std::ostream* os)
{
    *os << c.points << (c.errors ? " with errors" : "");
}

class PerlLargeBuffers : public testing::TestWithParam<LargeCase> { };

TEST_P(PerlLargeBuffers, ComeBackWholeInEveryLayout)
{
    const int n = GetParam().points;
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({n});
    if (GetParam().errors) {
        DataBuffer& b = *d->DB[0];
        b.addError();
        double* ex = b.EX.mutableData();
        double* ey = b.EY.mutableData();
        for (int i = 0; i < n; ++i) {
            ex[i] = i / 4.0;
            ey[i] = i / 2.0;
        }
        b.rescale();
    }
    host.manager.selectedRows = {0};
    // Errors the input lacks are made as the input would have had them.
    Macro m(QStringLiteral("layouts"),
            QStringLiteral("my $b = $B[0];\n"
                           "my ($x, $y) = @$b{qw(x y)};\n"
                           "$V{errors} = $b->{ey} ? 1 : 0;\n"
                           "my $half = $b->{ey} || [map { $_ / 2 } @$x];\n"
                           "my $quarter = $b->{ex} || [map { $_ / 4 } @$x];\n"
                           "push @R, { y => $y, comment => 'one' },\n"
                           "  { x => $x, y => [map { -$_ } @$y], source => 'two' },\n"
                           "  { x => $x, y => $y, ey => $half, comment => 'three' },\n"
                           "  { x => $x, y => $y, ex => $quarter, ey => $half,\n"
                           "    comment => 'four', source => 'src' };\n"),
            0, MacroTypePerlFilter);
    runPerl(host, m);
    EXPECT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
    ASSERT_EQ(d->bufferCount(), 5);
    EXPECT_EQ(host.manager.GV.value(QStringLiteral("errors")), GetParam().errors ? 1 : 0);
    struct Expected {
        double ySign;
        bool errors;
        double exScale;
        const char* comment;
        const char* source;
    };
    const Expected expected[] = {{1, false, 0, "one", "perl import"},
                                 {-1, false, 0, "", "two"},
                                 {1, true, 0, "three", "perl import"},
                                 {1, true, 0.25, "four", "src"}};
    for (int k = 0; k < 4; ++k) {
        const DataBuffer& b = *d->DB[std::size_t(k) + 1];
        const Expected& e = expected[k];
        ASSERT_EQ(b.nop(), n) << k;
        EXPECT_EQ(b.haserror(), e.errors) << k;
        EXPECT_EQ(b.comment, QString::fromLatin1(e.comment)) << k;
        EXPECT_EQ(b.source, QString::fromLatin1(e.source)) << k;
        int wrong = -1;
        for (int i = 0; i < n && wrong < 0; ++i)
            if (b.x(i) != i || b.y(i) != e.ySign * 10 * i
                || (e.errors && (b.xe(i) != e.exScale * i || b.ye(i) != i / 2.0)))
                wrong = i;
        EXPECT_EQ(wrong, -1) << "layout " << k;
    }
}

// A single point; three full pieces; more than a megabyte of input and a
// last piece that is not full.
INSTANTIATE_TEST_SUITE_P(Perl, PerlLargeBuffers,
                         testing::Values(LargeCase{1, false}, LargeCase{3 * 4096, true},
                                         LargeCase{100001, false}, LargeCase{100001, true}));

// Perl's allocator is asked for huge pages; what the user set for the C
// library stays, a choice of their own about huge pages included.
TEST(PerlJob, AsksForHugePagesAndKeepsTheUsersTunables)
{
    const QByteArray saved = qgetenv("GLIBC_TUNABLES");
    const bool hadTunables = qEnvironmentVariableIsSet("GLIBC_TUNABLES");
    const struct {
        const char* given;
        const char* perlGets;
    } cases[] = {{"", "glibc.malloc.hugetlb=1"},
                 {"glibc.malloc.arena_max=2", "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1"},
                 {"glibc.malloc.hugetlb=0", "glibc.malloc.hugetlb=0"}};
    for (const auto& c : cases) {
        qputenv("GLIBC_TUNABLES", c.given);
        EXPECT_EQ(PerlJob::environment().value(QStringLiteral("GLIBC_TUNABLES")), QLatin1String(c.perlGets))
            << c.given;
    }
    if (hadTunables)
        qputenv("GLIBC_TUNABLES", saved);
    else
        qunsetenv("GLIBC_TUNABLES");
}

struct FailureCase {
    const char* code;
    const char* console; // a regular expression for the whole console
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.code;
}

class PerlFailures : public testing::TestWithParam<FailureCase> { };

// A failing or misbehaving script changes nothing in the document and
// reports why, in dark red.
TEST_P(PerlFailures, ChangeNothingAndSayWhy)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({2});
    host.manager.selectedRows = {0};
    Macro m(QStringLiteral("bad"), QString::fromUtf8(GetParam().code), 0, MacroTypePerlFilter);
    runPerl(host, m);
    EXPECT_EQ(d->bufferCount(), 1);
    EXPECT_FALSE(host.manager.GV.contains(QStringLiteral("v")));
    const QRegularExpression expected(QStringLiteral("\\A%1\\z").arg(QString::fromUtf8(GetParam().console)));
    EXPECT_TRUE(expected.match(host.console).hasMatch()) << host.console.toStdString();
    EXPECT_FALSE(host.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Perl, PerlFailures,
    testing::Values(
        // a syntax error names the line of the macro's code; the log is not shown
        FailureCase{"print \"log\";\n$V{v} = 1;\nmy $x = ;\n",
                    "exit code: 255\nsyntax error at macro line 3, near \"= ;\"\n[^\\n]*\n"},
        FailureCase{"die \"bad data\\n\";", "exit code: 255\nbad data\n"},
        FailureCase{"$V{v} = 1; exit 3;", "exit code: 3"},
        // a buffer whose columns differ
        FailureCase{"push @R, { x => [1, 2], y => [1] };",
                    "exit code: 255\nvexa: the columns of a buffer in @R "
                    "differ in length\n"},
        // a result cut short by hand
        FailureCase{
            "print {$Vexa::result} pack('l<', 3); close $Vexa::result; exit 0;",
            "the perl result ends early \\(4 bytes, more announced at byte 4\\); nothing was applied\n"},
        // binary garbage on a failure shows only the exit code
        FailureCase{"print {$Vexa::result} \"\\xff\\xfe\"; exit 1;", "exit code: 1"}));

TEST(PerlFilter, AnEarlyExitOfTheCodeLeavesNoResultAndNoError)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({2});
    Macro m(QStringLiteral("exit"), QStringLiteral("$V{v} = 1; exit 0;"), 0, MacroTypePerlFilter);
    runPerl(host, m);
    EXPECT_EQ(d->bufferCount(), 1);
    EXPECT_TRUE(host.console.isEmpty());
}

TEST(PerlFilter, RemovesItsScriptAndLogWhateverTheEnd)
{
    for (const char* end : {"", "die 'no';", "kill 'KILL', $$;"}) {
        FakeMacroHost host;
        host.currentDocument();
        Macro m(QStringLiteral("files"),
                QStringLiteral("print STDERR \"script $0\\n\"; print 'x';") + QLatin1String(end), 0,
                MacroTypePerlFilter);
        runPerl(host, m);
        const QString script = scriptPathIn(host.console);
        ASSERT_FALSE(script.isEmpty()) << host.console.toStdString();
        EXPECT_TRUE(QFileInfo(script).fileName().startsWith(QStringLiteral("vexa2_")));
        EXPECT_FALSE(QFileInfo::exists(script)) << end;
        EXPECT_FALSE(QFileInfo::exists(script + QStringLiteral(".log"))) << end;
    }
}

TEST(PerlFilter, ThePathsReachPerlOnlyAsArguments)
{
    // A file name that would be code if it were spliced into the script.
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument();
    const QString path = TestSupport::scratchDir() + QStringLiteral("/a'; die 'injected");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("5\n");
    }
    host.openedPath = path;
    Macro m(QStringLiteral("import"), QStringLiteral("my @y = <>; chomp @y; push @R, { y => \\@y };"), 0,
            MacroTypePerlImport);
    runPerl(host, m);
    EXPECT_TRUE(host.errors.isEmpty()) << host.console.toStdString();
    ASSERT_EQ(d->bufferCount(), 1);
    EXPECT_EQ(d->DB[0]->Y, column({5}));
}

TEST(PerlFilter, TheUsersStopEndsTheJobAndDropsItsResult)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({2});
    ScriptedAlerts alerts;
    Macro m(QStringLiteral("slow"), QStringLiteral("push @R, { y => [1] }; sleep 20;"), 0,
            MacroTypePerlFilter);
    QElapsedTimer clock;
    clock.start();
    m.run(host);
    EXPECT_EQ(m.MAP, PerlJobState::Running);
    EXPECT_EQ(host.executeTitle, QStringLiteral("Stop"));
    EXPECT_TRUE(host.progressShown);
    Macro::waitProcessingEvents(0.2);
    m.run(host); // the button, now titled Stop
    EXPECT_EQ(m.MAP, PerlJobState::Stopping);
    m.run(host); // once more while the stop is pending
    EXPECT_EQ(alerts.beeps(), 1);
    ASSERT_TRUE(spinUntil([&] { return m.MAP == PerlJobState::Idle; }));
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(d->bufferCount(), 1);
    EXPECT_TRUE(host.console.isEmpty()) << host.console.toStdString();
    EXPECT_EQ(host.executeTitle, QStringLiteral("Execute"));
    EXPECT_FALSE(host.progressShown);
}

TEST(PerlFilter, AResultForADocumentThatClosedMeanwhileOnlyBeeps)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({2});
    ScriptedAlerts alerts;
    Macro m(QStringLiteral("late"),
            QStringLiteral("select(undef, undef, undef, 0.3); push @R, { y => [1] };"), 0,
            MacroTypePerlFilter);
    m.run(host);
    Macro::documentWillClose(d);
    ASSERT_TRUE(spinUntil([&] { return m.MAP == PerlJobState::Idle; }));
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_EQ(d->bufferCount(), 1);
}

// The application goes away while a job runs (a test's controller, the
// end of a run): perl is ended and its end reaches no host and no document.
TEST(PerlFilter, AJobWhoseHostWentAwayIsEndedAndTellsNobody)
{
    Macro m(QStringLiteral("orphan"), QStringLiteral("sleep 30; push @R, { y => [1] };"), 0,
            MacroTypePerlFilter);
    QPointer<PerlJob> job;
    {
        FakeMacroHost host;
        host.currentDocument({2});
        m.run(host);
        job = m.task;
        ASSERT_TRUE(job);
    }
    ASSERT_TRUE(spinUntil([&] { return m.MAP == PerlJobState::Idle && !job; }));
}

TEST(PerlFilter, AMissingScriptIsReportedAsAnException)
{
    FakeMacroHost host;
    host.currentDocument();
    PerlJob::setScriptFolder(TestSupport::scratchDir() + QStringLiteral("/no such folder"));
    Macro m(QStringLiteral("x"), QStringLiteral("1;"), 0, MacroTypePerlFilter);
    runPerl(host, m);
    PerlJob::setScriptFolder(QString());
    EXPECT_EQ(host.console,
              QStringLiteral("Exception ResourceNotFound: the perl script pfpre.pl was not found\n"));
    EXPECT_EQ(host.executeTitle, QStringLiteral("Execute"));
}

TEST(PerlFilter, AResultBeyondTheLimitEndsPerlAndChangesNothing)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument();
    const qsizetype limit = PerlJob::maxOutputBytes();
    PerlJob::setMaxOutputBytes(1000);
    Macro m(QStringLiteral("big"), QStringLiteral("push @R, { y => [(1) x 1000] };"), 0, MacroTypePerlFilter);
    runPerl(host, m);
    PerlJob::setMaxOutputBytes(limit);
    EXPECT_EQ(d->bufferCount(), 0);
    EXPECT_EQ(host.console,
              QStringLiteral(
                  "the perl result is larger than 1000 bytes; perl was ended and nothing was applied\n"));
}

// The log cannot fill the disk: a write past the file-size limit fails, and
// so does the run (as it does on a full disk), instead of passing for a
// success with the output lost.
TEST(PerlFilter, ALogPastItsLimitFailsTheRunInsteadOfFillingTheDisk)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({2});
    host.manager.selectedRows = {0};
    const qint64 limit = PerlJob::maxFileBytes();
    PerlJob::setMaxFileBytes(64 * 1024);
    Macro m(QStringLiteral("loud"), QStringLiteral("print 'x' x 1000 for 1 .. 1000; push @R, { y => [1] };"),
            0, MacroTypePerlFilter);
    runPerl(host, m);
    PerlJob::setMaxFileBytes(limit);
    EXPECT_EQ(d->bufferCount(), 1);
    EXPECT_EQ(host.console,
              QStringLiteral("exit code: 255\nvexa: cannot write the log: %1\n")
                  .arg(QString::fromLocal8Bit(std::strerror(EFBIG))));
}

// --- from a running macro --------------------------------------------------------------------------

TEST(PerlCommands, AMacroWaitsForItsFilterAndSeesTheNewBuffers)
{
    FakeMacroHost host;
    host.currentDocument({3, 2});
    Macro stored(QStringLiteral("Twice"),
                 QStringLiteral("push @R, { y => [map { 2 * $_ } @{$_->{y}}] } for @B;"), 0,
                 MacroTypePerlFilter);
    Macro otherType(QStringLiteral("twice"), QStringLiteral("die;"), 0, MacroTypePerlImport);
    host.stored = {&otherType, &stored};
    EXPECT_EQ(runMacro(host,
                       QStringLiteral("perlfilter 1,0 TWICE\nprint nb lastbuffer\n"
                                      "perlfilter all\n"
                                      "<perl>\n$V{inline} = scalar(@B);\n</perl>\n"
                                      "print inline\n"
                                      "perlfilter all nosuchmacro\nprint nb")),
              QStringLiteral("4 3 \n4 \n4 "));
    VexaDocument* d = host.manager.PD;
    // Ascending buffer order, whatever order the set named.
    EXPECT_EQ(d->DB[2]->Y, column({0, 20, 40}));
    EXPECT_EQ(d->DB[3]->Y, column({0, 20}));
    EXPECT_EQ(host.GMAP.load(), PerlJobState::Idle);
}

TEST(PerlCommands, AnImportFromAMacroGetsThePathAsItIs)
{
    FakeMacroHost host;
    host.currentDocument();
    const QString path = TestSupport::scratchDir() + QStringLiteral("/values $name.txt");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("4\n5\n");
    }
    host.SV.insert(QStringLiteral("folder"), TestSupport::scratchDir());
    EXPECT_EQ(runMacro(host,
                       QStringLiteral("perlimport '$folder/values $name.txt'\n"
                                      "<perl>\nmy @y = <>; push @R, { y => \\@y };\n"
                                      "print \"from $file\";\n</perl>\nprint nb")),
              QStringLiteral("from %1\n1 ").arg(path));
}

TEST(PerlCommands, TheTimeOutEndsAHungScriptAndTheRunGoesOn)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument({1});
    QElapsedTimer clock;
    clock.start();
    const QString console = runMacro(host,
                                     QStringLiteral("perltimeout 0.5\nperlfilter all\n"
                                                    "<perl>\npush @R, { y => [1] }; sleep 20;\n</perl>\n"
                                                    "print after"));
    EXPECT_EQ(console,
              QStringLiteral("timeout on perl execution, you may set the timeout with 'perltimeout <sec>', "
                             "default is 10 sec\nafter "));
    EXPECT_EQ(host.GMAP.load(), PerlJobState::Idle);
    // The terminated job reports its end later, with the signal's number.
    ASSERT_TRUE(spinUntil([&] { return host.console.contains(QStringLiteral("exit code")); }));
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_TRUE(host.console.endsWith(QStringLiteral("after \nexit code: 15")));
    EXPECT_EQ(d->bufferCount(), 1);
}

TEST(PerlCommands, AScriptThatIgnoresTerminationIsKilled)
{
    FakeMacroHost host;
    host.currentDocument({1});
    QElapsedTimer clock;
    clock.start();
    // Time enough for perl to start and ignore the signal before it comes,
    // even on a busy machine.
    runMacro(host,
             QStringLiteral("perltimeout 2\nperlfilter all\n"
                            "<perl>\nBEGIN { $SIG{TERM} = 'IGNORE'; } sleep 30;\n</perl>\n"));
    ASSERT_TRUE(spinUntil([&] { return host.console.contains(QStringLiteral("exit code")); }));
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_TRUE(host.console.endsWith(QStringLiteral("exit code: 9")));
}

} // namespace
