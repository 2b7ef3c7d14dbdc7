// The word loops of the selection, in a portable form and, for processors at
// the AVX2 tier (select/kernels/cpu_tier.h), in 256-bit vectors. Both give the
// same results.
#pragma once

#include <cstddef>
#include <cstdint>

#include "select/kernels/vector_fields.h"

// The number of bits set in bits[i] and clear in covered[i] over i < n.
uint32_t countNewBits(const uint64_t* bits, const uint64_t* covered, size_t n);

// As countNewBits, then sets those bits in `covered`.
uint32_t mergeNewBits(uint64_t* covered, const uint64_t* bits, size_t n);

// Adds bit b of bits[i] to counts[64 * i + b] over i < n; every count must
// stay below 256.
void addBitsToByteCounts(uint8_t* counts, const uint64_t* bits, size_t n);

// Adds one row plane to the planes of faults detected at least once and at
// least twice; at each fault the plane detects for the first time, `first`
// (one entry per bit) receives `vector`.
void addToDetectionPlanes(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits, size_t n,
                          uint32_t vector);
