// Portable word loops: bit counts over word arrays, written so that the
// compiler can keep the partial sums in vector registers, and the update of
// the detection planes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "base/bit_count.h"
#include "select/kernels/vector_fields.h"

// The number of bits set in a[i] and clear in b[i] over i < n.
inline uint32_t countAndNot(const uint64_t* a, const uint64_t* b, size_t n) {
    // 31 words at most 8 per byte each keep every byte of the sum below 256.
    constexpr size_t BlockWords = 31;
    uint32_t total = 0;
    for (size_t word = 0; word < n;) {
        size_t end = std::min(n, word + BlockWords);
        uint64_t sums = 0;
        for (; word < end; ++word) {
            sums += bitcount::byteCounts(a[word] & ~b[word]);
        }
        total += bitcount::sumBytes(sums);
    }
    return total;
}

namespace bitcount {

// Records `vector` at every bit of words [begin, end) that `once` lacks:
// rarely reached, and kept out of the word loops that call it.
[[gnu::noinline]] inline void recordFirstDetections(const uint64_t* once, VectorFields first, const uint64_t* bits, size_t begin,
                                  size_t end, uint32_t vector) {
    if (first.width == 0) {
        return;
    }
    for (size_t word = begin; word < end; ++word) {
        for (uint64_t fresh = bits[word] & ~once[word]; fresh != 0; fresh &= fresh - 1) {
            storeVectorField(first, word * 64 + static_cast<size_t>(std::countr_zero(fresh)), vector);
        }
    }
}

// Words one at a time: the x86 variants take whole vectors instead.
inline void addToDetectionPlanesWords(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                                       size_t n, uint32_t vector) {
    for (size_t word = 0; word < n; ++word) {
        uint64_t seen = once[word];
        twice[word] |= seen & bits[word];
        if ((bits[word] & ~seen) != 0) {
            recordFirstDetections(once, first, bits, word, word + 1, vector);
        }
        once[word] = seen | bits[word];
    }
}

}  // namespace bitcount
