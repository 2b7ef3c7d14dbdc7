// The selection within a vector budget: greedy, then improving swaps; and
// the Lagrangian upper bound on what any such set can meet.
#include <algorithm>
#include <bit>
#include <cmath>

#include "base/bit_count.h"
#include "select/demand_selection.h"
#include "select/greedy_queue.h"
#include "select/selection_phases.h"

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
    const PatternSet& patterns;
    const FaultDemands& demands;
    SelectionState& state;
    DemandCoverage& coverage;
    uint64_t work = 0;
    std::vector<uint32_t> gains;  // per vector, of the unchosen ones
};

void computeGains(SwapSearch& search) {
    uint32_t rows = static_cast<uint32_t>(search.patterns.faultTable.rows.size());
    search.gains.assign(rows, 0);
    for (uint32_t vector = 0; vector < rows; ++vector) {
        if (search.state.state[vector] != Selected) {
            search.gains[vector] = demandGain(search.coverage, search.patterns, vector);
            search.work += 2 * size_t{search.patterns.faultTable.rows[vector].words};
        }
    }
}

// The words of the vector's faults that would lose a needed detection,
// and how many such faults there are.
uint32_t neededWords(const SwapSearch& search, uint32_t vector, std::vector<NeededWord>& words) {
    words.clear();
    uint32_t loss = 0;
    FaultTableRow row = selectionRow(search.patterns, vector);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = row.bits + size_t{plane} * row.words;
        for (uint32_t word = 0; word < row.words; ++word) {
            if (bits[word] == 0) {
                continue;
            }
            uint64_t above = countsAbove(countsOf(search.state, plane), search.demands.demand[plane], word);
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
    FaultTableRow row = selectionRow(search.patterns, in);
    int64_t regained = 0;
    for (const NeededWord& needed : atDemand) {
        if (needed.word < row.words) {
            regained += countBits(row.bits[size_t{needed.plane} * row.words + needed.word] & needed.bits);
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
            search.work += 2 * size_t{selectionRow(search.patterns, vector).words};
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
            removeDemandVector(search.state, search.coverage, search.demands, search.patterns, out);
            search.state.state[out] = Candidate;
            addDemandVector(search.state, search.coverage, search.demands, search.patterns, best);
            search.state.state[best] = Selected;
            return true;
        }
    }
    return false;
}

}  // namespace

uint64_t budgetSwapWork(uint64_t tableWords, bool deeper) { return (deeper ? 128 : 8) * (tableWords + 1024); }

namespace {

constexpr uint64_t RestartWork = 8;

// Greedy from `first` (when it is a vector) and swaps, within `swapWork`;
// the work it took is added to `work`.
SelectionState budgetSearch(const SelectionOptions& options, const PatternSet& patterns, const FaultDemands& demands,
                            uint32_t first, uint64_t swapWork, uint64_t& work, uint64_t& demandMet) {
    SelectionState state = createSelectionState(patterns);
    state.detectableTotal = countDetectable(patterns.faultSummary);
    DemandCoverage coverage = startDemandCoverage(state, demands);
    const uint32_t rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    auto take = [&](uint32_t vector) {
        state.greedyPicks.push_back(vector);
        state.state[vector] = Selected;
        ++state.chosenCount;
        ++state.cycleCount;
        addDemandVector(state, coverage, demands, patterns, vector);
    };
    if (first < rows) {
        take(first);
    }
    std::priority_queue<GainEntry> queue;
    for (uint32_t vector = 0; vector < rows; ++vector) {
        uint32_t gain = state.state[vector] == Selected ? 0 : demandGain(coverage, patterns, vector);
        if (gain > 0) {
            queue.push({gain, vector});
        }
    }
    work += tableWords(patterns);
    while (state.chosenCount < options.vectorBudget) {
        GainEntry best = takeBestGain(queue, [&](uint32_t vector) { return demandGain(coverage, patterns, vector); });
        if (best.gain == 0) {
            break;
        }
        take(best.vector);
    }

    // Swaps only help while some demand is open and the budget is spent.
    SwapSearch search{patterns, demands, state, coverage, 0, {}};
    while (state.chosenCount == options.vectorBudget && coverage.demandMet < demands.total &&
           search.work < swapWork) {
        computeGains(search);
        if (!improveOnce(search, swapWork)) {
            break;
        }
    }
    work += search.work;
    demandMet = coverage.demandMet;
    return state;
}

}  // namespace

SelectionState runBudgetSelection(const SelectionOptions& options, const PatternSet& patterns, uint64_t swapWork,
                                  uint32_t restarts) {
    FaultDemands demands = countDemands(patterns, options.detections);
    uint64_t work = 0;
    uint64_t bestMet = 0;
    SelectionState best = budgetSearch(options, patterns, demands, UINT32_MAX, swapWork, work, bestMet);
    if (restarts == 0) {
        return best;
    }
    // Restarts from each of the vectors that meet the most demand alone,
    // widest first: the greedy cover's first pick is often what keeps it
    // from the best.
    const uint32_t rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    std::vector<GainEntry> starts;
    SelectionState empty = createSelectionState(patterns);
    DemandCoverage none = startDemandCoverage(empty, demands);
    for (uint32_t vector = 0; vector < rows; ++vector) {
        starts.push_back({demandGain(none, patterns, vector), vector});
    }
    std::sort(starts.begin(), starts.end(), [](const GainEntry& a, const GainEntry& b) { return b < a; });
    // All the restarts together take at most RestartWork times one search's limit.
    for (uint32_t r = 1; r < starts.size() && r <= restarts && work < RestartWork * swapWork; ++r) {
        uint64_t met = 0;
        SelectionState tried = budgetSearch(options, patterns, demands, starts[r].vector, swapWork, work, met);
        if (met > bestMet) {
            bestMet = met;
            best = std::move(tried);
        }
    }
    return best;
}

uint64_t budgetUpperBound(const PatternSet& patterns, const FaultDemands& demands, uint32_t budget,
                          uint32_t iterations) {
    const size_t words = demands.words;
    const uint32_t rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    // Multipliers per fault, fault f of node n at 2n + f; faults without a
    // demand keep 0.
    std::vector<double> demandOf(2 * words * 64, 0.0);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        for (size_t node = 0; node < words * 64; ++node) {
            demandOf[2 * node + plane] = countAt(demands.demand[plane], node);
        }
    }
    std::vector<double> multiplier(demandOf.size(), 0.0);
    for (size_t fault = 0; fault < multiplier.size(); ++fault) {
        multiplier[fault] = demandOf[fault] > 0 ? 1.0 : 0.0;
    }
    auto forEachFault = [&](uint32_t vector, auto&& visit) {
        const FaultTableRow& row = patterns.faultTable.rows[vector];
        for (uint32_t plane = 0; plane < 2; ++plane) {
            for (uint32_t word = 0; word < row.words; ++word) {
                for (uint64_t rest = row.bits[size_t{plane} * row.words + word]; rest != 0; rest &= rest - 1) {
                    visit((size_t{word} * 64 + static_cast<size_t>(std::countr_zero(rest))) * 2 + plane);
                }
            }
        }
    };
    double best = static_cast<double>(demands.total);
    std::vector<std::pair<double, uint32_t>> values(rows);
    std::vector<double> hits(multiplier.size());
    double step = 1.0;
    for (uint32_t iteration = 0; iteration < iterations; ++iteration) {
        // L = sum of demand * (1 - multiplier) + the budget's best vectors by multiplier weight.
        long double bound = 0;
        for (size_t fault = 0; fault < multiplier.size(); ++fault) {
            bound += demandOf[fault] * (1.0 - multiplier[fault]);
        }
        for (uint32_t vector = 0; vector < rows; ++vector) {
            double value = 0;
            forEachFault(vector, [&](size_t fault) { value += multiplier[fault]; });
            values[vector] = {-value, vector};
        }
        uint32_t taken = std::min(budget, rows);
        std::partial_sort(values.begin(), values.begin() + taken, values.end());
        for (uint32_t k = 0; k < taken; ++k) {
            bound += -values[k].first;
        }
        best = std::min(best, static_cast<double>(bound));
        // Subgradient: the demand against the detections of the vectors taken.
        std::fill(hits.begin(), hits.end(), 0.0);
        for (uint32_t k = 0; k < taken; ++k) {
            forEachFault(values[k].second, [&](size_t fault) { hits[fault] += 1.0; });
        }
        double norm = 0;
        for (size_t fault = 0; fault < multiplier.size(); ++fault) {
            double slope = hits[fault] - demandOf[fault];
            norm += slope * slope;
        }
        if (norm == 0) {
            break;
        }
        double move = step * std::max(1.0, static_cast<double>(bound) * 0.01) / std::sqrt(norm);
        for (size_t fault = 0; fault < multiplier.size(); ++fault) {
            if (demandOf[fault] > 0) {
                multiplier[fault] = std::clamp(multiplier[fault] - move * (hits[fault] - demandOf[fault]), 0.0, 1.0);
            }
        }
        step *= 0.97;
    }
    return static_cast<uint64_t>(std::floor(best + 1e-7 * (1.0 + best)));
}
