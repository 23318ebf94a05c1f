#pragma once

#include <QSizeF>

// The view that draws a document, as the model sees it.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // Draws now, synchronously (not a deferred request).
    virtual void displayNow() = 0;
    // Asks for a drawing at the next turn of the event loop.
    virtual void setNeedsDisplay() { }
    // Width and height of the view's bounds in view points.
    virtual QSizeF boundsSize() const { return QSizeF(0, 0); }

    // Data value <-> view coordinate on an axis pair (1 or 2).
    virtual double xPoint(double value, int pair) const { return 0; }
    virtual double yPoint(double value, int pair) const { return 0; }
    virtual double xValue(double point, int pair) const { return 0; }
    virtual double yValue(double point, int pair) const { return 0; }
};
