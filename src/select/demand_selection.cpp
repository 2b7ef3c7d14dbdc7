// The selection with demands: seeding, greedy completion and elimination
// as in the default selection, a fault counting as covered once its demand
// is met.
#include "select/demand_selection.h"

#include "select/greedy_queue.h"
#include "select/selection_phases.h"

namespace {

bool needsVector(const FaultDemands& demands, const PatternSet& patterns, uint32_t vector) {
    const FaultTableRow& row = patterns.faultTable.rows[vector];
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = row.bits + size_t{plane} * row.words;
        for (size_t word = 0; word < row.words; ++word) {
            if ((bits[word] & demands.needsAll[plane][word]) != 0) {
                return true;
            }
        }
    }
    return false;
}

void choose(SelectionState& state, DemandCoverage& coverage, const FaultDemands& demands, const PatternSet& patterns,
            uint32_t vector) {
    state.state[vector] = Selected;
    ++state.chosenCount;
    addDemandVector(state, coverage, demands, patterns, vector);
}

}  // namespace

SelectionState runDemandSelection(const SelectionOptions& options, const PatternSet& patterns) {
    SelectionState state = createSelectionState(patterns);
    state.detectableTotal = countDetectable(patterns.faultSummary);
    if (options.faultCoverActive) {
        state.coverLimit = computeCoverLimit(options.faultCoverPercent, state.detectableTotal);
    }
    const uint32_t vectors = static_cast<uint32_t>(state.state.size());
    if (vectors == 0) {
        return state;
    }
    FaultDemands demands = countDemands(patterns, options.detections);
    DemandCoverage coverage = startDemandCoverage(state, demands);
    auto limitPassed = [&] { return options.faultCoverActive && coverage.metCount > state.coverLimit; };
    const uint32_t rows = static_cast<uint32_t>(patterns.faultTable.rows.size());

    // Seeding: every vector that a fault with no more than N detecting
    // vectors needs, then the vectors that add nothing are discarded; or
    // the widest vector alone.
    if (options.seedWithEssentialVectors) {
        for (uint32_t vector = 0; vector < rows; ++vector) {
            if (needsVector(demands, patterns, vector)) {
                choose(state, coverage, demands, patterns, vector);
                if (limitPassed()) {
                    break;
                }
            }
        }
        for (uint32_t vector = 0; vector < vectors; ++vector) {
            if (state.state[vector] == Candidate && demandGain(coverage, patterns, vector) == 0) {
                state.state[vector] = Discarded;
                ++state.discardedCount;
            }
        }
    } else {
        uint32_t widest = 0;
        for (uint32_t vector = 1; vector < rows; ++vector) {
            if (patterns.faultTable.rows[vector].width > patterns.faultTable.rows[widest].width) {
                widest = vector;
            }
        }
        choose(state, coverage, demands, patterns, widest);
    }

    // Greedy completion, counting cycles as the default does.
    std::priority_queue<GainEntry> queue;
    for (uint32_t vector = 0; vector < rows; ++vector) {
        if (state.state[vector] == Candidate) {
            uint32_t gain = demandGain(coverage, patterns, vector);
            if (gain > 0) {
                queue.push({gain, vector});
            }
        }
    }
    while (coverage.metCount < state.detectableTotal) {
        GainEntry best = takeBestGain(queue, [&](uint32_t vector) { return demandGain(coverage, patterns, vector); });
        if (best.gain == 0) {
            break;
        }
        state.greedyPicks.push_back(best.vector);
        choose(state, coverage, demands, patterns, best.vector);
        if (limitPassed()) {
            break;
        }
        if (++state.cycleCount == vectors) {
            break;
        }
    }

    // Elimination over the greedy picks, earliest first.
    for (uint32_t pick : state.greedyPicks) {
        if (demandsSurvive(state, demands, patterns, pick)) {
            removeDemandVector(state, coverage, demands, patterns, pick);
            state.state[pick] = Candidate;
            --state.chosenCount;
        }
    }
    return state;
}
