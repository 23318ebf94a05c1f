// The stored macros and their editor: the list in the user defaults across
// a restart, the editor's actions, the Macro menu, runs from the menu, the
// editor and shortcuts with their messages in the editor's console, list
// files exported, imported and opened, and a perl job driven from the
// editor.

#include "app/MacroEditor.h"
#include "AppFixtures.h"
#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "app/NameListTable.h"
#include "app/OpenDoc.h"
#include "app/QueryEditor.h"
#include "io/QueryListFile.h"
#include "macro/Macro.h"
#include "macro/MacroListFile.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

struct Fields {
    QString name, src;
    int shortcut = 0, type = 0;
    friend bool operator==(const Fields&, const Fields&) = default;
};

std::vector<Fields> fieldsOf(const std::vector<std::shared_ptr<Macro>>& list)
{
    std::vector<Fields> out;
    for (const auto& m : list)
        out.push_back({m->name, m->src, m->shortcut, m->type});
    return out;
}

QStringList namesOf(const std::vector<std::shared_ptr<Macro>>& list)
{
    QStringList out;
    for (const auto& m : list)
        out << m->name;
    return out;
}

Fields macro(const QString& name, int shortcut = 0, int type = 0)
{
    return {name, QStringLiteral("print ") + name, shortcut, type};
}

QByteArray archiveOf(const std::vector<Fields>& list)
{
    std::vector<std::unique_ptr<Macro>> macros;
    std::vector<const Macro*> pointers;
    for (const Fields& f : list) {
        macros.push_back(std::make_unique<Macro>(f.name, f.src, f.shortcut, f.type));
        pointers.push_back(macros.back().get());
    }
    return *MacroListFile::archive(pointers);
}

void clearStoredList()
{
    UserDefaults& d = UserDefaults::standard();
    for (const char* key : {"Macros", "CurrentMacro", "MacrosUnreadable"})
        d.removeObjectForKey(QLatin1String(key));
}

// A launched-looking editor with the given list and row `select` selected.
struct EditorFixture {
    Manager m;
    MacroEditor& e = *m.macroEditor;

    explicit EditorFixture(const std::vector<Fields>& list = {}, int select = 0)
    {
        clearStoredList();
        if (!list.empty())
            UserDefaults::standard().setValue(QStringLiteral("Macros"), archiveOf(list));
        UserDefaults::standard().setValue(QStringLiteral("CurrentMacro"), select);
        e.loadFromDefaults();
    }

    std::vector<Fields> stored() const
    {
        const auto list
            = MacroListFile::unarchive(UserDefaults::standard().dataForKey(QStringLiteral("Macros")));
        return list ? fieldsOf(*list) : std::vector<Fields>();
    }
    QStringList menu() const
    {
        QStringList out;
        for (QAction* a : e.macroMenu->actions())
            out << QStringLiteral("%1:%2").arg(a->text()).arg(a->data().toInt());
        return out;
    }
    void answerPanel(const QString& path)
    {
        m.filePanel = [path](const Manager::FilePanelRequest&) { return QStringList{path}; };
    }
    // A current document in a hidden window.
    VexaDocument& document(int buffers = 0)
    {
        auto d = std::make_unique<VexaDocument>();
        for (int i = 0; i < buffers; ++i) {
            d->DB.push_back(std::make_unique<DataBuffer>());
            d->DB.back()->addDoubleValue(1, 2);
        }
        VexaDocument& doc = m.openDocument(std::move(d), false)->document();
        m.setCurrentDoc(&doc, &doc);
        return doc;
    }
};

QStringList menuOf(const std::vector<QString>& names)
{
    QStringList out;
    for (std::size_t i = 0; i < names.size(); ++i)
        out << QStringLiteral("%1:%2").arg(names[i]).arg(i);
    return out;
}

template <class Condition> bool spinUntil(Condition done, int ms = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        Macro::waitProcessingEvents(0.01);
    return done();
}

TEST(MacroList, LaunchRestoresTheListAndTheRowOnShow)
{
    {
        EditorFixture f;
        EXPECT_EQ(fieldsOf(f.e.MA), (std::vector<Fields>{{QStringLiteral("New Macro"), QString(), 0, 0}}));
        EXPECT_EQ(f.stored(), fieldsOf(f.e.MA)) << "the new macro is stored at once";
        EXPECT_EQ(f.menu(), menuOf({"New Macro"}));
    }
    {
        EditorFixture f({macro("a"), macro("b", 'g', 2), macro("c")}, 1);
        EXPECT_EQ(namesOf(f.e.MA), QStringList({"a", "b", "c"}));
        EXPECT_EQ(f.e.selectedRow(), 1);
        EXPECT_EQ(f.e.ma_src()->toPlainText(), QStringLiteral("print b"));
        EXPECT_EQ(f.e.ma_shortcut()->currentText(), QStringLiteral("g"));
        EXPECT_EQ(f.e.ma_type()->checkedId(), 2);
        EXPECT_EQ(f.menu(), menuOf({"a", "b", "c"}));
    }
    {
        // A remembered row the list no longer has selects none.
        EditorFixture f({macro("a"), macro("b"), macro("c")}, 5);
        EXPECT_EQ(f.e.selectedRow(), -1);
    }
    {
        // An unreadable list is kept aside, said so, and not overwritten.
        clearStoredList();
        UserDefaults::standard().setValue(QStringLiteral("Macros"), QByteArray("damaged"));
        Manager m;
        m.macroEditor->loadFromDefaults();
        EXPECT_EQ(namesOf(m.macroEditor->MA), QStringList({"New Macro"}));
        EXPECT_EQ(UserDefaults::standard().dataForKey(QStringLiteral("MacrosUnreadable")),
                  QByteArray("damaged"));
        EXPECT_TRUE(m.console().text().contains(QStringLiteral("could not be read")));
        EXPECT_EQ(m.consoleErrors(), 1);
    }
}

TEST(MacroList, ListActionsKeepTheStoredListTheSelectionAndTheMenu)
{
    struct Case {
        const char* name;
        int select;
        std::function<void(MacroEditor&)> act;
        QStringList expected;
        int selected;
    };
    const Case cases[] = {
        {"add appends a new macro", 0, [](MacroEditor& e) { e.ma_add(); }, {"A", "B", "C", "New Macro"}, 3},
        {"duplicate appends a copy",
         0,
         [](MacroEditor& e) { e.ma_duplicate(); },
         {"A", "B", "C", "A copy"},
         3},
        {"duplicate without selection", -1, [](MacroEditor& e) { e.ma_duplicate(); }, {"A", "B", "C"}, -1},
        {"move C up", 2, [](MacroEditor& e) { e.ma_moveUp(); }, {"A", "C", "B"}, 1},
        {"move A down", 0, [](MacroEditor& e) { e.ma_moveDown(); }, {"B", "A", "C"}, 1},
        {"move up at the top", 0, [](MacroEditor& e) { e.ma_moveUp(); }, {"A", "B", "C"}, 0},
        {"move down at the bottom", 2, [](MacroEditor& e) { e.ma_moveDown(); }, {"A", "B", "C"}, 2},
        {"rename in the table",
         1,
         [](MacroEditor& e) {
             EXPECT_TRUE(e.macroTable()->model()->setData(e.macroTable()->model()->index(1, 0),
                                                          QStringLiteral("Fit & Plot")));
         },
         {"A", "Fit & Plot", "C"},
         1},
    };
    for (const Case& c : cases) {
        EditorFixture f({macro("A", 'a', 2), macro("B"), macro("C")}, c.select);
        c.act(f.e);
        EXPECT_EQ(namesOf(f.e.MA), c.expected) << c.name;
        EXPECT_EQ(f.stored(), fieldsOf(f.e.MA)) << c.name;
        EXPECT_EQ(f.e.selectedRow(), c.selected) << c.name;
        if (c.selected >= 0) {
            EXPECT_EQ(f.e.ma_src()->toPlainText(), f.e.MA[std::size_t(c.selected)]->src)
                << c.name << ": the editor shows the row";
        }
        QStringList menu;
        for (int i = 0; i < c.expected.size(); ++i)
            menu << QStringLiteral("%1:%2")
                        .arg(QString(c.expected[i]).replace(QLatin1Char('&'), QLatin1String("&&")))
                        .arg(i);
        EXPECT_EQ(f.menu(), menu) << c.name;
    }
    // The copy keeps source and type, not the shortcut.
    EditorFixture f({macro("Fit", 'f', 2)});
    f.e.ma_duplicate();
    EXPECT_EQ(fieldsOf(f.e.MA)[1], (Fields{QStringLiteral("Fit copy"), QStringLiteral("print Fit"), 0, 2}));
}

TEST(MacroList, DeleteAsksAndNeverWritesTheEditorIntoAnotherMacro)
{
    struct Case {
        const char* name;
        int select;
        bool all;
        int answer; // 0 Cancel, 1 Delete
        QStringList expected;
        const char* title;
        const char* message;
    };
    const Case cases[] = {
        {"cancel keeps everything",
         1,
         false,
         0,
         {"a", "b"},
         "Delete Macro",
         "clicking 'Delete' removes this macro immediately"},
        {"delete the selected",
         1,
         false,
         1,
         {"a"},
         "Delete Macro",
         "clicking 'Delete' removes this macro immediately"},
        {"delete all",
         0,
         true,
         1,
         {"New Macro"},
         "Delete All Macros",
         "clicking 'Delete' removes all macros immediately"},
    };
    for (const Case& c : cases) {
        EditorFixture f({macro("a"), macro("b")}, c.select);
        ScriptedAlerts alerts{c.answer};
        f.e.ma_delete(c.all);
        ASSERT_EQ(alerts.requests().size(), 1u) << c.name;
        EXPECT_EQ(alerts.requests()[0].title, QLatin1String(c.title)) << c.name;
        EXPECT_EQ(alerts.requests()[0].message, QLatin1String(c.message)) << c.name;
        EXPECT_EQ(alerts.requests()[0].buttons, QStringList({"Cancel", "Delete"})) << c.name;
        EXPECT_EQ(namesOf(f.e.MA), c.expected) << c.name;
        EXPECT_EQ(f.stored(), fieldsOf(f.e.MA)) << c.name;
        EXPECT_EQ(f.menu().size(), c.expected.size()) << c.name;
        for (const auto& m : f.e.MA)
            EXPECT_EQ(m->src,
                      m->name == QStringLiteral("New Macro") ? QString() : QStringLiteral("print ") + m->name)
                << c.name;
    }
    {
        // Deleting the only macro leaves one empty "New Macro", shown.
        EditorFixture f({macro("only")});
        ScriptedAlerts alerts{1};
        f.e.ma_delete(false);
        EXPECT_EQ(fieldsOf(f.e.MA), (std::vector<Fields>{{QStringLiteral("New Macro"), QString(), 0, 0}}));
        EXPECT_EQ(f.e.ma_src()->toPlainText(), QString());
    }
    // Nothing selected: a beep and no question.
    EditorFixture f({macro("a")}, -1);
    ScriptedAlerts alerts;
    f.e.ma_delete(false);
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(namesOf(f.e.MA), QStringList({"a"}));
}

TEST(MacroList, EditsGoIntoTheSelectedMacroOnly)
{
    EditorFixture f({macro("a"), macro("b")}, 1);
    f.e.ma_src()->setPlainText(QStringLiteral("print \"changed\""));
    f.e.ma_shortcut()->setCurrentIndex(f.e.ma_shortcut()->findText(QStringLiteral("Q")));
    f.e.ma_type()->button(MacroTypePerlFilter)->click();
    const Fields expected{QStringLiteral("b"), QStringLiteral("print \"changed\""), 'Q', MacroTypePerlFilter};
    EXPECT_EQ(fieldsOf(f.e.MA)[1], expected);
    EXPECT_EQ(f.stored()[1], expected);
    EXPECT_EQ(fieldsOf(f.e.MA)[0], macro("a"));

    // Showing another row fills the editor without writing anything back.
    f.e.selectRow(0);
    EXPECT_EQ(f.e.ma_src()->toPlainText(), QStringLiteral("print a"));
    EXPECT_EQ(f.e.ma_shortcut()->currentText(), QStringLiteral("none"));
    EXPECT_EQ(f.e.ma_type()->checkedId(), 0);
    EXPECT_EQ(fieldsOf(f.e.MA)[0], macro("a"));
    EXPECT_EQ(fieldsOf(f.e.MA)[1], expected);
    EXPECT_EQ(UserDefaults::standard().integerForKey(QStringLiteral("CurrentMacro")), 0);
}

TEST(MacroList, InsertStyleTypesTheGraphsLookAtTheCursorAndSavesIt)
{
    EditorFixture f({macro("a"), macro("b")}, 1);
    // Nothing without a current document.
    f.e.ma_insertStyle();
    EXPECT_EQ(fieldsOf(f.e.MA)[1], macro("b"));

    VexaDocument& d = f.document(1);
    Manager::windowOf(&d)->setContentSize(QSize(520, 410));
    d.axes[AxisX1].axistext = QStringLiteral("it's \"t\"\nin s");
    d.DB[0]->style.linewidth = 3.5;
    // Over the selected word "print": the text before and after stays.
    QTextCursor cursor = f.e.ma_src()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    f.e.ma_src()->setTextCursor(cursor);
    f.e.ma_insertStyle();
    const QString src = f.e.MA[1]->src;
    EXPECT_TRUE(src.startsWith(QStringLiteral("##### main style attributes #####\ncolormode 0\n"
                                              "windowsize 520 410\n")))
        << src.toStdString();
    EXPECT_TRUE(src.endsWith(QStringLiteral("\n b"))) << src.toStdString();
    EXPECT_TRUE(src.contains(QStringLiteral("\nblinewidth 3.5 0\n")));
    EXPECT_EQ(f.stored()[1].src, src);
    EXPECT_EQ(fieldsOf(f.e.MA)[0], macro("a"));

    // Run on another document, the written lines give it the same look.
    VexaDocument& other = f.document(1);
    Macro(QStringLiteral("style"), src.chopped(2), 0, 0).run(f.m);
    EXPECT_EQ(other.axes, d.axes);
    EXPECT_EQ(other.DB[0]->style, d.DB[0]->style);

    // Nothing without a selected macro.
    f.e.macroTable()->clearSelection();
    f.e.ma_insertStyle();
    EXPECT_EQ(f.e.MA[1]->src, src);
}

TEST(MacroList, TheListSurvivesARestart)
{
    {
        EditorFixture f({macro("a"), macro("b")}, 0);
        f.e.ma_add();
        f.e.ma_src()->setPlainText(QStringLiteral("print new"));
        f.e.ma_moveUp();
    }
    Manager m;
    m.macroEditor->loadFromDefaults();
    EXPECT_EQ(namesOf(m.macroEditor->MA), QStringList({"a", "New Macro", "b"}));
    EXPECT_EQ(m.macroEditor->selectedRow(), 1);
    EXPECT_EQ(m.macroEditor->ma_src()->toPlainText(), QStringLiteral("print new"));
}

TEST(MacroList, MenuEditorAndShortcutRunMacrosWithTheirMessagesInTheEditorsConsole)
{
    EditorFixture f({{QStringLiteral("one"), QStringLiteral("print one"), 'g', 0},
                     {QStringLiteral("other"), QStringLiteral("print other"), 'x', 0},
                     {QStringLiteral("two"), QStringLiteral("print two"), 'g', 0},
                     {QStringLiteral("capital"), QStringLiteral("print capital"), 'G', 0}},
                    1);
    f.document();

    f.e.macroMenu->actions().at(1)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.m.console().text(), QStringLiteral("other "));
    EXPECT_EQ(f.menu().size(), 4);

    f.e.ma_clr();
    f.e.ma_execute();
    EXPECT_EQ(f.m.console().text(), QStringLiteral("other "));

    f.e.ma_clr();
    f.m.ma_executeByShortcut('g');
    EXPECT_EQ(f.m.console().text(), QStringLiteral("one \ntwo "));
    f.e.ma_clr();
    f.m.ma_executeByShortcut('q');
    EXPECT_EQ(f.m.console().text(), QString());
}

TEST(MacroList, ExecuteStopsARunningTimerInsteadOfRunning)
{
    EditorFixture f({{QStringLiteral("ticks"), QStringLiteral("timer 1000\nprint started"), 0, 0}});
    f.document();
    // The row of a ticking macro is written in dark red, and black again once it stops.
    auto rowColor
        = [&f] { return f.e.macroTable()->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>(); };
    EXPECT_FALSE(rowColor().isValid());
    f.e.ma_execute();
    const std::weak_ptr<Macro> ticking = f.e.MA[0];
    ASSERT_TRUE(f.e.MA[0]->timerRunning());
    EXPECT_EQ(f.e.ma_exestop()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(rowColor(), QColor::fromRgbF(0.501961f, 0.f, 0.f));

    f.e.ma_execute();
    EXPECT_FALSE(f.e.MA[0]->timerRunning());
    EXPECT_EQ(f.e.ma_exestop()->text(), QStringLiteral("Execute"));
    EXPECT_FALSE(rowColor().isValid());
    EXPECT_EQ(f.m.console().text(), QStringLiteral("started ")) << "not run again";

    // A macro taken out of the list stops ticking: edited, or deleted.
    f.e.ma_execute();
    ASSERT_TRUE(f.e.MA[0]->timerRunning());
    f.e.ma_src()->setPlainText(QStringLiteral("print edited"));
    EXPECT_TRUE(ticking.expired());
    EXPECT_FALSE(f.e.MA[0]->timerRunning());

    f.e.ma_src()->setPlainText(QStringLiteral("timer 1000"));
    f.e.ma_execute();
    const std::weak_ptr<Macro> again = f.e.MA[0];
    ASSERT_TRUE(f.e.MA[0]->timerRunning());
    ScriptedAlerts alerts{1};
    f.e.ma_delete(false);
    EXPECT_TRUE(again.expired());
}

TEST(MacroList, ExportAndImportRoundTrip)
{
    const QString all = TestSupport::scratchDir() + QStringLiteral("/all.mavexa");
    const QString one = TestSupport::scratchDir() + QStringLiteral("/one.mavexa");
    const Fields b{QStringLiteral("b"), QStringLiteral("my @y;\n"), 'b', MacroTypePerlImport};
    {
        EditorFixture f({macro("a"), b}, 1);
        f.answerPanel(all);
        f.e.ma_export(false);
        f.answerPanel(one);
        f.e.ma_export(true);
    }
    struct Case {
        const char* name;
        QString path;
        bool append;
        std::vector<Fields> expected;
    };
    const Case cases[] = {
        {"replace by the whole list", all, false, {macro("a"), b}},
        {"replace by the selected macro", one, false, {b}},
        {"append keeps namesakes", all, true, {macro("b"), macro("a"), b}},
    };
    for (const Case& c : cases) {
        EditorFixture f({macro("b")});
        f.answerPanel(c.path);
        f.e.ma_import(c.append);
        EXPECT_EQ(fieldsOf(f.e.MA), c.expected) << c.name;
        EXPECT_EQ(f.stored(), c.expected) << c.name;
        EXPECT_EQ(f.menu().size(), qsizetype(c.expected.size())) << c.name;
        EXPECT_GE(f.e.selectedRow(), 0) << c.name;
    }

    // A file that is no macro list changes nothing and says so.
    const QString bad = AppFixtures::writeScratch(QStringLiteral("bad.mavexa"),
                                                  *QueryListFile::archive({MySQLQuery::defaultQuery()}));
    EditorFixture f({macro("x")});
    f.answerPanel(bad);
    ScriptedAlerts alerts;
    f.e.ma_import(false);
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("File Open Error"));
    EXPECT_EQ(namesOf(f.e.MA), QStringList({"x"}));
    EXPECT_EQ(f.stored(), fieldsOf(f.e.MA));

    // No selected macro: a beep, no panel.
    int panels = 0;
    f.m.filePanel = [&panels](const Manager::FilePanelRequest&) {
        ++panels;
        return QStringList();
    };
    f.e.selectRow(-1);
    f.e.ma_export(true);
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_EQ(panels, 0);
    for (const QString& path : {all, one, bad})
        QFile::remove(path);
}

TEST(MacroList, AnOpenedMacroListMergesByNameAndIsStored)
{
    const QString path = TestSupport::scratchDir() + QStringLiteral("/opened.mavexa");
    {
        const Macro b(QStringLiteral("b"), QStringLiteral("print new"), 'n', 0);
        const Macro n(QStringLiteral("n"), QStringLiteral("print n"), 0, 0);
        ASSERT_TRUE(MacroListFile::write(path, {&b, &n}).ok());
    }
    EditorFixture f({macro("a"), macro("b"), macro("c")}, 2);
    EXPECT_TRUE(OpenDoc::open(f.m, path));
    EXPECT_EQ(namesOf(f.e.MA), QStringList({"a", "c", "b", "n"}));
    EXPECT_EQ(f.e.MA[2]->src, QStringLiteral("print new"));
    EXPECT_EQ(f.stored(), fieldsOf(f.e.MA));
    EXPECT_EQ(f.menu(), menuOf({"a", "c", "b", "n"}));
    const int row = f.e.selectedRow();
    ASSERT_GE(row, 0);
    EXPECT_EQ(f.e.ma_src()->toPlainText(), f.e.MA[std::size_t(row)]->src);
    QFile::remove(path);
}

// Two instances share one store: a macro one of them took in (say, from a
// list file) is not lost when the other writes its list. A macro changed
// here keeps this change; what the other changed, added or deleted since
// this one last wrote comes in, to the table and the menu as well.
TEST(MacroList, AStoreSharedWithAnotherInstanceLosesNeitherInstancesMacros)
{
    EditorFixture f({macro("a"), macro("b"), macro("c"), macro("d")}, 2);
    {
        // The other instance, through a store object of its own.
        QSettings other(UserDefaults::standard().storeFile(), QSettings::IniFormat);
        Fields changed = macro("a");
        changed.src = QStringLiteral("print theirs");
        Fields lost = macro("c");
        lost.src = QStringLiteral("print lost");
        other.setValue(QStringLiteral("Macros"), archiveOf({changed, macro("b"), lost, macro("merged")}));
        other.sync();
    }
    f.e.ma_src()->setPlainText(QStringLiteral("print ours"));
    f.e.ma_save();

    Fields a = macro("a"), c = macro("c");
    a.src = QStringLiteral("print theirs");
    c.src = QStringLiteral("print ours");
    const std::vector<Fields> expected = {a, macro("b"), c, macro("merged")};
    EXPECT_EQ(fieldsOf(f.e.MA), expected);
    EXPECT_EQ(f.stored(), expected);
    EXPECT_EQ(f.menu(), menuOf({"a", "b", "c", "merged"}));
    EXPECT_EQ(f.e.selectedRow(), 2);
    EXPECT_EQ(f.e.ma_src()->toPlainText(), QStringLiteral("print ours"));
}

TEST(MacroList, APerlFilterFromTheEditorShowsItsProgressAndStops)
{
    EditorFixture f({{QStringLiteral("slow"), QStringLiteral("sleep 20; push @R, { y => [1] };"), 0,
                      MacroTypePerlFilter}});
    VexaDocument& doc = f.document(1);
    f.m.setSelectedBufferRows({0});

    f.e.ma_execute();
    EXPECT_EQ(f.e.ma_exestop()->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(f.e.ma_progress()->isHidden());

    f.e.ma_execute();
    ASSERT_TRUE(spinUntil([&] { return f.e.MA[0]->MAP == PerlJobState::Idle; }));
    EXPECT_EQ(f.e.ma_exestop()->text(), QStringLiteral("Execute"));
    EXPECT_TRUE(f.e.ma_progress()->isHidden());
    EXPECT_EQ(doc.bufferCount(), 1);
}

TEST(MacroList, AHiddenRunMakesNoPaneWhichLaterShowsWhatWasDone)
{
    clearStoredList();
    UserDefaults::standard().setValue(
        QStringLiteral("Macros"),
        archiveOf(
            {macro("a"), {QStringLiteral("ticks"), QStringLiteral("print ticking\ntimer 1000"), 't', 0}}));
    UserDefaults::standard().setValue(QStringLiteral("CurrentMacro"), 0);
    Manager m;
    MacroEditor& e = *m.macroEditor;
    VexaDocument& d = m.openDocument(std::make_unique<VexaDocument>(), false)->document();
    m.setCurrentDoc(&d, &d);

    // The launch's lists, macros added, selected and run from the menu and
    // by Execute, a timer started, console lines.
    m.queryEditor->loadFromDefaults();
    e.loadFromDefaults();
    e.ma_add();
    e.macroByMenu(1);
    QCoreApplication::processEvents();
    e.selectRow(0);
    e.ma_execute();
    e.selectRow(1);
    Macro(QStringLiteral("run"), QStringLiteral("print b"), 0, 0).run(m);
    ASSERT_TRUE(e.MA[1]->timerRunning());
    EXPECT_EQ(namesOf(e.MA), QStringList({"a", "ticks", "New Macro"}));
    EXPECT_EQ(e.selectedRow(), 1);
    EXPECT_EQ(m.console().text(), QStringLiteral("ticking \na \nb "));
    EXPECT_FALSE(e.hasView());
    EXPECT_FALSE(m.queryEditor->hasView());
    EXPECT_EQ(m.consoleWindow(), nullptr);

    // The pane shows the list, the selected row and its macro, the timer's
    // Stop and mark, and the console.
    ASSERT_NE(e.view(), nullptr);
    EXPECT_EQ(e.macroTable()->model()->rowCount(), 3);
    EXPECT_EQ(e.macroTable()->selectionModel()->selectedRows().value(0).row(), 1);
    EXPECT_EQ(e.macroTable()->model()->index(1, 0).data(Qt::ForegroundRole).value<QColor>(),
              NameListTable::markColor());
    EXPECT_EQ(e.ma_src()->toPlainText(), QStringLiteral("print ticking\ntimer 1000"));
    EXPECT_EQ(e.ma_shortcut()->currentText(), QStringLiteral("t"));
    EXPECT_EQ(e.ma_exestop()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(e.ma_console()->toPlainText(), m.console().text());
    EXPECT_EQ(e.MA[1]->src, QStringLiteral("print ticking\ntimer 1000")) << "showing is no edit";

    // From then on the pane works as ever: Stop, an edit, a click on a row.
    e.ma_exestop()->click();
    EXPECT_FALSE(e.MA[1]->timerRunning());
    EXPECT_EQ(e.ma_exestop()->text(), QStringLiteral("Execute"));
    e.ma_src()->setPlainText(QStringLiteral("print edited"));
    EXPECT_EQ(e.MA[1]->src, QStringLiteral("print edited"));
    e.macroTable()->selectRow(0);
    EXPECT_EQ(e.selectedRow(), 0);
    EXPECT_EQ(e.ma_src()->toPlainText(), QStringLiteral("print a"));

    // The console window, made on its first show, has every line.
    m.consoleAppend(QStringLiteral("more\n"), true);
    m.showConsole();
    ASSERT_NE(m.consoleWindow(), nullptr);
    const auto* shown = m.consoleWindow()->findChild<QPlainTextEdit*>(QStringLiteral("consoleWindowText"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->toPlainText(), QStringLiteral("ticking \na \nb more\n"));
    EXPECT_EQ(e.ma_console()->toPlainText(), shown->toPlainText());
}

} // namespace
