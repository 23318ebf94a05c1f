// The controller as the host of macro runs: the buffer-list selection, the
// console with its colours and its two streams, a document closing under a
// run, quitapp, and "-m" at launch with the status it leaves.

#include "AppFixtures.h"
#include "app/DocumentWindowQt.h"
#include "app/MacroEditor.h"
#include "app/Manager.h"
#include "macro/Macro.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// The controller with the end of the run recorded instead of carried out.
class HostProbe : public Manager {
public:
    int terminatedWith = -1;
    void terminate(int status) override { terminatedWith = status; }
};

// A hidden document window with empty buffers; current.
VexaDocument& currentHidden(Manager& m, int buffers)
{
    auto d = std::make_unique<VexaDocument>();
    for (int i = 0; i < buffers; ++i)
        d->DB.push_back(std::make_unique<DataBuffer>());
    VexaDocument& doc = m.openDocument(std::move(d), false)->document();
    m.setCurrentDoc(&doc, &doc);
    return doc;
}

void run(Manager& m, const QString& source)
{
    Macro macro(QStringLiteral("test"), source, 0, 0);
    macro.run(m);
}

// A scratch file standing in for a console stream.
class Stream {
public:
    Stream()
            : file_(std::tmpfile())
    {
    }
    ~Stream() { std::fclose(file_); }
    std::FILE* get() { return file_; }
    QString text()
    {
        std::fflush(file_);
        std::rewind(file_);
        QByteArray bytes;
        char chunk[256];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file_)) > 0;)
            bytes.append(chunk, qsizetype(n));
        return QString::fromLocal8Bit(bytes);
    }

private:
    std::FILE* file_;
};

using AppFixtures::writeScratch;

} // namespace

TEST(ManagerMacroHost, SelectionCommandsSelectRowsOfTheBufferList)
{
    Manager m;
    currentHidden(m, 4);
    run(m, QStringLiteral("select 2,0"));
    EXPECT_EQ(m.selectedBufferRows(), (std::vector<int>{0, 2}));
    run(m, QStringLiteral("invertselection"));
    EXPECT_EQ(m.selectedBufferRows(), (std::vector<int>{1, 3}));
    run(m, QStringLiteral("select none"));
    EXPECT_TRUE(m.selectedBufferRows().empty());
}

// A macro's open panel starts where the menus' panels left off, and the
// folder it chose is where they start next.
TEST(ManagerMacroHost, MacroPanelsShareTheMenusFolder)
{
    Manager m;
    currentHidden(m, 0);
    UserDefaults& store = UserDefaults::standard();
    store.setValue(QStringLiteral("PATH"), QStringLiteral("~/data"));
    const QString chosen = TestSupport::scratchDir() + QStringLiteral("/in.txt");
    QStringList folders;
    m.filePanel = [&](const Manager::FilePanelRequest& r) {
        folders << r.directory;
        return QStringList{chosen};
    };
    run(m, QStringLiteral("browse"));
    EXPECT_EQ(folders, QStringList{QDir::homePath() + QStringLiteral("/data")});
    EXPECT_EQ(m.stringVariables().value(QStringLiteral("file")), chosen);
    EXPECT_EQ(store.stringForKey(QStringLiteral("PATH")), TestSupport::scratchDir());
    store.removeObjectForKey(QStringLiteral("PATH"));
}

TEST(ManagerMacroHost, ConsoleColoursAndSplitsItsLinesOverTwoStreams)
{
    Stream out;
    Stream err;
    {
        Manager m;
        m.consoleOut = out.get();
        m.consoleErr = err.get();
        currentHidden(m, 0);
        run(m, QStringLiteral("print a\nprint b\nfoo"));
        EXPECT_EQ(m.console().text(), QStringLiteral("a \nb \nUnkown command: foo\n"));
        EXPECT_EQ(m.consoleErrors(), 1);
        // Messages black, errors dark red.
        const QTextDocument* doc = m.macroEditor->ma_console()->document();
        EXPECT_EQ(doc->findBlockByNumber(0).begin().fragment().charFormat().foreground().color(),
                  QColor(Qt::black));
        EXPECT_EQ(doc->findBlockByNumber(2).begin().fragment().charFormat().foreground().color(),
                  Macro::errorColor());

        run(m, QStringLiteral("print c\nclr\nprint d"));
        EXPECT_EQ(m.console().text(), QStringLiteral("d "));
        EXPECT_FALSE(m.consoleAtLineStart());
        // The open line "d " ends when the controller goes.
    }
    EXPECT_EQ(out.text(), QStringLiteral("a \nb \nc \nd \n"));
    EXPECT_EQ(err.text(), QStringLiteral("Unkown command: foo\n"));
}

TEST(ManagerMacroHost, InputIsAskedThroughThePlatform)
{
    Stream out; // outlives the controller, which ends its open line
    Manager m;
    m.consoleOut = out.get();
    currentHidden(m, 0);
    ScriptedAlerts alerts;
    alerts.answerInput(QStringLiteral("3"));
    run(m, QStringLiteral("input 'how many?'\nprint input*2 $input"));
    EXPECT_EQ(m.SV.value(QStringLiteral("input")), QStringLiteral("3"));
    EXPECT_EQ(out.text(), QStringLiteral("6 3 "));
    ASSERT_EQ(alerts.inputRequests().size(), 1u);
    EXPECT_EQ(alerts.inputRequests()[0].message, QStringLiteral("how many?"));
}

// The run lets go of a document that closes under it and goes on: commands
// that need no document run, the first that needs one ends the run.
TEST(ManagerMacroHost, ADocumentClosingUnderARunIsLetGoOf)
{
    Stream out;
    Manager m;
    m.consoleOut = out.get();
    VexaDocument& doc = currentHidden(m, 0);
    DocumentWindowQt* w = Manager::windowOf(&doc);
    QTimer::singleShot(20, w, [w] { w->close(); });
    run(m, QStringLiteral("print before\nsleep 0.3\nprint after\nnewbuffer\nprint never"));
    // The error on the other stream ends the open line.
    EXPECT_EQ(out.text(), QStringLiteral("before \nafter \n"));
    EXPECT_EQ(m.PD, nullptr);
    EXPECT_EQ(m.consoleErrors(), 1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m.windows().empty());
}

TEST(ManagerMacroHost, QuitappClosesTheWindowsAndEndsTheApplication)
{
    Stream out;
    HostProbe m;
    m.consoleOut = out.get();
    currentHidden(m, 0);
    run(m, QStringLiteral("print a\nquitapp\nprint b"));
    EXPECT_EQ(out.text(), QStringLiteral("a "));
    EXPECT_EQ(m.terminatedWith, 0);
    EXPECT_TRUE(m.documents().empty());
    EXPECT_EQ(m.consoleErrors(), 0);
}

TEST(ManagerMacroHost, TheLaunchMacroRunsOnTheStartDocumentAndSetsTheStatus)
{
    const QString good = writeScratch(QStringLiteral("good.mac"), "newbuffer\naddvalue 0 1 2\nprint nb\n");
    const QString bad = writeScratch(QStringLiteral("bad.mac"), "newbuffer\nrange 9 0 1 2\nprint never\n");
    const struct {
        QString path;
        int status;
        const char* out;
    } cases[] = {
        {good, 0, "1 \n"},
        {bad, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        Stream out;
        Stream err;
        UserDefaults::standard().setArgumentDomain({"-m", c.path, "-h", "yes", "-q", "yes"});
        {
            HostProbe m;
            m.consoleOut = out.get();
            m.consoleErr = err.get();
            ::testing::internal::CaptureStderr();
            m.applicationDidFinishLaunching();
            const std::string launchErrors = ::testing::internal::GetCapturedStderr();
            EXPECT_EQ(m.terminatedWith, c.status) << launchErrors;
            EXPECT_EQ(m.exitStatus(), c.status);
            EXPECT_EQ(launchErrors.find("vexa:") != std::string::npos, c.status != 0) << launchErrors;
        }
        UserDefaults::standard().clearArgumentDomain();
        EXPECT_EQ(out.text(), QString::fromUtf8(c.out));
        EXPECT_EQ(err.text().contains(QStringLiteral("Wrong number of arguments: range 9 0 1 2")),
                  c.status != 0);
    }
}
