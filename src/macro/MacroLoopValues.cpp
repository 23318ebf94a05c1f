#include "macro/MacroLoopValues.h"

#include "platform/CNumber.h"

namespace {

double throughG(double v)
{
    return CNumber::parsePrefix(CNumber::format("%g", v));
}

} // namespace

bool MacroLoopValues::empty() const
{
    switch (kind_) {
    case Kind::List:
        return at_ >= list_.size();
    case Kind::WholeNumbers:
        return wholeDone_;
    case Kind::Steps:
        return stepsDone_;
    }
    return true;
}

double MacroLoopValues::raw()
{
    switch (kind_) {
    case Kind::List:
        return list_[at_++];
    case Kind::WholeNumbers: {
        const long long v = first_;
        if (first_ == last_)
            wholeDone_ = true;
        else
            first_ += first_ < last_ ? 1 : -1;
        return double(v);
    }
    case Kind::Steps: {
        const double v = next_;
        next_ = v + step_;
        // Past the end, or stuck where the step is lost in rounding.
        if (!(next_ <= end_) || next_ == v)
            stepsDone_ = true;
        return v;
    }
    }
    return 0;
}

double MacroLoopValues::takeFirst()
{
    if (empty())
        return 0;
    const double v = raw();
    return sixDigits_ ? throughG(v) : v;
}

std::vector<double> MacroLoopValues::peek(std::size_t count) const
{
    // A list is not copied whole for a look at its start.
    if (kind_ == Kind::List) {
        std::vector<double> out;
        for (std::size_t i = at_; i < list_.size() && out.size() < count; ++i)
            out.push_back(sixDigits_ ? throughG(list_[i]) : list_[i]);
        return out;
    }
    MacroLoopValues copy = *this;
    std::vector<double> out;
    while (out.size() < count && !copy.empty())
        out.push_back(copy.takeFirst());
    return out;
}
