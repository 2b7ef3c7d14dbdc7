#include "select/covering/shortfall_relaxation.h"

#include <algorithm>
#include <utility>

#include "select/covering/primal_dual_stage.h"
#include "select/covering/subgradient_stage.h"

uint64_t integerBound(double value) {
    double lowered = value - 1e-6 * std::max(1.0, std::fabs(value));
    if (!(lowered > 0)) {
        return 0;
    }
    return static_cast<uint64_t>(std::ceil(lowered));
}

ShortfallSolution solveShortfall(const ShortfallProblem& problem, std::vector<double> multipliers,
                                 uint64_t knownCost, const ShortfallProgress& progress, WorkBudget& budget) {
    ShortfallSolution best;
    best.multipliers = multipliers;
    uint64_t known = knownCost;
    if (!problem.pinOptimum) {
        raiseBySubgradient(problem, std::move(multipliers), known, progress, best, budget);
    }
    if (problem.pinOptimum) {
        pinByPrimalDual(problem, best.multipliers, known, progress, best, budget);
    }
    return best;
}
