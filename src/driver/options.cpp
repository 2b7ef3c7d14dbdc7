#include "driver/options.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

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

// A count option's value: digits only, at least 1, saturated at the largest
// 32-bit number (no file holds more vectors than that).
uint32_t parseCount(const char* option, const char* text) {
    uint64_t value = 0;
    bool digits = *text != 0;
    for (const char* at = text; *at != 0; ++at) {
        if (*at < '0' || *at > '9') {
            digits = false;
            break;
        }
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(*at - '0'), UINT32_MAX);
    }
    if (!digits || value == 0) {
        fatalError(std::string("Value of option ") + option + " must be a whole number from 1 up", NoLine);
    }
    return static_cast<uint32_t>(value);
}

// Options beyond the first set and whether each takes a value. They and
// their values are left out of the argument count the usage limits, so that
// they combine with every other option; the design name always counts.
struct LaterOption {
    const char* name;
    bool takesValue;
};
constexpr LaterOption LaterOptions[] = {
    {"-minimize", false}, {"-report", true},      {"-n_detect", true}, {"-max_vectors", true},
    {"-output", true},    {"-keep_table", false}, {"-order", true},     {"-diagnostic", false}};

// A value that names files: not empty, and its last part a name, not a
// directory ("dir/", ".", "..").
const char* fileNameValue(const char* option, const char* text) {
    std::string_view value(text);
    std::string_view last = value.substr(value.find_last_of('/') + 1);
    if (last.empty() || last == "." || last == "..") {
        fatalError(std::string("Value of option ") + option + " must end in a file name, not in a directory",
                   NoLine);
    }
    return text;
}

// "-order file|coverage": whether the vectors go in coverage order.
bool parseCoverageOrder(const char* text) {
    if (std::strcmp(text, "file") == 0) {
        return false;
    }
    if (std::strcmp(text, "coverage") != 0) {
        fatalError("Value of option -order must be file or coverage", NoLine);
    }
    return true;
}

int countedArguments(int argc, const char* const* argv) {
    int counted = argc;
    for (int i = 1; i < argc - 1; ++i) {
        for (const LaterOption& later : LaterOptions) {
            if (std::strcmp(argv[i], later.name) == 0) {
                --counted;
                if (later.takesValue && i + 1 < argc - 1) {
                    --counted;
                    ++i;
                }
                break;
            }
        }
    }
    return counted;
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
    int counted = countedArguments(argc, argv);
    if (counted < MinArgumentCount || counted > MaxArgumentCount) {
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
            options.selection.minimize = true;
        } else if (std::strcmp(argument, "-report") == 0) {
            options.reportPrefix = fileNameValue(argument, valueAfter(i, argc, argv));
        } else if (std::strcmp(argument, "-n_detect") == 0) {
            options.selection.detections = parseCount(argument, valueAfter(i, argc, argv));
            options.selection.detectionsGiven = true;
        } else if (std::strcmp(argument, "-max_vectors") == 0) {
            options.selection.vectorBudget = parseCount(argument, valueAfter(i, argc, argv));
        } else if (std::strcmp(argument, "-diagnostic") == 0) {
            options.selection.diagnostic = true;
        } else if (std::strcmp(argument, "-output") == 0) {
            options.outputFile = fileNameValue(argument, valueAfter(i, argc, argv));
        } else if (std::strcmp(argument, "-keep_table") == 0) {
            options.keepTable = true;
        } else if (std::strcmp(argument, "-order") == 0) {
            options.selection.coverageOrder = parseCoverageOrder(valueAfter(i, argc, argv));
        }
    }
    options.designName = argv[argc - 1];
    return options;
}
