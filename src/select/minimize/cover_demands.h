// How many chosen vectors each fault needs: one by default, more for sets
// that detect every fault several times (a multicover).
#pragma once

#include <cstdint>
#include <vector>

// Per node: the demand of its fault 0 and of its fault 1. A node beyond the
// end of a list (both lists empty, say) has demand 1. A demand of 0 leaves
// the fault free.
struct CoverDemands {
    std::vector<uint32_t> fault0;
    std::vector<uint32_t> fault1;
};

inline bool allDemandsOne(const CoverDemands& demands) {
    for (const std::vector<uint32_t>* list : {&demands.fault0, &demands.fault1}) {
        for (uint32_t demand : *list) {
            if (demand != 1) {
                return false;
            }
        }
    }
    return true;
}

// The demand of fault `fault` (0 or 1) of `node`.
inline uint32_t demandOf(const CoverDemands& demands, uint32_t fault, uint32_t node) {
    const std::vector<uint32_t>& list = fault == 0 ? demands.fault0 : demands.fault1;
    return node < list.size() ? list[node] : 1;
}
