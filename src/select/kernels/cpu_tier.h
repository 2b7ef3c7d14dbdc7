// The instruction-set tier the selection's word loops run at.
#pragma once

#include <cstdint>

// The tiers the kernels come in, narrowest first. Baseline is what the build
// targets (on x86-64 that includes SSE2). Every kernel gives the same results
// at every tier; a tier is kept only for what bench/README.md shows it gains
// (the selection's kernels gain from AVX2; nothing gained from AVX-512 or
// from the population-count instruction alone).
enum class CpuTier : uint32_t {
    Baseline,
    Avx2,  // 256-bit vectors, with the population-count instruction
};

namespace cputier {
// The tier the kernels use: the widest the processor runs, unless the tests
// chose another (select/selection_for_tests.h).
extern CpuTier active;
}  // namespace cputier

inline CpuTier activeCpuTier() { return cputier::active; }

// Whether this build, this processor and its operating system run `tier`.
bool processorRunsTier(CpuTier tier);
