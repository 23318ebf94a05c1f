#pragma once

// The model of one graph window: the buffers with the index of the current
// one, text boxes, graphics and sub-view documents, the ranges of the two
// axis pairs, every per-axis setting in arrays of four, and the frame,
// margin, background and legend settings.
//
// Settings are grouped by what they describe: the page (margins, fills,
// frame), the legend, the four axes and each buffer's style. They are read
// as plain fields but changed through their setters (setPage, setLegend,
// setAxis, setBufferStyle, ...), which skip a value the field already holds
// and replot. replot() draws the document, refreshes the controller and
// tells the document's listeners (the window that shows it) once; loading a
// document and undoing a step restore fields directly and replot after.

#include "model/AxisSettings.h"
#include "model/DataBuffer.h"
#include "model/DocumentDefaults.h"
#include "model/DocumentItems.h"
#include "model/DocumentListeners.h"
#include "model/LegendSettings.h"
#include "model/PageSettings.h"
#include "platform/Outcome.h"
#include "platform/UndoManager.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

class DocumentView;
class DocumentWindow;
class ManagerServices;
class Questions;

// 1 = X1 with Y1, 2 = X2 with Y2, 0 = both where an operation allows it.
enum AxisPair : int { PairBoth = 0, Pair1 = 1, Pair2 = 2 };
// Which ranges a zoom changes.
enum ZoomDirection : int { ZoomXY = 0, ZoomX = 1, ZoomY = 2 };
// Argument of getDataBuffer(int): which buffers an operation acts on.
enum BufferSelection : int { SelectCurrent = 0, SelectShown = 1, SelectShownSelected = 2 };

class VexaDocument {
public:
    template <typename T> using PerAxis = std::array<T, 4>;
    using Flag = std::uint8_t;

    // A new empty document with the default layout, working for the
    // controller (none: an idle application) and starting from the defaults.
    explicit VexaDocument(ManagerServices* services = nullptr, DocumentDefaults defaults = {});
    ~VexaDocument();
    VexaDocument(const VexaDocument&) = delete;
    VexaDocument& operator=(const VexaDocument&) = delete;

    // --- content and links ------------------------------------------------
    int verno = 0;
    std::vector<std::unique_ptr<DataBuffer>> DB;
    std::vector<std::unique_ptr<TextBoxItem>> T;
    std::vector<std::unique_ptr<GraphicItem>> G;
    ManagerServices* M = nullptr; // not owned
    DocumentDefaults defaults; // the fonts of setDefaults() and the style of new buffers
    VexaDocument* MPD = nullptr; // main document: this, or the parent of a sub-view; not owned
    DocumentView* PV = nullptr; // not owned; none until the window loads
    DocumentWindow* W = nullptr; // not owned; a sub-view has none
    int current = 0;
    Flag subview = 0;
    std::vector<std::unique_ptr<VexaDocument>> SPD;

    // --- axis ranges ------------------------------------------------------
    double xmin1 = 0, xmax1 = 1, ymin1 = 0, ymax1 = 1;
    double xmin2 = 0, xmax2 = 1, ymin2 = 0, ymax2 = 1;

    // --- margins, fills, frame -------------------------------------------------
    PageSettings page;

    // --- window geometry (written by the document-file reader) -------------
    int winx = 0, winy = 0, winw = 0, winh = 0;
    Flag resizewin = 0;

    // --- axes and legend -------------------------------------------------------
    // Indexed by AxisIndex.
    std::array<AxisSettings, 4> axes;
    // Written by the drawing pass: the size of the band of numbers each axis
    // took (0 by 0 when hidden), and the label keys it drew, in order.
    PerAxis<QSizeF> axm;
    PerAxis<QStringList> alabelindex;
    LegendSettings legend;

    // --- import scratch ------------------------------------------------------------
    std::vector<double> d1, d2;
    QString gdf;
    int gn = 0;

    // --- operations ------------------------------------------------------------------
    // Every number, flag and font of the layout back to its default.
    void setDefaults();
    // An empty buffer in the style of this document's new buffers; not yet
    // in the list.
    std::unique_ptr<DataBuffer> makeBuffer() const { return std::make_unique<DataBuffer>(defaults.buffer); }

    void newBuffer();
    // Removes every buffer whose removal mark is set.
    void deleteBuffer();
    void duplicateBuffer(int index);

    std::vector<std::unique_ptr<DataBuffer>>& getDataBuffer() { return DB; }
    // The buffers an operation acts on (a BufferSelection); empty for an
    // unknown selection or when there is nothing to act on.
    std::vector<DataBuffer*> getDataBuffer(int selection);
    DataBuffer* getCurrentDataBuffer();
    void incCurrentDataBuffer();
    void decCurrentDataBuffer();

    void updateAutoTexts();
    // The change protocol's one entry: redraws the view, refreshes the
    // controller and tells the listeners once, with whether a setting
    // changed since they were last told. A sub-view's replot is its main
    // document's, which then tells of the sub-view's setting changes too.
    void replot();
    // Adds a listener to the document's replots (DocumentListeners.h).
    [[nodiscard]] DocumentListeners::Subscription listen(DocumentListeners::Listener listener)
    {
        return listeners_.add(std::move(listener));
    }
    // The read-out of the main document's window shows the axis values
    // (pair 1) at a view point of this document; the measure form reads the
    // point the cross hair marks, (-15, +15) from the pointer.
    void showValues(QPointF point);
    void showValuesMeasure(QPointF point);

    int bufferCount() const { return int(DB.size()); }

    // --- changing settings --------------------------------------------------------------
    // The one way panels, tools, imports and macro commands change a
    // setting. A value the field already holds changes nothing (to a field
    // holding a NaN, another NaN is no change); otherwise the field takes it
    // and the document replots at once, or, with Redraw::Later, at its
    // caller's next replot (a panel or a drag step replots once for all it
    // changed, a macro run once, at its end); that replot tells the
    // listeners a setting changed. An axis or buffer index out of range
    // changes nothing. True when the setting changed.
    enum class Redraw { Now, Later };
    template <class T>
    bool setPage(T PageSettings::*field, const std::type_identity_t<T>& value, Redraw redraw = Redraw::Now)
    {
        return change(page.*field, value, redraw);
    }
    template <class T>
    bool setLegend(T LegendSettings::*field, const std::type_identity_t<T>& value,
                   Redraw redraw = Redraw::Now)
    {
        return change(legend.*field, value, redraw);
    }
    template <class T>
    bool setAxis(int axis, T AxisSettings::*field, const std::type_identity_t<T>& value,
                 Redraw redraw = Redraw::Now)
    {
        return axis >= 0 && axis < 4 && change(axes[std::size_t(axis)].*field, value, redraw);
    }
    template <class T>
    bool setBufferStyle(int buffer, T BufferStyle::*field, const std::type_identity_t<T>& value,
                        Redraw redraw = Redraw::Now)
    {
        DataBuffer* b = bufferAt(buffer);
        return b && change(b->style.*field, value, redraw);
    }
    template <class T>
    bool setErrorBars(int buffer, T ErrorBarSettings::*field, const std::type_identity_t<T>& value,
                      Redraw redraw = Redraw::Now)
    {
        DataBuffer* b = bufferAt(buffer);
        return b && change(b->errorbars.*field, value, redraw);
    }
    // Whether the buffer has a legend entry; its per-point size expression.
    bool setBufferLegend(int buffer, bool on, Redraw redraw = Redraw::Now);
    bool setDynamicSize(int buffer, const QString& expression, Redraw redraw = Redraw::Now);

    // --- text boxes and graphics (VexaDocumentItems.cpp) ---------------------------
    // Each removal also clears the controller's current text box or graphic
    // when it was one of those removed, and drops the undo steps that act on
    // it: nothing keeps pointing at an item that is gone. Removing an item
    // the document does not hold does nothing.
    void removeTextBox(const TextBoxItem* box);
    void removeGraphic(const GraphicItem* graphic);
    // Takes the item out of the document and out of the controller's
    // current item, handing it to the caller (an undoable deletion keeps it
    // in its undo step). Null when the document does not hold it.
    std::unique_ptr<TextBoxItem> takeTextBox(const TextBoxItem* box);
    std::unique_ptr<GraphicItem> takeGraphic(const GraphicItem* graphic);
    // Removes, from the last to the first, every item for which `which`
    // holds.
    void removeTextBoxes(const std::function<bool(const TextBoxItem&)>& which);
    void removeGraphics(const std::function<bool(const GraphicItem&)>& which);
    // The editor of a text box let go of it: a box left empty is removed
    // and the document replots.
    void textDidEndEditing(TextBoxItem* box);

    // --- axis ranges ----------------------------------------------------------------
    // The minimum and maximum fields of one axis, by AxisIndex (an index
    // out of range gives Y2's).
    std::pair<double*, double*> rangeOf(int axis);
    // The one guarded setter of a pair's ranges: non-finite values are
    // refused outright, empty ranges are refused but still replot on request.
    void scale(int pair, double xmin, double xmax, double ymin, double ymax, bool undo, bool replot);
    // Fits the pair (or both pairs, 0) to the shown data with headroom; one
    // undo step.
    void rescale(bool update, int pair);
    void upscale(double factor, int direction, int pair, bool replot);
    // Always replots.
    void downscale(double factor, int direction, int pair);
    // Extremes of the buffers' cached extents: shown buffers, or all when
    // `all` is non-zero; 0 without buffers.
    double getXmin(int all) const;
    double getXmax(int all) const;
    double getYmin(int all) const;
    double getYmax(int all) const;

    // The undo manager of the document's window; a sub-view shares its main
    // document's.
    UndoManager& undoManager();

    // --- spectrum, FFT smoothing, spline ------------------------------------------
    // Each appends one new buffer made from buffer `index` (an index out of
    // range does nothing: Empty) and leaves the replot to the caller. A
    // failure is a failed outcome, titled as its alert, and makes no buffer;
    // nothing is shown. fftsmooth and spline set "lastbuffer".
    // Both ask `questions` whether to go on with unevenly spaced x values
    // (with the controller's warnings on); declined, they are Cancelled.
    // Magnitude spectrum under an FFTWindow (model/Spectral.h).
    Outcome doFFT(int index, int window, Questions& questions);
    // Low-pass smoothing; the width is clamped at 0.
    Outcome fftsmooth(int index, double width, Questions& questions);
    // Not-a-knot cubic spline resampled with `points` parts per interval;
    // strength 2 is the ordinary interpolating spline. An unsorted buffer is
    // sorted first when `questions` agree; otherwise Cancelled.
    Outcome spline(int index, int points, double strength, Questions& questions);

    // --- data operations over whole buffers -----------------------------------------
    // A buffer index out of range does nothing. The selection is the rows
    // selected in the controller's buffer table. Results are published as
    // "lastbuffer", "rega", "regb", "regr" and "integral" when there is a
    // controller. Targets, types and ops: CalcTarget
    // (model/DataBufferOperations.h), RegressionType and BufferArithmetic
    // (model/VexaDocumentOperations.h).
    // A new buffer of n or n - 1 points: (v, f(v)), or (f(v), v) with xflag,
    // for v from `from` in steps of (to - from)/(n - 1) while v <= to.
    Outcome functionGenerator(int xflag, double from, double to, int n, const QString& expression);
    void bufferCalc(int target, const QString& expression);
    // Axis 0 = x, 1 = y; one undo step each, undo and redo replot. A mapping
    // without an inverse, or a shift that is no finite number, changes
    // nothing and is refused (the caller beeps).
    Outcome normalize(int axis, double a, double b, double c, double d);
    Outcome move(int axis, double from, double to);
    // The refusal of each selected buffer the cut would leave empty, in
    // selection order (DataBuffer::cut).
    std::vector<Outcome> cut(int axis, double a, double b, int mode);
    // The operations below return what became of them (failures titled as
    // their alerts; nothing is shown). Those that need ascending x ask
    // `questions` whether to sort an unsorted buffer first; declined, they
    // are Cancelled.
    Outcome reduction(int index, int n);
    Outcome smooth(int index, int n);
    Outcome diff(int index, double interval, Questions& questions);
    Outcome reg(int index, double x1, double x2, int type);
    // Running integral as a new buffer.
    Outcome integrate(int index, Questions& questions);
    // Definite integral into "integral" and the buffer's comment.
    Outcome integrate(int index, double x1, double x2, Questions& questions);
    Outcome calcBuf(int a, int b, int op, Questions& questions);
    void swapXY(int index);

private:
    UndoManager undo_;
    DocumentListeners listeners_;
    // A setter changed a setting since the listeners were last told.
    bool settingsChanged_ = false;
    DataBuffer* bufferAt(int index)
    {
        return index >= 0 && index < bufferCount() ? DB[std::size_t(index)].get() : nullptr;
    }
    template <class T> bool change(T& field, const T& value, Redraw redraw)
    {
        if constexpr (std::is_floating_point_v<T>) {
            if (field == value || (std::isnan(field) && std::isnan(value)))
                return false;
        } else if (field == value) {
            return false;
        }
        field = value;
        settingsChanged_ = true;
        if (redraw == Redraw::Now)
            replot();
        return true;
    }
    void zoomBy(double factor, int direction, int pair, bool widen, bool replot);
};
