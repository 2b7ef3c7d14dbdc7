// The covering instance of a selection: the faults its vectors detect, to be
// kept detected, split into the vectors every such set holds and the
// instance that is left once they are taken.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/fault_demands.h"
#include "select/minimize/cover_instance.h"
#include "select/minimize/search_budget.h"

struct KeptCover {
    std::vector<uint32_t> fixedVectors;  // ascending
    CoverInstance residual;              // the demands the fixed vectors leave open
};

// Every fault keeps as many detections as the vectors in the selected state
// give it, up to its demand (1 when `demands` is null): that is its kept
// demand. Every vector with a
// stored row may serve. A fault with no more detecting vectors than its
// kept demand makes each of them fixed; the residual instance holds the
// faults whose kept demand the fixed vectors do not meet, with what is left
// of it, and the other vectors that detect any of them.
KeptCover buildKeptCover(const FaultTable& table, const std::vector<int32_t>& state,
                         const FaultDemands* demands, WorkBudget& budget);
