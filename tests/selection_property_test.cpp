// The fast selection against the straightforward reference on thousands of
// random fault tables, and the selected sets checked from the rows alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "select/selection_options.h"
#include "model/ssbdd_model.h"
#include "patterns/pattern_set.h"
#include "select/selection.h"
#include "select/selection_for_tests.h"
#include "selection_support.h"

namespace {

struct Shape {
    uint32_t maxVectors;
    uint32_t maxNodes;
};

struct Instance {
    uint32_t nodeCount = 0;
    std::vector<std::string> rows;  // as stored: possibly shorter than nodeCount
    std::string summary;            // possibly shorter than nodeCount
    bool summaryCoversTable = true; // marks at least every fault the rows detect
};


bool chance(Random& random, uint32_t percent) {
    return below(random, 100) < percent;
}

// Per fault a detection probability in per mille, from very rare to common,
// so that some faults have one detecting vector and others many.
std::vector<uint32_t> skewedRates(Random& random, uint32_t nodes, uint32_t density) {
    std::vector<uint32_t> rates(2 * size_t{nodes});
    for (uint32_t& rate : rates) {
        rate = chance(random, 10) ? 0 : density >> below(random, 5);
    }
    return rates;
}

char xSymbol(Random& random, uint32_t lowerXShare) {
    return chance(random, lowerXShare) ? 'x' : 'X';
}

// Detections on one short run of nodes: rows that overlap little, which the
// merged rows below then combine.
std::string blockRow(Random& random, uint32_t nodes, uint32_t lowerXShare) {
    uint32_t first = below(random, nodes);
    uint32_t end = std::min(nodes, first + 1 + below(random, 8));
    std::string row(end, 'X');
    for (uint32_t node = 0; node < end; ++node) {
        row[node] = node < first ? xSymbol(random, lowerXShare) : chance(random, 70) ? '0' : '1';
    }
    return row;
}

bool detects(const std::string& row, size_t node) {
    return node < row.size() && (row[node] == '0' || row[node] == '1');
}

size_t lastDetection(const std::string& row) {
    size_t last = row.size();
    for (size_t node = 0; node < row.size(); ++node) {
        last = detects(row, node) ? node : last;
    }
    return last;
}

// The detections of two rows in one, less the last detection of each and a
// few more: picked early for its width, it tends to become redundant once the
// rows it was made of are chosen for what it lacks.
std::string mergedRow(Random& random, const std::string& first, const std::string& second) {
    std::string merged = first.size() >= second.size() ? first : second;
    size_t firstLast = lastDetection(first);
    size_t secondLast = lastDetection(second);
    for (size_t node = 0; node < merged.size(); ++node) {
        char symbol = detects(first, node) && node != firstLast     ? first[node]
                      : detects(second, node) && node != secondLast ? second[node]
                                                                    : 'X';
        merged[node] = chance(random, 10) ? 'X' : symbol;
    }
    return merged;
}

// Short runs given twice each, so that few faults are essential, and rows
// merged from two of them, in random order: the shape where greedy picks
// turn redundant.
std::vector<std::string> blockRows(Random& random, uint32_t vectors, uint32_t nodes, uint32_t lowerXShare) {
    std::vector<std::string> rows;
    for (uint32_t base = 0; base < vectors / 3; ++base) {
        rows.push_back(blockRow(random, nodes, lowerXShare));
        rows.push_back(rows.back());
    }
    while (rows.size() < vectors) {
        rows.push_back(rows.size() < 2 ? blockRow(random, nodes, lowerXShare)
                                       : mergedRow(random, rows[below(random, rows.size())],
                                                   rows[below(random, rows.size())]));
    }
    for (size_t row = rows.size(); row > 1; --row) {
        std::swap(rows[row - 1], rows[below(random, static_cast<uint32_t>(row))]);
    }
    return rows;
}

// Rows of independent detections at skewed per-fault rates, with copies and
// merged rows mixed in, of random lengths up to `nodes`.
std::vector<std::string> rateRows(Random& random, uint32_t vectors, uint32_t nodes, uint32_t lowerXShare) {
    static const uint32_t Densities[] = {10, 40, 150, 400, 700};
    std::vector<uint32_t> rates = skewedRates(random, nodes, Densities[below(random, 5)]);
    uint32_t fullRowShare = below(random, 101);
    uint32_t mergedShare = chance(random, 50) ? 0 : 30;
    std::vector<std::string> rows;
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        if (vector > 0 && chance(random, 8)) {
            rows.push_back(rows[below(random, vector)]);
        } else if (vector > 1 && chance(random, mergedShare)) {
            rows.push_back(mergedRow(random, rows[below(random, vector)], rows[below(random, vector)]));
        } else {
            uint32_t length = chance(random, fullRowShare) ? nodes : below(random, nodes + 1);
            std::string row;
            for (uint32_t node = 0; node < length; ++node) {
                row += below(random, 1000) < rates[2 * node]       ? '0'
                       : below(random, 1000) < rates[2 * node + 1] ? '1'
                                                                   : xSymbol(random, lowerXShare);
            }
            rows.push_back(row);
        }
    }
    return rows;
}

// What the rows detect, with extra marks or, now and then, marks taken away;
// sometimes cut short.
std::string randomSummary(Random& random, Instance& instance, uint32_t lowerXShare) {
    uint32_t extraShare = chance(random, 50) ? 0 : below(random, 40);
    uint32_t droppedShare = chance(random, 80) ? 0 : below(random, 30);
    instance.summaryCoversTable = droppedShare == 0;
    std::string summary;
    for (uint32_t node = 0; node < instance.nodeCount; ++node) {
        bool fault0 = false;
        bool fault1 = false;
        for (const std::string& row : instance.rows) {
            fault0 = fault0 || (node < row.size() && row[node] == '0');
            fault1 = fault1 || (node < row.size() && row[node] == '1');
        }
        fault0 = (fault0 && !chance(random, droppedShare)) || chance(random, extraShare);
        fault1 = (fault1 && !chance(random, droppedShare)) || chance(random, extraShare);
        summary += fault0 && fault1 ? '&' : fault0 ? '0' : fault1 ? '1' : xSymbol(random, lowerXShare);
    }
    while (!summary.empty() && summary.back() == 'X' && chance(random, 50)) {
        summary.pop_back();
    }
    return summary;
}

Instance randomInstance(Random& random, const Shape& shape) {
    static const uint32_t LowerXShares[] = {0, 0, 30, 100};
    Instance instance;
    instance.nodeCount = below(random, shape.maxNodes + 1);
    uint32_t vectors = below(random, shape.maxVectors + 1);
    uint32_t lowerXShare = LowerXShares[below(random, 4)];
    instance.rows = chance(random, 30) ? blockRows(random, vectors, instance.nodeCount, lowerXShare)
                                       : rateRows(random, vectors, instance.nodeCount, lowerXShare);
    instance.summary = randomSummary(random, instance, lowerXShare);
    return instance;
}

PatternSet toPatternSet(const Instance& instance, uint32_t unstoredVectors) {
    return patternSetOf(instance.rows, instance.summary, unstoredVectors);
}

// The reference's table: every vector's row, all nodeCount symbols.
BaselineSelection runReference(const SelectionOptions& options, const Instance& instance, uint32_t vectors) {
    std::vector<std::string> table(vectors, std::string(instance.nodeCount, 'X'));
    for (size_t row = 0; row < instance.rows.size(); ++row) {
        table[row].replace(0, instance.rows[row].size(), instance.rows[row]);
    }
    std::string summary = instance.summary;
    summary.resize(instance.nodeCount, 'X');
    return runBaselineSelection(options, instance.nodeCount, table, summary);
}

SelectionOptions makeOptions(bool essential, bool faultCover, uint32_t percent) {
    SelectionOptions options;
    options.seedWithEssentialVectors = essential;
    options.faultCoverActive = faultCover;
    options.faultCoverPercent = faultCover ? percent : 0;
    return options;
}

// Both seedings, each without and with "-fault_cover" at a random percent.
std::vector<SelectionOptions> optionSets(Random& random) {
    static const uint32_t Percents[] = {0, 1, 10, 50, 75, 90, 95, 99, 100, 150};
    std::vector<SelectionOptions> sets;
    for (bool essential : {true, false}) {
        sets.push_back(makeOptions(essential, false, 0));
        sets.push_back(makeOptions(essential, true, Percents[below(random, 10)]));
    }
    return sets;
}

std::string describe(const SelectionOptions& options, uint64_t seed, int index) {
    return "seed " + std::to_string(seed) + " instance " + std::to_string(index) +
           (options.seedWithEssentialVectors ? " essential" : " widest") +
           (options.faultCoverActive ? " cover " + std::to_string(options.faultCoverPercent) : "");
}


void compareOnRandomInstances(uint64_t seed, int instances, const Shape& shape) {
    Random random(seed);
    SsbddModel model;
    for (int index = 0; index < instances; ++index) {
        Instance instance = randomInstance(random, shape);
        PatternSet patterns = toPatternSet(instance, 0);
        for (const SelectionOptions& options : optionSets(random)) {
            SelectionState fast = runSelectionPhases(options, patterns);
            BaselineSelection reference =
                runReference(options, instance, static_cast<uint32_t>(instance.rows.size()));
            expectSameAsReference(fast, reference, instance.nodeCount, describe(options, seed, index));
            if (::testing::Test::HasFailure()) {
                return;
            }
        }
    }
}

TEST(SelectionAgainstReference, SmallTables) {
    compareOnRandomInstances(1, 6000, Shape{12, 20});
}

TEST(SelectionAgainstReference, TablesAcrossWordBoundaries) {
    compareOnRandomInstances(2, 2500, Shape{40, 200});
}

TEST(SelectionAgainstReference, LargerTables) {
    compareOnRandomInstances(3, 200, Shape{160, 400});
}

TEST(SelectionAgainstReference, RowsOfThousandsOfNodes) {
    compareOnRandomInstances(6, 40, Shape{10, 5000});
}

// Vectors counted by the header but without a stored row are all 'X' to the
// reference: every observable result stays the same, and the reference only
// discards those vectors as well in the default seeding.
TEST(SelectionAgainstReference, VectorsBeyondTheStoredRows) {
    Random random(4);
    SsbddModel model;
    for (int index = 0; index < 400; ++index) {
        Instance instance = randomInstance(random, Shape{24, 140});
        uint32_t unstored = 1 + below(random, 6);
        PatternSet patterns = toPatternSet(instance, unstored);
        uint32_t vectors = patterns.vectorCount;
        for (const SelectionOptions& options : optionSets(random)) {
            std::string what = describe(options, 4, index);
            SelectionState fast = runSelectionPhases(options, patterns);
            BaselineSelection reference = runReference(options, instance, vectors);
            size_t looked = fast.state.size();
            ASSERT_EQ(looked, std::max<size_t>(instance.rows.size(), 1)) << what;
            EXPECT_EQ(fast.chosenCount, reference.chosenCount) << what;
            EXPECT_EQ(fast.cycleCount, reference.cycleCount) << what;
            EXPECT_EQ(fast.coveredCount, reference.coveredCount) << what;
            EXPECT_EQ(fast.greedyPicks, reference.greedyPicks) << what;
            EXPECT_EQ(std::vector<int32_t>(reference.state.begin(), reference.state.begin() + looked), fast.state)
                << what;
            int32_t unstoredState = options.seedWithEssentialVectors ? Discarded : Candidate;
            uint32_t extraDiscards = 0;
            for (size_t vector = looked; vector < vectors; ++vector) {
                EXPECT_EQ(reference.state[vector], unstoredState) << what;
                extraDiscards += options.seedWithEssentialVectors ? 1 : 0;
            }
            EXPECT_EQ(fast.discardedCount + extraDiscards, reference.discardedCount) << what;
            if (::testing::Test::HasFailure()) {
                return;
            }
        }
    }
}

// From the rows alone: the selected vectors cover everything the whole set
// covers (or pass the limit), every greedy pick still chosen detects a fault
// no other chosen vector detects, and the counters match the states.
TEST(SelectionCoverage, SelectedVectorsKeepTheCoverageWithoutRedundantPicks) {
    Random random(5);
    SsbddModel model;
    for (int index = 0; index < 600; ++index) {
        Instance instance = randomInstance(random, Shape{60, 300});
        PatternSet patterns = toPatternSet(instance, 0);
        for (const SelectionOptions& options : optionSets(random)) {
            std::string what = describe(options, 5, index);
            SelectionState selection = runSelectionPhases(options, patterns);
            std::vector<uint32_t> all(2 * size_t{instance.nodeCount}, 0);
            std::vector<uint32_t> chosen(2 * size_t{instance.nodeCount}, 0);
            uint32_t selected = 0;
            for (uint32_t vector = 0; vector < instance.rows.size(); ++vector) {
                bool isSelected = selection.state[vector] == Selected;
                selected += isSelected ? 1 : 0;
                for (uint32_t node = 0; node < instance.nodeCount; ++node) {
                    char symbol = tableSymbol(patterns.faultTable, vector, node);
                    if (symbol == '0' || symbol == '1') {
                        size_t fault = 2 * size_t{node} + (symbol == '1' ? 1 : 0);
                        ++all[fault];
                        chosen[fault] += isSelected ? 1 : 0;
                    }
                }
            }
            uint32_t reachable = 0;
            uint32_t covered = 0;
            for (size_t fault = 0; fault < all.size(); ++fault) {
                reachable += all[fault] > 0 ? 1 : 0;
                covered += chosen[fault] > 0 ? 1 : 0;
            }
            EXPECT_EQ(selected, selection.chosenCount) << what;
            EXPECT_EQ(covered, selection.coveredCount) << what;
            if (instance.summaryCoversTable) {
                bool limitPassed = options.faultCoverActive && covered > selection.coverLimit;
                EXPECT_TRUE(covered == reachable || limitPassed) << what;
            }
            for (uint32_t vector : selection.greedyPicks) {
                if (selection.state[vector] != Selected) {
                    continue;
                }
                bool alone = false;
                for (uint32_t node = 0; node < instance.nodeCount && !alone; ++node) {
                    char symbol = tableSymbol(patterns.faultTable, vector, node);
                    alone = (symbol == '0' && chosen[2 * size_t{node}] == 1) ||
                            (symbol == '1' && chosen[2 * size_t{node} + 1] == 1);
                }
                EXPECT_TRUE(alone) << what << ": pick " << vector << " is redundant";
            }
            if (::testing::Test::HasFailure()) {
                return;
            }
        }
    }
}

}  // namespace

namespace {

// Demands and budgets on tables small enough to try every subset: the
// selection meets every demand with no pick to spare, the lower bound for
// the demands stays below the fewest vectors that meet them, and with
// "-minimize" the budget's set meets no more than the best K vectors can
// and its bound no less, no single swap makes it meet more, a larger budget
// meets no less, and the cover "-minimize" finds is the set when it fits.
struct SmallTable {
    std::vector<std::string> rows;
    std::vector<uint32_t> detections;  // per fault 2n + f, over the rows
};

SmallTable smallTable(Random& random, uint32_t vectors, uint32_t nodes) {
    SmallTable table;
    table.detections.assign(2 * nodes, 0);
    for (uint32_t v = 0; v < vectors; ++v) {
        std::string row;
        for (uint32_t node = 0; node < nodes; ++node) {
            uint32_t pick = below(random, 6);
            row += pick == 0 ? '0' : pick == 1 ? '1' : 'X';
            if (pick < 2) {
                ++table.detections[2 * node + pick];
            }
        }
        table.rows.push_back(row);
    }
    return table;
}

// The demand met by the vectors of `subset`, and the faults that fall short.
std::pair<uint64_t, uint32_t> demandOfSubset(const SmallTable& table, uint32_t subset, uint32_t n) {
    std::vector<uint32_t> counts(table.detections.size(), 0);
    for (uint32_t v = 0; v < table.rows.size(); ++v) {
        for (uint32_t node = 0; (subset >> v & 1) != 0 && node < table.rows[v].size(); ++node) {
            char symbol = table.rows[v][node];
            counts[2 * node + (symbol == '1' ? 1 : 0)] += symbol == '0' || symbol == '1' ? 1 : 0;
        }
    }
    uint64_t met = 0;
    uint32_t short_ = 0;
    for (size_t fault = 0; fault < counts.size(); ++fault) {
        uint32_t demand = std::min(n, table.detections[fault]);
        met += std::min(counts[fault], demand);
        short_ += counts[fault] < demand ? 1 : 0;
    }
    return {met, short_};
}

// The vectors of a selection as a subset.
uint32_t subsetOf(const std::vector<uint32_t>& chosen) {
    uint32_t subset = 0;
    for (uint32_t v : chosen) {
        subset |= 1u << v;
    }
    return subset;
}

TEST(SelectionWithDemands, AgainstEverySubsetOfSmallTables) {
    Random random(14);
    for (int index = 0; index < 300; ++index) {
        uint32_t vectors = 1 + below(random, 16);
        uint32_t nodes = 1 + below(random, 10);
        SmallTable table = smallTable(random, vectors, nodes);
        PatternSet patterns = patternSetOf(table.rows, summaryOfRows(table.rows, nodes));
        SelectionOptions options;
        options.detections = 1 + below(random, 4);
        std::string what = "table " + std::to_string(index) + " N " + std::to_string(options.detections);

        uint32_t fewest = vectors;
        std::vector<uint64_t> bestOfSize(vectors + 1, 0);
        for (uint32_t subset = 0; subset < (1u << vectors); ++subset) {
            auto [met, short_] = demandOfSubset(table, subset, options.detections);
            uint32_t size = static_cast<uint32_t>(__builtin_popcount(subset));
            bestOfSize[size] = std::max(bestOfSize[size], met);
            if (short_ == 0) {
                fewest = std::min(fewest, size);
            }
        }

        SelectionState chosen = runSelectionPhases(options, patterns);
        uint32_t subset = 0;
        for (uint32_t v = 0; v < vectors; ++v) {
            subset |= chosen.state[v] == Selected ? 1u << v : 0;
        }
        EXPECT_EQ(demandOfSubset(table, subset, options.detections).second, 0u) << what;
        for (uint32_t v = 0; v < vectors; ++v) {
            if ((subset >> v & 1) != 0 && options.detections > 1) {
                EXPECT_GT(demandOfSubset(table, subset & ~(1u << v), options.detections).second, 0u)
                    << what << ": vector " << v << " could go";
            }
        }
        SelectionOptions minimizing = options;
        minimizing.minimize = true;
        // The widest seed leaves more for "-minimize" to take out.
        minimizing.seedWithEssentialVectors = chance(random, 50);
        SelectionResult minimized = runSelection(minimizing, patterns);
        EXPECT_LE(minimized.bound->value, fewest) << what;

        // Now and then the size of the cover "-minimize" found, which the
        // default selection may pass.
        auto coverSize = static_cast<uint32_t>(minimized.chosen.size());
        minimizing.vectorBudget = options.vectorBudget = chance(random, 30) ? coverSize : 1 + below(random, vectors);
        SelectionResult budgeted = runSelection(minimizing, patterns);
        if (!budgeted.budgetBinds) {
            continue;
        }
        SearchBound upper = *budgeted.bound;
        uint32_t kept = subsetOf(budgeted.chosen);
        EXPECT_LE(static_cast<uint32_t>(__builtin_popcount(kept)), options.vectorBudget) << what;
        uint64_t best = *std::max_element(bestOfSize.begin(), bestOfSize.begin() + options.vectorBudget + 1);
        auto [met, short_] = demandOfSubset(table, kept, options.detections);
        EXPECT_LE(met, best) << what;
        EXPECT_GE(upper.value, best) << what;
        for (uint32_t out = 0; out < vectors; ++out) {
            for (uint32_t in = 0; in < vectors && (kept >> out & 1) != 0; ++in) {
                if ((kept >> in & 1) == 0) {
                    uint32_t swapped = (kept & ~(1u << out)) | 1u << in;
                    EXPECT_LE(demandOfSubset(table, swapped, options.detections).first, met)
                        << what << ": swap " << out << " for " << in;
                }
            }
        }
        if (minimized.chosen.size() <= options.vectorBudget) {
            EXPECT_EQ(short_, 0u) << what;
            EXPECT_EQ(budgeted.chosen, minimized.chosen) << what;
        }
        ++minimizing.vectorBudget;
        SelectionResult larger = runSelection(minimizing, patterns);
        auto [largerMet, largerShort] = demandOfSubset(table, subsetOf(larger.chosen), options.detections);
        EXPECT_GE(largerMet, met) << what;
        if (short_ == 0) {
            EXPECT_LE(larger.chosen.size(), budgeted.chosen.size()) << what;
        }
    }
}

}  // namespace
