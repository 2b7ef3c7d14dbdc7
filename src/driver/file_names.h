// The three file names a run derives from the design name.
#pragma once

#include <string>

#include "driver/options.h"

struct RunFileNames {
    std::string modelFile;     // design + ".agm"
    std::string patternsFile;  // design + ".tst", or design + "." + extension
    std::string compactedFile; // design + ".tst", whatever the extension
};

// Every name must fit a buffer of this many characters with its terminating zero.
constexpr size_t FileNameBufferSize = 100;

// Builds the names; a name that would not fit is reported through
// fatalFileError with the design name.
RunFileNames buildFileNames(const RunOptions& options);
