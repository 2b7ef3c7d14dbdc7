// The elimination pass: greedy picks whose faults other chosen vectors all
// detect are dropped, earliest pick first.
#include <bit>
#include <cstdint>

#include "select/selection_phases.h"

namespace {

// Takes the vector's detections off the counts in node order, stopping at
// the first count that falls to 0 (the vector alone detects that fault);
// then every count taken off is put back. True when no count fell to 0.
bool tryRemoval(SelectionState& state, const FaultTableRow& row) {
    const uint64_t* plane0 = row.bits;
    const uint64_t* plane1 = row.bits + row.words;
    uint32_t stopWord = row.words;
    uint64_t stopBit = 0;
    for (uint32_t word = 0; word < row.words && stopWord == row.words; ++word) {
        int32_t* counts0 = state.count0.data() + size_t{word} * 64;
        int32_t* counts1 = state.count1.data() + size_t{word} * 64;
        for (uint64_t nodes = plane0[word] | plane1[word]; nodes != 0; nodes &= nodes - 1) {
            int bit = std::countr_zero(nodes);
            int32_t* counts = (plane0[word] >> bit) & 1 ? counts0 : counts1;
            if (--counts[bit] == 0) {
                stopWord = word;
                stopBit = uint64_t{1} << bit;
                break;
            }
        }
    }
    if (stopWord == row.words) {
        return true;
    }
    // Put back every count of the words before the stop, then those of the
    // stop word up to and including the stopping node.
    for (uint32_t word = 0; word <= stopWord; ++word) {
        uint64_t keep = word < stopWord ? ~uint64_t{0} : (stopBit | (stopBit - 1));
        int32_t* counts0 = state.count0.data() + size_t{word} * 64;
        int32_t* counts1 = state.count1.data() + size_t{word} * 64;
        for (uint64_t bits = plane0[word] & keep; bits != 0; bits &= bits - 1) {
            ++counts0[std::countr_zero(bits)];
        }
        for (uint64_t bits = plane1[word] & keep; bits != 0; bits &= bits - 1) {
            ++counts1[std::countr_zero(bits)];
        }
    }
    return false;
}

}  // namespace

void eliminateRedundant(SelectionState& state, const PatternSet& patterns) {
    for (uint32_t vector : state.greedyPicks) {
        if (tryRemoval(state, selectionRow(patterns, vector))) {
            state.state[vector] = Candidate;
            --state.chosenCount;
        }
    }
}
