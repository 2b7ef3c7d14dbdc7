// The subgradient stage of the covering relaxation's solver
// (select/covering/shortfall_relaxation.h explains both stages).
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/shortfall_relaxation.h"

// Raises best.lowerBound from the multipliers towards `known`, the cost of
// an integer solution known at the start, which `progress` may lower.
void raiseBySubgradient(const ShortfallProblem& problem, std::vector<double> multipliers, uint64_t& known,
                        const ShortfallProgress& progress, ShortfallSolution& best, WorkBudget& budget);
