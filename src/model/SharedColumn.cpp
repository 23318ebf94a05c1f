#include "model/SharedColumn.h"

#include "platform/ParallelRanges.h"

#include <algorithm>

namespace {

// Whether v[from - 1], v[from], ... v[to - 1] never fall (never rise): each
// pair compared, so a NaN anywhere makes both false.
void compare(const double* v, std::size_t from, std::size_t to, bool& up, bool& down)
{
    constexpr std::size_t kBlock = 4096;
    for (std::size_t b = from; b < to && (up || down); b += kBlock) {
        const std::size_t e = std::min(to, b + kBlock);
        int rising = 1, falling = 1;
        for (std::size_t i = b; i < e; ++i) {
            rising &= v[i - 1] <= v[i];
            falling &= v[i - 1] >= v[i];
        }
        up = up && rising;
        down = down && falling;
    }
}

ColumnOrder orderOf(const std::vector<double>& values)
{
    const std::size_t n = values.size();
    if (n < 2)
        return ColumnOrder::Ascending;
    std::atomic<bool> up{true}, down{true};
    ParallelRanges::run(n - 1, std::size_t(1) << 18, [&](std::size_t begin, std::size_t end) {
        bool u = up.load(std::memory_order_relaxed), d = down.load(std::memory_order_relaxed);
        compare(values.data(), begin + 1, end + 1, u, d);
        if (!u)
            up.store(false, std::memory_order_relaxed);
        if (!d)
            down.store(false, std::memory_order_relaxed);
    });
    return up ? ColumnOrder::Ascending : down ? ColumnOrder::Descending : ColumnOrder::Neither;
}

} // namespace

ColumnOrder SharedColumn::order() const
{
    if (!d_)
        return ColumnOrder::Ascending;
    const std::uint8_t known = d_->order.load(std::memory_order_relaxed);
    if (known != Block::kUnknown)
        return ColumnOrder(known);
    const ColumnOrder found = orderOf(d_->values);
    d_->order.store(std::uint8_t(found), std::memory_order_relaxed);
    return found;
}
