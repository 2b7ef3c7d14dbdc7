#include "driver/fatal_exit.h"

#include <cstdio>
#include <new>

#include "base/fatal_error.h"

int runReportingFatalErrors(int (*run)(int, const char* const*), int argc, const char* const* argv) {
    const char* text = nullptr;
    FatalError error;
    try {
        return run(argc, argv);
    } catch (FatalError& raised) {
        error = std::move(raised);
        text = error.text.c_str();
    } catch (const std::bad_alloc&) {
        text = "\nError: Out of memory!\n";
    }
    std::fflush(stdout);
    std::fputs(text, stderr);
    std::fflush(stderr);
    return FatalExitStatus;
}
