// Every fatal message in the tool's sources is shown by at least one
// end-to-end case under tests/cases, in its exact form on standard error and
// with status 14, so that no message is left without a run of the binary
// that produces it.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "driver/options.h"
#include "support/tool_run.h"

namespace {

struct CaseOutcome {
    std::string name;
    std::string err;
    std::string status;
};

std::vector<CaseOutcome> caseOutcomes() {
    std::vector<CaseOutcome> cases;
    for (const auto& entry : fs::directory_iterator(TVCOMPACT_CASES_DIR)) {
        fs::path expected = entry.path() / "expected";
        if (entry.is_directory() && fs::exists(expected / "stderr")) {
            cases.push_back({entry.path().filename().string(), readFile(expected / "stderr"),
                             readFile(expected / "status")});
        }
    }
    return cases;
}

// Whether `err` is exactly one report of `message`, in any of its forms:
// with or without a line, with or without a path.
bool reports(const std::string& err, const std::string& message) {
    const std::string tail = message + "!\n";
    if (err.size() < tail.size() || err.compare(err.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    std::string head = err.substr(0, err.size() - tail.size());
    return head == "\nError: " || (head.rfind("\nError", 0) == 0 && head.size() >= 3 &&
                                   (head.compare(head.size() - 2, 2, ": ") == 0));
}

// The message texts that the tool's sources pass to the fatal reporters:
// the first string literal of every fatalError and fatalFileError call, so a
// new message joins the list by being written.
std::set<std::string> messagesInTheSources() {
    std::set<std::string> messages;
    const std::regex call(R"(fatal(?:File)?Error\(([^;]*))");
    const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(TVCOMPACT_SOURCE_DIR) / "src")) {
        if (!entry.is_regular_file() || entry.path().extension() != ".cpp") {
            continue;
        }
        std::string text = readFile(entry.path());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator(); ++it) {
            std::smatch found;
            std::string arguments = (*it)[1].str();
            if (std::regex_search(arguments, found, literal)) {
                messages.insert(found[1].str());
            }
        }
    }
    return messages;
}

// Messages whose conditions a case folder cannot set up (a failing read or
// write, a directory without write permission), each shown by the suite named.
const std::set<std::string> ShownElsewhere = {
    "Can't read file",    // patterns_read_ahead_test: a read of /proc/self/mem
    "Can't write file",   // writer_failures_test, hardening_write_kill_test: a full disk, a size limit
    "Can't create file",  // writer_failures_test: a directory without write permission
};

TEST(FatalMessages, EachHasAnEndToEndCase) {
    std::set<std::string> messages = messagesInTheSources();
    ASSERT_GE(messages.size(), 15u) << "the sources were not found or not read";
    messages.insert(UsageText);
    std::vector<CaseOutcome> cases = caseOutcomes();
    for (const std::string& message : messages) {
        if (ShownElsewhere.count(message) != 0) {
            continue;
        }
        bool shown = false;
        for (const CaseOutcome& c : cases) {
            // A message built from a literal and more text shows as its beginning.
            bool prefix = message.back() == ' ' && c.err.find(message) != std::string::npos;
            if (prefix || reports(c.err, message)) {
                EXPECT_EQ(c.status, "14\n") << c.name;
                shown = true;
            }
        }
        EXPECT_TRUE(shown) << "no case under tests/cases shows: " << message;
    }
    for (const std::string& message : ShownElsewhere) {
        EXPECT_EQ(messages.count(message), 1u) << "no longer in the sources: " << message;
    }
}

}  // namespace
