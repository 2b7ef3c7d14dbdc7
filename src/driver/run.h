// One run of the tool, from the command line to the compacted file.
#pragma once

// Runs every step in order and returns the exit status of a complete run;
// a failure is thrown as FatalError.
int runTool(int argc, const char* const* argv);
