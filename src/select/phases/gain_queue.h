// The greedy choice, one vector at a time, of the candidate that adds the
// most (lowest index on ties), over gains that only ever fall as coverage
// grows.
//
// A max-heap of gains computed earlier (upper bounds of the current ones)
// finds the pick without a full scan: a key computed since the last pick is
// exact, and once such a key is on top it beats every candidate, exactly as
// a scan with the strictly-greater rule would. Stale keys from the top are
// recomputed in batches, the first as large as the number the last pick
// needed, then doubling, a large batch cut into parts; when a batch would
// take half the heap, every key is recomputed in place instead. Which keys
// are recomputed changes only the work, never the pick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "select/kernels/pass_parts.h"

// A candidate and what it adds.
struct CandidateGain {
    uint32_t vector;
    uint32_t gain;
};

// Ranked by gain, then by lowest index: a larger key ranks higher.
using GainKey = uint64_t;

struct GainQueue {
    std::vector<GainKey> keys;  // a max-heap
    // evaluatedAt[v]: the number of picks made when v's key was computed, so
    // the keys with picks == evaluatedAt are exact.
    std::vector<uint32_t> evaluatedAt;
    uint32_t picks = 0;
    // The keys recomputed for the coming pick, as they were before; and of
    // those of the last pick, how many ranked above the pick: the keys that
    // a one-by-one search must have recomputed, and the first batch size.
    std::vector<GainKey> replacedKeys;
    size_t lastPickOutranked = 0;
};

// The candidates of positive gain, of vectors below `vectors`.
GainQueue makeGainQueue(const std::vector<CandidateGain>& candidates, size_t vectors);

// Where the queue gets current gains from: gainOf(context, vector) reads
// about wordsPerGain table words; batches are cut as `parts` says.
struct GainSource {
    uint32_t (*gainOf)(const void* context, uint32_t vector);
    const void* context;
    size_t wordsPerGain;
    PassParts parts;
};

// The candidate of largest current gain, lowest index on ties, taken off the
// queue; false when no candidate adds anything. Every key counts as stale
// from here on: the pick is about to change what the others add.
bool popBestCandidate(GainQueue& queue, const GainSource& source, uint32_t& pick);

// A gain source over a callable `gainOf(vector)` that lives as long as the source.
template <class GainOf>
GainSource gainSourceOf(const GainOf& gainOf, size_t wordsPerGain, const PassParts& parts = PassParts{}) {
    return GainSource{[](const void* context, uint32_t vector) { return (*static_cast<const GainOf*>(context))(vector); },
                      &gainOf, wordsPerGain, parts};
}
