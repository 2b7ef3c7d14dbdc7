// Line-by-line reading of the model file through a block buffer of its own.
// The source counts its lines and enforces the line-length rule, so every
// message about a line carries the number this source gives it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/fatal_error.h"

// The longest line the model file may hold, not counting its line end.
constexpr size_t MaxModelLineLength = 254;

class ModelLineSource {
public:
    // Opens `path`; reports "Can't open DD-model file" when it can't.
    explicit ModelLineSource(const std::string& path);

    // The next line without its line end, in `line`; false at the end of the
    // file. A line ends at a line feed; a carriage return right before the
    // line feed belongs to the line end. The last line may lack a line feed.
    // A line longer than MaxModelLineLength is "Line too long" at its number.
    // Every byte other than the line feed, NUL included, is an ordinary
    // character of the line.
    bool next(std::string_view& line);

    // The number of the line last returned; 0 before the first one.
    int32_t lineNumber() const { return messageLine(lineNumber_); }

private:
    bool fill();
    [[noreturn]] void failedRead() const;

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<char> block_;
    size_t blockStart_ = 0;
    size_t blockEnd_ = 0;
    bool atEnd_ = false;
    bool readAnything_ = false;
    // Room for one character more than the longest line and a carriage
    // return, which is all a line needs to be judged.
    std::string line_;
    uint64_t lineNumber_ = 0;  // wide enough never to wrap
};
