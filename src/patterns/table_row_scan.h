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
// `first` and hold (first + count) / 64 + 2 words. Classifies 16 bytes an
// instruction with SSE2, which every x86-64 processor has (wider vectors
// gained nothing in whole reads: bench/README.md), and one byte at a time
// where the build has no SSE2.
size_t scanTableSymbols(const char* text, size_t count, RowPlanes planes, uint64_t first);
