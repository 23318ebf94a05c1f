// The furniture of a graph: grid lines, axes with their ticks, numbers,
// zero lines and titles, the text primitives every label goes through, and
// the measuring tools' cross hair.
//
// Everything here reads the document afresh on each call. The user's texts
// (tick settings, date formats, scale expressions, replacement labels) are
// only ever data: the tick generator bounds its walks, unreadable formats
// give empty labels, and geometry that the transforms push out of reach is
// clipped (lines) or left out (texts) before the painter sees it.

#include "view/VexaView.h"

#include "expression/Expression.h"
#include "model/Axis.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "platform/DateFormat.h"
#include "platform/TextDrawing.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"
#include "view/ClippedPath.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace {

// Texts anchored further than this outside the view are invisible; they are
// measured but not drawn, so absurd coordinates never reach the painter.
constexpr double textReach = 1e5;

QRectF viewRect(const VexaView& view)
{
    return QRectF(QPointF(0, 0), view.boundsSize());
}

// The view grown by what a stroke can reach beyond it. A dashed line is cut
// far out, where the restart of its pattern cannot show.
QRectF strokeGuard(const VexaView& view, double lineWidth, bool dashed)
{
    const double margin = (dashed ? 10000.0 : 4.0) + lineWidth;
    return viewRect(view).adjusted(-margin, -margin, margin, margin);
}

// Line widths typed by users: nothing below 0, nothing endless.
double strokeWidth(double w)
{
    if (!(w > 0) || !std::isfinite(w))
        return 0;
    return std::min(w, 1000.0);
}

// Tick lengths count in whole points.
double wholePoints(double length)
{
    return std::isfinite(length) ? std::trunc(length) : 0;
}

bool isXAxis(int axis)
{
    return axis == AxisX1 || axis == AxisX2;
}

int pairOf(int axis)
{
    return axis == AxisX1 || axis == AxisY1 ? 1 : 2;
}

// The tick values of one axis over the range it is drawn for, with the
// (widened) range the ticks were made for. Nothing for an unknown axis mode.
struct Ticks {
    Axis axis;
    double lo = 0, hi = 0;
};

std::optional<Ticks> makeTicks(VexaView& view, int axisIndex, double min, double max)
{
    const VexaDocument& d = *view.PD;
    const int mode = d.axes[axisIndex].axismode;
    if (mode != AxisLinear && mode != AxisLog && mode != AxisTime)
        return std::nullopt;
    view.setDashPattern(0);
    Ticks t;
    // A reversed axis arrives with its larger end first. The widening is
    // meant to take the range's end values in, so it is done on the ordered
    // range; the time ticks want the low end first anyway.
    t.lo = std::min(min, max);
    t.hi = std::max(min, max);
    if (mode != AxisLog) {
        const double d100k = std::fabs(t.hi - t.lo) / 100000;
        t.lo -= d100k;
        t.hi += d100k;
    }
    const int i = axisIndex;
    switch (mode) {
    case AxisLinear:
        t.axis.initWithRange(t.lo, t.hi, d.axes[i].scalstart, d.axes[i].scalend, d.axes[i].scalspace,
                             d.axes[i].scalminticks, d.axes[i].trigger);
        break;
    case AxisLog:
        t.axis.initForLogWithRange(t.lo, t.hi, d.axes[i].scalstart, d.axes[i].scalend, d.axes[i].scalspace,
                                   d.axes[i].scalminticks);
        break;
    default:
        t.axis.initForTimeWithRange(t.lo, t.hi, d.axes[i].scalstart, d.axes[i].scalend, d.axes[i].scalspace,
                                    d.axes[i].scalminticks);
        break;
    }
    return t;
}

// Strokes the lines across the plot area at the given positions of one axis.
void strokeGridLines(VexaView& view, QPainter& painter, int axisIndex, const std::vector<double>& positions,
                     const QColor& color, double width, int pattern)
{
    if (positions.empty())
        return;
    BezierPath& pl = view.pl;
    const double lw = strokeWidth(width);
    const bool dashed = view.dash.count(pattern) > 0;
    pl.removeAllPoints();
    pl.setLineWidth(lw);
    pl.setLineCapStyle(Qt::FlatCap);
    pl.setLineJoinStyle(Qt::MiterJoin);
    pl.setLineDash(view.dash, pattern, 0);
    pl.setPixelAligned(true);
    ClippedPath path(pl, strokeGuard(view, lw, dashed));
    const bool vertical = isXAxis(axisIndex);
    for (double p : positions) {
        if (vertical)
            path.segment({p, view.bottom}, {p, view.top});
        else
            path.segment({view.left, p}, {view.right, p});
        // Each dashed line starts its pattern afresh, as a line of its own.
        if (dashed) {
            pl.stroke(painter, color);
            pl.removeAllPoints();
        }
    }
    if (!dashed)
        pl.stroke(painter, color);
    pl.removeAllPoints();
    pl.setLineDash(view.dash, 0, 0);
    pl.setPixelAligned(false);
}

// Major ticks 0 inside, 1 outside, 2 across the edge; anything else is
// taken as inside.
void tickFactors(int style, double& out, double& in)
{
    out = style == 1 || style == 2 ? 1 : 0;
    in = style == 1 ? 0 : 1;
}

// Date labels of a time axis: a Unicode date pattern, or a calendar format
// when the text holds a "%".
class TimeLabels {
public:
    explicit TimeLabels(const QString& format)
    {
        if (format.contains(QLatin1Char('%')))
            calendar_ = std::make_unique<CalendarFormat>(format);
        else
            pattern_ = std::make_unique<DateFormat>(format);
    }
    QString operator()(double seconds) const
    {
        return calendar_ ? calendar_->format(seconds) : pattern_->format(seconds);
    }

private:
    std::unique_ptr<CalendarFormat> calendar_;
    std::unique_ptr<DateFormat> pattern_;
};

struct TitlePlacement {
    int anchor;
    double angle;
};

// [axis][fliptext * 2 + textoffwindow]
constexpr TitlePlacement titlePlacement[4][4] = {
    {{2, 0}, {6, 0}, {6, 180}, {2, 180}},
    {{6, 90}, {2, 90}, {2, 270}, {6, 270}},
    {{6, 0}, {2, 0}, {2, 180}, {6, 180}},
    {{2, 90}, {6, 90}, {6, 270}, {2, 270}},
};

} // namespace

// --- grids -----------------------------------------------------------------------

void VexaView::drawGrid(QPainter& painter, int axis, double min, double max, bool front)
{
    if (!PD || axis < 0 || axis > 3)
        return;
    const VexaDocument& d = *PD;
    if (!d.axes[axis].grid && !d.axes[axis].mgrid)
        return;
    const std::optional<Ticks> t = makeTicks(*this, axis, min, max);
    if (!t)
        return;
    const AxisMap map = isXAxis(axis) ? xMap(pairOf(axis)) : yMap(pairOf(axis));

    if (d.axes[axis].grid && (d.axes[axis].gridfront != 0) == front) {
        std::vector<double> at;
        at.reserve(t->axis.A.size());
        for (double v : t->axis.A)
            at.push_back(map(v));
        strokeGridLines(*this, painter, axis, at, d.axes[axis].gridcolor, d.axes[axis].gridwidth,
                        d.axes[axis].gridpattern);
    }
    if (d.axes[axis].mgrid && (d.axes[axis].mgridfront != 0) == front) {
        std::vector<double> at;
        at.reserve(t->axis.MA.size());
        for (double v : t->axis.MA)
            if (!(d.axes[axis].smalllog && v < t->axis.lmo))
                at.push_back(map(v));
        strokeGridLines(*this, painter, axis, at, d.axes[axis].mgridcolor, d.axes[axis].mgridwidth,
                        d.axes[axis].mgridpattern);
    }
}

// --- axes ---------------------------------------------------------------------------

QSizeF VexaView::drawAxis(QPainter& painter, int axis, double min, double max)
{
    if (!PD || axis < 0 || axis > 3)
        return QSizeF(0, 0);
    VexaDocument& d = *PD;
    d.alabelindex[axis].clear();
    const std::optional<Ticks> t = makeTicks(*this, axis, min, max);
    if (!t)
        return QSizeF(0, 0);
    const Axis& ticks = t->axis;
    const int mode = d.axes[axis].axismode;
    const int pair = pairOf(axis);
    const bool xAxis = isXAxis(axis);
    const AxisMap map = xAxis ? xMap(pair) : yMap(pair);
    const int framestyle = d.page.framestyle;
    const QSizeF bounds = boundsSize();

    // Zero line.
    if (t->lo < 0 && 0 < t->hi && d.axes[axis].zeroline) {
        const double lw = strokeWidth(d.axes[axis].tickwidth);
        BezierPath line;
        line.setLineWidth(lw);
        line.setPixelAligned(true);
        ClippedPath path(line, strokeGuard(*this, lw, false));
        const double z = map(0);
        if (xAxis)
            path.segment({z, bottom}, {z, top});
        else
            path.segment({left, z}, {right, z});
        line.stroke(painter, d.axes[axis].zerocolor);
    }

    // Only a framed plot area carries ticks on all four sides; the open
    // frame styles keep them to the bottom and left axes.
    const bool carriesTicks = framestyle == 0 || axis == AxisX1 || axis == AxisY1;
    // The axis lines of frame style 1 cross at the data zero.
    const bool throughZero = framestyle == 1 && (axis == AxisX1 || axis == AxisY1);
    const double zeroCross = axis == AxisX1 ? yPoint(0, 1) : xPoint(0, 1);
    const double arrowRoom = 10 * d.page.framewidth;
    auto nearArrow = [&](double p) {
        if ((framestyle != 1 && framestyle != 2) || d.page.arrowtype == 2)
            return false;
        if (axis == AxisX1)
            return p > left + width - arrowRoom || (framestyle == 1 && p < left + arrowRoom);
        if (axis == AxisY1)
            return p > bottom + height - arrowRoom || (framestyle == 1 && p < bottom + arrowRoom);
        return false;
    };

    // Adds the tick of length L at position p (and its twin on the opposite
    // edge) to the path.
    auto addTick = [&](ClippedPath& path, double p, double L, int style, bool both) {
        double out, in;
        tickFactors(style, out, in);
        const double o = out != 0 ? L : 0; // an endless length times 0 is no length
        const double n = in != 0 ? L : 0;
        if (throughZero) {
            if (axis == AxisX1)
                path.segment({p, zeroCross - L}, {p, zeroCross + L});
            else
                path.segment({zeroCross - L, p}, {zeroCross + L, p});
        } else {
            switch (axis) {
            case AxisX1:
                path.segment({p, bottom - o}, {p, bottom + n});
                break;
            case AxisY1:
                path.segment({left - o, p}, {left + n, p});
                break;
            case AxisX2:
                path.segment({p, top + o}, {p, top - n});
                break;
            default:
                path.segment({right + o, p}, {right - n, p});
                break;
            }
        }
        if (!both)
            return;
        switch (axis) {
        case AxisX1:
            path.segment({p, top + o}, {p, top - n});
            break;
        case AxisY1:
            path.segment({right + o, p}, {right - n, p});
            break;
        case AxisX2:
            path.segment({p, bottom - o}, {p, bottom + n});
            break;
        default:
            path.segment({left - o, p}, {left + n, p});
            break;
        }
    };

    auto strokeTicks = [&](const std::vector<double>& values, bool skipBelowLmo, double length, int style,
                           bool both, double strokeW, const QColor& color) {
        const double lw = strokeWidth(strokeW);
        BezierPath line;
        line.setLineWidth(lw);
        line.setPixelAligned(true);
        ClippedPath path(line, strokeGuard(*this, lw, false));
        const double L = wholePoints(length);
        for (double v : values) {
            if (skipBelowLmo && v < ticks.lmo)
                continue;
            const double p = map(v);
            if (nearArrow(p))
                continue;
            addTick(path, p, L, style, both);
        }
        line.stroke(painter, color);
    };

    // Major ticks.
    const double L = wholePoints(d.axes[axis].ticklength);
    if (carriesTicks && d.axes[axis].ticks)
        strokeTicks(ticks.A, false, d.axes[axis].ticklength, d.axes[axis].tickstyle, d.axes[axis].ticksboth,
                    d.axes[axis].tickwidth, d.axes[axis].tickcolor);

    // Numbers at the major ticks.
    double W = 0, H = 0;
    if (carriesTicks && d.axes[axis].numbers) {
        const double off = d.axes[axis].numoff;
        const int anchor = d.axes[axis].align;
        const double turn = d.axes[axis].angle;
        const QFont& font = d.axes[axis].numfont;
        const QColor& colour = d.axes[axis].axistextcolor;
        const QHash<QString, QString>& labels = d.axes[axis].alabel;
        QStringList& keys = d.alabelindex[axis];
        const int decimals = d.axes[axis].dpauto ? -1 : d.axes[axis].dp;
        const QString& scaleText = d.axes[axis].scaleexpr;
        Expression scale;
        scale.setNoError();

        std::optional<TimeLabels> dates;
        if (mode == AxisTime) {
            QString format
                = d.axes[axis].axistimeformat.isEmpty() ? ticks.format : d.axes[axis].axistimeformat;
            // Typed formats spell a line break as backslash-n.
            format.replace(QLatin1String("\\n"), QLatin1String("\n"));
            dates.emplace(format);
        }

        for (double v : ticks.A) {
            const double p = map(v);
            if (nearArrow(p))
                continue;
            QPointF at;
            if (throughZero) {
                at = axis == AxisX1 ? QPointF(p, zeroCross - L - off) : QPointF(zeroCross - L - off - 3, p);
            } else {
                switch (axis) {
                case AxisX1:
                    at = QPointF(p, bottom - off);
                    break;
                case AxisY1:
                    at = QPointF(left - off - 3, p);
                    break;
                case AxisX2:
                    at = QPointF(p, top + off);
                    break;
                default:
                    at = QPointF(right + off + 3, p);
                    break;
                }
            }

            QSizeF size;
            if (dates) {
                const QString text = (*dates)(v);
                keys.append(text);
                const auto label = labels.constFind(text);
                size = drawText(painter, label != labels.cend() ? *label : text, at.x(), at.y(), anchor, turn,
                                font, colour);
            } else {
                // The axis lines of frame style 1 meet at 0: no number there.
                if (framestyle == 1 && v == 0)
                    continue;
                double s = d.axes[axis].smalllog && v == ticks.lmo ? 0 : v;
                if (!scaleText.isEmpty()) {
                    M->setVar(QStringLiteral("v"), s);
                    // "v" first: with a full variable table the controller's
                    // other variables must not crowd it out.
                    scale.setVar("v", s);
                    scale.setVars(M->GV);
                    if (scale.parse(scaleText))
                        s = scale.resultValue();
                }
                const QString key = QString::fromStdString(CNumber::format("%g", s));
                keys.append(key);
                const auto label = labels.constFind(key);
                if (label != labels.cend())
                    size = drawText(painter, *label, at.x(), at.y(), anchor, turn, font, colour);
                else
                    size = drawNumber(painter, s, at.x(), at.y(), anchor, turn, font, colour,
                                      d.axes[axis].expoff, decimals);
            }
            W = std::max(W, size.width());
            H = std::max(H, size.height());
        }
    }

    // Minor ticks: only the inside, outside and across styles exist for them.
    if (carriesTicks && d.axes[axis].mticks) {
        const int style
            = d.axes[axis].tickstyle == 1 || d.axes[axis].tickstyle == 2 ? d.axes[axis].tickstyle : 0;
        strokeTicks(ticks.MA, d.axes[axis].smalllog != 0, d.axes[axis].mticklength, style,
                    d.axes[axis].mticksboth, d.axes[axis].mtickwidth, d.axes[axis].mtickcolor);
    }

    // Title.
    if (d.axes[axis].text) {
        const bool fromWindow = d.axes[axis].textoffwindow != 0;
        const TitlePlacement tp
            = titlePlacement[axis][(d.axes[axis].fliptext ? 2 : 0) + (fromWindow ? 1 : 0)];
        const double off = d.axes[axis].textoff;
        QPointF at;
        switch (axis) {
        case AxisX1:
            at = fromWindow ? QPointF(left + width / 2, off) : QPointF(left + width / 2, bottom - H - off);
            break;
        case AxisY1:
            at = fromWindow ? QPointF(off, bottom + height / 2)
                            : QPointF(left - W - off - 5, bottom + height / 2);
            break;
        case AxisX2:
            at = fromWindow ? QPointF(left + width / 2, bounds.height() - off)
                            : QPointF(left + width / 2, top + off + H);
            break;
        default:
            at = fromWindow ? QPointF(bounds.width() - off, bottom + height / 2)
                            : QPointF(right + off + W + 5, bottom + height / 2);
            break;
        }
        drawText(painter, d.axes[axis].axistext, at.x(), at.y(), tp.anchor, tp.angle, d.axes[axis].textfont,
                 d.axes[axis].axistextcolor);
    }
    return QSizeF(W, H);
}

// --- text output ------------------------------------------------------------------------

QSizeF VexaView::textOut(QPainter& painter, const StyledText& text, double x, double y, int anchor,
                         double angle)
{
    const QRectF reach = viewRect(*this).adjusted(-textReach, -textReach, textReach, textReach);
    if (!(std::isfinite(x) && std::isfinite(y) && reach.contains(x, y)))
        return text.size();
    return TextDrawing::textOut(painter, text, QPointF(x, y), anchor, angle);
}

QSizeF VexaView::drawText(QPainter& painter, const QString& text, double x, double y, int anchor,
                          double angle, const QFont& font, const QColor& color)
{
    return textOut(painter, StyledText(text, font, color), x, y, anchor, angle);
}

QSizeF VexaView::drawNumber(QPainter& painter, double value, double x, double y, int anchor, double angle,
                            const QFont& font, const QColor& color, int exponentLimit, int decimals)
{
    const QString t = formatNumber(exponentLimit, decimals, value);
    const qsizetype e = t.indexOf(QLatin1Char('e'));
    const QString mantissa = e < 0 ? t : t.left(e);
    const QString exponent = e < 0 ? QString() : t.mid(e + 1);
    return textOut(painter, TextDrawing::exponentNumber(mantissa, exponent, font, color), x, y, anchor,
                   angle);
}

QSizeF VexaView::textSize(const QString& text, const QFont& font)
{
    return TextDrawing::textSize(text, font);
}

// --- cross hair ------------------------------------------------------------------------------

void VexaView::crossHair(QPointF p)
{
    if (!PD)
        return;
    const double x = p.x() - 15;
    const double y = p.y() + 15;
    pb.setLineWidth(1);
    const QSizeF b = boundsSize();
    const double l = PD->page.marginleft, r = b.width() - PD->page.marginright;
    const double lo = PD->page.marginbottom, hi = b.height() - PD->page.margintop;
    // A line far outside the view shows nothing; it is not added at all.
    const QRectF reach = viewRect(*this).adjusted(-textReach, -textReach, textReach, textReach);
    const bool xNear = std::isfinite(x) && x >= reach.left() && x <= reach.right();
    const bool yNear = std::isfinite(y) && y >= reach.top() && y <= reach.bottom();
    if (l <= x && x <= r && lo <= y && y <= hi) {
        pb.moveTo(x, PD->page.marginbottom);
        pb.lineTo(x, PD->page.marginbottom + height);
        pb.moveTo(PD->page.marginleft, y);
        pb.lineTo(PD->page.marginleft + width, y);
        return;
    }
    if (xNear) {
        pb.moveTo(x, 0);
        pb.lineTo(x, b.height());
    }
    if (yNear) {
        pb.moveTo(0, y);
        pb.lineTo(b.width(), y);
    }
}
