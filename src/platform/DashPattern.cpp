#include "platform/DashPattern.h"

#include <cmath>
#include <initializer_list>

namespace {
// Far beyond any sensible dash, small enough that w + 10 stays an int.
constexpr int MaxWidth = 1000000;
} // namespace

void DashPattern::setWidth(int w)
{
    if (w > MaxWidth)
        w = MaxWidth;
    if (w < -MaxWidth)
        w = -MaxWidth;
    width_ = w;

    const double c = w + 1;
    const double b = w + 5;
    const double d = w + 10;

    for (auto& row : dash_)
        row.fill(b);

    auto set = [this](int k, std::initializer_list<double> lengths) {
        int i = 0;
        for (double v : lengths)
            dash_[k][i++] = v;
        dashcount_[k] = i;
    };
    dashcount_[0] = 0;
    set(1, {c, b});
    set(2, {b});
    set(3, {d, b});
    set(4, {b, b, c, b});
    set(5, {d, b, b, b});
    set(6, {d, b, c, b});
    set(7, {d, b, b, b, c, b});
    set(8, {d, b, d, b, b, b});
    set(9, {d, b, b, b, b, b});
    set(10, {d, b, d, b, b, b, b, b});
    set(11, {b, b, c, b, c, b});
    set(12, {d, b, c, b, c, b});
    set(13, {b, b, b, b, c, b, c, b});
    set(14, {d, b, d, b, c, b, c, b});
    set(15, {d, b, b, b, c, b, c, b});
}

int DashPattern::widthFor(double dashwidth)
{
    if (std::isnan(dashwidth))
        return 0;
    if (dashwidth >= MaxWidth)
        return MaxWidth;
    if (dashwidth <= -MaxWidth)
        return -MaxWidth;
    return int(dashwidth);
}

int DashPattern::count(int k) const
{
    return (k >= 0 && k < Count) ? dashcount_[k] : 0;
}

double DashPattern::length(int k, int i) const
{
    if (k < 0 || k >= Count || i < 0 || i >= Count)
        return 0;
    return dash_[k][i];
}

QList<double> DashPattern::lengths(int k) const
{
    QList<double> out;
    const int n = count(k);
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out.append(dash_[k][i]);
    return out;
}
