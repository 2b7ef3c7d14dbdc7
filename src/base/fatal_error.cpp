#include "base/fatal_error.h"

#include <cstdio>

namespace {

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

void fatalError(const std::string& message, int32_t line) { raise(message, line); }

void fatalFileError(const std::string& path, const std::string& message, int32_t line) {
    raise(path + " : " + message, line);
}
