// The tools that select and edit what the graph shows: the select tool
// (frame corners, axes, points, graphics), moving one point or whole
// buffers, the reference picks of the normalisation, the background line,
// graphics drawn and edited, and new text boxes. They are blocks of the
// gesture in VexaViewMouseTools.cpp.

#include "view/VexaView.h"

#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <algorithm>
#include <cmath>

namespace {

// Puts point k of the buffer at (x, y), leaving the way back as an undo
// step of the document's window (which redoes by the same road).
void setPointUndoably(VexaDocument* d, DataBuffer* b, int k, double x, double y)
{
    const double ox = b->xDoubleValueAt(k), oy = b->yDoubleValueAt(k);
    d->undoManager().registerUndo(b, [d, b, k, ox, oy] {
        setPointUndoably(d, b, k, ox, oy);
        d->replot();
    });
    b->setXDoubleValueAt(k, x);
    b->setYDoubleValueAt(k, y);
}

// Shifts the buffer by (ex, ey) in its values, undoably.
void shiftUndoably(VexaDocument* d, DataBuffer* b, double ex, double ey)
{
    d->undoManager().registerUndo(b, [d, b, ex, ey] {
        shiftUndoably(d, b, -ex, -ey);
        d->replot();
    });
    if (ey != 0)
        b->addY(ey);
    if (ex != 0)
        b->addX(ex);
}

Graphic* heldGraphic(const VexaDocument& d, GraphicItem* item)
{
    if (!item)
        return nullptr;
    for (const auto& g : d.G)
        if (g.get() == item)
            return dynamic_cast<Graphic*>(item);
    return nullptr;
}

} // namespace

double VexaView::xValue(double coordinate, int pair, const DataBuffer* buffer) const
{
    if (PD && buffer && buffer->style.freex)
        return (coordinate - PD->page.marginleft) * ((buffer->style.fxmax - buffer->style.fxmin) / width)
            + buffer->style.fxmin;
    return xValue(coordinate, pair);
}

double VexaView::yValue(double coordinate, int pair, const DataBuffer* buffer) const
{
    if (PD && buffer && buffer->style.freey)
        return (coordinate - PD->page.marginbottom) * ((buffer->style.fymax - buffer->style.fymin) / height)
            + buffer->style.fymin;
    return yValue(coordinate, pair);
}

DataBuffer* VexaView::pointsBeingMoved() const
{
    if (!movepoints || !PD || M->PD != PD)
        return nullptr;
    const int c = PD->current;
    if (c < 0 || c >= PD->bufferCount())
        return nullptr;
    return PD->DB[std::size_t(c)].get() == movepoints ? movepoints : nullptr;
}

// --- select and movepoint: press ---------------------------------------------------------------

void VexaView::pressSelect(QPointF p, bool select)
{
    M->setCurrentText(nullptr);
    M->setCurrentGraphic(nullptr);
    M->update();
    moveframe = 0;
    if (select) {
        if (pressFrameCorner(p) || pressAxisRegion(p))
            return;
    }
    searchPoint(p, !select);
}

bool VexaView::pressFrameCorner(QPointF p)
{
    const QPointF corners[4] = {{left, bottom}, {left, top}, {right, top}, {right, bottom}};
    for (int i = 0; i < 4; ++i)
        if (hits(p, corners[i], 10))
            moveframe = i + 1;
    if (!moveframe)
        return false;
    M->switchInspector(QStringLiteral("general"));
    return true;
}

bool VexaView::pressAxisRegion(QPointF p)
{
    const double W = boundsSize().width(), H = boundsSize().height();
    const double x = p.x(), y = p.y();
    int axis = -1;
    if (0 < y && y < bottom && left < x && x < right)
        axis = AxisX1;
    else if (0 < x && x < left && bottom < y && y < top)
        axis = AxisY1;
    else if (top < y && y < H && left < x && x < right)
        axis = AxisX2;
    else if (right < x && x < W && bottom < y && y < top)
        axis = AxisY2;
    if (axis < 0)
        return false;
    M->showAxisInInspector(axis);
    return true;
}

void VexaView::searchPoint(QPointF p, bool movepoint)
{
    movepoints = nullptr;
    VexaDocument& d = *PD;
    for (int i = 0; i < d.bufferCount(); ++i) {
        DataBuffer* b = d.DB[std::size_t(i)].get();
        if (!b || !b->show)
            continue;
        const int n = b->nop();
        if (n < 1) {
            M->deselectAllPoints();
            continue;
        }
        // Through the buffer's own transform: a buffer with a free range is
        // picked where it is drawn.
        const AxisMap xm = xMap(b->belongx, b), ym = yMap(b->belongy, b);
        int best = -1;
        double bestDistance = 0;
        for (int j = 0; j < n; ++j) {
            const double dx = std::fabs(std::trunc(xm(b->xDoubleValueAt(j)) - p.x()));
            const double dy = std::fabs(std::trunc(ym(b->yDoubleValueAt(j)) - p.y()));
            const double distance = std::sqrt(dx * dx + dy * dy);
            if (distance < 20 && (best < 0 || distance < bestDistance)) {
                best = j;
                bestDistance = distance;
            }
        }
        if (best < 0) {
            M->deselectAllPoints();
            continue;
        }
        d.current = i;
        M->update();
        M->selectPointRow(best);
        M->switchInspector(QStringLiteral("style"));
        if (movepoint) {
            movepoints = b;
            // The gesture is one undo step that puts the point back.
            UndoManager& um = d.undoManager();
            um.beginUndoGrouping();
            for (int k : M->selectedPointRows())
                if (k >= 0 && k < n)
                    setPointUndoably(&d, b, k, b->xDoubleValueAt(k), b->yDoubleValueAt(k));
            um.endUndoGrouping();
        }
        d.replot();
        return;
    }
}

// --- select and movepoint: drag -------------------------------------------------------------------

void VexaView::dragSelect(bool movepoint)
{
    VexaDocument& d = *PD;
    if (movepoint) {
        if (DataBuffer* b = pointsBeingMoved()) {
            const double x = xValue(bloc.x(), b->belongx, b);
            const double y = yValue(bloc.y(), b->belongy, b);
            for (int k : M->selectedPointRows()) {
                b->setXDoubleValueAt(k, x);
                b->setYDoubleValueAt(k, y);
            }
        }
    }
    if (moveframe) {
        // Margins never go below 0 and leave a plot area of at least 10
        // points each way: the corner stops there.
        constexpr double minPlot = 10;
        const double W = boundsSize().width(), H = boundsSize().height();
        const double dx = bloc.x() - lloc.x(), dy = bloc.y() - lloc.y();
        const PageSettings& pg = d.page;
        auto bounded = [](double v, double hi) { return std::max(0.0, std::min(v, hi)); };
        using Redraw = VexaDocument::Redraw;
        if (moveframe == 1 || moveframe == 2)
            d.setPage(&PageSettings::marginleft, bounded(pg.marginleft + dx, W - pg.marginright - minPlot),
                      Redraw::Later);
        if (moveframe == 3 || moveframe == 4)
            d.setPage(&PageSettings::marginright, bounded(pg.marginright - dx, W - pg.marginleft - minPlot),
                      Redraw::Later);
        if (moveframe == 1 || moveframe == 4)
            d.setPage(&PageSettings::marginbottom, bounded(pg.marginbottom + dy, H - pg.margintop - minPlot),
                      Redraw::Later);
        if (moveframe == 2 || moveframe == 3)
            d.setPage(&PageSettings::margintop, bounded(pg.margintop - dy, H - pg.marginbottom - minPlot),
                      Redraw::Later);
        d.updateAutoTexts();
        resize();
    }
    M->update();
    redraw = 1;
}

// --- graphics -----------------------------------------------------------------------------------

void VexaView::pressGraphic(QPointF p)
{
    VexaDocument& d = *PD;
    movegraphic = 0;
    // An end (1, 2) or the body (3) of the graphic under the press; 0 for
    // none. The second end wins over the first.
    auto grabbed = [p](const Graphic& g, bool body) {
        double x1, y1, x2, y2;
        g.getPoints(x1, y1, x2, y2);
        if (hits(p, QPointF(x2, y2), 10))
            return 2;
        if (hits(p, QPointF(x1, y1), 10))
            return 1;
        const QRectF r = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized().adjusted(-2, -2, 2, 2);
        return body && r.left() < p.x() && p.x() < r.right() && r.top() < p.y() && p.y() < r.bottom() ? 3 : 0;
    };
    // What is drawn on top takes the press: the current graphic's end
    // handles, drawn over every graphic; then the graphics in front of the
    // data, newest first; then those behind it; last those of no layer that
    // is drawn.
    std::vector<std::pair<Graphic*, bool>> candidates;
    if (Graphic* current = heldGraphic(d, M->G))
        candidates.emplace_back(current, false);
    auto layer = [&d](const Graphic& g) { return g.display == 0 ? 0 : g.display == 1 ? 1 : 2; };
    for (int drawn : {0, 1, 2})
        for (auto it = d.G.rbegin(); it != d.G.rend(); ++it)
            if (auto* graphic = dynamic_cast<Graphic*>(it->get()); graphic && layer(*graphic) == drawn)
                candidates.emplace_back(graphic, true);
    for (auto [g, body] : candidates) {
        if (const int part = grabbed(*g, body)) {
            M->setCurrentGraphic(g);
            movegraphic = part;
            return;
        }
    }
    M->setCurrentGraphic(nullptr);
    // A new graphic waits to be drawn out; the next press replaces it.
    pendingGraphic_ = std::make_unique<Graphic>();
    pendingGraphic_->setup(M, &d);
    pendingGraphic_->setupFromInspector(M->graphicSettings());
    pendingGraphic_->setPoints(p.x(), p.y(), p.x(), p.y());
    nG = pendingGraphic_.get();
}

void VexaView::dragGraphic()
{
    Graphic* g = heldGraphic(*PD, M->G);
    if (!g) {
        if (nG)
            nG->setPoints(aloc.x(), aloc.y(), bloc.x(), bloc.y());
    } else {
        double x1, y1, x2, y2;
        g->getPoints(x1, y1, x2, y2);
        double dx = bloc.x() - lloc.x(), dy = bloc.y() - lloc.y();
        const bool keepAspect = g->image && g->aspect && movegraphic != 3;
        if (keepAspect) {
            // A picture dragged by an end keeps its proportions: the
            // horizontal movement decides.
            const QSizeF s = g->image->naturalSize();
            dy = s.height() > 0 && s.width() > 0 ? dx / (s.width() / s.height()) : 0;
        }
        if (movegraphic == 1 || movegraphic == 3) {
            x1 += dx;
            y1 += dy;
        }
        if (movegraphic == 2 || movegraphic == 3) {
            x2 += dx;
            y2 += dy;
        }
        if (movegraphic)
            g->setPoints(x1, y1, x2, y2);
    }
    redraw = 1;
}

void VexaView::releaseGraphic()
{
    if (nG) {
        std::unique_ptr<Graphic> made = std::move(pendingGraphic_);
        nG = nullptr;
        // A click without movement leaves nothing: a graphic of no size
        // could not be seen, grabbed or deleted.
        if (made && (made->x1 != made->x2 || made->y1 != made->y2)) {
            Graphic* g = made.get();
            PD->G.push_back(std::move(made));
            M->setCurrentGraphic(g);
        }
    }
    mainDocument()->replot();
}

// --- moving whole buffers --------------------------------------------------------------------------

void VexaView::dragMoveBuffers(Tool tool)
{
    VexaDocument& d = *PD;
    const double Dx = tool == Tool::MoveY ? 0 : bloc.x() - aloc.x();
    const double Dy = tool == Tool::MoveX ? 0 : bloc.y() - aloc.y();
    const double W = boundsSize().width(), H = boundsSize().height();
    pb.setLineWidth(1);
    for (int row : M->selectedBufferRows()) {
        if (row < 0 || row >= d.bufferCount())
            continue;
        const DataBuffer* b = d.DB[std::size_t(row)].get();
        const int n = b->nop();
        const AxisMap xm = xMap(b->belongx, b), ym = yMap(b->belongy, b);
        // About two segments per point of plot width over the part of the
        // buffer that the range shows, however long the buffer is.
        const double zoom = std::max(1.0, std::fabs(b->xmax - b->xmin) / std::fabs(xm.max - xm.min));
        const double s = std::rint(double(n) / width * 0.5 / (std::isfinite(zoom) ? zoom : 1.0));
        const int step = s >= 1 && s < double(n) ? int(s) : (s >= double(n) && n > 0 ? n : 1);
        auto at = [&](int j, QPointF& out) {
            const double x = b->xDoubleValueAt(j), y = b->yDoubleValueAt(j);
            if (!std::isfinite(x) || !std::isfinite(y) || (xm.log && x <= 0) || (ym.log && y <= 0))
                return false;
            out = QPointF(xm(x) + Dx, ym(y) + Dy);
            return std::isfinite(out.x()) && std::isfinite(out.y());
        };
        for (int j = 0; j + step < n; j += step) {
            QPointF a, c;
            if (!at(j, a) || !at(j + step, c))
                continue;
            // Both ends beyond one edge of the view: nothing of it shows.
            if ((a.x() < 0 && c.x() < 0) || (a.x() > W && c.x() > W) || (a.y() < 0 && c.y() < 0)
                || (a.y() > H && c.y() > H))
                continue;
            pb.moveTo(a);
            pb.lineTo(c);
        }
    }
    M->showValues(bloc, aloc);
    d.showValues(bloc);
    redraw = 0;
}

void VexaView::releaseMoveBuffers(Tool tool)
{
    VexaDocument& d = *PD;
    const bool mx = tool != Tool::MoveY, my = tool != Tool::MoveX;
    UndoManager& um = d.undoManager();
    um.beginUndoGrouping();
    for (int row : M->selectedBufferRows()) {
        if (row < 0 || row >= d.bufferCount())
            continue;
        DataBuffer* b = d.DB[std::size_t(row)].get();
        // In the buffer's own values at the press and release points.
        const double ey = my ? yValue(bloc.y(), b->belongy, b) - yValue(aloc.y(), b->belongy, b) : 0;
        const double ex = mx ? xValue(bloc.x(), b->belongx, b) - xValue(aloc.x(), b->belongx, b) : 0;
        if (std::isfinite(ex) && std::isfinite(ey) && (ex != 0 || ey != 0))
            shiftUndoably(&d, b, ex, ey);
    }
    pb.removeAllPoints();
    mainDocument()->replot();
    um.endUndoGrouping();
}

// --- reference picks and the background line --------------------------------------------------------

void VexaView::dragReference(bool xAxis)
{
    VexaDocument& d = *PD;
    const double b0 = d.page.marginbottom, b1 = d.page.marginbottom + height;
    const double l0 = d.page.marginleft, l1 = d.page.marginleft + width;
    pb.setLineWidth(1);
    // While the second reference is picked, the first stays in sight.
    if (M->mpcount == 1) {
        if (xAxis) {
            pb.moveTo(oloc.x(), b0);
            pb.lineTo(oloc.x(), b1);
        } else {
            pb.moveTo(l0, oloc.y());
            pb.lineTo(l1, oloc.y());
        }
    } else {
        oloc = bloc;
    }
    if (xAxis) {
        pb.moveTo(bloc.x(), b0);
        pb.lineTo(bloc.x(), b1);
    } else {
        pb.moveTo(l0, bloc.y());
        pb.lineTo(l1, bloc.y());
    }
    M->showValues(bloc);
    d.showValues(bloc);
    redraw = 0;
}

void VexaView::releaseReference(QPointF p, bool xAxis)
{
    const int pair = M->axis12();
    M->setMouseLocation(xAxis ? xValue(p.x(), pair) : yValue(p.y(), pair));
}

void VexaView::pressBackground()
{
    pb.setLineWidth(1);
    pb.moveTo(aloc.x(), aloc.y() - 6);
    pb.lineTo(aloc.x(), aloc.y() + 6);
}

void VexaView::dragBackground()
{
    pressBackground();
    if (aloc.x() != bloc.x()) {
        const double W = boundsSize().width();
        const double s = (bloc.y() - aloc.y()) / (bloc.x() - aloc.x());
        pb.moveTo(0, aloc.y() - aloc.x() * s);
        pb.lineTo(W, bloc.y() + (W - bloc.x()) * s);
    }
    M->showValues(bloc, aloc);
    PD->showValues(bloc);
    redraw = 0;
}

void VexaView::releaseBackground()
{
    if (bloc.x() == aloc.x())
        return;
    const int q = M->axis12();
    const double xa = xValue(aloc.x(), q), xb = xValue(bloc.x(), q);
    const double ya = yValue(aloc.y(), q), yb = yValue(bloc.y(), q);
    const double a = (yb - ya) / (xb - xa);
    const double b = ya - a * xa;
    // Picks at one value of x (a range too narrow to tell them apart) give
    // no line.
    if (!std::isfinite(a) || !std::isfinite(b))
        return;
    M->setLinBg(-a, -b);
}

// --- text boxes ----------------------------------------------------------------------------------------

void VexaView::pressText(QPointF p)
{
    // A sub-view's boxes are typed into where its main view is shown; a box
    // nobody can type into would stay empty for good.
    const auto* host = dynamic_cast<const VexaView*>(mainDocument()->PV);
    const auto& edit = editText_ || !host ? editText_ : host->editText_;
    if (!edit)
        return;
    VexaDocument& d = *PD;
    auto box = std::make_unique<VexaTextView>(QRectF(p.x(), p.y(), 10, 15), M, &d);
    VexaTextView& made = *box;
    d.T.push_back(std::move(box));
    made.mouseDown(p);
    edit(made);
    M->switchInspector(QStringLiteral("text"));
}
