#include "select/demand_coverage.h"

#include <algorithm>
#include <bit>

#include "base/bit_count.h"
#include "select/bit_kernels.h"
#include "select/selection_phases.h"

namespace {

// The slices of one word of counts, and how many there are (none beyond the words held).
struct WordSlices {
    const uint64_t* slices;
    uint32_t width;
};

WordSlices slicesOf(const DetectionCounts& counts, size_t word) {
    if (word >= counts.words) {
        return {nullptr, 0};
    }
    return {counts.slices.data() + word * counts.width, counts.width};
}

uint64_t sliceAt(WordSlices word, uint32_t j) { return j < word.width ? word.slices[j] : 0; }

// Faults with a count of at least 1.
uint64_t anyCount(WordSlices word) {
    uint64_t any = 0;
    for (uint32_t j = 0; j < word.width; ++j) {
        any |= word.slices[j];
    }
    return any;
}

// Both planes of the vector's row: plane p's words.
const uint64_t* planeOf(const FaultTableRow& row, uint32_t plane) { return row.bits + size_t{plane} * row.words; }

DetectionCounts& countsOf(SelectionState& state, uint32_t plane) { return plane == 0 ? state.count0 : state.count1; }
const DetectionCounts& countsOf(const SelectionState& state, uint32_t plane) {
    return plane == 0 ? state.count0 : state.count1;
}
std::vector<uint64_t>& coveredOf(SelectionState& state, uint32_t plane) {
    return plane == 0 ? state.covered0 : state.covered1;
}

// The closed faults of one word, and what they contribute to the met counts.
void refreshWord(SelectionState& state, DemandCoverage& coverage, const FaultDemands& demands, uint32_t plane,
                 size_t word) {
    const DetectionCounts& counts = countsOf(state, plane);
    uint64_t open = countsBelow(counts, demands.demand[plane], word);
    uint64_t before = coverage.closed[plane][word];
    coverage.closed[plane][word] = ~open;
    // Faults without a demand are closed from the start and never count as met.
    uint64_t hasDemand = demands.demanded[plane][word];
    coverage.metCount += countBits(~open & ~before & hasDemand);
    coverage.metCount -= countBits(open & before & hasDemand);
    uint64_t covered = anyCount(slicesOf(counts, word));
    uint64_t& flags = coveredOf(state, plane)[word];
    state.coveredCount += countBits(covered & ~flags);
    state.coveredCount -= countBits(flags & ~covered);
    flags = covered;
}

}  // namespace

uint64_t countsBelow(const DetectionCounts& a, const DetectionCounts& b, size_t word) {
    WordSlices sa = slicesOf(a, word);
    WordSlices sb = slicesOf(b, word);
    uint64_t below = 0;
    uint64_t equal = ~uint64_t{0};
    for (uint32_t j = std::max(sa.width, sb.width); j-- > 0;) {
        uint64_t x = sliceAt(sa, j);
        uint64_t y = sliceAt(sb, j);
        below |= equal & ~x & y;
        equal &= ~(x ^ y);
    }
    return below;
}

uint64_t countsAbove(const DetectionCounts& a, const DetectionCounts& b, size_t word) { return countsBelow(b, a, word); }

uint64_t countsAtLeast(const DetectionCounts& a, uint32_t value, size_t word) {
    if (value == 0) {
        return ~uint64_t{0};
    }
    WordSlices sa = slicesOf(a, word);
    uint32_t width = std::max<uint32_t>(sa.width, static_cast<uint32_t>(std::bit_width(value)));
    uint64_t below = 0;
    uint64_t equal = ~uint64_t{0};
    for (uint32_t j = width; j-- > 0;) {
        uint64_t x = sliceAt(sa, j);
        uint64_t y = ((value >> j) & 1) != 0 ? ~uint64_t{0} : 0;
        below |= equal & ~x & y;
        equal &= ~(x ^ y);
    }
    return ~below;
}

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
    demands.words = patterns.faultTable.maxWords;
    // Only whether a fault has more detecting vectors than N matters beyond N.
    const uint32_t cap = detections == UINT32_MAX ? detections : detections + 1;
    DetectionCounts inputs[2];
    for (uint32_t plane = 0; plane < 2; ++plane) {
        resetCounts(inputs[plane], demands.words, static_cast<uint32_t>(std::bit_width(cap)));
    }
    for (const FaultTableRow& row : patterns.faultTable.rows) {
        for (uint32_t plane = 0; plane < 2; ++plane) {
            addUpTo(inputs[plane], planeOf(row, plane), row.words, cap);
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

DemandCoverage startDemandCoverage(SelectionState& state, const FaultDemands& demands) {
    DemandCoverage coverage;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        resetCounts(countsOf(state, plane), demands.words, 0);
        coveredOf(state, plane).assign(demands.words, 0);
        coverage.closed[plane].assign(demands.words, 0);
        for (size_t word = 0; word < demands.words; ++word) {
            coverage.closed[plane][word] = ~demands.demanded[plane][word];
        }
    }
    state.coveredCount = 0;
    return coverage;
}

uint32_t demandGain(const DemandCoverage& coverage, const PatternSet& patterns, uint32_t vector) {
    FaultTableRow row = selectionRow(patterns, vector);
    return countNewBits(planeOf(row, 0), coverage.closed[0].data(), row.words) +
           countNewBits(planeOf(row, 1), coverage.closed[1].data(), row.words);
}

void addDemandVector(SelectionState& state, DemandCoverage& coverage, const FaultDemands& demands,
                     const PatternSet& patterns, uint32_t vector) {
    FaultTableRow row = selectionRow(patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = planeOf(row, plane);
        for (size_t word = 0; word < row.words; ++word) {
            coverage.demandMet += countBits(bits[word] & ~coverage.closed[plane][word]);
        }
        addToCounts(countsOf(state, plane), bits, row.words);
        // A closed fault is covered and stays closed: only open ones change.
        for (size_t word = 0; word < row.words; ++word) {
            if ((bits[word] & ~coverage.closed[plane][word]) != 0) {
                refreshWord(state, coverage, demands, plane, word);
            }
        }
    }
}

void removeDemandVector(SelectionState& state, DemandCoverage& coverage, const FaultDemands& demands,
                        const PatternSet& patterns, uint32_t vector) {
    FaultTableRow row = selectionRow(patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = planeOf(row, plane);
        subtractFromCounts(countsOf(state, plane), bits, row.words);
        for (size_t word = 0; word < row.words; ++word) {
            if (bits[word] != 0) {
                refreshWord(state, coverage, demands, plane, word);
                // The faults now below their demand were at or below it before.
                coverage.demandMet -= countBits(bits[word] & ~coverage.closed[plane][word]);
            }
        }
    }
}

bool demandsSurvive(const SelectionState& state, const FaultDemands& demands, const PatternSet& patterns,
                    uint32_t vector) {
    FaultTableRow row = selectionRow(patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = planeOf(row, plane);
        for (size_t word = 0; word < row.words; ++word) {
            if (bits[word] != 0 && (bits[word] & ~countsAbove(countsOf(state, plane), demands.demand[plane], word)) != 0) {
                return false;
            }
        }
    }
    return true;
}

uint32_t detectableDetectedAtLeast(const SelectionState& state, const PatternSet& patterns, uint32_t times) {
    const std::string& summary = patterns.faultSummary.symbols;
    uint32_t found = 0;
    for (size_t word = 0; word * 64 < summary.size(); ++word) {
        uint64_t often0 = countsAtLeast(state.count0, times, word);
        uint64_t often1 = countsAtLeast(state.count1, times, word);
        for (size_t node = word * 64; node < summary.size() && node < word * 64 + 64; ++node) {
            char symbol = summary[node];
            uint64_t bit = uint64_t{1} << (node % 64);
            found += (symbol == '&' || symbol == '0') && (often0 & bit) != 0 ? 1 : 0;
            found += (symbol == '&' || symbol == '1') && (often1 & bit) != 0 ? 1 : 0;
        }
    }
    return found;
}
