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
        if (!workLeft(budget)) {
            return false;
        }
        addColumn(solution, instance, k, budget);
        removeColumn(solution, instance, a, budget);
        bool gained = false;
        for (uint32_t b : full) {
            if (b != a && solution.chosen[b] && solution.criticalCount[b] == 0) {
                removeColumn(solution, instance, b, budget);
                gained = true;
            }
        }
        spendWork(budget, full.size());
        if (gained) {
            return true;
        }
        addColumn(solution, instance, a, budget);
        removeColumn(solution, instance, k, budget);
    }
    return false;
}

// Calls visit(element) for each element of column k that the solution
// covers exactly as often as it demands; returns the entries looked at.
template <typename Visit>
uint64_t forTightElements(const CoverSolution& solution, const CoverInstance& instance, uint32_t k,
                          Visit visit) {
    uint64_t work = columnSize(instance, k);
    for (const uint32_t* e = columnBegin(instance, k); e != columnEnd(instance, k); ++e) {
        if (solution.coverCount[*e] == instance.demand[*e]) {
            work += visit(*e);
        }
    }
    return work;
}

// The chosen columns all of whose critical elements column k relieves
// (covers), in scratch.full; each of them is marked in scratch.hits by 1,
// every other chosen column of k's tight elements by 0.
void gatherRelieved(const CoverSolution& solution, const CoverInstance& instance, uint32_t k,
                    SwapScratch& scratch, WorkBudget& budget) {
    uint32_t mark = nextStamp(scratch);
    scratch.touched.clear();
    spendWork(budget, forTightElements(solution, instance, k, [&](uint32_t e) {
        return forChosenColumns(solution, instance, e, [&](uint32_t a) {
            if (scratch.stamp[a] != mark) {
                scratch.stamp[a] = mark;
                scratch.hits[a] = 0;
                scratch.touched.push_back(a);
            }
            ++scratch.hits[a];
        });
    }));
    scratch.full.clear();
    for (uint32_t a : scratch.touched) {
        bool relieved = scratch.hits[a] == solution.criticalCount[a];
        scratch.hits[a] = relieved ? 1 : 0;
        if (relieved) {
            scratch.full.push_back(a);
        }
    }
    spendWork(budget, scratch.touched.size());
}

// Whether one tight element of k holds every relieved column: with k in,
// it is covered once more than it demands, so no two of them can go.
bool oneElementHoldsAll(const CoverSolution& solution, const CoverInstance& instance, uint32_t k,
                        const SwapScratch& scratch, WorkBudget& budget) {
    bool holdsAll = false;
    spendWork(budget, forTightElements(solution, instance, k, [&](uint32_t e) -> uint64_t {
        if (holdsAll) {
            return 0;
        }
        size_t held = 0;
        uint64_t work = forChosenColumns(solution, instance, e, [&](uint32_t a) { held += scratch.hits[a]; });
        holdsAll = held == scratch.full.size();
        return work;
    }));
    return holdsAll;
}

}  // namespace

uint32_t swapTwoForOne(CoverSolution& solution, const CoverInstance& instance, uint32_t floor,
                       SwapScratch& scratch, WorkBudget& budget) {
    scratch.hits.resize(instance.columnCount);
    scratch.stamp.resize(instance.columnCount, 0);
    uint32_t moves = 0;
    bool improved = true;
    while (improved && solution.size > floor && workLeft(budget)) {
        improved = false;
        for (uint32_t k = 0; k < instance.columnCount && solution.size > floor && workLeft(budget); ++k) {
            spendWork(budget, 1);
            if (solution.chosen[k]) {
                continue;
            }
            gatherRelieved(solution, instance, k, scratch, budget);
            if (scratch.full.size() >= 2 && !oneElementHoldsAll(solution, instance, k, scratch, budget) &&
                tryColumn(solution, instance, k, scratch.full, budget)) {
                ++moves;
                improved = true;
            }
        }
    }
    return moves;
}

void polishCover(CoverSolution& solution, const CoverInstance& instance, const std::vector<double>& cost,
                 uint32_t floor, SwapScratch& scratch, WorkBudget& budget) {
    std::vector<uint32_t> order = chosenColumns(solution);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return cost[a] > cost[b]; });
    dropRedundant(solution, instance, order, budget);
    while (swapTwoForOne(solution, instance, floor, scratch, budget) > 0) {
        dropRedundant(solution, instance, chosenColumns(solution), budget);
    }
}
