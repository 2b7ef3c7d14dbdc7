// The greedy phase: the candidate that adds the most faults, one at a time.
//
// Gains only fall as coverage grows, so a max-heap of gains computed earlier
// (upper bounds of the current ones) finds the pick without a full scan: the
// top is recomputed, and when it still ranks above the next key it beats
// every candidate, exactly as the scan's strictly-greater rule would.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "select/selection_phases.h"

namespace {

// Ranked by gain, then by lowest index: a larger key ranks higher.
using GainKey = uint64_t;

GainKey gainKey(uint32_t gain, uint32_t vector) {
    return (GainKey{gain} << 32) | GainKey{~vector};
}

uint32_t keyVector(GainKey key) {
    return ~static_cast<uint32_t>(key);
}

// Every candidate that adds a fault now; the others never will.
std::vector<GainKey> initialGains(const SelectionState& state, const PatternSet& patterns) {
    std::vector<GainKey> heap;
    for (uint32_t vector = 0; vector < state.state.size(); ++vector) {
        if (state.state[vector] != Candidate) {
            continue;
        }
        uint32_t gain = gainOf(state, patterns, vector);
        if (gain > 0) {
            heap.push_back(gainKey(gain, vector));
        }
    }
    std::make_heap(heap.begin(), heap.end());
    return heap;
}

// The candidate of largest current gain, lowest index on ties; false when no
// candidate adds a fault. Takes the pick off the heap.
bool popBestCandidate(std::vector<GainKey>& heap, const SelectionState& state, const PatternSet& patterns,
                      uint32_t& pick) {
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end());
        uint32_t vector = keyVector(heap.back());
        heap.pop_back();
        uint32_t gain = gainOf(state, patterns, vector);
        if (gain == 0) {
            continue;
        }
        GainKey current = gainKey(gain, vector);
        if (heap.empty() || current > heap.front()) {
            pick = vector;
            return true;
        }
        heap.push_back(current);
        std::push_heap(heap.begin(), heap.end());
    }
    return false;
}

}  // namespace

void completeGreedily(SelectionState& state, const RunOptions& options, const PatternSet& patterns) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    if (vectors == 0) {
        return;
    }
    std::vector<GainKey> heap = initialGains(state, patterns);
    state.greedyPicks.reserve(heap.size());
    // Vectors beyond the stored rows detect nothing and are never picked, so
    // stopping at `vectors` picks stops where the full vector count would.
    while (state.coveredCount < state.detectableTotal) {
        uint32_t pick = 0;
        if (!popBestCandidate(heap, state, patterns, pick)) {
            return;
        }
        state.state[pick] = Selected;
        state.greedyPicks.push_back(pick);
        applyVector(state, patterns, pick);
        ++state.chosenCount;
        if (coverLimitPassed(state, options)) {
            return;
        }
        if (++state.cycleCount == vectors) {
            return;
        }
    }
}
