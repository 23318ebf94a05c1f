#include "model/Spline.h"

#include "platform/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace Spline {

int splineCoefficients(int a, std::span<const double> x, std::span<const double> y, std::span<double> b,
                       std::span<double> c, std::span<double> d, double s)
{
    VectorState::clearUpper();
    if (a < 3)
        return 2;
    const std::size_t na = std::size_t(a);
    if (x.size() < na + 1 || y.size() < na + 1 || b.size() < na || c.size() < na + 1 || d.size() < na)
        return 7;
    auto h = [&](int i) { return x[i + 1] - x[i]; };
    for (int i = 0; i < a; ++i) {
        const double hi = h(i);
        if (!std::isfinite(hi))
            return 6;
        if (hi <= 0)
            return -(i + 1);
    }

    // The inner curvatures c_1 .. c_{a-1}: one row per inner knot. b and d
    // serve as the sub- and super-diagonal until the coefficients replace them.
    const int rows = a - 1;
    std::span<double> lower = b.first(std::size_t(rows));
    std::span<double> upper = d.first(std::size_t(rows));
    std::span<double> rhs = c.subspan(1, std::size_t(rows));
    std::vector<double> diag(static_cast<std::size_t>(rows));
    for (int j = 0; j < rows; ++j) {
        lower[j] = h(j);
        upper[j] = h(j + 1);
        diag[j] = s * (h(j) + h(j + 1));
        rhs[j] = 3.0 * ((y[j + 2] - y[j + 1]) / h(j + 1) - (y[j + 1] - y[j]) / h(j));
    }

    // Not-a-knot: the third derivative is continuous across the second and the
    // second-to-last knot, which folds c_0 and c_a into the first and last row.
    rhs[0] *= h(1) / (h(0) + h(1));
    rhs[rows - 1] *= h(a - 2) / (h(a - 2) + h(a - 1));
    diag[0] -= h(0);
    upper[0] -= h(0);
    diag[rows - 1] -= h(a - 1);
    lower[rows - 1] -= h(a - 1);

    if (const int status = tridiagonalSolve(rows, lower, diag, upper, rhs, false))
        return status + 3;

    c[0] = c[1] + (c[1] - c[2]) * h(0) / h(1);
    c[a] = c[a - 1] + (c[a - 1] - c[a - 2]) * h(a - 1) / h(a - 2);
    for (int i = 0; i < a; ++i) {
        b[i] = (y[i + 1] - y[i]) / h(i) - (2.0 * c[i] + c[i + 1]) * h(i) / 3.0;
        d[i] = (c[i + 1] - c[i]) / (3.0 * h(i));
    }
    return 0;
}

int tridiagonalSolve(int size, std::span<double> lower, std::span<double> diag, std::span<const double> upper,
                     std::span<double> rhs, bool factored)
{
    if (size < 2)
        return 1;
    const std::size_t n = std::size_t(size);
    if (lower.size() < n || diag.size() < n || upper.size() < n || rhs.size() < n)
        return 1;
    if (!factored) {
        for (int i = 1; i < size; ++i) {
            if (diag[i - 1] == 0)
                return 2;
            lower[i] /= diag[i - 1];
            diag[i] -= lower[i] * upper[i - 1];
        }
    }
    for (int i = 0; i < size; ++i)
        if (diag[i] == 0)
            return 2;

    for (int i = 1; i < size; ++i)
        rhs[i] -= lower[i] * rhs[i - 1];
    rhs[size - 1] /= diag[size - 1];
    for (int i = size - 2; i >= 0; --i)
        rhs[i] = (rhs[i] - upper[i] * rhs[i + 1]) / diag[i];
    return 0;
}

int splineResample(int a, int total, std::span<const double> x, std::span<const double> y,
                   std::span<const double> b, std::span<const double> c, std::span<const double> d,
                   double from, double to, int& count, std::span<double> outX, std::span<double> outY)
{
    VectorState::clearUpper();
    count = 0;
    if (!std::isfinite(from) || !std::isfinite(to) || from > to)
        return 1;
    if (total <= 0)
        return 2;
    const std::size_t na = std::size_t(a);
    if (a < 1 || x.size() < na + 1 || y.size() < na + 1 || b.size() < na || c.size() < na || d.size() < na)
        return 4;
    // The count is an int; never write more points than it can tell.
    const std::size_t cap
        = std::min({outX.size(), outY.size(), std::size_t(std::numeric_limits<int>::max())});
    if (cap < 1)
        return 4;

    const std::span<const double> knots = x.first(na + 1);
    // Bisection: the last knot at or below v, -1 before the first knot.
    auto lastKnotAtOrBelow
        = [&](double v) { return int(std::upper_bound(knots.begin(), knots.end(), v) - knots.begin()) - 1; };
    auto intervalOf = [&](int knot) { return std::clamp(knot, 0, a - 1); };
    auto curve = [&](int i, double v) { return splineValue(i, v, x, y, b, c, d); };

    std::size_t n = 0;
    auto emit = [&](double xv, double yv) {
        outX[n] = xv;
        outY[n] = yv;
        ++n;
    };
    const int first = intervalOf(lastKnotAtOrBelow(from));
    emit(from, curve(first, from));
    if (from == to) {
        count = int(n);
        return 0;
    }

    const double g = total / (to - from);
    // The evenly spaced points strictly between cur and end on interval i, as
    // long as they and the end point still fit.
    auto fill = [&](int i, double cur, double end) {
        const double len = end - cur;
        // Steps like 0.1 are not exact in binary, so g * len for equally
        // spaced knots lands a hair above the whole number of parts about as
        // often as on it; ceil would then add a part to those intervals at
        // random. Within rounding of a whole number, that number it is.
        const double q = g * len;
        const double whole = std::round(q);
        const double parts = whole >= 1 && std::fabs(q - whole) <= 1e-9 * whole ? whole : std::ceil(q);
        if (!(parts >= 1 && parts <= double(cap - n)))
            return false;
        const int k = int(parts);
        const double step = len / k;
        double xv = cur;
        for (int j = 1; j < k; ++j) {
            xv += step;
            emit(xv, curve(i, xv));
        }
        return true;
    };

    const int lastKnot = lastKnotAtOrBelow(to);
    double cur = from;
    for (int i = first; i < lastKnot; ++i) {
        if (x[i + 1] == x[i])
            return 3;
        if (!(x[i + 1] > cur))
            continue;
        if (!fill(i, cur, x[i + 1]))
            return 4;
        emit(x[i + 1], y[i + 1]);
        cur = x[i + 1];
    }
    if (to > cur) {
        const int i = intervalOf(lastKnot);
        if (!fill(i, cur, to))
            return 4;
        emit(to, curve(i, to));
    }
    count = int(n);
    return 0;
}

} // namespace Spline
