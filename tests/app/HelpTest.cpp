// The help: pages of our own, the reference pages made from the program's
// tables, links that lead somewhere, and the help window.

#include "app/HelpBrowser.h"
#include "app/HelpReference.h"
#include "app/HelpTexts.h"
#include "app/Manager.h"
#include "expression/ExpressionCompiler.h"
#include "macro/MacroCommandTable.h"
#include "platform/ResourceLocator.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>

namespace {

QString pageText(const QString& docDir, const QString& file)
{
    const QString made = HelpReference::page(file);
    if (!made.isEmpty())
        return made;
    QFile f(docDir + QLatin1Char('/') + file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QSet<QString> anchorsOf(const QString& html)
{
    QSet<QString> out;
    static const QRegularExpression named(QStringLiteral("(?:name|id)=\"([^\"]+)\""));
    for (auto it = named.globalMatch(html); it.hasNext();)
        out.insert(it.next().captured(1));
    return out;
}

} // namespace

TEST(Help, TheCommandReferenceHasEveryFormOfTheCommandTable)
{
    const QString page = HelpReference::commandsPage();
    const MacroCommandTable& table = MacroCommandTable::instance();
    const std::vector<const MacroCommandForm*> forms = table.forms();
    ASSERT_FALSE(forms.empty());
    // One usage line per form, every command word an anchor with a text.
    EXPECT_EQ(page.count(QStringLiteral("<code><b>")), int(forms.size()));
    QSet<QString> names;
    for (const MacroCommandForm* f : forms) {
        SCOPED_TRACE(f->name.toStdString() + " " + f->signature.toStdString());
        names.insert(f->name);
        EXPECT_TRUE(page.contains(QStringLiteral("<a name=\"%1\"></a>").arg(f->name)));
        EXPECT_TRUE(page.contains(QStringLiteral("<b>%1</b>").arg(f->name)));
        const HelpCommandText* text = HelpTexts::command(f->name, f->signature);
        ASSERT_NE(text, nullptr) << "no description";
        EXPECT_GT(std::strlen(text->text), 10u);
    }
    // Nothing is described that the program does not have.
    for (const QString& described : HelpTexts::commandNames())
        EXPECT_TRUE(names.contains(described)) << described.toStdString();

    // Argument names where the description has one per argument, the kind
    // otherwise; what may be left out in brackets.
    const struct {
        const char* usage;
    } lines[] = {
        {"<b>fg</b> <i>mode</i> <i>from</i> <i>to</i> <i>points</i> <i>expression</i>"},
        {"<b>rescale</b> [<i>pair</i>]"},
        {"<b>bcolor</b> <i>red</i> <i>green</i> <i>blue</i> <i>buffers</i> [<i>alpha</i>]"},
        {"<b>bcolor</b> <i>colour</i> <i>buffers</i>"},
        {"<b>print</b> [<i>values…</i>]"},
        {"<b>format</b> <i>name</i> <i>format</i> [<i>numbers…</i>]"},
        {"<b>loop</b> <i>range</i>"},
    };
    for (const auto& l : lines)
        EXPECT_TRUE(page.contains(QString::fromUtf8(l.usage))) << l.usage;
}

TEST(Help, TheFunctionReferenceHasEveryKeywordOfTheLanguage)
{
    const QString page = HelpReference::functionsPage();
    const std::vector<ExpressionKeyword> keywords = expressionKeywords();
    ASSERT_GE(keywords.size(), 50u);
    QSet<QString> names;
    for (const ExpressionKeyword& k : keywords) {
        const QString name = QLatin1String(k.name);
        SCOPED_TRACE(name.toStdString());
        names.insert(name);
        EXPECT_TRUE(page.contains(QStringLiteral("<a name=\"%1\"></a>").arg(name)));
        const HelpFunctionText* text = HelpTexts::function(name);
        ASSERT_NE(text, nullptr) << "no description";
        EXPECT_TRUE(QString::fromUtf8(text->usage).contains(name));
    }
    for (const QString& described : HelpTexts::functionNames())
        EXPECT_TRUE(names.contains(described)) << described.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("<code>gau(x; x0; a; w)</code>")));
    EXPECT_TRUE(HelpReference::page(QStringLiteral("index.html")).isEmpty());
}

TEST(Help, EveryLinkOfTheHelpPagesLeadsSomewhere)
{
    const QString doc = ResourceLocator::resourcePath(QStringLiteral("doc"));
    ASSERT_FALSE(doc.isEmpty());
    QStringList pages = QDir(doc).entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const char* made : {"commands.html", "functions.html"}) {
        EXPECT_FALSE(pages.contains(QLatin1String(made)))
            << made << " is made by the program, not kept as a file";
        pages << QLatin1String(made);
    }
    const QStringList topics
        = {"index.html",       "getting-started.html", "importing.html", "graph.html",      "operations.html",
           "expressions.html", "macros.html",          "keyboard.html",  "preferences.html"};
    for (const QString& t : topics)
        EXPECT_TRUE(pages.contains(t)) << t.toStdString();

    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    QSet<QString> linkedFromIndex;
    for (const QString& page : pages) {
        SCOPED_TRACE(page.toStdString());
        const QString html = pageText(doc, page);
        ASSERT_FALSE(html.isEmpty());
        EXPECT_TRUE(html.contains(QStringLiteral("<title>")));
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const QString link = it.next().captured(1);
            const QUrl url(link);
            if (!url.scheme().isEmpty()) {
                EXPECT_TRUE(url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"))
                    << link.toStdString();
                continue;
            }
            const QString file = url.path().isEmpty() ? page : url.path();
            if (page == QLatin1String("index.html"))
                linkedFromIndex.insert(file);
            const QString target = pageText(doc, file);
            EXPECT_TRUE(!target.isEmpty() || QFileInfo::exists(doc + QLatin1Char('/') + file))
                << "broken link " << link.toStdString();
            if (url.hasFragment()) {
                EXPECT_TRUE(anchorsOf(target).contains(url.fragment()))
                    << "no anchor for " << link.toStdString();
            }
        }
    }
    // Every page can be reached from the contents.
    for (const QString& page : pages) {
        if (page != QLatin1String("index.html")) {
            EXPECT_TRUE(linkedFromIndex.contains(page)) << page.toStdString();
        }
    }
}

TEST(Help, TheHelpWindowShowsThePagesAndFollowsTheirLinks)
{
    Manager m;
    m.applicationDidFinishLaunching();
    m.showHelp();
    ASSERT_NE(m.helpView, nullptr);
    EXPECT_TRUE(m.helpView->window()->isVisible());
    EXPECT_EQ(m.helpView->source().fileName(), QStringLiteral("index.html"));
    EXPECT_TRUE(m.helpView->toPlainText().contains(QStringLiteral("Contents")));

    // A generated page, reached by a link of the contents, and back again.
    m.helpView->setSource(m.helpView->source().resolved(QUrl(QStringLiteral("commands.html#fg"))));
    EXPECT_TRUE(m.helpView->toPlainText().contains(QStringLiteral("Command reference")));
    EXPECT_TRUE(m.helpView->toPlainText().contains(QStringLiteral("fg mode from to points expression")));
    EXPECT_EQ(m.helpView->window()->windowTitle(), QStringLiteral("Command reference – Vexa Help"));
    m.helpView->setSource(m.helpView->source().resolved(QUrl(QStringLiteral("functions.html"))));
    EXPECT_TRUE(m.helpView->toPlainText().contains(QStringLiteral("gau(x; x0; a; w)")));
    EXPECT_TRUE(m.helpView->isBackwardAvailable());
    m.helpView->backward();
    EXPECT_EQ(m.helpView->source().fileName(), QStringLiteral("commands.html"));
    static_cast<HelpBrowser*>(m.helpView)->showContents();
    EXPECT_EQ(m.helpView->source().fileName(), QStringLiteral("index.html"));
}

TEST(Help, TheHelpMenuOpensTheWindowAtItsPages)
{
    Manager m;
    m.applicationDidFinishLaunching();
    auto entry = [&m](const QString& title) -> QAction* {
        for (QAction* a : m.helpMenu->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    };
    const struct {
        const char* title;
        const char* file;
        const char* shows;
    } pages[] = {{"Getting Started", "getting-started.html", "Getting started"},
                 {"Macro Command Reference", "commands.html", "fg mode from to points expression"},
                 {"Function Reference", "functions.html", "gau(x; x0; a; w)"},
                 {"Keyboard and Mouse", "keyboard.html", "Keyboard and mouse"},
                 {"Vexa Help", "keyboard.html", "Keyboard and mouse"}}; // F1 keeps the page open
    for (const auto& p : pages) {
        SCOPED_TRACE(p.title);
        QAction* a = entry(QLatin1String(p.title));
        ASSERT_NE(a, nullptr);
        a->trigger();
        EXPECT_TRUE(m.helpView->window()->isVisible());
        EXPECT_EQ(m.helpView->source().fileName(), QLatin1String(p.file));
        EXPECT_TRUE(m.helpView->toPlainText().contains(QLatin1String(p.shows)));
    }
    // Back leads through the pages opened from the menu.
    EXPECT_TRUE(m.helpView->isBackwardAvailable());
    m.helpView->backward();
    EXPECT_EQ(m.helpView->source().fileName(), QStringLiteral("functions.html"));

    // Names that are no page of the help, or try to leave its folder, give
    // the contents.
    for (const char* name : {"no-such-page.html", "../perl/parsemacro.pl", ""}) {
        SCOPED_TRACE(name);
        static_cast<HelpBrowser*>(m.helpView)->showPage(QLatin1String(name));
        EXPECT_EQ(m.helpView->source().fileName(), QStringLiteral("index.html"));
    }
}
