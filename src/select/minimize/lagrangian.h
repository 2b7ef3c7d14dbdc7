// The Lagrangian view of a covering instance. With multipliers u >= 0, one
// per element, every column gets the reduced cost c_j = 1 - sum of u over
// its elements, and
//     L(u) = sum of demand * u + sum over columns of min(0, c_j)
// is at most the size of any cover (select/covering/shortfall_relaxation.h
// raises it to the LP bound). Here: the first multipliers, the reduced
// costs, and the bounds that cost a pass or two.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

// u_e = the smallest 1 / size over the columns of e: every reduced cost is
// then at least 0, and L(u) = sum of demand * u.
std::vector<double> startMultipliers(const CoverInstance& instance);

// The reduced cost of every column under the multipliers.
std::vector<double> reducedCosts(const CoverInstance& instance, const std::vector<double>& multiplier,
                                 WorkBudget& budget);

// The demands of elements no two of which share a column, taken by
// ascending degree: every cover needs that many columns for them.
uint32_t disjointElementCount(const CoverInstance& instance, WorkBudget& budget);

// The larger of the two bounds above that cost a pass or two: the disjoint
// elements' demands, and L of the first multipliers (every demand over the
// largest column that can meet it).
uint32_t quickLowerBound(const CoverInstance& instance, WorkBudget& budget);
