#include "select/demands/demand_selection.h"

#include "select/demands/demand_coverage.h"
#include "select/phases/selection_phases.h"

SelectionState runDemandSelection(const SelectionOptions& options, const PatternSet& patterns) {
    SelectionState state = createSelectionState(patterns, options);
    if (state.state.empty()) {
        return state;
    }
    FaultDemands demands = countDemands(patterns, options.detections);
    DemandCoverage coverage = startDemandCoverage(state, patterns, demands);
    auto gains = seedSelection(coverage, state, options);
    completeGreedily(coverage, state, GreedyRules{true, options.faultCoverActive, 0}, std::move(gains));
    eliminateRedundant(coverage, state);
    return state;
}
