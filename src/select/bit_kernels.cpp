// The choice of kernel tier, the dispatch, and the portable and
// population-count variants.
#include "select/bit_kernels.h"

#include <array>
#include <bit>
#include <cstring>

#include "select/bit_count.h"

namespace {

bool processorRuns(BitKernelTier tier) {
#if defined(__x86_64__) || defined(__i386__)
    if (!bitkernels::x86VariantsBuilt()) {
        return tier == BitKernelTier::Portable;
    }
    __builtin_cpu_init();
    switch (tier) {
    case BitKernelTier::Portable:
        return true;
    case BitKernelTier::Popcnt:
        return __builtin_cpu_supports("popcnt");
    case BitKernelTier::Avx2:
        return __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("avx2");
    case BitKernelTier::Avx512:
        return __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("avx512f") &&
               __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vpopcntdq");
    }
    return false;
#else
    return tier == BitKernelTier::Portable;
#endif
}

BitKernelTier bestTier() {
    for (BitKernelTier tier : {BitKernelTier::Avx512, BitKernelTier::Avx2, BitKernelTier::Popcnt}) {
        if (processorRuns(tier)) {
            return tier;
        }
    }
    return BitKernelTier::Portable;
}

BitKernelTier activeTier = bestTier();

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

bool bitKernelTierSupported(BitKernelTier tier) {
    return processorRuns(tier);
}

BitKernelTier activeBitKernelTier() {
    return activeTier;
}

bool useBitKernelTier(BitKernelTier tier) {
    if (!processorRuns(tier)) {
        return false;
    }
    activeTier = tier;
    return true;
}

namespace bitkernels {

uint32_t countNewBitsPortable(const uint64_t* bits, const uint64_t* covered, size_t n) {
    return countAndNot(bits, covered, n);
}

uint32_t mergeNewBitsPortable(uint64_t* covered, const uint64_t* bits, size_t n) {
    uint32_t added = countAndNot(bits, covered, n);
    for (size_t word = 0; word < n; ++word) {
        covered[word] |= bits[word];
    }
    return added;
}

void addBitsToByteCountsPortable(uint8_t* counts, const uint64_t* bits, size_t n) {
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

void addToDetectionPlanesPortable(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                                  size_t n, uint32_t vector) {
    bitcount::addToDetectionPlanesWords(once, twice, first, bits, n, vector);
}

}  // namespace bitkernels

uint32_t countNewBits(const uint64_t* bits, const uint64_t* covered, size_t n) {
    switch (activeTier) {
    case BitKernelTier::Avx512:
        return bitkernels::countNewBitsAvx512(bits, covered, n);
    case BitKernelTier::Avx2:
        return bitkernels::countNewBitsAvx2(bits, covered, n);
    case BitKernelTier::Popcnt:
        return bitkernels::countNewBitsPopcnt(bits, covered, n);
    case BitKernelTier::Portable:
        break;
    }
    return bitkernels::countNewBitsPortable(bits, covered, n);
}

uint32_t mergeNewBits(uint64_t* covered, const uint64_t* bits, size_t n) {
    switch (activeTier) {
    case BitKernelTier::Avx512:
        return bitkernels::mergeNewBitsAvx512(covered, bits, n);
    case BitKernelTier::Avx2:
        return bitkernels::mergeNewBitsAvx2(covered, bits, n);
    case BitKernelTier::Popcnt:
        return bitkernels::mergeNewBitsPopcnt(covered, bits, n);
    case BitKernelTier::Portable:
        break;
    }
    return bitkernels::mergeNewBitsPortable(covered, bits, n);
}

void addBitsToByteCounts(uint8_t* counts, const uint64_t* bits, size_t n) {
    switch (activeTier) {
    case BitKernelTier::Avx512:
        return bitkernels::addBitsToByteCountsAvx512(counts, bits, n);
    case BitKernelTier::Avx2:
        return bitkernels::addBitsToByteCountsAvx2(counts, bits, n);
    case BitKernelTier::Popcnt:
    case BitKernelTier::Portable:
        break;
    }
    bitkernels::addBitsToByteCountsPortable(counts, bits, n);
}

void addToDetectionPlanes(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits, size_t n,
                          uint32_t vector) {
    switch (activeTier) {
    case BitKernelTier::Avx512:
        return bitkernels::addToDetectionPlanesAvx512(once, twice, first, bits, n, vector);
    case BitKernelTier::Avx2:
        return bitkernels::addToDetectionPlanesAvx2(once, twice, first, bits, n, vector);
    case BitKernelTier::Popcnt:
    case BitKernelTier::Portable:
        break;
    }
    bitkernels::addToDetectionPlanesPortable(once, twice, first, bits, n, vector);
}
