// The compacted file: its exact bytes, the same as the plain writer's, and
// read back by the reader to the same inputs and constants.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <utility>

#include "output/compacted_writer.h"
#include "patterns_support.h"
#include "select/phases/selection_state.h"
#include "support/stdout_capture.h"

namespace {

const std::string WorkedExample =
    ".VECTORS 3\n.COVERAGE 100\n.PATTERNS\n01lhL\n1xhhH\n\n11\n\n.TABLE\n01X\nX10\n1XX\n.FAULTS\n&10\n";

PatternSet readQuietly(const fs::path& file, const SsbddModel& model) {
    return quietly([&] { return readPatternSet(file.string(), model); });
}

SelectionState selectionOf(const std::vector<int32_t>& state) {
    SelectionState selection;
    selection.state = state;
    for (int32_t entry : state) {
        selection.chosenCount += entry == Selected ? 1 : 0;
    }
    return selection;
}

// Writes the selected vectors of the patterns in `text` with both writers
// and returns the real writer's file; the plain writer's must be the same.
std::string writtenFile(const SsbddModel& model, const std::string& text, const std::vector<int32_t>& state) {
    ScratchDir dir;
    writeFile(dir / "in.tst", text);
    PatternSet patterns = readQuietly(dir / "in.tst", model);
    writeCompactedPatterns((dir / "out.tst").string(), chosenVectors(selectionOf(state)), patterns, model);

    BaselinePatternSet baseline = quietly([&] { return readBaselinePatternSet((dir / "in.tst").string(), model); });
    writeBaselineCompactedPatterns((dir / "plain.tst").string(), state, selectionOf(state).chosenCount, baseline,
                                   model);
    std::string written = readFile(dir / "out.tst");
    EXPECT_EQ(written, readFile(dir / "plain.tst")) << "the plain writer's file";
    EXPECT_EQ(directoryFiles(dir.path()).size(), 3u) << "a temporary file was left";
    return written;
}

TEST(CompactedWriter, WorkedExampleWithVectorsZeroAndTwoSelected) {
    EXPECT_EQ(writtenFile(exampleModel(), WorkedExample, {Selected, Candidate, Selected}),
              ".VECTORS 2\n\n.PATTERNS\n\n01hxx\n11hxx\n");
}

TEST(CompactedWriter, NoVectorSelected) {
    EXPECT_EQ(writtenFile(exampleModel(), WorkedExample, {Discarded, Candidate, Discarded}),
              ".VECTORS 0\n\n.PATTERNS\n\n");
    EXPECT_EQ(writtenFile(exampleModel(), WorkedExample, {}), ".VECTORS 0\n\n.PATTERNS\n\n");
}

TEST(CompactedWriter, InputsAsReadAndUnsetPositionsAsX) {
    // 3 inputs, constants 0 and 1, an internal variable, 2 outputs.
    SsbddModel model = patternsModel(1, 8, 3, {0, 1}, 2);
    EXPECT_EQ(writtenFile(model, ".VECTORS 2\n.PATTERNS\nhxL\n01", {Selected, Selected}),
              ".VECTORS 2\n\n.PATTERNS\n\n1x0lhxxx\n01xlhxxx\n");
}

TEST(CompactedWriter, VectorWithoutPatternsRowIsAllX) {
    EXPECT_EQ(writtenFile(exampleModel(), ".VECTORS 3\n.TABLE\n1\n0\n1\n.PATTERNS\n10\n", {Candidate, Selected, Selected}),
              ".VECTORS 2\n\n.PATTERNS\n\nxxxxx\nxxxxx\n");
}

TEST(CompactedWriter, ConstantsAmongTheOutputsAreUpperCase) {
    // 2 inputs, constants 0 and 1, the last two variables outputs: the
    // second constant stands among the outputs.
    SsbddModel model = patternsModel(1, 5, 2, {0, 1}, 2);
    EXPECT_EQ(writtenFile(model, ".VECTORS 1\n.PATTERNS\n01\n", {Selected}), ".VECTORS 1\n\n.PATTERNS\n\n01lHx\n");
}

TEST(CompactedWriter, InputsFollowedAtOnceByOutputs) {
    SsbddModel model = patternsModel(1, 4, 2, {}, 2);
    EXPECT_EQ(writtenFile(model, ".VECTORS 1\n.PATTERNS\n10\n", {Selected}), ".VECTORS 1\n\n.PATTERNS\n\n10xx\n");
}

TEST(CompactedWriter, LongRowsAcrossTheWriteBuffer) {
    // Rows of 300,000 characters: the output runs through the writer's buffer several times.
    SsbddModel model = patternsModel(1, 300000, 1000, {1, 0}, 5);
    std::string text = ".VECTORS 8\n.PATTERNS\n";
    for (int v = 0; v < 8; ++v) {
        for (int k = 0; k < 1000; ++k) {
            text += "01x"[(v * 7 + k * 13) % 3];
        }
        text += "\n";
    }
    std::string written = writtenFile(model, text, {0, 1, 0, 0, -1, 0, 0, 0});
    EXPECT_EQ(written.size(), 23u + 6 * 300001u);
}

TEST(CompactedWriter, RoundTripGivesTheSelectedInputsAndConstantsInOrder) {
    SsbddModel model = patternsModel(3, 9, 4, {1, 0}, 2);
    ScratchDir dir;
    writeFile(dir / "in.tst", ".VECTORS 5\n.PATTERNS\n01x1\nLHlh\nxxxx\n1100\n0x0x\n.TABLE\n01X\n");
    PatternSet patterns = readQuietly(dir / "in.tst", model);
    std::vector<int32_t> state = {Selected, Discarded, Selected, Candidate, Selected};
    writeCompactedPatterns((dir / "out.tst").string(), chosenVectors(selectionOf(state)), patterns, model);

    PatternSet back = readQuietly(dir / "out.tst", model);
    EXPECT_EQ(back.vectorCount, 3u);
    EXPECT_FALSE(back.hasFaultTable);
    const uint32_t chosen[3] = {0, 2, 4};
    for (uint32_t v = 0; v < 3; ++v) {
        for (uint32_t k = 0; k < 6; ++k) {
            EXPECT_EQ(vectorValue(back, model, v, k), vectorValue(patterns, model, chosen[v], k))
                << "vector " << v << " position " << k;
        }
    }
}

TEST(CompactedWriter, ReplacesTheTargetKeepingItsPermissionBits) {
    // The set-user-ID and set-group-ID bits are not carried over.
    const std::pair<mode_t, mode_t> modes[] = {{0640, 0640}, {04755, 0755}, {02755, 0755}};
    for (auto [before, after] : modes) {
        ScratchDir dir;
        SsbddModel model = exampleModel();
        writeFile(dir / "in.tst", WorkedExample);
        PatternSet patterns = readQuietly(dir / "in.tst", model);
        fs::permissions(dir / "in.tst", fs::perms(before));
        writeCompactedPatterns((dir / "in.tst").string(), chosenVectors(selectionOf({Selected})), patterns, model);
        EXPECT_EQ(readFile(dir / "in.tst"), ".VECTORS 1\n\n.PATTERNS\n\n01hxx\n");
        EXPECT_EQ(fs::status(dir / "in.tst").permissions(), fs::perms(after)) << std::oct << before;
        EXPECT_EQ(directoryFiles(dir.path()).size(), 1u);
    }
}

TEST(CompactedWriter, NewTargetGetsTheUsualPermissions) {
    ScratchDir dir;
    SsbddModel model = exampleModel();
    mode_t previous = umask(027);
    writeCompactedPatterns((dir / "new.tst").string(), std::vector<uint32_t>{}, PatternSet{}, model);
    umask(previous);
    EXPECT_EQ(fs::status(dir / "new.tst").permissions(), fs::perms(0640));
    EXPECT_EQ(readFile(dir / "new.tst"), ".VECTORS 0\n\n.PATTERNS\n\n");
}

}  // namespace
