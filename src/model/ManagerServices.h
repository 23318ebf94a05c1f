#pragma once

// What the model and the view ask of the application controller. The
// controller lives above them and derives from this class; it hands itself
// to the documents, views and items it makes.
//
// The plain fields are the controller's own state, read and written directly
// as the rest of the program does with model fields. Every service has a
// default, so that a program without a controller (a batch export, a test)
// behaves as an idle application: no print mode, no current document, no
// tool, no selection.

#include "model/Tool.h"

#include <QHash>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <vector>

class GraphicItem;
class TextBoxItem;
struct GraphicSettings;
class VexaDocument;

class ManagerServices {
public:
    virtual ~ManagerServices() = default;

    // --- state shared with documents, views and expressions -----------------
    VexaDocument* PD = nullptr; // current document
    VexaDocument* MPD = nullptr; // its main document
    VexaDocument* CPD = nullptr; // document being drawn or last made current
    TextBoxItem* T = nullptr; // current text box
    GraphicItem* G = nullptr; // current graphic; at most one of T and G is set
    // Numeric variables shared by expressions, macros, tools and operations.
    QHash<QString, double> GV;
    // 1 while a graph is printed, exported as a picture or copied.
    std::uint8_t printmode = 0;
    // The "show warnings" preference.
    std::uint8_t warnings = 1;
    // Which reference the next pick of the normx or normy tool sets: 0 the
    // first, 1 the second.
    int mpcount = 0;

    // Stores a numeric variable, replacing an earlier value.
    void setVar(const QString& name, double value) { GV.insert(name, value); }

    // --- services ----------------------------------------------------------
    // Refreshes the inspector on show and the buffer and point tables.
    virtual void update() { }

    // Makes the document current with its main document (they differ for a
    // sub-view); the current text box and graphic become none. Null and
    // null leave the application without one. Without a controller only
    // the three fields change.
    virtual void setCurrentDoc(VexaDocument* document, VexaDocument* main);

    // Title of the selected cell of the application's tool palette.
    virtual QString mouseModeTitle() const { return QString(); }
    // The tool of that cell (Tool::None without one). A gesture, a key or a
    // drawing pass asks once and keeps the answer.
    Tool mouseTool() const { return toolNamed(mouseModeTitle()); }

    // The "WindowToolbar" preference: document windows hide their own tool
    // strip and value read-out.
    virtual bool toolbarSwitch() const { return false; }

    // Selected rows of the buffer table, ascending; may reach beyond the
    // buffer list.
    virtual std::vector<int> selectedBufferRows() const { return {}; }

    // Selected rows of the point table (the current buffer's points),
    // ascending; may reach beyond the buffer.
    virtual std::vector<int> selectedPointRows() const { return {}; }
    // The point table selects the row alone and scrolls it into view; or
    // selects nothing.
    virtual void selectPointRow(int row) { }
    virtual void deselectAllPoints() { }

    // The axis-pair choice of the tools and menus: 1, 2, or 0 for both.
    virtual int axis12() const { return 1; }

    // --- tools and read-outs: what the graph's mouse and key handling calls -----
    // A plain character typed in a graph or a floating panel, capitals
    // already folded to lower case: selects the tool of that key (if any),
    // then runs the tool-change handling for every character.
    virtual void getShortcut(int character) { }
    // The eight read-outs and their variables ("xpos1".."ypos2",
    // "dx1".."dy2") for a view point of the current document; the two-point
    // forms add the distance from the second point (the drag start or the
    // measure origin). The measure forms read each point moved by (-15, +15).
    virtual void showValues(QPointF point) { }
    virtual void showValues(QPointF point, QPointF from) { }
    virtual void showValuesMeasure(QPointF point) { }
    virtual void showValuesMeasure(QPointF point, QPointF from) { }
    // A click of the normx or normy tool: reference 1 and 2 in turn.
    virtual void setMouseLocation(double value) { }
    // The background line of the bgsub tool (slope and intercept to subtract).
    virtual void setLinBg(double a, double b) { }

    // Makes the text box (or graphic) the current one, the other kind none,
    // refreshes and replots the current document. Only with a current
    // document; otherwise, and for none, nothing is current afterwards.
    void setCurrentText(TextBoxItem* text);
    void setCurrentGraphic(GraphicItem* graphic);

    // Shows the inspector panel of the key.
    virtual void switchInspector(const QString& key) { }
    // A press beside the plot area chose axis 0..3 (AxisIndex): the axis
    // format or axis label panel on show turns to it, otherwise the axis
    // panel comes up on it.
    virtual void showAxisInInspector(int axis) { }
    // What the graphic panel holds for the next graphic drawn; none while
    // the panel was never shown.
    virtual const GraphicSettings* graphicSettings() const { return nullptr; }
    // A text box or graphic left its document: whoever still points at it
    // (a panel showing it) lets go. The current text box and graphic are
    // the caller's to clear.
    virtual void itemTakenAway(const void* item) { }

    // Runs every stored macro whose shortcut is the character, exactly as
    // typed, in list order, each with its timer stopped first.
    virtual void ma_executeByShortcut(int character) { }

    // A drop on a graph: text, or a file that holds no picture, imported
    // into the document as ASCII columns with the import's defaults. The
    // result is the import's own: false when nothing was read (an
    // unreadable file has been reported to the user). Without a
    // controller nothing is imported.
    virtual bool importDroppedText(VexaDocument& document, const QString& text) { return false; }
    virtual bool importDroppedFile(VexaDocument& document, const QString& path) { return false; }

    // The idle controller of a program that has none: what a view, item or
    // command made without a controller works with.
    static ManagerServices& idle();
};
