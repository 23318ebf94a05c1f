#pragma once

// The values of a loop, given one at a time. A range is described, not
// stored: whole numbers first..last (up or down) and the values of
// start:end:step are made as they are taken, so a loop over millions of
// values, or over the points of a long buffer, costs the same little memory
// as a loop over three. Only a written list ("1,5,2") is kept as it stands.
//
// Values of the loop command pass through "%g" text (six significant
// digits) when they are taken, as they always have; indices of buffers and
// points are taken exactly.

#include <cstddef>
#include <vector>

class MacroLoopValues {
public:
    // The values of a list, in its order.
    void setList(std::vector<double> values)
    {
        *this = MacroLoopValues();
        kind_ = Kind::List;
        list_ = std::move(values);
    }
    // first, first ± 1, ..., last: upward when last is not below first,
    // else downward.
    void setWholeNumbers(long long first, long long last)
    {
        *this = MacroLoopValues();
        kind_ = Kind::WholeNumbers;
        first_ = first;
        last_ = last;
    }
    // start, then each value plus step, while the value is not above end.
    // A step that no longer changes the value ends the values there (at the
    // magnitude where adding it is lost in rounding). Nothing when start is
    // above end or the step is not above 0.
    void setSteps(double start, double end, double step)
    {
        *this = MacroLoopValues();
        kind_ = Kind::Steps;
        next_ = start;
        end_ = end;
        step_ = step;
        stepsDone_ = !(start <= end) || !(step > 0);
    }
    void clear() { *this = MacroLoopValues(); }

    // Takes every value through "%g" text from now on (the loop command).
    void setSixDigits(bool on) { sixDigits_ = on; }

    bool empty() const;
    // The next value, removed; 0 when none is left.
    double takeFirst();
    // Up to `count` of the values to come, without taking them.
    std::vector<double> peek(std::size_t count) const;

private:
    enum class Kind { List, WholeNumbers, Steps };
    double raw();

    Kind kind_ = Kind::List;
    std::vector<double> list_;
    std::size_t at_ = 0;
    long long first_ = 0, last_ = -1;
    bool wholeDone_ = false;
    double next_ = 0, end_ = 0, step_ = 0;
    bool stepsDone_ = true;
    bool sixDigits_ = false;
};
