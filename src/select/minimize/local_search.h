// Local moves on a cover: redundant columns out, and two chosen columns
// replaced by one unchosen.
#pragma once

#include <cstdint>
#include <vector>

#include "select/minimize/cover_solution.h"
#include "select/minimize/search_budget.h"

// Scratch space of the swap search, kept between calls.
struct SwapScratch {
    std::vector<uint32_t> hits;   // per column
    std::vector<uint32_t> stamp;  // per column
    uint32_t stampValue = 0;
    std::vector<uint32_t> touched;
    std::vector<uint32_t> full;   // the columns a candidate relieves
};

// Replaces pairs of chosen columns by one unchosen column that covers every
// element only the pair covers, until no such move is left, the cover has
// `floor` columns (a lower bound: nothing smaller exists) or the budget is
// spent; every attempt is paid for. The solution must be a cover without
// redundant columns; it stays one. Returns the number of moves made.
uint32_t swapTwoForOne(CoverSolution& solution, const CoverInstance& instance, uint32_t floor,
                       SwapScratch& scratch, WorkBudget& budget);

// Everything local search needs to bring a cover to a local optimum:
// redundant columns out (largest cost first), then two-for-one swaps down
// to `floor` columns at most.
void polishCover(CoverSolution& solution, const CoverInstance& instance, const std::vector<double>& cost,
                 uint32_t floor, SwapScratch& scratch, WorkBudget& budget);
