#include "platform/HugePages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace {

constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;

} // namespace

void HugePages::advise(void* data, std::size_t bytes)
{
    if (!data || bytes < 2 * kHuge)
        return;
    const std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t e = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (e > a)
        madvise(reinterpret_cast<void*>(a), e - a, MADV_HUGEPAGE);
}

void HugePages::populate(void* data, std::size_t bytes)
{
    if (!data || bytes == 0)
        return;
    const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(data) & ~(page - 1);
    const std::uintptr_t e = reinterpret_cast<std::uintptr_t>(data) + bytes;
    madvise(reinterpret_cast<void*>(a), e - a, MADV_POPULATE_WRITE); // older kernels: EINVAL
}

void* HugePages::allocate(std::size_t bytes)
{
    void* p = nullptr;
    if (bytes >= 2 * kHuge && bytes <= std::size_t(-1) - kHuge) {
        const std::size_t whole = (bytes + kHuge - 1) & ~(kHuge - 1);
        p = std::aligned_alloc(kHuge, whole);
        if (p)
            madvise(p, whole, MADV_HUGEPAGE);
    } else {
        p = std::malloc(bytes ? bytes : 1);
    }
    if (!p)
        throw std::bad_alloc();
    return p;
}
