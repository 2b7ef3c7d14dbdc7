// Where the default run's greedy phase reads its gains from: the table rows
// over the words that still hold an open fault (one detected by some row and
// covered by no chosen vector). As coverage grows, that is a shrinking share
// of each row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/kernels/pass_parts.h"
#include "select/phases/gain_queue.h"
#include "select/phases/selection_state.h"

struct OpenWords {
    std::vector<uint64_t> reach0;  // faults some row detects; empty until gathered
    std::vector<uint64_t> reach1;
    // The words that hold an open fault, as ascending runs [begin, end);
    // empty until the greedy phase starts.
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    size_t openWordCount = 0;
    bool started = false;
};

// The faults the row adds to the covered flags.
uint32_t rowGain(const SelectionState& state, const FaultTableRow& row);

// The gains of every candidate that adds a fault now, in index order, in one
// pass over the table; the reach planes too unless the seeding gathered them.
std::vector<CandidateGain> gatherGains(OpenWords& open, const SelectionState& state, const PatternSet& patterns,
                                       const PassParts& parts);

// The open words from here on: every word that holds an open fault.
void startOpenWords(OpenWords& open, const SelectionState& state);

// The faults `vector` would add now, read over the open words.
uint32_t currentGain(const OpenWords& open, const SelectionState& state, const PatternSet& patterns,
                     uint32_t vector);

// Table words a gain reads.
size_t gainWords(const OpenWords& open);

// Keeps the words of the runs that are still open, merging neighbours.
void dropCoveredWords(OpenWords& open, const SelectionState& state);
