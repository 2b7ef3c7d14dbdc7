#include "select/demands/deeper_budget_search.h"

#include <algorithm>
#include <utility>

#include "select/covering/cover_instance.h"
#include "select/covering/search_budget.h"
#include "select/demands/budget_bound.h"
#include "select/demands/budget_instance.h"
#include "select/demands/budget_search.h"
#include "select/demands/swap_tabu_search.h"
#include "select/faults/fault_rows.h"
#include "select/minimize/minimize.h"

namespace {

// The search's steps: a fixed number and a number per table word.
constexpr uint64_t BaseWork = uint64_t{1} << 29;
constexpr uint64_t WorkPerTableWord = 192;
constexpr uint64_t Seed = 0x6d61785f76656374ULL;
constexpr std::pair<uint64_t, uint64_t> TabuShare{3, 8};

// A set of vectors, the phase that put each there, and the demand it meets.
struct BudgetCandidate {
    std::vector<std::pair<uint32_t, ChoicePhase>> chosen;
    uint64_t met = 0;
};

bool better(const BudgetCandidate& a, const BudgetCandidate& b) {
    return a.met > b.met || (a.met == b.met && a.chosen.size() < b.chosen.size());
}

BudgetCandidate candidateOf(const SelectionState& state, uint64_t met) {
    BudgetCandidate candidate{{}, met};
    for (uint32_t vector : chosenVectors(state)) {
        candidate.chosen.push_back({vector, state.chosenBy[vector]});
    }
    return candidate;
}

// Over the faults: the sum of min(detections, demand).
uint64_t demandMetBy(const SelectionState& state, const FaultDemands& demands) {
    uint64_t met = 0;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const DetectionCounts& counts = plane == 0 ? state.count0 : state.count1;
        for (size_t node = 0; node < demands.words * 64; ++node) {
            met += std::min(countAt(counts, node), demandAt(demands, plane, node));
        }
    }
    return met;
}

// The column of every vector, UINT32_MAX for those that detect no fault
// with a demand.
std::vector<uint32_t> columnOfVector(const CoverInstance& instance, uint32_t vectors) {
    std::vector<uint32_t> column(vectors, UINT32_MAX);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        column[instance.columnVector[c]] = c;
    }
    return column;
}

std::vector<uint32_t> columnsOf(const std::vector<uint32_t>& columnOf, const BudgetCandidate& candidate) {
    std::vector<uint32_t> columns;
    for (const auto& [vector, phase] : candidate.chosen) {
        if (columnOf[vector] != UINT32_MAX) {
            columns.push_back(columnOf[vector]);
        }
    }
    return columns;
}

// Drops from `columns` the one that loses the least demand (the lower
// column on ties) until `budget` are left; returns those and their demand met.
std::pair<std::vector<uint32_t>, uint64_t> cutToBudget(const CoverInstance& instance, std::vector<uint32_t> columns,
                                                       uint32_t budget, WorkBudget& work) {
    std::vector<uint32_t> count(instance.elementCount, 0);
    std::vector<uint8_t> chosen(instance.columnCount, 0);
    for (uint32_t c : columns) {
        chosen[c] = 1;
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            ++count[*e];
        }
        spendWork(work, columnSize(instance, c));
    }
    // A column's loss: the weight of its elements covered no more often
    // than they demand.
    std::vector<uint64_t> loss(instance.columnCount, 0);
    for (uint32_t c : columns) {
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            loss[c] += count[*e] <= instance.demand[*e] ? elementWeight(instance, *e) : 0;
        }
    }
    std::sort(columns.begin(), columns.end());
    while (columns.size() > budget) {
        auto drop = std::min_element(columns.begin(), columns.end(),
                                     [&](uint32_t a, uint32_t b) { return loss[a] < loss[b]; });
        uint32_t gone = *drop;
        columns.erase(drop);
        chosen[gone] = 0;
        for (const uint32_t* e = columnBegin(instance, gone); e != columnEnd(instance, gone); ++e) {
            if (count[*e]-- == instance.demand[*e] + 1) {
                for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                    loss[*c] += chosen[*c] ? elementWeight(instance, *e) : 0;
                }
                spendWork(work, elementDegree(instance, *e));
            }
        }
        spendWork(work, columnSize(instance, gone) + columns.size());
    }
    uint64_t met = 0;
    for (uint32_t e = 0; e < instance.elementCount; ++e) {
        met += uint64_t{std::min(count[e], instance.demand[e])} * elementWeight(instance, e);
    }
    return {columns, met};
}

// The vectors of `columns`, each with the phase that first put it in a set.
BudgetCandidate candidateOfColumns(const CoverInstance& instance, const std::vector<uint32_t>& columns, uint64_t met,
                                   const std::vector<ChoicePhase>& origin) {
    BudgetCandidate candidate{{}, met};
    for (uint32_t c : columns) {
        uint32_t vector = instance.columnVector[c];
        candidate.chosen.push_back({vector, origin[vector]});
    }
    return candidate;
}

// A share of the work still left, as a budget of its own.
WorkBudget shareOf(const WorkBudget& work, uint64_t numerator, uint64_t denominator) {
    uint64_t left = work.limit - std::min(work.limit, work.used);
    return WorkBudget{work.used + left / denominator * numerator, work.used};
}

}  // namespace

DeeperBudgetResult searchBudgetDeeper(const SelectionOptions& options, const PatternSet& patterns,
                                      const FaultDemands& demands, const SelectionState& unbudgeted) {
    const uint32_t budget = options.vectorBudget;
    // The set the budget gets without "-minimize": never more than it finds.
    BudgetSet greedy =
        greedyBudgetSet(options, patterns, demands, budgetSwapWork(tableWords(patterns)), defaultSelectionWork());
    const uint32_t cycles = greedy.state.cycleCount;
    if (budget == 1) {
        // The greedy pick meets the most demand any one vector meets.
        return DeeperBudgetResult{std::move(greedy.state), greedy.demandMet};
    }
    BudgetCandidate best = candidateOf(greedy.state, greedy.demandMet);
    std::vector<ChoicePhase> origin(greedy.state.state.size(), ChoicePhase::Swap);
    for (const auto& [vector, phase] : best.chosen) {
        origin[vector] = phase;
    }

    // The cover "-minimize" finds, unless a quick bound shows that K vectors
    // hold none: the result when it fits, else a start once cut down to K.
    SelectionState cover = unbudgeted;
    const FaultDemands* multicover = options.detections > 1 ? &demands : nullptr;
    uint32_t coverBound = minimizeSelection(cover, patterns, multicover, minimizeWork(patterns), budget);
    bool searched = coverBound <= budget || cover.state != unbudgeted.state;
    BudgetCandidate fromCover{{}, searched ? demandMetBy(cover, demands) : 0};
    for (uint32_t vector : searched ? chosenVectors(cover) : std::vector<uint32_t>{}) {
        origin[vector] = origin[vector] == ChoicePhase::Swap ? ChoicePhase::Minimize : origin[vector];
        cover.chosenBy[vector] = ChoicePhase::Minimize;
        fromCover.chosen.push_back({vector, ChoicePhase::Minimize});
    }
    if (searched && fromCover.chosen.size() <= budget && fromCover.met == demands.total && !better(best, fromCover)) {
        return DeeperBudgetResult{std::move(cover), fromCover.met};
    }

    WorkBudget work{BaseWork + WorkPerTableWord * tableWords(patterns), 0};
    CoverInstance instance = budgetInstance(patterns, demands, work);
    const std::vector<uint32_t> columnOf = columnOfVector(instance, static_cast<uint32_t>(origin.size()));
    if (fromCover.chosen.size() > budget) {
        auto [columns, met] = cutToBudget(instance, columnsOf(columnOf, fromCover), budget, work);
        fromCover = candidateOfColumns(instance, columns, met, origin);
    }
    if (better(fromCover, best)) {
        best = std::move(fromCover);
    }

    // The bound on work of its own, then the tabu search on at most
    // TabuShare of the search's work left (the share it had when the bound
    // took a quarter of that work first).
    WorkBudget boundWork{work.limit, 0};
    const uint64_t bound = budgetUpperBound(instance, budget, best.met, boundWork);
    if (best.met < bound) {
        SearchRandom random{Seed};
        WorkBudget part = shareOf(work, TabuShare.first, TabuShare.second);
        // Vectors that stand for none of the instance's columns (copies
        // beyond their demand, or nothing with a demand) leave room.
        TabuOutcome found =
            searchSwapsWithTabu(instance, columnsOf(columnOf, best), budget, bound, random, part);
        if (found.met > best.met) {
            best = candidateOfColumns(instance, found.columns, found.met, origin);
        }
    }
    BudgetSet result = budgetSetOf(patterns, demands, best.chosen);
    result.state.cycleCount = cycles;
    return DeeperBudgetResult{std::move(result.state), std::max(bound, result.demandMet)};
}
