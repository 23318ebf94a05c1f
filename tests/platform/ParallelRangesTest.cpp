// Ranges on the waiting helpers: every index once, in contiguous ranges, and
// calls nested in a range or made from several threads at once.

#include "platform/ParallelRanges.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Runs count with minPerThread and returns how often each index was visited
// and the ranges seen.
std::pair<std::vector<int>, std::set<std::pair<std::size_t, std::size_t>>> visit(std::size_t count,
                                                                                 std::size_t minPerThread)
{
    std::vector<std::atomic<int>> hits(count);
    std::mutex m;
    std::set<std::pair<std::size_t, std::size_t>> ranges;
    ParallelRanges::run(count, minPerThread, [&](std::size_t from, std::size_t to) {
        {
            std::lock_guard<std::mutex> g(m);
            ranges.insert({from, to});
        }
        for (std::size_t i = from; i < to; ++i)
            ++hits[i];
    });
    std::vector<int> out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = hits[i];
    return {out, ranges};
}

TEST(ParallelRanges, EveryIndexOnceInTheRangesOfTheSplit)
{
    for (const auto& [count, minPer] : std::vector<std::pair<std::size_t, std::size_t>>{
             {0, 1}, {1, 1}, {7, 1}, {1000, 10}, {1001, 1}, {100, 60}, {65536, 1}}) {
        for (int repeat = 0; repeat < 3; ++repeat) {
            const auto [hits, ranges] = visit(count, minPer);
            EXPECT_EQ(hits, std::vector<int>(count, 1)) << count << " by " << minPer;
            EXPECT_GE(ranges.size(), count ? ParallelRanges::threadsFor(count, minPer) : 0u) << count;
            std::size_t next = 0;
            for (const auto& [from, to] : ranges) { // contiguous, none empty
                EXPECT_EQ(from, next);
                EXPECT_GT(to, from);
                next = to;
            }
            EXPECT_EQ(next, count);
        }
    }
}

TEST(ParallelRanges, NestedAndConcurrentCallsAllFinish)
{
    std::atomic<long> total{0};
    auto nested = [&] {
        ParallelRanges::run(64, 1, [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i)
                ParallelRanges::run(100, 1, [&](std::size_t a, std::size_t b) { total += long(b - a); });
        });
    };
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t)
        callers.emplace_back(nested);
    nested();
    for (std::thread& c : callers)
        c.join();
    EXPECT_EQ(total.load(), 5L * 64 * 100);
}

// A limit holds the calls to that many threads while it lives; the limit
// before it comes back when it goes.
TEST(ParallelRanges, ALimitHoldsTheThreadsWhileItLives)
{
    const std::size_t all = ParallelRanges::threadsFor(1 << 20, 1);
    {
        ParallelRanges::ThreadLimit one(1);
        EXPECT_EQ(ParallelRanges::threadsFor(1 << 20, 1), 1u);
        std::set<std::thread::id> threads;
        std::mutex m;
        ParallelRanges::run(1000, 1, [&](std::size_t, std::size_t) {
            std::lock_guard<std::mutex> g(m);
            threads.insert(std::this_thread::get_id());
        });
        EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
        {
            ParallelRanges::ThreadLimit two(2);
            EXPECT_EQ(ParallelRanges::threadsFor(1 << 20, 1), std::min<std::size_t>(all, 2));
            const auto [hits, ranges] = visit(1000, 1);
            EXPECT_EQ(hits, std::vector<int>(1000, 1));
        }
        EXPECT_EQ(ParallelRanges::threadsFor(1 << 20, 1), 1u);
        ParallelRanges::ThreadLimit none(0); // at least one
        EXPECT_EQ(ParallelRanges::threadsFor(1 << 20, 1), 1u);
    }
    EXPECT_EQ(ParallelRanges::threadsFor(1 << 20, 1), all);
}

} // namespace
