#include "select/covering/shortfall_relaxation.h"

#include <algorithm>
#include <utility>

namespace {

// The subgradient stage.
constexpr double ChoiceWeight = 0.05;       // of the latest choice in the average
constexpr double NegligibleChoice = 1e-6;   // an average below it moves no multiplier noticeably
constexpr uint32_t StepsPerProgress = 10;
constexpr double FirstStepFactor = 0.1;
constexpr double MinStepFactor = 1e-6;
constexpr uint32_t StepWindow = 20;
constexpr double WideSwing = 0.01;
constexpr double NarrowSwing = 0.001;
constexpr uint32_t StallSteps = 200;
constexpr double SlowProgress = 0.001;

// The primal-dual stage: steps between two looks at the bounds and the
// restarts; a restart once the better point's gap has shrunk to
// RestartShrink of the gap at the last one, or once the run since then has
// taken RestartShare of the stage's steps; a stop once the lower bound has
// risen by less than PinSlowProgress of itself over PinStallSteps steps.
constexpr uint32_t StepsPerLook = 20;
constexpr double RestartShrink = 0.2;
constexpr double RestartShare = 0.36;
constexpr uint32_t PinStallSteps = 2000;
constexpr double PinSlowProgress = 1e-6;
// The lower bound over the whole instance, and the core's growth, every
// this many looks.
constexpr uint32_t LooksPerPricing = 8;
// The first core: twice the cap and this many more columns.
constexpr uint32_t CoreMargin = 32;

bool capped(const ShortfallProblem& problem) { return problem.columnCap < problem.instance.columnCount; }

// sum of demand * u.
double demandValue(const CoverInstance& instance, const std::vector<double>& u) {
    double value = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        value += instance.demand[e] * u[e];
    }
    return value;
}

// columnCost - (A^T u)_c for every column.
void computeReducedCosts(const ShortfallProblem& problem, const std::vector<double>& u, std::vector<double>& cost,
                         WorkBudget& budget) {
    const CoverInstance& instance = problem.instance;
    cost.resize(instance.columnCount);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double sum = 0;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            sum += u[*e];
        }
        cost[c] = problem.columnCost - sum;
    }
    spendWork(budget, instance.columnElements.size() + instance.columnCount);
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

// The subgradient stage's point: the multipliers, the reduced costs and the
// value they give, and the choice of every column averaged over the steps.
struct SubgradientPoint {
    std::vector<double> multiplier;
    std::vector<double> reducedCost;
    std::vector<double> averageChoice;
    std::vector<uint8_t> taken;  // with a cap, scratch
    double value = 0;
    bool evaluated = false;
};

void evaluatePoint(const ShortfallProblem& problem, SubgradientPoint& point, WorkBudget& budget) {
    const CoverInstance& instance = problem.instance;
    const std::vector<double>& u = point.multiplier;
    double value = demandValue(instance, u);
    point.reducedCost.resize(instance.columnCount);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double sum = 0;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            sum += u[*e];
        }
        point.reducedCost[c] = problem.columnCost - sum;
    }
    if (capped(problem)) {
        markCheapest(problem, point.reducedCost, point.taken, budget);
    }
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double cost = point.reducedCost[c];
        bool chosen = capped(problem) ? point.taken[c] != 0 : cost < 0;
        if (chosen) {
            value += cost;
        }
        double choice = chosen ? 1.0 : 0.0;
        double& average = point.averageChoice[c];
        average = point.evaluated ? ChoiceWeight * choice + (1 - ChoiceWeight) * average : choice;
    }
    point.value = value;
    point.evaluated = true;
    spendWork(budget, instance.columnElements.size() + instance.elementCount);
}

// One step towards `target` along s_e = demand - (average choice of the
// columns of e), s_e kept at 0 where u_e is 0 and s_e < 0: u += stepFactor
// * (target - value) / |s|^2 * s, clipped at 0. Returns false when s is 0.
bool stepPoint(const ShortfallProblem& problem, SubgradientPoint& point, double target, double stepFactor,
               std::vector<double>& subgradient, WorkBudget& budget) {
    const CoverInstance& instance = problem.instance;
    subgradient.assign(instance.demand.begin(), instance.demand.end());
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        double average = point.averageChoice[c];
        if (average > NegligibleChoice) {
            for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
                subgradient[*e] -= average;
            }
            spendWork(budget, columnSize(instance, c));
        }
    }
    std::vector<double>& u = point.multiplier;
    double norm = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        if (u[e] <= 0 && subgradient[e] < 0) {
            subgradient[e] = 0;
        }
        norm += subgradient[e] * subgradient[e];
    }
    spendWork(budget, instance.elementCount);
    if (norm <= 0) {
        return false;
    }
    double step = stepFactor * std::max(target - point.value, 0.0) / norm;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        u[e] = std::max(0.0, u[e] + step * subgradient[e]);
    }
    return true;
}

// The subgradient stage. The target stays the cost known at the start: the
// steps react to it strongly, and one that moves with every better solution
// found sends them astray. Stops when the bound meets the cost that
// `progress` last returned, or when StallSteps steps in a row raise the
// best value by less than SlowProgress of it: near the optimum the value
// creeps, and it is the integer above it that counts.
void raiseBySubgradient(const ShortfallProblem& problem, SubgradientPoint& point, uint64_t& known,
                        const ShortfallProgress& progress, ShortfallSolution& best, WorkBudget& budget) {
    const auto target = static_cast<double>(known);
    std::vector<double> subgradient;
    double stepFactor = FirstStepFactor;
    double windowLow = 0;
    double windowHigh = 0;
    double stallBase = 0;  // the best value when the current stall began
    uint32_t stallStart = 0;
    for (uint32_t step = 0; workLeft(budget); ++step) {
        evaluatePoint(problem, point, budget);
        double value = point.value;
        if (value > best.lowerBound) {
            best.lowerBound = value;
            best.multipliers = point.multiplier;
        }
        if (integerBound(best.lowerBound) >= known) {
            break;
        }
        if (best.lowerBound > stallBase * (1 + SlowProgress)) {
            stallBase = best.lowerBound;
            stallStart = step;
        } else if (step - stallStart >= StallSteps) {
            break;
        }
        windowLow = step % StepWindow == 0 ? value : std::min(windowLow, value);
        windowHigh = step % StepWindow == 0 ? value : std::max(windowHigh, value);
        if (step % StepWindow == StepWindow - 1) {
            double spread = windowHigh - windowLow;
            if (spread > WideSwing * std::fabs(windowHigh)) {
                stepFactor /= 2;
            } else if (spread < NarrowSwing * std::fabs(windowHigh)) {
                stepFactor *= 1.5;
            }
        }
        if (step % StepsPerProgress == 0) {
            known = std::min(known, progress(point.reducedCost, integerBound(best.lowerBound)));
        }
        if (stepFactor < MinStepFactor || !stepPoint(problem, point, target, stepFactor, subgradient, budget)) {
            break;
        }
    }
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

// The point of [0, 1] per column, summing to at most the cap, nearest to z
// in the metric that weighs column c by 1 / step_c: clip(z_c - t * step_c)
// for the least t >= 0 that keeps the sum within the cap. The sum falls
// piecewise linearly in t; its breakpoints are walked in order.
void projectColumns(const ShortfallProblem& problem, const std::vector<double>& step, std::vector<double>& z,
                    WorkBudget& budget) {
    double sum = 0;
    for (double value : z) {
        sum += std::clamp(value, 0.0, 1.0);
    }
    spendWork(budget, z.size());
    double t = 0;
    if (capped(problem) && sum > problem.columnCap) {
        const double cap = problem.columnCap;
        // (t, change of slope): a column leaves 1 at (z - 1) / step and
        // reaches 0 at z / step.
        std::vector<std::pair<double, double>> breaks;
        double slope = 0;
        for (size_t c = 0; c < z.size(); ++c) {
            if (z[c] <= 0) {
                continue;
            }
            if (z[c] > 1) {
                breaks.push_back({(z[c] - 1) / step[c], -step[c]});
            } else {
                slope -= step[c];
            }
            breaks.push_back({z[c] / step[c], step[c]});
        }
        std::sort(breaks.begin(), breaks.end());
        spendWork(budget, 4 * breaks.size());
        double at = 0;
        for (const auto& [where, change] : breaks) {
            double reached = sum + slope * (where - at);
            if (reached <= cap) {
                break;
            }
            sum = reached;
            at = where;
            slope += change;
        }
        t = slope < 0 ? at + (sum - cap) / -slope : at;
    }
    for (size_t c = 0; c < z.size(); ++c) {
        z[c] = std::clamp(z[c] - t * step[c], 0.0, 1.0);
    }
}

// The columns the primal-dual steps work on: with a cap, a core of the
// instance's columns, grown whenever the whole instance's reduced costs
// show a column outside it among those the lower bound takes; without one,
// all of them. The lower bound is always taken over the whole instance.
struct ColumnCore {
    std::vector<uint32_t> column;  // core column -> instance column, ascending
    CoverInstance instance;
    std::vector<double> primalStep;  // per core column: 1 / its length
    std::vector<double> dualStep;    // per element: 1 / its core degree
};

void buildCore(const CoverInstance& whole, ColumnCore& core, WorkBudget& budget) {
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
    for (uint32_t c : core.column) {
        columnVector.push_back(whole.columnVector[c]);
        columnElements.insert(columnElements.end(), columnBegin(whole, c), columnEnd(whole, c));
        columnStart.push_back(columnElements.size());
    }
    spendWork(budget, 2 * columnElements.size() + whole.elementCount);
    core.instance = makeCoverInstance(whole.demand, std::move(columnVector), std::move(columnStart),
                                      std::move(columnElements));
    core.instance.weight = whole.weight;
    core.primalStep.resize(core.column.size());
    for (uint32_t c = 0; c < core.column.size(); ++c) {
        core.primalStep[c] = 1.0 / std::max(1u, columnSize(core.instance, c));
    }
    core.dualStep.resize(whole.elementCount);
    for (uint32_t e = 0; e < whole.elementCount; ++e) {
        core.dualStep[e] = 1.0 / 1.0 / std::max(1u, elementDegree(core.instance, e));
    }
}

// Marks the columns a core under the reduced costs `cost` holds: with a
// cap, the most negative ones, twice the cap and CoreMargin more of them;
// without, every one.
void markCoreColumns(const ShortfallProblem& problem, const std::vector<double>& cost, std::vector<uint8_t>& taken,
                     WorkBudget& budget) {
    const CoverInstance& whole = problem.instance;
    ShortfallProblem wider{whole, problem.columnCost,
                           std::min(whole.columnCount, 2 * problem.columnCap + CoreMargin), true};
    if (capped(problem) && capped(wider)) {
        markCheapest(wider, cost, taken, budget);
    } else {
        taken.assign(whole.columnCount, 1);
    }
}

// Adds to the core the columns that one under `cost` would hold and it
// lacks. Returns whether any came in; `values` (per core column) follow.
bool growCore(const ShortfallProblem& problem, ColumnCore& core, const std::vector<double>& cost,
              std::vector<std::vector<double>*> values, WorkBudget& budget) {
    const CoverInstance& whole = problem.instance;
    std::vector<uint8_t> taken;
    markCoreColumns(problem, cost, taken, budget);
    std::vector<uint8_t> inCore(whole.columnCount, 0);
    for (uint32_t c : core.column) {
        inCore[c] = 1;
    }
    std::vector<uint32_t> columns = core.column;
    for (uint32_t c = 0; c < whole.columnCount; ++c) {
        if (taken[c] && !inCore[c]) {
            columns.push_back(c);
        }
    }
    spendWork(budget, 2 * uint64_t{whole.columnCount});
    if (columns.size() == core.column.size()) {
        return false;
    }
    std::sort(columns.begin(), columns.end());
    for (std::vector<double>* value : values) {
        std::vector<double> moved(columns.size(), 0.0);
        size_t at = 0;
        for (size_t k = 0; k < columns.size(); ++k) {
            if (at < core.column.size() && core.column[at] == columns[k]) {
                moved[k] = (*value)[at++];
            }
        }
        *value = std::move(moved);
    }
    core.column = std::move(columns);
    buildCore(whole, core, budget);
    return true;
}

// The primal-dual stage, from the multipliers u (within [0, weight]: a unit
// short costs the element's weight, so no optimal multiplier exceeds it)
// and no column taken.
void pinByPrimalDual(const ShortfallProblem& problem, std::vector<double> u, uint64_t& known,
                     const ShortfallProgress& progress, ShortfallSolution& best, WorkBudget& budget) {
    const CoverInstance& whole = problem.instance;
    for (uint32_t e = 0; e < whole.elementCount; ++e) {
        u[e] = std::clamp(u[e], 0.0, static_cast<double>(elementWeight(whole, e)));
    }
    std::vector<double> reduced;
    std::vector<double> averageCost;
    std::vector<uint8_t> taken;
    std::vector<double> covered;
    computeReducedCosts(problem, u, reduced, budget);
    ColumnCore core;
    markCoreColumns(problem, reduced, taken, budget);
    for (uint32_t c = 0; c < whole.columnCount; ++c) {
        if (taken[c]) {
            core.column.push_back(c);
        }
    }
    buildCore(whole, core, budget);

    std::vector<double> x(core.column.size(), 0.0);
    std::vector<double> xSum(core.column.size(), 0.0);
    std::vector<double> xAverage;
    std::vector<double> moved;
    std::vector<double> coreReduced;
    std::vector<double> uSum(whole.elementCount, 0.0);
    std::vector<double> uAverage(whole.elementCount);
    uint32_t averaged = 0;
    double restartGap = INFINITY;
    uint64_t step = 0;
    uint64_t looks = 0;
    uint64_t sinceRestart = 0;
    uint64_t stallStart = 0;
    double stallBase = best.lowerBound;
    auto pinned = [&] {
        uint64_t lower = integerBound(best.lowerBound);
        return lower >= known || (best.upperBound < INFINITY && lower >= integerBound(best.upperBound));
    };
    while (!pinned() && workLeft(budget)) {
        ShortfallProblem onCore{core.instance, problem.columnCost, problem.columnCap, true};
        // x down its reduced costs, then u up the shortfall at 2 x' - x.
        computeReducedCosts(onCore, u, coreReduced, budget);
        moved.resize(x.size());
        for (uint32_t c = 0; c < x.size(); ++c) {
            moved[c] = x[c] - core.primalStep[c] * coreReduced[c];
        }
        projectColumns(onCore, core.primalStep, moved, budget);
        std::swap(x, moved);
        for (uint32_t c = 0; c < x.size(); ++c) {
            moved[c] = 2 * x[c] - moved[c];
        }
        columnSums(core.instance, moved, covered, budget);
        for (uint32_t e = 0; e < whole.elementCount; ++e) {
            u[e] = std::clamp(u[e] + core.dualStep[e] * (whole.demand[e] - covered[e]), 0.0,
                              static_cast<double>(elementWeight(whole, e)));
            uSum[e] += u[e];
        }
        for (uint32_t c = 0; c < x.size(); ++c) {
            xSum[c] += x[c];
        }
        ++averaged;
        ++sinceRestart;
        if (++step % StepsPerLook != 0) {
            continue;
        }

        // The bounds of the current point and of the average since the
        // restart, on the core.
        for (uint32_t e = 0; e < whole.elementCount; ++e) {
            uAverage[e] = uSum[e] / averaged;
        }
        xAverage.resize(x.size());
        for (uint32_t c = 0; c < x.size(); ++c) {
            xAverage[c] = xSum[c] / averaged;
        }
        computeReducedCosts(onCore, uAverage, coreReduced, budget);
        double averageLower = lowerBoundOf(onCore, uAverage, coreReduced, taken, budget);
        computeReducedCosts(onCore, u, coreReduced, budget);
        double currentLower = lowerBoundOf(onCore, u, coreReduced, taken, budget);
        double currentUpper = upperBoundOf(onCore, x, covered, budget);
        double averageUpper = upperBoundOf(onCore, xAverage, covered, budget);
        best.upperBound = std::min({best.upperBound, currentUpper, averageUpper});
        bool averageBetter = averageLower > currentLower;
        double coreLower = std::max(currentLower, averageLower);

        std::vector<double> priced = averageBetter ? uAverage : u;
        double currentGap = currentUpper - currentLower;
        double averageGap = averageUpper - averageLower;
        double gap = std::min(currentGap, averageGap);
        if (gap <= RestartShrink * restartGap || sinceRestart >= RestartShare * step) {
            if (averageGap < currentGap) {
                u = uAverage;
                x = xAverage;
            }
            std::fill(uSum.begin(), uSum.end(), 0.0);
            std::fill(xSum.begin(), xSum.end(), 0.0);
            averaged = 0;
            restartGap = gap;
            sinceRestart = 0;
        }
        // The lower bound over the whole instance, every few looks and
        // whenever the core's would settle it; and the columns the core
        // lacks, which come in with nothing taken of them.
        ++looks;
        uint64_t coreInteger = integerBound(coreLower);
        if (looks % LooksPerPricing == 0 || coreInteger >= known || coreInteger >= integerBound(best.upperBound)) {
            computeReducedCosts(problem, priced, reduced, budget);
            double lower = lowerBoundOf(problem, priced, reduced, taken, budget);
            if (lower > best.lowerBound) {
                best.lowerBound = lower;
                best.multipliers = priced;
            }
            known = std::min(known, progress(reduced, integerBound(best.lowerBound)));
            if (growCore(problem, core, reduced, {&x, &xSum}, budget)) {
                restartGap = INFINITY;
            }
        }

        if (best.lowerBound > stallBase + PinSlowProgress * std::max(1.0, std::fabs(stallBase))) {
            stallBase = best.lowerBound;
            stallStart = step;
        } else if (step - stallStart >= PinStallSteps) {
            break;
        }
    }
}

}  // namespace

uint64_t integerBound(double value) {
    double lowered = value - 1e-6 * std::max(1.0, std::fabs(value));
    if (!(lowered > 0)) {
        return 0;
    }
    return static_cast<uint64_t>(std::ceil(lowered));
}

ShortfallSolution solveShortfall(const ShortfallProblem& problem, std::vector<double> multipliers,
                                 uint64_t knownCost, const ShortfallProgress& progress, WorkBudget& budget) {
    const CoverInstance& instance = problem.instance;
    ShortfallSolution best;
    best.multipliers = multipliers;
    uint64_t known = knownCost;
    SubgradientPoint point{std::move(multipliers), std::vector<double>(instance.columnCount, problem.columnCost),
                           std::vector<double>(instance.columnCount, 0.0), {}, 0, false};
    if (!problem.pinOptimum) {
        raiseBySubgradient(problem, point, known, progress, best, budget);
    }
    if (problem.pinOptimum) {
        pinByPrimalDual(problem, best.multipliers, known, progress, best, budget);
    }
    return best;
}
