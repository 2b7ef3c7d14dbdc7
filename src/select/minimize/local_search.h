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
};

// Replaces pairs of chosen columns by one unchosen column that covers every
// element only the pair covers, until no such move is left or the budget is
// spent. The solution must be a cover without redundant columns; it stays
// one. Returns the number of moves made.
uint32_t swapTwoForOne(CoverSolution& solution, const CoverInstance& instance,
                       SwapScratch& scratch, WorkBudget& budget);

// Everything local search needs to bring a cover to a local optimum:
// redundant columns out (largest cost first), then two-for-one swaps.
void polishCover(CoverSolution& solution, const CoverInstance& instance,
                 const std::vector<double>& cost, SwapScratch& scratch, WorkBudget& budget);
