// The phases of the selection and the coverage operations they share, over
// the bit-packed fault table.
#pragma once

#include <cstdint>

#include "driver/options.h"
#include "patterns/pattern_set.h"
#include "select/selection_state.h"

// Row `vector` of the table; a vector without a stored row is all 'X'.
inline FaultTableRow selectionRow(const PatternSet& patterns, uint32_t vector) {
    const FaultTable& table = patterns.faultTable;
    return vector < table.rows.size() ? table.rows[vector] : FaultTableRow{};
}

// The one form of the coverage-limit test: with "-fault_cover", the phase
// that tests it ends once the covered count is strictly above the limit.
inline bool coverLimitPassed(const SelectionState& state, const RunOptions& options) {
    return options.faultCoverActive && state.coveredCount > state.coverLimit;
}

// Every vector a candidate, every flag and count 0, all counters 0.
SelectionState createSelectionState(const PatternSet& patterns);

// Chooses the vector's detections: sets its uncovered flags (counting them in
// coveredCount) and raises count0 / count1 at every node it detects.
void applyVector(SelectionState& state, const PatternSet& patterns, uint32_t vector);

// Faults the vector would add: its detections whose flag is still clear.
uint32_t gainOf(const SelectionState& state, const PatternSet& patterns, uint32_t vector);
uint32_t rowGain(const SelectionState& state, const FaultTableRow& row);
bool rowAddsFault(const SelectionState& state, const FaultTableRow& row);

// Symbols of the vector's row other than 'X' (a lower-case 'x' counts).
uint32_t detectionWidth(const PatternSet& patterns, uint32_t vector);

// Essential vectors and pruning, or with "-no_unique_vectors" the widest
// vector; sets chosenCount and discardedCount.
void seedSelection(SelectionState& state, const RunOptions& options, const PatternSet& patterns);

// Adds the candidate of largest gain (lowest index on ties) until everything
// detectable is covered, the limit is passed or nothing adds a fault.
void completeGreedily(SelectionState& state, const RunOptions& options, const PatternSet& patterns);

// Drops, earliest first, every greedy pick whose faults other chosen vectors
// all detect too.
void eliminateRedundant(SelectionState& state, const PatternSet& patterns);
