// The command line: `tvcompact [options] <design>`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct RunOptions {
    bool faultCoverActive = false;
    uint32_t faultCoverPercent = 0;
    bool seedWithEssentialVectors = true;
    std::optional<std::string> patternsExtension;
    bool minimize = false;  // "-minimize": improve the selection and report a lower bound
    std::string designName;
};

// Checks the argument count and scans every argument for options; reports a
// wrong count, a value option without its value and a negative percentage
// through fatalError.
RunOptions parseCommandLine(int argc, const char* const* argv);

// The usage text shown for a wrong argument count.
extern const char* const UsageText;
