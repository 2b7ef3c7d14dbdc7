// A set that keeps every class, made from one that keeps the coverage: the
// greedy top-up, then the drop of every vector neither the classes nor the
// coverage need.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

struct RestoredClasses {
    std::vector<uint32_t> vectors;     // ascending
    std::vector<uint32_t> topUpPicks;  // those the top-up added and the drop left, in the order added
};

// No limit on the size of a restored set.
constexpr uint32_t NoSizeLimit = UINT32_MAX;

// The faults whose classes are kept are those keep[fault] asks a detection
// of (kept_demands.h). Tops `start` up (class_top_up.h) until it tells
// apart every two of them that the table's vectors tell apart, then drops
// each vector whose removal keeps the classes reached and leaves every
// fault detected at least keep[fault] times (`start` must meet that),
// trying the vectors of `start` in their order, then the top-up's picks in
// theirs. The set grows to no more than `sizeLimit` vectors (`start` must
// fit): where that stops the top-up and the drop frees room, the top-up
// goes on.
RestoredClasses restoreEveryClass(const PatternSet& patterns, const std::vector<uint32_t>& start,
                                  const std::vector<uint32_t>& keep, uint32_t sizeLimit = NoSizeLimit);
