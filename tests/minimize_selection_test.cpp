// "-minimize" on fault tables built in memory: the improved set against the
// default selection it starts from, and against exact optima found by trying
// every subset of a small table; with every demand 1 and with random demands.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "select/selection_options.h"
#include "model/ssbdd_model.h"
#include "patterns/pattern_set.h"
#include "select/minimize/lagrangian.h"
#include "select/minimize/minimize.h"
#include "select/selection_for_tests.h"
#include "selection_support.h"

namespace {

struct Table {
    uint32_t nodeCount = 0;
    std::vector<std::string> rows;  // possibly shorter than nodeCount
};

// Rows of independent detections, each fault at its own rate (some rare,
// some common), of random lengths; now and then a copy of an earlier row.
Table randomTable(Random& random, uint32_t vectors, uint32_t nodes) {
    Table table;
    table.nodeCount = nodes;
    std::vector<uint32_t> rates(2 * size_t{nodes});
    for (uint32_t& rate : rates) {
        rate = below(random, 10) == 0 ? 0 : 400 >> below(random, 5);
    }
    for (uint32_t v = 0; v < vectors; ++v) {
        if (v > 0 && below(random, 10) == 0) {
            table.rows.push_back(table.rows[below(random, v)]);
            continue;
        }
        uint32_t length = below(random, 3) == 0 ? below(random, nodes + 1) : nodes;
        std::string row;
        for (uint32_t node = 0; node < length; ++node) {
            row += below(random, 1000) < rates[2 * node]       ? '0'
                   : below(random, 1000) < rates[2 * node + 1] ? '1'
                   : below(random, 4) == 0                     ? 'x'
                                                               : 'X';
        }
        table.rows.push_back(row);
    }
    return table;
}

// Every fault detected by two to four random vectors: few essential vectors
// and little domination, so the Lagrangian bound and the branching do the work.
Table spreadTable(Random& random, uint32_t vectors, uint32_t nodes) {
    Table table;
    table.nodeCount = nodes;
    table.rows.assign(vectors, std::string(nodes, 'X'));
    for (uint32_t node = 0; node < nodes; ++node) {
        for (char fault : {'0', '1'}) {
            uint32_t detectors = std::min(vectors, 2 + below(random, 3));
            for (uint32_t placed = 0; placed < detectors;) {
                std::string& row = table.rows[below(random, vectors)];
                if (row[node] == 'X') {
                    row[node] = fault;
                    ++placed;
                } else if (row[node] == fault) {
                    continue;
                } else {
                    break;  // the vector already detects the node's other fault
                }
            }
        }
    }
    return table;
}

// Vertex cover of a random graph: the vectors are the vertices and every
// edge is a node whose fault 0 its two ends detect. Odd cycles put the
// optimum above the Lagrangian bound, so only the branching closes the gap.
// With three ends, a hypergraph whose demands of 2 do the same.
Table graphTable(Random& random, uint32_t vertices, uint32_t edges, uint32_t ends) {
    Table table;
    table.rows.assign(vertices, std::string());
    for (uint32_t edge = 0; edge < edges && vertices >= ends; ++edge) {
        for (std::string& row : table.rows) {
            row += 'X';
        }
        for (uint32_t placed = 0; placed < ends;) {
            char& symbol = table.rows[below(random, vertices)].back();
            placed += symbol == 'X' ? 1 : 0;
            symbol = '0';
        }
    }
    table.nodeCount = static_cast<uint32_t>(table.rows[0].size());
    return table;
}

Table smallTable(Random& random, int index) {
    uint32_t vectors = 1 + below(random, 16);
    uint32_t nodes = 1 + below(random, 16);
    switch (index % 3) {
        case 0: return randomTable(random, vectors, nodes);
        case 1: return spreadTable(random, vectors, nodes);
        default: return graphTable(random, vectors, (2 + index % 2) * nodes, 2 + index % 2);
    }
}

char symbolAt(const Table& table, uint32_t vector, uint32_t node) {
    const std::string& row = table.rows[vector];
    return node < row.size() ? row[node] : 'X';
}

// The summary marks what the rows detect, so the default covers all of it.
PatternSet toPatternSet(const Table& table) {
    return patternSetOf(table.rows, summaryOfRows(table.rows, table.nodeCount));
}

// Per node, the demands of its fault 0 and fault 1; none at all (both lists
// empty): a demand of 1 for every fault.
struct Demands {
    std::vector<uint32_t> fault0;
    std::vector<uint32_t> fault1;
};

uint32_t demandOf(const Demands& demands, uint32_t fault, uint32_t node) {
    const std::vector<uint32_t>& list = fault == 0 ? demands.fault0 : demands.fault1;
    return node < list.size() ? list[node] : 1;
}

// The demands as the selection holds them, or none.
std::optional<FaultDemands> faultDemandsOf(const Demands& demands) {
    if (demands.fault0.empty()) {
        return std::nullopt;
    }
    FaultDemands held;
    held.words = (demands.fault0.size() + 63) / 64;
    uint32_t largest = 0;
    for (const std::vector<uint32_t>* list : {&demands.fault0, &demands.fault1}) {
        largest = std::max(largest, *std::max_element(list->begin(), list->end()));
    }
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const std::vector<uint32_t>& list = plane == 0 ? demands.fault0 : demands.fault1;
        resetCounts(held.demand[plane], held.words, static_cast<uint32_t>(std::bit_width(largest)));
        for (size_t word = 0; word < held.words; ++word) {
            uint32_t values[64] = {};
            for (size_t bit = 0; bit < 64 && word * 64 + bit < list.size(); ++bit) {
                values[bit] = list[word * 64 + bit];
            }
            storeWordCounts(held.demand[plane], word, values);
        }
    }
    return held;
}

uint32_t minimizeSelection(SelectionState& selection, const PatternSet& patterns, const Demands& demands = {}) {
    std::optional<FaultDemands> held = faultDemandsOf(demands);
    return minimizeSelection(selection, patterns, held ? &*held : nullptr, minimizeWork(patterns));
}

uint32_t minimizeSelectionWithin(SelectionState& selection, const PatternSet& patterns, uint64_t workLimit,
                                 const Demands& demands) {
    std::optional<FaultDemands> held = faultDemandsOf(demands);
    return minimizeSelectionWithin(selection, patterns, workLimit, held ? &*held : nullptr);
}

// No demands (every demand 1) for even indexes; 2 for every fault for
// every fourth; else from 0 to 3 per fault, mostly 1 or 2.
Demands randomDemands(Random& random, const Table& table, int index) {
    Demands demands;
    if (index % 2 == 0) {
        return demands;
    }
    for (uint32_t node = 0; node < table.nodeCount; ++node) {
        for (std::vector<uint32_t>* list : {&demands.fault0, &demands.fault1}) {
            list->push_back(index % 4 == 3       ? 2
                            : below(random, 8) == 0 ? 0
                                                    : 1 + below(random, 2) + (below(random, 4) == 0 ? 1 : 0));
        }
    }
    return demands;
}

// Per fault 2n + b, fault b of node n: the vectors in the selected state
// that detect it.
std::vector<uint32_t> detectionCounts(const Table& table, const std::vector<int32_t>& state) {
    std::vector<uint32_t> counts(2 * size_t{table.nodeCount}, 0);
    for (uint32_t v = 0; v < table.rows.size(); ++v) {
        for (uint32_t node = 0; v < state.size() && state[v] == Selected && node < table.nodeCount; ++node) {
            char symbol = symbolAt(table, v, node);
            if (symbol == '0' || symbol == '1') {
                ++counts[2 * node + (symbol - '0')];
            }
        }
    }
    return counts;
}

// What a minimized set must keep of each fault: its demand, up to the
// detections the set it starts from gives it.
std::vector<uint32_t> keptDemands(const Table& table, const std::vector<int32_t>& state,
                                  const Demands& demands) {
    std::vector<uint32_t> kept = detectionCounts(table, state);
    for (uint32_t fault = 0; fault < kept.size(); ++fault) {
        kept[fault] = std::min(kept[fault], demandOf(demands, fault % 2, fault / 2));
    }
    return kept;
}

// The fewest vectors that detect every fault as often as `kept` says, by
// trying every subset (at most 20 vectors).
uint32_t exactOptimum(const Table& table, const std::vector<uint32_t>& kept) {
    auto vectors = static_cast<uint32_t>(table.rows.size());
    std::vector<uint32_t> detectors(kept.size(), 0);  // per fault: a mask of vectors
    for (uint32_t v = 0; v < vectors; ++v) {
        for (uint32_t node = 0; node < table.nodeCount; ++node) {
            char symbol = symbolAt(table, v, node);
            if (symbol == '0' || symbol == '1') {
                detectors[2 * node + (symbol - '0')] |= uint32_t{1} << v;
            }
        }
    }
    uint32_t best = vectors;
    for (uint32_t subset = 0; subset < (uint32_t{1} << vectors); ++subset) {
        auto size = static_cast<uint32_t>(__builtin_popcount(subset));
        bool meets = size < best;
        for (size_t fault = 0; fault < kept.size() && meets; ++fault) {
            meets = static_cast<uint32_t>(__builtin_popcount(subset & detectors[fault])) >= kept[fault];
        }
        best = meets ? size : best;
    }
    return best;
}

// Every vector chosen: the start from which every fault keeps its whole
// demand, up to the vectors that detect it.
SelectionState everyVectorChosen(const PatternSet& patterns) {
    SelectionState all = createSelectionState(patterns);
    for (uint32_t v = 0; v < all.state.size(); ++v) {
        applyVector(all, patterns, v);
        all.state[v] = Selected;
        ++all.chosenCount;
    }
    return all;
}

// The default selection under each option set, and with demands also every
// vector chosen.
std::vector<SelectionState> startingSets(const PatternSet& patterns, const Demands& demands);

std::vector<SelectionOptions> optionSets() {
    std::vector<SelectionOptions> sets(4);
    sets[1].faultCoverActive = true;
    sets[1].faultCoverPercent = 60;
    sets[2].seedWithEssentialVectors = false;
    sets[3].seedWithEssentialVectors = false;
    sets[3].faultCoverActive = true;
    sets[3].faultCoverPercent = 30;
    return sets;
}

std::vector<SelectionState> startingSets(const PatternSet& patterns, const Demands& demands) {
    std::vector<SelectionState> starts;
    for (const SelectionOptions& options : optionSets()) {
        starts.push_back(runSelectionPhases(options, patterns));
    }
    if (!demands.fault0.empty()) {
        starts.push_back(everyVectorChosen(patterns));
    }
    return starts;
}

std::string describe(uint64_t seed, int index, size_t optionSet) {
    return "seed " + std::to_string(seed) + " table " + std::to_string(index) + " options " +
           std::to_string(optionSet);
}

// What must hold after any minimization, whatever the work limit.
void expectSoundImprovement(const Table& table, const SelectionState& before, const SelectionState& after,
                            uint32_t bound, const std::vector<uint32_t>& kept, const std::string& what) {
    std::vector<uint32_t> counts = detectionCounts(table, after.state);
    std::vector<uint8_t> covered(counts.size());
    for (size_t fault = 0; fault < kept.size(); ++fault) {
        ASSERT_GE(counts[fault], kept[fault]) << what << ": fault " << fault << " short";
        covered[fault] = counts[fault] > 0 ? 1 : 0;
    }
    auto selected = static_cast<uint32_t>(std::count(after.state.begin(), after.state.end(), Selected));
    EXPECT_EQ(after.chosenCount, selected) << what;
    EXPECT_LE(after.chosenCount, before.chosenCount) << what;
    EXPECT_LE(bound, after.chosenCount) << what;
    EXPECT_EQ(after.cycleCount, before.cycleCount) << what;
    EXPECT_EQ(after.coveredCount, static_cast<uint32_t>(std::count(covered.begin(), covered.end(), 1))) << what;
    for (uint32_t node = 0; node < table.nodeCount; ++node) {
        int32_t count0 = 0;
        int32_t count1 = 0;
        for (uint32_t v = 0; v < table.rows.size(); ++v) {
            count0 += after.state[v] == Selected && symbolAt(table, v, node) == '0' ? 1 : 0;
            count1 += after.state[v] == Selected && symbolAt(table, v, node) == '1' ? 1 : 0;
        }
        // The state holds flags and counts up to the widest stored row only.
        bool held = node < 64 * after.covered0.size();
        ASSERT_EQ(countAt(after.count0, node), static_cast<uint32_t>(count0)) << what << ": node " << node;
        ASSERT_EQ(countAt(after.count1, node), static_cast<uint32_t>(count1)) << what << ": node " << node;
        ASSERT_EQ(held ? (after.covered0[node / 64] >> (node % 64)) & 1 : 0, uint64_t{covered[2 * node]}) << what;
        ASSERT_EQ(held ? (after.covered1[node / 64] >> (node % 64)) & 1 : 0, uint64_t{covered[2 * node + 1]})
            << what;
    }
    // A vector only changes between selected and not selected.
    for (size_t v = 0; v < after.state.size(); ++v) {
        if (before.state[v] != Selected && after.state[v] != Selected) {
            ASSERT_EQ(after.state[v], before.state[v]) << what << ": vector " << v;
        }
        if (before.state[v] == Selected && after.state[v] != Selected) {
            ASSERT_EQ(after.state[v], Candidate) << what << ": vector " << v;
        }
    }
}

TEST(MinimizeSmallTables, ReachesTheExactOptimumAndProvesIt) {
    SsbddModel model;
    for (uint64_t seed : {11u, 12u, 13u}) {
        Random random(seed);
        for (int index = 0; index < 60; ++index) {
            Table table = smallTable(random, index);
            PatternSet patterns = toPatternSet(table);
            Demands demands = randomDemands(random, table, index);
            std::vector<SelectionState> starts = startingSets(patterns, demands);
            for (size_t set = 0; set < starts.size(); ++set) {
                std::string what = describe(seed, index, set);
                const SelectionState& before = starts[set];
                std::vector<uint32_t> kept = keptDemands(table, before.state, demands);
                SelectionState after = before;
                uint32_t bound = minimizeSelection(after, patterns, demands);
                expectSoundImprovement(table, before, after, bound, kept, what);
                uint32_t optimum = exactOptimum(table, kept);
                EXPECT_EQ(after.chosenCount, optimum) << what;
                EXPECT_EQ(bound, optimum) << what;
            }
        }
    }
}

TEST(MinimizeSmallTables, BoundNeverExceedsTheOptimumWithLittleWork) {
    SsbddModel model;
    Random random(21);
    for (int index = 0; index < 200; ++index) {
        Table table = smallTable(random, index);
        PatternSet patterns = toPatternSet(table);
        Demands demands = randomDemands(random, table, index);
        SelectionState before = startingSets(patterns, demands).back();
        std::vector<uint32_t> kept = keptDemands(table, before.state, demands);
        uint32_t optimum = exactOptimum(table, kept);
        for (uint64_t limit : {uint64_t{0}, uint64_t{2000}, uint64_t{50000}}) {
            std::string what = describe(21, index, 0) + " limit " + std::to_string(limit);
            SelectionState after = before;
            uint32_t bound = minimizeSelectionWithin(after, patterns, limit, demands);
            expectSoundImprovement(table, before, after, bound, kept, what);
            EXPECT_LE(bound, optimum) << what;
        }
    }
}

TEST(MinimizeLargerTables, KeepsTheCoverageAndIsRepeatable) {
    SsbddModel model;
    Random random(31);
    for (int index = 0; index < 24; ++index) {
        uint32_t vectors = 100 + below(random, 900);
        uint32_t nodes = 50 + below(random, 550);
        Table table = index % 4 < 2 ? randomTable(random, vectors, nodes) : spreadTable(random, vectors, nodes);
        PatternSet patterns = toPatternSet(table);
        Demands demands = randomDemands(random, table, index);
        std::vector<SelectionState> starts = startingSets(patterns, demands);
        for (size_t set = 0; set < starts.size(); ++set) {
            std::string what = describe(31, index, set);
            const SelectionState& before = starts[set];
            std::vector<uint32_t> kept = keptDemands(table, before.state, demands);
            SelectionState first = before;
            uint32_t firstBound = minimizeSelectionWithin(first, patterns, 10000000, demands);
            expectSoundImprovement(table, before, first, firstBound, kept, what);
            SelectionState second = before;
            uint32_t secondBound = minimizeSelectionWithin(second, patterns, 10000000, demands);
            EXPECT_EQ(second.state, first.state) << what;
            EXPECT_EQ(secondBound, firstBound) << what;
        }
    }
}

// Greedy takes the widest vector 0 and needs two more for what it leaves;
// vectors 3 and 4 alone detect everything.
TEST(MinimizeTrap, ReplacesTheGreedySetByTheTwoHalves) {
    Table table{14, {"0000XXX0000XXX", "XXXX00XXXXX00X", "XXXXXX0XXXXXX0", "0000000XXXXXXX", "XXXXXXX0000000"}};
    PatternSet patterns = toPatternSet(table);
    SsbddModel model;
    SelectionState before = runSelectionPhases(SelectionOptions{}, patterns);
    ASSERT_EQ(before.chosenCount, 3u);
    SelectionState after = before;
    uint32_t bound = minimizeSelection(after, patterns);
    EXPECT_EQ(after.state, (std::vector<int32_t>{Candidate, Candidate, Candidate, Selected, Selected}));
    EXPECT_EQ(after.chosenCount, 2u);
    EXPECT_EQ(after.coveredCount, 14u);
    EXPECT_EQ(bound, 2u);
}

TEST(MinimizeTrap, KeepsTheDefaultWhenNothingSmallerExists) {
    // The five-vector example: the default's two vectors are the minimum.
    Table table{6, {"0000XX", "00XX0X", "XX00X0", "00XX0X", "XX00X0"}};
    PatternSet patterns = toPatternSet(table);
    SsbddModel model;
    SelectionState before = runSelectionPhases(SelectionOptions{}, patterns);
    SelectionState after = before;
    EXPECT_EQ(minimizeSelection(after, patterns), 2u);
    EXPECT_EQ(after.state, before.state);
    EXPECT_EQ(after.chosenCount, 2u);
    EXPECT_EQ(after.coveredCount, before.coveredCount);
}

TEST(MinimizeTrap, KeepsAVectorThatAloneDetectsAKeptFault) {
    // Vector 2 alone detects fault 1 of node 3; vector 0 covers the rest.
    Table table{4, {"000X", "00XX", "XX01", "X0XX"}};
    PatternSet patterns = toPatternSet(table);
    SsbddModel model;
    SelectionState after = runSelectionPhases(SelectionOptions{}, patterns);
    uint32_t bound = minimizeSelection(after, patterns);
    EXPECT_EQ(after.state[2], Selected);
    EXPECT_EQ(after.chosenCount, 2u);
    EXPECT_EQ(bound, 2u);
}

TEST(MinimizeTrap, NothingDetectedLeavesNothingToChoose) {
    Table table{3, {"XXX", "xxX", ""}};
    PatternSet patterns = toPatternSet(table);
    SsbddModel model;
    SelectionState after = runSelectionPhases(SelectionOptions{}, patterns);
    EXPECT_EQ(minimizeSelection(after, patterns), 0u);
    EXPECT_EQ(after.chosenCount, 0u);
    EXPECT_EQ(after.coveredCount, 0u);
}

// Three nodes, rows repeating seven patterns, every fault demanded 1000
// times: the greedy cover is optimal, every chosen column is critical to
// 1000-fold elements, and a swap search that tries each of them (the
// search once did, uncounted, for minutes) has nothing to gain.
TEST(MinimizeTrap, StopsAtTheBoundOnRepeatedRowsWithHighDemands) {
    const std::vector<std::string> cycle{"01X", "X01", "1X0", "10X", "X10", "0X1", "XXX"};
    Table table{3, {}};
    for (uint32_t v = 0; v < 14000; ++v) {
        table.rows.push_back(cycle[v % cycle.size()]);
    }
    PatternSet patterns = toPatternSet(table);
    Demands demands{std::vector<uint32_t>(3, 1000), std::vector<uint32_t>(3, 1000)};
    SsbddModel model;
    SelectionState before = everyVectorChosen(patterns);
    SelectionState after = before;
    uint32_t bound = minimizeSelection(after, patterns, demands);
    expectSoundImprovement(table, before, after, bound, keptDemands(table, before.state, demands), "repeated rows");
    EXPECT_EQ(after.chosenCount, 3000u);
    EXPECT_EQ(bound, 3000u);
}

TEST(LagrangianRounding, NeverRoundsAnAlmostIntegerUpward) {
    EXPECT_EQ(integerBound(34.0), 34u);
    EXPECT_EQ(integerBound(33.999999999), 34u);
    EXPECT_EQ(integerBound(33.0000000001), 33u);
    EXPECT_EQ(integerBound(33.59), 34u);
    EXPECT_EQ(integerBound(0.0), 0u);
    EXPECT_EQ(integerBound(-2.5), 0u);
    EXPECT_EQ(integerBound(1e-12), 0u);
}

}  // namespace
