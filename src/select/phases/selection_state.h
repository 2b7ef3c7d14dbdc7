// The selection's bookkeeping, which every phase and search works on.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/choice_phase.h"
#include "select/faults/detection_counts.h"
#include "select/selection_options.h"

// State of one vector.
enum CandidateState : int32_t {
    Selected = 0,
    Candidate = 1,
    Discarded = -1,
};

struct SelectionState {
    // One state per vector that the selection looks at (selectionVectorCount).
    std::vector<int32_t> state;
    // Per vector: the step that chose it last; meaningful while it is Selected.
    std::vector<ChoicePhase> chosenBy;
    // Bit n of covered0 / covered1: fault 0 / fault 1 of node n is detected by
    // a chosen vector. One bit per node of the widest fault-table row.
    std::vector<uint64_t> covered0;
    std::vector<uint64_t> covered1;
    // How many chosen vectors detect fault 0 / fault 1 of each node. The
    // default run builds them once its greedy phase is done (all 0 before);
    // a run with demands keeps them as it goes.
    DetectionCounts count0;
    DetectionCounts count1;
    uint32_t coveredCount = 0;     // faults whose covered flag is set
    uint32_t detectableTotal = 0;  // faults the summary marks detectable
    uint32_t coverLimit = 0;       // with "-fault_cover": the covered count to pass
    uint32_t chosenCount = 0;      // vectors in state Selected
    uint32_t discardedCount = 0;   // vectors in state Discarded
    uint32_t cycleCount = 0;       // greedy steps taken
    std::vector<uint32_t> greedyPicks;  // the vectors the greedy phase chose, in the order chosen
};

// Every vector a candidate, every flag and count 0, the detectable total
// counted and, with "-fault_cover", the limit computed from it.
SelectionState createSelectionState(const PatternSet& patterns, const SelectionOptions& options = SelectionOptions{});

// floor(percent * total / 100), computed as a floating-point product.
uint32_t computeCoverLimit(uint32_t percent, uint32_t total);

inline void chooseVector(SelectionState& state, uint32_t vector, ChoicePhase phase) {
    state.state[vector] = Selected;
    state.chosenBy[vector] = phase;
    ++state.chosenCount;
}

inline void unchooseVector(SelectionState& state, uint32_t vector) {
    state.state[vector] = Candidate;
    --state.chosenCount;
}

// Makes the vectors flagged in `keep` (one flag per vector) the chosen set:
// one that joins it is chosen by `phase`, one that leaves it becomes a
// candidate. The flags and counts are left as they were (recountCoverage).
void replaceChosenSet(SelectionState& state, const std::vector<uint8_t>& keep, ChoicePhase phase);

// The selected vectors in file order.
std::vector<uint32_t> chosenVectors(const SelectionState& state);
