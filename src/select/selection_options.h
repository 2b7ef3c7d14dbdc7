// What the selection is asked to do, filled from the command line by the driver.
#pragma once

#include <cstdint>

struct SelectionOptions {
    // "-fault_cover P": stop once more than P % of the detectable faults are covered.
    bool faultCoverActive = false;
    uint32_t faultCoverPercent = 0;
    // Cleared by "-no_unique_vectors": start from the widest vector instead.
    bool seedWithEssentialVectors = true;
};
