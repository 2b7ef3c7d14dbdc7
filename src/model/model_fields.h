// Field search over one model file line. A line is never split into tokens:
// every field is found by searching forward for a marker character from a
// position, and numbers are read by the decimal conversion below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text.h"

// Returned by the searches when the marker is not in the rest of the line.
constexpr size_t NoField = std::string_view::npos;

// The decimal integer at `pos`: leading white space skipped, an optional '+'
// or '-', then the digits up to the first other character; no digits give 0.
// A value beyond the 32-bit range saturates at INT32_MAX or INT32_MIN, so a
// long non-zero digit string never turns into 0 or changes its sign.
int32_t decimalAt(std::string_view line, size_t pos);

// The position right after the first `marker` at or after `pos`, NoField if
// there is none.
size_t afterFirst(std::string_view line, size_t pos, char marker);

// From `pos`, the position after the white space and then the characters that
// are not white space (the text of one field).
size_t skipFieldText(std::string_view line, size_t pos);
