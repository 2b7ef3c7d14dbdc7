// Write failures of the compacted file: the run stops with status 14 and the
// message, the file that was there stays exactly as it was, and no temporary
// file is left behind. Each case is run on the writer itself and through
// the real binary.
//
// The tests run as root, for whom permission bits are not enforced: the
// directory without write permission is then tried by a process that has
// dropped to the unprivileged user 65534 (the child of a fork for the writer,
// setpriv for the binary), and skipped where that is not possible.
#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "output/compacted_writer.h"
#include "patterns_support.h"
#include "support/stdout_capture.h"

namespace {

constexpr uid_t Unprivileged = 65534;
const std::string Skipped = "skipped";

// The model of the binary runs: 2 nodes, 2 inputs, a constant of value 1, an output.
const std::string ModelFile =
    "STAT# 2, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\nVAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\nVAR# 2: (C) \"k\" =1\n"
    "VAR# 3: (O) \"y\"\nGRP# 0: =0 =2\n0: (I) (1 0) =0 \"a\"\n1: () (0 0) =1 \"b\"\n";
// As the model above for the patterns, with rows of 2000 variables: the
// compacted file is 8027 bytes.
const std::string WideModelFile = "STAT# 2, 2000, 1, 2, 0, 1\nMODE# STRUCTURAL\n";
// Four vectors, each alone detecting one fault: all four are chosen, and
// the compacted file is ".VECTORS 4", ".PATTERNS" and four rows, 43 bytes.
const std::string PatternsFile = ".VECTORS 4\n.PATTERNS\n00\n01\n10\n11\n.TABLE\n0X\n1X\nX0\nX1\n.FAULTS\n&&\n";
constexpr size_t CompactedSize = 43;

SsbddModel writerModel() { return patternsModel(2, 4, 2, {1}, 1); }

PatternSet readQuietly(const fs::path& file, const SsbddModel& model) {
    return quietly([&] { return readPatternSet(file.string(), model); });
}

// Runs the writer in a child process after `prepare` (false: the case can't
// be set up here); gives the fatal error's text, "" when none, or Skipped.
std::string writeInChild(const fs::path& target, const std::function<bool()>& prepare) {
    ScratchDir source;
    writeFile(source / "in.tst", PatternsFile);
    SsbddModel model = writerModel();
    PatternSet patterns = readQuietly(source / "in.tst", model);
    const std::vector<uint32_t> allFour = {0, 1, 2, 3};

    int channel[2];
    if (pipe(channel) != 0) {
        return "pipe failed";
    }
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string text;
        if (!prepare()) {
            text = Skipped;
        } else {
            try {
                writeCompactedPatterns(target.string(), allFour, patterns, model);
            } catch (const FatalError& error) {
                text = error.text;
            }
        }
        ssize_t ignored = write(channel[1], text.data(), text.size());
        (void)ignored;
        _exit(0);
    }
    close(channel[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<size_t>(got));
    }
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return text;
}

bool limitFileSize(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {bytes, bytes};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// As root, become the unprivileged user, for whom permissions hold.
bool dropPrivileges() {
    if (geteuid() != 0) {
        return true;
    }
    return setgroups(0, nullptr) == 0 && setgid(Unprivileged) == 0 && setuid(Unprivileged) == 0;
}

std::string failure(const fs::path& target, const std::string& message) {
    return "\nError: " + target.string() + " : " + message + "!\n";
}

// A directory the unprivileged user may enter and read but not write, in a
// scratch directory it may enter.
fs::path readOnlyDirectory(const ScratchDir& scratch) {
    fs::permissions(scratch.path(), fs::perms(0755));
    fs::path dir = scratch / "ro";
    fs::create_directory(dir);
    return dir;
}

// Gives write permission back at the end of a test, so that the scratch
// directory can be removed by a user for whom permissions hold.
struct ReopenDirectory {
    fs::path dir;
    ~ReopenDirectory() {
        std::error_code ignored;
        fs::permissions(dir, fs::perms(0755), ignored);
    }
};

void closeDirectory(const fs::path& dir) {
    for (const auto& entry : fs::directory_iterator(dir)) {
        fs::permissions(entry.path(), fs::perms(0644));
    }
    fs::permissions(dir, fs::perms(0555));
}

TEST(WriterFailures, DirectoryWithoutWritePermission) {
    ScratchDir scratch;
    fs::path dir = readOnlyDirectory(scratch);
    writeFile(dir / "d.tst", "original");
    ReopenDirectory reopen{dir};
    closeDirectory(dir);
    std::string text = writeInChild(dir / "d.tst", dropPrivileges);
    if (text == Skipped) {
        GTEST_SKIP() << "can't drop to an unprivileged user";
    }
    EXPECT_EQ(text, failure(dir / "d.tst", "Can't create file"));
    EXPECT_EQ(directoryFiles(dir), (std::map<std::string, std::string>{{"d.tst", "original"}}));
}

TEST(WriterFailures, DirectoryThatIsARegularFile) {
    ScratchDir scratch;
    writeFile(scratch / "plain", "original");
    fs::path target = scratch / "plain" / "d.tst";
    EXPECT_EQ(writeInChild(target, [] { return true; }), failure(target, "Can't create file"));
    EXPECT_EQ(directoryFiles(scratch.path()), (std::map<std::string, std::string>{{"plain", "original"}}));
}

TEST(WriterFailures, TargetThatIsADirectory) {
    ScratchDir scratch;
    fs::create_directory(scratch / "d.tst");
    writeFile(scratch / "d.tst" / "inside", "original");
    EXPECT_EQ(writeInChild(scratch / "d.tst", [] { return true; }), failure(scratch / "d.tst", "Can't write file"));
    EXPECT_EQ(directoryFiles(scratch.path()), (std::map<std::string, std::string>{{"d.tst/", ""}}));
    EXPECT_EQ(directoryFiles(scratch / "d.tst"), (std::map<std::string, std::string>{{"inside", "original"}}));
}

TEST(WriterFailures, FileSizeLimitReachedInTheMiddle) {
    for (rlim_t limit : {rlim_t{0}, rlim_t{10}, rlim_t{CompactedSize - 1}}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        ScratchDir scratch;
        writeFile(scratch / "d.tst", "original");
        EXPECT_EQ(writeInChild(scratch / "d.tst", [limit] { return limitFileSize(limit); }),
                  failure(scratch / "d.tst", "Can't write file"));
        EXPECT_EQ(directoryFiles(scratch.path()), (std::map<std::string, std::string>{{"d.tst", "original"}}));
    }
    ScratchDir scratch;
    EXPECT_EQ(writeInChild(scratch / "d.tst", [] { return limitFileSize(CompactedSize); }), "") << "exactly enough";
    EXPECT_EQ(fs::file_size(scratch / "d.tst"), CompactedSize);
}

// The binary on the design "d" in `dir`.
BinaryResult runDesign(const fs::path& dir, std::vector<std::string> args) {
    RunRequest request;
    request.workDir = dir;
    request.args = std::move(args);
    return runBinary(request);
}

TEST(WriterFailuresOfARun, CompleteRunReplacesTheFileKeepingItsPermissions) {
    ScratchDir scratch;
    writeFile(scratch / "d.agm", ModelFile);
    writeFile(scratch / "d.tst", PatternsFile);
    fs::permissions(scratch / "d.tst", fs::perms(0604));
    BinaryResult result = runDesign(scratch.path(), {"d"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(scratch / "d.tst"), ".VECTORS 4\n\n.PATTERNS\n\n00hx\n01hx\n10hx\n11hx\n");
    EXPECT_EQ(fs::status(scratch / "d.tst").permissions(), fs::perms(0604));
    EXPECT_EQ(directoryFiles(scratch.path()).size(), 2u);
}

TEST(WriterFailuresOfARun, FileSizeLimitReachedInTheMiddle) {
    // SIGXFSZ ignored, and with its default action, which would kill the process.
    for (bool ignoreSignal : {true, false}) {
        SCOPED_TRACE(ignoreSignal ? "SIGXFSZ ignored" : "SIGXFSZ default");
        ScratchDir scratch;
        writeFile(scratch / "d.agm", WideModelFile);
        writeFile(scratch / "d.tst", PatternsFile);
        RunRequest request;
        request.workDir = scratch.path();
        request.args = {"d"};
        // Room for standard output and error, not for the compacted file.
        request.fileSizeLimit = 4096;
        request.ignoreFileSizeSignal = ignoreSignal;
        BinaryResult result = runBinary(request);
        EXPECT_EQ(result.status, 14);
        EXPECT_EQ(result.err, "\nError: d.tst : Can't write file!\n");
        EXPECT_EQ(directoryFiles(scratch.path()),
                  (std::map<std::string, std::string>{{"d.agm", WideModelFile}, {"d.tst", PatternsFile}}));
    }
}

TEST(WriterFailuresOfARun, TargetThatIsADirectory) {
    ScratchDir scratch;
    writeFile(scratch / "d.agm", ModelFile);
    writeFile(scratch / "d.src", PatternsFile);
    fs::create_directory(scratch / "d.tst");
    BinaryResult result = runDesign(scratch.path(), {"-extension", "src", "d"});
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.err, "\nError: d.tst : Can't write file!\n");
    EXPECT_EQ(directoryFiles(scratch.path()),
              (std::map<std::string, std::string>{{"d.agm", ModelFile}, {"d.src", PatternsFile}, {"d.tst/", ""}}));
    EXPECT_TRUE(fs::is_empty(scratch / "d.tst"));
}

TEST(WriterFailuresOfARun, DirectoryWithoutWritePermission) {
    ScratchDir scratch;
    fs::path dir = readOnlyDirectory(scratch);
    writeFile(dir / "d.agm", ModelFile);
    writeFile(dir / "d.tst", PatternsFile);
    ReopenDirectory reopen{dir};
    closeDirectory(dir);
    RunRequest request;
    request.workDir = dir;
    if (geteuid() == 0) {
        const char* setpriv = "/usr/bin/setpriv";
        if (access(setpriv, X_OK) != 0) {
            GTEST_SKIP() << "no setpriv to drop to an unprivileged user";
        }
        request.binary = setpriv;
        request.args = {"--reuid=65534", "--regid=65534", "--clear-groups", TVCOMPACT_BINARY, "d"};
    } else {
        request.args = {"d"};
    }
    BinaryResult result = runBinary(request);
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.err, "\nError: d.tst : Can't create file!\n");
    EXPECT_EQ(directoryFiles(dir), (std::map<std::string, std::string>{{"d.agm", ModelFile}, {"d.tst", PatternsFile}}));
}

}  // namespace
