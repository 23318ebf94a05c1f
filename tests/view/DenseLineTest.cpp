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
#include <limits>
#include <map>
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
                = DenseLine::line(d.X.data(), d.Y.data(), d.X.size(), r, unitColumns());
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
            = DenseLine::line(d.X.data(), d.Y.data(), d.X.size(), r, unitColumns());
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
        = DenseLine::line(X.data(), Y.data(), X.size(), LineRules(), unitColumns());
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
        = DenseLine::outline(X.data(), Y.data(), X.size(), false, true, unitColumns());
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
