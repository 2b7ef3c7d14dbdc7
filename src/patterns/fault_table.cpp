#include "patterns/fault_table.h"

#include <algorithm>

uint64_t* rowRoom(FaultTable& table, size_t words, const ChunkSource& source) {
    if (table.chunks.empty() || table.chunkCapacity - table.chunkUsed < words) {
        size_t capacity = std::max(MinChunkWords, words);
        TableChunk chunk;
        if (source && capacity == MinChunkWords) {
            chunk = source();
        }
        // A chunk made here has its pages mapped as they are used: a small
        // table touches a few of them only.
        table.chunks.push_back(chunk ? std::move(chunk) : allocateChunk(capacity, false));
        table.chunkCapacity = capacity;
        table.chunkUsed = 0;
    }
    return table.chunks.back().get() + table.chunkUsed;
}

void storeRowInRoom(FaultTable& table, uint32_t index, uint32_t words, uint32_t width) {
    uint64_t* bits = nullptr;
    if (words > 0) {
        bits = table.chunks.back().get() + table.chunkUsed;
        table.chunkUsed += 2 * size_t{words};
    }
    if (index >= table.rows.size()) {
        table.rows.resize(static_cast<size_t>(index) + 1);
    }
    table.rows[index] = FaultTableRow{bits, words, width};
    table.maxWords = std::max(table.maxWords, words);
}
