#pragma once

// Tick positions of one axis of a graph: the values of the major ticks (where
// numbers are printed) and of the minor ticks between them, for linear,
// logarithmic and time axes. The view makes a fresh Axis for every axis and
// grid it draws, initialises it with the visible range and the user's texts
// for that axis (start, end, step, minor count, origin; empty means
// automatic), reads A, MA, lmo and format, and drops it.
//
// Every walk is bounded: impossible or absurd settings (a zero, negative or
// non-finite step, too many steps, non-finite range ends, times the calendar
// cannot represent) leave both tick lists empty rather than looping.

#include <QString>

#include <vector>

class Axis {
public:
    double start = 0; // first value of the walk (log: first decade exponent)
    double end = 0; // last value of the walk (log: last decade exponent)
    double step = 0; // distance of major ticks (log: in decades; time: seconds)
    double min = 0; // the smaller range end
    double max = 0; // the larger range end
    double fmin = 0; // the smaller magnitude of the two range ends
    double fmax = 0; // the larger magnitude
    double mintick = 0; // minor intervals per major step; calendar steps: minor ticks per major
    double expo = 0; // decimal exponent of the range's midpoint (linear)
    double dx = 0; // preset linear step, used instead of the automatic one when non-zero
    double dxy = 0; // the automatic step fits this many times into the range: 4 linear, 8 time
    double lmo = 0; // log axes: the smallest major tick when there are two or more, else 0
    std::vector<double> A; // major tick values, ascending
    std::vector<double> MA; // minor tick values
    QString format; // time axes: the date pattern that suits the chosen step

    // The most steps a linear walk (and a logarithmic one with a typed step)
    // may take, counted one step beyond each range end.
    static constexpr int maxSteps = 200;
    // Minor counts typed by the user are clamped to this.
    static constexpr int maxMinorCount = 1000;

    // Linear ticks over [a, b] (either order). lo and hi bound the values
    // that get ticks, stepText replaces the step, minorText the number of
    // minor intervals, origin shifts the grid to pass through that value.
    void initWithRange(double a, double b, const QString& lo, const QString& hi, const QString& stepText,
                       const QString& minorText, const QString& origin);

    // Decades over [a, b]; both ends must be positive. stepText is a number
    // of decades, minorText a number n of minor intervals per decade
    // (multiples of 10/n).
    void initForLogWithRange(double a, double b, const QString& lo, const QString& hi,
                             const QString& stepText, const QString& minorText);

    // Time ticks over [a, b] (seconds since 2001-01-01 00:00:00 UTC, low end
    // first). stepText may be a calendar word ("m", "3m", "y", "10y", ...), a
    // week text "<n>w<weekday>" or a duration "[[[d:]h:]m:]s". lo and hi have
    // no effect on time axes.
    void initForTimeWithRange(double a, double b, const QString& lo, const QString& hi,
                              const QString& stepText, const QString& minorText);

private:
    void reset();
    // min and max in order, and the magnitudes of the two ends in order.
    void takeRange(double a, double b);
    // A minor count typed by the user: its leading integer, 0 for a negative
    // or unreadable text, at most maxMinorCount.
    static int minorCountFrom(const QString& text);
    // The integer at the start of a typed text (leading blanks and a sign
    // allowed, "1e2" reads 1, "2,5" reads 2), 0 when there is none; clamped
    // to +-1e9 so that absurd texts stay harmless.
    static int leadingInteger(const QString& text);
};
