// An upper bound on the demand any `budget` vectors can meet: the best value
// of a Lagrangian relaxation of the maximum-coverage problem over a fixed
// number of subgradient steps, and never below what `chosen` meets.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/phases/selection_state.h"

uint64_t budgetUpperBound(const SelectionState& chosen, const PatternSet& patterns, const FaultDemands& demands,
                          uint32_t budget);
