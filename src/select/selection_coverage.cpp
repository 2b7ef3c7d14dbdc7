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
    resetCounts(state.count0, words, 0);
    resetCounts(state.count1, words, 0);
    return state;
}

namespace {

// Byte counts take at most this many rows before they are added to the
// 32-bit totals.
constexpr uint32_t RowsPerByteCount = 255;

// The words of nodes counted at a time: the byte counts and totals of both
// planes (10 bytes per node) stay within the core's cache, and their memory
// does not grow with the row.
constexpr uint32_t ChunkWords = 512;

// count0 / count1 of the nodes of words [begin, end) over the rows of
// `chosen`, a chunk of words at a time, gathered a few hundred rows at a
// time in byte counts.
void countWordRange(SelectionState& state, const PatternSet& patterns, const std::vector<uint32_t>& chosen,
                    uint32_t begin, uint32_t end) {
    size_t chunkNodes = size_t{std::min(end - begin, ChunkWords)} * 64;
    std::vector<uint8_t> bytes0(chunkNodes);
    std::vector<uint8_t> bytes1(chunkNodes);
    std::vector<uint32_t> totals0(chunkNodes);
    std::vector<uint32_t> totals1(chunkNodes);
    for (uint32_t chunk = begin; chunk < end; chunk += std::min(end - chunk, ChunkWords)) {
        uint32_t chunkEnd = chunk + std::min(end - chunk, ChunkWords);
        size_t nodes = size_t{chunkEnd - chunk} * 64;
        std::fill(bytes0.begin(), bytes0.end(), 0);
        std::fill(bytes1.begin(), bytes1.end(), 0);
        std::fill(totals0.begin(), totals0.end(), 0);
        std::fill(totals1.begin(), totals1.end(), 0);
        auto addBytes = [&] {
            for (size_t node = 0; node < nodes; ++node) {
                totals0[node] += bytes0[node];
                totals1[node] += bytes1[node];
            }
            std::fill(bytes0.begin(), bytes0.end(), 0);
            std::fill(bytes1.begin(), bytes1.end(), 0);
        };
        uint32_t pending = 0;
        for (uint32_t vector : chosen) {
            FaultTableRow row = selectionRow(patterns, vector);
            if (row.words <= chunk) {
                continue;
            }
            uint32_t words = std::min(row.words, chunkEnd) - chunk;
            addBitsToByteCounts(bytes0.data(), row.bits + chunk, words);
            addBitsToByteCounts(bytes1.data(), row.bits + row.words + chunk, words);
            if (++pending == RowsPerByteCount) {
                addBytes();
                pending = 0;
            }
        }
        if (pending > 0) {
            addBytes();
        }
        for (uint32_t word = chunk; word < chunkEnd; ++word) {
            storeWordCounts(state.count0, word, totals0.data() + size_t{word - chunk} * 64);
            storeWordCounts(state.count1, word, totals1.data() + size_t{word - chunk} * 64);
        }
    }
}

}  // namespace

void coverVector(SelectionState& state, const PatternSet& patterns, uint32_t vector) {
    FaultTableRow row = selectionRow(patterns, vector);
    state.coveredCount += mergeNewBits(state.covered0.data(), row.bits, row.words);
    state.coveredCount += mergeNewBits(state.covered1.data(), row.bits + row.words, row.words);
}

void countChosenVectors(SelectionState& state, const PatternSet& patterns, const PassParts& parts) {
    std::vector<uint32_t> chosen;
    size_t words = 0;
    for (uint32_t vector = 0; vector < state.state.size(); ++vector) {
        if (state.state[vector] == Selected && selectionRow(patterns, vector).words > 0) {
            chosen.push_back(vector);
            words += 2 * size_t{selectionRow(patterns, vector).words};
        }
    }
    // No count exceeds the number of chosen rows.
    auto width = static_cast<uint32_t>(std::bit_width(chosen.size()));
    resetCounts(state.count0, state.covered0.size(), width);
    resetCounts(state.count1, state.covered1.size(), width);
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

uint32_t detectionWidth(const PatternSet& patterns, uint32_t vector) {
    return selectionRow(patterns, vector).width;
}
