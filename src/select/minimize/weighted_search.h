// Local search with element weights: one column fewer than the best cover,
// a chosen column swapped each step for one that helps an unmet element, and
// the weights of the elements left unmet raised, so that the search moves
// away from where it keeps failing. A step costs what the columns swapped
// touch: scores, cover counts and the list of unmet elements are kept up to
// date as columns come and go. A run that stops finding smaller covers
// starts over, from the same cover with fresh weights.
#pragma once

#include <cstdint>
#include <vector>

#include "select/minimize/cover_instance.h"
#include "select/minimize/search_budget.h"

// Searches from `cover` (columns that meet every demand) for a smaller one
// until one of `goal` columns is found or the budget is spent. Returns the
// smallest cover seen, ascending; `cover` itself when none is smaller.
std::vector<uint32_t> searchWithWeights(const CoverInstance& instance, const std::vector<uint32_t>& cover,
                                        uint32_t goal, SearchRandom& random, WorkBudget& budget);
