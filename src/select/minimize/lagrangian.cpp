#include "select/minimize/lagrangian.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Below this a column's average choice moves no multiplier noticeably.
constexpr double NegligibleChoice = 1e-6;

}  // namespace

Lagrangian startLagrangian(const CoverInstance& instance) {
    Lagrangian lagrangian;
    lagrangian.multiplier.assign(instance.elementCount, 0);
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        uint32_t largest = 1;
        for (const uint32_t* c = elementBegin(instance, e); c != elementEnd(instance, e); ++c) {
            largest = std::max(largest, columnSize(instance, *c));
        }
        // The smallest 1 / size is the one of the largest column.
        lagrangian.multiplier[e] = 1.0 / largest;
    }
    lagrangian.reducedCost.assign(instance.columnCount, 1.0);
    lagrangian.averageChoice.assign(instance.columnCount, 0.0);
    return lagrangian;
}

std::vector<double> reducedCosts(const CoverInstance& instance, const std::vector<double>& multiplier,
                                 WorkBudget& budget) {
    std::vector<double> cost(instance.columnCount);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double sum = 0;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            sum += multiplier[*e];
        }
        cost[c] = 1.0 - sum;
    }
    spendWork(budget, instance.columnElements.size());
    return cost;
}

void evaluateLagrangian(Lagrangian& lagrangian, const CoverInstance& instance,
                        WorkBudget& budget) {
    const std::vector<double>& u = lagrangian.multiplier;
    double value = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        value += instance.demand[e] * u[e];
    }
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double sum = 0;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            sum += u[*e];
        }
        double cost = 1.0 - sum;
        lagrangian.reducedCost[c] = cost;
        if (cost < 0) {
            value += cost;
        }
        double choice = cost < 0 ? 1.0 : 0.0;
        double& average = lagrangian.averageChoice[c];
        average = lagrangian.evaluated ? ChoiceWeight * choice + (1 - ChoiceWeight) * average : choice;
    }
    lagrangian.value = value;
    lagrangian.evaluated = true;
    spendWork(budget, instance.columnElements.size() + instance.elementCount);
}

bool stepMultipliers(Lagrangian& lagrangian, const CoverInstance& instance, double target,
                     double stepFactor, std::vector<double>& subgradient, WorkBudget& budget) {
    subgradient.assign(instance.demand.begin(), instance.demand.end());
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double average = lagrangian.averageChoice[c];
        if (average > NegligibleChoice) {
            for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
                subgradient[*e] -= average;
            }
            spendWork(budget, columnSize(instance, c));
        }
    }
    double norm = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (lagrangian.multiplier[e] <= 0 && subgradient[e] < 0) {
            subgradient[e] = 0;
        }
        norm += subgradient[e] * subgradient[e];
    }
    spendWork(budget, instance.elementCount);
    if (norm <= 0) {
        return false;
    }
    double step = stepFactor * std::max(target - lagrangian.value, 0.0) / norm;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        lagrangian.multiplier[e] = std::max(0.0, lagrangian.multiplier[e] + step * subgradient[e]);
    }
    return true;
}

uint32_t integerBound(double value) {
    double lowered = value - 1e-6 * std::max(1.0, std::fabs(value));
    if (!(lowered > 0)) {
        return 0;
    }
    return static_cast<uint32_t>(std::ceil(lowered));
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
    Lagrangian start = startLagrangian(instance);
    evaluateLagrangian(start, instance, budget);
    spendWork(budget, instance.elementColumns.size());
    return std::max(disjointElementCount(instance, budget), integerBound(start.value));
}
