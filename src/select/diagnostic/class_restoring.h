// A set that keeps every class, made from one that keeps the coverage: the
// greedy top-up, then the drop of every vector neither the classes nor the
// coverage need.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

struct RestoredClasses {
    std::vector<uint32_t> vectors;     // ascending
    std::vector<uint32_t> topUpPicks;  // those the top-up added and the drop left, in the order added
    uint32_t classes = 0;              // the classes of the kept faults under every vector
};

// The faults whose classes are kept are those keep[fault] asks a detection
// of (row_faults.h numbering): without "-fault_cover", every fault the
// table detects. Tops `start` up (class_top_up.h) until it tells apart every
// two of them that the table's vectors tell apart, then drops each vector
// whose removal keeps every class and leaves every fault detected at least
// keep[fault] times (`start` must meet that), trying the vectors of `start`
// in their order, then the top-up's picks in theirs.
RestoredClasses restoreEveryClass(const FaultTable& table, const std::vector<uint32_t>& start,
                                  const std::vector<uint32_t>& keep);

// Per fault: min(detections, the vectors of `vectors` that detect it).
std::vector<uint32_t> keptDetections(const FaultTable& table, const std::vector<uint32_t>& vectors,
                                     uint32_t detections);

// A plane (as FaultClasses::shared) of the faults that keep a detection.
std::vector<uint64_t> keptFaultPlane(const FaultTable& table, const std::vector<uint32_t>& keep);
