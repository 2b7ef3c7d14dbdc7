// Console reporting shared by every step of a run: progress lines, the two
// fatal reporters and the process timer.
#pragma once

#include <cstdint>
#include <string>

// Thrown by the fatal reporters. `text` is the complete message as it must
// appear on standard error; main prints it and ends the run with status 14.
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

// "\n<text>... " on standard output, flushed.
void reportProgress(const std::string& text);
// "OK\n" on standard output, flushed.
void reportDone();

// "\nError: <message>!\n" or "\nError at line <line>: <message>!\n".
[[noreturn]] void fatalError(const std::string& message, int32_t line);
// As fatalError, with "<path> : " before the message.
[[noreturn]] void fatalFileError(const std::string& path, const std::string& message, int32_t line);

// Remembers the process clock; reportTime prints the time used since then.
void startTimer();
// "Time, used by process: <seconds> \n" on standard output, flushed.
void reportTime();
