// The search for a small cover of a residual instance and for a lower bound
// on the size of any cover of it.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

struct CoverSearchResult {
    std::vector<uint32_t> columns;  // the smallest cover found, ascending
    uint32_t lowerBound = 0;        // no cover has fewer columns
};

// Subgradient optimisation of the Lagrangian bound until it converges, with a
// greedy cover from the reduced costs every few steps; then local search with
// element weights from the best cover, and the branch and bound on what is
// left of the work (all of it when the gap is small). `knownCoverSize` is the
// size of a cover known to exist (the target of the subgradient steps), or
// UINT32_MAX.
CoverSearchResult searchCover(const CoverInstance& instance, uint32_t knownCoverSize,
                              WorkBudget& budget);
