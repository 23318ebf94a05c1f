// The legend: one entry per shown buffer that takes part, each a small
// sample of the buffer's style followed by its comment, stacked downwards or
// laid out in one row, optionally on a filled box.

#include "view/VexaView.h"

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "view/ClippedPath.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The legend may be dragged anywhere; what lies far beyond the view is cut
// off before it reaches the painter.
QRectF legendGuard(const VexaView& view, double lineWidth)
{
    const double lw = std::isfinite(lineWidth) ? std::min(std::fabs(lineWidth), 1e6) : 0;
    const double margin = 10000.0 + lw; // dashed samples restart their pattern only out there
    return QRectF(QPointF(0, 0), view.boundsSize()).adjusted(-margin, -margin, margin, margin);
}

void rectangle(ClippedPath& path, double x0, double y0, double x1, double y1)
{
    const QPointF corners[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    path.polygon(corners, 4);
}

// Width of a sample's stroke: nothing below 0, nothing endless.
double sampleWidth(double w)
{
    if (!(w > 0) || !std::isfinite(w))
        return 0;
    return std::min(w, 1000.0);
}

} // namespace

void VexaView::plotLegend(QPainter& painter)
{
    if (!PD)
        return;
    const VexaDocument& d = *PD;

    std::vector<const DataBuffer*> entries;
    for (const auto& b : d.DB)
        if (b && b->show && b->plotlegend)
            entries.push_back(b.get());

    // The comments are measured in the font they are drawn in.
    const double n = double(entries.size());
    double sumW = 0, maxW = 0;
    for (const DataBuffer* b : entries) {
        const double w = textSize(b->comment, d.legend.legendfont).width();
        sumW += w;
        maxW = std::max(maxW, w);
    }
    const double s = d.legend.legendspace;
    const double L = d.legend.legendwidth;
    const bool row = d.legend.legendhorizontal != 0;
    const double W = row ? n * (s + L) + sumW : L + 10 + maxW;
    const double H = row ? 0 : (n - 1) * s;

    double X = d.legend.legendx, Y = d.legend.legendy;
    switch (d.legend.legendalign) {
    case 1:
        X -= W / 2;
        break;
    case 2:
        X -= W;
        break;
    case 3:
        Y += H / 2;
        break;
    case 4:
        X -= W / 2;
        Y += H / 2;
        break;
    case 5:
        X -= W;
        Y += H / 2;
        break;
    case 6:
        Y += H;
        break;
    case 7:
        X -= W / 2;
        Y += H;
        break;
    case 8:
        X -= W;
        Y += H;
        break;
    default:
        break;
    }

    PaintScope scope(*this, painter);

    if (d.legend.legendbg) {
        BezierPath box;
        box.setLineWidth(0);
        ClippedPath path(box, legendGuard(*this, 0));
        if (row)
            rectangle(path, X - 5, Y - s / 2 - 3, X - 5 + sumW + n * (L + s) + 10, Y - s / 2 - 3 + s + 6);
        else
            rectangle(path, X - 5, Y - n * s + s / 2 - 3, X - 5 + maxW + L + 20,
                      Y - n * s + s / 2 - 3 + n * s + 6);
        box.fill(painter, d.legend.legendbgcolor);
    }

    for (const DataBuffer* b : entries) {
        const double cx = X + L / 2;
        const double lw = sampleWidth(b->style.linewidth);

        pl.removeAllPoints();
        pl.setLineWidth(lw);
        pl.setLineCapStyle(Qt::RoundCap);
        pl.setLineJoinStyle(Qt::RoundJoin);
        setDashPattern(DashPattern::widthFor(b->style.dashwidth));
        pl.setLineDash(dash, b->style.dash, 0);

        // The samples are rules like the frame: crisp on a picture of pixels.
        pl.setPixelAligned(true);
        if (b->style.plotlines || b->style.plothist) {
            ClippedPath path(pl, legendGuard(*this, lw));
            path.segment({X, Y}, {X + L, Y});
            pl.stroke(painter, b->style.color);
            pl.removeAllPoints();
        }
        pl.setPixelAligned(false);

        if (b->style.plotybars || b->style.plotxbars || b->style.plotfhist || b->style.plotarea) {
            const double half = b->style.symbolsize / 2;
            pl.setLineWidth(0);
            {
                ClippedPath path(pl, legendGuard(*this, lw));
                rectangle(path, cx - half, Y - 5, cx + half, Y + 5);
            }
            const QColor& inside
                = b->style.plotybars || b->style.plotxbars ? b->style.color : b->style.fillcolor;
            pl.fill(painter, inside);
            pl.stroke(painter, inside);
            if (b->style.linewidth > 0 && !b->style.plotfhist && !b->style.plotarea) {
                pl.setLineWidth(lw);
                pl.stroke(painter, b->style.barcolor);
            }
            pl.removeAllPoints();
        }

        if (b->style.plotysticks || b->style.plotxsticks) {
            pl.setLineCapStyle(Qt::RoundCap);
            pl.setLineJoinStyle(Qt::RoundJoin);
            pl.setLineWidth(lw);
            pl.setPixelAligned(true);
            ClippedPath path(pl, legendGuard(*this, lw));
            if (b->style.plotysticks)
                path.segment({cx, Y - 5}, {cx, Y + 5});
            if (b->style.plotxsticks)
                path.segment({cx - 5, Y}, {cx + 5, Y});
            pl.stroke(painter, b->style.stickcolor);
            pl.removeAllPoints();
        }
        pl.setPixelAligned(false);

        if (b->style.plotsymbols)
            plotSymbol(b, cx, Y, 0, false);

        if (b->style.plotdots) {
            pl.setLineCapStyle(Qt::FlatCap);
            pl.setLineJoinStyle(Qt::MiterJoin);
            pl.setLineWidth(0);
            {
                ClippedPath path(pl, legendGuard(*this, 0));
                path.circle({cx, Y}, lw / 2);
            }
            pl.fill(painter, b->style.color);
            pl.stroke(painter, b->style.color);
            pl.removeAllPoints();
        }

        const double t
            = drawText(painter, b->comment, X + L + 10, Y, 8, 0, d.legend.legendfont, d.legend.legendcolor)
                  .width();

        if (row)
            X += t + s + L;
        else
            Y -= s;
    }
}
