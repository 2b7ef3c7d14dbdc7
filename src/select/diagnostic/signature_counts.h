// A counting set of 64-bit signature hashes: open addressing with linear
// probing, sized once for the most keys it will hold at a time.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

struct SignatureCounts {
    std::vector<uint64_t> key;
    std::vector<uint32_t> count;  // 0: the slot is free
    size_t mask = 0;
};

// Room for `entries` keys at once, at most half the slots full.
inline SignatureCounts emptySignatureCounts(size_t entries) {
    size_t slots = std::bit_ceil(2 * entries + 2);
    return SignatureCounts{std::vector<uint64_t>(slots, 0), std::vector<uint32_t>(slots, 0), slots - 1};
}

inline size_t homeSlot(const SignatureCounts& counts, uint64_t key) {
    return static_cast<size_t>((key * 0x9e3779b97f4a7c15ULL) >> 32) & counts.mask;
}

// The slot that holds `key`, or the free slot where it would go.
inline size_t findSlot(const SignatureCounts& counts, uint64_t key) {
    size_t slot = homeSlot(counts, key);
    while (counts.count[slot] != 0 && counts.key[slot] != key) {
        slot = (slot + 1) & counts.mask;
    }
    return slot;
}

inline bool containsSignature(const SignatureCounts& counts, uint64_t key) {
    return counts.count[findSlot(counts, key)] != 0;
}

inline void addSignature(SignatureCounts& counts, uint64_t key) {
    size_t slot = findSlot(counts, key);
    counts.key[slot] = key;
    ++counts.count[slot];
}

// Takes one count off `key`, which the set holds; a key whose count falls
// to 0 leaves, and the keys after it move back so that every key stays
// reachable from its home slot.
inline void removeSignature(SignatureCounts& counts, uint64_t key) {
    size_t hole = findSlot(counts, key);
    if (--counts.count[hole] != 0) {
        return;
    }
    for (size_t next = (hole + 1) & counts.mask; counts.count[next] != 0; next = (next + 1) & counts.mask) {
        size_t home = homeSlot(counts, counts.key[next]);
        // The key at `next` may fill the hole when its home is not in (hole, next].
        if (((next - home) & counts.mask) >= ((next - hole) & counts.mask)) {
            counts.key[hole] = counts.key[next];
            counts.count[hole] = counts.count[next];
            counts.count[next] = 0;
            hole = next;
        }
    }
}
