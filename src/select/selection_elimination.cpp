// The elimination pass: greedy picks whose faults other chosen vectors all
// detect are dropped, earliest pick first.
//
// A trial takes the pick's detections off the counts in node order and stops
// at the first count that falls to 0, putting every count back; so a pick
// stays exactly when one of its faults has a count of 1, and then the counts
// end as they were. Planes of the faults whose count is 1 answer that with
// word operations; only a dropped pick changes counts.
#include <cstdint>
#include <vector>

#include "select/selection_phases.h"

namespace {

struct SingleDetections {
    std::vector<uint64_t> plane0;  // bit n: count0 at node n is 1
    std::vector<uint64_t> plane1;
};

SingleDetections findSingleDetections(const SelectionState& state) {
    size_t words = state.covered0.size();
    SingleDetections singles{std::vector<uint64_t>(words, 0), std::vector<uint64_t>(words, 0)};
    for (size_t word = 0; word < words; ++word) {
        singles.plane0[word] = countsOfOne(state.count0, word);
        singles.plane1[word] = countsOfOne(state.count1, word);
    }
    return singles;
}

bool detectsASingle(const SingleDetections& singles, const FaultTableRow& row) {
    uint64_t any = 0;
    for (uint32_t word = 0; word < row.words; ++word) {
        any |= (row.bits[word] & singles.plane0[word]) | (row.bits[row.words + word] & singles.plane1[word]);
    }
    return any != 0;
}

// Takes the plane's detections off the counts; a count that falls to 1
// joins the single detections.
void lowerCounts(const uint64_t* plane, uint32_t words, DetectionCounts& counts, std::vector<uint64_t>& singles) {
    subtractFromCounts(counts, plane, words);
    for (uint32_t word = 0; word < words; ++word) {
        if (plane[word] != 0) {
            singles[word] = countsOfOne(counts, word);
        }
    }
}

}  // namespace

void eliminateRedundant(SelectionState& state, const PatternSet& patterns) {
    if (state.greedyPicks.empty()) {
        return;
    }
    SingleDetections singles = findSingleDetections(state);
    for (uint32_t vector : state.greedyPicks) {
        FaultTableRow row = selectionRow(patterns, vector);
        if (detectsASingle(singles, row)) {
            continue;
        }
        lowerCounts(row.bits, row.words, state.count0, singles.plane0);
        lowerCounts(row.bits + row.words, row.words, state.count1, singles.plane1);
        state.state[vector] = Candidate;
        --state.chosenCount;
    }
}
