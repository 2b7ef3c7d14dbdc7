// Helpers of the patterns tests: small models built in place, and both
// readers run on a file and reduced to one comparable text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "baseline_patterns.h"
#include "base/fatal_error.h"
#include "patterns/pattern_set.h"
#include "support/design_run.h"
#include "support/pattern_set_symbols.h"
#include "support/tool_run.h"
#include "support/stdout_capture.h"

// `constants` holds one entry per constant variable: 0 or 1 for its value,
// -1 for a variable without one.
inline SsbddModel patternsModel(uint32_t nodes, uint32_t variables, uint32_t inputs, std::vector<int> constants,
                                uint32_t outputs) {
    SsbddModel model;
    model.nodeCount = nodes;
    model.variableCount = variables;
    model.inputCount = inputs;
    model.constantCount = static_cast<uint32_t>(constants.size());
    model.outputCount = outputs;
    model.graphCount = variables - inputs - model.constantCount;
    model.variables.resize(variables);
    for (uint32_t k = 0; k < inputs; ++k) {
        model.variables[k].flags = VarInput;
    }
    for (size_t c = 0; c < constants.size(); ++c) {
        uint32_t value = constants[c] == 0 ? uint32_t{VarConstZero} : constants[c] == 1 ? uint32_t{VarConstOne} : 0u;
        model.variables[inputs + c].flags = VarConstant | value;
    }
    for (uint32_t k = variables - outputs; k < variables; ++k) {
        model.variables[k].flags |= VarOutput;
    }
    return model;
}

// The model of the worked example: 3 nodes, 5 variables, 2 inputs, a
// constant of value 1, an internal variable and an output.
inline SsbddModel exampleModel() { return patternsModel(3, 5, 2, {1}, 1); }

// At most this many vectors and rows are shown.
constexpr uint32_t RenderedVectors = 4;

inline char valueChar(uint8_t value) {
    return value == 0 ? '0' : value == 1 ? '1' : value == UnspecifiedValue ? 'x' : '?';
}

// "count N[ nostorage][ table]", then "V" and the vectors as 0/1/x, "T" and
// the rows as 0/1/X with their width, "F" and the summary.
inline std::string renderLines(uint32_t count, bool storage, bool table, const std::vector<std::string>& vectors,
                               const std::vector<std::string>& rows, const std::string& summary) {
    std::string text = "count " + std::to_string(count) + (storage ? "" : " nostorage") + (table ? " table" : "");
    if (!storage) {
        return text;
    }
    text += "\nV";
    for (const std::string& vector : vectors) {
        text += " " + vector;
    }
    text += "\nT";
    for (const std::string& row : rows) {
        text += " " + row;
    }
    return text + "\nF " + summary;
}

inline std::string renderPatterns(const PatternSet& patterns, const SsbddModel& model,
                                  uint32_t limit = RenderedVectors) {
    uint32_t shown = std::min(patterns.vectorCount, limit);
    std::vector<std::string> vectors;
    std::vector<std::string> rows;
    for (uint32_t v = 0; v < shown; ++v) {
        std::string vector;
        for (uint32_t k = 0; k < model.variableCount; ++k) {
            vector += valueChar(vectorValue(patterns, model, v, k));
        }
        vectors.push_back(vector);
        std::string row;
        for (uint32_t node = 0; node < model.nodeCount; ++node) {
            row += tableSymbol(patterns.faultTable, v, node);
        }
        uint32_t width = v < patterns.faultTable.rows.size() ? patterns.faultTable.rows[v].width : 0;
        rows.push_back(row + "/" + std::to_string(width));
    }
    std::string summary = patterns.faultSummary.symbols;
    EXPECT_LE(summary.size(), model.nodeCount);
    summary.resize(model.nodeCount, 'X');
    return renderLines(patterns.vectorCount, patterns.vectorsHeaderSeen, patterns.hasFaultTable, vectors, rows, summary);
}

inline std::string renderBaseline(const BaselinePatternSet& patterns, const SsbddModel& model,
                                  uint32_t limit = RenderedVectors) {
    uint32_t shown = std::min(patterns.vectorCount, limit);
    std::vector<std::string> vectors;
    std::vector<std::string> rows;
    for (uint32_t v = 0; v < shown; ++v) {
        std::string vector;
        for (uint32_t k = 0; k < model.variableCount; ++k) {
            vector += valueChar(patterns.vectors[v][k]);
        }
        vectors.push_back(vector);
        std::string row = patterns.faultTable[v];
        auto width = std::count_if(row.begin(), row.end(), [](char symbol) { return symbol != 'X'; });
        std::replace(row.begin(), row.end(), 'x', 'X');
        rows.push_back(row + "/" + std::to_string(width));
    }
    return renderLines(patterns.vectorCount, patterns.vectorsHeaderSeen, patterns.hasFaultTable, vectors, rows,
                       patterns.faultSummary);
}

// What a read gives: the rendering, or the text of the fatal error; and the
// progress output.
struct ReadOutcome {
    std::string result;
    std::string out;
};

inline std::string errorResult(const FatalError& error) { return "error:" + error.text; }

// blockSize 0: the reader's own block size. `limit`: the vectors shown.
inline ReadOutcome readFast(const fs::path& file, const SsbddModel& model, size_t blockSize = 0,
                            uint32_t limit = RenderedVectors, ReadAheadUse use = ReadAheadUse::Automatic) {
    ReadOutcome outcome;
    CapturedStdout capture;
    try {
        PatternSet patterns = blockSize == 0 ? readPatternSet(file.string(), model)
                                             : readPatternSetWithBlockSize(file.string(), model, blockSize, use);
        outcome.result = renderPatterns(patterns, model, limit);
        releasePatternSet(patterns);
    } catch (const FatalError& error) {
        outcome.result = errorResult(error);
    }
    outcome.out = capture.take();
    return outcome;
}

inline ReadOutcome readBaseline(const fs::path& file, const SsbddModel& model,
                                uint32_t limit = RenderedVectors) {
    ReadOutcome outcome;
    CapturedStdout capture;
    try {
        outcome.result = renderBaseline(readBaselinePatternSet(file.string(), model), model, limit);
    } catch (const FatalError& error) {
        outcome.result = errorResult(error);
    }
    outcome.out = capture.take();
    return outcome;
}

// A read's result when it fails with `message` at `line`.
inline std::string readFailedAt(int line, const std::string& message) { return "error:" + errorAt(line, message); }
