#pragma once

// The view that draws one document. It is no widget: a GraphWidget hosts it
// on screen, and the same drawing runs into a QImage or a PDF through a
// QPainter. Everything here is in view points with the origin at the
// bottom-left corner and y upwards; one transform at the target flips y
// (flipToViewPoints).
//
// Like the model, the view keeps its state in plain public fields that the
// tools and the drawing read and write.

#include "model/DocumentView.h"
#include "model/Tool.h"
#include "platform/BezierPath.h"
#include "platform/DashPattern.h"

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

class DataBuffer;
class Graphic;
class GraphicItem;
class Picture;
class QImage;
class QFont;
class QPainter;
class StyledText;
class VexaDocument;
class VexaTextView;
class ManagerServices;
namespace DenseLine {
struct LineRules;
}

class VexaView : public DocumentView {
public:
    // A view of the given bounds size, drawing for the controller's services
    // (an idle one when none is given).
    explicit VexaView(QSizeF frameSize = QSizeF(), ManagerServices* services = nullptr);
    ~VexaView() override;
    VexaView(const VexaView&) = delete;
    VexaView& operator=(const VexaView&) = delete;

    // --- state ------------------------------------------------------------
    ManagerServices* M; // never null
    VexaDocument* PD = nullptr; // the document drawn; not owned
    Graphic* nG = nullptr; // graphic being drawn out by the graphic tool
    BezierPath pb; // rubber bands and the cross hair
    BezierPath pl; // lines, areas, histograms, grids, legend lines
    BezierPath ps; // data marks
    QPointF aloc, bloc; // press and current point of a drag
    QPointF oloc; // origin of the measure tool's cross hair
    QPointF lloc; // last pointer location of a drag
    QPointF sva, svb; // press and current point of a sub-view drag
    QRectF svr; // sub-view rectangle being drawn or moved
    std::uint8_t haveoloc = 0;
    double width = 0, height = 0; // of the plot area
    double top = 0, right = 0, bottom = 0, left = 0; // its edges
    std::uint8_t redraw = 1; // the next pass draws everything
    DashPattern dash; // the dash table for the last dash width asked for
    double mvxmin1 = 0, mvxmax1 = 0, mvymin1 = 0, mvymax1 = 0;
    double mvxmin2 = 0, mvxmax2 = 0, mvymin2 = 0, mvymax2 = 0;
    int moveframe = 0, movegraphic = 0, movesubview = 0;
    DataBuffer* movepoints = nullptr;
    std::uint8_t highlight = 0;

    // --- frame and document -------------------------------------------------
    QSizeF boundsSize() const override { return bounds_; }
    // The host resized the view; the plot area follows at the next resize()
    // or drawing.
    void setFrameSize(QSizeF size);
    // Binds the document. A legend never placed (at -1, -1) goes 20 points
    // inside the top-left corner of the plot area. Nothing is redrawn.
    void setVexaDocument(VexaDocument* document);
    // Plot area from the bounds and the document's margins. Needs a document.
    void resize();
    // Rebuilds the dash table for dash width w.
    void setDashPattern(int w);
    // The plot area as a rectangle in view points.
    QRectF plotRect() const { return QRectF(left, bottom, width, height); }

    // --- value <-> view point ----------------------------------------------
    // Pair 1 is X1/Y1; every other pair number means X2/Y2. On a logarithmic
    // axis a value (or range end) of 0 or below maps to 0. A range with equal
    // ends gives what the formula gives (an infinity or not a number);
    // drawing never passes such points on. A finite value whose coordinate
    // overflows gives the largest finite coordinate of that sign.
    double xPoint(double value, int pair) const override { return xMap(pair)(value); }
    double yPoint(double value, int pair) const override { return yMap(pair)(value); }
    // The same for a buffer's values: a buffer with a free range maps
    // linearly onto it, whatever the axis.
    double xPoint(double value, int pair, const DataBuffer* buffer) const
    {
        return xMap(pair, buffer)(value);
    }
    double yPoint(double value, int pair, const DataBuffer* buffer) const
    {
        return yMap(pair, buffer)(value);
    }
    double xValue(double coordinate, int pair) const override;
    double yValue(double coordinate, int pair) const override;
    // The inverse for a buffer's values: through its free range when it has
    // one, so that a point picked or dragged lands where it is drawn.
    double xValue(double coordinate, int pair, const DataBuffer* buffer) const;
    double yValue(double coordinate, int pair, const DataBuffer* buffer) const;

    // One direction's conversion with everything looked up once, for loops
    // over many points. Gives exactly what xPoint/yPoint give.
    struct AxisMap {
        double origin = 0, extent = 0, min = 0, max = 0;
        double logMin = 0, logSpan = 0;
        bool bound = false; // a document is bound
        bool log = false; // logarithmic axis (not a free range)
        bool logUsable = false; // both range ends above 0

        double operator()(double v) const
        {
            if (!bound)
                return 0;
            double r;
            if (log) {
                if (!logUsable || v <= 0)
                    return 0;
                r = origin + (std::log10(v) - logMin) * extent / logSpan;
                if (logSpan == 0)
                    return r;
            } else {
                r = origin + (v - min) * extent / (max - min);
                if (max == min)
                    return r;
            }
            // A finite value far out overflows on the way: it lies beyond
            // the view all the same, in that direction.
            if (std::isinf(r) && std::isfinite(v))
                return std::copysign(std::numeric_limits<double>::max(), r);
            return r;
        }
    };
    AxisMap xMap(int pair, const DataBuffer* buffer = nullptr) const;
    AxisMap yMap(int pair, const DataBuffer* buffer = nullptr) const;

    // --- the model's view ---------------------------------------------------------
    // Asks the host to draw now (GraphWidget repaints synchronously).
    void displayNow() override;
    void setDisplayHandler(std::function<void()> handler) { display_ = std::move(handler); }

    // --- drawing --------------------------------------------------------------------
    // Turns the painter's y-down coordinates of a target as tall as the view
    // into y-up view points. Call once, after any scaling of the target.
    static void flipToViewPoints(QPainter& painter, double viewHeight);

    // The whole graph onto a target of the view's size (a picture, a page,
    // an image): flips to view points and runs the pass (drawRect) over the
    // whole view, without any cached image.
    void drawIn(QPainter& painter);
    // The two buffer loops of a pass, each clipped to the plot area; the
    // painter must already be in view points.
    void drawBuffersBehind(QPainter& painter);
    void drawBuffersFront(QPainter& painter);

    // --- the rendering pass (VexaViewPass.cpp) ------------------------------------
    // Where the view sits in its parent's view, in the parent's view points:
    // (0, 0) for a window's own view, the place of a sub-view inside its main
    // view otherwise.
    QPointF frameOrigin;
    QRectF frame() const { return QRectF(frameOrigin, bounds_); }
    void setFrame(const QRectF& frame);

    // The pass: draws the document in its fixed order with the painter
    // already in this view's y-up points. It repairs and orders the ranges
    // in the document first, recomputes the plot area, writes `axm`, and
    // draws the sub-view documents of a main document after its own graph,
    // each with a pass of its own in its frame. `dirty` is the area the host
    // asked for (only the drop highlight uses it). `cached` is the window's
    // image as a tool cached it at the press: while `redraw` is off and there
    // are no sub-views, it stands in for the graph and only the overlays
    // (band, cross hair, highlight, border) are drawn over it.
    void drawRect(QPainter& painter, const QRectF& dirty, const QImage* cached = nullptr);

    // The host's deferred repaint ("needs display"); nothing without a host.
    void setNeedsDisplay() override;
    void setNeedsDisplayHandler(std::function<void()> handler) { needsDisplay_ = std::move(handler); }
    // Asks the host to keep the window's image as it is now, for the fast
    // path of the pass; the mouse tools call it at the press.
    void cacheWindowImage();
    void setCacheHandler(std::function<void()> handler) { cacheImage_ = std::move(handler); }

    // The painter the mark operations draw with, and the area that is
    // visible, while the scope lives (marks of the legend are drawn in one).
    class PaintScope {
    public:
        PaintScope(VexaView& view, QPainter& painter, const QRectF& visible);
        PaintScope(VexaView& view, QPainter& painter); // visible: the whole view
        ~PaintScope();
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;

    private:
        VexaView& view_;
        QPainter* previous_;
        QRectF previousVisible_;
    };

    // --- text boxes -------------------------------------------------------------------
    // The text box drawn topmost at a view point (the last one of the
    // document's list whose turned frame holds it), or none.
    VexaTextView* textViewAt(QPointF p) const;
    // Places and fits every text box of the document and of its sub-views as
    // the next drawing would. Pictures and prints call it before print mode
    // freezes the boxes: a graph never drawn on screen (a hidden run) then
    // exports its texts where they belong.
    void layOutTextBoxes();

    // --- data marks ----------------------------------------------------------------------
    // Each draws the mark of one point given in view points; no painter in
    // scope draws nothing.
    void plotYBar(const DataBuffer* buffer, double x, double y);
    void plotXBar(const DataBuffer* buffer, double x, double y);
    void plotDots(const DataBuffer* buffer, double x, double y);
    void plotErrorBar(const DataBuffer* buffer, double x, double y, int index);
    // With useSize set, size is the point's own size (its absolute value is
    // the half-length); otherwise the buffer's sticksize / symbolsize counts.
    void plotSticks(const DataBuffer* buffer, double x, double y, double size, bool useSize);
    void plotSymbol(const DataBuffer* buffer, double x, double y, double size, bool useSize);

    // --- axes, grids and text output (VexaViewAxes.cpp) ---------------------------
    // All draw with the painter in view points and the plot area current
    // (resize). min and max are an axis's range as stored (a reversed axis
    // has the larger value first).
    // Grid lines of one axis whose front flag (gridfront / mgridfront) equals
    // `front`; an axis mode other than linear, log or time draws nothing.
    void drawGrid(QPainter& painter, int axis, double min, double max, bool front);
    // Ticks, numbers, zero line and title of one axis; empties and refills
    // the document's alabelindex[axis]. Returns the largest width and height
    // of the numbers drawn ((0, 0) for none), which the pass keeps in axm.
    QSizeF drawAxis(QPainter& painter, int axis, double min, double max);
    // A text in one font and colour whose anchor point (TextAnchor 0-8) lies
    // on (x, y), turned by `angle` degrees counter-clockwise about it.
    // Returns the unrotated size. A point far outside the view draws nothing.
    QSizeF drawText(QPainter& painter, const QString& text, double x, double y, int anchor, double angle,
                    const QFont& font, const QColor& color);
    // A number as formatNumber(exponentLimit, decimals) shows it, an exponent
    // drawn as "x 10" with a raised power. Returns the size of the whole text.
    QSizeF drawNumber(QPainter& painter, double value, double x, double y, int anchor, double angle,
                      const QFont& font, const QColor& color, int exponentLimit, int decimals);
    static QSizeF textSize(const QString& text, const QFont& font);
    QSizeF textOut(QPainter& painter, const StyledText& text, double x, double y, int anchor, double angle);
    // Adds a cross hair through (p.x - 15, p.y + 15) to pb, across the plot
    // area when that point lies in it, else across the whole view. The
    // caller strokes pb.
    void crossHair(QPointF p);

    // --- legend (VexaViewLegend.cpp) ----------------------------------------------
    // The document's legend, entries in buffer order. Leaves the last entry's
    // dash pattern on pl.
    void plotLegend(QPainter& painter);

    // --- the mouse tools (VexaViewMouseTools.cpp, VexaViewEditingTools.cpp) --------
    // One gesture: a press, any number of drags, a release, each acting by
    // the controller's tool. `location` is in this view's points,
    // `windowLocation` in the points of the window's own view (the main
    // document's), where a sub-view is moved and sized. A drag or release
    // without a press before it does nothing.
    struct MouseEvent {
        QPointF location;
        QPointF windowLocation;
    };
    void mouseDown(const MouseEvent& event);
    void mouseDragged(const MouseEvent& event);
    void mouseUp(const MouseEvent& event);
    bool inGesture() const { return gesture_ != Gesture::Idle; }

    // Whether a view point lies within `radius` of a target as the tools
    // measure it: each difference truncated to whole points, then the
    // straight distance, strictly less than the radius.
    static bool hits(QPointF p, QPointF target, double radius);

    // The host starts editing a text box the text tool made.
    void setEditTextHandler(std::function<void(VexaTextView&)> handler) { editText_ = std::move(handler); }

    // The buffer the movepoint tool (and its keys) edits: the buffer of its
    // last pick while that is still the current buffer of the current
    // document; none otherwise.
    DataBuffer* pointsBeingMoved() const;

    // --- keys, wheel and drops (VexaViewKeys.cpp) -----------------------------------
    // Keys as the tools see them: the arrows and Delete by these codes,
    // other keys by their character; modifiers by the design's names
    // (the host maps Ctrl to Command, Alt to Control and Shift to Option).
    enum KeyCode : int {
        KeyUp = 0xF700,
        KeyDown = 0xF701,
        KeyLeft = 0xF702,
        KeyRight = 0xF703,
        KeyDelete = 0x7F
    };
    enum KeyModifier : unsigned { ModControl = 1u << 18, ModOption = 1u << 19, ModCommand = 1u << 20 };
    // True when the key was taken; a key no rule takes (one that is no
    // letter, outside the editing rules) goes on to the window.
    bool keyDown(int character, unsigned modifiers);
    // A wheel turn of deltaY lines (positive away from the user) zooms under
    // the range tool: x alone with Option, y alone with Command.
    void scrollWheel(double deltaY, unsigned modifiers);
    // What a drop offers, already read by the host: local files (the first
    // is taken), text, or picture bytes of the platform's types.
    struct Drop {
        QString file;
        std::optional<QString> text;
        QByteArray pdf, png, tiff;
    };
    // The drop at a view point: the first of a local file, text, a PDF, PNG
    // or TIFF picture. True when it was taken.
    bool performDrop(const Drop& drop, QPointF location);
    // A picture as a new picture graphic centred on a view point, the
    // current graphic: at 1/1.1 of its size, or of the view's size along
    // its tighter direction when it is larger. None for a picture or a
    // view without a size.
    GraphicItem* addPicture(Picture picture, QPointF centre);
    void setDropHighlight(bool on);

private:
    enum class Gesture { Idle, Pressed };
    // Pairs a tool acts on by the controller's axis-pair choice.
    std::vector<int> toolPairs() const;
    VexaDocument* mainDocument() const;
    // The 2.106 tool blocks.
    void pressRange();
    void dragRange();
    void releaseZoom();
    void releaseClickZoom(QPointF p, double factor);
    void dragSubviewTool();
    void releaseSubviewTool();
    void pressChangeSubview();
    void dragChangeSubview(const MouseEvent& event);
    void appendBand(QPointF a, QPointF b);
    // The editing tools.
    void pressSelect(QPointF p, bool select);
    bool pressFrameCorner(QPointF p);
    bool pressAxisRegion(QPointF p);
    void searchPoint(QPointF p, bool movepoint);
    void pressGraphic(QPointF p);
    void dragGraphic();
    void releaseGraphic();
    void dragSelect(bool movepoint);
    // The movex, movey and movexy tools: `tool` tells which directions move.
    void dragMoveBuffers(Tool tool);
    void releaseMoveBuffers(Tool tool);
    void dragReference(bool xAxis);
    void releaseReference(QPointF p, bool xAxis);
    void pressBackground();
    void dragBackground();
    void releaseBackground();
    void pressText(QPointF p);

    Gesture gesture_ = Gesture::Idle;
    std::unique_ptr<Graphic> pendingGraphic_; // what nG points at
    std::function<void(VexaTextView&)> editText_;

    // Series of one buffer (the buffer loops call these in order).
    void plotArea(const DataBuffer& buffer);
    void plotFilledHistogram(const DataBuffer& buffer);
    void plotLine(const DataBuffer& buffer, bool onePath);
    void plotHistogram(const DataBuffer& buffer);
    void plotMarks(const DataBuffer& buffer, int bufferNumber);

    // Which of a buffer's segments its line draws.
    DenseLine::LineRules lineRules(const DataBuffer& buffer, bool onePath) const;
    bool logInvalid(const DataBuffer& buffer, double x, double y) const;
    // Visible area grown by what a stroke of that width can reach beyond it.
    QRectF guard(double lineWidth, bool dashed) const;
    void setLineDash(BezierPath& path, const DataBuffer& buffer);
    // The work path `pl` set up for a buffer's line-like strokes: round caps,
    // the given join, the buffer's width and dash.
    void setBufferPen(const DataBuffer& buffer, Qt::PenJoinStyle join);
    // Ticks, numbers and titles of the four axes, keeping each one's band of
    // numbers in `axm` (none for a hidden axis).
    void drawAxes(QPainter& painter);
    // The axes' bands of numbers (`axm`) as the next pass will draw them,
    // measured without drawing anything that shows.
    void measureAxes();

    QSizeF bounds_;
    QPainter* gc_ = nullptr;
    QRectF visible_;
    std::function<void()> display_;
    std::function<void()> needsDisplay_;
    std::function<void()> cacheImage_;
};
