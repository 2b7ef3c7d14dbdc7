#include "select/minimize/cover_branching.h"

#include <algorithm>

#include "select/minimize/lagrangian.h"

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
    uint32_t openCount = 0;            // elements no column taken in covers
    std::vector<uint32_t> trail;       // columns whose status changed, latest last
    std::vector<double> reducedCost;
    std::vector<double> subgradient;
    bool outOfWork = false;
    std::vector<uint32_t> cover;
};

void takeIn(BranchSearch& s, uint32_t column) {
    s.status[column] = InColumn;
    ++s.inCount;
    s.trail.push_back(column);
    for (const uint32_t* e = columnBegin(s.instance, column); e != columnEnd(s.instance, column); ++e) {
        if (s.coveredBy[*e]++ == 0) {
            --s.openCount;
        }
        --s.freeDegree[*e];
    }
}

// Returns false when an open element is left without a free column.
bool leaveOut(BranchSearch& s, uint32_t column) {
    s.status[column] = OutColumn;
    s.trail.push_back(column);
    bool feasible = true;
    for (const uint32_t* e = columnBegin(s.instance, column); e != columnEnd(s.instance, column); ++e) {
        if (--s.freeDegree[*e] == 0 && s.coveredBy[*e] == 0) {
            feasible = false;
        }
    }
    return feasible;
}

void undoTo(BranchSearch& s, size_t mark) {
    while (s.trail.size() > mark) {
        uint32_t column = s.trail.back();
        s.trail.pop_back();
        bool wasIn = s.status[column] == InColumn;
        s.status[column] = FreeColumn;
        if (wasIn) {
            --s.inCount;
        }
        for (const uint32_t* e = columnBegin(s.instance, column); e != columnEnd(s.instance, column); ++e) {
            ++s.freeDegree[*e];
            if (wasIn && --s.coveredBy[*e] == 0) {
                ++s.openCount;
            }
        }
    }
}

// The Lagrangian of the node: the columns taken in, plus the relaxation of
// the open elements over the free columns.
double nodeValue(BranchSearch& s, const std::vector<double>& u) {
    const CoverInstance& instance = s.instance;
    double value = s.inCount;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (s.coveredBy[e] == 0) {
            value += u[e];
        }
    }
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (s.status[c] != FreeColumn) {
            continue;
        }
        double cost = 1.0;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            if (s.coveredBy[*e] == 0) {
                cost -= u[*e];
            }
        }
        s.reducedCost[c] = cost;
        if (cost < 0) {
            value += cost;
        }
    }
    spendWork(s.budget, instance.columnElements.size() + instance.elementCount);
    return value;
}

void nodeStep(BranchSearch& s, std::vector<double>& u, double value, double factor) {
    const CoverInstance& instance = s.instance;
    s.subgradient.assign(instance.elementCount, 1.0);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (s.status[c] == FreeColumn && s.reducedCost[c] < 0) {
            for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
                s.subgradient[*e] -= 1.0;
            }
        }
    }
    double norm = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (s.coveredBy[e] != 0 || (u[e] <= 0 && s.subgradient[e] < 0)) {
            s.subgradient[e] = 0;
        }
        norm += s.subgradient[e] * s.subgradient[e];
    }
    spendWork(s.budget, instance.columnElements.size() + instance.elementCount);
    if (norm <= 0) {
        return;
    }
    double step = factor * std::max(s.target + 1.0 - value, 0.0) / norm;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        u[e] = std::max(0.0, u[e] + step * s.subgradient[e]);
    }
}

// Raises the node's bound from the parent's multipliers; leaves the best
// multipliers in `u` and their reduced costs in s.reducedCost.
double boundNode(BranchSearch& s, std::vector<double>& u, uint32_t steps) {
    std::vector<double> best = u;
    double bestValue = nodeValue(s, u);
    double factor = NodeStepFactor;
    uint32_t sinceBest = 0;
    for (uint32_t step = 0; step < steps && integerBound(bestValue) <= s.target && workLeft(s.budget);
         ++step) {
        nodeStep(s, u, bestValue, factor);
        double value = nodeValue(s, u);
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
    nodeValue(s, u);
    return bestValue;
}

// Returns true once a cover within the target is found.
bool explore(BranchSearch& s, std::vector<double> u, uint32_t steps) {
    if (!workLeft(s.budget)) {
        s.outOfWork = true;
        return false;
    }
    const CoverInstance& instance = s.instance;
    size_t mark = s.trail.size();
    double value = boundNode(s, u, steps);
    if (integerBound(value) > s.target) {
        return false;
    }
    // A column whose reduced cost lifts the bound past the target if it is
    // taken (or, for a negative cost, if it is left out) is decided.
    bool feasible = true;
    for (uint32_t c = 0; c < instance.columnCount && feasible; ++c) {
        double cost = s.reducedCost[c];
        if (s.status[c] != FreeColumn) {
            continue;
        }
        if (cost >= 0 && integerBound(value + cost) > s.target) {
            feasible = leaveOut(s, c);
        } else if (cost < 0 && integerBound(value - cost) > s.target) {
            takeIn(s, c);
        }
    }
    if (!feasible || s.inCount > s.target) {
        undoTo(s, mark);
        return false;
    }
    if (s.openCount == 0) {
        for (uint32_t c = 0; c < instance.columnCount; ++c) {
            if (s.status[c] == InColumn) {
                s.cover.push_back(c);
            }
        }
        return true;
    }
    uint32_t branchElement = 0;
    uint32_t fewest = UINT32_MAX;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (s.coveredBy[e] == 0 && s.freeDegree[e] < fewest) {
            fewest = s.freeDegree[e];
            branchElement = e;
        }
    }
    std::vector<uint32_t> choices;
    for (const uint32_t* c = elementBegin(instance, branchElement); c != elementEnd(instance, branchElement); ++c) {
        if (s.status[*c] == FreeColumn) {
            choices.push_back(*c);
        }
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [&](uint32_t a, uint32_t b) { return s.reducedCost[a] < s.reducedCost[b]; });
    for (uint32_t column : choices) {
        size_t before = s.trail.size();
        takeIn(s, column);
        if (explore(s, u, NodeSteps)) {
            return true;
        }
        undoTo(s, before);
        if (s.outOfWork || !leaveOut(s, column)) {
            break;
        }
    }
    undoTo(s, mark);
    return false;
}

}  // namespace

BranchOutcome coverWithin(const CoverInstance& instance, uint32_t target,
                          const std::vector<double>& multipliers, WorkBudget& budget) {
    BranchSearch s{instance, target, budget,
                   std::vector<uint8_t>(instance.columnCount, FreeColumn),
                   std::vector<uint32_t>(instance.elementCount, 0),
                   std::vector<uint32_t>(instance.elementCount),
                   0, instance.elementCount, {},
                   std::vector<double>(instance.columnCount, 1.0), {}, false, {}};
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        s.freeDegree[e] = elementDegree(instance, e);
    }
    BranchOutcome outcome;
    if (explore(s, multipliers, RootSteps)) {
        outcome.verdict = BranchVerdict::CoverFound;
        outcome.cover = std::move(s.cover);
    } else {
        outcome.verdict = s.outOfWork ? BranchVerdict::OutOfWork : BranchVerdict::NoCover;
    }
    return outcome;
}
