// The random key of a vector in signature hashes: a set of vectors hashes
// to the XOR of its keys, so adding or taking away one vector is one XOR.
#pragma once

#include <cstdint>

// splitmix64 of the vector number: the same keys on every machine.
inline uint64_t signatureKey(uint32_t vector) {
    uint64_t z = (uint64_t{vector} + 1) * 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}
