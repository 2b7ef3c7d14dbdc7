// The order in which a tester should apply the chosen vectors, so that a
// failing part fails as soon as it can: each next the vector that adds the
// most detectable faults not yet detected (lowest index on ties), and with
// demands ("-n_detect") the most demand of detectable faults not yet met.
// Vectors that add nothing follow in index order.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"

struct CoverageOrder {
    std::vector<uint32_t> vectors;
    // After each vector: the detectable faults detected (with demands: whose
    // demand is met) by it and those before it.
    std::vector<uint32_t> coveredAfter;
};

// `chosen` in ascending order; `demands` null for one detection per fault.
CoverageOrder coverageOrder(const PatternSet& patterns, const std::vector<uint32_t>& chosen,
                        const FaultDemands* demands = nullptr);
