#pragma once

// Cubic spline through sorted points and its resampling. Plain functions over
// caller-owned arrays of doubles; no state.
//
// On interval i (from x_i to x_{i+1}) the curve is
//   y_i + b_i*t + c_i*t^2 + d_i*t^3,  t = x - x_i,
// so b and d have one entry per interval and c one per knot.

#include <span>

namespace Spline {

// Coefficients of the not-a-knot spline through `intervals` + 1 points with
// strictly increasing x. `strength` weighs the diagonal of the curvature
// system: 2 gives the ordinary interpolating spline; any value keeps the curve
// through every point. b and d need `intervals` entries, c one more.
// Status:
//   0   done
//   < 0 x not strictly increasing: -(i+1) for the first such interval i
//   2   fewer than 3 intervals (4 points)
//   4,5 the curvature system could not be solved (tridiagonalSolve + 3)
//   6   an x step that is not finite
//   7   an array shorter than the count needs
int splineCoefficients(int intervals, std::span<const double> x, std::span<const double> y,
                       std::span<double> b, std::span<double> c, std::span<double> d, double strength);

// Solves a tridiagonal system of `size` rows by elimination without pivoting;
// the solution replaces rhs. lower[0] and upper[size-1] are not used. With
// `factored` false the matrix is factored first (lower and diag are
// overwritten with the factors); true reuses such factors.
// Status: 0 done, 1 size below 2 (or an array too short), 2 a zero pivot.
int tridiagonalSolve(int size, std::span<double> lower, std::span<double> diag, std::span<const double> upper,
                     std::span<double> rhs, bool factored);

// Samples the curve from `from` to `to` with about `total` output intervals
// spread in proportion to x: every interval is cut into ceil(g * covered
// length) parts, g = total / (to - from). The knots come out with their own
// y values. Writes at most outX.size() (= outY.size()) points and sets `count`
// to the number written; (total + intervals + 1) points always suffice.
// Status:
//   0 done
//   1 from above to, or either not finite
//   2 total not positive
//   3 an interval of zero width on the way
//   4 the output arrays (or the inputs) are too short
int splineResample(int intervals, int total, std::span<const double> x, std::span<const double> y,
                   std::span<const double> b, std::span<const double> c, std::span<const double> d,
                   double from, double to, int& count, std::span<double> outX, std::span<double> outY);

// The curve at v on interval i.
inline double splineValue(int i, double v, std::span<const double> x, std::span<const double> y,
                          std::span<const double> b, std::span<const double> c, std::span<const double> d)
{
    const double t = v - x[i];
    return ((d[i] * t + c[i]) * t + b[i]) * t + y[i];
}

} // namespace Spline
