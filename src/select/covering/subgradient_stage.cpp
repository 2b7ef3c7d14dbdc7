#include "select/covering/subgradient_stage.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "select/covering/shortfall_values.h"

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
    fillReducedCosts(problem, u, point.reducedCost);
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
}  // namespace

void raiseBySubgradient(const ShortfallProblem& problem, std::vector<double> multipliers, uint64_t& known,
                        const ShortfallProgress& progress, ShortfallSolution& best, WorkBudget& budget) {
    const CoverInstance& instance = problem.instance;
    SubgradientPoint point{std::move(multipliers), std::vector<double>(instance.columnCount, problem.columnCost),
                           std::vector<double>(instance.columnCount, 0.0), {}, 0, false};
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
