#include "select/demands/swap_tabu_search.h"

#include <algorithm>
#include <bit>

namespace {

// Steps a column that left stays out, and one that came stays in, in the
// first run; later runs draw them between half and one and a half times as
// many. A run ends after StallStepsPerColumn steps per chosen column (and
// at least MinStallSteps) without a better set of its own.
constexpr uint32_t TenureOut = 20;
constexpr uint32_t TenureIn = 5;
constexpr uint64_t StallStepsPerColumn = 50;
constexpr uint64_t MinStallSteps = 500;
// The search ends after this many runs in a row find no better set.
constexpr uint32_t FruitlessRuns = 4;
// Random swaps at the start of every run but the first.
constexpr uint32_t Kicks = 4;
// The unchosen columns of most gain that each step ranks.
constexpr size_t ListedByGain = 256;

// A chosen column is critical to the elements it covers no more often than
// they demand: they lose a unit of met demand when it goes.
struct TabuState {
    const CoverInstance& instance;
    WorkBudget& budget;
    std::vector<uint8_t> chosen;      // per column
    std::vector<uint32_t> count;      // per element: chosen columns that cover it
    std::vector<uint64_t> gain;       // per column: the weight of its elements below their demand
    std::vector<uint64_t> loss;       // per chosen column: that of the elements it is critical to
    std::vector<uint64_t> leftAt;     // per column: the step before which it may not come back
    std::vector<uint64_t> cameAt;     // per column: the step before which it may not leave
    std::vector<uint32_t> members;    // the chosen columns
    uint64_t met = 0;
};

void addColumn(TabuState& state, uint32_t column) {
    const CoverInstance& instance = state.instance;
    state.chosen[column] = 1;
    state.members.push_back(column);
    state.loss[column] = 0;
    for (const uint32_t* e = columnBegin(instance, column); e != columnEnd(instance, column); ++e) {
        uint32_t count = state.count[*e];
        uint32_t demand = instance.demand[*e];
        uint64_t weight = elementWeight(instance, *e);
        if (count < demand) {
            state.met += weight;
            state.loss[column] += weight;
            if (count + 1 == demand) {
                for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                    state.gain[*c] -= weight;
                }
                spendWork(state.budget, elementDegree(instance, *e));
            }
        } else if (count == demand) {
            for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                state.loss[*c] -= state.chosen[*c] && *c != column ? weight : 0;
            }
            spendWork(state.budget, elementDegree(instance, *e));
        }
        state.count[*e] = count + 1;
    }
    spendWork(state.budget, columnSize(instance, column));
}

void removeColumn(TabuState& state, uint32_t column) {
    const CoverInstance& instance = state.instance;
    state.chosen[column] = 0;
    state.members.erase(std::find(state.members.begin(), state.members.end(), column));
    for (const uint32_t* e = columnBegin(instance, column); e != columnEnd(instance, column); ++e) {
        uint32_t count = state.count[*e]--;
        uint32_t demand = instance.demand[*e];
        uint64_t weight = elementWeight(instance, *e);
        if (count <= demand) {
            state.met -= weight;
            if (count == demand) {
                for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                    state.gain[*c] += weight;
                }
                spendWork(state.budget, elementDegree(instance, *e));
            }
        } else if (count == demand + 1) {
            for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                state.loss[*c] += state.chosen[*c] ? weight : 0;
            }
            spendWork(state.budget, elementDegree(instance, *e));
        }
    }
    state.loss[column] = 0;
    spendWork(state.budget, columnSize(instance, column) + state.members.size());
}

struct Swap {
    int64_t delta = INT64_MIN;
    uint32_t out = UINT32_MAX;
    uint32_t in = UINT32_MAX;
};

// The best swap that is allowed at `step`: neither column tabu, or the
// swap meets more than `best`. Swapping out for in changes the demand met
// by gain(in) - loss(out) + (the elements of both exactly at their demand).
Swap bestSwap(TabuState& state, uint64_t step, uint64_t best, std::vector<uint64_t>& bonus,
              std::vector<uint32_t>& touched, std::vector<uint32_t>& byGain) {
    const CoverInstance& instance = state.instance;
    // The unchosen columns of most gain, most first (the lower column on
    // ties): the swaps of untouched columns look no further, as a rule.
    auto moreGain = [&](uint32_t a, uint32_t b) {
        return state.gain[a] > state.gain[b] || (state.gain[a] == state.gain[b] && a < b);
    };
    byGain.clear();
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (!state.chosen[c]) {
            byGain.push_back(c);
        }
    }
    size_t listed = std::min<size_t>(byGain.size(), ListedByGain);
    std::partial_sort(byGain.begin(), byGain.begin() + static_cast<std::ptrdiff_t>(listed), byGain.end(), moreGain);
    spendWork(state.budget, 2 * uint64_t{instance.columnCount} + listed * std::bit_width(listed));

    std::vector<uint32_t> members = state.members;
    std::sort(members.begin(), members.end());
    Swap found;
    auto offer = [&](uint32_t out, uint32_t in, int64_t delta) {
        bool tabu = state.cameAt[out] > step || state.leftAt[in] > step;
        if (tabu && static_cast<int64_t>(state.met) + delta <= static_cast<int64_t>(best)) {
            return false;
        }
        if (delta > found.delta || (delta == found.delta && out == found.out && in < found.in)) {
            found = Swap{delta, out, in};
        }
        return true;
    };
    for (uint32_t out : members) {
        touched.clear();
        uint64_t visited = columnSize(instance, out);
        for (const uint32_t* e = columnBegin(instance, out); e != columnEnd(instance, out); ++e) {
            if (state.count[*e] != instance.demand[*e]) {
                continue;
            }
            uint64_t weight = elementWeight(instance, *e);
            for (const uint32_t* c = elementBegin(instance, *e); c != elementEnd(instance, *e); ++c) {
                if (!state.chosen[*c]) {
                    if (bonus[*c] == 0) {
                        touched.push_back(*c);
                    }
                    bonus[*c] += weight;
                }
            }
            visited += elementDegree(instance, *e);
        }
        auto loss = static_cast<int64_t>(state.loss[out]);
        for (uint32_t in : touched) {
            offer(out, in, static_cast<int64_t>(state.gain[in] + bonus[in]) - loss);
        }
        // Of the others the one of most gain that is allowed: past a tabu
        // one that is not allowed, a later one may be; when `out` is tabu,
        // only the first can be (gains only fall from there).
        bool settled = false;
        for (size_t k = 0; k < listed && !settled; ++k) {
            uint32_t in = byGain[k];
            ++visited;
            if (bonus[in] == 0) {
                settled = offer(out, in, static_cast<int64_t>(state.gain[in]) - loss) || state.cameAt[out] > step;
            }
        }
        // Beyond the list: the next in the same order, found by a pass.
        while (!settled && listed < byGain.size()) {
            uint32_t next = UINT32_MAX;
            for (size_t k = listed; k < byGain.size(); ++k) {
                uint32_t in = byGain[k];
                bool passed = bonus[in] != 0 || (state.leftAt[in] > step && state.cameAt[out] <= step &&
                                                 static_cast<int64_t>(state.met + state.gain[in]) - loss <=
                                                     static_cast<int64_t>(best));
                if (!passed && (next == UINT32_MAX || moreGain(in, next))) {
                    next = in;
                }
            }
            visited += byGain.size() - listed;
            settled = next == UINT32_MAX || offer(out, next, static_cast<int64_t>(state.gain[next]) - loss) ||
                      state.cameAt[out] > step;
        }
        for (uint32_t in : touched) {
            bonus[in] = 0;
        }
        spendWork(state.budget, visited + touched.size());
    }
    return found;
}

}  // namespace

TabuOutcome searchSwapsWithTabu(const CoverInstance& instance, const std::vector<uint32_t>& start, uint32_t size,
                                uint64_t goal, SearchRandom& random, WorkBudget& budget) {
    TabuState state{instance,
                    budget,
                    std::vector<uint8_t>(instance.columnCount, 0),
                    std::vector<uint32_t>(instance.elementCount, 0),
                    std::vector<uint64_t>(instance.columnCount, 0),
                    std::vector<uint64_t>(instance.columnCount, 0),
                    std::vector<uint64_t>(instance.columnCount, 0),
                    std::vector<uint64_t>(instance.columnCount, 0),
                    {},
                    0};
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            state.gain[c] += elementWeight(instance, *e);
        }
    }
    spendWork(budget, instance.columnElements.size());
    for (uint32_t column : start) {
        addColumn(state, column);
    }
    // Up to `size` columns, the one that meets the most first.
    while (state.members.size() < size) {
        uint32_t pick = UINT32_MAX;
        for (uint32_t c = 0; c < instance.columnCount; ++c) {
            if (!state.chosen[c] && state.gain[c] > 0 && (pick == UINT32_MAX || state.gain[c] > state.gain[pick])) {
                pick = c;
            }
        }
        spendWork(budget, instance.columnCount);
        if (pick == UINT32_MAX) {
            break;
        }
        addColumn(state, pick);
    }
    TabuOutcome best{state.members, state.met};
    std::sort(best.columns.begin(), best.columns.end());
    if (best.columns.empty() || best.columns.size() >= instance.columnCount) {
        return best;
    }

    std::vector<uint64_t> bonus(instance.columnCount, 0);
    std::vector<uint32_t> touched;
    std::vector<uint32_t> byGain;
    const uint64_t stall = std::max<uint64_t>(MinStallSteps, StallStepsPerColumn * best.columns.size());
    uint64_t step = 0;
    uint32_t lastFruitful = 0;
    for (uint32_t run = 0; best.met < goal && workLeft(budget) && run - lastFruitful <= FruitlessRuns; ++run) {
        // Each run from the best set, with tenures of its own.
        if (run > 0) {
            for (uint32_t column : std::vector<uint32_t>(state.members)) {
                removeColumn(state, column);
            }
            for (uint32_t column : best.columns) {
                addColumn(state, column);
            }
            // A few random swaps, so that the run leaves where the last one
            // settled; the columns that left stay out a while.
            auto kicks = static_cast<uint32_t>(std::min<size_t>(Kicks, state.members.size() / 2));
            for (uint32_t k = 0; k < kicks; ++k) {
                uint32_t out = state.members[randomBelow(random, static_cast<uint32_t>(state.members.size()))];
                uint32_t in = randomBelow(random, instance.columnCount);
                if (!state.chosen[in]) {
                    removeColumn(state, out);
                    addColumn(state, in);
                    state.leftAt[out] = step + TenureOut;
                }
            }
        }
        uint64_t tenureOut = run == 0 ? TenureOut : TenureOut / 2 + randomBelow(random, TenureOut + 1);
        uint64_t tenureIn = run == 0 ? TenureIn : TenureIn / 2 + randomBelow(random, TenureIn + 1);
        // A column that came may not leave only while others can.
        tenureIn = std::min<uint64_t>(tenureIn, best.columns.size() / 2);
        uint64_t runBest = state.met;
        uint64_t runFound = step;
        while (best.met < goal && workLeft(budget) && step - runFound < stall) {
            ++step;
            Swap swap = bestSwap(state, step, best.met, bonus, touched, byGain);
            if (swap.out == UINT32_MAX) {
                break;
            }
            removeColumn(state, swap.out);
            addColumn(state, swap.in);
            state.leftAt[swap.out] = step + tenureOut;
            state.cameAt[swap.in] = step + tenureIn;
            if (state.met > runBest) {
                runBest = state.met;
                runFound = step;
            }
            if (state.met > best.met) {
                best.met = state.met;
                best.columns = state.members;
                lastFruitful = run;
                std::sort(best.columns.begin(), best.columns.end());
            }
        }
    }
    // From the best set, the best swap while it meets more, whatever the
    // work: every swap meets more, so they end.
    for (uint32_t column : std::vector<uint32_t>(state.members)) {
        removeColumn(state, column);
    }
    for (uint32_t column : best.columns) {
        addColumn(state, column);
    }
    step += 2 * TenureOut + TenureIn;  // every tenure over
    for (;;) {
        Swap swap = bestSwap(state, step, state.met, bonus, touched, byGain);
        if (swap.out == UINT32_MAX || swap.delta <= 0) {
            break;
        }
        removeColumn(state, swap.out);
        addColumn(state, swap.in);
    }
    best.met = state.met;
    best.columns = state.members;
    std::sort(best.columns.begin(), best.columns.end());
    return best;
}
