// The fault summary decoded: the faults it marks detectable, as bit planes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

struct DetectableFaults {
    // Bit n of plane f: fault f of node n is marked detectable ('&', or the
    // symbol f). One word per 64 symbols of the summary.
    std::vector<uint64_t> plane[2];
    uint32_t count = 0;  // 2 per '&', 1 per '0' or '1'
};

DetectableFaults decodeSummary(const FaultSummary& summary);

// Whether the summary marks the fault (a number of faults/fault_rows.h) detectable.
bool isDetectable(const DetectableFaults& detectable, uint64_t fault);

// The plane's word, 0 beyond the summary.
inline uint64_t detectableWord(const DetectableFaults& detectable, uint32_t plane, size_t word) {
    return word < detectable.plane[plane].size() ? detectable.plane[plane][word] : 0;
}

// Faults the summary marks detectable: 2 per '&', 1 per '0' or '1'.
uint32_t countDetectable(const FaultSummary& summary);
