// The greedy phase: the candidate that adds the most faults, one at a time.
//
// Gains only fall as coverage grows, so a max-heap of gains computed earlier
// (upper bounds of the current ones) finds the pick without a full scan: a
// key computed since the last pick is exact, and once such a key is on top
// it beats every candidate, exactly as the scan's strictly-greater rule
// would. Stale keys from the top are recomputed in batches, the first as
// large as the number the last pick needed, then doubling, a large batch
// cut into parts; when a batch would take half the heap, every key is
// recomputed in place instead. Which keys are recomputed changes only the
// work, never the pick.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "select/selection_open_words.h"
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

uint32_t keyGain(GainKey key) {
    return static_cast<uint32_t>(key >> 32);
}

// The candidates' keys as a max-heap; evaluatedAt[v] is the number of picks
// made when v's key was computed, so the keys with picks == evaluatedAt are
// exact.
struct GainHeap {
    std::vector<GainKey> keys;
    std::vector<uint32_t> evaluatedAt;
    uint32_t picks = 0;
    // The keys recomputed for the coming pick, as they were before; and of
    // those of the last pick, how many ranked above the pick: the keys that
    // a one-by-one search must have recomputed, and the first batch size.
    std::vector<GainKey> replacedKeys;
    size_t lastPickOutranked = 0;
};

// Every candidate that adds a fault now; the others never will.
GainHeap initialGains(const std::vector<CandidateGain>& candidates, size_t vectors) {
    GainHeap heap;
    heap.evaluatedAt.assign(vectors, 0);
    heap.keys.reserve(candidates.size());
    for (CandidateGain candidate : candidates) {
        heap.keys.push_back(gainKey(candidate.gain, candidate.vector));
    }
    std::make_heap(heap.keys.begin(), heap.keys.end());
    return heap;
}

// Recomputes the keys of keys[begin, end) that are stale, in place.
void refreshKeys(GainHeap& heap, size_t begin, size_t end, const OpenWords& open, const SelectionState& state,
                 const PatternSet& patterns, const PassParts& parts) {
    size_t words = (end - begin) * gainWords(open);
    for (size_t index = begin; index < end; ++index) {
        if (heap.evaluatedAt[keyVector(heap.keys[index])] != heap.picks) {
            heap.replacedKeys.push_back(heap.keys[index]);
        }
    }
    forEachPart(parts, static_cast<uint32_t>(end - begin), words, [&](uint32_t first, uint32_t last, uint32_t) {
        for (size_t index = begin + first; index < begin + last; ++index) {
            uint32_t vector = keyVector(heap.keys[index]);
            if (heap.evaluatedAt[vector] != heap.picks) {
                heap.keys[index] = gainKey(currentGain(open, state, patterns, vector), vector);
            }
        }
    });
    for (size_t index = begin; index < end; ++index) {
        heap.evaluatedAt[keyVector(heap.keys[index])] = heap.picks;
    }
}

// Drops the keys of gain 0 from keys[begin, end) and puts the rest back into
// the heap below `begin`.
void pushRefreshedKeys(GainHeap& heap, size_t begin) {
    size_t kept = begin;
    for (size_t index = begin; index < heap.keys.size(); ++index) {
        if (keyGain(heap.keys[index]) > 0) {
            heap.keys[kept] = heap.keys[index];
            std::push_heap(heap.keys.begin(), heap.keys.begin() + static_cast<std::ptrdiff_t>(++kept));
        }
    }
    heap.keys.resize(kept);
}

// Recomputes every stale key and rebuilds the heap: cheaper than taking most
// of the keys off the heap one by one.
void refreshAllKeys(GainHeap& heap, const OpenWords& open, const SelectionState& state, const PatternSet& patterns,
                    const PassParts& parts) {
    refreshKeys(heap, 0, heap.keys.size(), open, state, patterns, parts);
    std::erase_if(heap.keys, [](GainKey key) { return keyGain(key) == 0; });
    std::make_heap(heap.keys.begin(), heap.keys.end());
}

// The candidate of largest current gain, lowest index on ties; false when no
// candidate adds a fault. Takes the pick off the heap.
bool popBestCandidate(GainHeap& heap, const OpenWords& open, const SelectionState& state,
                      const PatternSet& patterns, const PassParts& parts, uint32_t& pick) {
    size_t batch = std::max<size_t>(1, heap.lastPickOutranked);
    while (!heap.keys.empty()) {
        GainKey best = heap.keys.front();
        if (heap.evaluatedAt[keyVector(best)] == heap.picks) {
            std::pop_heap(heap.keys.begin(), heap.keys.end());
            heap.keys.pop_back();
            pick = keyVector(best);
            heap.lastPickOutranked = static_cast<size_t>(std::count_if(
                heap.replacedKeys.begin(), heap.replacedKeys.end(), [best](GainKey key) { return key > best; }));
            heap.replacedKeys.clear();
            return true;
        }
        if (batch >= heap.keys.size() / 2) {
            refreshAllKeys(heap, open, state, patterns, parts);
            continue;
        }
        // The stale keys from the top, at most `batch` of them, moved to the
        // end of the array, recomputed and put back.
        size_t end = heap.keys.size();
        size_t begin = end;
        while (begin > 0 && end - begin < batch && heap.evaluatedAt[keyVector(heap.keys.front())] != heap.picks) {
            std::pop_heap(heap.keys.begin(), heap.keys.begin() + static_cast<std::ptrdiff_t>(begin));
            --begin;
        }
        refreshKeys(heap, begin, end, open, state, patterns, parts);
        pushRefreshedKeys(heap, begin);
        batch *= 2;
    }
    return false;
}

}  // namespace

void greedyPhase(SelectionState& state, const SelectionOptions& options, const PatternSet& patterns,
                 const PassParts& parts, SeedingCarry& carry) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    if (vectors == 0) {
        return;
    }
    OpenWords open;
    GainHeap heap = initialGains(startOpenWords(open, state, patterns, parts, carry), vectors);
    state.greedyPicks.reserve(heap.keys.size());
    // The cycle count is compared with the vectors looked at rather than the
    // declared count: the vectors beyond them have no row, are never picked,
    // and so cannot change where the phase stops.
    while (state.coveredCount < state.detectableTotal) {
        uint32_t pick = 0;
        if (!popBestCandidate(heap, open, state, patterns, parts, pick)) {
            return;
        }
        state.state[pick] = Selected;
        state.greedyPicks.push_back(pick);
        coverVector(state, patterns, pick);
        ++heap.picks;
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

