#include "platform/HugePages.h"

#include <sys/mman.h>

#include <cstdint>

void HugePages::advise(void* data, std::size_t bytes)
{
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    if (!data || bytes < 2 * kHuge)
        return;
    const std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t e = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (e > a)
        madvise(reinterpret_cast<void*>(a), e - a, MADV_HUGEPAGE);
}
