// The totals and the coverage operations that every phase shares.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "select/bit_kernels.h"
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

void raiseCounts(const uint64_t* plane, uint32_t words, int32_t* counts) {
    for (uint32_t word = 0; word < words; ++word) {
        int32_t* wordCounts = counts + size_t{word} * 64;
        for (uint64_t bits = plane[word]; bits != 0; bits &= bits - 1) {
            ++wordCounts[std::countr_zero(bits)];
        }
    }
}

// Byte counts take at most this many rows before they are added to the
// 32-bit counts.
constexpr uint32_t RowsPerByteCount = 255;

// count0 / count1 of the nodes of words [begin, end) over the rows of
// `chosen`, gathered a few hundred rows at a time in byte counts.
void countWordRange(SelectionState& state, const PatternSet& patterns, const std::vector<uint32_t>& chosen,
                    uint32_t begin, uint32_t end) {
    size_t nodes = size_t{end - begin} * 64;
    std::vector<uint8_t> bytes0(nodes, 0);
    std::vector<uint8_t> bytes1(nodes, 0);
    int32_t* counts0 = state.count0.data() + size_t{begin} * 64;
    int32_t* counts1 = state.count1.data() + size_t{begin} * 64;
    auto addBytes = [&] {
        for (size_t node = 0; node < nodes; ++node) {
            counts0[node] += bytes0[node];
            counts1[node] += bytes1[node];
        }
        std::fill(bytes0.begin(), bytes0.end(), 0);
        std::fill(bytes1.begin(), bytes1.end(), 0);
    };
    uint32_t pending = 0;
    for (uint32_t vector : chosen) {
        FaultTableRow row = selectionRow(patterns, vector);
        if (row.words <= begin) {
            continue;
        }
        uint32_t words = std::min(row.words, end) - begin;
        addBitsToByteCounts(bytes0.data(), row.bits + begin, words);
        addBitsToByteCounts(bytes1.data(), row.bits + row.words + begin, words);
        if (++pending == RowsPerByteCount) {
            addBytes();
            pending = 0;
        }
    }
    if (pending > 0) {
        addBytes();
    }
}

}  // namespace

void applyVector(SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    coverVector(state, patterns, vector);
    FaultTableRow row = selectionRow(patterns, vector);
    raiseCounts(row.bits, row.words, state.count0.data());
    raiseCounts(row.bits + row.words, row.words, state.count1.data());
}

void coverVector(SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    FaultTableRow row = selectionRow(patterns, vector);
    state.coveredCount += mergeNewBits(state.covered0.data(), row.bits, row.words);
    state.coveredCount += mergeNewBits(state.covered1.data(), row.bits + row.words, row.words);
}

void countChosenVectors(SelectionState& state, const PatternSet& patterns, const PassParts& parts) {
    std::fill(state.count0.begin(), state.count0.end(), 0);
    std::fill(state.count1.begin(), state.count1.end(), 0);
    std::vector<uint32_t> chosen;
    size_t words = 0;
    for (uint32_t vector = 0; vector < state.state.size(); ++vector) {
        if (state.state[vector] == Selected && selectionRow(patterns, vector).words > 0) {
            chosen.push_back(vector);
            words += 2 * size_t{selectionRow(patterns, vector).words};
        }
    }
    if (chosen.empty()) {
        return;
    }
    // Cut by nodes: each part counts all chosen rows over its words, into
    // counts of its own.
    forEachPart(parts, static_cast<uint32_t>(state.covered0.size()), words,
                [&](uint32_t begin, uint32_t end, uint32_t) { countWordRange(state, patterns, chosen, begin, end); });
}

uint32_t rowGain(const SelectionState& state, const FaultTableRow& row) {
    return countNewBits(row.bits, state.covered0.data(), row.words) +
           countNewBits(row.bits + row.words, state.covered1.data(), row.words);
}

uint32_t gainOf(const SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    return rowGain(state, selectionRow(patterns, vector));
}

uint32_t detectionWidth(const PatternSet& patterns, uint32_t vector) {
    return selectionRow(patterns, vector).width;
}
