// An upper bound on the demand that any `budget` columns of a covering
// instance meet: the total demand less the lower bound of the shortfall
// relaxation with the columns capped at `budget` (select/covering/
// shortfall_relaxation.h), the LP relaxation's integer where the work
// allows.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

struct BudgetBound {
    uint64_t value = 0;
    std::vector<double> multipliers;  // per element: the relaxation's, of the bound
    bool settled = false;             // it meets `met`, or the LP optimum's integer
};

// `met` is the demand a set within the budget is known to meet: the bound
// stops when it comes down to it, and is never below it. The steps start
// from the multipliers of an earlier bound, or (`start` empty) from every
// element's weight: every column worth the faults it detects.
BudgetBound budgetUpperBound(const CoverInstance& instance, uint32_t budget, uint64_t met,
                             std::vector<double> start, WorkBudget& work);

// The total demand of the instance's elements.
uint64_t totalDemand(const CoverInstance& instance);
