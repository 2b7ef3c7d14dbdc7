// Shared by the fuzz harnesses: a private scratch directory for the input
// files, quiet standard output, and the failure report of a broken invariant.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A directory of this process's own, on a memory file system when there is one.
inline const std::string& fuzzScratchDir() {
    static const std::string dir = [] {
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/tvcompact-fuzz-XXXXXX"
                                                            : "/tmp/tvcompact-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        return pattern;
    }();
    return dir;
}

inline std::string fuzzScratchPath(const std::string& name) { return fuzzScratchDir() + "/" + name; }

// Replaces the file at `path` with exactly these bytes.
inline void writeFuzzInput(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

// The tool's progress lines go to standard output; the fuzzer reports on
// standard error, so only standard output is silenced.
inline void silenceStandardOutput() {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::abort();
    }
}

// A broken invariant is a finding like a sanitizer report.
#define FUZZ_CHECK(condition)                                                       \
    do {                                                                            \
        if (!(condition)) {                                                         \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                           \
        }                                                                           \
    } while (0)
