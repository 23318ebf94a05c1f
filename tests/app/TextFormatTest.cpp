// The Format menu and the font panel on a text box typed with the text tool:
// the characters selected while it is edited, or the whole box when it is
// current but not edited; the editor's undo and the window's; the box drawn
// the same once saved and opened again.

#include "AppFixtures.h"

#include "io/DocumentArchive.h"
#include "io/PictureExport.h"
#include "platform/Alert.h"
#include "view/GraphWidget.h"
#include "view/TextRuns.h"
#include "view/VexaTextView.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

struct Window : AppFixtures::ShownWindow {
    void click(QPointF viewPoint)
    {
        const QPointF at(viewPoint.x(), graph.height() - viewPoint.y());
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
            QMouseEvent event(type, at, graph.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(&graph, &event);
        }
        QApplication::processEvents();
    }
    void type(const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(graph.textEditor(), &key);
        }
    }
    void choose(const char* title)
    {
        for (QAction* a : m.formatMenu->actions())
            if (a->text() == QString::fromUtf8(title)) {
                a->trigger();
                // One user event, one undo step.
                QApplication::processEvents();
                return;
            }
        ADD_FAILURE() << "no Format item " << title;
    }
    void pickFont(const QFont& font)
    {
        choose("Font…");
        ASSERT_TRUE(m.fontChange->panel());
        m.fontChange->panel()->setCurrentFont(font);
        QApplication::processEvents();
    }
    void pickColor(const QColor& color)
    {
        choose("Text Colour…");
        QColorDialog* panel = m.textFormat->colorPanel();
        ASSERT_TRUE(panel);
        panel->setCurrentColor(color);
        panel->accept();
        QApplication::processEvents();
    }
};

// The format of the character at `position` (the one after it).
QTextCharFormat charAt(VexaTextView& box, int position)
{
    QTextCursor c(&box.document());
    c.setPosition(position);
    c.setPosition(position + 1, QTextCursor::KeepAnchor);
    return TextRuns::formatAt(c);
}

QFont fontAt(VexaTextView& box, int position)
{
    return charAt(box, position).font().resolve(box.document().defaultFont());
}

} // namespace

TEST(TextFormat, TheFormatMenuAndTheFontPanelStylePartOfABoxOrAllOfIt)
{
    Window t;
    t.m.selectMouseMode(QStringLiteral("text"));
    t.click(QPointF(100, 300));
    ASSERT_TRUE(t.graph.textEditor());
    t.type(QStringLiteral("Growth by decades"));
    ASSERT_EQ(t.d.T.size(), 1u);
    auto& box = dynamic_cast<VexaTextView&>(*t.d.T.front());
    ASSERT_EQ(t.m.T, &box);
    const QFont plain = fontAt(box, 10);

    // "Growth" selected in the editor: a serif face of 20 points, bold, red.
    QTextEdit* editor = t.graph.textEditor();
    QTextCursor growth = editor->textCursor();
    growth.setPosition(0);
    growth.setPosition(6, QTextCursor::KeepAnchor);
    editor->setTextCursor(growth);
    // As the panel lists it: by its style's name.
    QFont serif(QStringLiteral("DejaVu Serif"), 20);
    serif.setStyleName(QStringLiteral("Book"));
    t.pickFont(serif);
    // The window coming back to the front makes nothing current; the box
    // being edited is still what the menu acts on.
    t.m.setCurrentDoc(&t.d, &t.d);
    t.choose("Bold");
    t.pickColor(Qt::red);
    for (int i : {0, 5}) {
        EXPECT_EQ(fontAt(box, i).family(), serif.family());
        EXPECT_EQ(fontAt(box, i).pointSizeF(), 20);
        EXPECT_EQ(fontAt(box, i).weight(), QFont::Bold);
        EXPECT_FALSE(fontAt(box, i).italic());
        EXPECT_EQ(charAt(box, i).foreground().color(), QColor(Qt::red));
    }
    EXPECT_EQ(fontAt(box, 7), plain);
    EXPECT_NE(charAt(box, 7).foreground().color(), QColor(Qt::red));
    EXPECT_TRUE(t.w->isWindowModified());
    // The box fits its larger first word.
    EXPECT_GE(box.frame().height(), 20);

    // The editor's own undo takes back the last change, the colour.
    editor->undo();
    EXPECT_NE(charAt(box, 0).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(fontAt(box, 0).weight(), QFont::Bold);

    // Current but no longer edited: the whole box, each run from its own size.
    t.graph.endEditing();
    t.m.selectMouseMode(QStringLiteral("select"));
    t.click(box.frame().center());
    ASSERT_EQ(t.m.T, &box);
    ASSERT_FALSE(t.graph.textEditor());
    const QString styled = box.document().toHtml();
    t.choose("Bigger");
    t.choose("Italic");
    EXPECT_EQ(fontAt(box, 0).pointSizeF(), 21);
    EXPECT_EQ(fontAt(box, 10).pointSizeF(), plain.pointSizeF() + 1);
    EXPECT_TRUE(fontAt(box, 0).italic() && fontAt(box, 10).italic());
    EXPECT_EQ(fontAt(box, 0).weight(), QFont::Bold);
    t.pickColor(Qt::blue);
    EXPECT_EQ(charAt(box, 10).foreground().color(), QColor(Qt::blue));

    // Each is one step of the window's undo; redo brings it back.
    t.m.undo();
    EXPECT_NE(charAt(box, 10).foreground().color(), QColor(Qt::blue));
    t.m.undo();
    t.m.undo();
    EXPECT_EQ(box.document().toHtml(), styled);
    t.m.redo();
    EXPECT_EQ(fontAt(box, 0).pointSizeF(), 21);
    t.m.undo();

    // What one editing of a box with text did is one step too.
    t.m.selectMouseMode(QStringLiteral("text"));
    t.click(box.frame().center());
    ASSERT_EQ(t.graph.editedBox(), &box);
    t.type(QStringLiteral("!"));
    t.graph.endEditing();
    EXPECT_EQ(box.string().size(), 18);
    t.m.undo();
    EXPECT_EQ(box.string(), QStringLiteral("Growth by decades"));
    EXPECT_EQ(box.document().toHtml(), styled);

    // Without a text box there is nothing to style.
    t.m.setCurrentText(nullptr);
    const int beeps = t.alerts.beeps();
    t.choose("Bold");
    EXPECT_EQ(t.alerts.beeps(), beeps + 1);
    EXPECT_EQ(box.document().toHtml(), styled);

    // Saved and opened again, the box draws the same picture.
    const QImage before = PictureExport::image(t.graph.view(), 72, true);
    const QByteArray saved = DocumentArchive::dataRepresentationOfType(t.d, DocumentArchive::documentType())
                                 .value_or(QByteArray());
    auto again = std::make_unique<VexaDocument>();
    DocumentArchive::SubviewViews views;
    ASSERT_TRUE(
        DocumentArchive::loadDataRepresentation(*again, saved, DocumentArchive::documentType(), views).ok());
    DocumentWindowQt* w2 = t.m.openDocument(std::move(again), true);
    w2->setContentSize(QSize(600, 450));
    QApplication::processEvents();
    const QImage after = PictureExport::image(w2->graphWidget().view(), 72, true);
    ASSERT_FALSE(before.isNull());
    EXPECT_TRUE(after == before);
}
