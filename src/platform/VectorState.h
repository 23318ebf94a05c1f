#pragma once

// Clears the upper halves of the 256-bit vector registers where the CPU has
// them. Qt's AVX2 fill and blend routines return with those halves dirty, and
// every SSE libm call made after that (sin, exp, pow, ...) then pays a state
// transition of about a hundred nanoseconds instead of running in ten. Each
// math-heavy kernel calls this once on entry, so its speed does not depend on
// what the program drew before it. Without AVX it does nothing.
namespace VectorState {

void clearUpper();

} // namespace VectorState
