// The whole run on arbitrary bytes: the model reader, the patterns reader,
// the selection and the writer, with the written file read back.
//
// Input layout: one byte of options (bit 0: seed with the widest vector,
// bit 1: stop at a fault coverage percentage, bit 2: improve the selection
// as "-minimize" does), one byte of that percentage,
// then the model file, the separator "@@@@", and the patterns file. Without
// a separator the patterns file is empty.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/fatal_error.h"
#include "driver/options.h"
#include "fuzz_support.h"
#include "model/ssbdd_model.h"
#include "output/compacted_writer.h"
#include "patterns/pattern_set.h"
#include "select/minimize/minimize.h"
#include "select/selection_for_tests.h"

namespace {

constexpr std::string_view Separator = "@@@@";

// The compacted file holds one character per variable for every chosen
// vector, so a model that declares a huge variable count makes a huge file
// from a tiny input; such runs stop before the writer to keep the fuzzer fast.
constexpr uint64_t MaxWrittenBytes = uint64_t{8} << 20;

void checkSelection(const SelectionState& selection, const SsbddModel& model) {
    uint32_t selected = 0;
    for (int32_t state : selection.state) {
        FUZZ_CHECK(state == Selected || state == Candidate || state == Discarded);
        selected += state == Selected ? 1 : 0;
    }
    FUZZ_CHECK(selected == selection.chosenCount);
    FUZZ_CHECK(selection.coveredCount <= uint64_t{2} * model.nodeCount);
    FUZZ_CHECK(selection.detectableTotal <= uint64_t{2} * model.nodeCount);
    for (uint32_t pick : selection.greedyPicks) {
        FUZZ_CHECK(pick < selection.state.size());
    }
}

bool constantsHaveValues(const SsbddModel& model) {
    for (uint64_t k = model.inputCount; k < uint64_t{model.inputCount} + model.constantCount; ++k) {
        if ((variableFlags(model, static_cast<uint32_t>(k)) & (VarConstZero | VarConstOne)) == 0) {
            return false;
        }
    }
    return true;
}

// The input value of vector `vector` at input `k` as read; UnspecifiedValue
// where its row held none.
uint8_t inputValue(const PatternSet& patterns, uint32_t vector, uint32_t k) {
    size_t index = size_t{vector} * patterns.inputWidth + k;
    bool read = vector < patternRowCount(patterns) && vector < patterns.vectorCount;
    return read && index < patterns.inputValues.size() ? patterns.inputValues[index] : UnspecifiedValue;
}

// The written file reads back against the same model as the chosen vectors'
// inputs, in file order, without a fault table. Only a model whose constants
// lack their values may refuse a written row, as it refuses every row.
void checkWrittenFile(const std::string& path, const SelectionState& selection, const PatternSet& patterns,
                      const SsbddModel& model) {
    PatternSet written;
    try {
        written = readPatternSet(path, model);
    } catch (const FatalError& error) {
        if (!constantsHaveValues(model) && error.text.find("Constant variable expected") != std::string::npos) {
            return;
        }
        std::fprintf(stderr, "the written file does not read back: %s\n", error.text.c_str());
        std::abort();
    }
    FUZZ_CHECK(written.vectorsHeaderSeen);
    FUZZ_CHECK(written.vectorCount == selection.chosenCount);
    FUZZ_CHECK(!written.hasFaultTable);
    if (model.variableCount == 0) {
        return;  // every row is empty, and an empty line is no row
    }
    FUZZ_CHECK(patternRowCount(written) == selection.chosenCount);
    uint32_t row = 0;
    for (uint32_t vector = 0; vector < selection.state.size(); ++vector) {
        if (selection.state[vector] != Selected) {
            continue;
        }
        for (uint32_t k = 0; k < model.inputCount; ++k) {
            FUZZ_CHECK(inputValue(written, row, k) == inputValue(patterns, vector, k));
        }
        ++row;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceStandardOutput();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    static const std::string modelPath = fuzzScratchPath("design.agm");
    static const std::string patternsPath = fuzzScratchPath("design.pat");
    static const std::string compactedPath = fuzzScratchPath("design.tst");

    RunOptions options;
    options.selection.seedWithEssentialVectors = (data[0] & 1) == 0;
    options.selection.faultCoverActive = (data[0] & 2) != 0;
    options.selection.faultCoverPercent = data[1];
    options.selection.minimize = (data[0] & 4) != 0;
    options.designName = fuzzScratchPath("design");

    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    size_t split = rest.find(Separator);
    std::string_view modelText = rest.substr(0, split);
    std::string_view patternsText = split == std::string_view::npos ? std::string_view{} : rest.substr(split + Separator.size());
    writeFuzzInput(modelPath, reinterpret_cast<const uint8_t*>(modelText.data()), modelText.size());
    writeFuzzInput(patternsPath, reinterpret_cast<const uint8_t*>(patternsText.data()), patternsText.size());

    try {
        SsbddModel model = readModel(modelPath);
        PatternSet patterns = readPatternSet(patternsPath, model);
        if (!patterns.hasFaultTable) {
            return 0;
        }
        SelectionState selection = runSelectionPhases(options.selection, patterns);
        checkSelection(selection, model);
        if (options.selection.minimize) {
            // Never fewer faults covered, never more vectors, a bound below the size.
            uint32_t chosen = selection.chosenCount;
            uint32_t covered = selection.coveredCount;
            uint32_t lowerBound = minimizeSelection(selection, patterns, nullptr, minimizeWork(patterns));
            checkSelection(selection, model);
            FUZZ_CHECK(selection.chosenCount <= chosen);
            FUZZ_CHECK(selection.coveredCount >= covered);
            FUZZ_CHECK(lowerBound <= selection.chosenCount);
        }
        if (uint64_t{selection.chosenCount} * (uint64_t{model.variableCount} + 1) <= MaxWrittenBytes) {
            writeCompactedPatterns(compactedPath, chosenVectors(selection), patterns, model);
            checkWrittenFile(compactedPath, selection, patterns, model);
        }
        releaseModel(model);
        releasePatternSet(patterns);
    } catch (const FatalError&) {
    }
    return 0;
}
