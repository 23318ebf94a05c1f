#include "platform/ParallelRanges.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace ParallelRanges {

std::size_t threadsFor(std::size_t count, std::size_t minPerThread)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t byWork = minPerThread ? count / minPerThread : count;
    return std::max<std::size_t>(1, std::min(cores, byWork));
}

void run(std::size_t count, std::size_t minPerThread,
         const std::function<void(std::size_t, std::size_t)>& work)
{
    const std::size_t threads = threadsFor(count, minPerThread);
    if (threads <= 1) {
        if (count)
            work(0, count);
        return;
    }
    const std::size_t share = count / threads, extra = count % threads;
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    std::size_t begin = share + (extra ? 1 : 0);
    for (std::size_t t = 1; t < threads; ++t) {
        const std::size_t end = begin + share + (t < extra ? 1 : 0);
        try {
            helpers.emplace_back(work, begin, end);
        } catch (const std::system_error&) {
            // No thread to be had: this range runs here, after the first.
            work(begin, end);
        }
        begin = end;
    }
    work(0, share + (extra ? 1 : 0));
    for (std::thread& h : helpers)
        h.join();
}

} // namespace ParallelRanges
