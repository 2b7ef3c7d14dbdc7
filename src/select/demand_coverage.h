// Coverage with a demand per fault ("-n_detect", "-max_vectors"): each fault
// that d input vectors detect must be detected min(N, d) times. The chosen
// vectors' detections are counted per fault, and a fault stays open while
// its count is below its demand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/detection_counts.h"
#include "select/selection_state.h"

// The demands of the two fault planes (fault 0 and fault 1 of each node),
// `words` words of nodes each.
struct FaultDemands {
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

// The chosen set's standing against the demands, beside the selection's
// state (whose count0 / count1 hold the detections, covered0 / covered1 and
// coveredCount the faults detected at least once).
struct DemandCoverage {
    // A fault's bit is set once its demand is met (or it has none).
    std::vector<uint64_t> closed[2];
    uint32_t metCount = 0;     // faults with a demand, met
    uint64_t demandMet = 0;    // the sum over the faults of min(count, demand)
};

// Counts, flags and planes for no vector chosen.
DemandCoverage startDemandCoverage(SelectionState& state, const FaultDemands& demands);

// The open faults the vector detects.
uint32_t demandGain(const DemandCoverage& coverage, const PatternSet& patterns, uint32_t vector);

// Counts the vector's detections as chosen, closing the faults it completes.
void addDemandVector(SelectionState& state, DemandCoverage& coverage, const FaultDemands& demands,
                     const PatternSet& patterns, uint32_t vector);

// Takes the vector's detections back, reopening the faults that fall below
// their demand.
void removeDemandVector(SelectionState& state, DemandCoverage& coverage, const FaultDemands& demands,
                        const PatternSet& patterns, uint32_t vector);

// Whether every fault the chosen vector detects is detected more often than
// its demand, so that dropping it keeps every demand as met as it is.
bool demandsSurvive(const SelectionState& state, const FaultDemands& demands, const PatternSet& patterns,
                    uint32_t vector);

// Bit b of the result: the count of node 64 * word + b compared with the
// other count (or with a constant); missing slices are 0.
uint64_t countsBelow(const DetectionCounts& a, const DetectionCounts& b, size_t word);
uint64_t countsAbove(const DetectionCounts& a, const DetectionCounts& b, size_t word);
uint64_t countsAtLeast(const DetectionCounts& a, uint32_t value, size_t word);

// The faults the summary marks detectable that the chosen set detects at
// least `times` times.
uint32_t detectableDetectedAtLeast(const SelectionState& state, const PatternSet& patterns, uint32_t times);
