#include "select/phases/selection_state.h"

#include <limits>

#include "select/faults/detectable_faults.h"
#include "select/faults/fault_rows.h"

SelectionState createSelectionState(const PatternSet& patterns, const SelectionOptions& options) {
    SelectionState state;
    size_t words = patterns.faultTable.maxWords;
    state.state.assign(selectionVectorCount(patterns), Candidate);
    state.chosenBy.assign(state.state.size(), ChoicePhase::Essential);
    state.covered0.assign(words, 0);
    state.covered1.assign(words, 0);
    resetCounts(state.count0, words, 0);
    resetCounts(state.count1, words, 0);
    state.detectableTotal = countDetectable(patterns.faultSummary);
    if (options.faultCoverActive) {
        state.coverLimit = computeCoverLimit(options.faultCoverPercent, state.detectableTotal);
    }
    return state;
}

uint32_t computeCoverLimit(uint32_t percent, uint32_t total) {
    double limit = static_cast<double>(percent) * static_cast<double>(total) * 0.01;
    // A percentage above 100 (or a negative one read as unsigned) can give a
    // product beyond the range; such a limit is never passed.
    if (limit >= static_cast<double>(std::numeric_limits<uint32_t>::max())) {
        return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(limit);
}

void replaceChosenSet(SelectionState& state, const std::vector<uint8_t>& keep, ChoicePhase phase) {
    for (uint32_t v = 0; v < state.state.size(); ++v) {
        bool kept = v < keep.size() && keep[v] != 0;
        if (kept && state.state[v] != Selected) {
            chooseVector(state, v, phase);
        } else if (!kept && state.state[v] == Selected) {
            unchooseVector(state, v);
        }
    }
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
