// What a class-keeping set keeps of the detections of the set it starts
// from, per fault.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/faults/fault_marks.h"

// Per fault number: min(its demand, the vectors of `vectors` that detect
// it), the demands those of `demands` (null: 1 for every fault).
std::vector<uint32_t> keptDemands(const PatternSet& patterns, const std::vector<uint32_t>& vectors,
                                  const FaultDemands* demands);

// The faults whose kept demand is above 0: those the start covers.
FaultMarks keptFaults(const PatternSet& patterns, const std::vector<uint32_t>& keep);
