// Option scanning and file names, through the public parser.
#include <gtest/gtest.h>

#include "base/fatal_error.h"
#include "driver/file_names.h"
#include "driver/options.h"
#include "support/tool_run.h"

namespace {

RunOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tvcompact");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

std::string parseError(std::vector<const char*> args) {
    try {
        parse(std::move(args));
    } catch (const FatalError& error) {
        return error.text;
    }
    return "no error raised";
}

TEST(OptionScan, DefaultsWithTheDesignNameAlone) {
    RunOptions options = parse({"adder"});
    EXPECT_FALSE(options.selection.faultCoverActive);
    EXPECT_EQ(options.selection.faultCoverPercent, 0u);
    EXPECT_TRUE(options.selection.seedWithEssentialVectors);
    EXPECT_FALSE(options.patternsExtension.has_value());
    EXPECT_EQ(options.designName, "adder");
}

TEST(OptionScan, SetsEveryOptionAndIgnoresTheRest) {
    RunOptions options = parse({"-fault_cover", "90", "-verbose", "-no_unique_vectors", "x", "adder"});
    EXPECT_TRUE(options.selection.faultCoverActive);
    EXPECT_EQ(options.selection.faultCoverPercent, 90u);
    EXPECT_FALSE(options.selection.seedWithEssentialVectors);
    EXPECT_EQ(options.designName, "adder");
}

TEST(OptionScan, ExaminesValueArgumentsAgain) {
    RunOptions options = parse({"-extension", "-no_unique_vectors", "adder"});
    EXPECT_EQ(options.patternsExtension, "-no_unique_vectors");
    EXPECT_FALSE(options.selection.seedWithEssentialVectors);
}

TEST(OptionScan, LaterOccurrenceWins) {
    EXPECT_EQ(parse({"-fault_cover", "50", "-fault_cover", "70", "adder"}).selection.faultCoverPercent, 70u);
    RunOptions options = parse({"-extension", "a", "-extension", "b", "adder"});
    EXPECT_EQ(options.patternsExtension, "b");
    EXPECT_EQ(options.designName, "adder");
}

// Help and the version are answered wherever they stand and whatever else
// the line holds, a count the usage rejects too; a path that only ends in
// the option's name is a design.
TEST(OptionScan, HelpAndVersionAnywhere) {
    for (const char* help : {"--help", "-help", "-h"}) {
        EXPECT_TRUE(parse({help}).showHelp) << help;
        EXPECT_TRUE(parse({"-extension", help, "adder"}).showHelp) << help;
        EXPECT_TRUE(parse({"a", "b", "c", "d", "e", "f", "g", help}).showHelp) << help;
    }
    EXPECT_TRUE(parse({"--version"}).showVersion);
    EXPECT_TRUE(parse({"-minimize", "--version", "adder"}).showVersion);
    RunOptions design = parse({"./--help"});
    EXPECT_FALSE(design.showHelp || design.showVersion);
    EXPECT_EQ(design.designName, "./--help");
    EXPECT_EQ(parse({"-report", "out/r", "adder"}).reportPrefix, "out/r");
    EXPECT_EQ(parseError({"adder", "-report"}), "\nError: Missing value for option -report!\n");
}

// The version the build sets, on standard output and in the manual page.
TEST(OptionScan, VersionIsTheBuildsOwn) {
    ScratchDir dir;
    RunRequest request;
    request.workDir = dir.path();
    request.args = {"--version"};
    BinaryResult result = runBinary(request);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, std::string("tvcompact ") + TVCOMPACT_PROJECT_VERSION + "\n");
    std::string manual = readFile(fs::path(TVCOMPACT_SOURCE_DIR) / "doc" / "tvcompact.1");
    EXPECT_NE(manual.find(std::string("\"tvcompact ") + TVCOMPACT_PROJECT_VERSION + "\""), std::string::npos);
}

TEST(OptionScan, ComparesWholeNamesCaseSensitively) {
    RunOptions options = parse({"-Fault_cover", "-no_unique", "-extensions", "a", "-fault_cover90", "adder"});
    EXPECT_FALSE(options.selection.faultCoverActive);
    EXPECT_TRUE(options.selection.seedWithEssentialVectors);
    EXPECT_FALSE(options.patternsExtension.has_value());
}

TEST(OptionScan, ADesignNameEqualToAnOptionSetsIt) {
    RunOptions options = parse({"-no_unique_vectors"});
    EXPECT_FALSE(options.selection.seedWithEssentialVectors);
    EXPECT_EQ(options.designName, "-no_unique_vectors");
}

TEST(OptionScan, ConvertsThePercentageLikeTheDecimalConversion) {
    EXPECT_EQ(parse({"-fault_cover", " \t+95%", "d"}).selection.faultCoverPercent, 95u);
    EXPECT_EQ(parse({"-fault_cover", "abc", "d"}).selection.faultCoverPercent, 0u);
    EXPECT_EQ(parse({"-fault_cover", "", "d"}).selection.faultCoverPercent, 0u);
    EXPECT_EQ(parse({"-fault_cover", "007", "d"}).selection.faultCoverPercent, 7u);
    EXPECT_EQ(parse({"-fault_cover", "4294967295", "d"}).selection.faultCoverPercent, 4294967295u);
    EXPECT_EQ(parse({"-fault_cover", "99999999999999999999999", "d"}).selection.faultCoverPercent, 4294967295u);
    EXPECT_TRUE(parse({"-fault_cover", "abc", "d"}).selection.faultCoverActive);
}

TEST(OptionScan, RejectsANegativePercentage) {
    const char* expected = "\nError: Fault coverage percentage must not be negative!\n";
    EXPECT_EQ(parseError({"-fault_cover", "-1", "d"}), expected);
    EXPECT_EQ(parseError({"-fault_cover", " \n-0", "d"}), expected);
    EXPECT_EQ(parse({"-fault_cover", "+-1", "d"}).selection.faultCoverPercent, 0u);
}

TEST(OptionScan, ReportsAValueOptionWithoutValue) {
    EXPECT_EQ(parseError({"-fault_cover"}), "\nError: Missing value for option -fault_cover!\n");
    EXPECT_EQ(parseError({"d", "-extension"}), "\nError: Missing value for option -extension!\n");
}

TEST(OptionScan, ChecksTheArgumentCount) {
    std::string usage = std::string("\nError: ") + UsageText + "!\n";
    EXPECT_EQ(parseError({}), usage);
    EXPECT_EQ(parseError({"1", "2", "3", "4", "5", "6", "7", "8"}), usage);
    EXPECT_EQ(parse({"1", "2", "3", "4", "5", "6", "d"}).designName, "d");
    RunOptions later =
        parse({"1", "2", "3", "4", "5", "6", "-output", "o", "-keep_table", "-order", "coverage", "-diagnostic", "d"});
    EXPECT_EQ(later.outputFile, "o");
    EXPECT_TRUE(later.selection.diagnostic);
    EXPECT_TRUE(later.keepTable);
    EXPECT_TRUE(later.selection.coverageOrder);
    EXPECT_EQ(later.designName, "d");
}

TEST(FileNames, FollowTheDesignAndTheExtension) {
    RunFileNames plain = buildFileNames(parse({"dir/adder"}));
    EXPECT_EQ(plain.modelFile, "dir/adder.agm");
    EXPECT_EQ(plain.patternsFile, "dir/adder.tst");
    EXPECT_EQ(plain.compactedFile, "dir/adder.tst");
    RunFileNames extended = buildFileNames(parse({"-extension", "pat", "adder"}));
    EXPECT_EQ(extended.patternsFile, "adder.pat");
    EXPECT_EQ(extended.compactedFile, "adder.tst");
}

TEST(FileNames, MustFitTheNameBuffer) {
    std::string fits(95, 'd');
    EXPECT_EQ(buildFileNames(parse({fits.c_str()})).modelFile, fits + ".agm");
    std::string tooLong(96, 'd');
    try {
        buildFileNames(parse({tooLong.c_str()}));
        FAIL();
    } catch (const FatalError& error) {
        EXPECT_EQ(error.text, "\nError: " + tooLong + " : File name too long!\n");
    }
    // The extension counts only for the patterns file that is read.
    EXPECT_NO_THROW(buildFileNames(parse({"-extension", "abc", fits.c_str()})));
    EXPECT_THROW(buildFileNames(parse({"-extension", "abcd", fits.c_str()})), FatalError);
    std::string shortName(10, 'd');
    std::string longExtension(88, 'e');
    EXPECT_NO_THROW(buildFileNames(parse({"-extension", longExtension.c_str(), shortName.c_str()})));
    longExtension += 'e';
    EXPECT_THROW(buildFileNames(parse({"-extension", longExtension.c_str(), shortName.c_str()})),
                 FatalError);
}

}  // namespace
