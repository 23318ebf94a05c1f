#pragma once

// The widget that shows a graph on screen: it hosts one VexaView, runs the
// view's pass in paintEvent, and keeps the window image the mouse tools
// draw their rubber bands over.
//
// "Display now" is a synchronous repaint(), "needs display" a deferred
// update(); the view asks for both through its handlers, which this widget
// sets.

#include "view/VexaView.h"

#include <QImage>
#include <QWidget>

class ManagerServices;
class VexaDocument;

class GraphWidget : public QWidget {
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

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    VexaView view_;
    QImage cache_;
};
