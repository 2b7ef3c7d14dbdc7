// Writes the chosen vectors as a new patterns file.
#pragma once

#include <string>

#include "model/ssbdd_model.h"
#include "patterns/pattern_set.h"
#include "select/selection_state.h"

// Writes ".VECTORS <chosen>", ".PATTERNS" and one row per selected vector, in
// file order, through a temporary file renamed over `path`, so that a failure
// leaves an existing file as it was.
void writeCompactedPatterns(const std::string& path, const SelectionState& selection,
                            const PatternSet& patterns, const SsbddModel& model);
