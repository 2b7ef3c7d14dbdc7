// Helpers of the selection tests: the random source of the generated
// instances, and the comparison of a selection with the reference one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "baseline_selection.h"
#include "patterns/pattern_set.h"
#include "select/faults/fault_rows.h"
#include "select/phases/flag_coverage.h"
#include "select/selection_for_tests.h"
#include "support/pattern_set_symbols.h"

using Random = std::mt19937_64;

// 0 to bound - 1; 0 when bound is 0.
inline uint32_t below(Random& random, uint32_t bound) {
    return bound == 0 ? 0 : static_cast<uint32_t>(random() % bound);
}

// A read patterns file with these TABLE rows (symbols '0', '1', 'X', 'x')
// and this FAULTS line, and `unstoredVectors` vectors more without a row.
inline PatternSet patternSetOf(const std::vector<std::string>& rows, const std::string& summary,
                               uint32_t unstoredVectors = 0) {
    PatternSet patterns;
    patterns.vectorCount = static_cast<uint32_t>(rows.size()) + unstoredVectors;
    patterns.vectorsHeaderSeen = true;
    patterns.hasFaultTable = !rows.empty();
    for (uint32_t row = 0; row < rows.size(); ++row) {
        storeTableRow(patterns.faultTable, row, rows[row]);
    }
    patterns.faultSummary.symbols = summary;
    return patterns;
}

// The FAULTS line that marks what the rows detect, over `nodeCount` nodes.
inline std::string summaryOfRows(const std::vector<std::string>& rows, uint32_t nodeCount) {
    std::string summary;
    for (uint32_t node = 0; node < nodeCount; ++node) {
        bool fault0 = false;
        bool fault1 = false;
        for (const std::string& row : rows) {
            fault0 = fault0 || (node < row.size() && row[node] == '0');
            fault1 = fault1 || (node < row.size() && row[node] == '1');
        }
        summary += fault0 && fault1 ? '&' : fault0 ? '0' : fault1 ? '1' : 'X';
    }
    return summary;
}

// A vector chosen by hand: its faults covered and counted (its state is
// left to the caller).
inline void applyVector(SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    coverVector(state, patterns, vector);
    FaultTableRow row = selectionRow(patterns, vector);
    addToCounts(state.count0, faultPlane(row, 0), row.words);
    addToCounts(state.count1, faultPlane(row, 1), row.words);
}

// Every state, counter and pick, and the counts and flags of every node
// (nodes beyond the longest stored row are all 'X': nothing counts there).
inline void expectSameAsReference(const SelectionState& fast, const BaselineSelection& reference,
                                  uint32_t nodeCount, const std::string& what) {
    EXPECT_EQ(fast.state, reference.state) << what;
    EXPECT_EQ(fast.chosenCount, reference.chosenCount) << what;
    EXPECT_EQ(fast.discardedCount, reference.discardedCount) << what;
    EXPECT_EQ(fast.cycleCount, reference.cycleCount) << what;
    EXPECT_EQ(fast.coveredCount, reference.coveredCount) << what;
    EXPECT_EQ(fast.greedyPicks, reference.greedyPicks) << what;
    EXPECT_EQ(fast.detectableTotal, reference.detectableTotal) << what;
    EXPECT_EQ(fast.coverLimit, reference.coverLimit) << what;
    for (uint32_t node = 0; node < nodeCount; ++node) {
        bool inFast = node < 64 * fast.covered0.size();
        auto count0 = static_cast<int32_t>(countAt(fast.count0, node));
        auto count1 = static_cast<int32_t>(countAt(fast.count1, node));
        int32_t covered0 = inFast ? static_cast<int32_t>((fast.covered0[node / 64] >> (node % 64)) & 1) : 0;
        int32_t covered1 = inFast ? static_cast<int32_t>((fast.covered1[node / 64] >> (node % 64)) & 1) : 0;
        if (count0 != reference.count0[node] || count1 != reference.count1[node] ||
            covered0 != reference.covered0[node] || covered1 != reference.covered1[node]) {
            ADD_FAILURE() << what << ": counts or flags differ at node " << node;
            return;
        }
    }
}
