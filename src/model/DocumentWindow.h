#pragma once

// The document's window as the model sees it: its own tool palette, the two
// small views beside it (tool strip and value read-out) and the edited mark.
// The window classes above the model implement it.

#include <QPointF>
#include <QString>

#include <memory>

class DocumentView;
class VexaDocument;

class DocumentWindow {
public:
    virtual ~DocumentWindow() = default;

    // Title of the selected cell of the window's own tool palette.
    virtual QString selectedToolTitle() const = 0;
    // Selects the palette cell titled so and marks the palette for
    // redisplay; nothing when the palette has no such cell.
    virtual void selectTool(const QString& title) = 0;

    // Width of the view that holds the window's content view; 0 without one.
    virtual double frameViewWidth() const = 0;

    // The tool strip and the value read-out. A missing view reports width 0
    // and ignores hiding.
    virtual double toolViewWidth() const = 0;
    virtual bool toolViewHidden() const = 0;
    virtual void setToolViewHidden(bool hidden) = 0;
    virtual double valViewWidth() const = 0;
    virtual bool valViewHidden() const = 0;
    virtual void setValViewHidden(bool hidden) = 0;

    // True for the plain window kind, whose edited mark replots set; the
    // window kind used while a text box is edited keeps its own.
    virtual bool isPlainWindow() const = 0;
    virtual void setDocumentEdited(bool edited) = 0;

    // The window's value read-out shows the axis values (pair 1) of a view
    // point of the document, which is the window's own or one of its
    // sub-views.
    virtual void showAxisValues(VexaDocument& document, QPointF point) { }
    // Keeps the view of a sub-view document made in this window for as long
    // as the window lives (or until the sub-view is deleted). A window that
    // cannot keep one lets it go.
    virtual void adoptSubviewView(std::unique_ptr<DocumentView> view) { }
};
