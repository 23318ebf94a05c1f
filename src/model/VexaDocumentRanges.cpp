// Axis ranges of a document: the guarded setter, auto-scaling and zoom.

#include "model/VexaDocument.h"

#include "model/DocumentView.h"
#include "model/ManagerServices.h"

#include <cmath>

namespace {

struct Extent {
    double lo = 0, hi = 1;
    bool seen = false;
    void merge(double mn, double mx)
    {
        if (!seen) {
            lo = mn;
            hi = mx;
            seen = true;
            return;
        }
        if (mn < lo)
            lo = mn;
        if (mx > hi)
            hi = mx;
    }
    void openUpIfEmpty()
    {
        if (lo == hi) {
            lo *= 0.9;
            hi *= 1.1;
        }
    }
    // Headroom: a factor of two on log axes, 20 points' worth of data on
    // each side otherwise (time axes included).
    void addHeadroom(int mode, double size)
    {
        if (mode == AxisLog) {
            lo *= 0.5;
            hi *= 2;
        } else {
            const double d = (hi - lo) / (size / 20);
            lo -= d;
            hi += d;
        }
    }
};

struct Range {
    double lo, hi;
};

// A zoom step of one axis: widening (up) or narrowing.
Range zoomed(int mode, double mn, double mx, double f, bool up)
{
    if (mode == AxisLog)
        return up ? Range{(1 / f) * mn, mx * f} : Range{mn / (1 / f), mx / f};
    const double d = (mx - mn) / f;
    return up ? Range{mn - d, mx + d} : Range{mn + d, mx - d};
}

} // namespace

UndoManager& VexaDocument::undoManager()
{
    if (subview && MPD && MPD != this)
        return MPD->undoManager();
    return undo_;
}

std::pair<double*, double*> VexaDocument::rangeOf(int axis)
{
    switch (axis) {
    case AxisX1:
        return {&xmin1, &xmax1};
    case AxisY1:
        return {&ymin1, &ymax1};
    case AxisX2:
        return {&xmin2, &xmax2};
    default:
        return {&ymin2, &ymax2};
    }
}

void VexaDocument::scale(int pair, double x0, double x1, double y0, double y1, bool undo, bool doReplot)
{
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1))
        return;
    if (x0 != x1 && y0 != y1) {
        UndoManager& um = undoManager();
        if (undo) {
            um.beginUndoGrouping();
            um.registerUndo(this, [this] { replot(); });
        }
        double* fields[4] = {nullptr, nullptr, nullptr, nullptr};
        if (pair == Pair1) {
            fields[0] = &xmin1;
            fields[1] = &xmax1;
            fields[2] = &ymin1;
            fields[3] = &ymax1;
        } else if (pair == Pair2) {
            fields[0] = &xmin2;
            fields[1] = &xmax2;
            fields[2] = &ymin2;
            fields[3] = &ymax2;
        }
        if (fields[0]) {
            if (undo) {
                const double o0 = *fields[0], o1 = *fields[1], o2 = *fields[2], o3 = *fields[3];
                um.registerUndo(this,
                                [this, pair, o0, o1, o2, o3] { scale(pair, o0, o1, o2, o3, true, true); });
            }
            *fields[0] = x0;
            *fields[1] = x1;
            *fields[2] = y0;
            *fields[3] = y1;
        }
        if (undo)
            um.endUndoGrouping();
    }
    if (doReplot)
        replot();
}

void VexaDocument::rescale(bool doUpdate, int pair)
{
    Extent e[4]; // X1, Y1, X2, Y2
    const bool one = pair == PairBoth || pair == Pair1;
    const bool two = pair == PairBoth || pair == Pair2;
    if (!DB.empty()) {
        for (const auto& b : DB) {
            if (!b->show)
                continue;
            if (one) {
                if (b->belongx == 1 && !b->style.freex)
                    e[0].merge(b->getXmin(), b->getXmax());
                if (b->belongy == 1 && !b->style.freey)
                    e[1].merge(b->getYmin(), b->getYmax());
            }
            if (two) {
                if (b->belongx == 2 && !b->style.freex)
                    e[2].merge(b->getXmin(), b->getXmax());
                if (b->belongy == 2 && !b->style.freey)
                    e[3].merge(b->getYmin(), b->getYmax());
            }
        }
        for (auto& x : e)
            x.openUpIfEmpty();
    }

    const QSizeF size = PV ? PV->boundsSize() : QSizeF(0, 0);
    const double w = size.width() - page.marginright - page.marginleft;
    const double h = size.height() - page.margintop - page.marginbottom;

    UndoManager& um = undoManager();
    um.beginUndoGrouping();
    if (one) {
        e[0].addHeadroom(axes[AxisX1].axismode, w);
        e[1].addHeadroom(axes[AxisY1].axismode, h);
        scale(Pair1, e[0].lo, e[0].hi, e[1].lo, e[1].hi, true, false);
    }
    if (two) {
        e[2].addHeadroom(axes[AxisX2].axismode, w);
        e[3].addHeadroom(axes[AxisY2].axismode, h);
        scale(Pair2, e[2].lo, e[2].hi, e[3].lo, e[3].hi, true, false);
    }
    um.endUndoGrouping();

    if (doUpdate) {
        if (M)
            M->update();
        replot();
    }
}

void VexaDocument::zoomBy(double factor, int direction, int pair, bool widen, bool doReplot)
{
    // New ranges are computed from the current ones; nothing is stored
    // until scale() accepts them.
    auto apply = [&](int p, int ax, int ay, double x0, double x1, double y0, double y1) {
        const Range nx = zoomed(axes[ax].axismode, x0, x1, factor, widen);
        const Range ny = zoomed(axes[ay].axismode, y0, y1, factor, widen);
        if (direction == ZoomXY)
            scale(p, nx.lo, nx.hi, ny.lo, ny.hi, true, doReplot);
        else if (direction == ZoomX)
            scale(p, nx.lo, nx.hi, y0, y1, true, doReplot);
        else if (direction == ZoomY)
            scale(p, x0, x1, ny.lo, ny.hi, true, doReplot);
    };
    if (pair == PairBoth || pair == Pair1)
        apply(Pair1, AxisX1, AxisY1, xmin1, xmax1, ymin1, ymax1);
    if (pair == PairBoth || pair == Pair2)
        apply(Pair2, AxisX2, AxisY2, xmin2, xmax2, ymin2, ymax2);
}

void VexaDocument::upscale(double factor, int direction, int pair, bool doReplot)
{
    zoomBy(factor, direction, pair, true, doReplot);
}

void VexaDocument::downscale(double factor, int direction, int pair)
{
    zoomBy(factor, direction, pair, false, true);
}

namespace {

template <typename Get, typename Better>
double extreme(const std::vector<std::unique_ptr<DataBuffer>>& db, int all, Get get, Better better)
{
    bool first = true;
    double r = 0;
    for (const auto& b : db) {
        if (!all && !b->show)
            continue;
        const double v = get(*b);
        if (first || better(v, r)) {
            r = v;
            first = false;
        }
    }
    return r;
}

} // namespace

double VexaDocument::getXmin(int all) const
{
    return extreme(
        DB, all, [](const DataBuffer& b) { return b.getXmin(); }, std::less<double>());
}

double VexaDocument::getXmax(int all) const
{
    return extreme(
        DB, all, [](const DataBuffer& b) { return b.getXmax(); }, std::greater<double>());
}

double VexaDocument::getYmin(int all) const
{
    return extreme(
        DB, all, [](const DataBuffer& b) { return b.getYmin(); }, std::less<double>());
}

double VexaDocument::getYmax(int all) const
{
    return extreme(
        DB, all, [](const DataBuffer& b) { return b.getYmax(); }, std::greater<double>());
}
