// The phases of the selection and the coverage operations they share, over
// the bit-packed fault table.
#pragma once

#include <cstdint>
#include <vector>

#include "select/selection_options.h"
#include "patterns/pattern_set.h"
#include "select/selection_state.h"
#include "select/pass_parts.h"

// Row `vector` of the table; a vector without a stored row is all 'X'.
inline FaultTableRow selectionRow(const PatternSet& patterns, uint32_t vector) {
    const FaultTable& table = patterns.faultTable;
    return vector < table.rows.size() ? table.rows[vector] : FaultTableRow{};
}

// The one form of the coverage-limit test: with "-fault_cover", the phase
// that tests it ends once the covered count is strictly above the limit.
inline bool coverLimitPassed(const SelectionState& state, const SelectionOptions& options) {
    return options.faultCoverActive && state.coveredCount > state.coverLimit;
}

// Table words of the rows of vectors [begin, end), both planes.
inline size_t rowWords(const PatternSet& patterns, uint32_t begin, uint32_t end) {
    size_t words = 0;
    for (uint32_t vector = begin; vector < end && vector < patterns.faultTable.rows.size(); ++vector) {
        words += 2 * size_t{patterns.faultTable.rows[vector].words};
    }
    return words;
}

// Every vector a candidate, every flag and count 0, all counters 0.
SelectionState createSelectionState(const PatternSet& patterns);

// Chooses the vector's detections: sets its uncovered flags (counting them
// in coveredCount), leaving count0 and count1 to countChosenVectors: within a run the counts are built once, for
// the vectors chosen by the end of the greedy phase.
void coverVector(SelectionState& state, const PatternSet& patterns, uint32_t vector);

// count0 / count1 from scratch: at each node, the selected vectors whose row
// detects the fault.
void countChosenVectors(SelectionState& state, const PatternSet& patterns, const PassParts& parts);

// Faults the row would add: its detections whose flag is still clear.
uint32_t rowGain(const SelectionState& state, const FaultTableRow& row);

// Symbols of the vector's row other than 'X' (a lower-case 'x' counts).
uint32_t detectionWidth(const PatternSet& patterns, uint32_t vector);

// A candidate and the faults it adds.
struct CandidateGain {
    uint32_t vector;
    uint32_t gain;
};

// What the seeding's passes over the table found that the greedy phase needs
// as well, so that it reads the table for them no more.
struct SeedingCarry {
    // Faults some row detects; empty when the seeding did not gather them.
    std::vector<uint64_t> reach0;
    std::vector<uint64_t> reach1;
    // Every candidate that adds a fault once the seeding is done, in index
    // order; meaningful only when gainsGathered.
    std::vector<CandidateGain> gains;
    bool gainsGathered = false;
};

// The two phases as a run uses them: coverage through coverVector (the
// counts are left to countChosenVectors), the long passes cut as `parts`
// says, and the seeding's findings carried to the greedy phase.
void seedPhase(SelectionState& state, const SelectionOptions& options, const PatternSet& patterns,
               const PassParts& parts, SeedingCarry& carry);
void greedyPhase(SelectionState& state, const SelectionOptions& options, const PatternSet& patterns,
                 const PassParts& parts, SeedingCarry& carry);

// Drops, earliest first, every greedy pick whose faults other chosen vectors
// all detect too. The counts must hold (as every phase above leaves them).
void eliminateRedundant(SelectionState& state, const PatternSet& patterns);

struct SelectionWork;

// runSelection with the work shared out as `work` says (tests cut the passes
// of small tables with it); the results never depend on it.
SelectionState runSelectionWith(const SelectionOptions& options, const PatternSet& patterns, const SelectionWork& work);
