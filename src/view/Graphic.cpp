#include "view/Graphic.h"

#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Color.h"
#include "view/ClippedPath.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

// Wider lines than this are no lines on a graph.
constexpr double kMaxLineWidth = 10000;

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

QPointF turned(QPointF v, double degrees)
{
    return QTransform().rotate(degrees).map(v);
}

// Where a picture could not be drawn (a PDF page that failed or ran out of
// time): a grey box, crossed.
void drawPlaceholder(QPainter& painter, const QRectF& shown)
{
    painter.save();
    painter.fillRect(shown, QColor(224, 224, 224));
    painter.setPen(QPen(QColor(128, 128, 128), 0));
    painter.drawRect(shown);
    painter.drawLine(shown.topLeft(), shown.bottomRight());
    painter.drawLine(shown.bottomLeft(), shown.topRight());
    painter.restore();
}

} // namespace

Graphic::Graphic()
        : color(Color::black())
        , fillcolor(Color::white())
{
    setDefaults();
}

Graphic::~Graphic() = default;

void Graphic::setup(ManagerServices* manager, VexaDocument* document)
{
    M = manager ? manager : &ManagerServices::idle();
    PD = document;
}

void Graphic::setDefaults()
{
    p.removeAllPoints();
    q.removeAllPoints();
    image.reset();
    tag = 0;
    type = GraphicLine;
    x1 = y1 = x2 = y2 = 0;
    linewidth = 2.0;
    arrow1 = arrow2 = 0;
    aspect = 1;
    arrowsize = 12;
    arrowtype = ArrowOpen;
    dashp = 0;
    display = 0;
    posmode = 0;
    fill = 0;
    // Until setup() gives it its controller and document.
    M = &ManagerServices::idle();
    PD = nullptr;
}

void Graphic::setupFromInspector(const GraphicSettings* inspector)
{
    if (!inspector)
        return;
    const GraphicSettings& s = *inspector;
    type = s.type;
    linewidth = s.linewidth;
    dashp = s.dashp;
    color = s.color;
    fillcolor = s.fillcolor;
    fill = s.fill ? 1 : 0;
    arrow1 = s.arrow1 ? 1 : 0;
    arrow2 = s.arrow2 ? 1 : 0;
    arrowsize = s.arrowsize;
    arrowtype = s.arrowtype;
    display = s.display;
    posmode = s.posmode;
    image.reset();
    aspect = 1;
}

void Graphic::getPoints(double& X1, double& Y1, double& X2, double& Y2) const
{
    const DocumentView* view = PD ? PD->PV : nullptr;
    if (posmode < 1 || !view) {
        X1 = x1;
        Y1 = y1;
        X2 = x2;
        Y2 = y2;
        return;
    }
    X1 = view->xPoint(x1, posmode);
    Y1 = view->yPoint(y1, posmode);
    X2 = view->xPoint(x2, posmode);
    Y2 = view->yPoint(y2, posmode);
}

void Graphic::setPoints(double X1, double Y1, double X2, double Y2)
{
    const DocumentView* view = PD ? PD->PV : nullptr;
    if (posmode < 1 || !view) {
        x1 = X1;
        y1 = Y1;
        x2 = X2;
        y2 = Y2;
        return;
    }
    x1 = view->xValue(X1, posmode);
    y1 = view->yValue(Y1, posmode);
    x2 = view->xValue(X2, posmode);
    y2 = view->yValue(Y2, posmode);
}

double Graphic::lineAngle(double dx, double dy)
{
    // The degrees come from this value of pi, not the exact one: a line
    // straight up points a hair past 90, as it always has.
    double t = std::atan(dy / dx) * 180 / 3.1415926;
    if (std::isnan(t))
        t = 0;
    if (dx > 0 && dy < 0)
        t += 360;
    if (dx < 0 && dy < 0)
        t += 180;
    if (dx < 0 && dy > 0)
        t += 180;
    if (dx < 0 && dy == 0)
        t = 180;
    if (dy < 0 && dx == 0)
        t = 270;
    return t;
}

void Graphic::drawArrow(QPainter& painter, const QRectF& guard, QPointF tip, double degrees)
{
    const double s = arrowsize;
    const double w = s / 2.3;
    auto at = [&](double along, double across) { return tip + turned(QPointF(along, across), degrees); };
    const QPointF head[3] = {at(s, -w), tip, at(s, w)};
    const double lw = p.lineWidth();

    auto setUp = [&] {
        q.removeAllPoints();
        q.setLineWidth(lw);
        q.setLineCapStyle(Qt::RoundCap);
        q.setLineJoinStyle(Qt::MiterJoin);
    };

    if (arrowtype == ArrowHollow) {
        setUp();
        const QColor background = PD ? PD->page.backgroundcolor : Color::white();
        ClippedPath(q, guard).polygon(head, 3);
        q.fill(painter, background);
        q.stroke(painter, background);
    }

    setUp();
    if (arrowtype < ArrowOpen || arrowtype > ArrowDouble)
        return;
    ClippedPath clipped(q, guard);
    if (arrowtype == ArrowClosed || arrowtype == ArrowHollow) {
        clipped.polygon(head, 3);
    } else {
        clipped.moveTo(head[0]);
        clipped.lineTo(head[1]);
        clipped.lineTo(head[2]);
        if (arrowtype == ArrowDouble) {
            clipped.moveTo(at(2 * s, -w));
            clipped.lineTo(at(s, 0));
            clipped.lineTo(at(2 * s, w));
        }
    }
    if (arrowtype == ArrowClosed)
        q.fill(painter, color);
    q.stroke(painter, color);
    q.removeAllPoints();
}

void Graphic::drawGraphic(QPainter& painter, const QRectF& visible)
{
    p.removeAllPoints();
    const double lw = std::isfinite(linewidth) ? std::clamp(linewidth, 0.0, kMaxLineWidth) : 0.0;
    p.setLineWidth(lw);
    p.setLineCapStyle(Qt::RoundCap);
    p.setLineJoinStyle(Qt::RoundJoin);
    setDashPattern(linewidth > 4 ? DashPattern::widthFor(linewidth) : 1);
    p.setLineDash(dash, dashp, 0);

    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    getPoints(X1, Y1, X2, Y2);
    const QPointF a(X1, Y1);
    const QPointF b(X2, Y2);
    if (!finite(a) || !finite(b))
        return;

    // Cut edges along the guard must stay out of sight, miter spikes of
    // the arrowheads included (the paths' miter limit is 10 line widths).
    const double reach = 10 + 11 * lw;
    const QRectF guard = visible.adjusted(-reach, -reach, reach, reach);

    if (image) {
        const QRectF target = QRectF(a, b).normalized();
        const QRectF shown = target & guard;
        if (!shown.isEmpty() && image->image().isNull()) {
            drawPlaceholder(painter, shown);
        } else if (!shown.isEmpty()) {
            // The part of the picture that falls inside the guard, the
            // picture upright with its first row on top.
            const QImage& img = image->image();
            const double sx = img.width() / target.width();
            const double sy = img.height() / target.height();
            const QRectF source((shown.left() - target.left()) * sx, (target.bottom() - shown.bottom()) * sy,
                                shown.width() * sx, shown.height() * sy);
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.translate(shown.left(), shown.bottom());
            painter.scale(1, -1);
            painter.drawImage(QRectF(0, 0, shown.width(), shown.height()), img, source);
            painter.restore();
        }
    }

    switch (type) {
    case GraphicLine: {
        const double theta = lineAngle(X2 - X1, Y2 - Y1);
        double theta2 = theta + 180;
        if (theta2 >= 360)
            theta2 -= 360;
        {
            ClippedPath line(p, guard);
            line.setDashPeriod(ClippedPath::dashPeriod(p.lineDash()));
            line.segment(a, b);
        }
        p.stroke(painter, color);
        p.removeAllPoints();
        if (arrow1)
            drawArrow(painter, guard, a, theta);
        if (arrow2)
            drawArrow(painter, guard, b, theta2);
        break;
    }
    case GraphicRectangle: {
        const QPointF corners[4] = {a, QPointF(X1, Y2), b, QPointF(X2, Y1)};
        if (fill) {
            ClippedPath(p, guard).polygon(corners, 4);
            p.fill(painter, fillcolor);
            p.removeAllPoints();
        }
        ClippedPath(p, guard).polygon(corners, 4);
        p.stroke(painter, color);
        p.removeAllPoints();
        break;
    }
    case GraphicOval: {
        const QRectF box(a, b);
        if (fill) {
            ClippedPath(p, guard).oval(box);
            p.fill(painter, fillcolor);
            p.removeAllPoints();
        }
        ClippedPath(p, guard).oval(box);
        p.stroke(painter, color);
        p.removeAllPoints();
        break;
    }
    default:
        break;
    }
}
