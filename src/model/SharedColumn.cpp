#include "model/SharedColumn.h"

#include "platform/CpuFeatures.h"
#include "platform/ParallelRanges.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The pairs of v[from - 1, to) one at a time: whether one of them falls (or
// a NaN is compared), whether one rises.
void breaks(const double* v, std::size_t from, std::size_t to, bool& falls, bool& rises)
{
    for (std::size_t i = from; i < to; ++i) {
        falls = falls || !(v[i - 1] <= v[i]);
        rises = rises || !(v[i - 1] >= v[i]);
    }
}

#if defined(__x86_64__)
// The pairs of v[from - 1, to) four at a time: whether one of them falls
// (or a NaN is compared), whether one rises.
__attribute__((target("avx2"))) void breaksAvx2(const double* v, std::size_t from, std::size_t to,
                                                bool& falls, bool& rises)
{
    __m256d fall = _mm256_setzero_pd(), rise = _mm256_setzero_pd();
    std::size_t i = from;
    for (; i + 4 <= to; i += 4) {
        const __m256d a = _mm256_loadu_pd(v + i - 1), b = _mm256_loadu_pd(v + i);
        fall = _mm256_or_pd(fall, _mm256_cmp_pd(a, b, _CMP_NLE_UQ));
        rise = _mm256_or_pd(rise, _mm256_cmp_pd(a, b, _CMP_NGE_UQ));
    }
    falls = _mm256_movemask_pd(fall) != 0;
    rises = _mm256_movemask_pd(rise) != 0;
    _mm256_zeroupper();
    breaks(v, i, to, falls, rises);
}
#endif

// Whether v[from - 1], v[from], ... v[to - 1] never fall (never rise): each
// pair compared, so a NaN anywhere makes both false.
void compare(const double* v, std::size_t from, std::size_t to, bool& up, bool& down)
{
    constexpr std::size_t kBlock = 4096;
    for (std::size_t b = from; b < to && (up || down); b += kBlock) {
        const std::size_t e = std::min(to, b + kBlock);
        bool falls = false, rises = false;
#if defined(__x86_64__)
        if (CpuFeatures::avx2)
            breaksAvx2(v, b, e, falls, rises);
        else
#endif
            breaks(v, b, e, falls, rises);
        up = up && !falls;
        down = down && !rises;
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
