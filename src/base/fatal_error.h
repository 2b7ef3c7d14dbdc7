// The one fatal path: every defect a run meets is thrown as a FatalError,
// which the entry point prints and turns into the exit status.
#pragma once

#include <cstdint>
#include <string>

// `text` is the complete message as it must appear on standard error.
struct FatalError {
    std::string text;
};

constexpr int FatalExitStatus = 14;
constexpr int32_t NoLine = -1;

// A line count as the messages give it: counts beyond the largest signed
// 32-bit number are reported as that number.
constexpr int32_t messageLine(uint64_t line) {
    return line > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(line);
}

// "\nError: <message>!\n" or "\nError at line <line>: <message>!\n".
[[noreturn]] void fatalError(const std::string& message, int32_t line);
// As fatalError, with "<path> : " before the message.
[[noreturn]] void fatalFileError(const std::string& path, const std::string& message, int32_t line);
