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

// One symbol at a time; the tail of a block and machines without vectors.
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

// Where each symbol sits among up to 64 bytes, bit i for byte i.
struct SymbolMasks {
    uint64_t zero = 0;
    uint64_t one = 0;
    uint64_t upperX = 0;
    uint64_t lowerX = 0;
};

inline unsigned lowestZero(uint64_t valid) { return static_cast<unsigned>(__builtin_ctzll(~valid)); }

// Deposits the masks of `width` bytes (64 or fewer, `full` the mask of all of
// them) at node `first`; true when every byte was a symbol, else `taken`
// grows by the symbols before the first other byte.
inline bool depositRun(RowPlanes planes, uint64_t first, const SymbolMasks& masks, uint64_t full,
                       size_t width, size_t& taken) {
    uint64_t valid = masks.zero | masks.one | masks.upperX | masks.lowerX;
    uint64_t keep = full;
    size_t run = width;
    if ((valid & full) != full) {
        run = lowestZero(valid);
        keep = (uint64_t{1} << run) - 1;
    }
    deposit(planes.fault0, first, masks.zero & keep);
    deposit(planes.fault1, first, masks.one & keep);
    deposit(planes.lowerX, first, masks.lowerX & keep);
    taken += run;
    return run == width;
}

#if defined(__SSE2__)

inline uint64_t equalMask16(__m128i bytes, char symbol) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(symbol))));
}

// The masks of 16 bytes, placed at bit `at`.
inline void classify16(const char* text, unsigned at, SymbolMasks& masks) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    masks.zero |= equalMask16(bytes, '0') << at;
    masks.one |= equalMask16(bytes, '1') << at;
    masks.upperX |= equalMask16(bytes, 'X') << at;
    masks.lowerX |= equalMask16(bytes, 'x') << at;
}

// 64 bytes a step, then 16, then one at a time.
size_t scanSse2(const char* text, size_t count, RowPlanes planes, uint64_t first) {
    size_t taken = 0;
    while (count - taken >= 64) {
        SymbolMasks masks;
        classify16(text + taken, 0, masks);
        classify16(text + taken + 16, 16, masks);
        classify16(text + taken + 32, 32, masks);
        classify16(text + taken + 48, 48, masks);
        if (!depositRun(planes, first + taken, masks, ~uint64_t{0}, 64, taken)) {
            return taken;
        }
    }
    while (count - taken >= 16) {
        SymbolMasks masks;
        classify16(text + taken, 0, masks);
        if (!depositRun(planes, first + taken, masks, 0xFFFF, 16, taken)) {
            return taken;
        }
    }
    return taken + scanScalar(text + taken, count - taken, planes, first + taken);
}

#endif

}  // namespace

size_t scanTableSymbols(const char* text, size_t count, RowPlanes planes, uint64_t first) {
#if defined(__SSE2__)
    return scanSse2(text, count, planes, first);
#else
    return scanScalar(text, count, planes, first);
#endif
}
