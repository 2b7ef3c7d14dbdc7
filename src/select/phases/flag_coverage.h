// The coverage of the default run, where every fault needs one detection: a
// covered flag per fault, set once a chosen vector detects it, and the
// counts of chosen vectors per fault, built once the greedy phase is done
// for the elimination. The long passes are cut as `parts` says.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/kernels/pass_parts.h"
#include "select/phases/essential_order.h"
#include "select/phases/gain_queue.h"
#include "select/phases/open_words.h"
#include "select/phases/selection_state.h"

struct FlagCoverage {
    const PatternSet& patterns;
    PassParts parts;
    OpenWords open;
    // With the counts built: bit n is set where fault 0 / fault 1 of node n
    // has exactly one chosen vector.
    std::vector<uint64_t> single0;
    std::vector<uint64_t> single1;
};

// Sets the flags of the vector's faults, counting the new ones in coveredCount.
void coverVector(SelectionState& state, const PatternSet& patterns, uint32_t vector);

// count0 / count1 from scratch: at each node, the selected vectors whose row
// detects the fault.
void countChosenVectors(SelectionState& state, const PatternSet& patterns, const PassParts& parts);

// The covered flags, coveredCount and the counts of the chosen vectors from
// scratch, on this thread: after a search replaced the chosen set.
void recountCoverage(SelectionState& state, const PatternSet& patterns);

// Symbols of the vector's row other than 'X' (a lower-case 'x' counts).
uint32_t detectionWidth(const PatternSet& patterns, uint32_t vector);

// What the phases ask of a coverage (select/phases/selection_phases.h).
template <class Take>
void forEachEssentialVector(FlagCoverage& coverage, const SelectionState& state, Take&& take) {
    EssentialEntries entries =
        findEssentialEntries(coverage.patterns, static_cast<uint32_t>(state.state.size()), coverage.parts);
    coverage.open.reach0 = std::move(entries.reach0);
    coverage.open.reach1 = std::move(entries.reach1);
    forEachEntryVector(entries, take);
}
void addDetections(FlagCoverage& coverage, SelectionState& state, uint32_t vector);
inline uint32_t coverageCount(const FlagCoverage&, const SelectionState& state) { return state.coveredCount; }
std::vector<CandidateGain> candidateGains(FlagCoverage& coverage, const SelectionState& state);
void startGreedy(FlagCoverage& coverage, const SelectionState& state);
inline uint32_t greedyGain(const FlagCoverage& coverage, const SelectionState& state, uint32_t vector) {
    return currentGain(coverage.open, state, coverage.patterns, vector);
}
inline size_t greedyGainWords(const FlagCoverage& coverage) { return gainWords(coverage.open); }
void startElimination(FlagCoverage& coverage, SelectionState& state);
bool dropKeepsCoverage(const FlagCoverage& coverage, const SelectionState& state, uint32_t vector);
void dropDetections(FlagCoverage& coverage, SelectionState& state, uint32_t vector);
