// The default selection, one detection per fault: essential vectors (or the
// widest), greedy completion and elimination over covered flags, the long
// passes shared with a second thread as `work` says.
#pragma once

#include "patterns/pattern_set.h"
#include "select/kernels/pass_worker.h"
#include "select/phases/selection_state.h"
#include "select/selection_options.h"

SelectionState runDefaultSelection(const SelectionOptions& options, const PatternSet& patterns,
                                   const SelectionWork& work);
