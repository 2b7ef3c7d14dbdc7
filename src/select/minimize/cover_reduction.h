// The reduction of a kept cover's residual instance.
#pragma once

#include "select/minimize/kept_cover.h"
#include "select/minimize/search_budget.h"

// Removes dominated columns and elements and fixes the columns that an
// element needs every one of, until nothing changes. Keeps the optimum:
// fixed vectors plus an optimal cover of the rest is optimal.
void reduceKeptCover(KeptCover& cover, WorkBudget& budget);
