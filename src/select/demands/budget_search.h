// The selection within a vector budget ("-max_vectors K"): a greedy set of
// at most K vectors improved by swaps.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/phases/selection_state.h"
#include "select/selection_options.h"

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
