// A set of faults held as bit planes like a row's, and the visit of the
// faults of a row that the set holds.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/fault_rows.h"

// Bit n of plane f: the set holds fault f of node n (fault 2n + f). Each
// plane has a word per 64 nodes of the widest row.
struct FaultMarks {
    std::vector<uint64_t> plane[2];
};

// An empty set over the table's nodes.
inline FaultMarks noFaultMarks(const PatternSet& patterns) {
    size_t words = patterns.faultTable.maxWords;
    return FaultMarks{{std::vector<uint64_t>(words, 0), std::vector<uint64_t>(words, 0)}};
}

inline void markFault(FaultMarks& marks, uint64_t fault) {
    uint64_t node = nodeOfFault(fault);
    marks.plane[planeOfFault(fault)][node / 64] |= uint64_t{1} << (node % 64);
}

inline void unmarkFault(FaultMarks& marks, uint64_t fault) {
    uint64_t node = nodeOfFault(fault);
    marks.plane[planeOfFault(fault)][node / 64] &= ~(uint64_t{1} << (node % 64));
}

// Adds every fault the row detects.
inline void markRowFaults(FaultMarks& marks, const FaultTableRow& row) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (uint32_t word = 0; word < row.words; ++word) {
            marks.plane[plane][word] |= bits[word];
        }
    }
}

// Whether the row detects a fault of the set.
inline bool rowMeetsMarks(const FaultTableRow& row, const FaultMarks& marks) {
    uint64_t met = 0;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (uint32_t word = 0; word < row.words; ++word) {
            met |= bits[word] & marks.plane[plane][word];
        }
    }
    return met != 0;
}

// Calls visit(fault) for every fault the row detects that the set holds, in
// forEachFault's order: a visit costs a few word operations where the set
// holds little.
template <class Visit>
void forEachMarkedFault(const FaultTableRow& row, const FaultMarks& marks, Visit&& visit) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        const uint64_t* marked = marks.plane[plane].data();
        for (uint32_t word = 0; word < row.words; ++word) {
            for (uint64_t rest = bits[word] & marked[word]; rest != 0; rest &= rest - 1) {
                uint64_t node = uint64_t{word} * 64 + static_cast<uint64_t>(std::countr_zero(rest));
                visit(faultNumber(node, plane));
            }
        }
    }
}

// Calls visit(fault) for every fault of the set, in forEachFault's order.
template <class Visit>
void forEachFaultOf(const FaultMarks& marks, Visit&& visit) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        for (size_t word = 0; word < marks.plane[plane].size(); ++word) {
            for (uint64_t rest = marks.plane[plane][word]; rest != 0; rest &= rest - 1) {
                uint64_t node = uint64_t{word} * 64 + static_cast<uint64_t>(std::countr_zero(rest));
                visit(faultNumber(node, plane));
            }
        }
    }
}
