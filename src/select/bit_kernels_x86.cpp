// The kernel variants for x86 processors with the population-count
// instruction, AVX2, or AVX-512 with vector bit counts. Each function is
// compiled for its own instruction set and only called when the processor
// runs it; elsewhere the build keeps the portable code in their place.
#include "select/bit_kernels.h"

#include <algorithm>

#include "select/bit_count.h"

#if defined(__x86_64__) || defined(__i386__)

// GCC 12's intrinsics headers make their "undefined" vectors by reading an
// uninitialised variable, which the warnings would report at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define TARGET_POPCNT __attribute__((target("popcnt")))
#define TARGET_AVX2 __attribute__((target("avx2,popcnt")))
#define TARGET_AVX512 __attribute__((target("avx512f,avx512bw,avx512vpopcntdq,avx2,popcnt")))

namespace bitkernels {

bool x86VariantsBuilt() {
    return true;
}

TARGET_POPCNT uint32_t countNewBitsPopcnt(const uint64_t* bits, const uint64_t* covered, size_t n) {
    uint64_t total = 0;
    for (size_t word = 0; word < n; ++word) {
        total += static_cast<uint64_t>(__builtin_popcountll(bits[word] & ~covered[word]));
    }
    return static_cast<uint32_t>(total);
}

TARGET_POPCNT uint32_t mergeNewBitsPopcnt(uint64_t* covered, const uint64_t* bits, size_t n) {
    uint64_t total = 0;
    for (size_t word = 0; word < n; ++word) {
        total += static_cast<uint64_t>(__builtin_popcountll(bits[word] & ~covered[word]));
        covered[word] |= bits[word];
    }
    return static_cast<uint32_t>(total);
}

namespace {

// Bits set in each 64-bit lane of v, by nibble look-up.
TARGET_AVX2 __m256i laneCounts(__m256i v) {
    const __m256i nibbleCounts = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4,  //
                                                  0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    const __m256i lowNibbles = _mm256_set1_epi8(0x0f);
    __m256i low = _mm256_shuffle_epi8(nibbleCounts, _mm256_and_si256(v, lowNibbles));
    __m256i high = _mm256_shuffle_epi8(nibbleCounts, _mm256_and_si256(_mm256_srli_epi16(v, 4), lowNibbles));
    return _mm256_sad_epu8(_mm256_add_epi8(low, high), _mm256_setzero_si256());
}

TARGET_AVX2 uint64_t sumLanes(__m256i v) {
    __m128i pair = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(pair)) + static_cast<uint64_t>(_mm_extract_epi64(pair, 1));
}

}  // namespace

TARGET_AVX2 uint32_t countNewBitsAvx2(const uint64_t* bits, const uint64_t* covered, size_t n) {
    __m256i sums = _mm256_setzero_si256();
    size_t word = 0;
    for (; word + 4 <= n; word += 4) {
        __m256i fresh = _mm256_andnot_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(covered + word)),
                                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bits + word)));
        sums = _mm256_add_epi64(sums, laneCounts(fresh));
    }
    uint64_t total = sumLanes(sums);
    for (; word < n; ++word) {
        total += static_cast<uint64_t>(__builtin_popcountll(bits[word] & ~covered[word]));
    }
    return static_cast<uint32_t>(total);
}

TARGET_AVX2 uint32_t mergeNewBitsAvx2(uint64_t* covered, const uint64_t* bits, size_t n) {
    __m256i sums = _mm256_setzero_si256();
    size_t word = 0;
    for (; word + 4 <= n; word += 4) {
        auto* target = reinterpret_cast<__m256i*>(covered + word);
        __m256i old = _mm256_loadu_si256(target);
        __m256i add = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bits + word));
        sums = _mm256_add_epi64(sums, laneCounts(_mm256_andnot_si256(old, add)));
        _mm256_storeu_si256(target, _mm256_or_si256(old, add));
    }
    uint64_t total = sumLanes(sums);
    for (; word < n; ++word) {
        total += static_cast<uint64_t>(__builtin_popcountll(bits[word] & ~covered[word]));
        covered[word] |= bits[word];
    }
    return static_cast<uint32_t>(total);
}

TARGET_AVX2 void addBitsToByteCountsAvx2(uint8_t* counts, const uint64_t* bits, size_t n) {
    // Byte i of a half takes the byte of the 32 bits that holds bit i, then
    // keeps only that bit: all ones where it is set.
    const __m256i byteOfBit = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1,  //
                                               2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
    const __m256i bitInByte = _mm256_set1_epi64x(static_cast<int64_t>(0x8040201008040201ull));
    for (size_t word = 0; word < n; ++word) {
        for (uint32_t half = 0; half < 2; ++half) {
            auto quarter = static_cast<int32_t>(static_cast<uint32_t>(bits[word] >> (32 * half)));
            __m256i spread = _mm256_shuffle_epi8(_mm256_set1_epi32(quarter), byteOfBit);
            __m256i set = _mm256_cmpeq_epi8(_mm256_and_si256(spread, bitInByte), bitInByte);
            auto* target = reinterpret_cast<__m256i*>(counts + word * 64 + 32 * half);
            _mm256_storeu_si256(target, _mm256_sub_epi8(_mm256_loadu_si256(target), set));
        }
    }
}

TARGET_AVX2 void addToDetectionPlanesAvx2(uint64_t* once, uint64_t* twice, VectorFields first,
                                          const uint64_t* bits, size_t n, uint32_t vector) {
    size_t word = 0;
    for (; word + 4 <= n; word += 4) {
        auto* onceWords = reinterpret_cast<__m256i*>(once + word);
        auto* twiceWords = reinterpret_cast<__m256i*>(twice + word);
        __m256i add = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bits + word));
        __m256i seen = _mm256_loadu_si256(onceWords);
        __m256i again = _mm256_and_si256(seen, add);
        _mm256_storeu_si256(twiceWords, _mm256_or_si256(_mm256_loadu_si256(twiceWords), again));
        if (!_mm256_testc_si256(seen, add)) {
            bitcount::recordFirstDetections(once, first, bits, word, word + 4, vector);
        }
        _mm256_storeu_si256(onceWords, _mm256_or_si256(seen, add));
    }
    bitcount::addToDetectionPlanesWords(once + word, twice + word, fieldsFromWord(first, word), bits + word,
                                         n - word, vector);
}

TARGET_AVX512 uint32_t countNewBitsAvx512(const uint64_t* bits, const uint64_t* covered, size_t n) {
    __m512i sums = _mm512_setzero_si512();
    size_t word = 0;
    for (; word + 8 <= n; word += 8) {
        __m512i fresh = _mm512_andnot_si512(_mm512_loadu_si512(covered + word), _mm512_loadu_si512(bits + word));
        sums = _mm512_add_epi64(sums, _mm512_popcnt_epi64(fresh));
    }
    if (word < n) {
        auto tail = static_cast<__mmask8>((1u << (n - word)) - 1);
        __m512i fresh = _mm512_andnot_si512(_mm512_maskz_loadu_epi64(tail, covered + word),
                                            _mm512_maskz_loadu_epi64(tail, bits + word));
        sums = _mm512_add_epi64(sums, _mm512_popcnt_epi64(fresh));
    }
    return static_cast<uint32_t>(_mm512_reduce_add_epi64(sums));
}

TARGET_AVX512 uint32_t mergeNewBitsAvx512(uint64_t* covered, const uint64_t* bits, size_t n) {
    __m512i sums = _mm512_setzero_si512();
    size_t word = 0;
    for (; word + 8 <= n; word += 8) {
        __m512i old = _mm512_loadu_si512(covered + word);
        __m512i add = _mm512_loadu_si512(bits + word);
        sums = _mm512_add_epi64(sums, _mm512_popcnt_epi64(_mm512_andnot_si512(old, add)));
        _mm512_storeu_si512(covered + word, _mm512_or_si512(old, add));
    }
    if (word < n) {
        auto tail = static_cast<__mmask8>((1u << (n - word)) - 1);
        __m512i old = _mm512_maskz_loadu_epi64(tail, covered + word);
        __m512i add = _mm512_maskz_loadu_epi64(tail, bits + word);
        sums = _mm512_add_epi64(sums, _mm512_popcnt_epi64(_mm512_andnot_si512(old, add)));
        _mm512_mask_storeu_epi64(covered + word, tail, _mm512_or_si512(old, add));
    }
    return static_cast<uint32_t>(_mm512_reduce_add_epi64(sums));
}

TARGET_AVX512 void addBitsToByteCountsAvx512(uint8_t* counts, const uint64_t* bits, size_t n) {
    for (size_t word = 0; word < n; ++word) {
        // All ones (minus one) in every byte whose bit is set.
        __m512i set = _mm512_movm_epi8(static_cast<__mmask64>(bits[word]));
        uint8_t* target = counts + word * 64;
        _mm512_storeu_si512(target, _mm512_sub_epi8(_mm512_loadu_si512(target), set));
    }
}

TARGET_AVX512 void addToDetectionPlanesAvx512(uint64_t* once, uint64_t* twice, VectorFields first,
                                              const uint64_t* bits, size_t n, uint32_t vector) {
    for (size_t word = 0; word < n; word += 8) {
        auto part = static_cast<__mmask8>(n - word >= 8 ? 0xff : (1u << (n - word)) - 1);
        __m512i add = _mm512_maskz_loadu_epi64(part, bits + word);
        __m512i seen = _mm512_maskz_loadu_epi64(part, once + word);
        __m512i again = _mm512_and_si512(seen, add);
        __m512i twiceWords = _mm512_maskz_loadu_epi64(part, twice + word);
        _mm512_mask_storeu_epi64(twice + word, part, _mm512_or_si512(twiceWords, again));
        if (_mm512_test_epi64_mask(_mm512_andnot_si512(seen, add), _mm512_andnot_si512(seen, add)) != 0) {
            bitcount::recordFirstDetections(once, first, bits, word, std::min(n, word + 8), vector);
        }
        _mm512_mask_storeu_epi64(once + word, part, _mm512_or_si512(seen, add));
    }
}

}  // namespace bitkernels

#else

// No x86 variants: the tiers beyond the portable one are never chosen, and
// these stand-ins keep the dispatch whole.
namespace bitkernels {

bool x86VariantsBuilt() {
    return false;
}

uint32_t countNewBitsPopcnt(const uint64_t* bits, const uint64_t* covered, size_t n) {
    return countNewBitsPortable(bits, covered, n);
}
uint32_t mergeNewBitsPopcnt(uint64_t* covered, const uint64_t* bits, size_t n) {
    return mergeNewBitsPortable(covered, bits, n);
}
uint32_t countNewBitsAvx2(const uint64_t* bits, const uint64_t* covered, size_t n) {
    return countNewBitsPortable(bits, covered, n);
}
uint32_t mergeNewBitsAvx2(uint64_t* covered, const uint64_t* bits, size_t n) {
    return mergeNewBitsPortable(covered, bits, n);
}
void addBitsToByteCountsAvx2(uint8_t* counts, const uint64_t* bits, size_t n) {
    addBitsToByteCountsPortable(counts, bits, n);
}
void addToDetectionPlanesAvx2(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                              size_t n, uint32_t vector) {
    addToDetectionPlanesPortable(once, twice, first, bits, n, vector);
}
uint32_t countNewBitsAvx512(const uint64_t* bits, const uint64_t* covered, size_t n) {
    return countNewBitsPortable(bits, covered, n);
}
uint32_t mergeNewBitsAvx512(uint64_t* covered, const uint64_t* bits, size_t n) {
    return mergeNewBitsPortable(covered, bits, n);
}
void addBitsToByteCountsAvx512(uint8_t* counts, const uint64_t* bits, size_t n) {
    addBitsToByteCountsPortable(counts, bits, n);
}
void addToDetectionPlanesAvx512(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                                size_t n, uint32_t vector) {
    addToDetectionPlanesPortable(once, twice, first, bits, n, vector);
}

}  // namespace bitkernels

#endif
