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
//
// Gains are counts of 32 bits (faults, demands) or of 64 (pairs of faults):
// the queue is written once for both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "select/kernels/pass_parts.h"

// A candidate and what it adds.
template <class Gain>
struct CandidateGainOf {
    uint32_t vector;
    Gain gain;
};

// Ranked by gain, then by lowest index: the gain above the inverted index,
// so a larger key ranks higher.
template <class Gain>
using GainKeyOf = std::conditional_t<sizeof(Gain) <= sizeof(uint32_t), uint64_t, unsigned __int128>;

template <class Gain>
struct GainQueueOf {
    std::vector<GainKeyOf<Gain>> keys;  // a max-heap
    // evaluatedAt[v]: the number of picks made when v's key was computed, so
    // the keys with picks == evaluatedAt are exact.
    std::vector<uint32_t> evaluatedAt;
    uint32_t picks = 0;
    // The keys recomputed for the coming pick, as they were before; and of
    // those of the last pick, how many ranked above the pick: the keys that
    // a one-by-one search must have recomputed, and the first batch size.
    std::vector<GainKeyOf<Gain>> replacedKeys;
    size_t lastPickOutranked = 0;
};

// Where the queue gets current gains from: gainOf(context, vector) reads
// about wordsPerGain table words; batches are cut as `parts` says.
template <class Gain>
struct GainSourceOf {
    Gain (*gainOf)(const void* context, uint32_t vector);
    const void* context;
    size_t wordsPerGain;
    PassParts parts;
};

using CandidateGain = CandidateGainOf<uint32_t>;
using GainQueue = GainQueueOf<uint32_t>;
using GainSource = GainSourceOf<uint32_t>;

// The candidates of positive gain, of vectors below `vectors`.
template <class Gain>
GainQueueOf<Gain> makeGainQueue(const std::vector<CandidateGainOf<Gain>>& candidates, size_t vectors);

// The candidate of largest current gain, lowest index on ties, taken off the
// queue; false when no candidate adds anything. Every key counts as stale
// from here on: the pick is about to change what the others add.
template <class Gain>
bool popBestCandidate(GainQueueOf<Gain>& queue, const GainSourceOf<Gain>& source, uint32_t& pick);

// A gain source over a callable `gainOf(vector)` that lives as long as the
// source; its gains are of the type the callable returns.
template <class GainOf, class Gain = std::invoke_result_t<const GainOf&, uint32_t>>
GainSourceOf<Gain> makeGainSource(const GainOf& gainOf, size_t wordsPerGain, const PassParts& parts = PassParts{}) {
    return GainSourceOf<Gain>{
        [](const void* context, uint32_t vector) { return (*static_cast<const GainOf*>(context))(vector); }, &gainOf,
        wordsPerGain, parts};
}
