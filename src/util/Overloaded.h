#pragma once

// One visitor of a std::variant made of several lambdas, one per kind.

template <class... F> struct Overloaded : F... {
    using F::operator()...;
};
template <class... F> Overloaded(F...) -> Overloaded<F...>;
