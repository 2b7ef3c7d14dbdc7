// "-max_vectors K -minimize": the search for the most demand K vectors meet,
// with an upper bound on it.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/phases/selection_state.h"
#include "select/selection_options.h"

struct DeeperBudgetResult {
    SelectionState state;
    uint64_t upperBound = 0;  // on the demand any options.vectorBudget vectors meet
};

// `demands` are those of options.detections; `unbudgeted` is the selection
// without the budget, which chose more than K vectors. When K vectors might
// meet every demand, "-minimize" runs on it first (select/minimize/minimize.h): a set of at most K vectors that it
// finds meeting every demand is the result, each vector chosen by
// ChoicePhase::Minimize. Otherwise the best of the greedy set with swaps
// and the cover cut down to K vectors goes to a tabu search over swaps, and
// the set it finds to the swaps again, so that no single swap improves the
// result. Vectors keep the phase that first put them in: greedy (or swap)
// for the greedy set's, minimize for the cover's, swap for the search's.
// Deterministic: the work is counted in steps.
DeeperBudgetResult searchBudgetDeeper(const SelectionOptions& options, const PatternSet& patterns,
                                      const FaultDemands& demands, const SelectionState& unbudgeted);
