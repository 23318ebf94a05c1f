#pragma once

// The view that draws a document, as the model sees it.
#include <QSizeF>

class DocumentView {
public:
    virtual ~DocumentView() = default;
    // Draws now, synchronously (not a deferred request).
    virtual void displayNow() = 0;
    // Width and height of the view's bounds in view points.
    virtual QSizeF boundsSize() const { return QSizeF(0, 0); }
};
