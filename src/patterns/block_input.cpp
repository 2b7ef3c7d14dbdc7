#include "patterns/block_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/cpu_count.h"
#include "base/fatal_error.h"

// The ring of blocks shared with the reading thread. Blocks are numbered in
// file order; block k lives in buffer k % ReadAheadBlocks. The thread fills
// block `filled` once `filled - released < ReadAheadBlocks`; the parser holds
// block `released` from the moment it takes it until its next refill.
struct ReadAhead {
    std::unique_ptr<char[]> buffers[ReadAheadBlocks];
    size_t sizes[ReadAheadBlocks] = {};
    uint64_t filled = 0;
    uint64_t released = 0;
    uint64_t fileBytes = 0;      // the file's size when it was opened
    uint64_t releasedBytes = 0;  // the bytes of the blocks released
    bool holding = false;  // the parser holds block `released`
    bool finished = false; // the thread met the end of the file
    bool failed = false;   // the thread's read failed; reported after the blocks before it
    bool stop = false;     // the parser is done early (a fatal error, or the end)
    std::function<bool(uint64_t)> idleWork;
    std::mutex lock;
    std::condition_variable changed;
    std::thread worker;
};

namespace {

// Where next and end point when no block is held.
const char NoBytes[1] = {0};

// The reading thread: fills free buffers in order until the end of the file,
// a failing read, or the parser asks it to stop; does idle work while every
// buffer is full.
void readBlocksAhead(ReadAhead& ahead, int fd, size_t blockSize) {
    std::unique_lock<std::mutex> guard(ahead.lock);
    while (true) {
        if (ahead.stop) {
            return;
        }
        if (ahead.filled - ahead.released >= ReadAheadBlocks) {
            if (ahead.idleWork) {
                uint64_t bytesToCome = ahead.fileBytes > ahead.releasedBytes ? ahead.fileBytes - ahead.releasedBytes : 0;
                guard.unlock();
                // Idle work is optional: one that fails is as if there were none.
                bool more = false;
                try {
                    more = ahead.idleWork(bytesToCome);
                } catch (...) {
                }
                guard.lock();
                if (more) {
                    continue;
                }
            }
            ahead.changed.wait(guard, [&] { return ahead.stop || ahead.filled - ahead.released < ReadAheadBlocks; });
            continue;
        }
        size_t slot = ahead.filled % ReadAheadBlocks;
        char* buffer = ahead.buffers[slot].get();
        guard.unlock();
        ssize_t got;
        do {
            got = ::read(fd, buffer, blockSize);
        } while (got < 0 && errno == EINTR);

        guard.lock();
        if (got > 0) {
            ahead.sizes[slot] = static_cast<size_t>(got);
            ++ahead.filled;
        } else {
            (got == 0 ? ahead.finished : ahead.failed) = true;
        }
        ahead.changed.notify_all();
        if (got <= 0) {
            return;
        }
    }
}

void stopReadingAhead(ReadAhead& ahead) {
    {
        std::lock_guard<std::mutex> guard(ahead.lock);
        ahead.stop = true;
    }
    ahead.changed.notify_all();
    ahead.worker.join();
}

bool useReadAhead(const struct stat& status, size_t blockSize, ReadAheadUse use) {
    if (use != ReadAheadUse::Automatic) {
        return use == ReadAheadUse::Always;
    }
    // A pipe or a device could block the thread in read() for ever; small
    // files are not worth a thread, nor is a single CPU.
    size_t minimumBlock = blockSize == FileSizedBlocks ? DefaultBlockSize : blockSize;
    return S_ISREG(status.st_mode) &&
           static_cast<uint64_t>(status.st_size) >= ReadAheadMinimumBlocks * uint64_t{minimumBlock} &&
           usableCpuCount() > 1;
}

// The block size of a file of `fileBytes` bytes read ahead with blocks sized
// to it: the ring holds about the file's ReadAheadRingShare-th part.
size_t readAheadBlockSize(uint64_t fileBytes) {
    uint64_t block = fileBytes / (ReadAheadRingShare * ReadAheadBlocks);
    return static_cast<size_t>(std::clamp<uint64_t>(block, MinimumReadAheadBlockSize, MaximumReadAheadBlockSize));
}

// False when the thread can't be started (a process or cgroup thread limit):
// the file is then read in place.
bool startReadingAhead(BlockInput& input, uint64_t fileBytes) {
    auto ahead = std::make_unique<ReadAhead>();
    ahead->idleWork = input.idleWork;
    ahead->fileBytes = fileBytes;
    for (auto& buffer : ahead->buffers) {
        buffer.reset(new char[input.blockSize]);
    }
    try {
        ahead->worker = std::thread(readBlocksAhead, std::ref(*ahead), input.fd, input.blockSize);
    } catch (const std::system_error&) {
        return false;
    }
    input.readAhead = std::move(ahead);
    return true;
}

// The next block from the reading thread, as refillBlock's result.
bool takeBlockAhead(BlockInput& input) {
    ReadAhead& ahead = *input.readAhead;
    std::unique_lock<std::mutex> guard(ahead.lock);
    if (ahead.holding) {
        ahead.releasedBytes += ahead.sizes[ahead.released % ReadAheadBlocks];
        ++ahead.released;
        ahead.holding = false;
        ahead.changed.notify_all();
    }
    ahead.changed.wait(guard, [&] { return ahead.filled > ahead.released || ahead.finished || ahead.failed; });
    if (ahead.filled > ahead.released) {
        size_t slot = ahead.released % ReadAheadBlocks;
        ahead.holding = true;
        input.next = ahead.buffers[slot].get();
        input.end = input.next + ahead.sizes[slot];
        return true;
    }
    input.atEnd = true;
    input.next = input.end = NoBytes;
    if (ahead.failed) {
        guard.unlock();
        fatalFileError(input.path, "Can't read file", NoLine);
    }
    return false;
}

}  // namespace

BlockInput::BlockInput() = default;

BlockInput::~BlockInput() {
    if (readAhead) {
        stopReadingAhead(*readAhead);
    }
    if (fd >= 0) {
        ::close(fd);
    }
}

bool openBlockInput(BlockInput& input, const std::string& path, size_t blockSize, ReadAheadUse use) {
    input.path = path;
    input.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (input.fd < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(input.fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(input.fd);
        input.fd = -1;
        return false;
    }
    input.atEnd = false;
    bool regular = S_ISREG(status.st_mode);
    uint64_t fileBytes = regular ? static_cast<uint64_t>(status.st_size) : 0;
    bool ahead = useReadAhead(status, blockSize, use);
    input.blockSize = blockSize != FileSizedBlocks ? blockSize : ahead ? readAheadBlockSize(fileBytes) : DefaultBlockSize;
    if (ahead && startReadingAhead(input, fileBytes)) {
        input.next = input.end = NoBytes;
    } else {
        if (blockSize == FileSizedBlocks) {
            input.blockSize = DefaultBlockSize;
        }
        // A regular file smaller than a block needs a buffer of its size only
        // (one more byte, so that a file that grew is still read in steps).
        if (regular && fileBytes < input.blockSize) {
            input.blockSize = static_cast<size_t>(fileBytes) + 1;
        }
        input.block.reset(new char[input.blockSize]);
        input.next = input.block.get();
        input.end = input.next;
    }
    return true;
}

bool refillBlock(BlockInput& input) {
    if (input.next < input.end) {
        return true;
    }
    if (input.atEnd) {
        return false;
    }
    if (input.readAhead) {
        return takeBlockAhead(input);
    }
    while (true) {
        ssize_t got = ::read(input.fd, input.block.get(), input.blockSize);
        if (got > 0) {
            input.next = input.block.get();
            input.end = input.next + got;
            return true;
        }
        if (got == 0) {
            input.atEnd = true;
            return false;
        }
        if (errno != EINTR) {
            fatalFileError(input.path, "Can't read file", NoLine);
        }
    }
}
