// Reading ahead with a second thread: the same pattern set and the same
// errors as reading in place, on large files, early errors, failing reads,
// and pipes (which are never read ahead).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <thread>

#include "patterns/block_input.h"
#include "patterns_support.h"
#include "base/cpu_count.h"
#include "support/cpu_tiers.h"

namespace {

constexpr uint32_t Nodes = 700;
constexpr uint32_t Vectors = 12000;

SsbddModel aheadModel() { return patternsModel(Nodes, 12, 8, {1}, 2); }

// About 8.6 MB: beyond two blocks of the default size, so read ahead by default.
std::string largeFile() {
    std::string text = ".VECTORS " + std::to_string(Vectors) + "\n.PATTERNS\n";
    for (uint32_t v = 0; v < Vectors; ++v) {
        for (uint32_t k = 0; k < 8; ++k) {
            text += "01x"[(v * 7 + k * 3) % 3];
        }
        text += "h\n";
    }
    text += ".TABLE\n";
    for (uint32_t v = 0; v < Vectors; ++v) {
        std::string row(Nodes, 'X');
        for (uint32_t node = v % 11; node < Nodes; node += 5 + v % 7) {
            row[node] = "01x"[(node + v) % 3];
        }
        text += row + "\n";
    }
    return text + ".FAULTS\n" + std::string(Nodes, '&') + "\n";
}

ReadOutcome readWith(const fs::path& file, const SsbddModel& model, size_t blockSize, ReadAheadUse use) {
    return readFast(file, model, blockSize, Vectors, use);
}

TEST(PatternsReadAhead, LargeFileReadsAlikeEveryWay) {
    ScratchDir dir;
    fs::path file = dir / "large.tst";
    writeFile(file, largeFile());
    ASSERT_GE(fs::file_size(file), ReadAheadMinimumBlocks * DefaultBlockSize);
    SsbddModel model = aheadModel();
    std::string reference = readBaseline(file, model, Vectors).result;
    ASSERT_EQ(reference.rfind("count 12000 table", 0), 0u);
    EXPECT_EQ(readFast(file, model, 0, Vectors).result, reference) << "default";
    for (size_t blockSize : {size_t{4096}, size_t{65537}, DefaultBlockSize}) {
        EXPECT_EQ(readWith(file, model, blockSize, ReadAheadUse::Never).result, reference) << blockSize;
        EXPECT_EQ(readWith(file, model, blockSize, ReadAheadUse::Always).result, reference) << blockSize;
    }
}

TEST(PatternsReadAhead, EarlyErrorStopsTheReadingThread) {
    ScratchDir dir;
    fs::path file = dir / "bad.tst";
    std::string text = largeFile();
    text[text.find(".PATTERNS\n") + 10] = '?';
    writeFile(file, text);
    SsbddModel model = aheadModel();
    const std::string expected = "error:\nError at line 3: Unknown symbol in patterns file!\n";
    for (int run = 0; run < 20; ++run) {
        ASSERT_EQ(readWith(file, model, 0, ReadAheadUse::Automatic).result, expected);
        ASSERT_EQ(readWith(file, model, 512, ReadAheadUse::Always).result, expected);
    }
}

TEST(PatternsReadAhead, FailingReadIsReportedEitherWay) {
    // Reading a process's memory from offset 0 fails: nothing is mapped there.
    const std::string path = "/proc/self/mem";
    const std::string expected = "error:\nError: /proc/self/mem : Can't read file!\n";
    SsbddModel model = aheadModel();
    for (ReadAheadUse use : {ReadAheadUse::Never, ReadAheadUse::Always}) {
        ReadOutcome outcome = readWith(path, model, 4096, use);
        EXPECT_EQ(outcome.result, expected);
    }
}

TEST(PatternsReadAhead, PipeIsReadInPlace) {
    ScratchDir dir;
    fs::path fifo = dir / "piped.tst";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string text = largeFile();
    std::thread writer([&] {
        FILE* out = std::fopen(fifo.c_str(), "w");
        ASSERT_NE(out, nullptr);
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    });
    SsbddModel model = aheadModel();
    std::string piped = readFast(fifo, model, 0, Vectors).result;
    writer.join();
    fs::remove(fifo);
    writeFile(dir / "plain.tst", text);
    EXPECT_EQ(piped, readBaseline(dir / "plain.tst", model, Vectors).result);
}

// The reading thread follows the CPUs the process may run on, not those the
// machine has: with one of them, a large file is read in place.
TEST(PatternsReadAhead, OneUsableCpuReadsInPlace) {
    ScratchDir dir;
    fs::path file = dir / "large.tst";
    writeFile(file, largeFile());
    {
        BlockInput input;
        ASSERT_TRUE(openBlockInput(input, file.string(), FileSizedBlocks));
        EXPECT_EQ(input.readAhead != nullptr, usableCpuCount() > 1);
    }
    OneCpuOnly oneCpu;
    BlockInput input;
    ASSERT_TRUE(openBlockInput(input, file.string(), FileSizedBlocks));
    EXPECT_EQ(input.readAhead, nullptr);
}

}  // namespace
