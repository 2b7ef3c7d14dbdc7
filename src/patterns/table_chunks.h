// The memory that fault-table rows live in: chunks of mapped pages, which
// only grow, so that a stored row never moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// Unmaps a chunk of `bytes` bytes.
struct ChunkRelease {
    size_t bytes = 0;
    void operator()(uint64_t* words) const;
};
using TableChunk = std::unique_ptr<uint64_t[], ChunkRelease>;

// Rows are packed into chunks of at least this many words (2 MiB).
constexpr size_t MinChunkWords = size_t{1} << 18;

// A chunk of `words` words, zero; with `populated`, every page already
// mapped (one call instead of a page fault per 4 KiB). Throws std::bad_alloc.
TableChunk allocateChunk(size_t words, bool populated);

// Where the table takes a chunk of MinChunkWords words from when it has one
// made ready ahead of need; an empty chunk when none is ready, and then the
// table allocates its own. An empty source never has one.
using ChunkSource = std::function<TableChunk()>;
