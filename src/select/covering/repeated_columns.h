// Columns that list the same elements: a cover that holds a later copy can
// take an earlier one it lacks instead, and a set within a budget gains
// nothing from more copies than the largest demand of their elements, so
// the copies beyond it go (as dominated columns would, at the cost of one
// pass instead of a walk through an element's list per copy).
#pragma once

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"

// Rebuilds the instance without them; false when there were none.
bool dropRepeatedColumns(CoverInstance& instance, WorkBudget& budget);
