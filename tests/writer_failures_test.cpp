// Write failures of the compacted file: the run stops with status 14 and the
// message, the file that was there stays exactly as it was, and no temporary
// file is left behind. The file-size limit has a suite of its own
// (hardening_write_kill_test).
//
// The tests run as root, for whom permission bits are not enforced: the
// directory without write permission is then tried through setpriv, as the
// unprivileged user 65534.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "output/compacted_writer.h"
#include "patterns_support.h"

namespace {

// The model of the runs: 2 nodes, 2 inputs, a constant of value 1, an output.
const std::string ModelFile =
    "STAT# 2, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\nVAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\nVAR# 2: (C) \"k\" =1\n"
    "VAR# 3: (O) \"y\"\nGRP# 0: =0 =2\n0: (I) (1 0) =0 \"a\"\n1: () (0 0) =1 \"b\"\n";
// Four vectors, each alone detecting one fault: all four are chosen.
const std::string PatternsFile = ".VECTORS 4\n.PATTERNS\n00\n01\n10\n11\n.TABLE\n0X\n1X\nX0\nX1\n.FAULTS\n&&\n";

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

// A target whose directory is a regular file: the run cannot get there (its
// model would be there too), so the writer is called itself.
TEST(WriterFailures, DirectoryThatIsARegularFile) {
    ScratchDir scratch;
    writeFile(scratch / "in.tst", PatternsFile);
    SsbddModel model = patternsModel(2, 4, 2, {1}, 1);
    PatternSet patterns = readPatternSet((scratch / "in.tst").string(), model);
    writeFile(scratch / "plain", "original");
    fs::path target = scratch / "plain" / "d.tst";
    std::string text;
    try {
        writeCompactedPatterns(target.string(), {0, 1, 2, 3}, patterns, model);
    } catch (const FatalError& error) {
        text = error.text;
    }
    EXPECT_EQ(text, failure(target, "Can't create file"));
    EXPECT_EQ(readFile(scratch / "plain"), "original");
    EXPECT_EQ(directoryFiles(scratch.path()).size(), 2u);
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

// Each report file that cannot be put in place stops the run with its name,
// and no file is replaced: the patterns file stays, no report is left.
TEST(WriterFailuresOfARun, ReportFileThatIsADirectory) {
    const std::string names[] = {"r.faults.csv", "r.vectors.csv", "r.coverage.svg"};
    for (size_t failing = 0; failing < 3; ++failing) {
        SCOPED_TRACE(names[failing]);
        ScratchDir scratch;
        writeFile(scratch / "d.agm", ModelFile);
        writeFile(scratch / "d.tst", PatternsFile);
        fs::create_directory(scratch / names[failing]);
        BinaryResult result = runDesign(scratch.path(), {"-report", "r", "d"});
        EXPECT_EQ(result.status, 14);
        EXPECT_EQ(result.err, "\nError: " + names[failing] + " : Can't write file!\n");
        EXPECT_EQ(directoryFiles(scratch.path()),
                  (std::map<std::string, std::string>{
                      {"d.agm", ModelFile}, {"d.tst", PatternsFile}, {names[failing] + "/", ""}}));
    }
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

namespace {

// A report that outgrows a file-size limit the compacted file fits: nothing
// is replaced, no temporary file is left.
TEST(WriterFailuresOfARun, ReportBeyondTheFileSizeLimitReplacesNothing) {
    constexpr int Nodes = 50000;
    const std::string model = "STAT# " + std::to_string(Nodes) + ", 4, 1, 2, 0, 1\nMODE# STRUCTURAL\n";
    const std::string patterns =
        ".VECTORS 1\n.PATTERNS\n01\n.TABLE\n" + std::string(Nodes - 1, 'X') + "0\n.FAULTS\n&\n";
    ScratchDir scratch;
    writeFile(scratch / "d.agm", model);
    writeFile(scratch / "d.tst", patterns);
    RunRequest request;
    request.workDir = scratch.path();
    request.args = {"-report", "r", "d"};
    request.fileSizeLimit = 1UL << 20;
    BinaryResult result = runBinary(request);
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.err, "\nError: r.faults.csv : Can't write file!\n");
    EXPECT_EQ(directoryFiles(scratch.path()),
              (std::map<std::string, std::string>{{"d.agm", model}, {"d.tst", patterns}}));
}

// A prefix or file that ends in a directory is refused before anything is
// written; the longest names the file system takes are written, although
// their temporary names would be longer.
TEST(WriterFailuresOfARun, NamesThatEndInADirectoryAndTheLongestNames) {
    const std::map<std::string, std::string> inputs = {{"d.agm", ModelFile}, {"d.tst", PatternsFile}};
    for (std::string option : {"-report", "-output"}) {
        for (std::string value : {"", "dir/", ".", "/", "..", "a/.."}) {
            SCOPED_TRACE(option + " '" + value + "'");
            ScratchDir scratch;
            fs::create_directory(scratch / "dir");
            for (const auto& [name, content] : inputs) {
                writeFile(scratch / name, content);
            }
            BinaryResult result = runDesign(scratch.path(), {option, value, "d"});
            EXPECT_EQ(result.status, 14);
            EXPECT_EQ(result.err, "\nError: Value of option " + option +
                                      " must end in a file name, not in a directory!\n");
            std::map<std::string, std::string> left = inputs;
            left["dir/"] = "";
            EXPECT_EQ(directoryFiles(scratch.path()), left);
            EXPECT_TRUE(fs::is_empty(scratch / "dir"));
        }
    }
    ScratchDir scratch;
    for (const auto& [name, content] : inputs) {
        writeFile(scratch / name, content);
    }
    const std::string prefix(255 - std::string(".coverage.svg").size(), 'p');
    const std::string output(255, 'o');
    BinaryResult result = runDesign(scratch.path(), {"-report", prefix, "-output", output, "d"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::map<std::string, std::string> left = directoryFiles(scratch.path());
    EXPECT_EQ(left.size(), 6u);
    EXPECT_EQ(left["d.tst"], PatternsFile);
    EXPECT_EQ(left[output], ".VECTORS 4\n\n.PATTERNS\n\n00hx\n01hx\n10hx\n11hx\n");
    for (const char* suffix : {".faults.csv", ".vectors.csv", ".coverage.svg"}) {
        EXPECT_EQ(left.count(prefix + suffix), 1u) << suffix;
    }
}

// Two runs at once writing the same files never leave some of one run's
// files beside some of the other's.
TEST(WriterFailuresOfARun, TwoRunsAtOnceNeverMixTheirFiles) {
    ScratchDir scratch;
    const fs::path c17 = fs::path(TVCOMPACT_SOURCE_DIR) / "examples" / "c17";
    fs::copy_file(c17 / "c17.agm", scratch / "c17.agm");
    fs::copy_file(c17 / "c17.tst", scratch / "c17.tst");
    const std::vector<std::string> args[] = {{"-output", "out.tst", "-report", "r", "c17"},
                                             {"-order", "coverage", "-output", "out.tst", "-report", "r", "c17"}};
    std::map<std::string, std::string> alone[2];
    for (int k = 0; k < 2; ++k) {
        ASSERT_EQ(runDesign(scratch.path(), args[k]).status, 0);
        alone[k] = directoryFiles(scratch.path());
    }
    ASSERT_NE(alone[0], alone[1]);
    for (int round = 0; round < 60; ++round) {
        BinaryResult first;
        std::thread other([&] { first = runDesign(scratch.path(), args[0]); });
        BinaryResult second = runDesign(scratch.path(), args[1]);
        other.join();
        ASSERT_EQ(first.status + second.status, 0) << first.err << second.err;
        std::map<std::string, std::string> files = directoryFiles(scratch.path());
        EXPECT_TRUE(files == alone[0] || files == alone[1]) << "round " << round;
    }
}

// The model file can't be written over, under its own name or a link's.
TEST(WriterFailuresOfARun, WrittenFilesThatAreTheModelFile) {
    ScratchDir scratch;
    writeFile(scratch / "d.agm", ModelFile);
    writeFile(scratch / "d.tst", PatternsFile);
    fs::create_hard_link(scratch / "d.agm", scratch / "r.faults.csv");
    fs::create_symlink("d.agm", scratch / "model.link");
    const std::map<std::string, std::string> inputs = directoryFiles(scratch.path());
    for (const auto& [args, name] : {std::pair{std::vector<std::string>{"-output", "d.agm", "d"}, "d.agm"},
                                     std::pair{std::vector<std::string>{"-output", "model.link", "d"}, "model.link"},
                                     std::pair{std::vector<std::string>{"-report", "r", "d"}, "r.faults.csv"}}) {
        SCOPED_TRACE(name);
        BinaryResult result = runDesign(scratch.path(), args);
        EXPECT_EQ(result.status, 14);
        EXPECT_EQ(result.err, std::string("\nError: ") + name + " : Can't write over an input file!\n");
        EXPECT_EQ(directoryFiles(scratch.path()), inputs);
    }
}

// A report is a new file: the running user's, with the mode the umask
// leaves, whatever file was at its name. The compacted file takes nothing
// through a symbolic link.
TEST(WriterFailuresOfARun, NewFilesTakeTheUmaskAndTheRunningUser) {
    ScratchDir scratch;
    writeFile(scratch / "d.agm", ModelFile);
    writeFile(scratch / "target.tst", PatternsFile);
    fs::permissions(scratch / "target.tst", fs::perms(0640));
    fs::create_symlink("target.tst", scratch / "d.tst");
    writeFile(scratch / "r.faults.csv", "planted");
    fs::permissions(scratch / "r.faults.csv", fs::perms(0666));
    bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown((scratch / "r.faults.csv").c_str(), 65534, 65534), 0);
    }
    RunRequest request;
    request.workDir = scratch.path();
    request.binary = "/bin/sh";
    request.args = {"-c", std::string("umask 077 && exec ") + TVCOMPACT_BINARY + " -report r d"};
    BinaryResult result = runBinary(request);
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* name : {"d.tst", "r.faults.csv", "r.vectors.csv", "r.coverage.svg"}) {
        struct stat written {};
        ASSERT_EQ(lstat((scratch / name).c_str(), &written), 0) << name;
        EXPECT_TRUE(S_ISREG(written.st_mode)) << name;
        EXPECT_EQ(written.st_mode & 07777, 0600u) << name;
        EXPECT_EQ(written.st_uid, geteuid()) << name;
    }
    EXPECT_EQ(readFile(scratch / "target.tst"), PatternsFile);
    EXPECT_EQ(fs::status(scratch / "target.tst").permissions(), fs::perms(0640));
}

}  // namespace
