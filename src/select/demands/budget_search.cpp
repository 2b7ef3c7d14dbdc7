// The selection within a vector budget: greedy, then improving swaps.
#include "select/demands/budget_search.h"

#include <algorithm>

#include "base/bit_count.h"
#include "select/demands/demand_coverage.h"
#include "select/faults/fault_rows.h"
#include "select/phases/selection_phases.h"

namespace {

const DetectionCounts& countsOf(const SelectionState& state, uint32_t plane) {
    return plane == 0 ? state.count0 : state.count1;
}

// A word of the faults a chosen vector detects that lose a detection they
// need when it goes: those with no more detections than their demand.
struct NeededWord {
    uint32_t plane;
    uint32_t word;
    uint64_t bits;
    bool atDemand;  // the faults in `bits` are exactly at their demand (else below it)
};

struct SwapSearch {
    DemandCoverage& coverage;
    SelectionState& state;
    uint64_t work = 0;
    std::vector<uint32_t> gains;  // per vector, of the unchosen ones
};

void computeGains(SwapSearch& search) {
    const PatternSet& patterns = search.coverage.patterns;
    auto rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    search.gains.assign(rows, 0);
    for (uint32_t vector = 0; vector < rows; ++vector) {
        if (search.state.state[vector] != Selected) {
            search.gains[vector] = demandGain(search.coverage, vector);
            search.work += 2 * size_t{patterns.faultTable.rows[vector].words};
        }
    }
}

// The words of the vector's faults that would lose a needed detection,
// and how many such faults there are.
uint32_t neededWords(const SwapSearch& search, uint32_t vector, std::vector<NeededWord>& words) {
    words.clear();
    uint32_t loss = 0;
    FaultTableRow row = selectionRow(search.coverage.patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (uint32_t word = 0; word < row.words; ++word) {
            if (bits[word] == 0) {
                continue;
            }
            uint64_t above = countsAbove(countsOf(search.state, plane), search.coverage.demands.demand[plane], word);
            uint64_t open = ~search.coverage.closed[plane][word];
            uint64_t needed = bits[word] & ~above;
            loss += countBits(needed);
            if ((needed & ~open) != 0) {
                words.push_back({plane, word, needed & ~open, true});
            }
        }
    }
    return loss;
}

// The demand met that swapping `out` for `in` adds (negative when it loses).
int64_t swapDelta(const SwapSearch& search, uint32_t in, uint32_t loss, const std::vector<NeededWord>& atDemand) {
    FaultTableRow row = selectionRow(search.coverage.patterns, in);
    int64_t regained = 0;
    for (const NeededWord& needed : atDemand) {
        if (needed.word < row.words) {
            regained += countBits(faultPlane(row, needed.plane)[needed.word] & needed.bits);
        }
    }
    return int64_t{search.gains[in]} + regained - int64_t{loss};
}

// One improving swap, the first chosen vector (by fewest needed faults,
// then index) that has one, with its best partner (lowest index on ties).
bool improveOnce(SwapSearch& search, uint64_t workLimit) {
    std::vector<std::pair<uint32_t, uint32_t>> byLoss;  // (loss, vector)
    std::vector<NeededWord> words;
    for (uint32_t vector = 0; vector < search.state.state.size(); ++vector) {
        if (search.state.state[vector] == Selected) {
            byLoss.push_back({neededWords(search, vector, words), vector});
            search.work += 2 * size_t{selectionRow(search.coverage.patterns, vector).words};
        }
    }
    std::sort(byLoss.begin(), byLoss.end());
    uint32_t rows = static_cast<uint32_t>(search.gains.size());
    for (const auto& [loss, out] : byLoss) {
        if (search.work >= workLimit) {
            return false;
        }
        uint32_t atDemandCount = 0;
        neededWords(search, out, words);
        for (const NeededWord& needed : words) {
            atDemandCount += countBits(needed.bits);
        }
        int64_t bestDelta = 0;
        uint32_t best = 0;
        for (uint32_t in = 0; in < rows; ++in) {
            // At most every needed fault at its demand comes back.
            if (search.state.state[in] == Selected ||
                int64_t{search.gains[in]} + atDemandCount - int64_t{loss} <= bestDelta) {
                continue;
            }
            search.work += words.size() + 1;
            int64_t delta = swapDelta(search, in, loss, words);
            if (delta > bestDelta) {
                bestDelta = delta;
                best = in;
            }
        }
        if (bestDelta > 0) {
            removeDemandVector(search.coverage, search.state, out);
            unchooseVector(search.state, out);
            chooseVector(search.state, best, ChoicePhase::Swap);
            addDemandVector(search.coverage, search.state, best);
            return true;
        }
    }
    return false;
}

// Swaps while the budget is spent and some demand is open, within
// `swapWork`; returns the work taken.
uint64_t swapWhileBetter(DemandCoverage& coverage, SelectionState& state, uint32_t budget, uint64_t swapWork) {
    SwapSearch search{coverage, state, 0, {}};
    while (state.chosenCount == budget && coverage.demandMet < coverage.demands.total && search.work < swapWork) {
        computeGains(search);
        if (!improveOnce(search, swapWork)) {
            break;
        }
    }
    return search.work;
}

}  // namespace

uint64_t budgetSwapWork(uint64_t tableWords) { return 8 * (tableWords + 1024); }

BudgetSet greedyBudgetSet(const SelectionOptions& options, const PatternSet& patterns, const FaultDemands& demands,
                          uint64_t swapWork, const SelectionWork& work) {
    BudgetSet set{createSelectionState(patterns), 0};
    PassWorker worker;
    startPassWorker(worker, work, tableWords(patterns));
    DemandCoverage coverage = startDemandCoverage(set.state, patterns, demands, worker.parts);
    completeGreedily(coverage, set.state, GreedyRules{false, false, options.vectorBudget}, std::nullopt);
    swapWhileBetter(coverage, set.state, options.vectorBudget, swapWork);
    set.demandMet = coverage.demandMet;
    return set;
}

BudgetSet budgetSetOf(const PatternSet& patterns, const FaultDemands& demands,
                      const std::vector<std::pair<uint32_t, ChoicePhase>>& chosen) {
    BudgetSet set{createSelectionState(patterns), 0};
    DemandCoverage coverage = startDemandCoverage(set.state, patterns, demands);
    for (const auto& [vector, phase] : chosen) {
        chooseVector(set.state, vector, phase);
        addDemandVector(coverage, set.state, vector);
    }
    set.demandMet = coverage.demandMet;
    return set;
}
