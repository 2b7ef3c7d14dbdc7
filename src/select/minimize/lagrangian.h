// The Lagrangian relaxation of the covering constraints. With multipliers
// u >= 0, one per element, every column gets the reduced cost
// c_j = 1 - sum of u over its elements, and
//     L(u) = sum of demand * u + sum over columns of min(0, c_j)
// is at most the size of any cover. Subgradient optimisation raises L(u).
#pragma once

#include <cstdint>
#include <vector>

#include "select/minimize/cover_instance.h"
#include "select/minimize/search_budget.h"

struct Lagrangian {
    std::vector<double> multiplier;     // per element
    std::vector<double> reducedCost;    // per column, for the multipliers
    std::vector<double> averageChoice;  // per column: its choice (negative reduced
                                        // cost) over the evaluations, each weighing
                                        // ChoiceWeight and the earlier ones the rest
    double value = 0;                   // L of the multipliers
    bool evaluated = false;
};

constexpr double ChoiceWeight = 0.05;

// u_e = the smallest 1 / size over the columns of e: every reduced cost is
// then at least 0, and L(u) = sum of demand * u.
Lagrangian startLagrangian(const CoverInstance& instance);

// The reduced cost of every column under the multipliers.
std::vector<double> reducedCosts(const CoverInstance& instance, const std::vector<double>& multiplier,
                                 WorkBudget& budget);

// Recomputes the reduced costs and the value for the current multipliers,
// and takes the choice they make into the average (the first one as it is).
void evaluateLagrangian(Lagrangian& lagrangian, const CoverInstance& instance,
                        WorkBudget& budget);

// One step towards the target value (an upper bound on the optimum) along
// the subgradient of the averaged choice, s_e = demand - (average choice of
// the columns of e): an average over the last steps does not swing from one
// side of a degenerate optimum to the other as the choice of one step does.
// s_e is kept at 0 where u_e is 0 and s_e < 0; u += stepFactor * (target - L)
// / |s|^2 * s, clipped at 0. Returns false when s is 0 (the multipliers
// cannot move).
bool stepMultipliers(Lagrangian& lagrangian, const CoverInstance& instance, double target,
                     double stepFactor, std::vector<double>& subgradient, WorkBudget& budget);

// The least integer at or above a Lagrangian value, taken slightly lower
// first so that rounding errors never lift it above the true optimum.
uint32_t integerBound(double value);

// The demands of elements no two of which share a column, taken by
// ascending degree: every cover needs that many columns for them.
uint32_t disjointElementCount(const CoverInstance& instance, WorkBudget& budget);

// The larger of the two bounds above that cost a pass or two: the disjoint
// elements' demands, and L of the first multipliers (every demand over the
// largest column that can meet it).
uint32_t quickLowerBound(const CoverInstance& instance, WorkBudget& budget);
