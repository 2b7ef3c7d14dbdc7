// Running the built tvcompact binary in a scratch directory, and file helpers.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct BinaryResult {
    std::string out;  // standard output, the time figure masked as "TIME"
    std::string err;  // standard error
    int status = -1;  // exit status; 128 + signal number when killed by a signal
};

struct RunRequest {
    fs::path workDir;
    std::vector<std::string> args;                // the arguments after the program name
    std::optional<unsigned long> fileSizeLimit;   // RLIMIT_FSIZE in bytes
    bool ignoreFileSizeSignal = true;             // with the limit: SIGXFSZ ignored, else its default
    // RLIMIT_AS in bytes. A binary built with AddressSanitizer reserves far
    // more address space than any such limit, so there it is not applied
    // (see AddressSpaceLimitApplies).
    std::optional<unsigned long> addressSpaceLimit;
    // SIGKILL the child this long after it was started, if it still runs.
    std::optional<std::chrono::microseconds> killAfter;
    // NAME=value entries set for the child on top of the inherited environment.
    std::vector<std::string> environment;
    std::string binary = TVCOMPACT_BINARY;
};

BinaryResult runBinary(const RunRequest& request);

// Whether the tests and the binary are built with AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitizerBuild = true;
#else
constexpr bool AddressSanitizerBuild = false;
#endif
#else
constexpr bool AddressSanitizerBuild = false;
#endif

// Whether RunRequest::addressSpaceLimit takes effect in this build.
constexpr bool AddressSpaceLimitApplies = !AddressSanitizerBuild;

// A fresh directory under the system's temporary directory, removed with its
// contents when the object goes away.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& content);
// Name to content of every regular file directly in `dir`.
std::map<std::string, std::string> directoryFiles(const fs::path& dir);
// Replaces the figure of every "Time, used by process: <figure> " with TIME.
std::string maskTime(const std::string& out);
