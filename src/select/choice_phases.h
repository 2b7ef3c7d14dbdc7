// Which phase of the selection chose each vector of the final set, for the
// vector report.
#pragma once

#include <cstdint>
#include <vector>

#include "select/selection_options.h"
#include "select/selection_state.h"

enum class ChoicePhase { Essential, Widest, Greedy, Minimize };

// "essential", "widest", "greedy" or "minimize".
const char* choicePhaseName(ChoicePhase phase);

// The phase of each vector of `chosen` (file order). `defaultChosen` is the
// default run's set when "-minimize" replaced it, else empty: a vector it
// does not hold came from the search. Of the rest, the greedy picks are the
// greedy phase's, and the others the seeding's: the essential vectors, or
// the widest vector with "-no_unique_vectors".
std::vector<ChoicePhase> choicePhases(const std::vector<uint32_t>& chosen, const SelectionState& state,
                                      const SelectionOptions& options, const std::vector<uint32_t>& defaultChosen);
