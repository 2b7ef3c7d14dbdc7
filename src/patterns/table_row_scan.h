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
// `first` and hold (first + count) / 64 + 2 words. Uses the widest vector
// instructions the processor has.
size_t scanTableSymbols(const char* text, size_t count, RowPlanes planes, uint64_t first);

// The ways of classifying, narrowest first; each gives the same planes.
enum class ScanKernel { Plain, Sse2, Avx2, Avx512 };

// Whether this build and this processor can run `kernel`.
bool scanKernelSupported(ScanKernel kernel);

// As scanTableSymbols, with the given (supported) kernel.
size_t scanTableSymbolsWith(ScanKernel kernel, const char* text, size_t count, RowPlanes planes, uint64_t first);
