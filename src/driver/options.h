// The command line: `tvcompact [options] <design>`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "select/selection_options.h"

// "-order": the order of the vectors in the compacted file.
enum class WrittenOrder {
    File,      // as in the input file
    Coverage,  // the vector that adds the most not yet covered faults first
};

struct RunOptions {
    SelectionOptions selection;
    std::optional<std::string> patternsExtension;
    bool minimize = false;  // "-minimize": improve the selection and report a lower bound
    std::optional<std::string> reportPrefix;  // "-report PREFIX": write the fault and vector report
    bool detectionsGiven = false;             // "-n_detect" was given: print its statistics line
    std::optional<std::string> outputFile;    // "-output FILE": write the compacted patterns there
    bool keepTable = false;                   // "-keep_table": annotate the compacted file with the table
    WrittenOrder order = WrittenOrder::File;  // "-order file|coverage"
    // "--help", "-help" or "-h", or "--version" anywhere: print that and stop.
    bool showHelp = false;
    bool showVersion = false;
    std::string designName;
};

// Checks the argument count and scans every argument for options; reports a
// wrong count, a value option without its value, a negative percentage and
// any other value an option cannot take through fatalError. A request for help or the version is answered
// whatever else the command line holds.
RunOptions parseCommandLine(int argc, const char* const* argv);

// The usage text shown for a wrong argument count.
extern const char* const UsageText;
