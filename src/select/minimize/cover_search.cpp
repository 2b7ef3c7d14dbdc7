#include "select/minimize/cover_search.h"

#include <algorithm>

#include "select/minimize/cover_branching.h"
#include "select/minimize/cover_solution.h"
#include "select/minimize/lagrangian.h"
#include "select/minimize/local_search.h"

namespace {

constexpr uint32_t MaxSubgradientSteps = 3000;
constexpr uint32_t StepsPerHeuristic = 10;
constexpr uint32_t StepPatience = 30;
// Perturbation rounds in a row without a smaller cover before giving up.
constexpr uint32_t StallRounds = 5000;
// Branch and bound holds two multiplier vectors per level of its depth,
// which the target bounds; beyond this many entries it is not tried.
constexpr uint64_t MaxBranchMultipliers = uint64_t{1} << 22;
constexpr uint64_t Seed = 0x7463636f6d706163ULL;

struct SearchState {
    const CoverInstance& instance;
    CoverSolution best;
    SwapScratch scratch;
    std::vector<double> unitCost;
};

void offerCover(SearchState& search, const std::vector<double>& cost, WorkBudget& budget) {
    CoverSolution solution = emptySolution(search.instance);
    completeCover(solution, search.instance, cost, budget);
    polishCover(solution, search.instance, cost, search.scratch, budget);
    if (solution.uncovered == 0 && solution.size < search.best.size) {
        search.best = std::move(solution);
    }
}

// Subgradient optimisation from the step factor 2, halved whenever
// StepPatience steps pass without a better value; a greedy cover from the
// reduced costs every StepsPerHeuristic steps. Stops when the bound meets
// the best known cover. Returns the best value and its multipliers.
double raiseBound(SearchState& search, uint32_t knownCoverSize, std::vector<double>& bestMultipliers,
                  WorkBudget& budget) {
    const CoverInstance& instance = search.instance;
    Lagrangian lagrangian = startLagrangian(instance);
    bestMultipliers = lagrangian.multiplier;
    std::vector<double> subgradient;
    double best = 0;
    double stepFactor = 2.0;
    uint32_t sinceBest = 0;
    for (uint32_t step = 0; step < MaxSubgradientSteps && workLeft(budget); ++step) {
        evaluateLagrangian(lagrangian, instance, budget);
        if (lagrangian.value > best + 1e-9 * std::max(1.0, best)) {
            best = lagrangian.value;
            bestMultipliers = lagrangian.multiplier;
            sinceBest = 0;
        } else if (++sinceBest >= StepPatience) {
            stepFactor /= 2;
            sinceBest = 0;
        }
        uint32_t upper = std::min(knownCoverSize, search.best.size);
        if (integerBound(best) >= upper) {
            break;
        }
        if (step % StepsPerHeuristic == 0) {
            offerCover(search, lagrangian.reducedCost, budget);
        }
        if (stepFactor < 1e-4 ||
            !stepMultipliers(lagrangian, instance, static_cast<double>(upper), stepFactor,
                             subgradient, budget)) {
            break;
        }
    }
    return best;
}

// A share of the work still left, as a budget of its own.
WorkBudget shareOf(const WorkBudget& budget, uint64_t numerator, uint64_t denominator) {
    uint64_t left = budget.limit - std::min(budget.limit, budget.used);
    return WorkBudget{budget.used + left / denominator * numerator, budget.used};
}

}  // namespace

CoverSearchResult searchCover(const CoverInstance& instance, uint32_t knownCoverSize,
                              WorkBudget& budget) {
    CoverSearchResult result;
    if (instance.elementCount == 0) {
        return result;
    }
    SearchState search{instance, emptySolution(instance), SwapScratch{},
                       std::vector<double>(instance.columnCount, 1.0)};
    search.best.size = UINT32_MAX;
    offerCover(search, search.unitCost, budget);

    uint32_t floor = disjointElementCount(instance, budget);
    std::vector<double> multipliers;
    WorkBudget part = shareOf(budget, 1, 3);
    double lagrangianValue = raiseBound(search, knownCoverSize, multipliers, part);
    budget.used = part.used;
    uint32_t lowerBound = std::max(floor, integerBound(lagrangianValue));

    if (lowerBound < std::min(knownCoverSize, search.best.size)) {
        SearchRandom random{Seed};
        part = shareOf(budget, 1, 2);
        iterateLocalSearch(search.best, instance, search.unitCost, StallRounds, lowerBound, random,
                           search.scratch, part);
        budget.used = part.used;
    }
    // Each proof that no cover of lowerBound columns exists raises it by one.
    while (lowerBound < std::min(knownCoverSize, search.best.size) && workLeft(budget) &&
           static_cast<uint64_t>(instance.elementCount) * (lowerBound + 2) <= MaxBranchMultipliers) {
        BranchOutcome outcome = coverWithin(instance, lowerBound, multipliers, budget);
        if (outcome.verdict == BranchVerdict::NoCover) {
            ++lowerBound;
        } else {
            if (outcome.verdict == BranchVerdict::CoverFound) {
                CoverSolution found = emptySolution(instance);
                for (uint32_t column : outcome.cover) {
                    addColumn(found, instance, column);
                }
                search.best = std::move(found);
            }
            break;
        }
    }
    result.columns = chosenColumns(search.best);
    result.lowerBound = std::min(lowerBound, search.best.size);
    return result;
}
