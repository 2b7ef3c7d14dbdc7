#include "select/phases/open_words.h"

#include <algorithm>

#include "select/faults/fault_rows.h"
#include "select/kernels/bit_kernels.h"

namespace {

bool stillOpen(const OpenWords& open, const SelectionState& state, uint32_t word) {
    return ((open.reach0[word] & ~state.covered0[word]) | (open.reach1[word] & ~state.covered1[word])) != 0;
}

uint32_t openGain(const OpenWords& open, const SelectionState& state, const FaultTableRow& row) {
    const uint64_t* plane0 = faultPlane(row, 0);
    const uint64_t* plane1 = faultPlane(row, 1);
    uint32_t gain = 0;
    for (auto [begin, end] : open.runs) {
        if (begin >= row.words) {
            break;
        }
        uint32_t words = std::min(end, row.words) - begin;
        gain += countNewBits(plane0 + begin, state.covered0.data() + begin, words) +
                countNewBits(plane1 + begin, state.covered1.data() + begin, words);
    }
    return gain;
}

// Faults some row detects, over vectors [begin, end).
void gatherReach(const PatternSet& patterns, uint32_t begin, uint32_t end, std::vector<uint64_t>& reach0,
                 std::vector<uint64_t>& reach1) {
    for (uint32_t vector = begin; vector < end; ++vector) {
        FaultTableRow row = selectionRow(patterns, vector);
        const uint64_t* plane0 = faultPlane(row, 0);
        const uint64_t* plane1 = faultPlane(row, 1);
        for (uint32_t word = 0; word < row.words; ++word) {
            reach0[word] |= plane0[word];
            reach1[word] |= plane1[word];
        }
    }
}

}  // namespace

uint32_t rowGain(const SelectionState& state, const FaultTableRow& row) {
    return countNewBits(faultPlane(row, 0), state.covered0.data(), row.words) +
           countNewBits(faultPlane(row, 1), state.covered1.data(), row.words);
}

std::vector<CandidateGain> gatherGains(OpenWords& open, const SelectionState& state, const PatternSet& patterns,
                                       const PassParts& parts) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    size_t words = state.covered0.size();
    size_t tableWords = rowWords(patterns, 0, vectors);
    bool needReach = open.reach0.empty();
    // Each part of the vectors into reach planes of its own, merged in part order.
    size_t reachParts = needReach ? partCount(parts, vectors, tableWords) : 0;
    std::vector<std::vector<uint64_t>> reach0(reachParts, std::vector<uint64_t>(words, 0));
    std::vector<std::vector<uint64_t>> reach1(reachParts, std::vector<uint64_t>(words, 0));
    std::vector<uint32_t> gains(vectors, 0);
    forEachPart(parts, vectors, tableWords, [&](uint32_t begin, uint32_t end, uint32_t part) {
        if (needReach) {
            gatherReach(patterns, begin, end, reach0[part], reach1[part]);
        }
        for (uint32_t vector = begin; vector < end; ++vector) {
            if (state.state[vector] == Candidate) {
                gains[vector] = rowGain(state, selectionRow(patterns, vector));
            }
        }
    });
    if (needReach) {
        open.reach0 = reachParts > 0 ? std::move(reach0[0]) : std::vector<uint64_t>(words, 0);
        open.reach1 = reachParts > 0 ? std::move(reach1[0]) : std::vector<uint64_t>(words, 0);
        for (size_t part = 1; part < reachParts; ++part) {
            for (size_t word = 0; word < words; ++word) {
                open.reach0[word] |= reach0[part][word];
                open.reach1[word] |= reach1[part][word];
            }
        }
    }
    std::vector<CandidateGain> candidates;
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        if (state.state[vector] == Candidate && gains[vector] > 0) {
            candidates.push_back(CandidateGain{vector, gains[vector]});
        }
    }
    return candidates;
}

void startOpenWords(OpenWords& open, const SelectionState& state) {
    size_t words = state.covered0.size();
    if (open.reach0.empty()) {
        open.reach0.assign(words, 0);
        open.reach1.assign(words, 0);
    }
    open.runs.assign(1, {0, static_cast<uint32_t>(words)});
    open.started = true;
    dropCoveredWords(open, state);
}

uint32_t currentGain(const OpenWords& open, const SelectionState& state, const PatternSet& patterns,
                     uint32_t vector) {
    return openGain(open, state, selectionRow(patterns, vector));
}

size_t gainWords(const OpenWords& open) {
    return 2 * open.openWordCount;
}

void dropCoveredWords(OpenWords& open, const SelectionState& state) {
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    size_t count = 0;
    for (auto [begin, end] : open.runs) {
        for (uint32_t word = begin; word < end; ++word) {
            if (!stillOpen(open, state, word)) {
                continue;
            }
            ++count;
            if (!runs.empty() && runs.back().second == word) {
                runs.back().second = word + 1;
            } else {
                runs.emplace_back(word, word + 1);
            }
        }
    }
    open.runs = std::move(runs);
    open.openWordCount = count;
}
