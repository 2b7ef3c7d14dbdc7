// The core of a covering instance: the columns that the Lagrangian reduced
// costs rank among the cheapest few of one of their elements. Good covers
// are found among them, and a local search step on the core costs a fraction
// of one on the whole instance, where elements have hundreds of columns.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

struct CoverCore {
    CoverInstance instance;        // the core columns, the same elements
    std::vector<uint32_t> column;  // per core column: its column in the whole instance
};

// Every column among the `depth` + demand - 1 of least reduced cost of one of
// its elements (ties to the lower column), and every column of `cover`.
CoverCore buildCore(const CoverInstance& instance, const std::vector<double>& reducedCost,
                    uint32_t depth, const std::vector<uint32_t>& cover, WorkBudget& budget);
