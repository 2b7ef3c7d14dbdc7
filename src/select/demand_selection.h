// The selection with demands ("-n_detect N" above 1) and with a vector
// budget ("-max_vectors K"): the default's phases generalised to faults
// that must be detected several times, and a greedy cover of at most K
// vectors improved by swaps.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/demand_coverage.h"
#include "select/selection_options.h"
#include "select/selection_state.h"

// The vectors every fault with at most N detecting vectors needs, then the
// vector that meets the most open demand until every demand is met (or the
// limit is passed, or nothing adds), then every greedy pick whose removal
// keeps each demand as met as it is dropped, earliest first.
SelectionState runDemandSelection(const SelectionOptions& options, const PatternSet& patterns);

// At most options.vectorBudget vectors that meet as much demand as the
// search finds: greedy by the most open demand met (lowest index on ties),
// then swaps of a chosen vector for an unchosen one while that meets more.
// The swaps stop when none helps or after `swapWork` table words read. With
// `restarts`, the search runs again from each of that many vectors that
// meet the most demand alone, first, and keeps the best it finds.
SelectionState runBudgetSelection(const SelectionOptions& options, const PatternSet& patterns, uint64_t swapWork,
                                  uint32_t restarts = 0);

// The swaps' work for a table of `words` words of rows: a fixed share of
// reading it, and more with "-minimize".
uint64_t budgetSwapWork(uint64_t tableWords, bool deeper);

// An upper bound on the demand any `budget` vectors can meet: the best of a
// Lagrangian relaxation's values over `iterations` subgradient steps.
uint64_t budgetUpperBound(const PatternSet& patterns, const FaultDemands& demands, uint32_t budget,
                          uint32_t iterations);
