// The rows of the fault table as the selection reads them, and the one
// numbering of faults: fault f (0 or 1) of node n is fault 2n + f.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "patterns/pattern_set.h"

inline uint64_t faultNumber(uint64_t node, uint32_t plane) { return 2 * node + plane; }
inline uint64_t nodeOfFault(uint64_t fault) { return fault / 2; }
inline uint32_t planeOfFault(uint64_t fault) { return static_cast<uint32_t>(fault % 2); }

// Row `vector` of the table; a vector without a stored row is all 'X'.
inline FaultTableRow selectionRow(const PatternSet& patterns, uint32_t vector) {
    const FaultTable& table = patterns.faultTable;
    return vector < table.rows.size() ? table.rows[vector] : FaultTableRow{};
}

// The vectors the selection looks at: those with a stored fault-table row.
// Every later vector's row is all 'X': it can never add a fault, so it only
// matters as the widest-vector fallback, vector 0, when no row was stored.
inline uint32_t selectionVectorCount(const PatternSet& patterns) {
    auto rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    if (rows == 0 && patterns.vectorCount > 0) {
        return 1;
    }
    return rows;
}

// Table words of the rows of vectors [begin, end), both planes.
inline size_t rowWords(const PatternSet& patterns, uint32_t begin, uint32_t end) {
    size_t words = 0;
    for (uint32_t vector = begin; vector < end && vector < patterns.faultTable.rows.size(); ++vector) {
        words += 2 * size_t{patterns.faultTable.rows[vector].words};
    }
    return words;
}

// Words of all the stored rows, both planes.
inline size_t tableWords(const PatternSet& patterns) {
    return rowWords(patterns, 0, static_cast<uint32_t>(patterns.faultTable.rows.size()));
}

// One past the last node the row detects a fault of: 0 for a row that
// detects none.
inline uint64_t nodesReached(const FaultTableRow& row) {
    for (uint32_t word = row.words; word-- > 0;) {
        uint64_t any = faultPlane(row, 0)[word] | faultPlane(row, 1)[word];
        if (any != 0) {
            return uint64_t{word} * 64 + 64 - static_cast<uint64_t>(std::countl_zero(any));
        }
    }
    return 0;
}

// Whether test(fault) holds for some fault the row detects, tried in the
// order of forEachFault up to the first that passes.
template <class Test>
bool anyFault(const FaultTableRow& row, Test&& test) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (uint32_t word = 0; word < row.words; ++word) {
            for (uint64_t rest = bits[word]; rest != 0; rest &= rest - 1) {
                uint64_t node = uint64_t{word} * 64 + static_cast<uint64_t>(std::countr_zero(rest));
                if (test(faultNumber(node, plane))) {
                    return true;
                }
            }
        }
    }
    return false;
}

// Calls visit(fault) for every fault the row detects: the fault 0 of each
// node in ascending order, then the fault 1 of each.
template <class Visit>
void forEachFault(const FaultTableRow& row, Visit&& visit) {
    anyFault(row, [&visit](uint64_t fault) {
        visit(fault);
        return false;
    });
}

// The fault numbers a table's rows can hold: both faults of each node of the
// widest row.
inline size_t faultNumberLimit(const PatternSet& patterns) {
    return 2 * 64 * size_t{patterns.faultTable.maxWords};
}
