// The mouse gesture of the graph: press, drags, release, each handing the
// event to the blocks of the tool selected in the controller's palette, in a
// fixed order. This file holds the gesture itself and the tools that change
// how the data are viewed (pan, zoom, click zoom, measure, sub-views, the
// legend); the tools that edit the document are in VexaViewEditingTools.cpp.
//
// Rubber bands go into `pb` with `redraw` off: the pass then shows the
// window image cached at the press and draws only the band over it. Drags
// that change the document turn `redraw` on, so the pass draws everything.

#include "view/VexaView.h"

#include "model/DocumentWindow.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"

#include <cmath>

namespace {

// A range about a centre value, `factor` times the extent of [min, max];
// the signed half-width keeps a reversed range reversed. On a logarithmic
// axis the same in decades, so the range stays above zero.
void zoomAbout(bool log, double centre, double& min, double& max, double factor)
{
    if (log) {
        if (!(centre > 0 && min > 0 && max > 0)) {
            min = max = NAN; // refused by scale()
            return;
        }
        const double c = std::log10(centre);
        const double h = (std::log10(max) - std::log10(min)) * factor * 0.5;
        min = std::pow(10.0, c - h);
        max = std::pow(10.0, c + h);
        return;
    }
    const double h = (max - min) * factor * 0.5;
    min = centre - h;
    max = centre + h;
}

// A pan by the pointer's way from a to b in values: added on a linear or
// time axis; on a logarithmic one a factor, so the range keeps its decades
// and stays above zero.
void pan(bool log, double a, double b, double& min, double& max)
{
    if (log) {
        const double f = a / b;
        if (!(f > 0) || !std::isfinite(f)) {
            min = max = NAN;
            return;
        }
        min *= f;
        max *= f;
        return;
    }
    min += a - b;
    max += a - b;
}

} // namespace

bool VexaView::hits(QPointF p, QPointF target, double radius)
{
    const double dx = std::fabs(std::trunc(p.x() - target.x()));
    const double dy = std::fabs(std::trunc(p.y() - target.y()));
    return std::sqrt(dx * dx + dy * dy) < radius;
}

VexaDocument* VexaView::mainDocument() const
{
    return PD ? (PD->MPD ? PD->MPD : PD) : nullptr;
}

std::vector<int> VexaView::toolPairs() const
{
    switch (M->axis12()) {
    case Pair1:
        return {Pair1};
    case Pair2:
        return {Pair2};
    case PairBoth:
        return {Pair1, Pair2};
    default:
        return {};
    }
}

void VexaView::appendBand(QPointF a, QPointF b)
{
    pb.setLineWidth(1);
    pb.moveTo(a);
    pb.lineTo(QPointF(a.x(), b.y()));
    pb.lineTo(b);
    pb.lineTo(QPointF(b.x(), a.y()));
    pb.closePath();
}

// --- the gesture ------------------------------------------------------------------------

void VexaView::mouseDown(const MouseEvent& event)
{
    if (!PD)
        return;
    const QPointF p = event.location;
    resize();
    aloc = bloc = lloc = p;
    svr = frame();
    sva = event.windowLocation;
    gesture_ = Gesture::Pressed;
    cacheWindowImage();
    M->printmode = 0;
    // A press in a sub-view makes its document current before any tool acts.
    if (M->PD != PD) {
        M->setCurrentDoc(PD, mainDocument());
        M->update();
    }

    const Tool tool = M->mouseTool();
    if (tool == Tool::ChSubview)
        pressChangeSubview();
    if (tool == Tool::Select || tool == Tool::MovePoint)
        pressSelect(p, tool == Tool::Select);
    if (tool == Tool::Measure)
        crossHair(p);
    if (tool == Tool::BgSub)
        pressBackground();
    if (tool == Tool::Graphic || tool == Tool::Select)
        pressGraphic(p);
    if (tool == Tool::Text)
        pressText(p);
    if (tool == Tool::Range)
        pressRange();

    redraw = 1;
    if (VexaDocument* main = mainDocument())
        main->replot();
}

void VexaView::mouseDragged(const MouseEvent& event)
{
    if (gesture_ != Gesture::Pressed || !PD)
        return;
    bloc = event.location;

    const Tool tool = M->mouseTool();
    if (tool == Tool::BgSub)
        dragBackground();
    if (tool == Tool::Graphic || tool == Tool::Select)
        dragGraphic();
    if (tool == Tool::Select || tool == Tool::MovePoint)
        dragSelect(tool == Tool::MovePoint);
    if (tool == Tool::Measure) {
        crossHair(bloc);
        if (haveoloc)
            M->showValuesMeasure(bloc, oloc);
        else
            M->showValuesMeasure(bloc);
        PD->showValuesMeasure(bloc);
        redraw = 0;
    }
    if (tool == Tool::Zoom) {
        appendBand(aloc, bloc);
        M->showValues(bloc, aloc);
        PD->showValues(bloc);
        redraw = 0;
    }
    if (tool == Tool::MoveX || tool == Tool::MoveY || tool == Tool::MoveXY)
        dragMoveBuffers(tool);
    if (tool == Tool::NormX)
        dragReference(true);
    if (tool == Tool::NormY)
        dragReference(false);
    if (tool == Tool::Legend) {
        using Redraw = VexaDocument::Redraw;
        PD->setLegend(&LegendSettings::legendx, PD->legend.legendx + bloc.x() - lloc.x(), Redraw::Later);
        PD->setLegend(&LegendSettings::legendy, PD->legend.legendy + bloc.y() - lloc.y(), Redraw::Later);
        redraw = 1;
    }
    if (tool == Tool::Subview)
        dragSubviewTool();
    if (tool == Tool::ChSubview)
        dragChangeSubview(event);
    if (tool == Tool::Range)
        dragRange();

    lloc = bloc;
    if (VexaDocument* main = mainDocument())
        main->replot();
}

void VexaView::mouseUp(const MouseEvent& event)
{
    if (gesture_ != Gesture::Pressed)
        return;
    gesture_ = Gesture::Idle;
    if (!PD)
        return;
    const QPointF p = event.location;
    // The band goes with the cached image; the next pass draws everything.
    redraw = 1;
    VexaDocument* main = mainDocument();

    const Tool tool = M->mouseTool();
    if (tool == Tool::Measure) {
        oloc = p;
        haveoloc = 1;
    }
    if (tool == Tool::Subview)
        releaseSubviewTool();
    if (tool == Tool::ChSubview)
        main->replot();
    if (tool == Tool::BgSub)
        releaseBackground();
    if (tool == Tool::Graphic)
        releaseGraphic();
    if (tool == Tool::Text)
        main->replot();
    if (tool == Tool::Zoom)
        releaseZoom();
    if (tool == Tool::Upscale)
        releaseClickZoom(p, 1.3);
    if (tool == Tool::Downscale)
        releaseClickZoom(p, 0.7);
    if (tool == Tool::MoveX || tool == Tool::MoveY || tool == Tool::MoveXY)
        releaseMoveBuffers(tool);
    if (tool == Tool::NormX)
        releaseReference(p, true);
    if (tool == Tool::NormY)
        releaseReference(p, false);
    if (tool == Tool::Legend)
        main->replot();
    if (tool == Tool::Range) {
        dragRange();
        main->replot();
    }
    // The measure origin, or whatever the release left, shows at the next
    // turn of the event loop.
    if (VexaDocument* d = mainDocument(); d && d->PV)
        d->PV->setNeedsDisplay();
}

// --- range: pan --------------------------------------------------------------------------

void VexaView::pressRange()
{
    VexaDocument& d = *PD;
    mvxmin1 = d.xmin1;
    mvxmax1 = d.xmax1;
    mvymin1 = d.ymin1;
    mvymax1 = d.ymax1;
    mvxmin2 = d.xmin2;
    mvxmax2 = d.xmax2;
    mvymin2 = d.ymin2;
    mvymax2 = d.ymax2;
    // Both pairs go back to the press whatever the choice: the gesture is
    // one undo step, and the drags register none.
    UndoManager& um = d.undoManager();
    um.beginUndoGrouping();
    d.scale(Pair1, d.xmin1, d.xmax1, d.ymin1, d.ymax1, true, false);
    d.scale(Pair2, d.xmin2, d.xmax2, d.ymin2, d.ymax2, true, false);
    um.endUndoGrouping();
    d.replot();
}

void VexaView::dragRange()
{
    VexaDocument& d = *PD;
    for (int pair : toolPairs()) {
        const bool one = pair == Pair1;
        double x0 = one ? mvxmin1 : mvxmin2, x1 = one ? mvxmax1 : mvxmax2;
        double y0 = one ? mvymin1 : mvymin2, y1 = one ? mvymax1 : mvymax2;
        const bool xlog = d.axes[one ? AxisX1 : AxisX2].axismode == AxisLog;
        const bool ylog = d.axes[one ? AxisY1 : AxisY2].axismode == AxisLog;
        pan(xlog, xValue(aloc.x(), pair), xValue(bloc.x(), pair), x0, x1);
        pan(ylog, yValue(aloc.y(), pair), yValue(bloc.y(), pair), y0, y1);
        d.scale(pair, x0, x1, y0, y1, false, gesture_ == Gesture::Pressed);
    }
    redraw = 1;
}

// --- zoom ----------------------------------------------------------------------------------

void VexaView::releaseZoom()
{
    if (aloc.x() == bloc.x() || aloc.y() == bloc.y())
        return;
    VexaDocument& d = *PD;
    const double l = std::min(aloc.x(), bloc.x()), r = std::max(aloc.x(), bloc.x());
    const double b = std::min(aloc.y(), bloc.y()), t = std::max(aloc.y(), bloc.y());
    UndoManager& um = d.undoManager();
    um.beginUndoGrouping();
    for (int pair : toolPairs())
        d.scale(pair, xValue(l, pair), xValue(r, pair), yValue(b, pair), yValue(t, pair), true, false);
    um.endUndoGrouping();
    mainDocument()->replot();
}

void VexaView::releaseClickZoom(QPointF p, double factor)
{
    VexaDocument& d = *PD;
    UndoManager& um = d.undoManager();
    um.beginUndoGrouping();
    for (int pair : toolPairs()) {
        const bool one = pair == Pair1;
        double x0 = one ? d.xmin1 : d.xmin2, x1 = one ? d.xmax1 : d.xmax2;
        double y0 = one ? d.ymin1 : d.ymin2, y1 = one ? d.ymax1 : d.ymax2;
        zoomAbout(d.axes[one ? AxisX1 : AxisX2].axismode == AxisLog, xValue(p.x(), pair), x0, x1, factor);
        zoomAbout(d.axes[one ? AxisY1 : AxisY2].axismode == AxisLog, yValue(p.y(), pair), y0, y1, factor);
        d.scale(pair, x0, x1, y0, y1, true, true);
    }
    um.endUndoGrouping();
}

// --- sub-views ----------------------------------------------------------------------------------

namespace {

// The smallest sub-view: anything smaller could not be seen, grabbed or
// saved.
constexpr double minSubview = 20;

} // namespace

void VexaView::dragSubviewTool()
{
    if (PD->subview)
        return;
    appendBand(aloc, bloc);
    redraw = 0;
}

void VexaView::releaseSubviewTool()
{
    VexaDocument* main = mainDocument();
    const double w = std::fabs(aloc.x() - bloc.x()), h = std::fabs(aloc.y() - bloc.y());
    if (!PD->subview && w > 5 && h > 5 && PD->W) {
        const QRectF f(std::min(aloc.x(), bloc.x()), std::min(aloc.y(), bloc.y()), std::max(w, minSubview),
                       std::max(h, minSubview));
        auto sub = std::make_unique<VexaDocument>(PD->M, PD->defaults);
        auto view = std::make_unique<VexaView>(f.size(), M);
        view->setFrame(f);
        view->setVexaDocument(sub.get());
        sub->PV = view.get();
        sub->W = PD->W;
        sub->subview = 1;
        sub->MPD = PD;
        VexaDocument* made = sub.get();
        PD->SPD.push_back(std::move(sub));
        PD->W->adoptSubviewView(std::move(view));
        M->setCurrentDoc(made, PD);
    }
    main->replot();
}

void VexaView::pressChangeSubview()
{
    movesubview = 0;
    const double W = boundsSize().width(), H = boundsSize().height();
    const QPointF corners[4] = {{3, 3}, {W - 3, 3}, {W - 3, H - 3}, {3, H - 3}};
    for (int i = 0; i < 4; ++i)
        if (hits(aloc, corners[i], 10))
            movesubview = i + 1;
}

void VexaView::dragChangeSubview(const MouseEvent& event)
{
    if (!PD->subview)
        return;
    svb = event.windowLocation;
    const double dx = svb.x() - sva.x(), dy = svb.y() - sva.y();
    const double x = svr.x(), y = svr.y(), w = svr.width(), h = svr.height();
    // The corner grabbed follows the pointer; the opposite one stays, and
    // the sub-view keeps its smallest size.
    auto fromLeft = [&](double d) { return std::min(d, w - minSubview); };
    auto fromBottom = [&](double d) { return std::min(d, h - minSubview); };
    auto grow = [](double side, double d) { return std::max(side + d, minSubview); };
    QRectF f = svr;
    switch (movesubview) {
    case 1:
        f = QRectF(x + fromLeft(dx), y + fromBottom(dy), w - fromLeft(dx), h - fromBottom(dy));
        break;
    case 2:
        f = QRectF(x, y + fromBottom(dy), grow(w, dx), h - fromBottom(dy));
        break;
    case 3:
        f = QRectF(x, y, grow(w, dx), grow(h, dy));
        break;
    case 4:
        f = QRectF(x + fromLeft(dx), y, w - fromLeft(dx), grow(h, dy));
        break;
    default:
        f = QRectF(x + dx, y + dy, w, h);
        break;
    }
    if (std::isfinite(f.x()) && std::isfinite(f.y()) && std::isfinite(f.width()) && std::isfinite(f.height()))
        setFrame(f);
    redraw = 1;
}
