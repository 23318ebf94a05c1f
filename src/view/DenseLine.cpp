#include "view/DenseLine.h"

#include "platform/CpuFeatures.h"
#include "platform/ParallelRanges.h"
#include "platform/VectorState.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace DenseLine {

namespace {

// The data value of a view coordinate, the inverse of the axis map.
double valueAt(const VexaView::AxisMap& m, double v)
{
    if (m.log)
        return std::pow(10.0, m.logMin + (v - m.origin) * m.logSpan / m.extent);
    return m.min + (v - m.origin) * (m.max - m.min) / m.extent;
}

// Where a vertex needs no test before it joins the run of its column: a
// y value in [ylo, yhi] (finite, one the axis can show, and for a line not
// beyond the y range), in a column that lies within [xlo, xhi].
struct Plain {
    double xlo, xhi, ylo, yhi;
};

// The lowest and highest of a stretch of y values, each the first of its
// equals, as taking them one by one in order finds them.
struct Extremes {
    double low = 0, high = 0;
    std::size_t lowAt = 0, highAt = 0;
};

#if defined(__x86_64__)
// Y[from], Y[from + 1], ... eight at a time while all eight lie in [ylo, yhi];
// returns the first index not taken (from when none was). Each lane keeps
// the first of its extremes (strict comparisons); among lanes with equal
// extremes the lowest index wins.
__attribute__((target("avx2"))) std::size_t extremesAvx2(const double* Y, std::size_t from, std::size_t to,
                                                         double ylo, double yhi, Extremes& e)
{
    const __m256d lo = _mm256_set1_pd(ylo), hi = _mm256_set1_pd(yhi), eight = _mm256_set1_pd(8);
    __m256d low[2], high[2], lowAt[2], highAt[2];
    __m256d at[2] = {_mm256_setr_pd(0, 1, 2, 3), _mm256_setr_pd(4, 5, 6, 7)};
    for (int k = 0; k < 2; ++k) {
        low[k] = _mm256_set1_pd(HUGE_VAL);
        high[k] = _mm256_set1_pd(-HUGE_VAL);
        lowAt[k] = highAt[k] = _mm256_setzero_pd();
        at[k] = _mm256_add_pd(at[k], _mm256_set1_pd(double(from)));
    }
    std::size_t j = from;
    for (; j + 8 <= to; j += 8) {
        const __m256d y[2] = {_mm256_loadu_pd(Y + j), _mm256_loadu_pd(Y + j + 4)};
        const __m256d in0
            = _mm256_and_pd(_mm256_cmp_pd(y[0], lo, _CMP_GE_OQ), _mm256_cmp_pd(y[0], hi, _CMP_LE_OQ));
        const __m256d in1
            = _mm256_and_pd(_mm256_cmp_pd(y[1], lo, _CMP_GE_OQ), _mm256_cmp_pd(y[1], hi, _CMP_LE_OQ));
        if (_mm256_movemask_pd(_mm256_and_pd(in0, in1)) != 0xF)
            break;
        for (int k = 0; k < 2; ++k) {
            const __m256d below = _mm256_cmp_pd(y[k], low[k], _CMP_LT_OQ);
            const __m256d above = _mm256_cmp_pd(y[k], high[k], _CMP_GT_OQ);
            low[k] = _mm256_blendv_pd(low[k], y[k], below);
            lowAt[k] = _mm256_blendv_pd(lowAt[k], at[k], below);
            high[k] = _mm256_blendv_pd(high[k], y[k], above);
            highAt[k] = _mm256_blendv_pd(highAt[k], at[k], above);
            at[k] = _mm256_add_pd(at[k], eight);
        }
    }
    if (j == from) {
        _mm256_zeroupper();
        return j;
    }
    double lows[8], highs[8], lowsAt[8], highsAt[8];
    for (int k = 0; k < 2; ++k) {
        _mm256_storeu_pd(lows + 4 * k, low[k]);
        _mm256_storeu_pd(highs + 4 * k, high[k]);
        _mm256_storeu_pd(lowsAt + 4 * k, lowAt[k]);
        _mm256_storeu_pd(highsAt + 4 * k, highAt[k]);
    }
    _mm256_zeroupper();
    e = {lows[0], highs[0], std::size_t(lowsAt[0]), std::size_t(highsAt[0])};
    for (int lane = 1; lane < 8; ++lane) {
        const std::size_t l = std::size_t(lowsAt[lane]), h = std::size_t(highsAt[lane]);
        if (lows[lane] < e.low || (lows[lane] == e.low && l < e.lowAt))
            e.low = lows[lane], e.lowAt = l;
        if (highs[lane] > e.high || (highs[lane] == e.high && h < e.highAt))
            e.high = highs[lane], e.highAt = h;
    }
    return j;
}
#endif

// Consecutive vertices grouped by column; a group leaves its first, lowest,
// highest and last vertex, in their order.
class Runs {
public:
    // Of a line, segments within the span of their column may be left out;
    // an outline is filled, and has its spans marked only on pixels.
    // xOrder: how the x values run.
    enum class Kind { Line, Outline };
    Runs(const Columns& columns, ColumnOrder xOrder, const Plain& plain, Kind kind, std::vector<Vertex>& out)
            : columns_(columns)
            , xOrder_(xOrder)
            , plain_(plain)
            , line_(kind == Kind::Line)
            , out_(out)
    {
    }

    void start(double x, double y, std::size_t i)
    {
        flush();
        open(x, y, i, true);
    }

    void next(double x, double y, std::size_t i)
    {
        if (active_ && x >= lo_ && x < hi_) {
            take(x, y, i);
            last_ = {x, y, i};
            return;
        }
        flush();
        open(x, y, i, false);
    }

    // Vertex i is the last one taken: takes i + 1, i + 2, ... up to `end`
    // while they stay in its column and need no test. Returns the last
    // index taken. Most vertices of a dense line pass here.
    std::size_t extend(const double* X, const double* Y, std::size_t i, std::size_t end)
    {
        if (!active_ || !plainColumn_)
            return i;
        const std::size_t from = i;
        if (xOrder_ != ColumnOrder::Neither)
            i = takeColumn(X, Y, i, end);
        const double lo = lo_, hi = hi_, ylo = plain_.ylo, yhi = plain_.yhi;
        while (i < end) {
            const double x = X[i + 1], y = Y[i + 1];
            if (!(x >= lo && x < hi && y >= ylo && y <= yhi))
                break;
            take(x, y, ++i);
        }
        if (i != from)
            last_ = {X[i], Y[i], i};
        return i;
    }

    // A vertex that joins no group.
    void alone(double x, double y)
    {
        flush();
        out_.push_back({x, y, false});
    }

    void flush()
    {
        if (!active_)
            return;
        active_ = false;
        out_.push_back({first_.x, first_.y, starts_});
        const Kept* a = &low_;
        const Kept* b = &high_;
        if (b->i < a->i)
            std::swap(a, b);
        // From a to b the line crosses the whole span of the column; the
        // way from the first vertex to a and from b to the last lies in it.
        // Where one of them lies between the first and the last vertex the
        // line turns in the column: it is a span, be a or b the first or the
        // last vertex. A line through the column one way only is none.
        const bool aKept = a->i != first_.i && a->i != last_.i;
        const bool bKept = b->i != a->i && b->i != first_.i && b->i != last_.i;
        const bool span = (line_ || columns_.pixels) && b->i != a->i && (aKept || bKept);
        // On pixels the span of this column and that of the column before
        // are filled from side to side: the segment joining them adds
        // nothing where it stays within both.
        out_.back().spanned = line_ && span && !starts_ && before_.span && adjacent(before_.lo, before_.hi)
            && within(first_.y, before_.low, before_.high) && within(before_.last, low_.y, high_.y);
        if (aKept)
            out_.push_back({a->x, a->y, false, line_});
        if (bKept)
            out_.push_back({b->x, b->y, false, false, span});
        if (last_.i != first_.i)
            out_.push_back({last_.x, last_.y, false, line_ && bKept, span && !bKept});
        before_ = {span && columns_.pixels, lo_, hi_, low_.y, high_.y, last_.y};
    }

private:
    struct Kept {
        double x, y;
        std::size_t i;
    };

    // The run flushed last, while the line went on from it.
    struct Before {
        bool span = false; // a span filled from side to side
        double lo = 0, hi = 0; // its column
        double low = 0, high = 0, last = 0; // y values
    };

    static bool within(double v, double low, double high) { return low <= v && v <= high; }
    // The column [lo, hi) borders that of this run.
    bool adjacent(double lo, double hi) const { return hi == lo_ || lo == hi_; }

    // With x running one way, the vertices in the column end where a binary
    // search finds; of those only the y values are read, many at a time,
    // while they need no test. Returns the last index taken.
    std::size_t takeColumn(const double* X, const double* Y, std::size_t i, std::size_t end)
    {
#if defined(__x86_64__)
        if (!CpuFeatures::avx2)
            return i;
        const double lo = lo_, hi = hi_;
        const double* past = xOrder_ == ColumnOrder::Ascending
            ? std::partition_point(X + i + 1, X + end + 1, [hi](double x) { return x < hi; })
            : std::partition_point(X + i + 1, X + end + 1, [lo](double x) { return x >= lo; });
        Extremes e;
        const std::size_t next = extremesAvx2(Y, i + 1, std::size_t(past - X), plain_.ylo, plain_.yhi, e);
        if (next == i + 1)
            return i;
        if (e.low < low_.y)
            low_ = {X[e.lowAt], e.low, e.lowAt};
        if (e.high > high_.y)
            high_ = {X[e.highAt], e.high, e.highAt};
        return next - 1;
#else
        (void)X, (void)Y, (void)end;
        return i;
#endif
    }

    void take(double x, double y, std::size_t i)
    {
        if (y < low_.y)
            low_ = {x, y, i};
        if (y > high_.y)
            high_ = {x, y, i};
    }

    void open(double x, double y, std::size_t i, bool starts)
    {
        first_ = low_ = high_ = last_ = {x, y, i};
        starts_ = starts;
        active_ = true;
        columns_.interval(x, lo_, hi_);
        plainColumn_ = lo_ < hi_ && lo_ >= plain_.xlo && hi_ <= plain_.xhi;
    }

    const Columns& columns_;
    const ColumnOrder xOrder_;
    const Plain plain_;
    const bool line_;
    std::vector<Vertex>& out_;
    bool active_ = false, starts_ = false, plainColumn_ = false;
    double lo_ = 0, hi_ = 0;
    Kept first_{}, low_{}, high_{}, last_{};
    Before before_;
};

// One piece of a line, reduced on its own. Its first drawn segment may
// continue the line of the pieces before it: until the piece sees a break
// it cannot tell, so that segment's first point is held back (head) and
// placed when the pieces are joined.
struct LinePiece {
    std::vector<Vertex> vertices;
    Vertex head{};
    bool headPending = false; // vertices[0] continues from head, or from the piece before
    bool decided = false; // a segment was drawn or the line broken here
    bool open = false; // the line is open at the end (when decided)
};

// Segments first .. last - 1, segment i joining points i and i + 1.
void reduceLine(const double* X, const double* Y, std::size_t first, std::size_t last, ColumnOrder xOrder,
                const LineRules& r, const Columns& columns, LinePiece& piece)
{
    VectorState::clearUpper();
    using Point = LineRules::Point;
    constexpr double inf = std::numeric_limits<double>::infinity();
    // A segment to a point inside both ranges is never culled; without
    // culling, any finite point the axes can show will do.
    Plain plain{-inf, inf, r.yLog ? std::numeric_limits<double>::denorm_min() : -inf, inf};
    if (r.cull) {
        plain = {r.xlo, r.xhi, r.ylo, r.yhi};
        if (r.yLog)
            plain.ylo = std::max(plain.ylo, std::numeric_limits<double>::denorm_min());
    }
    plain.yhi = std::min(plain.yhi, std::numeric_limits<double>::max());
    plain.ylo = std::max(plain.ylo, -std::numeric_limits<double>::max());
    Runs runs(columns, xOrder, plain, Runs::Kind::Line, piece.vertices);
    bool open = false;
    double x1 = X[first], y1 = Y[first];
    Point k1 = r.point(x1, y1);
    for (std::size_t i = first; i < last; ++i) {
        if (open && k1 == Point::Drawn) {
            // The line goes on through point i: the segments after it that
            // stay in its run's column and need no test.
            i = runs.extend(X, Y, i, last);
            if (i == last)
                break;
            x1 = X[i], y1 = Y[i];
        }
        const double x2 = X[i + 1], y2 = Y[i + 1];
        const Point k2 = r.point(x2, y2);
        if (k1 != Point::Drawn || k2 != Point::Drawn) {
            if (k1 == Point::NotFinite || k2 == Point::NotFinite || r.breakAtLogInvalid) {
                open = false;
                piece.decided = true;
            }
        } else if (r.culls(x1, y1, x2, y2)) {
            open = false;
            piece.decided = true;
        } else if (open) {
            runs.next(x2, y2, i + 1);
        } else {
            if (!piece.decided) {
                piece.head = {x1, y1, true};
                piece.headPending = true;
                runs.start(x2, y2, i + 1);
            } else {
                runs.start(x1, y1, i);
                runs.next(x2, y2, i + 1);
            }
            open = piece.decided = true;
        }
        x1 = x2, y1 = y2, k1 = k2;
    }
    runs.flush();
    piece.open = open;
}

void reduceOutline(const double* X, const double* Y, std::size_t first, std::size_t last, ColumnOrder xOrder,
                   bool xLog, bool yLog, const Columns& columns, std::vector<Vertex>& out)
{
    VectorState::clearUpper();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double most = std::numeric_limits<double>::max();
    Runs runs(columns, xOrder,
              Plain{-inf, inf, yLog ? std::numeric_limits<double>::denorm_min() : -most, most},
              Runs::Kind::Outline, out);
    for (std::size_t i = first; i < last; ++i) {
        const double x = X[i], y = Y[i];
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        if ((xLog && x <= 0) || (yLog && y <= 0)) {
            runs.alone(x, y);
            continue;
        }
        runs.next(x, y, i);
        i = runs.extend(X, Y, i, last - 1);
    }
    runs.flush();
}

// Long work is cut into pieces of about this many items, reduced on all
// cores; short work stays on the calling thread.
constexpr std::size_t kPiece = std::size_t(1) << 17;

std::size_t piecesFor(std::size_t count)
{
    return std::max<std::size_t>(1, (count + kPiece - 1) / kPiece);
}

// Runs work(piece, first, last) for each of `pieces` nearly equal parts of
// [0, count).
template <class Work> void inPieces(std::size_t count, std::size_t pieces, Work work)
{
    auto begin = [&](std::size_t p) { return count / pieces * p + std::min(p, count % pieces); };
    ParallelRanges::run(pieces, 1, [&](std::size_t b, std::size_t e) {
        for (std::size_t p = b; p < e; ++p)
            work(p, begin(p), begin(p + 1));
    });
}

} // namespace

void Columns::interval(double v, double& lo, double& hi) const
{
    lo = hi = v; // empty
    if (!x.bound || (x.log && (!x.logUsable || v <= 0)) || !(scale > 0))
        return;
    const double d = x(v) * scale + offset;
    if (!std::isfinite(d))
        return;
    const double c = std::floor(d);
    double a = valueAt(x, (c - offset) / scale);
    double b = valueAt(x, (c + 1 - offset) / scale);
    if (a > b)
        std::swap(a, b);
    // Rounding may leave v just outside its own column: it then stays alone.
    if (a <= v && v < b)
        lo = a, hi = b;
}

Columns columnsFor(const QPainter& painter, const VexaView::AxisMap& x)
{
    Columns c;
    c.x = x;
    const QTransform t = painter.deviceTransform();
    const QPaintEngine* engine = painter.paintEngine();
    const bool pixels = engine && engine->type() == QPaintEngine::Raster;
    const double scale = std::hypot(t.m11(), t.m12());
    if (!std::isfinite(scale))
        return c;
    if (pixels && t.m12() == 0 && t.m21() == 0) {
        // Columns on the device's own pixel borders, mirrored or not.
        c.scale = std::fabs(t.m11());
        c.offset = t.m11() < 0 ? -t.dx() : t.dx();
        c.pixels = true;
        return c;
    }
    c.scale = pixels ? scale : std::max(scale, 16.0);
    return c;
}

std::vector<Vertex> line(const double* X, const double* Y, std::size_t n, ColumnOrder xOrder,
                         const LineRules& rules, const Columns& columns)
{
    std::vector<Vertex> out;
    if (n < 2)
        return out;
    std::vector<LinePiece> pieces(piecesFor(n - 1));
    inPieces(n - 1, pieces.size(), [&](std::size_t p, std::size_t first, std::size_t last) {
        reduceLine(X, Y, first, last, xOrder, rules, columns, pieces[p]);
    });

    bool open = false;
    for (LinePiece& piece : pieces) {
        if (piece.headPending) {
            if (!open)
                out.push_back(piece.head);
            piece.vertices.front().start = false;
        }
        out.insert(out.end(), piece.vertices.begin(), piece.vertices.end());
        if (piece.decided)
            open = piece.open;
    }
    return out;
}

Bands::Bands(const Columns& columns, double width, const QRectF& guard)
        : columns_(columns)
        , guard_(guard)
{
    const double pixel = columns.scale > 0 ? 1 / columns.scale : 0;
    half_ = std::max(std::isfinite(width) ? std::min(std::fabs(width), 1e6) : 0, pixel) / 2;
}

void Bands::add(QPointF a, QPointF b)
{
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
        return;
    const double c = std::floor(a.x() * columns_.scale + columns_.offset);
    double left = std::min((c - columns_.offset) / columns_.scale, std::min(a.x(), b.x()) - half_);
    double right = std::max((c + 1 - columns_.offset) / columns_.scale, std::max(a.x(), b.x()) + half_);
    double bottom = std::min(a.y(), b.y()) - half_, top = std::max(a.y(), b.y()) + half_;
    // Cut to the guard: the part that can be seen stays as it was.
    left = std::clamp(left, guard_.left(), guard_.right());
    right = std::clamp(right, guard_.left(), guard_.right());
    bottom = std::clamp(bottom, guard_.top(), guard_.bottom());
    top = std::clamp(top, guard_.top(), guard_.bottom());
    if (!(left < right && bottom < top))
        return;
    const Rect r{left, right, bottom, top};
    if (!band_.empty()) {
        // Where the rectangles overlap, each left and right end further
        // right than the one before, every x of the band lies in one run of
        // them whose heights join: its edges are those of the band.
        const Rect& q = band_.back();
        if (!(r.left >= q.left && r.right >= q.right && r.left <= q.right && r.bottom <= q.top
              && r.top >= q.bottom))
            closeBand();
    }
    band_.push_back(r);
}

void Bands::edge(bool upper, std::vector<QPointF>& out) const
{
    // The highest top (lowest bottom) of the rectangles over each x: the
    // rectangles enter at their left ends and leave at their right ends,
    // both in order; `best` holds those that may still lead, best first.
    auto height = [&](std::size_t i) { return upper ? band_[i].top : -band_[i].bottom; };
    std::vector<std::size_t> best;
    std::size_t head = 0, in = 0, gone = 0;
    bool have = false;
    double now = 0;
    while (gone < band_.size()) {
        double x;
        if (in < band_.size() && band_[in].left <= band_[gone].right) {
            x = band_[in].left;
            while (best.size() > head && height(best.back()) <= height(in))
                best.pop_back();
            best.push_back(in++);
        } else {
            x = band_[gone].right;
            if (best.size() > head && best[head] == gone)
                ++head;
            ++gone;
        }
        const bool any = best.size() > head;
        const double h = any ? height(best[head]) : 0;
        if (any && have && h == now)
            continue;
        if (have)
            out.emplace_back(x, upper ? now : -now);
        if (any)
            out.emplace_back(x, upper ? h : -h);
        have = any;
        now = h;
    }
}

void Bands::closeBand()
{
    if (band_.empty())
        return;
    upper_.clear();
    lower_.clear();
    edge(true, upper_);
    edge(false, lower_);
    path_.moveTo(upper_.front());
    for (std::size_t i = 1; i < upper_.size(); ++i)
        path_.lineTo(upper_[i]);
    for (std::size_t i = lower_.size(); i-- > 0;)
        path_.lineTo(lower_[i]);
    path_.closeSubpath();
    band_.clear();
}

void Bands::fill(QPainter& painter, const QColor& color)
{
    closeBand();
    if (path_.isEmpty())
        return;
    // Bands may overlap: all are outlined the same way round.
    path_.setFillRule(Qt::WindingFill);
    painter.fillPath(path_, color);
    path_.clear();
}

std::vector<Vertex> outline(const double* X, const double* Y, std::size_t n, ColumnOrder xOrder, bool xLog,
                            bool yLog, const Columns& columns)
{
    if (n == 0)
        return {};
    std::vector<std::vector<Vertex>> pieces(piecesFor(n));
    inPieces(n, pieces.size(), [&](std::size_t p, std::size_t first, std::size_t last) {
        reduceOutline(X, Y, first, last, xOrder, xLog, yLog, columns, pieces[p]);
    });
    std::vector<Vertex> out;
    for (const auto& piece : pieces)
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

} // namespace DenseLine
