// The problem "-max_vectors K" poses, as a covering instance: the faults
// with a demand are the elements (fault 0 of every node, then fault 1, in
// node order; one element, weighing as many, for faults alike in demand and
// detecting vectors), the vectors that detect any of them the columns (but
// copies of a column beyond the largest demand of its elements).
#pragma once

#include "patterns/pattern_set.h"
#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"
#include "select/faults/fault_demands.h"

CoverInstance budgetInstance(const PatternSet& patterns, const FaultDemands& demands, WorkBudget& budget);
