// The part of the covering relaxation the primal-dual steps work on: a core
// of the columns, those the multipliers price highest (with a cap; without
// one, all of them), and of the elements, those a choice of columns leaves
// short or just meets. On dense instances most elements are covered many
// times over and their multipliers stay 0, so the steps read a small part
// of the instance. A multiplier outside the core is 0, so the lower bound
// of the core's multipliers holds for the whole instance; the core grows
// whenever the whole instance's reduced costs show a column it lacks or the
// core's column values leave an element outside it short, so its optimum
// comes to be the whole instance's.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"
#include "select/covering/shortfall_relaxation.h"

struct PrimalDualCore {
    std::vector<uint32_t> column;    // instance columns, ascending
    std::vector<uint32_t> element;   // instance elements, ascending
    CoverInstance instance;          // those columns and elements, numbered in that order
    std::vector<double> primalStep;  // per core column: 1 / its length
    std::vector<double> dualStep;    // per core element: 1 / its degree
};

// The core of the columns the reduced costs `cost` price highest and of the
// elements that the columns the lower bound takes under them leave short or
// just meet.
PrimalDualCore startCore(const ShortfallProblem& problem, const std::vector<double>& cost, WorkBudget& budget);

// Adds the columns a core under `cost` would hold and the elements that
// `covered` (per instance element) leaves short. The values of
// `columnValues` (per core column) and `elementValues` (per core element)
// follow, new ones 0. Returns whether the core grew.
bool growCore(const ShortfallProblem& problem, PrimalDualCore& core, const std::vector<double>& cost,
              const std::vector<double>& covered, const std::vector<std::vector<double>*>& columnValues,
              const std::vector<std::vector<double>*>& elementValues, WorkBudget& budget);

// Values per core column or element as values per instance column or
// element, 0 outside the core.
void spreadOver(const std::vector<uint32_t>& coreIndex, const std::vector<double>& values, uint32_t count,
                std::vector<double>& spread);
