// Turns a fatal error into its message on standard error and status 14.
#pragma once

// Calls `run` and returns its status; a FatalError (or a failed allocation)
// is printed to standard error after what standard output holds is flushed,
// and gives FatalExitStatus.
int runReportingFatalErrors(int (*run)(int, const char* const*), int argc, const char* const* argv);
