// Reductions of the residual instance. Every removal is justified by a column
// or element that stays: a dominated column can be swapped for its dominator
// in any cover, and a dominated element is covered whenever the element that
// dominates it is. So the optimum stays the same and every cover of what is
// left, with the fixed vectors, covers every kept fault.
#include <algorithm>

#include "select/minimize/cover_instance.h"

namespace {

struct Reduction {
    const CoverInstance& instance;
    std::vector<uint8_t> columnAlive;
    std::vector<uint8_t> elementAlive;
    std::vector<uint32_t> aliveSize;    // per column: alive elements
    std::vector<uint32_t> aliveDegree;  // per element: alive columns
    std::vector<uint32_t> stamp;        // marks of the current check
    uint32_t stampValue = 0;
    std::vector<uint32_t> newlyFixed;   // columns
    bool changed = false;
};

Reduction startReduction(const CoverInstance& instance) {
    Reduction r{instance, std::vector<uint8_t>(instance.columnCount, 1),
                std::vector<uint8_t>(instance.elementCount, 1),
                std::vector<uint32_t>(instance.columnCount),
                std::vector<uint32_t>(instance.elementCount),
                std::vector<uint32_t>(std::max(instance.columnCount, instance.elementCount), 0),
                0, {}, false};
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        r.aliveSize[c] = columnSize(instance, c);
    }
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        r.aliveDegree[e] = elementDegree(instance, e);
    }
    return r;
}

void killColumn(Reduction& r, uint32_t column) {
    r.columnAlive[column] = 0;
    r.changed = true;
    for (const uint32_t* e = columnBegin(r.instance, column); e != columnEnd(r.instance, column); ++e) {
        --r.aliveDegree[*e];
    }
}

void killElement(Reduction& r, uint32_t element) {
    r.elementAlive[element] = 0;
    r.changed = true;
    for (const uint32_t* c = elementBegin(r.instance, element); c != elementEnd(r.instance, element); ++c) {
        --r.aliveSize[*c];
    }
}

uint32_t nextStamp(Reduction& r) {
    if (++r.stampValue == 0) {
        std::fill(r.stamp.begin(), r.stamp.end(), 0);
        r.stampValue = 1;
    }
    return r.stampValue;
}

// An element left with one column: that column is in every cover.
void fixSoleColumns(Reduction& r, WorkBudget& budget) {
    const CoverInstance& instance = r.instance;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (!r.elementAlive[e] || r.aliveDegree[e] != 1) {
            continue;
        }
        const uint32_t* c = elementBegin(instance, e);
        while (!r.columnAlive[*c]) {
            ++c;
        }
        uint32_t column = *c;
        r.newlyFixed.push_back(column);
        for (const uint32_t* f = columnBegin(instance, column); f != columnEnd(instance, column); ++f) {
            if (r.elementAlive[*f]) {
                killElement(r, *f);
            }
        }
        killColumn(r, column);
        spendWork(budget, columnSize(instance, column));
    }
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (r.columnAlive[c] && r.aliveSize[c] == 0) {
            killColumn(r, c);
        }
    }
}

// Column j goes when an alive column k covers all its alive elements and is
// larger, or as large and of lower index. Such a k holds j's rarest element.
void removeDominatedColumns(Reduction& r, WorkBudget& budget) {
    const CoverInstance& instance = r.instance;
    for (uint32_t j = 0; j < instance.columnCount && workLeft(budget); ++j) {
        if (!r.columnAlive[j]) {
            continue;
        }
        uint32_t mark = nextStamp(r);
        uint32_t rarest = 0;
        uint32_t rarestDegree = UINT32_MAX;
        for (const uint32_t* e = columnBegin(instance, j); e != columnEnd(instance, j); ++e) {
            if (r.elementAlive[*e]) {
                r.stamp[*e] = mark;
                if (r.aliveDegree[*e] < rarestDegree) {
                    rarestDegree = r.aliveDegree[*e];
                    rarest = *e;
                }
            }
        }
        spendWork(budget, columnSize(instance, j));
        for (const uint32_t* k = elementBegin(instance, rarest); k != elementEnd(instance, rarest); ++k) {
            if (*k == j || !r.columnAlive[*k] || r.aliveSize[*k] < r.aliveSize[j] ||
                (r.aliveSize[*k] == r.aliveSize[j] && *k > j)) {
                continue;
            }
            uint32_t shared = 0;
            for (const uint32_t* e = columnBegin(instance, *k); e != columnEnd(instance, *k); ++e) {
                shared += (r.stamp[*e] == mark && r.elementAlive[*e]) ? 1 : 0;
            }
            spendWork(budget, columnSize(instance, *k));
            if (shared == r.aliveSize[j]) {
                killColumn(r, j);
                break;
            }
        }
    }
}

// Element e goes when the alive columns of an alive element d are all
// columns of e, d having fewer columns, or as many and a lower index. Every
// such e lies in each column of d, in particular in d's smallest one.
void removeDominatedElements(Reduction& r, WorkBudget& budget) {
    const CoverInstance& instance = r.instance;
    for (uint32_t d = 0; d < instance.elementCount && workLeft(budget); ++d) {
        if (!r.elementAlive[d]) {
            continue;
        }
        uint32_t mark = nextStamp(r);
        uint32_t smallest = 0;
        uint32_t smallestSize = UINT32_MAX;
        for (const uint32_t* c = elementBegin(instance, d); c != elementEnd(instance, d); ++c) {
            if (r.columnAlive[*c]) {
                r.stamp[*c] = mark;
                if (r.aliveSize[*c] < smallestSize) {
                    smallestSize = r.aliveSize[*c];
                    smallest = *c;
                }
            }
        }
        spendWork(budget, elementDegree(instance, d));
        for (const uint32_t* e = columnBegin(instance, smallest); e != columnEnd(instance, smallest); ++e) {
            if (*e == d || !r.elementAlive[*e] || r.aliveDegree[*e] < r.aliveDegree[d] ||
                (r.aliveDegree[*e] == r.aliveDegree[d] && *e < d)) {
                continue;
            }
            uint32_t shared = 0;
            for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                shared += (r.stamp[*c] == mark && r.columnAlive[*c]) ? 1 : 0;
            }
            spendWork(budget, elementDegree(instance, *e));
            if (shared == r.aliveDegree[d]) {
                killElement(r, *e);
            }
        }
    }
}

// The alive columns with their alive elements, renumbered in order.
struct AliveColumns {
    uint32_t elementCount = 0;
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
};

AliveColumns keepAlive(const Reduction& r) {
    const CoverInstance& instance = r.instance;
    AliveColumns alive;
    std::vector<uint32_t> elementNumber(instance.elementCount, 0);
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (r.elementAlive[e]) {
            elementNumber[e] = alive.elementCount++;
        }
    }
    CoverOffset entries = 0;
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        entries += r.columnAlive[c] ? r.aliveSize[c] : 0;
    }
    alive.columnElements.reserve(entries);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (!r.columnAlive[c]) {
            continue;
        }
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            if (r.elementAlive[*e]) {
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
        Reduction r = startReduction(cover.residual);
        do {
            r.changed = false;
            fixSoleColumns(r, budget);
            removeDominatedColumns(r, budget);
            fixSoleColumns(r, budget);
            removeDominatedElements(r, budget);
        } while (r.changed && workLeft(budget));
        for (uint32_t column : r.newlyFixed) {
            cover.fixedVectors.push_back(cover.residual.columnVector[column]);
        }
        alive = keepAlive(r);
    }
    std::sort(cover.fixedVectors.begin(), cover.fixedVectors.end());
    // The reduction's arrays and the old instance go before the reduced
    // instance is transposed.
    cover.residual = CoverInstance{};
    cover.residual = makeCoverInstance(alive.elementCount, std::move(alive.columnVector),
                                       std::move(alive.columnStart), std::move(alive.columnElements));
}
