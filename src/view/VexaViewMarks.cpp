// The marks of single data points: bars, dots, error bars, sticks, symbols.

#include "view/VexaView.h"

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Color.h"
#include "view/ClippedPath.h"

#include <QPainter>

#include <cmath>

namespace {

// Half-length of an error bar in data units; no bar unless it is above 0.
double errorHalfLength(int mode, double fixed, double value, const std::vector<double>& own, bool haveErrors,
                       int index)
{
    switch (mode) {
    case 1:
        return fixed;
    case 2:
        return value / 100 * fixed; // percent of the value: none below 0
    case 3:
        if (!haveErrors || index < 0 || std::size_t(index) >= own.size())
            return 0;
        return own[std::size_t(index)];
    default:
        return 0;
    }
}

bool reaches(const QRectF& visible, double x0, double x1, double y0, double y1)
{
    return x1 >= visible.left() && x0 <= visible.right() && y1 >= visible.top() && y0 <= visible.bottom();
}

// A bar is the box from corners[0] to the opposite corners[2], filled and outlined in its colour,
// then outlined in the bar colour when its line has a width. Nothing is drawn when the box and its
// outline lie wholly outside what is shown.
void drawBar(BezierPath& ps, QPainter& gc, const QRectF& visible, const QRectF& clip, const DataBuffer& b,
             const QPointF (&corners)[4])
{
    const double lw = b.style.linewidth;
    const double reach = std::fabs(lw) + 2;
    const QPointF &a = corners[0], &c = corners[2];
    if (!reaches(visible, std::min(a.x(), c.x()) - reach, std::max(a.x(), c.x()) + reach,
                 std::min(a.y(), c.y()) - reach, std::max(a.y(), c.y()) + reach))
        return;
    ps.setLineCapStyle(Qt::FlatCap);
    ps.setLineJoinStyle(Qt::MiterJoin);
    ps.setLineWidth(lw);
    ClippedPath(ps, clip).polygon(corners, 4);
    ps.fill(gc, b.style.color);
    ps.stroke(gc, b.style.color);
    if (lw > 0)
        ps.stroke(gc, b.style.barcolor);
    ps.removeAllPoints();
}

} // namespace

void VexaView::plotYBar(const DataBuffer* b, double x, double y)
{
    if (!gc_ || !b)
        return;
    const double w = b->style.symbolsize;
    const double base = b->style.barybottom ? bottom : b->style.barytop ? top : yPoint(0, b->belongy, b);
    const QPointF corners[4] = {{x - w / 2, y}, {x + w / 2, y}, {x + w / 2, base}, {x - w / 2, base}};
    drawBar(ps, *gc_, visible_, guard(b->style.linewidth, false), *b, corners);
}

void VexaView::plotXBar(const DataBuffer* b, double x, double y)
{
    if (!gc_ || !b)
        return;
    const double w = b->style.symbolsize;
    const double base = b->style.barxleft ? left : b->style.barxright ? right : xPoint(0, b->belongx, b);
    const QPointF corners[4] = {{x, y - w / 2}, {x, y + w / 2}, {base, y + w / 2}, {base, y - w / 2}};
    drawBar(ps, *gc_, visible_, guard(b->style.linewidth, false), *b, corners);
}

void VexaView::plotDots(const DataBuffer* b, double x, double y)
{
    if (!gc_ || !b)
        return;
    const double r = b->style.linewidth > 0 ? b->style.linewidth / 2 : 0;
    if (!reaches(visible_, x - r - 2, x + r + 2, y - r - 2, y + r + 2))
        return;
    ps.setLineCapStyle(Qt::FlatCap);
    ps.setLineJoinStyle(Qt::MiterJoin);
    ps.setLineWidth(0);
    ClippedPath(ps, guard(0, false)).circle(QPointF(x, y), r);
    ps.fill(*gc_, b->style.color);
    ps.stroke(*gc_, b->style.color);
    ps.removeAllPoints();
}

void VexaView::plotErrorBar(const DataBuffer* b, double x, double y, int index)
{
    if (!gc_ || !b)
        return;
    if (b->errorbars.errorbarx <= 0 && b->errorbars.errorbary <= 0)
        return;
    ps.setLineCapStyle(Qt::RoundCap);
    ps.setLineJoinStyle(Qt::RoundJoin);
    ps.setLineWidth(b->errorbars.errorwidth);
    const double c = b->style.symbolsize / 2;
    const bool haveErrors = b->haserror();
    ClippedPath path(ps, guard(b->errorbars.errorwidth, false));

    const double ey = errorHalfLength(b->errorbars.errorbary, b->errorbars.errorvaly, b->y(index), b->EY,
                                      haveErrors, index);
    if (ey > 0) {
        const AxisMap ym = yMap(b->belongy, b);
        const double Y = b->y(index);
        const double y1 = ym(Y - ey);
        const double y2 = ym(Y + ey);
        path.segment({x, y1}, {x, y2});
        path.segment({x - c, y1}, {x + c, y1});
        path.segment({x - c, y2}, {x + c, y2});
    }
    const double ex = errorHalfLength(b->errorbars.errorbarx, b->errorbars.errorvalx, b->x(index), b->EX,
                                      haveErrors, index);
    if (ex > 0) {
        const AxisMap xm = xMap(b->belongx, b);
        const double X = b->x(index);
        const double x1 = xm(X - ex);
        const double x2 = xm(X + ex);
        path.segment({x1, y}, {x2, y});
        path.segment({x1, y - c}, {x1, y + c});
        path.segment({x2, y - c}, {x2, y + c});
    }
    if (!ps.isEmpty()) {
        ps.stroke(*gc_, b->style.errorcolor);
        ps.removeAllPoints();
    }
}

void VexaView::plotSticks(const DataBuffer* b, double x, double y, double size, bool useSize)
{
    if (!gc_ || !b)
        return;
    if (!b->style.plotxsticks && !b->style.plotysticks)
        return;
    double h = useSize ? std::fabs(size) : b->style.sticksize / 2;
    if (!(h > 0))
        h = 0;
    ps.setLineCapStyle(Qt::RoundCap);
    ps.setLineJoinStyle(Qt::RoundJoin);
    ps.setLineWidth(b->style.linewidth);
    ClippedPath path(ps, guard(b->style.linewidth, false));
    if (b->style.plotxsticks) {
        // With stickabs the stick spans h data units in all.
        const double f
            = b->style.stickabs ? std::fabs(xPoint(0, b->belongx, b) - xPoint(h, b->belongx, b)) / 2 : h;
        path.segment({x - f, y}, {x + f, y});
    }
    if (b->style.plotysticks) {
        const double g
            = b->style.stickabs ? std::fabs(yPoint(0, b->belongy, b) - yPoint(h, b->belongy, b)) / 2 : h;
        path.segment({x, y - g}, {x, y + g});
    }
    if (!ps.isEmpty()) {
        ps.stroke(*gc_, b->style.stickcolor);
        ps.removeAllPoints();
    }
}

void VexaView::plotSymbol(const DataBuffer* b, double x, double y, double size, bool useSize)
{
    if (!gc_ || !b)
        return;
    const int kind = b->style.symbol;
    if (kind < 0 || kind > 15)
        return;
    // A per-point size is the half-size itself; symbolsize is a full size.
    double K = useSize ? std::fabs(size) : b->style.symbolsize / 2;
    if (!(K > 0))
        K = 0;
    const double lw = 0.7 * b->style.linewidth;
    const double reach = 1.4 * K + std::fabs(lw) + 2;
    if (!reaches(visible_, x - reach, x + reach, y - reach, y + reach))
        return;

    ps.setLineCapStyle(Qt::RoundCap);
    ps.setLineJoinStyle(Qt::MiterJoin);
    ps.setLineWidth(lw);
    ClippedPath path(ps, guard(lw, false));

    if (kind >= 14) {
        if (kind == 14) {
            path.segment({x - K, y}, {x + K, y});
            path.segment({x, y - K}, {x, y + K});
        } else {
            path.segment({x - K, y - K}, {x + K, y + K});
            path.segment({x - K, y + K}, {x + K, y - K});
        }
        ps.stroke(*gc_, b->style.color);
        ps.removeAllPoints();
        return;
    }

    const double t = 1.1 * K, d = 1.2 * K, r = 1.4 * K, q = 1.4 * K / 1.8;
    switch (kind % 7) {
    case 0: {
        const QPointF p[4] = {{x - K, y - K}, {x + K, y - K}, {x + K, y + K}, {x - K, y + K}};
        path.polygon(p, 4);
        break;
    }
    case 1:
        path.circle(QPointF(x, y), t);
        break;
    case 2: {
        const QPointF p[3] = {{x - t, y - t}, {x + t, y - t}, {x, y + t}};
        path.polygon(p, 3);
        break;
    }
    case 3: {
        const QPointF p[4] = {{x, y - d}, {x + d, y}, {x, y + d}, {x - d, y}};
        path.polygon(p, 4);
        break;
    }
    case 4: {
        const QPointF p[3] = {{x + t, y + t}, {x - t, y + t}, {x, y - t}};
        path.polygon(p, 3);
        break;
    }
    case 5: {
        const QPointF p[4] = {{x - q, y}, {x, y + r}, {x + q, y}, {x, y - r}};
        path.polygon(p, 4);
        break;
    }
    default: {
        const QPointF p[4] = {{x, y - q}, {x + r, y}, {x, y + q}, {x - r, y}};
        path.polygon(p, 4);
        break;
    }
    }
    if (kind <= 6) {
        // Open shapes hide what lies behind them.
        const QColor background = b->style.symfill ? b->style.fillcolor
            : PD                                   ? PD->page.backgroundcolor
                                                   : Color::white();
        ps.fill(*gc_, background);
    } else {
        ps.fill(*gc_, b->style.color);
    }
    ps.stroke(*gc_, b->style.color);
    ps.removeAllPoints();
}
