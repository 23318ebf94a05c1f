#pragma once

#include <cstddef>
#include <functional>

// Splits [0, count) into contiguous ranges and runs work(begin, end) on each,
// on up to one thread per core, the calling thread among them. A count below
// 2 * minPerThread runs on the calling thread alone. Every call of work must
// touch only its own range; the call returns when all are done. How the
// ranges are cut may differ from call to call.
//
// The ranges go to helper threads made once and kept waiting, so a kernel
// may split its work many times over without paying for new threads; there
// are a few ranges per thread, each thread taking the next one free, so a
// core busy with another program delays its share only. A call made from
// inside a range, or while another thread's call holds the helpers, runs
// its ranges the old way: nested ones one after another on the calling
// thread, concurrent ones on threads of their own.
namespace ParallelRanges {

void run(std::size_t count, std::size_t minPerThread,
         const std::function<void(std::size_t, std::size_t)>& work);

// Threads run() would use for count (at least 1).
std::size_t threadsFor(std::size_t count, std::size_t minPerThread);

// While one lives, run() and threadsFor() use at most `most` threads (at
// least one), in the whole process: a result worked out on fewer threads can
// be compared with the usual one, or cores kept free. The last one made is
// the first to go.
class ThreadLimit {
public:
    explicit ThreadLimit(std::size_t most);
    ~ThreadLimit();
    ThreadLimit(const ThreadLimit&) = delete;
    ThreadLimit& operator=(const ThreadLimit&) = delete;

private:
    std::size_t previous_;
};

} // namespace ParallelRanges
