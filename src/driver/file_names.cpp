#include "driver/file_names.h"

#include <sys/stat.h>

#include "base/fatal_error.h"

namespace {

std::string directoryPart(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string finalName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    bool firstExists = ::stat(a.c_str(), &first) == 0;
    bool secondExists = ::stat(b.c_str(), &second) == 0;
    if (firstExists || secondExists) {
        return firstExists && secondExists && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    if (finalName(a) != finalName(b)) {
        return false;
    }
    return ::stat(directoryPart(a).c_str(), &first) == 0 && ::stat(directoryPart(b).c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

RunFileNames buildFileNames(const RunOptions& options) {
    RunFileNames names;
    names.modelFile = options.designName + ".agm";
    std::string designPatterns = options.designName + ".tst";
    names.patternsFile = options.patternsExtension ? options.designName + "." + *options.patternsExtension
                                                   : designPatterns;
    names.compactedFile = options.outputFile ? *options.outputFile : designPatterns;
    for (const std::string* name : {&names.modelFile, &names.patternsFile, &designPatterns}) {
        if (name->size() + 1 > FileNameBufferSize) {
            fatalFileError(options.designName, "File name too long", NoLine);
        }
    }
    return names;
}

void checkWrittenFiles(const RunFileNames& names, const RunOptions& options,
                       const std::vector<std::string>& reportFiles) {
    if (options.outputFile && sameFile(names.compactedFile, names.modelFile)) {
        fatalFileError(names.compactedFile, "Can't write over an input file", NoLine);
    }
    for (const std::string& report : reportFiles) {
        if (sameFile(report, names.modelFile) || sameFile(report, names.patternsFile)) {
            fatalFileError(report, "Can't write over an input file", NoLine);
        }
        if (sameFile(report, names.compactedFile)) {
            fatalFileError(report, "Output file named twice", NoLine);
        }
    }
}
