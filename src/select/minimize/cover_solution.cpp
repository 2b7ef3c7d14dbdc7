#include "select/minimize/cover_solution.h"

#include <queue>

CoverSolution emptySolution(const CoverInstance& instance) {
    CoverSolution solution;
    solution.chosen.assign(instance.columnCount, 0);
    solution.coverCount.assign(instance.elementCount, 0);
    solution.coverSum.assign(instance.elementCount, 0);
    solution.criticalCount.assign(instance.columnCount, 0);
    solution.uncovered = instance.elementCount;
    return solution;
}

void addColumn(CoverSolution& solution, const CoverInstance& instance, uint32_t column, WorkBudget& budget) {
    uint64_t work = columnSize(instance, column);
    ++solution.size;
    for (const uint32_t* e = columnBegin(instance, column); e != columnEnd(instance, column); ++e) {
        uint32_t demand = instance.demand[*e];
        uint32_t before = solution.coverCount[*e];
        if (before < demand) {
            ++solution.criticalCount[column];
            solution.uncovered -= before + 1 == demand ? 1 : 0;
        } else if (before == demand) {
            // The column not yet marked: these are the others, no longer critical.
            work += forChosenColumns(solution, instance, *e,
                                     [&](uint32_t other) { --solution.criticalCount[other]; });
        }
        solution.coverCount[*e] = before + 1;
        solution.coverSum[*e] += column;
    }
    solution.chosen[column] = 1;
    spendWork(budget, work);
}

void removeColumn(CoverSolution& solution, const CoverInstance& instance, uint32_t column, WorkBudget& budget) {
    uint64_t work = columnSize(instance, column);
    solution.chosen[column] = 0;
    --solution.size;
    for (const uint32_t* e = columnBegin(instance, column); e != columnEnd(instance, column); ++e) {
        uint32_t demand = instance.demand[*e];
        uint32_t before = solution.coverCount[*e]--;
        solution.coverSum[*e] -= column;
        if (before <= demand) {
            --solution.criticalCount[column];
            solution.uncovered += before == demand ? 1 : 0;
        } else if (before == demand + 1) {
            // The column no longer marked: the others, critical again.
            work += forChosenColumns(solution, instance, *e,
                                     [&](uint32_t other) { ++solution.criticalCount[other]; });
        }
    }
    spendWork(budget, work);
}

std::vector<uint32_t> chosenColumns(const CoverSolution& solution) {
    std::vector<uint32_t> columns;
    for (uint32_t c = 0; c < solution.chosen.size(); ++c) {
        if (solution.chosen[c]) {
            columns.push_back(c);
        }
    }
    return columns;
}

void dropRedundant(CoverSolution& solution, const CoverInstance& instance,
                   const std::vector<uint32_t>& order, WorkBudget& budget) {
    for (uint32_t column : order) {
        if (solution.chosen[column] && solution.criticalCount[column] == 0) {
            removeColumn(solution, instance, column, budget);
        }
    }
}

namespace {

double greedyScore(double cost, uint32_t newlyCovered) {
    return cost > 0 ? cost / newlyCovered : cost * newlyCovered;
}

struct ScoredColumn {
    double score;
    uint32_t column;
    uint32_t newlyCovered;  // when the score was computed
};

// Lowest score first, then lowest column.
struct LaterInHeap {
    bool operator()(const ScoredColumn& a, const ScoredColumn& b) const {
        return a.score > b.score || (a.score == b.score && a.column > b.column);
    }
};

}  // namespace

void completeCover(CoverSolution& solution, const CoverInstance& instance,
                      const std::vector<double>& cost, WorkBudget& budget) {
    if (solution.uncovered == 0) {
        return;
    }
    // Scores only grow as elements get met, so a column whose count is
    // still the one it was scored with is the best one (lazy evaluation).
    std::vector<uint32_t> newlyCovered(instance.columnCount, 0);
    std::priority_queue<ScoredColumn, std::vector<ScoredColumn>, LaterInHeap> heap;
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (solution.chosen[c]) {
            continue;
        }
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            newlyCovered[c] += solution.coverCount[*e] < instance.demand[*e] ? 1 : 0;
        }
        if (newlyCovered[c] > 0) {
            heap.push({greedyScore(cost[c], newlyCovered[c]), c, newlyCovered[c]});
        }
    }
    spendWork(budget, instance.columnElements.size());
    while (solution.uncovered > 0 && !heap.empty()) {
        ScoredColumn top = heap.top();
        heap.pop();
        uint32_t c = top.column;
        if (newlyCovered[c] == 0) {
            continue;
        }
        if (newlyCovered[c] != top.newlyCovered) {
            heap.push({greedyScore(cost[c], newlyCovered[c]), c, newlyCovered[c]});
            continue;
        }
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            if (solution.coverCount[*e] + 1 == instance.demand[*e]) {
                for (const uint32_t* k = elementBegin(instance, *e); k != elementEnd(instance, *e); ++k) {
                    newlyCovered[*k] -= solution.chosen[*k] ? 0 : 1;
                }
                spendWork(budget, elementDegree(instance, *e));
            }
        }
        addColumn(solution, instance, c, budget);
        newlyCovered[c] = 0;
    }
}
