// A pattern set as symbols: its table rows and vector values read back one
// at a time, and table rows stored from text, for the tests to build and
// compare pattern sets.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/ssbdd_model.h"
#include "patterns/pattern_set.h"

// Stores a row of symbols ('0', '1', 'X', 'x' only) as row `row` of the
// table, replacing what it held; rows between the last stored one and `row`
// become all 'X'.
void storeTableRow(FaultTable& table, uint32_t row, std::string_view symbols);

// The symbol of row `row` at node `node`: '0', '1' or 'X' (a lower-case 'x'
// reads back as 'X').
char tableSymbol(const FaultTable& table, uint32_t row, uint32_t node);

// The value of vector `vector` at variable position `position`: the inputs
// as read, the constants from the model once the vector's row was read,
// UnspecifiedValue everywhere else.
uint8_t vectorValue(const PatternSet& patterns, const SsbddModel& model, uint32_t vector, uint32_t position);
