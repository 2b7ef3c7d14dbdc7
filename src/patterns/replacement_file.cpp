#include "patterns/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "driver/console.h"

namespace {

constexpr size_t BufferSize = size_t{1} << 20;

mode_t currentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool writeAll(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t written = ::write(fd, bytes, count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

void flushBuffer(ReplacementFile& file) {
    if (!file.failed && file.used > 0 && !writeAll(file.fd, file.buffer.get(), file.used)) {
        file.failed = true;
    }
    file.used = 0;
}

[[noreturn]] void abandon(ReplacementFile& file) {
    if (file.fd >= 0) {
        ::close(file.fd);
        file.fd = -1;
    }
    ::unlink(file.temporary.c_str());
    file.temporary.clear();
    fatalFileError(file.target, "Can't write file", NoLine);
}

}  // namespace

ReplacementFile::~ReplacementFile() {
    if (fd >= 0) {
        ::close(fd);
    }
    if (!committed && !temporary.empty()) {
        ::unlink(temporary.c_str());
    }
    if (fileSizeSignalSaved) {
        ::sigaction(SIGXFSZ, &fileSizeSignal, nullptr);
    }
}

void openReplacement(ReplacementFile& file, const std::string& target) {
    file.target = target;
    file.buffer.reset(new char[BufferSize]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    file.fileSizeSignalSaved = ::sigaction(SIGXFSZ, &ignore, &file.fileSizeSignal) == 0;
    std::string name = target + ".XXXXXX";
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        fatalFileError(target, "Can't create file", NoLine);
    }
    file.fd = fd;
    file.temporary = name;

    struct stat existing {};
    bool replacesFile = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    mode_t mode = replacesFile ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    if (replacesFile) {
        // Keeps the owner when an administrator rewrites someone's file; may fail, harmlessly.
        [[maybe_unused]] int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
    }
    if (::fchmod(fd, mode) != 0) {
        file.failed = true;
    }
}

void appendBytes(ReplacementFile& file, const char* bytes, size_t count) {
    while (count > 0 && !file.failed) {
        if (file.used == BufferSize) {
            flushBuffer(file);
            continue;
        }
        size_t part = std::min(count, BufferSize - file.used);
        std::memcpy(file.buffer.get() + file.used, bytes, part);
        file.used += part;
        bytes += part;
        count -= part;
    }
}

void appendRun(ReplacementFile& file, char byte, uint64_t count) {
    while (count > 0 && !file.failed) {
        if (file.used == BufferSize) {
            flushBuffer(file);
            continue;
        }
        size_t part = static_cast<size_t>(std::min<uint64_t>(count, BufferSize - file.used));
        std::memset(file.buffer.get() + file.used, byte, part);
        file.used += part;
        count -= part;
    }
}

void commitReplacement(ReplacementFile& file) {
    flushBuffer(file);
    // EINVAL: the file system has nothing to sync.
    if (file.failed || (::fsync(file.fd) != 0 && errno != EINVAL)) {
        abandon(file);
    }
    int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0 || ::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
        abandon(file);
    }
    file.committed = true;
}
