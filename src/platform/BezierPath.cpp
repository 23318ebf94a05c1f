#include "platform/BezierPath.h"

#include <QPainter>

#include <cmath>

namespace {

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Qt measures dashes in units of the pen width, and in units of 1 for pens
// thinner than that (cosmetic ones included); the path measures them in
// points. A zero-length dash is kept as a tiny one, since Qt drops empty
// dashes where a round or square cap should still leave a dot.
QList<qreal> qtDashPattern(const QList<double>& lengths, double width)
{
    const double unit = width < 1 ? 1 : width;
    QList<qreal> out;
    double total = 0;
    for (double v : lengths) {
        if (!std::isfinite(v))
            return {};
        const double len = v > 0 ? v : 0;
        total += len;
        out.append(std::max(len / unit, 1e-3));
    }
    if (!(total > 0))
        return {}; // nothing but empty dashes: draw it solid rather than not at all
    // Qt wants pairs; an odd list repeats, drawn and blank swapping roles.
    if (out.size() % 2 == 1)
        out += QList<qreal>(out);
    return out;
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
    const QList<qreal> pattern = qtDashPattern(dash_, width_);
    if (!pattern.isEmpty()) {
        pen.setDashPattern(pattern);
        pen.setDashOffset(phase_ / (width_ < 1 ? 1 : width_));
    }
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
    painter.strokePath(path_, pen_);
}

void BezierPath::fill(QPainter& painter, const QColor& color) const
{
    if (path_.isEmpty())
        return;
    painter.fillPath(path_, color);
}
