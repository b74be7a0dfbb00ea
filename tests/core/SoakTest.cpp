// A shortened soak: a seeded random script replayed headless for many idle
// calls keeps every printed value finite and the memory flat.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/soak/SoakScript.h"

extern char** environ;

namespace {
struct RunResult {
    int status = -1;
    long peakKilobytes = 0;
    std::string out;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult runSim(const std::vector<std::string>& args, const std::string& outPath) {
    std::vector<char*> argv;
    const std::string program = std::string(ORVANE_BINARY_DIR) + "/orvane-sim";
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    RunResult result;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        struct rusage usage {};
        wait4(pid, &result.status, 0, &usage);
        result.peakKilobytes = usage.ru_maxrss;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = readFile(outPath);
    return result;
}
}  // namespace

TEST(Soak, RandomInputStaysFiniteAndMemoryStaysFlat) {
    char dir[] = "/tmp/orvane-soak-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string script = std::string(dir) + "/soak.txt";
    {
        std::ofstream(script) << makeSoakScript(7, 200000);
    }

    const RunResult shortRun = runSim({"--steps", "4000", "--every", "1000", "--input", script},
                                      std::string(dir) + "/short.jsonl");
    const RunResult longRun = runSim({"--steps", "40000", "--every", "1000", "--input", script},
                                     std::string(dir) + "/long.jsonl");
    std::system((std::string("rm -rf ") + dir).c_str());

    ASSERT_EQ(shortRun.status, 0);
    ASSERT_EQ(longRun.status, 0);
    EXPECT_EQ(longRun.out.find("null"), std::string::npos) << "a value stopped being finite";
    EXPECT_EQ(std::count(longRun.out.begin(), longRun.out.end(), '\n'), 41);
    // The longer replay must not keep anything per step: allow a few pages of noise.
    EXPECT_LE(longRun.peakKilobytes, shortRun.peakKilobytes + 64);
}

TEST(Soak, ScriptIsDeterministicAndCoversEveryKindOfInput) {
    const std::string a = makeSoakScript(3, 50000);
    EXPECT_EQ(a, makeSoakScript(3, 50000));
    EXPECT_NE(a, makeSoakScript(4, 50000));
    for (const char* needle : {"special-down up", "special-up", "key-down t", "key-down g", "key-down 9",
                               "key-down 0", "key-down 8", "key-down w", "key-down space", "motion "}) {
        EXPECT_NE(a.find(needle), std::string::npos) << needle;
    }
}
