#include "select/demands/demand_coverage.h"

#include <algorithm>

#include "base/bit_count.h"
#include "select/faults/detectable_faults.h"
#include "select/faults/fault_rows.h"
#include "select/kernels/bit_kernels.h"

namespace {

DetectionCounts& countsOf(SelectionState& state, uint32_t plane) { return plane == 0 ? state.count0 : state.count1; }
const DetectionCounts& countsOf(const SelectionState& state, uint32_t plane) {
    return plane == 0 ? state.count0 : state.count1;
}
std::vector<uint64_t>& coveredOf(SelectionState& state, uint32_t plane) {
    return plane == 0 ? state.covered0 : state.covered1;
}

// The closed faults of one word, and what they contribute to the met counts.
void refreshWord(DemandCoverage& coverage, SelectionState& state, uint32_t plane, size_t word) {
    const DetectionCounts& counts = countsOf(state, plane);
    uint64_t open = countsBelow(counts, coverage.demands.demand[plane], word);
    uint64_t before = coverage.closed[plane][word];
    coverage.closed[plane][word] = ~open;
    // Faults without a demand are closed from the start and never count as met.
    uint64_t counted = coverage.counted[plane][word];
    coverage.metCount += countBits(~open & ~before & counted);
    coverage.metCount -= countBits(open & before & counted);
    uint64_t covered = countsAboveZero(counts, word);
    uint64_t& flags = coveredOf(state, plane)[word];
    state.coveredCount += countBits(covered & ~flags);
    state.coveredCount -= countBits(flags & ~covered);
    flags = covered;
}

}  // namespace

DemandCoverage startDemandCoverage(SelectionState& state, const PatternSet& patterns, const FaultDemands& demands,
                                   const PassParts& parts) {
    DemandCoverage coverage{patterns, demands, parts, {}, {}, 0, 0};
    DetectableFaults detectable = decodeSummary(patterns.faultSummary);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        resetCounts(countsOf(state, plane), demands.words, 0);
        coveredOf(state, plane).assign(demands.words, 0);
        coverage.closed[plane].assign(demands.words, 0);
        coverage.counted[plane].assign(demands.words, 0);
        for (size_t word = 0; word < demands.words; ++word) {
            coverage.closed[plane][word] = ~demands.demanded[plane][word];
            coverage.counted[plane][word] = demands.demanded[plane][word] & detectableWord(detectable, plane, word);
        }
    }
    state.coveredCount = 0;
    return coverage;
}

uint32_t demandGain(const DemandCoverage& coverage, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    return countNewBits(faultPlane(row, 0), coverage.closed[0].data(), row.words) +
           countNewBits(faultPlane(row, 1), coverage.closed[1].data(), row.words);
}

void addDemandVector(DemandCoverage& coverage, SelectionState& state, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (size_t word = 0; word < row.words; ++word) {
            coverage.demandMet += countBits(bits[word] & ~coverage.closed[plane][word]);
        }
        addToCounts(countsOf(state, plane), bits, row.words);
        // A closed fault is covered and stays closed: only open ones change.
        for (size_t word = 0; word < row.words; ++word) {
            if ((bits[word] & ~coverage.closed[plane][word]) != 0) {
                refreshWord(coverage, state, plane, word);
            }
        }
    }
}

void removeDemandVector(DemandCoverage& coverage, SelectionState& state, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        subtractFromCounts(countsOf(state, plane), bits, row.words);
        for (size_t word = 0; word < row.words; ++word) {
            if (bits[word] != 0) {
                refreshWord(coverage, state, plane, word);
                // The faults now below their demand were at or below it before.
                coverage.demandMet -= countBits(bits[word] & ~coverage.closed[plane][word]);
            }
        }
    }
}

bool demandsSurvive(const DemandCoverage& coverage, const SelectionState& state, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (size_t word = 0; word < row.words; ++word) {
            if (bits[word] != 0 &&
                (bits[word] & ~countsAbove(countsOf(state, plane), coverage.demands.demand[plane], word)) != 0) {
                return false;
            }
        }
    }
    return true;
}

bool needsVector(const DemandCoverage& coverage, uint32_t vector) {
    FaultTableRow row = selectionRow(coverage.patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (size_t word = 0; word < row.words; ++word) {
            if ((bits[word] & coverage.demands.needsAll[plane][word]) != 0) {
                return true;
            }
        }
    }
    return false;
}

std::vector<CandidateGain> candidateGains(DemandCoverage& coverage, const SelectionState& state) {
    std::vector<CandidateGain> gains;
    auto rows = static_cast<uint32_t>(std::min(state.state.size(), coverage.patterns.faultTable.rows.size()));
    for (uint32_t vector = 0; vector < rows; ++vector) {
        if (state.state[vector] == Candidate) {
            uint32_t gain = demandGain(coverage, vector);
            if (gain > 0) {
                gains.push_back({vector, gain});
            }
        }
    }
    return gains;
}

size_t greedyGainWords(const DemandCoverage& coverage) {
    return 2 * size_t{coverage.patterns.faultTable.maxWords};
}
