#pragma once

// The sixteen line-dash patterns of buffer lines, histograms, grids, the
// legend and graphics, built for one integer dash width w from three unit
// lengths: short w + 1, medium w + 5 and long w + 10. Every gap is medium;
// pattern 0 is a solid line. Lengths are in view points.

#include <QList>

#include <array>

class DashPattern {
public:
    static constexpr int Count = 16;

    explicit DashPattern(int w = 0) { setWidth(w); }

    // Rebuilds the table for dash width w.
    void setWidth(int w);
    int width() const { return width_; }

    // The dash width a buffer's `dashwidth` stands for: truncated toward zero,
    // saturated to a range the integer arithmetic cannot overflow in, and 0
    // for a value that is not a number.
    static int widthFor(double dashwidth);

    // Number of lengths pattern k uses: 0 (a solid line) for pattern 0 and for
    // every number outside 0..15.
    int count(int k) const;
    // Entry i of row k (0..15 each, else 0). Entries past count() hold the gap
    // length, as the table is filled with it before the patterns are written.
    double length(int k, int i) const;
    // The lengths pattern k draws with, alternating drawn and blank, first
    // drawn; empty for a solid line.
    QList<double> lengths(int k) const;

private:
    std::array<std::array<double, Count>, Count> dash_{};
    std::array<int, Count> dashcount_{};
    int width_ = 0;
};
