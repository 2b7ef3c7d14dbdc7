// Depth-first branch and bound on the Lagrangian bound: decides whether the
// residual instance has a cover of at most a given size. It raises the lower
// bound by one each time it proves that no such cover exists.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

enum class BranchVerdict {
    NoCover,    // no cover of at most `target` columns exists
    CoverFound, // `cover` holds one
    OutOfWork,  // the budget ran out first
};

struct BranchOutcome {
    BranchVerdict verdict = BranchVerdict::OutOfWork;
    std::vector<uint32_t> cover;  // ascending columns, with CoverFound
};

// Explores covers of at most `target` columns. Every node takes the
// multipliers of its parent (`multipliers` at the root), runs a few
// subgradient steps, prunes when the bound exceeds the target, fixes columns
// by their reduced costs, and branches on the open element with the fewest
// free columns: the k-th child takes its k-th column and leaves out the
// ones before it.
BranchOutcome coverWithin(const CoverInstance& instance, uint32_t target,
                          const std::vector<double>& multipliers, WorkBudget& budget);
