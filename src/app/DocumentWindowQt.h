#pragma once

// The window of one document: the graph, the window's own tool palette and
// the x/y value read-out in a strip above it. It implements the model's
// DocumentWindow and is the document's window glue: it binds the view,
// applies a stored window size, listens to the document's replots to keep
// the palette in step with the controller's, lay out its strip and mark
// itself edited, makes its document current when it becomes active, shows
// axis values and prints.
//
// The window owns its document; closing the window ends the document.

#include "app/VexaWindow.h"
#include "model/DocumentListeners.h"
#include "model/DocumentWindow.h"

#include <QHash>
#include <QMainWindow>
#include <QPointF>

#include <memory>
#include <vector>

class ApplicationController;
class GraphWidget;
class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QPagedPaintDevice;
class DocumentView;
class VexaDocument;
class VexaView;

class DocumentWindowQt : public VexaWindow, public DocumentWindow {
public:
    // Puts the window together around the document (not shown yet).
    DocumentWindowQt(std::unique_ptr<VexaDocument> document, ApplicationController& controller,
                     QWidget* parent = nullptr);
    ~DocumentWindowQt() override;

    VexaDocument& document() { return *document_; }
    GraphWidget& graphWidget() { return *graph_; }

    // The file the document was read from or last saved to; empty for a new
    // document. The window's title names it.
    QString filePath() const { return filePath_; }
    void setFilePath(const QString& path);
    // What the window is called: its file's name, or the name it got as a
    // new document ("Untitled", "Untitled 2", ...).
    QString displayName() const;
    void setUntitledName(const QString& name);
    // Moves and, if need be, shrinks the window until all of it (frame
    // included) lies within the free area of its screen.
    void keepOnScreen();

    // --- the window's own controls ------------------------------------------------
    // The strip above the graph holds the tool palette and the value
    // read-out. The palette's buttons are made with the window; the strip
    // itself (the read-out, and the fixed sizes both take from their text)
    // when the window is first shown, or earlier by makeStrip(): a window
    // never shown measures no text. Until then the graph fills the window;
    // the window grows by the strip's height when the strip joins it.
    QWidget* toolview = nullptr; // holds the tool palette
    QWidget* valview = nullptr; // holds the two value fields
    QLineEdit* xvaldis = nullptr; // the value fields show the last values
    QLineEdit* yvaldis = nullptr; // at once when they are made
    QHash<QString, QAbstractButton*> MM; // tool title -> palette button
    void makeStrip();
    bool stripMade() const { return valview != nullptr; }

    // The views of sub-view documents read from a file: each sub-view
    // document points at its view, so they live as long as the document.
    std::vector<std::unique_ptr<VexaView>> subviewViews;

    // --- the palette and the strip follow the controller --------------------------
    // The palette selects the controller's tool (compared without regard to
    // case); the strip shows what the "WindowToolbar" preference and the
    // window's width leave of it. The window does this on every replot of
    // its document, when it becomes active or is resized, and when the
    // controller's tool or the preference changes.
    void followController();
    // What of the strip shows: with the preference set neither part; else
    // the palette, and the value read-out only while the window is wider
    // than both parts and 80 points.
    struct StripParts {
        bool toolsHidden;
        bool valuesHidden;
        friend bool operator==(const StripParts&, const StripParts&) = default;
    };
    static StripParts stripParts(bool toolbarSwitch, double frameWidth, double toolsWidth,
                                 double valuesWidth);

    QString selectedToolTitle() const;
    // Selects the palette cell titled so and marks the palette for
    // redisplay; nothing when the palette has no such cell.
    void selectTool(const QString& title);
    // The parts of the strip. Before the strip is made a part has no width
    // and only remembers whether it is to be hidden.
    double toolViewWidth() const;
    bool toolViewHidden() const;
    void setToolViewHidden(bool hidden);
    double valViewWidth() const;
    bool valViewHidden() const;
    void setValViewHidden(bool hidden);
    void setDocumentEdited(bool edited);

    // --- DocumentWindow ------------------------------------------------------------
    void showAxisValues(VexaDocument& document, QPointF point) override { showValues(document, point); }
    void adoptSubviewView(std::unique_ptr<DocumentView> view) override;

    // --- window events (Qt calls them through the event handlers) ------------------
    // A pending stored size is applied, the document becomes current, the
    // window comes in line with the controller and the graph is drawn.
    void windowDidBecomeMain();
    void windowDidResize();
    void windowWillClose();

    // The user picked a tool in this window's palette: the application's
    // palette follows.
    void mouseModeChanged();
    void rescale();

    // Axis values (pair 1) of a view point of `document` in the value fields
    // of its main document's window; the measure tool's form reads the point
    // moved by (-15, +15).
    static void showValues(VexaDocument& document, QPointF point);
    static void showValuesMeasure(VexaDocument& document, QPointF point);

    // Prints the graph scaled to fit one page, asking for the printer first
    // when `showPanel` is set. The controller stays in print mode afterwards
    // (the next press in a graph ends it). False when the panel was
    // cancelled (*cancelled set), the printer could not be opened or
    // printing is not available (Printing::get says why).
    bool printShowingPrintPanel(bool showPanel, bool* cancelled = nullptr);
    // The same onto a printer set up by the caller (a PDF file, say).
    bool print(QPagedPaintDevice& printer);

    // Resizes the window so that the graph gets this size.
    void setContentSize(QSize size);
    // The same, the window growing and shrinking about its lower-left corner
    // (frame included), as far as the screen allows.
    void setContentSizeKeepingLowerLeft(QSize size);

    // --- closing -------------------------------------------------------------------------
    // A close by the user (the close box, File > Close, Quit) first asks
    // about unsaved changes; these are the answers' outcome. True when the
    // window may close: the document is unedited, windows are not really
    // shown (nobody could answer), or the user saved or chose not to.
    // False keeps the window open (Cancel, or the save failed or was
    // cancelled).
    bool askToSaveChanges();
    // Closes without the question: for closes the program makes itself (a
    // macro, a scripted quit), which must neither ask nor wait. True when
    // the window closed.
    bool closeWithoutAsking();
    // True once the window has closed; it is destroyed at the next turn of
    // the event loop, with its document.
    bool isClosed() const { return closed_; }

protected:
    void setVisible(bool visible) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPalette();
    void layOut();

    ApplicationController& controller_;
    std::unique_ptr<VexaDocument> document_;
    GraphWidget* graph_ = nullptr;
    QButtonGroup* palette_ = nullptr;
    bool assembled_ = false;
    bool closed_ = false;
    bool closingWithoutAsking_ = false;
    QString xValue_, yValue_; // the read-out's texts, kept while it is not made
    bool toolsHidden_ = false;
    bool valuesHidden_ = false;
    QString filePath_;
    QString untitledName_ = QStringLiteral("Untitled");
    // Last, so that it ends before the document does.
    DocumentListeners::Subscription replots_;
};
