#pragma once

// What the processor offers beyond what the program is built for, read once
// at start: the vector kernels pick their widest path from it.
namespace CpuFeatures {

#if defined(__x86_64__)
inline const bool avx2 = __builtin_cpu_supports("avx2");
// AVX-512 with its byte permutations and compressions (F, BW, DQ, VBMI,
// VBMI2), and the bit instructions that go with them (BMI1, BMI2, POPCNT).
inline const bool avx512Bytes = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
    && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vbmi")
    && __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi")
    && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
#else
inline constexpr bool avx2 = false;
inline constexpr bool avx512Bytes = false;
#endif

} // namespace CpuFeatures
