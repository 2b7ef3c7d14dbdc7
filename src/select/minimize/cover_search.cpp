#include "select/minimize/cover_search.h"

#include <algorithm>
#include <cmath>

#include "select/minimize/cover_branching.h"
#include "select/minimize/cover_core.h"
#include "select/minimize/cover_solution.h"
#include "select/minimize/lagrangian.h"
#include "select/minimize/local_search.h"
#include "select/minimize/weighted_search.h"

namespace {

constexpr uint32_t StepsPerHeuristic = 10;
constexpr double FirstStepFactor = 0.1;
constexpr double MinStepFactor = 1e-6;
constexpr uint32_t StepWindow = 20;
constexpr double WideSwing = 0.01;
constexpr double NarrowSwing = 0.001;
constexpr uint32_t StallSteps = 200;
constexpr double SlowProgress = 0.001;
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

// Subgradient optimisation, a greedy cover from the reduced costs every
// StepsPerHeuristic steps. The step factor follows the spread of the values
// over each window of StepWindow steps: halved when they still swing by more
// than WideSwing of the largest, raised by half when they move by less than
// NarrowSwing. Stops when the bound meets the best known cover, or when
// StallSteps steps in a row raise the best value by less than
// SlowProgress of it: near the optimum the value creeps, and it is the
// integer above it that counts. Returns the best value and its multipliers.
double raiseBound(SearchState& search, uint32_t knownCoverSize, std::vector<double>& bestMultipliers,
                  WorkBudget& budget) {
    const CoverInstance& instance = search.instance;
    Lagrangian lagrangian = startLagrangian(instance);
    bestMultipliers = lagrangian.multiplier;
    std::vector<double> subgradient;
    double best = 0;
    double stepFactor = FirstStepFactor;
    double windowLow = 0;
    double windowHigh = 0;
    double stallBase = 0;  // the best value when the current stall began
    uint32_t stallStart = 0;
    // The target stays the size of the cover known at the start: the steps
    // react to it strongly, and a target that moves with every better cover
    // found sends them astray.
    const double target = std::min(knownCoverSize, bestSize(search));
    for (uint32_t step = 0; workLeft(budget); ++step) {
        evaluateLagrangian(lagrangian, instance, budget);
        double value = lagrangian.value;
        if (value > best) {
            best = value;
            bestMultipliers = lagrangian.multiplier;
        }
        uint32_t upper = std::min(knownCoverSize, bestSize(search));
        if (integerBound(best) >= upper) {
            break;
        }
        if (best > stallBase * (1 + SlowProgress)) {
            stallBase = best;
            stallStart = step;
        } else if (step - stallStart >= StallSteps) {
            break;
        }
        windowLow = step % StepWindow == 0 ? value : std::min(windowLow, value);
        windowHigh = step % StepWindow == 0 ? value : std::max(windowHigh, value);
        if (step % StepWindow == StepWindow - 1) {
            double spread = windowHigh - windowLow;
            if (spread > WideSwing * std::fabs(windowHigh)) {
                stepFactor /= 2;
            } else if (spread < NarrowSwing * std::fabs(windowHigh)) {
                stepFactor *= 1.5;
            }
        }
        if (step % StepsPerHeuristic == 0) {
            offerCover(search, lagrangian.reducedCost, integerBound(best), budget);
        }
        if (stepFactor < MinStepFactor ||
            !stepMultipliers(lagrangian, instance, target, stepFactor,
                             subgradient, budget)) {
            break;
        }
    }
    return best;
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
    uint32_t lowerBound = std::max(floor, integerBound(lagrangianValue));

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
