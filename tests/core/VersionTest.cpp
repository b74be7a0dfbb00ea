// --version on every program: the version set once in CMake and, from a git
// checkout, the commit, on one line of standard output.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "tests/support/ChildProcess.h"

namespace {
// "PROGRAM VERSION\n", or with " (commit HASH)" or " (commit HASH with
// local changes)" before the line end, HASH being 12 hexadecimal digits.
bool isVersionLine(const std::string& text, const std::string& program) {
    const std::string start = program + " " ORVANE_VERSION;
    if (text.compare(0, start.size(), start) != 0) return false;
    std::string rest = text.substr(start.size());
    if (rest == "\n") return true;
    const std::string commit = " (commit ";
    if (rest.compare(0, commit.size(), commit) != 0 || rest.size() < commit.size() + 12) return false;
    for (std::size_t i = commit.size(); i < commit.size() + 12; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(rest[i])) || std::isupper(static_cast<unsigned char>(rest[i])))
            return false;
    rest = rest.substr(commit.size() + 12);
    return rest == ")\n" || rest == " with local changes)\n";
}

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
    EXPECT_TRUE(isVersionLine(result.out, program)) << result.out;
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
