// The three phases of the selection, written once over a coverage: the
// default run's (select/phases/flag_coverage.h, one detection per fault) or
// one with a demand per fault (select/demands/demand_coverage.h). A
// coverage answers, through functions of its own type:
//
//   forEachEssentialVector(c, state, take)  the vectors some fault needs every
//                                           one of, in the order to take them
//   addDetections(c, state, v)              counts v's detections as chosen
//   coverageCount(c, state)                 the faults the limit and the
//                                           detectable total are held against
//   candidateGains(c, state)                every candidate that adds something
//   startGreedy(c, state), greedyGain(c, state, v), greedyGainWords(c)
//   startElimination(c, state), dropKeepsCoverage(c, state, v),
//   dropDetections(c, state, v)
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "select/faults/fault_rows.h"
#include "select/phases/gain_queue.h"
#include "select/phases/selection_state.h"
#include "select/selection_options.h"

// When the greedy phase stops, beyond running out of gains.
struct GreedyRules {
    bool untilAllDetected = true;  // once the coverage count reaches the detectable total
    bool faultCover = false;       // "-fault_cover": once the count passes the limit
    uint32_t budget = 0;           // once this many vectors are chosen; 0 for none
};

// The one form of the coverage-limit test: the phase that tests it ends once
// the coverage count is strictly above the limit.
template <class Coverage>
bool coverLimitPassed(const Coverage& coverage, const SelectionState& state, bool faultCover) {
    return faultCover && coverageCount(coverage, state) > state.coverLimit;
}

// A greedy step: the vector chosen, recorded as a greedy pick, one cycle.
template <class Coverage>
void pickGreedily(Coverage& coverage, SelectionState& state, uint32_t vector) {
    chooseVector(state, vector, ChoicePhase::Greedy);
    state.greedyPicks.push_back(vector);
    addDetections(coverage, state, vector);
}

// The vector with the most symbols other than 'X' among the first
// `vectors`, the lowest index on ties; vector 0 when every row is all 'X'.
inline uint32_t widestVector(const PatternSet& patterns, uint32_t vectors) {
    uint32_t widest = 0;
    uint32_t widestWidth = selectionRow(patterns, 0).width;
    for (uint32_t vector = 1; vector < vectors; ++vector) {
        uint32_t width = selectionRow(patterns, vector).width;
        if (width > widestWidth) {
            widest = vector;
            widestWidth = width;
        }
    }
    return widest;
}

// The essential vectors, each until the limit is passed, then every
// candidate that adds nothing discarded; or, with "-no_unique_vectors", the
// widest vector alone, without the limit. Returns the gains of the
// candidates left when it gathered them, for the greedy phase.
template <class Coverage>
std::optional<std::vector<CandidateGain>> seedSelection(Coverage& coverage, SelectionState& state,
                                                        const SelectionOptions& options) {
    std::optional<std::vector<CandidateGain>> gains;
    if (state.state.empty()) {
        return gains;
    }
    if (!options.seedWithEssentialVectors) {
        uint32_t widest = widestVector(coverage.patterns, static_cast<uint32_t>(state.state.size()));
        chooseVector(state, widest, ChoicePhase::Widest);
        addDetections(coverage, state, widest);
        return gains;
    }
    forEachEssentialVector(coverage, state, [&](uint32_t vector) {
        if (state.state[vector] == Candidate) {
            chooseVector(state, vector, ChoicePhase::Essential);
            addDetections(coverage, state, vector);
        }
        return !coverLimitPassed(coverage, state, options.faultCoverActive);
    });
    gains = candidateGains(coverage, state);
    auto next = gains->begin();
    for (uint32_t vector = 0; vector < state.state.size(); ++vector) {
        if (next != gains->end() && next->vector == vector) {
            ++next;
        } else if (state.state[vector] == Candidate) {
            state.state[vector] = Discarded;
            ++state.discardedCount;
        }
    }
    return gains;
}

// Adds the candidate that adds the most (lowest index on ties) until the
// rules stop it, nothing adds more, or the cycles reach the vector count.
// `gains` are the candidates' gains now, if the seeding gathered them.
template <class Coverage>
void completeGreedily(Coverage& coverage, SelectionState& state, const GreedyRules& rules,
                      std::optional<std::vector<CandidateGain>> gains) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    if (vectors == 0) {
        return;
    }
    if (!gains) {
        gains = candidateGains(coverage, state);
    }
    startGreedy(coverage, state);
    GainQueue queue = makeGainQueue(*gains, vectors);
    state.greedyPicks.reserve(state.greedyPicks.size() + queue.keys.size());
    gains.reset();
    // The cycle count is compared with the vectors looked at rather than the
    // declared count: the vectors beyond them have no row, are never picked,
    // and so cannot change where the phase stops.
    while ((!rules.untilAllDetected || coverageCount(coverage, state) < state.detectableTotal) &&
           (rules.budget == 0 || state.chosenCount < rules.budget)) {
        auto gainOf = [&](uint32_t vector) { return greedyGain(coverage, state, vector); };
        uint32_t pick = 0;
        if (!popBestCandidate(queue, makeGainSource(gainOf, greedyGainWords(coverage), coverage.parts), pick)) {
            return;
        }
        pickGreedily(coverage, state, pick);
        if (coverLimitPassed(coverage, state, rules.faultCover)) {
            return;
        }
        if (++state.cycleCount == vectors) {
            return;
        }
    }
}

// Drops, earliest first, every greedy pick whose removal keeps the coverage
// as it is.
template <class Coverage>
void eliminateRedundant(Coverage& coverage, SelectionState& state) {
    startElimination(coverage, state);
    for (uint32_t vector : state.greedyPicks) {
        if (dropKeepsCoverage(coverage, state, vector)) {
            dropDetections(coverage, state, vector);
            unchooseVector(state, vector);
        }
    }
}
