// readModel: one pass over the model file, line by line, through the parser.
#include <new>

#include "base/fatal_error.h"
#include "model/model_line_source.h"
#include "model/model_parse.h"
#include "model/ssbdd_model.h"

SsbddModel readModel(const std::string& path) {
    // The line being read when memory runs out; none before the first line.
    int32_t lineBeingRead = NoLine;
    try {
        ModelParse parse;
        {
            ModelLineSource source(path);
            std::string_view line;
            while (source.next(line)) {
                parse.line = source.lineNumber();
                lineBeingRead = parse.line;
                handleModelLine(parse, line);
            }
            // Only between graphs, or before the first one, may the file end.
            if (parse.state != AwaitVar) {
                fatalError("Corrupt DD-model file", source.lineNumber());
            }
        }
        return std::move(parse.model);
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", lineBeingRead);
    }
}
