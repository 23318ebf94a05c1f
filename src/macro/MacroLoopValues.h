#pragma once

// The values a running loop has still to give: either a list (loop over a
// range) or the whole numbers first..last (bufferloop over "all", dataloop
// over every point), which are counted instead of stored so that a loop over
// the points of a long buffer costs no memory.

#include <cstddef>
#include <vector>

class MacroLoopValues {
public:
    void setList(std::vector<double> values)
    {
        list_ = std::move(values);
        next_ = 0;
        counting_ = false;
    }
    void setCount(long long first, long long last)
    {
        list_.clear();
        next_ = 0;
        first_ = first;
        last_ = last;
        counting_ = true;
    }
    void clear() { setList({}); }

    bool empty() const { return size() == 0; }
    std::size_t size() const
    {
        if (counting_)
            return first_ > last_ ? 0 : std::size_t(last_ - first_ + 1);
        return list_.size() - next_;
    }
    // The next value, removed; 0 when none is left.
    double takeFirst()
    {
        if (empty())
            return 0;
        if (counting_)
            return double(first_++);
        return list_[next_++];
    }

private:
    std::vector<double> list_;
    std::size_t next_ = 0;
    long long first_ = 0, last_ = -1;
    bool counting_ = false;
};
