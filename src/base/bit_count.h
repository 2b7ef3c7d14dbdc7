// Bit counts written out in plain arithmetic: the build targets no
// population-count instruction, and the library call that std::popcount
// becomes without one costs several times more.
#pragma once

#include <cstdint>

namespace bitcount {

constexpr uint64_t Pairs = 0x5555555555555555ull;
constexpr uint64_t Nibbles = 0x3333333333333333ull;
constexpr uint64_t Bytes = 0x0f0f0f0f0f0f0f0full;
constexpr uint64_t ByteLanes = 0x00ff00ff00ff00ffull;

// Each byte of the result: the number of set bits in that byte of x (0 to 8).
constexpr uint64_t byteCounts(uint64_t x) {
    x = x - ((x >> 1) & Pairs);
    x = (x & Nibbles) + ((x >> 2) & Nibbles);
    return (x + (x >> 4)) & Bytes;
}

// The sum of the eight bytes of x.
constexpr uint32_t sumBytes(uint64_t x) {
    x = (x & ByteLanes) + ((x >> 8) & ByteLanes);
    return static_cast<uint32_t>((x * 0x0001000100010001ull) >> 48);
}

}  // namespace bitcount

// The number of bits set in `word`.
constexpr uint32_t countBits(uint64_t word) {
    return static_cast<uint32_t>((bitcount::byteCounts(word) * 0x0101010101010101ull) >> 56);
}
