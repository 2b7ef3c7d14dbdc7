#include "select/selection_for_tests.h"

#include "select/demands/budget_search.h"
#include "select/demands/demand_selection.h"
#include "select/faults/fault_rows.h"
#include "select/minimize/minimize.h"
#include "select/phases/default_selection.h"

SelectionState runSelectionWith(const SelectionOptions& options, const PatternSet& patterns, const SelectionWork& work) {
    if (options.vectorBudget != 0) {
        FaultDemands demands = countDemands(patterns, options.detections);
        return greedyBudgetSet(options, patterns, demands, budgetSwapWork(tableWords(patterns)), work).state;
    }
    if (options.detections > 1) {
        return runDemandSelection(options, patterns, countDemands(patterns, options.detections), work);
    }
    return runDefaultSelection(options, patterns, work);
}

uint32_t minimizeSelectionWithin(SelectionState& selection, const PatternSet& patterns, uint64_t workLimit,
                                 const FaultDemands* demands) {
    return minimizeSelection(selection, patterns, demands, MinimizeWork{workLimit, 0, 0});
}

bool useCpuTier(CpuTier tier) {
    if (!processorRunsTier(tier)) {
        return false;
    }
    cputier::active = tier;
    return true;
}
