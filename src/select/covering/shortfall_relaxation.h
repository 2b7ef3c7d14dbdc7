// The linear relaxation behind both covering searches, and the one solver of
// it. Every column takes a value x in [0, 1], the values summing to at most
// `columnCap`; a column costs `columnCost` per unit and every unit of demand
// that the columns leave short costs the element's weight (1 but where an
// element stands for several faults alike):
//
//     minimise  columnCost * sum x  +  sum over elements of weight * max(0, demand - (A x)_e).
//
// With cost 1 and no cap the optimum is the LP bound on the size of a cover
// (a unit short never costs less than the column share that would fill it);
// with cost 0 and a cap of K it is the total demand less the most demand K
// columns meet in the LP, the bound of "-max_vectors K".
//
// Multipliers u >= 0, one per element, price the shortfall; each gives a
// lower bound on the optimum (and on every integer solution's cost),
//
//     D(u) = sum of demand * u + min over x of sum (columnCost - (A^T u)_c) x_c,
//
// the min taking the negative reduced costs (with a cap, the `columnCap`
// most negative); each x gives an upper bound on the LP optimum, its cost.
//
// The solver raises D by one of two kinds of steps, as the relaxation asks.
// Subgradient steps: along demand - A * (the columns' choice averaged over
// the last steps), towards the cost of an integer solution known at the
// start (the Polyak step), the step factor halved while the values of a
// window of steps swing widely and raised while they barely move; they stop
// when the bound meets the integer solution, or creeps. That gets close
// fast, with the reduced costs a cover search builds on, and the integer
// above the bound is all it needs. Or, to pin the LP optimum's integer,
// primal-dual steps: x down its reduced costs, u up the shortfall at the
// extrapolated x, each scaled by its column's or element's length, with the
// average since the last restart, restarting from the better of the current
// and the average point once their gap between P and D has shrunk enough
// (on a linear programme that converges linearly). They work on a core of
// the columns the multipliers price highest and of the elements left short
// (select/covering/primal_dual_core.h), grown whenever the whole instance,
// which both bounds are always taken over, shows one missing; they stop
// once the integer at or above the lower bound is the one at or above the
// upper bound. Both share the evaluation of D, the
// range of the multipliers and the stopping at a known integer solution.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

struct ShortfallProblem {
    const CoverInstance& instance;
    double columnCost = 1;
    uint32_t columnCap = UINT32_MAX;  // UINT32_MAX: no cap
    bool pinOptimum = false;          // primal-dual steps to the LP optimum's integer, else subgradient steps
};

// What the solver has found: the LP optimum lies in [lowerBound, upperBound].
struct ShortfallSolution {
    double lowerBound = 0;
    std::vector<double> multipliers;   // the u of lowerBound
    double upperBound = INFINITY;      // from the primal-dual steps; INFINITY without them
};

// Called every few steps with the reduced costs columnCost - (A^T u)_c of
// the current multipliers and the integer lower bound reached; returns the
// cost of the best integer solution known now.
using ShortfallProgress = std::function<uint64_t(const std::vector<double>& reducedCost, uint64_t integerLower)>;

// Raises the lower bound from `multipliers` towards `knownCost`, the cost
// of an integer solution known at the start, until the integer at or above
// it reaches the cost `progress` last returned, the stages stop, or the
// budget is spent. Deterministic: the steps are counted, never timed.
ShortfallSolution solveShortfall(const ShortfallProblem& problem, std::vector<double> multipliers,
                                 uint64_t knownCost, const ShortfallProgress& progress, WorkBudget& budget);

// The least integer at or above a lower bound `value`, taken slightly lower
// first so that rounding errors never lift it above the true optimum.
uint64_t integerBound(double value);
