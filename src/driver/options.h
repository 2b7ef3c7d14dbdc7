// The command line: `tvcompact [options] <design>`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "select/selection_options.h"

struct RunOptions {
    SelectionOptions selection;
    std::optional<std::string> patternsExtension;
    std::optional<std::string> reportPrefix;  // "-report PREFIX": write the fault and vector report
    std::optional<std::string> outputFile;    // "-output FILE": write the compacted patterns there
    bool keepTable = false;                   // "-keep_table": annotate the compacted file with the table
    // "--help", "-help" or "-h", or "--version" anywhere: print that and stop.
    bool showHelp = false;
    bool showVersion = false;
    std::string designName;
};

// Checks the argument count and scans every argument for options; reports a
// wrong count, a value option without its value, a negative percentage and
// any other value an option cannot take through fatalError. A request for
// help or the version is answered whatever else the command line holds.
RunOptions parseCommandLine(int argc, const char* const* argv);

// The usage text shown for a wrong argument count.
extern const char* const UsageText;
