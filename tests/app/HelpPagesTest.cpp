// The help pages against the program: every example they mark as runnable
// runs headless without an error, and the menu items, keys, tools, colour
// names and command-line options they name are the program's own.
//
// Marking: <pre class="run-macro"> holds a whole macro, run as shown on a
// new document with -h yes -q yes and HOME a scratch folder;
// <pre class="run-expr"> or <code class="run-expr"> holds one expression,
// run as the y expression of "calc" over an 11-point buffer (x from 0 to
// 10), so the point variables exist.

#include "app/ApplicationController.h"
#include "app/CommandLine.h"
#include "app/MacroEditor.h"
#include "app/Manager.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"
#include "util/StringCategory.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMenu>
#include <QRegularExpression>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QString programPath()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/vexa"))
        .absoluteFilePath();
}

QString docDir()
{
    return QStringLiteral(VEXA_FIXTURES "/../../resources/doc");
}

QString htmlText(const QString& html)
{
    QString t = html;
    t.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    t.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    t.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return t;
}

QString pageHtml(const QString& page)
{
    QFile f(docDir() + QLatin1Char('/') + page);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList pageNames()
{
    return QDir(docDir()).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

// The words of a page as a reader sees them: tags are breaks, entities
// decoded, runs of white space one blank; the navigation line left out.
QString readerText(const QString& html)
{
    QString t = html;
    t.remove(QRegularExpression(QStringLiteral("<p class=\"nav\">.*?</p>"),
                                QRegularExpression::DotMatchesEverythingOption));
    t.replace(QRegularExpression(QStringLiteral("<[^>]+>")), QStringLiteral(" "));
    return htmlText(t).simplified();
}

struct Example {
    QString page;
    QString text;
};

// The marked examples of every page, in page order.
std::vector<Example> examplesMarked(const char* kind)
{
    std::vector<Example> out;
    const QRegularExpression marked(
        QStringLiteral("<(pre|code) class=\"%1\">(.*?)</\\1>").arg(QLatin1String(kind)),
        QRegularExpression::DotMatchesEverythingOption);
    for (const QString& page : pageNames()) {
        const QString html = pageHtml(page);
        for (auto it = marked.globalMatch(html); it.hasNext();)
            out.push_back({page, htmlText(it.next().captured(2))});
    }
    return out;
}

TestSupport::ChildRun runMacroText(const QString& name, const QString& source)
{
    const QString dir = TestSupport::scratchDir() + QStringLiteral("/examples/") + name;
    QDir().mkpath(dir);
    // What the examples read from the home folder.
    QFile data(dir + QStringLiteral("/run7.dat"));
    if (data.open(QIODevice::WriteOnly))
        data.write("# time value\n0 1.5\n1 2.5\n2 2\n");
    data.close();
    const QString path = dir + QStringLiteral("/example.mac");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(source.toUtf8()) < 0)
        return {};
    f.close();
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), dir);
    return TestSupport::runChild(programPath(), {"-m", path, "-h", "yes", "-q", "yes"}, dir, QString(), env);
}

TEST(HelpPages, EveryMarkedMacroRunsWithoutAnError)
{
    ASSERT_TRUE(QFileInfo(programPath()).isExecutable()) << programPath().toStdString();
    const std::vector<Example> macros = examplesMarked("run-macro");
    EXPECT_GE(macros.size(), 3u);
    int n = 0;
    for (const Example& e : macros) {
        SCOPED_TRACE(e.page.toStdString() + ":\n" + e.text.toStdString());
        const TestSupport::ChildRun r = runMacroText(QStringLiteral("macro-%1").arg(n++), e.text);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, QString());
    }
}

TEST(HelpPages, EveryMarkedExpressionRunsWithoutAnError)
{
    ASSERT_TRUE(QFileInfo(programPath()).isExecutable()) << programPath().toStdString();
    const std::vector<Example> expressions = examplesMarked("run-expr");
    EXPECT_GE(expressions.size(), 10u);
    int n = 0;
    for (const Example& e : expressions) {
        SCOPED_TRACE(e.page.toStdString() + ": " + e.text.toStdString());
        ASSERT_FALSE(e.text.contains(QLatin1Char('\''))) << "cannot be quoted";
        const TestSupport::ChildRun r
            = runMacroText(QStringLiteral("expression-%1").arg(n++),
                           QStringLiteral("fg 1 0 10 11 'x'\ncalc 2 '%1' 0\nprint 'ok'\n").arg(e.text));
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, QString());
        EXPECT_EQ(r.out, QStringLiteral("ok \n"));
    }
}

// The menus of the program by title, each with its items (their texts as
// shown, without "&") and their keys.
struct MenuItem {
    QString text;
    QStringList keys;
};

void collectMenu(QHash<QString, std::vector<MenuItem>>& menus, const QString& title, const QMenu* menu)
{
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        MenuItem item{a->text().remove(QLatin1Char('&')), {}};
        for (const QKeySequence& k : a->shortcuts())
            item.keys << k.toString(QKeySequence::PortableText);
        menus[title].push_back(item);
        if (a->menu())
            collectMenu(menus, item.text, a->menu());
    }
}

// The item of the menu that the text starts with (the longest that fits).
const MenuItem* itemAtStart(const std::vector<MenuItem>& items, const QString& text)
{
    const MenuItem* best = nullptr;
    for (const MenuItem& item : items)
        if (!item.text.isEmpty() && text.startsWith(item.text)
            && (!best || item.text.size() > best->text.size()))
            best = &item;
    return best;
}

TEST(HelpPages, MenuItemsKeysToolsColoursAndOptionsAreThoseOfTheProgram)
{
    Manager m;
    m.applicationDidFinishLaunching();
    QHash<QString, std::vector<MenuItem>> menus;
    for (QMenu* menu : {m.fileMenu, m.editMenu, m.formatMenu, m.graphMenu, m.bufferMenu, m.windowMenu,
                        m.helpMenu, m.macroEditor->macroMenu}) {
        ASSERT_NE(menu, nullptr);
        collectMenu(menus, menu->title().remove(QLatin1Char('&')), menu);
    }
    // The menus of the panes' buttons go by the button's text ("⋯").
    for (const QToolButton* b : m.macroEditor->view()->findChildren<QToolButton*>())
        if (b->menu())
            collectMenu(menus, b->text(), b->menu());

    int paths = 0, keys = 0;
    const QRegularExpression path(QStringLiteral("(\\S+) › "));
    const QRegularExpression keyInParentheses(QStringLiteral("^(?:\\(|, )((?:Ctrl|Alt|Shift|F\\d)[^ )]*)"));
    for (const QString& page : pageNames()) {
        const QString text = readerText(pageHtml(page));
        for (auto it = path.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const QString title = match.captured(1).remove(QLatin1Char('('));
            const QString rest = text.mid(match.capturedEnd());
            SCOPED_TRACE(page.toStdString() + ": " + title.toStdString() + " › "
                         + rest.left(40).toStdString());
            ASSERT_TRUE(menus.contains(title)) << "no menu of that title";
            const MenuItem* item = itemAtStart(menus[title], rest);
            ASSERT_NE(item, nullptr) << "no such item";
            ++paths;
            // "(Ctrl+R)" after the item, or ", Ctrl+Shift+I" inside the
            // parentheses that hold the path.
            QString after = rest.mid(item->text.size());
            if (after.startsWith(QLatin1Char(' ')))
                after.remove(0, 1);
            const QRegularExpressionMatch k = keyInParentheses.match(after);
            if (k.hasMatch()) {
                const QString written = k.captured(1);
                EXPECT_TRUE(item->keys.contains(written)) << written.toStdString() << " is not its key";
                ++keys;
            }
        }
    }
    EXPECT_GE(paths, 30);
    EXPECT_GE(keys, 8);

    // The table of menu keys: each key with its item, in order.
    const QRegularExpression row(QStringLiteral("<tr><td>([^<]+)</td><td>(\\S+) › ([^<]+)</td></tr>"));
    int rows = 0;
    for (auto it = row.globalMatch(pageHtml(QStringLiteral("keyboard.html"))); it.hasNext();) {
        const QRegularExpressionMatch r = it.next();
        const QStringList written = r.captured(1).split(QStringLiteral(", "));
        const QStringList items = htmlText(r.captured(3)).split(QStringLiteral(", "));
        SCOPED_TRACE(r.captured(0).toStdString());
        ASSERT_EQ(written.size(), items.size());
        const std::vector<MenuItem>& menu = menus[r.captured(2)];
        for (int i = 0; i < items.size(); ++i) {
            const auto found = std::find_if(menu.begin(), menu.end(),
                                            [&](const MenuItem& item) { return item.text == items[i]; });
            ASSERT_NE(found, menu.end()) << items[i].toStdString();
            EXPECT_TRUE(found->keys.contains(htmlText(written[i]))) << written[i].toStdString();
        }
        ++rows;
    }
    EXPECT_GE(rows, 14);

    // The tools with their keys, every tool once.
    const QRegularExpression toolRow(QStringLiteral("<tr><td>([a-z]+)</td><td>([a-z])</td>"));
    QStringList tools;
    for (auto it = toolRow.globalMatch(pageHtml(QStringLiteral("keyboard.html"))); it.hasNext();) {
        const QRegularExpressionMatch r = it.next();
        tools << r.captured(1);
        EXPECT_EQ(ApplicationController::mouseModeKey(r.captured(1)), r.captured(2).at(0))
            << r.captured(1).toStdString();
    }
    EXPECT_EQ(tools, ApplicationController::mouseModeNames());

    // The colour names, all of them and no other.
    const QString names = pageHtml(QStringLiteral("macros.html"))
                              .section(QStringLiteral("<p class=\"colour-names\">"), 1)
                              .section(QStringLiteral("</p>"), 0, 0);
    QStringList listed;
    static const QRegularExpression code(QStringLiteral("<code>([^<]+)</code>"));
    for (auto it = code.globalMatch(names); it.hasNext();)
        listed << it.next().captured(1);
    QStringList program;
    for (const StringCategory::NamedColor& c : StringCategory::NamedColors)
        if (!QChar::fromLatin1(c.word[0]).isDigit())
            program << QLatin1String(c.word);
    EXPECT_EQ(listed, program);

    // Every command-line option the pages name is one the program takes
    // (the expression page's "-a" is arithmetic).
    const QString usage = CommandLine::usage();
    const QRegularExpression option(QStringLiteral("(?:<code>|vexa [^<]*?)(--?[a-z]+)\\b"));
    int options = 0;
    for (const QString& page : pageNames())
        for (auto it
             = option.globalMatch(page == QLatin1String("expressions.html") ? QString() : pageHtml(page));
             it.hasNext();) {
            const QString name = it.next().captured(1);
            EXPECT_TRUE(usage.contains(QStringLiteral("  ") + name + QLatin1Char(' ')))
                << page.toStdString() << ": " << name.toStdString();
            ++options;
        }
    EXPECT_GE(options, 8);
}

} // namespace
