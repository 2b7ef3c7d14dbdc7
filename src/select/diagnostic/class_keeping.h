// "-diagnostic": a set of vectors that covers what a given selection covers
// and tells apart every two of those faults that the whole table tells
// apart (all the faults the table detects, when the selection covers them
// all).
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

struct ClassKeeping {
    std::vector<uint32_t> vectors;     // the chosen vectors, ascending
    std::vector<uint32_t> topUpPicks;  // those the top-up added, in the order it added them
    uint32_t inputClasses = 0;         // classes of the faults covered under every vector
    uint32_t keptClasses = 0;          // under the chosen vectors
    uint32_t lowerBound = 0;           // with the search: no such set is smaller
};

// The default selection's vectors (`chosen`, any order), topped up and
// thinned by restoreEveryClass: each fault keeps min(detections, the
// vectors of `chosen` that detect it) detections.
ClassKeeping keepEveryClass(const FaultTable& table, const std::vector<uint32_t>& chosen, uint32_t detections = 1);

// The same, then the covering search (class_cover_search.h) within
// `workLimit` steps; classSearchWork is the run's own limit, a fixed amount
// and an amount per table word, as "-minimize" has.
ClassKeeping keepEveryClassMinimized(const FaultTable& table, const std::vector<uint32_t>& chosen,
                                     uint32_t detections, uint64_t workLimit);
uint64_t classSearchWork(const FaultTable& table);
