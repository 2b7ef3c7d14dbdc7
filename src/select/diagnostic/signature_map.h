// A map from 64-bit signature hashes to positive counts or numbers: open
// addressing with linear probing, sized once for the most keys it will
// hold at a time. Most lookups find nothing, so a bit filter of the keys
// ever added, small enough to stay in cache, answers most of them first.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

struct SignatureMap {
    std::vector<uint64_t> key;
    std::vector<uint32_t> value;  // 0: the slot is free
    size_t mask = 0;
    std::vector<uint64_t> filter;  // bit (key >> filterShift): some key with those bits was added
    uint32_t filterShift = 0;
};

// Room for `entries` keys at once, at most half the slots full; a filter of
// about 32 bits a key, which lets some 3 % of the absent keys through.
inline SignatureMap emptySignatureMap(size_t entries) {
    size_t slots = std::bit_ceil(2 * entries + 2);
    size_t filterBits = std::bit_ceil(32 * entries + 64);
    return SignatureMap{std::vector<uint64_t>(slots, 0), std::vector<uint32_t>(slots, 0), slots - 1,
                        std::vector<uint64_t>(filterBits / 64, 0),
                        static_cast<uint32_t>(64 - std::countr_zero(filterBits))};
}

inline bool mayHold(const SignatureMap& map, uint64_t key) {
    uint64_t bit = key >> map.filterShift;
    return (map.filter[bit / 64] >> (bit % 64)) & 1;
}

inline size_t homeSlot(const SignatureMap& map, uint64_t key) {
    return static_cast<size_t>((key * 0x9e3779b97f4a7c15ULL) >> 32) & map.mask;
}

// The slot that holds `key`, or the free slot where it would go.
inline size_t findSlot(const SignatureMap& map, uint64_t key) {
    size_t slot = homeSlot(map, key);
    while (map.value[slot] != 0 && map.key[slot] != key) {
        slot = (slot + 1) & map.mask;
    }
    return slot;
}

// The value of `key`; 0 when the map does not hold it.
inline uint32_t signatureValue(const SignatureMap& map, uint64_t key) {
    return mayHold(map, key) ? map.value[findSlot(map, key)] : 0;
}

// Adds `amount` to the value of `key` (from 0 when absent).
inline void addToSignature(SignatureMap& map, uint64_t key, uint32_t amount) {
    size_t slot = findSlot(map, key);
    map.key[slot] = key;
    map.value[slot] += amount;
    uint64_t bit = key >> map.filterShift;
    map.filter[bit / 64] |= uint64_t{1} << (bit % 64);
}

// Takes one off the value of `key`, which the map holds; a key whose value
// falls to 0 leaves, and the keys after it move back so that every key
// stays reachable from its home slot.
inline void removeFromSignature(SignatureMap& map, uint64_t key) {
    size_t hole = findSlot(map, key);
    if (--map.value[hole] != 0) {
        return;
    }
    for (size_t next = (hole + 1) & map.mask; map.value[next] != 0; next = (next + 1) & map.mask) {
        size_t home = homeSlot(map, map.key[next]);
        // The key at `next` may fill the hole when its home is not in (hole, next].
        if (((next - home) & map.mask) >= ((next - hole) & map.mask)) {
            map.key[hole] = map.key[next];
            map.value[hole] = map.value[next];
            map.value[next] = 0;
            hole = next;
        }
    }
}
