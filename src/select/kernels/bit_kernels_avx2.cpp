// The kernels in 256-bit vectors, for processors at the AVX2 tier. Each
// function is compiled for AVX2 alone and only called when the processor
// runs it.
#include "select/kernels/bit_kernels_avx2.h"

#include "select/kernels/word_loops.h"

#if TVCOMPACT_AVX2_KERNELS

// GCC 12's intrinsics headers make their "undefined" vectors by reading an
// uninitialised variable, which the warnings would report at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define TARGET_AVX2 __attribute__((target("avx2,popcnt")))

namespace bitkernels {

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

TARGET_AVX2 void addToDetectionPlanesAvx2(uint64_t* once, uint64_t* twice, VectorFields first, const uint64_t* bits,
                                          size_t n, uint32_t vector) {
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
    bitcount::addToDetectionPlanesWords(once + word, twice + word, fieldsFromWord(first, word), bits + word, n - word,
                                         vector);
}

}  // namespace bitkernels

#endif
