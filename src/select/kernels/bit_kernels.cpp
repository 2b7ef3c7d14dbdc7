// The portable kernels, and the dispatch to the AVX2 ones.
#include "select/kernels/bit_kernels.h"
#include "select/kernels/bit_kernels_avx2.h"

#include <array>
#include <bit>
#include <cstring>

#include "select/kernels/cpu_tier.h"
#include "select/kernels/word_loops.h"

namespace {

#if TVCOMPACT_AVX2_KERNELS
bool useAvx2() { return activeCpuTier() == CpuTier::Avx2; }
#endif

// Byte j of spreadBits[x]: bit j of x, so that one addition raises eight
// byte counts at once.
constexpr std::array<uint64_t, 256> makeSpreadBits() {
    std::array<uint64_t, 256> spread{};
    for (uint32_t value = 0; value < 256; ++value) {
        for (uint32_t bit = 0; bit < 8; ++bit) {
            spread[value] |= uint64_t{(value >> bit) & 1} << (8 * bit);
        }
    }
    return spread;
}

constexpr std::array<uint64_t, 256> SpreadBits = makeSpreadBits();

}  // namespace

uint32_t countNewBits(const uint64_t* bits, const uint64_t* covered, size_t n) {
#if TVCOMPACT_AVX2_KERNELS
    if (useAvx2()) {
        return bitkernels::countNewBitsAvx2(bits, covered, n);
    }
#endif
    return countAndNot(bits, covered, n);
}

uint32_t mergeNewBits(uint64_t* covered, const uint64_t* bits, size_t n) {
#if TVCOMPACT_AVX2_KERNELS
    if (useAvx2()) {
        return bitkernels::mergeNewBitsAvx2(covered, bits, n);
    }
#endif
    uint32_t added = countAndNot(bits, covered, n);
    for (size_t word = 0; word < n; ++word) {
        covered[word] |= bits[word];
    }
    return added;
}

void addBitsToByteCounts(uint8_t* counts, const uint64_t* bits, size_t n) {
#if TVCOMPACT_AVX2_KERNELS
    if (useAvx2()) {
        return bitkernels::addBitsToByteCountsAvx2(counts, bits, n);
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        for (size_t word = 0; word < n; ++word) {
            uint8_t* wordCounts = counts + word * 64;
            for (uint32_t byte = 0; byte < 8; ++byte) {
                uint64_t eight;
                std::memcpy(&eight, wordCounts + 8 * byte, sizeof eight);
                eight += SpreadBits[(bits[word] >> (8 * byte)) & 0xff];
                std::memcpy(wordCounts + 8 * byte, &eight, sizeof eight);
            }
        }
    } else {
        for (size_t word = 0; word < n; ++word) {
            for (uint64_t set = bits[word]; set != 0; set &= set - 1) {
                ++counts[word * 64 + static_cast<size_t>(std::countr_zero(set))];
            }
        }
    }
}

void addToDetectionPlanes(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits, size_t n,
                          uint32_t vector) {
#if TVCOMPACT_AVX2_KERNELS
    if (useAvx2()) {
        return bitkernels::addToDetectionPlanesAvx2(once, twice, first, bits, n, vector);
    }
#endif
    bitcount::addToDetectionPlanesWords(once, twice, first, bits, n, vector);
}
