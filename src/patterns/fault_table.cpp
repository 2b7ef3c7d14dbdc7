#include <algorithm>
#include <cstring>

#include "patterns/pattern_set.h"

uint64_t* roomForRowBits(FaultTable& table, size_t words, ChunkSupply* supply) {
    if (table.chunks.empty() || table.chunkCapacity - table.chunkUsed < words) {
        size_t capacity = std::max(MinChunkWords, words);
        TableChunk chunk;
        if (supply != nullptr && capacity == MinChunkWords) {
            chunk = takeReadyChunk(*supply);
        }
        // A chunk made here has its pages mapped as they are used: a small
        // table touches a few of them only.
        table.chunks.push_back(chunk ? std::move(chunk) : allocateChunk(capacity, false));
        table.chunkCapacity = capacity;
        table.chunkUsed = 0;
    }
    return table.chunks.back().get() + table.chunkUsed;
}

void takeRowBits(FaultTable& table, size_t words) { table.chunkUsed += words; }

uint64_t* reserveRowBits(FaultTable& table, uint32_t words, ChunkSupply* supply) {
    size_t needed = 2 * static_cast<size_t>(words);
    if (needed == 0) {
        return nullptr;
    }
    uint64_t* bits = roomForRowBits(table, needed, supply);
    takeRowBits(table, needed);
    return bits;
}

void placeTableRow(FaultTable& table, uint32_t index, FaultTableRow row) {
    if (index >= table.rows.size()) {
        table.rows.resize(static_cast<size_t>(index) + 1);
    }
    table.rows[index] = row;
    table.maxWords = std::max(table.maxWords, row.words);
}

void storeTableRow(FaultTable& table, uint32_t row, std::string_view symbols) {
    auto words = static_cast<uint32_t>((symbols.size() + 63) / 64);
    uint64_t* bits = reserveRowBits(table, words);
    if (words > 0) {  // an empty row has no room at all: no pointer to clear through
        std::memset(bits, 0, 2 * size_t{words} * sizeof(uint64_t));
    }
    uint32_t width = 0;
    for (size_t node = 0; node < symbols.size(); ++node) {
        char symbol = symbols[node];
        if (symbol != 'X') {
            ++width;
        }
        uint64_t bit = uint64_t{1} << (node % 64);
        if (symbol == '0') {
            bits[node / 64] |= bit;
        } else if (symbol == '1') {
            bits[words + node / 64] |= bit;
        }
    }
    placeTableRow(table, row, FaultTableRow{bits, words, width});
}

char tableSymbol(const FaultTable& table, uint32_t row, uint32_t node) {
    if (row >= table.rows.size()) {
        return 'X';
    }
    const FaultTableRow& stored = table.rows[row];
    uint32_t word = node / 64;
    if (word >= stored.words) {
        return 'X';
    }
    uint64_t bit = uint64_t{1} << (node % 64);
    if (stored.bits[word] & bit) {
        return '0';
    }
    if (stored.bits[stored.words + word] & bit) {
        return '1';
    }
    return 'X';
}
