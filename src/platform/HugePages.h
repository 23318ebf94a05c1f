#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

// Asks the kernel to back the whole 2 MB pages of a large, freshly allocated
// block with huge pages. A column of millions of values written once from
// start to end otherwise takes a page fault every 4 KB, and on a virtual
// machine those faults cost more than the writing itself. Only advice: the
// memory stays its owner's, and small blocks are left alone.
namespace HugePages {

void advise(void* data, std::size_t bytes);

// Makes the pages of [data, data + bytes) present and writable at once, as
// a write to each would, without changing a byte of them: the kernel clears
// a new page here rather than in the first write to it, so another thread
// can do that work ahead of the writer. Only advice, like advise().
void populate(void* data, std::size_t bytes);

// Uninitialised memory for scratch arrays of plain numbers. A large block
// starts on a 2 MB boundary and is advised whole before anything touches it,
// so every page of it can be a huge one. Throws std::bad_alloc.
void* allocate(std::size_t bytes);

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Array = std::unique_ptr<T[], Free>;

template <class T> Array<T> makeArray(std::size_t count)
{
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);
    if (count > std::size_t(-1) / sizeof(T))
        throw std::bad_alloc();
    return Array<T>(static_cast<T*>(allocate(count * sizeof(T))));
}

// Room for `count` values in a vector about to be filled whole, advised
// before anything touches it (the values already there are kept).
template <class T> void reserve(std::vector<T>& v, std::size_t count)
{
    v.reserve(count);
    advise(v.data(), v.capacity() * sizeof(T));
}

// A vector of `count` zeros on advised memory, for a caller that writes
// every one of them.
template <class T> std::vector<T> makeVector(std::size_t count)
{
    std::vector<T> v;
    reserve(v, count);
    v.resize(count);
    return v;
}

} // namespace HugePages
