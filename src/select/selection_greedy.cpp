// The greedy phase: the candidate that adds the most faults, one at a time.
//
// Gains only fall as coverage grows, so a max-heap of gains computed earlier
// (upper bounds of the current ones) finds the pick without a full scan: the
// top is recomputed, and when it still ranks above the next key it beats
// every candidate, exactly as the scan's strictly-greater rule would.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "select/bit_count.h"
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

// The words of the fault planes that still hold a fault some row detects and
// no chosen vector covers yet, as ascending runs [begin, end). Gains are
// summed over these words only: as coverage grows, that is a shrinking share
// of each row.
struct OpenWords {
    std::vector<uint64_t> reach0;  // faults some row detects
    std::vector<uint64_t> reach1;
    std::vector<std::pair<uint32_t, uint32_t>> runs;
};

bool stillOpen(const OpenWords& open, const SelectionState& state, uint32_t word) {
    return ((open.reach0[word] & ~state.covered0[word]) | (open.reach1[word] & ~state.covered1[word])) != 0;
}

// Keeps the words of the runs that are still open, merging neighbours.
void dropCoveredWords(OpenWords& open, const SelectionState& state) {
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (auto [begin, end] : open.runs) {
        for (uint32_t word = begin; word < end; ++word) {
            if (!stillOpen(open, state, word)) {
                continue;
            }
            if (!runs.empty() && runs.back().second == word) {
                runs.back().second = word + 1;
            } else {
                runs.emplace_back(word, word + 1);
            }
        }
    }
    open.runs = std::move(runs);
}

uint32_t openGain(const OpenWords& open, const SelectionState& state, const FaultTableRow& row) {
    const uint64_t* plane0 = row.bits;
    const uint64_t* plane1 = row.bits + row.words;
    uint32_t gain = 0;
    for (auto [begin, end] : open.runs) {
        if (begin >= row.words) {
            break;
        }
        uint32_t words = std::min(end, row.words) - begin;
        gain += countAndNot(plane0 + begin, state.covered0.data() + begin, words) +
                countAndNot(plane1 + begin, state.covered1.data() + begin, words);
    }
    return gain;
}

// Every candidate that adds a fault now; the others never will. Gathers the
// open words on the way.
std::vector<GainKey> initialGains(const SelectionState& state, const PatternSet& patterns, OpenWords& open) {
    size_t words = state.covered0.size();
    open.reach0.assign(words, 0);
    open.reach1.assign(words, 0);
    std::vector<GainKey> heap;
    for (uint32_t vector = 0; vector < state.state.size(); ++vector) {
        FaultTableRow row = selectionRow(patterns, vector);
        for (uint32_t word = 0; word < row.words; ++word) {
            open.reach0[word] |= row.bits[word];
            open.reach1[word] |= row.bits[row.words + word];
        }
        if (state.state[vector] != Candidate) {
            continue;
        }
        uint32_t gain = rowGain(state, row);
        if (gain > 0) {
            heap.push_back(gainKey(gain, vector));
        }
    }
    std::make_heap(heap.begin(), heap.end());
    open.runs.emplace_back(0, static_cast<uint32_t>(words));
    dropCoveredWords(open, state);
    return heap;
}

// The candidate of largest current gain, lowest index on ties; false when no
// candidate adds a fault. Takes the pick off the heap.
bool popBestCandidate(std::vector<GainKey>& heap, const OpenWords& open, const SelectionState& state,
                      const PatternSet& patterns, uint32_t& pick) {
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end());
        uint32_t vector = keyVector(heap.back());
        heap.pop_back();
        uint32_t gain = openGain(open, state, selectionRow(patterns, vector));
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
    OpenWords open;
    std::vector<GainKey> heap = initialGains(state, patterns, open);
    state.greedyPicks.reserve(heap.size());
    // The cycle count is compared with the vectors looked at rather than the
    // declared count: the vectors beyond them have no row, are never picked,
    // and so cannot change where the phase stops.
    while (state.coveredCount < state.detectableTotal) {
        uint32_t pick = 0;
        if (!popBestCandidate(heap, open, state, patterns, pick)) {
            return;
        }
        state.state[pick] = Selected;
        state.greedyPicks.push_back(pick);
        applyVector(state, patterns, pick);
        dropCoveredWords(open, state);
        ++state.chosenCount;
        if (coverLimitPassed(state, options)) {
            return;
        }
        if (++state.cycleCount == vectors) {
            return;
        }
    }
}
