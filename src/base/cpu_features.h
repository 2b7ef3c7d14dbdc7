// What this processor and this process offer the code: the instruction-set
// tier the vector kernels run at, and the CPUs the process may run on.
#pragma once

#include <cstdint>

// The tiers the vector kernels come in, narrowest first. Baseline is what
// the build targets (on x86-64 that includes SSE2). Every kernel gives the
// same results at every tier; bench/README.md has what each tier gains.
enum class CpuTier : uint32_t {
    Baseline,
    Avx2,    // 256-bit vectors (with the population-count instruction)
    Avx512,  // 512-bit byte compares (AVX-512 F and BW): only the table row scan uses them
};

namespace cpufeatures {
// The tier the kernels use: the widest supported, unless useCpuTier chose another.
extern CpuTier active;
}  // namespace cpufeatures

inline CpuTier activeCpuTier() { return cpufeatures::active; }

// Whether this build, this processor and its operating system run `tier`.
bool cpuTierSupported(CpuTier tier);

// Makes the kernels use `tier` (tests and the benchmark compare the tiers);
// false, changing nothing, when it is not supported. Not to be called while
// a kernel runs.
bool useCpuTier(CpuTier tier);

// The CPUs this process may run on (its affinity mask, which a container or
// `taskset` may make smaller than the machine), at least 1.
uint32_t usableCpuCount();
