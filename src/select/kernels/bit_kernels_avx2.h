// The word loops of select/kernels/bit_kernels.h in 256-bit vectors, for
// processors at the AVX2 tier; bit_kernels.cpp dispatches to them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "select/kernels/vector_fields.h"

#if defined(__x86_64__) || defined(__i386__)
#define TVCOMPACT_AVX2_KERNELS 1

namespace bitkernels {

uint32_t countNewBitsAvx2(const uint64_t* bits, const uint64_t* covered, size_t n);
uint32_t mergeNewBitsAvx2(uint64_t* covered, const uint64_t* bits, size_t n);
void addBitsToByteCountsAvx2(uint8_t* counts, const uint64_t* bits, size_t n);
void addToDetectionPlanesAvx2(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits, size_t n,
                              uint32_t vector);

}  // namespace bitkernels
#endif
