// What the run report says of each fault and each chosen vector, counted
// from the fault table: detections by the input and by the chosen set, the
// order that reaches coverage soonest, and the coverage curves.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

constexpr uint32_t NoVector = UINT32_MAX;

// Fault f of node n is fault 2n + f, for the `nodeCount` nodes the report
// lists (reportedNodeCount).
struct FaultTallies {
    uint32_t nodeCount = 0;
    std::vector<uint32_t> inputDetections;   // input vectors that detect the fault
    std::vector<uint32_t> chosenDetections;  // chosen vectors that detect it
    std::vector<uint32_t> firstChosen;       // the lowest chosen vector that detects it, or NoVector
    std::vector<uint8_t> detectable;         // 1 where the summary marks the fault detectable
    uint32_t detectableCount = 0;
};

// The nodes the report lists: every node up to the last one that has a
// node line in the model, a fault some row of the fault table detects or a
// fault the summary marks detectable. A node the model declares beyond all
// of them has no name, no detection and no mark; the files hold nothing of
// it, and the report leaves it out, so that its size follows the files and
// not the declared count.
uint32_t reportedNodeCount(const PatternSet& patterns, const SsbddModel& model);

// Every fault of the reported nodes, for the chosen vectors `chosen`.
FaultTallies tallyFaults(const PatternSet& patterns, const SsbddModel& model, const std::vector<uint32_t>& chosen);

// One point of a coverage curve: after `vectors` vectors, `covered`
// detectable faults are detected.
struct CoveragePoint {
    uint64_t vectors = 0;
    uint32_t covered = 0;
};

// The chosen vectors in the order a tester should apply them: each next the
// one that adds the most detectable faults (lowest index on ties), with the
// detectable faults covered once it is applied.
struct ApplyOrder {
    std::vector<uint32_t> vectors;
    std::vector<uint32_t> coveredAfter;
};
ApplyOrder greedyApplyOrder(const PatternSet& patterns, const std::vector<uint32_t>& chosen);

// Detectable faults covered after each number of vectors of the input in
// file order, at most about `points` points: every step up to a few
// thousand vectors, then steps growing with the count, the last vector
// always included.
std::vector<CoveragePoint> inputCoverageCurve(const PatternSet& patterns, const FaultTallies& tallies,
                                              size_t points);
