#include "driver/console.h"

#include <cstdio>
#include <ctime>

namespace {

std::clock_t timerStart = 0;

std::string formatLine(const char* format, int32_t line, const std::string& body) {
    // Large enough for the fixed text and any 32-bit line number.
    std::string text(body.size() + 64, '\0');
    int length = std::snprintf(text.data(), text.size(), format, line, body.c_str());
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

[[noreturn]] void raise(const std::string& body, int32_t line) {
    if (line == NoLine) {
        throw FatalError{"\nError: " + body + "!\n"};
    }
    throw FatalError{formatLine("\nError at line %d: %s!\n", line, body)};
}

}  // namespace

void reportProgress(const std::string& text) {
    std::fputs("\n", stdout);
    std::fputs(text.c_str(), stdout);
    std::fputs("... ", stdout);
    std::fflush(stdout);
}

void reportDone() {
    std::fputs("OK\n", stdout);
    std::fflush(stdout);
}

void fatalError(const std::string& message, int32_t line) { raise(message, line); }

void fatalFileError(const std::string& path, const std::string& message, int32_t line) {
    raise(path + " : " + message, line);
}

void startTimer() { timerStart = std::clock(); }

void reportTime() {
    // The time is counted in whole milliseconds of process time.
    std::clock_t elapsed = std::clock() - timerStart;
    long long milliseconds = static_cast<long long>(elapsed) * 1000 / CLOCKS_PER_SEC;
    std::printf("Time, used by process: %f \n", static_cast<double>(milliseconds) * 0.001);
    std::fflush(stdout);
}
