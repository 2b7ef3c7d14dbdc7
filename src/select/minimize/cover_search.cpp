#include "select/minimize/cover_search.h"

#include <algorithm>
#include <cmath>

#include "select/covering/shortfall_relaxation.h"
#include "select/minimize/cover_branching.h"
#include "select/minimize/cover_core.h"
#include "select/minimize/cover_solution.h"
#include "select/minimize/lagrangian.h"
#include "select/minimize/local_search.h"
#include "select/minimize/weighted_search.h"

namespace {

// Branch and bound holds two multiplier vectors per level of its depth,
// which the target bounds; beyond this many entries it is not tried.
constexpr uint64_t MaxBranchMultipliers = uint64_t{1} << 22;
// The gap up to which the branch and bound may try to close it.
constexpr uint32_t SmallGap = 2;
constexpr uint64_t Seed = 0x7463636f6d706163ULL;
// The local search runs on the columns among the CoreDepth cheapest of one
// of their elements (and the best cover's).
constexpr uint32_t CoreDepth = 30;

struct SearchState {
    const CoverInstance& instance;
    std::vector<uint32_t> best;  // the smallest cover found, ascending
    SwapScratch scratch;
};

uint32_t bestSize(const SearchState& search) { return static_cast<uint32_t>(search.best.size()); }

// A greedy cover under the costs, brought to a local optimum (or down to
// `floor`, a lower bound); kept when smaller.
void offerCover(SearchState& search, const std::vector<double>& cost, uint32_t floor, WorkBudget& budget) {
    CoverSolution solution = emptySolution(search.instance);
    completeCover(solution, search.instance, cost, budget);
    polishCover(solution, search.instance, cost, floor, search.scratch, budget);
    if (solution.uncovered == 0 && solution.size < bestSize(search)) {
        search.best = chosenColumns(solution);
    }
}

// The Lagrangian bound by the shortfall relaxation's subgradient stage,
// towards the cover known at the start, a greedy cover from the reduced
// costs every few steps. Returns the bound and its multipliers.
double raiseBound(SearchState& search, uint32_t knownCoverSize, std::vector<double>& bestMultipliers,
                  WorkBudget& budget) {
    const CoverInstance& instance = search.instance;
    auto offer = [&](const std::vector<double>& reducedCost, uint64_t lower) -> uint64_t {
        offerCover(search, reducedCost, static_cast<uint32_t>(lower), budget);
        return std::min(knownCoverSize, bestSize(search));
    };
    ShortfallSolution solution = solveShortfall(ShortfallProblem{instance}, startMultipliers(instance),
                                                std::min(knownCoverSize, bestSize(search)), offer, budget);
    bestMultipliers = std::move(solution.multipliers);
    return solution.lowerBound;
}

// Local search from `cover` on the core of the instance under the
// multipliers, as searchWithWeights on the whole.
std::vector<uint32_t> searchCore(const CoverInstance& instance, const std::vector<double>& multipliers,
                                 const std::vector<uint32_t>& cover, uint32_t goal, SearchRandom& random,
                                 WorkBudget& budget) {
    CoverCore core = buildCore(instance, reducedCosts(instance, multipliers, budget), CoreDepth, cover, budget);
    std::vector<uint32_t> coreCover;
    auto next = core.column.begin();
    for (uint32_t column : cover) {
        next = std::lower_bound(next, core.column.end(), column);
        coreCover.push_back(static_cast<uint32_t>(next - core.column.begin()));
    }
    std::vector<uint32_t> found = searchWithWeights(core.instance, coreCover, goal, random, budget);
    for (uint32_t& column : found) {
        column = core.column[column];
    }
    return found;
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
    SearchState search{instance, {}, SwapScratch{}};
    // Where a bound that costs a pass or two meets the first cover or the
    // known one, nothing is left to do.
    uint32_t floor = quickLowerBound(instance, budget);
    {
        CoverSolution first = emptySolution(instance);
        std::vector<double> unitCost(instance.columnCount, 1.0);
        completeCover(first, instance, unitCost, budget);
        if (floor < knownCoverSize) {
            polishCover(first, instance, unitCost, floor, search.scratch, budget);
        }
        search.best = chosenColumns(first);
    }
    if (bestSize(search) <= floor || knownCoverSize <= floor) {
        result.columns = search.best;
        result.lowerBound = std::min(floor, bestSize(search));
        return result;
    }
    std::vector<double> multipliers;
    WorkBudget part = shareOf(budget, 1, 2);
    double lagrangianValue = raiseBound(search, knownCoverSize, multipliers, part);
    budget.used = part.used;
    uint32_t lowerBound = std::max(floor, static_cast<uint32_t>(integerBound(lagrangianValue)));

    // Local search on the core with most of the work left, the branch and
    // bound with the rest.
    if (lowerBound < bestSize(search)) {
        SearchRandom random{Seed};
        part = shareOf(budget, 3, 4);
        search.best = searchCore(instance, multipliers, search.best, lowerBound, random, part);
        budget.used = part.used;
    }
    // Each proof that no cover of lowerBound columns exists raises it by one.
    // All the work left where that may close the gap, a share elsewhere.
    if (bestSize(search) - std::min(lowerBound, bestSize(search)) > SmallGap) {
        budget.limit = shareOf(budget, 1, 4).limit;
    }
    while (lowerBound < bestSize(search) && workLeft(budget) &&
           static_cast<uint64_t>(instance.elementCount) * (lowerBound + 2) <= MaxBranchMultipliers) {
        BranchOutcome outcome = coverWithin(instance, lowerBound, multipliers, budget);
        if (outcome.verdict == BranchVerdict::NoCover) {
            ++lowerBound;
        } else {
            if (outcome.verdict == BranchVerdict::CoverFound) {
                search.best = outcome.cover;
            }
            break;
        }
    }
    result.columns = search.best;
    result.lowerBound = std::min(lowerBound, bestSize(search));
    return result;
}
