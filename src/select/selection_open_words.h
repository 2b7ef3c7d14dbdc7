// Where the greedy phase reads its gains from: the table rows over the words
// that still hold an open fault (one detected by some row and covered by no
// chosen vector). As coverage grows, that is a shrinking share of each row.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/selection_phases.h"
#include "select/selection_state.h"
#include "select/pass_parts.h"

struct OpenWords {
    std::vector<uint64_t> reach0;  // faults some row detects
    std::vector<uint64_t> reach1;
    // The words that hold an open fault, as ascending runs [begin, end).
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    size_t openWordCount = 0;
};

// The gains of every candidate that adds a fault now, in index order, and
// the open words to compute later gains over; takes what the seeding
// carried, and makes one pass over the table for the rest.
std::vector<CandidateGain> startOpenWords(OpenWords& open, const SelectionState& state, const PatternSet& patterns,
                                          const PassParts& parts, SeedingCarry& carry);

// The faults `vector` would add now.
uint32_t currentGain(const OpenWords& open, const SelectionState& state, const PatternSet& patterns,
                     uint32_t vector);

// Table words a gain reads.
size_t gainWords(const OpenWords& open);

// Keeps the words of the runs that are still open, merging neighbours.
void dropCoveredWords(OpenWords& open, const SelectionState& state);
