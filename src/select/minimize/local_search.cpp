#include "select/minimize/local_search.h"

#include <algorithm>
#include <numeric>

namespace {

uint32_t nextStamp(SwapScratch& scratch) {
    if (++scratch.stampValue == 0) {
        std::fill(scratch.stamp.begin(), scratch.stamp.end(), 0);
        scratch.stampValue = 1;
    }
    return scratch.stampValue;
}

// Tries to bring column k in for chosen columns it makes redundant, at least
// two of them. `full` holds the chosen columns all of whose critical elements
// k relieves: any column that k lets go is one of them.
bool tryColumn(CoverSolution& solution, const CoverInstance& instance, uint32_t k,
               const std::vector<uint32_t>& full, WorkBudget& budget) {
    for (uint32_t a : full) {
        addColumn(solution, instance, k);
        removeColumn(solution, instance, a);
        spendWork(budget, columnSize(instance, k) + columnSize(instance, a));
        bool gained = false;
        for (uint32_t b : full) {
            if (b != a && solution.chosen[b] && solution.criticalCount[b] == 0) {
                removeColumn(solution, instance, b);
                spendWork(budget, columnSize(instance, b));
                gained = true;
            }
        }
        if (gained) {
            return true;
        }
        addColumn(solution, instance, a);
        removeColumn(solution, instance, k);
        spendWork(budget, columnSize(instance, k) + columnSize(instance, a));
    }
    return false;
}

}  // namespace

uint32_t swapTwoForOne(CoverSolution& solution, const CoverInstance& instance,
                       SwapScratch& scratch, WorkBudget& budget) {
    scratch.hits.resize(instance.columnCount);
    scratch.stamp.resize(instance.columnCount, 0);
    std::vector<uint32_t> full;
    uint32_t moves = 0;
    bool improved = true;
    while (improved && workLeft(budget)) {
        improved = false;
        for (uint32_t k = 0; k < instance.columnCount && workLeft(budget); ++k) {
            if (solution.chosen[k]) {
                continue;
            }
            // How many of its critical elements k relieves, per chosen column:
            // those covered exactly as often as their demand.
            uint32_t mark = nextStamp(scratch);
            scratch.touched.clear();
            for (const uint32_t* e = columnBegin(instance, k); e != columnEnd(instance, k); ++e) {
                if (solution.coverCount[*e] != instance.demand[*e]) {
                    continue;
                }
                forChosenColumns(solution, instance, *e, [&](uint32_t a) {
                    if (scratch.stamp[a] != mark) {
                        scratch.stamp[a] = mark;
                        scratch.hits[a] = 0;
                        scratch.touched.push_back(a);
                    }
                    ++scratch.hits[a];
                });
            }
            spendWork(budget, columnSize(instance, k));
            full.clear();
            for (uint32_t a : scratch.touched) {
                if (scratch.hits[a] == solution.criticalCount[a]) {
                    full.push_back(a);
                }
            }
            if (full.size() >= 2 && tryColumn(solution, instance, k, full, budget)) {
                ++moves;
                improved = true;
            }
        }
    }
    return moves;
}

void polishCover(CoverSolution& solution, const CoverInstance& instance,
                 const std::vector<double>& cost, SwapScratch& scratch, WorkBudget& budget) {
    std::vector<uint32_t> order = chosenColumns(solution);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return cost[a] > cost[b]; });
    dropRedundant(solution, instance, order, budget);
    while (swapTwoForOne(solution, instance, scratch, budget) > 0) {
        dropRedundant(solution, instance, chosenColumns(solution), budget);
    }
}
