#include "select/search_further.h"

#include <algorithm>
#include <new>

#include "base/fatal_error.h"
#include "select/demand_selection.h"
#include "select/minimize/minimize.h"

namespace {

// Subgradient steps of the budget's bound.
constexpr uint32_t BoundIterations = 300;
// Restarts of the budget's search from other first vectors.
constexpr uint32_t DeeperRestarts = 256;

// Over the faults: the largest and the sum of min(count, demand).
struct DemandStanding {
    uint32_t largest = 0;
    uint64_t met = 0;
};

DemandStanding standingOf(const SelectionState& selection, const FaultDemands& demands) {
    DemandStanding standing;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const DetectionCounts& counts = plane == 0 ? selection.count0 : selection.count1;
        for (size_t node = 0; node < demands.words * 64; ++node) {
            uint32_t met = std::min(countAt(counts, node), countAt(demands.demand[plane], node));
            standing.largest = std::max(standing.largest, met);
            standing.met += met;
        }
    }
    return standing;
}

}  // namespace

SearchBound searchFurther(SelectionState& selection, const SelectionOptions& options, const PatternSet& patterns) {
    try {
        SearchBound bound;
        if (selection.budgetBinds) {
            SelectionState deeper =
                runBudgetSelection(options, patterns, budgetSwapWork(tableWords(patterns), true), DeeperRestarts);
            deeper.budgetBinds = true;
            selection = std::move(deeper);
            FaultDemands demands = countDemands(patterns, options.detections);
            bound.upper = true;
            // The relaxation's value can only fall below what a set meets by rounding.
            bound.value = std::max(budgetUpperBound(patterns, demands, options.vectorBudget, BoundIterations),
                                   standingOf(selection, demands).met);
            return bound;
        }
        if (options.detections > 1) {
            FaultDemands demands = countDemands(patterns, options.detections);
            // No set meets a fault's demand with fewer vectors than the demand.
            bound.value = standingOf(selection, demands).largest;
            return bound;
        }
        bound.value = minimizeSelection(selection, patterns);
        return bound;
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    }
}
