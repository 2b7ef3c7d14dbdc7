// What the selection is asked to do, filled from the command line by the driver.
#pragma once

#include <cstdint>

struct SelectionOptions {
    // "-fault_cover P": stop once more than P % of the detectable faults are covered.
    bool faultCoverActive = false;
    uint32_t faultCoverPercent = 0;
    // Cleared by "-no_unique_vectors": start from the widest vector instead.
    bool seedWithEssentialVectors = true;
    // "-n_detect N": each fault must be detected min(N, d) times, d the input
    // vectors that detect it. 1 is the default selection; `detectionsGiven`
    // asks for the line of the faults detected N times.
    uint32_t detections = 1;
    bool detectionsGiven = false;
    // "-max_vectors K": choose at most K vectors; 0 when there is no budget.
    uint32_t vectorBudget = 0;
    // "-minimize": search further and bound what any set can reach.
    bool minimize = false;
    // "-diagnostic": keep the faults told apart as the input vectors tell
    // them apart (select/diagnostic/class_keeping.h).
    bool diagnostic = false;
    // "-order coverage": the chosen vectors in the order that detects the most
    // first (select/order/coverage_order.h) instead of file order.
    bool coverageOrder = false;
};
