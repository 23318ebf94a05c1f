#include "view/ClippedPath.h"

#include "platform/BezierPath.h"

#include <cmath>
#include <numbers>

namespace {

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

bool inside(QPointF p, const QRectF& r)
{
    return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}

// The differences of coordinates near the limits of a double overflow; the
// extended type carries them.
using Wide = long double;

} // namespace

namespace {

enum : int { Left = 1, Right = 2, Low = 4, High = 8 };

int outcode(Wide x, Wide y, const QRectF& r)
{
    int code = 0;
    if (x < r.left())
        code |= Left;
    else if (x > r.right())
        code |= Right;
    if (y < r.top())
        code |= Low;
    else if (y > r.bottom())
        code |= High;
    return code;
}

// The other coordinate where the line through s and e crosses the given
// value of one coordinate. It is taken from the end nearer that value: from
// the far end, a segment 1e300 long would leave nothing of the precision
// the visible part needs.
Wide crossing(Wide sAt, Wide sOther, Wide eAt, Wide eOther, Wide value)
{
    const Wide slope = (eOther - sOther) / (eAt - sAt);
    if (std::fabs(value - sAt) <= std::fabs(value - eAt))
        return sOther + (value - sAt) * slope;
    return eOther + (value - eAt) * slope;
}

} // namespace

bool ClippedPath::clipSegment(QPointF& a, QPointF& b, const QRectF& rect)
{
    if (!finite(a) || !finite(b))
        return false;
    Wide ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
    int ca = outcode(ax, ay, rect), cb = outcode(bx, by, rect);
    if (!(ca | cb))
        return true;
    // Each round puts one end on an edge it lay beyond; four rounds per end
    // at most.
    for (int round = 0; round < 8; ++round) {
        if (!(ca | cb))
            break;
        if (ca & cb)
            return false; // both beyond the same edge
        const bool moveA = ca != 0;
        const int out = moveA ? ca : cb;
        Wide x, y;
        if (out & (Low | High)) {
            y = (out & Low) ? rect.top() : rect.bottom();
            x = crossing(ay, ax, by, bx, y);
        } else {
            x = (out & Left) ? rect.left() : rect.right();
            y = crossing(ax, ay, bx, by, x);
        }
        if (moveA) {
            ax = x, ay = y;
            ca = outcode(ax, ay, rect);
        } else {
            bx = x, by = y;
            cb = outcode(bx, by, rect);
        }
    }
    if (ca | cb)
        return false;
    a = QPointF(double(ax), double(ay));
    b = QPointF(double(bx), double(by));
    return true;
}

void ClippedPath::clipPolygon(std::vector<QPointF>& points, const QRectF& rect)
{
    if (points.empty())
        return;
    // 0 left, 1 right, 2 top (smallest y), 3 bottom
    auto in = [&](QPointF p, int edge) {
        switch (edge) {
        case 0:
            return p.x() >= rect.left();
        case 1:
            return p.x() <= rect.right();
        case 2:
            return p.y() >= rect.top();
        default:
            return p.y() <= rect.bottom();
        }
    };
    auto cross = [&](QPointF s, QPointF e, int edge) {
        if (edge < 2) {
            const double x = edge == 0 ? rect.left() : rect.right();
            return QPointF(x, double(crossing(s.x(), s.y(), e.x(), e.y(), x)));
        }
        const double y = edge == 2 ? rect.top() : rect.bottom();
        return QPointF(double(crossing(s.y(), s.x(), e.y(), e.x(), y)), y);
    };

    std::vector<QPointF> out;
    out.reserve(points.size() + 8);
    for (int edge = 0; edge < 4 && !points.empty(); ++edge) {
        out.clear();
        QPointF s = points.back();
        bool sIn = in(s, edge);
        for (QPointF e : points) {
            const bool eIn = in(e, edge);
            if (eIn) {
                if (!sIn)
                    out.push_back(cross(s, e, edge));
                out.push_back(e);
            } else if (sIn) {
                out.push_back(cross(s, e, edge));
            }
            s = e;
            sIn = eIn;
        }
        points.swap(out);
    }
}

double ClippedPath::dashPeriod(const QList<double>& lengths)
{
    double total = 0;
    for (double v : lengths)
        total += std::isfinite(v) && v > 0 ? v : 0;
    // An odd list repeats with drawn and blank swapped.
    return lengths.size() % 2 == 1 ? 2 * total : total;
}

void ClippedPath::moveTo(QPointF p)
{
    last_ = p;
    haveLast_ = finite(p);
    open_ = false;
    along_ = 0;
}

void ClippedPath::lineTo(QPointF p)
{
    if (!finite(p)) {
        haveLast_ = false;
        open_ = false;
        return;
    }
    if (!haveLast_) {
        moveTo(p);
        return;
    }
    const QPointF start = last_;
    QPointF a = last_;
    QPointF b = p;
    last_ = p;
    const double length = period_ > 0 ? std::hypot(p.x() - start.x(), p.y() - start.y()) : 0;
    const double before = along_;
    if (period_ > 0 && std::isfinite(length))
        along_ = std::fmod(along_ + length, period_);
    if (!clipSegment(a, b, guard_)) {
        open_ = false;
        return;
    }
    if (!open_ || a != written_) {
        QPointF s = a;
        if (period_ > 0 && a != start && std::isfinite(length) && length > 0) {
            // Back along the segment to where a pattern of the uncut line
            // begins: the dashes then fall where they would without the cut.
            const double into = std::hypot(a.x() - start.x(), a.y() - start.y());
            const double phase = std::fmod(before + into, period_);
            if (phase > 0 && std::isfinite(phase)) {
                const QPointF dir = (p - start) / length;
                s = a - dir * phase;
            }
        }
        path_.moveTo(s);
    }
    path_.lineTo(b);
    written_ = b;
    open_ = true;
}

void ClippedPath::polygon(const QPointF* points, int count)
{
    // Reused between calls: shapes are drawn once per data point.
    static thread_local std::vector<QPointF> pts;
    pts.clear();
    bool within = true;
    for (int i = 0; i < count; ++i) {
        if (!finite(points[i]))
            continue;
        pts.push_back(points[i]);
        within = within && inside(points[i], guard_);
    }
    if (!within)
        clipPolygon(pts, guard_);
    if (pts.size() < 2)
        return;
    path_.moveTo(pts[0]);
    for (std::size_t i = 1; i < pts.size(); ++i)
        path_.lineTo(pts[i]);
    path_.closePath();
}

void ClippedPath::circle(QPointF centre, double radius)
{
    if (!finite(centre) || !std::isfinite(radius))
        return;
    radius = std::fabs(radius);
    oval(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius));
}

void ClippedPath::oval(const QRectF& rect)
{
    const QRectF box = rect.normalized();
    if (!finite(box.topLeft()) || !finite(box.bottomRight()))
        return;
    if (guard_.contains(box)) {
        path_.appendOval(box);
        return;
    }
    if (!guard_.intersects(box))
        return;
    // Only an oval far larger than the view gets here; 4096 corners keep
    // its visible arc within a fraction of a point for any size that still
    // fits the painter.
    constexpr int n = 4096;
    static thread_local std::vector<QPointF> corners;
    corners.resize(n);
    const QPointF centre = box.center();
    const double rx = box.width() / 2;
    const double ry = box.height() / 2;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        corners[i] = QPointF(centre.x() + rx * std::cos(a), centre.y() + ry * std::sin(a));
    }
    polygon(corners.data(), n);
}
