// The selection run: totals, then seeding, greedy completion and elimination.
#include <new>

#include "driver/console.h"
#include "select/selection_phases.h"
#include "select/selection_state.h"

SelectionState runSelection(const RunOptions& options, const SsbddModel&, const PatternSet& patterns) {
    try {
        SelectionState state = createSelectionState(patterns);
        state.detectableTotal = countDetectable(patterns.faultSummary);
        if (options.faultCoverActive) {
            state.coverLimit = computeCoverLimit(options.faultCoverPercent, state.detectableTotal);
        }
        seedSelection(state, options, patterns);
        completeGreedily(state, options, patterns);
        eliminateRedundant(state, patterns);
        return state;
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    }
}
