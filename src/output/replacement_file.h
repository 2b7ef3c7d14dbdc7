// A file written beside its target under a temporary name and renamed over
// the target only once every byte is on disk, so that a failed write leaves
// the target as it was.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct ReplacementFile {
    std::string target;
    std::string temporary;
    int fd = -1;
    std::unique_ptr<char[]> buffer;
    size_t used = 0;
    bool failed = false;     // a write went wrong; nothing more is written
    bool committed = false;  // renamed over the target
    // SIGXFSZ's action before the file was opened: a write past a file-size
    // limit fails instead of killing the process, until the file goes away.
    struct sigaction fileSizeSignal {};
    bool fileSizeSignalSaved = false;

    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    // Removes the temporary file unless it was committed, and gives SIGXFSZ
    // its action back.
    ~ReplacementFile();
};

// Creates the temporary file beside `target`, with the target's permission
// bits if it exists (the set-user-ID, set-group-ID and sticky bits dropped),
// else those a new file gets; SIGXFSZ is ignored while the file is open.
// Reports "Can't create file" with the target when it can't.
void openReplacement(ReplacementFile& file, const std::string& target);

void appendBytes(ReplacementFile& file, const char* bytes, size_t count);
void appendRun(ReplacementFile& file, char byte, uint64_t count);

// Writes what is buffered, syncs, closes, renames over the target and syncs
// its directory. Any failure, here or in an earlier append, removes the
// temporary file and reports "Can't write file" with the target.
void commitReplacement(ReplacementFile& file);
