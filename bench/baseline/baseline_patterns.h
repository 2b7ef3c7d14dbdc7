// The plain patterns reader and writer of the baseline: one library call per
// character, one byte per fault-table entry, tables of the declared sizes.
// Kept for side-by-side timing and as an independent reference in the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ssbdd_model.h"

struct BaselinePatternSet {
    uint32_t vectorCount = 0;
    bool vectorsHeaderSeen = false;
    bool hasFaultTable = false;
    std::vector<std::vector<uint8_t>> vectors;  // variableCount bytes each; 120 where unset
    std::vector<std::string> faultTable;        // nodeCount symbols per row; 'X' where unset
    std::string faultSummary;                   // nodeCount symbols; 'X' where unset
};

// Same messages, lines and results as readPatternSet.
BaselinePatternSet readBaselinePatternSet(const std::string& path, const SsbddModel& model);

// Same file as writeCompactedPatterns, for the vectors whose state is 0.
void writeBaselineCompactedPatterns(const std::string& path, const std::vector<int32_t>& state,
                                    uint32_t chosenCount, const BaselinePatternSet& patterns,
                                    const SsbddModel& model);
