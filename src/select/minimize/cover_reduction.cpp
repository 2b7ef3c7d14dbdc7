// Reductions of the residual instance. Every removal is justified by columns
// or an element that stay: a column that as many other columns contain as
// its elements demand can be swapped for one of them that a cover lacks (a
// cover holding them all does without it), and an element is met whenever
// an element of no smaller demand is whose columns are all among its own.
// So the optimum stays the same and every cover of what is left, with the
// fixed vectors, meets every kept demand.
//
// Containment is tested member by member, the rarest element (or smallest
// column) first, so a test that fails mostly costs a probe or two whatever
// the sizes: in a bit matrix of elements by columns where that takes no more
// room than the lists, by binary search in the sorted lists elsewhere. Only
// what lost part of its list since it was last looked at is looked at again.
#include "select/minimize/cover_reduction.h"

#include <algorithm>
#include <bit>

#include "select/covering/repeated_columns.h"

namespace {

struct Reduction {
    const CoverInstance& instance;
    std::vector<uint8_t> columnAlive;
    std::vector<uint8_t> elementAlive;
    std::vector<uint8_t> columnChanged;   // lost an element since its last check
    std::vector<uint8_t> elementChanged;  // lost a column since its last check
    std::vector<uint32_t> aliveSize;      // per column: alive elements
    std::vector<uint32_t> aliveDegree;    // per element: alive columns
    std::vector<uint32_t> demand;         // per element: what the fixed columns leave
    std::vector<uint32_t> members;        // the alive list being tested, rarest first
    uint32_t matrixWords = 0;             // per element row of the matrix; 0 without one
    std::vector<uint64_t> matrix;         // bit c of row e: column c covers element e
    std::vector<uint32_t> newlyFixed;     // columns
    bool changed = false;
};

Reduction startReduction(const CoverInstance& instance) {
    Reduction reduction{instance,
                        std::vector<uint8_t>(instance.columnCount, 1),
                        std::vector<uint8_t>(instance.elementCount, 1),
                        std::vector<uint8_t>(instance.columnCount, 1),
                        std::vector<uint8_t>(instance.elementCount, 1),
                        std::vector<uint32_t>(instance.columnCount),
                        std::vector<uint32_t>(instance.elementCount),
                        instance.demand,
                        {},
                        0,
                        {},
                        {},
                        false};
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        reduction.aliveSize[c] = columnSize(instance, c);
    }
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        reduction.aliveDegree[e] = elementDegree(instance, e);
    }
    uint32_t words = (instance.columnCount + 63) / 64;
    if (static_cast<uint64_t>(words) * instance.elementCount <= instance.elementColumns.size()) {
        reduction.matrixWords = words;
        reduction.matrix.assign(static_cast<size_t>(words) * instance.elementCount, 0);
        for (uint32_t e = 0; e < instance.elementCount; ++e) {
            uint64_t* row = reduction.matrix.data() + static_cast<size_t>(e) * words;
            for (const uint32_t* c = elementBegin(instance, e); c != elementEnd(instance, e); ++c) {
                row[*c / 64] |= uint64_t{1} << (*c % 64);
            }
        }
    }
    return reduction;
}

// Takes a column or an element out: what it lists on the other side loses
// one alive neighbour and is looked at again.
struct RemovalSide {
    std::vector<uint8_t>& alive;
    std::vector<uint32_t>& otherAlive;
    std::vector<uint8_t>& otherChanged;
};

void removeFrom(Reduction& reduction, RemovalSide side, uint32_t index, const uint32_t* listed,
                const uint32_t* listedEnd, WorkBudget& budget) {
    side.alive[index] = 0;
    reduction.changed = true;
    for (const uint32_t* other = listed; other != listedEnd; ++other) {
        --side.otherAlive[*other];
        side.otherChanged[*other] = 1;
    }
    spendWork(budget, static_cast<uint64_t>(listedEnd - listed));
}

void killColumn(Reduction& reduction, uint32_t column, WorkBudget& budget) {
    removeFrom(reduction, {reduction.columnAlive, reduction.aliveDegree, reduction.elementChanged}, column,
               columnBegin(reduction.instance, column), columnEnd(reduction.instance, column), budget);
}

void killElement(Reduction& reduction, uint32_t element, WorkBudget& budget) {
    removeFrom(reduction, {reduction.elementAlive, reduction.aliveSize, reduction.columnChanged}, element,
               elementBegin(reduction.instance, element), elementEnd(reduction.instance, element), budget);
}

void fixColumn(Reduction& reduction, uint32_t column, WorkBudget& budget) {
    const CoverInstance& instance = reduction.instance;
    reduction.newlyFixed.push_back(column);
    for (const uint32_t* f = columnBegin(instance, column); f != columnEnd(instance, column); ++f) {
        if (!reduction.elementAlive[*f]) {
            continue;
        }
        if (--reduction.demand[*f] == 0) {
            killElement(reduction, *f, budget);
        } else {
            // Its columns may now need fewer dominators.
            for (const uint32_t* c = elementBegin(instance, *f); c != elementEnd(instance, *f); ++c) {
                reduction.columnChanged[*c] = 1;
            }
            spendWork(budget, elementDegree(instance, *f));
        }
    }
    killColumn(reduction, column, budget);
}

// An element left with no more columns than its demand: each of them is in
// every cover. Columns left without elements go.
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
            killColumn(reduction, c, budget);
        }
    }
    spendWork(budget, instance.elementCount + instance.columnCount);
}

bool inMatrix(const Reduction& reduction, uint32_t element, uint32_t column) {
    return (reduction.matrix[static_cast<size_t>(element) * reduction.matrixWords + column / 64] >> (column % 64)) & 1;
}

// Whether the sorted list [begin, end) holds every one of `members`, tested
// in order; counts the probes.
bool holdsAll(const uint32_t* begin, const uint32_t* end, const std::vector<uint32_t>& members,
              WorkBudget& budget) {
    auto length = static_cast<uint64_t>(end - begin);
    uint64_t probeCost = 1 + static_cast<uint64_t>(std::bit_width(length));
    for (uint32_t member : members) {
        spendWork(budget, probeCost);
        if (!std::binary_search(begin, end, member)) {
            return false;
        }
    }
    return true;
}

// Moves the member of the smallest count (the first of them) to the front.
void rarestFirst(std::vector<uint32_t>& members, const std::vector<uint32_t>& count) {
    size_t rarest = 0;
    for (size_t i = 1; i < members.size(); ++i) {
        rarest = count[members[i]] < count[members[rarest]] ? i : rarest;
    }
    std::swap(members[0], members[rarest]);
}

// Column j goes when as many alive columns k as the largest demand of its
// alive elements hold all of them, each larger, or as large and of lower

// Whether the list [listed, listedEnd) of `candidate` holds every member:
// through the matrix when the reduction keeps one (`membersAreElements`
// says which side the members are on), else by a merge of the lists.
bool listsEveryMember(const Reduction& reduction, const std::vector<uint32_t>& members, bool membersAreElements,
                      uint32_t candidate, const uint32_t* listed, const uint32_t* listedEnd, WorkBudget& budget) {
    if (reduction.matrixWords == 0) {
        return holdsAll(listed, listedEnd, members, budget);
    }
    for (uint32_t member : members) {
        spendWork(budget, 1);
        if (!(membersAreElements ? inMatrix(reduction, member, candidate) : inMatrix(reduction, candidate, member))) {
            return false;
        }
    }
    return true;
}


// Whether `index` is alive and changed since its last check; clears the mark.
bool takeChangedMark(const std::vector<uint8_t>& alive, std::vector<uint8_t>& changed, uint32_t index) {
    if (!alive[index] || !changed[index]) {
        return false;
    }
    changed[index] = 0;
    return true;
}

// The alive entries of [listed, listedEnd) in `members`, rarest first by
// `aliveCounts`; false when there is none.
bool gatherAliveMembers(std::vector<uint32_t>& members, const uint32_t* listed, const uint32_t* listedEnd,
                        const std::vector<uint8_t>& alive, const std::vector<uint32_t>& aliveCounts,
                        WorkBudget& budget) {
    members.clear();
    for (const uint32_t* entry = listed; entry != listedEnd; ++entry) {
        if (alive[*entry]) {
            members.push_back(*entry);
        }
    }
    spendWork(budget, static_cast<uint64_t>(listedEnd - listed));
    if (members.empty()) {
        return false;
    }
    rarestFirst(members, aliveCounts);
    return true;
}

// index. Such a k holds j's rarest element.
void removeDominatedColumns(Reduction& reduction, WorkBudget& budget) {
    const CoverInstance& instance = reduction.instance;
    for (uint32_t j = 0; j < instance.columnCount && workLeft(budget); ++j) {
        std::vector<uint32_t>& members = reduction.members;
        if (!takeChangedMark(reduction.columnAlive, reduction.columnChanged, j) ||
            !gatherAliveMembers(members, columnBegin(instance, j), columnEnd(instance, j), reduction.elementAlive,
                                reduction.aliveDegree, budget)) {
            continue;
        }
        uint32_t dominatorsNeeded = 0;
        for (uint32_t member : members) {
            dominatorsNeeded = std::max(dominatorsNeeded, reduction.demand[member]);
        }
        uint32_t rarest = members.front();
        for (const uint32_t* k = elementBegin(instance, rarest); k != elementEnd(instance, rarest); ++k) {
            spendWork(budget, 1);
            if (*k == j || !reduction.columnAlive[*k] || reduction.aliveSize[*k] < reduction.aliveSize[j] ||
                (reduction.aliveSize[*k] == reduction.aliveSize[j] && *k > j)) {
                continue;
            }
            bool holds = listsEveryMember(reduction, members, true, *k, columnBegin(instance, *k),
                                          columnEnd(instance, *k), budget);
            if (holds && --dominatorsNeeded == 0) {
                killColumn(reduction, j, budget);
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
    // Dominators of fewest columns first: they take out the most, and what
    // they take out is not looked at as a dominator.
    std::vector<uint32_t> order;
    {
        std::vector<uint32_t> start(instance.columnCount + 2, 0);
        for (uint32_t e = 0; e < instance.elementCount; ++e) {
            if (reduction.elementAlive[e] && reduction.elementChanged[e]) {
                ++start[reduction.aliveDegree[e] + 1];
            }
        }
        for (size_t degree = 1; degree < start.size(); ++degree) {
            start[degree] += start[degree - 1];
        }
        order.resize(start.back());
        for (uint32_t e = 0; e < instance.elementCount; ++e) {
            if (reduction.elementAlive[e] && reduction.elementChanged[e]) {
                order[start[reduction.aliveDegree[e]]++] = e;
            }
        }
        spendWork(budget, 2 * uint64_t{instance.elementCount});
    }
    for (uint32_t d : order) {
        if (!workLeft(budget)) {
            break;
        }
        std::vector<uint32_t>& members = reduction.members;
        if (!takeChangedMark(reduction.elementAlive, reduction.elementChanged, d) ||
            !gatherAliveMembers(members, elementBegin(instance, d), elementEnd(instance, d), reduction.columnAlive,
                                reduction.aliveSize, budget)) {
            continue;
        }
        uint32_t smallest = members.front();
        for (const uint32_t* e = columnBegin(instance, smallest); e != columnEnd(instance, smallest); ++e) {
            spendWork(budget, 1);
            if (*e == d || !reduction.elementAlive[*e] || reduction.aliveDegree[*e] < reduction.aliveDegree[d] ||
                reduction.demand[*e] > reduction.demand[d] ||
                (reduction.aliveDegree[*e] == reduction.aliveDegree[d] &&
                 reduction.demand[*e] == reduction.demand[d] && *e < d)) {
                continue;
            }
            bool holds = listsEveryMember(reduction, members, false, *e, elementBegin(instance, *e),
                                          elementEnd(instance, *e), budget);
            if (holds) {
                killElement(reduction, *e, budget);
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
    dropRepeatedColumns(cover.residual, budget);
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
