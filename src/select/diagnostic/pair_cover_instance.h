// The covering instance of "keep every class": the classes to keep
// detected, with their demands, and the pairs of classes to tell apart,
// each covered by the vectors that detect exactly one of the two.
#pragma once

#include <cstdint>
#include <vector>

#include "select/covering/cover_instance.h"
#include "select/diagnostic/class_pairs.h"
#include "select/diagnostic/class_signatures.h"

// Elements: first the classes of `demanded` (ascending), each with its
// demand from classDemand (one per class), then the pairs in their order,
// demand 1. A column for every vector that covers an element. `signatures`
// must hold the lists of those classes.
CoverInstance pairCoverInstance(const ClassSignatures& signatures, const std::vector<uint32_t>& demanded,
                                const std::vector<uint32_t>& classDemand, const std::vector<ClassPair>& pairs);
