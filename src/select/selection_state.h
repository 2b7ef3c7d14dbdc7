// The selection's bookkeeping and the operations its phases share.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/detection_counts.h"
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
    // Bit n of covered0 / covered1: fault 0 / fault 1 of node n is detected by
    // a chosen vector. One bit per node of the widest fault-table row.
    std::vector<uint64_t> covered0;
    std::vector<uint64_t> covered1;
    // How many chosen vectors detect fault 0 / fault 1 of each node; built
    // once the greedy phase is done, all 0 before.
    DetectionCounts count0;
    DetectionCounts count1;
    uint32_t coveredCount = 0;     // faults whose covered flag is set
    uint32_t detectableTotal = 0;  // faults the summary marks detectable
    uint32_t coverLimit = 0;       // with "-fault_cover": the covered count to pass
    uint32_t chosenCount = 0;      // vectors in state Selected
    uint32_t discardedCount = 0;   // vectors in state Discarded
    uint32_t cycleCount = 0;       // greedy steps taken
    std::vector<uint32_t> greedyPicks;  // the vectors the greedy phase chose, in the order chosen
    // With "-max_vectors": the selection without the budget chose more, so
    // this one is the budget's own.
    bool budgetBinds = false;
};

// The whole selection: totals, seeding, greedy completion, elimination.
SelectionState runSelection(const SelectionOptions& options, const PatternSet& patterns);

// Words of all the stored rows, both planes.
size_t tableWords(const PatternSet& patterns);

// The selected vectors in file order.
std::vector<uint32_t> chosenVectors(const SelectionState& state);

// Faults the summary marks detectable: 2 per '&', 1 per '0' or '1'.
uint32_t countDetectable(const FaultSummary& summary);

// floor(percent * total / 100), computed as a floating-point product.
uint32_t computeCoverLimit(uint32_t percent, uint32_t total);

// The vectors the selection looks at: those with a stored fault-table row.
// Every later vector's row is all 'X': it can never add a fault, so it only
// matters as the widest-vector fallback, vector 0, when no row was stored.
inline uint32_t selectionVectorCount(const PatternSet& patterns) {
    auto rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    if (rows == 0 && patterns.vectorCount > 0) {
        return 1;
    }
    return rows;
}
