// The selection run: totals, then seeding, greedy completion and elimination.
#include <new>

#include "base/fatal_error.h"
#include "select/demand_selection.h"
#include "select/selection_phases.h"
#include "select/selection_state.h"
#include "select/selection_workers.h"

SelectionState runSelectionWith(const SelectionOptions& options, const PatternSet& patterns, const SelectionWork& work) {
    SelectionState state = createSelectionState(patterns);
    state.detectableTotal = countDetectable(patterns.faultSummary);
    if (options.faultCoverActive) {
        state.coverLimit = computeCoverLimit(options.faultCoverPercent, state.detectableTotal);
    }
    PassWorker worker;
    startPassWorker(worker, work, rowWords(patterns, 0, static_cast<uint32_t>(state.state.size())));
    SeedingCarry carry;
    seedPhase(state, options, patterns, worker.parts, carry);
    greedyPhase(state, options, patterns, worker.parts, carry);
    carry = SeedingCarry{};
    countChosenVectors(state, patterns, worker.parts);
    eliminateRedundant(state, patterns);
    return state;
}

SelectionState runSelection(const SelectionOptions& options, const PatternSet& patterns) {
    try {
        SelectionState plain = options.detections > 1 ? runDemandSelection(options, patterns)
                                                      : runSelectionWith(options, patterns, defaultSelectionWork());
        if (options.vectorBudget == 0 || plain.chosenCount <= options.vectorBudget) {
            return plain;
        }
        SelectionState budgeted = runBudgetSelection(options, patterns, budgetSwapWork(tableWords(patterns), false));
        budgeted.budgetBinds = true;
        return budgeted;
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    }
}

size_t tableWords(const PatternSet& patterns) {
    return rowWords(patterns, 0, static_cast<uint32_t>(patterns.faultTable.rows.size()));
}

std::vector<uint32_t> chosenVectors(const SelectionState& state) {
    std::vector<uint32_t> chosen;
    chosen.reserve(state.chosenCount);
    for (size_t vector = 0; vector < state.state.size(); ++vector) {
        if (state.state[vector] == Selected) {
            chosen.push_back(static_cast<uint32_t>(vector));
        }
    }
    return chosen;
}
