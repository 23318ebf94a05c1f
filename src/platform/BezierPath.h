#pragma once

// A path with sticky stroke settings: width, cap, join, miter limit and dash
// stay as set while points come and go, so a long-lived work path can be
// configured once and emptied after each stroke. Coordinates are whatever the
// painter's transform expects (the graph draws in y-up view points).
//
// A line width of 0 is the device's thinnest line (a cosmetic pen), whatever
// the painter's scale. Dash lengths are in the same units as the width
// (points, whatever the target and its scale) and start with a drawn length.

#include "platform/DashPattern.h"

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>

class QPainter;

class BezierPath {
public:
    BezierPath();

    // --- stroke settings (kept across removeAllPoints) --------------------
    // Negative or not a number counts as 0, and a width beyond the widest
    // line counts as that: stored settings may hold any number, a pen does
    // not.
    void setLineWidth(double width);
    static constexpr double widestLine = 10000; // points, wider than any page
    double lineWidth() const { return width_; }
    void setLineCapStyle(Qt::PenCapStyle cap);
    Qt::PenCapStyle lineCapStyle() const { return cap_; }
    void setLineJoinStyle(Qt::PenJoinStyle join);
    Qt::PenJoinStyle lineJoinStyle() const { return join_; }
    // Longest miter, as a multiple of the line width, before a join is
    // bevelled instead; 10 at first.
    void setMiterLimit(double limit);
    double miterLimit() const { return miterLimit_; }
    // Empty lengths: a solid line.
    void setLineDash(const QList<double>& lengths, double phase);
    // Pattern k of the table (0 and numbers outside 0..15: solid).
    void setLineDash(const DashPattern& table, int pattern, double phase = 0);
    const QList<double>& lineDash() const { return dash_; }
    double lineDashPhase() const { return phase_; }
    // Fill rule of fill(); non-zero winding at first.
    void setWindingRule(Qt::FillRule rule) { path_.setFillRule(rule); }
    // Lines of the path that run straight across or up a picture made of
    // pixels are moved, by less than a pixel, to where they cover whole
    // pixel rows or columns, and the line is made a whole number of pixels
    // thick, so a one-pixel line is one crisp row of pixels and not two grey
    // ones. For frames, ticks, grids and similar rules; vector targets (PDF,
    // EPS, printers) get the path as it is. Off at first.
    void setPixelAligned(bool aligned) { pixelAligned_ = aligned; }
    bool pixelAligned() const { return pixelAligned_; }

    // --- building ----------------------------------------------------------
    // Points with a coordinate that is not finite are ignored.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void moveTo(double x, double y) { moveTo(QPointF(x, y)); }
    void lineTo(double x, double y) { lineTo(QPointF(x, y)); }
    void curveTo(QPointF c1, QPointF c2, QPointF end);
    void closePath();
    void appendRect(const QRectF& rect);
    void appendOval(const QRectF& rect);
    // Empties the path; the stroke settings stay.
    void removeAllPoints();

    bool isEmpty() const { return path_.isEmpty(); }
    QRectF bounds() const { return path_.boundingRect(); }
    const QPainterPath& path() const { return path_; }

    // --- drawing -------------------------------------------------------------
    void stroke(QPainter& painter, const QColor& color) const;
    void fill(QPainter& painter, const QColor& color) const;
    // The pen stroke() draws with.
    QPen pen(const QColor& color) const;
    // The path stroke() draws on this painter: the path itself, or with
    // pixel alignment on a raster target, its aligned copy.
    QPainterPath strokedPath(const QPainter& painter) const;
    // The same with the line width it is drawn with: with pixel alignment
    // on a raster target, a whole number of pixels.
    struct Stroke {
        QPainterPath path;
        double width;
    };
    Stroke strokeFor(const QPainter& painter) const;

private:
    void rebuildPen();

    QPainterPath path_;
    double width_ = 1;
    Qt::PenCapStyle cap_ = Qt::FlatCap;
    Qt::PenJoinStyle join_ = Qt::MiterJoin;
    double miterLimit_ = 10;
    QList<double> dash_;
    double phase_ = 0;
    // Rebuilt when a setting changes; stroke() only swaps its colour, so a
    // path stroked once per data point costs no pen allocation.
    mutable QPen pen_;
    QList<qreal> dashPoints_; // the dash as Qt takes it, still in points
    double penDashUnit_ = 1; // the unit pen_'s dash is counted in
    bool pixelAligned_ = false;
};
