// The search for a small cover of a residual instance and for a lower bound
// on the size of any cover of it.
#pragma once

#include <cstdint>
#include <vector>

#include "select/minimize/cover_instance.h"
#include "select/minimize/search_budget.h"

struct CoverSearchResult {
    std::vector<uint32_t> columns;  // the smallest cover found, ascending
    uint32_t lowerBound = 0;        // no cover has fewer columns
};

// Subgradient optimisation of the Lagrangian bound, with a greedy cover from
// the reduced costs every few steps, then iterated local search on the best
// cover. `knownCoverSize` is the size of a cover known to exist (the target
// of the subgradient steps), or UINT32_MAX.
CoverSearchResult searchCover(const CoverInstance& instance, uint32_t knownCoverSize,
                              WorkBudget& budget);
