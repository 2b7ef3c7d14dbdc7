// Running the built tvcompact binary in a scratch directory, and file helpers.
#pragma once

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
    std::optional<unsigned long> fileSizeLimit;   // RLIMIT_FSIZE in bytes, SIGXFSZ ignored
    std::string binary = TVCOMPACT_BINARY;
};

BinaryResult runBinary(const RunRequest& request);

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
