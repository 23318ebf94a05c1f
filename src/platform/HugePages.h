#pragma once

#include <cstddef>

// Asks the kernel to back the whole 2 MB pages of a large, freshly allocated
// block with huge pages. A column of millions of values written once from
// start to end otherwise takes a page fault every 4 KB, and on a virtual
// machine those faults cost more than the writing itself. Only advice: the
// memory stays its owner's, and small blocks are left alone.
namespace HugePages {

void advise(void* data, std::size_t bytes);

} // namespace HugePages
