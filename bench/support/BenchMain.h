#pragma once

// The shared entry point of the benchmark programs: offscreen Qt (documents
// pick fonts, views draw text), numbers in the "C" locale, and a private,
// empty defaults store so that a user's preferences stay out of the numbers.
// Before timing, an image is filled and painted, as the program has always
// done before any computation runs.
// A program that needs more set-up registers it with a static BenchHooks.

#include <functional>

struct BenchHooks {
    // setUp runs after the application exists, before the benchmarks;
    // tearDown after them.
    BenchHooks(std::function<void()> setUp, std::function<void()> tearDown = {});
};
