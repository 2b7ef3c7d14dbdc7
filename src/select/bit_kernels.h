// The word loops of the selection, each in variants for the instruction sets
// a processor may offer beyond the plain x86-64 the build targets. The best
// variant this processor runs is chosen once; every variant gives the same
// results, and the portable one runs anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "select/vector_fields.h"

enum class BitKernelTier : uint32_t {
    Portable,  // plain word operations, bit counts by bytes
    Popcnt,    // the population-count instruction
    Avx2,      // 256-bit vectors
    Avx512,    // 512-bit vectors with vector bit counts
};

// Whether this processor (and its operating system) runs the tier.
bool bitKernelTierSupported(BitKernelTier tier);

// The tier the kernels below use: at the start the best one supported.
BitKernelTier activeBitKernelTier();

// Makes the kernels use `tier` (tests compare the tiers); false, changing
// nothing, when the processor does not run it. Not to be called while a
// selection runs.
bool useBitKernelTier(BitKernelTier tier);

// The number of bits set in bits[i] and clear in covered[i] over i < n.
uint32_t countNewBits(const uint64_t* bits, const uint64_t* covered, size_t n);

// As countNewBits, then sets those bits in `covered`.
uint32_t mergeNewBits(uint64_t* covered, const uint64_t* bits, size_t n);

// Adds bit b of bits[i] to counts[64 * i + b] over i < n; every count must
// stay below 256.
void addBitsToByteCounts(uint8_t* counts, const uint64_t* bits, size_t n);

// Adds one row plane to the planes of faults detected at least once and at
// least twice; at each fault the plane detects for the first time, `first`
// (one field per bit) receives `vector`.
void addToDetectionPlanes(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits, size_t n,
                          uint32_t vector);

// The variants, for the dispatch in bit_kernels.cpp.
namespace bitkernels {

uint32_t countNewBitsPortable(const uint64_t* bits, const uint64_t* covered, size_t n);
uint32_t mergeNewBitsPortable(uint64_t* covered, const uint64_t* bits, size_t n);
void addBitsToByteCountsPortable(uint8_t* counts, const uint64_t* bits, size_t n);
void addToDetectionPlanesPortable(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                                  size_t n, uint32_t vector);

uint32_t countNewBitsPopcnt(const uint64_t* bits, const uint64_t* covered, size_t n);
uint32_t mergeNewBitsPopcnt(uint64_t* covered, const uint64_t* bits, size_t n);

uint32_t countNewBitsAvx2(const uint64_t* bits, const uint64_t* covered, size_t n);
uint32_t mergeNewBitsAvx2(uint64_t* covered, const uint64_t* bits, size_t n);
void addBitsToByteCountsAvx2(uint8_t* counts, const uint64_t* bits, size_t n);
void addToDetectionPlanesAvx2(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                              size_t n, uint32_t vector);

uint32_t countNewBitsAvx512(const uint64_t* bits, const uint64_t* covered, size_t n);
uint32_t mergeNewBitsAvx512(uint64_t* covered, const uint64_t* bits, size_t n);
void addBitsToByteCountsAvx512(uint8_t* counts, const uint64_t* bits, size_t n);
void addToDetectionPlanesAvx512(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                                size_t n, uint32_t vector);

// Whether the x86 variants were built in at all.
bool x86VariantsBuilt();

}  // namespace bitkernels
