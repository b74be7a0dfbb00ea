// --version on every program: the version set once in CMake and, from a git
// checkout, the commit, on one line of standard output.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/ChildProcess.h"

namespace {
class ProgramVersion : public testing::TestWithParam<const char*> {};

TEST_P(ProgramVersion, IsTheProjectsVersionAndCommitOnOneLine) {
    const std::string program = GetParam();
    ChildOptions options;
    options.timeoutSeconds = 30.0;
    // No window may open for it.
    options.environment = {"DISPLAY=:orvane-no-such-display"};
    const ChildResult result = runChild({ORVANE_BINARY_DIR "/" + program, "--version"}, options);
    ASSERT_EQ(result.exitStatus, 0) << result.describe() << "\n" << result.err;
    EXPECT_EQ(result.err, "");
    const std::regex line(program + " " ORVANE_VERSION "( \\(commit [0-9a-f]{12}( with local changes)?\\))?\n");
    EXPECT_TRUE(std::regex_match(result.out, line)) << result.out;
    if (std::filesystem::exists(ORVANE_SOURCE_DIR "/.git")) {
        EXPECT_NE(result.out.find("(commit "), std::string::npos) << result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, ProgramVersion,
                         testing::Values("orvane", "orvane-sim", "orvane-capture", "orvane-soakgen",
                                         "orvane-imagegen"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });
}  // namespace
