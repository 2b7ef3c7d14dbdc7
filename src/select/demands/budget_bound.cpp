#include "select/demands/budget_bound.h"

#include <algorithm>
#include <utility>

#include "select/covering/shortfall_relaxation.h"

uint64_t totalDemand(const CoverInstance& instance) {
    uint64_t total = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        total += uint64_t{instance.demand[e]} * elementWeight(instance, e);
    }
    return total;
}

uint64_t budgetUpperBound(const CoverInstance& instance, uint32_t budget, uint64_t met, WorkBudget& work) {
    const uint64_t total = totalDemand(instance);
    // The relaxation's cost is the demand left short: the set known leaves
    // total - met short, and no set leaves less than the lower bound.
    const uint64_t knownShort = total - std::min(total, met);
    ShortfallProblem problem{instance, 0.0, budget, true};
    auto known = [&](const std::vector<double>&, uint64_t) { return knownShort; };
    std::vector<double> start(instance.elementCount);
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        start[e] = elementWeight(instance, e);
    }
    ShortfallSolution solution = solveShortfall(problem, std::move(start), knownShort, known, work);
    uint64_t lower = integerBound(solution.lowerBound);
    return std::max(total - std::min(total, lower), met);
}
