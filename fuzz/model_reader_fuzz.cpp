// The model reader on arbitrary bytes. A fatal error is the reader's normal
// answer to a bad file; only sanitizer reports and broken invariants of an
// accepted model are findings.
#include "base/fatal_error.h"
#include "fuzz_support.h"
#include "model/ssbdd_model.h"

namespace {

// What every accepted model holds, whatever its file looked like.
void checkAcceptedModel(const SsbddModel& model) {
    FUZZ_CHECK(model.variables.size() <= model.variableCount);
    FUZZ_CHECK(model.graphs.size() <= model.graphCount);
    FUZZ_CHECK(model.nodes.size() <= model.nodeCount);
    FUZZ_CHECK(model.nodeNames.size() == model.nodes.size());
    FUZZ_CHECK(uint64_t{model.inputCount} + model.constantCount <= model.variableCount);
    FUZZ_CHECK(model.outputCount <= model.variableCount);
    // The file may end only between graphs, so every graph read is complete.
    for (const ModelGraph& graph : model.graphs) {
        FUZZ_CHECK(graph.nodeCount >= 1);
        FUZZ_CHECK(uint64_t{graph.firstNode} + graph.nodeCount <= model.nodes.size());
    }
    // Exactly one value bit on every constant read, none elsewhere.
    for (size_t v = 0; v < model.variables.size(); ++v) {
        uint32_t values = model.variables[v].flags & (VarConstOne | VarConstZero);
        bool constant = v >= model.inputCount && v < uint64_t{model.inputCount} + model.constantCount;
        FUZZ_CHECK(constant ? (values == VarConstOne || values == VarConstZero) : values == 0);
        FUZZ_CHECK(model.variables[v].name.has_value());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceStandardOutput();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzzScratchPath("design.agm");
    writeFuzzInput(path, data, size);
    try {
        SsbddModel model = readModel(path);
        checkAcceptedModel(model);
        releaseModel(model);
    } catch (const FatalError&) {
    }
    return 0;
}
