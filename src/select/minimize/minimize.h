// "-minimize": improves the default selection to a near-minimal set that
// still covers every fault the default set covers (or, with demands, keeps
// every fault detected as often as the default set does, up to its demand),
// and bounds the size of any such set from below.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/minimize/cover_demands.h"
#include "select/selection_state.h"

// Replaces the selected vectors by a set that is never larger (the default
// set stays when the search finds nothing smaller) in which every fault is
// detected by at least min(demand, its detecting vectors in the selected
// set) vectors: with demands of 1, every fault the selected set covers stays
// covered. Updates the states (a vector leaving the set becomes a
// candidate), chosenCount, the covered flags, the per-node counts and
// coveredCount; cycleCount and greedyPicks are left as they are. Returns a
// lower bound on the size of any set that meets those demands, at most
// chosenCount. Deterministic: the search is bounded by a count of steps
// that grows with the size of the table and of the covering instance.
uint32_t minimizeSelection(SelectionState& selection, const PatternSet& patterns,
                           const CoverDemands& demands = CoverDemands{});

// The same with a work limit of one's own, whatever the sizes (0 leaves
// only the first cover).
uint32_t minimizeSelectionWithin(SelectionState& selection, const PatternSet& patterns,
                                 uint64_t workLimit, const CoverDemands& demands = CoverDemands{});
