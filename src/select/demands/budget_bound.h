// An upper bound on the demand that any `budget` columns of a covering
// instance meet: the total demand less the lower bound of the shortfall
// relaxation with the columns capped at `budget` (select/covering/
// shortfall_relaxation.h), the LP relaxation's integer where the work
// allows.
#pragma once

#include <cstdint>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

// `met` is the demand a set within the budget is known to meet: the bound
// stops when it comes down to it, and is never below it. The steps start
// from every element's weight: every column worth the faults it detects.
uint64_t budgetUpperBound(const CoverInstance& instance, uint32_t budget, uint64_t met, WorkBudget& work);

// The total demand of the instance's elements.
uint64_t totalDemand(const CoverInstance& instance);
