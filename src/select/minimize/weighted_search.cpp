#include "select/minimize/weighted_search.h"

#include <algorithm>

namespace {

// The search gives up after StallPerItem steps per column and element
// without a smaller cover, or StallFactor times the steps it took to find
// the last one if that is more.
constexpr uint64_t StallPerItem = 50;
constexpr uint64_t StallFactor = 8;
// A run that has not found a smaller cover of its own for RestartPerColumn
// steps per column starts over from the first cover, with fresh weights and
// the random numbers where they are: a run that settles in one region
// rarely leaves it, and another run finds what it misses.
constexpr uint64_t RestartPerColumn = 200;

// A set of numbers below a bound, listed in any order, with the place of each.
struct IndexedSet {
    std::vector<uint32_t> items;
    std::vector<uint32_t> place;
};

void insertItem(IndexedSet& set, uint32_t item) {
    set.place[item] = static_cast<uint32_t>(set.items.size());
    set.items.push_back(item);
}

void eraseItem(IndexedSet& set, uint32_t item) {
    uint32_t last = set.items.back();
    set.items[set.place[item]] = last;
    set.place[last] = set.place[item];
    set.items.pop_back();
}

// An element is unmet while fewer chosen columns cover it than it demands.
// The score of an unchosen column is the weight of the unmet elements it
// covers; that of a chosen one, minus the weight of the elements it is
// critical to (covered no more often than their demand).
struct WeightedSearch {
    const CoverInstance& instance;
    WorkBudget& budget;
    std::vector<uint8_t> chosen;       // per column
    std::vector<uint8_t> mayEnter;     // per column: something around it changed since it left
    std::vector<int64_t> score;        // per column
    std::vector<uint64_t> movedAt;     // per column: the step it last came or went
    std::vector<uint32_t> coverCount;  // per element
    std::vector<uint64_t> coverSum;    // per element: the sum of its chosen columns
    std::vector<uint64_t> weight;      // per element
    IndexedSet chosenColumns;
    IndexedSet unmetElements;
    uint64_t step = 0;
};

// Nothing chosen: every element unmet, every column scores its size.
WeightedSearch emptySearch(const CoverInstance& instance, WorkBudget& budget) {
    WeightedSearch search{instance,
                          budget,
                          std::vector<uint8_t>(instance.columnCount, 0),
                          std::vector<uint8_t>(instance.columnCount, 1),
                          std::vector<int64_t>(instance.columnCount, 0),
                          std::vector<uint64_t>(instance.columnCount, 0),
                          std::vector<uint32_t>(instance.elementCount, 0),
                          std::vector<uint64_t>(instance.elementCount, 0),
                          std::vector<uint64_t>(instance.elementCount, 1),
                          IndexedSet{{}, std::vector<uint32_t>(instance.columnCount, 0)},
                          IndexedSet{{}, std::vector<uint32_t>(instance.elementCount, 0)},
                          0};
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        search.score[c] = columnSize(instance, c);
    }
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        insertItem(search.unmetElements, e);
    }
    spendWork(budget, uint64_t{instance.columnCount} + instance.elementCount);
    return search;
}

// Calls visit(column) for each chosen column of `element`: the sole one from
// coverSum when one covers it, else those of its list.
template <typename Visit>
void forChosenOf(const WeightedSearch& search, uint32_t element, Visit visit) {
    if (search.coverCount[element] == 1) {
        visit(static_cast<uint32_t>(search.coverSum[element]));
        return;
    }
    const CoverInstance& instance = search.instance;
    for (const uint32_t* c = elementBegin(instance, element); c != elementEnd(instance, element); ++c) {
        if (search.chosen[*c]) {
            visit(*c);
        }
    }
    spendWork(search.budget, elementDegree(instance, element));
}

// The unchosen columns of `element` but `except` gain `amount` of score.
void raiseUnchosen(WeightedSearch& search, uint32_t element, uint32_t except, int64_t amount) {
    const CoverInstance& instance = search.instance;
    for (const uint32_t* c = elementBegin(instance, element); c != elementEnd(instance, element); ++c) {
        if (!search.chosen[*c] && *c != except) {
            search.score[*c] += amount;
            search.mayEnter[*c] = 1;
        }
    }
    spendWork(search.budget, elementDegree(instance, element));
}

void addColumn(WeightedSearch& search, uint32_t column) {
    const CoverInstance& instance = search.instance;
    for (const uint32_t* e = columnBegin(instance, column); e != columnEnd(instance, column); ++e) {
        uint32_t count = search.coverCount[*e];
        uint32_t demand = instance.demand[*e];
        auto weight = static_cast<int64_t>(search.weight[*e]);
        if (count + 1 == demand) {
            raiseUnchosen(search, *e, column, -weight);
            eraseItem(search.unmetElements, *e);
        } else if (count == demand) {
            forChosenOf(search, *e, [&](uint32_t other) { search.score[other] += weight; });
        }
        search.coverCount[*e] = count + 1;
        search.coverSum[*e] += column;
    }
    spendWork(search.budget, columnSize(instance, column));
    // The elements it gained score from are exactly those it is now critical to.
    search.score[column] = -search.score[column];
    search.chosen[column] = 1;
    search.movedAt[column] = search.step;
    insertItem(search.chosenColumns, column);
}

void removeColumn(WeightedSearch& search, uint32_t column) {
    const CoverInstance& instance = search.instance;
    search.chosen[column] = 0;
    eraseItem(search.chosenColumns, column);
    for (const uint32_t* e = columnBegin(instance, column); e != columnEnd(instance, column); ++e) {
        uint32_t count = search.coverCount[*e]--;
        search.coverSum[*e] -= column;
        uint32_t demand = instance.demand[*e];
        auto weight = static_cast<int64_t>(search.weight[*e]);
        if (count == demand) {
            raiseUnchosen(search, *e, column, weight);
            insertItem(search.unmetElements, *e);
        } else if (count == demand + 1) {
            forChosenOf(search, *e, [&](uint32_t other) { search.score[other] -= weight; });
        }
    }
    spendWork(search.budget, columnSize(instance, column));
    search.score[column] = -search.score[column];
    search.mayEnter[column] = 0;
    search.movedAt[column] = search.step;
}

// Higher score first, then the column that moved longest ago.
bool better(const WeightedSearch& search, uint32_t a, uint32_t b) {
    return search.score[a] > search.score[b] ||
           (search.score[a] == search.score[b] && search.movedAt[a] < search.movedAt[b]);
}

// The chosen column to drop: the best one but `keep`, or UINT32_MAX.
uint32_t columnToDrop(WeightedSearch& search, uint32_t keep) {
    uint32_t pick = UINT32_MAX;
    for (uint32_t column : search.chosenColumns.items) {
        if (column != keep && (pick == UINT32_MAX || better(search, column, pick))) {
            pick = column;
        }
    }
    spendWork(search.budget, search.chosenColumns.items.size());
    return pick;
}

// The unchosen column of `element` to add: the best of those that may enter,
// or of all when none may.
uint32_t columnToAdd(WeightedSearch& search, uint32_t element) {
    const CoverInstance& instance = search.instance;
    uint32_t pick = UINT32_MAX;
    uint32_t anyPick = UINT32_MAX;
    for (const uint32_t* c = elementBegin(instance, element); c != elementEnd(instance, element); ++c) {
        if (search.chosen[*c]) {
            continue;
        }
        if (anyPick == UINT32_MAX || better(search, *c, anyPick)) {
            anyPick = *c;
        }
        if (search.mayEnter[*c] && (pick == UINT32_MAX || better(search, *c, pick))) {
            pick = *c;
        }
    }
    spendWork(search.budget, elementDegree(instance, element));
    return pick != UINT32_MAX ? pick : anyPick;
}

void raiseUnmetWeights(WeightedSearch& search) {
    const CoverInstance& instance = search.instance;
    for (uint32_t element : search.unmetElements.items) {
        ++search.weight[element];
        for (const uint32_t* c = elementBegin(instance, element); c != elementEnd(instance, element); ++c) {
            search.score[*c] += search.chosen[*c] ? -1 : 1;
        }
        spendWork(search.budget, elementDegree(instance, element));
    }
}

}  // namespace

std::vector<uint32_t> searchWithWeights(const CoverInstance& instance, const std::vector<uint32_t>& cover,
                                        uint32_t goal, SearchRandom& random, WorkBudget& budget) {
    std::vector<uint32_t> best = cover;
    if (cover.size() <= goal || !workLeft(budget)) {
        return best;
    }
    uint64_t step = 0;       // over all runs
    uint64_t lastFound = 0;  // the step of the best cover
    uint64_t minStall = StallPerItem * (uint64_t{instance.columnCount} + instance.elementCount);
    uint64_t restartAfter = RestartPerColumn * instance.columnCount;
    auto stalled = [&] { return step - lastFound >= std::max(minStall, StallFactor * lastFound); };
    while (workLeft(budget) && !stalled()) {
        WeightedSearch search = emptySearch(instance, budget);
        for (uint32_t column : cover) {
            addColumn(search, column);
        }
        size_t runBest = cover.size();
        uint64_t runFound = step;  // the step of the run's best cover
        uint32_t lastAdded = UINT32_MAX;
        while (workLeft(budget) && !stalled() && step - runFound < restartAfter) {
            // A cover: the best so far when smaller; then one column less.
            while (search.unmetElements.items.empty()) {
                size_t size = search.chosenColumns.items.size();
                if (size < runBest) {
                    runBest = size;
                    runFound = step;
                }
                if (size < best.size()) {
                    best = search.chosenColumns.items;
                    lastFound = step;
                    std::sort(best.begin(), best.end());
                    if (best.size() <= goal) {
                        return best;
                    }
                }
                removeColumn(search, columnToDrop(search, UINT32_MAX));
            }
            ++step;
            ++search.step;
            uint32_t drop = columnToDrop(search, lastAdded);
            if (drop != UINT32_MAX) {
                removeColumn(search, drop);
            }
            uint32_t element = search.unmetElements.items[randomBelow(
                random, static_cast<uint32_t>(search.unmetElements.items.size()))];
            lastAdded = columnToAdd(search, element);
            addColumn(search, lastAdded);
            raiseUnmetWeights(search);
        }
    }
    return best;
}
