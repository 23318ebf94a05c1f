#include "model/DataBuffer.h"

#include "platform/Color.h"
#include "platform/CpuFeatures.h"
#include "platform/ParallelRanges.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

DataBuffer::DataBuffer(const BufferDefaults& defaults)
{
    setDefaultStyle(defaults);
}

void DataBuffer::setDefaultStyle(const BufferDefaults& defaults)
{
    style = defaults.style;
    if (defaults.dynsize)
        dynsize = *defaults.dynsize;
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
    c->style = style;
    c->errorbars = errorbars;
    c->plotlegend = plotlegend;
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
    X.erase(std::size_t(i));
    // Y, EX and EY are checked on their own: a buffer written field by field
    // may hold columns of other lengths, and a removal must never read past
    // one of them.
    if (inRange(Y, i))
        Y.erase(std::size_t(i));
    if (errors) {
        if (inRange(EX, i))
            EX.erase(std::size_t(i));
        if (inRange(EY, i))
            EY.erase(std::size_t(i));
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
    auto compact = [&](SharedColumn& shared) {
        const std::size_t limit = std::min(nx, shared.size());
        auto it = indexes.lower_bound(0);
        if (it == indexes.end() || std::size_t(*it) >= limit)
            return;
        std::vector<double>& column = shared.mutableVector();
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

namespace {

using Extent = DataBuffer::FiniteExtent;

// Strict comparisons, in order: among equal extremes (0 and -0) the first
// one stays, as it does when points are added one by one.
void widenExtent(Extent& e, const Extent& more)
{
    if (!more.any)
        return;
    if (!e.any) {
        e = more;
        return;
    }
    e.hi = more.hi > e.hi ? more.hi : e.hi;
    e.lo = more.lo < e.lo ? more.lo : e.lo;
}

#if defined(__x86_64__)
// finiteExtentOf four values at a time: lanes without a finite value hold
// +inf and -inf, and a value replaces its lane's extreme only when strictly
// beyond it. An extreme that is zero is then the first zero of the range,
// -0 or 0, as the pass in order gives.
__attribute__((target("avx2"))) Extent finiteExtentAvx2(const double* v, std::size_t from, std::size_t to)
{
    const __m256d zero = _mm256_setzero_pd(), inf = _mm256_set1_pd(HUGE_VAL),
                  minusInf = _mm256_set1_pd(-HUGE_VAL);
    __m256d lo4 = inf, hi4 = minusInf;
    std::size_t i = from;
    for (; i + 4 <= to; i += 4) {
        const __m256d x = _mm256_loadu_pd(v + i);
        const __m256d finite = _mm256_cmp_pd(_mm256_sub_pd(x, x), zero, _CMP_EQ_OQ);
        lo4 = _mm256_min_pd(_mm256_blendv_pd(inf, x, finite), lo4);
        hi4 = _mm256_max_pd(_mm256_blendv_pd(minusInf, x, finite), hi4);
    }
    double los[4], his[4];
    _mm256_storeu_pd(los, lo4);
    _mm256_storeu_pd(his, hi4);
    _mm256_zeroupper();
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (int lane = 0; lane < 4; ++lane) {
        lo = los[lane] < lo ? los[lane] : lo;
        hi = his[lane] > hi ? his[lane] : hi;
    }
    for (; i < to; ++i) {
        const double x = v[i];
        if (x - x == 0) {
            lo = x < lo ? x : lo;
            hi = x > hi ? x : hi;
        }
    }
    if (!(lo <= hi))
        return {};
    if (lo == 0 || hi == 0) {
        const double firstZero = *std::find(v + from, v + to, 0.0);
        lo = lo == 0 ? firstZero : lo;
        hi = hi == 0 ? firstZero : hi;
    }
    return {lo, hi, true};
}
#endif

Extent finiteExtentOf(const double* v, std::size_t from, std::size_t to)
{
#if defined(__x86_64__)
    if (CpuFeatures::avx2)
        return finiteExtentAvx2(v, from, to);
#endif
    Extent e;
    std::size_t i = from;
    while (i < to && !std::isfinite(v[i]))
        ++i;
    if (i == to)
        return e;
    double lo = v[i], hi = v[i];
    for (++i; i < to; ++i) {
        const double x = v[i];
        if (x - x == 0) { // finite
            hi = x > hi ? x : hi;
            lo = x < lo ? x : lo;
        }
    }
    return {lo, hi, true};
}

// The extents of the finite values among v[0, n): parts of a long column on
// several threads, joined in order, so the same as one pass.
Extent finiteExtent(const double* v, std::size_t n)
{
    constexpr std::size_t kPart = std::size_t(1) << 18;
    const std::size_t parts = ParallelRanges::threadsFor(n, kPart);
    if (parts <= 1)
        return finiteExtentOf(v, 0, n);
    std::vector<Extent> found(parts);
    ParallelRanges::run(parts, 1, [&](std::size_t first, std::size_t last) {
        for (std::size_t k = first; k < last; ++k)
            found[k] = finiteExtentOf(v, n / parts * k, k + 1 == parts ? n : n / parts * (k + 1));
    });
    Extent e;
    for (const Extent& part : found)
        widenExtent(e, part);
    return e;
}

} // namespace

void DataBuffer::FiniteExtent::widen(const double* v, std::size_t from, std::size_t to)
{
    if (from < to)
        widenExtent(*this, finiteExtentOf(v, from, to));
}

void DataBuffer::rescale(const FiniteExtent& x, const FiniteExtent& y)
{
    if (norescale)
        return;
    havexminmax = 0;
    haveyminmax = 0;
    if (X.empty())
        return;
    if (x.any) {
        xmin = x.lo;
        xmax = x.hi;
        havexminmax = 1;
    }
    if (y.any) {
        ymin = y.lo;
        ymax = y.hi;
        haveyminmax = 1;
    }
}

void DataBuffer::rescale()
{
    if (norescale)
        return;
    // A column shorter than X (only direct field writes can cause that) must
    // not be read past its end.
    rescale(finiteExtent(X.data(), X.size()), finiteExtent(Y.data(), std::min(X.size(), Y.size())));
}

void DataBuffer::setXDoubleValueAt(int i, double v)
{
    if (!inRange(X, i))
        return;
    X.set(std::size_t(i), v);
    rescale();
}

void DataBuffer::setYDoubleValueAt(int i, double v)
{
    if (!inRange(Y, i))
        return;
    Y.set(std::size_t(i), v);
    rescale();
}

void DataBuffer::setXDoubleErrorAt(int i, double v)
{
    if (!haserror())
        addError();
    if (!inRange(EX, i))
        return;
    EX.set(std::size_t(i), v);
    rescale();
}

void DataBuffer::setYDoubleErrorAt(int i, double v)
{
    if (!haserror())
        addError();
    if (!inRange(EY, i))
        return;
    EY.set(std::size_t(i), v);
    rescale();
}
