#include "view/GraphWidget.h"

#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/TextDrawing.h"
#include "view/BoxEditor.h"
#include "view/TextRuns.h"

#include <QAbstractTextDocumentLayout>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

GraphWidget::GraphWidget(QWidget* parent, ManagerServices* services)
        : QWidget(parent)
        , view_(QSizeF(0, 0), services)
{
    setFocusPolicy(Qt::StrongFocus);
    view_.setFrameSize(QSizeF(size()));
    view_.setDisplayHandler([this] { displayNow(); });
    view_.setNeedsDisplayHandler([this] { setNeedsDisplay(); });
    view_.setCacheHandler([this] { cacheWindowImage(); });
    view_.setEditTextHandler([this](VexaTextView& box) { beginEditing(box); });
    setAcceptDrops(true);
}

GraphWidget::~GraphWidget()
{
    dropEditor();
    if (view_.PD && view_.PD->PV == &view_)
        view_.PD->PV = nullptr;
}

void GraphWidget::setDocument(VexaDocument* document)
{
    endEditing();
    pressed_ = nullptr;
    if (view_.PD && view_.PD != document && view_.PD->PV == &view_)
        view_.PD->PV = nullptr;
    view_.setFrameSize(QSizeF(size()));
    view_.setVexaDocument(document);
    if (document)
        document->PV = &view_;
}

void GraphWidget::displayNow()
{
    repaint();
}

void GraphWidget::setNeedsDisplay()
{
    update();
}

void GraphWidget::cacheWindowImage()
{
    // Render draws through paintEvent; without a cached image the pass
    // draws the whole graph, whatever `redraw` says.
    cache_ = QImage();
    const qreal dpr = devicePixelRatioF();
    QImage image(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(palette().color(backgroundRole()));
    render(&image);
    cache_ = std::move(image);
}

void GraphWidget::dropCachedImage()
{
    cache_ = QImage();
}

QSize GraphWidget::sizeHint() const
{
    return QSize(600, 450);
}

void GraphWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const double h = height();
    VexaView::flipToViewPoints(painter, h);
    // The dirty area in view points: y counted from the bottom.
    const QRectF r = event->rect();
    const QRectF dirty(r.left(), h - r.top() - r.height(), r.width(), r.height());
    view_.drawRect(painter, dirty, cache_.isNull() ? nullptr : &cache_);
    // The pass may have moved the edited box (its data values on new
    // ranges, an automatic place on a new size): the editor follows it.
    placeEditor();
}

void GraphWidget::resizeEvent(QResizeEvent* event)
{
    view_.setFrameSize(QSizeF(event->size()));
    // An image of another size would be stretched over the graph.
    cache_ = QImage();
    QWidget::resizeEvent(event);
}

// --- text boxes ---------------------------------------------------------------------------

QPointF GraphWidget::viewPoint(QPointF widgetPoint) const
{
    return QPointF(widgetPoint.x(), height() - widgetPoint.y());
}

VexaTextView* GraphWidget::held(VexaTextView* box) const
{
    if (!box || !view_.PD)
        return nullptr;
    auto holds = [box](const VexaDocument& d) {
        return std::any_of(d.T.begin(), d.T.end(), [box](const auto& item) { return item.get() == box; });
    };
    if (holds(*view_.PD))
        return box;
    for (const auto& sub : view_.PD->SPD)
        if (sub && holds(*sub))
            return box;
    return nullptr;
}

QPointF GraphWidget::originOf(const VexaTextView& box) const
{
    const auto* v = box.PD ? dynamic_cast<const VexaView*>(box.PD->PV) : nullptr;
    return v ? v->frameOrigin : QPointF();
}

VexaView& GraphWidget::keyView()
{
    if (VexaDocument* d = view_.PD)
        for (const auto& sub : d->SPD)
            if (sub && sub.get() == view_.M->PD)
                if (auto* v = dynamic_cast<VexaView*>(sub->PV))
                    return *v;
    return view_;
}

VexaView* GraphWidget::viewAt(QPointF p)
{
    if (VexaDocument* d = view_.PD) {
        for (auto it = d->SPD.rbegin(); it != d->SPD.rend(); ++it) {
            auto* v = *it ? dynamic_cast<VexaView*>((*it)->PV) : nullptr;
            if (v && v != &view_ && v->frame().contains(p))
                return v;
        }
    }
    return &view_;
}

VexaView* GraphWidget::gestureView()
{
    if (gesture_ == &view_)
        return gesture_;
    if (VexaDocument* d = view_.PD)
        for (const auto& sub : d->SPD)
            if (sub && sub->PV == gesture_)
                return gesture_;
    gesture_ = nullptr;
    return nullptr;
}

VexaView::MouseEvent GraphWidget::toolEvent(VexaView& view, QPointF p) const
{
    return {p - view.frameOrigin, p};
}

void GraphWidget::mousePressEvent(QMouseEvent* event)
{
    pressed_ = nullptr;
    gesture_ = nullptr;
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The view drawn on top at the press takes it: a sub-view over the main
    // graph, and in that view a text box over the rest.
    const QPointF p = viewPoint(event->position());
    VexaView* under = viewAt(p);
    const QPointF inView = p - under->frameOrigin;
    VexaTextView* box = under->textViewAt(inView);
    if (!box) {
        endEditing();
        setFocus(Qt::MouseFocusReason);
        gesture_ = under;
        gesture_->mouseDown(toolEvent(*gesture_, p));
        return;
    }
    if (box != edited_)
        endEditing();
    // A press in a sub-view makes its document current first, as the tools do.
    if (under != &view_ && view_.M->PD != under->PD) {
        view_.M->setCurrentDoc(under->PD, view_.PD);
        view_.M->update();
    }
    pressed_ = box;
    if (box->mouseDown(inView) && held(box)) {
        beginEditing(*box);
        if (editor_) {
            // The caret goes where the box was pressed.
            const QPointF inBox = box->toBox(inView);
            const QPoint at(int(inBox.x()), int(box->frame().height() - inBox.y()));
            editor_->setTextCursor(editor_->cursorForPosition(at));
        }
        pressed_ = nullptr;
    }
}

void GraphWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (VexaTextView* box = held(pressed_); box && (event->buttons() & Qt::LeftButton)) {
        box->mouseDragged(viewPoint(event->position()) - originOf(*box));
        update();
        return;
    }
    if (VexaView* v = gestureView(); v && (event->buttons() & Qt::LeftButton)) {
        v->mouseDragged(toolEvent(*v, viewPoint(event->position())));
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void GraphWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (VexaTextView* box = held(pressed_); box && event->button() == Qt::LeftButton) {
        pressed_ = nullptr;
        box->mouseUp();
        return;
    }
    pressed_ = nullptr;
    if (VexaView* v = gestureView(); v && event->button() == Qt::LeftButton) {
        gesture_ = nullptr;
        v->mouseUp(toolEvent(*v, viewPoint(event->position())));
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

namespace {

unsigned toolModifiers(Qt::KeyboardModifiers m)
{
    unsigned r = 0;
    if (m & Qt::ControlModifier)
        r |= VexaView::ModCommand;
    if (m & Qt::AltModifier)
        r |= VexaView::ModControl;
    if (m & Qt::ShiftModifier)
        r |= VexaView::ModOption;
    return r;
}

// The key's character as the tools know it: the arrows and Delete by their
// codes, a letter by its key (Alt+letter types nothing on some desktops)
// in the case Shift gives it, anything else by the first character typed.
int toolCharacter(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Up:
        return VexaView::KeyUp;
    case Qt::Key_Down:
        return VexaView::KeyDown;
    case Qt::Key_Left:
        return VexaView::KeyLeft;
    case Qt::Key_Right:
        return VexaView::KeyRight;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return VexaView::KeyDelete;
    default:
        break;
    }
    if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
        const int offset = event.key() - Qt::Key_A;
        return (event.modifiers() & Qt::ShiftModifier ? 'A' : 'a') + offset;
    }
    const QString text = event.text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

} // namespace

void GraphWidget::keyPressEvent(QKeyEvent* event)
{
    const int c = toolCharacter(*event);
    if (!c || !keyView().keyDown(c, toolModifiers(event->modifiers())))
        QWidget::keyPressEvent(event);
}

void GraphWidget::wheelEvent(QWheelEvent* event)
{
    // Lines of a wheel with notches; a touchpad gives fractions.
    double lines = event->angleDelta().y() / 120.0;
    // Some desktops turn Shift+wheel into a sideways turn.
    if (lines == 0)
        lines = event->angleDelta().x() / 120.0;
    viewAt(viewPoint(event->position()))->scrollWheel(lines, toolModifiers(event->modifiers()));
    event->accept();
}

void GraphWidget::dragEnterEvent(QDragEnterEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
    view_.setDropHighlight(true);
}

void GraphWidget::dragMoveEvent(QDragMoveEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void GraphWidget::dragLeaveEvent(QDragLeaveEvent* event)
{
    view_.setDropHighlight(false);
    QWidget::dragLeaveEvent(event);
}

void GraphWidget::dropEvent(QDropEvent* event)
{
    const QMimeData* offered = event->mimeData();
    VexaView::Drop drop;
    for (const QUrl& url : offered->urls())
        if (url.isLocalFile()) {
            drop.file = url.toLocalFile();
            break;
        }
    if (drop.file.isEmpty()) {
        if (offered->hasText())
            drop.text = offered->text();
        drop.pdf = offered->data(QStringLiteral("application/pdf"));
        drop.png = offered->data(QStringLiteral("image/png"));
        drop.tiff = offered->data(QStringLiteral("image/tiff"));
    }
    const QPointF p = viewPoint(event->position());
    VexaView* under = viewAt(p);
    const bool taken = under->performDrop(drop, p - under->frameOrigin);
    view_.setDropHighlight(false);
    if (taken) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

QRect GraphWidget::editorGeometry(const VexaTextView& box) const
{
    const QRectF f = box.frame().translated(originOf(box));
    // Room for the caret at the end of the longest line, and never so small
    // that an empty box could not be seen.
    const int w = std::max(10, int(std::ceil(f.width())) + 2);
    const int h = std::max(15, int(std::ceil(f.height())));
    const int left = int(std::floor(f.x()));
    const int top = int(std::floor(height() - f.y() - f.height()));
    return QRect(left, top, w, h);
}

void GraphWidget::placeEditor()
{
    if (editor_ && held(edited_) && editor_->geometry() != editorGeometry(*edited_))
        editor_->setGeometry(editorGeometry(*edited_));
}

void GraphWidget::beginEditing(VexaTextView& box)
{
    if (edited_ == &box && editor_)
        return;
    endEditing();
    QTextDocument& text = box.document();
    auto* editor = new BoxEditor(this);
    editor->setFrameStyle(QFrame::NoFrame);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor->setLineWrapMode(QTextEdit::NoWrap);
    editor->setAcceptRichText(true);
    // A text edit hands its own font to its document whenever that font
    // changes, as when the window's font changes; with the box's font, every
    // property of it, as its own, the box keeps its font.
    QFont own = text.defaultFont();
    own.setResolveMask(QFont::AllPropertiesResolved);
    editor->setFont(own);
    editor->setDocument(&text);
    // The editor shows the text at the size the graph draws it: one point
    // of text, one point of the view.
    text.documentLayout()->setPaintDevice(TextDrawing::pointDevice());
    // The graph shows through, so the box looks the same while it is edited.
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    editor->setPalette(palette);
    editor->viewport()->setAutoFillBackground(false);
    editor->installEventFilter(this);
    connect(&text, &QTextDocument::contentsChanged, editor, [this] {
        if (VexaTextView* b = held(edited_)) {
            b->textHasChanged();
            placeEditor();
        }
    });
    editor_ = editor;
    edited_ = &box;
    textBefore_ = box.isEmpty() ? std::nullopt : std::optional<QString>(box.document().toHtml());
    box.editor = this;
    placeEditor();
    editor->show();
    editor->setFocus(Qt::MouseFocusReason);
    view_.setNeedsDisplay();
}

void GraphWidget::dropEditor()
{
    QTextEdit* editor = editor_;
    editor_ = nullptr;
    if (edited_)
        edited_->editor = nullptr;
    edited_ = nullptr;
    if (!editor)
        return;
    editor->removeEventFilter(this);
    // The editor lets go of the box's text before anything else happens to
    // either of them.
    editor->setDocument(new QTextDocument(editor));
    editor->hide();
    editor->deleteLater();
}

void GraphWidget::endEditing()
{
    VexaTextView* box = held(edited_);
    if (!editor_ && !box)
        return;
    const std::optional<QString> before = std::exchange(textBefore_, std::nullopt);
    dropEditor();
    // What the editing did to a box that had text is one step of the
    // window's undo, in line with the changes made to it from outside.
    if (box && before && !box->isEmpty() && box->document().toHtml() != *before)
        TextRuns::registerUndo(*box, *before);
    if (box && box->PD)
        box->PD->textDidEndEditing(box);
    view_.setNeedsDisplay();
}

void GraphWidget::textBoxWillGoAway(VexaTextView& box)
{
    if (&box == edited_)
        dropEditor();
    if (&box == pressed_)
        pressed_ = nullptr;
}

bool GraphWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (editor_ && watched == editor_) {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Another window coming to the front does not end the editing;
            // the keyboard going elsewhere in this one does.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                QPointer<QTextEdit> editor = editor_;
                QTimer::singleShot(0, this, [this, editor] {
                    if (editor && editor == editor_)
                        endEditing();
                });
            }
        } else if (event->type() == QEvent::KeyPress
                   && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            endEditing();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
