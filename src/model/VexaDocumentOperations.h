#pragma once

// The numerics of the document's data operations on plain columns: the
// fitted line, the least-squares derivative, the integrals and the merge of
// two buffers. VexaDocumentOperations.cpp wraps them into the operations of
// VexaDocument with their alerts, new buffers and published variables.

#include <cstddef>
#include <vector>

// y = A + B x, y = A + B ln x, y = A exp(B x).
enum RegressionType : int { RegLinear = 0, RegLogarithmic = 1, RegExponential = 2 };
// What a op b means in VexaDocument::calcBuf.
enum BufferArithmetic : int { ArithAdd = 0, ArithSubtract = 1, ArithMultiply = 2, ArithDivide = 3 };

namespace VexaDocumentOperations {

struct LineFit {
    enum Status {
        Ok,
        TooFewPoints, // fewer than two points in the interval
        DivideByZero, // every X (or every Y) of the interval is the same
        OutsideDomain, // the logarithm of an x (or y) <= 0 would be needed
        NotFinite, // a value, or the fit, is no finite number
        UnknownType,
    };
    Status status = TooFewPoints;
    double a = 0, b = 0, r = 0;
    std::size_t n = 0; // points inside the interval
};

// Least squares over the points with lo <= x <= hi (the smaller and larger
// of x1, x2), on X = x or ln x and Y = y or ln y by type. The sums are
// taken relative to the interval's first point, which changes nothing in
// exact arithmetic but keeps time-like abscissae (1e9 and up) from
// cancelling every digit of N*Sxx - Sx^2; A is moved back to the origin.
LineFit fitLine(const std::vector<double>& x, const std::vector<double>& y, double x1, double x2, int type);

// The fitted model at x.
double fittedValue(int type, double a, double b, double x);

struct Derivative {
    enum Status { Ok, IntervalTooSmall, DivideByZero };
    Status status = Ok;
    std::size_t failedAt = 0; // the point that stopped it
    std::vector<double> slope; // one per point when Ok
};

// At every point the least-squares slope through it and its neighbours
// closer than `interval` in x, found by scanning outwards from the point and
// stopping at the first one that is not. Sums are taken relative to the
// point itself (same slope, no cancellation). Stops at the first point that
// has no neighbour, or whose neighbours all share its x.
Derivative derivative(const std::vector<double>& x, const std::vector<double>& y, double interval);

// The trapezoid sum from the first point to each point: 0 at the first.
std::vector<double> runningIntegral(const std::vector<double>& x, const std::vector<double>& y);

struct DefiniteIntegral {
    long long s = 0, e = 0; // first and last point used (may be outside the data when it has none)
    double value = 0;
};

// The trapezoid sum over the points that enclose [lo, hi] of ascending x:
// from the last point at or before lo to the first point at or after hi,
// widened to the neighbours when both are the same point.
DefiniteIntegral definiteIntegral(const std::vector<double>& x, const std::vector<double>& y, double x1,
                                  double x2);

// a op b, 0 for a division by 0; NaN for an unknown op.
double arithmetic(int op, double a, double b);

struct MergedPoint {
    double x, y;
};

struct Combined {
    std::vector<double> x, y;
    bool overflow = false; // the points would not fit a buffer's 32-bit point count
};

// The points of a op b on the x values of both buffers within the overlap
// of their ranges, ascending, one per distinct x: A's points with B
// interpolated on every segment holding them (a point on a knot matches
// two), then B's points with A interpolated, merged by x; of several
// points at one x the first in that order stays. Both inputs ascend in x.
// Linear in the sizes of the inputs.
Combined combine(const std::vector<double>& xa, const std::vector<double>& ya, const std::vector<double>& xb,
                 const std::vector<double>& yb, int op);

// The y of the segment from (x0, y0) to (x1, y1) at x, exact at both ends;
// a segment of no width gives the mean of its two ends.
double interpolate(double x0, double y0, double x1, double y1, double x);

} // namespace VexaDocumentOperations
