// The graph's input in a document window: mouse gestures and keys through
// the widget, sub-views kept by the window, drops imported by the
// controller, and the value read-out of the window.

#include "AppFixtures.h"

#include "app/MacroEditor.h"
#include "macro/Macro.h"
#include "model/DataBuffer.h"
#include "platform/Alert.h"
#include "platform/Font.h"
#include "support/PictureBytes.h"
#include "view/GraphWidget.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

struct Window : AppFixtures::ShownWindow {
    Window()
    {
        d.xmin1 = d.ymin1 = 0;
        d.xmax1 = d.ymax1 = 100;
    }

    void mouse(QEvent::Type type, QPointF viewPoint)
    {
        const QPointF at(viewPoint.x(), graph.height() - viewPoint.y());
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, graph.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&graph, &event);
        QApplication::processEvents();
    }
    void gesture(QPointF from, QPointF to)
    {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, (from + to) / 2);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to);
    }
    void key(int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&graph, &event);
        QApplication::processEvents();
    }
    bool drop(QMimeData* data)
    {
        const QPoint at(200, 200);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&graph, &enter);
        EXPECT_TRUE(graph.view().highlight);
        QDropEvent event(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&graph, &event);
        return event.isAccepted();
    }
};

TEST(GraphInput, ZoomGestureThroughTheWidgetIsOneUndoStep)
{
    Window t;
    t.m.selectMouseMode(QStringLiteral("zoom"));
    VexaView& v = t.graph.view();
    v.resize();
    const double x0 = v.xValue(150, 1), x1 = v.xValue(300, 1);
    t.gesture(QPointF(150, 120), QPointF(300, 240));
    EXPECT_NEAR(t.d.xmin1, x0, 1e-9);
    EXPECT_NEAR(t.d.xmax1, x1, 1e-9);
    EXPECT_FALSE(t.w->yvaldis->text().isEmpty()); // the window's read-out followed
    t.m.undo();
    EXPECT_EQ(t.d.xmin1, 0);
    EXPECT_EQ(t.d.xmax1, 100);
    t.m.redo();
    EXPECT_NEAR(t.d.xmin1, x0, 1e-9);
}

TEST(GraphInput, SubviewsMadeWithTheMouseLiveInTheWindow)
{
    Window t;
    t.m.selectMouseMode(QStringLiteral("subview"));
    t.gesture(QPointF(100, 100), QPointF(250, 200));
    ASSERT_EQ(t.d.SPD.size(), 1u);
    ASSERT_EQ(t.w->subviewViews.size(), 1u);
    VexaDocument* sub = t.d.SPD.front().get();
    EXPECT_EQ(t.w->subviewViews.front().get(), sub->PV);
    EXPECT_EQ(t.m.PD, sub);

    // A press inside it goes to it: a sub-view in a sub-view cannot be made.
    t.m.setCurrentDoc(&t.d, &t.d);
    t.gesture(QPointF(120, 120), QPointF(200, 180));
    EXPECT_EQ(t.m.PD, sub);
    EXPECT_TRUE(sub->SPD.empty());
    EXPECT_EQ(t.d.SPD.size(), 1u);

    t.m.selectMouseMode(QStringLiteral("chsubview"));
    t.gesture(QPointF(150, 150), QPointF(170, 140));
    EXPECT_EQ(dynamic_cast<VexaView*>(sub->PV)->frame(), QRectF(120, 90, 150, 100));
    t.m.deleteSubview();
    EXPECT_TRUE(t.w->subviewViews.empty());
}

TEST(GraphInput, KeysPickToolsAndAltLettersAreNoToolKeys)
{
    Window t;
    t.key(Qt::Key_Z, QStringLiteral("z"));
    EXPECT_EQ(t.m.mouseModeTitle(), QStringLiteral("zoom"));
    t.key(Qt::Key_R, QStringLiteral("R"), Qt::ShiftModifier);
    EXPECT_EQ(t.m.mouseModeTitle(), QStringLiteral("range"));
    // Alt+letter runs the macros of that shortcut (none stored here).
    t.key(Qt::Key_Z, QString(), Qt::AltModifier);
    EXPECT_EQ(t.m.mouseModeTitle(), QStringLiteral("range"));
}

// Alt with a letter runs the stored macros of exactly that shortcut, on the
// graph's document.
TEST(GraphInput, AltLettersRunTheStoredMacrosOfTheirShortcut)
{
    struct Case {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        QString console;
        int buffers;
    };
    const Case cases[] = {
        {"Alt+g", Qt::AltModifier, QStringLiteral("small "), 1},
        {"Alt+Shift+G", Qt::AltModifier | Qt::ShiftModifier, QStringLiteral("capital "), 0},
        {"g alone picks no macro", Qt::NoModifier, QString(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window t;
        t.m.macroEditor->MA = {
            std::make_shared<Macro>(QStringLiteral("grid"), QStringLiteral("fg 1 0 1 3 'x'\nprint small"),
                                    'g', MacroTypeLanguage),
            std::make_shared<Macro>(QStringLiteral("Grid"), QStringLiteral("print capital"), 'G',
                                    MacroTypeLanguage),
            std::make_shared<Macro>(QStringLiteral("other"), QStringLiteral("print other"), 'x',
                                    MacroTypeLanguage),
        };
        t.m.macroEditor->ma_clr();
        t.key(Qt::Key_G, QString(), c.modifiers);
        EXPECT_EQ(t.m.console().text(), c.console);
        EXPECT_EQ(t.d.bufferCount(), c.buffers);
    }
}

int temporaryFiles()
{
    return int(QDir(QDir::tempPath())
                   .entryList({QStringLiteral("vexa2_*")}, QDir::Files | QDir::Hidden | QDir::System)
                   .size());
}

// The temporary folder of this test's own while it lives: the shared one
// gains and loses files as other tests run beside it.
class OwnTemporaryFolder {
public:
    OwnTemporaryFolder()
            : previous_(qgetenv("TMPDIR"))
    {
        const QString own = TestSupport::scratchDir() + QStringLiteral("/temporary");
        QDir().mkpath(own);
        qputenv("TMPDIR", QFile::encodeName(own));
    }
    ~OwnTemporaryFolder()
    {
        if (previous_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", previous_);
    }

private:
    const QByteArray previous_;
};

TEST(GraphInput, DropsImportTextAndFiles)
{
    const OwnTemporaryFolder folder;
    Window t;
    const int before = temporaryFiles();

    auto* text = new QMimeData;
    text->setText(QStringLiteral("1 10\n2 20\n3 30\n"));
    EXPECT_TRUE(t.drop(text));
    ASSERT_EQ(t.d.bufferCount(), 1);
    EXPECT_EQ(t.d.DB.back()->nop(), 3);
    EXPECT_TRUE(t.d.DB.back()->getSource().startsWith(QStringLiteral("Drag&Drop")));
    EXPECT_EQ(temporaryFiles(), before);
    delete text;

    const QString path = AppFixtures::writeScratch(QStringLiteral("drop.dat"), "5 50\n6 60\n");
    auto* file = new QMimeData;
    file->setUrls({QUrl::fromLocalFile(path)});
    file->setText(path);
    EXPECT_TRUE(t.drop(file));
    ASSERT_EQ(t.d.bufferCount(), 2);
    EXPECT_TRUE(t.d.DB.back()->getSource().startsWith(QStringLiteral("Pasteboard")));
    delete file;

    // Text without numbers, a file that cannot be read: nothing changes,
    // and the drop is refused.
    auto* words = new QMimeData;
    words->setText(QStringLiteral("no numbers here"));
    EXPECT_FALSE(t.drop(words));
    delete words;
    auto* missing = new QMimeData;
    missing->setUrls({QUrl::fromLocalFile(TestSupport::scratchDir() + QStringLiteral("/missing.dat"))});
    EXPECT_FALSE(t.drop(missing));
    delete missing;
    EXPECT_EQ(t.d.bufferCount(), 2);

    // A file that is neither a picture nor text says so.
    const std::size_t alerts = t.alerts.requests().size();
    const QString broken = AppFixtures::writeScratch(QStringLiteral("broken.png"),
                                                     QByteArray("\x89PNG\r\n\x1a\n\0\0\x7f", 11));
    auto* binary = new QMimeData;
    binary->setUrls({QUrl::fromLocalFile(broken)});
    EXPECT_FALSE(t.drop(binary));
    delete binary;
    EXPECT_EQ(t.d.bufferCount(), 2);
    EXPECT_TRUE(t.d.G.empty());
    ASSERT_EQ(t.alerts.requests().size(), alerts + 1);
    EXPECT_TRUE(t.alerts.requests().back().message.contains(QStringLiteral("is not a text file")));
}

// Pictures dropped as data or as a file become picture graphics centred on
// the drop point, each the current graphic.
TEST(GraphInput, DroppedPicturesBecomePictureGraphics)
{
    const QString pngFile
        = AppFixtures::writeScratch(QStringLiteral("dropped.png"), PictureBytes::image({40, 20}, "png"));
    struct Case {
        const char* name;
        QString type;
        QByteArray bytes;
        QString file;
    };
    const Case cases[] = {
        {"PNG", QStringLiteral("image/png"), PictureBytes::image({40, 20}, "png"), QString()},
        {"TIFF", QStringLiteral("image/tiff"), PictureBytes::image({40, 20}, "tiff"), QString()},
        {"PDF", QStringLiteral("application/pdf"), PictureBytes::pdf(QSizeF(40, 20)), QString()},
        {"a PNG file", QString(), QByteArray(), pngFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window t;
        auto* data = new QMimeData;
        if (c.file.isEmpty())
            data->setData(c.type, c.bytes);
        else
            data->setUrls({QUrl::fromLocalFile(c.file)});
        EXPECT_TRUE(t.drop(data));
        delete data;
        ASSERT_EQ(t.d.G.size(), 1u);
        auto* picture = dynamic_cast<Graphic*>(t.d.G.front().get());
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->type, GraphicPicture);
        EXPECT_EQ(t.m.G, picture);
        EXPECT_EQ(t.d.bufferCount(), 0);
        // 40 x 20 points shown at 1 / 1.1, around the drop point.
        EXPECT_NEAR(picture->x2 - picture->x1, 40 / 1.1, 0.5);
        EXPECT_NEAR(picture->y2 - picture->y1, 20 / 1.1, 0.5);
        const QPointF at = t.graph.viewPoint(QPointF(200, 200));
        EXPECT_NEAR((picture->x1 + picture->x2) / 2, at.x(), 1e-9);
        EXPECT_NEAR((picture->y1 + picture->y2) / 2, at.y(), 1e-9);
        EXPECT_FALSE(t.graph.view().highlight);
    }
}

} // namespace

// A sub-view is a graph of its own inside the window: the wheel, the text
// tool, presses on its texts, the keys of its picked points and drops all go
// to it, and leave the main graph alone.
TEST(GraphInput, SubviewsTakeWheelTextKeysAndDropsOfTheirOwn)
{
    Window t;
    AppFixtures::showPointTable(t.m);
    VexaDocument* sub = AppFixtures::addSubview(t.m, t.d, QRectF(300, 200, 200, 150));
    ASSERT_TRUE(sub);
    auto* subView = dynamic_cast<VexaView*>(sub->PV);
    ASSERT_TRUE(subView);
    sub->xmin1 = sub->ymin1 = 0;
    sub->xmax1 = sub->ymax1 = 10;
    auto mainRanges = [&t] { return std::array{t.d.xmin1, t.d.xmax1, t.d.ymin1, t.d.ymax1}; };
    const auto untouched = mainRanges();

    // The wheel over the sub-view zooms its ranges only.
    t.m.selectMouseMode(QStringLiteral("range"));
    const QPointF over(400, 275);
    const QPointF at(over.x(), t.graph.height() - over.y());
    QWheelEvent wheel(at, t.graph.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&t.graph, &wheel);
    EXPECT_LT(sub->xmin1, 0);
    EXPECT_GT(sub->xmax1, 10);
    EXPECT_EQ(mainRanges(), untouched);

    // The text tool makes a box in the sub-view's document, and what is
    // typed goes into it, not to the tools.
    t.m.selectMouseMode(QStringLiteral("text"));
    t.mouse(QEvent::MouseButtonPress, QPointF(320, 320));
    t.mouse(QEvent::MouseButtonRelease, QPointF(320, 320));
    ASSERT_EQ(sub->T.size(), 1u);
    EXPECT_TRUE(t.d.T.empty());
    auto& box = dynamic_cast<VexaTextView&>(*sub->T.front());
    QTextEdit* editor = t.graph.textEditor();
    ASSERT_TRUE(editor);
    for (QChar c : QStringLiteral("inset")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor, &key);
    }
    EXPECT_EQ(box.string(), QStringLiteral("inset"));
    EXPECT_EQ(t.m.mouseModeTitle(), QStringLiteral("text"));
    // The editor stands over the box where the sub-view shows it.
    EXPECT_EQ(editor->geometry(), t.graph.editorGeometry(box));
    EXPECT_EQ(editor->geometry().left(), int(std::floor(300 + box.frame().x())));
    t.graph.endEditing();
    EXPECT_EQ(sub->T.size(), 1u);

    // With the select tool a press on it picks it, its document current.
    t.m.setCurrentDoc(&t.d, &t.d);
    t.m.selectMouseMode(QStringLiteral("select"));
    t.mouse(QEvent::MouseButtonPress, subView->frameOrigin + box.frame().center());
    t.mouse(QEvent::MouseButtonRelease, subView->frameOrigin + box.frame().center());
    EXPECT_EQ(t.m.PD, sub);
    EXPECT_EQ(t.m.T, &box);

    // A point picked in the sub-view is moved and deleted by the keys.
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < 3; ++i)
        b->addDoubleValue(2 + 2 * i, 5);
    DataBuffer* points = b.get();
    sub->DB.push_back(std::move(b));
    sub->current = 0;
    t.m.selectMouseMode(QStringLiteral("movepoint"));
    const QPointF second(subView->xPoint(4, 1), subView->yPoint(5, 1));
    t.mouse(QEvent::MouseButtonPress, subView->frameOrigin + second);
    t.mouse(QEvent::MouseButtonRelease, subView->frameOrigin + second);
    ASSERT_EQ(subView->pointsBeingMoved(), points);
    const double x = points->xDoubleValueAt(1);
    t.key(Qt::Key_Right, QString());
    EXPECT_NEAR(subView->xPoint(points->xDoubleValueAt(1), 1), subView->xPoint(x, 1) + 1, 1e-6);
    t.key(Qt::Key_Delete, QString());
    EXPECT_EQ(points->nop(), 2);
    EXPECT_EQ(t.m.mouseModeTitle(), QStringLiteral("movepoint"));

    // Text dropped on the sub-view becomes a buffer of its document.
    auto* text = new QMimeData;
    text->setText(QStringLiteral("1 10\n2 20\n"));
    const QPoint dropAt(400, int(t.graph.height() - 275));
    QDragEnterEvent enter(dropAt, Qt::CopyAction, text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t.graph, &enter);
    QDropEvent drop(dropAt, Qt::CopyAction, text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t.graph, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(sub->bufferCount(), 2);
    EXPECT_EQ(t.d.bufferCount(), 0);
    delete text;
}

// What is drawn on top takes a press: of two overlapping text boxes the one
// drawn later, in the main graph as in a sub-view.
TEST(GraphInput, APressTakesTheTextBoxDrawnOnTop)
{
    Window t;
    VexaDocument* sub = AppFixtures::addSubview(t.m, t.d, QRectF(300, 200, 200, 150));
    t.m.selectMouseMode(QStringLiteral("select"));
    for (VexaDocument* d : {&t.d, sub}) {
        SCOPED_TRACE(d == sub ? "sub-view" : "main graph");
        auto* view = dynamic_cast<VexaView*>(d->PV);
        std::vector<VexaTextView*> boxes;
        for (const char* words : {"underneath, and longer", "on top"}) {
            auto made = std::make_unique<VexaTextView>(QRectF(20, 100, 10, 15), &t.m, d);
            made->setString(QString::fromLatin1(words), Font::userFont(14), Qt::black);
            made->textHasChanged();
            boxes.push_back(made.get());
            d->T.push_back(std::move(made));
        }
        const QPointF where = (d == sub ? view->frameOrigin : QPointF()) + QPointF(25, 110);
        ASSERT_TRUE(boxes[0]->frameContains(where - (d == sub ? view->frameOrigin : QPointF())));
        ASSERT_TRUE(boxes[1]->frameContains(where - (d == sub ? view->frameOrigin : QPointF())));
        t.mouse(QEvent::MouseButtonPress, where);
        t.mouse(QEvent::MouseButtonRelease, where);
        EXPECT_EQ(t.m.T, boxes[1]);
    }
}
