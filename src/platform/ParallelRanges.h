#pragma once

#include <cstddef>
#include <functional>

// Splits [0, count) into contiguous ranges and runs work(begin, end) on each,
// on up to one thread per core (the calling thread takes the first range).
// A count below 2 * minPerThread runs on the calling thread alone. Every call
// of work must touch only its own range; the call returns when all are done.
// The ranges depend only on count, minPerThread and the number of cores.
namespace ParallelRanges {

void run(std::size_t count, std::size_t minPerThread,
         const std::function<void(std::size_t, std::size_t)>& work);

// Threads run() would use for count (at least 1).
std::size_t threadsFor(std::size_t count, std::size_t minPerThread);

} // namespace ParallelRanges
