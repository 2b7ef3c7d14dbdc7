// A file written beside its target under a temporary name, to be put in
// place only once every byte is on disk (output/replacement_group.h), so
// that a failed write leaves the target as it was.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// What the new file takes from a file already at its target.
enum class ExistingFile {
    // A regular file there (not one behind a symbolic link) hands on its
    // permission bits, without set-user-ID, set-group-ID and sticky, and
    // its owner where the process may give it; otherwise as NewFile.
    KeepMode,
    // Nothing: the file gets the running user and the mode the umask (or
    // the directory's default ACL) leaves of 0666.
    NewFile,
};

struct ReplacementFile {
    std::string target;
    std::string temporary;
    int fd = -1;
    std::unique_ptr<char[]> buffer;
    size_t used = 0;
    bool failed = false;     // a write went wrong; nothing more is written
    bool finished = false;   // every byte is on disk and the file is closed
    bool committed = false;  // put in place: the temporary name is no longer ours
    // SIGXFSZ's action before the file was opened: a write past a file-size
    // limit fails instead of killing the process, until the file is closed.
    struct sigaction fileSizeSignal {};
    bool fileSizeSignalSaved = false;

    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    // Removes the temporary file unless it was committed, and gives SIGXFSZ
    // its action back.
    ~ReplacementFile();
};

// Creates the temporary file beside `target`: the target's name, cut to fit
// the file system's name length if need be, a dot and six letters or
// digits. SIGXFSZ is ignored while the file is open. Reports "Can't create
// file" with the target when it can't.
void openReplacement(ReplacementFile& file, const std::string& target, ExistingFile existing);

void appendBytes(ReplacementFile& file, const char* bytes, size_t count);
void appendRun(ReplacementFile& file, char byte, uint64_t count);
inline void appendText(ReplacementFile& file, std::string_view text) { appendBytes(file, text.data(), text.size()); }

// Writes what is buffered, syncs and closes the file. Any failure, here or
// in an earlier append, removes the temporary file and reports "Can't write
// file" with the target.
void finishReplacement(ReplacementFile& file);

// The directory holding `path` ("." for a bare name).
std::string directoryOf(const std::string& path);
