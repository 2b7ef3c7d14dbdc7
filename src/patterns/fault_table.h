// Storing the rows of the fault table. A row being read is written into the
// free room at the end of the table's storage, then stored there as a row:
// one chunk of storage after another, never moved or freed before the table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "patterns/pattern_set.h"
#include "patterns/table_chunks.h"

// Free room of at least `words` words at the end of the table's storage, all
// zero. A new chunk, when one is needed, comes from `source` if it has one
// ready. The room stays free until storeRowInRoom takes the start of it.
uint64_t* rowRoom(FaultTable& table, size_t words, const ChunkSource& source);

// Takes the first 2 * `words` words of the room rowRoom gave as the two
// planes of row `index` (`words` per plane; none for an empty row), replacing
// what that row held; rows between the last one and `index` become all 'X'.
// The rest of the room must be zero again.
void storeRowInRoom(FaultTable& table, uint32_t index, uint32_t words, uint32_t width);
