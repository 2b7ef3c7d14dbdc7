// The selection run: totals, then seeding, greedy completion and elimination.
#include <new>

#include "base/fatal_error.h"
#include "select/selection_phases.h"
#include "select/selection_state.h"

SelectionState runSelectionWith(const RunOptions& options, const PatternSet& patterns, const SelectionWork& work) {
    SelectionState state = createSelectionState(patterns);
    state.detectableTotal = countDetectable(patterns.faultSummary);
    if (options.faultCoverActive) {
        state.coverLimit = computeCoverLimit(options.faultCoverPercent, state.detectableTotal);
    }
    SplitWork split = startSplitWork(work, rowWords(patterns, 0, static_cast<uint32_t>(state.state.size())));
    SeedingCarry carry;
    seedPhase(state, options, patterns, split, carry);
    greedyPhase(state, options, patterns, split, carry);
    carry = SeedingCarry{};
    countChosenVectors(state, patterns, split);
    eliminateRedundant(state, patterns);
    return state;
}

SelectionState runSelection(const RunOptions& options, const SsbddModel&, const PatternSet& patterns) {
    try {
        return runSelectionWith(options, patterns, defaultSelectionWork());
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    }
}
