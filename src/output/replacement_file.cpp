#include "output/replacement_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/fatal_error.h"

namespace {

constexpr size_t BufferSize = size_t{1} << 20;
constexpr size_t SuffixLength = 7;  // ".XXXXXX"

// Random bits for temporary names; the clock and the process ID where the
// kernel gives none.
uint64_t nameSeed() {
    uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof seed)) {
        return seed;
    }
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15ULL ^ static_cast<uint64_t>(::getpid()) << 32 ^
           static_cast<uint64_t>(now.tv_sec);
}

// `target` with its final name cut, if need be, so that it and the suffix
// fit the longest name the directory takes.
std::string temporaryStem(const std::string& target) {
    size_t slash = target.find_last_of('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    long longest = ::pathconf(directoryOf(target).c_str(), _PC_NAME_MAX);
    size_t limit = longest > static_cast<long>(SuffixLength) ? static_cast<size_t>(longest) : 255;
    size_t nameLength = target.size() - nameStart;
    return nameLength + SuffixLength > limit ? target.substr(0, nameStart + limit - SuffixLength) : target;
}

// Opens a new file named `stem`, a dot and six random letters or digits.
// The kernel gives it the mode the umask or a default ACL leaves of 0666.
int createTemporary(const std::string& stem, std::string& name) {
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    uint64_t bits = nameSeed();
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + ".";
        for (int k = 0; k < 6; ++k) {
            bits = bits * 6364136223846793005ULL + 1442695040888963407ULL;
            name += Alphabet[(bits >> 33) % (sizeof Alphabet - 1)];
        }
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
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

void restoreFileSizeSignal(ReplacementFile& file) {
    if (file.fileSizeSignalSaved) {
        ::sigaction(SIGXFSZ, &file.fileSizeSignal, nullptr);
        file.fileSizeSignalSaved = false;
    }
}

[[noreturn]] void abandon(ReplacementFile& file) {
    if (file.fd >= 0) {
        ::close(file.fd);
        file.fd = -1;
    }
    ::unlink(file.temporary.c_str());
    file.temporary.clear();
    restoreFileSizeSignal(file);
    fatalFileError(file.target, "Can't write file", NoLine);
}

}  // namespace

std::string directoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

ReplacementFile::~ReplacementFile() {
    if (fd >= 0) {
        ::close(fd);
    }
    if (!committed && !temporary.empty()) {
        ::unlink(temporary.c_str());
    }
    restoreFileSizeSignal(*this);
}

void openReplacement(ReplacementFile& file, const std::string& target, ExistingFile existing) {
    file.target = target;
    file.buffer.reset(new char[BufferSize]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    file.fileSizeSignalSaved = ::sigaction(SIGXFSZ, &ignore, &file.fileSizeSignal) == 0;
    std::string name;
    int fd = createTemporary(temporaryStem(target), name);
    if (fd < 0) {
        restoreFileSizeSignal(file);
        fatalFileError(target, "Can't create file", NoLine);
    }
    file.fd = fd;
    file.temporary = name;

    struct stat old {};
    if (existing == ExistingFile::KeepMode && ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        // Keeps the owner when an administrator rewrites someone's file; may fail, harmlessly.
        [[maybe_unused]] int ignored = ::fchown(fd, old.st_uid, old.st_gid);
        // Permission bits only: a set-user-ID or set-group-ID bit is not carried over.
        if (::fchmod(fd, old.st_mode & 0777) != 0) {
            file.failed = true;
        }
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

void finishReplacement(ReplacementFile& file) {
    flushBuffer(file);
    // EINVAL: the file system has nothing to sync.
    if (file.failed || (::fsync(file.fd) != 0 && errno != EINVAL)) {
        abandon(file);
    }
    int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0) {
        abandon(file);
    }
    file.buffer.reset();
    file.finished = true;
    restoreFileSizeSignal(file);
}
