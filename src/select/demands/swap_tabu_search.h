// Tabu search for the most demand a fixed number of columns meets. Each step
// makes the best swap of a chosen column for an unchosen one, whether it
// meets more demand or less; a column that left may not come back, and one
// that came may not leave, for a few steps, unless the swap meets more than
// the best set found. A run that stops finding better sets gives way to
// another from the best set, a few random swaps away from it, with other
// such tenures; the search stops when a few runs in a row find nothing
// better.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

struct TabuOutcome {
    std::vector<uint32_t> columns;  // the best set found, ascending
    uint64_t met = 0;               // the demand it meets: sum of min(cover count, demand)
};

// Searches from `start` (distinct columns; every element demands at least
// 1), first filled up to `size` columns by the one that meets the most (the
// lower column on ties) while one meets any, until a set meets `goal` (an
// upper bound) or the budget is spent; then
// makes the best swap from the best set while it meets more, so that no
// single swap improves the set it returns.
TabuOutcome searchSwapsWithTabu(const CoverInstance& instance, const std::vector<uint32_t>& start, uint32_t size,
                                uint64_t goal, SearchRandom& random, WorkBudget& budget);
