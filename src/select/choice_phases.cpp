#include "select/choice_phases.h"

#include <algorithm>

const char* choicePhaseName(ChoicePhase phase) {
    switch (phase) {
        case ChoicePhase::Essential: return "essential";
        case ChoicePhase::Widest: return "widest";
        case ChoicePhase::Greedy: return "greedy";
        case ChoicePhase::Minimize: return "minimize";
    }
    return "";
}

std::vector<ChoicePhase> choicePhases(const std::vector<uint32_t>& chosen, const SelectionState& state,
                                      const SelectionOptions& options, const std::vector<uint32_t>& defaultChosen) {
    std::vector<uint32_t> greedy = state.greedyPicks;
    std::sort(greedy.begin(), greedy.end());
    ChoicePhase seed = options.seedWithEssentialVectors ? ChoicePhase::Essential : ChoicePhase::Widest;
    std::vector<ChoicePhase> phases;
    phases.reserve(chosen.size());
    for (uint32_t vector : chosen) {
        if (!defaultChosen.empty() && !std::binary_search(defaultChosen.begin(), defaultChosen.end(), vector)) {
            phases.push_back(ChoicePhase::Minimize);
        } else if (std::binary_search(greedy.begin(), greedy.end(), vector)) {
            phases.push_back(ChoicePhase::Greedy);
        } else {
            phases.push_back(seed);
        }
    }
    return phases;
}
