#include "driver/file_names.h"

#include "base/fatal_error.h"

RunFileNames buildFileNames(const RunOptions& options) {
    RunFileNames names;
    names.modelFile = options.designName + ".agm";
    names.compactedFile = options.designName + ".tst";
    names.patternsFile = options.patternsExtension
                             ? options.designName + "." + *options.patternsExtension
                             : names.compactedFile;
    for (const std::string* name : {&names.modelFile, &names.patternsFile, &names.compactedFile}) {
        if (name->size() + 1 > FileNameBufferSize) {
            fatalFileError(options.designName, "File name too long", NoLine);
        }
    }
    return names;
}
