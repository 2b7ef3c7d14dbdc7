#include "select/covering/primal_dual_stage.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "select/covering/primal_dual_core.h"
#include "select/covering/shortfall_values.h"

namespace {

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

}  // namespace

// The multipliers are kept within [0, weight]: a unit short costs the
// element's weight, so no optimal multiplier exceeds it.
void pinByPrimalDual(const ShortfallProblem& problem, std::vector<double> start, uint64_t& known,
                     const ShortfallProgress& progress, ShortfallSolution& best, WorkBudget& budget) {
    const CoverInstance& whole = problem.instance;
    for (uint32_t e = 0; e < whole.elementCount; ++e) {
        start[e] = std::clamp(start[e], 0.0, static_cast<double>(elementWeight(whole, e)));
    }
    std::vector<double> reduced;
    computeReducedCosts(problem, start, reduced, budget);
    PrimalDualCore core = startCore(problem, reduced, budget);

    // Per core column and per core element.
    std::vector<double> x(core.column.size(), 0.0);
    std::vector<double> xSum(core.column.size(), 0.0);
    std::vector<double> xAverage;
    std::vector<double> moved;
    std::vector<double> coreReduced;
    std::vector<double> u(core.element.size());
    for (uint32_t k = 0; k < core.element.size(); ++k) {
        u[k] = start[core.element[k]];
    }
    std::vector<double> uSum(core.element.size(), 0.0);
    std::vector<double> uAverage;
    std::vector<double> covered;
    std::vector<uint8_t> taken;
    // Per instance column and element.
    std::vector<double> wholeU;
    std::vector<double> wholeX;
    std::vector<double> wholeCovered;

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
        const CoverInstance& inCore = core.instance;
        ShortfallProblem onCore{inCore, problem.columnCost, problem.columnCap, true};
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
        columnSums(inCore, moved, covered, budget);
        for (uint32_t e = 0; e < u.size(); ++e) {
            u[e] = std::clamp(u[e] + core.dualStep[e] * (inCore.demand[e] - covered[e]), 0.0,
                              static_cast<double>(elementWeight(inCore, e)));
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
        uAverage.resize(u.size());
        for (uint32_t e = 0; e < u.size(); ++e) {
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
        double coreLower = std::max(currentLower, averageLower);
        double coreUpper = std::min(currentUpper, averageUpper);
        std::vector<double> pricedU = averageLower > currentLower ? uAverage : u;
        std::vector<double> pricedX = averageUpper < currentUpper ? xAverage : x;

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
        // Over the whole instance, every few looks and whenever the core's
        // bounds would settle it: the lower bound of the core's multipliers,
        // the upper bound of its column values, and the columns and elements
        // the core lacks, which come in with nothing taken of them.
        ++looks;
        uint64_t coreInteger = integerBound(coreLower);
        if (looks % LooksPerPricing == 0 || coreInteger >= known || coreInteger >= integerBound(coreUpper) ||
            coreInteger >= integerBound(best.upperBound)) {
            spreadOver(core.element, pricedU, whole.elementCount, wholeU);
            computeReducedCosts(problem, wholeU, reduced, budget);
            double lower = lowerBoundOf(problem, wholeU, reduced, taken, budget);
            if (lower > best.lowerBound) {
                best.lowerBound = lower;
                best.multipliers = wholeU;
            }
            spreadOver(core.column, pricedX, whole.columnCount, wholeX);
            best.upperBound = std::min(best.upperBound, upperBoundOf(problem, wholeX, wholeCovered, budget));
            known = std::min(known, progress(reduced, integerBound(best.lowerBound)));
            if (growCore(problem, core, reduced, wholeCovered, {&x, &xSum}, {&u, &uSum}, budget)) {
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
