#include "patterns/chunk_supply.h"

#include <new>

bool prepareChunk(ChunkSupply& supply, uint64_t bytesToCome) {
    if (!supply.wanted.load(std::memory_order_relaxed)) {
        return false;
    }
    constexpr uint64_t ChunkBytes = MinChunkWords * sizeof(uint64_t);
    {
        std::lock_guard<std::mutex> guard(supply.lock);
        if (supply.ready.size() >= ReadyChunksLimit || (supply.ready.size() + 1) * ChunkBytes > bytesToCome / 4) {
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
