// Classifying fault-table symbols straight into bit planes, 64 bytes a step.
#pragma once

#include <cstddef>
#include <cstdint>

// The planes of one row being read: bit n is set when node n holds '0'
// (fault0), '1' (fault1) or a lower-case 'x' (lowerX). An 'X' sets no bit.
struct RowPlanes {
    uint64_t* fault0 = nullptr;
    uint64_t* fault1 = nullptr;
    uint64_t* lowerX = nullptr;
};

// Takes the bytes text[0], text[1], ... up to `count` of them while they are
// '0', '1', 'X' or 'x', and ORs the bit of each into the planes, the first
// at node `first`. Returns how many bytes it took; fewer than `count` means
// text[result] is the byte that ends the run. The planes must be zero beyond
// `first` and hold (first + count) / 64 + 2 words. Runs 16 bytes a step
// with SSE2 (the x86-64 baseline), 32 or 64 at the AVX2 and AVX-512 tiers
// (base/cpu_features.h), one at a time where the build has no vectors; the
// planes are the same every way.
size_t scanTableSymbols(const char* text, size_t count, RowPlanes planes, uint64_t first);
