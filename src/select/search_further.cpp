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

// Over the faults: the sum of min(count, demand).
uint64_t demandMetBy(const SelectionState& selection, const FaultDemands& demands) {
    uint64_t met = 0;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const DetectionCounts& counts = plane == 0 ? selection.count0 : selection.count1;
        for (size_t node = 0; node < demands.words * 64; ++node) {
            met += std::min(countAt(counts, node), countAt(demands.demand[plane], node));
        }
    }
    return met;
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
                                   demandMetBy(selection, demands));
            return bound;
        }
        if (options.detections > 1) {
            // The covering search on the demands (a multicover).
            FaultDemands demands = countDemands(patterns, options.detections);
            CoverDemands cover;
            for (uint32_t plane = 0; plane < 2; ++plane) {
                std::vector<uint32_t>& list = plane == 0 ? cover.fault0 : cover.fault1;
                list.resize(demands.words * 64);
                for (size_t node = 0; node < list.size(); ++node) {
                    list[node] = countAt(demands.demand[plane], node);
                }
            }
            bound.value = minimizeSelection(selection, patterns, cover);
            return bound;
        }
        bound.value = minimizeSelection(selection, patterns);
        return bound;
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    }
}
