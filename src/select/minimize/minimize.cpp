#include "select/minimize/minimize.h"

#include <algorithm>
#include <bit>

#include "select/minimize/cover_search.h"
#include "select/minimize/cover_reduction.h"
#include "select/minimize/kept_cover.h"
#include "select/minimize/lagrangian.h"
#include "select/phases/flag_coverage.h"
#include "select/phases/selection_state.h"

namespace {

constexpr uint64_t BaseWork = uint64_t{1} << 28;
constexpr uint64_t WorkPerTableWord = 192;
constexpr uint64_t WorkPerDetection = 500;
constexpr uint64_t WorkPerElement = 50000;

uint32_t selectedCount(const std::vector<int32_t>& state) {
    return static_cast<uint32_t>(std::count(state.begin(), state.end(), Selected));
}

}  // namespace

MinimizeWork minimizeWork(const PatternSet& patterns) {
    // Every row counted at the width of the widest.
    uint64_t tableWords = 2 * static_cast<uint64_t>(patterns.faultTable.rows.size()) * patterns.faultTable.maxWords;
    return MinimizeWork{BaseWork + WorkPerTableWord * tableWords, WorkPerDetection, WorkPerElement};
}

uint32_t minimizeSelection(SelectionState& selection, const PatternSet& patterns, const FaultDemands* demands,
                           const MinimizeWork& workLimit, uint32_t usefulSize) {
    const FaultTable& table = patterns.faultTable;
    uint32_t defaultCount = selectedCount(selection.state);
    WorkBudget budget{workLimit.fixed, 0};

    KeptCover cover = buildKeptCover(table, selection.state, demands, budget);
    // The optimum is the fixed vectors plus an optimal cover of the residual
    // instance, so the default count less the fixed ones bounds the latter;
    // where a quick lower bound meets it, the default set is optimal.
    uint32_t quickBound = quickLowerBound(cover.residual, budget) + static_cast<uint32_t>(cover.fixedVectors.size());
    if (quickBound >= defaultCount) {
        return defaultCount;
    }
    if (quickBound > usefulSize) {
        return quickBound;
    }
    reduceKeptCover(cover, budget);
    budget.limit += workLimit.perDetection * cover.residual.columnElements.size() +
                    workLimit.perElement * cover.residual.elementCount;
    auto fixedCount = static_cast<uint32_t>(cover.fixedVectors.size());
    uint32_t defaultRest = defaultCount - std::min(defaultCount, fixedCount);
    CoverSearchResult found = searchCover(cover.residual, defaultRest, budget);

    auto foundCount = static_cast<uint32_t>(fixedCount + found.columns.size());
    uint32_t bound = fixedCount + found.lowerBound;
    if (foundCount < defaultCount) {
        std::vector<uint8_t> keep(selection.state.size(), 0);
        for (uint32_t v : cover.fixedVectors) {
            keep[v] = 1;
        }
        for (uint32_t column : found.columns) {
            keep[cover.residual.columnVector[column]] = 1;
        }
        replaceChosenSet(selection, keep, ChoicePhase::Minimize);
        recountCoverage(selection, patterns);
    }
    return std::min(bound, selection.chosenCount);
}

