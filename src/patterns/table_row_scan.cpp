#include "patterns/table_row_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// ORs `mask` into `plane` with its bit 0 at bit `bit` of the plane.
inline void deposit(uint64_t* plane, uint64_t bit, uint64_t mask) {
    if (mask == 0) {
        return;
    }
    size_t word = bit >> 6;
    unsigned shift = static_cast<unsigned>(bit & 63);
    plane[word] |= mask << shift;
    if (shift != 0) {
        plane[word + 1] |= mask >> (64 - shift);
    }
}

// One symbol at a time; the tail of a block and machines without SSE2.
size_t scanScalar(const char* text, size_t count, RowPlanes planes, uint64_t first) {
    for (size_t taken = 0; taken < count; ++taken) {
        uint64_t node = first + taken;
        uint64_t bit = uint64_t{1} << (node & 63);
        switch (text[taken]) {
            case '0':
                planes.fault0[node >> 6] |= bit;
                break;
            case '1':
                planes.fault1[node >> 6] |= bit;
                break;
            case 'x':
                planes.lowerX[node >> 6] |= bit;
                break;
            case 'X':
                break;
            default:
                return taken;
        }
    }
    return count;
}

#if defined(__SSE2__)

struct SymbolMasks {
    uint64_t zero = 0;
    uint64_t one = 0;
    uint64_t upperX = 0;
    uint64_t lowerX = 0;
};

inline uint64_t equalMask(__m128i bytes, __m128i symbol) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, symbol)));
}

// The masks of 16 bytes, placed at bit `at` of `masks`.
inline void classify16(const char* text, unsigned at, SymbolMasks& masks) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    masks.zero |= equalMask(bytes, _mm_set1_epi8('0')) << at;
    masks.one |= equalMask(bytes, _mm_set1_epi8('1')) << at;
    masks.upperX |= equalMask(bytes, _mm_set1_epi8('X')) << at;
    masks.lowerX |= equalMask(bytes, _mm_set1_epi8('x')) << at;
}

// Deposits the symbols of `masks` whose bits `keep` selects.
inline void depositMasks(RowPlanes planes, uint64_t first, const SymbolMasks& masks, uint64_t keep) {
    deposit(planes.fault0, first, masks.zero & keep);
    deposit(planes.fault1, first, masks.one & keep);
    deposit(planes.lowerX, first, masks.lowerX & keep);
}

inline unsigned lowestZero(uint64_t valid) { return static_cast<unsigned>(__builtin_ctzll(~valid)); }

#endif

}  // namespace

size_t scanTableSymbols(const char* text, size_t count, RowPlanes planes, uint64_t first) {
    size_t taken = 0;
#if defined(__SSE2__)
    while (count - taken >= 64) {
        SymbolMasks masks;
        classify16(text + taken, 0, masks);
        classify16(text + taken + 16, 16, masks);
        classify16(text + taken + 32, 32, masks);
        classify16(text + taken + 48, 48, masks);
        uint64_t valid = masks.zero | masks.one | masks.upperX | masks.lowerX;
        if (valid != ~uint64_t{0}) {
            unsigned run = lowestZero(valid);
            depositMasks(planes, first + taken, masks, (uint64_t{1} << run) - 1);
            return taken + run;
        }
        depositMasks(planes, first + taken, masks, ~uint64_t{0});
        taken += 64;
    }
    while (count - taken >= 16) {
        SymbolMasks masks;
        classify16(text + taken, 0, masks);
        uint64_t valid = masks.zero | masks.one | masks.upperX | masks.lowerX | ~uint64_t{0xFFFF};
        if (valid != ~uint64_t{0}) {
            unsigned run = lowestZero(valid);
            depositMasks(planes, first + taken, masks, (uint64_t{1} << run) - 1);
            return taken + run;
        }
        depositMasks(planes, first + taken, masks, 0xFFFF);
        taken += 16;
    }
#endif
    return taken + scanScalar(text + taken, count - taken, planes, first + taken);
}
