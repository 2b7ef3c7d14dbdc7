#include "select/demands/budget_bound.h"

#include <algorithm>

#include "select/covering/shortfall_relaxation.h"

uint64_t totalDemand(const CoverInstance& instance) {
    uint64_t total = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        total += uint64_t{instance.demand[e]} * elementWeight(instance, e);
    }
    return total;
}

BudgetBound budgetUpperBound(const CoverInstance& instance, uint32_t budget, uint64_t met, WorkBudget& work) {
    const uint64_t total = totalDemand(instance);
    // The relaxation's cost is the demand left short: the set known leaves
    // total - met short, and no set leaves less than the lower bound.
    const uint64_t knownShort = total - std::min(total, met);
    ShortfallProblem problem{instance, 0.0, budget, 1.0, true};
    auto known = [&](const std::vector<double>&, uint64_t) { return knownShort; };
    // Every multiplier its element's weight: every column is worth the
    // faults it detects.
    std::vector<double> multipliers(instance.elementCount);
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        multipliers[e] = elementWeight(instance, e);
    }
    ShortfallSolution solution = solveShortfall(problem, std::move(multipliers), knownShort, known, work);
    BudgetBound bound;
    bound.value = std::max(total - std::min(total, integerBound(solution.lowerBound)), met);
    bound.multipliers = std::move(solution.multipliers);
    return bound;
}
