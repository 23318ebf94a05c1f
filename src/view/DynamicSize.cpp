#include "view/DynamicSize.h"

#include "model/ManagerServices.h"

namespace {
const char* const kNames[9] = {"x", "y", "ex", "ey", "bn", "nb", "cb", "np", "dp"};
}

DynamicSize::DynamicSize(const QString& text, const ManagerServices* services)
{
    if (text.isEmpty())
        return;
    expression_.setNoError();
    for (const char* name : kNames)
        expression_.setVar(name, 0);
    if (services)
        expression_.setVars(services->GV);
    valid_ = expression_.parse(text);
    for (int i = 0; i < 9; ++i)
        slots_[i] = expression_.slot(kNames[i]);
}

double DynamicSize::value(const Point& p)
{
    const double values[9]
        = {p.x, p.y, p.ex, p.ey, double(p.bn), double(p.nb), double(p.cb), double(p.np), double(p.dp)};
    for (int i = 0; i < 9; ++i)
        expression_.setValue(slots_[i], values[i]);
    return expression_.resultValue();
}
