#include "select/faults/detection_counts.h"

#include <algorithm>
#include <bit>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint32_t countAt(const DetectionCounts& counts, size_t node) {
    size_t word = node / 64;
    if (word >= counts.words) {
        return 0;
    }
    const uint64_t* slices = counts.slices.data() + word * counts.width;
    uint32_t count = 0;
    for (uint32_t j = 0; j < counts.width; ++j) {
        count |= static_cast<uint32_t>((slices[j] >> (node % 64)) & 1) << j;
    }
    return count;
}

void resetCounts(DetectionCounts& counts, size_t words, uint32_t width) {
    counts.words = words;
    counts.width = width;
    counts.slices = std::vector<uint64_t>(words * width, 0);
}

void storeWordCounts(DetectionCounts& counts, size_t word, const uint32_t* values) {
    uint64_t* slices = counts.slices.data() + word * counts.width;
#if defined(__SSE2__)
    // Bit j of four counts at once: shifted to the sign bits, which one
    // instruction gathers.
    __m128i lanes[16];
    for (uint32_t group = 0; group < 16; ++group) {
        lanes[group] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + 4 * group));
    }
    for (uint32_t j = 0; j < counts.width; ++j) {
        __m128i shift = _mm_cvtsi32_si128(static_cast<int>(31 - j));
        uint64_t slice = 0;
        for (uint32_t group = 0; group < 16; ++group) {
            __m128 signs = _mm_castsi128_ps(_mm_sll_epi32(lanes[group], shift));
            slice |= static_cast<uint64_t>(_mm_movemask_ps(signs)) << (4 * group);
        }
        slices[j] = slice;
    }
#else
    for (uint32_t j = 0; j < counts.width; ++j) {
        uint64_t slice = 0;
        for (uint32_t bit = 0; bit < 64; ++bit) {
            slice |= uint64_t{(values[bit] >> j) & 1} << bit;
        }
        slices[j] = slice;
    }
#endif
}

namespace {

// One more bit for every count.
void widenCounts(DetectionCounts& counts) {
    DetectionCounts wider;
    resetCounts(wider, counts.words, counts.width + 1);
    for (size_t word = 0; word < counts.words; ++word) {
        for (uint32_t j = 0; j < counts.width; ++j) {
            wider.slices[word * wider.width + j] = counts.slices[word * counts.width + j];
        }
    }
    counts = std::move(wider);
}

}  // namespace

void addToCounts(DetectionCounts& counts, const uint64_t* bits, size_t n) {
    for (size_t word = 0; word < n; ++word) {
        uint64_t carry = bits[word];
        // A carry out of the top bit needs one bit more, at every count.
        for (uint32_t j = 0; carry != 0; ++j) {
            if (j == counts.width) {
                widenCounts(counts);
            }
            uint64_t& slice = counts.slices[word * counts.width + j];
            uint64_t next = slice & carry;
            slice ^= carry;
            carry = next;
        }
    }
}

void subtractFromCounts(DetectionCounts& counts, const uint64_t* bits, size_t n) {
    for (size_t word = 0; word < n; ++word) {
        uint64_t* slices = counts.slices.data() + word * counts.width;
        uint64_t borrow = bits[word];
        for (uint32_t j = 0; j < counts.width && borrow != 0; ++j) {
            uint64_t next = borrow & ~slices[j];
            slices[j] ^= borrow;
            borrow = next;
        }
    }
}

uint64_t countsOfOne(const DetectionCounts& counts, size_t word) {
    if (counts.width == 0) {
        return 0;
    }
    const uint64_t* slices = counts.slices.data() + word * counts.width;
    uint64_t higher = 0;
    for (uint32_t j = 1; j < counts.width; ++j) {
        higher |= slices[j];
    }
    return slices[0] & ~higher;
}

namespace {

// The slices of one word of counts, and how many there are (none beyond the words held).
struct WordSlices {
    const uint64_t* slices;
    uint32_t width;
};

WordSlices slicesOf(const DetectionCounts& counts, size_t word) {
    if (word >= counts.words) {
        return {nullptr, 0};
    }
    return {counts.slices.data() + word * counts.width, counts.width};
}

uint64_t sliceAt(WordSlices word, uint32_t j) { return j < word.width ? word.slices[j] : 0; }

// Bits set in any slice from `from` on: counts of at least 2^from.
uint64_t anySlice(WordSlices word, uint32_t from) {
    uint64_t any = 0;
    for (uint32_t j = from; j < word.width; ++j) {
        any |= word.slices[j];
    }
    return any;
}

}  // namespace

uint64_t countsBelow(const DetectionCounts& a, const DetectionCounts& b, size_t word) {
    WordSlices sa = slicesOf(a, word);
    WordSlices sb = slicesOf(b, word);
    // Counts of 0 or 1 on one side, as demands of one detection each are:
    // no comparison bit by bit.
    if (sb.width <= 1) {
        return sliceAt(sb, 0) & ~anySlice(sa, 0);
    }
    if (sa.width <= 1) {
        return anySlice(sb, 1) | (sb.slices[0] & ~sliceAt(sa, 0));
    }
    uint64_t below = 0;
    uint64_t equal = ~uint64_t{0};
    for (uint32_t j = std::max(sa.width, sb.width); j-- > 0;) {
        uint64_t x = sliceAt(sa, j);
        uint64_t y = sliceAt(sb, j);
        below |= equal & ~x & y;
        equal &= ~(x ^ y);
    }
    return below;
}

uint64_t countsAbove(const DetectionCounts& a, const DetectionCounts& b, size_t word) { return countsBelow(b, a, word); }

uint64_t countsAtLeast(const DetectionCounts& a, uint32_t value, size_t word) {
    if (value == 0) {
        return ~uint64_t{0};
    }
    WordSlices sa = slicesOf(a, word);
    uint32_t width = std::max<uint32_t>(sa.width, static_cast<uint32_t>(std::bit_width(value)));
    uint64_t below = 0;
    uint64_t equal = ~uint64_t{0};
    for (uint32_t j = width; j-- > 0;) {
        uint64_t x = sliceAt(sa, j);
        uint64_t y = ((value >> j) & 1) != 0 ? ~uint64_t{0} : 0;
        below |= equal & ~x & y;
        equal &= ~(x ^ y);
    }
    return ~below;
}

uint64_t countsAboveZero(const DetectionCounts& counts, size_t word) {
    WordSlices slices = slicesOf(counts, word);
    uint64_t any = 0;
    for (uint32_t j = 0; j < slices.width; ++j) {
        any |= slices.slices[j];
    }
    return any;
}
