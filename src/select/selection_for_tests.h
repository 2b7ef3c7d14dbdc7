// What the tests and benchmarks reach behind the selection's face: the state
// the phases leave, the work a run shares out or may spend, the kernels' tier.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/kernels/cpu_tier.h"
#include "select/kernels/pass_worker.h"
#include "select/phases/selection_state.h"
#include "select/selection_options.h"

// The state the selection ends in before "-minimize": the default run, the
// run with demands, or the budget's search when the budget binds.
SelectionState runSelectionPhases(const SelectionOptions& options, const PatternSet& patterns);

// The default run, the run with demands, or with a budget its greedy set and
// swaps, with the passes shared out as `work` says.
SelectionState runSelectionWith(const SelectionOptions& options, const PatternSet& patterns, const SelectionWork& work);

// "-minimize" on the selected set with a work limit of its own, whatever
// the sizes (0 leaves only the first cover); `demands` null for one each.
uint32_t minimizeSelectionWithin(SelectionState& selection, const PatternSet& patterns, uint64_t workLimit,
                                 const FaultDemands* demands = nullptr);

// Makes the kernels use `tier`; false, changing nothing, when this processor
// does not run it. Not to be called while a kernel runs.
bool useCpuTier(CpuTier tier);
