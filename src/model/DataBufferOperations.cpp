// The operations a buffer performs on its own points: export, shifts and
// linear maps, cut, reduction, smoothing, the sort and spacing checks, the
// sort, the exchange of axes and the column expression.

#include "model/DataBufferOperations.h"

#include "expression/Expression.h"
#include "model/DataBuffer.h"
#include "model/Questions.h"
#include "model/VexaDocument.h"
#include "platform/AtomicFile.h"
#include "platform/CNumber.h"
#include "platform/CpuFeatures.h"
#include "platform/HugePages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace DataBufferOperations {

std::vector<double> blockMeans(const std::vector<double>& values, std::size_t n)
{
    std::vector<double> out;
    if (n == 0)
        return out;
    const std::size_t blocks = values.size() / n;
    out.reserve(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        double sum = 0;
        for (std::size_t k = b * n; k < (b + 1) * n; ++k)
            sum += values[k];
        out.push_back(sum / double(n));
    }
    return out;
}

void smoothInPlace(std::vector<double>& values, std::size_t n, std::vector<double>& scratch)
{
    const std::size_t count = values.size();
    if (n == 0 || count == 0)
        return;
    // Aligned blocks as wide as the window: a window of at most that width
    // is one block's tail plus the next block's head, or a leading or
    // trailing piece of one block. Suffix sums run backward inside a block;
    // the prefix sum runs forward with the window's right end and restarts
    // at each block, so no sum ever carries a value from outside the window
    // it serves. The right end is never behind the point being written, so
    // the means replace the values in place; a block's suffix sums are taken
    // just before its first value is replaced and are needed until the
    // window's left end leaves it, so two blocks' worth of work space do.
    const std::size_t width = 2 * n;
    const std::size_t span = std::min(width, count);
    scratch.resize(2 * span);
    double* suffix[2] = {scratch.data(), scratch.data() + span};
    std::size_t right = std::min(n - 1, count - 1);
    double prefix = values[0];
    for (std::size_t k = 1; k <= right; ++k)
        prefix += values[k];
    for (std::size_t i = 0; i < count; ++i) {
        if (i % width == 0) {
            double* sums = suffix[(i / width) % 2];
            const std::size_t end = std::min(i + width, count);
            sums[end - 1 - i] = values[end - 1];
            for (std::size_t k = end - 1; k > i; --k)
                sums[k - 1 - i] = values[k - 1] + sums[k - i];
        }
        const std::size_t hi = std::min(i + n - 1, count - 1);
        if (hi > right) {
            right = hi;
            prefix = right % width == 0 ? values[right] : prefix + values[right];
        }
        const std::size_t lo = i >= n ? i - n : 0;
        const std::size_t block = lo / width;
        const std::size_t blockEnd = std::min((block + 1) * width, count) - 1;
        const double tail = suffix[block % 2][lo - block * width];
        double sum;
        if (hi > blockEnd)
            sum = tail + prefix;
        else if (hi == blockEnd)
            sum = tail;
        else // the window starts its block
            sum = prefix;
        values[i] = sum / double(hi - lo + 1);
    }
}

std::vector<double> windowMeans(const std::vector<double>& values, std::size_t n)
{
    std::vector<double> out = values, suffix;
    smoothInPlace(out, n, suffix);
    return out;
}

bool isAscending(const std::vector<double>& x)
{
    for (std::size_t i = 0; i + 1 < x.size(); ++i)
        if (x[i] > x[i + 1])
            return false;
    return true;
}

#if defined(__x86_64__)
namespace {

// The steps of isEvenlySpaced four at a time, the same tests as lane masks;
// returns where the steps still to check begin, or size when one failed
// (failed is then set).
__attribute__((target("avx2"))) std::size_t evenStepsAvx2(const double* x, std::size_t size, double lo,
                                                          double hi, bool& failed)
{
    const __m256d sign = _mm256_set1_pd(-0.0), lo4 = _mm256_set1_pd(lo), hi4 = _mm256_set1_pd(hi);
    std::size_t i = 0;
    for (; i + 5 <= size; i += 4) {
        const __m256d a = _mm256_loadu_pd(x + i), b = _mm256_loadu_pd(x + i + 1);
        const __m256d d = _mm256_andnot_pd(sign, _mm256_sub_pd(b, a));
        const __m256d within
            = _mm256_and_pd(_mm256_cmp_pd(lo4, d, _CMP_LT_OQ), _mm256_cmp_pd(d, hi4, _CMP_LT_OQ));
        const __m256d bad
            = _mm256_or_pd(_mm256_cmp_pd(a, b, _CMP_GT_OQ),
                           _mm256_andnot_pd(within, _mm256_castsi256_pd(_mm256_set1_epi64x(-1))));
        if (_mm256_movemask_pd(bad)) {
            failed = true;
            break;
        }
    }
    _mm256_zeroupper();
    return i;
}

} // namespace
#endif

bool isEvenlySpaced(const std::vector<double>& x)
{
    if (x.size() < 2)
        return true;
    const double d0 = std::fabs(x[1] - x[0]);
    const double lo = d0 - d0 / 20;
    const double hi = d0 + d0 / 20;
    std::size_t from = 0;
#if defined(__x86_64__)
    if (CpuFeatures::avx2) {
        bool failed = false;
        from = evenStepsAvx2(x.data(), x.size(), lo, hi, failed);
        if (failed)
            return false;
    }
#endif
    for (std::size_t i = from; i + 1 < x.size(); ++i) {
        const double d = std::fabs(x[i + 1] - x[i]);
        if (x[i] > x[i + 1] || !(lo < d && d < hi))
            return false;
    }
    return true;
}

std::vector<std::size_t> shellSortOrder(const std::vector<double>& x)
{
    static constexpr std::array<std::size_t, 26> gaps
        = {363552448, 165251120, 75114144, 34142792, 15519450, 7054296, 3206498, 1457499, 662500,
           301136,    136880,    62218,    28281,    12855,    5843,    2656,    1207,    549,
           249,       113,       52,       23,       11,       5,       2,       1};
    const std::size_t n = x.size();
    // Keys travel with their indexes so the passes stay in one cache-friendly
    // array; shifting instead of swapping moves the same points to the same
    // places.
    std::vector<std::pair<double, std::size_t>> items(n);
    for (std::size_t i = 0; i < n; ++i)
        items[i] = {x[i], i};
    std::size_t g0 = 0;
    while (g0 < gaps.size() && gaps[g0] > n)
        ++g0;
    for (std::size_t gi = g0; gi < gaps.size(); ++gi) {
        const std::size_t g = gaps[gi];
        for (std::size_t k = g; k < n; ++k) {
            const auto moving = items[k];
            std::size_t j = k;
            while (j >= g && moving.first < items[j - g].first) {
                items[j] = items[j - g];
                j -= g;
            }
            items[j] = moving;
        }
    }
    std::vector<std::size_t> order(n);
    for (std::size_t k = 0; k < n; ++k)
        order[k] = items[k].second;
    return order;
}

std::vector<double> permuted(const std::vector<double>& values, const std::vector<std::size_t>& order)
{
    std::vector<double> out = HugePages::makeVector<double>(order.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        out[k] = values[order[k]];
    return out;
}

bool keptByCut(double v, double lo, double hi, int mode)
{
    if (mode == 0)
        return lo < v && v < hi;
    if (mode == 1)
        return v < lo || v > hi;
    return false;
}

std::string asciiLine(const double* v, int count)
{
    switch (count) {
    case 2:
        return CNumber::format("%.16g\t%.16g\n", v[0], v[1]);
    case 3:
        return CNumber::format("%.16g\t%.16g\t%.16g\n", v[0], v[1], v[2]);
    case 4:
        return CNumber::format("%.16g\t%.16g\t%.16g\t%.16g\n", v[0], v[1], v[2], v[3]);
    default:
        return {};
    }
}

} // namespace DataBufferOperations

namespace {

namespace ops = DataBufferOperations;

// Errors appended with the quick forms can fall short of the points; the
// accessors read the missing ones as 0, and operations that rebuild the
// columns make that explicit so that all four end up the same length.
void padErrors(DataBuffer& b)
{
    if (!b.haserror())
        return;
    b.EX.resize(b.X.size(), 0.0);
    b.EY.resize(b.X.size(), 0.0);
}

bool finite(std::initializer_list<double> values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// (v - a)(d - c)/(b - a) + c over a whole column.
void mapColumn(std::vector<double>& column, double a, double b, double c, double d)
{
    if (a == b || c == d || !finite({a, b, c, d}))
        return;
    const double f = (d - c) / (b - a);
    for (double& v : column)
        v = (v - a) * f + c;
}

void shiftColumn(std::vector<double>& column, double v)
{
    if (!std::isfinite(v))
        return;
    for (double& x : column)
        x += v;
}

// Failed when the factor is too large for the buffer; done otherwise.
Outcome enoughPoints(const DataBuffer& b, int n, const char* what)
{
    // A negative factor counts as too large; 2n is formed in 64 bits so that
    // a huge factor cannot wrap into a small one. A factor of 0 describes no
    // block and no window at all and is refused the same way.
    if (n >= 1 && std::int64_t(b.nop()) >= 2 * std::int64_t(n))
        return Outcome::done();
    return Outcome::failed(
        QStringLiteral("this buffer contain to few points for %1 with this factor").arg(QLatin1String(what)),
        QStringLiteral("To Few Points"));
}

// Column i of the buffer's points, the error columns only when it carries
// errors.
template <typename F> void forEachColumn(DataBuffer& b, F f)
{
    const bool errors = b.haserror();
    f(b.X.mutableVector());
    f(b.Y.mutableVector());
    if (errors) {
        f(b.EX.mutableVector());
        f(b.EY.mutableVector());
    }
}

} // namespace

Outcome DataBuffer::exportASCII(const QString& path, int mode) const
{
    if (mode < 0 || mode > 2)
        mode = ExportXYErrors;
    const bool errors = haserror();
    AtomicFile file(path);
    auto failed = [&file] { return Outcome::failed(file.errorString()); };
    if (!file.open())
        return failed();
    std::string chunk;
    chunk.reserve(1 << 16);
    const int n = int(std::min<std::size_t>(X.size(), std::size_t(std::numeric_limits<int>::max())));
    for (int i = 0; i < n; ++i) {
        double v[4] = {x(i), y(i), 0, 0};
        int count = 2;
        if (errors) {
            if (mode == ExportXYErrors) {
                v[2] = xe(i);
                v[3] = ye(i);
                count = 4;
            } else {
                v[2] = mode == ExportXYYError ? ye(i) : xe(i);
                count = 3;
            }
        }
        chunk += ops::asciiLine(v, count);
        if (chunk.size() >= (1 << 16) - 128) {
            if (!file.write(chunk.data(), qint64(chunk.size())))
                return failed();
            chunk.clear();
        }
    }
    if (!chunk.empty() && !file.write(chunk.data(), qint64(chunk.size())))
        return failed();
    return file.commit() ? Outcome::done() : failed();
}

void DataBuffer::linBg(double a, double b)
{
    if (!finite({a, b}))
        return;
    const std::size_t n = std::min(X.size(), Y.size());
    double* y = Y.mutableData();
    const double* x = X.data();
    for (std::size_t i = 0; i < n; ++i)
        y[i] = y[i] + a * x[i] + b;
    rescale();
}

void DataBuffer::addX(double v)
{
    shiftColumn(X.mutableVector(), v);
    rescale();
}

void DataBuffer::addY(double v)
{
    shiftColumn(Y.mutableVector(), v);
    rescale();
}

void DataBuffer::normX(double a, double b, double c, double d)
{
    mapColumn(X.mutableVector(), a, b, c, d);
    rescale();
}

void DataBuffer::normY(double a, double b, double c, double d)
{
    mapColumn(Y.mutableVector(), a, b, c, d);
    rescale();
}

Outcome DataBuffer::cut(int axis, double a, double b, int mode)
{
    const double lo = b < a ? b : a;
    const double hi = b < a ? a : b;
    const std::size_t n = std::size_t(nop());
    const SharedColumn* tested = axis == 0 ? &X : axis == 1 ? &Y : nullptr;
    std::vector<char> keep(n, 0);
    std::size_t kept = 0;
    if (tested) {
        for (std::size_t i = 0; i < n; ++i) {
            keep[i] = ops::keptByCut((*tested)[i], lo, hi, mode) ? 1 : 0;
            kept += std::size_t(keep[i]);
        }
    }
    if (kept == 0)
        return Outcome::refused(QStringLiteral("The cut would leave no points"));
    padErrors(*this);
    forEachColumn(*this, [&](std::vector<double>& column) {
        std::size_t out = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (keep[i])
                column[out++] = column[i];
        column.resize(out);
    });
    rescale();
    return Outcome::done();
}

Outcome DataBuffer::reduction(int n)
{
    if (Outcome enough = enoughPoints(*this, n, "data reduction"); !enough.ok())
        return enough;
    comment += CNumber::format(", data reduction(%d)", n).c_str();
    padErrors(*this);
    forEachColumn(*this,
                  [n](std::vector<double>& column) { column = ops::blockMeans(column, std::size_t(n)); });
    rescale();
    return Outcome::done();
}

Outcome DataBuffer::smooth(int n)
{
    if (Outcome enough = enoughPoints(*this, n, "smoothing"); !enough.ok())
        return enough;
    comment += CNumber::format(", smooth(%d)", n).c_str();
    padErrors(*this);
    std::vector<double> scratch;
    forEachColumn(*this,
                  [&](std::vector<double>& column) { ops::smoothInPlace(column, std::size_t(n), scratch); });
    rescale();
    return Outcome::done();
}

bool DataBuffer::checkDX(bool warnings, Questions& questions) const
{
    if (!warnings)
        return true;
    if (nop() < 2 || ops::isEvenlySpaced(X))
        return true;
    return questions.continueWithUnevenSpacing();
}

bool DataBuffer::checkSort(Questions& questions)
{
    if (nop() < 2 || ops::isAscending(X))
        return true;
    if (!questions.sortUnsortedBuffer())
        return false;
    sort();
    return true;
}

void DataBuffer::sort()
{
    const std::size_t n = std::size_t(nop());
    if (n > 1) {
        padErrors(*this);
        const std::vector<std::size_t> order = ops::shellSortOrder(X);
        forEachColumn(*this, [&](std::vector<double>& column) { column = ops::permuted(column, order); });
    }
    rescale();
}

void DataBuffer::swapXY()
{
    std::swap(X, Y);
    if (haserror())
        std::swap(EX, EY);
    rescale();
}

void DataBuffer::calc(int target, const QString& expression, const QList<double>& globals,
                      const QHash<QString, double>& variables, const VexaDocument* document)
{
    static constexpr const char* suffix[] = {"x", "y", "xe", "ye"};
    if (target < CalcX || target > CalcYError)
        return;
    if ((target == CalcXError || target == CalcYError) && !haserror())
        addError();

    Expression e;
    static constexpr const char* names[] = {"x", "y", "ex", "ey", "bn", "nb", "cb", "np", "dp"};
    for (const char* name : names)
        e.setVar(name, 0);
    e.setGlobalVars(globals);
    e.setVars(variables);
    if (!e.parse(expression))
        return;

    int slotOf[9];
    for (int k = 0; k < 9; ++k)
        slotOf[k] = e.slot(names[k]);

    double bn = -1, nb = 0, cb = 0;
    if (document) {
        nb = double(document->DB.size());
        cb = double(document->current);
        for (std::size_t k = 0; k < document->DB.size(); ++k)
            if (document->DB[k].get() == this) {
                bn = double(k);
                break;
            }
    }

    padErrors(*this);
    const bool errors = haserror();
    const int n = nop();
    SharedColumn& column = target == CalcX ? X : target == CalcY ? Y : target == CalcXError ? EX : EY;
    // The results replace the column where it is this buffer's alone;
    // a shared column gets fresh memory instead of a copy to write over.
    const bool inPlace = n > 0 && !column.isShared();
    std::vector<double> fresh
        = inPlace ? std::vector<double>() : HugePages::makeVector<double>(std::size_t(n));
    double* const out = inPlace ? column.mutableData() : fresh.data();
    // Nothing in the language assigns, so what does not vary per point is
    // set once; a dictionary entry named like a point variable is overwritten
    // here as every point would.
    e.setValue(slotOf[2], 0);
    e.setValue(slotOf[3], 0);
    e.setValue(slotOf[4], bn);
    e.setValue(slotOf[5], nb);
    e.setValue(slotOf[6], cb);
    e.setValue(slotOf[7], double(n));
    std::vector<Expression::Column> columns
        = {{slotOf[0], X.data()}, {slotOf[1], Y.data()}, {slotOf[8], nullptr}};
    if (errors) {
        columns.push_back({slotOf[2], EX.data()});
        columns.push_back({slotOf[3], EY.data()});
    }
    e.evaluateColumns(columns, std::size_t(n), out);
    comment += QStringLiteral(", calc(%1=%2)").arg(QLatin1String(suffix[target]), expression);
    if (n > 0 && !inPlace)
        column = std::move(fresh);
    rescale();
}
