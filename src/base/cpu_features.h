// What this processor and this process offer the code: the instruction-set
// tier the vector kernels run at, and the CPUs the process may run on.
#pragma once

#include <cstdint>

// The tiers the vector kernels come in, narrowest first. Baseline is what
// the build targets (on x86-64 that includes SSE2). Every kernel gives the
// same results at every tier; a tier is kept only for what bench/README.md
// shows it gains (the selection's kernels gain from AVX2; nothing gained
// from AVX-512 or from the population-count instruction alone).
enum class CpuTier : uint32_t {
    Baseline,
    Avx2,  // 256-bit vectors, with the population-count instruction
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
