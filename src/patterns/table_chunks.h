// The memory that fault-table rows live in: chunks mapped with their pages
// in place, and a supply of chunks that a second thread makes ready ahead of
// need, so that the page faults of a big table are not taken by the parser.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Unmaps a chunk of `bytes` bytes.
struct ChunkRelease {
    size_t bytes = 0;
    void operator()(uint64_t* words) const;
};
using TableChunk = std::unique_ptr<uint64_t[], ChunkRelease>;

// Rows are packed into chunks of at least this many words (2 MiB), so that
// the table never moves once stored and grows without copying.
constexpr size_t MinChunkWords = size_t{1} << 18;

// A chunk of `words` words, zero; with `populated`, every page already
// mapped (one call instead of a page fault per 4 KiB). Throws std::bad_alloc.
TableChunk allocateChunk(size_t words, bool populated);

// Chunks of MinChunkWords words made ready by one thread for another, once
// the other has asked for its first: a file with a small table or none
// costs no prepared memory.
struct ChunkSupply {
    std::mutex lock;
    std::vector<TableChunk> ready;
    std::atomic<bool> wanted{false};
};

// Chunks kept ready at most: enough to cover a stretch of parsing between
// two idle moments of the preparing thread.
constexpr size_t ReadyChunksLimit = 4;

// Makes one more chunk ready unless none is wanted yet or the limit is
// reached; false when it made none (also without memory: the taker then
// allocates itself).
bool prepareChunk(ChunkSupply& supply);

// A ready chunk, or an empty one when none is ready; from then on chunks
// are wanted.
TableChunk takeReadyChunk(ChunkSupply& supply);
