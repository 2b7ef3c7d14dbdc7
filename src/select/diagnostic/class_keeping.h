// "-diagnostic" on the selection's set: a set that covers what it covers
// and tells apart every two of those faults that the input vectors tell
// apart, made by a top-up and a drop, or with "-minimize" by the covering
// search on the pair-covering model.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/diagnostic/class_restoring.h"
#include "select/faults/fault_demands.h"
#include "select/phases/selection_state.h"

// Each fault keeps min(demand, the selected vectors that detect it)
// detections (`demands` null: a demand of 1), and the classes of the
// faults with a kept detection are restored (class_restoring.h) within
// `sizeLimit` vectors (NoSizeLimit, or a limit the selected set fits). A
// vector the top-up adds is chosen by ChoicePhase::Diagnostic. Updates the
// states, chosenCount, the flags, the counts and coveredCount; cycleCount
// and greedyPicks stay.
void keepEveryClass(SelectionState& selection, const PatternSet& patterns, const FaultDemands* demands,
                    uint32_t sizeLimit);

// The same, then the covering search (class_cover_search.h) within
// `workLimit` steps, its vectors chosen by ChoicePhase::Minimize. Returns
// a lower bound on the size of any set that keeps those detections and the
// classes the restored set keeps, at most chosenCount.
uint32_t keepEveryClassMinimized(SelectionState& selection, const PatternSet& patterns, const FaultDemands* demands,
                                 uint32_t sizeLimit, uint64_t workLimit);

// The run's work limit for the search: a fixed amount and an amount per
// table word, as "-minimize" has.
uint64_t classSearchWork(const PatternSet& patterns);
