// The state of one read of a patterns file and the readers of its rows,
// shared by the header loop and the row readers.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "base/fatal_error.h"
#include "base/text.h"
#include "model/ssbdd_model.h"
#include "patterns/block_input.h"
#include "patterns/pattern_set.h"
#include "patterns/table_chunks.h"

// The planes of the TABLE row being read, kept zero beyond `dirtyWords`.
struct TableRowScratch {
    std::vector<uint64_t> fault0;
    std::vector<uint64_t> fault1;
    std::vector<uint64_t> lowerX;
    size_t dirtyWords = 0;
};

enum class ConstantsCheck { NotYet, Valid, Invalid };

struct PatternsReader {
    BlockInput input;
    // Where new table chunks come from when they are made ready ahead.
    ChunkSource readyChunks;
    const SsbddModel& model;
    PatternSet& patterns;
    // The number of the line being read; wide enough never to wrap.
    uint64_t lineCount = 1;
    uint32_t rowIndex = 0;
    ConstantsCheck constants = ConstantsCheck::NotYet;
    TableRowScratch scratch;
    // Where the stored rows hold a lower-case 'x', which the table's planes
    // don't record: needed when a later TABLE section rewrites a row with a
    // shorter one, whose tail keeps the earlier symbols. Only rows that hold
    // an 'x' have an entry.
    std::unordered_map<uint32_t, std::vector<uint64_t>> lowerXRows;

    PatternsReader(const SsbddModel& readModel, PatternSet& readInto)
        : model(readModel), patterns(readInto) {}
};

// The number of the line being read, as the messages give it.
inline int32_t currentLine(const PatternsReader& reader) { return messageLine(reader.lineCount); }

// Consumes everything through the next line feed and counts it; at the end
// of the file it stops without counting.
void skipLine(PatternsReader& reader);

// The input symbols of vector `vector`, its constants from the model, then
// the rest of the line.
void readPatternRow(PatternsReader& reader, uint32_t vector);

// The run of symbols that makes fault-table row `vector`, then the rest of
// the line.
void readTableRow(PatternsReader& reader, uint32_t vector);

// The run of symbols of the fault summary, then the rest of the line.
void readFaultSummary(PatternsReader& reader);
