// What Save session, Save set-up and Save data write in the working
// directory, and what they say when they cannot.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/SavedFiles.h"
#include "tests/support/TempDirectory.h"

namespace {
// Runs in `folder` until it goes out of scope.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(before_); }

private:
    std::filesystem::path before_;
};

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
}  // namespace

TEST(SavedFiles, NamedByKindAndLocalTime) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_hour = 4;
    when.tm_min = 5;
    when.tm_sec = 9;
    when.tm_isdst = -1;
    EXPECT_EQ(savedFileName("session", "txt", std::mktime(&when)), "orvane-session-20261208-040509.txt");
    EXPECT_EQ(savedFileName("data", "csv", std::mktime(&when)), "orvane-data-20261208-040509.csv");
}

TEST(SavedFiles, WrittenInTheWorkingDirectoryAndNeverOverAnother) {
    TempDirectory folder;
    ASSERT_TRUE(folder.valid());
    const InFolder inside(folder.path());
    const std::string where = std::filesystem::current_path().string() + "/orvane-session-1.txt";
    EXPECT_EQ(saveInWorkingDirectory("orvane-session-1.txt", "0 restart\n"), "saved " + where);
    EXPECT_EQ(contentsOf(where), "0 restart\n");
    const std::string again = saveInWorkingDirectory("orvane-session-1.txt", "other\n");
    EXPECT_EQ(again, "cannot save " + where + ": File exists");
    EXPECT_EQ(contentsOf(where), "0 restart\n");
}

// A working directory that is gone (as good as unwritable, also for root):
// a clear message, and nothing else changes.
TEST(SavedFiles, AFolderThatCannotTakeItSaysWhy) {
    TempDirectory folder;
    ASSERT_TRUE(folder.valid());
    const std::string gone = folder.path() + "/gone";
    std::filesystem::create_directory(gone);
    const InFolder inside(gone);
    std::filesystem::remove(gone);
    const std::string said = saveInWorkingDirectory("orvane-data-1.csv", "step\n");
    EXPECT_EQ(said.rfind("cannot save ", 0), 0u) << said;
    EXPECT_NE(said.find("orvane-data-1.csv: No such file or directory"), std::string::npos) << said;
}
