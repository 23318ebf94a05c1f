#include "platform/BezierPath.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTransform>

#include <algorithm>

#include <cmath>

namespace {

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// The dash lengths in points, cleaned: empty for a solid line. A zero-length
// dash is kept as a tiny one, since Qt drops empty dashes where a round or
// square cap should still leave a dot. Qt wants pairs; an odd list repeats,
// drawn and blank swapping roles.
QList<qreal> dashInPoints(const QList<double>& lengths)
{
    QList<qreal> out;
    double total = 0;
    for (double v : lengths) {
        if (!std::isfinite(v))
            return {};
        const double len = v > 0 ? v : 0;
        total += len;
        out.append(len);
    }
    if (!(total > 0))
        return {}; // nothing but empty dashes: draw it solid rather than not at all
    if (out.size() % 2 == 1)
        out += QList<qreal>(out);
    return out;
}

// Qt counts dashes in a unit that depends on the target, the path in
// points. A PDF counts them in pen widths (1 for the thinnest pen). The
// raster engine counts them in pen widths too, except for a pen no wider
// than one device pixel: that is drawn as a thin line whose dashes are
// device pixels, so at a larger scale (an export at a higher resolution, a
// high-density screen) they would shrink with it.
double dashUnit(const QPainter* painter, double width)
{
    if (painter) {
        const QPaintEngine* engine = painter->paintEngine();
        if (engine && engine->type() == QPaintEngine::Pdf)
            return width < 0.001 ? 1 : width;
        const QTransform t = painter->deviceTransform();
        const double scale = std::sqrt(std::max(t.m11() * t.m11() + t.m12() * t.m12(),
                                                t.m21() * t.m21() + t.m22() * t.m22()));
        if (std::isfinite(scale) && scale > 0) {
            if (width * scale <= 1)
                return 1 / scale;
            return width;
        }
    }
    return width <= 1 ? 1 : width; // an unscaled raster target
}

void applyDash(QPen& pen, const QList<qreal>& points, double phase, double unit)
{
    QList<qreal> pattern;
    pattern.reserve(points.size());
    for (qreal v : points)
        pattern.append(std::max(v / unit, 1e-3));
    pen.setDashPattern(pattern);
    pen.setDashOffset(phase / unit);
}

} // namespace

BezierPath::BezierPath()
{
    path_.setFillRule(Qt::WindingFill);
    rebuildPen();
}

void BezierPath::setLineWidth(double width)
{
    if (!(width > 0))
        width = 0;
    if (width == width_)
        return;
    width_ = width;
    rebuildPen();
}

void BezierPath::setLineCapStyle(Qt::PenCapStyle cap)
{
    if (cap == cap_)
        return;
    cap_ = cap;
    pen_.setCapStyle(cap);
}

void BezierPath::setLineJoinStyle(Qt::PenJoinStyle join)
{
    if (join == join_)
        return;
    join_ = join;
    pen_.setJoinStyle(join);
}

void BezierPath::setMiterLimit(double limit)
{
    if (!(limit >= 0) || !std::isfinite(limit))
        return;
    miterLimit_ = limit;
    pen_.setMiterLimit(limit);
}

void BezierPath::setLineDash(const QList<double>& lengths, double phase)
{
    if (lengths == dash_ && phase == phase_)
        return;
    dash_ = lengths;
    phase_ = std::isfinite(phase) ? phase : 0;
    rebuildPen();
}

void BezierPath::setLineDash(const DashPattern& table, int pattern, double phase)
{
    setLineDash(table.lengths(pattern), phase);
}

void BezierPath::rebuildPen()
{
    QPen pen(Qt::black);
    pen.setWidthF(width_); // 0: Qt's cosmetic pen, one device pixel
    pen.setCapStyle(cap_);
    pen.setJoinStyle(join_);
    pen.setMiterLimit(miterLimit_);
    dashPoints_ = dashInPoints(dash_);
    penDashUnit_ = dashUnit(nullptr, width_);
    if (!dashPoints_.isEmpty())
        applyDash(pen, dashPoints_, phase_, penDashUnit_);
    pen_ = pen;
}

void BezierPath::moveTo(QPointF p)
{
    if (finite(p))
        path_.moveTo(p);
}

void BezierPath::lineTo(QPointF p)
{
    if (finite(p))
        path_.lineTo(p);
}

void BezierPath::curveTo(QPointF c1, QPointF c2, QPointF end)
{
    if (finite(c1) && finite(c2) && finite(end))
        path_.cubicTo(c1, c2, end);
}

void BezierPath::closePath()
{
    path_.closeSubpath();
}

void BezierPath::appendRect(const QRectF& rect)
{
    if (finite(rect.topLeft()) && finite(rect.bottomRight()))
        path_.addRect(rect);
}

void BezierPath::appendOval(const QRectF& rect)
{
    if (finite(rect.topLeft()) && finite(rect.bottomRight()))
        path_.addEllipse(rect);
}

void BezierPath::removeAllPoints()
{
    path_.clear(); // keeps its storage for the next point
}

QPen BezierPath::pen(const QColor& color) const
{
    QPen pen = pen_;
    pen.setColor(color);
    return pen;
}

void BezierPath::stroke(QPainter& painter, const QColor& color) const
{
    if (path_.isEmpty())
        return;
    pen_.setColor(color);
    if (!dashPoints_.isEmpty()) {
        const double unit = dashUnit(&painter, width_);
        if (unit != penDashUnit_) {
            QPen pen = pen_;
            applyDash(pen, dashPoints_, phase_, unit);
            painter.strokePath(path_, pen);
            return;
        }
    }
    painter.strokePath(path_, pen_);
}

void BezierPath::fill(QPainter& painter, const QColor& color) const
{
    if (path_.isEmpty())
        return;
    painter.fillPath(path_, color);
}
