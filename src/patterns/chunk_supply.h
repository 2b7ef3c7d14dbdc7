// Table chunks made ready by the reading thread while it waits for the
// parser, so that the page faults of a big table are not taken by the
// parser. Only the patterns reader sets this up; the table sees a
// ChunkSource.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "patterns/table_chunks.h"

// Chunks of MinChunkWords words, made ready once the table has asked for its
// first: a file with a small table or none costs no prepared memory.
struct ChunkSupply {
    std::mutex lock;
    std::vector<TableChunk> ready;
    std::atomic<bool> wanted{false};
};

// Chunks kept ready at most: enough to cover a stretch of parsing between
// two idle moments of the preparing thread.
constexpr size_t ReadyChunksLimit = 4;

// Makes one more chunk ready unless none is wanted yet, the limit is reached,
// or the ready chunks would hold more than the rest of the file can fill:
// `bytesToCome` bytes of rows, at most two bits of table each. False when it
// made none (also without memory: the table then allocates its own).
bool prepareChunk(ChunkSupply& supply, uint64_t bytesToCome);

// A ready chunk, or an empty one when none is ready; from then on chunks
// are wanted.
TableChunk takeReadyChunk(ChunkSupply& supply);
