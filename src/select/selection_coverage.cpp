// The totals and the coverage operations that every phase shares.
#include <bit>
#include <cstdint>
#include <limits>

#include "select/bit_count.h"
#include "select/selection_phases.h"

uint32_t countDetectable(const FaultSummary& summary) {
    uint32_t total = 0;
    for (char symbol : summary.symbols) {
        if (symbol == '&') {
            total += 2;
        } else if (symbol == '0' || symbol == '1') {
            total += 1;
        }
    }
    return total;
}

uint32_t computeCoverLimit(uint32_t percent, uint32_t total) {
    double limit = static_cast<double>(percent) * static_cast<double>(total) * 0.01;
    // A percentage above 100 (or a negative one read as unsigned) can give a
    // product beyond the range; such a limit is never passed.
    if (limit >= static_cast<double>(std::numeric_limits<uint32_t>::max())) {
        return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(limit);
}

SelectionState createSelectionState(const PatternSet& patterns) {
    SelectionState state;
    size_t words = patterns.faultTable.maxWords;
    state.state.assign(selectionVectorCount(patterns), Candidate);
    state.covered0.assign(words, 0);
    state.covered1.assign(words, 0);
    state.count0.assign(words * 64, 0);
    state.count1.assign(words * 64, 0);
    return state;
}

namespace {

// Sets the clear flags of `plane` (counting them) and raises the counts of
// every node the plane holds.
void applyPlane(const uint64_t* plane, uint32_t words, uint64_t* covered, int32_t* counts,
                uint32_t& coveredCount) {
    for (uint32_t word = 0; word < words; ++word) {
        uint64_t bits = plane[word];
        if (bits == 0) {
            continue;
        }
        coveredCount += static_cast<uint32_t>(std::popcount(bits & ~covered[word]));
        covered[word] |= bits;
        int32_t* wordCounts = counts + size_t{word} * 64;
        for (; bits != 0; bits &= bits - 1) {
            ++wordCounts[std::countr_zero(bits)];
        }
    }
}

}  // namespace

void applyVector(SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    FaultTableRow row = selectionRow(patterns, vector);
    applyPlane(row.bits, row.words, state.covered0.data(), state.count0.data(), state.coveredCount);
    applyPlane(row.bits + row.words, row.words, state.covered1.data(), state.count1.data(),
               state.coveredCount);
}

uint32_t rowGain(const SelectionState& state, const FaultTableRow& row) {
    return countAndNot(row.bits, state.covered0.data(), row.words) +
           countAndNot(row.bits + row.words, state.covered1.data(), row.words);
}

bool rowAddsFault(const SelectionState& state, const FaultTableRow& row) {
    const uint64_t* plane0 = row.bits;
    const uint64_t* plane1 = row.bits + row.words;
    for (uint32_t word = 0; word < row.words; ++word) {
        if ((plane0[word] & ~state.covered0[word]) != 0 || (plane1[word] & ~state.covered1[word]) != 0) {
            return true;
        }
    }
    return false;
}

uint32_t gainOf(const SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    return rowGain(state, selectionRow(patterns, vector));
}

uint32_t detectionWidth(const PatternSet& patterns, uint32_t vector) {
    return selectionRow(patterns, vector).width;
}
