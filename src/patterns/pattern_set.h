// The annotated test patterns of a design: vectors, fault table, fault summary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/ssbdd_model.h"
#include "patterns/read_ahead_use.h"
#include "patterns/table_chunks.h"

// Value of a vector position that holds no 0 or 1 (the code of 'x').
constexpr uint8_t UnspecifiedValue = 120;

// One fault-table row held as two bit planes over the nodes: bit n of the
// fault-0 plane is set when the row holds '0' at node n, bit n of the fault-1
// plane when it holds '1'. Nodes beyond 64 * words hold 'X'.
struct FaultTableRow {
    const uint64_t* bits = nullptr;  // `words` words of the fault-0 plane, then `words` of the fault-1 plane
    uint32_t words = 0;
    uint32_t width = 0;  // symbols other than 'X' (a lower-case 'x' counts): the detection width
};

// The row's plane of fault `plane` (0 or 1): `words` words.
inline const uint64_t* faultPlane(const FaultTableRow& row, uint32_t plane) {
    return row.bits + size_t{plane} * row.words;
}

// Rows 0 to rows.size() - 1 hold what the TABLE sections stored; every row
// of a larger index holds only 'X'. Row bits live in `chunks`, which only grow,
// so a row stored again takes new room and its pointer stays valid
// (patterns/fault_table.h stores rows).
struct FaultTable {
    std::vector<FaultTableRow> rows;
    std::vector<TableChunk> chunks;
    size_t chunkUsed = 0;      // words used in the last chunk
    size_t chunkCapacity = 0;  // words in the last chunk
    uint32_t maxWords = 0;     // the largest `words` over the rows
};

// The fault summary: `symbols` holds what the FAULTS line stored, from node 0;
// every node beyond holds 'X'.
struct FaultSummary {
    std::string symbols;
};

struct PatternSet {
    uint32_t vectorCount = 0;   // the count of the last VECTORS header; 0 before any
    bool vectorsHeaderSeen = false;  // a VECTORS header has been read: the tables have storage
    bool hasFaultTable = false; // a TABLE row has been read since the last VECTORS header
    // Input values of the vectors whose PATTERNS rows were read, `inputWidth`
    // (the model's input count) per vector, vector i at i * inputWidth; each
    // 0, 1 or UnspecifiedValue. Vectors at or beyond patternRowCount have no row.
    uint32_t inputWidth = 0;
    std::vector<uint8_t> inputValues;
    // One entry per vector below patternRowCount: 1 once a PATTERNS row was
    // read for it, so its constants hold the model's values.
    std::vector<uint8_t> constantsSet;
    FaultTable faultTable;
    FaultSummary faultSummary;
};

// Vectors that have a PATTERNS row (or a later one) in storage.
inline uint32_t patternRowCount(const PatternSet& patterns) {
    return static_cast<uint32_t>(patterns.constantsSet.size());
}

// Reads the patterns file; every failure is fatal.
PatternSet readPatternSet(const std::string& path, const SsbddModel& model);

// As readPatternSet, reading the file `blockSize` bytes at a time (tests cut
// their inputs at every block boundary with small sizes; 0 sizes the blocks
// to the file, as readPatternSet does), read ahead as `use` says.
PatternSet readPatternSetWithBlockSize(const std::string& path, const SsbddModel& model, size_t blockSize,
                                       ReadAheadUse use = ReadAheadUse::Automatic);

// Releases the storage; silent.
void releasePatternSet(PatternSet& patterns);
