// The file names of a run: those derived from the design name, and the
// checks on every file the run writes.
#pragma once

#include <string>
#include <vector>

#include "driver/options.h"

struct RunFileNames {
    std::string modelFile;     // design + ".agm"
    std::string patternsFile;  // design + ".tst", or design + "." + extension
    std::string compactedFile; // the "-output" file, or design + ".tst" whatever the extension
};

// Every name built from the design must fit a buffer of this many
// characters with its terminating zero.
constexpr size_t FileNameBufferSize = 100;

// Builds the names; a name built from the design that would not fit is
// reported through fatalFileError with the design name.
RunFileNames buildFileNames(const RunOptions& options);

// Before anything is written: a report file that is the model file or the
// patterns file read, an "-output" file that is the model file ("Can't write
// over an input file"), or two files the run writes that are one ("Output
// file named twice") are reported through fatalFileError with the file
// written. Files are the same when their names lead to one file, through
// links too, or, where a file is missing, when they name one entry of one
// directory.
void checkWrittenFiles(const RunFileNames& names, const RunOptions& options,
                       const std::vector<std::string>& reportFiles);
