// Text boxes on screen: the editor that sits over a box and writes into its
// text, the box growing as it is typed into, an emptied box going away, a
// box removed while it is edited; rich text pasted into it read within
// bounds; a box drawn the same once saved and opened
// again; presses on a box; and the document window's class, which
// represents no file.

#include "app/VexaWindow.h"
#include "io/DocumentArchive.h"
#include "io/PictureExport.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Font.h"
#include "view/GraphWidget.h"
#include "view/VexaTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class ToolManager : public ManagerServices {
public:
    QString tool = QStringLiteral("text");
    QString mouseModeTitle() const override { return tool; }
};

struct Screen {
    ToolManager manager;
    VexaDocument doc;
    GraphWidget widget{nullptr, &manager};

    Screen()
    {
        doc.M = &manager;
        for (auto& a : doc.axes)
            a.axis = 0;
        doc.page.drawframe = 0;
        widget.resize(400, 300);
        widget.setDocument(&doc);
        manager.PD = manager.MPD = &doc;
        widget.show();
    }
    ~Screen() { widget.setDocument(nullptr); }

    VexaTextView& box(const QRectF& frame)
    {
        doc.T.push_back(std::make_unique<VexaTextView>(frame, &manager, &doc));
        return static_cast<VexaTextView&>(*doc.T.back());
    }

    // Ink inside the box's frame when the view draws the graph.
    bool inkInBox(const VexaTextView& b)
    {
        QImage img(400, 300, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        {
            QPainter painter(&img);
            widget.view().drawIn(painter);
        }
        const QRectF f = b.frame();
        for (int y = int(300 - f.y() - f.height()); y < int(300 - f.y()); ++y)
            for (int x = int(f.x()); x < int(f.x() + f.width()); ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    return true;
        return false;
    }

    void press(QEvent::Type type, QPointF viewPoint, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        const QPointF at(viewPoint.x(), 300 - viewPoint.y());
        QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }
};

// A key typed into the editor, as the keyboard sends it.
void typeKey(QWidget& editor, int key, QChar c)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&editor, &release);
}

} // namespace

TEST(TextEditingTest, AnEditorOverTheBoxWritesIntoItsTextAndTheBoxGrows)
{
    Screen s;
    VexaTextView& b = s.box(QRectF(100, 200, 10, 15));
    s.widget.beginEditing(b);
    QTextEdit* editor = s.widget.textEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->document(), &b.document());
    EXPECT_EQ(s.widget.editedBox(), &b);
    EXPECT_TRUE(b.editor);
    // The window's font is no concern of the box's text.
    const QFont boxFont = b.document().defaultFont();
    s.widget.setFont(QFont(QStringLiteral("DejaVu Serif"), 20));
    EXPECT_EQ(b.document().defaultFont(), boxFont);

    QTextCursor cursor = editor->textCursor();
    cursor.insertText(QStringLiteral("Typed into the box"));
    EXPECT_EQ(b.string(), QStringLiteral("Typed into the box"));
    EXPECT_GT(b.frame().width(), 60);
    EXPECT_EQ(b.frame().x(), 100);
    EXPECT_NEAR(b.frame().y() + b.frame().height(), 215, 1e-9);
    EXPECT_EQ(editor->geometry(), s.widget.editorGeometry(b));
    EXPECT_EQ(editor->geometry().topLeft(), QPoint(100, 300 - 215));
    EXPECT_GE(editor->width(), b.frame().width());

    // A box that moves while it is edited takes its editor along.
    QApplication::processEvents();
    b.tloc += QPointF(40, -30);
    s.widget.repaint();
    EXPECT_EQ(editor->geometry(), s.widget.editorGeometry(b));
    EXPECT_EQ(editor->geometry().topLeft(), QPoint(140, 300 - 185));

    // The editor shows the text; the graph leaves it out, except in print.
    EXPECT_FALSE(s.inkInBox(b));
    s.manager.printmode = 1;
    EXPECT_TRUE(s.inkInBox(b));
    s.manager.printmode = 0;

    const QSizeF typed = b.frame().size();
    s.widget.endEditing();
    QApplication::processEvents();
    EXPECT_EQ(s.widget.textEditor(), nullptr);
    EXPECT_EQ(b.editor, nullptr);
    ASSERT_EQ(s.doc.T.size(), 1u);
    EXPECT_TRUE(s.inkInBox(b));
    // The editor leaves the text measured in points, as it found it.
    EXPECT_EQ(b.frame().size(), typed);
    s.widget.beginEditing(b);
    EXPECT_EQ(b.frame().size(), typed);
    s.widget.endEditing();
    QApplication::processEvents();
    s.inkInBox(b);
    EXPECT_EQ(b.frame().size(), typed);

    // Emptied, the box goes when its editing ends, and is no longer current.
    s.manager.setCurrentText(&b);
    s.widget.beginEditing(b);
    QTextCursor all = s.widget.textEditor()->textCursor();
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    s.widget.endEditing();
    EXPECT_TRUE(s.doc.T.empty());
    EXPECT_EQ(s.manager.T, nullptr);
    QApplication::processEvents();
}

TEST(TextEditingTest, RichTextPastedIntoABoxIsReadWithinBounds)
{
    // Twenty thousand divisions inside one another, each with a word: read
    // as they stand, minutes of work.
    constexpr int depth = 20000;
    QString html;
    for (int i = 0; i < depth; ++i)
        html += QStringLiteral("<div>w%1 ").arg(i);
    html += QStringLiteral("</div>").repeated(depth);
    Screen s;
    VexaTextView& b = s.box(QRectF(100, 200, 10, 15));
    s.widget.beginEditing(b);
    QTextEdit* editor = s.widget.textEditor();
    ASSERT_TRUE(editor);
    auto* pasted = new QMimeData;
    pasted->setHtml(html);
    QApplication::clipboard()->setMimeData(pasted);
    editor->paste();
    const QStringList words
        = b.string().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    ASSERT_EQ(words.size(), depth);
    EXPECT_EQ(words.first(), QStringLiteral("w0"));
    EXPECT_EQ(words.last(), QStringLiteral("w19999"));
    s.widget.endEditing();
}

TEST(TextEditingTest, ABoxLooksTheSameOnceSavedAndOpenedAgain)
{
    // However its text got there, typed by keys or written as a macro
    // writes it, a box draws the same pixels and keeps the same text
    // settings in the document opened again from the saved bytes.
    const QFont times = Font::withName(QStringLiteral("Times-Roman"), 14).value_or(Font::userFont(14));
    const struct {
        const char* name;
        std::function<void(Screen&, VexaTextView&)> write;
    } cases[] = {
        {"typed",
         [](Screen& s, VexaTextView& b) {
             s.widget.beginEditing(b);
             for (QChar c : QStringLiteral("Growth by decades"))
                 typeKey(*s.widget.textEditor(), 0, c);
         }},
        {"typed, two lines, centred",
         [](Screen& s, VexaTextView& b) {
             s.widget.beginEditing(b);
             for (QChar c : QStringLiteral("Title"))
                 typeKey(*s.widget.textEditor(), 0, c);
             typeKey(*s.widget.textEditor(), Qt::Key_Return, QLatin1Char('\r'));
             for (QChar c : QStringLiteral("a longer second line"))
                 typeKey(*s.widget.textEditor(), 0, c);
             b.setAlignment(Qt::AlignHCenter);
         }},
        {"written as a macro does",
         [times](Screen&, VexaTextView& b) {
             b.setString(QStringLiteral("made by a macro\nsecond"), times, Qt::red);
             b.setAlignment(Qt::AlignRight);
             b.textHasChanged();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Screen s;
        VexaTextView& b = s.box(QRectF(100.3, 200.6, 10, 15));
        c.write(s, b);
        s.widget.endEditing();
        QApplication::processEvents();
        ASSERT_EQ(s.doc.T.size(), 1u);
        const QImage before = PictureExport::image(s.widget.view(), 72, true);
        const QByteArray saved
            = DocumentArchive::dataRepresentationOfType(s.doc, DocumentArchive::documentType())
                  .value_or(QByteArray());

        Screen again;
        DocumentArchive::SubviewViews views;
        ASSERT_TRUE(
            DocumentArchive::loadDataRepresentation(again.doc, saved, DocumentArchive::documentType(), views)
                .ok());
        ASSERT_EQ(again.doc.T.size(), 1u);
        auto& back = dynamic_cast<VexaTextView&>(*again.doc.T.front());
        const QImage after = PictureExport::image(again.widget.view(), 72, true);
        EXPECT_EQ(back.string(), b.string());
        EXPECT_EQ(back.frame(), b.frame());
        EXPECT_EQ(back.document().defaultFont(), b.document().defaultFont());
        EXPECT_EQ(back.document().defaultTextOption().wrapMode(),
                  b.document().defaultTextOption().wrapMode());
        ASSERT_FALSE(before.isNull());
        EXPECT_TRUE(after == before);
    }
}

TEST(TextEditingTest, ABoxRemovedWhileEditedTakesItsEditorAlong)
{
    Screen s;
    VexaTextView& b = s.box(QRectF(100, 200, 10, 15));
    VexaTextView& other = s.box(QRectF(10, 20, 10, 15));
    s.widget.beginEditing(b);
    s.widget.textEditor()->textCursor().insertText(QStringLiteral("going"));
    s.doc.removeTextBox(&b);
    EXPECT_EQ(s.widget.editedBox(), nullptr);
    EXPECT_EQ(s.widget.textEditor(), nullptr);
    QApplication::processEvents();
    s.widget.endEditing();
    ASSERT_EQ(s.doc.T.size(), 1u);
    EXPECT_EQ(s.doc.T[0].get(), &other);

    // Editing another box ends the first one's editing.
    s.widget.beginEditing(other);
    other.setString(QStringLiteral("x"), Font::userFont(12), Qt::black);
    VexaTextView& third = s.box(QRectF(200, 20, 10, 15));
    s.widget.beginEditing(third);
    EXPECT_EQ(other.editor, nullptr);
    EXPECT_EQ(s.widget.editedBox(), &third);
    s.widget.endEditing();
    EXPECT_EQ(s.doc.T.size(), 1u); // the third, left empty, went
    QApplication::processEvents();
}

TEST(TextEditingTest, PressesOnABoxSelectDragOrEditIt)
{
    Screen s;
    VexaTextView& b = s.box(QRectF(100, 200, 10, 15));
    b.setString(QStringLiteral("pressed"), Font::userFont(14), Qt::black);
    b.textHasChanged();
    const QPointF inside = b.frame().center();

    s.manager.tool = QStringLiteral("select");
    s.press(QEvent::MouseButtonPress, inside);
    EXPECT_EQ(s.manager.T, &b);
    EXPECT_EQ(s.widget.textEditor(), nullptr);
    s.press(QEvent::MouseMove, inside + QPointF(30, -20));
    s.press(QEvent::MouseButtonRelease, inside + QPointF(30, -20), Qt::NoButton);
    EXPECT_EQ(b.tloc, QPointF(130, 195));

    s.manager.tool = QStringLiteral("text");
    s.press(QEvent::MouseButtonPress, b.frame().center());
    EXPECT_EQ(s.widget.editedBox(), &b);
    ASSERT_TRUE(s.widget.textEditor());

    // A press beside the box ends the editing; the text tool starts a new
    // box there, which goes again when it is left empty.
    s.press(QEvent::MouseButtonPress, QPointF(5, 5));
    EXPECT_NE(s.widget.editedBox(), &b);
    s.widget.endEditing();
    EXPECT_EQ(s.widget.textEditor(), nullptr);
    EXPECT_EQ(s.doc.T.size(), 1u);
    QApplication::processEvents();
}

TEST(TextEditingTest, TheDocumentWindowClassRepresentsNoFile)
{
    VexaWindow w;
    w.setWindowFilePath(QStringLiteral("/tmp/earlier.vexa"));
    w.setRepresentedURL(QUrl::fromLocalFile(QStringLiteral("/tmp/graph.vexa")));
    EXPECT_TRUE(w.windowFilePath().isEmpty());
    w.setRepresentedURL(QUrl());
    EXPECT_TRUE(w.windowFilePath().isEmpty());
}
