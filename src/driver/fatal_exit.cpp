#include "driver/fatal_exit.h"

#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>

#include "base/fatal_error.h"

namespace {

// `text`, or "\nError: <before><detail>!\n" when there is a detail.
int reportFatal(const char* text, const char* detail = nullptr) {
    std::fflush(stdout);
    if (detail != nullptr) {
        std::fprintf(stderr, "\nError: %s%s!\n", text, detail);
    } else {
        std::fputs(text, stderr);
    }
    std::fflush(stderr);
    return FatalExitStatus;
}

}  // namespace

int runReportingFatalErrors(int (*run)(int, const char* const*), int argc, const char* const* argv) {
    try {
        return run(argc, argv);
    } catch (const FatalError& error) {
        return reportFatal(error.text.c_str());
    } catch (const std::bad_alloc&) {
        return reportFatal("\nError: Out of memory!\n");
    } catch (const std::length_error&) {
        // A size beyond what a container can hold: memory the run can't have.
        return reportFatal("\nError: Out of memory!\n");
    } catch (const std::exception& error) {
        return reportFatal("Internal error: ", error.what());
    } catch (...) {
        return reportFatal("\nError: Internal error!\n");
    }
}
