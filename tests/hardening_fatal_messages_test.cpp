// Every fatal message of the tool is shown by at least one end-to-end case
// under tests/cases, in its exact form on standard error and with status 14,
// so that no message is left without a run of the binary that produces it.
#include <gtest/gtest.h>

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

TEST(FatalMessages, EachHasAnEndToEndCase) {
    const std::string messages[] = {
        UsageText,
        "Out of memory",
        "Can't open DD-model file",
        "Line too long",
        "Unknown MODE# specification",
        "Corrupt DD-model file",
        "Can't open file",
        "Unknown keyword",
        "Unknown symbol in patterns file",
        "Constant variable expected",
        "Line of table too long",
        "FAULTS section too long",
        "No fault simulation data found. Please use the tvgrade command",
    };
    std::vector<CaseOutcome> cases = caseOutcomes();
    for (const std::string& message : messages) {
        bool shown = false;
        for (const CaseOutcome& c : cases) {
            if (reports(c.err, message)) {
                EXPECT_EQ(c.status, "14\n") << c.name;
                shown = true;
            }
        }
        EXPECT_TRUE(shown) << "no case under tests/cases shows: " << message;
    }
}

}  // namespace
