// "-minimize": the deeper search after the selection, whichever problem the
// options make of it, and the bound it proves.
#pragma once

#include <cstdint>

#include "patterns/pattern_set.h"
#include "select/selection_options.h"
#include "select/selection_state.h"

struct SearchBound {
    bool upper = false;  // an upper bound on the demand met, else a lower bound on the vectors
    uint64_t value = 0;
};

// With a budget that binds: a deeper search for more demand met within it,
// and an upper bound on what any such set meets. Otherwise a smaller set
// that meets at least what this one meets, and a lower bound on its size.
SearchBound searchFurther(SelectionState& selection, const SelectionOptions& options, const PatternSet& patterns);
