#include "select/minimize/cover_branching.h"

#include <algorithm>

#include "select/covering/shortfall_relaxation.h"

namespace {

enum ColumnStatus : uint8_t { FreeColumn, InColumn, OutColumn };

constexpr uint32_t RootSteps = 300;
constexpr uint32_t NodeSteps = 40;
constexpr uint32_t StepPatience = 8;
constexpr double NodeStepFactor = 0.2;

struct BranchSearch {
    const CoverInstance& instance;
    uint32_t target;
    WorkBudget& budget;
    std::vector<uint8_t> status;       // per column
    std::vector<uint32_t> coveredBy;   // per element: columns taken in
    std::vector<uint32_t> freeDegree;  // per element: free columns
    uint32_t inCount = 0;
    uint32_t openCount = 0;            // elements that the columns taken in leave short
    std::vector<uint32_t> trail;       // columns whose status changed, latest last
    std::vector<double> reducedCost;
    std::vector<double> subgradient;
    bool outOfWork = false;
    std::vector<uint32_t> cover;
};

void takeIn(BranchSearch& search, uint32_t column) {
    search.status[column] = InColumn;
    ++search.inCount;
    search.trail.push_back(column);
    for (const uint32_t* e = columnBegin(search.instance, column); e != columnEnd(search.instance, column); ++e) {
        if (++search.coveredBy[*e] == search.instance.demand[*e]) {
            --search.openCount;
        }
        --search.freeDegree[*e];
    }
}

// Returns false when an open element is left with too few free columns.
bool leaveOut(BranchSearch& search, uint32_t column) {
    search.status[column] = OutColumn;
    search.trail.push_back(column);
    bool feasible = true;
    for (const uint32_t* e = columnBegin(search.instance, column); e != columnEnd(search.instance, column); ++e) {
        if (--search.freeDegree[*e] + search.coveredBy[*e] < search.instance.demand[*e]) {
            feasible = false;
        }
    }
    return feasible;
}

void undoTo(BranchSearch& search, size_t mark) {
    while (search.trail.size() > mark) {
        uint32_t column = search.trail.back();
        search.trail.pop_back();
        bool wasIn = search.status[column] == InColumn;
        search.status[column] = FreeColumn;
        if (wasIn) {
            --search.inCount;
        }
        for (const uint32_t* e = columnBegin(search.instance, column); e != columnEnd(search.instance, column); ++e) {
            ++search.freeDegree[*e];
            if (wasIn && search.coveredBy[*e]-- == search.instance.demand[*e]) {
                ++search.openCount;
            }
        }
    }
}

// The Lagrangian of the node: the columns taken in, plus the relaxation of
// the open elements over the free columns.
double nodeValue(BranchSearch& search, const std::vector<double>& u) {
    const CoverInstance& instance = search.instance;
    double value = search.inCount;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (search.coveredBy[e] < instance.demand[e]) {
            value += (instance.demand[e] - search.coveredBy[e]) * u[e];
        }
    }
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (search.status[c] != FreeColumn) {
            continue;
        }
        double cost = 1.0;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            if (search.coveredBy[*e] < instance.demand[*e]) {
                cost -= u[*e];
            }
        }
        search.reducedCost[c] = cost;
        if (cost < 0) {
            value += cost;
        }
    }
    spendWork(search.budget, instance.columnElements.size() + instance.elementCount);
    return value;
}

void nodeStep(BranchSearch& search, std::vector<double>& u, double value, double factor) {
    const CoverInstance& instance = search.instance;
    search.subgradient.resize(instance.elementCount);
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        search.subgradient[e] = instance.demand[e] - std::min(instance.demand[e], search.coveredBy[e]);
    }
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (search.status[c] == FreeColumn && search.reducedCost[c] < 0) {
            for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
                search.subgradient[*e] -= 1.0;
            }
        }
    }
    double norm = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (search.coveredBy[e] >= instance.demand[e] || (u[e] <= 0 && search.subgradient[e] < 0)) {
            search.subgradient[e] = 0;
        }
        norm += search.subgradient[e] * search.subgradient[e];
    }
    spendWork(search.budget, instance.columnElements.size() + instance.elementCount);
    if (norm <= 0) {
        return;
    }
    double step = factor * std::max(search.target + 1.0 - value, 0.0) / norm;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        u[e] = std::max(0.0, u[e] + step * search.subgradient[e]);
    }
}

// Raises the node's bound from the parent's multipliers; leaves the best
// multipliers in `u` and their reduced costs in search.reducedCost.
double boundNode(BranchSearch& search, std::vector<double>& u, uint32_t steps) {
    std::vector<double> best = u;
    double bestValue = nodeValue(search, u);
    double factor = NodeStepFactor;
    uint32_t sinceBest = 0;
    for (uint32_t step = 0; step < steps && integerBound(bestValue) <= search.target && workLeft(search.budget);
         ++step) {
        nodeStep(search, u, bestValue, factor);
        double value = nodeValue(search, u);
        if (value > bestValue) {
            bestValue = value;
            best = u;
            sinceBest = 0;
        } else if (++sinceBest >= StepPatience) {
            factor /= 2;
            sinceBest = 0;
        }
    }
    u = std::move(best);
    nodeValue(search, u);
    return bestValue;
}

// Returns true once a cover within the target is found.
bool explore(BranchSearch& search, std::vector<double> u, uint32_t steps) {
    if (!workLeft(search.budget)) {
        search.outOfWork = true;
        return false;
    }
    const CoverInstance& instance = search.instance;
    size_t mark = search.trail.size();
    double value = boundNode(search, u, steps);
    if (integerBound(value) > search.target) {
        return false;
    }
    // A column whose reduced cost lifts the bound past the target if it is
    // taken (or, for a negative cost, if it is left out) is decided.
    bool feasible = true;
    for (uint32_t c = 0; c < instance.columnCount && feasible; ++c) {
        double cost = search.reducedCost[c];
        if (search.status[c] != FreeColumn) {
            continue;
        }
        if (cost >= 0 && integerBound(value + cost) > search.target) {
            feasible = leaveOut(search, c);
        } else if (cost < 0 && integerBound(value - cost) > search.target) {
            takeIn(search, c);
        }
    }
    if (!feasible || search.inCount > search.target) {
        undoTo(search, mark);
        return false;
    }
    if (search.openCount == 0) {
        for (uint32_t c = 0; c < instance.columnCount; ++c) {
            if (search.status[c] == InColumn) {
                search.cover.push_back(c);
            }
        }
        return true;
    }
    // The open element with the fewest free columns to spare.
    uint32_t branchElement = 0;
    uint32_t fewest = UINT32_MAX;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        uint32_t have = search.freeDegree[e] + search.coveredBy[e];
        if (search.coveredBy[e] < instance.demand[e] && have - instance.demand[e] < fewest) {
            fewest = have - instance.demand[e];
            branchElement = e;
        }
    }
    std::vector<uint32_t> choices;
    for (const uint32_t* c = elementBegin(instance, branchElement); c != elementEnd(instance, branchElement); ++c) {
        if (search.status[*c] == FreeColumn) {
            choices.push_back(*c);
        }
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [&](uint32_t a, uint32_t b) { return search.reducedCost[a] < search.reducedCost[b]; });
    for (uint32_t column : choices) {
        size_t before = search.trail.size();
        takeIn(search, column);
        if (explore(search, u, NodeSteps)) {
            return true;
        }
        undoTo(search, before);
        if (search.outOfWork || !leaveOut(search, column)) {
            break;
        }
    }
    undoTo(search, mark);
    return false;
}

}  // namespace

BranchOutcome coverWithin(const CoverInstance& instance, uint32_t target,
                          const std::vector<double>& multipliers, WorkBudget& budget) {
    BranchSearch search{instance, target, budget,
                   std::vector<uint8_t>(instance.columnCount, FreeColumn),
                   std::vector<uint32_t>(instance.elementCount, 0),
                   std::vector<uint32_t>(instance.elementCount),
                   0, instance.elementCount, {},
                   std::vector<double>(instance.columnCount, 1.0), {}, false, {}};
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        search.freeDegree[e] = elementDegree(instance, e);
    }
    BranchOutcome outcome;
    if (explore(search, multipliers, RootSteps)) {
        outcome.verdict = BranchVerdict::CoverFound;
        outcome.cover = std::move(search.cover);
    } else {
        outcome.verdict = search.outOfWork ? BranchVerdict::OutOfWork : BranchVerdict::NoCover;
    }
    return outcome;
}
