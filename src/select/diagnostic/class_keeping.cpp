#include "select/diagnostic/class_keeping.h"

#include <vector>

#include "select/diagnostic/class_cover_search.h"
#include "select/diagnostic/class_restoring.h"
#include "select/diagnostic/kept_demands.h"
#include "select/faults/fault_rows.h"
#include "select/phases/flag_coverage.h"

namespace {

constexpr uint64_t BaseWork = uint64_t{1} << 30;
constexpr uint64_t WorkPerTableWord = 32;

// Makes `vectors` the chosen set, the vectors that join it chosen by `phase`.
void chooseSet(SelectionState& selection, const PatternSet& patterns, const std::vector<uint32_t>& vectors,
               ChoicePhase phase) {
    std::vector<uint8_t> keep(selection.state.size(), 0);
    for (uint32_t v : vectors) {
        keep[v] = 1;
    }
    replaceChosenSet(selection, keep, phase);
    recountCoverage(selection, patterns);
}

}  // namespace

void keepEveryClass(SelectionState& selection, const PatternSet& patterns, const FaultDemands* demands,
                    uint32_t sizeLimit) {
    std::vector<uint32_t> start = chosenVectors(selection);
    RestoredClasses restored = restoreEveryClass(patterns, start, keptDemands(patterns, start, demands), sizeLimit);
    chooseSet(selection, patterns, restored.vectors, ChoicePhase::Diagnostic);
}

uint32_t keepEveryClassMinimized(SelectionState& selection, const PatternSet& patterns, const FaultDemands* demands,
                                 uint32_t sizeLimit, uint64_t workLimit) {
    std::vector<uint32_t> start = chosenVectors(selection);
    std::vector<uint32_t> keep = keptDemands(patterns, start, demands);
    RestoredClasses restored = restoreEveryClass(patterns, start, keep, sizeLimit);
    chooseSet(selection, patterns, restored.vectors, ChoicePhase::Diagnostic);
    WorkBudget budget{workLimit, 0};
    ClassCover cover = searchClassCover(patterns, restored.vectors, keep, budget);
    chooseSet(selection, patterns, cover.vectors, ChoicePhase::Minimize);
    return cover.lowerBound;
}

uint64_t classSearchWork(const PatternSet& patterns) { return BaseWork + WorkPerTableWord * tableWords(patterns); }
