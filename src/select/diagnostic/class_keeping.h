// "-diagnostic": a set of vectors that covers what a given selection covers
// and tells apart every two faults that the whole table tells apart.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

struct ClassKeeping {
    std::vector<uint32_t> vectors;     // the chosen vectors, ascending
    std::vector<uint32_t> topUpPicks;  // those the top-up added, in the order it added them
    uint32_t inputClasses = 0;         // classes of the detected faults under every vector
    uint32_t keptClasses = 0;          // under the chosen vectors (undetected faults: one class)
};

// The default selection's vectors (`chosen`, any order), topped up greedily
// (class_top_up.h) until every class is back, then every vector dropped
// that neither the classes nor the coverage need: each fault keeps
// min(detections, the chosen vectors that detect it) detections. The
// vectors are tried for dropping in the order of `chosen`, then the top-up's
// picks in the order picked.
ClassKeeping keepEveryClass(const FaultTable& table, const std::vector<uint32_t>& chosen, uint32_t detections = 1);
