#include "select/minimize/lagrangian.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "select/covering/shortfall_relaxation.h"
#include "select/covering/shortfall_values.h"

std::vector<double> startMultipliers(const CoverInstance& instance) {
    std::vector<double> multiplier(instance.elementCount, 0);
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        uint32_t largest = 1;
        for (const uint32_t* c = elementBegin(instance, e); c != elementEnd(instance, e); ++c) {
            largest = std::max(largest, columnSize(instance, *c));
        }
        // The smallest 1 / size is the one of the largest column.
        multiplier[e] = 1.0 / largest;
    }
    return multiplier;
}

std::vector<double> reducedCosts(const CoverInstance& instance, const std::vector<double>& multiplier,
                                 WorkBudget& budget) {
    std::vector<double> cost;
    fillReducedCosts(ShortfallProblem{instance}, multiplier, cost);
    spendWork(budget, instance.columnElements.size());
    return cost;
}

uint32_t disjointElementCount(const CoverInstance& instance, WorkBudget& budget) {
    std::vector<uint32_t> order(instance.elementCount);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return elementDegree(instance, a) < elementDegree(instance, b);
    });
    std::vector<uint8_t> columnTaken(instance.columnCount, 0);
    uint32_t count = 0;
    for (uint32_t e : order) {
        bool free = true;
        for (const uint32_t* c = elementBegin(instance, e); c != elementEnd(instance, e) && free; ++c) {
            free = !columnTaken[*c];
        }
        if (free) {
            count += instance.demand[e];
            for (const uint32_t* c = elementBegin(instance, e); c != elementEnd(instance, e); ++c) {
                columnTaken[*c] = 1;
            }
        }
    }
    spendWork(budget, 2 * instance.elementColumns.size());
    return count;
}

uint32_t quickLowerBound(const CoverInstance& instance, WorkBudget& budget) {
    // Under the first multipliers no reduced cost is negative.
    std::vector<double> multiplier = startMultipliers(instance);
    double value = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        value += instance.demand[e] * multiplier[e];
    }
    spendWork(budget, 2 * instance.elementColumns.size() + instance.elementCount);
    return std::max(disjointElementCount(instance, budget), static_cast<uint32_t>(integerBound(value)));
}
