// The run sequence's console lines: progress around each step and the
// process timer.
#pragma once

#include <string>

// "\n<text>... " on standard output, flushed.
void reportProgress(const std::string& text);
// "OK\n" on standard output, flushed.
void reportDone();

// Remembers the process clock; reportTime prints the time used since then.
void startTimer();
// "Time, used by process: <seconds> \n" on standard output, flushed.
void reportTime();
