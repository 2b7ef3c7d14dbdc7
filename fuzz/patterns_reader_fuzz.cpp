// The patterns reader on arbitrary bytes against a few fixed small models.
// The first byte picks the model and a block size; the rest is the file.
// Every file is read twice, through the normal block size and through the
// picked one, and both reads must agree to the byte: the reader's result
// may not depend on where the blocks end.
#include <cstring>
#include <iterator>

#include "base/fatal_error.h"
#include "fuzz_support.h"
#include "model/ssbdd_model.h"
#include "patterns/block_input.h"
#include "patterns/pattern_set.h"

namespace {

struct Counts {
    uint32_t nodes, variables, graphs, inputs, constants, outputs;
};

// A model as the reader would leave it: the counts, and the variables whose
// lines the file held (`constantValues` gives the constants read, in order).
SsbddModel makeModel(Counts counts, const std::vector<int>& constantValues) {
    SsbddModel model;
    model.nodeCount = counts.nodes;
    model.variableCount = counts.variables;
    model.graphCount = counts.graphs;
    model.inputCount = counts.inputs;
    model.constantCount = counts.constants;
    model.outputCount = counts.outputs;
    for (uint32_t v = 0; v < counts.inputs; ++v) {
        model.variables.push_back(ModelVariable{VarInput, "i"});
    }
    for (int value : constantValues) {
        model.variables.push_back(ModelVariable{VarConstant | (value != 0 ? VarConstOne : VarConstZero), "k"});
    }
    return model;
}

const std::vector<SsbddModel>& fixedModels() {
    static const std::vector<SsbddModel> models = {
        makeModel({10, 9, 4, 5, 0, 2}, {}),           // the shape of c17
        makeModel({3, 5, 1, 2, 1, 1}, {1}),           // two inputs, a constant 1, one graph
        makeModel({4, 6, 3, 1, 2, 1}, {0, 1}),        // constants 0 and 1
        makeModel({2, 3, 1, 1, 1, 1}, {}),            // a constant whose line is missing
        makeModel({70, 3, 1, 0, 0, 1}, {}),           // no inputs; rows wider than a word
        makeModel({130, 200, 1, 129, 0, 70}, {}),     // long rows of both kinds
    };
    return models;
}

constexpr size_t BlockSizes[] = {1, 2, 3, 5, 16, 63, 64, 65, 4096};

struct Outcome {
    bool failed = false;
    std::string error;
    PatternSet patterns;
};

Outcome readWith(const std::string& path, const SsbddModel& model, size_t blockSize,
                 ReadAheadUse use = ReadAheadUse::Automatic) {
    Outcome outcome;
    try {
        outcome.patterns = readPatternSetWithBlockSize(path, model, blockSize, use);
    } catch (const FatalError& error) {
        outcome.failed = true;
        outcome.error = error.text;
    }
    return outcome;
}

void checkAccepted(const PatternSet& patterns, const SsbddModel& model) {
    const FaultTable& table = patterns.faultTable;
    FUZZ_CHECK(patterns.inputWidth == model.inputCount);
    FUZZ_CHECK(patterns.faultSummary.symbols.size() <= model.nodeCount);
    FUZZ_CHECK(patterns.inputValues.size() <= uint64_t{patternRowCount(patterns)} * patterns.inputWidth);
    if (patterns.vectorsHeaderSeen) {
        FUZZ_CHECK(table.rows.size() <= patterns.vectorCount);
        FUZZ_CHECK(patternRowCount(patterns) <= patterns.vectorCount);
    } else {
        FUZZ_CHECK(table.rows.empty() && patternRowCount(patterns) == 0 && !patterns.hasFaultTable);
    }
    for (uint8_t value : patterns.inputValues) {
        FUZZ_CHECK(value == 0 || value == 1 || value == UnspecifiedValue);
    }
    for (const FaultTableRow& row : table.rows) {
        FUZZ_CHECK(row.words <= table.maxWords);
        FUZZ_CHECK(row.width <= model.nodeCount);
        for (uint32_t word = 0; word < row.words; ++word) {
            uint64_t zero = faultPlane(row, 0)[word];
            uint64_t one = faultPlane(row, 1)[word];
            FUZZ_CHECK((zero & one) == 0);
            for (unsigned bit = 0; bit < 64; ++bit) {
                if (uint64_t{word} * 64 + bit >= model.nodeCount) {
                    FUZZ_CHECK(((zero | one) >> bit) == 0);
                    break;
                }
            }
        }
    }
}

bool sameRows(const FaultTable& a, const FaultTable& b) {
    if (a.rows.size() != b.rows.size() || a.maxWords != b.maxWords) {
        return false;
    }
    for (size_t i = 0; i < a.rows.size(); ++i) {
        const FaultTableRow& x = a.rows[i];
        const FaultTableRow& y = b.rows[i];
        if (x.words != y.words || x.width != y.width ||
            (x.words > 0 && std::memcmp(x.bits, y.bits, 2 * sizeof(uint64_t) * x.words) != 0)) {
            return false;
        }
    }
    return true;
}

void checkSame(const Outcome& a, const Outcome& b) {
    FUZZ_CHECK(a.failed == b.failed);
    FUZZ_CHECK(a.error == b.error);
    if (a.failed) {
        return;
    }
    const PatternSet& x = a.patterns;
    const PatternSet& y = b.patterns;
    FUZZ_CHECK(x.vectorCount == y.vectorCount);
    FUZZ_CHECK(x.vectorsHeaderSeen == y.vectorsHeaderSeen);
    FUZZ_CHECK(x.hasFaultTable == y.hasFaultTable);
    FUZZ_CHECK(x.inputValues == y.inputValues);
    FUZZ_CHECK(x.constantsSet == y.constantsSet);
    FUZZ_CHECK(x.faultSummary.symbols == y.faultSummary.symbols);
    FUZZ_CHECK(sameRows(x.faultTable, y.faultTable));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceStandardOutput();
    fixedModels();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const std::string path = fuzzScratchPath("design.tst");
    const std::vector<SsbddModel>& models = fixedModels();
    const SsbddModel& model = models[data[0] % models.size()];
    size_t blockSize = BlockSizes[(data[0] / models.size()) % std::size(BlockSizes)];
    // Read in place, or ahead by the second thread; not at the smallest
    // sizes, where handing over every byte or two would cost most of the run.
    bool ahead = blockSize >= 16 && (data[0] / (models.size() * std::size(BlockSizes))) % 2 == 1;
    writeFuzzInput(path, data + 1, size - 1);

    Outcome normal = readWith(path, model, DefaultBlockSize);
    if (!normal.failed) {
        checkAccepted(normal.patterns, model);
    }
    checkSame(normal, readWith(path, model, blockSize, ahead ? ReadAheadUse::Always : ReadAheadUse::Never));
    return 0;
}
