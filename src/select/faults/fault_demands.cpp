#include "select/faults/fault_demands.h"

#include <algorithm>
#include <bit>

#include "select/faults/detection_counts.h"

namespace {

// Raises the counts at bits[0..n), each stopping at `cap`: the width of the
// counts holds the cap, so the carries are short.
void addUpTo(DetectionCounts& counts, const uint64_t* bits, size_t n, uint32_t cap) {
    const uint32_t width = counts.width;
    for (size_t word = 0; word < n; ++word) {
        uint64_t* slices = counts.slices.data() + word * width;
        uint64_t atCap = ~uint64_t{0};
        for (uint32_t j = 0; j < width; ++j) {
            atCap &= ((cap >> j) & 1) != 0 ? slices[j] : ~slices[j];
        }
        uint64_t carry = bits[word] & ~atCap;
        for (uint32_t j = 0; j < width && carry != 0; ++j) {
            uint64_t next = slices[j] & carry;
            slices[j] ^= carry;
            carry = next;
        }
    }
}

}  // namespace

FaultDemands countDemands(const PatternSet& patterns, uint32_t detections) {
    FaultDemands demands;
    demands.detections = detections;
    demands.words = patterns.faultTable.maxWords;
    // Only whether a fault has more detecting vectors than N matters beyond N.
    const uint32_t cap = detections == UINT32_MAX ? detections : detections + 1;
    DetectionCounts inputs[2];
    for (uint32_t plane = 0; plane < 2; ++plane) {
        resetCounts(inputs[plane], demands.words, static_cast<uint32_t>(std::bit_width(cap)));
    }
    for (const FaultTableRow& row : patterns.faultTable.rows) {
        for (uint32_t plane = 0; plane < 2; ++plane) {
            addUpTo(inputs[plane], faultPlane(row, plane), row.words, cap);
        }
    }
    uint32_t largest = 0;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        for (size_t node = 0; node < demands.words * 64; ++node) {
            largest = std::max(largest, std::min(countAt(inputs[plane], node), detections));
        }
    }
    for (uint32_t plane = 0; plane < 2; ++plane) {
        resetCounts(demands.demand[plane], demands.words, std::max<uint32_t>(std::bit_width(largest), 1));
        demands.needsAll[plane].assign(demands.words, 0);
        demands.demanded[plane].assign(demands.words, 0);
        uint32_t values[64];
        for (size_t word = 0; word < demands.words; ++word) {
            for (uint32_t bit = 0; bit < 64; ++bit) {
                uint32_t count = countAt(inputs[plane], word * 64 + bit);
                values[bit] = std::min(count, detections);
                demands.total += values[bit];
                if (count >= 1 && count <= detections) {
                    demands.needsAll[plane][word] |= uint64_t{1} << bit;
                }
                if (count >= 1) {
                    demands.demanded[plane][word] |= uint64_t{1} << bit;
                }
            }
            storeWordCounts(demands.demand[plane], word, values);
        }
    }
    return demands;
}

