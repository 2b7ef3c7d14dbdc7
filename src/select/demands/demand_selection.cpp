#include "select/demands/demand_selection.h"

#include "select/demands/demand_coverage.h"
#include "select/faults/fault_rows.h"
#include "select/phases/selection_phases.h"

SelectionState runDemandSelection(const SelectionOptions& options, const PatternSet& patterns,
                                  const FaultDemands& demands, const SelectionWork& work) {
    SelectionState state = createSelectionState(patterns, options);
    if (state.state.empty()) {
        return state;
    }
    PassWorker worker;
    startPassWorker(worker, work, tableWords(patterns));
    DemandCoverage coverage = startDemandCoverage(state, patterns, demands, worker.parts);
    auto gains = seedSelection(coverage, state, options);
    completeGreedily(coverage, state, GreedyRules{true, options.faultCoverActive, 0}, std::move(gains));
    eliminateRedundant(coverage, state);
    return state;
}
