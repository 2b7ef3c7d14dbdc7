#include "select/minimize/cover_core.h"

#include <algorithm>

CoverCore buildCore(const CoverInstance& instance, const std::vector<double>& reducedCost,
                    uint32_t depth, const std::vector<uint32_t>& cover, WorkBudget& budget) {
    std::vector<uint8_t> inCore(instance.columnCount, 0);
    for (uint32_t column : cover) {
        inCore[column] = 1;
    }
    std::vector<uint32_t> columns;
    auto cheaper = [&](uint32_t a, uint32_t b) {
        return reducedCost[a] < reducedCost[b] || (reducedCost[a] == reducedCost[b] && a < b);
    };
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        columns.assign(elementBegin(instance, e), elementEnd(instance, e));
        size_t keep = std::min<size_t>(columns.size(), size_t{depth} + instance.demand[e] - 1);
        std::nth_element(columns.begin(), columns.begin() + static_cast<std::ptrdiff_t>(keep) - 1, columns.end(),
                         cheaper);
        for (size_t i = 0; i < keep; ++i) {
            inCore[columns[i]] = 1;
        }
        spendWork(budget, 2 * columns.size());
    }
    CoverCore core;
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (inCore[c]) {
            core.column.push_back(c);
        }
    }
    core.instance = columnSubset(instance, core.column);
    spendWork(budget, instance.columnCount + 2 * core.instance.columnElements.size());
    return core;
}
