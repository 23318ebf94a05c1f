#include "platform/BezierPath.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <vector>

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
        const double scale = std::sqrt(
            std::max(t.m11() * t.m11() + t.m12() * t.m12(), t.m21() * t.m21() + t.m22() * t.m22()));
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
    width = width > 0 ? std::min(width, widestLine) : 0;
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

BezierPath::Stroke BezierPath::strokeFor(const QPainter& painter) const
{
    Stroke plain{path_, width_};
    if (!pixelAligned_)
        return plain;
    const QPaintEngine* engine = painter.paintEngine();
    const QTransform t = painter.deviceTransform();
    // Only pictures made of pixels, drawn without rotation or shear.
    if (!engine || engine->type() != QPaintEngine::Raster || t.type() > QTransform::TxScale || t.m11() == 0
        || t.m22() == 0)
        return plain;

    // The line becomes a whole number of pixels thick (one at the least),
    // centred on a pixel's middle when that number is odd and on the border
    // between two pixels when it is even.
    const double scale = std::sqrt(std::fabs(t.m11() * t.m22()));
    const long pixels = width_ > 0 ? std::max(1L, std::lround(width_ * scale)) : 1;
    // A line right on a pixel border takes the pixel on the side where the
    // drawing's own coordinates grow, whichever way the picture runs: a
    // rule at y = 20 of a graph drawn upwards covers the pixels of 20 to 21.
    auto snap = [pixels](double v, bool reversed) {
        if (pixels % 2 == 0)
            return std::round(v);
        return reversed ? std::ceil(v) - 0.5 : std::floor(v) + 0.5;
    };

    // The coordinates of straight lines are collected first and every point
    // on one of them moves with it, so that corners, closing points and lines
    // that meet stay joined.
    const int n = path_.elementCount();
    std::vector<QPointF> device(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path_.elementAt(i);
        device[std::size_t(i)] = t.map(QPointF(e.x, e.y));
    }
    constexpr double same = 1e-6;
    std::vector<double> columns, rows;
    for (int i = 1; i < n; ++i) {
        if (path_.elementAt(i).type != QPainterPath::LineToElement)
            continue;
        const QPointF a = device[std::size_t(i - 1)];
        const QPointF b = device[std::size_t(i)];
        if (std::fabs(a.y() - b.y()) < same)
            rows.push_back(a.y());
        if (std::fabs(a.x() - b.x()) < same)
            columns.push_back(a.x());
    }
    if (rows.empty() && columns.empty())
        return plain;
    std::sort(rows.begin(), rows.end());
    std::sort(columns.begin(), columns.end());
    auto onOne = [](const std::vector<double>& sorted, double v) {
        const auto it = std::lower_bound(sorted.begin(), sorted.end(), v - same);
        return it != sorted.end() && *it <= v + same;
    };
    Stroke aligned{path_, width_ > 0 ? double(pixels) / scale : 0};
    const QTransform back = t.inverted();
    for (int i = 0; i < n; ++i) {
        QPointF p = device[std::size_t(i)];
        const bool x = onOne(columns, p.x());
        const bool y = onOne(rows, p.y());
        if (!x && !y)
            continue;
        if (x)
            p.setX(snap(p.x(), t.m11() < 0));
        if (y)
            p.setY(snap(p.y(), t.m22() < 0));
        const QPointF q = back.map(p);
        aligned.path.setElementPositionAt(i, q.x(), q.y());
    }
    return aligned;
}

QPainterPath BezierPath::strokedPath(const QPainter& painter) const
{
    return strokeFor(painter).path;
}

void BezierPath::stroke(QPainter& painter, const QColor& color) const
{
    if (path_.isEmpty())
        return;
    pen_.setColor(color);
    const Stroke s = strokeFor(painter);
    const bool dashed = !dashPoints_.isEmpty();
    const double unit = dashed ? dashUnit(&painter, s.width) : penDashUnit_;
    if (s.width != width_ || unit != penDashUnit_) {
        QPen pen = pen_;
        pen.setWidthF(s.width);
        if (dashed)
            applyDash(pen, dashPoints_, phase_, unit);
        painter.strokePath(s.path, pen);
        return;
    }
    painter.strokePath(s.path, pen_);
}

void BezierPath::fill(QPainter& painter, const QColor& color) const
{
    if (path_.isEmpty())
        return;
    painter.fillPath(path_, color);
}
