// The stored MySQL queries: their editor's actions, the list in the user
// defaults, list files exported and imported, and list files opened as
// documents.

#include "app/QueryEditor.h"
#include "AppFixtures.h"
#include "app/MacroEditor.h"
#include "app/Manager.h"
#include "app/OpenDoc.h"
#include "io/QueryListFile.h"
#include "platform/Alert.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

MySQLQuery query(const QString& name, const QString& sql = QString())
{
    return MySQLQuery(name, QStringLiteral("h-") + name, QStringLiteral("db-") + name, 3306,
                      QStringLiteral("u-") + name, QStringLiteral("pw-") + name,
                      sql.isEmpty() ? QStringLiteral("SELECT ") + name : sql);
}

QStringList names(const std::vector<MySQLQuery>& list)
{
    QStringList out;
    for (const MySQLQuery& q : list)
        out << q.name;
    return out;
}

// A launched-looking editor with the given list, row `select` selected.
struct EditorFixture {
    Manager m;
    QueryEditor& e = *m.queryEditor;

    explicit EditorFixture(std::vector<MySQLQuery> list = {}, int select = 0)
    {
        UserDefaults::standard().removeObjectForKey(QueryListFile::defaultsKey());
        if (!list.empty())
            UserDefaults::standard().setValue(QueryListFile::defaultsKey(), *QueryListFile::archive(list));
        e.loadFromDefaults();
        e.selectRow(select);
    }

    std::vector<MySQLQuery> stored() const
    {
        return QueryListFile::unarchive(UserDefaults::standard().dataForKey(QueryListFile::defaultsKey()))
            .value_or(std::vector<MySQLQuery>());
    }

    void answerPanel(const QString& path)
    {
        m.filePanel = [path](const Manager::FilePanelRequest&) { return QStringList{path}; };
    }
};

mode_t modeOf(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST(QueryList, LaunchRestoresTheStoredListOrMakesTheDefaultQuery)
{
    {
        EditorFixture f;
        ASSERT_EQ(f.e.MYQ.size(), 1u);
        EXPECT_EQ(f.e.MYQ[0], MySQLQuery::defaultQuery());
        EXPECT_EQ(f.stored(), f.e.MYQ) << "the default query is stored at once";
        EXPECT_EQ(f.e.selectedRow(), 0);
        EXPECT_EQ(f.e.my_db()->text(), QStringLiteral("test"));
        EXPECT_EQ(f.e.my_port()->text(), QStringLiteral("3306"));
    }
    {
        EditorFixture f({query("a"), query("b")});
        EXPECT_EQ(names(f.e.MYQ), QStringList({"a", "b"}));
        EXPECT_EQ(f.e.my_host()->text(), QStringLiteral("h-a"));
        EXPECT_EQ(f.e.my_passwd()->echoMode(), QLineEdit::Password);
    }
    {
        // A damaged entry loses nothing else: the list starts over.
        UserDefaults::standard().setValue(QueryListFile::defaultsKey(), QByteArray("damaged"));
        Manager m;
        m.queryEditor->loadFromDefaults();
        ASSERT_EQ(m.queryEditor->MYQ.size(), 1u);
        EXPECT_EQ(m.queryEditor->MYQ[0].name, QStringLiteral("New Query"));
    }
}

TEST(QueryList, ListActionsKeepTheStoredListAndSelection)
{
    struct Case {
        const char* name;
        int select;
        std::function<void(QueryEditor&)> act;
        QStringList expected;
        int selected;
    };
    const Case cases[] = {
        {"add appends the default query",
         0,
         [](QueryEditor& e) { e.my_add(); },
         {"Run", "b", "New Query"},
         2},
        {"duplicate appends a copy",
         0,
         [](QueryEditor& e) { e.my_duplicate(); },
         {"Run", "b", "Run copy"},
         2},
        {"duplicate without selection", -1, [](QueryEditor& e) { e.my_duplicate(); }, {"Run", "b"}, -1},
        {"move down", 0, [](QueryEditor& e) { e.my_moveDown(); }, {"b", "Run"}, 1},
        {"move up", 1, [](QueryEditor& e) { e.my_moveUp(); }, {"b", "Run"}, 0},
        {"move up at the top", 0, [](QueryEditor& e) { e.my_moveUp(); }, {"Run", "b"}, 0},
        {"move down at the bottom", 1, [](QueryEditor& e) { e.my_moveDown(); }, {"Run", "b"}, 1},
        {"rename",
         1,
         [](QueryEditor& e) {
             EXPECT_TRUE(
                 e.mysqlTable()->model()->setData(e.mysqlTable()->model()->index(1, 0), QStringLiteral("c")));
         },
         {"Run", "c"},
         1},
        {"rename while documents are switched",
         1,
         [](QueryEditor& e) {
             Manager::shared()->noedit = 1;
             EXPECT_FALSE(
                 e.mysqlTable()->model()->setData(e.mysqlTable()->model()->index(1, 0), QStringLiteral("c")));
             Manager::shared()->noedit = 0;
         },
         {"Run", "b"},
         1},
    };
    for (const Case& c : cases) {
        EditorFixture f({query("Run"), query("b")}, c.select);
        c.act(f.e);
        EXPECT_EQ(names(f.e.MYQ), c.expected) << c.name;
        EXPECT_EQ(names(f.stored()), c.expected) << c.name;
        EXPECT_EQ(f.e.selectedRow(), c.selected) << c.name;
        if (c.selected >= 0) {
            EXPECT_EQ(f.e.my_host()->text(), f.e.MYQ[std::size_t(c.selected)].host)
                << c.name << ": editor shows the row";
        }
    }
    // The copy is a whole copy.
    EditorFixture f({query("Run")});
    f.e.my_duplicate();
    MySQLQuery copy = f.e.MYQ[1];
    copy.name = QStringLiteral("Run");
    EXPECT_EQ(copy, f.e.MYQ[0]);
}

TEST(QueryList, DeleteAsksAndNeverWritesTheEditorIntoAnotherQuery)
{
    struct Case {
        const char* name;
        std::vector<MySQLQuery> list;
        int select;
        bool all;
        int answer; // 0 Cancel, 1 Delete
        QStringList expected;
        const char* title;
    };
    const Case cases[] = {
        {"cancel keeps everything", {query("a"), query("b")}, 1, false, 0, {"a", "b"}, "Delete MySQL Query"},
        {"delete the selected",
         {query("a"), query("b"), query("c")},
         1,
         false,
         1,
         {"a", "c"},
         "Delete MySQL Query"},
        {"delete all", {query("a"), query("b")}, 0, true, 1, {"New Query"}, "Delete All MySQL Queries"},
        {"delete the last", {query("a")}, 0, false, 1, {"New Query"}, "Delete MySQL Query"},
    };
    for (const Case& c : cases) {
        EditorFixture f(c.list, c.select);
        ScriptedAlerts alerts{c.answer};
        f.e.my_delete(c.all);
        ASSERT_EQ(alerts.requests().size(), 1u) << c.name;
        EXPECT_EQ(alerts.requests()[0].title, QLatin1String(c.title)) << c.name;
        EXPECT_EQ(alerts.requests()[0].buttons, QStringList({"Cancel", "Delete"})) << c.name;
        EXPECT_EQ(names(f.e.MYQ), c.expected) << c.name;
        EXPECT_EQ(f.stored(), f.e.MYQ) << c.name;
        // Whatever remains is exactly what it was (or the plain default).
        for (const MySQLQuery& q : f.e.MYQ) {
            const MySQLQuery expected
                = q.name == QStringLiteral("New Query") ? MySQLQuery::defaultQuery() : query(q.name);
            EXPECT_EQ(q, expected) << c.name << ": " << q.name.toStdString();
        }
        // The editor shows the selected query, so the next keystroke edits it.
        const int row = f.e.selectedRow();
        ASSERT_GE(row, 0) << c.name;
        EXPECT_EQ(f.e.my_sql()->toPlainText(), f.e.MYQ[std::size_t(row)].sql) << c.name;
        f.e.my_sql()->setPlainText(QStringLiteral("SELECT 42"));
        EXPECT_EQ(f.stored()[std::size_t(row)].sql, QStringLiteral("SELECT 42")) << c.name;
        EXPECT_EQ(f.stored()[std::size_t(row)].name, f.e.MYQ[std::size_t(row)].name) << c.name;
    }
    // Nothing selected: a beep and no question.
    EditorFixture f({query("a")}, -1);
    ScriptedAlerts alerts;
    f.e.my_delete(false);
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(names(f.e.MYQ), QStringList({"a"}));
}

TEST(QueryList, TheDeleteAllButtonAsksThenEmptiesTheList)
{
    EditorFixture f({query("a"), query("b"), query("c")}, 1);
    auto* button = f.e.view()->findChild<QPushButton*>(QStringLiteral("my_deleteAll"));
    ASSERT_NE(button, nullptr);
    {
        ScriptedAlerts alerts{0};
        button->click();
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Delete All MySQL Queries"));
        EXPECT_EQ(names(f.e.MYQ), QStringList({"a", "b", "c"}));
    }
    ScriptedAlerts alerts{1};
    button->click();
    EXPECT_EQ(names(f.e.MYQ), QStringList({"New Query"}));
    EXPECT_EQ(f.stored(), f.e.MYQ);
}

TEST(QueryList, EditsAreSavedIntoTheSelectedQueryOnly)
{
    EditorFixture f({query("a"), query("b")}, 1);
    f.e.my_host()->setText(QStringLiteral("db.lab"));
    f.e.my_port()->setText(QStringLiteral(" 3310 "));
    f.e.my_passwd()->setText(QStringLiteral("p w"));
    emit f.e.my_passwd()->editingFinished();
    f.e.my_sql()->setPlainText(QStringLiteral("SELECT t, v FROM runs"));
    const MySQLQuery expected(QStringLiteral("b"), QStringLiteral("db.lab"), QStringLiteral("db-b"), 3310,
                              QStringLiteral("u-b"), QStringLiteral("p w"),
                              QStringLiteral("SELECT t, v FROM runs"));
    EXPECT_EQ(f.e.MYQ[1], expected);
    EXPECT_EQ(f.stored()[1], expected);
    EXPECT_EQ(f.e.MYQ[0], query("a"));

    // Showing another row fills the editor without writing anything back.
    f.e.selectRow(0);
    EXPECT_EQ(f.e.my_sql()->toPlainText(), query("a").sql);
    EXPECT_EQ(f.e.MYQ[0], query("a"));
    EXPECT_EQ(f.e.MYQ[1], expected);
}

TEST(QueryList, ExportAndImportRoundTrip)
{
    const QString all = TestSupport::scratchDir() + QStringLiteral("/all.myvexa");
    const QString one = TestSupport::scratchDir() + QStringLiteral("/one.myvexa");
    {
        EditorFixture f({query("a"), query("b")}, 1);
        f.answerPanel(all);
        f.e.my_export(false);
        f.answerPanel(one);
        f.e.my_export(true);
    }
    EXPECT_EQ(modeOf(all), mode_t(0600));
    EXPECT_EQ(modeOf(one), mode_t(0600));

    struct Case {
        const char* name;
        QString path;
        bool append;
        QStringList expected;
    };
    const Case cases[] = {
        {"replace by the whole list", all, false, {"a", "b"}},
        {"replace by the selected query", one, false, {"b"}},
        {"append the whole list", all, true, {"x", "a", "b"}},
    };
    for (const Case& c : cases) {
        EditorFixture f({query("x")});
        f.answerPanel(c.path);
        f.e.my_import(c.append);
        EXPECT_EQ(names(f.e.MYQ), c.expected) << c.name;
        EXPECT_EQ(f.stored(), f.e.MYQ) << c.name;
        EXPECT_EQ(f.e.MYQ.back(), query(c.expected.back())) << c.name;
        EXPECT_GE(f.e.selectedRow(), 0) << c.name;
    }

    // A damaged file changes nothing and says so.
    const QString bad = AppFixtures::writeScratch(QStringLiteral("bad.myvexa"), "<plist>not a list");
    EditorFixture f({query("x")});
    f.answerPanel(bad);
    ScriptedAlerts alerts;
    f.e.my_import(false);
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("File Open Error"));
    EXPECT_EQ(names(f.e.MYQ), QStringList({"x"}));

    // Nothing to export, or no selected query: a beep, no panel.
    int panels = 0;
    f.m.filePanel = [&panels](const Manager::FilePanelRequest&) {
        ++panels;
        return QStringList();
    };
    f.e.selectRow(-1);
    f.e.my_export(true);
    f.e.MYQ.clear();
    f.e.my_export(false);
    EXPECT_EQ(alerts.beeps(), 2);
    EXPECT_EQ(panels, 0);
}

TEST(OpenDocTest, TypesByFileSuffix)
{
    struct Case {
        const char* path;
        const char* type;
    };
    const Case cases[] = {
        {"/x/list.myvexa", "VexaMySQL"},
        {"/x/LIST.MYVEXA", "VexaMySQL"},
        {"/x/m.mavexa", "VexaMacro"},
        {"/x/doc.vexa", ""},
        {"/x/myvexa", ""},
        {"/x/a.myvexa.txt", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpenDoc::typeForPath(QLatin1String(c.path)), QLatin1String(c.type)) << c.path;
}

TEST(OpenDocTest, AnOpenedQueryListMergesAndIsStored)
{
    const QString path = TestSupport::scratchDir() + QStringLiteral("/opened.myvexa");
    ASSERT_TRUE(QueryListFile::write(path, {query("b", QStringLiteral("SELECT new")), query("n")}).ok());

    EditorFixture f({query("a"), query("b"), query("c")}, 2);
    OpenDoc doc(f.m);
    EXPECT_TRUE(doc.readFromFile(path));
    EXPECT_TRUE(doc.fileName().isEmpty());
    EXPECT_EQ(names(f.e.MYQ), QStringList({"a", "c", "b", "n"}));
    EXPECT_EQ(f.e.MYQ[2].sql, QStringLiteral("SELECT new"));
    EXPECT_EQ(f.stored(), f.e.MYQ);
    EXPECT_EQ(f.e.my_host()->text(), f.e.MYQ[std::size_t(f.e.selectedRow())].host);

    // The type is compared without regard to case.
    OpenDoc bytes(f.m);
    EXPECT_TRUE(
        bytes.loadDataRepresentation(*QueryListFile::archive({query("z")}), QStringLiteral("vexamysql"))
            .ok());
    EXPECT_EQ(f.e.MYQ.back().name, QStringLiteral("z"));
    EXPECT_FALSE(
        bytes.loadDataRepresentation(*QueryListFile::archive({query("y")}), QStringLiteral("VexaDocument"))
            .ok());
    EXPECT_EQ(f.e.MYQ.back().name, QStringLiteral("z"));
}

TEST(OpenDocTest, RefusedFilesShowFileOpenErrorAndChangeNothing)
{
    const QString damaged = AppFixtures::writeScratch(QStringLiteral("damaged.myvexa"), "\x00\x01garbage");
    const QString macros
        = AppFixtures::writeScratch(QStringLiteral("list.mavexa"), *QueryListFile::archive({query("m")}));
    const QString other = AppFixtures::writeScratch(QStringLiteral("doc.txt"), "1 2\n");
    const QString missing = TestSupport::scratchDir() + QStringLiteral("/missing.myvexa");
    for (const QString& path : {damaged, macros, other, missing}) {
        EditorFixture f({query("a")});
        ScriptedAlerts alerts;
        EXPECT_FALSE(OpenDoc::open(f.m, path)) << path.toStdString();
        ASSERT_EQ(alerts.requests().size(), 1u) << path.toStdString();
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("File Open Error"));
        EXPECT_FALSE(alerts.requests()[0].message.isEmpty());
        EXPECT_EQ(names(f.e.MYQ), QStringList({"a"})) << path.toStdString();
        EXPECT_EQ(f.stored(), f.e.MYQ) << path.toStdString();
    }
}

// A list file handed to the running program that is no regular file (a
// link to /dev/zero, a FIFO) or is far too large is refused unread; the
// program goes on with its lists as they were.
TEST(OpenDocTest, ListFilesThatAreNoRegularFilesOrTooLargeAreRefusedUnread)
{
    const QString zero = TestSupport::scratchDir() + QStringLiteral("/zero.mavexa");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString fifo = TestSupport::scratchDir() + QStringLiteral("/fifo.myvexa");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = TestSupport::scratchDir() + QStringLiteral("/huge.mavexa");
    {
        QFile f(huge); // sparse: no room taken on the disk
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(KeyedUnarchiver::standardLimits().maxInputBytes + 1));
    }
    EditorFixture f({query("a")});
    const std::size_t macros = f.m.macroEditor->MA.size();
    ScriptedAlerts alerts;
    EXPECT_EQ(f.m.openFiles({zero, fifo, huge}), 0);
    ASSERT_EQ(alerts.requests().size(), 3u);
    const QString expected[]
        = {zero + QStringLiteral(" is not a regular file"), fifo + QStringLiteral(" is not a regular file"),
           huge + QStringLiteral(" is too large to open (")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(alerts.requests()[i].title, QStringLiteral("File Open Error"));
        EXPECT_TRUE(alerts.requests()[i].message.contains(expected[i]))
            << alerts.requests()[i].message.toStdString();
    }
    EXPECT_EQ(names(f.e.MYQ), QStringList({"a"}));
    EXPECT_EQ(f.m.macroEditor->MA.size(), macros);
}

// Two instances share one store: what the other one changed since this one
// last read or wrote the list is kept when this one writes. A query changed
// here keeps this change; one the other changed or added comes in; one it
// deleted goes.
TEST(QueryList, AStoreSharedWithAnotherInstanceLosesNeitherInstancesQueries)
{
    EditorFixture f({query("a"), query("b"), query("c"), query("d")}, 2);
    // The other instance: the same settings file, through a store object of
    // its own, as another process has it.
    {
        QSettings other(UserDefaults::standard().storeFile(), QSettings::IniFormat);
        other.setValue(QueryListFile::defaultsKey(),
                       *QueryListFile::archive({query("a", QStringLiteral("SELECT theirs")), query("b"),
                                                query("c", QStringLiteral("SELECT lost")), query("n")}));
        other.sync();
    }
    // This instance edits c (the selected query) and saves.
    f.e.my_sql()->setPlainText(QStringLiteral("SELECT ours"));
    f.e.my_save();
    EXPECT_EQ(names(f.e.MYQ), QStringList({"a", "b", "c", "n"}));
    EXPECT_EQ(f.e.MYQ[0].sql, QStringLiteral("SELECT theirs"));
    EXPECT_EQ(f.e.MYQ[2].sql, QStringLiteral("SELECT ours"));
    EXPECT_EQ(f.stored(), f.e.MYQ);
    EXPECT_EQ(f.e.MYQ[std::size_t(f.e.selectedRow())].name, QStringLiteral("c"));

    // A query added here stays selected where the other instance's
    // additions moved it.
    {
        QSettings other(UserDefaults::standard().storeFile(), QSettings::IniFormat);
        std::vector<MySQLQuery> list = f.stored();
        list.push_back(query("m"));
        other.setValue(QueryListFile::defaultsKey(), *QueryListFile::archive(list));
        other.sync();
    }
    f.e.my_add();
    EXPECT_EQ(names(f.e.MYQ), QStringList({"a", "b", "c", "n", "New Query", "m"}));
    EXPECT_EQ(f.e.selectedRow(), 4);
    EXPECT_EQ(f.stored(), f.e.MYQ);
}

TEST(QueryList, WorksWithoutItsPaneWhichShowsWhatWasDoneMeanwhile)
{
    UserDefaults::standard().setValue(QueryListFile::defaultsKey(),
                                      *QueryListFile::archive({query("a"), query("b")}));
    Manager m;
    QueryEditor& e = *m.queryEditor;
    e.loadFromDefaults();
    e.selectRow(1);
    e.my_duplicate();
    e.merge({query("n")});
    EXPECT_EQ(names(e.MYQ), QStringList({"a", "b", "b copy", "n"}));
    EXPECT_EQ(e.selectedRow(), 2);
    EXPECT_FALSE(e.hasView());

    ASSERT_NE(e.view(), nullptr);
    EXPECT_EQ(e.mysqlTable()->model()->rowCount(), 4);
    EXPECT_EQ(e.mysqlTable()->selectionModel()->selectedRows().value(0).row(), 2);
    EXPECT_EQ(e.my_host()->text(), QStringLiteral("h-b"));
    EXPECT_EQ(e.my_sql()->toPlainText(), QStringLiteral("SELECT b"));
    EXPECT_EQ(e.MYQ[2].name, QStringLiteral("b copy")) << "showing is no edit";

    // An edit in the pane goes into the selected query.
    e.my_db()->setText(QStringLiteral("other"));
    emit e.my_db()->editingFinished();
    EXPECT_EQ(e.MYQ[2].db, QStringLiteral("other"));
    EXPECT_EQ(e.MYQ[1].db, QStringLiteral("db-b"));

    // With no row selected, a pane made later shows the query last filled in.
    // (An editor of its own, whose pane nobody has asked for.)
    QueryEditor later(m);
    later.loadFromDefaults();
    later.selectRow(3);
    later.selectRow(-1);
    EXPECT_EQ(later.selectedRow(), -1);
    EXPECT_EQ(later.my_host()->text(), QStringLiteral("h-n"));
}

} // namespace
