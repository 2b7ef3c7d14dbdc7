// Reading a file through one fixed buffer, a block at a time, so that the
// parser can work on spans of memory and never holds more than one block.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The block size of a normal run.
constexpr size_t DefaultBlockSize = size_t{1} << 20;

struct BlockInput {
    std::string path;
    int fd = -1;
    std::unique_ptr<char[]> block;
    size_t blockSize = DefaultBlockSize;
    const char* next = nullptr;  // the first byte not yet consumed
    const char* end = nullptr;   // one past the last byte of the block
    bool atEnd = false;

    BlockInput() = default;
    BlockInput(const BlockInput&) = delete;
    BlockInput& operator=(const BlockInput&) = delete;
    ~BlockInput();
};

// Opens `path` for reading with a buffer of `blockSize` bytes (at least 1);
// false when the file can't be opened or is a directory.
bool openBlockInput(BlockInput& input, const std::string& path, size_t blockSize);

// Reads the next block once the current one is consumed; false at the end of
// the file. A failing read is fatal ("Can't read file" with the path).
bool refillBlock(BlockInput& input);

// At least one unconsumed byte is there, refilling if needed.
inline bool hasByte(BlockInput& input) { return input.next < input.end || refillBlock(input); }

// Bytes left in the current block.
inline size_t bytesInBlock(const BlockInput& input) { return static_cast<size_t>(input.end - input.next); }
