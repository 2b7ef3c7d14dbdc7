// Turns a fatal error into its message on standard error and status 14.
#pragma once

// Calls `run` and returns its status. Any exception it lets out ends the run
// as a fatal error: after what standard output holds is flushed, standard
// error gets the FatalError's text, "Out of memory" for a failed allocation
// or a size no container holds, an internal error (with what() of a
// std::exception) for anything else; the status is FatalExitStatus.
int runReportingFatalErrors(int (*run)(int, const char* const*), int argc, const char* const* argv);
