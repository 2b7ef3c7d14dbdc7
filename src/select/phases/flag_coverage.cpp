#include "select/phases/flag_coverage.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "select/faults/fault_rows.h"
#include "select/kernels/bit_kernels.h"

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
            addBitsToByteCounts(bytes0.data(), faultPlane(row, 0) + chunk, words);
            addBitsToByteCounts(bytes1.data(), faultPlane(row, 1) + chunk, words);
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
    state.coveredCount += mergeNewBits(state.covered0.data(), faultPlane(row, 0), row.words);
    state.coveredCount += mergeNewBits(state.covered1.data(), faultPlane(row, 1), row.words);
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

uint32_t detectionWidth(const PatternSet& patterns, uint32_t vector) {
    return selectionRow(patterns, vector).width;
}

void addDetections(FlagCoverage& coverage, SelectionState& state, uint32_t vector) {
    coverVector(state, coverage.patterns, vector);
    if (coverage.open.started) {
        dropCoveredWords(coverage.open, state);
    }
}

std::vector<CandidateGain> candidateGains(FlagCoverage& coverage, const SelectionState& state) {
    return gatherGains(coverage.open, state, coverage.patterns, coverage.parts);
}

void startGreedy(FlagCoverage& coverage, const SelectionState& state) {
    startOpenWords(coverage.open, state);
}

// The elimination: a greedy pick stays exactly when one of its faults has no
// other chosen vector, that is, a count of 1. Planes of the faults whose
// count is 1 answer that with word operations; only a dropped pick changes
// counts.
namespace {

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

void startElimination(FlagCoverage& coverage, SelectionState& state) {
    countChosenVectors(state, coverage.patterns, coverage.parts);
    size_t words = state.covered0.size();
    coverage.single0.assign(words, 0);
    coverage.single1.assign(words, 0);
    for (size_t word = 0; word < words; ++word) {
        coverage.single0[word] = countsOfOne(state.count0, word);
        coverage.single1[word] = countsOfOne(state.count1, word);
    }
}

bool dropKeepsCoverage(const FlagCoverage& coverage, const SelectionState&, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    const uint64_t* plane0 = faultPlane(row, 0);
    const uint64_t* plane1 = faultPlane(row, 1);
    uint64_t any = 0;
    for (uint32_t word = 0; word < row.words; ++word) {
        any |= (plane0[word] & coverage.single0[word]) | (plane1[word] & coverage.single1[word]);
    }
    return any == 0;
}

void dropDetections(FlagCoverage& coverage, SelectionState& state, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    lowerCounts(faultPlane(row, 0), row.words, state.count0, coverage.single0);
    lowerCounts(faultPlane(row, 1), row.words, state.count1, coverage.single1);
}

void recountCoverage(SelectionState& state, const PatternSet& patterns) {
    const FaultTable& table = patterns.faultTable;
    state.covered0.resize(std::max<size_t>(state.covered0.size(), table.maxWords));
    state.covered1.resize(std::max<size_t>(state.covered1.size(), table.maxWords));
    std::fill(state.covered0.begin(), state.covered0.end(), 0);
    std::fill(state.covered1.begin(), state.covered1.end(), 0);
    auto rows = static_cast<uint32_t>(std::min(state.state.size(), table.rows.size()));
    for (uint32_t v = 0; v < rows; ++v) {
        if (state.state[v] != Selected) {
            continue;
        }
        const FaultTableRow& row = table.rows[v];
        const uint64_t* plane0 = faultPlane(row, 0);
        const uint64_t* plane1 = faultPlane(row, 1);
        for (uint32_t w = 0; w < row.words; ++w) {
            state.covered0[w] |= plane0[w];
            state.covered1[w] |= plane1[w];
        }
    }
    uint32_t covered = 0;
    for (uint64_t word : state.covered0) {
        covered += static_cast<uint32_t>(std::popcount(word));
    }
    for (uint64_t word : state.covered1) {
        covered += static_cast<uint32_t>(std::popcount(word));
    }
    state.coveredCount = covered;
    PassParts oneThread;
    countChosenVectors(state, patterns, oneThread);
}
