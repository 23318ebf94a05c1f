#include "view/VexaView.h"

#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "view/Graphic.h"

#include <QPainter>

#include <cmath>
#include <limits>

VexaView::VexaView(QSizeF frameSize, ManagerServices* services)
        : M(services ? services : &ManagerServices::sharedOrIdle())
        , bounds_(frameSize)
{
    visible_ = QRectF(QPointF(0, 0), bounds_);
    setDashPattern(0);
}

VexaView::~VexaView() = default;

void VexaView::setFrameSize(QSizeF size)
{
    bounds_ = size;
}

void VexaView::setVexaDocument(VexaDocument* document)
{
    PD = document;
    // A legend never placed goes to the top left corner of this plot area;
    // whoever binds the view draws it.
    if (PD && PD->legend.legendx == -1 && PD->legend.legendy == -1) {
        using Redraw = VexaDocument::Redraw;
        PD->setLegend(&LegendSettings::legendx, PD->page.marginleft + 20, Redraw::Later);
        PD->setLegend(&LegendSettings::legendy, bounds_.height() - PD->page.margintop - 20, Redraw::Later);
    }
}

void VexaView::resize()
{
    if (!PD)
        return;
    const double W = bounds_.width();
    const double H = bounds_.height();
    left = PD->page.marginleft;
    bottom = PD->page.marginbottom;
    right = W - PD->page.marginright;
    top = H - PD->page.margintop;
    width = W - PD->page.marginright - PD->page.marginleft;
    height = H - PD->page.margintop - PD->page.marginbottom;
}

void VexaView::setDashPattern(int w)
{
    dash.setWidth(w);
}

// --- value <-> view point ------------------------------------------------------

namespace {

VexaView::AxisMap axisMap(const VexaDocument* doc, double origin, double extent, bool xAxis, int pair,
                          const DataBuffer* buffer)
{
    VexaView::AxisMap m;
    if (!doc)
        return m;
    m.bound = true;
    m.origin = origin;
    m.extent = extent;
    if (buffer && (xAxis ? buffer->style.freex : buffer->style.freey)) {
        // A free range is always linear, whatever the axis.
        m.min = xAxis ? buffer->style.fxmin : buffer->style.fymin;
        m.max = xAxis ? buffer->style.fxmax : buffer->style.fymax;
        return m;
    }
    const bool one = pair == 1;
    if (xAxis) {
        m.min = one ? doc->xmin1 : doc->xmin2;
        m.max = one ? doc->xmax1 : doc->xmax2;
    } else {
        m.min = one ? doc->ymin1 : doc->ymin2;
        m.max = one ? doc->ymax1 : doc->ymax2;
    }
    const int axis = xAxis ? (one ? AxisX1 : AxisX2) : (one ? AxisY1 : AxisY2);
    if (doc->axes[axis].axismode == AxisLog) {
        m.log = true;
        m.logUsable = m.min > 0 && m.max > 0;
        if (m.logUsable) {
            m.logMin = std::log10(m.min);
            m.logSpan = std::log10(m.max) - m.logMin;
        }
    }
    return m;
}

} // namespace

VexaView::AxisMap VexaView::xMap(int pair, const DataBuffer* buffer) const
{
    return axisMap(PD, PD ? PD->page.marginleft : 0, width, true, pair, buffer);
}

VexaView::AxisMap VexaView::yMap(int pair, const DataBuffer* buffer) const
{
    return axisMap(PD, PD ? PD->page.marginbottom : 0, height, false, pair, buffer);
}

double VexaView::xValue(double coordinate, int pair) const
{
    if (!PD)
        return 0;
    const bool one = pair == 1;
    const double min = one ? PD->xmin1 : PD->xmin2;
    const double max = one ? PD->xmax1 : PD->xmax2;
    const double v = coordinate - PD->page.marginleft;
    if (PD->axes[one ? AxisX1 : AxisX2].axismode == AxisLog) {
        if (coordinate <= 0 || max <= 0 || min <= 0)
            return 0;
        const double lmin = std::log10(min);
        return std::pow(10.0, v * ((std::log10(max) - lmin) / width) + lmin);
    }
    return v * ((max - min) / width) + min;
}

double VexaView::yValue(double coordinate, int pair) const
{
    if (!PD)
        return 0;
    const bool one = pair == 1;
    const double min = one ? PD->ymin1 : PD->ymin2;
    const double max = one ? PD->ymax1 : PD->ymax2;
    const double v = coordinate - PD->page.marginbottom;
    if (PD->axes[one ? AxisY1 : AxisY2].axismode == AxisLog) {
        if (coordinate <= 0 || max <= 0 || min <= 0)
            return 0;
        const double lmin = std::log10(min);
        return std::pow(10.0, v * ((std::log10(max) - lmin) / height) + lmin);
    }
    return v * ((max - min) / height) + min;
}

// --- the model's view ------------------------------------------------------------

void VexaView::displayNow()
{
    if (display_)
        display_();
}

// --- drawing -----------------------------------------------------------------------

void VexaView::flipToViewPoints(QPainter& painter, double viewHeight)
{
    painter.translate(0, viewHeight);
    painter.scale(1, -1);
}

VexaView::PaintScope::PaintScope(VexaView& view, QPainter& painter, const QRectF& visible)
        : view_(view)
        , previous_(view.gc_)
        , previousVisible_(view.visible_)
{
    view.gc_ = &painter;
    view.visible_ = visible;
}

VexaView::PaintScope::PaintScope(VexaView& view, QPainter& painter)
        : PaintScope(view, painter, QRectF(QPointF(0, 0), view.bounds_))
{
}

VexaView::PaintScope::~PaintScope()
{
    view_.gc_ = previous_;
    view_.visible_ = previousVisible_;
}

QRectF VexaView::guard(double lineWidth, bool dashed) const
{
    // Undashed strokes are cut just outside what is visible, so nothing
    // invisible is rasterised. A dashed one is cut far out: its pattern
    // restarts where it is cut, which must not show.
    const double lw = std::isfinite(lineWidth) ? std::fabs(lineWidth) : 0;
    const double margin = (dashed ? 10000.0 : 4.0) + std::min(lw, 1e6);
    return visible_.adjusted(-margin, -margin, margin, margin);
}

bool VexaView::logInvalid(const DataBuffer& buffer, double x, double y) const
{
    // Only pairs 1 and 2 count here; another pair number makes no axis
    // logarithmic for this test.
    const int xa = buffer.belongx == 1 ? AxisX1 : buffer.belongx == 2 ? AxisX2 : -1;
    const int ya = buffer.belongy == 1 ? AxisY1 : buffer.belongy == 2 ? AxisY2 : -1;
    if (xa >= 0 && x <= 0 && PD->axes[xa].axismode == AxisLog)
        return true;
    if (ya >= 0 && y <= 0 && PD->axes[ya].axismode == AxisLog)
        return true;
    return false;
}

void VexaView::setLineDash(BezierPath& path, const DataBuffer& buffer)
{
    setDashPattern(DashPattern::widthFor(buffer.style.dashwidth));
    path.setLineDash(dash, buffer.style.dash, 0);
}

void VexaView::drawBuffersBehind(QPainter& painter)
{
    if (!PD || PD->DB.empty())
        return;
    const QRectF plot = plotRect();
    if (!(plot.width() > 0 && plot.height() > 0))
        return;
    painter.save();
    painter.setClipRect(plot, Qt::IntersectClip);
    {
        PaintScope scope(*this, painter, plot);
        for (const auto& b : PD->DB) {
            if (!b || !b->show)
                continue;
            if (b->style.plotarea)
                plotArea(*b);
            if (b->style.plotfhist)
                plotFilledHistogram(*b);
        }
    }
    painter.restore();
}

void VexaView::drawBuffersFront(QPainter& painter)
{
    if (!PD || PD->DB.empty())
        return;
    const QRectF plot = plotRect();
    if (!(plot.width() > 0 && plot.height() > 0))
        return;
    // Many points in all: undashed lines go segment by segment.
    long long total = 0;
    for (const auto& b : PD->DB)
        if (b && b->show)
            total += b->nop();

    painter.save();
    painter.setClipRect(plot, Qt::IntersectClip);
    {
        PaintScope scope(*this, painter, plot);
        for (std::size_t bn = 0; bn < PD->DB.size(); ++bn) {
            const DataBuffer* b = PD->DB[bn].get();
            if (!b || !b->show)
                continue;
            if (b->style.plotlines)
                plotLine(*b, b->style.dash != 0 || total < 2000 || PD->page.forcerenderhigh);
            if (b->style.plothist)
                plotHistogram(*b);
            if (b->style.plotsymbols || b->style.plotybars || b->style.plotxsticks || b->style.plotysticks
                || b->style.plotxbars || b->style.plotdots || b->errorbars.errorbarx > 0
                || b->errorbars.errorbary > 0)
                plotMarks(*b, int(bn));
        }
    }
    painter.restore();
}
