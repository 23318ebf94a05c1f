#pragma once

// The vertices of a long line or area outline, cut down to what the target
// can show. Of each run of consecutive vertices that fall into one device
// pixel column only the first, the lowest, the highest and the last are
// kept, in their order: the line through them covers the same pixels as the
// line through every vertex, up to the shading of its edges. Nothing is
// sampled, so a spike of one point and the extremes of noise stay; a line
// that leaves a column and comes back starts a new run there.
//
// The work is done on data values; only kept vertices are converted to view
// points. Long buffers are cut into pieces reduced on all cores.
//
// On a picture made of pixels the span of a dense column, from its lowest to
// its highest vertex, is filled over the whole column (Bands): the many
// segments of every point ink that column from side to side. A segment
// between two such columns that stays within both spans then adds nothing
// and is left out too.

#include "model/SharedColumn.h"
#include "view/VexaView.h"

#include <QPainterPath>
#include <QRectF>

#include <cmath>
#include <cstddef>
#include <vector>

class QColor;
class QPainter;

namespace DenseLine {

// The device pixel columns along x, in data values.
struct Columns {
    VexaView::AxisMap x; // data x to view x
    double scale = 0; // device columns per view point
    double offset = 0; // device column of view x 0
    // The columns are the device's pixels: spans are drawn as Bands.
    bool pixels = false;

    // The data values [lo, hi) of the column that holds x. An empty
    // interval where the column cannot be told (a value the axis cannot
    // show, a range without extent).
    void interval(double x, double& lo, double& hi) const;
};

// Columns of a painter's device for the x axis map. A picture made of
// pixels has its own pixels; a vector target (PDF, EPS, a printer) is given
// columns of 1/16 point, finer where the device counts finer: one dot of a
// 1200 dpi printer, and at 100 % on a screen a twelfth of a pixel, so a
// viewer must zoom beyond 1200 % before a column shows.
Columns columnsFor(const QPainter& painter, const VexaView::AxisMap& x);

struct Vertex {
    double x, y; // data values
    bool start; // begins a new line
    // Of a line: the segment to this vertex lies in the span of its column
    // that the line draws anyway, from the column's lowest to its highest
    // vertex. Leaving it out spares the drawing of a dense band most of its
    // strokes and changes no pixel beyond its shading.
    bool spanned = false;
    // Of a line, and of an outline on pixels: the segment to this vertex
    // runs from the lowest vertex of its column to the highest or back,
    // where the line turns in the column (one of the two lies between its
    // first and last vertex): the column's span. On pixels (Columns::pixels)
    // it is drawn as part of Bands, and of a line a segment from the column
    // before that stays within both spans is marked spanned.
    bool span = false;
};

// Which segments of a line are drawn: those between two finite points
// (a point that is not finite breaks the line), both of which the axes can
// show (a value of 0 or below on a logarithmic axis is left out without a
// break: the line goes on from the last point drawn; segment by segment it
// breaks as well), not both beyond the same end of one range (left out with
// a break; not when the buffer's range is free).
struct LineRules {
    bool xLog = false, yLog = false;
    bool breakAtLogInvalid = false;
    bool cull = false;
    double xlo = 0, xhi = 0, ylo = 0, yhi = 0; // ordered; a range with equal ends excludes nothing

    enum class Point { Drawn, Hidden, NotFinite };
    Point point(double x, double y) const
    {
        if (!std::isfinite(x) || !std::isfinite(y))
            return Point::NotFinite;
        return (xLog && x <= 0) || (yLog && y <= 0) ? Point::Hidden : Point::Drawn;
    }
    // The segment lies wholly beyond one end of a range.
    bool culls(double x1, double y1, double x2, double y2) const
    {
        return cull && (beyond(x1, x2, xlo, xhi) || beyond(y1, y2, ylo, yhi));
    }

private:
    static bool beyond(double a, double b, double lo, double hi)
    {
        return lo != hi && ((a < lo && b < lo) || (a > hi && b > hi));
    }
};

// The kept vertices of the line through points 0 .. n - 1. Where the x
// values run one way (xOrder, of X as a whole or of its first n), the run of
// a column is found by a binary search and only its y values are read; the
// vertices kept are the same.
std::vector<Vertex> line(const double* X, const double* Y, std::size_t n, ColumnOrder xOrder,
                         const LineRules& rules, const Columns& columns);

// The spans of a line on a picture made of pixels, each filled as a
// rectangle over its whole pixel column and as wide as the line, with the
// line's width beyond its ends. A run of rectangles, each overlapping the one
// before, becomes one band whose outline alone is rasterised, however many
// columns it covers.
class Bands {
public:
    // A line `width` view points wide (0: the device's thinnest, one
    // pixel); what lies beyond the guard rectangle (in view points) is cut
    // off.
    Bands(const Columns& columns, double width, const QRectF& guard);

    // The span between view points a and b, in one pixel column.
    void add(QPointF a, QPointF b);
    // Fills what was added with the colour and starts anew.
    void fill(QPainter& painter, const QColor& color);

private:
    struct Rect {
        double left, right, bottom, top; // left <= right, bottom <= top
    };
    void closeBand();
    // The band's upper (or lower) edge from left to right.
    void edge(bool upper, std::vector<QPointF>& out) const;

    const Columns& columns_;
    double half_; // half the line's width
    QRectF guard_;
    std::vector<Rect> band_;
    std::vector<QPointF> upper_, lower_;
    QPainterPath path_;
};

// The kept vertices of an area's outline through the points: those with a
// value that is not finite are left out, those a logarithmic axis cannot
// show kept on their own (they are drawn at the view's edge). On pixels
// the spans are marked: the outline stroked through every point inks them.
std::vector<Vertex> outline(const double* X, const double* Y, std::size_t n, ColumnOrder xOrder, bool xLog,
                            bool yLog, const Columns& columns);

} // namespace DenseLine
