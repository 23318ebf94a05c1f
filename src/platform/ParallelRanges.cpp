#include "platform/ParallelRanges.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace ParallelRanges {

namespace {

using Work = std::function<void(std::size_t, std::size_t)>;

struct Range {
    std::size_t begin = 0, end = 0;
};

// Range t of count split into `threads` nearly equal parts, the longer ones
// first.
Range rangeOf(std::size_t t, std::size_t count, std::size_t threads)
{
    const std::size_t share = count / threads, extra = count % threads;
    const std::size_t begin = t * share + std::min(t, extra);
    return {begin, begin + share + (t < extra ? 1 : 0)};
}

thread_local bool insideRange = false;

std::atomic<std::size_t> threadLimit{std::size_t(-1)};

// The cores this process may run on: a run held to one core (taskset, a
// container's share) gains nothing from more threads, only their switches.
std::size_t cores()
{
    static const std::size_t count = [] {
        const std::size_t all = std::max(1u, std::thread::hardware_concurrency());
        cpu_set_t set;
        CPU_ZERO(&set);
        if (sched_getaffinity(0, sizeof set, &set) != 0 || CPU_COUNT(&set) < 1)
            return all;
        return std::min(all, std::size_t(CPU_COUNT(&set)));
    }();
    return count;
}

// Helper threads that wait for ranges. One call at a time owns them (owner);
// it hands out ranges under `lock`, bumps the generation, takes ranges
// itself, and once none is left closes the call and waits for the helpers
// that joined it. A helper the machine wakes only after that does not hold
// the call up: it finds the call closed and waits for the next one.
class Helpers {
public:
    static Helpers& instance()
    {
        // Never destroyed: helpers wait until the process ends, and a call
        // made while statics are torn down still finds them.
        static Helpers* helpers = new Helpers;
        return *helpers;
    }

    std::size_t size() const { return threads_.size(); }
    std::mutex owner;

    // Runs the ranges on the calling thread and up to threads - 1 helpers,
    // each taking the next range not yet taken, so a thread the machine
    // holds back leaves its share to the others; returns when all are done.
    // The caller holds `owner`.
    void run(std::size_t count, std::size_t threads, const Work& work)
    {
        const std::size_t onHelpers = std::min(threads - 1, threads_.size());
        {
            std::lock_guard<std::mutex> g(lock_);
            work_ = &work;
            count_ = count;
            ranges_ = std::min(count, threads * kRangesPerThread);
            next_ = 0;
            active_ = onHelpers;
            open_ = true;
            ++generation_;
        }
        wake_.notify_all();
        std::exception_ptr failure;
        insideRange = true;
        try {
            takeRanges(work);
        } catch (...) {
            failure = std::current_exception();
            next_ = ranges_; // the helpers take no more
        }
        insideRange = false;
        std::unique_lock<std::mutex> g(lock_);
        open_ = false;
        done_.wait(g, [&] { return inside_ == 0; });
        work_ = nullptr;
        g.unlock();
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    Helpers()
    {
        for (std::size_t t = 1; t < cores(); ++t) {
            try {
                threads_.emplace_back([this, t] { serve(t); });
            } catch (const std::system_error&) {
                break; // fewer helpers; their ranges run on the caller
            }
        }
    }

    void serve(std::size_t index)
    {
        insideRange = true;
        std::size_t seen = 0;
        std::unique_lock<std::mutex> g(lock_);
        for (;;) {
            wake_.wait(g, [&] { return generation_ != seen; });
            seen = generation_;
            if (!open_ || index > active_)
                continue;
            ++inside_;
            const Work* work = work_;
            g.unlock();
            takeRanges(*work);
            g.lock();
            if (--inside_ == 0)
                done_.notify_one();
        }
    }

    void takeRanges(const Work& work)
    {
        for (std::size_t i; (i = next_.fetch_add(1)) < ranges_;) {
            const Range r = rangeOf(i, count_, ranges_);
            work(r.begin, r.end);
        }
    }

    static constexpr std::size_t kRangesPerThread = 4;
    std::mutex lock_;
    std::condition_variable wake_, done_;
    const Work* work_ = nullptr;
    std::size_t count_ = 0, ranges_ = 0, active_ = 0, generation_ = 0;
    std::size_t inside_ = 0; // helpers taking ranges of the open call
    bool open_ = false; // helpers may still join the call
    std::atomic<std::size_t> next_{0};
    std::vector<std::thread> threads_;
};

// The ranges on threads made for this call alone.
void runOnNewThreads(std::size_t count, std::size_t threads, const Work& work)
{
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        const Range r = rangeOf(t, count, threads);
        try {
            helpers.emplace_back(work, r.begin, r.end);
        } catch (const std::system_error&) {
            // No thread to be had: this range runs here, after the first.
            work(r.begin, r.end);
        }
    }
    const Range own = rangeOf(0, count, threads);
    work(own.begin, own.end);
    for (std::thread& h : helpers)
        h.join();
}

} // namespace

std::size_t threadsFor(std::size_t count, std::size_t minPerThread)
{
    const std::size_t byWork = minPerThread ? count / minPerThread : count;
    return std::max<std::size_t>(1, std::min({cores(), byWork, threadLimit.load()}));
}

ThreadLimit::ThreadLimit(std::size_t most)
        : previous_(threadLimit.exchange(std::max<std::size_t>(1, most)))
{
}

ThreadLimit::~ThreadLimit()
{
    threadLimit = previous_;
}

void run(std::size_t count, std::size_t minPerThread, const Work& work)
{
    const std::size_t threads = threadsFor(count, minPerThread);
    if (threads <= 1) {
        if (count)
            work(0, count);
        return;
    }
    if (insideRange) {
        for (std::size_t t = 0; t < threads; ++t) {
            const Range r = rangeOf(t, count, threads);
            work(r.begin, r.end);
        }
        return;
    }
    Helpers& helpers = Helpers::instance();
    std::unique_lock<std::mutex> own(helpers.owner, std::try_to_lock);
    if (!own.owns_lock()) {
        runOnNewThreads(count, threads, work);
        return;
    }
    helpers.run(count, threads, work);
}

} // namespace ParallelRanges
