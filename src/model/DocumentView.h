#pragma once

// The view that draws a document, as the model sees it.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // Draws now, synchronously (not a deferred request).
    virtual void displayNow() = 0;
};
