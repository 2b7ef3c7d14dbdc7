// How many chosen vectors each fault needs: with "-n_detect N", a fault that
// d input vectors detect needs min(N, d); by default every detected fault
// needs one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/detection_counts.h"

// The demands of the two fault planes, `words` words of nodes each.
struct FaultDemands {
    uint32_t detections = 1;  // N
    size_t words = 0;
    DetectionCounts demand[2];
    // Faults that no more than N input vectors detect (at least one): every
    // vector that detects one of them must be chosen.
    std::vector<uint64_t> needsAll[2];
    // Faults that some input vector detects: those with a demand.
    std::vector<uint64_t> demanded[2];
    uint64_t total = 0;  // the sum of the demands
};

// Demands min(detections, d) for every fault, d counted over the table.
FaultDemands countDemands(const PatternSet& patterns, uint32_t detections);

// The demand of fault `plane` of `node`.
inline uint32_t demandAt(const FaultDemands& demands, uint32_t plane, size_t node) {
    return countAt(demands.demand[plane], node);
}
