// The first phase: essential vectors with pruning, or the widest vector.
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "select/bit_kernels.h"
#include "select/selection_phases.h"

namespace {

// How many vectors detect each fault, saturated at two, as bit planes: a
// bit of `once` is set when at least one vector detects the fault, a bit of
// `twice` when at least two do; the field of `first` holds, where `once` is
// set, the lowest vector that detects the fault, in as many bits as the
// vector count needs. Only "exactly one" matters to the seeding, and then
// the first vector is the only one.
struct DetectionPlanes {
    uint32_t width;
    std::vector<uint64_t> once0;
    std::vector<uint64_t> twice0;
    std::vector<uint64_t> first0;
    std::vector<uint64_t> once1;
    std::vector<uint64_t> twice1;
    std::vector<uint64_t> first1;

    DetectionPlanes(size_t words, uint32_t vectors)
        : width(vectorFieldWidth(vectors)), once0(words, 0), twice0(words, 0),
          first0(vectorFieldWords(words, width), 0), once1(words, 0), twice1(words, 0), first1(first0.size(), 0) {}
};

void gatherDetections(DetectionPlanes& planes, const PatternSet& patterns, uint32_t begin, uint32_t end) {
    VectorFields first0{planes.first0.data(), planes.width};
    VectorFields first1{planes.first1.data(), planes.width};
    for (uint32_t vector = begin; vector < end; ++vector) {
        FaultTableRow row = selectionRow(patterns, vector);
        addToDetectionPlanes(planes.once0.data(), planes.twice0.data(), first0, row.bits, row.words, vector);
        addToDetectionPlanes(planes.once1.data(), planes.twice1.data(), first1, row.bits + row.words, row.words,
                             vector);
    }
}

// Adds the planes of later vectors to those of earlier ones.
void mergePlane(std::vector<uint64_t>& once, std::vector<uint64_t>& twice, std::vector<uint64_t>& first,
                const std::vector<uint64_t>& laterOnce, const std::vector<uint64_t>& laterTwice,
                const std::vector<uint64_t>& laterFirst, uint32_t width) {
    for (size_t word = 0; word < once.size(); ++word) {
        for (uint64_t fresh = laterOnce[word] & ~once[word]; fresh != 0; fresh &= fresh - 1) {
            size_t node = word * 64 + static_cast<size_t>(std::countr_zero(fresh));
            storeVectorField(VectorFields{first.data(), width}, node, loadVectorField(laterFirst.data(), width, node));
        }
        twice[word] |= laterTwice[word] | (once[word] & laterOnce[word]);
        once[word] |= laterOnce[word];
    }
}

// One pass over every row, each part of the vectors into planes of its own,
// merged in part order.
DetectionPlanes findDetections(const PatternSet& patterns, uint32_t vectors, const PassParts& parts) {
    size_t tableWords = rowWords(patterns, 0, vectors);
    std::vector<DetectionPlanes> planes;
    size_t count = partCount(parts, vectors, tableWords);
    for (size_t part = 0; part < count; ++part) {
        planes.emplace_back(patterns.faultTable.maxWords, vectors);
    }
    forEachPart(parts, vectors, tableWords, [&](uint32_t begin, uint32_t end, uint32_t part) {
        gatherDetections(planes[part], patterns, begin, end);
    });
    for (size_t part = 1; part < planes.size(); ++part) {
        const DetectionPlanes& later = planes[part];
        mergePlane(planes[0].once0, planes[0].twice0, planes[0].first0, later.once0, later.twice0, later.first0,
                   planes[0].width);
        mergePlane(planes[0].once1, planes[0].twice1, planes[0].first1, later.once1, later.twice1, later.first1,
                   planes[0].width);
    }
    return std::move(planes[0]);
}

// The essential list: per node at most one entry, for fault 0 when fault 0
// is detected by exactly one vector, else for fault 1 when fault 1 is.
struct EssentialEntries {
    std::vector<uint64_t> fault0;
    std::vector<uint64_t> fault1;
    bool any = false;
};

EssentialEntries findEssentialEntries(const DetectionPlanes& planes) {
    size_t words = planes.once0.size();
    EssentialEntries entries{std::vector<uint64_t>(words), std::vector<uint64_t>(words)};
    for (size_t word = 0; word < words; ++word) {
        entries.fault0[word] = planes.once0[word] & ~planes.twice0[word];
        entries.fault1[word] = planes.once1[word] & ~planes.twice1[word] & ~entries.fault0[word];
        entries.any = entries.any || (entries.fault0[word] | entries.fault1[word]) != 0;
    }
    return entries;
}

// Takes, entry by entry in node order, the vector that serves it unless an
// earlier entry took it already; stops once the limit is passed.
uint32_t takeEssentialVectors(SelectionState& state, const SelectionOptions& options, const PatternSet& patterns,
                              const EssentialEntries& entries, const DetectionPlanes& planes) {
    uint32_t essentialCount = 0;
    for (size_t word = 0; word < entries.fault0.size(); ++word) {
        for (uint64_t nodes = entries.fault0[word] | entries.fault1[word]; nodes != 0; nodes &= nodes - 1) {
            int bit = std::countr_zero(nodes);
            size_t node = word * 64 + static_cast<size_t>(bit);
            const std::vector<uint64_t>& first = (entries.fault0[word] >> bit) & 1 ? planes.first0 : planes.first1;
            uint32_t vector = loadVectorField(first.data(), planes.width, node);
            if (state.state[vector] == Candidate) {
                state.state[vector] = Selected;
                ++essentialCount;
                coverVector(state, patterns, vector);
            }
            if (coverLimitPassed(state, options)) {
                return essentialCount;
            }
        }
    }
    return essentialCount;
}

// Discards every candidate that adds no fault to what is covered, and keeps
// the gains of the others for the greedy phase, which starts from this
// coverage.
void pruneUseless(SelectionState& state, const PatternSet& patterns, const PassParts& parts, SeedingCarry& carry) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    std::vector<uint32_t> gains(vectors, 0);
    forEachPart(parts, vectors, rowWords(patterns, 0, vectors), [&](uint32_t begin, uint32_t end, uint32_t) {
        for (uint32_t vector = begin; vector < end; ++vector) {
            if (state.state[vector] == Candidate) {
                gains[vector] = rowGain(state, selectionRow(patterns, vector));
            }
        }
    });
    carry.gains.clear();
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        if (state.state[vector] != Candidate) {
            continue;
        }
        if (gains[vector] == 0) {
            state.state[vector] = Discarded;
            ++state.discardedCount;
        } else {
            carry.gains.push_back(CandidateGain{vector, gains[vector]});
        }
    }
    carry.gainsGathered = true;
}

void seedWithEssentialVectors(SelectionState& state, const SelectionOptions& options, const PatternSet& patterns,
                              const PassParts& parts, SeedingCarry& carry) {
    auto vectors = static_cast<uint32_t>(state.state.size());
    uint32_t essentialCount = 0;
    {
        DetectionPlanes planes = findDetections(patterns, vectors, parts);
        EssentialEntries entries = findEssentialEntries(planes);
        if (entries.any) {
            essentialCount = takeEssentialVectors(state, options, patterns, entries, planes);
        }
        carry.reach0 = std::move(planes.once0);
        carry.reach1 = std::move(planes.once1);
    }
    pruneUseless(state, patterns, parts, carry);
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
    coverVector(state, patterns, widest);
    state.chosenCount = 1;
    state.discardedCount = 0;
}

}  // namespace

void seedPhase(SelectionState& state, const SelectionOptions& options, const PatternSet& patterns,
               const PassParts& parts, SeedingCarry& carry) {
    if (state.state.empty()) {
        return;
    }
    if (options.seedWithEssentialVectors) {
        seedWithEssentialVectors(state, options, patterns, parts, carry);
    } else {
        seedWithWidestVector(state, patterns);
    }
}

