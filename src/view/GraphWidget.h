#pragma once

// The widget that shows a graph on screen: it hosts one VexaView, runs the
// view's pass in paintEvent, and keeps the window image the mouse tools
// draw their rubber bands over.
//
// "Display now" is a synchronous repaint(), "needs display" a deferred
// update(); the view asks for both through its handlers, which this widget
// sets.

#include "view/VexaTextView.h"
#include "view/VexaView.h"

#include <QImage>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>

#include <optional>

class ManagerServices;

class VexaDocument;

class GraphWidget : public QWidget, private TextBoxEditor {
public:
    explicit GraphWidget(QWidget* parent = nullptr, ManagerServices* services = nullptr);
    ~GraphWidget() override;

    VexaView& view() { return view_; }
    const VexaView& view() const { return view_; }

    // Binds the document to the view (the view takes the widget's size
    // first, so an unplaced legend lands inside this plot area) and makes
    // the view the document's view. Nothing is redrawn.
    void setDocument(VexaDocument* document);

    // Draws now, before returning (nothing while the widget is not shown).
    void displayNow();
    // Draws at the next turn of the event loop.
    void setNeedsDisplay();

    // Keeps the window as it looks now: the graph drawn in full, with any
    // child widget over it. While the view's `redraw` is off, the pass shows
    // this image and draws only the overlays over it.
    void cacheWindowImage();
    void dropCachedImage();
    const QImage& cachedImage() const { return cache_; }

    QSize sizeHint() const override;

    // --- text editing ---------------------------------------------------------------
    // Puts an editor over the box, unturned at the box's frame origin and
    // writing into the box's own text, and gives it the keyboard; while it
    // is there the graph leaves the box's text to it. Editing ends when the
    // editor loses the keyboard to something else, on Escape, when another
    // box is edited, or when the box goes away. A box left empty then goes
    // too (VexaDocument::textDidEndEditing).
    void beginEditing(VexaTextView& box);
    void endEditing();
    VexaTextView* editedBox() const { return edited_; }
    QTextEdit* textEditor() const { return editor_; }
    // Where the editor of a box stands, in widget pixels.
    QRect editorGeometry(const VexaTextView& box) const;

    // A widget point in the view's y-up points, and back.
    QPointF viewPoint(QPointF widgetPoint) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Presses on a text box go to the box: it becomes current, the select
    // tool drags it, the text tool edits it.
    // Other presses are gestures of the tool selected, in the view (or the
    // sub-view) under the pointer until the release.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Keys as the tools know them: Ctrl is Command, Alt is Control, Shift
    // is Option.
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textBoxWillGoAway(VexaTextView& box) override;
    // The box when the view's document, or one of its sub-views, still
    // holds it.
    VexaTextView* held(VexaTextView* box) const;
    // Where the view of the box's document sits in this widget's view.
    QPointF originOf(const VexaTextView& box) const;
    // The view that takes the keys: that of the current document when it is
    // one of this graph's sub-views, else the widget's own.
    VexaView& keyView();
    void placeEditor();
    void dropEditor();
    // The view a press at a view point of this widget belongs to: the
    // topmost sub-view holding it, else the widget's own.
    VexaView* viewAt(QPointF p);
    // The view of the gesture under way, while it still exists.
    VexaView* gestureView();
    VexaView::MouseEvent toolEvent(VexaView& view, QPointF p) const;

    VexaView view_;
    QImage cache_;
    QPointer<QTextEdit> editor_;
    VexaTextView* edited_ = nullptr;
    // The edited box's text when its editing began; none for a box that was
    // empty then (a new one), whose typing is no step of the window's undo.
    std::optional<QString> textBefore_;
    VexaTextView* pressed_ = nullptr;
    VexaView* gesture_ = nullptr;
};
