// Reading a file through fixed buffers, a block at a time, so that the
// parser can work on spans of memory and never holds more than a few blocks.
// A large regular file is read ahead by a second thread, which copies the
// next blocks out of the kernel while the parser works on the current one;
// this header is all the parser sees of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "patterns/read_ahead_use.h"

// Asks for blocks sized to the file (see openBlockInput).
constexpr size_t FileSizedBlocks = 0;

// The block size of a file read in place.
constexpr size_t DefaultBlockSize = size_t{1} << 22;

// Blocks in flight when reading ahead: the one being parsed and those ready.
constexpr size_t ReadAheadBlocks = 4;

// A regular file of at least this many blocks (of DefaultBlockSize when the
// blocks are sized to the file) is read ahead by default.
constexpr size_t ReadAheadMinimumBlocks = 2;

// With blocks sized to the file, the ring of blocks read ahead holds about
// this share of the file (1 / ReadAheadRingShare), in blocks of 256 KiB to
// 1 MiB: smaller ones cost more in handing over than they save, larger ones
// are slower too (bench/README.md).
constexpr uint64_t ReadAheadRingShare = 32;
constexpr size_t MinimumReadAheadBlockSize = size_t{1} << 18;
constexpr size_t MaximumReadAheadBlockSize = size_t{1} << 20;

struct ReadAhead;

struct BlockInput {
    std::string path;
    int fd = -1;
    std::unique_ptr<char[]> block;
    size_t blockSize = DefaultBlockSize;
    const char* next = nullptr;  // the first byte not yet consumed
    const char* end = nullptr;   // one past the last byte of the block
    bool atEnd = false;
    std::unique_ptr<ReadAhead> readAhead;  // set while a second thread reads ahead
    // Work for the reading thread while every block is full: one piece per
    // call, given the bytes the parser has still to take at most (the file's
    // size less the blocks it is done with); false when there is none. Set
    // before opening; it must stay valid until the input is destroyed.
    std::function<bool(uint64_t bytesToCome)> idleWork;

    BlockInput();
    BlockInput(const BlockInput&) = delete;
    BlockInput& operator=(const BlockInput&) = delete;
    ~BlockInput();
};

// Opens `path` for reading with blocks of `blockSize` bytes (at least 1), or
// with FileSizedBlocks, blocks sized to the file. Automatic reads ahead when
// the file is regular and at least ReadAheadMinimumBlocks blocks long and the
// process may run on two CPUs or more (in place when no thread can be
// started); false when the file can't be opened or is a directory.
bool openBlockInput(BlockInput& input, const std::string& path, size_t blockSize,
                    ReadAheadUse use = ReadAheadUse::Automatic);

// Reads the next block once the current one is consumed; false at the end of
// the file. A failing read is fatal ("Can't read file" with the path), at the
// same place in the file whether or not the file is read ahead.
bool refillBlock(BlockInput& input);

// At least one unconsumed byte is there, refilling if needed.
inline bool hasByte(BlockInput& input) { return input.next < input.end || refillBlock(input); }

// Bytes left in the current block.
inline size_t bytesInBlock(const BlockInput& input) { return static_cast<size_t>(input.end - input.next); }
