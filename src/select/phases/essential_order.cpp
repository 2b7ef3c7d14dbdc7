// The seeding's pass over the table: how many vectors detect each fault,
// saturated at two, and the lowest that does.
#include "select/phases/essential_order.h"

#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "select/faults/fault_rows.h"
#include "select/kernels/bit_kernels.h"

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
        addToDetectionPlanes(planes.once0.data(), planes.twice0.data(), first0, faultPlane(row, 0), row.words, vector);
        addToDetectionPlanes(planes.once1.data(), planes.twice1.data(), first1, faultPlane(row, 1), row.words,
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

}  // namespace

EssentialEntries findEssentialEntries(const PatternSet& patterns, uint32_t vectors, const PassParts& parts) {
    DetectionPlanes planes = findDetections(patterns, vectors, parts);
    size_t words = planes.once0.size();
    EssentialEntries entries;
    entries.fault0.assign(words, 0);
    entries.fault1.assign(words, 0);
    // Per node at most one entry: for fault 0 when exactly one vector
    // detects it, else for fault 1 when exactly one does.
    for (size_t word = 0; word < words; ++word) {
        entries.fault0[word] = planes.once0[word] & ~planes.twice0[word];
        entries.fault1[word] = planes.once1[word] & ~planes.twice1[word] & ~entries.fault0[word];
    }
    entries.width = planes.width;
    entries.first0 = std::move(planes.first0);
    entries.first1 = std::move(planes.first1);
    entries.reach0 = std::move(planes.once0);
    entries.reach1 = std::move(planes.once1);
    return entries;
}
