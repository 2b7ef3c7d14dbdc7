// The first phase: essential vectors with pruning, or the widest vector.
#include <bit>
#include <cstdint>
#include <vector>

#include "select/selection_phases.h"

namespace {

// How many vectors detect each fault, saturated at two, as bit planes: a
// bit of `once` is set when at least one vector detects the fault, a bit of
// `twice` when at least two do. Only "exactly one" matters to the seeding.
struct DetectionPlanes {
    std::vector<uint64_t> once;
    std::vector<uint64_t> twice;
};

void addPlane(DetectionPlanes& planes, const uint64_t* plane, uint32_t words) {
    for (uint32_t word = 0; word < words; ++word) {
        planes.twice[word] |= planes.once[word] & plane[word];
        planes.once[word] |= plane[word];
    }
}

// The essential list: per node at most one entry, for fault 0 when fault 0
// is detected by exactly one vector, else for fault 1 when fault 1 is. A bit
// of `fault0` / `fault1` marks the node's entry; `owner` holds, at each node
// with an entry, the one vector that detects the entry's fault.
struct EssentialEntries {
    std::vector<uint64_t> fault0;
    std::vector<uint64_t> fault1;
    std::vector<uint32_t> owner;
};

EssentialEntries findEssentialEntries(const PatternSet& patterns, uint32_t vectors) {
    uint32_t words = patterns.faultTable.maxWords;
    DetectionPlanes detect0{std::vector<uint64_t>(words, 0), std::vector<uint64_t>(words, 0)};
    DetectionPlanes detect1{std::vector<uint64_t>(words, 0), std::vector<uint64_t>(words, 0)};
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        FaultTableRow row = selectionRow(patterns, vector);
        addPlane(detect0, row.bits, row.words);
        addPlane(detect1, row.bits + row.words, row.words);
    }

    EssentialEntries entries;
    entries.fault0.resize(words);
    entries.fault1.resize(words);
    bool any = false;
    for (uint32_t word = 0; word < words; ++word) {
        entries.fault0[word] = detect0.once[word] & ~detect0.twice[word];
        entries.fault1[word] = detect1.once[word] & ~detect1.twice[word] & ~entries.fault0[word];
        any = any || (entries.fault0[word] | entries.fault1[word]) != 0;
    }
    if (!any) {
        return entries;
    }

    entries.owner.assign(size_t{words} * 64, 0);
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        FaultTableRow row = selectionRow(patterns, vector);
        for (uint32_t word = 0; word < row.words; ++word) {
            uint64_t hits = (row.bits[word] & entries.fault0[word]) |
                            (row.bits[row.words + word] & entries.fault1[word]);
            for (; hits != 0; hits &= hits - 1) {
                entries.owner[size_t{word} * 64 + std::countr_zero(hits)] = vector;
            }
        }
    }
    return entries;
}

// Takes, entry by entry in node order, the vector that serves it unless an
// earlier entry took it already; stops once the limit is passed.
uint32_t takeEssentialVectors(SelectionState& state, const RunOptions& options, const PatternSet& patterns,
                              const EssentialEntries& entries) {
    uint32_t essentialCount = 0;
    for (size_t word = 0; word < entries.fault0.size(); ++word) {
        for (uint64_t nodes = entries.fault0[word] | entries.fault1[word]; nodes != 0; nodes &= nodes - 1) {
            uint32_t vector = entries.owner[word * 64 + std::countr_zero(nodes)];
            if (state.state[vector] == Candidate) {
                state.state[vector] = Selected;
                ++essentialCount;
                applyVector(state, patterns, vector);
            }
            if (coverLimitPassed(state, options)) {
                return essentialCount;
            }
        }
    }
    return essentialCount;
}

// Discards every candidate that adds no fault to what is covered.
void pruneUseless(SelectionState& state, const PatternSet& patterns) {
    for (uint32_t vector = 0; vector < state.state.size(); ++vector) {
        if (state.state[vector] == Candidate && !rowAddsFault(state, selectionRow(patterns, vector))) {
            state.state[vector] = Discarded;
            ++state.discardedCount;
        }
    }
}

void seedWithEssentialVectors(SelectionState& state, const RunOptions& options, const PatternSet& patterns) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    uint32_t essentialCount = 0;
    {
        EssentialEntries entries = findEssentialEntries(patterns, vectors);
        if (!entries.owner.empty()) {
            essentialCount = takeEssentialVectors(state, options, patterns, entries);
        }
    }
    pruneUseless(state, patterns);
    state.chosenCount = essentialCount;
}

// The vector with the most symbols other than 'X', the lowest index on
// ties; vector 0 when every row is all 'X'. The limit is not tested here.
void seedWithWidestVector(SelectionState& state, const PatternSet& patterns) {
    uint32_t widest = 0;
    uint32_t widestWidth = detectionWidth(patterns, 0);
    for (uint32_t vector = 1; vector < state.state.size(); ++vector) {
        uint32_t width = detectionWidth(patterns, vector);
        if (width > widestWidth) {
            widest = vector;
            widestWidth = width;
        }
    }
    state.state[widest] = Selected;
    applyVector(state, patterns, widest);
    state.chosenCount = 1;
    state.discardedCount = 0;
}

}  // namespace

void seedSelection(SelectionState& state, const RunOptions& options, const PatternSet& patterns) {
    if (state.state.empty()) {
        return;
    }
    if (options.seedWithEssentialVectors) {
        seedWithEssentialVectors(state, options, patterns);
    } else {
        seedWithWidestVector(state, patterns);
    }
}
