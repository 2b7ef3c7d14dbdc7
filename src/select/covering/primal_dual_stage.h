// The primal-dual stage of the covering relaxation's solver
// (select/covering/shortfall_relaxation.h explains both stages).
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/shortfall_relaxation.h"

// From the multipliers u and no column taken, until the integers at or above
// the two bounds meet, `known` is reached, the steps stall or the budget is
// spent; raises best.lowerBound and lowers best.upperBound.
void pinByPrimalDual(const ShortfallProblem& problem, std::vector<double> start, uint64_t& known,
                     const ShortfallProgress& progress, ShortfallSolution& best, WorkBudget& budget);
