// The selection's phases on small hand-built fault tables: totals, seeding,
// greedy completion and elimination, through the public functions.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/detectable_faults.h"
#include "select/phases/flag_coverage.h"
#include "select/phases/selection_phases.h"
#include "select/selection_for_tests.h"
#include "support/pattern_set_symbols.h"
#include "selection_support.h"

namespace {

using States = std::vector<int32_t>;
using Picks = std::vector<uint32_t>;
using Counts = std::vector<uint32_t>;

Counts firstCounts(const DetectionCounts& counts, size_t nodes) {
    Counts first;
    for (size_t node = 0; node < nodes; ++node) {
        first.push_back(countAt(counts, node));
    }
    return first;
}

SelectionOptions essentialSeeding() {
    return SelectionOptions{};
}

SelectionOptions widestSeeding() {
    SelectionOptions options;
    options.seedWithEssentialVectors = false;
    return options;
}

SelectionOptions withFaultCover(SelectionOptions options, uint32_t percent) {
    options.faultCoverActive = true;
    options.faultCoverPercent = percent;
    return options;
}

SelectionState select(const SelectionOptions& options, const PatternSet& patterns) {
    return runSelectionPhases(options, patterns);
}

// The run up to the end of the seeding, its counts built.
SelectionState seedOnly(const SelectionOptions& options, const PatternSet& patterns) {
    SelectionState state = createSelectionState(patterns, options);
    FlagCoverage coverage{patterns, PassParts{}, {}, {}, {}};
    seedSelection(coverage, state, options);
    countChosenVectors(state, patterns, PassParts{});
    return state;
}

uint32_t gainOf(const SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    return rowGain(state, selectionRow(patterns, vector));
}

// Five vectors over six nodes, every detection a fault 0.
PatternSet fiveVectorExample() {
    return patternSetOf({"0000XX", "00XX0X", "XX00X0", "00XX0X", "XX00X0"}, "000000");
}

TEST(SelectionTotals, DetectableFaultsCountTwoPerAmpersandAndOnePerFaultSymbol) {
    EXPECT_EQ(countDetectable(FaultSummary{"XXXX"}), 0u);
    EXPECT_EQ(countDetectable(FaultSummary{"&&01X"}), 6u);
    EXPECT_EQ(countDetectable(FaultSummary{"xX1"}), 1u);
    EXPECT_EQ(countDetectable(FaultSummary{""}), 0u);
}

TEST(SelectionTotals, CoverLimitIsTheTruncatedProduct) {
    EXPECT_EQ(computeCoverLimit(90, 45), 40u);
    EXPECT_EQ(computeCoverLimit(0, 45), 0u);
    EXPECT_EQ(computeCoverLimit(100, 7), 7u);
    EXPECT_EQ(computeCoverLimit(50, 7), 3u);
    EXPECT_EQ(computeCoverLimit(150, 100), 150u);
    EXPECT_EQ(computeCoverLimit(95, 0), 0u);
    constexpr uint32_t Max = std::numeric_limits<uint32_t>::max();
    EXPECT_EQ(computeCoverLimit(Max, Max), Max);
    EXPECT_EQ(computeCoverLimit(200, Max), Max);
}

TEST(SelectionTotals, RowOperationsTreatLowerCaseXAsNoDetectionButCountItInTheWidth) {
    PatternSet patterns = patternSetOf({"0x1X", "xxXX"}, "&&&&");
    SelectionState state = createSelectionState(patterns);
    EXPECT_EQ(gainOf(state, patterns, 0), 2u);
    EXPECT_EQ(gainOf(state, patterns, 1), 0u);
    EXPECT_EQ(detectionWidth(patterns, 0), 3u);
    EXPECT_EQ(detectionWidth(patterns, 1), 2u);
    EXPECT_EQ(detectionWidth(patterns, 7), 0u);

    applyVector(state, patterns, 0);
    EXPECT_EQ(state.coveredCount, 2u);
    EXPECT_EQ(state.covered0[0], 0b1u);
    EXPECT_EQ(state.covered1[0], 0b100u);
    EXPECT_EQ(countAt(state.count0, 0), 1u);
    EXPECT_EQ(countAt(state.count0, 1), 0u);
    EXPECT_EQ(countAt(state.count1, 2), 1u);
    EXPECT_EQ(gainOf(state, patterns, 0), 0u);

    applyVector(state, patterns, 0);
    EXPECT_EQ(state.coveredCount, 2u) << "a flag set once is not counted again";
    EXPECT_EQ(countAt(state.count0, 0), 2u);
}

TEST(SelectionTotals, GainsOfRowsOfThousandsOfNodes) {
    // Every node detected, across many words of all ones.
    std::string everyOther;
    for (int node = 0; node < 5000; ++node) {
        everyOther += node % 2 == 0 ? '1' : 'X';
    }
    PatternSet patterns = patternSetOf({std::string(5000, '0'), everyOther, std::string(4000, '1')},
                                       std::string(5000, '&'));
    SelectionState state = createSelectionState(patterns);
    EXPECT_EQ(gainOf(state, patterns, 0), 5000u);
    EXPECT_EQ(gainOf(state, patterns, 2), 4000u);
    applyVector(state, patterns, 1);
    EXPECT_EQ(state.coveredCount, 2500u);
    EXPECT_EQ(gainOf(state, patterns, 0), 5000u);
    EXPECT_EQ(gainOf(state, patterns, 2), 2000u);
}

TEST(SelectionTotals, LimitOfNinetyPercentOfFortyFiveStopsAtFortyOneCovered) {
    // Every fault essential: the seeding takes one vector per fault and stops
    // after the 41st; the greedy phase still makes one pick and then stops.
    std::vector<std::string> rows;
    for (int vector = 0; vector < 45; ++vector) {
        std::string row(45, 'X');
        row[vector] = '0';
        rows.push_back(row);
    }
    PatternSet patterns = patternSetOf(rows, std::string(45, '0'));
    SelectionState seeded = seedOnly(withFaultCover(essentialSeeding(), 90), patterns);
    EXPECT_EQ(seeded.coverLimit, 40u);
    EXPECT_EQ(seeded.chosenCount, 41u);
    EXPECT_EQ(seeded.coveredCount, 41u);
    EXPECT_EQ(seeded.discardedCount, 0u);

    SelectionState state = select(withFaultCover(essentialSeeding(), 90), patterns);
    EXPECT_EQ(state.greedyPicks, Picks{41});
    EXPECT_EQ(state.cycleCount, 0u);
    EXPECT_EQ(state.chosenCount, 42u);
    EXPECT_EQ(state.coveredCount, 42u);
}

TEST(EssentialSeeding, FaultsDetectedByTwoVectorsGiveNoEssentialVector) {
    for (const auto& rows : {std::vector<std::string>{"0X", "01", "X1"},
                             std::vector<std::string>{"1X", "X0", "10"}}) {
        SelectionState state = seedOnly(essentialSeeding(), patternSetOf(rows, "&&"));
        EXPECT_EQ(state.state, (States{Candidate, Candidate, Candidate}));
        EXPECT_EQ(state.chosenCount, 0u);
        EXPECT_EQ(state.discardedCount, 0u);
        EXPECT_EQ(state.coveredCount, 0u);
    }
}

TEST(EssentialSeeding, EssentialVectorIsTakenAndUselessOnesDiscarded) {
    SelectionState state = seedOnly(essentialSeeding(), patternSetOf({"01", "X1"}, "01"));
    EXPECT_EQ(state.state, (States{Selected, Discarded}));
    EXPECT_EQ(state.chosenCount, 1u);
    EXPECT_EQ(state.discardedCount, 1u);
    EXPECT_EQ(state.coveredCount, 2u);
}

TEST(EssentialSeeding, NodeWithBothFaultsEssentialGetsOneEntryForFaultZero) {
    PatternSet patterns = patternSetOf({"1X", "0X"}, "&X");
    SelectionState seeded = seedOnly(essentialSeeding(), patterns);
    EXPECT_EQ(seeded.state, (States{Candidate, Selected}));
    EXPECT_EQ(seeded.chosenCount, 1u);
    EXPECT_EQ(gainOf(seeded, patterns, 0), 1u);

    SelectionState state = select(essentialSeeding(), patterns);
    EXPECT_EQ(state.greedyPicks, Picks{0});
    EXPECT_EQ(state.cycleCount, 1u);
    EXPECT_EQ(state.chosenCount, 2u);
    EXPECT_EQ(state.coveredCount, 2u);
}

TEST(EssentialSeeding, TwoEntriesServedByOneVectorCountItOnce) {
    // Nodes 1 and 2 are detected by vector 1 alone.
    SelectionState state = seedOnly(essentialSeeding(), patternSetOf({"0XX", "000"}, "000"));
    EXPECT_EQ(state.state, (States{Discarded, Selected}));
    EXPECT_EQ(state.chosenCount, 1u);
    EXPECT_EQ(state.discardedCount, 1u);
    EXPECT_EQ(countAt(state.count0, 1), 1u);
}

TEST(EssentialSeeding, LimitCrossedBySeedingTakesOneVectorAndStillPrunes) {
    // Entries for node 1 (vector 0) and node 2 (vector 2); limit 0.
    PatternSet patterns = patternSetOf({"00X", "0XX", "XX0"}, "000");
    SelectionOptions options = withFaultCover(essentialSeeding(), 0);
    SelectionState seeded = seedOnly(options, patterns);
    EXPECT_EQ(seeded.coverLimit, 0u);
    EXPECT_EQ(seeded.state, (States{Selected, Discarded, Candidate}));
    EXPECT_EQ(seeded.chosenCount, 1u);
    EXPECT_EQ(seeded.discardedCount, 1u);

    // The greedy phase starts (2 of 3 covered), makes one pick and stops.
    SelectionState state = select(options, patterns);
    EXPECT_EQ(state.greedyPicks, Picks{2});
    EXPECT_EQ(state.cycleCount, 0u);
    EXPECT_EQ(state.chosenCount, 2u);
    EXPECT_EQ(state.state, (States{Selected, Discarded, Selected}));
}

TEST(WidestSeeding, TakesTheFirstOfTheWidestRows) {
    PatternSet patterns = patternSetOf({"XX", "0X", "10", "01"}, "&&");
    SelectionState state = seedOnly(widestSeeding(), patterns);
    EXPECT_EQ(state.state, (States{Candidate, Candidate, Selected, Candidate}));
    EXPECT_EQ(state.chosenCount, 1u);
    EXPECT_EQ(state.discardedCount, 0u);
    EXPECT_EQ(state.coveredCount, 2u);
}

TEST(WidestSeeding, LowerCaseXCountsInTheWidth) {
    SelectionState state = seedOnly(widestSeeding(), patternSetOf({"xx", "0X"}, "0X"));
    EXPECT_EQ(state.state, (States{Selected, Candidate}));
    EXPECT_EQ(state.coveredCount, 0u);
    EXPECT_EQ(state.chosenCount, 1u);
}

TEST(WidestSeeding, AllXRowsTakeVectorZeroAndIgnoreTheLimit) {
    SelectionState empty = seedOnly(widestSeeding(), patternSetOf({"XX", "X", ""}, "XX"));
    EXPECT_EQ(empty.state, (States{Selected, Candidate, Candidate}));
    EXPECT_EQ(empty.chosenCount, 1u);

    // The widest vector passes a limit of 0 and the seeding doesn't mind;
    // the greedy phase then makes its one pick.
    SelectionState state = select(withFaultCover(widestSeeding(), 0), patternSetOf({"0X", "00", "X1"}, "&&"));
    EXPECT_EQ(state.greedyPicks, Picks{2});
    EXPECT_EQ(state.cycleCount, 0u);
    EXPECT_EQ(state.chosenCount, 2u);
}

TEST(SelectionRun, NoVectorsAtAllChooseNothing) {
    PatternSet patterns = patternSetOf({}, "&&");
    for (const SelectionOptions& options : {essentialSeeding(), widestSeeding(), withFaultCover(widestSeeding(), 0)}) {
        SelectionState state = select(options, patterns);
        EXPECT_TRUE(state.state.empty());
        EXPECT_EQ(state.chosenCount, 0u);
        EXPECT_EQ(state.discardedCount, 0u);
        EXPECT_EQ(state.cycleCount, 0u);
        EXPECT_EQ(state.coveredCount, 0u);
        EXPECT_EQ(state.detectableTotal, 4u);
    }
}

TEST(SelectionRun, VectorsWithoutStoredRowsAreAllX) {
    // A declared count with no row read: the one vector looked at is vector 0.
    PatternSet patterns = patternSetOf({}, "0");
    patterns.vectorCount = 5;
    SelectionState widest = select(widestSeeding(), patterns);
    EXPECT_EQ(widest.state, (States{Selected}));
    EXPECT_EQ(widest.chosenCount, 1u);
    EXPECT_EQ(widest.cycleCount, 0u);

    SelectionState essential = select(essentialSeeding(), patterns);
    EXPECT_EQ(essential.state, (States{Discarded}));
    EXPECT_EQ(essential.chosenCount, 0u);
}

TEST(GreedyCompletion, SeedingThatCoversEverythingLeavesNothingToDo) {
    // The summary marks only fault 1 of node 0, which essential vector 0
    // covers: vectors 1 and 2 still add a fault but are not picked.
    SelectionState state = select(essentialSeeding(), patternSetOf({"1X", "X0", "X0"}, "1X"));
    EXPECT_EQ(state.cycleCount, 0u);
    EXPECT_TRUE(state.greedyPicks.empty());
    EXPECT_EQ(state.state, (States{Selected, Candidate, Candidate}));
    EXPECT_EQ(state.discardedCount, 0u);
    EXPECT_EQ(state.chosenCount, 1u);
    EXPECT_EQ(state.coveredCount, 1u);
}

TEST(GreedyCompletion, EqualGainsGoToTheLowestIndex) {
    // After vector 0, vectors 2 to 5 all fall to gain 3 from larger gains
    // computed before: the pick among them must be the lowest index, 2, even
    // though vector 5 is the one whose gain is recomputed last.
    PatternSet patterns = patternSetOf({"000000XXXXXX", "000000XXXXXX", "00XXXX000XXX", "XX0XXXXXX000",
                                        "00XXXX000XXX", "XX0XXXXXX000"},
                                       "000000000000");
    SelectionState state = select(essentialSeeding(), patterns);
    EXPECT_EQ(state.greedyPicks, (Picks{0, 2, 3}));
    EXPECT_EQ(state.cycleCount, 3u);
    EXPECT_EQ(state.coveredCount, 12u);
    EXPECT_EQ(state.chosenCount, 3u);

    SelectionState ties = select(essentialSeeding(), patternSetOf({"00XX", "XX00", "00XX", "XX00"}, "0000"));
    EXPECT_EQ(ties.greedyPicks, (Picks{0, 1}));
    EXPECT_EQ(ties.state, (States{Selected, Selected, Candidate, Candidate}));
}

TEST(GreedyCompletion, SummaryMarkingUnreachableFaultsStopsWhenNothingAddsAFault) {
    PatternSet patterns = patternSetOf({"0X", "0X"}, std::string(130, '&'));
    SelectionState state = select(essentialSeeding(), patterns);
    EXPECT_EQ(state.detectableTotal, 260u);
    EXPECT_EQ(state.greedyPicks, Picks{0});
    EXPECT_EQ(state.cycleCount, 1u);
    EXPECT_EQ(state.coveredCount, 1u);
    EXPECT_EQ(state.chosenCount, 1u);
}

TEST(GreedyCompletion, FaultCoverStopLeavesTheCycleCountOneBelowThePicks) {
    SelectionState state = select(withFaultCover(essentialSeeding(), 50), fiveVectorExample());
    EXPECT_EQ(state.coverLimit, 3u);
    EXPECT_EQ(state.greedyPicks, Picks{0});
    EXPECT_EQ(state.cycleCount, 0u);
    EXPECT_EQ(state.chosenCount, 1u);
    EXPECT_EQ(state.coveredCount, 4u);

    SelectionState later = select(withFaultCover(essentialSeeding(), 70), fiveVectorExample());
    EXPECT_EQ(later.coverLimit, 4u);
    EXPECT_EQ(later.greedyPicks, (Picks{0, 1}));
    EXPECT_EQ(later.cycleCount, 1u);
    EXPECT_EQ(later.chosenCount, 2u);
}

TEST(RedundancyElimination, FiveVectorExampleWithEveryCounter) {
    SelectionState state = select(essentialSeeding(), fiveVectorExample());
    EXPECT_EQ(state.detectableTotal, 6u);
    EXPECT_EQ(state.greedyPicks, (Picks{0, 1, 2}));
    EXPECT_EQ(state.cycleCount, 3u);
    EXPECT_EQ(state.chosenCount, 2u);
    EXPECT_EQ(state.discardedCount, 0u);
    EXPECT_EQ(state.coveredCount, 6u);
    EXPECT_EQ(state.state, (States{Candidate, Selected, Selected, Candidate, Candidate}));
    EXPECT_EQ(state.covered0[0], 0b111111u);
    EXPECT_EQ(state.covered1[0], 0u);
    EXPECT_EQ(firstCounts(state.count0, 7), (Counts{1, 1, 1, 1, 1, 1, 0}));
}

TEST(RedundancyElimination, LaterTrialsStartFromTheCountsAfterEarlierRemovals) {
    // Greedy picks 0 (u), 1 (v), 2 (w), 3, 4. u is dropped; v stays; w shares
    // node 2 with u alone, so it stays too, although with the counts from
    // before the pass all of its faults were detected twice.
    PatternSet patterns = patternSetOf({"0001XXXXXX", "00XX00XXXX", "XX0XXX00XX", "XXX1XX0X0X", "XXXXXXX0X1",
                                        "XXXX00XXXX", "XXXXXXXX0X", "XXXXXXXXX1"},
                                       "0001000001");
    SelectionState state = select(essentialSeeding(), patterns);
    EXPECT_EQ(state.greedyPicks, (Picks{0, 1, 2, 3, 4}));
    EXPECT_EQ(state.cycleCount, 5u);
    EXPECT_EQ(state.chosenCount, 4u);
    EXPECT_EQ(state.state, (States{Candidate, Selected, Selected, Selected, Selected, Candidate, Candidate,
                                   Candidate}));
    // Restored exactly after each kept vector's trial.
    EXPECT_EQ(firstCounts(state.count0, 10), (Counts{1, 1, 1, 0, 1, 1, 2, 2, 1, 0}));
    EXPECT_EQ(firstCounts(state.count1, 10), (Counts{0, 0, 0, 1, 0, 0, 0, 0, 0, 1}));
}

TEST(RedundancyElimination, SeededVectorsAreNeverRemoved) {
    // Widest seed 0 is redundant once 1 and 2 are chosen, but stays.
    SelectionState state = select(widestSeeding(), patternSetOf({"000X", "00XX", "X001", "0XX1"}, "0001"));
    EXPECT_EQ(state.greedyPicks, Picks{2});
    EXPECT_EQ(state.state, (States{Selected, Candidate, Selected, Candidate}));
    EXPECT_EQ(state.chosenCount, 2u);
}

}  // namespace
