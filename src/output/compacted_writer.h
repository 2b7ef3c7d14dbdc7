// Writes the chosen vectors as a new patterns file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ssbdd_model.h"
#include "patterns/pattern_set.h"

// Writes ".VECTORS <count>", ".PATTERNS" and one row per vector of `chosen`
// (indices in file order) through a temporary file renamed over `path`, so
// that a failure leaves an existing file as it was.
void writeCompactedPatterns(const std::string& path, const std::vector<uint32_t>& chosen,
                            const PatternSet& patterns, const SsbddModel& model);
