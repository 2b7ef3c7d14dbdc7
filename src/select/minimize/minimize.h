// "-minimize": improves the default selection to a near-minimal set that
// still covers every fault the default set covers (or, with demands, keeps
// every fault detected as often as the default set does, up to its demand),
// and bounds the size of any such set from below.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/phases/selection_state.h"

// The steps the search may take: a fixed number, and numbers per detection
// and per element of the covering instance once it is reduced.
struct MinimizeWork {
    uint64_t fixed = 0;
    uint64_t perDetection = 0;
    uint64_t perElement = 0;
};

// Small tables get a fixed amount of search; larger ones a fixed amount per
// table word on top, which keeps the search in proportion with the default
// selection, whose work grows with the table too; and a covering instance
// gets an amount per detection, what a few hundred steps of the subgradient
// take, as a dense one needs them whatever the size of its table, and an
// amount per element, a few runs of the weighted local search: where every
// column holds hundreds of elements and the bound says little, each run
// takes steps in proportion to the elements before it settles.
MinimizeWork minimizeWork(const PatternSet& patterns);

// Replaces the selected vectors by a set that is never larger (the default
// set stays when the search finds nothing smaller) in which every fault is
// detected by at least min(demand, its detecting vectors in the selected
// set) vectors (`demands` null: a demand of 1 for every fault, so every
// fault the selected set covers stays covered). Updates the states (a
// vector that joins the set is chosen by ChoicePhase::Minimize, one that
// leaves it becomes a candidate), chosenCount, the covered flags, the
// per-node counts and coveredCount; cycleCount and greedyPicks are left as
// they are. Returns a lower bound on the size of any set that meets those
// demands, at most chosenCount. Deterministic: the search is bounded by
// `work`, a count of steps.
uint32_t minimizeSelection(SelectionState& selection, const PatternSet& patterns, const FaultDemands* demands,
                           const MinimizeWork& work);
