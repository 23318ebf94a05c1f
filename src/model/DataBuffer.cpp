#include "model/DataBuffer.h"

#include "platform/Color.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <cmath>
#include <limits>

DataBuffer::DataBuffer()
{
    setDefaultStyle();
}

void DataBuffer::setPlainStyle()
{
    color = Color::black();
    fillcolor = Color::lightGray();
    errorcolor = Color::black();
    barcolor = Color::black();
    stickcolor = Color::black();
    linewidth = 1;
    dash = 0;
    symbol = 0;
    symbolsize = 10;
    sticksize = 20;
    dashwidth = 0;
    stickabs = symfill = 0;
    plotlines = plotsymbols = plotybars = plotxbars = plotysticks = plotxsticks = 0;
    plotdots = plotarea = plotfhist = plothist = 0;
    freex = freey = 0;
    barytop = barybottom = barxleft = barxright = 0;
    fxmin = 0;
    fxmax = 1;
    fymin = 0;
    fymax = 1;
}

void DataBuffer::setDefaultStyle()
{
    setPlainStyle();
    plotlines = 1;

    const UserDefaults& d = UserDefaults::standard();
    auto colour = [&](const char* key, QColor& field) {
        if (auto c = d.colorForKey(QLatin1String(key)))
            field = *c;
    };
    // Numbers come back in the store's single precision, widened.
    auto number = [&](const char* key, double& field) {
        if (d.contains(QLatin1String(key)))
            field = double(d.floatForKey(QLatin1String(key)));
    };
    auto integer = [&](const char* key, int& field) {
        if (d.contains(QLatin1String(key)))
            field = d.integerForKey(QLatin1String(key));
    };
    auto flag = [&](const char* key, std::uint8_t& field) {
        if (d.contains(QLatin1String(key)))
            field = d.boolForKey(QLatin1String(key)) ? 1 : 0;
    };

    colour("BColor", color);
    colour("BFillColor", fillcolor);
    colour("BBarColor", barcolor);
    colour("BStickColor", stickcolor);
    colour("BErrorColor", errorcolor);
    number("BLineWidth", linewidth);
    integer("BDash", dash);
    integer("BSymbol", symbol);
    number("BSymbolSize", symbolsize);
    number("BDashWidth", dashwidth);
    if (d.contains(QStringLiteral("BDynSize")))
        dynsize = d.stringForKey(QStringLiteral("BDynSize"));
    flag("BStickAbs", stickabs);
    number("BStickSize", sticksize);
    flag("BPlotLines", plotlines);
    flag("BPlotSymbols", plotsymbols);
    flag("BPlotYBars", plotybars);
    flag("BPlotXBars", plotxbars);
    flag("BPlotYSticks", plotysticks);
    flag("BPlotXSticks", plotxsticks);
    flag("BPlotDots", plotdots);
    flag("BPlotArea", plotarea);
    flag("BPlotHist", plothist);
    flag("BPlotFHist", plotfhist);
    flag("BSymbolFill", symfill);
    flag("BFreeX", freex);
    flag("BFreeY", freey);
    flag("BBarYTop", barytop);
    flag("BBarYBottom", barybottom);
    flag("BBarXLeft", barxleft);
    flag("BBarXRight", barxright);
    number("BFXmin", fxmin);
    number("BFXmax", fxmax);
    number("BFYmin", fymin);
    number("BFYmax", fymax);
}

void DataBuffer::copyStyle(const DataBuffer& s)
{
    color = s.color;
    fillcolor = s.fillcolor;
    errorcolor = s.errorcolor;
    barcolor = s.barcolor;
    stickcolor = s.stickcolor;
    linewidth = s.linewidth;
    dash = s.dash;
    symbol = s.symbol;
    symbolsize = s.symbolsize;
    sticksize = s.sticksize;
    dashwidth = s.dashwidth;
    stickabs = s.stickabs;
    symfill = s.symfill;
    plotlines = s.plotlines;
    plotsymbols = s.plotsymbols;
    plotybars = s.plotybars;
    plotxbars = s.plotxbars;
    plotysticks = s.plotysticks;
    plotxsticks = s.plotxsticks;
    plotdots = s.plotdots;
    plotarea = s.plotarea;
    plothist = s.plothist;
    plotfhist = s.plotfhist;
    freex = s.freex;
    freey = s.freey;
    barytop = s.barytop;
    barybottom = s.barybottom;
    barxleft = s.barxleft;
    barxright = s.barxright;
    fxmin = s.fxmin;
    fxmax = s.fxmax;
    fymin = s.fymin;
    fymax = s.fymax;
}

std::unique_ptr<DataBuffer> DataBuffer::copyWithZone() const
{
    auto c = std::make_unique<DataBuffer>();
    c->X = X;
    c->Y = Y;
    c->EX = EX;
    c->EY = EY;
    c->source = source;
    c->comment = comment;
    c->dynsize = dynsize;
    c->show = show;
    c->belongx = belongx;
    c->belongy = belongy;
    c->rm = rm;
    c->copyStyle(*this);
    c->plotlegend = plotlegend;
    c->errorbarx = errorbarx;
    c->errorbary = errorbary;
    c->errorvalx = errorvalx;
    c->errorvaly = errorvaly;
    c->errorwidth = errorwidth;
    c->norescale = 0;
    return c;
}

void DataBuffer::widen(double xv, double yv)
{
    if (std::isfinite(xv)) {
        if (!havexminmax || xv > xmax)
            xmax = xv;
        if (!havexminmax || xv < xmin)
            xmin = xv;
        havexminmax = 1;
    }
    if (std::isfinite(yv)) {
        if (!haveyminmax || yv > ymax)
            ymax = yv;
        if (!haveyminmax || yv < ymin)
            ymin = yv;
        haveyminmax = 1;
    }
}

void DataBuffer::addDoubleValue(double xv, double yv)
{
    X.push_back(xv);
    Y.push_back(yv);
    if (haserror()) {
        EX.push_back(0.0);
        EY.push_back(0.0);
    }
    widen(xv, yv);
}

void DataBuffer::addDoubleValueError(double xv, double yv, double ex, double ey)
{
    X.push_back(xv);
    Y.push_back(yv);
    EX.push_back(ex);
    EY.push_back(ey);
    widen(xv, yv);
}

void DataBuffer::quickAddDoubleValue(double xv, double yv)
{
    X.push_back(xv);
    Y.push_back(yv);
}

void DataBuffer::quickAddDoubleValueError(double xv, double yv, double ex, double ey)
{
    X.push_back(xv);
    Y.push_back(yv);
    EX.push_back(ex);
    EY.push_back(ey);
}

void DataBuffer::deletePoint(int i)
{
    if (!inRange(X, i))
        return;
    const bool errors = haserror();
    X.erase(X.begin() + i);
    // Y, EX and EY are checked on their own: a buffer written field by field
    // may hold columns of other lengths, and a removal must never read past
    // one of them.
    if (inRange(Y, i))
        Y.erase(Y.begin() + i);
    if (errors) {
        if (inRange(EX, i))
            EX.erase(EX.begin() + i);
        if (inRange(EY, i))
            EY.erase(EY.begin() + i);
    }
    rescale();
}

void DataBuffer::deletePoints(const std::set<int>& indexes)
{
    // One compacting pass per column instead of one erase per index: cutting
    // many points out of a long buffer stays linear. Removing from the highest
    // index down, as single deletions would, removes from each column exactly
    // the indexes that lie within both X and that column.
    const std::size_t nx = X.size();
    auto compact = [&](std::vector<double>& column) {
        const std::size_t limit = std::min(nx, column.size());
        auto it = indexes.lower_bound(0);
        if (it == indexes.end() || std::size_t(*it) >= limit)
            return;
        std::size_t out = std::size_t(*it);
        for (std::size_t in = out; in < column.size(); ++in) {
            if (it != indexes.end() && std::size_t(*it) == in && in < limit) {
                ++it;
                continue;
            }
            column[out++] = column[in];
        }
        column.resize(out);
    };
    const bool errors = haserror();
    compact(X);
    compact(Y);
    if (errors) {
        compact(EX);
        compact(EY);
    }
    rescale();
}

void DataBuffer::addError()
{
    if (haserror())
        return;
    EX.assign(X.size(), 0.0);
    EY.assign(X.size(), 0.0);
}

void DataBuffer::deleteError()
{
    if (!haserror())
        return;
    EX.clear();
    EY.clear();
}

bool DataBuffer::haserror() const
{
    return !EX.empty() && !EY.empty() && EX.size() == EY.size();
}

int DataBuffer::nop() const
{
    if (X.size() != Y.size())
        return 0;
    if (X.size() > std::size_t(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(X.size());
}

void DataBuffer::rescale()
{
    if (norescale)
        return;
    havexminmax = 0;
    haveyminmax = 0;
    if (X.empty())
        return;
    // A column shorter than X (only direct field writes can cause that) must
    // not be read past its end.
    const std::size_t n = X.size();
    const std::size_t ny = Y.size();
    for (std::size_t i = 0; i < n; ++i)
        widen(X[i], i < ny ? Y[i] : std::numeric_limits<double>::quiet_NaN());
}

void DataBuffer::setXDoubleValueAt(int i, double v)
{
    if (!inRange(X, i))
        return;
    X[std::size_t(i)] = v;
    rescale();
}

void DataBuffer::setYDoubleValueAt(int i, double v)
{
    if (!inRange(Y, i))
        return;
    Y[std::size_t(i)] = v;
    rescale();
}

void DataBuffer::setXDoubleErrorAt(int i, double v)
{
    if (!haserror())
        addError();
    if (!inRange(EX, i))
        return;
    EX[std::size_t(i)] = v;
    rescale();
}

void DataBuffer::setYDoubleErrorAt(int i, double v)
{
    if (!haserror())
        addError();
    if (!inRange(EY, i))
        return;
    EY[std::size_t(i)] = v;
    rescale();
}
