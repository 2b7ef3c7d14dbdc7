// Reductions of the residual instance. Every removal is justified by columns
// or an element that stay: a column that as many other columns contain as
// its elements demand can be swapped for one of them that a cover lacks (a
// cover holding them all does without it), and an element is met whenever
// an element of no smaller demand is whose columns are all among its own.
// So the optimum stays the same and every cover of what is left, with the
// fixed vectors, meets every kept demand.
#include <algorithm>

#include "select/minimize/kept_cover.h"

namespace {

struct Reduction {
    const CoverInstance& instance;
    std::vector<uint8_t> columnAlive;
    std::vector<uint8_t> elementAlive;
    std::vector<uint32_t> aliveSize;    // per column: alive elements
    std::vector<uint32_t> aliveDegree;  // per element: alive columns
    std::vector<uint32_t> demand;       // per element: what the fixed columns leave
    std::vector<uint32_t> stamp;        // marks of the current check
    uint32_t stampValue = 0;
    std::vector<uint32_t> newlyFixed;   // columns
    bool changed = false;
};

Reduction startReduction(const CoverInstance& instance) {
    Reduction reduction{instance, std::vector<uint8_t>(instance.columnCount, 1),
                std::vector<uint8_t>(instance.elementCount, 1),
                std::vector<uint32_t>(instance.columnCount),
                std::vector<uint32_t>(instance.elementCount), instance.demand,
                std::vector<uint32_t>(std::max(instance.columnCount, instance.elementCount), 0),
                0, {}, false};
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        reduction.aliveSize[c] = columnSize(instance, c);
    }
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        reduction.aliveDegree[e] = elementDegree(instance, e);
    }
    return reduction;
}

void killColumn(Reduction& reduction, uint32_t column) {
    reduction.columnAlive[column] = 0;
    reduction.changed = true;
    for (const uint32_t* e = columnBegin(reduction.instance, column); e != columnEnd(reduction.instance, column); ++e) {
        --reduction.aliveDegree[*e];
    }
}

void killElement(Reduction& reduction, uint32_t element) {
    reduction.elementAlive[element] = 0;
    reduction.changed = true;
    for (const uint32_t* c = elementBegin(reduction.instance, element); c != elementEnd(reduction.instance, element); ++c) {
        --reduction.aliveSize[*c];
    }
}

uint32_t nextStamp(Reduction& reduction) {
    if (++reduction.stampValue == 0) {
        std::fill(reduction.stamp.begin(), reduction.stamp.end(), 0);
        reduction.stampValue = 1;
    }
    return reduction.stampValue;
}

void fixColumn(Reduction& reduction, uint32_t column, WorkBudget& budget) {
    const CoverInstance& instance = reduction.instance;
    reduction.newlyFixed.push_back(column);
    for (const uint32_t* f = columnBegin(instance, column); f != columnEnd(instance, column); ++f) {
        if (reduction.elementAlive[*f] && --reduction.demand[*f] == 0) {
            killElement(reduction, *f);
        }
    }
    killColumn(reduction, column);
    spendWork(budget, columnSize(instance, column));
}

// An element left with no more columns than its demand: each of them is in
// every cover.
void fixSoleColumns(Reduction& reduction, WorkBudget& budget) {
    const CoverInstance& instance = reduction.instance;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (!reduction.elementAlive[e] || reduction.aliveDegree[e] > reduction.demand[e]) {
            continue;
        }
        for (const uint32_t* c = elementBegin(instance, e); c != elementEnd(instance, e) && reduction.elementAlive[e];
             ++c) {
            if (reduction.columnAlive[*c]) {
                fixColumn(reduction, *c, budget);
            }
        }
    }
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (reduction.columnAlive[c] && reduction.aliveSize[c] == 0) {
            killColumn(reduction, c);
        }
    }
}

// Column j goes when as many alive columns k as the largest demand of its
// alive elements cover all of them, each larger, or as large and of lower
// index. Such a k holds j's rarest element.
void removeDominatedColumns(Reduction& reduction, WorkBudget& budget) {
    const CoverInstance& instance = reduction.instance;
    for (uint32_t j = 0; j < instance.columnCount && workLeft(budget); ++j) {
        if (!reduction.columnAlive[j]) {
            continue;
        }
        uint32_t mark = nextStamp(reduction);
        uint32_t rarest = 0;
        uint32_t rarestDegree = UINT32_MAX;
        uint32_t dominatorsNeeded = 0;
        for (const uint32_t* e = columnBegin(instance, j); e != columnEnd(instance, j); ++e) {
            if (reduction.elementAlive[*e]) {
                reduction.stamp[*e] = mark;
                dominatorsNeeded = std::max(dominatorsNeeded, reduction.demand[*e]);
                if (reduction.aliveDegree[*e] < rarestDegree) {
                    rarestDegree = reduction.aliveDegree[*e];
                    rarest = *e;
                }
            }
        }
        spendWork(budget, columnSize(instance, j));
        for (const uint32_t* k = elementBegin(instance, rarest); k != elementEnd(instance, rarest); ++k) {
            if (*k == j || !reduction.columnAlive[*k] || reduction.aliveSize[*k] < reduction.aliveSize[j] ||
                (reduction.aliveSize[*k] == reduction.aliveSize[j] && *k > j)) {
                continue;
            }
            uint32_t shared = 0;
            for (const uint32_t* e = columnBegin(instance, *k); e != columnEnd(instance, *k); ++e) {
                shared += (reduction.stamp[*e] == mark && reduction.elementAlive[*e]) ? 1 : 0;
            }
            spendWork(budget, columnSize(instance, *k));
            if (shared == reduction.aliveSize[j] && --dominatorsNeeded == 0) {
                killColumn(reduction, j);
                break;
            }
        }
    }
}

// Element e goes when the alive columns of an alive element d of no smaller
// demand are all columns of e, d having fewer columns, or as many and a
// larger demand or a lower index. Every such e lies in each column of d, in
// particular in d's smallest one.
void removeDominatedElements(Reduction& reduction, WorkBudget& budget) {
    const CoverInstance& instance = reduction.instance;
    for (uint32_t d = 0; d < instance.elementCount && workLeft(budget); ++d) {
        if (!reduction.elementAlive[d]) {
            continue;
        }
        uint32_t mark = nextStamp(reduction);
        uint32_t smallest = 0;
        uint32_t smallestSize = UINT32_MAX;
        for (const uint32_t* c = elementBegin(instance, d); c != elementEnd(instance, d); ++c) {
            if (reduction.columnAlive[*c]) {
                reduction.stamp[*c] = mark;
                if (reduction.aliveSize[*c] < smallestSize) {
                    smallestSize = reduction.aliveSize[*c];
                    smallest = *c;
                }
            }
        }
        spendWork(budget, elementDegree(instance, d));
        for (const uint32_t* e = columnBegin(instance, smallest); e != columnEnd(instance, smallest); ++e) {
            if (*e == d || !reduction.elementAlive[*e] || reduction.aliveDegree[*e] < reduction.aliveDegree[d] ||
                reduction.demand[*e] > reduction.demand[d] ||
                (reduction.aliveDegree[*e] == reduction.aliveDegree[d] &&
                 reduction.demand[*e] == reduction.demand[d] && *e < d)) {
                continue;
            }
            uint32_t shared = 0;
            for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                shared += (reduction.stamp[*c] == mark && reduction.columnAlive[*c]) ? 1 : 0;
            }
            spendWork(budget, elementDegree(instance, *e));
            if (shared == reduction.aliveDegree[d]) {
                killElement(reduction, *e);
            }
        }
    }
}

// The alive columns with their alive elements, renumbered in order.
struct AliveColumns {
    std::vector<uint32_t> demand;
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
};

AliveColumns keepAlive(const Reduction& reduction) {
    const CoverInstance& instance = reduction.instance;
    AliveColumns alive;
    std::vector<uint32_t> elementNumber(instance.elementCount, 0);
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (reduction.elementAlive[e]) {
            elementNumber[e] = static_cast<uint32_t>(alive.demand.size());
            alive.demand.push_back(reduction.demand[e]);
        }
    }
    CoverOffset entries = 0;
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        entries += reduction.columnAlive[c] ? reduction.aliveSize[c] : 0;
    }
    alive.columnElements.reserve(entries);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (!reduction.columnAlive[c]) {
            continue;
        }
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            if (reduction.elementAlive[*e]) {
                alive.columnElements.push_back(elementNumber[*e]);
            }
        }
        alive.columnVector.push_back(instance.columnVector[c]);
        alive.columnStart.push_back(alive.columnElements.size());
    }
    return alive;
}

}  // namespace

void reduceKeptCover(KeptCover& cover, WorkBudget& budget) {
    AliveColumns alive;
    {
        Reduction reduction = startReduction(cover.residual);
        do {
            reduction.changed = false;
            fixSoleColumns(reduction, budget);
            removeDominatedColumns(reduction, budget);
            fixSoleColumns(reduction, budget);
            removeDominatedElements(reduction, budget);
        } while (reduction.changed && workLeft(budget));
        for (uint32_t column : reduction.newlyFixed) {
            cover.fixedVectors.push_back(cover.residual.columnVector[column]);
        }
        alive = keepAlive(reduction);
    }
    std::sort(cover.fixedVectors.begin(), cover.fixedVectors.end());
    // The reduction's arrays and the old instance go before the reduced
    // instance is transposed.
    cover.residual = CoverInstance{};
    cover.residual = makeCoverInstance(std::move(alive.demand), std::move(alive.columnVector),
                                       std::move(alive.columnStart), std::move(alive.columnElements));
}
