// Coverage with a demand per fault ("-n_detect", "-max_vectors"): each fault
// that d input vectors detect must be detected min(N, d) times. The chosen
// vectors' detections are counted per fault (the state's count0 / count1),
// and a fault stays open while its count is below its demand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/kernels/pass_parts.h"
#include "select/phases/gain_queue.h"
#include "select/phases/selection_state.h"

struct DemandCoverage {
    const PatternSet& patterns;
    const FaultDemands& demands;
    PassParts parts;
    // A fault's bit is set once its demand is met (or it has none).
    std::vector<uint64_t> closed[2];
    // Faults with a demand that the summary marks detectable: those the met
    // count, the limit and the detectable total are about.
    std::vector<uint64_t> counted[2];
    uint32_t metCount = 0;   // counted faults whose demand is met
    uint64_t demandMet = 0;  // the sum over the faults of min(count, demand)
};

// Counts, flags and planes for no vector chosen; the state's covered flags
// and coveredCount follow the counts from here on. The greedy phase's gains
// are read in the passes `parts` cuts.
DemandCoverage startDemandCoverage(SelectionState& state, const PatternSet& patterns, const FaultDemands& demands,
                                   const PassParts& parts = PassParts{});

// The open faults the vector detects.
uint32_t demandGain(const DemandCoverage& coverage, uint32_t vector);

// Counts the vector's detections as chosen, closing the faults it completes.
void addDemandVector(DemandCoverage& coverage, SelectionState& state, uint32_t vector);

// Takes the vector's detections back, reopening the faults that fall below
// their demand.
void removeDemandVector(DemandCoverage& coverage, SelectionState& state, uint32_t vector);

// Whether every fault the chosen vector detects is detected more often than
// its demand, so that dropping it keeps every demand as met as it is.
bool demandsSurvive(const DemandCoverage& coverage, const SelectionState& state, uint32_t vector);

// What the phases ask of a coverage (select/phases/selection_phases.h).
bool needsVector(const DemandCoverage& coverage, uint32_t vector);
template <class Take>
void forEachEssentialVector(DemandCoverage& coverage, const SelectionState&, Take&& take) {
    auto rows = static_cast<uint32_t>(coverage.patterns.faultTable.rows.size());
    for (uint32_t vector = 0; vector < rows; ++vector) {
        if (needsVector(coverage, vector) && !take(vector)) {
            return;
        }
    }
}
inline void addDetections(DemandCoverage& coverage, SelectionState& state, uint32_t vector) {
    addDemandVector(coverage, state, vector);
}
inline uint32_t coverageCount(const DemandCoverage& coverage, const SelectionState&) { return coverage.metCount; }
std::vector<CandidateGain> candidateGains(DemandCoverage& coverage, const SelectionState& state);
inline void startGreedy(DemandCoverage&, const SelectionState&) {}
inline uint32_t greedyGain(const DemandCoverage& coverage, const SelectionState&, uint32_t vector) {
    return demandGain(coverage, vector);
}
size_t greedyGainWords(const DemandCoverage& coverage);
inline void startElimination(DemandCoverage&, SelectionState&) {}
inline bool dropKeepsCoverage(const DemandCoverage& coverage, const SelectionState& state, uint32_t vector) {
    return demandsSurvive(coverage, state, vector);
}
inline void dropDetections(DemandCoverage& coverage, SelectionState& state, uint32_t vector) {
    removeDemandVector(coverage, state, vector);
}
