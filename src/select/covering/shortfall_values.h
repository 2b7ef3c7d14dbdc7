// The values of the covering relaxation (select/covering/shortfall_relaxation.h)
// that both of its solver's stages take: the lower bound D(u) of
// multipliers, the upper bound P(x) of column values, and the reduced costs.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/shortfall_relaxation.h"

// Whether the columns are capped below their number.
bool capped(const ShortfallProblem& problem);

// columnCost - (A^T u)_c for every column; the first counts no work, for a
// caller that counts its own.
void fillReducedCosts(const ShortfallProblem& problem, const std::vector<double>& u, std::vector<double>& cost);
void computeReducedCosts(const ShortfallProblem& problem, const std::vector<double>& u, std::vector<double>& cost,
                         WorkBudget& budget);

// With a cap: marks the `columnCap` columns of least reduced cost (the lower
// column on ties) that have a negative one.
void markCheapest(const ShortfallProblem& problem, const std::vector<double>& cost, std::vector<uint8_t>& taken,
                  WorkBudget& budget);

// sum of demand * u.
double demandValue(const CoverInstance& instance, const std::vector<double>& u);

// D(u) from the reduced costs of u.
double lowerBoundOf(const ShortfallProblem& problem, const std::vector<double>& u, const std::vector<double>& cost,
                    std::vector<uint8_t>& taken, WorkBudget& budget);

// (A v)_e for every element, from the columns where v is not 0.
void columnSums(const CoverInstance& instance, const std::vector<double>& v, std::vector<double>& sums,
                WorkBudget& budget);

// P(x): the columns' cost and the demand they leave short.
double upperBoundOf(const ShortfallProblem& problem, const std::vector<double>& x, std::vector<double>& covered,
                    WorkBudget& budget);
