// The selection with demands ("-n_detect N" above 1): the default's phases,
// a fault counting as covered once its demand is met.
#pragma once

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/kernels/pass_worker.h"
#include "select/phases/selection_state.h"
#include "select/selection_options.h"

// The vectors every fault with at most N detecting vectors needs, then the
// vector that meets the most open demand until every demand is met (or the
// limit is passed, or nothing adds), then every greedy pick whose removal
// keeps each demand as met as it is dropped, earliest first.
SelectionState runDemandSelection(const SelectionOptions& options, const PatternSet& patterns,
                                  const FaultDemands& demands, const SelectionWork& work);
