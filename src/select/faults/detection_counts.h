// How many chosen vectors detect each fault of one plane, as bit slices: a
// count takes as many bits as the largest count needs, not 32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Bit j of the count of node n is bit n % 64 of slices[(n / 64) * width + j],
// so the slices of one word of nodes lie side by side.
struct DetectionCounts {
    size_t words = 0;
    uint32_t width = 0;  // bits per count; 0 while every count is 0
    std::vector<uint64_t> slices;

    bool operator==(const DetectionCounts&) const = default;
};

// The count at `node`; 0 beyond the words held.
uint32_t countAt(const DetectionCounts& counts, size_t node);

// Counts of `words` words of nodes, all 0, room for counts below 2^width.
void resetCounts(DetectionCounts& counts, size_t words, uint32_t width);

// Sets the counts of the 64 nodes of `word` from values[0..63], each below
// 2^width.
void storeWordCounts(DetectionCounts& counts, size_t word, const uint32_t* values);

// Raises the count at every bit of bits[0..n) (n at most the words held),
// widening the counts when one outgrows its bits.
void addToCounts(DetectionCounts& counts, const uint64_t* bits, size_t n);

// Lowers the count at every bit of bits[0..n); each of those counts must be
// at least 1.
void subtractFromCounts(DetectionCounts& counts, const uint64_t* bits, size_t n);

// Bit b: the count of node 64 * word + b is exactly 1.
uint64_t countsOfOne(const DetectionCounts& counts, size_t word);

// Bit b of the result: the count of node 64 * word + b compared with the
// other count (or with a constant); counts beyond the words held are 0.
uint64_t countsBelow(const DetectionCounts& a, const DetectionCounts& b, size_t word);
uint64_t countsAbove(const DetectionCounts& a, const DetectionCounts& b, size_t word);
uint64_t countsAtLeast(const DetectionCounts& a, uint32_t value, size_t word);

// Faults with a count of at least 1.
uint64_t countsAboveZero(const DetectionCounts& counts, size_t word);
