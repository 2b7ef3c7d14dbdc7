#include "support/design_run.h"

std::string errorAt(int line, const std::string& message) {
    return "\nError at line " + std::to_string(line) + ": " + message + "!\n";
}

std::string DesignRun::written() const {
    auto found = files.find("design.tst");
    return found == files.end() ? std::string() : found->second;
}

DesignRun runDesign(const std::string& model, const std::string& patterns, DesignLimits limits,
                    const std::vector<std::string>& options) {
    ScratchDir dir;
    writeFile(dir / "design.agm", model);
    writeFile(dir / "design.tst", patterns);
    RunRequest request;
    request.workDir = dir.path();
    request.args = options;
    request.args.push_back("design");
    request.addressSpaceLimit = limits.addressSpace;
    request.fileSizeLimit = limits.fileSize;
    if (limits.noThreads) {
        request.environment = {std::string("LD_PRELOAD=") + THREAD_START_FAILS_LIBRARY};
        if (AddressSanitizerBuild) {
            // The sanitizer wants its library first; the one preloaded only replaces pthread_create.
            request.environment.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
        }
    }
    DesignRun run{runBinary(request), {}};
    run.files = directoryFiles(dir.path());
    return run;
}
