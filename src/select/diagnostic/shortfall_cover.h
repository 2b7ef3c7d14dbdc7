// Completing the coverage of a set that falls short of what it must keep.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"

// Adds to the vectors flagged in `chosen` the vector that detects the most
// faults still detected fewer than keep[fault] times (ties to the lowest
// index) until none is or no vector helps. Returns the picks in order; they
// are flagged in `chosen`.
std::vector<uint32_t> coverShortfalls(const PatternSet& patterns, std::vector<uint8_t>& chosen,
                                      const std::vector<uint32_t>& keep);
