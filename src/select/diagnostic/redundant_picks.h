// Dropping the chosen vectors that neither the coverage nor the classes
// need.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/diagnostic/fault_classes.h"

// Tries the vectors of `order` (all flagged in `chosen`) one at a time and
// drops each whose removal leaves every fault detected at least keep[fault]
// times and merges no two classes of `kept` (the classes under the chosen
// set of the faults they hold). Returns how many were dropped. What stays
// is needed: dropping a vector only makes the others more needed, so one
// pass leaves none to drop.
uint32_t dropRedundantPicks(const PatternSet& patterns, const FaultClasses& kept, std::vector<uint8_t>& chosen,
                            const std::vector<uint32_t>& order, const std::vector<uint32_t>& keep);
