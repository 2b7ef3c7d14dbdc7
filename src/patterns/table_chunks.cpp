#include "patterns/table_chunks.h"

#include <sys/mman.h>

#include <new>

void ChunkRelease::operator()(uint64_t* words) const { ::munmap(words, bytes); }

TableChunk allocateChunk(size_t words, bool populated) {
    size_t bytes = words * sizeof(uint64_t);
    int flags = MAP_PRIVATE | MAP_ANONYMOUS | (populated ? MAP_POPULATE : 0);
    void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, flags, -1, 0);
    if (memory == MAP_FAILED) {
        throw std::bad_alloc();
    }
    return TableChunk(static_cast<uint64_t*>(memory), ChunkRelease{bytes});
}

bool prepareChunk(ChunkSupply& supply) {
    if (!supply.wanted.load(std::memory_order_relaxed)) {
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(supply.lock);
        if (supply.ready.size() >= ReadyChunksLimit) {
            return false;
        }
    }
    TableChunk chunk;
    try {
        chunk = allocateChunk(MinChunkWords, true);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::lock_guard<std::mutex> guard(supply.lock);
    supply.ready.push_back(std::move(chunk));
    return true;
}

TableChunk takeReadyChunk(ChunkSupply& supply) {
    supply.wanted.store(true, std::memory_order_relaxed);
    std::lock_guard<std::mutex> guard(supply.lock);
    if (supply.ready.empty()) {
        return TableChunk();
    }
    TableChunk chunk = std::move(supply.ready.back());
    supply.ready.pop_back();
    return chunk;
}
