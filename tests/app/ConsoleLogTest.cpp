// The console's lines kept apart from any view: lines and their kinds, the
// limit of lines, and views attached before or after the lines came.

#include "app/ConsoleLog.h"
#include "macro/Macro.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Run = ConsoleLog::Run;
using Line = ConsoleLog::Line;

struct Text {
    QString text;
    bool error = false;
};

// The colour of each fragment of the view, line by line: 'm' black, 'e' the
// error colour, '?' anything else.
QStringList coloursOf(const QPlainTextEdit& view)
{
    QStringList out;
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
        QString line;
        for (auto f = b.begin(); !f.atEnd(); ++f) {
            const QColor c = f.fragment().charFormat().foreground().color();
            line += c == QColor(Qt::black) ? QLatin1Char('m')
                : c == Macro::errorColor() ? QLatin1Char('e')
                                           : QLatin1Char('?');
        }
        out << line;
    }
    return out;
}

TEST(ConsoleLog, KeepsLinesWithTheKindOfEachText)
{
    struct Case {
        const char* name;
        std::vector<Text> writes;
        std::vector<Line> lines;
        bool atLineStart;
    };
    const Case cases[] = {
        {"nothing", {}, {Line()}, true},
        {"an empty text is nothing", {{QString(), true}}, {Line()}, true},
        {"an open line", {{"a "}}, {{{"a ", false}}}, false},
        {"texts of one kind share a run", {{"a "}, {"b\n"}}, {{{"a b", false}}, Line()}, true},
        {"an error after a message on one line",
         {{"a "}, {"bad\n", true}, {"c"}},
         {{{"a ", false}, {"bad", true}}, {{"c", false}}},
         false},
        {"empty lines stay", {{"\n\nx\n", true}}, {Line(), Line(), {{"x", true}}, Line()}, true},
    };
    for (const Case& c : cases) {
        ConsoleLog log;
        for (const Text& t : c.writes)
            log.append(t.text, t.error);
        EXPECT_EQ(std::vector<Line>(log.lines().begin(), log.lines().end()), c.lines) << c.name;
        EXPECT_EQ(log.atLineStart(), c.atLineStart) << c.name;
        QPlainTextEdit view;
        log.attach(&view);
        EXPECT_EQ(view.toPlainText(), log.text()) << c.name;
    }
}

TEST(ConsoleLog, KeepsTheLastLinesLikeAViewWithThatManyBlocks)
{
    ConsoleLog log(3);
    QPlainTextEdit before;
    log.attach(&before);
    for (int i = 0; i < 10; ++i)
        log.append(QStringLiteral("line %1\n").arg(i), i % 2 == 1);
    log.append(QStringLiteral("open"), false);
    EXPECT_EQ(log.text(), QStringLiteral("line 8\nline 9\nopen"));
    EXPECT_EQ(before.toPlainText(), log.text());
    EXPECT_EQ(before.maximumBlockCount(), 3);

    QPlainTextEdit after;
    log.attach(&after);
    EXPECT_EQ(after.toPlainText(), log.text());
    EXPECT_EQ(after.maximumBlockCount(), 3);
    EXPECT_EQ(ConsoleLog().maximumLines(), 100000);
}

TEST(ConsoleLog, ViewsMadeBeforeAndAfterShowTheSameLinesAndColours)
{
    ConsoleLog log;
    QPlainTextEdit early;
    log.attach(&early);
    log.append(QStringLiteral("a \nb "), false);
    log.append(QStringLiteral("\nUnkown command: foo\n"), true);
    log.append(QStringLiteral("c "), false);

    auto late = std::make_unique<QPlainTextEdit>();
    log.attach(late.get());
    log.attach(late.get()); // once is enough
    const QStringList colours{"m", "m", "e", "m"};
    for (const QPlainTextEdit* view : {&early, late.get()}) {
        EXPECT_EQ(view->toPlainText(), QStringLiteral("a \nb \nUnkown command: foo\nc "));
        EXPECT_EQ(coloursOf(*view), colours);
    }

    // Written on, cleared, then a view deleted elsewhere drops out.
    log.append(QStringLiteral("d\n"), true);
    EXPECT_EQ(late->toPlainText(), QStringLiteral("a \nb \nUnkown command: foo\nc d\n"));
    EXPECT_EQ(coloursOf(*late), (QStringList{"m", "m", "e", "me", ""}));
    log.clear();
    EXPECT_EQ(early.toPlainText(), QString());
    EXPECT_EQ(late->toPlainText(), QString());
    EXPECT_TRUE(log.atLineStart());
    late.reset();
    log.append(QStringLiteral("e"), false);
    EXPECT_EQ(early.toPlainText(), QStringLiteral("e"));
}

} // namespace
