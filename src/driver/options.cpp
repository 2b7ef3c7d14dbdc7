#include "driver/options.h"

#include <cctype>
#include <cstring>

#include "base/fatal_error.h"
#include "base/text.h"

const char* const UsageText =
    "usage: tvcompact [options] <design>\n"
    "Options:\n"
    "\t-extension <string> \tspecify vector file extension (tst by default)\n";

namespace {

constexpr int MinArgumentCount = 2;
constexpr int MaxArgumentCount = 8;

// Decimal conversion as the C library does it (white space, sign, digits; no
// digits give 0), but rejecting a minus sign and saturating instead of
// overflowing, so that a huge percentage means "never stop early".
uint32_t parsePercent(const char* text) {
    while (isWhiteSpace(*text)) {
        ++text;
    }
    if (*text == '-') {
        fatalError("Fault coverage percentage must not be negative", NoLine);
    }
    if (*text == '+') {
        ++text;
    }
    uint64_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + static_cast<uint64_t>(*text - '0');
        if (value > UINT32_MAX) {
            value = UINT32_MAX;
        }
        ++text;
    }
    return static_cast<uint32_t>(value);
}

const char* valueAfter(int index, int argc, const char* const* argv) {
    if (index + 1 >= argc) {
        fatalError(std::string("Missing value for option ") + argv[index], NoLine);
    }
    return argv[index + 1];
}

}  // namespace

RunOptions parseCommandLine(int argc, const char* const* argv) {
    RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-help") == 0 ||
            std::strcmp(argument, "-h") == 0) {
            options.showHelp = true;
            return options;
        }
        if (std::strcmp(argument, "--version") == 0) {
            options.showVersion = true;
            return options;
        }
    }
    if (argc < MinArgumentCount || argc > MaxArgumentCount) {
        fatalError(UsageText, NoLine);
    }
    // Every argument is examined, value arguments and the design name included.
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-') {
            continue;
        }
        if (std::strcmp(argument, "-fault_cover") == 0) {
            options.selection.faultCoverActive = true;
            options.selection.faultCoverPercent = parsePercent(valueAfter(i, argc, argv));
        } else if (std::strcmp(argument, "-no_unique_vectors") == 0) {
            options.selection.seedWithEssentialVectors = false;
        } else if (std::strcmp(argument, "-extension") == 0) {
            options.patternsExtension = valueAfter(i, argc, argv);
        } else if (std::strcmp(argument, "-minimize") == 0) {
            options.minimize = true;
        } else if (std::strcmp(argument, "-report") == 0) {
            options.reportPrefix = valueAfter(i, argc, argv);
        }
    }
    options.designName = argv[argc - 1];
    return options;
}
