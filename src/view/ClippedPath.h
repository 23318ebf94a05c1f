#pragma once

// Writes view-point geometry onto a BezierPath after clipping it, in double
// precision, to a guard rectangle a little larger than what is visible.
// Data can map to coordinates anywhere up to the limits of a double (a value
// far outside the range, a range a hair wide); the painter rasterises in
// fixed point and must never see such numbers. What lies beyond the guard is
// invisible, so cutting it off changes nothing on the target except where a
// dash pattern restarts.
//
// Points with a coordinate that is not finite break a line and are left out
// of a shape.

#include <QList>
#include <QPointF>
#include <QRectF>

#include <cmath>
#include <vector>

class BezierPath;

class ClippedPath {
public:
    ClippedPath(BezierPath& path, const QRectF& guard)
            : path_(path)
            , guard_(guard)
    {
    }

    // For a dashed stroke: the length after which its pattern repeats. A
    // line cut at the guard then starts a whole number of patterns before
    // where it re-enters, so its dashes lie where the uncut line has them.
    void setDashPeriod(double period) { period_ = std::isfinite(period) && period > 0 ? period : 0; }
    static double dashPeriod(const QList<double>& lengths);

    // --- lines ---------------------------------------------------------------
    // Starts a new line at p.
    void moveTo(QPointF p);
    // Continues the line from its last point; without one, only remembers p.
    void lineTo(QPointF p);
    void segment(QPointF a, QPointF b)
    {
        moveTo(a);
        lineTo(b);
    }

    // --- shapes ----------------------------------------------------------------
    // A closed polygon (to be filled and stroked), cut down to the guard.
    void polygon(const QPointF* points, int count);
    // A closed circle; one that reaches beyond the guard becomes a fine
    // polygon first.
    void circle(QPointF centre, double radius);
    // A closed ellipse inscribed in the rectangle (of any orientation), the
    // same way.
    void oval(const QRectF& box);

    // --- the geometry underneath ---------------------------------------------
    // Cuts the segment a-b down to the rectangle; false when nothing of it
    // lies inside (or an end is not finite).
    static bool clipSegment(QPointF& a, QPointF& b, const QRectF& rect);
    // Cuts a closed polygon down to the rectangle (Sutherland-Hodgman); the
    // result may be empty. Points must be finite.
    static void clipPolygon(std::vector<QPointF>& points, const QRectF& rect);

private:
    BezierPath& path_;
    QRectF guard_;
    QPointF last_; // end of the line as given, before clipping
    bool haveLast_ = false;
    QPointF written_; // last point written to the path
    bool open_ = false; // the path's current sub-path ends at written_
    double period_ = 0; // of the dash pattern; 0 for a solid line
    double along_ = 0; // length of the line as given so far, modulo period_
};
