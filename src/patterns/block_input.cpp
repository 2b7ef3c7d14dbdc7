#include "patterns/block_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "driver/console.h"

BlockInput::~BlockInput() {
    if (fd >= 0) {
        ::close(fd);
    }
}

bool openBlockInput(BlockInput& input, const std::string& path, size_t blockSize) {
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
    input.blockSize = blockSize == 0 ? 1 : blockSize;
    input.block.reset(new char[input.blockSize]);
    input.next = input.block.get();
    input.end = input.next;
    input.atEnd = false;
    return true;
}

bool refillBlock(BlockInput& input) {
    if (input.next < input.end) {
        return true;
    }
    while (!input.atEnd) {
        ssize_t got = ::read(input.fd, input.block.get(), input.blockSize);
        if (got > 0) {
            input.next = input.block.get();
            input.end = input.next + got;
            return true;
        }
        if (got == 0) {
            input.atEnd = true;
        } else if (errno != EINTR) {
            fatalFileError(input.path, "Can't read file", NoLine);
        }
    }
    return false;
}
