// The greedy phase: the candidate that adds the most faults, one at a time.
//
// Gains only fall as coverage grows, so a max-heap of gains computed earlier
// (upper bounds of the current ones) finds the pick without a full scan: a
// key computed since the last pick is exact, and once such a key is on top
// it beats every candidate, exactly as the scan's strictly-greater rule
// would. Stale keys from the top are recomputed in batches, the first as
// large as the number the last pick needed, then doubling, shared over the
// threads when large; when a batch would take half the heap, every key is
// recomputed in place instead. Which keys are recomputed changes only the
// work, never the pick.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "select/bit_kernels.h"
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

// The words of the fault planes that still hold a fault some row detects and
// no chosen vector covers yet, as ascending runs [begin, end). Gains are
// summed over these words only: as coverage grows, that is a shrinking share
// of each row.
struct OpenWords {
    std::vector<uint64_t> reach0;  // faults some row detects
    std::vector<uint64_t> reach1;
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    size_t openWordCount = 0;
};

bool stillOpen(const OpenWords& open, const SelectionState& state, uint32_t word) {
    return ((open.reach0[word] & ~state.covered0[word]) | (open.reach1[word] & ~state.covered1[word])) != 0;
}

// Keeps the words of the runs that are still open, merging neighbours.
void dropCoveredWords(OpenWords& open, const SelectionState& state) {
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    size_t count = 0;
    for (auto [begin, end] : open.runs) {
        for (uint32_t word = begin; word < end; ++word) {
            if (!stillOpen(open, state, word)) {
                continue;
            }
            ++count;
            if (!runs.empty() && runs.back().second == word) {
                runs.back().second = word + 1;
            } else {
                runs.emplace_back(word, word + 1);
            }
        }
    }
    open.runs = std::move(runs);
    open.openWordCount = count;
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
        gain += countNewBits(plane0 + begin, state.covered0.data() + begin, words) +
                countNewBits(plane1 + begin, state.covered1.data() + begin, words);
    }
    return gain;
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

// Faults some row detects, over vectors [begin, end).
void gatherReach(const PatternSet& patterns, uint32_t begin, uint32_t end, std::vector<uint64_t>& reach0,
                 std::vector<uint64_t>& reach1) {
    for (uint32_t vector = begin; vector < end; ++vector) {
        FaultTableRow row = selectionRow(patterns, vector);
        for (uint32_t word = 0; word < row.words; ++word) {
            reach0[word] |= row.bits[word];
            reach1[word] |= row.bits[row.words + word];
        }
    }
}

// The gains of every candidate and, unless the seeding gathered them, the
// faults some row detects: one pass over the table, split by vector halves.
std::vector<CandidateGain> gatherGains(const SelectionState& state, const PatternSet& patterns, SplitWork& split,
                                       OpenWords& open) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    size_t words = state.covered0.size();
    bool needReach = open.reach0.empty();
    std::vector<uint64_t> laterReach0;
    std::vector<uint64_t> laterReach1;
    if (needReach) {
        open.reach0.assign(words, 0);
        open.reach1.assign(words, 0);
        laterReach0.assign(words, 0);
        laterReach1.assign(words, 0);
    }
    std::vector<uint32_t> gains(vectors, 0);
    splitRange(split, vectors, rowWords(patterns, 0, vectors), [&](uint32_t begin, uint32_t end, uint32_t part) {
        if (needReach) {
            gatherReach(patterns, begin, end, part == 0 ? open.reach0 : laterReach0,
                        part == 0 ? open.reach1 : laterReach1);
        }
        for (uint32_t vector = begin; vector < end; ++vector) {
            if (state.state[vector] == Candidate) {
                gains[vector] = rowGain(state, selectionRow(patterns, vector));
            }
        }
    });
    for (size_t word = 0; needReach && word < words; ++word) {
        open.reach0[word] |= laterReach0[word];
        open.reach1[word] |= laterReach1[word];
    }
    std::vector<CandidateGain> candidates;
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        if (state.state[vector] == Candidate && gains[vector] > 0) {
            candidates.push_back(CandidateGain{vector, gains[vector]});
        }
    }
    return candidates;
}

// Every candidate that adds a fault now; the others never will.
GainHeap initialGains(const SelectionState& state, const PatternSet& patterns, SplitWork& split,
                      SeedingCarry& carry, OpenWords& open) {
    size_t words = state.covered0.size();
    open.reach0 = std::move(carry.reach0);
    open.reach1 = std::move(carry.reach1);
    std::vector<CandidateGain> candidates =
        carry.gainsGathered ? std::move(carry.gains) : gatherGains(state, patterns, split, open);
    if (open.reach0.empty()) {
        open.reach0.assign(words, 0);
        open.reach1.assign(words, 0);
        gatherReach(patterns, 0, static_cast<uint32_t>(state.state.size()), open.reach0, open.reach1);
    }
    GainHeap heap;
    heap.evaluatedAt.assign(state.state.size(), 0);
    heap.keys.reserve(candidates.size());
    for (CandidateGain candidate : candidates) {
        heap.keys.push_back(gainKey(candidate.gain, candidate.vector));
    }
    std::make_heap(heap.keys.begin(), heap.keys.end());
    open.runs.emplace_back(0, static_cast<uint32_t>(words));
    dropCoveredWords(open, state);
    return heap;
}

// Recomputes the keys of keys[begin, end) that are stale, in place.
void refreshKeys(GainHeap& heap, size_t begin, size_t end, const OpenWords& open, const SelectionState& state,
                 const PatternSet& patterns, SplitWork& split) {
    size_t words = (end - begin) * 2 * open.openWordCount;
    for (size_t index = begin; index < end; ++index) {
        if (heap.evaluatedAt[keyVector(heap.keys[index])] != heap.picks) {
            heap.replacedKeys.push_back(heap.keys[index]);
        }
    }
    splitRange(split, static_cast<uint32_t>(end - begin), words, [&](uint32_t first, uint32_t last, uint32_t) {
        for (size_t index = begin + first; index < begin + last; ++index) {
            uint32_t vector = keyVector(heap.keys[index]);
            if (heap.evaluatedAt[vector] != heap.picks) {
                heap.keys[index] = gainKey(openGain(open, state, selectionRow(patterns, vector)), vector);
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
                    SplitWork& split) {
    refreshKeys(heap, 0, heap.keys.size(), open, state, patterns, split);
    std::erase_if(heap.keys, [](GainKey key) { return keyGain(key) == 0; });
    std::make_heap(heap.keys.begin(), heap.keys.end());
}

// The candidate of largest current gain, lowest index on ties; false when no
// candidate adds a fault. Takes the pick off the heap.
bool popBestCandidate(GainHeap& heap, const OpenWords& open, const SelectionState& state,
                      const PatternSet& patterns, SplitWork& split, uint32_t& pick) {
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
            refreshAllKeys(heap, open, state, patterns, split);
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
        refreshKeys(heap, begin, end, open, state, patterns, split);
        pushRefreshedKeys(heap, begin);
        batch *= 2;
    }
    return false;
}

}  // namespace

void greedyPhase(SelectionState& state, const RunOptions& options, const PatternSet& patterns, SplitWork& split,
                 SeedingCarry& carry) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    if (vectors == 0) {
        return;
    }
    OpenWords open;
    GainHeap heap = initialGains(state, patterns, split, carry, open);
    state.greedyPicks.reserve(heap.keys.size());
    // The cycle count is compared with the vectors looked at rather than the
    // declared count: the vectors beyond them have no row, are never picked,
    // and so cannot change where the phase stops.
    while (state.coveredCount < state.detectableTotal) {
        uint32_t pick = 0;
        if (!popBestCandidate(heap, open, state, patterns, split, pick)) {
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

void completeGreedily(SelectionState& state, const RunOptions& options, const PatternSet& patterns) {
    SplitWork split;
    SeedingCarry carry;
    greedyPhase(state, options, patterns, split, carry);
    countChosenVectors(state, patterns, split);
}
