#pragma once

// The document's window as the model and the view see it: where a view point
// of the document shows its axis values, and who keeps the views of
// sub-views made in it. The window classes above the model implement it;
// they hear of the document's replots through its listeners
// (DocumentListeners.h) and bring their palette, strip and edited mark in
// line themselves.

#include <QPointF>

#include <memory>

class DocumentView;
class VexaDocument;

class DocumentWindow {
public:
    virtual ~DocumentWindow() = default;

    // The window's value read-out shows the axis values (pair 1) of a view
    // point of the document, which is the window's own or one of its
    // sub-views.
    virtual void showAxisValues(VexaDocument& document, QPointF point) { }
    // Keeps the view of a sub-view document made in this window for as long
    // as the window lives (or until the sub-view is deleted). A window that
    // cannot keep one lets it go.
    virtual void adoptSubviewView(std::unique_ptr<DocumentView> view) { }
};
