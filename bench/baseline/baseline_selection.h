// The straightforward selection: full scans over a byte-per-entry fault
// table, exactly as the method is described. The reference for the fast one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "select/selection_options.h"

struct BaselineSelection {
    std::vector<int32_t> state;  // per vector: 1 candidate, 0 selected, -1 discarded
    std::vector<int32_t> covered0;
    std::vector<int32_t> covered1;
    std::vector<int32_t> count0;
    std::vector<int32_t> count1;
    uint32_t coveredCount = 0;
    uint32_t detectableTotal = 0;
    uint32_t coverLimit = 0;
    uint32_t chosenCount = 0;
    uint32_t discardedCount = 0;
    uint32_t cycleCount = 0;
    std::vector<uint32_t> greedyPicks;
};

// `faultTable` holds one row of `nodeCount` symbols per vector, `faultSummary`
// `nodeCount` symbols.
BaselineSelection runBaselineSelection(const SelectionOptions& options, uint32_t nodeCount,
                                       const std::vector<std::string>& faultTable,
                                       const std::string& faultSummary);
