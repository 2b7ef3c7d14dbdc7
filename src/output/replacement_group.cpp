#include "output/replacement_group.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "base/fatal_error.h"

namespace {

// An exclusive flock on a directory, released when it goes away.
struct DirectoryLock {
    int fd = -1;
    explicit DirectoryLock(const std::string& dir) {
        fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (fd >= 0 && ::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~DirectoryLock() {
        if (fd >= 0) {
            ::close(fd);  // releases the lock
        }
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
};

enum class Placed { Created, Exchanged, Renamed };

// Puts the temporary file in place. An existing target is exchanged with
// it, so that the old file can be put back; where the file system cannot
// exchange, a plain rename replaces it.
bool place(const ReplacementFile& file, Placed& how) {
    const char* from = file.temporary.c_str();
    const char* to = file.target.c_str();
    struct stat old {};
    bool exists = ::lstat(to, &old) == 0;
    if (!exists && ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        how = Placed::Created;
        return true;
    }
    if (!exists && errno != EEXIST && errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
        how = Placed::Exchanged;
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOENT) {
        return false;
    }
    how = Placed::Renamed;
    return ::rename(from, to) == 0;
}

// Puts the target's old state back: the old file where it was exchanged,
// no file where there was none. A plain rename cannot be undone.
void undo(const ReplacementFile& file, Placed how) {
    if (how == Placed::Exchanged) {
        ::renameat2(AT_FDCWD, file.temporary.c_str(), AT_FDCWD, file.target.c_str(), RENAME_EXCHANGE);
    } else if (how == Placed::Created) {
        ::rename(file.target.c_str(), file.temporary.c_str());
    }
}

void syncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

ReplacementFile& addReplacement(ReplacementGroup& group, const std::string& target, ExistingFile existing) {
    ReplacementFile& file = group.files.emplace_back();
    openReplacement(file, target, existing);
    return file;
}

void replaceGroup(ReplacementGroup& group) {
    if (group.files.empty()) {
        return;
    }
    std::vector<std::string> directories;
    {
        DirectoryLock lock(directoryOf(group.files.front().target));
        for (const ReplacementFile& file : group.files) {
            struct stat old {};
            if (::lstat(file.target.c_str(), &old) == 0 && S_ISDIR(old.st_mode)) {
                fatalFileError(file.target, "Can't write file", NoLine);
            }
        }
        // done[k]: how member size - 1 - k was put in place.
        std::vector<Placed> done;
        for (size_t k = group.files.size(); k-- > 0;) {
            ReplacementFile& file = group.files[k];
            Placed how = Placed::Created;
            if (!place(file, how)) {
                for (size_t undone = done.size(); undone-- > 0;) {
                    undo(group.files[group.files.size() - 1 - undone], done[undone]);
                }
                fatalFileError(file.target, "Can't write file", NoLine);
            }
            done.push_back(how);
        }
        // The temporary names now hold the old files, or nothing.
        for (size_t k = 0; k < done.size(); ++k) {
            ReplacementFile& file = group.files[group.files.size() - 1 - k];
            if (done[k] == Placed::Exchanged) {
                ::unlink(file.temporary.c_str());
            }
            file.committed = true;
            std::string dir = directoryOf(file.target);
            if (std::find(directories.begin(), directories.end(), dir) == directories.end()) {
                directories.push_back(dir);
            }
        }
    }
    for (const std::string& dir : directories) {
        syncDirectory(dir);
    }
}
