#include "select/covering/primal_dual_core.h"

#include <algorithm>
#include <utility>

#include "select/covering/shortfall_values.h"

namespace {

// The first core: twice the cap and this many more columns.
constexpr uint32_t CoreMargin = 32;

// Marks the columns a core under the reduced costs `cost` holds: with a
// cap, the most negative ones, twice the cap and CoreMargin more of them;
// without, every one.
void markCoreColumns(const ShortfallProblem& problem, const std::vector<double>& cost, std::vector<uint8_t>& taken,
                     WorkBudget& budget) {
    const CoverInstance& whole = problem.instance;
    ShortfallProblem wider{whole, problem.columnCost,
                           std::min(whole.columnCount, 2 * problem.columnCap + CoreMargin), true};
    if (capped(problem) && capped(wider)) {
        markCheapest(wider, cost, taken, budget);
    } else {
        taken.assign(whole.columnCount, 1);
    }
}

void buildCore(const CoverInstance& whole, PrimalDualCore& core, WorkBudget& budget) {
    core.instance = subInstance(whole, core.column, core.element);
    spendWork(budget, whole.elementCount + 2 * core.instance.columnElements.size() + core.element.size());
    for (uint32_t c : core.column) {
        spendWork(budget, columnSize(whole, c));
    }
    core.primalStep.resize(core.column.size());
    for (uint32_t c = 0; c < core.column.size(); ++c) {
        core.primalStep[c] = 1.0 / std::max(1u, columnSize(core.instance, c));
    }
    core.dualStep.resize(core.element.size());
    for (uint32_t e = 0; e < core.element.size(); ++e) {
        core.dualStep[e] = 1.0 / std::max(1u, elementDegree(core.instance, e));
    }
}

// The indices of the marked entries, ascending.
std::vector<uint32_t> markedIndices(const std::vector<uint8_t>& marks) {
    std::vector<uint32_t> indices;
    for (uint32_t k = 0; k < marks.size(); ++k) {
        if (marks[k]) {
            indices.push_back(k);
        }
    }
    return indices;
}

// Merges `added` into the ascending `index`; the values follow, new ones 0.
void mergeInto(std::vector<uint32_t>& index, std::vector<uint32_t> added,
               const std::vector<std::vector<double>*>& values) {
    std::vector<uint32_t> merged(index.size() + added.size());
    std::merge(index.begin(), index.end(), added.begin(), added.end(), merged.begin());
    for (std::vector<double>* value : values) {
        std::vector<double> moved(merged.size(), 0.0);
        size_t at = 0;
        for (size_t k = 0; k < merged.size(); ++k) {
            if (at < index.size() && index[at] == merged[k]) {
                moved[k] = (*value)[at++];
            }
        }
        *value = std::move(moved);
    }
    index = std::move(merged);
}

}  // namespace

PrimalDualCore startCore(const ShortfallProblem& problem, const std::vector<double>& cost, WorkBudget& budget) {
    const CoverInstance& whole = problem.instance;
    PrimalDualCore core;
    std::vector<uint8_t> taken;
    markCoreColumns(problem, cost, taken, budget);
    core.column = markedIndices(taken);
    if (capped(problem)) {
        markCheapest(problem, cost, taken, budget);
    } else {
        for (uint32_t c = 0; c < whole.columnCount; ++c) {
            taken[c] = cost[c] < 0 ? 1 : 0;
        }
    }
    std::vector<double> choice(taken.begin(), taken.end());
    std::vector<double> covered;
    columnSums(whole, choice, covered, budget);
    for (uint32_t e = 0; e < whole.elementCount; ++e) {
        if (covered[e] <= whole.demand[e]) {
            core.element.push_back(e);
        }
    }
    buildCore(whole, core, budget);
    return core;
}

bool growCore(const ShortfallProblem& problem, PrimalDualCore& core, const std::vector<double>& cost,
              const std::vector<double>& covered, const std::vector<std::vector<double>*>& columnValues,
              const std::vector<std::vector<double>*>& elementValues, WorkBudget& budget) {
    const CoverInstance& whole = problem.instance;
    std::vector<uint8_t> taken;
    markCoreColumns(problem, cost, taken, budget);
    for (uint32_t c : core.column) {
        taken[c] = 0;
    }
    std::vector<uint32_t> columns = markedIndices(taken);
    std::vector<uint8_t> leftShort(whole.elementCount, 0);
    for (uint32_t e = 0; e < whole.elementCount; ++e) {
        leftShort[e] = covered[e] < whole.demand[e] ? 1 : 0;
    }
    for (uint32_t e : core.element) {
        leftShort[e] = 0;
    }
    std::vector<uint32_t> elements = markedIndices(leftShort);
    spendWork(budget, 2 * (uint64_t{whole.columnCount} + whole.elementCount));
    if (columns.empty() && elements.empty()) {
        return false;
    }
    mergeInto(core.column, std::move(columns), columnValues);
    mergeInto(core.element, std::move(elements), elementValues);
    buildCore(whole, core, budget);
    return true;
}

void spreadOver(const std::vector<uint32_t>& coreIndex, const std::vector<double>& values, uint32_t count,
                std::vector<double>& spread) {
    spread.assign(count, 0.0);
    for (size_t k = 0; k < coreIndex.size(); ++k) {
        spread[coreIndex[k]] = values[k];
    }
}
