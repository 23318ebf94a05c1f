// Data operations of a document over whole buffers: the function
// generator, expressions, normalise, move and cut over the selection,
// reduction, smoothing, derivative, regression, integrals, arithmetic
// between two buffers and the exchange of axes.

#include "model/VexaDocumentOperations.h"

#include "expression/Expression.h"
#include "model/DataBufferOperations.h"
#include "model/ManagerServices.h"
#include "model/Questions.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "platform/HugePages.h"
#include "platform/VectorState.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <set>

namespace VexaDocumentOperations {

namespace {

// Sums of a least-squares line over points taken relative to an origin.
struct Sums {
    double n = 0, su = 0, sv = 0, suv = 0, suu = 0, svv = 0;
    void add(double u, double v)
    {
        n += 1;
        su += u;
        sv += v;
        suv += u * v;
        suu += u * u;
        svv += v * v;
    }
    // N*Suu - Su^2, which only rounding can push below 0.
    double d() const { return std::max(0.0, n * suu - su * su); }
    double q() const { return std::max(0.0, n * svv - sv * sv); }
    double slopeNumerator() const { return n * suv - su * sv; }
};

} // namespace

LineFit fitLine(const std::vector<double>& x, const std::vector<double>& y, double x1, double x2, int type)
{
    VectorState::clearUpper();
    LineFit fit;
    if (type < RegLinear || type > RegExponential) {
        fit.status = LineFit::UnknownType;
        return fit;
    }
    const double lo = x2 < x1 ? x2 : x1;
    const double hi = x2 < x1 ? x1 : x2;
    const std::size_t count = std::min(x.size(), y.size());
    Sums s;
    double x0 = 0, y0 = 0;
    bool domain = true, finiteValues = true;
    for (std::size_t i = 0; i < count; ++i) {
        if (!(lo <= x[i] && x[i] <= hi))
            continue;
        if ((type == RegLogarithmic && !(x[i] > 0)) || (type == RegExponential && !(y[i] > 0)))
            domain = false;
        const double X = type == RegLogarithmic ? std::log(x[i]) : x[i];
        const double Y = type == RegExponential ? std::log(y[i]) : y[i];
        if (!std::isfinite(X) || !std::isfinite(Y))
            finiteValues = false;
        if (s.n == 0) {
            x0 = X;
            y0 = Y;
        }
        s.add(X - x0, Y - y0);
    }
    fit.n = std::size_t(s.n);
    if (s.n < 2) {
        fit.status = LineFit::TooFewPoints;
        return fit;
    }
    if (!domain || !finiteValues) {
        fit.status = domain ? LineFit::NotFinite : LineFit::OutsideDomain;
        return fit;
    }
    const double d = s.d();
    const double r = std::sqrt(s.q() * d);
    if (d == 0 || r == 0) {
        fit.status = LineFit::DivideByZero;
        return fit;
    }
    fit.b = s.slopeNumerator() / d;
    // (Sv - B Su)/N is the fitted Y at the first point's X; moved back to X = 0.
    fit.a = y0 + (s.sv - fit.b * s.su) / s.n - fit.b * x0;
    if (type == RegExponential)
        fit.a = std::exp(fit.a);
    fit.r = s.slopeNumerator() / r;
    fit.status = std::isfinite(fit.a) && std::isfinite(fit.b) && std::isfinite(fit.r) ? LineFit::Ok
                                                                                      : LineFit::NotFinite;
    return fit;
}

double fittedValue(int type, double a, double b, double x)
{
    switch (type) {
    case RegLinear:
        return a + b * x;
    case RegLogarithmic:
        return a + b * std::log(x);
    case RegExponential:
        return a * std::exp(b * x);
    default:
        return std::numeric_limits<double>::quiet_NaN();
    }
}

Derivative derivative(const std::vector<double>& x, const std::vector<double>& y, double interval)
{
    Derivative out;
    const std::size_t count = std::min(x.size(), y.size());
    out.slope.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double xi = x[i], yi = y[i];
        std::size_t lo = i, hi = i;
        while (lo > 0 && std::fabs(xi - x[lo - 1]) < interval)
            --lo;
        while (hi + 1 < count && std::fabs(x[hi + 1] - xi) < interval)
            ++hi;
        if (lo == hi) {
            out.status = Derivative::IntervalTooSmall;
            out.failedAt = i;
            out.slope.clear();
            return out;
        }
        Sums s;
        for (std::size_t j = lo; j <= hi; ++j)
            s.add(x[j] - xi, y[j] - yi);
        const double d = s.d();
        if (d == 0) {
            out.status = Derivative::DivideByZero;
            out.failedAt = i;
            out.slope.clear();
            return out;
        }
        out.slope[i] = s.slopeNumerator() / d;
    }
    return out;
}

std::vector<double> runningIntegral(const std::vector<double>& x, const std::vector<double>& y)
{
    const std::size_t count = std::min(x.size(), y.size());
    std::vector<double> out = HugePages::makeVector<double>(count);
    double sum = 0;
    for (std::size_t i = 1; i < count; ++i) {
        sum = sum + (x[i] - x[i - 1]) * (y[i - 1] + y[i]) / 2;
        out[i] = sum;
    }
    return out;
}

DefiniteIntegral definiteIntegral(const std::vector<double>& x, const std::vector<double>& y, double x1,
                                  double x2)
{
    const double lo = x2 < x1 ? x2 : x1;
    const double hi = x2 < x1 ? x1 : x2;
    const long long count = (long long)std::min(x.size(), y.size());
    long long atOrBeforeLo = 0, beforeHi = 0;
    for (long long i = 0; i < count; ++i) {
        atOrBeforeLo += x[std::size_t(i)] <= lo;
        beforeHi += x[std::size_t(i)] < hi;
    }
    DefiniteIntegral r;
    r.s = atOrBeforeLo - 1;
    r.e = beforeHi;
    if (r.s > r.e)
        std::swap(r.s, r.e);
    if (r.s == r.e) {
        --r.s;
        ++r.e;
    }
    r.s = std::max(r.s, 0LL);
    r.e = std::min(r.e, count - 1);
    for (long long i = r.s; i < r.e; ++i) {
        const std::size_t k = std::size_t(i);
        const double dx = x[k + 1] - x[k];
        r.value += dx * y[k] + 0.5 * dx * (y[k + 1] - y[k]);
    }
    return r;
}

double arithmetic(int op, double a, double b)
{
    switch (op) {
    case ArithAdd:
        return a + b;
    case ArithSubtract:
        return a - b;
    case ArithMultiply:
        return a * b;
    case ArithDivide:
        return b == 0 ? 0 : a / b;
    default:
        return std::numeric_limits<double>::quiet_NaN();
    }
}

double interpolate(double x0, double y0, double x1, double y1, double x)
{
    if (x1 - x0 == 0)
        return (y0 + y1) / 2;
    if (x == x1)
        return y1;
    return y0 + (x - x0) * (y1 - y0) / (x1 - x0);
}

namespace {

// Adds the points of P that lie within Q's x range, with Q interpolated on
// every segment holding them. The search resumes at the last segment that
// matched, so two ascending inputs merge in linear time.
bool mergePass(const std::vector<double>& xp, const std::vector<double>& yp, const std::vector<double>& xq,
               const std::vector<double>& yq, bool pIsA, int op, std::vector<MergedPoint>& out)
{
    static constexpr std::size_t limit = std::size_t(std::numeric_limits<int>::max());
    const std::size_t np = std::min(xp.size(), yp.size());
    const std::size_t nq = std::min(xq.size(), yq.size());
    if (np == 0 || nq == 0)
        return true;
    // A NaN among Q's x passes the sort check yet breaks the order, and a
    // segment beyond it may still hold the point: without NaN the search
    // may stop at the first knot past the point.
    const bool ordered
        = std::none_of(xq.begin(), xq.begin() + std::ptrdiff_t(nq), [](double v) { return std::isnan(v); });
    const double first = xq[0], last = xq[nq - 1];
    std::size_t start = 0;
    for (std::size_t i = 0; i < np; ++i) {
        const double x = xp[i];
        if (!(first <= x && x <= last))
            continue;
        for (std::size_t k = start; k + 1 < nq; ++k) {
            if (xq[k] <= x && x <= xq[k + 1]) {
                const double yq_ = interpolate(xq[k], yq[k], xq[k + 1], yq[k + 1], x);
                if (out.size() >= limit)
                    return false;
                out.push_back({x, pIsA ? arithmetic(op, yp[i], yq_) : arithmetic(op, yq_, yp[i])});
                start = k;
            } else if (ordered && xq[k] > x) {
                break;
            }
        }
    }
    return true;
}

} // namespace

Combined combine(const std::vector<double>& xa, const std::vector<double>& ya, const std::vector<double>& xb,
                 const std::vector<double>& yb, int op)
{
    Combined out;
    std::vector<MergedPoint> raw;
    raw.reserve(std::min(xa.size(), ya.size()) + std::min(xb.size(), yb.size()));
    const bool fits = mergePass(xa, ya, xb, yb, true, op, raw);
    const std::size_t split = raw.size();
    if (!fits || !mergePass(xb, yb, xa, ya, false, op, raw)) {
        out.overflow = true;
        return out;
    }
    out.x.reserve(raw.size());
    out.y.reserve(raw.size());
    auto keep = [&out](const MergedPoint& p) {
        if (out.x.empty() || p.x != out.x.back()) {
            out.x.push_back(p.x);
            out.y.push_back(p.y);
        }
    };
    // Each pass yields ascending x, so one stable merge orders them (A's
    // point first at equal x); a NaN among the inputs' x, which the sort
    // check lets through, can break that, and then a stable sort does the
    // same job.
    auto byX = [](const MergedPoint& p, const MergedPoint& q) { return p.x < q.x; };
    const auto middle = raw.begin() + std::ptrdiff_t(split);
    if (std::is_sorted(raw.begin(), middle, byX) && std::is_sorted(middle, raw.end(), byX)) {
        std::size_t i = 0, j = split;
        while (i < split || j < raw.size())
            keep((j == raw.size() || (i < split && !(raw[j].x < raw[i].x))) ? raw[i++] : raw[j++]);
    } else {
        std::stable_sort(raw.begin(), raw.end(), byX);
        for (const auto& p : raw)
            keep(p);
    }
    return out;
}

} // namespace VexaDocumentOperations

namespace {

namespace docops = VexaDocumentOperations;

QString g(double v)
{
    return QString::fromStdString(CNumber::format("%g", v));
}

bool validIndex(const VexaDocument& d, int index)
{
    return index >= 0 && std::size_t(index) < d.DB.size();
}

void publish(VexaDocument& d, const char* name, double value)
{
    if (d.M)
        d.M->setVar(QLatin1String(name), value);
}

int axisPair(const VexaDocument& d)
{
    return d.M ? d.M->axis12() : Pair1;
}

// Every buffer whose row is selected in the buffer table, in index order;
// the buffer count is read again before each step.
template <typename F> void forEachSelected(VexaDocument& d, F f)
{
    if (!d.M)
        return;
    const std::vector<int> rows = d.M->selectedBufferRows();
    const std::set<int> selected(rows.begin(), rows.end());
    for (std::size_t i = 0; i < d.DB.size(); ++i)
        if (selected.count(int(i)))
            f(*d.DB[i]);
}

Outcome noBuffer(int index)
{
    return Outcome::empty(QStringLiteral("There is no buffer %1").arg(index));
}

// An undo step over several buffers must replot once the buffers are back,
// and so must its redo. The replot is registered first, so it runs last;
// the closing action is registered last, runs first, and registers the
// replot first into the step being built for the way back.
void closingAction(VexaDocument* d);

void replotAction(VexaDocument* d)
{
    d->undoManager().registerUndo(d, [d] { closingAction(d); });
    d->replot();
}

void closingAction(VexaDocument* d)
{
    d->undoManager().registerUndo(d, [d] { replotAction(d); });
}

void normalizeBuffer(VexaDocument* d, DataBuffer* b, int axis, double a, double bb, double c, double dd)
{
    d->undoManager().registerUndo(b, [=] { normalizeBuffer(d, b, axis, c, dd, a, bb); });
    if (axis == 0)
        b->normX(a, bb, c, dd);
    else
        b->normY(a, bb, c, dd);
}

void shiftBuffer(VexaDocument* d, DataBuffer* b, int axis, double v)
{
    d->undoManager().registerUndo(b, [=] { shiftBuffer(d, b, axis, -v); });
    if (axis == 0)
        b->addX(v);
    else
        b->addY(v);
}

template <typename F> void undoableOverSelection(VexaDocument& d, F perBuffer)
{
    UndoManager& um = d.undoManager();
    um.beginUndoGrouping();
    um.registerUndo(&d, [p = &d] { replotAction(p); });
    forEachSelected(d, perBuffer);
    um.registerUndo(&d, [p = &d] { closingAction(p); });
    um.endUndoGrouping();
}

} // namespace

Outcome VexaDocument::functionGenerator(int xflag, double from, double to, int n, const QString& expression)
{
    Expression e;
    e.setVar("x", 0).setVar("y", 0);
    if (M)
        e.setVars(M->GV);
    // NaN bounds fail the first test; a span too wide for a double gives no
    // usable step either.
    const double step = (to - from) / double(n > 1 ? n - 1 : 1);
    if (!(from < to) || n < 2 || !std::isfinite(step) || !std::isfinite(from) || !std::isfinite(to))
        return Outcome::refused(QStringLiteral("The function generator has no points to make"));
    // Two columns of doubles per point: past this the buffer alone would
    // take gigabytes, and a typed count of 1e12 must not end the program.
    constexpr int maxGeneratedPoints = 50'000'000;
    if (n > maxGeneratedPoints) {
        return Outcome::failed(
            QStringLiteral("the function generator makes at most %1 points").arg(maxGeneratedPoints),
            QStringLiteral("Too Many Points"));
    }
    if (!e.parse(expression))
        return Outcome::empty(QStringLiteral("The expression could not be read"));
    const int sx = e.slot("x"), sy = e.slot("y");
    auto b = makeBuffer();
    std::vector<double>& arguments = (xflag == 0 ? b->X : b->Y).mutableVector();
    std::vector<double>& results = (xflag == 0 ? b->Y : b->X).mutableVector();
    try {
        // Both columns are written whole: huge pages spare most of the page
        // faults of fresh memory.
        HugePages::reserve(arguments, std::size_t(n));
        // The step is accumulated, as the points have always been placed, so
        // rounding may leave the last one out; the count caps the loop where
        // a step below the resolution of v would never reach `to`.
        double v = from;
        for (int count = 0; v <= to && count < n; ++count) {
            arguments.push_back(v);
            v = v + step;
        }
        results = HugePages::makeVector<double>(arguments.size());
    } catch (const std::bad_alloc&) {
        return Outcome::failed(QStringLiteral("not enough memory for %1 points").arg(n),
                               QStringLiteral("Too Many Points"));
    }
    const Expression::Column columns[] = {{sx, arguments.data()}, {sy, arguments.data()}};
    e.evaluateColumns(columns, arguments.size(), results.data());
    b->source = QStringLiteral("Function");
    b->comment = (xflag == 0 ? QStringLiteral("y=") : QStringLiteral("x=")) + expression
        + QStringLiteral(" (") + g(from) + QLatin1Char('-') + g(to) + QLatin1Char(',') + QString::number(n)
        + QLatin1Char(')');
    b->rescale();
    DB.push_back(std::move(b));
    return Outcome::done();
}

void VexaDocument::bufferCalc(int target, const QString& expression)
{
    forEachSelected(*this, [&](DataBuffer& b) { b.calc(target, expression, {}, M->GV, this); });
}

Outcome VexaDocument::normalize(int xy, double a, double b, double c, double d)
{
    const bool usable = (xy == 0 || xy == 1);
    // A mapping without an inverse would leave nothing to undo to.
    const bool invertible
        = a != b && c != d && std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
    undoableOverSelection(*this, [&](DataBuffer& buffer) {
        if (usable && invertible)
            normalizeBuffer(this, &buffer, xy, a, b, c, d);
    });
    if (usable && !invertible)
        return Outcome::refused(QStringLiteral("The mapping has no inverse"));
    return Outcome::done();
}

Outcome VexaDocument::move(int xy, double from, double to)
{
    const bool usable = (xy == 0 || xy == 1);
    const double v = to - from;
    undoableOverSelection(*this, [&](DataBuffer& buffer) {
        if (usable && std::isfinite(v))
            shiftBuffer(this, &buffer, xy, v);
    });
    if (usable && !std::isfinite(v))
        return Outcome::refused(QStringLiteral("The shift is no finite number"));
    return Outcome::done();
}

std::vector<Outcome> VexaDocument::cut(int xy, double a, double b, int mode)
{
    std::vector<Outcome> refusals;
    forEachSelected(*this, [&](DataBuffer& buffer) {
        if (Outcome cut = buffer.cut(xy, a, b, mode); !cut.ok())
            refusals.push_back(std::move(cut));
    });
    return refusals;
}

namespace {

// Appends a copy of buffer `index` changed by `change`, publishes it as
// "lastbuffer" and replots.
template <typename Change> Outcome appendChangedCopy(VexaDocument& d, int index, Change change)
{
    if (!validIndex(d, index))
        return noBuffer(index);
    auto copy = d.DB[std::size_t(index)]->copyWithZone();
    // A change refused still appends the copy as it was.
    const Outcome changed = change(*copy);
    copy->rescale();
    d.DB.push_back(std::move(copy));
    publish(d, "lastbuffer", double(d.DB.size() - 1));
    if (d.M)
        d.M->update();
    d.replot();
    return changed;
}

} // namespace

Outcome VexaDocument::reduction(int index, int n)
{
    return appendChangedCopy(*this, index, [n](DataBuffer& b) { return b.reduction(n); });
}

Outcome VexaDocument::smooth(int index, int n)
{
    return appendChangedCopy(*this, index, [n](DataBuffer& b) { return b.smooth(n); });
}

Outcome VexaDocument::diff(int index, double interval, Questions& questions)
{
    if (!validIndex(*this, index))
        return noBuffer(index);
    DataBuffer& src = *DB[std::size_t(index)];
    if (!src.checkSort(questions)) {
        replot();
        return Outcome::cancelled();
    }
    // "lastbuffer" names the new buffer before the work starts and keeps
    // that index when the work fails and no buffer is added.
    publish(*this, "lastbuffer", double(DB.size()));
    const docops::Derivative r = docops::derivative(src.X, src.Y, interval);
    if (r.status != docops::Derivative::Ok) {
        return Outcome::failed(r.status == docops::Derivative::IntervalTooSmall
                                   ? QStringLiteral("Interval is to small")
                                   : QString(),
                               QStringLiteral("Differentiate calculation error"));
    }
    auto copy = src.copyWithZone();
    copy->comment = src.comment + QStringLiteral(", diff(") + QString::number(index) + QLatin1Char(',')
        + g(interval) + QLatin1Char(')');
    std::copy(r.slope.begin(), r.slope.end(), copy->Y.mutableData());
    copy->rescale();
    DB.push_back(std::move(copy));
    replot();
    return Outcome::done();
}

Outcome VexaDocument::reg(int index, double x1, double x2, int type)
{
    if (!validIndex(*this, index))
        return noBuffer(index);
    DataBuffer& src = *DB[std::size_t(index)];
    const docops::LineFit fit = docops::fitLine(src.X, src.Y, x1, x2, type);
    switch (fit.status) {
    case docops::LineFit::Ok:
        break;
    case docops::LineFit::TooFewPoints:
        return Outcome::failed(QString(), QStringLiteral("To few points"));
    case docops::LineFit::DivideByZero:
        return Outcome::failed(QString(), QStringLiteral("Dividing by zero error"));
    case docops::LineFit::OutsideDomain:
        return Outcome::failed(
            type == RegLogarithmic
                ? QStringLiteral("logarithmic regression needs x > 0 in the whole interval")
                : QStringLiteral("exponential regression needs y > 0 in the whole interval"),
            QStringLiteral("Regression error"));
    case docops::LineFit::NotFinite:
        return Outcome::failed(QStringLiteral("the fit gives no finite numbers for this interval"),
                               QStringLiteral("Regression error"));
    case docops::LineFit::UnknownType:
        return Outcome::empty(QStringLiteral("There is no regression of type %1").arg(type));
    }
    static constexpr const char* names[] = {"linreg", "logreg", "expreg"};
    auto copy = src.copyWithZone();
    copy->comment = src.comment + QStringLiteral(", ") + QLatin1String(names[type]) + QLatin1Char('(')
        + QString::number(index) + QLatin1Char(',');
    DataBuffer& out = *copy;
    DB.push_back(std::move(copy));
    publish(*this, "lastbuffer", double(DB.size() - 1));
    out.comment += QString::fromStdString(CNumber::format("A=%g,B=%g,r=%g)", fit.a, fit.b, fit.r));
    publish(*this, "rega", fit.a);
    publish(*this, "regb", fit.b);
    publish(*this, "regr", fit.r);
    // The curve covers every point, also those outside the fitted interval.
    const std::size_t count = std::min(out.X.size(), out.Y.size());
    double* y = out.Y.mutableData();
    const double* x = out.X.data();
    for (std::size_t i = 0; i < count; ++i)
        y[i] = docops::fittedValue(type, fit.a, fit.b, x[i]);
    out.rescale();
    replot();
    return Outcome::done();
}

Outcome VexaDocument::integrate(int index, Questions& questions)
{
    if (!validIndex(*this, index))
        return noBuffer(index);
    DataBuffer& src = *DB[std::size_t(index)];
    const bool sorted = src.checkSort(questions);
    if (sorted) {
        auto copy = src.copyWithZone();
        copy->comment
            = src.comment + QStringLiteral(", integral(") + QString::number(index) + QLatin1Char(')');
        // The integral up to the first point is 0: the first point holds 0,
        // not the value it was copied with.
        const std::vector<double> sums = docops::runningIntegral(src.X, src.Y);
        std::copy(sums.begin(), sums.end(), copy->Y.mutableData());
        copy->rescale();
        DB.push_back(std::move(copy));
        publish(*this, "lastbuffer", double(DB.size() - 1));
    }
    rescale(true, axisPair(*this));
    return sorted ? Outcome::done() : Outcome::cancelled();
}

Outcome VexaDocument::integrate(int index, double x1, double x2, Questions& questions)
{
    if (!validIndex(*this, index))
        return noBuffer(index);
    DataBuffer& src = *DB[std::size_t(index)];
    if (!src.checkSort(questions)) {
        replot();
        return Outcome::cancelled();
    }
    const docops::DefiniteIntegral r = docops::definiteIntegral(src.X, src.Y, x1, x2);
    src.comment += QString::fromStdString(
        CNumber::format(", int(%d,%g-%g)=%g", index, src.x(int(r.s)), src.x(int(r.e)), r.value));
    publish(*this, "integral", r.value);
    replot();
    return Outcome::done();
}

Outcome VexaDocument::calcBuf(int a, int b, int op, Questions& questions)
{
    if (!validIndex(*this, a) || !validIndex(*this, b))
        return noBuffer(validIndex(*this, a) ? b : a);
    DataBuffer& A = *DB[std::size_t(a)];
    DataBuffer& B = *DB[std::size_t(b)];
    if (!A.checkSort(questions) || !B.checkSort(questions))
        return Outcome::cancelled();
    if (A.nop() == 0 || B.nop() == 0 || op < ArithAdd || op > ArithDivide)
        return Outcome::empty(QStringLiteral("There is nothing to calculate"));
    docops::Combined points = docops::combine(A.X, A.Y, B.X, B.Y, op);
    if (points.overflow)
        return Outcome::failed(
            QStringLiteral(
                "the result of this buffer calculation would hold more points than a buffer can take"),
            QStringLiteral("Too Many Points"));
    auto out = makeBuffer();
    out->X = std::move(points.x);
    out->Y = std::move(points.y);
    out->rescale();
    static constexpr char symbols[] = {'+', '-', '*', '/'};
    out->comment = QStringLiteral("BufferCalc(") + QString::number(a) + QLatin1Char(symbols[op])
        + QString::number(b) + QLatin1Char(')');
    if (out->nop() == 0)
        return Outcome::refused(QStringLiteral("The buffers have no x range in common"));
    DB.push_back(std::move(out));
    return Outcome::done();
}

void VexaDocument::swapXY(int index)
{
    if (!validIndex(*this, index))
        return;
    DB[std::size_t(index)]->swapXY();
    rescale(true, axisPair(*this));
}
