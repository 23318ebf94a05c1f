// The drawing pass of a graph: everything a view shows, in one fixed order,
// for the screen, a printed page and every exported picture alike.
//
// Order: ranges repaired and ordered; plot area; margins and background;
// graphics behind; grids behind; areas and filled histograms; axes; grids in
// front; data-table marks; lines and marks; legend; frame; plot-area handles;
// graphics in front; text boxes; then the overlays (graphic being drawn,
// band, cross hair, drop highlight, sub-view border); last the sub-views,
// each with a pass of its own.

#include "view/VexaView.h"

#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Color.h"
#include "view/ClippedPath.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QRectF viewRect(const VexaView& view)
{
    return QRectF(QPointF(0, 0), view.boundsSize());
}

// The graphics of one layer (display 1 behind the data, 0 in front), in
// list order.
void drawGraphics(VexaView& view, QPainter& painter, int display)
{
    for (const auto& item : view.PD->G)
        if (auto* g = dynamic_cast<Graphic*>(item.get()); g && g->display == display)
            g->drawGraphic(painter, viewRect(view));
}

// The current graphic's selection box (behind everything) or its two end
// handles (in front), under the graphic and select tools.
void drawGraphicSelection(VexaView& view, QPainter& painter, Tool tool, bool handles)
{
    const ManagerServices& m = *view.M;
    const auto* g = dynamic_cast<const Graphic*>(m.G);
    if (!g || m.printmode || m.PD != view.PD || !(tool == Tool::Graphic || tool == Tool::Select))
        return;
    double x1 = g->x1, y1 = g->y1, x2 = g->x2, y2 = g->y2;
    if (g->posmode >= 1) {
        x1 = view.xPoint(g->x1, g->posmode);
        y1 = view.yPoint(g->y1, g->posmode);
        x2 = view.xPoint(g->x2, g->posmode);
        y2 = view.yPoint(g->y2, g->posmode);
    }
    const QColor grey = Color::lightGray();
    const QRectF guard = viewRect(view).adjusted(-10, -10, 10, 10);
    BezierPath& pl = view.pl;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!handles) {
        pl.setLineWidth(1);
        const QPointF box[4] = {{x1 - 1, y1 - 1}, {x1 - 1, y2}, {x2, y2}, {x2, y1 - 1}};
        ClippedPath(pl, guard).polygon(box, 4);
        pl.stroke(painter, grey);
    } else {
        pl.setLineWidth(0);
        for (QPointF end : {QPointF(x1, y1), QPointF(x2, y2)}) {
            const QPointF square[4]
                = {end + QPointF(-2, -2), end + QPointF(2, -2), end + QPointF(2, 2), end + QPointF(-2, 2)};
            ClippedPath(pl, guard).polygon(square, 4);
            pl.fill(painter, grey);
        }
        pl.stroke(painter, grey);
    }
    pl.removeAllPoints();
    painter.restore();
}

void drawGraphicBeingDrawn(VexaView& view, QPainter& painter)
{
    view.nG->drawGraphic(painter, viewRect(view));
}

// Text boxes lie over the whole graph, in list order.
void drawTextBoxes(VexaView& view, QPainter& painter)
{
    for (const auto& item : view.PD->T)
        if (auto* box = dynamic_cast<VexaTextView*>(item.get()))
            box->drawRect(painter);
}

// A logarithmic axis whose lower end is 0 or below while the upper end is
// above 0 gets a lower end of a fifth of the smallest positive value drawn
// against it (or of the upper end, when no value lies below that). The lower
// end is whichever field holds the smaller value, so an axis stored reversed
// is repaired as well.
void repairLogRanges(VexaDocument& d)
{
    for (int axis = 0; axis < 4; ++axis) {
        if (d.axes[axis].axismode != AxisLog)
            continue;
        auto [minField, maxField] = d.rangeOf(axis);
        double* lo = minField;
        double* hi = maxField;
        if (*lo > *hi)
            std::swap(lo, hi);
        if (!(*lo <= 0 && *hi > 0))
            continue;
        const bool xAxis = axis == AxisX1 || axis == AxisX2;
        const int pair = axis < 2 ? 1 : 2;
        double m = *hi;
        for (const auto& b : d.DB) {
            if (!b || !b->show || (xAxis ? b->belongx : b->belongy) != pair)
                continue;
            const std::vector<double>& values = xAxis ? b->X : b->Y;
            for (double v : values)
                if (v > 0 && v < m)
                    m = v;
        }
        *lo = 0.2 * m;
    }
}

// A reversed axis keeps its larger value in the minimum field, every other
// axis its smaller one; the conversions then mirror a reversed axis by
// themselves.
void orderRanges(VexaDocument& d)
{
    for (int axis = 0; axis < 4; ++axis) {
        auto [lo, hi] = d.rangeOf(axis);
        if (d.axes[axis].reverse ? *hi > *lo : *lo > *hi)
            std::swap(*lo, *hi);
    }
}

// An arrow whose tip is at `tip`, pointing along the unit vector u, added to
// the path: a bar across the line for type 2, else a V (closed and filled
// at once for type 0). Written through the clip, as the tips of the style-1
// lines can lie anywhere along a data zero far off the view.
void addArrow(ClippedPath& clipped, BezierPath& path, QPainter& painter, const QColor& color, QPointF tip,
              QPointF u, double s, int type)
{
    const QPointF n(-u.y(), u.x());
    if (type == 2) {
        clipped.segment(tip + s * n, tip - s * n);
        return;
    }
    const double w = s / 2.3;
    const QPointF v[3] = {tip - s * u + w * n, tip, tip - s * u - w * n};
    if (type == 0) {
        clipped.polygon(v, 3);
        path.fill(painter, color);
        return;
    }
    clipped.moveTo(v[0]);
    clipped.lineTo(v[1]);
    clipped.lineTo(v[2]);
}

// How far beyond the view a frame line of this width can still show (a
// miter reaches out a line width): anything further out is invisible and
// never handed to the painter.
QRectF frameGuard(QSizeF bounds, double lineWidth)
{
    const double lw = std::isfinite(lineWidth) ? std::min(std::fabs(lineWidth), 1e6) : 0.0;
    const double margin = 10 + 2 * lw;
    return QRectF(QPointF(0, 0), bounds).adjusted(-margin, -margin, margin, margin);
}

// A closed square of side 4 centred on p.
void addHandle(BezierPath& path, QPointF p)
{
    path.moveTo(p.x() - 2, p.y() - 2);
    path.lineTo(p.x() + 2, p.y() - 2);
    path.lineTo(p.x() + 2, p.y() + 2);
    path.lineTo(p.x() - 2, p.y() + 2);
    path.closePath();
}

// Strokes a rectangle with the plain line of the frame: butt caps, miter
// joins, as wide as the frame.
void strokeRect(QPainter& painter, const QRectF& r, const QColor& color, double width)
{
    BezierPath p;
    p.setLineWidth(width);
    p.setLineCapStyle(Qt::FlatCap);
    p.setLineJoinStyle(Qt::MiterJoin);
    p.setPixelAligned(true);
    p.appendRect(r);
    p.stroke(painter, color);
}

} // namespace

void VexaView::setFrame(const QRectF& frame)
{
    frameOrigin = frame.topLeft();
    setFrameSize(frame.size());
}

void VexaView::setNeedsDisplay()
{
    if (needsDisplay_)
        needsDisplay_();
}

void VexaView::cacheWindowImage()
{
    if (cacheImage_)
        cacheImage_();
}

void VexaView::drawIn(QPainter& painter)
{
    painter.save();
    flipToViewPoints(painter, bounds_.height());
    drawRect(painter, QRectF(QPointF(0, 0), bounds_));
    painter.restore();
}

void VexaView::drawRect(QPainter& painter, const QRectF& dirty, const QImage* cached)
{
    const double W = bounds_.width();
    const double H = bounds_.height();
    if (!PD)
        return;
    VexaDocument& d = *PD;
    M->CPD = PD;

    repairLogRanges(d);
    orderRanges(d);
    resize();

    const QRectF plot = plotRect();
    const bool selectionMarks = M->printmode == 0;
    const bool isCurrent = M->PD == PD;
    const Tool tool = M->mouseTool();
    const VexaDocument* main = d.MPD ? d.MPD : PD;
    const QColor grey = Color::lightGray();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    {
        PaintScope scope(*this, painter);

        if (!redraw && main->SPD.empty() && cached && !cached->isNull()) {
            // A tool drags an overlay: the window as it was at the press
            // stands in for the graph.
            painter.save();
            painter.translate(0, H);
            painter.scale(1, -1);
            painter.drawImage(QRectF(0, 0, W, H), *cached);
            painter.restore();
        } else {
            for (const auto& t : d.T)
                if (t)
                    t->doAutoPos();

            if (d.page.drawmargin) {
                painter.fillRect(QRectF(0, 0, d.page.marginleft, H), d.page.margincolor);
                painter.fillRect(QRectF(0, 0, W, d.page.marginbottom), d.page.margincolor);
                painter.fillRect(QRectF(0, H - d.page.margintop, W, d.page.margintop), d.page.margincolor);
                painter.fillRect(QRectF(W - d.page.marginright, 0, d.page.marginright, H),
                                 d.page.margincolor);
            }
            if (d.page.drawbackground)
                painter.fillRect(plot, d.page.backgroundcolor);

            drawGraphicSelection(*this, painter, tool, false);
            drawGraphics(*this, painter, 1);

            for (int axis = 0; axis < 4; ++axis) {
                if (!d.axes[axis].axis)
                    continue;
                auto [lo, hi] = d.rangeOf(axis);
                drawGrid(painter, axis, *lo, *hi, false);
            }

            drawBuffersBehind(painter);

            drawAxes(painter);

            for (int axis = 0; axis < 4; ++axis) {
                if (!d.axes[axis].axis)
                    continue;
                auto [lo, hi] = d.rangeOf(axis);
                drawGrid(painter, axis, *lo, *hi, true);
            }

            // The points selected in the point table, ringed.
            if (!d.DB.empty() && isCurrent && selectionMarks) {
                painter.save();
                painter.setClipRect(plot, Qt::IntersectClip);
                const DataBuffer* b = d.getCurrentDataBuffer();
                if (b && b->show) {
                    double r = 4;
                    if (b->style.plotsymbols && std::isfinite(b->style.symbolsize))
                        r = std::max(4.0, std::trunc(std::min(b->style.symbolsize, 1e6)));
                    const AxisMap xm = xMap(b->belongx, b);
                    const AxisMap ym = yMap(b->belongy, b);
                    pl.setLineWidth(0);
                    pl.setLineDash(QList<double>(), 0);
                    const int n = b->nop();
                    for (int i : M->selectedPointRows()) {
                        if (i < 0 || i >= n)
                            continue;
                        const QPointF p(xm(b->X[std::size_t(i)]), ym(b->Y[std::size_t(i)]));
                        pl.appendOval(QRectF(p.x() - r, p.y() - r, 2 * r, 2 * r));
                        pl.closePath();
                        pl.fill(painter, grey);
                        pl.stroke(painter, grey);
                        pl.removeAllPoints();
                    }
                }
                painter.restore();
            }

            drawBuffersFront(painter);

            if (d.legend.plotlegend)
                plotLegend(painter);

            pl.setLineDash(dash, 0, 0);

            if (d.page.drawframe) {
                const QColor fc = d.page.framecolor;
                const double fw = d.page.framewidth;
                const double s = d.page.arrowsize;
                const QRectF guard = frameGuard(bounds_, fw);
                if (d.page.framestyle == 0)
                    strokeRect(painter, plot, fc, fw);
                if (d.page.framestyle == 1) {
                    const double x0 = xPoint(0, 1);
                    const double y0 = yPoint(0, 1);
                    pl.setLineWidth(fw);
                    pl.setPixelAligned(true);
                    {
                        ClippedPath lines(pl, guard);
                        lines.segment({x0, d.page.marginbottom}, {x0, height + bottom});
                        lines.segment({d.page.marginleft, y0}, {width + left, y0});
                    }
                    pl.stroke(painter, fc);
                    pl.removeAllPoints();
                    pl.setPixelAligned(false);
                    if (d.page.framearrows) {
                        pl.setLineCapStyle(Qt::RoundCap);
                        pl.setLineJoinStyle(Qt::MiterJoin);
                        const bool rev0 = d.axes[AxisX1].reverse != 0;
                        const bool rev1 = d.axes[AxisY1].reverse != 0;
                        bool atBottom = false, atTop = false, atLeft = false, atRight = false;
                        switch (d.page.crossarrows) {
                        case 0:
                            atBottom = atTop = atLeft = atRight = true;
                            break;
                        case 1: // the end that shows the smaller values
                            (rev1 ? atTop : atBottom) = true;
                            (rev0 ? atRight : atLeft) = true;
                            break;
                        case 2: // the end that shows the larger values
                            (rev1 ? atBottom : atTop) = true;
                            (rev0 ? atLeft : atRight) = true;
                            break;
                        default:
                            break;
                        }
                        ClippedPath arrows(pl, guard);
                        if (atBottom)
                            addArrow(arrows, pl, painter, fc, QPointF(x0, d.page.marginbottom),
                                     QPointF(0, -1), s, d.page.arrowtype);
                        if (atTop)
                            addArrow(arrows, pl, painter, fc, QPointF(x0, height + bottom), QPointF(0, 1), s,
                                     d.page.arrowtype);
                        if (atLeft)
                            addArrow(arrows, pl, painter, fc, QPointF(d.page.marginleft, y0), QPointF(-1, 0),
                                     s, d.page.arrowtype);
                        if (atRight)
                            addArrow(arrows, pl, painter, fc, QPointF(width + left, y0), QPointF(1, 0), s,
                                     d.page.arrowtype);
                        pl.stroke(painter, fc);
                        pl.removeAllPoints();
                    }
                }
                pl.setLineCapStyle(Qt::RoundCap);
                pl.setLineJoinStyle(Qt::RoundJoin);
                if (d.page.framestyle == 2) {
                    pl.setLineWidth(fw);
                    pl.setPixelAligned(true);
                    pl.moveTo(d.page.marginleft, d.page.marginbottom);
                    pl.lineTo(d.page.marginleft, height + bottom);
                    pl.moveTo(d.page.marginleft, d.page.marginbottom);
                    pl.lineTo(width + left, d.page.marginbottom);
                    pl.stroke(painter, fc);
                    pl.removeAllPoints();
                    pl.setPixelAligned(false);
                    if (d.page.framearrows) {
                        pl.setLineCapStyle(Qt::RoundCap);
                        pl.setLineJoinStyle(Qt::MiterJoin);
                        ClippedPath arrows(pl, guard);
                        addArrow(arrows, pl, painter, fc, QPointF(d.page.marginleft, height + bottom),
                                 QPointF(0, 1), s, d.page.arrowtype);
                        addArrow(arrows, pl, painter, fc, QPointF(width + left, d.page.marginbottom),
                                 QPointF(1, 0), s, d.page.arrowtype);
                        pl.stroke(painter, fc);
                        pl.removeAllPoints();
                    }
                }
                if (d.page.forceframe)
                    strokeRect(painter, plot, fc, fw);
            }

            if (tool == Tool::Select && selectionMarks) {
                pl.setLineWidth(0);
                for (QPointF corner : {QPointF(left, bottom), QPointF(left, top), QPointF(right, top),
                                       QPointF(right, bottom)}) {
                    addHandle(pl, corner);
                    pl.fill(painter, grey);
                }
                pl.stroke(painter, grey);
                pl.removeAllPoints();
            }

            drawGraphics(*this, painter, 0);
            drawGraphicSelection(*this, painter, tool, true);
            drawTextBoxes(*this, painter);
        }

        // --- overlays, drawn over the cached image as well ---------------------
        if (tool == Tool::Graphic && nG)
            drawGraphicBeingDrawn(*this, painter);

        if (!pb.isEmpty()) {
            painter.setRenderHint(QPainter::Antialiasing, false);
            pb.setLineWidth(1);
            pb.stroke(painter, Color::rgb(0.75, 0, 0, 1));
            pb.removeAllPoints();
            painter.setRenderHint(QPainter::Antialiasing, true);
            if (tool == Tool::Measure && haveoloc) {
                crossHair(oloc);
                painter.setRenderHint(QPainter::Antialiasing, false);
                pb.stroke(painter, Color::rgb(0.75, 0, 0, 0.3));
                pb.removeAllPoints();
                painter.setRenderHint(QPainter::Antialiasing, true);
            }
        }

        if (highlight)
            strokeRect(painter, dirty, QColor::fromRgbF(0.5, 0.5, 0.5), 5);

        if (d.subview && selectionMarks && isCurrent) {
            // On the outermost pixels of the view: half a point inside its
            // edges, so the line is not cut in half.
            painter.setRenderHint(QPainter::Antialiasing, false);
            pl.setLineWidth(1);
            pl.moveTo(0.5, 0.5);
            pl.lineTo(W - 0.5, 0.5);
            pl.lineTo(W - 0.5, H - 0.5);
            pl.lineTo(0.5, H - 0.5);
            pl.lineTo(0.5, 0.5);
            pl.stroke(painter, grey);
            pl.removeAllPoints();
            if (tool == Tool::ChSubview) {
                for (QPointF o :
                     {QPointF(0, 0), QPointF(W - 5, 0), QPointF(W - 5, H - 5), QPointF(0, H - 5)}) {
                    pl.appendRect(QRectF(o, QSizeF(4, 4)));
                    pl.fill(painter, grey);
                }
                pl.stroke(painter, grey);
                pl.removeAllPoints();
            }
            painter.setRenderHint(QPainter::Antialiasing, true);
        }
    }
    painter.restore();

    // Sub-views are child views of their main document's view: each draws
    // over the main graph, clipped to its frame, with its own pass.
    if (!d.subview && !d.SPD.empty()) {
        for (const auto& sub : d.SPD) {
            auto* v = sub ? dynamic_cast<VexaView*>(sub->PV) : nullptr;
            if (!v || v == this)
                continue;
            const QRectF f = v->frame();
            if (!(f.width() > 0 && f.height() > 0))
                continue;
            painter.save();
            painter.translate(f.topLeft());
            painter.setClipRect(QRectF(QPointF(0, 0), f.size()), Qt::IntersectClip);
            v->drawRect(painter, dirty.translated(-f.topLeft()));
            painter.restore();
        }
        // The expression functions read the document drawn last; that is
        // this one, not the sub-view that happened to be painted after it.
        M->CPD = PD;
    }
}

void VexaView::drawAxes(QPainter& painter)
{
    VexaDocument& d = *PD;
    for (int axis = 0; axis < 4; ++axis) {
        if (!d.axes[axis].axis) {
            d.axm[axis] = QSizeF(0, 0);
            continue;
        }
        auto [lo, hi] = d.rangeOf(axis);
        d.axm[axis] = drawAxis(painter, axis, *lo, *hi);
    }
}

void VexaView::measureAxes()
{
    if (!PD)
        return;
    repairLogRanges(*PD);
    orderRanges(*PD);
    resize();
    // The sizes come from the text layout in points, whatever the painter
    // draws on; a pixel nobody sees is enough.
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    PaintScope scope(*this, painter);
    drawAxes(painter);
}
