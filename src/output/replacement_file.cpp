#include "output/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "base/fatal_error.h"

namespace {

constexpr size_t BufferSize = size_t{1} << 20;

// The process's file mode creation mask, read without changing it (umask()
// sets it, for every thread, until it is set back); 022 where the kernel
// doesn't tell.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            char* end = nullptr;
            unsigned long mask = std::strtoul(line.c_str() + 6, &end, 8);
            if (end != line.c_str() + 6 && mask <= 0777) {
                return static_cast<mode_t>(mask);
            }
            break;
        }
    }
    return 022;
}

// The directory holding `path`, for syncing the entry renamed in it.
std::string directoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Syncs the directory, so that after a power loss its entry is the new file.
// The rename has been made by then, so a failure here changes nothing the
// run could report.
void syncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    // Permission bits only: a set-user-ID or set-group-ID bit is not carried over.
    mode_t mode = replacesFile ? (existing.st_mode & 0777) : (0666 & ~currentUmask());
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
    syncDirectory(directoryOf(file.target));
}
