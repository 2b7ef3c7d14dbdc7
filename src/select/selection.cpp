// The route of a selection: the default run or the run with demands, the
// budget's search when the budget binds, "-diagnostic" and "-minimize"
// after them, and the figures of the result.
#include "select/selection.h"

#include <new>
#include <optional>

#include "base/bit_count.h"
#include "base/fatal_error.h"
#include "select/demands/budget_search.h"
#include "select/demands/deeper_budget_search.h"
#include "select/demands/demand_selection.h"
#include "select/diagnostic/class_keeping.h"
#include "select/diagnostic/class_numbers.h"
#include "select/faults/detectable_faults.h"
#include "select/faults/fault_rows.h"
#include "select/minimize/minimize.h"
#include "select/order/coverage_order.h"
#include "select/phases/default_selection.h"
#include "select/selection_for_tests.h"

namespace {

// The demands of options.detections, counted once, when first asked for.
struct DemandsOnce {
    std::optional<FaultDemands> counted;
};

const FaultDemands& demandsOf(DemandsOnce& once, const SelectionOptions& options, const PatternSet& patterns) {
    if (!once.counted) {
        once.counted = countDemands(patterns, options.detections);
    }
    return *once.counted;
}

SelectionState runWithoutBudget(const SelectionOptions& options, const PatternSet& patterns, DemandsOnce& demands) {
    if (options.detections > 1) {
        return runDemandSelection(options, patterns, demandsOf(demands, options, patterns), defaultSelectionWork());
    }
    return runDefaultSelection(options, patterns, defaultSelectionWork());
}

bool budgetBinds(const SelectionOptions& options, const SelectionState& state) {
    return options.vectorBudget != 0 && state.chosenCount > options.vectorBudget;
}

// Within a budget that binds: greedy and swaps.
SelectionState runWithinBudget(const SelectionOptions& options, const PatternSet& patterns, DemandsOnce& demands) {
    return greedyBudgetSet(options, patterns, demandsOf(demands, options, patterns),
                           budgetSwapWork(tableWords(patterns)), defaultSelectionWork())
        .state;
}

// The faults the summary marks detectable that the chosen set detects at
// least `times` times.
uint32_t detectableDetectedAtLeast(const SelectionState& state, const PatternSet& patterns, uint32_t times) {
    DetectableFaults detectable = decodeSummary(patterns.faultSummary);
    uint32_t found = 0;
    for (size_t word = 0; word < detectable.plane[0].size(); ++word) {
        found += countBits(detectable.plane[0][word] & countsAtLeast(state.count0, times, word));
        found += countBits(detectable.plane[1][word] & countsAtLeast(state.count1, times, word));
    }
    return found;
}

// `demands` null for one detection each.
SelectionResult resultOf(const SelectionState& state, const SelectionOptions& options, const PatternSet& patterns,
                         const FaultDemands* demands) {
    SelectionResult result;
    result.chosen = chosenVectors(state);
    if (options.coverageOrder) {
        result.chosen = coverageOrder(patterns, result.chosen, demands).vectors;
    }
    for (uint32_t vector : result.chosen) {
        result.phases.push_back(state.chosenBy[vector]);
    }
    result.cycleCount = state.cycleCount;
    result.coveredCount = state.coveredCount;
    return result;
}

}  // namespace

SelectionState runSelectionPhases(const SelectionOptions& options, const PatternSet& patterns) {
    DemandsOnce demands;
    SelectionState state = runWithoutBudget(options, patterns, demands);
    return budgetBinds(options, state) ? runWithinBudget(options, patterns, demands) : state;
}

SelectionResult runSelection(const SelectionOptions& options, const PatternSet& patterns) {
    try {
        DemandsOnce demands;
        SelectionState state = runWithoutBudget(options, patterns, demands);
        bool binds = budgetBinds(options, state);
        std::optional<SearchBound> bound;
        if (binds && options.minimize) {
            DeeperBudgetResult deeper = searchBudgetDeeper(options, patterns, demandsOf(demands, options, patterns), state);
            state = std::move(deeper.state);
            bound = SearchBound{true, deeper.upperBound};
        } else if (binds) {
            state = runWithinBudget(options, patterns, demands);
        }
        // With demands above one, the run without the budget has counted them.
        const FaultDemands* multicover = options.detections > 1 ? &demandsOf(demands, options, patterns) : nullptr;
        // The classes within the budget's room; with "-minimize" and no
        // budget that binds, the search keeps them instead.
        bool searchClasses = options.diagnostic && options.minimize && !binds;
        uint32_t sizeLimit = options.vectorBudget != 0 ? options.vectorBudget : NoSizeLimit;
        if (options.diagnostic && !searchClasses) {
            keepEveryClass(state, patterns, multicover, sizeLimit);
        }
        if (options.minimize && !binds) {
            if (searchClasses) {
                bound = SearchBound{false, keepEveryClassMinimized(state, patterns, multicover, sizeLimit,
                                                                   classSearchWork(patterns))};
            } else {
                bound = SearchBound{false, minimizeSelection(state, patterns, multicover, minimizeWork(patterns))};
            }
        }
        SelectionResult result = resultOf(state, options, patterns, multicover);
        result.budgetBinds = binds;
        result.bound = bound;
        if (options.detectionsGiven) {
            result.detections = DetectionFigure{options.detections,
                                                detectableDetectedAtLeast(state, patterns, options.detections),
                                                state.detectableTotal};
        }
        if (options.diagnostic) {
            ClassCounts counts = countClasses(patterns, result.chosen);
            result.classes = ClassFigure{counts.chosen, counts.input};
        }
        return result;
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    }
}
