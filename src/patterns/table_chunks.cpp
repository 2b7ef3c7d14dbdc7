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
