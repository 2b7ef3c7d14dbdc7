// The greedy top-up: vectors that tell apart the most pairs of faults still
// together, until no vector tells apart any more.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/diagnostic/fault_classes.h"

// Adds, one at a time, the vector outside `chosen` (one flag per vector)
// that splits the most pairs of faults of one class (pairsSplitBy; ties to
// the lowest index) until none splits any, when the classes are those under
// every vector, or `room` vectors were added. `classes` are those under the
// chosen vectors and follow the picks; the picks are flagged in `chosen`
// and returned in order.
std::vector<uint32_t> topUpClasses(const PatternSet& patterns, FaultClasses& classes, std::vector<uint8_t>& chosen,
                                   uint32_t room);
