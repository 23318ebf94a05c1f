// The series of one buffer: area, filled histogram, line, outline histogram
// and the dispatch of the per-point marks.

#include "view/VexaView.h"

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "view/ClippedPath.h"
#include "view/DenseLine.h"
#include "view/DynamicSize.h"
#include "view/SymbolStamps.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

namespace {

bool finite(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b);
}

std::vector<QPointF>& scratch()
{
    static thread_local std::vector<QPointF> points;
    points.clear();
    return points;
}

// The steps of a histogram of n >= 2 points, in order: each point's level reaches halfway to its
// neighbours (an end point as far out as towards its one neighbour), then a riser goes to the
// next level. `vertex(p, levelStart)` gets every corner; levelStart marks the left end of a level.
template <class Map, class Vertex>
void histogramSteps(const double* X, const double* Y, int n, const Map& xm, const Map& ym, Vertex vertex)
{
    double h = (X[1] - X[0]) * 0.5;
    for (int i = 0; i < n; ++i) {
        const double leftHalf = h;
        const bool last = i == n - 1;
        if (!last)
            h = (X[i + 1] - X[i]) * 0.5;
        const double py = ym(Y[i]);
        vertex(QPointF(xm(X[i] - leftHalf), py), true);
        vertex(QPointF(xm(X[i]), py), false);
        vertex(QPointF(xm(X[i] + h), py), false);
        if (!last)
            vertex(QPointF(xm(X[i] + h), ym(Y[i + 1])), false);
    }
}

} // namespace

void VexaView::plotArea(const DataBuffer& b)
{
    const std::size_t n = std::size_t(std::max(b.nop(), 0));
    const AxisMap xm = xMap(b.belongx, &b);
    const AxisMap ym = yMap(b.belongy, &b);
    const double y0 = ym(0);
    const DenseLine::Columns columns = DenseLine::columnsFor(*gc_, xm);
    const std::vector<DenseLine::Vertex> kept
        = DenseLine::outline(b.X.data(), b.Y.data(), n, b.X.order(), xm.log, ym.log, columns);

    // The outline is stroked a point wide: through every point it inks the
    // span of a dense column from side to side. (A translucent colour
    // would darken where the bands lie over the stroke.)
    const bool opaque = b.style.fillcolor.alpha() == 255;
    DenseLine::Bands bands(columns, 1, guard(1, false));
    std::vector<QPointF>& pts = scratch();
    pts.emplace_back(); // the baseline under the first point, set below
    for (const DenseLine::Vertex& v : kept) {
        // A point that cannot be placed is left out of the outline.
        const QPointF p(xm(v.x), ym(v.y));
        if (!finite(p.x(), p.y()))
            continue;
        if (v.span && opaque && pts.size() > 1)
            bands.add(pts.back(), p);
        pts.push_back(p);
    }
    if (pts.size() < 2)
        return;
    pts.front() = QPointF(pts[1].x(), y0);
    pts.emplace_back(pts.back().x(), y0);

    // The outline is a thin solid line in the fill colour, whatever an
    // earlier drawing left on the shared path.
    pl.setLineCapStyle(Qt::RoundCap);
    pl.setLineJoinStyle(Qt::RoundJoin);
    pl.setLineWidth(1);
    pl.setLineDash(QList<double>(), 0);
    ClippedPath(pl, guard(1, false)).polygon(pts.data(), int(pts.size()));
    pl.fill(*gc_, b.style.fillcolor);
    pl.stroke(*gc_, b.style.fillcolor);
    pl.removeAllPoints();
    bands.fill(*gc_, b.style.fillcolor);
}

void VexaView::setBufferPen(const DataBuffer& b, Qt::PenJoinStyle join)
{
    pl.setLineCapStyle(Qt::RoundCap);
    pl.setLineJoinStyle(join);
    pl.setLineWidth(b.style.linewidth);
    setLineDash(pl, b);
}

void VexaView::plotFilledHistogram(const DataBuffer& b)
{
    const int n = b.nop();
    // A single point has no neighbour to take a step width from.
    if (n < 2)
        return;
    setBufferPen(b, Qt::BevelJoin);
    const bool dashed = !pl.lineDash().isEmpty();

    const AxisMap xm = xMap(b.belongx, &b);
    const AxisMap ym = yMap(b.belongy, &b);
    const double y0 = ym(0);
    const double* X = b.X.data();
    const double* Y = b.Y.data();

    std::vector<QPointF>& pts = scratch();
    pts.reserve(std::size_t(n) * 4 + 2);
    pts.emplace_back(xm(X[0] - (X[1] - X[0]) * 0.5), y0);
    histogramSteps(X, Y, n, xm, ym, [&pts](QPointF p, bool) { pts.push_back(p); });
    // Down from the right end of the last level.
    pts.emplace_back(pts.back().x(), y0);

    ClippedPath(pl, guard(b.style.linewidth, dashed)).polygon(pts.data(), int(pts.size()));
    pl.fill(*gc_, b.style.fillcolor);
    pl.stroke(*gc_, b.style.fillcolor);
    pl.removeAllPoints();
}

DenseLine::LineRules VexaView::lineRules(const DataBuffer& b, bool onePath) const
{
    // Only pairs 1 and 2 make an axis logarithmic here, whatever the
    // buffer's free range.
    auto logAxis = [this](int pair, int one, int two) {
        return (pair == 1 || pair == 2) && PD->axes[pair == 1 ? one : two].axismode == AxisLog;
    };
    DenseLine::LineRules r;
    r.xLog = logAxis(b.belongx, AxisX1, AxisX2);
    r.yLog = logAxis(b.belongy, AxisY1, AxisY2);
    r.breakAtLogInvalid = !onePath;
    r.cull = !b.style.freex && !b.style.freey;
    const bool xOne = b.belongx == 1, yOne = b.belongy == 1;
    std::tie(r.xlo, r.xhi) = std::minmax(xOne ? PD->xmin1 : PD->xmin2, xOne ? PD->xmax1 : PD->xmax2);
    std::tie(r.ylo, r.yhi) = std::minmax(yOne ? PD->ymin1 : PD->ymin2, yOne ? PD->ymax1 : PD->ymax2);
    return r;
}

void VexaView::plotLine(const DataBuffer& b, bool onePath)
{
    const long long n = b.nop();
    setBufferPen(b, Qt::RoundJoin);
    const bool dashed = !pl.lineDash().isEmpty();
    ClippedPath path(pl, guard(b.style.linewidth, dashed));
    path.setDashPeriod(ClippedPath::dashPeriod(pl.lineDash()));

    const AxisMap xm = xMap(b.belongx, &b);
    const AxisMap ym = yMap(b.belongy, &b);
    const DenseLine::LineRules rules = lineRules(b, onePath);
    const double* X = b.X.data();
    const double* Y = b.Y.data();
    const QColor& color = b.style.color;
    const bool opaque = color.alpha() == 255;

    // Segments that stand alone, in an opaque colour, cover the same pixels
    // whether stroked one by one or as pieces of one path; only a
    // translucent colour shows where they overlap.
    const int batch = opaque ? 1024 : 1;
    int pending = 0;
    auto strokeBatch = [&] {
        if (!onePath && ++pending >= batch && !pl.isEmpty()) {
            pl.stroke(*gc_, color);
            pl.removeAllPoints();
            pending = 0;
            return true;
        }
        return false;
    };

    // A dash pattern runs along the path drawn, and a translucent colour
    // darkens where segments overlap: both would show points left out.
    if (!PD->page.alldraw && !dashed && opaque) {
        const DenseLine::Columns columns = DenseLine::columnsFor(*gc_, xm);
        const std::vector<DenseLine::Vertex> kept
            = DenseLine::line(X, Y, std::size_t(std::max(n, 0LL)), b.X.order(), rules, columns);
        DenseLine::Bands bands(columns, b.style.linewidth, guard(b.style.linewidth, false));
        QPointF before;
        for (const DenseLine::Vertex& v : kept) {
            const QPointF p(xm(v.x), ym(v.y));
            const bool banded = v.span && columns.pixels;
            if (banded)
                bands.add(before, p);
            before = p;
            if (v.start || v.spanned || banded) {
                path.moveTo(p);
                continue;
            }
            path.lineTo(p);
            // Cut anywhere: with round caps and joins, the pieces cover
            // what the whole line covers.
            if (strokeBatch())
                path.moveTo(p);
        }
        bands.fill(*gc_, color);
    } else {
        using Point = DenseLine::LineRules::Point;
        bool open = false;
        for (long long i = 0; i + 1 < n; ++i) {
            const double x1 = X[i], y1 = Y[i], x2 = X[i + 1], y2 = Y[i + 1];
            const Point k1 = rules.point(x1, y1), k2 = rules.point(x2, y2);
            if (k1 == Point::NotFinite || k2 == Point::NotFinite) {
                open = false;
                continue;
            }
            // Left out without a break: the line goes on straight to the
            // next point that can be drawn.
            if (k1 == Point::Hidden || k2 == Point::Hidden)
                continue;
            if (rules.culls(x1, y1, x2, y2)) {
                open = false;
                continue;
            }
            const QPointF p1(xm(x1), ym(y1));
            const QPointF p2(xm(x2), ym(y2));
            if (onePath) {
                if (!open) {
                    path.moveTo(p1);
                    open = true;
                }
                path.lineTo(p2);
            } else {
                path.segment(p1, p2);
                strokeBatch();
            }
        }
    }
    if (!pl.isEmpty()) {
        pl.stroke(*gc_, color);
        pl.removeAllPoints();
    }
}

void VexaView::plotHistogram(const DataBuffer& b)
{
    const int n = b.nop();
    if (n < 2)
        return;
    setBufferPen(b, Qt::BevelJoin);
    ClippedPath path(pl, guard(b.style.linewidth, !pl.lineDash().isEmpty()));
    path.setDashPeriod(ClippedPath::dashPeriod(pl.lineDash()));

    const AxisMap xm = xMap(b.belongx, &b);
    const AxisMap ym = yMap(b.belongy, &b);
    const double* X = b.X.data();
    const double* Y = b.Y.data();
    histogramSteps(X, Y, n, xm, ym, [&path](QPointF p, bool levelStart) {
        if (levelStart)
            path.moveTo(p);
        else
            path.lineTo(p);
    });
    if (!pl.isEmpty()) {
        pl.stroke(*gc_, b.style.color);
        pl.removeAllPoints();
    }
}

void VexaView::plotMarks(const DataBuffer& b, int bufferNumber)
{
    const bool sized = b.style.plotsymbols || b.style.plotxsticks || b.style.plotysticks;
    std::optional<DynamicSize> dynamicSize;
    if (sized && !b.dynsize.isEmpty())
        dynamicSize.emplace(b.dynsize, M);
    const bool dynamic = dynamicSize && dynamicSize->valid();

    const int n = b.nop();
    const AxisMap xm = xMap(b.belongx, &b);
    const AxisMap ym = yMap(b.belongy, &b);
    const double* X = b.X.data();
    const double* Y = b.Y.data();
    DynamicSize::Point point;
    point.bn = bufferNumber;
    point.nb = int(PD->DB.size());
    point.cb = PD->current;
    point.np = n;

    // A scatter plot of many fixed-size symbols on a raster target: copies
    // of the symbol drawn once.
    const bool symbolsOnly = b.style.plotsymbols && !dynamic && !b.style.plotybars && !b.style.plotxbars
        && !b.style.plotxsticks && !b.style.plotysticks && !b.style.plotdots && b.errorbars.errorbarx <= 0
        && b.errorbars.errorbary <= 0;
    if (symbolsOnly && n >= 64 && b.style.symbol >= 0 && b.style.symbol <= 15 && SymbolStamps::usable(*gc_)) {
        SymbolStamps stamps(*this, b, gc_->combinedTransform(), visible_);
        if (stamps.valid()) {
            QPainter& pixels = *gc_;
            pixels.save();
            pixels.setWorldTransform(QTransform());
            stamps.begin(pixels);
            for (int i = 0; i < n; ++i) {
                const double x = X[i], y = Y[i];
                if (!finite(x, y) || logInvalid(b, x, y))
                    continue;
                const double px = xm(x), py = ym(y);
                if (finite(px, py))
                    stamps.draw(pixels, QPointF(px, py));
            }
            pixels.restore();
            return;
        }
    }

    for (int i = 0; i < n; ++i) {
        const double x = X[i], y = Y[i];
        if (!finite(x, y) || logInvalid(b, x, y))
            continue;
        const double px = xm(x), py = ym(y);
        if (!finite(px, py))
            continue;
        if (b.style.plotybars)
            plotYBar(&b, px, py);
        if (b.style.plotxbars)
            plotXBar(&b, px, py);
        plotErrorBar(&b, px, py, i);
        if (sized) {
            double size = -1;
            if (dynamic) {
                point.x = x;
                point.y = y;
                point.ex = b.xe(i);
                point.ey = b.ye(i);
                point.dp = i;
                size = dynamicSize->value(point);
            }
            if (b.style.plotxsticks || b.style.plotysticks)
                plotSticks(&b, px, py, size, dynamic);
            if (b.style.plotsymbols)
                plotSymbol(&b, px, py, size, dynamic);
        }
        if (b.style.plotdots)
            plotDots(&b, px, py);
    }
}
