// The reduction of long lines to the vertices a pixel column can show,
// checked against the line through every point.

#include "view/DenseLine.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

using DenseLine::LineRules;
using DenseLine::Vertex;

const double NaN = std::numeric_limits<double>::quiet_NaN();

// Columns one data unit wide: x in [k, k + 1) is column k.
DenseLine::Columns unitColumns()
{
    DenseLine::Columns c;
    c.x.bound = true;
    c.x.origin = 0;
    c.x.extent = 1;
    c.x.min = 0;
    c.x.max = 1;
    c.scale = 1;
    return c;
}

// The vertices the line through every point visits, segment by segment.
std::vector<Vertex> everyVertex(const std::vector<double>& X, const std::vector<double>& Y,
                                const LineRules& r)
{
    using Point = LineRules::Point;
    std::vector<Vertex> out;
    bool open = false;
    for (std::size_t i = 0; i + 1 < X.size(); ++i) {
        const Point a = r.point(X[i], Y[i]), b = r.point(X[i + 1], Y[i + 1]);
        if (a == Point::NotFinite || b == Point::NotFinite) {
            open = false;
        } else if (a == Point::Hidden || b == Point::Hidden) {
            open = open && !r.breakAtLogInvalid;
        } else if (r.culls(X[i], Y[i], X[i + 1], Y[i + 1])) {
            open = false;
        } else {
            if (!open)
                out.push_back({X[i], Y[i], true});
            open = true;
            out.push_back({X[i + 1], Y[i + 1], false});
        }
    }
    return out;
}

std::vector<std::vector<Vertex>> subpaths(const std::vector<Vertex>& v)
{
    std::vector<std::vector<Vertex>> lines;
    for (const Vertex& p : v) {
        if (p.start || lines.empty())
            lines.emplace_back();
        lines.back().push_back(p);
    }
    return lines;
}

// How the x values run, as a buffer's column tells.
ColumnOrder orderOf(const std::vector<double>& X)
{
    return SharedColumn(X).order();
}

bool same(const Vertex& a, const Vertex& b)
{
    return a.x == b.x && a.y == b.y;
}

// A line long enough to be reduced in several pieces, with breaks of every
// kind, some of them at the borders of the pieces.
struct Data {
    std::vector<double> X, Y;
};

Data noisyLine(std::size_t n, double pointsPerColumn)
{
    Data d;
    d.X.resize(n);
    d.Y.resize(n);
    std::uint64_t s = 12345;
    for (std::size_t i = 0; i < n; ++i) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        d.X[i] = double(i) / pointsPerColumn;
        d.Y[i] = double(s >> 40) / double(1ull << 24) + 0.001; // above 0
    }
    const std::size_t piece = std::size_t(1) << 17;
    for (std::size_t at : {std::size_t(7), piece - 1, piece, 2 * piece + 1, 2 * piece + 3, n - 2}) {
        d.Y[at] = NaN;
    }
    for (std::size_t at : {std::size_t(100), piece - 3, piece + 1, 3 * piece - 1, 3 * piece})
        d.Y[at] = -1; // a logarithmic y axis cannot show it
    return d;
}

} // namespace

// One point per column: nothing to merge, so the kept vertices are exactly
// those of the line through every point, also where pieces meet.
TEST(DenseLineTest, SparseLinesKeepEveryVertexAcrossPieces)
{
    const Data d = noisyLine(3 * (std::size_t(1) << 17) + 500, 1);
    for (bool yLog : {false, true})
        for (bool perSegment : {false, true}) {
            LineRules r;
            r.yLog = yLog;
            r.breakAtLogInvalid = perSegment;
            const std::vector<Vertex> kept
                = DenseLine::line(d.X.data(), d.Y.data(), d.X.size(), orderOf(d.X), r, unitColumns());
            const std::vector<Vertex> every = everyVertex(d.X, d.Y, r);
            ASSERT_EQ(kept.size(), every.size()) << yLog << perSegment;
            for (std::size_t i = 0; i < kept.size(); ++i)
                ASSERT_TRUE(same(kept[i], every[i]) && kept[i].start == every[i].start)
                    << i << " " << yLog << perSegment;
        }
}

// Many points per column: each line keeps its ends, and in every column the
// lowest and highest value it reaches; what is kept is a part of what every
// point visits, in the same order.
TEST(DenseLineTest, DenseLinesKeepEndsAndEachColumnsExtremes)
{
    const Data d = noisyLine(3 * (std::size_t(1) << 17) + 500, 37.5);
    for (int variant = 0; variant < 4; ++variant) {
        LineRules r;
        r.yLog = variant % 2 == 1;
        // Segments wholly beyond a range left out: above 0.95, below 0.05,
        // or outside columns 1000 to 5000.
        r.cull = variant >= 2;
        r.xlo = 1000, r.xhi = 5000, r.ylo = 0.05, r.yhi = 0.95;
        SCOPED_TRACE(variant);
        const std::vector<Vertex> kept
            = DenseLine::line(d.X.data(), d.Y.data(), d.X.size(), orderOf(d.X), r, unitColumns());
        const std::vector<Vertex> every = everyVertex(d.X, d.Y, r);
        EXPECT_LT(kept.size(), every.size() / 4);
        const auto keptLines = subpaths(kept), everyLines = subpaths(every);
        ASSERT_EQ(keptLines.size(), everyLines.size());
        for (std::size_t l = 0; l < keptLines.size(); ++l) {
            const auto &k = keptLines[l], &e = everyLines[l];
            EXPECT_TRUE(same(k.front(), e.front()) && same(k.back(), e.back())) << l;
            std::size_t at = 0;
            for (const Vertex& v : k) {
                while (at < e.size() && !same(e[at], v))
                    ++at;
                ASSERT_LT(at, e.size()) << "not in order " << l;
            }
            auto extremes = [](const std::vector<Vertex>& v) {
                std::map<double, std::pair<double, double>> m;
                for (const Vertex& p : v) {
                    auto [it, fresh] = m.try_emplace(std::floor(p.x), p.y, p.y);
                    it->second.first = std::min(it->second.first, p.y);
                    it->second.second = std::max(it->second.second, p.y);
                }
                return m;
            };
            EXPECT_EQ(extremes(k), extremes(e)) << l;
        }
    }
}

// A line that turns back in x is a new run of a column it visited before:
// the way back is kept, not merged into the way out.
TEST(DenseLineTest, ALineTurningBackIsNotMergedWithItsWayOut)
{
    const std::vector<double> X{0.1, 0.5, 1.5, 2.5, 1.6, 0.6, 0.2};
    const std::vector<double> Y{0, 1, 2, 3, 4, 5, 6};
    const std::vector<Vertex> kept
        = DenseLine::line(X.data(), Y.data(), X.size(), orderOf(X), LineRules(), unitColumns());
    ASSERT_EQ(kept.size(), X.size());
    for (std::size_t i = 0; i < X.size(); ++i)
        EXPECT_TRUE(same(kept[i], {X[i], Y[i], false})) << i;
}

TEST(DenseLineTest, AreaOutlinesLeaveOutWhatCannotBePlaced)
{
    // Column 0 holds four points (one neither first, last, lowest nor
    // highest), then a gap that is not a number, then a point at 0 on a
    // logarithmic y axis (drawn at the view's edge) that stands alone
    // between two runs of column 1.
    const std::vector<double> X{0.1, 0.2, 0.25, 0.3, 0.4, 1.1, 1.2, 1.3, 1.4, 1.5};
    const std::vector<double> Y{5, 9, 6, 1, NaN, 3, 0, 4, 8, 2};
    const std::vector<Vertex> kept
        = DenseLine::outline(X.data(), Y.data(), X.size(), orderOf(X), false, true, unitColumns());
    const std::vector<std::pair<double, double>> expected{{0.1, 5}, {0.2, 9}, {0.3, 1}, {1.1, 3},
                                                          {1.2, 0}, {1.3, 4}, {1.4, 8}, {1.5, 2}};
    ASSERT_EQ(kept.size(), expected.size());
    for (std::size_t i = 0; i < kept.size(); ++i)
        EXPECT_TRUE(kept[i].x == expected[i].first && kept[i].y == expected[i].second) << i;
}

// Columns are the target's own pixels: of the image's pixel ratio, the
// painter's scale and its shift (a sub-view's place), mirrored or not; a
// PDF is given columns of 1/16 point or finer.
TEST(DenseLineTest, ColumnsArePixelsOfTheTarget)
{
    struct Case {
        const char* name;
        double pixelRatio, scale, shift;
        bool mirrored;
        double columns, offset; // per point, and of view x 0
    };
    const Case cases[] = {
        {"plain", 1, 1, 0, false, 1, 0},
        {"two pixels per point", 2, 1, 0, false, 2, 0},
        {"scaled by 150 / 72", 1, 150.0 / 72, 0, false, 150.0 / 72, 0},
        {"shifted", 1, 1, 10.25, false, 1, 10.25},
        {"mirrored", 1, 1, 100, true, 1, -100},
    };
    const DenseLine::Columns unit = unitColumns();
    for (const Case& c : cases) {
        QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(c.pixelRatio);
        QPainter painter(&img);
        painter.translate(c.shift, 0);
        painter.scale(c.scale * (c.mirrored ? -1 : 1), -c.scale);
        const DenseLine::Columns columns = DenseLine::columnsFor(painter, unit.x);
        EXPECT_DOUBLE_EQ(columns.scale, c.columns) << c.name;
        EXPECT_DOUBLE_EQ(columns.offset, c.offset * c.pixelRatio) << c.name;
    }

    for (int dpi : {72, 1200, 2400}) {
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&bytes);
        pdf.setResolution(dpi);
        QPainter painter(&pdf);
        painter.scale(dpi / 72.0, dpi / 72.0);
        EXPECT_DOUBLE_EQ(DenseLine::columnsFor(painter, unit.x).scale, std::max(16.0, dpi / 72.0)) << dpi;
    }
}

// The bands fill exactly what the rectangles of their spans fill: each span
// over its whole pixel column and the line's width, however the spans meet,
// part or turn back. Points lie on pixel centres, so that every edge lies on
// a pixel border and antialiasing shades nothing.
TEST(DenseLineTest, BandsFillTheRectanglesOfTheirSpans)
{
    struct Span {
        double x, y1, y2; // x on a pixel centre; b lies at x as well
    };
    struct Case {
        const char* name;
        double width;
        std::vector<Span> spans;
    };
    const Case cases[] = {
        {"rising steps", 1, {{2.5, 3.5, 8.5}, {3.5, 6.5, 12.5}, {4.5, 10.5, 20.5}, {5.5, 19.5, 30.5}}},
        {"a tall one among short ones", 1, {{2.5, 10.5, 12.5}, {3.5, 2.5, 30.5}, {4.5, 11.5, 13.5}}},
        {"falling, then rising",
         1,
         {{6.5, 30.5, 20.5}, {7.5, 25.5, 10.5}, {8.5, 12.5, 5.5}, {9.5, 6.5, 28.5}}},
        {"apart in height", 1, {{2.5, 2.5, 5.5}, {3.5, 20.5, 25.5}, {4.5, 3.5, 4.5}}},
        {"touching in height", 1, {{2.5, 2.5, 5.5}, {3.5, 6.5, 9.5}}},
        {"a gap of columns", 1, {{2.5, 2.5, 25.5}, {3.5, 4.5, 20.5}, {9.5, 5.5, 30.5}, {10.5, 1.5, 8.5}}},
        {"turning back", 1, {{10.5, 2.5, 9.5}, {9.5, 5.5, 15.5}, {8.5, 1.5, 3.5}, {9.5, 20.5, 30.5}}},
        {"one column twice", 1, {{5.5, 2.5, 9.5}, {5.5, 20.5, 30.5}, {6.5, 8.5, 22.5}}},
        {"a wide line over its neighbours",
         3,
         {{5.5, 4.5, 9.5}, {6.5, 20.5, 28.5}, {7.5, 6.5, 7.5}, {8.5, 10.5, 26.5}}},
        {"a wide line, one pixel apart",
         3,
         {{5.5, 4.5, 9.5}, {6.5, 3.5, 10.5}, {7.5, 5.5, 9.5}, {8.5, 2.5, 11.5}}},
        {"the thinnest line", 0, {{5.5, 4.5, 9.5}, {6.5, 8.5, 28.5}, {7.5, 6.5, 10.5}}},
        {"beyond the picture", 1, {{5.5, -500.5, 9.5}, {6.5, 8.5, 1e300}, {7.5, -1e300, 1e300}}},
    };
    const QRectF guard(-4, -4, 48, 48);
    for (const Case& c : cases) {
        const DenseLine::Columns columns = [] {
            DenseLine::Columns u = unitColumns();
            u.pixels = true;
            return u;
        }();
        QImage expected(40, 40, QImage::Format_ARGB32_Premultiplied);
        QImage bands = expected;
        expected.fill(Qt::white);
        bands.fill(Qt::white);
        const double half = std::max(c.width, 1.0) / 2;
        {
            QPainter painter(&expected);
            for (const Span& s : c.spans) {
                const double column = std::floor(s.x);
                const double bottom = std::max(std::min(s.y1, s.y2) - half, -10.0);
                const double top = std::min(std::max(s.y1, s.y2) + half, 50.0);
                painter.fillRect(QRectF(QPointF(std::min(column, s.x - half), bottom),
                                        QPointF(std::max(column + 1, s.x + half), top)),
                                 Qt::black);
            }
        }
        {
            QPainter painter(&bands);
            painter.setRenderHint(QPainter::Antialiasing, true);
            DenseLine::Bands b(columns, c.width, guard);
            for (const Span& s : c.spans)
                b.add(QPointF(s.x, s.y1), QPointF(s.x, s.y2));
            b.fill(painter, Qt::black);
        }
        int differ = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                differ += expected.pixel(x, y) != bands.pixel(x, y);
        EXPECT_EQ(differ, 0) << c.name;
    }
}

// On pixels, a dense column's span (from its lowest to its highest vertex)
// is marked, and the segment from the column before is left out where it
// stays within both spans: only between neighbouring columns, both with a
// span, while the line goes on.
TEST(DenseLineTest, SegmentsWithinTheSpansOfTwoColumnsAreLeftOut)
{
    struct Case {
        const char* name;
        std::vector<double> X, Y;
        bool pixels;
        bool joinLeftOut; // the segment into the second column
    };
    // From column -1 into column 0: first 0.5, lowest 0, highest 1, last 0.6.
    const std::vector<double> X0{-0.5, 0.1, 0.2, 0.3, 0.4}, Y0{0.5, 0.5, 0, 1, 0.6};
    auto join = [&](std::vector<double> x, std::vector<double> y) {
        std::vector<double> X = X0, Y = Y0;
        X.insert(X.end(), x.begin(), x.end());
        Y.insert(Y.end(), y.begin(), y.end());
        return std::pair(X, Y);
    };
    const auto within = join({1.1, 1.2, 1.3, 1.4}, {0.4, 0.9, -1, 0.2});
    const auto firstAbove = join({1.1, 1.2, 1.3, 1.4}, {1.5, 2, -1, 0.2});
    const auto lastBeyond = join({1.1, 1.2, 1.3, 1.4}, {0.4, 0.3, 0.55, 0.5});
    const auto lowestLast = join({1.1, 1.2, 1.3}, {0.4, 0.9, -1});
    const auto noSpan = join({1.1, 1.2, 1.3}, {0.4, 0.5, 0.9});
    const auto notNeighbours = join({2.1, 2.2, 2.3, 2.4}, {0.4, 0.9, -1, 0.2});
    const auto broken = join({NaN, 1.1, 1.2, 1.3, 1.4}, {0, 0.4, 0.9, -1, 0.2});
    const Case cases[] = {
        {"within both spans", within.first, within.second, true, true},
        {"a vector target", within.first, within.second, false, false},
        {"first beyond the span before", firstAbove.first, firstAbove.second, true, false},
        {"last before beyond the span", lastBeyond.first, lastBeyond.second, true, false},
        {"second column's lowest its last", lowestLast.first, lowestLast.second, true, true},
        {"second column without a span", noSpan.first, noSpan.second, true, false},
        {"columns apart", notNeighbours.first, notNeighbours.second, true, false},
        {"a break between", broken.first, broken.second, true, false},
    };
    for (const Case& c : cases) {
        DenseLine::Columns columns = unitColumns();
        columns.pixels = c.pixels;
        const std::vector<Vertex> kept
            = DenseLine::line(c.X.data(), c.Y.data(), c.X.size(), orderOf(c.X), LineRules(), columns);
        // The line from column -1; column 0 keeps first, lowest (spanned),
        // highest (the span), last (spanned).
        ASSERT_GE(kept.size(), 6u) << c.name;
        EXPECT_TRUE(kept[0].start && !kept[1].spanned && kept[2].spanned && kept[3].span && kept[4].spanned)
            << c.name;
        // The first vertex of the next column.
        EXPECT_GT(kept[5].x, 1) << c.name;
        EXPECT_EQ(kept[5].spanned, c.joinLeftOut) << c.name;
    }
}

// A column has a span where the line turns in it: its lowest or its highest
// vertex lies between its first and its last, wherever the other lies. The
// segment into the vertex that closes the span carries it; the way from the
// first vertex to the span and from the span to the last is left out. A line
// through the column one way, or flat, has none.
TEST(DenseLineTest, AColumnWhereTheLineTurnsHasASpan)
{
    enum Mark { Start, Drawn, Spanned, Span };
    struct Case {
        const char* name;
        std::vector<double> Y; // at x = 0.1, 0.2, ..., all in column 0
        // Of the vertices kept in column 0, in order; the line comes from
        // a point in column -1.
        std::vector<Mark> marks;
    };
    const Case cases[] = {
        {"both inside", {0.5, 0, 1, 0.6}, {Drawn, Spanned, Span, Spanned}},
        {"highest last", {0.5, 0, 0.3, 1}, {Drawn, Spanned, Span}},
        {"lowest last", {0.5, 1, 0.2, 0}, {Drawn, Spanned, Span}},
        {"lowest first", {0, 0.3, 1, 0.6}, {Drawn, Span, Spanned}},
        {"highest first", {1, 0.7, 0, 0.6}, {Drawn, Span, Spanned}},
        {"three points", {0.5, 0, 1}, {Drawn, Spanned, Span}},
        {"one way only", {0, 0.3, 0.6, 1}, {Drawn, Drawn}},
        {"lowest first, highest last", {0, 0.8, 0.2, 1}, {Drawn, Drawn}},
        {"flat", {0.5, 0.5, 0.5}, {Drawn, Drawn}},
    };
    for (const Case& c : cases) {
        std::vector<double> X{-0.5}, Y{0.5};
        for (std::size_t i = 0; i < c.Y.size(); ++i) {
            X.push_back(0.1 * double(i + 1));
            Y.push_back(c.Y[i]);
        }
        DenseLine::Columns columns = unitColumns();
        columns.pixels = true;
        const std::vector<Vertex> kept
            = DenseLine::line(X.data(), Y.data(), X.size(), orderOf(X), LineRules(), columns);
        ASSERT_FALSE(kept.empty()) << c.name;
        EXPECT_TRUE(kept.front().start && kept.front().x == -0.5) << c.name;
        std::vector<Mark> marks;
        for (std::size_t k = 1; k < kept.size(); ++k) {
            const Vertex& v = kept[k];
            marks.push_back(v.start ? Start : v.span ? Span : v.spanned ? Spanned : Drawn);
        }
        EXPECT_EQ(marks, c.marks) << c.name;
        EXPECT_EQ(kept.back().y, c.Y.back()) << c.name << ": the last vertex is kept";
    }
}

// Where x runs one way, the runs of the columns are found by a binary search
// and only y values are read: the vertices kept, and their marks, are those
// of the scan of every point, on every shape of data, on linear and
// logarithmic axes, either way round, also where pieces meet.
TEST(DenseLineTest, SortedXKeepsTheVerticesOfTheScanOfEveryPoint)
{
    constexpr std::size_t n = 3 * (std::size_t(1) << 17) + 777;
    struct Shape {
        const char* name;
        std::function<void(std::size_t, double, double&, double&)> at; // i, random in [0, 1) -> x, y
    };
    const Shape shapes[] = {
        {"noise", [](std::size_t i, double r, double& x, double& y) { x = double(i) / 97, y = r; }},
        {"spikes",
         [](std::size_t i, double r, double& x, double& y) {
             x = double(i) / 97, y = i % 5003 == 11 ? 40 : i % 7919 == 5 ? -40 : 0.5 + 0.01 * r;
         }},
        {"sawtooth",
         [](std::size_t i, double, double& x, double& y) { x = double(i) / 97, y = double(i % 131); }},
        {"steps, equal values",
         [](std::size_t i, double, double& x, double& y) {
             x = double(i / 50) / 3, y = double(i / 1999 % 3);
         }},
        {"zeros of both signs",
         [](std::size_t i, double r, double& x, double& y) {
             x = double(i) / 97, y = r < 0.5 ? (i % 2 ? -0.0 : 0.0) : r;
         }},
        {"gaps that are not numbers",
         [](std::size_t i, double r, double& x, double& y) {
             x = double(i) / 97, y = (i / 500) % 7 == 3 || i % 613 == 0 ? NaN : r;
         }},
        {"infinities",
         [](std::size_t i, double r, double& x, double& y) {
             x = double(i) / 97, y = i % 1009 == 0 ? HUGE_VAL : i % 1013 == 0 ? -HUGE_VAL : r;
         }},
        {"values at and below 0",
         [](std::size_t i, double r, double& x, double& y) { x = double(i) / 97 - 500, y = r - 0.1; }},
        {"falling x",
         [](std::size_t i, double r, double& x, double& y) { x = 8000 - double(i) / 61, y = r; }},
        {"unsorted x",
         [](std::size_t i, double r, double& x, double& y) {
             x = double(i) / 97 + (i % 4099 == 0 ? -3 : 0), y = r;
         }},
        {"sparse", [](std::size_t i, double r, double& x, double& y) { x = double(i) * 1.5, y = r; }},
    };
    struct Axes {
        const char* name;
        bool xLog, yLog, cull, reversed;
    };
    const Axes axes[] = {
        {"linear", false, false, false, false},    {"culled", false, false, true, false},
        {"log x and y", true, true, false, false}, {"log y, culled", false, true, true, false},
        {"reversed", false, false, false, true},
    };
    auto bits = [](double v) {
        std::uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    };
    auto identical = [&](const std::vector<Vertex>& a, const std::vector<Vertex>& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (bits(a[i].x) != bits(b[i].x) || bits(a[i].y) != bits(b[i].y) || a[i].start != b[i].start
                || a[i].spanned != b[i].spanned || a[i].span != b[i].span)
                return false;
        return true;
    };
    for (const Shape& shape : shapes) {
        std::vector<double> X(n), Y(n);
        std::uint64_t s = 4242;
        for (std::size_t i = 0; i < n; ++i) {
            s = s * 6364136223846793005ull + 1442695040888963407ull;
            shape.at(i, double(s >> 40) / double(1ull << 24), X[i], Y[i]);
        }
        const ColumnOrder order = orderOf(X);
        EXPECT_EQ(order == ColumnOrder::Neither, std::string(shape.name) == "unsorted x") << shape.name;
        for (const Axes& a : axes) {
            SCOPED_TRACE(std::string(shape.name) + ", " + a.name);
            DenseLine::Columns c = unitColumns();
            c.pixels = true;
            c.scale = 0.9; // columns of 1/0.9 data units
            if (a.xLog) {
                c.x.log = c.x.logUsable = true;
                c.x.logMin = 0;
                c.x.logSpan = 1;
                c.scale = 500; // a decade in 500 columns
            }
            if (a.reversed) {
                c.x.min = 1, c.x.max = 0;
            }
            LineRules r;
            r.xLog = a.xLog;
            r.yLog = a.yLog;
            r.cull = a.cull;
            r.xlo = 100, r.xhi = 3000, r.ylo = 0.2, r.yhi = 0.9;
            const auto scanned = DenseLine::line(X.data(), Y.data(), n, ColumnOrder::Neither, r, c);
            const auto searched = DenseLine::line(X.data(), Y.data(), n, order, r, c);
            EXPECT_TRUE(identical(scanned, searched));
            const auto outlineScanned
                = DenseLine::outline(X.data(), Y.data(), n, ColumnOrder::Neither, a.xLog, a.yLog, c);
            const auto outlineSearched = DenseLine::outline(X.data(), Y.data(), n, order, a.xLog, a.yLog, c);
            EXPECT_TRUE(identical(outlineScanned, outlineSearched));
        }
    }
}
