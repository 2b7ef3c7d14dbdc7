// The selection within a vector budget ("-max_vectors K"): a greedy set of
// at most K vectors improved by swaps.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/choice_phase.h"
#include "select/faults/fault_demands.h"
#include "select/kernels/pass_worker.h"
#include "select/phases/selection_state.h"
#include "select/selection_options.h"

// A set within the budget and the demand it meets: the sum over the faults
// of min(detections, demand).
struct BudgetSet {
    SelectionState state;
    uint64_t demandMet = 0;
};

// At most options.vectorBudget vectors: greedy by the most open demand met
// (lowest index on ties), then swaps of a chosen vector for an unchosen one
// (ChoicePhase::Swap) while that meets more. The swaps stop when none helps
// or after `swapWork` table words read. The greedy gains are shared out as
// `work` says.
BudgetSet greedyBudgetSet(const SelectionOptions& options, const PatternSet& patterns, const FaultDemands& demands,
                          uint64_t swapWork, const SelectionWork& work);

// The set of the vectors of `chosen`, each chosen by its phase.
BudgetSet budgetSetOf(const PatternSet& patterns, const FaultDemands& demands,
                      const std::vector<std::pair<uint32_t, ChoicePhase>>& chosen);

// The swaps' work for a table of `words` words of rows: a fixed share of
// reading it.
uint64_t budgetSwapWork(uint64_t tableWords);
