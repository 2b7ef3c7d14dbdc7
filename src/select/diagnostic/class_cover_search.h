// "-diagnostic -minimize": a near-minimal set that keeps every class, by
// the covering search on the pair-covering model, its constraints added as
// the search needs them, and a lower bound that holds for the whole model.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/covering/search_budget.h"

struct ClassCover {
    std::vector<uint32_t> vectors;  // ascending
    uint32_t lowerBound = 0;        // no set that keeps every class and the detections has fewer
};

// `start` detects each fault at least keep[fault] times (kept_demands.h);
// the result keeps the classes of those faults under `start` and those
// detections too, and is never larger.
// The model: each class detected as often as its faults keep, each pair of
// classes told apart. Each round searches a cover of the part of it found
// so far, first what `start` meets tightly (classes detected no more than
// they keep, pairs told apart by one vector alone); a cover that falls
// short adds what it misses to the next round's part and, completed
// (shortfall_cover.h, class_restoring.h), offers a set; a set better than
// the best adds what it meets tightly. Every round's model is part of the
// whole, so its bound holds. A round costs its search and some passes over
// the table's words.
ClassCover searchClassCover(const PatternSet& patterns, const std::vector<uint32_t>& start,
                            const std::vector<uint32_t>& keep, WorkBudget& budget);
