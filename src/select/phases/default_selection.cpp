#include "select/phases/default_selection.h"

#include "select/faults/fault_rows.h"
#include "select/phases/flag_coverage.h"
#include "select/phases/selection_phases.h"

SelectionState runDefaultSelection(const SelectionOptions& options, const PatternSet& patterns,
                                   const SelectionWork& work) {
    SelectionState state = createSelectionState(patterns, options);
    PassWorker worker;
    startPassWorker(worker, work, rowWords(patterns, 0, static_cast<uint32_t>(state.state.size())));
    FlagCoverage coverage{patterns, worker.parts, {}, {}, {}};
    auto gains = seedSelection(coverage, state, options);
    completeGreedily(coverage, state, GreedyRules{true, options.faultCoverActive, 0}, std::move(gains));
    coverage.open = OpenWords{};
    eliminateRedundant(coverage, state);
    return state;
}
