// The essential vectors of the default run: for each node in ascending
// order whose fault 0 (else fault 1) exactly one vector detects, that vector.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/kernels/pass_parts.h"
#include "select/kernels/vector_fields.h"

struct EssentialEntries {
    // Bit n: node n has an entry for fault 0 / for fault 1 (at most one of the two).
    std::vector<uint64_t> fault0;
    std::vector<uint64_t> fault1;
    // Where a fault is detected at all, the lowest vector that detects it, in
    // fields of `width` bits per node.
    uint32_t width = 0;
    std::vector<uint64_t> first0;
    std::vector<uint64_t> first1;
    // Faults some row detects, gathered on the way for the greedy phase.
    std::vector<uint64_t> reach0;
    std::vector<uint64_t> reach1;
};

// One pass over the rows of vectors [0, vectors), cut as `parts` says.
EssentialEntries findEssentialEntries(const PatternSet& patterns, uint32_t vectors, const PassParts& parts);

// Calls take(vector) for each entry in node order, until take returns false.
template <class Take>
void forEachEntryVector(const EssentialEntries& entries, Take&& take) {
    for (size_t word = 0; word < entries.fault0.size(); ++word) {
        for (uint64_t nodes = entries.fault0[word] | entries.fault1[word]; nodes != 0; nodes &= nodes - 1) {
            int bit = std::countr_zero(nodes);
            size_t node = word * 64 + static_cast<size_t>(bit);
            const std::vector<uint64_t>& first = (entries.fault0[word] >> bit) & 1 ? entries.first0 : entries.first1;
            if (!take(loadVectorField(first.data(), entries.width, node))) {
                return;
            }
        }
    }
}
