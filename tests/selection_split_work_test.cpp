// The selection with its passes split over two threads and with every kernel
// tier this processor runs, against the straightforward reference: the
// thresholds that keep small tables on one thread are set to 0 here, so that
// every split path runs on tables the reference can check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/cpu_count.h"
#include "select/selection_options.h"
#include "patterns/pattern_set.h"
#include "select/selection_for_tests.h"
#include "selection_support.h"
#include "support/cpu_tiers.h"

namespace {

struct Table {
    uint32_t nodeCount = 0;
    std::vector<std::string> rows;  // possibly shorter than nodeCount
    std::string summary;            // nodeCount symbols
};

// Rows at a per-node rate, some copied, of random lengths; a summary of what
// they detect with a few extra marks.
Table randomTable(Random& random, uint32_t maxVectors, uint32_t maxNodes, uint32_t minVectors = 1,
                  uint32_t minNodes = 1) {
    Table table;
    table.nodeCount = minNodes + below(random, maxNodes - minNodes + 1);
    uint32_t vectors = minVectors + below(random, maxVectors - minVectors + 1);
    std::vector<uint32_t> rates(table.nodeCount);
    for (uint32_t& rate : rates) {
        rate = below(random, 4) == 0 ? 2 : below(random, 300);
    }
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        if (vector > 0 && below(random, 10) == 0) {
            table.rows.push_back(table.rows[below(random, vector)]);
            continue;
        }
        uint32_t length = below(random, 2) == 0 ? table.nodeCount : below(random, table.nodeCount + 1);
        std::string row;
        for (uint32_t node = 0; node < length; ++node) {
            row += below(random, 1000) < rates[node] ? (below(random, 3) == 0 ? '1' : '0')
                   : below(random, 4) == 0          ? 'x'
                                                    : 'X';
        }
        table.rows.push_back(row);
    }
    for (uint32_t node = 0; node < table.nodeCount; ++node) {
        bool fault0 = below(random, 30) == 0;
        bool fault1 = below(random, 30) == 0;
        for (const std::string& row : table.rows) {
            fault0 = fault0 || (node < row.size() && row[node] == '0');
            fault1 = fault1 || (node < row.size() && row[node] == '1');
        }
        table.summary += fault0 && fault1 ? '&' : fault0 ? '0' : fault1 ? '1' : 'X';
    }
    return table;
}

BaselineSelection runReference(const SelectionOptions& options, const Table& table) {
    std::vector<std::string> rows = table.rows;
    for (std::string& row : rows) {
        row.resize(table.nodeCount, 'X');
    }
    return runBaselineSelection(options, table.nodeCount, rows, table.summary);
}

std::vector<SelectionOptions> allOptions() {
    std::vector<SelectionOptions> sets(4);
    sets[1].seedWithEssentialVectors = false;
    sets[2].faultCoverActive = true;
    sets[2].faultCoverPercent = 90;
    sets[3].seedWithEssentialVectors = false;
    sets[3].faultCoverActive = true;
    sets[3].faultCoverPercent = 60;
    return sets;
}

std::string describe(const SelectionOptions& options) {
    return std::string(options.seedWithEssentialVectors ? "essential" : "widest") +
           (options.faultCoverActive ? " cover " + std::to_string(options.faultCoverPercent) : "") +
           " n_detect " + std::to_string(options.detections) + " budget " + std::to_string(options.vectorBudget);
}


const SelectionWork SplitEverything{true, 0};
const SelectionWork OneThread{false, 0};

class SplitSelection : public ::testing::Test {
protected:
    // Every supported tier, on one thread and with every pass split, gives
    // the reference's results.
    void compareOnRandomTables(uint64_t seed, int tables, uint32_t maxVectors, uint32_t maxNodes,
                               uint32_t minNodes = 1) {
        Random random(seed);
        for (int index = 0; index < tables; ++index) {
            Table table = randomTable(random, maxVectors, maxNodes, 1, minNodes);
            PatternSet patterns = patternSetOf(table.rows, table.summary);
            for (const SelectionOptions& options : allOptions()) {
                BaselineSelection reference = runReference(options, table);
                forEachSupportedTier([&](CpuTier tier) {
                    for (const SelectionWork& work : {OneThread, SplitEverything}) {
                        std::string what = "seed " + std::to_string(seed) + " table " + std::to_string(index) + " " +
                                           describe(options) + " " + tierName(tier) +
                                           (work.secondThread ? " split" : " one thread");
                        expectSameAsReference(runSelectionWith(options, patterns, work), reference, table.nodeCount, what);
                        if (HasFailure()) {
                            return;
                        }
                    }
                });
                if (HasFailure()) {
                    return;
                }
            }
        }
    }
};

TEST_F(SplitSelection, SmallTablesGiveTheReferenceResults) {
    compareOnRandomTables(21, 300, 30, 150);
}

TEST_F(SplitSelection, WideTablesGiveTheReferenceResults) {
    compareOnRandomTables(22, 40, 120, 900);
    // Rows of more than 2 x 32,768 nodes: the counts are taken a chunk of
    // words at a time, on each thread's half too.
    compareOnRandomTables(24, 2, 6, 100000, 70000);
}

// More than 255 chosen vectors detect one fault: the counts pass through the
// byte counts several times over and must still come out whole.
TEST_F(SplitSelection, CountsOfHundredsOfChosenVectorsAtOneNode) {
    const uint32_t Vectors = 700;
    Table table;
    table.nodeCount = Vectors + 1;
    for (uint32_t vector = 0; vector < Vectors; ++vector) {
        std::string row(table.nodeCount, 'X');
        row[0] = '0';
        row[vector + 1] = vector % 3 == 0 ? '1' : '0';
        table.rows.push_back(row);
    }
    for (uint32_t node = 0; node < table.nodeCount; ++node) {
        table.summary += node == 0 || node % 3 != 1 ? '0' : '1';
    }
    PatternSet patterns = patternSetOf(table.rows, table.summary);
    for (const SelectionOptions& options : allOptions()) {
        BaselineSelection reference = runReference(options, table);
        for (const SelectionWork& work : {OneThread, SplitEverything}) {
            SelectionState selection = runSelectionWith(options, patterns, work);
            expectSameAsReference(selection, reference, table.nodeCount, describe(options));
            EXPECT_EQ(countAt(selection.count0, 0), selection.chosenCount) << describe(options);
        }
    }
    EXPECT_EQ(countAt(runSelectionWith(SelectionOptions{}, patterns, SplitEverything).count0, 0), 700u);
}

// The default work keeps small tables on one thread and splits large ones;
// either way the results are those of one thread, with demands and within a
// budget too.
TEST_F(SplitSelection, DefaultWorkGivesTheResultsOfOneThread) {
    Random random(23);
    Table table = randomTable(random, 400, 3000, 300, 2000);
    PatternSet patterns = patternSetOf(table.rows, table.summary);
    std::vector<SelectionOptions> optionSets = allOptions();
    optionSets.push_back(SelectionOptions{.detections = 3});
    optionSets.push_back(SelectionOptions{.detections = 2, .vectorBudget = 40});
    for (const SelectionOptions& options : optionSets) {
        SelectionState single = runSelectionWith(options, patterns, OneThread);
        SelectionState chosen = runSelectionWith(options, patterns, defaultSelectionWork());
        SelectionState split = runSelectionWith(options, patterns, SelectionWork{true, 1000});
        for (const SelectionState* other : {&chosen, &split}) {
            EXPECT_EQ(other->state, single.state) << describe(options);
            EXPECT_EQ(other->greedyPicks, single.greedyPicks) << describe(options);
            EXPECT_EQ(other->count0, single.count0) << describe(options);
            EXPECT_EQ(other->count1, single.count1) << describe(options);
            EXPECT_EQ(other->covered0, single.covered0) << describe(options);
            EXPECT_EQ(other->covered1, single.covered1) << describe(options);
            EXPECT_EQ(other->cycleCount, single.cycleCount) << describe(options);
            EXPECT_EQ(other->discardedCount, single.discardedCount) << describe(options);
        }
    }
}

// The second thread follows the CPUs the process may run on, not those the
// machine has: with one of them, no pass is cut.
TEST_F(SplitSelection, OneUsableCpuKeepsTheSelectionOnOneThread) {
    OneCpuOnly oneCpu;
    EXPECT_EQ(usableCpuCount(), 1u);
    EXPECT_FALSE(defaultSelectionWork().secondThread);
}

}  // namespace
