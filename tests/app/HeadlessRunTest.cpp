// The built program run as a child process without a display: hidden runs
// that quit when their options are done, with the exit status telling
// whether the options worked.

#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QThread>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <csignal>
#include <sys/types.h>

namespace {

// build/.../tests/test_app -> build/.../src/app/vexa
QString programPath()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/vexa"))
        .absoluteFilePath();
}

using TestSupport::ChildRun;

ChildRun runProgram(const QStringList& arguments, const QString& workingDirectory,
                    const QString& display = QString(), const QString& program = programPath())
{
    return TestSupport::runChild(program, arguments, workingDirectory, display);
}

QString scratchFile(const QString& name, const QByteArray& bytes)
{
    const QString path = TestSupport::scratchDir() + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

class HeadlessRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(programPath()).isExecutable())
            GTEST_FAIL() << "the program is not built: " << programPath().toStdString();
    }
};

} // namespace

TEST_F(HeadlessRun, OptionsEndWithAStatusThatTellsWhetherTheyWorked)
{
    const QString data = scratchFile(QStringLiteral("run.txt"), "1 10 100\n2 20 200\n3 30 300\n");
    const QString macro = scratchFile(QStringLiteral("run.mac"), "newbuffer\n");
    const QString failing = scratchFile(QStringLiteral("fails.mac"), "newbuffer\nfoo 1\n");
    const QString missing = TestSupport::scratchDir() + QStringLiteral("/missing.txt");
    const struct {
        const char* what;
        QStringList arguments;
        QString display; // a display variable that leads nowhere
        int exitCode;
        const char* message; // expected on standard error; null: no message of ours
    } cases[] = {
        {"hidden, quits", {"-h", "yes", "-q", "yes"}, {}, 0, nullptr},
        {"imports", {"-i", data, "-h", "YES", "-q", "yes"}, {}, 0, nullptr},
        {"import fails", {"-i", missing, "-h", "yes", "-q", "yes"}, {}, 1, "vexa: cannot import"},
        {"macro", {"-m", macro, "-h", "yes", "-q", "yes"}, {}, 0, nullptr},
        {"macro fails", {"-m", failing, "-h", "yes", "-q", "yes"}, {}, 1, "Unkown command: foo 1"},
        {"macro missing",
         {"-m", missing, "-h", "yes", "-q", "yes"},
         {},
         1,
         "vexa: cannot read the macro file"},
        {"no display, not hidden", {"-f", "x", "-m", macro, "-q", "yes"}, {}, 0, nullptr},
        {"hidden needs no working display", {"-h", "yes", "-q", "yes"}, QStringLiteral(":97"), 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildRun r = runProgram(c.arguments, TestSupport::scratchDir(), c.display);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        if (c.message)
            EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
        else
            EXPECT_FALSE(r.err.contains(QStringLiteral("vexa:"))) << r.err.toStdString();
    }
}

// A batch that converts several documents goes on after close: the next
// open gives it a document again. A failed open ends it.
TEST_F(HeadlessRun, ABatchGoesOnAfterCloseAndStopsAtAFailedOpen)
{
    const QString dir = TestSupport::scratchDir() + QStringLiteral("/batch-close");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString make = scratchFile(QStringLiteral("make-docs.mac"),
                                     "fg 1 0 1 11 'x'\nsaveas a.vexa\nclose\nnew\nfg 1 0 1 11 'x*x'\n"
                                     "saveas b.vexa\nclose\nprint made\n");
    const ChildRun made = runProgram({"-m", make, "-h", "yes", "-q", "yes"}, dir);
    ASSERT_TRUE(made.finished);
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, QStringLiteral("made \n"));

    const QByteArray batch
        = "open a.vexa\nsavepdf a.pdf\nclose\nopen b.vexa\nsavepdf b.pdf\nclose\nprint done\n";
    const QString both = scratchFile(QStringLiteral("batch.mac"), batch);
    for (const bool quits : {true, false}) {
        SCOPED_TRACE(quits ? "with -q yes" : "without -q");
        QFile::remove(dir + QStringLiteral("/a.pdf"));
        QFile::remove(dir + QStringLiteral("/b.pdf"));
        // Without -q the run would stay: its last command quits instead.
        const QString macro
            = quits ? both : scratchFile(QStringLiteral("batch-quits.mac"), batch + "quitapp\n");
        const QStringList arguments = quits ? QStringList{"-m", macro, "-h", "yes", "-q", "yes"}
                                            : QStringList{"-m", macro, "-h", "yes"};
        const ChildRun r = runProgram(arguments, dir);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, QStringLiteral("done \n"));
        EXPECT_GT(QFileInfo(dir + QStringLiteral("/a.pdf")).size(), 0);
        EXPECT_GT(QFileInfo(dir + QStringLiteral("/b.pdf")).size(), 0);
    }

    // A command that needs a document after close ends the run.
    const QString needs
        = scratchFile(QStringLiteral("needs.mac"), "close\nprint ok\nnewbuffer\nprint never\n");
    const ChildRun n = runProgram({"-m", needs, "-h", "yes", "-q", "yes"}, dir);
    ASSERT_TRUE(n.finished);
    EXPECT_EQ(n.exitCode, 1);
    EXPECT_EQ(n.out, QStringLiteral("ok \n"));
    EXPECT_TRUE(n.err.contains(QStringLiteral("No document for: newbuffer"))) << n.err.toStdString();
    EXPECT_TRUE(n.err.contains(QStringLiteral("stopped with an error"))) << n.err.toStdString();

    QFile::remove(dir + QStringLiteral("/a.pdf"));
    QFile::remove(dir + QStringLiteral("/b.pdf"));
    ASSERT_TRUE(QFile::remove(dir + QStringLiteral("/b.vexa")));
    const ChildRun missing = runProgram({"-m", both, "-h", "yes", "-q", "yes"}, dir);
    ASSERT_TRUE(missing.finished);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_GT(QFileInfo(dir + QStringLiteral("/a.pdf")).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/b.pdf")));
    EXPECT_EQ(missing.out, QString());
    EXPECT_TRUE(
        missing.err.contains(QStringLiteral("vexa: the macro file %1 stopped with an error").arg(both)))
        << missing.err.toStdString();
}

// A command that fails is reported and the run goes on; the run still ends
// with a non-zero status, saying how many commands failed.
TEST_F(HeadlessRun, FailuresAreReportedTheRunGoesOnAndTheStatusTellsOfThem)
{
    const QString dir = TestSupport::scratchDir() + QStringLiteral("/failures");
    ASSERT_TRUE(QDir().mkpath(dir));
    ASSERT_FALSE(scratchFile(QStringLiteral("failures/short.bin"), "1234").isEmpty());
    const struct {
        const char* what;
        const char* commands;
        const char* reported; // on standard error
    } cases[] = {
        {"import of a missing file", "import missing.txt 0", "Import failed"},
        {"export into a missing folder", "fg 1 0 1 11 'x'\nexport nofolder/x.txt 0 0", "Export failed"},
        {"picture into a missing folder", "fg 1 0 1 11 'x'\nsavepng nofolder/x.png", "Export failed"},
        {"binary file too short", "binaryimport short.bin 0 0 0 2", "file is to small"},
        {"too many points", "fg 1 0 1 100000000 'x'", "at most 50000000"},
        {"function that does not exist", "fg 1 0 20 401 'exp(-x/8)'", "syntax error"},
        {"undefined name in calc", "fg 1 0 1 11 'x'\ncalc 2 'y*nosuchname' 0",
         "Undefined variable: nosuchname"},
        {"perl that dies", "<perl>\ndie \"broken\\n\";\n</perl>\nperlimport short.bin", "exit code:"},
        {"perl ended after its time-out", "perltimeout 0.5\n<perl>\nsleep 20;\n</perl>\nperlimport short.bin",
         "timeout on perl execution"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString macro = scratchFile(QStringLiteral("failures/f%1.mac").arg(n++),
                                          QByteArray(c.commands) + "\nprint after\n");
        const ChildRun r = runProgram({"-m", macro, "-h", "yes", "-q", "yes"}, dir);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, QStringLiteral("after \n"));
        EXPECT_TRUE(r.err.contains(QLatin1String(c.reported))) << r.err.toStdString();
        EXPECT_TRUE(
            r.err.contains(QStringLiteral("vexa: the macro file %1 finished with 1 failure\n").arg(macro)))
            << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("stopped"))) << r.err.toStdString();
    }

    // Each failed command counts once.
    const QString two = scratchFile(QStringLiteral("failures/two.mac"),
                                    "import missing.txt 0\nimport missing.txt 0\nprint after\n");
    const ChildRun r = runProgram({"-m", two, "-h", "yes", "-q", "yes"}, dir);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("finished with 2 failures"))) << r.err.toStdString();
}

TEST_F(HeadlessRun, VersionAndTheExampleWithoutOptions)
{
    const ChildRun version = runProgram({QStringLiteral("--version")}, TestSupport::scratchDir());
    ASSERT_TRUE(version.finished);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("Vexa "))) << version.out.toStdString();

    // Asked for with --example (as make run does), or without options at
    // all, and without a screen, the example graph becomes files.
    const QString asked = TestSupport::scratchDir() + QStringLiteral("/example-asked");
    ASSERT_TRUE(QDir().mkpath(asked));
    const ChildRun exampleAsked = runProgram({QStringLiteral("--example")}, asked);
    ASSERT_TRUE(exampleAsked.finished);
    EXPECT_EQ(exampleAsked.exitCode, 0) << exampleAsked.err.toStdString();
    EXPECT_GT(QFileInfo(asked + QStringLiteral("/out/example.pdf")).size(), 0);
    EXPECT_GT(QFileInfo(asked + QStringLiteral("/out/example.png")).size(), 0);

    const QString dir = TestSupport::scratchDir() + QStringLiteral("/example");
    ASSERT_TRUE(QDir().mkpath(dir));
    const ChildRun example = runProgram({}, dir);
    ASSERT_TRUE(example.finished);
    EXPECT_EQ(example.exitCode, 0) << example.err.toStdString();
    EXPECT_GT(QFileInfo(dir + QStringLiteral("/out/example.pdf")).size(), 0);
    EXPECT_GT(QFileInfo(dir + QStringLiteral("/out/example.png")).size(), 0);

    // Its title and note are text in the PDF, the title above the top axis
    // and its numbers although the graph was never on a screen.
    const auto pdf = Poppler::Document::load(dir + QStringLiteral("/out/example.pdf"));
    ASSERT_TRUE(pdf);
    const auto page = pdf->page(0);
    ASSERT_TRUE(page);
    QRectF title, note, topAxis;
    for (const auto& word : page->textList()) {
        if (word->text() == QLatin1String("Damped"))
            title = word->boundingBox();
        else if (word->text() == QLatin1String("crest"))
            note = word->boundingBox();
        else if (word->text() == QLatin1String("(ms)"))
            topAxis = word->boundingBox();
    }
    ASSERT_FALSE(title.isEmpty());
    ASSERT_FALSE(topAxis.isEmpty());
    EXPECT_FALSE(note.isEmpty());
    EXPECT_LE(title.bottom(), topAxis.top());
}

TEST_F(HeadlessRun, TheExampleMacroBuildsItsGraph)
{
    const QString example = QStringLiteral(VEXA_FIXTURES "/../../resources/examples/build-graph.mac");
    ASSERT_TRUE(QFileInfo(example).isFile()) << example.toStdString();
    const ChildRun r = runProgram({"-m", example, "-h", "yes", "-q", "yes"}, TestSupport::scratchDir());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("damped oscillation: 41 points, last amplitude 0.082 \nbuffers 2 \n"));
}

TEST_F(HeadlessRun, TheBatchExampleImportsStylesAndExportsItsGraph)
{
    // The example as shipped, its data named with -f, its pictures in the
    // working folder.
    const QString examples = QStringLiteral(VEXA_FIXTURES "/../../resources/examples");
    const QString folder = TestSupport::scratchDir() + QStringLiteral("/batch");
    ASSERT_TRUE(QDir().mkpath(folder));
    const ChildRun r = runProgram(
        {"-m", examples + QStringLiteral("/batch-plot.mac"), "-f", examples, "-h", "yes", "-q", "yes"},
        folder);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("wrote oscillation.pdf and oscillation.png \n"));

    // The window size of the macro, at 144 dots per inch.
    const QImage png(folder + QStringLiteral("/oscillation.png"));
    EXPECT_EQ(png.size(), QSize(1600, 1120));
    // The PDF carries its text in embedded fonts.
    const QString pdf = folder + QStringLiteral("/oscillation.pdf");
    const QStringList fonts = TestSupport::pdfFonts(pdf);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_TRUE(font.endsWith(QStringLiteral(" yes"))) << font.toStdString();
    const QString text = TestSupport::popplerTool("pdftotext", {pdf, QStringLiteral("-")});
    for (const char* word : {"time (s)", "amplitude (V)", "measured", "fitted model"})
        EXPECT_TRUE(text.contains(QLatin1String(word))) << word << "\n" << text.toStdString();
}

TEST_F(HeadlessRun, ConsoleMessagesGoToStandardOutputAndErrorsToStandardError)
{
    const QString macro
        = scratchFile(QStringLiteral("split.mac"), "print one\nprint two 1+1\nsetvar x 1+\nprint never\n");
    const ChildRun r = runProgram({"-m", macro, "-h", "yes", "-q", "yes"}, TestSupport::scratchDir());
    ASSERT_TRUE(r.finished);
    EXPECT_NE(r.exitCode, 0);
    // One console line per line, each on the stream of its kind.
    EXPECT_EQ(r.out, QStringLiteral("one \ntwo 2 \n"));
    const QStringList errors = r.err.split(QLatin1Char('\n'));
    EXPECT_TRUE(errors.contains(QStringLiteral("syntax error in 1+"))) << r.err.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("vexa: the macro file %1 stopped with an error").arg(macro)))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("one"))) << r.err.toStdString();
}

TEST_F(HeadlessRun, ResourcesComeFromTheInstallFolderOrTheSourceTreeOnly)
{
    // A tokeniser that leaves a mark and turns every macro into one print.
    auto plantScript = [](const QString& folder, const QString& word, const QString& mark) {
        QDir().mkpath(folder + QStringLiteral("/perl"));
        QFile f(folder + QStringLiteral("/perl/parsemacro.pl"));
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(QStringLiteral("open(my $m, '>', '%1'); close($m);\n"
                               "print \"\\n1\\n2\\nprint\\n%2\\n\";\n")
                    .arg(mark, word)
                    .toUtf8());
        return true;
    };
    auto copyProgram = [](const QString& folder) {
        QDir().mkpath(folder);
        const QString copy = folder + QStringLiteral("/vexa");
        return QFile::copy(programPath(), copy) ? copy : QString();
    };
    const QString base = TestSupport::scratchDir() + QStringLiteral("/planted");
    const QString macro = scratchFile(QStringLiteral("plain.mac"), "print plain\n");

    // A copy deep in a folder whose ancestors, and the working directory,
    // hold resources folders of somebody else's making.
    const QString copy = copyProgram(base + QStringLiteral("/a/b/c"));
    ASSERT_FALSE(copy.isEmpty());
    const QString mark = base + QStringLiteral("/ran");
    for (const char* folder : {"/resources", "/a/resources", "/a/b/resources", "/a/b/c/resources",
                               "/work/resources", "/a/b/share/vexa", "/a/share/vexa"})
        ASSERT_TRUE(plantScript(base + QLatin1String(folder), QStringLiteral("planted"), mark));
    const ChildRun r
        = runProgram({"-m", macro, "-h", "yes", "-q", "yes"}, base + QStringLiteral("/work"), {}, copy);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("plain \n"));
    EXPECT_FALSE(QFileInfo::exists(mark));

    // Installed as <prefix>/bin/vexa, the program reads <prefix>/share/vexa.
    const QString installed = copyProgram(base + QStringLiteral("/prefix/bin"));
    ASSERT_FALSE(installed.isEmpty());
    const QString installMark = base + QStringLiteral("/installed-ran");
    ASSERT_TRUE(
        plantScript(base + QStringLiteral("/prefix/share/vexa"), QStringLiteral("installed"), installMark));
    const ChildRun i = runProgram({"-m", macro, "-h", "yes", "-q", "yes"}, base, {}, installed);
    ASSERT_TRUE(i.finished);
    EXPECT_EQ(i.exitCode, 0) << i.err.toStdString();
    EXPECT_EQ(i.out, QStringLiteral("installed \n"));
    EXPECT_TRUE(QFileInfo::exists(installMark));
}

TEST_F(HeadlessRun, HelpMistakesAndFilesWithoutAScreen)
{
    const struct {
        const char* what;
        QStringList arguments;
        int exitCode;
        const char* out; // start of standard output; null: nothing asked of it
        const char* err; // part of standard error; null: empty
    } cases[] = {
        {"help", {"--help"}, 0, "Usage: vexa [options] [file ...]", nullptr},
        {"help wins over the rest", {"-m", "x.mac", "--help"}, 0, "Usage: vexa", nullptr},
        {"unknown option", {"--frobnicate"}, 2, nullptr, "vexa: unknown option --frobnicate"},
        {"option without value", {"-m"}, 2, nullptr, "vexa: the option -m needs a value"},
        {"files without a screen", {"some.vexa"}, 1, nullptr, "vexa: no display to open the files on"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildRun r = runProgram(c.arguments, TestSupport::scratchDir());
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        if (c.out) {
            EXPECT_TRUE(r.out.startsWith(QLatin1String(c.out))) << r.out.toStdString();
        }
        if (c.err) {
            EXPECT_TRUE(r.err.contains(QLatin1String(c.err))) << r.err.toStdString();
        } else {
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        }
    }
}

// Ended by a signal in the middle of a macro, the program leaves none of its
// temporary files behind (the macro's source and inline perl files exist for
// the whole run) and ends as the signal ends a program.
TEST_F(HeadlessRun, TerminationSignalsRemoveTheTemporaryFiles)
{
    const QString macro = scratchFile(QStringLiteral("sleeps.mac"), "print started\nsleep 60\n");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const QString temp = TestSupport::scratchDir() + QStringLiteral("/signal-%1").arg(signal);
        ASSERT_TRUE(QDir().mkpath(temp));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), temp);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), temp + QStringLiteral("/config"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(temp);
        p.start(programPath(), {"-m", macro, "-h", "yes", "-q", "yes"});
        ASSERT_TRUE(p.waitForStarted(10000));
        // The run has begun once its source file is there.
        bool running = false;
        for (int i = 0; i < 400 && !running; ++i) {
            p.waitForReadyRead(50);
            running = !QDir(temp).entryList({"vexa2_*"}, QDir::Files).isEmpty();
        }
        ASSERT_TRUE(running);
        ::kill(pid_t(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(QDir(temp).entryList({"vexa2_*"}, QDir::Files), QStringList());
    }
}

namespace {

// Whether the process has ended: gone, or a zombie nobody reaped yet.
bool ended(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

} // namespace

// Perl ends with the program, however the program ends: a filter that
// loops for ever does not run on without its parent after a kill -9 or a
// kill -TERM of the program.
TEST_F(HeadlessRun, APerlFilterEndsWithTheProgram)
{
    for (const int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(signal);
        const QString folder = TestSupport::scratchDir() + QStringLiteral("/perl-orphan-%1").arg(signal);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString pidFile = folder + QStringLiteral("/perl.pid");
        const QString macro
            = scratchFile(QStringLiteral("loops-%1.mac").arg(signal),
                          "perltimeout 600\nperlfilter all\n<perl>\n"
                          "open(my $f, '>', $ENV{VEXA_TEST_PID_FILE}) or die; print $f $$; close $f;\n"
                          "1 while 1;\n</perl>\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
        env.insert(QStringLiteral("VEXA_TEST_PID_FILE"), pidFile);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(folder);
        p.start(programPath(), {"-m", macro, "-h", "yes", "-q", "yes"});
        ASSERT_TRUE(p.waitForStarted(10000));
        qint64 perl = 0;
        for (int i = 0; i < 600 && perl <= 0; ++i) {
            p.waitForReadyRead(50);
            QFile f(pidFile);
            if (f.open(QIODevice::ReadOnly))
                perl = f.readAll().trimmed().toLongLong();
        }
        ASSERT_GT(perl, 0) << p.readAllStandardError().toStdString();
        EXPECT_FALSE(ended(perl));
        ::kill(pid_t(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(20000));
        bool gone = false;
        for (int i = 0; i < 200 && !gone; ++i) {
            gone = ended(perl);
            if (!gone)
                QThread::msleep(50);
        }
        if (!gone)
            ::kill(pid_t(perl), SIGKILL);
        EXPECT_TRUE(gone) << "perl " << perl << " runs on";
    }
}
