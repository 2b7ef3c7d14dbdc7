#include "select/order/coverage_order.h"

#include "base/bit_count.h"
#include "select/faults/detectable_faults.h"
#include "select/faults/fault_rows.h"
#include "select/phases/gain_queue.h"

namespace {

// The detectable faults the ordered vectors detect (as often as demanded).
struct OrderCoverage {
    const PatternSet& patterns;
    const FaultDemands* demands;
    std::vector<uint64_t> counted[2];  // the detectable faults, with a demand
    std::vector<uint64_t> met[2];
    DetectionCounts counts[2];         // with demands only
    uint32_t metCount = 0;
};

uint32_t orderGain(const OrderCoverage& coverage, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    uint32_t gain = 0;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (uint32_t word = 0; word < row.words && word < coverage.counted[plane].size(); ++word) {
            gain += countBits(bits[word] & coverage.counted[plane][word] & ~coverage.met[plane][word]);
        }
    }
    return gain;
}

void addToOrder(OrderCoverage& coverage, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        size_t words = std::min<size_t>(row.words, coverage.counted[plane].size());
        if (coverage.demands != nullptr) {
            addToCounts(coverage.counts[plane], bits, words);
        }
        for (size_t word = 0; word < words; ++word) {
            uint64_t fresh = bits[word] & coverage.counted[plane][word] & ~coverage.met[plane][word];
            if (fresh != 0 && coverage.demands != nullptr) {
                fresh &= ~countsBelow(coverage.counts[plane], coverage.demands->demand[plane], word);
            }
            coverage.met[plane][word] |= fresh;
            coverage.metCount += countBits(fresh);
        }
    }
}

}  // namespace

CoverageOrder coverageOrder(const PatternSet& patterns, const std::vector<uint32_t>& chosen,
                        const FaultDemands* demands) {
    DetectableFaults detectable = decodeSummary(patterns.faultSummary);
    OrderCoverage coverage{patterns, demands, {}, {}, {}, 0};
    for (uint32_t plane = 0; plane < 2; ++plane) {
        coverage.counted[plane] = std::move(detectable.plane[plane]);
        if (demands != nullptr) {
            coverage.counted[plane].resize(std::min(coverage.counted[plane].size(), demands->words));
            for (size_t word = 0; word < coverage.counted[plane].size(); ++word) {
                coverage.counted[plane][word] &= demands->demanded[plane][word];
            }
            resetCounts(coverage.counts[plane], coverage.counted[plane].size(), 0);
        }
        coverage.met[plane].assign(coverage.counted[plane].size(), 0);
    }
    // The queue runs over positions in `chosen`, which rank as the vectors do.
    auto gainAt = [&](uint32_t position) { return orderGain(coverage, chosen[position]); };
    std::vector<CandidateGain> gains;
    for (uint32_t position = 0; position < chosen.size(); ++position) {
        gains.push_back({position, gainAt(position)});
    }
    GainQueue queue = makeGainQueue(gains, chosen.size());
    CoverageOrder order;
    std::vector<uint8_t> placed(chosen.size(), 0);
    uint32_t position = 0;
    while (popBestCandidate(queue, makeGainSource(gainAt, 0), position)) {
        addToOrder(coverage, chosen[position]);
        placed[position] = 1;
        order.vectors.push_back(chosen[position]);
        order.coveredAfter.push_back(coverage.metCount);
    }
    for (position = 0; position < chosen.size(); ++position) {
        if (placed[position] == 0) {
            order.vectors.push_back(chosen[position]);
            order.coveredAfter.push_back(coverage.metCount);
        }
    }
    return order;
}
