#include "model/DocumentFunctions.h"

#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"

VexaDocument* DocumentFunctions::currentDocument() const
{
    return controller_.CPD;
}

const DataBuffer* DocumentFunctions::buffer(int32_t index) const
{
    VexaDocument* d = currentDocument();
    if (!d || index < 0 || index >= int32_t(d->DB.size()))
        return nullptr;
    return d->DB[std::size_t(index)].get();
}

double DocumentFunctions::pointValue(DocFunction which, int32_t b, int32_t i)
{
    const DataBuffer* buf = buffer(b);
    if (!buf || i < 0 || i >= buf->nop())
        return 0;
    switch (which) {
    case DocFunction::XVal:
        return buf->xDoubleValueAt(i);
    case DocFunction::YVal:
        return buf->yDoubleValueAt(i);
    case DocFunction::XErr:
        return buf->haserror() ? buf->xDoubleErrorAt(i) : 0;
    case DocFunction::YErr:
        return buf->haserror() ? buf->yDoubleErrorAt(i) : 0;
    default:
        return 0;
    }
}

double DocumentFunctions::bufferValue(DocFunction which, int32_t b)
{
    const DataBuffer* buf = buffer(b);
    if (!buf)
        return 0;
    switch (which) {
    case DocFunction::XMin:
        return buf->getXmin();
    case DocFunction::XMax:
        return buf->getXmax();
    case DocFunction::YMin:
        return buf->getYmin();
    case DocFunction::YMax:
        return buf->getYmax();
    case DocFunction::Points:
        return buf->nop();
    default:
        return 0;
    }
}

double DocumentFunctions::documentValue(DocFunction which)
{
    const VexaDocument* d = currentDocument();
    if (!d)
        return 0;
    switch (which) {
    case DocFunction::TXMin:
        return d->getXmin(1);
    case DocFunction::TXMax:
        return d->getXmax(1);
    case DocFunction::TYMin:
        return d->getYmin(1);
    case DocFunction::TYMax:
        return d->getYmax(1);
    case DocFunction::VXMin:
        return d->getXmin(0);
    case DocFunction::VXMax:
        return d->getXmax(0);
    case DocFunction::VYMin:
        return d->getYmin(0);
    case DocFunction::VYMax:
        return d->getYmax(0);
    default:
        return 0;
    }
}

namespace {

// The first segment, in point order, whose `along` values span v gives the
// interpolated `across` value.
double findAlong(const std::vector<double>& along, const std::vector<double>& across, int n, double v)
{
    for (int i = 0; i + 1 < n; ++i) {
        const double a0 = along[std::size_t(i)], a1 = along[std::size_t(i) + 1];
        const double c0 = across[std::size_t(i)], c1 = across[std::size_t(i) + 1];
        if ((a0 <= v && v <= a1) || (a1 <= v && v <= a0)) {
            if (a0 != a1)
                return (v - a0) * ((c1 - c0) / (a1 - a0)) + c0;
            return (c0 + c1) * 0.5;
        }
    }
    return 0;
}

} // namespace

double DocumentFunctions::findy(const DataBuffer& b, double x)
{
    return findAlong(b.X, b.Y, b.nop(), x);
}

double DocumentFunctions::findx(const DataBuffer& b, double y)
{
    return findAlong(b.Y, b.X, b.nop(), y);
}

double DocumentFunctions::findValue(DocFunction which, double value, int32_t b)
{
    const DataBuffer* buf = buffer(b);
    if (!buf)
        return 0;
    if (which == DocFunction::FindX)
        return findx(*buf, value);
    if (which == DocFunction::FindY)
        return findy(*buf, value);
    return 0;
}

double DocumentFunctions::axisValue(DocFunction which, double value, int32_t pair)
{
    const VexaDocument* d = currentDocument();
    if (!d || !d->PV)
        return 0;
    switch (which) {
    case DocFunction::XPoint:
        return d->PV->xPoint(value, pair);
    case DocFunction::YPoint:
        return d->PV->yPoint(value, pair);
    case DocFunction::XValue:
        return d->PV->xValue(value, pair);
    case DocFunction::YValue:
        return d->PV->yValue(value, pair);
    default:
        return 0;
    }
}
