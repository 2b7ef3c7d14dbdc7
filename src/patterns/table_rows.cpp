// The TABLE row reader. A row is scanned straight into the table's free
// room when it is new; a row that rewrites a stored one goes through
// scratch planes, since it keeps the tail of the earlier row.
#include <algorithm>
#include <cstring>

#include "base/bit_count.h"
#include "base/fatal_error.h"
#include "patterns/fault_table.h"
#include "patterns/patterns_reading.h"
#include "patterns/table_row_scan.h"

namespace {

void ensureScratchWords(TableRowScratch& scratch, size_t words) {
    if (scratch.fault0.size() >= words) {
        return;
    }
    size_t size = std::max(words, 2 * scratch.fault0.size());
    scratch.fault0.resize(size);
    scratch.fault1.resize(size);
    scratch.lowerX.resize(size);
}

RowPlanes planesOf(TableRowScratch& scratch) {
    return RowPlanes{scratch.fault0.data(), scratch.fault1.data(), scratch.lowerX.data()};
}

// A row that ends before an earlier row stored at the same index keeps that
// row's symbols beyond its own end.
void mergeEarlierTail(PatternsReader& reader, uint32_t vector, uint64_t symbols, const FaultTableRow& earlier) {
    TableRowScratch& scratch = reader.scratch;
    auto found = reader.lowerXRows.find(vector);
    const uint64_t* earlierX = found == reader.lowerXRows.end() ? nullptr : found->second.data();
    for (uint64_t word = symbols / 64; word < earlier.words; ++word) {
        uint64_t keep = word == symbols / 64 ? ~uint64_t{0} << (symbols % 64) : ~uint64_t{0};
        scratch.fault0[word] |= faultPlane(earlier, 0)[word] & keep;
        scratch.fault1[word] |= faultPlane(earlier, 1)[word] & keep;
        if (earlierX != nullptr) {
            scratch.lowerX[word] |= earlierX[word] & keep;
        }
    }
}

// Moves the scratch row of `symbols` symbols into the table as row `vector`.
void storeScratchRow(PatternsReader& reader, uint32_t vector, uint64_t symbols) {
    FaultTable& table = reader.patterns.faultTable;
    TableRowScratch& scratch = reader.scratch;
    auto words = static_cast<uint32_t>((symbols + 63) / 64);
    if (vector < table.rows.size() && uint64_t{table.rows[vector].words} * 64 > symbols) {
        FaultTableRow earlier = table.rows[vector];
        ensureScratchWords(scratch, earlier.words + size_t{1});
        mergeEarlierTail(reader, vector, symbols, earlier);
        words = earlier.words;
    }

    // The three planes never share a bit.
    uint32_t width = 0;
    uint64_t lowerX = 0;
    for (uint32_t word = 0; word < words; ++word) {
        width += countBits(scratch.fault0[word] | scratch.fault1[word] | scratch.lowerX[word]);
        lowerX |= scratch.lowerX[word];
    }
    bool anyLowerX = lowerX != 0;
    if (words > 0) {
        uint64_t* bits = rowRoom(table, 2 * size_t{words}, reader.readyChunks);
        std::memcpy(bits, scratch.fault0.data(), words * sizeof(uint64_t));
        std::memcpy(bits + words, scratch.fault1.data(), words * sizeof(uint64_t));
    }
    storeRowInRoom(table, vector, words, width);
    if (anyLowerX) {
        reader.lowerXRows[vector].assign(scratch.lowerX.begin(), scratch.lowerX.begin() + words);
    } else {
        reader.lowerXRows.erase(vector);
    }

    size_t dirty = std::min(scratch.fault0.size(), std::max<size_t>(scratch.dirtyWords, words + size_t{1}));
    std::fill_n(scratch.fault0.begin(), dirty, 0);
    std::fill_n(scratch.fault1.begin(), dirty, 0);
    std::fill_n(scratch.lowerX.begin(), dirty, 0);
    scratch.dirtyWords = 0;
}


// Takes a row's run of symbols block by block into the planes that
// `planesFor(first, limit)` gives for the next `limit` symbols from node
// `first`, then the rest of the line; returns the symbol count. A symbol
// beyond the node count is fatal.
template <typename PlanesFor>
uint64_t scanRowSymbols(PatternsReader& reader, PlanesFor planesFor) {
    BlockInput& input = reader.input;
    const uint64_t nodes = reader.model.nodeCount;
    uint64_t symbols = 0;
    while (hasByte(input)) {
        // Never take more than one symbol beyond the node count.
        size_t limit = static_cast<size_t>(std::min<uint64_t>(bytesInBlock(input), nodes - symbols + 1));
        size_t taken = scanTableSymbols(input.next, limit, planesFor(symbols, limit), symbols);
        symbols += taken;
        input.next += taken;
        if (symbols > nodes) {
            fatalError("Line of table too long", currentLine(reader));
        }
        if (taken < limit) {
            skipLine(reader);
            break;
        }
    }
    return symbols;
}

// Scans the row into the scratch planes, then moves it into the table: the
// way for a row that rewrites a stored one, or for very wide models.
void readTableRowViaScratch(PatternsReader& reader, uint32_t vector) {
    TableRowScratch& scratch = reader.scratch;
    uint64_t symbols = scanRowSymbols(reader, [&scratch](uint64_t first, size_t limit) {
        auto words = static_cast<size_t>((first + limit) / 64 + 2);
        ensureScratchWords(scratch, words);
        scratch.dirtyWords = std::max(scratch.dirtyWords, words);
        return planesOf(scratch);
    });
    storeScratchRow(reader, vector, symbols);
}

// Rows are scanned in place when the two planes of a full-length row take
// at most this many words, so the free room asked for stays small.
constexpr uint64_t InPlaceRowWordsLimit = MinChunkWords / 4;

// Scans a new row straight into the table's free room, with the fault-1
// plane placed after a fault-0 plane of the model's full width; a row that
// ends early has its fault-1 plane moved down. The room is zero, and what
// is left of it after the row is zero again.
void readTableRowInPlace(PatternsReader& reader, uint32_t vector, uint64_t fullWords) {
    FaultTable& table = reader.patterns.faultTable;
    TableRowScratch& scratch = reader.scratch;
    // Two spare words take what the scan may write beyond the planes: the
    // symbol past the node count, which is an error, and zero spill words.
    uint64_t* bits = rowRoom(table, 2 * fullWords + 2, reader.readyChunks);
    ensureScratchWords(scratch, static_cast<size_t>(fullWords + 2));
    RowPlanes planes{bits, bits + fullWords, scratch.lowerX.data()};
    uint64_t symbols = scanRowSymbols(reader, [planes](uint64_t, size_t) { return planes; });

    auto words = static_cast<uint32_t>((symbols + 63) / 64);
    uint32_t width = 0;
    uint64_t lowerX = 0;
    for (uint32_t word = 0; word < words; ++word) {
        width += countBits(bits[word] | bits[fullWords + word] | planes.lowerX[word]);
        lowerX |= planes.lowerX[word];
    }
    if (words < fullWords) {
        std::memmove(bits + words, bits + fullWords, words * sizeof(uint64_t));
        std::memset(bits + 2 * words, 0, (fullWords - words) * sizeof(uint64_t));
    }
    storeRowInRoom(table, vector, words, width);
    if (lowerX != 0) {
        reader.lowerXRows[vector].assign(scratch.lowerX.begin(), scratch.lowerX.begin() + words);
        std::fill_n(scratch.lowerX.begin(), words + size_t{1}, 0);
    }
}

}  // namespace

void readTableRow(PatternsReader& reader, uint32_t vector) {
    const FaultTable& table = reader.patterns.faultTable;
    uint64_t fullWords = (uint64_t{reader.model.nodeCount} + 63) / 64;
    bool stored = vector < table.rows.size() && table.rows[vector].words > 0;
    if (stored || fullWords > InPlaceRowWordsLimit) {
        readTableRowViaScratch(reader, vector);
    } else {
        readTableRowInPlace(reader, vector, fullWords);
    }
}
