// The faults of the table in one numbering, and the visit of a row's faults
// in it: fault 0 of node n is n, fault 1 of node n is 64 * maxWords + n,
// whatever the width of the row.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

// The numbers the faults of the table take: both faults of every node of
// the widest row.
inline size_t faultSlots(const FaultTable& table) { return 2 * 64 * static_cast<size_t>(table.maxWords); }

// Words of all the stored rows, both planes: what a pass over the table reads.
inline uint64_t tableWordCount(const FaultTable& table) {
    uint64_t words = 0;
    for (const FaultTableRow& row : table.rows) {
        words += 2 * uint64_t{row.words};
    }
    return words;
}

// Calls test(fault) for each fault the row detects that `mask` marks (a
// plane of 2 * maxWords words; every fault when it is null), ascending,
// until one gives true; returns whether one did.
template <typename Test>
bool findRowFault(const FaultTableRow& row, const FaultTable& table, const uint64_t* mask, Test test) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = row.bits + static_cast<size_t>(plane) * row.words;
        size_t base = static_cast<size_t>(plane) * table.maxWords;
        for (uint32_t w = 0; w < row.words; ++w) {
            for (uint64_t word = bits[w] & (mask ? mask[base + w] : ~uint64_t{0}); word != 0; word &= word - 1) {
                if (test(static_cast<uint32_t>(64 * (base + w) + static_cast<size_t>(std::countr_zero(word))))) {
                    return true;
                }
            }
        }
    }
    return false;
}

// Calls visit(fault) for every fault the row detects, ascending.
template <typename Visit>
void forRowFaults(const FaultTableRow& row, const FaultTable& table, Visit visit) {
    findRowFault(row, table, nullptr, [&](uint32_t fault) {
        visit(fault);
        return false;
    });
}

// The same over the faults `mask` marks.
template <typename Visit>
void forMaskedRowFaults(const FaultTableRow& row, const FaultTable& table, const std::vector<uint64_t>& mask,
                        Visit visit) {
    findRowFault(row, table, mask.data(), [&](uint32_t fault) {
        visit(fault);
        return false;
    });
}

// Whether test(fault) holds for a fault the row detects.
template <typename Test>
bool anyRowFault(const FaultTableRow& row, const FaultTable& table, Test test) {
    return findRowFault(row, table, nullptr, test);
}

// A fault's bit in a plane numbered as the faults.
inline void markFault(std::vector<uint64_t>& plane, uint32_t fault) {
    plane[fault / 64] |= uint64_t{1} << (fault % 64);
}
inline void unmarkFault(std::vector<uint64_t>& plane, uint32_t fault) {
    plane[fault / 64] &= ~(uint64_t{1} << (fault % 64));
}

// Row `vector` of the table; a vector without a stored row is all 'X'.
inline FaultTableRow tableRow(const FaultTable& table, uint32_t vector) {
    return vector < table.rows.size() ? table.rows[vector] : FaultTableRow{};
}
