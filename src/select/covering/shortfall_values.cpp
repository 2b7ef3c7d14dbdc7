#include "select/covering/shortfall_values.h"

#include <algorithm>
#include <utility>

bool capped(const ShortfallProblem& problem) { return problem.columnCap < problem.instance.columnCount; }

// sum of demand * u.
double demandValue(const CoverInstance& instance, const std::vector<double>& u) {
    double value = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        value += instance.demand[e] * u[e];
    }
    return value;
}

void fillReducedCosts(const ShortfallProblem& problem, const std::vector<double>& u, std::vector<double>& cost) {
    const CoverInstance& instance = problem.instance;
    cost.resize(instance.columnCount);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double sum = 0;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            sum += u[*e];
        }
        cost[c] = problem.columnCost - sum;
    }
}

void computeReducedCosts(const ShortfallProblem& problem, const std::vector<double>& u, std::vector<double>& cost,
                         WorkBudget& budget) {
    fillReducedCosts(problem, u, cost);
    spendWork(budget, problem.instance.columnElements.size() + problem.instance.columnCount);
}

// With a cap: marks the `columnCap` columns of least reduced cost (the lower
// column on ties) that have a negative one.
void markCheapest(const ShortfallProblem& problem, const std::vector<double>& cost, std::vector<uint8_t>& taken,
                  WorkBudget& budget) {
    std::vector<std::pair<double, uint32_t>> order(cost.size());
    for (uint32_t c = 0; c < cost.size(); ++c) {
        order[c] = {cost[c], c};
    }
    auto cap = static_cast<std::ptrdiff_t>(problem.columnCap);
    std::nth_element(order.begin(), order.begin() + cap, order.end());
    taken.assign(cost.size(), 0);
    for (auto c = order.begin(); c != order.begin() + cap; ++c) {
        taken[c->second] = c->first < 0 ? 1 : 0;
    }
    spendWork(budget, 3 * cost.size());
}

// D(u) from the reduced costs of u.
double lowerBoundOf(const ShortfallProblem& problem, const std::vector<double>& u, const std::vector<double>& cost,
                    std::vector<uint8_t>& taken, WorkBudget& budget) {
    double value = demandValue(problem.instance, u);
    if (capped(problem)) {
        markCheapest(problem, cost, taken, budget);
        for (uint32_t c = 0; c < cost.size(); ++c) {
            value += taken[c] ? cost[c] : 0.0;
        }
    } else {
        for (double c : cost) {
            value += std::min(0.0, c);
        }
    }
    spendWork(budget, uint64_t{problem.instance.elementCount} + cost.size());
    return value;
}

// (A v)_e for every element, from the columns where v is not 0.
void columnSums(const CoverInstance& instance, const std::vector<double>& v, std::vector<double>& sums,
                WorkBudget& budget) {
    sums.assign(instance.elementCount, 0.0);
    uint64_t visited = 0;
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (v[c] == 0) {
            continue;
        }
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            sums[*e] += v[c];
        }
        visited += columnSize(instance, c);
    }
    spendWork(budget, visited + instance.columnCount + instance.elementCount);
}

// P(x): the columns' cost and the demand they leave short.
double upperBoundOf(const ShortfallProblem& problem, const std::vector<double>& x, std::vector<double>& covered,
                    WorkBudget& budget) {
    const CoverInstance& instance = problem.instance;
    columnSums(instance, x, covered, budget);
    double value = 0;
    for (double share : x) {
        value += problem.columnCost * share;
    }
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        value += elementWeight(instance, e) * std::max(0.0, instance.demand[e] - covered[e]);
    }
    return value;
}
