// Rich text nested past reason reaches the toolkit's reader no deeper than
// the limit, with every character; text within the limit reads as before.

#include "util/HtmlNesting.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// How deep tables lie inside one another in a document the reader made.
int tableDepth(QTextFrame* frame)
{
    int deepest = 0;
    for (QTextFrame* child : frame->childFrames())
        deepest = std::max(deepest, tableDepth(child) + (qobject_cast<QTextTable*>(child) ? 1 : 0));
    return deepest;
}

TEST(HtmlNesting, TablesNestedPastTheLimitReachTheReaderNoDeeperWithEveryCell)
{
    // Each unit opens a table, a row and a cell, and tries a way of hiding
    // an element from a reader that looks for tags less carefully than the
    // toolkit's; nothing is closed again.
    struct Case {
        const char* what;
        const char* unit;
    };
    const Case cases[] = {
        {"plain", "<table><tr><td>x"},
        {"capitals and spaces", "< TABLE ><Tr ><tD>x"},
        {"an end tag in a quoted value", "<table title=\"</table></td></tr>\"><tr><td>x"},
        {"a quote that does not end the value", "<table title='a'b </table>'><tr><td>x"},
        {"a slash inside a bare value", "<table width=1/2><tr><td>x"},
        {"an end tag in a comment", "<table><!-- </table> --><tr><td>x"},
        {"stray end tags", "</td></tr></table><table><tr><td>x"},
    };
    constexpr int units = 300;
    constexpr int limit = 12;
    for (const Case& c : cases) {
        const QString html = QString::fromLatin1(c.unit).repeated(units);
        const QString limited = HtmlNesting::limited(html, limit);
        QTextDocument doc;
        doc.setHtml(limited);
        EXPECT_LE(tableDepth(doc.rootFrame()), limit) << c.what;
        EXPECT_EQ(doc.toPlainText().count(QLatin1Char('x')), units) << c.what;
        // What the pass lets through, it lets through again unchanged.
        EXPECT_EQ(HtmlNesting::limited(limited, limit), limited) << c.what;
    }
}

TEST(HtmlNesting, TextWithinTheLimitReadsAsBefore)
{
    // Our own writer's text: runs, paragraphs, a list, a table, entities.
    QTextDocument source;
    QTextCursor cursor(&source);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(Qt::red);
    cursor.insertText(QStringLiteral("E = mc"));
    cursor.insertText(QStringLiteral("2 & <b> \"quoted\" 'single'"), bold);
    cursor.insertBlock();
    cursor.insertList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("item"));
    cursor.insertBlock();
    cursor.insertTable(2, 2)->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("cell"));
    const QString html = source.toHtml();

    QTextDocument direct;
    direct.setHtml(html);
    QTextDocument limited;
    limited.setHtml(HtmlNesting::limited(html));
    EXPECT_EQ(limited.toHtml(), direct.toHtml());

    // Hand-written text keeps its values, quoted any way.
    const QString hand
        = QStringLiteral("<p style='color:#ff0000' title=\"a 'b'\" align=center>x &amp; y<br>z</p>");
    QTextDocument handDirect;
    handDirect.setHtml(hand);
    QTextDocument handLimited;
    handLimited.setHtml(HtmlNesting::limited(hand));
    EXPECT_EQ(handLimited.toHtml(), handDirect.toHtml());
}

} // namespace
