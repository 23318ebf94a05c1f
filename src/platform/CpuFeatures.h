#pragma once

// What the processor offers beyond what the program is built for, read once
// at start: the vector kernels pick their widest path from it.
namespace CpuFeatures {

#if defined(__x86_64__)
inline const bool avx2 = __builtin_cpu_supports("avx2");
#else
inline constexpr bool avx2 = false;
#endif

} // namespace CpuFeatures
