// The application controller: current document, text and graphic tracking,
// closing documents, variables, intervals, the shared warnings and input,
// the refresh, Undo/Redo, and the launch options.

#include "app/Manager.h"
#include "AppFixtures.h"
#include "app/AlertDialogs.h"
#include "app/DocumentWindowQt.h"
#include "app/InspectorHost.h"
#include "app/InspectorPanel.h"
#include "app/MacroEditor.h"
#include "app/SideTableView.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UndoManager.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"
#include "util/NumberFormat.h"
#include "view/GraphWidget.h"
#include "view/VexaView.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

class FakeText : public TextBoxItem {
public:
    void doAutoPos() override { }
    void setNeedsDisplay() override { }
};

class FakeGraphic : public GraphicItem { };

class CountingPanel : public InspectorPanel {
public:
    explicit CountingPanel(int* updates)
            : updates_(updates)
            , view_(new QWidget)
    {
    }
    QWidget* view() override { return view_; }
    void setup() override { ++setups; }
    void update() override { ++*updates_; }
    int setups = 0;

private:
    int* updates_;
    QWidget* view_;
};

std::unique_ptr<DataBuffer> buffer(int points, const QString& comment)
{
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < points; ++i)
        b->addDoubleValue(i, i * i);
    b->setComment(comment);
    return b;
}

// A document window that is never shown.
VexaDocument& openHidden(Manager& m, int buffers = 0)
{
    auto d = std::make_unique<VexaDocument>();
    for (int i = 0; i < buffers; ++i)
        d->DB.push_back(buffer(i + 2, QStringLiteral("b%1").arg(i)));
    return m.openDocument(std::move(d), false)->document();
}

using AppFixtures::writeScratch;

} // namespace

TEST(ManagerTracking, CurrentDocumentTextAndGraphic)
{
    Manager m;
    VexaDocument& one = openHidden(m);
    VexaDocument& two = openHidden(m);
    Manager::windowOf(&two)->setFilePath(QStringLiteral("/data/two.vexa"));

    m.setCurrentDoc(&two, &two);
    EXPECT_EQ(m.PD, &two);
    EXPECT_EQ(m.MPD, &two);
    EXPECT_EQ(m.CPD, &two);
    EXPECT_EQ(m.SV.value("document"), QStringLiteral("/data/two.vexa"));
    m.setCurrentDoc(&one, &one);
    EXPECT_TRUE(m.SV.contains("document"));
    EXPECT_TRUE(m.SV.value("document").isEmpty()); // a new document has no file

    // Text and graphic: at most one is current; a new current document
    // clears both.
    FakeText text;
    FakeGraphic graphic;
    m.setCurrentText(&text);
    EXPECT_EQ(m.T, &text);
    m.setCurrentGraphic(&graphic);
    EXPECT_EQ(m.G, &graphic);
    EXPECT_EQ(m.T, nullptr);
    m.setCurrentText(&text);
    EXPECT_EQ(m.T, &text);
    EXPECT_EQ(m.G, nullptr);
    m.setCurrentText(nullptr);
    EXPECT_EQ(m.T, nullptr);
    m.setCurrentGraphic(&graphic);
    m.setCurrentDoc(&two, &two);
    EXPECT_EQ(m.T, nullptr);
    EXPECT_EQ(m.G, nullptr);

    // Half an answer is no answer: everything is cleared.
    m.setCurrentDoc(&one, nullptr);
    EXPECT_EQ(m.PD, nullptr);
    EXPECT_EQ(m.MPD, nullptr);
    EXPECT_EQ(m.CPD, nullptr);
    // Without a current document items are ignored.
    m.setCurrentText(&text);
    m.setCurrentGraphic(&graphic);
    EXPECT_EQ(m.T, nullptr);
    EXPECT_EQ(m.G, nullptr);
}

TEST(ManagerTracking, AClosedDocumentLeavesNoPointerBehind)
{
    Manager m;
    DocumentWindowQt* w1 = m.openDocument(std::make_unique<VexaDocument>(), false);
    DocumentWindowQt* w2 = m.openDocument(std::make_unique<VexaDocument>(), false);
    VexaDocument& main = w1->document();
    VexaDocument& other = w2->document();
    EXPECT_EQ(m.startPD, &other);

    // A sub-view of the first document is current; its text box and a
    // graphic of the main document are the current items in turn.
    auto sub = std::make_unique<VexaDocument>();
    sub->subview = 1;
    sub->MPD = &main;
    sub->T.push_back(std::make_unique<FakeText>());
    VexaDocument* s = sub.get();
    main.SPD.push_back(std::move(sub));
    main.G.push_back(std::make_unique<FakeGraphic>());
    m.setCurrentDoc(s, &main);
    m.setCurrentText(s->T.front().get());
    ASSERT_NE(m.T, nullptr);
    m.CPD = &other; // the other window drew last

    // Destroyed without a close (the application ends): only what belongs
    // to the first document is let go of.
    delete w1;
    EXPECT_EQ(m.PD, nullptr);
    EXPECT_EQ(m.MPD, nullptr);
    EXPECT_EQ(m.T, nullptr);
    EXPECT_EQ(m.CPD, &other);
    EXPECT_EQ(m.startPD, &other);
    EXPECT_EQ(m.documents().size(), 1u);

    // The graphic of a closing document, the start document and the drawing
    // document all go when its window closes.
    other.G.push_back(std::make_unique<FakeGraphic>());
    m.setCurrentDoc(&other, &other);
    m.setCurrentGraphic(other.G.front().get());
    w2->close();
    EXPECT_EQ(m.PD, nullptr);
    EXPECT_EQ(m.G, nullptr);
    EXPECT_EQ(m.CPD, nullptr);
    EXPECT_EQ(m.startPD, nullptr);
    EXPECT_TRUE(m.documents().empty());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m.windows().empty());
}

TEST(ManagerVariables, SetVarReplacesAndReachesExpressions)
{
    Manager m;
    VexaDocument& d = openHidden(m, 1); // buffer 0 has 2 points
    m.setCurrentDoc(&d, &d);
    m.setVar(QStringLiteral("k"), 2);
    m.setVar(QStringLiteral("k"), 3);
    EXPECT_EQ(m.GV.size(), 1);
    EXPECT_EQ(m.GV.value("k"), 3);

    // The function generator evaluates with the controller's variables and
    // the document functions (points(0) reads the current document).
    d.functionGenerator(0, 0, 2, 3, QStringLiteral("k*x + points(0)"));
    ASSERT_EQ(d.bufferCount(), 2);
    const DataBuffer& made = *d.DB.back();
    ASSERT_EQ(made.nop(), 3);
    EXPECT_DOUBLE_EQ(made.yDoubleValueAt(2), 3 * 2 + 2);
}

TEST(ManagerValues, TimeToVal)
{
    const struct {
        const char* text;
        double seconds;
    } cases[] = {
        {"1:30", 90},     {"2:0:0", 7200}, {"1:0:0:0", 86400}, {"W", 604800},
        {"w", 604800},    {"m", 2592000},  {"M", 2592000},     {"y", 31536000},
        {"Y", 31536000},  {"45", 45},      {"1,5", 1.5},       {"0:1.5", 1.5},
        {"1:2:3:4:5", 0}, {"", 0},         {"wk", 0},          {"1:1:1:1", 90061},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(timeToVal(QString::fromLatin1(c.text)), c.seconds) << c.text;
}

TEST(ManagerWarnings, BothAxisPairsAndNoSelection)
{
    Manager m;
    ScriptedAlerts alerts;
    EXPECT_TRUE(m.axisBothWarn());
    m.di_axis12->button(PairBoth)->setChecked(true);
    EXPECT_EQ(m.axis12(), PairBoth);
    EXPECT_FALSE(m.axisBothWarn());
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, "Both Axis Selected");
    EXPECT_EQ(alerts.requests()[0].message, "for this operation axis 1 or 2 (not both) must be selected");
    EXPECT_EQ(alerts.requests()[0].buttons, QStringList{"Ok"});

    // No document: a beep, no alert.
    EXPECT_FALSE(m.noSelectWarn());
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_EQ(alerts.requests().size(), 1u);

    VexaDocument& d = openHidden(m, 3);
    m.setCurrentDoc(&d, &d);
    alerts.answer(1); // Cancel
    EXPECT_FALSE(m.noSelectWarn());
    ASSERT_EQ(alerts.requests().size(), 2u);
    EXPECT_EQ(alerts.requests()[1].title, "No Buffer Selected");
    EXPECT_EQ(alerts.requests()[1].message, "please select at least on buffer in the Data Inspector");
    EXPECT_EQ(alerts.requests()[1].buttons, (QStringList{"Select All", "Cancel"}));
    EXPECT_TRUE(m.selectedBufferRows().empty());

    alerts.answer(0); // Select All
    EXPECT_TRUE(m.noSelectWarn());
    EXPECT_EQ(m.selectedBufferRows(), (std::vector<int>{0, 1, 2}));
    // With a selection nothing is asked.
    EXPECT_TRUE(m.noSelectWarn());
    EXPECT_EQ(alerts.requests().size(), 3u);
}

TEST(ManagerTools, AToolChangeShowsItsInspectorAndResetsTheView)
{
    const struct {
        const char* tool;
        const char* inspector; // on show afterwards
        bool warns; // with both axis pairs chosen
    } cases[] = {
        {"normx", "normalize", true}, {"NormY", "normalize", true},  {"bgsub", "normalize", false},
        {"legend", "legend", false},  {"graphic", "graphic", false}, {"text", "text", false},
        {"zoom", "general", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tool);
        Manager m;
        ScriptedAlerts alerts;
        VexaDocument& d = openHidden(m);
        m.setCurrentDoc(&d, &d);
        FakeText text;
        m.setCurrentText(&text);
        m.di_axis12->button(PairBoth)->setChecked(true);
        auto* view = dynamic_cast<VexaView*>(d.PV);
        ASSERT_NE(view, nullptr);
        view->haveoloc = 1;

        m.selectMouseMode(QString::fromLatin1(c.tool));
        m.mouseModeDidChange(nullptr);
        EXPECT_EQ(m.inspectors().selectedKey(), QString::fromLatin1(c.inspector));
        EXPECT_EQ(alerts.requests().size(), c.warns ? 1u : 0u);
        if (c.warns) {
            EXPECT_EQ(alerts.requests()[0].title, "Both Axis Selected");
        }
        EXPECT_EQ(m.T, nullptr);
        EXPECT_EQ(view->haveoloc, 0);
        EXPECT_NE(m.mouseTool(), Tool::None);
        EXPECT_EQ(m.mouseTool(), toolNamed(QString::fromLatin1(c.tool).toUpper()));
    }
}

TEST(ManagerInput, AnswersAndCancelsGoToTheInputVariable)
{
    Manager m;
    ScriptedAlerts alerts;
    alerts.answerInput(QStringLiteral("12.5"));
    EXPECT_TRUE(m.getInput(QStringLiteral("step?")));
    EXPECT_EQ(m.SV.value("input"), QStringLiteral("12.5"));
    // The field opens with the last answer; confirming it keeps it.
    EXPECT_TRUE(m.getInput(QStringLiteral("again?")));
    ASSERT_EQ(alerts.inputRequests().size(), 2u);
    EXPECT_EQ(alerts.inputRequests()[1].message, "again?");
    EXPECT_EQ(alerts.inputRequests()[1].defaultText, "12.5");
    EXPECT_EQ(m.SV.value("input"), QStringLiteral("12.5"));
    // A cancelled question leaves no stale answer.
    alerts.cancelInput();
    EXPECT_FALSE(m.getInput(QStringLiteral("once more?")));
    EXPECT_TRUE(m.SV.value("input").isEmpty());
}

TEST(ManagerRefresh, UpdateRefreshesPanelOnShowTablesAndFields)
{
    Manager m;
    int general = 0, normalize = 0;
    CountingPanel* made = nullptr;
    m.inspectors().registerInspector(QStringLiteral("general"), [&](PanelContext&) {
        auto p = std::make_unique<CountingPanel>(&general);
        made = p.get();
        return p;
    });
    m.inspectors().registerInspector(QStringLiteral("normalize"), [&](PanelContext&) {
        return std::make_unique<CountingPanel>(&normalize);
    });

    // Made on its first showing, set up once, kept.
    m.switchInspector(QStringLiteral("general"));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(m.inspectors().frame()->currentWidget(), made->view());
    m.switchInspector(QStringLiteral("style"));
    EXPECT_EQ(m.inspectors().frame()->currentWidget(), m.inspectors().placeholder()); // nothing registered
    EXPECT_EQ(m.inspectors().panel(InspectorKey::Style), nullptr);
    m.switchInspector(QStringLiteral("general"));
    EXPECT_EQ(made->setups, 1);
    EXPECT_EQ(m.inspectors().panel(InspectorKey::General), made);
    EXPECT_EQ(m.inspectors().frame()->currentWidget(), made->view());
    EXPECT_EQ(m.inspectors().selectedKey(), QStringLiteral("general"));

    VexaDocument& d = openHidden(m, 3);
    d.current = 2;
    m.setCurrentDoc(&d, &d);
    const int before = general;
    m.update();
    EXPECT_EQ(general, before + 1);
    EXPECT_EQ(m.dataPanes().dataBuffer->text(), QStringLiteral("2"));
    EXPECT_EQ(m.dataPanes().dataPoints->text(), QStringLiteral("4"));
    EXPECT_EQ(m.dataPanes().dataComment->text(), QStringLiteral("b2"));
    EXPECT_EQ(m.bufferTable()->model()->rowCount(), 3);
    EXPECT_EQ(m.pointTable()->model()->rowCount(), 0); // hidden: the points wait
    AppFixtures::showPointTable(m);
    EXPECT_EQ(m.pointTable()->model()->rowCount(), 5); // four points and "add"

    // A selection outlives a reload; buffers added later are not selected.
    m.bufferTable()->selectRow(1);
    d.newBuffer();
    EXPECT_EQ(m.bufferTable()->model()->rowCount(), 4);
    EXPECT_EQ(m.selectedBufferRows(), std::vector<int>{1});
    EXPECT_EQ(m.dataPanes().dataPoints->text(), QStringLiteral("0"));

    // The normalize panel on show keeps what was typed into it.
    m.switchInspector(QStringLiteral("normalize"));
    const int shown = normalize;
    m.update();
    EXPECT_EQ(normalize, shown);

    // A document without buffers empties the fields.
    d.DB.clear();
    m.update();
    EXPECT_TRUE(m.dataPanes().dataBuffer->text().isEmpty());
    EXPECT_TRUE(m.dataPanes().dataComment->text().isEmpty());
    EXPECT_EQ(m.bufferTable()->model()->rowCount(), 0);
}

TEST(ManagerMenus, UndoRedoFollowTheCurrentDocument)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& a = openHidden(m);
    VexaDocument& b = openHidden(m);
    m.setCurrentDoc(&a, &a);
    EXPECT_FALSE(m.undoAction->isEnabled());

    a.scale(Pair1, 0, 10, 0, 20, true, false);
    a.undoManager().closeImplicitGroup();
    EXPECT_TRUE(m.undoAction->isEnabled());
    EXPECT_FALSE(m.redoAction->isEnabled());

    // Another current document: its (empty) history.
    m.setCurrentDoc(&b, &b);
    EXPECT_FALSE(m.undoAction->isEnabled());
    m.undo();
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_EQ(a.xmax1, 10);

    m.setCurrentDoc(&a, &a);
    m.undoAction->trigger();
    EXPECT_EQ(a.xmax1, 1);
    EXPECT_EQ(a.ymax1, 1);
    EXPECT_TRUE(m.redoAction->isEnabled());
    m.redoAction->trigger();
    EXPECT_EQ(a.xmax1, 10);

    // Rescale and zoom need a document.
    m.setCurrentDoc(nullptr, nullptr);
    m.rescale(nullptr);
    m.upscale();
    m.downscale();
    EXPECT_EQ(alerts.beeps(), 4);
}

TEST(ManagerMenus, ExportsAndImportsGoThroughThePanels)
{
    Manager m;
    ScriptedAlerts alerts;
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), false);
    w->resize(400, 300);
    VexaDocument& d = w->document();
    m.setCurrentDoc(&d, &d);

    QStringList answers;
    std::vector<Manager::FilePanelRequest> asked;
    m.filePanel = [&](const Manager::FilePanelRequest& r) {
        asked.push_back(r);
        return answers;
    };

    // Cancelled: nothing is written.
    m.savePDF();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, QStringLiteral("Save document as PDF"));
    EXPECT_EQ(asked[0].suffix, QStringLiteral("pdf"));

    const QString pdf = TestSupport::scratchDir() + QStringLiteral("/menu.pdf");
    answers = {pdf};
    m.savePDF();
    EXPECT_GT(QFile(pdf).size(), 0);

    const QString data = writeScratch(QStringLiteral("menu.txt"), "1 2 3\n2 4 6\n3 6 9\n");
    answers = {data};
    m.importFile();
    EXPECT_EQ(d.bufferCount(), 2); // x and two value columns
    EXPECT_EQ(UserDefaults::standard().stringForKey("PATH"), TestSupport::scratchDir());
    EXPECT_TRUE(alerts.requests().empty());
}

// --- launch ------------------------------------------------------------------------

namespace {

// Records the launch steps and what the start document looked like at each.
class LaunchProbe : public Manager {
public:
    QStringList log;
    bool macroSucceeds = true;
    int terminatedWith = -1;

protected:
    Outcome importStartFile(VexaDocument& d, const QString& path) override
    {
        log << QStringLiteral("import %1 hidden=%2 file=%3")
                   .arg(path)
                   .arg(hiddenNow(d))
                   .arg(SV.contains("file") ? SV.value("file") : QStringLiteral("-"));
        return Manager::importStartFile(d, path);
    }
    Outcome runMacroFile(VexaDocument& d, const QString& path) override
    {
        log << QStringLiteral("macro %1 file=%2 buffers=%3 current=%4")
                   .arg(path, SV.value("file"))
                   .arg(d.bufferCount())
                   .arg(PD == &d);
        if (macroSucceeds)
            return Outcome::done();
        return Manager::runMacroFile(d, path);
    }
    void terminate(int status) override
    {
        log << QStringLiteral("terminate %1 windows=%2 current=%3")
                   .arg(status)
                   .arg(documents().size())
                   .arg(PD != nullptr);
        terminatedWith = status;
    }

private:
    int hiddenNow(VexaDocument& d)
    {
        DocumentWindowQt* w = windowOf(&d);
        return w && !w->isVisible() && !inspector->isVisible();
    }
};

// The command line of a test run, in the argument domain for one launch.
class CommandLine {
public:
    explicit CommandLine(const QStringList& arguments)
    {
        UserDefaults::standard().setArgumentDomain(arguments);
    }
    ~CommandLine()
    {
        UserDefaults::standard().clearArgumentDomain();
        UserDefaults::standard().removeObjectForKey(QStringLiteral("InitialDocument"));
    }
};

} // namespace

TEST(ManagerLaunch, OptionsApplyToTheStartDocumentInOrder)
{
    const QString data = writeScratch(QStringLiteral("launch.txt"), "1 10\n2 20\n3 30\n");
    ScriptedAlerts alerts;
    CommandLine line({"-q", "YES", "-m", "run.mac", "-f", "name", "-i", data, "-h", "Yes"});
    LaunchProbe m;
    m.applicationDidFinishLaunching();

    const QStringList expected = {
        QStringLiteral("import %1 hidden=1 file=-").arg(data),
        QStringLiteral("macro run.mac file=name buffers=1 current=1"),
        QStringLiteral("terminate 0 windows=0 current=0"),
    };
    EXPECT_EQ(m.log, expected);
    EXPECT_TRUE(m.launchOptions().hidden);
    EXPECT_TRUE(m.launchOptions().quit);
    EXPECT_EQ(m.warnings, 1);
    EXPECT_DOUBLE_EQ(m.epicstimeout, 3.0);
    EXPECT_EQ(qgetenv("EPICS_CA_MAX_ARRAY_BYTES"), QByteArray("65536"));
    EXPECT_TRUE(alerts.requests().empty());
}

TEST(ManagerLaunch, FailedOptionsGiveAFailingStatus)
{
    ScriptedAlerts alerts;
    CommandLine line(
        {"-i", TestSupport::scratchDir() + "/absent.txt", "-m", "run.mac", "-h", "yes", "-q", "yes"});
    LaunchProbe m;
    m.macroSucceeds = false;
    ::testing::internal::CaptureStderr();
    m.applicationDidFinishLaunching();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.terminatedWith, 1);
    EXPECT_EQ(m.exitStatus(), 1);
    EXPECT_NE(err.find("cannot import"), std::string::npos) << err;
    EXPECT_NE(err.find("vexa: cannot read the macro file run.mac: no such file"), std::string::npos) << err;
    // The macro still ran its turn after the failed import, and the quit came last.
    ASSERT_EQ(m.log.size(), 3);
    EXPECT_TRUE(m.log[2].startsWith("terminate 1"));
}

TEST(ManagerLaunch, WhichOptionsOpenAStartDocument)
{
    const struct {
        QStringList arguments;
        bool initialDocument;
        int documents;
        bool fileVariable;
        bool hidden;
    } cases[] = {
        {{"-f", "only"}, false, 0, false, false}, // -f alone asks for none
        {{"-f", "only"}, true, 1, true, false}, // the preference does
        {{"-h", "no"}, false, 0, false, false}, // only "yes" counts
        {{"-h", "YES"}, false, 1, false, true},   {{}, false, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        CommandLine line(c.arguments);
        if (c.initialDocument)
            UserDefaults::standard().setValue(QStringLiteral("InitialDocument"), true);
        LaunchProbe m;
        m.applicationDidFinishLaunching();
        EXPECT_EQ(int(m.documents().size()), c.documents);
        EXPECT_EQ(m.SV.contains("file"), c.fileVariable);
        EXPECT_EQ(m.terminatedWith, -1);
        if (c.documents) {
            EXPECT_EQ(m.PD, m.startPD);
            EXPECT_EQ(Manager::windowOf(m.PD)->isVisible(), !c.hidden);
        }
        EXPECT_EQ(m.inspector->isVisible(), !c.hidden);
    }
}

namespace {

// The rows the selection holds, in order.
std::vector<int> rowsOf(const QItemSelectionModel* selection)
{
    std::vector<int> rows;
    for (const QModelIndex& i : selection->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

TEST(ManagerDataPanes, AHiddenRunMakesNoneAndTheyShowItsStateWhenMade)
{
    const QString macro = writeScratch(QStringLiteral("panes.mac"),
                                       "newbuffer\nnewbuffer\nnewbuffer\nnewbuffer\n"
                                       "addvalue 1 1 1\naddvalue 1 2 4\naddvalue 1 3 9\n"
                                       "setcomment 1 squares\n"
                                       "select 3,1,0\nhide selected\nduplicate 1\n"
                                       "select unselected\nsetcurrent 1\n");
    ScriptedAlerts alerts;
    CommandLine line({"-m", macro, "-h", "yes"});
    Manager m;
    m.applicationDidFinishLaunching();
    ASSERT_NE(m.PD, nullptr);
    VexaDocument& d = *m.PD;
    EXPECT_EQ(m.consoleErrors(), 0);
    ASSERT_EQ(d.bufferCount(), 5);
    for (int i : {0, 1, 3})
        EXPECT_FALSE(d.DB[std::size_t(i)]->show) << i;
    EXPECT_TRUE(d.DB[2]->show);
    EXPECT_EQ(m.selectedBufferRows(), (std::vector<int>{2, 4}));
    // A point picked on the graph.
    m.selectPointRow(2);
    EXPECT_EQ(m.selectedPointRows(), std::vector<int>{2});

    // Nothing of the panes was made.
    EXPECT_FALSE(m.dataPanesMade());
    EXPECT_TRUE(m.DV.isEmpty());
    EXPECT_TRUE(m.inspector->findChildren<SideTableView*>().isEmpty());
    EXPECT_EQ(m.inspector->findChild<QStackedWidget*>(QStringLiteral("DataFrame")), nullptr);

    // Made now, they show the selections, the current buffer and the pane
    // chosen at launch.
    const Manager::DataPanes& p = m.dataPanes();
    ASSERT_TRUE(m.dataPanesMade());
    EXPECT_EQ(p.inspectorTable->selectionModel(), m.bufferSelection());
    EXPECT_EQ(rowsOf(p.inspectorTable->selectionModel()), (std::vector<int>{2, 4}));
    EXPECT_EQ(p.dataTable->selectionModel(), m.pointSelection());
    EXPECT_EQ(rowsOf(p.dataTable->selectionModel()), std::vector<int>{2});
    EXPECT_EQ(p.dataBuffer->text(), QStringLiteral("1"));
    EXPECT_EQ(p.dataPoints->text(), QStringLiteral("3"));
    EXPECT_EQ(p.dataComment->text(), QStringLiteral("squares"));
    EXPECT_EQ(p.DataFrame->currentWidget(), p.DataBufferView);
    EXPECT_EQ(&m.dataPanes(), &p);
    EXPECT_EQ(m.DV.size(), 4);

    // What the user selects in the tables is the controller's selection.
    p.inspectorTable->selectRow(3);
    EXPECT_EQ(m.selectedBufferRows(), std::vector<int>{3});
    p.dataTable->clearSelection();
    EXPECT_TRUE(m.selectedPointRows().empty());
    EXPECT_TRUE(alerts.requests().empty());
}

TEST(ManagerDataPanes, ShowingTheInspectorWindowMakesThemWithThePaneChosenBefore)
{
    const struct {
        const char* how;
        std::function<void(Manager&)> show;
    } cases[] = {
        {"showInspector", [](Manager& m) { m.showInspector(); }},
        {"the window shown", [](Manager& m) { m.inspector->show(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        Manager m;
        VexaDocument& d = openHidden(m, 3);
        d.current = 2;
        m.setCurrentDoc(&d, &d);
        m.switchDataView(QStringLiteral("macro"));
        EXPECT_FALSE(m.dataPanesMade());
        EXPECT_EQ(m.dataPane(), QStringLiteral("macro"));
        c.show(m);
        ASSERT_TRUE(m.dataPanesMade());
        const Manager::DataPanes& p = m.dataPanes();
        EXPECT_EQ(p.MacroView, m.macroEditor->view());
        EXPECT_EQ(p.DataFrame->currentWidget(), p.MacroView);
        EXPECT_TRUE(p.MacroView->isVisible());
        EXPECT_EQ(p.dataComment->text(), QStringLiteral("b2"));
        m.switchDataView(QStringLiteral("data"));
        EXPECT_TRUE(p.dataTable->isVisible());
        EXPECT_EQ(p.dataTable->model()->rowCount(), 5); // four points and "add"
        m.inspector->hide();
    }
}

TEST(ManagerMenus, SaveAndOpenKeepTheFileWithTheWindow)
{
    Manager m;
    ScriptedAlerts alerts;
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), false);
    VexaDocument& d = w->document();
    d.DB.push_back(buffer(5, QStringLiteral("kept")));
    m.setCurrentDoc(&d, &d);

    const QString path = TestSupport::scratchDir() + QStringLiteral("/saved.vexa");
    int panels = 0;
    m.filePanel = [&](const Manager::FilePanelRequest&) {
        ++panels;
        return QStringList{path};
    };
    // A document without a file asks where to save it.
    ASSERT_TRUE(m.saveDocument());
    EXPECT_EQ(panels, 1);
    EXPECT_EQ(w->filePath(), path);
    EXPECT_EQ(m.SV.value("document"), path);
    EXPECT_FALSE(w->isWindowModified());
    // Then it saves in place.
    ASSERT_TRUE(m.saveDocument());
    EXPECT_EQ(panels, 1);

    m.openDocumentFile(); // the panel answers the saved file: already open
    EXPECT_EQ(m.windows().size(), 1u);
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    m.openDocumentFile();
    ASSERT_EQ(m.windows().size(), 1u);
    DocumentWindowQt* opened = m.windows().front();
    EXPECT_EQ(opened->filePath(), path);
    ASSERT_EQ(opened->document().bufferCount(), 1);
    EXPECT_EQ(opened->document().DB.front()->comment, QStringLiteral("kept"));
    EXPECT_EQ(opened->document().DB.front()->nop(), 5);
    m.setCurrentDoc(&opened->document(), &opened->document());
    EXPECT_EQ(m.SV.value("document"), path);
    EXPECT_TRUE(alerts.requests().empty());
}

TEST(ManagerDialogs, MessageBoxesAndTheInputDialogAnswerByIndexAndText)
{
    // The dialogs of a run with windows, answered by "clicking" them.
    const Alert::Handler previous = Alert::setHandler(AlertDialogs::handler());
    auto whenModal = [](std::function<void(QWidget*)> act) {
        QTimer::singleShot(0, [act] {
            if (QWidget* w = QApplication::activeModalWidget())
                act(w);
        });
    };
    whenModal([](QWidget* w) {
        for (QAbstractButton* b : static_cast<QMessageBox*>(w)->buttons())
            if (b->text() == QStringLiteral("Cancel"))
                b->click();
    });
    EXPECT_EQ(Alert::run("No Buffer Selected", "m", {"Select All", "Cancel"}), 1);

    whenModal([](QWidget* w) {
        auto* dialog = static_cast<QInputDialog*>(w);
        EXPECT_EQ(dialog->textValue(), QStringLiteral("old"));
        dialog->setTextValue(QStringLiteral("7"));
        dialog->accept();
    });
    EXPECT_EQ(Alert::input("Input", "value?", "old"), std::optional<QString>("7"));

    whenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(Alert::input("Input", "value?"), std::nullopt);
    Alert::setHandler(previous);
}

// --- closing edited documents ------------------------------------------------------------

namespace {

// A controller whose end of the run is only recorded.
class QuitProbe : public Manager {
public:
    int terminations = 0;
    void terminate(int) override { ++terminations; }

protected:
    // The launch's macro edits the start document.
    Outcome runMacroFile(VexaDocument& d, const QString&) override
    {
        d.replot();
        return Outcome::done();
    }
};

// An edited document in a window that is never shown; the controller is told
// windows are visible, as in a run on a desktop.
DocumentWindowQt* editedWindow(Manager& m)
{
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), false);
    w->document().DB.push_back(buffer(3, QStringLiteral("work")));
    w->document().replot();
    return w;
}

void flushDeletes()
{
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(ManagerClosing, AnEditedWindowAsksAndFollowsTheAnswer)
{
    const QString target = TestSupport::scratchDir() + QStringLiteral("/closing.vexa");
    struct Case {
        const char* name;
        bool edited;
        int answer; // 0 Save, 1 Don't Save, 2 Cancel
        bool panelGivesFile; // the Save As panel of an untitled document
        bool closes;
        bool written;
    };
    const Case cases[] = {
        {"unedited", false, 2, false, true, false},
        {"don't save", true, 1, false, true, false},
        {"cancel", true, 2, false, false, false},
        {"save", true, 0, true, true, true},
        {"save, panel cancelled", true, 0, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(target);
        Manager m;
        m.setWindowsVisible(true);
        ScriptedAlerts alerts{c.answer};
        int panels = 0;
        m.filePanel = [&](const Manager::FilePanelRequest& r) {
            ++panels;
            EXPECT_EQ(r.kind, Manager::FilePanelRequest::Save);
            return c.panelGivesFile ? QStringList{target} : QStringList{};
        };
        DocumentWindowQt* w
            = c.edited ? editedWindow(m) : m.openDocument(std::make_unique<VexaDocument>(), false);
        ASSERT_EQ(w->isWindowModified(), c.edited);
        QPointer<DocumentWindowQt> alive(w);

        // File > Close on the current document, as the user would.
        m.setCurrentDoc(&w->document(), &w->document());
        m.closeDocument();
        flushDeletes();

        if (c.edited) {
            ASSERT_EQ(alerts.requests().size(), 1u);
            const Alert::Request& q = alerts.requests().front();
            EXPECT_EQ(q.title, QStringLiteral("Untitled"));
            EXPECT_TRUE(q.message.contains(QStringLiteral("Untitled")));
            EXPECT_EQ(q.buttons, (QStringList{"Save", "Don't Save", "Cancel"}));
        } else {
            EXPECT_TRUE(alerts.requests().empty());
        }
        EXPECT_EQ(alive.isNull(), c.closes);
        EXPECT_EQ(m.windows().size(), c.closes ? 0u : 1u);
        EXPECT_EQ(panels, c.answer == 0 && c.edited ? 1 : 0);
        EXPECT_EQ(QFile::exists(target), c.written);
        if (!c.closes) {
            EXPECT_TRUE(alive->isWindowModified());
            EXPECT_EQ(m.MPD, &alive->document()); // still open and usable
        }
    }
    QFile::remove(target);
}

TEST(ManagerClosing, ASavedDocumentIsSavedInPlaceAndNamedInTheQuestion)
{
    const QString path = TestSupport::scratchDir() + QStringLiteral("/named.vexa");
    Manager m;
    m.setWindowsVisible(true);
    ScriptedAlerts alerts{0, 0};
    int panels = 0;
    m.filePanel = [&](const Manager::FilePanelRequest&) {
        ++panels;
        return QStringList{path};
    };
    DocumentWindowQt* w = editedWindow(m);
    m.setCurrentDoc(&w->document(), &w->document());
    ASSERT_TRUE(m.saveDocument());
    EXPECT_FALSE(w->isWindowModified()); // a save clears the mark
    QFile::remove(path);

    w->document().replot();
    ASSERT_TRUE(w->isWindowModified());
    // Another document is current when the window is closed: the save still
    // writes this one, to its own file, without a panel.
    DocumentWindowQt* other = m.openDocument(std::make_unique<VexaDocument>(), false);
    m.setCurrentDoc(&other->document(), &other->document());
    EXPECT_TRUE(w->close());
    EXPECT_EQ(panels, 1);
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests().front().title, QStringLiteral("named.vexa"));
    EXPECT_TRUE(alerts.requests().front().message.contains(QStringLiteral("named.vexa")));
    flushDeletes();
    QFile::remove(path);
}

TEST(ManagerClosing, QuitAsksForEachEditedWindowAndCancelStopsIt)
{
    QuitProbe m;
    m.setWindowsVisible(true);
    ScriptedAlerts alerts{1, 2};
    QPointer<DocumentWindowQt> first(editedWindow(m));
    QPointer<DocumentWindowQt> clean(m.openDocument(std::make_unique<VexaDocument>(), false));
    QPointer<DocumentWindowQt> second(editedWindow(m));
    QPointer<DocumentWindowQt> third(editedWindow(m));

    m.quit(); // Don't Save, then Cancel
    flushDeletes();
    EXPECT_EQ(alerts.requests().size(), 2u);
    EXPECT_EQ(m.terminations, 0);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(clean.isNull());
    EXPECT_FALSE(second.isNull());
    EXPECT_FALSE(third.isNull()); // never asked about

    alerts.answer(1);
    alerts.answer(1);
    m.quit();
    flushDeletes();
    EXPECT_EQ(alerts.requests().size(), 4u);
    EXPECT_EQ(m.terminations, 1);
    EXPECT_TRUE(m.windows().empty());
}

TEST(ManagerClosing, ClosesTheProgramMakesNeverAsk)
{
    ScriptedAlerts alerts{2, 2, 2, 2};
    {
        // A macro's close and quit commands.
        QuitProbe m;
        m.setWindowsVisible(true);
        QPointer<DocumentWindowQt> closed(editedWindow(m));
        m.closeDocumentWindow(&closed->document());
        editedWindow(m);
        editedWindow(m);
        m.terminateApplication();
        flushDeletes();
        EXPECT_TRUE(closed.isNull());
        EXPECT_TRUE(m.windows().empty());
        EXPECT_EQ(m.terminations, 1);
    }
    {
        // Nobody can see the windows (the offscreen platform of the tests).
        QuitProbe m;
        QPointer<DocumentWindowQt> w(editedWindow(m));
        EXPECT_TRUE(w->close());
        editedWindow(m);
        m.quit();
        flushDeletes();
        EXPECT_TRUE(w.isNull());
        EXPECT_EQ(m.terminations, 1);
    }
    {
        // "-q yes" with the start document edited by the launch's macro.
        CommandLine line(
            {QStringLiteral("-m"), QStringLiteral("edit.mac"), QStringLiteral("-q"), QStringLiteral("yes")});
        QuitProbe m;
        m.setWindowsVisible(true);
        m.applicationDidFinishLaunching();
        ASSERT_EQ(m.terminations, 1);
        flushDeletes();
        EXPECT_TRUE(m.windows().empty());
    }
    EXPECT_TRUE(alerts.requests().empty());
}
